#include "cli/TerminalProgress.h"

#include "cli/TerminalNotifier.h"

#include <unistd.h>

namespace sr5n {

namespace {

int percentOf(int position, int maximum)
{
    return maximum > 0 ? static_cast<int>(qint64(position) * 100 / maximum) : 0;
}

} // namespace

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

void TerminalProgress::begin(Kind kind, int maximum)
{
    m_caption = caption(kind);
    m_position = 0;
    m_maximum = maximum;
    m_shown = true;
    m_drawnPercent = -1;
    draw();
}

void TerminalProgress::setMaximum(int maximum)
{
    m_maximum = maximum;
    draw();
}

void TerminalProgress::step()
{
    ++m_position;
    draw();
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

void TerminalProgress::draw()
{
    const int percent = percentOf(m_position, m_maximum);
    if (!m_enabled || !m_shown || percent == m_drawnPercent)
        return;
    m_drawnPercent = percent;
    m_lineOpen = true;
    PrintText(m_stream, u'\r' + line(m_caption, m_position, m_maximum));
}

void WorkerProgress::begin(Kind, int maximum)
{
    m_position = 0;
    m_maximum = maximum;
    m_reportedPercent = -1;
    report();
}

void WorkerProgress::setMaximum(int maximum)
{
    m_maximum = maximum;
    report();
}

void WorkerProgress::step()
{
    ++m_position;
    report();
}

void WorkerProgress::report()
{
    // Whole percents only: the pipe carries a hundred lines, not a thousand.
    const int percent = percentOf(m_position, m_maximum);
    if (percent == m_reportedPercent)
        return;
    m_reportedPercent = percent;
    PrintText(stdout, QStringLiteral("@progress %1 %2\n").arg(m_position).arg(m_maximum));
}

} // namespace sr5n
