#include "common/SimProcess.h"

#include <QDeadlineTimer>

namespace sr5n::test {

SimProcess::SimProcess(const QStringList &arguments)
{
    m_process.setProgram(QStringLiteral(SR5N_BIN_DIR "/sr5n-sim"));
    m_process.setArguments(QStringList{QStringLiteral("--exit-with-parent")} + arguments);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start();
    if (!m_process.waitForStarted(5000))
        return;
    QDeadlineTimer deadline(5000);
    while (!m_process.canReadLine() && !deadline.hasExpired() &&
           m_process.state() == QProcess::Running)
        m_process.waitForReadyRead(int(deadline.remainingTime()));
    if (m_process.canReadLine())
        m_path = QString::fromLocal8Bit(m_process.readLine()).trimmed();
}

SimProcess::~SimProcess()
{
    stop();
}

QStringList SimProcess::finish()
{
    // Frames already written to the line are logged before the simulator
    // ends: wait until it has said nothing for a moment.
    QDeadlineTimer limit(3000);
    while (m_process.state() == QProcess::Running && !limit.hasExpired() &&
           m_process.waitForReadyRead(150)) {
    }
    return stop();
}

QStringList SimProcess::stop()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(3000)) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
        const QString out = QString::fromLocal8Bit(m_process.readAllStandardOutput());
        for (const QString &line : out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            if (line.startsWith(QLatin1String("request ")))
                m_lines.append(line);
        }
    }
    return m_lines;
}

LinkTimings ShortLinkTimings()
{
    LinkTimings timings;
    timings.answerTimeoutMs = 400;
    timings.busyPauseMs = 20;
    timings.openClosePauseMs = 1;
    timings.portCloseDelayMs = 0;
    timings.writeBufferWaitMs = 200;
    timings.diagnosticsTimeoutMs = 400;
    timings.requestPauseMs = 0;
    return timings;
}

} // namespace sr5n::test
