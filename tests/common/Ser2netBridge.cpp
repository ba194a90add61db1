#include "common/Ser2netBridge.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QHostAddress>
#include <QTcpServer>
#include <QThread>

namespace sr5n::test {

namespace {

// Whether something listens on the loopback port (from the kernel's table,
// without connecting, which would make ser2net open the terminal).
bool listening(quint16 port)
{
    QFile table(QStringLiteral("/proc/net/tcp"));
    if (!table.open(QIODevice::ReadOnly))
        return false;
    const QByteArray local =
        QByteArray("0100007F:") + QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
    for (const QByteArray &line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() > 3 && fields.at(1) == local && fields.at(3) == "0A")
            return true;
    }
    return false;
}

} // namespace

quint16 FreeLoopbackPort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return probe.serverPort();
}

Ser2netBridge::Ser2netBridge(const QString &device)
{
    m_rawPort = FreeLoopbackPort();
    m_rfc2217Port = FreeLoopbackPort();
    m_telnetPort = FreeLoopbackPort();
    if (!m_folder.isValid() || device.isEmpty() || m_rawPort == 0 || m_rfc2217Port == 0 ||
        m_telnetPort == 0 || m_rawPort == m_rfc2217Port || m_rfc2217Port == m_telnetPort ||
        m_rawPort == m_telnetPort) {
        m_log = QStringLiteral("no folder, device or free ports");
        return;
    }

    // chardelay off: the bridge passes each answer on at once instead of
    // waiting for more characters, as a server set up for a request/answer
    // device does. Nagle's algorithm stays on, as ser2net and many serial
    // servers leave it, and buffers stay at 64 bytes, so that longer answers
    // come in two parts: the client must not wait for the second one.
    const QString connector = QStringLiteral("serialdev,%1,9600e72,local").arg(device);
    const auto door = [&connector](const char *alias, const QString &accepter) {
        return QStringLiteral("connection: &%1\n"
                              "  accepter: %2\n"
                              "  connector: %3\n"
                              "  options:\n"
                              "    chardelay: false\n")
            .arg(QLatin1String(alias), accepter, connector);
    };
    const QString config =
        door("raw", QStringLiteral("tcp,127.0.0.1,%1").arg(m_rawPort)) +
        door("rfc2217", QStringLiteral("telnet(rfc2217),tcp,127.0.0.1,%1").arg(m_rfc2217Port)) +
        door("telnet", QStringLiteral("telnet,tcp,127.0.0.1,%1").arg(m_telnetPort));
    const QString configPath = m_folder.filePath(QStringLiteral("ser2net.yaml"));
    QFile file(configPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(config.toUtf8()) < 0) {
        m_log = QStringLiteral("cannot write ") + configPath;
        return;
    }
    file.close();

    // -n: in the foreground; -d: its messages to standard output; -u: no
    // UUCP lock files (the terminal is the simulator's own).
    m_process.setProgram(QStringLiteral("ser2net"));
    m_process.setArguments({QStringLiteral("-n"), QStringLiteral("-d"), QStringLiteral("-u"),
                            QStringLiteral("-P"), m_folder.filePath(QStringLiteral("ser2net.pid")),
                            QStringLiteral("-c"), configPath});
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.start();
    if (!m_process.waitForStarted(5000)) {
        m_log = QStringLiteral("ser2net did not start: ") + m_process.errorString();
        return;
    }
    QDeadlineTimer deadline(5000);
    while (!deadline.hasExpired() && m_process.state() == QProcess::Running) {
        if (listening(m_rawPort) && listening(m_rfc2217Port) && listening(m_telnetPort)) {
            m_started = true;
            return;
        }
        QThread::msleep(20);
    }
    m_log = QStringLiteral("ser2net is not listening");
}

Ser2netBridge::~Ser2netBridge()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(3000)) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }
}

QString Ser2netBridge::log()
{
    return m_log + QLatin1Char('\n') + QString::fromLocal8Bit(m_process.readAll());
}

QString Ser2netBridge::rawName() const
{
    return QStringLiteral("tcp://127.0.0.1:%1").arg(m_rawPort);
}

QString Ser2netBridge::rfc2217Name() const
{
    return QStringLiteral("rfc2217://127.0.0.1:%1").arg(m_rfc2217Port);
}

void Ser2netBridge::kill()
{
    m_process.kill();
    m_process.waitForFinished(3000);
}

} // namespace sr5n::test
