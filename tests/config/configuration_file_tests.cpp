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

// The entries of a whole configuration as a file holds them (write
// commands), or as a reading collects them (read commands): every block and
// every event-code chunk with its address.
struct Entries {
    QStringList data, commands;

    // Command and data of each entry, in file order.
    QStringList texts() const
    {
        QStringList texts;
        for (qsizetype i = 0; i < commands.size(); ++i)
            texts << commands.at(i) << data.at(i);
        return texts;
    }
};

Entries wholeList(bool asRead = false)
{
    Entries e;
    BuildReadRequests(e.data, e.commands);
    // A block's data as long as its longest encoding; a chunk's address and
    // ten codes.
    const qsizetype blocks = 16;
    for (qsizetype i = 0; i < e.data.size(); ++i)
        e.data[i] = i < blocks ? QString(64, u'0') : e.data.at(i).left(4) + QString(40, u'0');
    if (!asRead)
        e.commands = WriteCommandsOf(e.commands);
    return e;
}

QByteArray fileOf(const Entries &e, const QString &version = QStringLiteral("1"),
                  qsizetype count = -1)
{
    return test::TextRecords(QStringList{QStringLiteral("SR-5/N Configuration File"), version,
                                         QString::number(count < 0 ? e.commands.size() : count)} +
                             e.texts());
}

} // namespace

TEST(ConfigurationFile, BeginsWithHeaderVersionCountAndTheFirstEntry)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Конфигурация.snc"));
    const Entries e = wholeList();
    ASSERT_EQ(e.commands.first(), QStringLiteral("1E"));
    ASSERT_TRUE(WriteConfigurationFile(path, e.data, e.commands));
    const QByteArray bytes = fileBytes(path);
    EXPECT_EQ(bytes.left(4).toHex(), QByteArray("19000000"));
    EXPECT_EQ(bytes.mid(4, 25), QByteArray("SR-5/N Configuration File"));
    EXPECT_EQ(bytes.mid(33, 9).toHex(), QByteArray("010000003131000000"));
    EXPECT_EQ(bytes.mid(42, 11).toHex(), QByteArray("03000000383538a5000000"));
    EXPECT_EQ(bytes.mid(53, 10).toHex(), QByteArray("02000000314576000000"));

    QStringList readData, readCommands;
    ASSERT_TRUE(ReadConfigurationFile(path, readData, readCommands));
    EXPECT_EQ(readCommands, e.commands);
    EXPECT_EQ(readData, e.data);
}

