#include "common/TcpProxy.h"

#include <QDeadlineTimer>
#include <QRegularExpression>

#include <csignal>

namespace sr5n::test {

TcpProxy::TcpProxy(int targetPort, int delayMs)
    : TcpProxy(QStringList{QStringLiteral("--target"),
                           QStringLiteral("127.0.0.1:%1").arg(targetPort),
                           QStringLiteral("--delay"), QString::number(delayMs)})
{
}

TcpProxy TcpProxy::silent()
{
    return TcpProxy(QStringList{QStringLiteral("--no-answer")});
}

TcpProxy::TcpProxy(const QStringList &arguments)
{
    m_process.setProgram(QStringLiteral(SR5N_BIN_DIR "/sr5n-tcp-proxy"));
    m_process.setArguments(QStringList{QStringLiteral("--exit-with-parent"),
                                       QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0")} +
                           arguments);
    m_process.start();
    if (!m_process.waitForStarted(5000)) {
        m_error = m_process.errorString();
        return;
    }
    QDeadlineTimer deadline(10000);
    while (!m_process.canReadLine() && !deadline.hasExpired() &&
           m_process.state() == QProcess::Running)
        m_process.waitForReadyRead(int(deadline.remainingTime()));
    const QString line = QString::fromLocal8Bit(m_process.readLine()).trimmed();
    static const QRegularExpression listening(QStringLiteral("^listening on .*:(\\d+)$"));
    const QRegularExpressionMatch match = listening.match(line);
    if (match.hasMatch())
        m_port = quint16(match.captured(1).toUInt());
    else
        m_error = line + QString::fromLocal8Bit(m_process.readAllStandardError());
}

TcpProxy::~TcpProxy()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    thaw();
    m_process.terminate();
    if (!m_process.waitForFinished(3000)) {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
}

void TcpProxy::freeze()
{
    if (m_process.state() == QProcess::Running && !m_frozen) {
        ::kill(pid_t(m_process.processId()), SIGSTOP);
        m_frozen = true;
    }
}

void TcpProxy::thaw()
{
    if (m_frozen) {
        ::kill(pid_t(m_process.processId()), SIGCONT);
        m_frozen = false;
    }
}

} // namespace sr5n::test
