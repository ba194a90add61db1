#include "common/TextRecords.h"
#include "config/ConfigurationFile.h"
#include "config/RequestLists.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace sr5n;

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

} // namespace

TEST(ConfigurationFile, BeginsWithHeaderVersionCountAndTheFirstEntry)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Конфигурация.snc"));
    QStringList commands(858, QStringLiteral("00"));
    QStringList data(858, QStringLiteral("0500"));
    commands[0] = QStringLiteral("1E");
    ASSERT_TRUE(WriteConfigurationFile(path, data, commands));
    const QByteArray bytes = fileBytes(path);
    EXPECT_EQ(bytes.left(4).toHex(), QByteArray("19000000"));
    EXPECT_EQ(bytes.mid(4, 25), QByteArray("SR-5/N Configuration File"));
    EXPECT_EQ(bytes.mid(33, 9).toHex(), QByteArray("010000003131000000"));
    EXPECT_EQ(bytes.mid(42, 11).toHex(), QByteArray("03000000383538a5000000"));
    EXPECT_EQ(bytes.mid(53, 10).toHex(), QByteArray("02000000314576000000"));

    QStringList readData, readCommands;
    ASSERT_TRUE(ReadConfigurationFile(path, readData, readCommands));
    EXPECT_EQ(readCommands, commands);
    EXPECT_EQ(readData, data);
}

TEST(ConfigurationFile, RefusesDamagedOrNewerFiles)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("c.snc"));
    const QString header = QStringLiteral("SR-5/N Configuration File");
    const QByteArray good = test::TextRecords({header, "1", "2", "1E", "0203", "22", "A021"});
    QByteArray changedByte = good;
    changedByte[changedByte.size() - 6] = 'B'; // one digit of the last data text
    const struct {
        const char *name;
        QByteArray bytes;
        bool reads;
    } cases[] = {
        {"good", good, true},
        {"version 0", test::TextRecords({header, "0", "1", "1E", "02"}), true},
        {"bytes after the last entry", good + QByteArray("trailing"), true},
        {"version 2", test::TextRecords({header, "2", "1", "1E", "02"}), false},
        {"version 10", test::TextRecords({header, "10", "1", "1E", "02"}), false},
        {"other file type", test::TextRecords({"SR-5/N Protocol File", "1", "1", "1E", "02"}),
         false},
        {"count not a number", test::TextRecords({header, "1", "x", "1E", "02"}), false},
        {"one entry fewer than announced",
         test::TextRecords({header, "1", "3", "1E", "02", "22", "A0"}), false},
        {"a changed data byte", changedByte, false},
        {"empty file", QByteArray(), false},
    };
    for (const auto &c : cases) {
        writeBytes(path, c.bytes);
        QStringList data, commands;
        EXPECT_EQ(ReadConfigurationFile(path, data, commands), c.reads) << c.name;
        if (!c.reads) {
            EXPECT_TRUE(commands.isEmpty() && data.isEmpty()) << c.name;
        }
    }
    QStringList data, commands;
    EXPECT_FALSE(
        ReadConfigurationFile(dir.filePath(QStringLiteral("missing.snc")), data, commands));
}

TEST(ConfigurationFile, FailedSaveKeepsThePreviousFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("c.snc"));
    ASSERT_TRUE(WriteConfigurationFile(path, {"02"}, {"1E"}));
    const QByteArray before = fileBytes(path);
    EXPECT_FALSE(WriteConfigurationFile(path, {"02", "03"}, {"1E"})); // lists of unequal length
    EXPECT_EQ(fileBytes(path), before);
    EXPECT_FALSE(
        WriteConfigurationFile(dir.filePath(QStringLiteral("no/such/c.snc")), {"02"}, {"1E"}));
}

// A configuration has 858 entries: a file announcing more is refused before
// its entries are read, however well formed they are.
TEST(ConfigurationFile, RefusesMoreEntriesThanAConfigurationHolds)
{
    ASSERT_EQ(ConfigurationRequestCount(), 858);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("c.snc"));
    const QString header = QStringLiteral("SR-5/N Configuration File");
    const QByteArray entry =
        test::TextRecords({"0C", ""}); // a command that carries no configuration
    const struct {
        const char *name;
        int entries;
        bool reads;
    } cases[] = {
        {"a whole configuration", 858, true},
        {"one entry more", 859, false},
        {"two million entries", 2000000, false},
    };
    for (const auto &c : cases) {
        writeBytes(path, test::TextRecords({header, "1", QString::number(c.entries)}) +
                             entry.repeated(c.entries));
        QStringList data, commands;
        EXPECT_EQ(ReadConfigurationFile(path, data, commands), c.reads) << c.name;
        EXPECT_EQ(commands.size(), c.reads ? c.entries : 0) << c.name;
    }
}
