#include "common/FakeNotifier.h"
#include "common/FifoTrap.h"
#include "common/TextRecord.h"
#include "events/EventNameLists.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>

#include <gtest/gtest.h>

using namespace sr5n;
using Table = EventCodeTables::Table;

namespace {

const QString kMessage = QStringLiteral("Невозможно открыть список событий");

QString writeRecords(const QTemporaryDir &dir, const QString &name, const QStringList &texts)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    for (const QString &text : texts)
        EXPECT_TRUE(WriteTextRecord(text, file));
    return path;
}

} // namespace

TEST(EventNameLists, InstalledFilesFillTheTables)
{
    EventCodeTables tables;
    test::FakeNotifier notifier;
    SetUpEventTables(QStringLiteral(SR5N_BIN_DIR), tables, notifier);
    EXPECT_TRUE(notifier.errors.isEmpty());
    EXPECT_EQ(tables.rowCount(Table::Separate), 8);
    EXPECT_EQ(tables.row(Table::Separate, 1).displayNumber, QStringLiteral("1"));
    EXPECT_EQ(tables.row(Table::Separate, 8).displayNumber, QStringLiteral("8"));
    EXPECT_EQ(tables.row(Table::Common, 1).displayNumber, QStringLiteral("9"));
    EXPECT_EQ(tables.row(Table::Common, 1).number, -1);
    EXPECT_EQ(tables.commonCode(1), QStringLiteral("1304"));
    EXPECT_EQ(tables.rowCount(Table::External), 60);
    EXPECT_EQ(tables.row(Table::External, 60).displayNumber, QStringLiteral("60"));
    EXPECT_FALSE(tables.row(Table::External, 60).name.isEmpty());

    QStringList names;
    EXPECT_TRUE(LoadLogEventList(QDir(QStringLiteral(SR5N_BIN_DIR)).filePath("lgextevs.bin"), names,
                                 notifier));
    EXPECT_EQ(names.size(), 60);
}

TEST(EventNameLists, MissingFilesKeepTheDesignSizeAndAreReportedOncePerFile)
{
    // No files at all, then only extevs.bin missing.
    for (const QStringList &present : {QStringList(), QStringList{"sintevs.bin", "cintevs.bin"}}) {
        QTemporaryDir folder;
        for (const QString &name : present)
            ASSERT_TRUE(QFile::copy(QDir(QStringLiteral(SR5N_BIN_DIR)).filePath(name),
                                    folder.filePath(name)));
        EventCodeTables tables;
        test::FakeNotifier notifier;
        SetUpEventTables(folder.path(), tables, notifier);
        const int missing = 3 - int(present.size());
        EXPECT_EQ(notifier.errors, QStringList(missing, kMessage));
        EXPECT_EQ(notifier.flashes, missing);
        EXPECT_EQ(tables.rowCount(Table::External), 60);
        EXPECT_TRUE(tables.row(Table::External, 1).name.isEmpty());
        EXPECT_TRUE(tables.row(Table::External, 60).displayNumber.isEmpty());
        EXPECT_EQ(tables.zoneCodes(60, 2), QStringList(70, QStringLiteral("0000")));
        EXPECT_EQ(tables.rowCount(Table::Separate), 8);
        EXPECT_EQ(tables.row(Table::Separate, 8).name.isEmpty(), present.isEmpty());
        EXPECT_EQ(tables.commonCode(1), QStringLiteral("1304"));
        EXPECT_EQ(tables.row(Table::Separate, 7).number, 113);
    }
}

TEST(EventNameLists, AcceptedAndRefusedFiles)
{
    // The common table takes the file's count, so the partial fill shows.
    QTemporaryDir dir;
    const struct {
        const char *name;
        QStringList texts;
        bool loads;
        int rowsAfter;
        int namedRows;
    } cases[] = {
        {"version 2", {"SR-5/N Events File", "2", "2", "1", "А", "2", "Б"}, true, 2, 2},
        {"version 1", {"SR-5/N Events File", "1", "1", "1", "А"}, true, 1, 1},
        {"version 3", {"SR-5/N Events File", "3", "1", "1", "А"}, false, 1, 0},
        {"wrong header", {"SR-5/N Log Events File", "1", "1", "1", "А"}, false, 1, 0},
        {"number x1 at row 2",
         {"SR-5/N Events File", "2", "3", "1", "А", "x1", "Б", "3", "В"},
         false,
         3,
         1},
        {"ends early", {"SR-5/N Events File", "2", "3", "1", "А"}, false, 3, 1},
        {"count beyond the file", {"SR-5/N Events File", "2", "2000000000"}, false, 1, 0},
        {"no events keeps the memory-fault row", {"SR-5/N Events File", "2", "0"}, true, 1, 0},
    };
    for (const auto &c : cases) {
        EventCodeTables tables;
        test::FakeNotifier notifier;
        const QString path = writeRecords(dir, QStringLiteral("t.bin"), c.texts);
        EXPECT_EQ(LoadEventTable(path, tables, Table::Common, 8, notifier), c.loads) << c.name;
        EXPECT_EQ(notifier.errors, c.loads ? QStringList() : QStringList{kMessage}) << c.name;
        EXPECT_EQ(notifier.flashes, c.loads ? 0 : 1) << c.name;
        EXPECT_EQ(tables.rowCount(Table::Common), c.rowsAfter) << c.name;
        int named = 0;
        for (int r = 1; r <= tables.rowCount(Table::Common); ++r)
            named += tables.row(Table::Common, r).name.isEmpty() ? 0 : 1;
        EXPECT_EQ(named, c.namedRows) << c.name;
        if (named > 0) {
            EXPECT_EQ(tables.row(Table::Common, 1).displayNumber, QStringLiteral("9")) << c.name;
        }
    }
}

