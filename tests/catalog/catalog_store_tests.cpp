#include "CatalogFixture.h"

#include "catalog/CatalogSchema.h"
#include "catalog/ObjectCatalog.h"
#include "catalog/SqlCatalogStore.h"
#include "catalog/SqliteCatalog.h"
#include "catalog/SqliteDialect.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUuid>

#include <gtest/gtest.h>

namespace sr5n {
namespace {

using test::SampleConfiguration;

// One SQL query's single value on a file, through a connection of its own.
QVariant scalar(const QString &path, const QString &sql)
{
    QVariant value;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("probe"));
        db.setDatabaseName(path);
        db.open();
        QSqlQuery query(db);
        if (query.exec(sql) && query.next())
            value = query.value(0);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("probe"));
    return value;
}

class CatalogStoreTest : public ::testing::Test
{
protected:
    QString path() const { return m_folder.filePath(QStringLiteral("catalog.sqlite")); }
    CatalogStore &open()
    {
        m_opening = OpenSqliteCatalog(path());
        EXPECT_TRUE(m_opening.store) << qPrintable(m_opening.failure);
        return *m_opening.store;
    }
    void close() { m_opening = CatalogOpening(); }

    QTemporaryDir m_folder;
    CatalogOpening m_opening;
};

TEST_F(CatalogStoreTest, AnEmptyFileGetsTheWholeSchemaInWalMode)
{
    open();
    EXPECT_TRUE(m_opening.notices.isEmpty());
    close();
    EXPECT_EQ(scalar(path(), "SELECT value FROM catalog_meta WHERE key = 'schema-version'").toInt(),
              CatalogSchema::latestVersion());
    EXPECT_EQ(scalar(path(), "PRAGMA journal_mode").toString(), "wal");
    // Opening again runs no step twice.
    open();
    EXPECT_TRUE(m_opening.notices.isEmpty());
}

TEST_F(CatalogStoreTest, ACatalogueOfThePreviousSchemaKeepsItsObjectsAndBecomesSearchable)
{
    const QByteArray bytes = SampleConfiguration{}.bytes();
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("old"));
        db.setDatabaseName(path());
        ASSERT_TRUE(db.open());
        QString error;
        const SqliteDialect dialect;
        ASSERT_TRUE(CatalogSchema::migrate(db, dialect, error, 1)) << qPrintable(error);
        ASSERT_TRUE(ExecuteAll(
            db,
            // The hash of the configuration's one byte, 00.
            {"INSERT INTO configurations VALUES "
             "('6e340b9cffb37a989ca544e6bb780a2c78901d3fb33738768511a30617afa01d', x'00', 1)",
             "INSERT INTO objects (id, codes, name, address, notes, phones, created, last_time, "
             "last_operation) VALUES ('o1', '1234 0567', 'Склад Север', 'ул. Ленина, 5', "
             "'ключ у охраны', '84951234567', '2025-01-01T00:00:00.000Z', "
             "'2025-01-01T00:00:00.000Z', 'read')",
             "INSERT INTO entries (id, object_id, time, operation, port, user_name, version, "
             "note, hash, codes, phones) VALUES ('e1', 'o1', '2025-01-01T00:00:00.000Z', 'read', "
             "'ttyUSB0', 'ivan', '1.0', '', "
             "'6e340b9cffb37a989ca544e6bb780a2c78901d3fb33738768511a30617afa01d', '1234 0567', "
             "'84951234567')"},
            error))
            << qPrintable(error);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("old"));

    CatalogStore &store = open();
    const QList<CatalogObject> found = store.objects(QStringLiteral("север"));
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(found[0].id, "o1");
    EXPECT_EQ(found[0].address, "ул. Ленина, 5");
    const QList<CatalogEntry> timeline = store.timeline(QStringLiteral("o1"));
    ASSERT_EQ(timeline.size(), 1);
    EXPECT_EQ(timeline[0].user, "ivan");
    EXPECT_EQ(timeline[0].port, "ttyUSB0");
    EXPECT_TRUE(timeline[0].templateName.isEmpty());
    EXPECT_EQ(store.configuration(ContentHash(QByteArray(1, '\0'))), QByteArray(1, '\0'));
    // And the new schema's parts work on it.
    EXPECT_TRUE(store.setTemplate(QStringLiteral("e1"), QStringLiteral("Склад")));
    EXPECT_TRUE(store.record(test::ReadEntry(SampleConfiguration{})));
    EXPECT_EQ(store.timeline(QStringLiteral("o1")).size(), 2);
}

