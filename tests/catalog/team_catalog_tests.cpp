// sr5n-cli against the team's catalogue on a PostgreSQL server, as a script
// run by several engineers at once would use it.
#include "CatalogFixture.h"

#include "catalog/PostgresUri.h"
#include "common/PgServer.h"
#include "common/PgTableLock.h"
#include "common/SimProcess.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace sr5n {
namespace {

using test::PgServer;

const QString Cli = QStringLiteral(SR5N_BIN_DIR "/sr5n-cli");
const QString ShortCli = QStringLiteral(SR5N_BIN_DIR "/sr5n-cli-short");

class TeamCatalog : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_server.start()) << m_server.error().toStdString();
        m_database = m_server.createDatabase();
        ASSERT_FALSE(m_database.isEmpty()) << m_server.error().toStdString();
        // A configuration as the device holds it, protocols and all.
        test::SimProcess sim;
        ASSERT_TRUE(sim.started());
        QProcess read;
        read.setStandardInputFile(QProcess::nullDevice());
        read.start(ShortCli, {QStringLiteral("read"), QStringLiteral("--port"), sim.path(),
                              QStringLiteral("-o"), snc()});
        ASSERT_TRUE(read.waitForFinished(120000));
        ASSERT_EQ(read.exitCode(), 0) << read.readAllStandardError().toStdString();
    }
    void TearDown() override { m_server.start(); }

    QString uri() const
    {
        return m_server.socketUri(QLatin1String(PgServer::Engineer), m_database);
    }
    QString snc() const { return m_folder.filePath(QStringLiteral("object.snc")); }
    // Entries on the server; 0 before anyone set the catalogue up.
    int entriesOnServer()
    {
        if (m_server.execute(m_database, QStringLiteral("SELECT to_regclass('entries') IS NULL")) ==
            QStringLiteral("t"))
            return 0;
        return m_server.execute(m_database, QStringLiteral("SELECT count(*) FROM entries"))
            .value_or(QStringLiteral("-1"))
            .toInt();
    }

    // Configuration files of one object that differ in a phone number (the
    // numbers from `first` on), so that each is an entry of its own:
    // "<prefix>-0.snc", "<prefix>-1.snc"...
    QStringList distinctFiles(const QString &prefix, int first, int count) const
    {
        QStringList files;
        for (int i = 0; i < count; ++i) {
            test::SampleConfiguration sample;
            sample.phone = QStringLiteral("849%1").arg(first + i, 8, 10, QLatin1Char('0'));
            const QString path = m_folder.filePath(QStringLiteral("%1-%2.snc").arg(prefix).arg(i));
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly) || file.write(sample.bytes()) <= 0)
                return {};
            files << path;
        }
        return files;
    }

    // A shell loop of `count` sr5n-cli runs, each recording a file of its own
    // into the catalogue.
    std::unique_ptr<QProcess> startLoop(int stream, int count)
    {
        const QString prefix = QStringLiteral("stream%1").arg(stream);
        distinctFiles(prefix, stream * count, count);
        auto loop = std::make_unique<QProcess>();
        loop->setProgram(QStringLiteral("/bin/sh"));
        loop->setArguments(
            {QStringLiteral("-c"),
             QStringLiteral("i=0; while [ $i -lt %1 ]; do \"$0\" objects import --quiet "
                            "\"$1-$i.snc\" --catalog \"$2\" > /dev/null || exit 1; i=$((i+1)); "
                            "done")
                 .arg(count),
             Cli, m_folder.filePath(prefix), uri()});
        loop->setStandardInputFile(QProcess::nullDevice());
        loop->start();
        return loop;
    }

    // `sr5n-cli objects list` against the server, to its end: true on exit 0.
    ::testing::AssertionResult listObjects()
    {
        QProcess cli;
        cli.start(Cli, {QStringLiteral("objects"), QStringLiteral("list"),
                        QStringLiteral("--catalog"), uri()});
        if (!cli.waitForFinished(60000))
            return ::testing::AssertionFailure() << "objects list did not end";
        if (cli.exitCode() != 0)
            return ::testing::AssertionFailure() << cli.readAllStandardError().toStdString();
        return ::testing::AssertionSuccess();
    }

    PgServer &m_server = PgServer::shared();
    QString m_database;
    QTemporaryDir m_folder;
};

