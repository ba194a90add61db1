// The history of configurations read and written, and the user's settings.
#include "app/ConfigHistory.h"
#include "config/ConfigurationFile.h"
#include "config/RequestLists.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace sr5n;
using Operation = ConfigHistory::Operation;

namespace {

const QDateTime kStart(QDate(2025, 3, 14), QTime(9, 30, 5));

// A whole request list, as every read and write keeps: a configuration file
// holds every entry of the list.
struct Requests {
    QStringList data, commands;

    Requests()
    {
        BuildReadRequests(data, commands);
        commands = WriteCommandsOf(commands);
        data[0] = QStringLiteral("02000004FF1F00000000000000000000050528");
        for (qsizetype i = ConfigBlocks().size(); i < data.size(); ++i)
            data[i] = data.at(i).left(4) + QString(40, QLatin1Char('1'));
    }
};

QStringList namesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

} // namespace

TEST(ConfigHistory, KeepsAFileNamedWithTimeOperationPortAndObjectsThatOpensBackAsKept)
{
    QTemporaryDir dir;
    ConfigHistory history(dir.filePath(QStringLiteral("history")));
    const Requests r;
    const std::optional<QString> path =
        history.keep(Operation::Read, QStringLiteral("/dev/ttyUSB0"), QStringLiteral("12ab"),
                     QStringLiteral("0567"), r.data, r.commands, kStart);
    ASSERT_TRUE(path);
    EXPECT_EQ(QFileInfo(*path).fileName(),
              QStringLiteral("2025-03-14_09-30-05_read_ttyUSB0_12AB_0567.snc"));

    QStringList data, commands;
    ASSERT_TRUE(ReadConfigurationFile(*path, data, commands));
    EXPECT_EQ(data, r.data);
    EXPECT_EQ(commands, r.commands);

    ASSERT_TRUE(history.keep(Operation::VerifiedWrite, QStringLiteral("/dev/pts/4"),
                             QStringLiteral("1"), QString(), r.data, r.commands,
                             kStart.addSecs(60)));
    const QList<ConfigHistory::Entry> entries = history.entries();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].operation, Operation::VerifiedWrite); // newest first
    EXPECT_EQ(entries[0].port, QStringLiteral("pts-4"));
    EXPECT_EQ(entries[0].objects[0], QStringLiteral("1"));
    EXPECT_EQ(entries[0].objects[1], QStringLiteral("0000"));
    EXPECT_EQ(entries[0].time, kStart.addSecs(60));
    EXPECT_EQ(entries[1].operation, Operation::Read);
    EXPECT_EQ(entries[1].path, *path);
    EXPECT_EQ(ConfigHistory::operationText(entries[0].operation),
              QStringLiteral("Запись с проверкой"));
}

// Those kept in one second are numbered in the order they were kept, whatever
// their operation, and listed newest first.
TEST(ConfigHistory, SeveralInOneSecondAreAllKeptInTheirOrder)
{
    QTemporaryDir dir;
    ConfigHistory history(dir.path());
    const Requests r;
    for (const Operation operation : {Operation::Write, Operation::Read, Operation::Write})
        ASSERT_TRUE(history.keep(operation, QStringLiteral("ttyS0"), QStringLiteral("0001"),
                                 QStringLiteral("0002"), r.data, r.commands, kStart));
    EXPECT_EQ(namesIn(dir.path()),
              QStringList({"2025-03-14_09-30-05_read_ttyS0_0001_0002_2.snc",
                           "2025-03-14_09-30-05_write_ttyS0_0001_0002.snc",
                           "2025-03-14_09-30-05_write_ttyS0_0001_0002_3.snc"}));
    const QList<ConfigHistory::Entry> entries = history.entries();
    ASSERT_EQ(entries.size(), 3);
    EXPECT_TRUE(entries[0].path.endsWith(QStringLiteral("_3.snc")));
    EXPECT_EQ(entries[1].operation, Operation::Read);
    EXPECT_EQ(entries[2].operation, Operation::Write);
}

