#include "catalog/PostgresConnector.h"
#include "common/PgServer.h"

#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "common/QtPrinters.h"

#include <gtest/gtest.h>

#include <thread>

namespace sr5n {
namespace {

using test::PgServer;

// A Qt SQL connection of its own for one test, removed at the end.
class Connection
{
public:
    Connection() : m_name(QStringLiteral("connector-test")) {}
    ~Connection()
    {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }
    PostgresConnector::Result open(const QString &uri, const QString &password = {})
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_name);
        return PostgresConnector::open(database, PostgresUri::parse(uri), password);
    }
    QString scalar(const QString &sql) const
    {
        QSqlQuery query(QSqlDatabase::database(m_name));
        return query.exec(sql) && query.next() ? query.value(0).toString() : QString();
    }

private:
    QString m_name;
};

// A TCP port that takes connections and never answers, as a hung server does.
class SilentServer
{
public:
    SilentServer()
    {
        m_socket = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(m_socket, reinterpret_cast<sockaddr *>(&address), length);
        ::listen(m_socket, 8);
        ::getsockname(m_socket, reinterpret_cast<sockaddr *>(&address), &length);
        m_port = ntohs(address.sin_port);
    }
    ~SilentServer() { ::close(m_socket); }
    int port() const { return m_port; }
    int socket() const { return m_socket; }

private:
    int m_socket = -1;
    int m_port = 0;
};

// A TCP port that answers whatever comes with one byte that is no text, as
// a service other than PostgreSQL might.
class GarbageServer
{
public:
    GarbageServer()
    {
        m_thread = std::thread([this] {
            const int client = ::accept(m_silent.socket(), nullptr, nullptr);
            if (client < 0)
                return;
            char request[8];
            if (::recv(client, request, sizeof request, MSG_WAITALL) > 0)
                ::send(client, "\xff", 1, 0);
            ::close(client);
        });
    }
    ~GarbageServer()
    {
        ::shutdown(m_silent.socket(), SHUT_RDWR);
        m_thread.join();
    }
    int port() const { return m_silent.port(); }

private:
    SilentServer m_silent;
    std::thread m_thread;
};

class PostgresConnectorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_server.running()) << m_server.error().toStdString();
        m_database = m_server.createDatabase();
        ASSERT_FALSE(m_database.isEmpty()) << m_server.error().toStdString();
        qunsetenv("PGPASSWORD");
        qunsetenv("PGUSER");
        // No ~/.pgpass of the user running the tests.
        qputenv("PGPASSFILE", QFile::encodeName(m_home.filePath(QStringLiteral("pgpass"))));
    }
    void TearDown() override
    {
        qunsetenv("PGPASSWORD");
        qunsetenv("PGPASSFILE");
    }

    PgServer &m_server = PgServer::shared();
    QString m_database;
    QTemporaryDir m_home;
};

TEST_F(PostgresConnectorTest, OpensWithThePasswordWhereverLibpqFindsIt)
{
    const QString tcp = m_server.tcpUri(QLatin1String(PgServer::Engineer), m_database);
    const QString password = QLatin1String(PgServer::EngineerPassword);
    {
        Connection connection;
        EXPECT_TRUE(
            connection.open(m_server.socketUri(QLatin1String(PgServer::Engineer), m_database))
                .opened());
        EXPECT_EQ(connection.scalar(QStringLiteral("SELECT current_user")),
                  QLatin1String(PgServer::Engineer));
    }
    {
        Connection connection; // the window's prompt
        EXPECT_TRUE(connection.open(tcp, password).opened());
    }
    {
        qputenv("PGPASSWORD", password.toUtf8());
        Connection connection;
        EXPECT_TRUE(connection.open(tcp).opened());
        qunsetenv("PGPASSWORD");
    }
    {
        QFile pgpass(m_home.filePath(QStringLiteral("pgpass")));
        ASSERT_TRUE(pgpass.open(QIODevice::WriteOnly));
        pgpass.write(QStringLiteral("127.0.0.1:*:*:%1:%2\n")
                         .arg(QLatin1String(PgServer::Engineer), password)
                         .toUtf8());
        pgpass.close();
        pgpass.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        Connection connection;
        EXPECT_TRUE(connection.open(tcp).opened());
    }
}

// What the driver does with the URI's parameters: libpq itself reads them.
TEST_F(PostgresConnectorTest, ParametersReachLibpq)
{
    Connection connection;
    ASSERT_TRUE(connection
                    .open(m_server.socketUri(QLatin1String(PgServer::Engineer), m_database) +
                          QStringLiteral("?application_name=bench%20three&options=-c%20"
                                         "statement_timeout%3D4321"))
                    .opened());
    EXPECT_EQ(connection.scalar(QStringLiteral("SELECT current_setting('application_name')")),
              QStringLiteral("bench three"));
    EXPECT_EQ(connection.scalar(QStringLiteral("SHOW statement_timeout")),
              QStringLiteral("4321ms"));
}