TEST_F(TeamCatalog, EightProcessesRecordingAtOnceLoseNothing)
{
    // Each process imports 200 files of one object, each of its own bytes.
    std::vector<std::unique_ptr<QProcess>> processes;
    for (int i = 0; i < 8; ++i) {
        const QStringList files = distinctFiles(QStringLiteral("p%1").arg(i), i * 200, 200);
        ASSERT_EQ(files.size(), 200);
        processes.push_back(std::make_unique<QProcess>());
        processes.back()->setStandardInputFile(QProcess::nullDevice());
        processes.back()->start(Cli,
                                QStringList{QStringLiteral("objects"), QStringLiteral("import"),
                                            QStringLiteral("--catalog"), uri()} +
                                    files);
    }
    for (auto &process : processes) {
        ASSERT_TRUE(process->waitForFinished(280000));
        EXPECT_EQ(process->exitCode(), 0) << process->readAllStandardError().toStdString();
    }
    EXPECT_EQ(entriesOnServer(), 1600);
    EXPECT_EQ(m_server
                  .execute(m_database,
                           QStringLiteral("SELECT count(DISTINCT id) || ' ' || count(DISTINCT "
                                          "object_id) || ' ' || (SELECT count(*) FROM "
                                          "configurations) FROM entries"))
                  .value_or(QString()),
              QStringLiteral("1600 1 1600"));
}

// The server stops in the middle of the run and starts again: the processes
// that found it away kept their entries, and the later ones sent them.
TEST_F(TeamCatalog, AServerStoppedInTheMiddleCostsNothingButADelay)
{
    std::vector<std::unique_ptr<QProcess>> loops;
    for (int stream = 0; stream < 3; ++stream)
        loops.push_back(startLoop(stream, 60));
    const auto waitFor = [this](int entries) {
        QElapsedTimer clock;
        clock.start();
        while (entriesOnServer() < entries && clock.elapsed() < 120000)
            QThread::msleep(50);
    };
    waitFor(40);
    ASSERT_GE(entriesOnServer(), 40);
    ASSERT_TRUE(m_server.stop()) << m_server.error().toStdString();
    QThread::sleep(3);
    ASSERT_TRUE(m_server.start()) << m_server.error().toStdString();
    QString told;
    for (auto &loop : loops) {
        ASSERT_TRUE(loop->waitForFinished(280000));
        told += QString::fromUtf8(loop->readAllStandardError());
        EXPECT_EQ(loop->exitCode(), 0) << told.right(1000).toStdString();
    }
    const QString server = PostgresUri::parse(uri()).displayText();
    EXPECT_TRUE(told.contains(QStringLiteral("Сервер каталога %1 недоступен").arg(server)))
        << told.left(2000).toStdString();
    EXPECT_TRUE(told.contains(
        QStringLiteral("В общий каталог %1 отправлены записи, сделанные без связи с сервером: ")
            .arg(server)))
        << told.left(2000).toStdString();
    // Whatever the last runs left waiting goes with the next one.
    QProcess last;
    last.start(Cli, QStringList{QStringLiteral("objects"), QStringLiteral("import"),
                                QStringLiteral("--catalog"), uri()} +
                        distinctFiles(QStringLiteral("last"), 100000, 1));
    ASSERT_TRUE(last.waitForFinished(60000));
    EXPECT_EQ(last.exitCode(), 0);
    EXPECT_EQ(entriesOnServer(), 181);
    EXPECT_EQ(m_server
                  .execute(m_database, QStringLiteral("SELECT count(*) FROM (SELECT source FROM "
                                                      "entries WHERE source IS NOT NULL GROUP BY "
                                                      "source HAVING count(*) > 1) AS twice"))
                  .value_or(QString()),
              QStringLiteral("0"));
}

struct AwayCase {
    const char *name;
    const char *password;
    bool silentServer; // a port that takes the connection and never answers
    const char *told;  // %1: the server
};

void PrintTo(const AwayCase &c, std::ostream *os)
{
    *os << c.name;
}

std::string awayName(const ::testing::TestParamInfo<AwayCase> &c)
{
    return c.param.name;
}

class TeamCatalogAway : public TeamCatalog, public ::testing::WithParamInterface<AwayCase>
{
};

