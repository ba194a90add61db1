#pragma once

#include "link/NetworkAddress.h"
#include "link/PortTransport.h"

#include <QTcpSocket>

class QEventLoop;

namespace sr5n {

// A serial port behind a serial server, over a TCP connection whose bytes are
// the line's bytes. Opening waits for the server at most `connectTimeoutMs`
// (name lookup, connection and, in a subclass, its session set-up together),
// processing events meanwhile, and ends at once on cancelOpen().
class TcpTransport : public PortTransport
{
    Q_OBJECT

public:
    TcpTransport(NetworkAddress address, int connectTimeoutMs, QObject *parent = nullptr);
    ~TcpTransport() override;

    bool open() override;
    void close() override;
    bool purge() override;
    bool write(const QByteArray &bytes) override;
    qint64 bytesToWrite() const override { return m_socket.bytesToWrite(); }
    void cancelOpen() override;
    QString settingsText() const override;

    const NetworkAddress &address() const { return m_address; }

protected:
    // The connection stands: a session that needs more before the line can
    // be used sends it here and calls sessionReady() or sessionFailed() later.
    virtual void beginSession() { sessionReady(); }
    // Bytes from the connection; the line's bytes go out through deliver().
    virtual void fromNetwork(const QByteArray &bytes) { deliver(bytes); }
    // The line's bytes as they go onto the connection.
    virtual QByteArray toNetwork(const QByteArray &bytes) { return bytes; }
    // The reason given when the session is not set up in time.
    virtual QString sessionTimeoutReason(int seconds) const;

    void sessionReady();
    void sessionFailed(const QString &text, const QString &reason);
    void deliver(const QByteArray &lineBytes);
    // Sends bytes of the session itself (not the line's), as they are.
    bool sendRaw(const QByteArray &bytes);
    bool opening() const { return m_opening != nullptr; }
    // "сервер HOST (ADDRESS, порт PORT)": the server as the connection reached it.
    QString serverConnectionText() const;

private:
    void onConnected();
    void onReadyRead();
    void onError(QAbstractSocket::SocketError error);
    void onDisconnected();
    void endOpening();
    void loseLine();
    // Acknowledges what has been read now rather than with the next write.
    void acknowledgeAtOnce();
    // What the server said last, when it was a line of text (a server that
    // refuses a second user says so before it closes).
    QString serverText() const;

    NetworkAddress m_address;
    int m_connectTimeoutMs;
    QTcpSocket m_socket;
    QEventLoop *m_opening = nullptr;
    bool m_ready = false;
    bool m_failed = false;
    bool m_open = false;
    bool m_lineLost = false;
    bool m_discarding = false;
    QString m_lostReason;
    QByteArray m_recent; // the last bytes received, for serverText()
};

} // namespace sr5n
