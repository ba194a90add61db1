// The team's catalogue on a PostgreSQL server: roles, a server that goes away
// and comes back, and a local catalogue uploaded into it.
#include "CatalogFixture.h"

#include "catalog/PostgresCatalog.h"
#include "catalog/SharedCatalogStore.h"
#include "catalog/SqliteCatalog.h"
#include "common/PgServer.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace sr5n {
namespace {

using test::PgServer;
using test::SampleConfiguration;

NewCatalogEntry newEntry(const char *object1, const QString &note = {})
{
    return test::ReadEntry(test::SampleOf(object1), note);
}

class SharedCatalog : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_server.start()) << m_server.error().toStdString();
        m_database = m_server.createDatabase();
        ASSERT_FALSE(m_database.isEmpty()) << m_server.error().toStdString();
    }
    void TearDown() override { m_server.start(); }

    QString uri(const char *role = PgServer::Engineer) const
    {
        return m_server.socketUri(QLatin1String(role), m_database);
    }
    QString server() const { return PostgresUri::parse(uri()).displayText(); }
    QString localPath() const { return m_folder.filePath(QStringLiteral("catalog.sqlite")); }
    std::unique_ptr<SharedCatalogStore> shared(const char *role = PgServer::Engineer)
    {
        return std::make_unique<SharedCatalogStore>(PostgresUri::parse(uri(role)), localPath());
    }
    // What the server holds, asked as its superuser.
    QString onServer(const QString &sql)
    {
        return m_server.execute(m_database, sql).value_or(QStringLiteral("(failed)"));
    }

    PgServer &m_server = PgServer::shared();
    QString m_database;
    QTemporaryDir m_folder;
};

TEST_F(SharedCatalog, AnEmptyDatabaseIsSetUpOnlyByARoleThatMayCreateTables)
{
    const PostgresOpening refused =
        OpenPostgresCatalog(PostgresUri::parse(uri(PgServer::Newcomer)));
    EXPECT_FALSE(refused.opening.store);
    EXPECT_EQ(refused.opening.failure,
              QStringLiteral("В базе данных «%1» сервера %2 еще нет каталога, а роль «newcomer» "
                             "не может его создать: нужно право CREATE на схему «public» (GRANT "
                             "CREATE ON SCHEMA public TO newcomer) или каталог, созданный ролью "
                             "с этим правом")
                  .arg(m_database, PostgresUri::parse(uri(PgServer::Newcomer)).displayText()));

    PostgresOpening made = OpenPostgresCatalog(PostgresUri::parse(uri()));
    ASSERT_TRUE(made.opening.store) << made.opening.failure.toStdString();
    EXPECT_TRUE(made.opening.notices.isEmpty());
    EXPECT_FALSE(made.opening.store->isReadOnly());

    // Set up, but not readable by a role nobody granted it to.
    const PostgresOpening unread = OpenPostgresCatalog(PostgresUri::parse(uri(PgServer::Newcomer)));
    EXPECT_FALSE(unread.opening.store);
    EXPECT_EQ(unread.opening.failure,
              QStringLiteral("Роль «newcomer» не может читать общий каталог %1: нужно право "
                             "SELECT на его таблицы (GRANT SELECT ON ALL TABLES IN SCHEMA public "
                             "TO newcomer)")
                  .arg(PostgresUri::parse(uri(PgServer::Newcomer)).displayText()));
}

TEST_F(SharedCatalog, ARoleThatMayOnlyReadSeesEverythingAndIsToldOnceItRecordsNothing)
{
    {
        auto engineer = shared();
        ASSERT_TRUE(engineer->connected()) << engineer->connectProblem().toStdString();
        ASSERT_TRUE(engineer->record(newEntry("1234", QStringLiteral("первая"))));
        ASSERT_TRUE(engineer->record(newEntry("1234", QStringLiteral("вторая"))));
    }
    auto reader = shared(PgServer::Reader);
    ASSERT_TRUE(reader->connected()) << reader->connectProblem().toStdString();
    EXPECT_TRUE(reader->isReadOnly());
    const QString readerServer = PostgresUri::parse(uri(PgServer::Reader)).displayText();
    EXPECT_EQ(reader->takeNotices(),
              QStringList{QStringLiteral("Роль «reader» может только читать общий каталог %1: "
                                         "операции, сделанные под этой ролью, в него не "
                                         "записываются")
                              .arg(readerServer)});
    const QList<CatalogObject> objects = reader->objects();
    ASSERT_EQ(objects.size(), 1);
    EXPECT_EQ(reader->timeline(objects[0].id).size(), 2);

    // Its operations go nowhere, and it is not told again.
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(reader->record(newEntry("1234")));
    EXPECT_TRUE(reader->takeNotices().isEmpty());
    EXPECT_EQ(onServer(QStringLiteral("SELECT count(*) FROM entries")), QStringLiteral("2"));
    EXPECT_EQ(reader->unsentCount(), 0);
    EXPECT_EQ(reader->statusText(),
              QStringLiteral("Общий каталог %1: на связи, внутри этого компьютера, только чтение")
                  .arg(readerServer));
}

