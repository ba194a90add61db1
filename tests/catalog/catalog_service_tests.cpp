// The catalogue's service: its own thread answers every request with a
// value or the reason it failed; searches made stale are dropped; an entry is
// kept locally at once and reaches a locked server exactly once when the
// lock ends.
#include "CatalogFixture.h"

#include "catalog/CatalogService.h"
#include "catalog/CatalogStore.h"
#include "catalog/ObjectCatalog.h"
#include "catalog/SqliteCatalog.h"
#include "common/PgServer.h"
#include "common/PgTableLock.h"

#include <QSemaphore>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace sr5n {
namespace {

using test::PgServer;

NewCatalogEntry entryOf(const char *object, const QString &note = {})
{
    return test::ReadEntry(test::SampleOf(object), note);
}

class CatalogServiceTest : public ::testing::Test
{
protected:
    QString localPath() const { return m_folder.filePath(QStringLiteral("catalog.sqlite")); }
    CatalogPlace local() const { return {localPath(), QString(), localPath(), false}; }

    QTemporaryDir m_folder;
};

// While a request holds the thread, five searches are asked: only the newest
// runs, and its count and page come in one answer.
TEST_F(CatalogServiceTest, ANewerSearchDropsTheOlderOnesStillWaiting)
{
    CatalogService service(local());
    for (const char *object : {"1111", "1112", "2221"})
        ASSERT_TRUE(service.await<bool>([&](ObjectCatalog &catalog) -> Expected<bool> {
            return catalog.record(entryOf(object)).has_value();
        }));
    QSemaphore hold;
    service.ask<bool>(&service,
                      [&hold](ObjectCatalog &) -> Expected<bool> {
                          hold.acquire();
                          return true;
                      },
                      {});
    QObject context;
    QStringList answered;
    std::optional<ObjectPage> last;
    for (const char *text : {"1", "11", "111", "1112", "22"})
        service.search(&context, QString::fromLatin1(text), 0, 10,
                       [&answered, &last, text](Expected<ObjectPage> page) {
                           answered << QString::fromLatin1(text);
                           ASSERT_TRUE(page) << qPrintable(page.reason());
                           last = *page;
                       });
    hold.release();
    ASSERT_TRUE(service.wait(CatalogService::Until::Idle, 30000));
    EXPECT_EQ(answered, QStringList{QStringLiteral("22")});
    ASSERT_TRUE(last);
    EXPECT_EQ(last->total, 1);
    ASSERT_EQ(last->objects.size(), 1);
    EXPECT_TRUE(last->objects[0].codes.startsWith(QStringLiteral("2221")));
    EXPECT_TRUE(last->status.startsWith(QStringLiteral("Локальный каталог")));
}

// A catalogue whose table cannot be read answers with the reason, never with
// an empty list; the count and the page alike.
TEST_F(CatalogServiceTest, AReadThatFailsIsAFailureNotAnEmptyList)
{
    CatalogService service(local());
    ASSERT_TRUE(service.await<bool>([](ObjectCatalog &catalog) -> Expected<bool> {
        return catalog.record(entryOf("1234")).has_value();
    }));
    {
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "breaker");
        other.setDatabaseName(localPath());
        ASSERT_TRUE(other.open());
        ASSERT_TRUE(QSqlQuery(other).exec(QStringLiteral("DROP TABLE objects")));
        other.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("breaker"));
    std::optional<Expected<ObjectPage>> answer;
    QObject context;
    service.search(&context, QString(), 0, 10,
                   [&answer](Expected<ObjectPage> page) { answer.emplace(std::move(page)); });
    ASSERT_TRUE(service.wait(CatalogService::Until::Idle, 30000));
    ASSERT_TRUE(answer);
    EXPECT_FALSE(answer->has_value());
    EXPECT_TRUE(answer->reason().contains(QStringLiteral("objects")))
        << qPrintable(answer->reason());
    const Expected<QList<CatalogEntry>> timeline =
        service.await<QList<CatalogEntry>>([](ObjectCatalog &catalog) {
            return catalog.store()->timeline(QStringLiteral("no such object"));
        });
    EXPECT_TRUE(timeline.has_value()); // a table that is there answers, even with nothing
}

