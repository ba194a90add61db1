// The loopback proxy of the server tests: forwarding, delay, silence, freezing.

#include "common/TcpProxy.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <gtest/gtest.h>

using sr5n::test::TcpProxy;

namespace {

// An echo server on a thread of its own, so that the test may block on its client.
class EchoServer final
{
public:
    EchoServer()
    {
        m_server.moveToThread(&m_thread);
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket,
                                 [socket] { socket->write(socket->readAll()); });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
        m_thread.start();
        QMetaObject::invokeMethod(
            &m_server, [this] { m_server.listen(QHostAddress::LocalHost); },
            Qt::BlockingQueuedConnection);
    }
    ~EchoServer()
    {
        QThread *here = QThread::currentThread();
        QMetaObject::invokeMethod(
            &m_server,
            [this, here] {
                m_server.close();
                m_server.moveToThread(here);
            },
            Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
    }
    quint16 port() const { return m_server.serverPort(); }

private:
    QThread m_thread;
    QTcpServer m_server;
};

// Sends `text` and waits up to `waitMs` for as many bytes back.
QByteArray roundTrip(QTcpSocket &socket, const QByteArray &text, int waitMs)
{
    socket.write(text);
    socket.waitForBytesWritten(1000);
    QByteArray answer;
    QElapsedTimer timer;
    timer.start();
    while (answer.size() < text.size() && timer.elapsed() < waitMs &&
           socket.waitForReadyRead(int(waitMs - timer.elapsed())))
        answer += socket.readAll();
    return answer;
}

TEST(TcpProxy, ForwardsBothWaysAndHoldsEachBackByItsDelay)
{
    EchoServer echo;
    for (const int delayMs : {0, 150}) {
        TcpProxy proxy(echo.port(), delayMs);
        ASSERT_TRUE(proxy.started()) << proxy.error().toStdString();
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, proxy.port());
        ASSERT_TRUE(socket.waitForConnected(3000));
        QElapsedTimer timer;
        timer.start();
        EXPECT_EQ(roundTrip(socket, "hello", 10000), QByteArray("hello")) << delayMs;
        // Out and back: twice the delay at least.
        EXPECT_GE(timer.elapsed(), 2 * delayMs);
        EXPECT_EQ(roundTrip(socket, QByteArray(100000, 'x'), 10000).size(), 100000);
    }
}

TEST(TcpProxy, SilentModeAcceptsAndNeverAnswers)
{
    TcpProxy proxy = TcpProxy::silent();
    ASSERT_TRUE(proxy.started()) << proxy.error().toStdString();
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, proxy.port());
    ASSERT_TRUE(socket.waitForConnected(3000));
    EXPECT_TRUE(roundTrip(socket, "hello", 700).isEmpty());
    EXPECT_EQ(socket.state(), QAbstractSocket::ConnectedState);
}

TEST(TcpProxy, FrozenProxyKeepsTheConnectionAndAnswersOnceThawed)
{
    EchoServer echo;
    TcpProxy proxy(echo.port());
    ASSERT_TRUE(proxy.started()) << proxy.error().toStdString();
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, proxy.port());
    ASSERT_TRUE(socket.waitForConnected(3000));
    ASSERT_EQ(roundTrip(socket, "one", 5000), QByteArray("one"));
    proxy.freeze();
    EXPECT_TRUE(roundTrip(socket, "two", 700).isEmpty());
    EXPECT_EQ(socket.state(), QAbstractSocket::ConnectedState);
    proxy.thaw();
    QByteArray late;
    while (late.size() < 3 && socket.waitForReadyRead(5000))
        late += socket.readAll();
    EXPECT_EQ(late, QByteArray("two"));
}

TEST(TcpProxy, RefusesAnAddressBeyondThisMachine)
{
    QProcess process;
    process.start(QStringLiteral(SR5N_BIN_DIR "/sr5n-tcp-proxy"),
                  {QStringLiteral("--target"), QStringLiteral("192.0.2.1:5432")});
    ASSERT_TRUE(process.waitForFinished(5000));
    EXPECT_EQ(process.exitCode(), 2);
}

} // namespace
