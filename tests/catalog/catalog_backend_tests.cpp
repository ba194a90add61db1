// The catalogue's behaviours that do not depend on the database, run against
// each back end: the embedded SQLite file and a PostgreSQL server.
#include "CatalogFixture.h"

#include "catalog/CatalogSchema.h"
#include "catalog/PostgresCatalog.h"
#include "catalog/SqliteCatalog.h"
#include "common/PgServer.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUuid>

#include <gtest/gtest.h>

namespace sr5n {
namespace {

using test::PgServer;
using test::ReadEntry;
using test::SampleConfiguration;
using test::SampleOf;

enum class Backend { Sqlite, Postgres };

std::string backendName(const ::testing::TestParamInfo<Backend> &info)
{
    return info.param == Backend::Sqlite ? "Sqlite" : "Postgres";
}

void PrintTo(Backend backend, std::ostream *os)
{
    *os << (backend == Backend::Sqlite ? "SQLite" : "PostgreSQL");
}

// A catalogue of the back end under test, opened as often as a test needs:
// every opening is another engineer (another connection) on the same data.
class CatalogBackend : public ::testing::TestWithParam<Backend>
{
protected:
    void SetUp() override
    {
        if (GetParam() == Backend::Postgres) {
            ASSERT_TRUE(server().running()) << server().error().toStdString();
            m_database = server().createDatabase();
            ASSERT_FALSE(m_database.isEmpty()) << server().error().toStdString();
        }
    }

    static PgServer &server() { return PgServer::shared(); }

    CatalogOpening openAs(const char *role = PgServer::Engineer)
    {
        if (GetParam() == Backend::Sqlite)
            return OpenSqliteCatalog(m_folder.filePath(QStringLiteral("catalog.sqlite")));
        return OpenPostgresCatalog(
                   PostgresUri::parse(server().socketUri(QLatin1String(role), m_database)))
            .opening;
    }

    CatalogStore &open()
    {
        m_openings.push_back(openAs());
        EXPECT_TRUE(m_openings.back().store) << m_openings.back().failure.toStdString();
        return *m_openings.back().store;
    }

    // Sets a value of the catalogue's own table behind the program's back.
    void setMeta(const QString &key, const QString &value)
    {
        const QString sql =
            QStringLiteral("UPDATE catalog_meta SET value = '%1' WHERE key = '%2'").arg(value, key);
        if (GetParam() == Backend::Postgres) {
            ASSERT_TRUE(server().execute(m_database, sql)) << server().error().toStdString();
            return;
        }
        {
            QSqlDatabase db =
                QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("behind"));
            db.setDatabaseName(m_folder.filePath(QStringLiteral("catalog.sqlite")));
            ASSERT_TRUE(db.open());
            QSqlQuery query(db);
            ASSERT_TRUE(query.exec(sql));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("behind"));
    }

    QTemporaryDir m_folder;
    QString m_database;
    std::vector<CatalogOpening> m_openings;
};

TEST_P(CatalogBackend, EntriesJoinTheObjectOfTheirNumbersAndKeepTheirBytes)
{
    CatalogStore &store = open();
    const SampleConfiguration first = SampleOf("1234");
    const SampleConfiguration other = SampleOf("0412");
    const auto a = store.record(ReadEntry(first, QStringLiteral("первое")));
    const auto b = store.record(ReadEntry(first));
    const auto c = store.record(ReadEntry(other));
    ASSERT_TRUE(a && b && c) << store.lastError().toStdString();
    EXPECT_FALSE(QUuid::fromString(a->id).isNull());
    EXPECT_NE(a->id, b->id);
    EXPECT_EQ(a->objectId, b->objectId);
    EXPECT_NE(a->objectId, c->objectId);
    EXPECT_EQ(a->hash, b->hash);

    // Another engineer sees the same, byte for byte.
    CatalogStore &again = open();
    EXPECT_EQ(again.configuration(a->hash), first.bytes());
    const QList<CatalogEntry> timeline = again.timeline(a->objectId);
    ASSERT_EQ(timeline.size(), 2);
    EXPECT_EQ(timeline[0].id, a->id);
    EXPECT_EQ(timeline[0].note, QStringLiteral("первое"));
    EXPECT_EQ(timeline[0].user, QStringLiteral("ivanov"));
    EXPECT_EQ(timeline[0].time, a->time);
    const auto object = again.object(a->objectId);
    ASSERT_TRUE(object);
    EXPECT_EQ(object->codes, QStringLiteral("1234 0567"));
    EXPECT_EQ(object->lastEntry, b->id);
    EXPECT_EQ(again.objects().size(), 2);
}

TEST_P(CatalogBackend, AnEntryWithAKnownSourceIsRecordedOnce)
{
    CatalogStore &one = open();
    CatalogStore &two = open();
    NewCatalogEntry entry = ReadEntry(SampleOf("1234"));
    entry.source = QStringLiteral("offline:6f1c");
    const auto first = one.record(entry);
    const auto second = two.record(entry);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->id, second->id);
    EXPECT_EQ(one.timeline(first->objectId).size(), 1);
}

