// Comparing two configurations and taking values from the other side.
#include "config/BlockFixture.h"
#include "config/ConfigComparison.h"
#include "config/ConfigurationCopy.h"
#include "config/RandomConfiguration.h"
#include "config/RequestLists.h"
#include "config/ValueTexts.h"

#include <gtest/gtest.h>

#include <functional>

using namespace sr5n;
using namespace sr5n::test;
using Mark = EventCodeTables::Mark;
using Table = EventCodeTables::Table;

namespace {

// A configuration with named event rows, as the window holds it after start-up.
struct Side : BlockFixture {
    Side()
    {
        for (int r = 1; r <= tables.rowCount(Table::Separate); ++r)
            tables.setRow(Table::Separate, r,
                          {QString::number(r), QStringLiteral("Событие %1").arg(r),
                           EventCodeTables::separateEventNumber(r)});
        tables.setRow(Table::Common, 1,
                      {QStringLiteral("9"), QStringLiteral("Неисправность памяти"), -1});
        for (int r = 1; r <= EventCodeTables::ExternalEventCount; ++r)
            tables.setRow(Table::External, r,
                          {QString::number(r), QStringLiteral("Вход %1").arg(r), r});
        tables.setCommonCode(1, QStringLiteral("1304"));
    }

    ConfigSide side() const { return ConfigSide{model, tables}; }
};

// The C locale: its long time format is HH:mm:ss on every machine.
const QLocale kLocale = QLocale::c();

QList<ConfigDifference> compare(const Side &mine, const Side &other)
{
    return CompareConfigurations(mine.side(), other.side(), kLocale);
}

struct Case {
    const char *what;
    std::function<void(Side &)> edit; // applied to the other side
    ConfigPage page;
    QString caption;
    QString thisText;
    QString otherText;
};

const QList<Case> &cases()
{
    static const QList<Case> list = {
        {"object code of number 1, pair 1",
         [](Side &s) {
             s.model.setText(QStringLiteral("edt1P1NObjectCode"), QStringLiteral("0345"));
         },
         ConfigPage::FirstPair, QStringLiteral("Первый номер телефона — Номер объекта"),
         QStringLiteral("0000"), QStringLiteral("0345")},
        {"phone of number 2, pair 1",
         [](Side &s) { s.model.setText(QStringLiteral("edt1P2N"), QStringLiteral("8123A")); },
         ConfigPage::FirstPair, QStringLiteral("Второй номер телефона — Номер телефона"), QString(),
         QStringLiteral("8123A")},
        {"protocol of pair 1, by name",
         [](Side &s) { s.model.setChoice(QStringLiteral("cbx1PProtocol"), 1); },
         ConfigPage::FirstPair, QStringLiteral("Протокол передачи данных"),
         QStringLiteral("Contact ID"), QStringLiteral("Ademco 4+2")},
        {"call attempts of pair 2",
         [](Side &s) { s.model.setSlider(QStringLiteral("trb2PCallsTrialCount"), 7); },
         ConfigPage::SecondPair, QStringLiteral("Количество попыток дозвона"),
         QStringLiteral("20"), QStringLiteral("7")},
        {"test start of pair 2",
         [](Side &s) { s.model.setTime(QStringLiteral("dtp2PTestStart"), QTime(7, 45)); },
         ConfigPage::SecondPair, QStringLiteral("Тестовое сообщение — Время начала первого теста"),
         QStringLiteral("00:00:00"), QStringLiteral("07:45:00")},
        {"busy check of the voice number",
         [](Side &s) { s.model.setFlag(QStringLiteral("chbVoiceCheckBusy"), true); },
         ConfigPage::VoiceCallsPanel,
         QStringLiteral("Голосовые сообщения — Проверка сигнала \"занято\" после окончания набора"),
         QStringLiteral("не используется"), QStringLiteral("используется")},
        {"passivity days", [](Side &s) { s.model.setSlider(QStringLiteral("trbPassiveDays"), 12); },
         ConfigPage::VoiceCallsPanel,
         QStringLiteral("Дни простоя перед передачей сообщения \"Пассивность\""),
         QStringLiteral("30 д"), QStringLiteral("12 д")},
        {"silence level",
         [](Side &s) { s.model.setSlider(QStringLiteral("trbSilenceLevel"), -40); },
         ConfigPage::Parameters,
         QStringLiteral("Уровень фона в линии, воспринимаемый как \"тишина\""),
         QStringLiteral("-35 дБм"), QStringLiteral("-40 дБм")},
        {"dial-tone frequency",
         [](Side &s) { s.model.setChoice(QStringLiteral("rgpLineFreq"), 2); },
         ConfigPage::Parameters, QStringLiteral("Частота сигнала \"свободно\" в линии"),
         QStringLiteral("425 Гц"), QStringLiteral("480 Гц")},
        {"separate internal code",
         [](Side &s) { s.tables.setSeparateCode(3, 2, QStringLiteral("ABCD")); },
         ConfigPage::InternalCodes, QStringLiteral("3. Событие 3 — Код для пары №2"),
         QStringLiteral("0000"), QStringLiteral("ABCD")},
        {"memory-fault code", [](Side &s) { s.tables.setCommonCode(1, QStringLiteral("1305")); },
         ConfigPage::InternalCodes, QStringLiteral("9. Неисправность памяти — Общий код"),
         QStringLiteral("1304"), QStringLiteral("1305")},
        {"zone code", [](Side &s) { s.tables.setZoneCode(5, 1, 17, QStringLiteral("0F17")); },
         ConfigPage::ExternalCodes, QStringLiteral("5. Вход 5 — Код для пары №1, зона 17"),
         QStringLiteral("0000"), QStringLiteral("0F17")},
        {"mandatory mark", [](Side &s) { s.tables.setMark(60, Mark::Mandatory, true); },
         ConfigPage::ExternalCodes, QStringLiteral("60. Вход 60 — О/С"),
         QStringLiteral("не отмечено"), QStringLiteral("отмечено")},
    };
    return list;
}

} // namespace

