// The history folder of earlier versions taken into the catalogue.
#include "CatalogFixture.h"

#include "catalog/HistoryImport.h"
#include "catalog/ObjectCatalog.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "common/ExpectedValue.h"

#include <gtest/gtest.h>

#include <map>

namespace sr5n {
namespace {

using test::SampleConfiguration;

void put(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Every file of a folder with its bytes and time: what must stay untouched.
std::map<QString, std::pair<QByteArray, QDateTime>> snapshot(const QString &folder)
{
    std::map<QString, std::pair<QByteArray, QDateTime>> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        files[path] = {file.readAll(), QFileInfo(path).lastModified()};
    }
    return files;
}

// Every entry of the catalogue with its configuration's bytes, by source.
std::map<QString, std::pair<CatalogEntry, QByteArray>> entriesOf(CatalogStore &store)
{
    std::map<QString, std::pair<CatalogEntry, QByteArray>> found;
    for (const CatalogObject &object : valueOf(store.objects()))
        for (const CatalogEntry &entry : valueOf(store.timeline(object.id)))
            found[entry.source] = {entry, store.configuration(entry.hash).value_or(QByteArray())};
    return found;
}

TEST(HistoryImport, TakesEveryFileWhateverItsNameByteForByteAndLeavesTheFolderAlone)
{
    QTemporaryDir folder;
    const QString history = folder.filePath(QStringLiteral("history"));
    SampleConfiguration other;
    other.object1 = QStringLiteral("0412");
    other.phone = QStringLiteral("84997770011");
    const QByteArray sample = SampleConfiguration{}.bytes();
    const QByteArray second = other.bytes();
    struct File {
        const char *name;
        QByteArray bytes;
    };
    const File files[] = {
        {"2025-03-14_09-30-05_read_ttyUSB0_1234_0567.snc", sample},     // the history's form
        {"2025-03-14_09-30-05_verified_pts-4_0412_0567_2.snc", second}, // a copy in one second
        {"2025-03-14_09-31-00_write_COM3_1234_0567.snc", sample},       // the same bytes again
        {"склад на Ленина.snc", second},                                // named by the user
        {"copied/older/config.SNC", sample},                            // a sub-folder, upper case
        {"2025-03-14_09-30-05_erase_ttyUSB0_1234_5678.snc", sample},    // a form never written
        {"no-suffix-but-a-configuration", second},                      // reads as one
        {"damaged.snc", QByteArray("SR-5/N Configuration File, cut")},  // does not decode
    };
    for (const File &file : files)
        put(QDir(history).filePath(QString::fromUtf8(file.name)), file.bytes);
    put(QDir(history).filePath(QStringLiteral("notes.txt")), "not an entry");
    const auto before = snapshot(history);

    ObjectCatalog catalog(folder.filePath(QStringLiteral("catalog.sqlite")), history);
    ASSERT_TRUE(catalog.store());
    const auto entries = entriesOf(*catalog.store());
    ASSERT_EQ(entries.size(), std::size(files));
    for (const File &file : files) {
        SCOPED_TRACE(file.name);
        const auto found = entries.find(QStringLiteral("history:") + QString::fromUtf8(file.name));
        ASSERT_NE(found, entries.end());
        EXPECT_EQ(found->second.second, file.bytes);
        EXPECT_EQ(found->second.first.note, QString::fromUtf8(file.name));
    }
    const CatalogEntry verified =
        entries.at(QStringLiteral("history:2025-03-14_09-30-05_verified_pts-4_0412_0567_2.snc"))
            .first;
    EXPECT_EQ(verified.operation, CatalogOperation::VerifiedWrite);
    EXPECT_EQ(verified.port, "pts-4");
    EXPECT_EQ(verified.time, QDateTime(QDate(2025, 3, 14), QTime(9, 30, 5)).toUTC());
    EXPECT_EQ(verified.codes, "0412 0567");
    EXPECT_EQ(verified.phones, "84997770011");
    EXPECT_EQ(entries.at(QStringLiteral("history:склад на Ленина.snc")).first.operation,
              CatalogOperation::Imported);
    // The same bytes are one configuration; the same numbers one object.
    EXPECT_EQ(valueOf(catalog.store()->objects(QStringLiteral("0412"))).size(), 1);
    EXPECT_EQ(before, snapshot(history));

    // Taken once: a later start adds nothing, even with a new file there.
    put(QDir(history).filePath(QStringLiteral("later.snc")), sample);
    ObjectCatalog again(folder.filePath(QStringLiteral("catalog.sqlite")), history);
    ASSERT_TRUE(again.store());
    EXPECT_EQ(entriesOf(*again.store()).size(), std::size(files));
}

// An earlier version pruned its history down to 500 entries; now none is lost.
TEST(HistoryImport, ThreeThousandEntriesAreAllTaken)
{
    QTemporaryDir folder;
    const QString history = folder.filePath(QStringLiteral("history"));
    const QByteArray sample = SampleConfiguration{}.bytes();
    const QDateTime start(QDate(2024, 1, 1), QTime(8, 0));
    for (int i = 0; i < 3000; ++i)
        put(QDir(history).filePath(start.addSecs(i).toString(u"yyyy-MM-dd_HH-mm-ss") +
                                   QStringLiteral("_read_ttyUSB0_1234_0567.snc")),
            sample);
    ObjectCatalog catalog(folder.filePath(QStringLiteral("catalog.sqlite")), history);
    ASSERT_TRUE(catalog.store());
    const QList<CatalogObject> objects = valueOf(catalog.store()->objects());
    ASSERT_EQ(objects.size(), 1);
    EXPECT_EQ(valueOf(catalog.store()->timeline(objects[0].id)).size(), 3000);
    EXPECT_EQ(QDir(history).entryList(QDir::Files).size(), 3000);
}

TEST(HistoryImport, DefaultFolderIsTheProgramsOwnInTheUsersDataFolder)
{
    EXPECT_EQ(HistoryImport::defaultFolder(),
              QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
                  QStringLiteral("/history"));
}

} // namespace
} // namespace sr5n