TEST_P(CatalogBackend, SearchFindsAnObjectByEachOfItsFields)
{
    CatalogStore &store = open();
    const auto entry = store.record(ReadEntry(SampleOf("0412", "84957654321")));
    ASSERT_TRUE(entry);
    ASSERT_TRUE(store.describeObject(entry->objectId, QStringLiteral("Аптека «Здоровье»"),
                                     QStringLiteral("Тверская, 12, у Ёлкиной"),
                                     QStringLiteral("ключ у сторожа; 50%_скидка")));
    SampleConfiguration other = SampleOf("9999", "111");
    other.object2 = QStringLiteral("9998");
    ASSERT_TRUE(store.record(ReadEntry(other)));

    const struct {
        const char *query;
        bool found;
    } cases[] = {
        {"0412", true},
        {"0567", true},
        {"аптека", true},
        {"ЗДОРОВЬЕ", true},
        {"тверская 12", true},
        {"сторожа", true},
        {"7654321", true},
        {"50%_", true},
        {"%", true},
        {"\\", false},
        {"аптека 0000", false},
        {"Ленина", false},
        // "ё" read as "е"; a phone number found without its punctuation.
        {"елкиной", true},
        {"ЁЛКИНОЙ", true},
        {"765-43-21", true},
        {"(495) 765", true},
        {"765-43-22", false},
    };
    for (const auto &c : cases) {
        const QList<CatalogObject> found = store.objects(QString::fromUtf8(c.query));
        EXPECT_EQ(found.size(), c.found ? 1 : 0) << c.query;
        if (!found.isEmpty()) {
            EXPECT_EQ(found[0].id, entry->objectId) << c.query;
        }
    }
}

TEST_P(CatalogBackend, MergedObjectsTakeLaterEntriesAndMovedEntriesFollow)
{
    CatalogStore &store = open();
    const auto first = store.record(ReadEntry(SampleOf("1234")));
    const auto second = store.record(ReadEntry(SampleOf("0555")));
    ASSERT_TRUE(first && second);
    ASSERT_TRUE(store.mergeObjects(first->objectId, second->objectId))
        << store.lastError().toStdString();
    EXPECT_EQ(store.timeline(first->objectId).size(), 2);
    const auto later = store.record(ReadEntry(SampleOf("0555")));
    ASSERT_TRUE(later);
    EXPECT_EQ(later->objectId, first->objectId);

    const auto third = store.record(ReadEntry(SampleOf("0777")));
    ASSERT_TRUE(third);
    ASSERT_TRUE(store.moveEntry(later->id, third->objectId));
    EXPECT_EQ(store.timeline(third->objectId).size(), 2);
    EXPECT_EQ(store.object(first->objectId)->lastEntry, second->id);

    ASSERT_TRUE(store.setTemplate(third->id, QStringLiteral("Магазин")));
    const QList<CatalogEntry> templates = open().templates();
    ASSERT_EQ(templates.size(), 1);
    EXPECT_EQ(templates[0].templateName, QStringLiteral("Магазин"));
}

