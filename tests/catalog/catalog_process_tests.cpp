// Several processes recording into one catalogue, and one killed mid-write.
#include "catalog/ObjectCatalog.h"
#include "catalog/SqliteCatalog.h"

#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>

#include "common/ExpectedValue.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace sr5n {
namespace {

const QString kWriter = QStringLiteral(SR5N_BIN_DIR "/sr5n-test-catalog-writer");

// Every entry of the catalogue, checked whole: its configuration is there
// and has the bytes its hash names.
QList<CatalogEntry> wholeEntries(CatalogStore &store)
{
    QList<CatalogEntry> entries;
    for (const CatalogObject &object : valueOf(store.objects())) {
        for (const CatalogEntry &entry : valueOf(store.timeline(object.id))) {
            const std::optional<QByteArray> bytes = store.configuration(entry.hash);
            EXPECT_TRUE(bytes) << qPrintable(entry.id);
            if (bytes) {
                EXPECT_EQ(ContentHash(*bytes), entry.hash);
            }
            entries.append(entry);
        }
    }
    return entries;
}

TEST(CatalogProcesses, FourProcessesRecordingAtOnceLoseNoEntry)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("catalog.sqlite"));
    const QStringList tags = {"1001", "1002", "1003", "1004"};
    std::vector<std::unique_ptr<QProcess>> writers;
    for (const QString &tag : tags) {
        writers.push_back(std::make_unique<QProcess>());
        writers.back()->start(kWriter, {path, QStringLiteral("200"), tag});
    }
    for (const auto &writer : writers) {
        ASSERT_TRUE(writer->waitForFinished(240000));
        EXPECT_EQ(writer->exitCode(), 0) << writer->readAllStandardError().constData();
    }

    CatalogOpening opening = OpenSqliteCatalog(path);
    ASSERT_TRUE(opening.store);
    const QList<CatalogEntry> entries = wholeEntries(*opening.store);
    EXPECT_EQ(entries.size(), 800);
    QSet<QString> ids, notes;
    for (const CatalogEntry &entry : entries) {
        ids.insert(entry.id);
        notes.insert(entry.port + u'/' + entry.note);
    }
    EXPECT_EQ(ids.size(), 800);
    EXPECT_EQ(notes.size(), 800); // each process's 200, none twice
    // One object per process: none created twice by a race.
    EXPECT_EQ(valueOf(opening.store->objects()).size(), 4);
}

TEST(CatalogProcesses, AProcessKilledWhileRecordingLeavesOnlyWholeEntries)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("catalog.sqlite"));
    QProcess writer;
    writer.start(kWriter, {path, QStringLiteral("0"), QStringLiteral("2001")});
    ASSERT_TRUE(writer.waitForReadyRead(60000));
    // Killed at some point of a later entry's transaction.
    QThread::msleep(700);
    writer.kill();
    ASSERT_TRUE(writer.waitForFinished(10000));

    CatalogOpening opening = OpenSqliteCatalog(path);
    ASSERT_TRUE(opening.store) << qPrintable(opening.failure);
    EXPECT_TRUE(opening.notices.isEmpty()); // sound, not damaged
    const QList<CatalogEntry> entries = wholeEntries(*opening.store);
    EXPECT_GE(entries.size(), 1);
    // And it takes new entries.
    ObjectCatalog catalog(path);
    ASSERT_TRUE(catalog.store());
    EXPECT_EQ(valueOf(catalog.store()->objects()).size(), 1);
}

} // namespace
} // namespace sr5n

namespace sr5n {
namespace {

// A disk that fills while entries are recorded: the entry being written is
// left out whole, the writer told why in words, and the catalogue opens
// sound with every entry recorded before, and takes entries again once there
// is room. The writer's files may not grow past a limit, as on a full disk.
TEST(CatalogProcesses, ADiskThatFillsLeavesTheLastEntryOutWhole)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("catalog.sqlite"));
    QProcess first;
    first.start(kWriter, {path, QStringLiteral("1"), QStringLiteral("1001")});
    ASSERT_TRUE(first.waitForFinished(240000));
    ASSERT_EQ(first.exitCode(), 0) << first.readAllStandardError().constData();

    // Room for some entries (each with a configuration of its own) and not more.
    const qint64 limit = QFileInfo(path).size() + 200 * 1024;
    QProcess full;
    full.start(kWriter,
               {path, QStringLiteral("0"), QStringLiteral("1002"), QString::number(limit)});
    ASSERT_TRUE(full.waitForFinished(240000));
    EXPECT_EQ(full.exitCode(), 1);
    const QString said = QString::fromUtf8(full.readAllStandardOutput());
    const QString error = QString::fromUtf8(full.readAllStandardError());
    const qsizetype at = said.indexOf(QStringLiteral("recorded "));
    ASSERT_GE(at, 0) << said.toStdString();
    const int recorded = said.mid(at + 9).trimmed().toInt();
    EXPECT_GT(recorded, 0);
    EXPECT_TRUE(error.contains(QStringLiteral("нет места"))) << error.toStdString();

    CatalogOpening opening = OpenSqliteCatalog(path);
    ASSERT_TRUE(opening.store);
    EXPECT_EQ(opening.notices, QStringList());
    EXPECT_EQ(wholeEntries(*opening.store).size(), 1 + recorded);
    opening.store.reset();

    QProcess after;
    after.start(kWriter, {path, QStringLiteral("1"), QStringLiteral("1003")});
    ASSERT_TRUE(after.waitForFinished(240000));
    EXPECT_EQ(after.exitCode(), 0) << after.readAllStandardError().constData();
    opening = OpenSqliteCatalog(path);
    ASSERT_TRUE(opening.store);
    EXPECT_EQ(wholeEntries(*opening.store).size(), 2 + recorded);
}

} // namespace
} // namespace sr5n
