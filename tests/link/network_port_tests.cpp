// Ports behind a serial server, against servers of the test's own making:
// Telnet's escaping of byte 255 through the transport, and every way of not
// getting a connection, each with the message the user reads.
#include "common/FakeNotifier.h"
#include "common/PortMessages.h"
#include "common/Ser2netBridge.h"
#include "common/SimProcess.h"
#include "common/UnansweredPort.h"
#include "link/TConnection.h"
#include "link/TVaCapture.h"
#include "link/TVaComm.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <initializer_list>

namespace sr5n {
namespace {

constexpr int IAC = 255, DONT = 254, DO = 253, WILL = 251, SB = 250, SE = 240, ComPort = 44;

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (const int value : values)
        out.append(static_cast<char>(value));
    return out;
}

QByteArray report(int command, const QByteArray &value)
{
    return bytes({IAC, SB, ComPort, command + 100}) + value + bytes({IAC, SE});
}

// A server on a loopback port that plays one part once a client connects.
class ScriptedServer
{
public:
    enum class Part {
        TakesComPort, // takes COM Port Control and reports the settings asked for
        StaysAt9600,  // takes it but reports 9600 bit/s 7E2
        RefusesIt,    // a plain Telnet server: refuses the option
        Silent,       // accepts the connection and never says a word
        BusyAndGone,  // says that the port is in use and closes
    };

    explicit ScriptedServer(Part part) : m_part(part)
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] { accept(); });
    }

    quint16 port() const { return m_server.serverPort(); }
    QString name(const char *scheme) const
    {
        return QStringLiteral("%1://127.0.0.1:%2").arg(QLatin1String(scheme)).arg(port());
    }
    // Everything the client sent.
    QByteArray received() const { return m_received; }
    void send(const QByteArray &bytes)
    {
        m_client->write(bytes);
        m_client->flush();
    }
    void hangUp() { m_client->abort(); }

private:
    void accept()
    {
        m_client = m_server.nextPendingConnection();
        QObject::connect(m_client, &QTcpSocket::readyRead, [this] { onData(); });
        switch (m_part) {
        case Part::TakesComPort:
        case Part::StaysAt9600:
            send(bytes({IAC, WILL, 0, IAC, DO, 0, IAC, DO, ComPort}));
            break;
        case Part::BusyAndGone:
            send("Port already in use\r\n");
            m_client->disconnectFromHost();
            break;
        case Part::RefusesIt:
        case Part::Silent:
            break;
        }
    }

    void onData()
    {
        m_received += m_client->readAll();
        if (m_part == Part::RefusesIt && m_received.contains(bytes({IAC, WILL, ComPort})) &&
            !m_answered) {
            m_answered = true;
            send(bytes({IAC, DONT, ComPort}));
        }
        // Once the last setting (RTS off) is in, the server reports.
        if ((m_part == Part::TakesComPort || m_part == Part::StaysAt9600) && !m_answered &&
            m_received.contains(bytes({IAC, SB, ComPort, 5, 12, IAC, SE}))) {
            m_answered = true;
            if (m_part == Part::TakesComPort)
                send(report(1, bytes({0, 1, 0xC2, 0})) + report(2, bytes({8})) +
                     report(3, bytes({1})) + report(4, bytes({1})) + report(5, bytes({1})));
            else
                send(report(1, bytes({0, 0, 0x25, 0x80})) + report(2, bytes({7})) +
                     report(3, bytes({3})) + report(4, bytes({2})) + report(5, bytes({1})));
        }
    }

    Part m_part;
    QTcpServer m_server;
    QTcpSocket *m_client = nullptr;
    QByteArray m_received;
    bool m_answered = false;
};

LinkTimings timingsWithConnectWait(int ms)
{
    LinkTimings timings = test::ShortLinkTimings();
    timings.connectTimeoutMs = ms;
    return timings;
}