// A device read goes on when the catalogue's server refuses the password or
// never answers: the configuration is read and saved, the entry kept
// locally, and the reason told in one line within seconds.
TEST_P(TeamCatalogAway, TheDeviceOperationCompletesAndTheReasonIsTold)
{
    const AwayCase &c = GetParam();
    test::SimProcess sim;
    ASSERT_TRUE(sim.started());
    int silentSocket = -1;
    QString address = m_server.tcpUri(QLatin1String(PgServer::Engineer), m_database);
    if (c.silentServer) {
        silentSocket = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof a;
        ::bind(silentSocket, reinterpret_cast<sockaddr *>(&a), length);
        ::listen(silentSocket, 8);
        ::getsockname(silentSocket, reinterpret_cast<sockaddr *>(&a), &length);
        address = QStringLiteral("postgresql://engineer@127.0.0.1:%1/%2")
                      .arg(ntohs(a.sin_port))
                      .arg(m_database);
    }
    const QString saved = m_folder.filePath(QStringLiteral("read.snc"));
    QProcess cli;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PGPASSWORD"), QString::fromLatin1(c.password));
    environment.insert(QStringLiteral("SR5N_CATALOG"), address);
    cli.setProcessEnvironment(environment);
    QElapsedTimer clock;
    clock.start();
    cli.start(ShortCli, {QStringLiteral("read"), QStringLiteral("--port"), sim.path(),
                         QStringLiteral("-o"), saved});
    ASSERT_TRUE(cli.waitForFinished(120000));
    const qint64 elapsed = clock.elapsed();
    if (silentSocket >= 0)
        ::close(silentSocket);
    const QString err = QString::fromUtf8(cli.readAllStandardError());
    EXPECT_EQ(cli.exitCode(), 0) << err.toStdString();
    EXPECT_TRUE(QFile::exists(saved));
    EXPECT_TRUE(
        err.contains(QString::fromUtf8(c.told).arg(PostgresUri::parse(address).displayText())))
        << err.toStdString();
    // The read itself takes a few seconds with the short waits; the server
    // adds no more than its connect time-out.
    EXPECT_LT(elapsed, 30000);
    EXPECT_EQ(entriesOnServer(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    TeamCatalog, TeamCatalogAway,
    ::testing::Values(
        AwayCase{"WrongPassword", "not-this-one", false,
                 "Сервер каталога %1 не принял пароль роли «engineer». Записи сохраняются в "
                 "локальном каталоге и будут отправлены в общий каталог %1 при следующем "
                 "подключении"},
        AwayCase{"ServerNeverAnswers", "engineer-pass", true,
                 "Сервер каталога %1 недоступен: сервер не ответил за 5 с: он выключен, "
                 "недоступен по сети или соединение блокируется. Записи сохраняются в локальном "
                 "каталоге и будут отправлены в общий каталог %1 при следующем подключении\n"
                 "Ответ драйвера: timeout expired"}),
    awayName);

// Another engineer's transaction holds every table of the catalogue. A read
// ends with its result and exit 0 (the entry kept locally and the delay
// told); a SIGTERM while it waits for the server ends it at once (exit 130).
// Neither entry is lost: the next command, once the lock is gone, sends
// both, each once. Qt's own warnings about the connection never reach the
// terminal.
TEST_F(TeamCatalog, ALockedServerCostsACommandNothingAndItsEntriesGoOnceLater)
{
    // The catalogue made on the server first.
    ASSERT_TRUE(listObjects());

    test::SimProcess sim;
    ASSERT_TRUE(sim.started());
    test::PgTableLock lock(m_server, m_database);
    ASSERT_TRUE(lock.held());
    const auto read = [&](const QString &saved) {
        auto cli = std::make_unique<QProcess>();
        cli->start(ShortCli, {QStringLiteral("read"), QStringLiteral("--port"), sim.path(),
                              QStringLiteral("-o"), saved, QStringLiteral("--catalog"), uri()});
        return cli;
    };
    const QString server = PostgresUri::parse(uri()).displayText();
    {
        const QString saved = m_folder.filePath(QStringLiteral("locked.snc"));
        auto cli = read(saved);
        ASSERT_TRUE(cli->waitForFinished(120000));
        const QString err = QString::fromUtf8(cli->readAllStandardError());
        EXPECT_EQ(cli->exitCode(), 0) << err.toStdString();
        EXPECT_TRUE(QFile::exists(saved));
        // The server's lock limit tells it within seconds; the entries wait locally.
        EXPECT_TRUE(err.contains(QStringLiteral("Записи сохраняются в локальном каталоге и будут "
                                                "отправлены в общий каталог %1 при следующем "
                                                "подключении")
                                     .arg(server)))
            << err.toStdString();
        EXPECT_FALSE(err.contains(QStringLiteral("QSqlQuery"))) << err.toStdString();
        EXPECT_FALSE(err.contains(QStringLiteral("Unable to free statement"))) << err.toStdString();
    }
    {
        // Stopped while its entries wait for the locked server.
        const QString saved = m_folder.filePath(QStringLiteral("stopped.snc"));
        auto cli = read(saved);
        ASSERT_TRUE(cli->waitForStarted(30000));
        QElapsedTimer waiting;
        waiting.start();
        while (!QFile::exists(saved) && waiting.elapsed() < 120000 && !cli->waitForFinished(20)) {
        }
        ASSERT_TRUE(QFile::exists(saved));
        ASSERT_EQ(cli->state(), QProcess::Running);
        ::kill(static_cast<pid_t>(cli->processId()), SIGTERM);
        ASSERT_TRUE(cli->waitForFinished(60000));
        EXPECT_EQ(cli->exitCode(), 130) << cli->readAllStandardError().toStdString();
    }
    lock.release();
    EXPECT_EQ(entriesOnServer(), 0);
    EXPECT_TRUE(listObjects());
    // Each read recorded its configuration and the file it saved.
    EXPECT_EQ(m_server
                  .execute(m_database, QStringLiteral("SELECT count(*) || ' ' || count(DISTINCT "
                                                      "source) FROM entries"))
                  .value_or(QString()),
              QStringLiteral("4 4"));
}

// A statement the server refuses is a failure: exit 3 with the reason on
// standard error, and with --json an error object, never an empty list.
TEST_F(TeamCatalog, AReadTheServerRefusesIsAFailureWithItsReason)
{
    ASSERT_TRUE(listObjects());
    // A column the search needs is gone; the catalogue still opens.
    ASSERT_TRUE(m_server.execute(
        m_database, QStringLiteral("ALTER TABLE objects RENAME COLUMN search TO search_away")));
    for (const bool asJson : {false, true}) {
        SCOPED_TRACE(asJson ? "json" : "text");
        QStringList arguments{QStringLiteral("objects"),   QStringLiteral("list"),
                              QStringLiteral("--search"),  QStringLiteral("0412"),
                              QStringLiteral("--catalog"), uri()};
        if (asJson)
            arguments << QStringLiteral("--json");
        QProcess cli;
        cli.start(Cli, arguments);
        ASSERT_TRUE(cli.waitForFinished(60000));
        const QString err = QString::fromUtf8(cli.readAllStandardError());
        const QString out = QString::fromUtf8(cli.readAllStandardOutput());
        EXPECT_EQ(cli.exitCode(), 3) << err.toStdString();
        EXPECT_TRUE(err.contains(QStringLiteral("search"))) << err.toStdString();
        if (asJson) {
            const QJsonObject error = QJsonDocument::fromJson(out.toUtf8()).object();
            EXPECT_TRUE(
                error.value(QStringLiteral("message")).toString().contains(QStringLiteral("search")))
                << out.toStdString();
        } else {
            EXPECT_EQ(out, QString());
        }
    }
}

TEST_F(TeamCatalog, ABadCatalogueAddressIsAUsageError)
{
    QProcess cli;
    cli.start(Cli, {QStringLiteral("export"), snc(), QStringLiteral("--catalog"),
                    QStringLiteral("postgresql://db:99999/catalog")});
    ASSERT_TRUE(cli.waitForFinished(60000));
    EXPECT_EQ(cli.exitCode(), 2);
    EXPECT_TRUE(QString::fromUtf8(cli.readAllStandardError())
                    .startsWith(QStringLiteral(
                        "sr5n-cli: Неверный адрес каталога: неверный порт «99999»\n")));
}

} // namespace
} // namespace sr5n
