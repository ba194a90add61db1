// Decoding the communicator's event logs: status, pieces and the backward walk.
#include "common/HexText.h"
#include "events/EventLogDecoder.h"

#include <gtest/gtest.h>

#include <map>

using namespace sr5n;

namespace {

QStringList names(const QString &prefix, int count)
{
    QStringList list;
    for (int i = 0; i < count; ++i)
        list.append(prefix + QString::number(i));
    return list;
}

const QStringList External = names(QStringLiteral("E"), 60);
const QStringList Internal = names(QStringLiteral("I"), 16);

// A 256-byte log read from `first`, empty ("FF") but for the given records.
QString logText(int first, const std::map<int, QString> &records, QChar fill = u'F')
{
    QString text(512, fill);
    for (const auto &[address, record] : records)
        text.replace((address - first) * 2, 4, record);
    return text;
}

struct Row {
    const char *name;
    const char *zone;
    bool sent1;
    bool sent2;
    int number;
};

void expectRows(const DecodedEventLog &log, const QList<Row> &expected, const char *what)
{
    ASSERT_EQ(log.rows.size(), expected.size()) << what;
    for (qsizetype r = 0; r < expected.size(); ++r) {
        EXPECT_EQ(log.rows[r].name, QString::fromUtf8(expected[r].name)) << what << " row " << r;
        EXPECT_EQ(log.rows[r].zone, QString::fromUtf8(expected[r].zone)) << what << " row " << r;
        EXPECT_EQ(log.rows[r].sentToPair1, expected[r].sent1) << what << " row " << r;
        EXPECT_EQ(log.rows[r].sentToPair2, expected[r].sent2) << what << " row " << r;
        EXPECT_EQ(log.rows[r].number, expected[r].number) << what << " row " << r;
    }
}

} // namespace

TEST(EventLogStatus, TakesEightDigitsAtTheLogsOffset)
{
    const QString answer = QStringLiteral("00040102010A0300");
    const std::optional<EventLogStatus> low = ParseEventLogStatus(answer, 0);
    ASSERT_TRUE(low.has_value());
    EXPECT_EQ(low->address, 4);
    EXPECT_EQ(low->notSent1, 1);
    EXPECT_EQ(low->notSent2, 2);
    const std::optional<EventLogStatus> high = ParseEventLogStatus(answer, 4);
    ASSERT_TRUE(high.has_value());
    EXPECT_EQ(high->address, 0x010A);
    EXPECT_EQ(high->notSent1, 3);
    EXPECT_EQ(high->notSent2, 0);

    EXPECT_FALSE(ParseEventLogStatus(QStringLiteral("00040102"), 4)); // too short
    EXPECT_FALSE(ParseEventLogStatus(QString(), 0));
    // Only the log's own eight digits must be hexadecimal.
    const QString halfBad = QStringLiteral("0004G10201000000");
    EXPECT_FALSE(ParseEventLogStatus(halfBad, 0));
    EXPECT_TRUE(ParseEventLogStatus(halfBad, 4));
    EXPECT_FALSE(ParseEventLogStatus(QStringLiteral("00040102+1000000"), 4));
}

TEST(EventLogPieces, SixtyBytesAtATimeUpToTheLastAddress)
{
    const struct {
        int first;
        int last;
        QStringList requests;
    } cases[] = {
        {0, 255, {"00003C", "003C3C", "00783C", "00B43C", "00F010"}},
        {256, 511, {"01003C", "013C3C", "01783C", "01B43C", "01F010"}},
        {0, 59, {"00003C"}},
    };
    for (const auto &c : cases) {
        QStringList requests;
        for (const EventLogPiece &piece : EventLogPieces(c.first, c.last))
            requests.append(piece.requestData());
        EXPECT_EQ(requests, c.requests) << c.first;
    }
}