TEST(Rfc2217Transport, ByteIac255GoesOutTwiceAndComesInOnce)
{
    ScriptedServer server(ScriptedServer::Part::TakesComPort);
    TVaComm comm(nullptr, timingsWithConnectWait(5000));
    QByteArray delivered;
    QObject::connect(&comm, &TVaComm::received, [&](const QByteArray &b) { delivered += b; });
    ASSERT_TRUE(comm.SetDeviceName(server.name("rfc2217")));
    ASSERT_TRUE(comm.Open()) << comm.LastError().toStdString();

    const QByteArray line = bytes({':', 0x31, 255, 0, 255, 255, ';'});
    ASSERT_TRUE(comm.WriteText(line));
    const QByteArray onWire = bytes({':', 0x31, 255, 255, 0, 255, 255, 255, 255, ';'});
    EXPECT_TRUE(QTest::qWaitFor([&] { return server.received().endsWith(onWire); }, 3000))
        << server.received().toHex(' ').toStdString();

    server.send(bytes({':', 255, 255, 'A', 255, 255, 255, 255, ';'}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return delivered.size() >= 6; }, 3000));
    EXPECT_EQ(delivered, bytes({':', 255, 'A', 255, 255, ';'}));
    comm.Close();
}

class NetworkPortFailures : public ::testing::Test
{
protected:
    // Opens `name` with the link; returns the one message shown.
    QString openFails(const QString &name, int connectWaitMs = 1000)
    {
        test::FakeNotifier notifier;
        const LinkTimings timings = timingsWithConnectWait(connectWaitMs);
        TVaComm comm(nullptr, timings);
        TVaCapture capture(notifier);
        capture.SetComm(&comm);
        TConnection link(capture, notifier, timings);
        EXPECT_FALSE(link.Open(name));
        EXPECT_FALSE(link.Opened());
        EXPECT_FALSE(comm.IsOpen());
        EXPECT_EQ(notifier.flashes, int(notifier.errors.size()));
        return notifier.errors.size() == 1 ? notifier.errors.constFirst()
                                           : notifier.errors.join(QStringLiteral(" | "));
    }
};

TEST_F(NetworkPortFailures, EachHasItsReasonUnderThePortLine)
{
    const QString badAddress =
        QStringLiteral("Адрес сетевого порта записан неверно: нужен tcp://УЗЕЛ:ПОРТ или "
                       "rfc2217://УЗЕЛ:ПОРТ");
    ScriptedServer silent(ScriptedServer::Part::Silent);
    ScriptedServer refusing(ScriptedServer::Part::RefusesIt);
    ScriptedServer at9600(ScriptedServer::Part::StaysAt9600);
    ScriptedServer busy(ScriptedServer::Part::BusyAndGone);
    test::UnansweredPort unanswered;
    ASSERT_NE(unanswered.port(), 0);
    const quint16 closed = test::FreeLoopbackPort();
    const QString unansweredName = QStringLiteral("tcp://127.0.0.1:%1").arg(unanswered.port());

    const struct {
        const char *what;
        QString name;
        QString reason;
        int wait;
    } cases[] = {
        {"no port number", QStringLiteral("tcp://127.0.0.1"), badAddress, 1000},
        {"port number out of range", QStringLiteral("tcp://127.0.0.1:70000"), badAddress, 1000},
        {"no host", QStringLiteral("rfc2217://:4001"), badAddress, 1000},
        {"a path after the port", QStringLiteral("tcp://box:4001/ttyS0"), badAddress, 1000},
        // The .invalid domain never resolves; a machine without a name
        // service fails the lookup too.
        {"a host name that does not resolve", QStringLiteral("tcp://sr5n-bridge.invalid:4001"),
         QStringLiteral("Сервер «sr5n-bridge.invalid» не найден: имя не удаётся разрешить в "
                        "адрес"),
         15000},
        {"nothing listens on the port", QStringLiteral("tcp://127.0.0.1:%1").arg(closed),
         QStringLiteral("Сервер отказал в соединении: на порту %1 служба не запущена или порт "
                        "указан неверно")
             .arg(closed),
         1000},
        {"the connection is never answered", unansweredName,
         QStringLiteral("Сервер не ответил за 1 с: он выключен, недоступен по сети или "
                        "соединение блокируется"),
         1000},
        {"a server without Telnet asked for RFC 2217", silent.name("rfc2217"),
         QStringLiteral("Сервер не ответил на согласование RFC 2217 за 1 с: если он передаёт "
                        "байты без Telnet, откройте порт как tcp://УЗЕЛ:ПОРТ"),
         1000},
        {"a Telnet server without COM port control", refusing.name("rfc2217"),
         QStringLiteral("Сервер не поддерживает управление портом по RFC 2217: включите этот "
                        "режим на сервере или откройте порт как tcp://УЗЕЛ:ПОРТ"),
         1000},
        {"a server that keeps its port at 9600 7E2", at9600.name("rfc2217"),
         QStringLiteral("Сервер не установил на порту 115200 бит/с, 8N1, без управления "
                        "потоком: он сообщает 9600 бит/с, 7E2, без управления потоком"),
         1000},
        {"a server whose port is in use", busy.name("rfc2217"),
         QStringLiteral("Сервер закрыл соединение при подключении: «Port already in use»"), 1000},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(openFails(c.name, c.wait), test::PortMessage(c.name, c.reason));
    }
}