TEST(EventNameLists, SeparateAndExternalTablesKeepTheDevicesRowsWhateverTheListHolds)
{
    QTemporaryDir dir;
    const auto list = [](int events) {
        QStringList texts{"SR-5/N Events File", "2", QString::number(events)};
        for (int i = 1; i <= events; ++i)
            texts << QString::number(i) << QStringLiteral("Событие %1").arg(i);
        return texts;
    };
    const struct {
        Table table;
        int events;
        int rows;
    } cases[] = {
        {Table::External, 58, 60},
        {Table::External, 62, 60},
        {Table::Separate, 3, 8},
        {Table::Separate, 9, 8},
    };
    for (const auto &c : cases) {
        EventCodeTables tables;
        tables.setZoneCode(60, 2, 5, QStringLiteral("00B1"));
        test::FakeNotifier notifier;
        const QString path = writeRecords(dir, QStringLiteral("t.bin"), list(c.events));
        EXPECT_TRUE(LoadEventTable(path, tables, c.table, 0, notifier)) << c.events;
        EXPECT_TRUE(notifier.errors.isEmpty());
        ASSERT_EQ(tables.rowCount(c.table), c.rows) << c.events;
        const int named = std::min(c.events, c.rows);
        EXPECT_EQ(tables.row(c.table, named).name, QStringLiteral("Событие %1").arg(named));
        EXPECT_EQ(tables.row(c.table, named).displayNumber, QString::number(named));
        if (named < c.rows) {
            EXPECT_TRUE(tables.row(c.table, named + 1).name.isEmpty());
        }
        // The codes of rows the list does not name are still there.
        EXPECT_EQ(tables.zoneCode(60, 2, 5), QStringLiteral("00B1"));
    }

    // A damaged entry past the kept rows still refuses the file.
    QStringList damaged = list(62);
    damaged[3 + 2 * 61] = QStringLiteral("x62");
    EventCodeTables tables;
    test::FakeNotifier notifier;
    EXPECT_FALSE(LoadEventTable(writeRecords(dir, QStringLiteral("d.bin"), damaged), tables,
                                Table::External, 0, notifier));
    EXPECT_EQ(notifier.errors, QStringList{kMessage});
    EXPECT_EQ(tables.row(Table::External, 60).name, QStringLiteral("Событие 60"));
}

TEST(EventNameLists, DamagedRecordIsRefused)
{
    QTemporaryDir dir;
    const QString path = writeRecords(dir, QStringLiteral("t.bin"),
                                      {"SR-5/N Log Events File", "1", "2", "Один", "Два"});
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.seek(file.size() - 1 - 4); // last byte of the last name
    file.write("X");
    file.close();
    QStringList names;
    test::FakeNotifier notifier;
    EXPECT_FALSE(LoadLogEventList(path, names, notifier));
    EXPECT_EQ(names, QStringList({"Один"}));
    EXPECT_EQ(notifier.errors, QStringList({kMessage}));

    const QString newer =
        writeRecords(dir, QStringLiteral("v2.bin"), {"SR-5/N Log Events File", "2", "1", "Один"});
    EXPECT_FALSE(LoadLogEventList(newer, names, notifier));
    EXPECT_TRUE(names.isEmpty());
}

// Installation files that are named pipes are refused at once: start-up
// goes on with one message per file.
TEST(EventNameLists, NamedPipesAreRefusedAtOnce)
{
    QTemporaryDir folder;
    test::FifoTrap table(folder.filePath(QStringLiteral("extevs.bin")));
    test::FifoTrap log(folder.filePath(QStringLiteral("lgextevs.bin")));
    ASSERT_TRUE(table.created() && log.created());
    EventCodeTables tables;
    test::FakeNotifier notifier;
    EXPECT_FALSE(LoadEventTable(table.path(), tables, Table::External, 0, notifier));
    QStringList names;
    EXPECT_FALSE(LoadLogEventList(log.path(), names, notifier));
    EXPECT_EQ(notifier.errors, QStringList(2, kMessage));
    EXPECT_FALSE(table.readerWaited());
    EXPECT_FALSE(log.readerWaited());
}
