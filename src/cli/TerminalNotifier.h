#pragma once

#include "common/Notifier.h"

#include <QStringList>

#include <functional>

#include <cstdio>

namespace sr5n {

// Tells the user on a terminal: errors and notices as lines on standard
// error, with the texts of the window's boxes; questions are declined.
// Keeps the errors, for the summary of a run over several ports.
class TerminalNotifier final : public Notifier
{
public:
    explicit TerminalNotifier(std::FILE *stream = stderr) : m_stream(stream) {}

    void flash() override {}
    void showError(const QString &message) override;
    void showInformation(const QString &message) override;
    bool askYesNo(const QString &text, QuestionIcon icon, const QString &caption) override;

    const QStringList &errors() const { return m_errors; }
    // Before a message the progress line is ended, so that both stay readable.
    void setBeforeMessage(std::function<void()> hook) { m_beforeMessage = std::move(hook); }

private:
    void print(const QString &text);

    std::FILE *m_stream;
    QStringList m_errors;
    std::function<void()> m_beforeMessage;
};

// Writes text to a stream as UTF-8.
void PrintText(std::FILE *stream, const QString &text);

} // namespace sr5n