// The 501st configuration removes the oldest one; files of other names in
// the folder are neither listed nor removed.
TEST(ConfigHistory, KeepsTheLast500)
{
    QTemporaryDir dir;
    ConfigHistory history(dir.path());
    const Requests r;
    for (const char *name : {"mine.snc", "notes.txt", "2001-01-01_00-00-00_read_x_1_2.snc.bak"}) {
        QFile file(dir.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    // 500 configurations, kept in an order other than their times: the
    // oldest is one in the middle. The first is kept, the others are its copies.
    const std::optional<QString> first =
        history.keep(Operation::Read, QStringLiteral("ttyUSB0"), QStringLiteral("0001"),
                     QStringLiteral("0002"), r.data, r.commands, kStart);
    ASSERT_TRUE(first);
    QFile source(*first);
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    const QByteArray bytes = source.readAll();
    for (int i = 1; i < ConfigHistory::Limit; ++i) {
        const QDateTime time = kStart.addSecs(i == 250 ? -3600 : i);
        QFile copy(dir.filePath(time.toString(u"yyyy-MM-dd_HH-mm-ss") +
                                QStringLiteral("_read_ttyUSB0_0001_0002.snc")));
        ASSERT_TRUE(copy.open(QIODevice::WriteOnly) && copy.write(bytes) == bytes.size());
    }
    ASSERT_EQ(history.entries().size(), 500);
    EXPECT_EQ(history.entries().last().time, kStart.addSecs(-3600));

    ASSERT_TRUE(history.keep(Operation::Write, QStringLiteral("ttyUSB0"), QStringLiteral("0001"),
                             QStringLiteral("0002"), r.data, r.commands, kStart.addDays(1)));
    const QList<ConfigHistory::Entry> entries = history.entries();
    ASSERT_EQ(entries.size(), 500);
    EXPECT_EQ(entries.first().time, kStart.addDays(1));
    EXPECT_EQ(entries.last().time, kStart);
    EXPECT_EQ(namesIn(dir.path()).size(), 503);
    for (const char *name : {"mine.snc", "notes.txt"})
        EXPECT_TRUE(QFileInfo::exists(dir.filePath(QString::fromLatin1(name)))) << name;
}

TEST(ConfigHistory, AFolderThatCannotBeMadeKeepsNothing)
{
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    ConfigHistory history(dir.filePath(QStringLiteral("file/history")));
    const Requests r;
    EXPECT_FALSE(history.keep(Operation::Read, QStringLiteral("ttyS0"), QString(), QString(),
                              r.data, r.commands));
    EXPECT_TRUE(history.entries().isEmpty());
    EXPECT_FALSE(ConfigHistory(QString()).keep(Operation::Read, QStringLiteral("ttyS0"), QString(),
                                               QString(), r.data, r.commands));
}

TEST(ConfigHistory, NamesOfOtherFormsAreNoEntries)
{
    const char *names[] = {
        "2025-03-14_09-30-05_read_ttyUSB0_1234.snc",       // one object number
        "2025-03-14_09-30-05_erase_ttyUSB0_1234_5678.snc", // no such operation
        "2025-13-14_09-30-05_read_ttyUSB0_1234_5678.snc",  // no such month
        "2025-03-14_09-30-05_read_tty_USB0_1234_5678.snc", // a port with "_"
        "2025-03-14_09-30-05_read_ttyUSB0_12345_5678.snc", // five digits
        "2025-03-14_09-30-05_read_ttyUSB0_1234_5678.SNC",
    };
    for (const char *name : names)
        EXPECT_FALSE(ConfigHistory::parse(QString::fromLatin1(name))) << name;
    EXPECT_TRUE(
        ConfigHistory::parse(QStringLiteral("2025-03-14_09-30-05_read_ttyUSB0_1234_5678_7.snc")));
}

TEST(ConfigHistory, PortPartIsSafeInAFileName)
{
    const struct {
        const char *port;
        const char *part;
    } cases[] = {{"ttyUSB0", "ttyUSB0"},
                 {"/dev/ttyS1", "ttyS1"},
                 {"/dev/pts/4", "pts-4"},
                 {"/dev/serial/by-id/usb-FTDI_FT232R-if00", "serial-by-id-usb-FTDI-FT232R-if00"},
                 {"COM3", "COM3"},
                 {"", "-"},
                 {"порт 1", "-----1"}};
    for (const auto &c : cases)
        EXPECT_EQ(ConfigHistory::portPart(QString::fromUtf8(c.port)), QString::fromLatin1(c.part))
            << c.port;
}

// The history is kept in the program's own folder of the user's data folder
// (the tests point that folder elsewhere).
TEST(ConfigHistory, DefaultFolderIsTheProgramsOwnInTheUsersDataFolder)
{
    EXPECT_EQ(ConfigHistory::defaultFolder(),
              QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
                  QStringLiteral("/history"));
}
