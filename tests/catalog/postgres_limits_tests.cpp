// The shared catalogue across a network: time limits against a hung, frozen
// or locked server, writers that do not queue behind each other, and TLS
// with a checked certificate.
#include "CatalogFixture.h"

#include "catalog/PostgresCatalog.h"
#include "catalog/PostgresConnector.h"
#include "catalog/PostgresDialect.h"
#include "catalog/SharedCatalogStore.h"
#include "common/PgServer.h"
#include "common/ExpectedValue.h"
#include "common/TcpProxy.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include "common/QtPrinters.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace sr5n {
namespace {

using test::PgServer;
using test::TcpProxy;

const QString Writer = QStringLiteral(SR5N_BIN_DIR "/sr5n-test-catalog-writer");

NewCatalogEntry newEntry(const char *object1, const QString &note = {})
{
    return test::ReadEntry(test::SampleOf(object1), note);
}

// A session of its own on the server, as another engineer's program or psql.
class Session
{
public:
    explicit Session(const QString &uri) : m_name(QStringLiteral("other-session"))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_name);
        m_opened = PostgresConnector::open(db, PostgresUri::parse(uri)).opened();
    }
    ~Session()
    {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }
    bool opened() const { return m_opened; }
    bool run(const QString &sql)
    {
        QSqlQuery query(QSqlDatabase::database(m_name, false));
        return query.exec(sql);
    }

private:
    QString m_name;
    bool m_opened = false;
};

class ServerLimits : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_server.start()) << m_server.error().toStdString();
        m_database = m_server.createDatabase();
        ASSERT_FALSE(m_database.isEmpty()) << m_server.error().toStdString();
        qputenv("PGPASSWORD", PgServer::EngineerPassword);
    }
    void TearDown() override { qunsetenv("PGPASSWORD"); }

    QString socketUri() const
    {
        return m_server.socketUri(QLatin1String(PgServer::Engineer), m_database);
    }
    // Over TCP through a port of 127.0.0.1 (the server's own, or a proxy's).
    QString tcpUri(int port, const QString &query = QStringLiteral("sslmode=disable")) const
    {
        return QStringLiteral("postgresql://%1@127.0.0.1:%2/%3?%4")
            .arg(QLatin1String(PgServer::Engineer), QString::number(port), m_database, query);
    }
    QString localPath() const { return m_folder.filePath(QStringLiteral("catalog.sqlite")); }
    QString onServer(const QString &sql)
    {
        return m_server.execute(m_database, sql).value_or(QStringLiteral("(failed)"));
    }
    // Sets the catalogue up with one entry, so that later openings only read.
    void setUp()
    {
        PostgresOpening opened = OpenPostgresCatalog(PostgresUri::parse(socketUri()));
        ASSERT_TRUE(opened.opening.store) << opened.opening.failure.toStdString();
        ASSERT_TRUE(opened.opening.store->record(newEntry("0001")));
    }

    PgServer &m_server = PgServer::shared();
    QString m_database;
    QTemporaryDir m_folder;
};

// A server that takes the connection and never answers: the opening gives up
// at the connect limit, with our sentence and the driver's words below it.
TEST_F(ServerLimits, AServerThatNeverAnswersIsToldWithinTheConnectLimit)
{
    TcpProxy silent = TcpProxy::silent();
    ASSERT_TRUE(silent.started()) << silent.error().toStdString();
    const PostgresUri uri = PostgresUri::parse(tcpUri(silent.port()));
    QElapsedTimer clock;
    clock.start();
    const PostgresOpening opened = OpenPostgresCatalog(uri);
    EXPECT_LT(clock.elapsed(), (PostgresUri::DefaultConnectTimeout + 3) * 1000);
    EXPECT_FALSE(opened.opening.store);
    EXPECT_EQ(opened.connectFailure, PostgresConnector::Failure::Unreachable);
    EXPECT_EQ(opened.opening.failure,
              QStringLiteral("Сервер каталога %1 недоступен: сервер не ответил за 5 с: он "
                             "выключен, недоступен по сети или соединение блокируется\nОтвет "
                             "драйвера: timeout expired")
                  .arg(uri.displayText()));
}

// A server that stops in the middle of a session (the proxy frozen: the
// system still takes what is sent): the statement is cut at the answer
// limit, the catalogue goes offline with its notice and keeps the entry.
TEST_F(ServerLimits, AServerFrozenMidSessionIsLeftAtTheAnswerLimitAndTheEntryKept)
{
    setUp();
    TcpProxy proxy(m_server.port());
    ASSERT_TRUE(proxy.started()) << proxy.error().toStdString();
    const PostgresUri uri = PostgresUri::parse(tcpUri(proxy.port()));
    SharedCatalogStore store(uri, localPath());
    ASSERT_TRUE(store.connect()) << store.connectProblem().toStdString();
    ASSERT_EQ(valueOf(store.objects()).size(), 1);
    EXPECT_EQ(store.statusText(),
              QStringLiteral("Общий каталог %1: на связи, без шифрования").arg(uri.displayText()));

    proxy.freeze();
    // Kept locally at once; sending it meets the frozen server.
    const auto kept = store.record(newEntry("0002", QStringLiteral("при замершем сервере")));
    ASSERT_TRUE(kept) << store.lastError().toStdString();
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(store.sendWaiting(), 0);
    const qint64 took = clock.elapsed();
    // The answer limit, then one connection attempt at the connect limit.
    EXPECT_GE(took, PostgresDialect::AnswerLimit.count() - 500);
    EXPECT_LT(took, PostgresDialect::AnswerLimit.count() +
                        (PostgresUri::DefaultConnectTimeout + 5) * 1000);
    EXPECT_FALSE(store.connected());
    const QStringList told = store.takeNotices();
    ASSERT_EQ(told.size(), 1) << told.join(u'\n').toStdString();
    EXPECT_EQ(told[0],
              QStringLiteral("Сервер каталога %1 недоступен: сервер не ответил за 12 с, "
                             "соединение разорвано. Записи сохраняются в локальном каталоге и "
                             "будут отправлены в общий каталог %1 при следующем подключении")
                  .arg(uri.displayText()));

    // Once it answers again, the entry goes there once.
    proxy.thaw();
    EXPECT_EQ(store.sendWaiting(), 1) << store.connectProblem().toStdString();
    EXPECT_EQ(onServer(QStringLiteral("SELECT count(*) FROM entries WHERE note = 'при замершем "
                                      "сервере'")),
              QStringLiteral("1"));
}

