#include "cli/TerminalNotifier.h"

namespace sr5n {

void PrintText(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    std::fflush(stream);
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
    print(message);
}

bool TerminalNotifier::askYesNo(const QString &text, QuestionIcon, const QString &)
{
    print(text + QStringLiteral(" — нет"));
    return false;
}

} // namespace sr5n