TEST_F(SharedCatalog, WhileTheServerIsAwayEntriesWaitLocallyAndAreSentOnce)
{
    auto store = shared();
    ASSERT_TRUE(store->connected()) << store->connectProblem().toStdString();
    ASSERT_TRUE(store->record(newEntry("1234", QStringLiteral("на связи"))));
    EXPECT_EQ(store->statusText(),
              QStringLiteral("Общий каталог %1: на связи, внутри этого компьютера").arg(server()));

    ASSERT_TRUE(m_server.stop());
    for (int i = 0; i < 3; ++i) {
        const auto kept = store->record(newEntry("1234", QStringLiteral("без связи %1").arg(i)));
        ASSERT_TRUE(kept) << store->lastError().toStdString();
        EXPECT_TRUE(kept->source.startsWith(SharedCatalogStore::OfflinePrefix));
    }
    EXPECT_FALSE(store->connected());
    const QStringList told = store->takeNotices();
    ASSERT_EQ(told.size(), 1) << told.join(u'\n').toStdString();
    EXPECT_TRUE(told[0].startsWith(QStringLiteral("Сервер каталога %1 недоступен: ").arg(server())))
        << told[0].toStdString();
    // The driver's words, when they are told, come on the line after.
    EXPECT_TRUE(told[0]
                    .section(u'\n', 0, 0)
                    .endsWith(QStringLiteral(". Записи сохраняются в локальном каталоге и "
                                             "будут отправлены в общий каталог %1 при "
                                             "следующем подключении")
                                  .arg(server())));
    EXPECT_EQ(store->unsentCount(), 3);
    EXPECT_EQ(
        store->statusText(),
        QStringLiteral("Общий каталог %1: нет связи, ждут отправки записей: 3").arg(server()));
    // Reading goes on from the local catalogue; edits wait for the server.
    ASSERT_EQ(store->objects().size(), 1);
    EXPECT_FALSE(store->describeObject(store->objects()[0].id, QStringLiteral("x"), {}, {}));
    EXPECT_EQ(store->lastError(),
              QStringLiteral("Нет связи с общим каталогом %1: объекты можно изменять только при "
                             "связи с сервером")
                  .arg(server()));

    ASSERT_TRUE(m_server.start()) << m_server.error().toStdString();
    ASSERT_TRUE(store->record(newEntry("1234", QStringLiteral("снова на связи"))));
    EXPECT_EQ(store->takeNotices(),
              QStringList{QStringLiteral("В общий каталог %1 отправлены записи, сделанные без "
                                         "связи с сервером: 3")
                              .arg(server())});
    EXPECT_EQ(store->unsentCount(), 0);
    EXPECT_EQ(
        onServer(QStringLiteral("SELECT count(*) || ' ' || count(DISTINCT note) FROM entries")),
        QStringLiteral("5 5"));

    // The next run finds nothing to send.
    store.reset();
    auto next = shared();
    ASSERT_TRUE(next->connected());
    EXPECT_TRUE(next->takeNotices().isEmpty());
    EXPECT_EQ(onServer(QStringLiteral("SELECT count(*) FROM entries")), QStringLiteral("5"));
}

// The server took an entry, then failed before the program marked it sent:
// sending it again adds nothing.
TEST_F(SharedCatalog, AnEntryTheServerTookBeforeFailingIsNotSentTwice)
{
    {
        auto store = shared();
        ASSERT_TRUE(m_server.stop());
        ASSERT_TRUE(store->record(newEntry("1234", QStringLiteral("a"))));
        ASSERT_TRUE(store->record(newEntry("1234", QStringLiteral("b"))));
        ASSERT_TRUE(m_server.start());
    }
    // What the first sending delivered before the failure: entry "a".
    {
        CatalogOpening local = OpenSqliteCatalog(localPath());
        ASSERT_TRUE(local.store);
        const CatalogEntry a = local.store->timeline(local.store->objects()[0].id)[0];
        ASSERT_EQ(a.note, QStringLiteral("a"));
        PostgresOpening direct = OpenPostgresCatalog(PostgresUri::parse(uri()));
        ASSERT_TRUE(direct.opening.store);
        NewCatalogEntry delivered = newEntry("1234", a.note);
        delivered.time = a.time;
        delivered.source = a.source;
        ASSERT_TRUE(direct.opening.store->record(delivered));
    }
    auto store = shared();
    ASSERT_TRUE(store->connected());
    EXPECT_EQ(store->unsentCount(), 0);
    EXPECT_EQ(onServer(QStringLiteral("SELECT string_agg(note, ',' ORDER BY note) FROM entries")),
              QStringLiteral("a,b"));
}

struct UnreachableCase {
    const char *name;
    const char *password; // PGPASSWORD
    bool stopServer;
    const char *reason; // %1: the server
};

void PrintTo(const UnreachableCase &c, std::ostream *os)
{
    *os << c.name;
}

