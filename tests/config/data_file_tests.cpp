#include "common/DataFile.h"
#include "common/FifoTrap.h"
#include "common/TextRecords.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace sr5n;

namespace {

QString binFile(const char *name)
{
    return QDir(QStringLiteral(SR5N_BIN_DIR)).filePath(QString::fromLatin1(name));
}

} // namespace

TEST(DataFileReader, ChecksHeaderAndVersion)
{
    const struct {
        const char *name;
        QStringList texts;
        bool opens;
    } cases[] = {
        {"current version", {"SR-5/N Protocol File", "1", "x"}, true},
        {"older version", {"SR-5/N Protocol File", "0", "x"}, true},
        {"empty version", {"SR-5/N Protocol File", "", "x"}, true},
        {"newer version", {"SR-5/N Protocol File", "2", "x"}, false},
        {"other file type", {"SR-5/N Protocols List File", "1", "x"}, false},
        {"header in other case", {"SR-5/N protocol file", "1", "x"}, false},
        {"header only", {"SR-5/N Protocol File"}, false},
    };
    for (const auto &c : cases) {
        DataFileReader reader(FileTypes::Protocol);
        EXPECT_EQ(reader.openBytes(test::TextRecords(c.texts)), c.opens) << c.name;
    }
}

TEST(DataFileReader, ReadsNumbersAndRefusesOthers)
{
    DataFileReader reader(FileTypes::EventTable);
    ASSERT_TRUE(
        reader.openBytes(test::TextRecords({"SR-5/N Events File", "2", "3", "-1", "x1", "-4"})));
    EXPECT_EQ(reader.version(), QStringLiteral("2"));
    EXPECT_EQ(reader.readCount(), 3);
    EXPECT_EQ(reader.readNumber(), -1);
    EXPECT_FALSE(reader.readNumber().has_value());
    EXPECT_FALSE(reader.readCount().has_value()); // a count is never negative
    EXPECT_FALSE(reader.readText().has_value());  // end of file
}

TEST(DataFileWriter, WritesHeaderVersionAndRecords)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("list.bin"));
    DataFileWriter writer(FileTypes::ProtocolList);
    ASSERT_TRUE(writer.open(path));
    ASSERT_TRUE(writer.writeNumber(1));
    ASSERT_TRUE(writer.writeText(QStringLiteral("Охрана")));
    ASSERT_TRUE(writer.commit());

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(),
              test::TextRecords({"SR-5/N Protocols List File", "1", "1", "Охрана"}));
}

TEST(DataFileWriter, UnfinishedWriteLeavesThePreviousFileIntact)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("config.snc"));
    {
        DataFileWriter first(FileTypes::Configuration);
        ASSERT_TRUE(first.open(path));
        ASSERT_TRUE(first.writeText(QStringLiteral("old")));
        ASSERT_TRUE(first.commit());
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    {
        DataFileWriter second(FileTypes::Configuration);
        ASSERT_TRUE(second.open(path));
        ASSERT_TRUE(second.writeText(QStringLiteral("new, never committed")));
    } // abandoned, as when a write fails half-way
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
}

TEST(DataFileWriter, ReportsAFileThatCannotBeCreated)
{
    QTemporaryDir dir;
    DataFileWriter writer(FileTypes::Configuration);
    EXPECT_FALSE(writer.open(dir.filePath(QStringLiteral("missing/folder/config.snc"))));
    EXPECT_FALSE(writer.writeText(QStringLiteral("x")));
    EXPECT_FALSE(writer.commit());
}

// The installation data made by the build sit beside the executable and read back.
TEST(InstallationData, GeneratedFilesReadBack)
{
    const struct {
        const char *file;
        DataFileType type;
        int expectedCount; // -1: any positive count
    } files[] = {
        {"sintevs.bin", FileTypes::EventTable, 8},
        {"cintevs.bin", FileTypes::EventTable, -1},
        {"extevs.bin", FileTypes::EventTable, 60},
        {"lgintevs.bin", FileTypes::LogEventList, -1},
        {"lgextevs.bin", FileTypes::LogEventList, 60},
        {"prtcls.bin", FileTypes::ProtocolList, -1},
    };
    static const QRegularExpression record(QStringLiteral("^[0-9A-F]{38}$"));
    for (const auto &f : files) {
        SCOPED_TRACE(f.file);
        DataFileReader reader(f.type);
        ASSERT_TRUE(reader.open(binFile(f.file)));
        EXPECT_EQ(reader.version(), QString::fromLatin1(f.type.version));
        const std::optional<qint64> count = reader.readCount();
        ASSERT_TRUE(count.has_value());
        if (f.expectedCount >= 0)
            EXPECT_EQ(*count, f.expectedCount);
        else
            EXPECT_GT(*count, 0);
        for (qint64 i = 0; i < *count; ++i) {
            if (f.type.header == FileTypes::EventTable.header) {
                ASSERT_TRUE(reader.readNumber().has_value());
            }
            const std::optional<QString> name = reader.readText();
            ASSERT_TRUE(name.has_value());
            EXPECT_FALSE(name->isEmpty());
            if (f.type.header == FileTypes::ProtocolList.header) {
                const std::optional<QString> text = reader.readText();
                ASSERT_TRUE(text.has_value());
                EXPECT_TRUE(record.match(*text).hasMatch()) << qPrintable(*text);
            }
        }
        EXPECT_FALSE(reader.readText().has_value()) << "nothing after the last entry";
    }
}

TEST(InstallationData, MemoryFaultEventComesFirstInTheCommonTable)
{
    DataFileReader reader(FileTypes::EventTable);
    ASSERT_TRUE(reader.open(binFile("cintevs.bin")));
    ASSERT_TRUE(reader.readCount().has_value());
    ASSERT_TRUE(reader.readNumber().has_value());
    const std::optional<QString> name = reader.readText();
    ASSERT_TRUE(name.has_value());
    EXPECT_TRUE(name->contains(QStringLiteral("памяти"))) << qPrintable(*name);
}

// Only regular files are read: a named pipe would hold the window until
// something writes to it, a device file may never end. Every data file
// (configurations, protocols, the installation's lists) is read through here.
TEST(DataFileReader, OpensOnlyRegularFiles)
{
    QTemporaryDir dir;
    test::FifoTrap fifo(dir.filePath(QStringLiteral("pipe.snc")));
    ASSERT_TRUE(fifo.created());
    const QString good = dir.filePath(QStringLiteral("good.bin"));
    {
        QFile file(good);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(test::TextRecords({"SR-5/N Protocol File", "1"}));
    }
    const QString link = dir.filePath(QStringLiteral("link.bin"));
    ASSERT_TRUE(QFile::link(good, link));
    const QString pipeLink = dir.filePath(QStringLiteral("pipe-link.bin"));
    ASSERT_TRUE(QFile::link(fifo.path(), pipeLink));
    const struct {
        const char *name;
        QString path;
        bool opens;
    } cases[] = {
        {"named pipe", fifo.path(), false},
        {"link to a named pipe", pipeLink, false},
        {"directory", dir.path(), false},
        {"device /dev/zero", QStringLiteral("/dev/zero"), false},
        {"device /dev/null", QStringLiteral("/dev/null"), false},
        {"regular file", good, true},
        {"link to a regular file", link, true},
    };
    for (const auto &c : cases) {
        DataFileReader reader(FileTypes::Protocol);
        EXPECT_EQ(reader.open(c.path), c.opens) << c.name;
    }
    EXPECT_FALSE(fifo.readerWaited());
}