TEST(ConfigComparison, EqualConfigurationsHaveNoDifferences)
{
    Side mine, other;
    EXPECT_TRUE(compare(mine, other).isEmpty());
    EXPECT_EQ(DifferencesText(compare(mine, other)), QStringLiteral("Различий нет\n"));
}

TEST(ConfigComparison, EachChangeIsListedOnceWithItsPageCaptionAndTexts)
{
    for (const Case &c : cases()) {
        SCOPED_TRACE(c.what);
        Side mine, other;
        c.edit(other);
        const QList<ConfigDifference> differences = compare(mine, other);
        ASSERT_EQ(differences.size(), 1) << qPrintable(DifferencesText(differences));
        const ConfigDifference &d = differences.first();
        EXPECT_EQ(d.page, c.page);
        EXPECT_EQ(d.caption, c.caption);
        EXPECT_EQ(d.thisText, c.thisText);
        EXPECT_EQ(d.otherText, c.otherText);

        // Taking it brings this side to the other's.
        EXPECT_TRUE(TakeDifferences(differences, mine.model, mine.tables, other.side()).isEmpty());
        EXPECT_TRUE(compare(mine, other).isEmpty());
    }
}

TEST(ConfigComparison, DifferencesComeInTabOrderAndTakingOneChangesOnlyIt)
{
    Side mine, other;
    for (const Case &c : cases())
        c.edit(other);
    const QList<ConfigDifference> all = compare(mine, other);
    ASSERT_EQ(all.size(), cases().size());
    for (qsizetype i = 0; i < all.size(); ++i) {
        EXPECT_EQ(all[i].caption, cases()[i].caption) << i;
        if (i > 0) {
            EXPECT_LE(int(all[i - 1].page), int(all[i].page)) << i;
        }
    }

    // Take every other one; the rest stay exactly as they were listed.
    QList<ConfigDifference> taken, left;
    for (qsizetype i = 0; i < all.size(); ++i)
        (i % 2 ? taken : left).append(all[i]);
    EXPECT_TRUE(TakeDifferences(taken, mine.model, mine.tables, other.side()).isEmpty());
    const QList<ConfigDifference> after = compare(mine, other);
    ASSERT_EQ(after.size(), left.size());
    for (qsizetype i = 0; i < after.size(); ++i) {
        EXPECT_EQ(after[i].caption, left[i].caption);
        EXPECT_EQ(after[i].thisText, left[i].thisText);
    }
}

TEST(ConfigComparison, TextListsEachDifferenceUnderItsPage)
{
    Side mine, other;
    other.model.setText(QStringLiteral("edt1P1NObjectCode"), QStringLiteral("0345"));
    other.model.setFlag(QStringLiteral("chb1P1NCheckBusy"), true);
    other.tables.setZoneCode(2, 2, 0, QStringLiteral("1111"));
    EXPECT_EQ(DifferencesText(compare(mine, other)),
              QStringLiteral("Первая пара номеров\n"
                             "  Первый номер телефона — Номер объекта: 0000 → 0345\n"
                             "  Первый номер телефона — Проверка сигнала \"занято\" после "
                             "окончания набора: не используется → используется\n"
                             "Внешние коды\n"
                             "  2. Вход 2 — Код для пары №2, зона 0: 0000 → 1111\n"));
}

// Values show as the pages show them, without the padding of their labels:
// "79 → 143", never "79  → 143 ".
TEST(ConfigComparison, ValuesCarryNoPadding)
{
    Side mine, other;
    for (const char *name : {"trb1PCallsTrialCount", "trb1P1NWaitPCNReady", "trbSilenceLevel"})
        other.model.setSlider(QString::fromLatin1(name),
                              other.model.maximum(QString::fromLatin1(name)));
    const QList<ConfigDifference> differences = compare(mine, other);
    ASSERT_FALSE(differences.isEmpty());
    for (const ConfigDifference &d : differences) {
        EXPECT_EQ(d.thisText, d.thisText.trimmed()) << qPrintable(d.caption);
        EXPECT_EQ(d.otherText, d.otherText.trimmed()) << qPrintable(d.caption);
    }
    EXPECT_FALSE(DifferencesText(differences).contains(QStringLiteral("  →")));
}

