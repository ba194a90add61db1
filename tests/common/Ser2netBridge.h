#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace sr5n::test {

// Debian's ser2net in front of a terminal (a simulator's), started in the
// foreground with a configuration of its own in a temporary folder, on
// loopback ports nobody else uses. It offers the terminal through three
// doors: raw TCP, Telnet with RFC 2217, and plain Telnet (which refuses COM
// port control). The terminal is configured 9600 bit/s 7E2 whenever a
// connection opens it, so that the settings an RFC 2217 client makes show.
class Ser2netBridge
{
public:
    explicit Ser2netBridge(const QString &device);
    ~Ser2netBridge();

    Ser2netBridge(const Ser2netBridge &) = delete;
    Ser2netBridge &operator=(const Ser2netBridge &) = delete;

    // Listening on all three doors.
    bool started() const { return m_started; }
    // What went wrong when it did not start, and what it printed.
    QString log();

    quint16 rawPort() const { return m_rawPort; }
    quint16 rfc2217Port() const { return m_rfc2217Port; }
    quint16 telnetPort() const { return m_telnetPort; }
    // The port names the configurator is given.
    QString rawName() const;
    QString rfc2217Name() const;

    // Ends the bridge at once, as a server that goes away (its connections
    // are closed by the system).
    void kill();

private:
    QTemporaryDir m_folder;
    QProcess m_process;
    quint16 m_rawPort = 0;
    quint16 m_rfc2217Port = 0;
    quint16 m_telnetPort = 0;
    bool m_started = false;
    QString m_log;
};

// A loopback port that nothing listens on now.
quint16 FreeLoopbackPort();

} // namespace sr5n::test