struct FailureCase {
    const char *name;
    enum Address { Tcp, Socket, Refusing, Silent, Garbage } address;
    const char *role;
    const char *database; // nullptr: the test's own
    const char *password;
    const char *suffix; // added to the URI
    PostgresConnector::Failure failure;
    const char *message; // %1: the server as the message names it
};

void PrintTo(const FailureCase &c, std::ostream *os)
{
    *os << c.name;
}

using Failure = PostgresConnector::Failure;

const FailureCase Failures[] = {
    {"NoPassword", FailureCase::Tcp, "engineer", nullptr, "", "", Failure::PasswordNeeded,
     "Сервер каталога %1 просит пароль роли «engineer»"},
    {"WrongPassword", FailureCase::Tcp, "engineer", nullptr, "not-this-one", "",
     Failure::PasswordRejected, "Сервер каталога %1 не принял пароль роли «engineer»"},
    {"NoSuchRole", FailureCase::Socket, "nobody_here", nullptr, "", "", Failure::NoSuchRole,
     "На сервере каталога %1 нет роли «nobody_here»"},
    {"NoSuchDatabase", FailureCase::Socket, "engineer", "no_such_base", "", "",
     Failure::NoSuchDatabase, "На сервере каталога %1 нет базы данных «no_such_base»"},
    {"TlsRequired", FailureCase::Tcp, "engineer", nullptr, "engineer-pass", "&sslmode=require",
     Failure::NoTls,
     "Сервер каталога %1 не поддерживает шифрование (TLS), а адрес требует его "
     "(sslmode=require): включите TLS на сервере"},
    // Our sentence, and the driver's words on a line of their own.
    {"NothingListens", FailureCase::Refusing, "engineer", nullptr, "engineer-pass", "",
     Failure::Unreachable,
     "Сервер каталога %1 недоступен: сервер не принимает подключения: служба PostgreSQL не "
     "запущена или порт указан неверно\nОтвет драйвера: Connection refused Is the server "
     "running on that host and accepting TCP/IP connections?"},
    {"ServerNeverAnswers", FailureCase::Silent, "engineer", nullptr, "engineer-pass", "",
     Failure::Unreachable,
     "Сервер каталога %1 недоступен: сервер не ответил за 5 с: он выключен, недоступен по сети "
     "или соединение блокируется\nОтвет драйвера: timeout expired"},
    // Not a PostgreSQL server: what it answered is no text, and is left out.
    {"NotPostgres", FailureCase::Garbage, "engineer", nullptr, "engineer-pass", "",
     Failure::Unreachable,
     "Сервер каталога %1 недоступен: на этом порту отвечает не сервер PostgreSQL\nОтвет "
     "драйвера: received invalid response to SSL negotiation:"},
};

class ConnectorFailure : public PostgresConnectorTest,
                         public ::testing::WithParamInterface<FailureCase>
{
};

TEST_P(ConnectorFailure, IsToldInOneSentenceWithinSeconds)
{
    const FailureCase &c = GetParam();
    const QString role = QString::fromUtf8(c.role);
    const QString database = c.database ? QString::fromUtf8(c.database) : m_database;
    SilentServer silent;
    GarbageServer garbage;
    QString uri;
    switch (c.address) {
    case FailureCase::Tcp:
        uri = m_server.tcpUri(role, database);
        break;
    case FailureCase::Socket:
        uri = m_server.socketUri(role, database) + QStringLiteral("?sslmode=disable");
        break;
    case FailureCase::Refusing: {
        SilentServer closed; // bound, then closed: nothing listens there
        uri = QStringLiteral("postgresql://%1@127.0.0.1:%2/%3?sslmode=disable")
                  .arg(role, QString::number(closed.port()), database);
        break;
    }
    case FailureCase::Silent:
        uri = QStringLiteral("postgresql://%1@127.0.0.1:%2/%3?sslmode=disable")
                  .arg(role, QString::number(silent.port()), database);
        break;
    case FailureCase::Garbage:
        // libpq asks for TLS first (its default "prefer" on this machine).
        uri = QStringLiteral("postgresql://%1@127.0.0.1:%2/%3")
                  .arg(role, QString::number(garbage.port()), database);
        break;
    }
    uri += QString::fromUtf8(c.suffix);
    QElapsedTimer clock;
    clock.start();
    Connection connection;
    const auto result = connection.open(uri, QString::fromUtf8(c.password));
    // The default time-out, not TCP's minutes, bounds a silent server.
    EXPECT_LT(clock.elapsed(), (PostgresUri::DefaultConnectTimeout + 5) * 1000);
    EXPECT_EQ(result.failure, c.failure);
    const PostgresUri parsed = PostgresUri::parse(uri);
    EXPECT_EQ(result.message, QString::fromUtf8(c.message).arg(parsed.displayText()));
}

std::string failureName(const ::testing::TestParamInfo<FailureCase> &failure)
{
    return failure.param.name;
}

INSTANTIATE_TEST_SUITE_P(PostgresConnector, ConnectorFailure, ::testing::ValuesIn(Failures),
                         failureName);

} // namespace
} // namespace sr5n