// Four marks on each side, one row apart: taking both differences fits the
// limit of four because the mark is cleared first; taking only the new one
// is refused and changes nothing.
TEST(ConfigComparison, MarksAreClearedBeforeOthersAreSet)
{
    Side mine, other;
    for (int r : {1, 2, 3, 4})
        mine.tables.setMark(r, Mark::HighPriority, true);
    for (int r : {2, 3, 4, 5})
        other.tables.setMark(r, Mark::HighPriority, true);
    const QList<ConfigDifference> differences = compare(mine, other);
    ASSERT_EQ(differences.size(), 2);
    EXPECT_EQ(differences[0].row, 1);
    EXPECT_EQ(differences[1].row, 5);

    const QList<ConfigDifference> refused =
        TakeDifferences({differences[1]}, mine.model, mine.tables, other.side());
    ASSERT_EQ(refused.size(), 1);
    EXPECT_EQ(refused[0].row, 5);
    EXPECT_EQ(mine.tables.markedRows(Mark::HighPriority), QList<int>({1, 2, 3, 4}));

    EXPECT_TRUE(
        TakeDifferences({differences[1], differences[0]}, mine.model, mine.tables, other.side())
            .isEmpty());
    EXPECT_EQ(mine.tables.markedRows(Mark::HighPriority), QList<int>({2, 3, 4, 5}));
}

// The device keeps the passivity as one period: the same period in other
// days and hours is no difference, another period is.
TEST(ConfigComparison, PassivityIsComparedAsOnePeriod)
{
    const struct {
        int days, hours, otherDays, otherHours;
        qsizetype differences;
    } cases[] = {{3, 24, 4, 0, 0}, {0, 24, 1, 1, 2}, {3, 5, 3, 6, 1}, {2, 24, 4, 0, 2}};
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.days << "d" << c.hours << "h");
        Side mine, other;
        mine.model.setSlider(QStringLiteral("trbPassiveDays"), c.days);
        mine.model.setSlider(QStringLiteral("trbPassiveHours"), c.hours);
        other.model.setSlider(QStringLiteral("trbPassiveDays"), c.otherDays);
        other.model.setSlider(QStringLiteral("trbPassiveHours"), c.otherHours);
        const QList<ConfigDifference> differences = compare(mine, other);
        EXPECT_EQ(differences.size(), c.differences) << qPrintable(DifferencesText(differences));
        TakeDifferences(differences, mine.model, mine.tables, other.side());
        EXPECT_TRUE(compare(mine, other).isEmpty());
    }
}

// The value texts are those of the report: a flag's state word, a slider's
// value text with its unit, a time in the long format.
TEST(ConfigComparison, ValueTextsAreTheReportsTexts)
{
    Side s;
    s.model.setSlider(QStringLiteral("trbKissoff"), 250);
    EXPECT_EQ(ValueDisplayText(s.model, QStringLiteral("trbKissoff"), kLocale),
              QStringLiteral("5000 мс"));
    EXPECT_EQ(ValueDisplayText(s.model, QStringLiteral("chbLineTestCheckNoise"), kLocale),
              QStringLiteral("используется"));
    s.model.setTime(QStringLiteral("dtpLineTestStart"), QTime(9, 30));
    EXPECT_EQ(ValueDisplayText(s.model, QStringLiteral("dtpLineTestStart"), kLocale),
              QStringLiteral("09:30:00"));
    EXPECT_EQ(ValueDisplayText(s.model, QStringLiteral("noSuchValue"), kLocale), QString());
    EXPECT_EQ(CaptionText(QStringLiteral("  Контроль линии \t")), QStringLiteral("Контроль линии"));
}

// What a write sends, decoded back into a copy of the configuration, compares
// equal for any configuration: a verification never fails on a healthy
// device. Numbers and groups are switched on and off at random, so that
// values of switched-off parts travel too.
TEST(ConfigComparison, WhatIsWrittenAndDecodedBackComparesEqual)
{
    QRandomGenerator random(2305);
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE(round);
        Side written;
        randomize(written, random);
        // Whole days in hours travel as days: 3 days 24 hours come back as 4 days.
        ConfigModel &model = written.model;
        if (round % 4 == 0 && model.slider(QStringLiteral("trbPassiveDays")) < 44)
            model.setSlider(QStringLiteral("trbPassiveHours"), 24);

        QStringList data, commands;
        ASSERT_TRUE(BuildWriteRequests(written.context, data, commands));
        ConfigurationCopy readBack(written.context);
        ASSERT_TRUE(DecodeAnswers(readBack.context(), data, commands));
        const QList<ConfigDifference> differences = CompareConfigurations(
            written.side(), ConfigSide{readBack.model(), readBack.tables()}, kLocale);
        EXPECT_TRUE(differences.isEmpty()) << qPrintable(DifferencesText(differences));
    }
}
