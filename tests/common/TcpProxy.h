#pragma once

#include <QProcess>
#include <QString>

namespace sr5n::test {

// sr5n-tcp-proxy started from the build's bin folder on a loopback port of
// its choosing: a server that is slow (each direction delayed), that accepts
// and never answers, or that stops in the middle of a session (freeze(): the
// proxy is stopped with SIGSTOP, its connections stay open and the system
// still takes the client's bytes). It ends with this object and with the
// test process.
class TcpProxy final
{
public:
    // Forwards to 127.0.0.1:`targetPort`, each direction held back `delayMs`.
    explicit TcpProxy(int targetPort, int delayMs = 0);
    // Accepts connections and never answers.
    static TcpProxy silent();
    ~TcpProxy();

    TcpProxy(const TcpProxy &) = delete;
    TcpProxy &operator=(const TcpProxy &) = delete;

    bool started() const { return m_port != 0; }
    // What it printed when it did not start.
    const QString &error() const { return m_error; }
    quint16 port() const { return m_port; }

    // SIGSTOP / SIGCONT.
    void freeze();
    void thaw();

private:
    explicit TcpProxy(const QStringList &arguments);

    QProcess m_process;
    quint16 m_port = 0;
    bool m_frozen = false;
    QString m_error;
};

} // namespace sr5n::test