// An answer is delivered only while its asker lives.
TEST_F(CatalogServiceTest, AnAnswerForAnAskerThatWentIsDropped)
{
    CatalogService service(local());
    bool called = false;
    {
        QObject asker;
        service.ask<bool>(
            &asker, [](ObjectCatalog &) -> Expected<bool> { return true; },
            [&called](Expected<bool>) { called = true; });
    }
    ASSERT_TRUE(service.wait(CatalogService::Until::Idle, 30000));
    EXPECT_FALSE(called);
}

class CatalogServiceOnServer : public CatalogServiceTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_server.start()) << m_server.error().toStdString();
        m_database = m_server.createDatabase();
        ASSERT_FALSE(m_database.isEmpty()) << m_server.error().toStdString();
    }
    CatalogPlace shared() const
    {
        return {m_server.socketUri(QLatin1String(PgServer::Engineer), m_database), QString(),
                localPath(), false};
    }
    QString onServer(const QString &sql)
    {
        return m_server.execute(m_database, sql).value_or(QStringLiteral("(failed)"));
    }

    PgServer &m_server = PgServer::shared();
    QString m_database;
};

// Another session holds every table of the catalogue: the entry is kept in
// the local catalogue at once and the asker goes on; when the lock ends it
// reaches the server, once, however often it is sent again.
TEST_F(CatalogServiceOnServer, AnEntryIsKeptAtOnceAndReachesALockedServerOnceAfterTheLock)
{
    {
        CatalogService service(shared());
        // Opened and the tables made by a first search.
        QObject context;
        bool listed = false;
        service.search(&context, QString(), 0, 10,
                       [&listed](Expected<ObjectPage> page) { listed = page.has_value(); });
        ASSERT_TRUE(service.wait(CatalogService::Until::Idle, 30000));
        ASSERT_TRUE(listed);

        test::PgTableLock lock(m_server, m_database);
        ASSERT_TRUE(lock.held());
        std::optional<Expected<RecordedEntry>> recorded;
        service.record(entryOf("0412", QStringLiteral("при блокировке")), true, &context,
                       [&recorded](Expected<RecordedEntry> r) { recorded.emplace(std::move(r)); });
        ASSERT_TRUE(service.wait(CatalogService::Until::Kept, 30000));
        // Kept locally while the lock still holds the sending.
        EXPECT_FALSE(service.idle());
        EXPECT_FALSE(recorded);
        {
            CatalogOpening here = OpenSqliteCatalog(localPath());
            ASSERT_TRUE(here.store);
            const Expected<QList<CatalogObject>> objects = here.store->objects();
            ASSERT_TRUE(objects);
            EXPECT_EQ(objects->size(), 1);
        }
        lock.release();
        ASSERT_TRUE(service.wait(CatalogService::Until::Idle, 60000));
        ASSERT_TRUE(recorded);
        ASSERT_TRUE(recorded->has_value()) << qPrintable(recorded->reason());
        EXPECT_TRUE((*recorded)->entry.source.startsWith(QStringLiteral("offline:")));
    }
    EXPECT_EQ(onServer(QStringLiteral("SELECT count(*) FROM entries")), QStringLiteral("1"));
    // Another run sends what waits: nothing, and nothing twice.
    {
        CatalogService again(shared());
        ASSERT_TRUE(again.await<bool>([](ObjectCatalog &catalog) -> Expected<bool> {
            catalog.reconnect();
            return true;
        }));
        EXPECT_EQ(again.takeNotices(), QStringList());
    }
    EXPECT_EQ(onServer(QStringLiteral("SELECT count(*) || ' ' || count(DISTINCT source) FROM "
                                      "entries")),
              QStringLiteral("1 1"));
}

} // namespace
} // namespace sr5n
