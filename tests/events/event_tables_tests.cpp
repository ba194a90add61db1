#include "events/CodeRules.h"
#include "events/EventCodeTables.h"
#include "events/ZoneFill.h"

#include <gtest/gtest.h>

using namespace sr5n;
using Mark = EventCodeTables::Mark;

TEST(ZoneSummary, CountsZonesOneToSixtyNineWithRussianEndings)
{
    const struct {
        QList<int> zones; // zones given a code other than 0000
        const char *text;
        int tag;
    } cases[] = {
        {{}, "1234", 0},    {{3, 7}, "2 зоны", 2},         {{0, 3, 7}, "2 зоны", 2},
        {{1}, "1 зона", 1}, {{1, 2, 3, 4, 5}, "5 зон", 5},
    };
    for (const auto &c : cases) {
        QStringList codes(EventCodeTables::ZoneCount, QStringLiteral("0000"));
        codes[0] = QStringLiteral("1234");
        for (int zone : c.zones)
            codes[zone] = QStringLiteral("00A1");
        const ZoneSummary summary = EventCodeTables::summarize(codes);
        EXPECT_EQ(summary.text, QString::fromUtf8(c.text));
        EXPECT_EQ(summary.tag, c.tag);
    }
    const struct {
        int count;
        const char *text;
    } counts[] = {{10, "10 зоны"}, {11, "11 зона"}, {12, "12 зоны"},
                  {15, "15 зон"},  {21, "21 зона"}, {69, "69 зон"}};
    for (const auto &c : counts) {
        QStringList codes(EventCodeTables::ZoneCount, QStringLiteral("0000"));
        for (int zone = 1; zone <= c.count; ++zone)
            codes[zone] = QStringLiteral("0001");
        EXPECT_EQ(EventCodeTables::summarize(codes).text, QString::fromUtf8(c.text)) << c.count;
    }
}

TEST(EventCodeTables, StartsWithDesignSizeAndEmptyCodes)
{
    EventCodeTables tables;
    EXPECT_EQ(tables.rowCount(EventCodeTables::Table::Separate), 8);
    EXPECT_EQ(tables.rowCount(EventCodeTables::Table::Common), 1);
    EXPECT_EQ(tables.rowCount(EventCodeTables::Table::External), 60);
    EXPECT_EQ(tables.separateCode(8, 2), QStringLiteral("0000"));
    EXPECT_EQ(tables.zoneCodes(60, 2), QStringList(70, QStringLiteral("0000")));
    EXPECT_EQ(tables.zoneSummary(1, 1).text, QStringLiteral("0000"));
    tables.applyFixedEventNumbers();
    EXPECT_EQ(tables.commonCode(1), QStringLiteral("1304"));
    EXPECT_EQ(tables.row(EventCodeTables::Table::Common, 1).number, -1);
    const int numbers[] = {112, 115, 116, 117, 120, 121, 113, 114};
    for (int r = 1; r <= 8; ++r)
        EXPECT_EQ(tables.row(EventCodeTables::Table::Separate, r).number, numbers[r - 1]);
}

TEST(EventCodeTables, AtMostFourMarksOfEachKind)
{
    EventCodeTables tables;
    for (int row : {2, 5, 9, 40})
        EXPECT_TRUE(tables.setMark(row, Mark::HighPriority, true));
    EXPECT_FALSE(tables.setMark(41, Mark::HighPriority, true));
    EXPECT_FALSE(tables.mark(41, Mark::HighPriority));
    EXPECT_FALSE(tables.markEnabled(41, Mark::HighPriority));
    EXPECT_TRUE(tables.markEnabled(9, Mark::HighPriority));
    EXPECT_TRUE(tables.markEnabled(41, Mark::Mandatory)); // the other column is unaffected
    EXPECT_EQ(tables.markedRows(Mark::HighPriority), QList<int>({2, 5, 9, 40}));

    EXPECT_TRUE(tables.setMark(5, Mark::HighPriority, false));
    EXPECT_TRUE(tables.markEnabled(41, Mark::HighPriority));
    tables.clearMarks(Mark::HighPriority);
    EXPECT_EQ(tables.markCount(Mark::HighPriority), 0);
}

TEST(EventCodeTables, OutOfRangeAddressesAreIgnored)
{
    EventCodeTables tables;
    tables.setSeparateCode(9, 1, QStringLiteral("1111"));
    tables.setZoneCode(61, 1, 0, QStringLiteral("1111"));
    tables.setZoneCode(1, 3, 0, QStringLiteral("1111"));
    tables.setZoneCode(1, 1, 70, QStringLiteral("1111"));
    EXPECT_TRUE(tables.separateCode(9, 1).isEmpty());
    EXPECT_EQ(tables.zoneCodes(1, 1), QStringList(70, QStringLiteral("0000")));
}

TEST(ZoneFill, SkipsDigitAAndStopsAtFFFF)
{
    const struct {
        const char *start, *step;
        int rows;
        QStringList codes;
    } cases[] = {
        {"0009", "1", 5, {"0009", "000B", "000C", "000D", "000E"}},
        {"FFF0", "10", 3, {"FFF0", "FFFF", "FFFF"}},
        {"A9A9", "0", 2, {"B9B9", "B9B9"}},
        {"0000", "A", 3, {"0000", "000B", "0015"}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FillZoneCodes(QString::fromLatin1(c.start), QString::fromLatin1(c.step), c.rows),
                  c.codes)
            << c.start << " + " << c.step;
    EXPECT_FALSE(FillZoneCodes(QString(), QStringLiteral("1"), 3).has_value());
    EXPECT_FALSE(FillZoneCodes(QStringLiteral("0000"), QStringLiteral("G"), 3).has_value());
}

TEST(CodeRules, KeyFilterLetsHexDigitsAndControlKeysThrough)
{
    const struct {
        char16_t key;
        bool passes;
    } cases[] = {{u'0', true},  {u'9', true},  {u'a', true},  {u'F', true},
                 {u'g', false}, {u'G', false}, {u' ', false}, {u'-', false},
                 {8, true},     {3, true},     {22, true},    {24, true},
                 {13, true},    {27, false},   {1, true},     {26, false}};
    for (const auto &c : cases) {
        QChar key(c.key);
        FilterCodeKey(key);
        EXPECT_EQ(!key.isNull(), c.passes) << int(c.key);
        if (c.passes) {
            EXPECT_EQ(key, QChar(c.key));
        }
    }
}

TEST(CodeRules, AppliedCodeIsPaddedOrRefused)
{
    const struct {
        const char *text;
        const char *previous;
        const char *result;
        bool refused;
    } cases[] = {
        {"1A", "0000", "001A", false}, {"", "1234", "0000", false},
        {"7", "1234", "0007", false},  {"12G4", "00B1", "00B1", true},
        {"1 2", "0001", "0001", true}, {"ABCD", "0000", "ABCD", false},
    };
    for (const auto &c : cases) {
        const CheckedCode checked = CheckCodeText(QString::fromLatin1(c.text), CodeCellCharacters(),
                                                  QString::fromLatin1(c.previous));
        EXPECT_EQ(checked.text, QString::fromLatin1(c.result)) << c.text;
        EXPECT_EQ(checked.refused, c.refused) << c.text;
    }
}
