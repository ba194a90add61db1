#include "link/TcpTransport.h"

#include <QEventLoop>
#include <QTimer>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace sr5n {

namespace {

constexpr qsizetype RecentBytes = 240;

QString seconds(int ms)
{
    return QString::number((ms + 999) / 1000);
}

} // namespace

TcpTransport::TcpTransport(NetworkAddress address, int connectTimeoutMs, QObject *parent)
    : PortTransport(parent), m_address(std::move(address)), m_connectTimeoutMs(connectTimeoutMs)
{
    connect(&m_socket, &QTcpSocket::connected, this, &TcpTransport::onConnected);
    connect(&m_socket, &QTcpSocket::readyRead, this, &TcpTransport::onReadyRead);
    connect(&m_socket, &QTcpSocket::errorOccurred, this, &TcpTransport::onError);
    connect(&m_socket, &QTcpSocket::disconnected, this, &TcpTransport::onDisconnected);
    connect(&m_socket, &QTcpSocket::bytesWritten, this, &TcpTransport::bytesWritten);
}

TcpTransport::~TcpTransport()
{
    m_socket.abort();
}

bool TcpTransport::open()
{
    clearFailure();
    m_ready = false;
    m_failed = false;
    m_open = false;
    m_lineLost = false;
    m_lostReason = QStringLiteral("Соединение с сервером разорвано");
    m_recent.clear();

    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    m_opening = &loop;
    deadline.start(m_connectTimeoutMs);
    m_socket.connectToHost(m_address.host, m_address.port);
    // The lookup or the connection may fail before the loop runs.
    if (!m_ready && !m_failed && !cancelled())
        loop.exec();
    m_opening = nullptr;

    if (m_ready && m_socket.state() == QAbstractSocket::ConnectedState) {
        m_open = true;
        return true;
    }
    const QAbstractSocket::SocketState reached = m_socket.state();
    m_socket.abort();
    if (cancelled())
        return fail(QStringLiteral("Connection to %1 cancelled").arg(m_address.host));
    if (m_failed)
        return false;
    if (m_ready) // set up, and closed by the server at once
        return fail(QStringLiteral("Closed by the server"),
                    QStringLiteral("Сервер закрыл соединение при подключении"));
    const QString wait = seconds(m_connectTimeoutMs);
    if (reached == QAbstractSocket::HostLookupState)
        return fail(QStringLiteral("Host lookup timed out"),
                    QStringLiteral("Сервер «%1» не найден: служба имён не ответила за %2 с")
                        .arg(m_address.host, wait));
    if (reached == QAbstractSocket::ConnectedState)
        return fail(QStringLiteral("Session set-up timed out"),
                    sessionTimeoutReason(m_connectTimeoutMs));
    return fail(QStringLiteral("Connection timed out"),
                QStringLiteral("Сервер не ответил за %1 с: он выключен, недоступен по сети или "
                               "соединение блокируется")
                    .arg(wait));
}

QString TcpTransport::sessionTimeoutReason(int timeoutMs) const
{
    return QStringLiteral("Сервер не ответил за %1 с").arg(seconds(timeoutMs));
}

QString TcpTransport::serverConnectionText() const
{
    return QStringLiteral("сервер %1 (%2, порт %3)")
        .arg(m_address.host, m_socket.peerAddress().toString())
        .arg(m_socket.peerPort());
}

QString TcpTransport::settingsText() const
{
    return serverConnectionText() +
           QStringLiteral(", TCP: байты линии как есть; скорость и формат порта задаёт сервер");
}

void TcpTransport::close()
{
    m_open = false;
    if (m_socket.state() == QAbstractSocket::ConnectedState) {
        // Nothing the device still needs is pending: the line was purged.
        m_socket.disconnectFromHost();
    }
    m_socket.abort();
    m_lineLost = false;
}

bool TcpTransport::purge()
{
    // What has come in and not been read is dropped; a session's own
    // commands in it are still handled.
    if (m_open && !m_lineLost) {
        m_discarding = true;
        fromNetwork(m_socket.readAll());
        m_discarding = false;
    }
    return true;
}

bool TcpTransport::write(const QByteArray &bytes)
{
    if (m_lineLost || !m_open)
        return fail(QStringLiteral("The connection to %1 has gone").arg(m_address.host),
                    m_lostReason);
    const QByteArray out = toNetwork(bytes);
    if (m_socket.write(out) != out.size())
        return fail(m_socket.errorString(),
                    QStringLiteral("Система сообщает: ") + m_socket.errorString());
    m_socket.flush();
    return true;
}