TEST_F(CatalogStoreTest, EntriesJoinTheObjectOfTheirNumbersAndIdenticalConfigurationsAreStoredOnce)
{
    CatalogStore &store = open();
    const SampleConfiguration first;
    SampleConfiguration other;
    other.object1 = QStringLiteral("0412");

    const std::optional<CatalogEntry> a = store.record(test::ReadEntry(first));
    const std::optional<CatalogEntry> b = store.record(test::ReadEntry(first));
    const std::optional<CatalogEntry> c = store.record(test::ReadEntry(other));
    ASSERT_TRUE(a && b && c);
    EXPECT_NE(a->id, b->id);
    EXPECT_EQ(QUuid::fromString(a->id).isNull(), false);
    EXPECT_EQ(a->objectId, b->objectId);
    EXPECT_NE(a->objectId, c->objectId);
    EXPECT_EQ(a->hash, b->hash);
    EXPECT_EQ(a->hash, ContentHash(first.bytes()));
    EXPECT_EQ(store.configuration(a->hash), first.bytes());
    close();
    EXPECT_EQ(scalar(path(), "SELECT count(*) FROM configurations").toInt(), 2);
    EXPECT_EQ(scalar(path(), "SELECT count(*) FROM entries").toInt(), 3);

    CatalogStore &again = open();
    const std::optional<CatalogObject> object = again.object(a->objectId);
    ASSERT_TRUE(object);
    EXPECT_EQ(object->codes, "1234 0567");
    EXPECT_EQ(object->lastEntry, b->id);
    EXPECT_EQ(object->lastOperation, CatalogOperation::Read);
    EXPECT_EQ(again.timeline(a->objectId).size(), 2);
}

TEST_F(CatalogStoreTest, AStoredConfigurationWhoseBytesAreDamagedIsRefusedWithItsReason)
{
    const SampleConfiguration sample;
    const QByteArray bytes = sample.bytes();
    QString hash;
    {
        CatalogStore &store = open();
        const std::optional<CatalogEntry> entry = store.record(test::ReadEntry(sample));
        ASSERT_TRUE(entry);
        hash = entry->hash;
        close();
    }
    // One byte changed in the row, as a damaged disk or an edit by hand leaves it.
    QByteArray damaged = bytes;
    damaged[damaged.size() / 2] = char(damaged.at(damaged.size() / 2) ^ 0x01);
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("damage"));
        db.setDatabaseName(path());
        ASSERT_TRUE(db.open());
        QSqlQuery query(db);
        query.prepare(QStringLiteral("UPDATE configurations SET bytes = ? WHERE hash = ?"));
        query.addBindValue(damaged);
        query.addBindValue(hash);
        ASSERT_TRUE(query.exec());
    }
    QSqlDatabase::removeDatabase(QStringLiteral("damage"));

    CatalogStore &store = open();
    EXPECT_EQ(store.configuration(hash), std::nullopt);
    EXPECT_EQ(store.lastError(), "конфигурация в базе повреждена: её содержимое не совпадает с "
                                 "записанным");
}

TEST_F(CatalogStoreTest, AnEntryWithAKnownSourceIsRecordedOnce)
{
    CatalogStore &store = open();
    NewCatalogEntry entry = test::ReadEntry(SampleConfiguration{});
    entry.source = QStringLiteral("history:a.snc");
    const std::optional<CatalogEntry> first = store.record(entry);
    const std::optional<CatalogEntry> second = store.record(entry);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->id, second->id);
    EXPECT_EQ(store.timeline(first->objectId).size(), 1);
}

struct SearchCase {
    const char *query;
    bool found;
};

class CatalogSearch : public CatalogStoreTest, public ::testing::WithParamInterface<SearchCase>
{
};

TEST_P(CatalogSearch, FindsAnObjectByEachOfItsFields)
{
    CatalogStore &store = open();
    SampleConfiguration sample;
    sample.object1 = QStringLiteral("0412");
    sample.object2 = QStringLiteral("0413");
    sample.phone = QStringLiteral("84957654321");
    const std::optional<CatalogEntry> entry = store.record(test::ReadEntry(sample));
    ASSERT_TRUE(entry);
    ASSERT_TRUE(store.describeObject(entry->objectId, QStringLiteral("Аптека «Здоровье»"),
                                     QStringLiteral("Тверская, 12"),
                                     QStringLiteral("ключ у сторожа; 50%_скидка")));
    // Another object that matches none of the queries.
    SampleConfiguration other;
    other.object1 = QStringLiteral("9999");
    other.object2 = QStringLiteral("9998");
    other.phone = QStringLiteral("111");
    ASSERT_TRUE(store.record(test::ReadEntry(other)));

    const QList<CatalogObject> found = store.objects(QString::fromUtf8(GetParam().query));
    const bool hit = std::any_of(found.cbegin(), found.cend(),
                                 [&](const CatalogObject &o) { return o.id == entry->objectId; });
    EXPECT_EQ(hit, GetParam().found);
    // Never the object that matches nothing.
    for (const CatalogObject &object : found)
        EXPECT_EQ(object.id, entry->objectId) << GetParam().query;
}