// A file must hold every entry of the list in its place: one without an
// entry would leave that part of the window from the configuration before.
TEST(ConfigurationFile, RefusesDamagedNewerOrPartialFiles)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("c.snc"));
    const Entries whole = wholeList();
    const QByteArray good = fileOf(whole);
    QByteArray changedByte = good;
    changedByte[changedByte.size() - 6] = 'B'; // one digit of the last data text
    Entries lastMissing = whole;
    lastMissing.commands.removeLast();
    lastMissing.data.removeLast();
    Entries unknownLast = whole;
    unknownLast.commands.last() = QStringLiteral("0C");
    Entries lastElsewhere = whole;
    lastElsewhere.data.last().replace(0, 4, QStringLiteral("7CE0"));
    Entries blocksSwapped = whole;
    blocksSwapped.commands.swapItemsAt(2, 3);
    Entries lowerCase = whole;
    for (QString &command : lowerCase.commands)
        command = command.toLower();
    Entries blocksOnly = whole;
    blocksOnly.commands = blocksOnly.commands.mid(0, 16);
    blocksOnly.data = blocksOnly.data.mid(0, 16);
    const struct {
        const char *name;
        QByteArray bytes;
        bool reads;
        const char *fault; // what the user is told of the entries
    } cases[] = {
        {"a whole configuration", good, true, ""},
        {"the answers of a reading", fileOf(wholeList(true)), true, ""},
        {"lower-case commands", fileOf(lowerCase), true, ""},
        {"version 0", fileOf(whole, QStringLiteral("0")), true, ""},
        {"bytes after the last entry", good + QByteArray("trailing"), true, ""},
        {"version 2", fileOf(whole, QStringLiteral("2")), false, ""},
        {"version 10", fileOf(whole, QStringLiteral("10")), false, ""},
        {"other file type",
         test::TextRecords(QStringList{"SR-5/N Protocol File", "1", "858"} + whole.texts()), false,
         ""},
        {"count not a number",
         test::TextRecords(QStringList{"SR-5/N Configuration File", "1", "x"} + whole.texts()),
         false, ""},
        {"one entry fewer than announced", fileOf(lastMissing, QStringLiteral("1"), 858), false,
         "файл обрывается на записи 858 из 858"},
        {"857 entries", fileOf(lastMissing), false, "записей 857 вместо 858"},
        {"an unknown command in the last entry", fileOf(unknownLast), false,
         "запись 858 из 858 (команда 0C): ожидалась команда 00"},
        {"the last chunk at another address", fileOf(lastElsewhere), false,
         "запись 858 из 858 (команда 00): адрес 7CE0 вместо 7CC0"},
        {"two blocks swapped", fileOf(blocksSwapped), false,
         "запись 3 из 858 (команда 29): ожидалась команда 08"},
        {"the sixteen blocks only", fileOf(blocksOnly), false, "записей 16 вместо 858"},
        {"a changed data byte", changedByte, false, "файл обрывается на записи 858 из 858"},
        {"empty file", QByteArray(), false, ""},
    };
    for (const auto &c : cases) {
        writeBytes(path, c.bytes);
        QStringList data, commands;
        QString fault;
        EXPECT_EQ(ReadConfigurationFile(path, data, commands, &fault), c.reads) << c.name;
        EXPECT_EQ(fault, QString::fromUtf8(c.fault)) << c.name;
        if (!c.reads) {
            EXPECT_TRUE(commands.isEmpty() && data.isEmpty()) << c.name;
        }
        // The same bytes in memory, as the catalogue holds them.
        EXPECT_EQ(ReadConfigurationBytes(c.bytes, data, commands), c.reads) << c.name;
    }
    QStringList data, commands;
    EXPECT_FALSE(
        ReadConfigurationFile(dir.filePath(QStringLiteral("missing.snc")), data, commands));
}

// The bytes recorded into the catalogue are those a save writes, byte for
// byte, for any entries; what a save refuses gives no bytes.
TEST(ConfigurationFile, BytesInMemoryAreTheFileBytes)
{
    QTemporaryDir dir;
    const Entries whole = wholeList();
    Entries cyrillic = whole;
    cyrillic.data.first() = QStringLiteral("Объект «Склад» № 5");
    const struct {
        const char *name;
        QStringList data, commands;
        bool written;
    } cases[] = {
        {"a whole configuration", whole.data, whole.commands, true},
        {"the answers of a reading", wholeList(true).data, wholeList(true).commands, true},
        {"a text beyond Latin-1", cyrillic.data, cyrillic.commands, true},
        {"empty texts", {"", ""}, {"1E", ""}, true},
        {"no entries", {}, {}, true},
        {"lists of unequal length", {"02", "03"}, {"1E"}, false},
    };
    for (const auto &c : cases) {
        const QString path = dir.filePath(QString::fromUtf8(c.name) + QStringLiteral(".snc"));
        EXPECT_EQ(WriteConfigurationFile(path, c.data, c.commands), c.written) << c.name;
        const QByteArray bytes = ConfigurationFileBytes(c.data, c.commands);
        if (c.written)
            EXPECT_EQ(bytes, fileBytes(path)) << c.name;
        else
            EXPECT_TRUE(bytes.isEmpty()) << c.name;
    }
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
    const Entries whole = wholeList();
    const QByteArray extra = test::TextRecords({"0C", ""}); // carries no configuration
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
        writeBytes(path,
                   fileOf(whole, QStringLiteral("1"), c.entries) + extra.repeated(c.entries - 858));
        QStringList data, commands;
        EXPECT_EQ(ReadConfigurationFile(path, data, commands), c.reads) << c.name;
        EXPECT_EQ(commands.size(), c.reads ? c.entries : 0) << c.name;
    }
}
