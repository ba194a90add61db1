// sr5n-tcp-proxy: a loopback TCP proxy for trying a slow, hung or frozen
// server. See --help.

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <deque>
#include <sys/prctl.h>

namespace {

const char HelpText[] = R"(
Listens on a loopback address and passes every connection on to a target on
a loopback address, for the tests of a server that is slow, never answers or
stops in the middle of a session. Only loopback addresses are accepted.

The first line of output is "listening on ADDRESS:PORT" (with the port chosen
when 0 was given). Modes:
  --target ADDRESS:PORT      forward both directions
  --target ... --delay MS    forward, each direction held back MS milliseconds
                             (a round trip of twice that)
  --no-answer                accept connections and never answer nor read
SIGSTOP freezes the proxy with its connections open (the system still takes
the client's bytes); SIGCONT lets it go on; SIGTERM ends it.
)";

struct Endpoint {
    QHostAddress address;
    quint16 port = 0;
};

// "127.0.0.1:5432", "[::1]:5432", "localhost:5432" on a loopback address only.
std::optional<Endpoint> parseEndpoint(const QString &text)
{
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon < 0)
        return std::nullopt;
    QString host = text.left(colon);
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
        host = host.mid(1, host.size() - 2);
    if (host == QLatin1String("localhost"))
        host = QStringLiteral("127.0.0.1");
    bool ok = false;
    const uint port = text.mid(colon + 1).toUInt(&ok);
    Endpoint endpoint{QHostAddress(host), quint16(port)};
    if (!ok || port > 65535 || endpoint.address.isNull() || !endpoint.address.isLoopback())
        return std::nullopt;
    return endpoint;
}

// One direction of a connection: bytes read from `from` are written to `to`
// after the delay, in order; the end of `from` ends `to` after its bytes.
class Pipe final : public QObject
{
public:
    Pipe(QTcpSocket *from, QTcpSocket *to, int delayMs, QObject *parent)
        : QObject(parent), m_from(from), m_to(to), m_delayMs(delayMs)
    {
        m_timer.setSingleShot(true);
        m_timer.setTimerType(Qt::PreciseTimer);
        connect(&m_timer, &QTimer::timeout, this, &Pipe::release);
        connect(from, &QTcpSocket::readyRead, this, &Pipe::take);
        connect(from, &QTcpSocket::disconnected, this, [this] {
            take();
            m_held.push_back({QDeadlineTimer(m_delayMs, Qt::PreciseTimer), {}, true});
            schedule();
        });
    }

private:
    struct Held {
        QDeadlineTimer due;
        QByteArray bytes;
        bool end = false;
    };

    void take()
    {
        const QByteArray bytes = m_from->readAll();
        if (bytes.isEmpty())
            return;
        m_held.push_back({QDeadlineTimer(m_delayMs, Qt::PreciseTimer), bytes, false});
        schedule();
    }

    void schedule()
    {
        if (!m_held.empty() && !m_timer.isActive())
            m_timer.start(std::chrono::milliseconds(m_held.front().due.remainingTime()));
    }

    void release()
    {
        while (!m_held.empty() && m_held.front().due.hasExpired()) {
            Held held = std::move(m_held.front());
            m_held.pop_front();
            if (held.end) {
                m_to->disconnectFromHost();
                return;
            }
            m_to->write(held.bytes);
        }
        schedule();
    }

    QPointer<QTcpSocket> m_from;
    QPointer<QTcpSocket> m_to;
    int m_delayMs;
    std::deque<Held> m_held;
    QTimer m_timer;
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("sr5n-tcp-proxy"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(HelpText));
    parser.addHelpOption();
    const QCommandLineOption listenOption(
        QStringLiteral("listen"),
        QStringLiteral("Loopback ADDRESS:PORT to listen on (port 0: any)."),
        QStringLiteral("address"), QStringLiteral("127.0.0.1:0"));
    const QCommandLineOption targetOption(QStringLiteral("target"),
                                          QStringLiteral("Loopback ADDRESS:PORT to forward to."),
                                          QStringLiteral("address"));
    const QCommandLineOption delayOption(QStringLiteral("delay"),
                                         QStringLiteral("Hold each direction back MS ms."),
                                         QStringLiteral("ms"), QStringLiteral("0"));
    const QCommandLineOption silentOption(QStringLiteral("no-answer"),
                                          QStringLiteral("Accept and never answer."));
    const QCommandLineOption parentOption(QStringLiteral("exit-with-parent"),
                                          QStringLiteral("End when the starting process ends."));
    parser.addOptions({listenOption, targetOption, delayOption, silentOption, parentOption});
    parser.process(app);

    const auto listen = parseEndpoint(parser.value(listenOption));
    const bool silent = parser.isSet(silentOption);
    const auto target =
        silent ? std::optional<Endpoint>{} : parseEndpoint(parser.value(targetOption));
    bool delayOk = false;
    const int delayMs = parser.value(delayOption).toInt(&delayOk);
    if (!listen || (!silent && !target) || !delayOk || delayMs < 0) {
        std::fprintf(stderr, "sr5n-tcp-proxy: give a loopback --listen, and --target (a loopback "
                             "ADDRESS:PORT) or --no-answer; --delay takes milliseconds\n");
        return 2;
    }
    if (parser.isSet(parentOption))
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);

    QTcpServer server;
    // Connections of the silent mode: held open, never read.
    QList<QTcpSocket *> held;
    QObject::connect(&server, &QTcpServer::newConnection, &server, [&] {
        while (QTcpSocket *client = server.nextPendingConnection()) {
            if (silent) {
                held.append(client);
                continue;
            }
            auto *upstream = new QTcpSocket(client);
            new Pipe(client, upstream, delayMs, client);
            new Pipe(upstream, client, delayMs, client);
            QObject::connect(upstream, &QTcpSocket::errorOccurred, client,
                             [client](QAbstractSocket::SocketError) { client->abort(); });
            QObject::connect(client, &QTcpSocket::disconnected, client, [client, upstream] {
                if (upstream->state() == QAbstractSocket::UnconnectedState)
                    client->deleteLater();
            });
            QObject::connect(upstream, &QTcpSocket::disconnected, client, [client] {
                if (client->state() == QAbstractSocket::UnconnectedState)
                    client->deleteLater();
            });
            upstream->connectToHost(target->address, target->port);
        }
    });
    if (!server.listen(listen->address, listen->port)) {
        std::fprintf(stderr, "sr5n-tcp-proxy: cannot listen: %s\n",
                     qPrintable(server.errorString()));
        return 1;
    }
    const QHostAddress address = server.serverAddress();
    const QString shown = address.protocol() == QAbstractSocket::IPv6Protocol
                              ? QLatin1Char('[') + address.toString() + QLatin1Char(']')
                              : address.toString();
    std::printf("listening on %s:%u\n", qPrintable(shown), unsigned(server.serverPort()));
    std::fflush(stdout);
    return app.exec();
}