INSTANTIATE_TEST_SUITE_P(Fields, CatalogSearch,
                         ::testing::Values(SearchCase{"0412", true},     // number of pair 1
                                           SearchCase{"0413", true},     // number of pair 2
                                           SearchCase{"аптека", true},   // name, other letter case
                                           SearchCase{"ЗДОРОВЬЕ", true}, // name, upper case
                                           SearchCase{"тверская 12", true}, // address, two words
                                           SearchCase{"сторожа", true},     // notes
                                           SearchCase{"7654321", true},     // phone number inside
                                           SearchCase{"50%_", true}, // wildcards taken literally
                                           SearchCase{"%", true},    // in the notes, not a wildcard
                                           SearchCase{"_", true},    //
                                           SearchCase{"аптека 0000",
                                                      false}, // every word must match
                                           SearchCase{"Ленина", false}));

// A list shown a page at a time: the pages one after another are the whole
// list in its order, whatever the page's size, and the count is its length.
TEST_F(CatalogStoreTest, PagesOfObjectsMakeTheWholeListInItsOrder)
{
    CatalogStore &store = open();
    QList<NewCatalogEntry> entries;
    const QDateTime start = QDateTime::currentDateTimeUtc().addDays(-1);
    for (int i = 0; i < 23; ++i) {
        SampleConfiguration sample;
        sample.object1 = QStringLiteral("%1").arg(i % 2 ? 1000 + i : 2000 + i);
        NewCatalogEntry entry = test::ReadEntry(sample);
        // Some in the same millisecond: the order is still one.
        entry.time = start.addSecs(i / 3);
        entries << entry;
    }
    ASSERT_TRUE(store.recordAll(entries));
    for (const char *search : {"", "10", "20", "нет такого"}) {
        SCOPED_TRACE(search);
        const QString text = QString::fromUtf8(search);
        const QList<CatalogObject> whole = store.objects(text);
        EXPECT_EQ(store.objectCount(text), whole.size());
        for (const qsizetype page : {1, 5, 7, 100}) {
            QList<CatalogObject> pages;
            for (qsizetype first = 0; first <= whole.size(); first += page)
                pages << store.objects(text, first, page);
            QStringList wholeIds, pageIds;
            for (const CatalogObject &object : whole)
                wholeIds << object.id;
            for (const CatalogObject &object : pages)
                pageIds << object.id;
            EXPECT_EQ(pageIds, wholeIds) << page;
        }
        // From a row on, to the end.
        EXPECT_EQ(store.objects(text, 3).size(), qMax<qsizetype>(whole.size() - 3, 0));
    }
}

TEST_F(CatalogStoreTest, MergingObjectsMovesTheirTimelineAndLaterEntriesFollow)
{
    CatalogStore &store = open();
    SampleConfiguration a, b;
    b.object1 = QStringLiteral("0555");
    const std::optional<CatalogEntry> first = store.record(test::ReadEntry(a));
    const std::optional<CatalogEntry> second = store.record(test::ReadEntry(b));
    ASSERT_TRUE(first && second);
    ASSERT_TRUE(store.mergeObjects(first->objectId, second->objectId));
    EXPECT_EQ(store.timeline(first->objectId).size(), 2);
    EXPECT_TRUE(store.timeline(second->objectId).isEmpty());
    EXPECT_EQ(store.objects().size(), 1);
    // The merged object's numbers now join the object it went into.
    const std::optional<CatalogEntry> later = store.record(test::ReadEntry(b));
    ASSERT_TRUE(later);
    EXPECT_EQ(later->objectId, first->objectId);
    EXPECT_FALSE(store.mergeObjects(first->objectId, first->objectId));

    // An entry moved to another object: each object's latest entry follows.
    SampleConfiguration c;
    c.object1 = QStringLiteral("0777");
    const std::optional<CatalogEntry> third = store.record(test::ReadEntry(c));
    ASSERT_TRUE(third);
    ASSERT_TRUE(store.moveEntry(later->id, third->objectId));
    EXPECT_EQ(store.timeline(third->objectId).size(), 2);
    EXPECT_EQ(store.object(third->objectId)->lastEntry, third->id);
    EXPECT_EQ(store.object(first->objectId)->lastEntry, second->id);
}

TEST_F(CatalogStoreTest, AnEntryMarkedAsATemplateIsListedByName)
{
    CatalogStore &store = open();
    const std::optional<CatalogEntry> entry = store.record(test::ReadEntry(SampleConfiguration{}));
    ASSERT_TRUE(entry) << qPrintable(store.lastError());
    ASSERT_TRUE(store.setTemplate(entry->id, QStringLiteral("  Магазин, два пульта ")));
    QList<CatalogEntry> templates = store.templates();
    ASSERT_EQ(templates.size(), 1);
    EXPECT_EQ(templates[0].templateName, "Магазин, два пульта");
    ASSERT_TRUE(store.setTemplate(entry->id, QString()));
    EXPECT_TRUE(store.templates().isEmpty());
    EXPECT_FALSE(store.setTemplate(QStringLiteral("no-such-entry"), QStringLiteral("x")));
}

