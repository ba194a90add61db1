#pragma once

#include "common/Notifier.h"

#include <QStringList>

#include <functional>
#include <optional>

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
    // Quiet: notices are not shown, errors still are.
    void setQuiet(bool quiet) { m_quiet = quiet; }
    bool askYesNo(const QString &text, QuestionIcon icon, const QString &caption) override;

    const QStringList &errors() const { return m_errors; }
    // Before a message the progress line is ended, so that both stay readable.
    void setBeforeMessage(std::function<void()> hook) { m_beforeMessage = std::move(hook); }

private:
    void print(const QString &text);

    std::FILE *m_stream;
    QStringList m_errors;
    std::function<void()> m_beforeMessage;
    bool m_quiet = false;
};

// Writes text to a stream as UTF-8 and flushes it; false when it could not be
// written whole. The first failure on standard output is kept.
bool PrintText(std::FILE *stream, const QString &text);
bool PrintBytes(std::FILE *stream, const QByteArray &bytes);

// The first failure to write standard output (also of a flush that follows),
// as the user reads it; nothing while all went out, or once it was taken:
// the user is told once.
// A closed pipe (the reader, such as head, has ended) is no fault to tell.
std::optional<QString> TakeStandardOutputFault();

// Whether standard output failed because its reader closed the pipe.
bool StandardOutputReaderGone();

} // namespace sr5n
