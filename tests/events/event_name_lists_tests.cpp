#include "common/FakeNotifier.h"
#include "config/TextRecord.h"
#include "events/EventNameLists.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

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
    EXPECT_TRUE(LoadLogEventList(QDir(QStringLiteral(SR5N_BIN_DIR)).filePath("lgextevs.bin"),
                                 names, notifier));
    EXPECT_EQ(names.size(), 60);
}

TEST(EventNameLists, MissingFileKeepsTheDesignSizeAndReportsOnce)
{
    QTemporaryDir empty;
    EventCodeTables tables;
    test::FakeNotifier notifier;
    SetUpEventTables(empty.path(), tables, notifier);
    EXPECT_EQ(notifier.errors, QStringList(3, kMessage));
    EXPECT_EQ(notifier.flashes, 3);
    EXPECT_EQ(tables.rowCount(Table::External), 60);
    EXPECT_TRUE(tables.row(Table::External, 1).name.isEmpty());
    EXPECT_TRUE(tables.row(Table::External, 1).displayNumber.isEmpty());
    EXPECT_EQ(tables.commonCode(1), QStringLiteral("1304"));
    EXPECT_EQ(tables.row(Table::Separate, 7).number, 113);
}

TEST(EventNameLists, RefusedFiles)
{
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
        {"version 3", {"SR-5/N Events File", "3", "1", "1", "А"}, false, 8, 0},
        {"wrong header", {"SR-5/N Log Events File", "1", "1", "1", "А"}, false, 8, 0},
        {"number x1 at row 2", {"SR-5/N Events File", "2", "3", "1", "А", "x1", "Б", "3", "В"}, false, 3, 1},
        {"ends early", {"SR-5/N Events File", "2", "3", "1", "А"}, false, 3, 1},
        {"count beyond the file", {"SR-5/N Events File", "2", "2000000000"}, false, 8, 0},
    };
    for (const auto &c : cases) {
        EventCodeTables tables;
        test::FakeNotifier notifier;
        const QString path = writeRecords(dir, QStringLiteral("t.bin"), c.texts);
        EXPECT_EQ(LoadEventTable(path, tables, Table::Separate, 0, notifier), c.loads) << c.name;
        EXPECT_EQ(notifier.errors.size(), c.loads ? 0 : 1) << c.name;
        EXPECT_EQ(tables.rowCount(Table::Separate), c.rowsAfter) << c.name;
        int named = 0;
        for (int r = 1; r <= tables.rowCount(Table::Separate); ++r)
            named += tables.row(Table::Separate, r).name.isEmpty() ? 0 : 1;
        EXPECT_EQ(named, c.namedRows) << c.name;
    }
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

    const QString newer = writeRecords(dir, QStringLiteral("v2.bin"),
                                       {"SR-5/N Log Events File", "2", "1", "Один"});
    EXPECT_FALSE(LoadLogEventList(newer, names, notifier));
    EXPECT_TRUE(names.isEmpty());
}