TEST_F(NetworkPortFailures, CancelEndsAConnectionAttemptAtOnceWithoutAMessage)
{
    test::UnansweredPort unanswered;
    ASSERT_NE(unanswered.port(), 0);
    // A minute's wait: only the cancel can end the attempt before the test's
    // own time limit.
    const LinkTimings timings = timingsWithConnectWait(60000);
    test::FakeNotifier notifier;
    TVaComm comm(nullptr, timings);
    TVaCapture capture(notifier);
    capture.SetComm(&comm);
    TConnection link(capture, notifier, timings);

    const auto tryCancelled = [&](const QString &name) {
        link.SetAborted(false);
        QTimer::singleShot(150, [&link] { link.abort(); });
        EXPECT_FALSE(link.Open(name));
        EXPECT_TRUE(comm.OpenCancelled());
        EXPECT_TRUE(notifier.errors.isEmpty()) << notifier.errors.join('|').toStdString();
        EXPECT_EQ(notifier.flashes, 0);
    };
    tryCancelled(QStringLiteral("tcp://127.0.0.1:%1").arg(unanswered.port()));
    ScriptedServer silent(ScriptedServer::Part::Silent);
    tryCancelled(silent.name("rfc2217")); // cancelled while the server is asked

    // The link is not left half-open: the next attempt reaches a server.
    ScriptedServer server(ScriptedServer::Part::TakesComPort);
    link.SetAborted(false);
    EXPECT_TRUE(link.Open(server.name("rfc2217")));
    EXPECT_TRUE(link.Close());
    EXPECT_TRUE(notifier.errors.isEmpty()) << notifier.errors.join('|').toStdString();
}

TEST_F(NetworkPortFailures, AConnectionThatDropsEndsTheWaitWithItsReason)
{
    const struct {
        const char *what;
        ScriptedServer::Part part;
        const char *scheme;
    } cases[] = {{"raw", ScriptedServer::Part::Silent, "tcp"},
                 {"RFC 2217", ScriptedServer::Part::TakesComPort, "rfc2217"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedServer server(c.part);
        // Answers take a long time, so only the drop can end the wait early.
        LinkTimings timings = timingsWithConnectWait(5000);
        timings.answerTimeoutMs = 60000;
        test::FakeNotifier notifier;
        TVaComm comm(nullptr, timings);
        TVaCapture capture(notifier);
        capture.SetComm(&comm);
        TConnection link(capture, notifier, timings);
        ASSERT_TRUE(link.Open(server.name(c.scheme)));
        QTimer::singleShot(200, [&server] { server.hangUp(); });
        EXPECT_FALSE(link.Read(QStringLiteral("11"), QString()));
        EXPECT_EQ(notifier.errors,
                  QStringList{test::PortMessage(
                      server.name(c.scheme), QStringLiteral("Соединение с сервером разорвано"))});
        EXPECT_EQ(server.received().count(":1162;"), 1) << "one frame, no further attempts";
        EXPECT_TRUE(link.Close());
    }
}

} // namespace
} // namespace sr5n
