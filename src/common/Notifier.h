#pragma once

#include <QString>

namespace sr5n {

// How the logic talks to the user: the error box, the taskbar flash, the
// information box and Yes/No questions. The main window implements it with
// message boxes; tests use a fake that records what was shown.
class Notifier
{
public:
    enum class QuestionIcon { Question, Warning };

    virtual ~Notifier() = default;

    // Flash the application's taskbar button once.
    virtual void flash() = 0;
    // The error box; `message` is shown as ErrorBoxText(message).
    virtual void showError(const QString &message) = 0;
    // Information box captioned with the application title.
    virtual void showInformation(const QString &message) = 0;
    // Yes/No box; an empty caption means the application title.
    virtual bool askYesNo(const QString &text, QuestionIcon icon,
                          const QString &caption = QString()) = 0;
    // The same box with No as the answer Enter gives: for a question whose Yes
    // gives something up (a protocol replaced). Without a box of its own it
    // is the plain question.
    virtual bool askYesNoDefaultNo(const QString &text, QuestionIcon icon,
                                   const QString &caption = QString())
    {
        return askYesNo(text, icon, caption);
    }

    // Device, file and decoding failures: one flash, then the error box.
    void reportFailure(const QString &message)
    {
        flash();
        showError(message);
    }
};

// Passes everything on to another notifier, which can be exchanged at run
// time: the main window hands this one to the objects it creates, and tests
// put their fake behind it.
class ForwardingNotifier final : public Notifier
{
public:
    explicit ForwardingNotifier(Notifier &target) : m_target(&target) {}

    void setTarget(Notifier &target) { m_target = &target; }
    Notifier &target() const { return *m_target; }

    void flash() override { m_target->flash(); }
    void showError(const QString &message) override { m_target->showError(message); }
    void showInformation(const QString &message) override { m_target->showInformation(message); }
    bool askYesNo(const QString &text, QuestionIcon icon,
                  const QString &caption = QString()) override
    {
        return m_target->askYesNo(text, icon, caption);
    }
    bool askYesNoDefaultNo(const QString &text, QuestionIcon icon,
                           const QString &caption = QString()) override
    {
        return m_target->askYesNoDefaultNo(text, icon, caption);
    }

private:
    Notifier *m_target;
};

// The text the error box shows: a "." is appended when the message is not
// empty and its last character's code is greater than that of ".".
QString ErrorBoxText(const QString &message);

} // namespace sr5n