std::string unreachableName(const ::testing::TestParamInfo<UnreachableCase> &c)
{
    return c.param.name;
}

class SharedCatalogUnreachable : public SharedCatalog,
                                 public ::testing::WithParamInterface<UnreachableCase>
{
};

// A wrong password or a server nobody answers for: the operation's entry is
// kept within seconds, and the user is told why in one sentence.
TEST_P(SharedCatalogUnreachable, TheEntryIsKeptAndTheReasonTold)
{
    const UnreachableCase &c = GetParam();
    qputenv("PGPASSWORD", c.password);
    QString address = m_server.tcpUri(QLatin1String(PgServer::Engineer), m_database);
    if (c.stopServer)
        m_server.stop();
    const QString shown = PostgresUri::parse(address).displayText();
    QElapsedTimer clock;
    clock.start();
    SharedCatalogStore store(PostgresUri::parse(address), localPath());
    const auto kept = store.record(newEntry("1234"));
    EXPECT_LT(clock.elapsed(), (PostgresUri::DefaultConnectTimeout + 5) * 1000);
    qunsetenv("PGPASSWORD");
    ASSERT_TRUE(kept) << store.lastError().toStdString();
    const QStringList told = store.takeNotices();
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told[0].startsWith(QString::fromUtf8(c.reason).arg(shown)))
        << told[0].toStdString();
    EXPECT_EQ(store.unsentCount(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    SharedCatalog, SharedCatalogUnreachable,
    ::testing::Values(
        UnreachableCase{"WrongPassword", "not-this-one", false,
                        "Сервер каталога %1 не принял пароль роли «engineer». Записи сохраняются"},
        UnreachableCase{"ServerStopped", "engineer-pass", true,
                        "Сервер каталога %1 недоступен: сервер не принимает подключения: "
                        "служба PostgreSQL не запущена или порт указан неверно. Записи "
                        "сохраняются"}),
    unreachableName);

TEST_F(SharedCatalog, ALocalCatalogueIsUploadedOnceWithObjectsMatchedByNumbers)
{
    const QString file = m_folder.filePath(QStringLiteral("laptop.sqlite"));
    {
        CatalogOpening local = OpenSqliteCatalog(file);
        ASSERT_TRUE(local.store);
        const auto a = local.store->record(newEntry("1234", QStringLiteral("a1")));
        ASSERT_TRUE(local.store->record(newEntry("1234", QStringLiteral("a2"))));
        const auto b = local.store->record(newEntry("0412", QStringLiteral("b1")));
        ASSERT_TRUE(a && b);
        ASSERT_TRUE(local.store->describeObject(a->objectId, QStringLiteral("Склад"),
                                                QStringLiteral("Складская, 1"), QString()));
        ASSERT_TRUE(local.store->describeObject(b->objectId, QStringLiteral("Аптека"), QString(),
                                                QString()));
        ASSERT_TRUE(local.store->setTemplate(b->id, QStringLiteral("Аптека, типовая")));
    }
    auto store = shared();
    ASSERT_TRUE(store->connected());
    // The server already knows object 0412 under the team's own name.
    const auto known = store->record(newEntry("0412", QStringLiteral("server")));
    ASSERT_TRUE(known);
    ASSERT_TRUE(store->describeObject(known->objectId, QStringLiteral("Аптека №3"), QString(),
                                      QStringLiteral("код двери 1234")));

    const SharedCatalogStore::Upload first = store->upload(file);
    EXPECT_TRUE(first.failure.isEmpty()) << first.failure.toStdString();
    EXPECT_EQ(first.objects, 2);
    EXPECT_EQ(first.entries, 3);
    EXPECT_EQ(first.known, 0);
    EXPECT_EQ(first.described, 1);

    const SharedCatalogStore::Upload second = store->upload(file);
    EXPECT_EQ(second.entries, 0);
    EXPECT_EQ(second.known, 3);
    EXPECT_EQ(second.described, 0);

    EXPECT_EQ(onServer(QStringLiteral("SELECT count(*) FROM entries")), QStringLiteral("4"));
    const QList<CatalogObject> objects = store->objects();
    ASSERT_EQ(objects.size(), 2);
    for (const CatalogObject &object : objects) {
        if (object.codes.startsWith(QLatin1String("0412"))) {
            EXPECT_EQ(object.id, known->objectId);
            EXPECT_EQ(object.name, QStringLiteral("Аптека №3")); // the server's stays
            EXPECT_EQ(store->timeline(object.id).size(), 2);
        } else {
            EXPECT_EQ(object.name, QStringLiteral("Склад"));
            EXPECT_EQ(object.address, QStringLiteral("Складская, 1"));
            EXPECT_EQ(store->timeline(object.id).size(), 2);
        }
    }
    ASSERT_EQ(store->templates().size(), 1);
    EXPECT_EQ(store->templates()[0].templateName, QStringLiteral("Аптека, типовая"));
}

} // namespace
} // namespace sr5n
