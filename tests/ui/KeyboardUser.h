#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <functional>

class QWidget;

namespace sr5n::test {

// Answers the program's modal windows as a user at the keyboard does. Keys go
// to the window that has the keyboard focus, as the desktop sends them: a
// window that is disabled, behind another or without focus never gets them.
// Such a window is recorded as a problem and closed by force, so that the
// test ends where the program would hang.
class KeyboardUser final : public QObject
{
public:
    struct Step {
        QString title; // the caption of the window expected next
        QString typed; // typed over the focused field's text; nothing when empty
        int key = 0;   // then this key (Qt::Key_Return when 0)
        std::function<void(QWidget *)> check = {}; // more checks while it is open
    };

    explicit KeyboardUser(QList<Step> steps);

    // Every expected window came and took its keys.
    bool finished() const { return m_steps.isEmpty(); }
    QStringList problems; // what went wrong, in order
    QStringList answered; // captions of the windows answered

private:
    void poll();
    void answer(QWidget *modal);
    void closeByForce(QWidget *modal, const QString &problem);

    QList<Step> m_steps;
    QPointer<QWidget> m_seen;     // the modal window seen at the last poll
    QPointer<QWidget> m_answered; // answered, not yet closed
};

// Every window the user expected came, and none went wrong.
inline void ExpectAllAnswered(const KeyboardUser &user)
{
    EXPECT_EQ(user.problems, QStringList());
    EXPECT_TRUE(user.finished()) << "answered only: " << user.answered.join(" | ").toStdString();
}

} // namespace sr5n::test
