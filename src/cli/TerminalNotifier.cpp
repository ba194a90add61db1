#include "cli/TerminalNotifier.h"

#include "cli/OutputFile.h"

#include <cerrno>

namespace sr5n {

namespace {

std::optional<int> &standardOutputError()
{
    static std::optional<int> error;
    return error;
}

} // namespace

bool PrintBytes(std::FILE *stream, const QByteArray &bytes)
{
    errno = 0;
    const bool written = std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()),
                                     stream) == static_cast<size_t>(bytes.size()) &&
                         std::fflush(stream) == 0;
    if (!written && stream == stdout && !standardOutputError())
        standardOutputError() = errno;
    return written;
}

bool PrintText(std::FILE *stream, const QString &text)
{
    return PrintBytes(stream, text.toUtf8());
}

std::optional<QString> TakeStandardOutputFault()
{
    static bool taken = false;
    // What the buffer still holds goes out now; its failure counts too.
    if (!standardOutputError() && (std::fflush(stdout) != 0 || std::ferror(stdout)))
        standardOutputError() = errno;
    // A reader that has gone (head) ends the output silently.
    if (!standardOutputError() || taken || StandardOutputReaderGone())
        return std::nullopt;
    taken = true;
    return QStringLiteral("Невозможно записать в стандартный вывод: %1")
        .arg(*standardOutputError() != 0 ? SystemErrorText(*standardOutputError())
                                         : QStringLiteral("ошибка записи"));
}

bool StandardOutputReaderGone()
{
    return standardOutputError() == EPIPE;
}

void TerminalNotifier::print(const QString &text)
{
    if (m_beforeMessage)
        m_beforeMessage();
    PrintText(m_stream, text + u'\n');
}

void TerminalNotifier::showError(const QString &message)
{
    const QString text = ErrorBoxText(message);
    m_errors << text;
    print(text);
}

void TerminalNotifier::showInformation(const QString &message)
{
    if (m_quiet)
        return;
    print(message);
}

bool TerminalNotifier::askYesNo(const QString &text, QuestionIcon, const QString &)
{
    print(text + QStringLiteral(" — нет"));
    return false;
}

} // namespace sr5n