void TcpTransport::cancelOpen()
{
    if (!m_opening)
        return;
    setCancelled();
    m_opening->quit();
}

void TcpTransport::sessionReady()
{
    m_ready = true;
    endOpening();
}

void TcpTransport::sessionFailed(const QString &text, const QString &reason)
{
    m_failed = true;
    fail(text, reason);
    endOpening();
}

void TcpTransport::deliver(const QByteArray &lineBytes)
{
    if (lineBytes.isEmpty() || m_discarding)
        return;
    m_recent.append(lineBytes);
    if (m_recent.size() > RecentBytes)
        m_recent.remove(0, m_recent.size() - RecentBytes);
    if (m_open)
        emit received(lineBytes);
}

bool TcpTransport::sendRaw(const QByteArray &bytes)
{
    if (m_socket.state() != QAbstractSocket::ConnectedState ||
        m_socket.write(bytes) != bytes.size())
        return false;
    m_socket.flush();
    return true;
}

void TcpTransport::onConnected()
{
    // Each request and each step of a session goes out at once: Nagle's
    // algorithm would hold a small write until the previous one is
    // acknowledged, and the server delays its acknowledgements.
    m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    if (opening())
        beginSession();
}

void TcpTransport::onReadyRead()
{
    const QByteArray bytes = m_socket.readAll();
    acknowledgeAtOnce();
    if (!bytes.isEmpty() && (m_open || opening()))
        fromNetwork(bytes);
}

void TcpTransport::onError(QAbstractSocket::SocketError error)
{
    if (opening()) {
        if (m_ready || m_failed)
            return;
        // What the server said before it went belongs to the reason.
        if (m_socket.bytesAvailable() > 0)
            fromNetwork(m_socket.readAll());
        if (m_ready || m_failed)
            return;
        m_failed = true;
        switch (error) {
        case QAbstractSocket::HostNotFoundError:
            fail(m_socket.errorString(),
                 QStringLiteral("Сервер «%1» не найден: имя не удаётся разрешить в адрес")
                     .arg(m_address.host));
            break;
        case QAbstractSocket::ConnectionRefusedError:
            fail(m_socket.errorString(),
                 QStringLiteral("Сервер отказал в соединении: на порту %1 служба не запущена или "
                                "порт указан неверно")
                     .arg(m_address.port));
            break;
        case QAbstractSocket::RemoteHostClosedError: {
            const QString said = serverText();
            fail(m_socket.errorString(),
                 QStringLiteral("Сервер закрыл соединение при подключении") +
                     (said.isEmpty() ? QString() : QStringLiteral(": «%1»").arg(said)));
            break;
        }
        default:
            fail(m_socket.errorString(),
                 QStringLiteral("Система сообщает: ") + m_socket.errorString());
            break;
        }
        endOpening();
        return;
    }
    if (m_open)
        loseLine();
}

void TcpTransport::onDisconnected()
{
    if (opening()) {
        if (!m_ready && !m_failed)
            onError(QAbstractSocket::RemoteHostClosedError);
        endOpening();
        return;
    }
    if (m_open)
        loseLine();
}

void TcpTransport::endOpening()
{
    if (m_opening)
        m_opening->quit();
}

void TcpTransport::loseLine()
{
    if (m_lineLost)
        return;
    m_lineLost = true;
    const QString said = serverText();
    m_lostReason = QStringLiteral("Соединение с сервером разорвано");
    if (!said.isEmpty())
        m_lostReason += QStringLiteral("; сервер сообщил: «%1»").arg(said);
    fail(QStringLiteral("The connection to %1 has gone").arg(m_address.host), m_lostReason);
    emit lineLost(m_lostReason);
}

void TcpTransport::acknowledgeAtOnce()
{
#ifdef TCP_QUICKACK
    // A server that keeps Nagle's algorithm on sends the rest of an answer
    // only once its first part is acknowledged; the system would delay that
    // acknowledgement by 40 ms, hoping to send it with the next request. It
    // goes back to delaying after each request, so this is asked every read.
    const int on = 1;
    if (const qintptr fd = m_socket.socketDescriptor(); fd >= 0)
        ::setsockopt(int(fd), IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
#endif
}

QString TcpTransport::serverText() const
{
    if (!m_recent.endsWith('\n'))
        return QString();
    QByteArray text = m_recent.trimmed();
    text = text.mid(text.lastIndexOf('\n') + 1).trimmed();
    for (const char c : std::as_const(text)) {
        if (c < 0x20 || c > 0x7E)
            return QString();
    }
    return QString::fromLatin1(text);
}

} // namespace sr5n