TEST(EventLogPieces, AnAnswerMustHoldExactlyThePiecesBytes)
{
    const EventLogPiece piece{0x00F0, 4};
    EXPECT_EQ(piece.bytesOf(QStringLiteral("00F00305FFFF")), QStringLiteral("0305FFFF"));
    EXPECT_FALSE(piece.bytesOf(QStringLiteral("00F00305FF")));     // short
    EXPECT_FALSE(piece.bytesOf(QStringLiteral("00F00305FFFFAA"))); // long
    EXPECT_FALSE(piece.bytesOf(QString()));
}

TEST(EventLogDecoding, WalksBackFromTheCurrentAddress)
{
    const struct {
        const char *what;
        int first;
        EventLogStatus status;
        std::map<int, QString> records;
        QList<Row> rows;
    } cases[] = {
        {"three records, pair 1 one behind",
         0,
         {0x0004, 1, 0},
         {{0, "0305"}, {2, "0A12"}, {4, "0571"}},
         {{"I1", "0", false, true, 3}, {"E10", "12", true, true, 2}, {"E3", "5", true, true, 1}}},
        {"unknown external index",
         0,
         {0x0002, 0, 0},
         {{0, "0101"}, {2, "3C05"}},
         {{"Неизвестное событие (код $3C05)", "-", true, true, 2}, {"E1", "1", true, true, 1}}},
        {"a zone that is no decimal number ends the walk",
         0,
         {0x0004, 0, 0},
         {{0, "0102"}, {2, "051A"}, {4, "0203"}},
         {{"E2", "3", true, true, 1}}},
        {"empty current slot", 0, {0x0004, 0, 0}, {{0, "0102"}, {2, "0203"}}, {}},
        {"c1 beyond the start of the log marks nothing for pair 1",
         0,
         {0x0004, 5, 1},
         {{0, "0100"}, {2, "0200"}, {4, "0300"}},
         {{"E3", "0", false, false, 3}, {"E2", "0", false, true, 2}, {"E1", "0", false, true, 1}}},
        {"walk wraps round to the end of the log",
         0,
         {0x0000, 2, 0},
         {{0, "0101"}, {254, "0202"}, {252, "0303"}},
         {{"E1", "1", false, true, 3}, {"E2", "2", false, true, 2}, {"E3", "3", false, true, 1}}},
        {"high-priority log",
         256,
         {0x0102, 0, 1},
         {{256, "0770"}, {258, "0869"}},
         {{"E8", "69", true, false, 2}, {"I0", "0", true, true, 1}}},
        // Markers are not wrapped: one before the log start marks nothing.
        {"current address before the log starts at its last slot",
         256,
         {0x0004, 0, 0},
         {{510, "0471"}, {508, "0409"}},
         {{"I1", "0", false, false, 2}, {"E4", "9", false, false, 1}}},
    };
    for (const auto &c : cases) {
        const DecodedEventLog log =
            DecodeEventLog(logText(c.first, c.records), c.first, c.status, External, Internal);
        EXPECT_TRUE(log.complete) << c.what;
        expectRows(log, c.rows, c.what);
    }
}

TEST(EventLogDecoding, AFullLogShowsAllButTheOldestRecord)
{
    // Every slot holds a record; record k sits at address 2k.
    std::map<int, QString> records;
    for (int k = 0; k < 128; ++k)
        records[2 * k] =
            HexDigits(k % 60, 2) + QStringLiteral("%1").arg(k % 70, 2, 10, QChar(u'0'));
    const DecodedEventLog log =
        DecodeEventLog(logText(0, records), 0, {0x0020, 0, 0}, External, Internal);
    ASSERT_EQ(log.rows.size(), EventLogMaxRows);
    EXPECT_EQ(log.rows.first().record, records[0x20]);
    EXPECT_EQ(log.rows.first().number, 127);
    // The oldest shown is two slots after the current one; the slot just after it is left out.
    EXPECT_EQ(log.rows.last().record, records[0x24]);
    EXPECT_EQ(log.rows.last().number, 1);
    for (const EventLogRow &row : log.rows)
        EXPECT_NE(row.record, records[0x22]);
}

