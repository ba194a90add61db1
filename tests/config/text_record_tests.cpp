#include "common/Codepage.h"
#include "common/TextRecord.h"

#include <QBuffer>

#include <gtest/gtest.h>

using namespace sr5n;

namespace {

QByteArray recordOf(const QString &text)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(WriteTextRecord(text, buffer));
    return buffer.data();
}

std::optional<QString> readBack(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return ReadTextRecord(buffer);
}

} // namespace

TEST(TextRecord, WritesWorkedExamplesByteForByte)
{
    const struct {
        const char *text;
        const char *hex;
    } cases[] = {
        {"1", "010000003131000000"},
        {"1E", "02000000314576000000"},
        {"", "0000000000000000"},
    };
    for (const auto &c : cases) {
        const QByteArray record = recordOf(QString::fromLatin1(c.text));
        EXPECT_EQ(record.toHex(), QByteArray(c.hex)) << c.text;
        EXPECT_EQ(readBack(record), QString::fromLatin1(c.text)) << c.text;
    }
}

TEST(TextRecord, CyrillicTextIsStoredInWindows1251AndRoundTrips)
{
    const QString text = QStringLiteral("Контроль линии: ёЁ №");
    const QByteArray record = recordOf(text);
    const QByteArray body = ToCp1251(text);
    ASSERT_EQ(body.size(), text.size());           // one byte per character
    EXPECT_EQ(static_cast<quint8>(body[0]), 0xCA); // "К" in Windows-1251
    EXPECT_EQ(record.mid(4, body.size()), body);
    EXPECT_EQ(readBack(record), text);
}

TEST(TextRecord, LongTextCarriesTheSumModulo256)
{
    const QString text(300, QLatin1Char('A')); // 300 * 0x41 = 0x4C2C
    const QByteArray record = recordOf(text);
    EXPECT_EQ(record.right(4).toHex(), QByteArray("2c000000"));
    EXPECT_EQ(readBack(record), text);
}

TEST(TextRecord, RefusesDamagedRecords)
{
    const QByteArray good = recordOf(QStringLiteral("1E"));
    QByteArray checksumOff = good;
    checksumOff[6] = static_cast<char>(checksumOff[6] + 1);
    QByteArray textChanged = good;
    textChanged[5] = 'F';
    QByteArray upperChecksumBytes = good;
    upperChecksumBytes[7] = 1; // the sum is right but the stored number is not

    const struct {
        const char *name;
        QByteArray bytes;
    } cases[] = {
        {"empty file", QByteArray()},
        {"partial length", QByteArray::fromHex("0200")},
        {"ends inside the text", good.left(5)},
        {"ends inside the checksum", good.left(8)},
        {"checksum off by one", checksumOff},
        {"text byte changed", textChanged},
        {"checksum above a byte", upperChecksumBytes},
        {"length beyond the end", QByteArray::fromHex("0a000000") + QByteArray(6, '0')},
        {"huge length", QByteArray::fromHex("ffffffff") + QByteArray(16, '\0')},
    };
    for (const auto &c : cases)
        EXPECT_FALSE(readBack(c.bytes).has_value()) << c.name;
}

TEST(TextRecord, ReadsConsecutiveRecordsAndIgnoresNothingBetween)
{
    const QByteArray bytes =
        recordOf(QStringLiteral("SR-5/N")) + recordOf(QString()) + recordOf(QStringLiteral("858"));
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    EXPECT_EQ(ReadTextRecord(buffer), QStringLiteral("SR-5/N"));
    EXPECT_EQ(ReadTextRecord(buffer), QString());
    EXPECT_EQ(ReadTextRecord(buffer), QStringLiteral("858"));
    EXPECT_FALSE(ReadTextRecord(buffer).has_value());
}

TEST(TextRecord, WriteFailsOnClosedStream)
{
    QBuffer buffer;
    EXPECT_FALSE(WriteTextRecord(QStringLiteral("1"), buffer));
}

TEST(VersionComparison, AcceptsVersionsNotGreaterThanTheWrittenOne)
{
    const struct {
        const char *file;
        const char *written;
        bool accepted;
    } cases[] = {
        {"1", "1", true},  {"0", "1", true},   {"", "1", true},
        {"2", "1", false}, {"10", "1", false}, {"1.0", "1", false},
        {"1", "2", true},  {"2", "2", true},   {"3", "2", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(VersionAccepted(QString::fromLatin1(c.file), QString::fromLatin1(c.written)),
                  c.accepted)
            << '"' << c.file << "\" against \"" << c.written << '"';
}