TEST_F(CatalogStoreTest, ACatalogueOfANewerProgramIsOpenedReadOnly)
{
    ASSERT_TRUE(open().record(test::ReadEntry(SampleConfiguration{})));
    close();
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("newer"));
        db.setDatabaseName(path());
        ASSERT_TRUE(db.open());
        QSqlQuery(db).exec(
            QStringLiteral("UPDATE catalog_meta SET value = '999' WHERE key = 'schema-version'"));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("newer"));

    CatalogStore &store = open();
    EXPECT_TRUE(store.isReadOnly());
    EXPECT_EQ(m_opening.notices, QStringList{CatalogNewerMessage(path())});
    EXPECT_EQ(store.objects().size(), 1);
    EXPECT_FALSE(store.record(test::ReadEntry(SampleConfiguration{})));
    close();
    EXPECT_EQ(scalar(path(), "SELECT count(*) FROM entries").toInt(), 1);
    EXPECT_EQ(scalar(path(), "SELECT value FROM catalog_meta WHERE key = 'schema-version'"), "999");
}

// A file damaged in two ways: not a database at all, and a database whose
// pages were overwritten in the middle.
TEST_F(CatalogStoreTest, ADamagedFileIsKeptAsideAndANewCatalogueMadeOfWhatReads)
{
    for (const bool garbage : {true, false}) {
        SCOPED_TRACE(garbage ? "not a database" : "pages overwritten");
        const QString file = path();
        QFile::remove(file);
        QByteArray before;
        if (garbage) {
            before = QByteArray("this is not a catalogue\n").repeated(200);
        } else {
            CatalogStore &store = open();
            for (int i = 0; i < 40; ++i) {
                SampleConfiguration sample;
                sample.object1 = QString::number(1000 + i);
                ASSERT_TRUE(store.record(test::ReadEntry(sample)));
            }
            close();
            QFile read(file);
            ASSERT_TRUE(read.open(QIODevice::ReadOnly));
            before = read.readAll();
            // The pages in the middle overwritten, the header left whole.
            before.replace(before.size() / 2, 8192, QByteArray(8192, '\x5a'));
        }
        QFile write(file);
        ASSERT_TRUE(write.open(QIODevice::WriteOnly));
        write.write(before);
        write.close();

        CatalogStore &store = open();
        ASSERT_EQ(m_opening.notices.size(), 1);
        // The first line names the copy; the next tells what was saved of it.
        const QString notice = m_opening.notices[0].section(u'\n', 0, 0);
        const QStringList kept =
            QDir(m_folder.path()).entryList({QStringLiteral("catalog-damaged-*.sqlite")});
        ASSERT_EQ(kept.size(), garbage ? 1 : 2);
        // Two copies kept in one second differ only by a suffix: the newest is the one told.
        QString keptPath = m_folder.filePath(kept.last());
        for (const QString &name : kept)
            if (notice == CatalogDamagedMessage(file, m_folder.filePath(name)))
                keptPath = m_folder.filePath(name);
        QFile keptFile(keptPath);
        EXPECT_EQ(notice, CatalogDamagedMessage(file, keptPath));
        ASSERT_TRUE(keptFile.open(QIODevice::ReadOnly));
        if (garbage) {
            EXPECT_EQ(keptFile.readAll(), before);
        }
        // Whatever was read back is whole: each entry with its configuration.
        for (const CatalogObject &object : store.objects()) {
            for (const CatalogEntry &entry : store.timeline(object.id)) {
                const std::optional<QByteArray> bytes = store.configuration(entry.hash);
                ASSERT_TRUE(bytes);
                EXPECT_EQ(ContentHash(*bytes), entry.hash);
            }
        }
        EXPECT_TRUE(store.record(test::ReadEntry(SampleConfiguration{})));
        close();
        // Once: the new file is sound.
        open();
        EXPECT_TRUE(m_opening.notices.isEmpty());
        close();
    }
}

TEST_F(CatalogStoreTest, AFolderInPlaceOfTheFileIsAFailureWithItsReason)
{
    ASSERT_TRUE(QDir().mkpath(path()));
    const CatalogOpening opening = OpenSqliteCatalog(path());
    EXPECT_FALSE(opening.store);
    EXPECT_EQ(opening.failure, CatalogOpenFailure(path(), QStringLiteral("это не файл")));
}

} // namespace
} // namespace sr5n
