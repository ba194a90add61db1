#include "cli/TerminalProgress.h"

#include "cli/TerminalNotifier.h"

#include <unistd.h>

namespace sr5n {

void CountingProgress::begin(Kind kind, int maximum)
{
    m_position = 0;
    m_maximum = maximum;
    started(kind);
    changed();
}

void CountingProgress::setMaximum(int maximum)
{
    m_maximum = maximum;
    changed();
}

void CountingProgress::step()
{
    ++m_position;
    changed();
}

int CountingProgress::percent() const
{
    return m_maximum > 0 ? static_cast<int>(qint64(m_position) * 100 / m_maximum) : 0;
}

TerminalProgress::TerminalProgress(std::FILE *stream)
    : m_stream(stream), m_enabled(isatty(fileno(stream)) != 0)
{
}

QString TerminalProgress::line(const QString &caption, int position, int maximum, int width)
{
    const int filled =
        maximum > 0 ? static_cast<int>(qint64(qMin(position, maximum)) * width / maximum) : 0;
    return QStringLiteral("%1 [%2%3] %4")
        .arg(caption.trimmed(), QString(filled, u'#'), QString(width - filled, u'.'),
             OperationProgress::percentText(qMin(position, maximum), maximum).rightJustified(4));
}

void TerminalProgress::started(Kind kind)
{
    m_caption = caption(kind);
    m_shown = true;
    m_drawnPercent = -1;
}

void TerminalProgress::end()
{
    if (!m_shown)
        return;
    m_shown = false;
    breakLine();
}

void TerminalProgress::breakLine()
{
    if (m_enabled && m_lineOpen)
        PrintText(m_stream, QStringLiteral("\n"));
    m_lineOpen = false;
    m_drawnPercent = -1;
}

void TerminalProgress::changed()
{
    const int done = percent();
    if (!m_enabled || !m_shown || done == m_drawnPercent)
        return;
    m_drawnPercent = done;
    m_lineOpen = true;
    PrintText(m_stream, u'\r' + line(m_caption, m_position, m_maximum));
}

void WorkerProgress::changed()
{
    // Whole percents only: the pipe carries a hundred lines, not a thousand.
    const int done = percent();
    if (done == m_reportedPercent)
        return;
    m_reportedPercent = done;
    PrintText(stdout, QStringLiteral("@progress %1 %2\n").arg(m_position).arg(m_maximum));
}

} // namespace sr5n