// Two engineers open the same object and change its notes: the second is
// told who changed it first and when, and sees both texts; nothing of the
// first is overwritten.
TEST_P(CatalogBackend, TheSecondOfTwoEditsOfOneObjectIsToldAndWritesNothing)
{
    CatalogStore &petrov = open();
    CatalogStore &sidorov = open();
    const auto entry = petrov.record(ReadEntry(SampleOf("1234")));
    ASSERT_TRUE(entry);
    const CatalogObject seenByPetrov = *petrov.object(entry->objectId);
    const CatalogObject seenBySidorov = *sidorov.object(entry->objectId);

    const ObjectEdit first = petrov.editObject(seenByPetrov, QStringLiteral("Склад"), QString(),
                                               QStringLiteral("ключ у охраны"));
    ASSERT_EQ(first.outcome, ObjectEdit::Outcome::Saved) << petrov.lastError().toStdString();
    EXPECT_EQ(first.current.notes, QStringLiteral("ключ у охраны"));
    EXPECT_FALSE(first.current.editedBy.isEmpty());

    const ObjectEdit second = sidorov.editObject(seenBySidorov, QStringLiteral("Склад"), QString(),
                                                 QStringLiteral("ключ у директора"));
    EXPECT_EQ(second.outcome, ObjectEdit::Outcome::ChangedMeanwhile);
    EXPECT_EQ(second.current.notes, QStringLiteral("ключ у охраны"));
    EXPECT_EQ(second.current.editedBy, first.current.editedBy);
    EXPECT_EQ(second.current.editedAt, first.current.editedAt);
    EXPECT_TRUE(second.current.editedAt.isValid());
    EXPECT_EQ(open().object(entry->objectId)->notes, QStringLiteral("ключ у охраны"));

    // Having seen the other text, the engineer may write his own over it.
    const ObjectEdit third = sidorov.editObject(second.current, QStringLiteral("Склад"), QString(),
                                                QStringLiteral("ключ у директора"));
    EXPECT_EQ(third.outcome, ObjectEdit::Outcome::Saved);
    EXPECT_EQ(open().object(entry->objectId)->notes, QStringLiteral("ключ у директора"));
}

TEST_P(CatalogBackend, ACatalogueOfANewerProgramIsReadOnlyAndSaysSo)
{
    {
        CatalogStore &store = open();
        ASSERT_TRUE(store.record(ReadEntry(SampleOf("1234"))));
    }
    m_openings.clear();
    setMeta(QStringLiteral("schema-version"), QString::number(CatalogSchema::latestVersion() + 1));
    CatalogOpening opening = openAs();
    ASSERT_TRUE(opening.store) << opening.failure.toStdString();
    EXPECT_TRUE(opening.store->isReadOnly());
    ASSERT_EQ(opening.notices.size(), 1);
    if (GetParam() == Backend::Postgres) {
        EXPECT_EQ(opening.notices[0],
                  CatalogServerNewerMessage(
                      PostgresUri::parse(
                          server().socketUri(QLatin1String(PgServer::Engineer), m_database))
                          .displayText()));
    }
    EXPECT_EQ(opening.store->objects().size(), 1);
    EXPECT_FALSE(opening.store->record(ReadEntry(SampleOf("0412"))));
}

TEST_P(CatalogBackend, ManyWritersAtOnceLoseNothing)
{
    // Connections take turns entry by entry, as processes would.
    std::vector<CatalogStore *> writers;
    for (int i = 0; i < 4; ++i)
        writers.push_back(&open());
    QSet<QString> ids;
    for (int round = 0; round < 25; ++round) {
        for (CatalogStore *writer : writers) {
            const auto entry = writer->record(ReadEntry(SampleOf(round % 2 ? "1234" : "0412")));
            ASSERT_TRUE(entry) << writer->lastError().toStdString();
            ids.insert(entry->id);
        }
    }
    EXPECT_EQ(ids.size(), 100);
    int stored = 0;
    for (const CatalogObject &object : open().objects())
        stored += int(open().timeline(object.id).size());
    EXPECT_EQ(stored, 100);
    EXPECT_EQ(open().objects().size(), 2);
}

INSTANTIATE_TEST_SUITE_P(Catalog, CatalogBackend,
                         ::testing::Values(Backend::Sqlite, Backend::Postgres), backendName);

} // namespace
} // namespace sr5n