TEST(EventLogDecoding, AnInternalEventWithoutANameEndsTheReadingUnnumbered)
{
    // Internal index 0x80 - 0x70 = 16 has no name among the sixteen.
    const DecodedEventLog log =
        DecodeEventLog(logText(0, {{0, "0101"}, {2, "0580"}, {4, "0202"}, {6, "0303"}}), 0,
                       {0x0006, 0, 0}, External, Internal);
    EXPECT_FALSE(log.complete);
    expectRows(log, {{"E3", "3", true, true, 0}, {"E2", "2", true, true, 0}}, "unnamed internal");
}

TEST(EventLogDecoding, TellsWhereAndWhyTheWalkEnded)
{
    // The newest record at 0004 each time; the record before it decides.
    using End = DecodedEventLog::End;
    const struct {
        const char *what;
        const char *older;
        End end;
        const char *endRecord;
        int newestNumber;
    } cases[] = {
        {"an empty slot", "FFFF", End::Empty, "", 1},
        // "9A" is no decimal zone: the record cannot be read, the rows shown are numbered.
        {"a zone that is not decimal", "059A", End::Unreadable, "059A", 1},
        {"an event that is not hexadecimal", "G105", End::Unreadable, "G105", 1},
        // Zone 99: internal index 0x29, beyond the sixteen names.
        {"an internal event without a name", "0599", End::Unnamed, "0599", 0},
    };
    for (const auto &c : cases) {
        const DecodedEventLog log = DecodeEventLog(
            logText(0, {{0, "0305"}, {2, QString::fromLatin1(c.older)}, {4, "0A12"}}), 0,
            {0x0004, 0, 0}, External, Internal);
        EXPECT_EQ(log.end, c.end) << c.what;
        EXPECT_EQ(log.endRecord, QString::fromLatin1(c.endRecord)) << c.what;
        EXPECT_EQ(log.complete, c.end != End::Unnamed) << c.what;
        ASSERT_EQ(log.rows.size(), 1) << c.what;
        EXPECT_EQ(log.rows.at(0).record, QStringLiteral("0A12")) << c.what;
        EXPECT_EQ(log.rows.at(0).number, c.newestNumber) << c.what;
    }
    QString full;
    for (int slot = 0; slot < 128; ++slot)
        full += QStringLiteral("0101");
    EXPECT_EQ(DecodeEventLog(full, 0, {0x0004, 0, 0}, External, Internal).end, End::AllVisited);
}

TEST(EventLogDecoding, AShortLogDecodesWhatWasRead)
{
    // Two pieces of 60 bytes: addresses 0-119.
    const QString twoPieces = logText(0, {{0, "0101"}, {2, "0202"}, {118, "0303"}}).left(240);
    const struct {
        const char *what;
        EventLogStatus status;
        QList<Row> rows;
    } cases[] = {
        {"current address inside",
         {0x0002, 0, 0},
         {{"E2", "2", true, true, 3}, {"E1", "1", true, true, 2}, {"E3", "3", true, true, 1}}},
        {"current address beyond what was read", {0x0080, 0, 0}, {}},
        {"wrap to the last slot read",
         {0x0000, 0, 0},
         {{"E1", "1", true, true, 2}, {"E3", "3", true, true, 1}}},
    };
    for (const auto &c : cases)
        expectRows(DecodeEventLog(twoPieces, 0, c.status, External, Internal), c.rows, c.what);
    EXPECT_TRUE(DecodeEventLog(QString(), 0, {0x0004, 0, 0}, External, Internal).rows.isEmpty());
}

TEST(EventLogDecoding, AnOddCurrentAddressStillEnds)
{
    // Misaligned, the walk never comes back to where it started.
    const QString full = logText(0, {}, u'1');
    const DecodedEventLog log = DecodeEventLog(full, 0, {0x0011, 0, 0}, External, Internal);
    EXPECT_EQ(log.rows.size(), EventLogMaxRows);
    EXPECT_EQ(log.rows.first().number, 127);
}