// Another session holds the catalogue's table: a write fails at the lock
// limit with the reason, instead of waiting for as long as the lock is held.
TEST_F(ServerLimits, ATableLockedByAnotherSessionFailsAtTheLockLimit)
{
    setUp();
    PostgresOpening opened = OpenPostgresCatalog(PostgresUri::parse(socketUri()));
    ASSERT_TRUE(opened.opening.store) << opened.opening.failure.toStdString();
    CatalogStore &store = *opened.opening.store;
    Session other(socketUri());
    ASSERT_TRUE(other.opened());
    ASSERT_TRUE(other.run(QStringLiteral("BEGIN")));
    ASSERT_TRUE(other.run(QStringLiteral("LOCK TABLE objects IN ACCESS EXCLUSIVE MODE")));
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(store.record(newEntry("0003")));
    EXPECT_LT(clock.elapsed(), PostgresUri::LockTimeoutMs + 3000);
    EXPECT_EQ(store.lastError(),
              QStringLiteral("данные общего каталога заняты незавершенной транзакцией другого "
                             "сеанса дольше 3 с"));
    ASSERT_TRUE(other.run(QStringLiteral("ROLLBACK")));
    EXPECT_TRUE(store.record(newEntry("0003"))) << store.lastError().toStdString();
}

// Two processes record at once while a third session holds a transaction
// open on another object (and the lock every writer once took): neither
// waits for it, nothing is lost and nothing is doubled.
TEST_F(ServerLimits, WritersDoNotQueueBehindAnotherSessionsOpenTransaction)
{
    setUp();
    Session other(socketUri());
    ASSERT_TRUE(other.opened());
    ASSERT_TRUE(other.run(QStringLiteral("BEGIN")));
    ASSERT_TRUE(other.run(QStringLiteral("SELECT pg_advisory_xact_lock(1936864622)")));
    ASSERT_TRUE(other.run(QStringLiteral("SELECT pg_advisory_xact_lock(1936864622, "
                                         "hashtext('0001 0567'))")));
    ASSERT_TRUE(other.run(QStringLiteral("UPDATE objects SET notes = 'held' WHERE codes = '0001 "
                                         "0567'")));

    // Each writer: 30 entries of an object of its own and 30 of one they share.
    std::vector<std::unique_ptr<QProcess>> writers;
    for (const char *tag : {"1111", "2222", "3333", "3333"}) {
        writers.push_back(std::make_unique<QProcess>());
        writers.back()->start(Writer, {socketUri(), QStringLiteral("30"), QLatin1String(tag)});
    }
    for (auto &writer : writers) {
        // Well within what waiting for the open transaction would take.
        ASSERT_TRUE(writer->waitForFinished(90000));
        EXPECT_EQ(writer->exitCode(), 0) << writer->readAllStandardError().toStdString();
    }
    ASSERT_TRUE(other.run(QStringLiteral("COMMIT")));
    EXPECT_EQ(onServer(QStringLiteral("SELECT count(*) || ' ' || count(DISTINCT id) || ' ' || "
                                      "count(DISTINCT port || note) FROM entries")),
              QStringLiteral("121 121 91"));
    EXPECT_EQ(onServer(QStringLiteral("SELECT string_agg(codes || ':' || n, ' ' ORDER BY codes) "
                                      "FROM (SELECT o.codes, count(e.id) AS n FROM objects o LEFT "
                                      "JOIN entries e ON e.object_id = o.id GROUP BY o.id, "
                                      "o.codes) t")),
              QStringLiteral("0001 0567:1 1111 0567:30 2222 0567:30 3333 0567:60"));
    // Each object's latest entry is the latest of its timeline.
    EXPECT_EQ(onServer(QStringLiteral("SELECT count(*) FROM objects o WHERE last_entry <> (SELECT "
                                      "id FROM entries WHERE object_id = o.id ORDER BY time DESC, "
                                      "id DESC LIMIT 1)")),
              QStringLiteral("0"));
}

// A catalogue of a newer program takes no entries, and says why.
TEST_F(ServerLimits, ARefusedWriteToANewerCatalogueGivesItsReason)
{
    setUp();
    ASSERT_TRUE(m_server.execute(m_database, QStringLiteral("UPDATE catalog_meta SET value = '99' "
                                                            "WHERE key = 'schema-version'")));
    const PostgresUri uri = PostgresUri::parse(socketUri());
    SharedCatalogStore store(uri, localPath());
    ASSERT_TRUE(store.connect()) << store.connectProblem().toStdString();
    EXPECT_FALSE(store.record(newEntry("0004")));
    EXPECT_EQ(store.lastError(), QStringLiteral("общий каталог %1 создан более новой версией "
                                                "программы и открыт только для чтения")
                                     .arg(uri.displayText()));
}

} // namespace
} // namespace sr5n
