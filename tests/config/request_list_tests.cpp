#include "config/BlockFixture.h"
#include "config/EventCodeBlocks.h"
#include "config/HeldValue.h"
#include "config/RandomConfiguration.h"
#include "config/RequestLists.h"

#include <QRandomGenerator>

#include <functional>

#include <gtest/gtest.h>

using namespace sr5n;
using namespace sr5n::test;
using Mark = EventCodeTables::Mark;
using Table = EventCodeTables::Table;

namespace {

const QString Abort = QStringLiteral(". Операция будет прервана");

// Ten codes from `first` on, counting up in decimal: "0001", "0002", ...
QString countingCodes(int first)
{
    QString text;
    for (int i = 0; i < 10; ++i)
        text += QStringLiteral("%1").arg(first + i, 4, 10, QLatin1Char('0'));
    return text;
}

} // namespace

TEST(RequestLists, ReadListHasTheBlocksThenTheEventCodeChunksOfBothPairs)
{
    QStringList data{QStringLiteral("stale")}, commands;
    BuildReadRequests(data, commands);
    ASSERT_EQ(data.size(), 858);
    ASSERT_EQ(commands.size(), 858);
    const QStringList first = {"1F", "21", "09", "2A", "03", "19", "05", "1B", "1D", "0B",
                               "2C", "07", "23", "27", "15", "0E", "01", "01", "01"};
    EXPECT_EQ(commands.mid(0, 19), first);
    EXPECT_EQ(data.mid(0, 16), QStringList(16, QString()));
    EXPECT_EQ(data.mid(16, 11),
              (QStringList{"05E014", "050014", "052014", "054014", "056014", "058014", "05A014",
                           "05C014", "060014", "062014", "064014"}));
    EXPECT_EQ(data.at(16 + 421), QStringLiteral("41E014"));
    EXPECT_EQ(data.at(16 + 422), QStringLiteral("410014"));
    EXPECT_EQ(data.last(), QStringLiteral("7CC014"));
    EXPECT_EQ(commands.mid(16), QStringList(842, QStringLiteral("01")));
}

TEST(RequestLists, WriteListCarriesTheEncodedBlocksAndEveryCode)
{
    BlockFixture f;
    f.model.setText(QStringLiteral("edt1PTestCode"), QStringLiteral("1118"));
    f.model.setText(QStringLiteral("edt2PTestCode"), QStringLiteral("2119"));
    for (int row = 1; row <= 8; ++row) {
        f.tables.setSeparateCode(row, 1, QStringLiteral("A00%1").arg(row));
        f.tables.setSeparateCode(row, 2, QStringLiteral("B00%1").arg(row));
    }
    QStringList zones;
    for (int zone = 0; zone < 70; ++zone)
        zones << QStringLiteral("%1").arg(zone, 4, 10, QLatin1Char('0'));
    f.tables.setZoneCodes(60, 2, zones);
    f.tables.setZoneCode(1, 1, 9, QStringLiteral("ABCD"));

    const Requests r = WriteList(f);
    ASSERT_EQ(r.data.size(), 858);
    ASSERT_EQ(r.commands.size(), 858);
    EXPECT_EQ(r.commands.mid(0, 16), (QStringList{"1E", "20", "08", "29", "02", "18", "04", "1A",
                                                  "1C", "0A", "2B", "06", "22", "26", "14", "0D"}));
    EXPECT_EQ(r.commands.mid(16), QStringList(842, QStringLiteral("00")));
    EXPECT_EQ(r.data.at(0), BlockFixture::Record1);
    EXPECT_EQ(r.data.at(1), BlockFixture::Record2);

    // Internal code records: events 112 ... 121, each pair only its own test code.
    EXPECT_EQ(r.data.at(16), QStringLiteral("05E0") + Hex("A001 A007 A008 A002 A003 A004 1118 "
                                                          "0000 A005 A006"));
    EXPECT_EQ(r.data.at(16 + 421), QStringLiteral("41E0") + Hex("B001 B007 B008 B002 B003 B004 "
                                                                "0000 2119 B005 B006"));
    EXPECT_EQ(r.data.at(17),
              QStringLiteral("0500") + QString(36, QLatin1Char('0')) + QStringLiteral("ABCD"));
    EXPECT_EQ(r.data.last(), QStringLiteral("7CC0") + countingCodes(60));
    EXPECT_EQ(r.data.at(857 - 6), QStringLiteral("7C00") + countingCodes(0));
}

TEST(RequestLists, EmptyProtocolLibraryRefusesToBuildTheWriteList)
{
    ConfigModel model;
    EventCodeTables tables;
    FakeProtocolCatalog catalog(model);
    FakeNotifier notifier;
    const BlockContext context{model, tables, catalog, notifier};
    model.setFlag(QStringLiteral("chb1P1N"), true); // empty number, still on

    QStringList data{QStringLiteral("old")}, commands{QStringLiteral("02")};
    EXPECT_FALSE(BuildWriteRequests(context, data, commands));
    EXPECT_TRUE(data.isEmpty());
    EXPECT_TRUE(commands.isEmpty());
    EXPECT_EQ(notifier.errors, QStringList{QStringLiteral("Не выбран протокол передачи данных")});
    EXPECT_EQ(notifier.flashes, 1);
    // Refused before any number was encoded: nothing was switched off.
    EXPECT_TRUE(model.flag(QStringLiteral("chb1P1N")));
}

TEST(RequestLists, EventPagesStaySixtyWhateverTheExternalTableHolds)
{
    // A shorter event name list: the missing events are written without codes,
    // and their codes from the device have nowhere to go.
    BlockFixture f;
    f.tables.setZoneCode(59, 2, 60, QStringLiteral("1234"));
    f.tables.setRowCount(Table::External, 59);
    const Requests r = WriteList(f);
    ASSERT_EQ(r.data.size(), 858);
    EXPECT_EQ(r.data.last(), QStringLiteral("7CC0") + QString(40, QLatin1Char('0')));
    EXPECT_EQ(r.data.at(857 - 7),
              QStringLiteral("7BC0") + QStringLiteral("1234") + QString(36, QLatin1Char('0')));

    const QStringList data = {QStringLiteral("0600") + countingCodes(1),
                              QStringLiteral("7CC0") + countingCodes(1)};
    ASSERT_TRUE(DecodeAnswers(f.context, data, {"01", "01"}));
    EXPECT_EQ(f.tables.zoneCode(2, 1, 0), QStringLiteral("0001"));
    EXPECT_EQ(f.tables.rowCount(Table::External), 59);
}

TEST(DecodeAnswers, RoutesEventCodeAnswersByAddressToTheirCells)
{
    BlockFixture f;
    const QStringList data = {
        QStringLiteral("0600") + countingCodes(1),
        QStringLiteral("41E0") + Hex("B001 B007 B008 B002 B003 B004 7777 2119 B005 B006"),
        QStringLiteral("7CC0") + countingCodes(61),
        // Offset 2A: 15 by the digit rule, so zones 15 ... 24 of event 1.
        QStringLiteral("052A") + countingCodes(100),
    };
    const QStringList commands = {"01", "01", "01", "00"};
    ASSERT_TRUE(DecodeAnswers(f.context, data, commands));
    EXPECT_TRUE(f.notifier.errors.isEmpty());

    EXPECT_EQ(f.tables.zoneCodes(2, 1).mid(0, 11),
              (QStringList{"0001", "0002", "0003", "0004", "0005", "0006", "0007", "0008", "0009",
                           "0010", "0000"}));
    EXPECT_EQ(f.tables.zoneSummary(2, 1).text, QStringLiteral("9 зон"));
    EXPECT_EQ(f.tables.zoneSummary(2, 1).tag, 9);
    EXPECT_EQ(f.tables.zoneCodes(2, 2), QStringList(70, QStringLiteral("0000")));
    EXPECT_EQ(f.tables.zoneCode(60, 2, 60), QStringLiteral("0061"));
    EXPECT_EQ(f.tables.zoneCode(60, 2, 69), QStringLiteral("0070"));
    EXPECT_EQ(f.tables.zoneCode(1, 1, 14), QStringLiteral("0000"));
    EXPECT_EQ(f.tables.zoneCode(1, 1, 15), QStringLiteral("0100"));
    EXPECT_EQ(f.tables.zoneCode(1, 1, 24), QStringLiteral("0109"));

    // Pair 2's internal record: rows in event order, only its own test code.
    const char *expected[] = {"B001", "B002", "B003", "B004", "B005", "B006", "B007", "B008"};
    for (int row = 1; row <= 8; ++row) {
        EXPECT_EQ(f.tables.separateCode(row, 2), QString::fromLatin1(expected[row - 1]));
        EXPECT_EQ(f.tables.separateCode(row, 1), QStringLiteral("0000"));
    }
    EXPECT_EQ(f.model.text(QStringLiteral("edt2PTestCode")), QStringLiteral("2119"));
    EXPECT_EQ(f.model.text(QStringLiteral("edt1PTestCode")), QStringLiteral("0000"));
}

TEST(DecodeAnswers, EventCodesOfOnlyOnePairOrNoneAreLeftAlone)
{
    for (const QStringList &codes :
         {QStringList{}, QStringList{QStringLiteral("0600") + countingCodes(1)},
          QStringList{QStringLiteral("4100") + countingCodes(1)}}) {
        BlockFixture f;
        QStringList data = {Hex("01 2C 00 00"), Hex("A0 21")};
        QStringList commands = {"29", "23"};
        for (const QString &code : codes) {
            data << code;
            commands << QStringLiteral("01");
        }
        ASSERT_TRUE(DecodeAnswers(f.context, data, commands));
        EXPECT_FALSE(f.model.flag(QStringLiteral("chb2PAutoReset")));
        EXPECT_EQ(f.model.text(QStringLiteral("edt1PGroupCode")), QStringLiteral("0A"));
        for (int row = 1; row <= 60; ++row)
            for (int pair = 1; pair <= 2; ++pair)
                ASSERT_EQ(f.tables.zoneCodes(row, pair), QStringList(70, QStringLiteral("0000")));
    }
}

TEST(DecodeAnswers, SkipsCommandsThatCarryNoConfiguration)
{
    BlockFixture f;
    const QStringList data = {QStringLiteral("garbage"), QStringLiteral("zz"), QString(),
                              QStringLiteral("??"), Hex("00 01")};
    const QStringList commands = {"0C", "0F", "2D", "FF", "0B"}; // "0B": read incoming calls
    ASSERT_TRUE(DecodeAnswers(f.context, data, commands));
    EXPECT_EQ(f.model.choice(QStringLiteral("rgpLineFreq")), 1);
    EXPECT_TRUE(f.notifier.errors.isEmpty());
    EXPECT_EQ(f.notifier.flashes, 0);
}

TEST(DecodeAnswers, FailureIsReportedOnceWithTheBlocksMessageAndChangesNothing)
{
    // Every case starts with an automatic reset block that switches both pairs
    // off; the group codes 0A and 12 follow the failing entry, or come before
    // the event codes, which are decoded last. Neither reaches the configuration.
    const QString reset = Hex("00 3B 00 3B");
    const QString groups = Hex("A0 21");
    const QString zone = QStringLiteral("0600") + countingCodes(1);
    const QString pair2 = QStringLiteral("4100") + countingCodes(1);
    const QString events = QStringLiteral("Ошибка декодирования кодов событий");
    const struct {
        const char *what;
        QStringList data;
        QStringList commands;
        QString message;
    } cases[] = {
        {"number block",
         {reset, QStringLiteral("12AB0"), groups},
         {"2A", "19", "23"},
         QStringLiteral(
             "Ошибка декодирования параметров второго телефоного номера для первой пары")},
        {"busy block",
         {reset, QStringLiteral("X"), groups},
         {"29", "2B", "22"},
         QStringLiteral("Ошибка декодирования параметров проверки сигналов \"занято\" и наличия "
                        "\"шума\" в линии")},
        {"event-code address", {reset, QStringLiteral("06Z0"), groups}, {"2A", "01", "23"}, events},
        {"command not hexadecimal",
         {reset, QString(), groups},
         {"2A", "G1", "23"},
         QStringLiteral("Ошибка декодирования данных")},
        {"lists of different length",
         {reset},
         {"2A", "23"},
         QStringLiteral("Ошибка декодирования данных")},
        {"zone code not hexadecimal",
         {reset, groups, QStringLiteral("0600000G"), pair2},
         {"2A", "23", "01", "01"},
         events},
        {"offset outside the digit rule",
         {reset, groups, QStringLiteral("0514") + countingCodes(1), pair2},
         {"2A", "23", "01", "01"},
         events},
        {"codes beyond zone 69",
         {reset, groups, QStringLiteral("05C4") + countingCodes(1), pair2},
         {"2A", "23", "01", "01"},
         events},
        {"short internal record",
         {reset, groups, zone, QStringLiteral("41E0") + Hex("0001 0002")},
         {"2A", "23", "01", "01"},
         events},
        {"address beyond pair 2's pages",
         {reset, groups, zone, QStringLiteral("7D00") + countingCodes(1)},
         {"2A", "23", "01", "01"},
         events},
        {"address below pair 1's pages",
         {reset, groups, QStringLiteral("0400") + countingCodes(1), pair2},
         {"2A", "23", "01", "01"},
         events},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        BlockFixture f;
        const Requests before = WriteList(f);
        EXPECT_FALSE(DecodeAnswers(f.context, c.data, c.commands));
        EXPECT_EQ(f.notifier.errors, QStringList{c.message + Abort});
        EXPECT_EQ(f.notifier.flashes, 1);
        EXPECT_TRUE(f.model.flag(QStringLiteral("chb1PAutoReset")));
        EXPECT_EQ(f.model.text(QStringLiteral("edt1PGroupCode")), QStringLiteral("00"));
        EXPECT_EQ(WriteList(f).data, before.data);
    }
}

TEST(DecodeAnswers, DeclinedProtocolChangesNothing)
{
    BlockFixture source;
    source.model.setSlider(QStringLiteral("trbPassiveDays"), 3);
    const Requests r = WriteList(source);

    BlockFixture f;
    f.catalog.records[0] = QStringLiteral("FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF");
    ASSERT_FALSE(DecodeAnswers(f.context, r.data, r.commands));
    EXPECT_EQ(f.notifier.errors,
              QStringList{QStringLiteral("Невозможно добавить протокол") + Abort});
    EXPECT_EQ(f.catalog.registrations.size(), 1);
    EXPECT_EQ(f.model.choice(QStringLiteral("cbx1PProtocol")), 0);
    EXPECT_EQ(f.model.slider(QStringLiteral("trbPassiveDays")), 30);
}

// Registering pair 2's protocol may change the library under pair 1's (the
// user replaces it, another process removes another protocol): each pair
// ends holding the record it received, or the decoding fails and changes
// nothing.
TEST(DecodeAnswers, EachPairEndsWithTheRecordItReceived)
{
    const QString New1 = QStringLiteral("0102010FCF0000000000000000000000060526");
    const QString New2 = QStringLiteral("02000004FF1F00000000000000000000060528");
    const QString Other = QStringLiteral("02000004FF1F00000000000000000000070728");
    BlockFixture source;
    source.catalog.add(QStringLiteral("N1"), New1);
    source.catalog.add(QStringLiteral("N2"), New2);
    source.model.setChoice(QStringLiteral("cbx1PProtocol"), 2);
    source.model.setChoice(QStringLiteral("cbx2PProtocol"), 3);
    source.model.setSlider(QStringLiteral("trbPassiveDays"), 3);
    const Requests r = WriteList(source);

    const struct {
        const char *name;
        std::function<void(FakeProtocolCatalog &)> whileAskingForPair2;
        bool decodes;
    } cases[] = {
        {"nothing else changes", [](FakeProtocolCatalog &) {}, true},
        {"a protocol before pair 1's leaves the library",
         [](FakeProtocolCatalog &catalog) {
             catalog.names.removeAt(0);
             catalog.records.removeAt(0);
             catalog.refreshChoosers();
         },
         true},
        {"pair 1's protocol gets another record under its name",
         [&](FakeProtocolCatalog &catalog) {
             catalog.records[catalog.indexOfRecord(New1)] = Other;
         },
         false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        BlockFixture f;
        f.catalog.acceptNew = true;
        f.catalog.whileAsking = [&](int pair) {
            if (pair == 2)
                c.whileAskingForPair2(f.catalog);
        };
        EXPECT_EQ(DecodeAnswers(f.context, r.data, r.commands), c.decodes);
        ASSERT_EQ(f.catalog.registrations.size(), 2);
        // Pair 2's registration may not replace the protocol pair 1 just received.
        EXPECT_EQ(f.catalog.registrations[1].kept, QStringList{New1});
        const int pair1 = f.model.choice(QStringLiteral("cbx1PProtocol"));
        const int pair2 = f.model.choice(QStringLiteral("cbx2PProtocol"));
        if (c.decodes) {
            EXPECT_EQ(f.notifier.errors, QStringList());
            EXPECT_EQ(f.catalog.recordAt(pair1), New1);
            EXPECT_EQ(f.catalog.recordAt(pair2), New2);
            EXPECT_EQ(f.model.slider(QStringLiteral("trbPassiveDays")), 3);
        } else {
            EXPECT_EQ(f.notifier.errors,
                      QStringList{QStringLiteral("Протокол для 1ой пары номеров был заменен или "
                                                 "удален в программе") +
                                  Abort});
            EXPECT_EQ(pair1, 0);
            EXPECT_EQ(pair2, 1);
            EXPECT_EQ(f.model.slider(QStringLiteral("trbPassiveDays")), 30);
        }
    }
}

// --- round trip over generated configurations ---

namespace {

// Values the blocks do not carry while their flag is off.
bool carried(const ConfigModel &model, const QString &name)
{
    for (int pair = 1; pair <= 2; ++pair) {
        const QString p = QString::number(pair);
        if (name == QStringLiteral("trb%1PTestPeriod").arg(p))
            return model.flag(QStringLiteral("chb%1PTest").arg(p));
        if (name == QStringLiteral("trb%1PAutoResetTime").arg(p))
            return model.flag(QStringLiteral("chb%1PAutoReset").arg(p));
    }
    if (name == QStringLiteral("dtpLineTestPeriod"))
        return model.flag(QStringLiteral("chbLineCheck"));
    if (name == QStringLiteral("trbInCallsParam"))
        return model.flag(QStringLiteral("chbInCalls"));
    // Passivity travels as minutes: 3 days 24 hours comes back as 4 days.
    if (name == QStringLiteral("trbPassiveDays") || name == QStringLiteral("trbPassiveHours"))
        return false;
    return true;
}

int passivity(const ConfigModel &model)
{
    return model.slider(QStringLiteral("trbPassiveDays")) * 1440 +
           model.slider(QStringLiteral("trbPassiveHours")) * 60;
}

} // namespace

TEST(DecodeAnswers, WriteListOfAGeneratedConfigurationDecodesBackToIt)
{
    QRandomGenerator random(20261210);
    for (int round = 0; round < 60; ++round) {
        SCOPED_TRACE(round);
        BlockFixture source;
        randomize(source, random);
        const Requests r = WriteList(source); // switches empty numbers off first

        BlockFixture target;
        const bool asAnswers = round % 2 == 1;
        ASSERT_TRUE(DecodeAnswers(target.context, r.data,
                                  asAnswers ? AnswerCommands(r.commands) : r.commands));
        EXPECT_TRUE(target.notifier.errors.isEmpty());

        for (const QString &name : blockValueNames(source.model)) {
            if (carried(source.model, name)) {
                EXPECT_EQ(test::HeldText(target.model, name), test::HeldText(source.model, name))
                    << name.toStdString();
            }
        }
        EXPECT_EQ(passivity(target.model), passivity(source.model));
        for (int pair = 1; pair <= 2; ++pair) {
            for (int row = 1; row <= 8; ++row)
                EXPECT_EQ(target.tables.separateCode(row, pair),
                          source.tables.separateCode(row, pair));
            for (int row = 1; row <= 60; ++row)
                ASSERT_EQ(target.tables.zoneCodes(row, pair), source.tables.zoneCodes(row, pair));
        }
        EXPECT_EQ(target.tables.commonCode(1), source.tables.commonCode(1));
        for (Mark kind : {Mark::HighPriority, Mark::Mandatory})
            EXPECT_EQ(target.tables.markedRows(kind), source.tables.markedRows(kind));

        // What is lost is not sent either: the decoded configuration writes the same list.
        const Requests again = WriteList(target);
        EXPECT_EQ(again.commands, r.commands);
        EXPECT_EQ(again.data, r.data);
    }
}

// A decoding that fails at any entry, of a file's list or of the
// communicator's answers, leaves the whole configuration as it was: the write
// list built afterwards is the one built before. Among the failures: a bad
// high-priority block after its marks were cleared, and a bad code in the
// last entry, found only after every block had been decoded.
TEST(DecodeAnswers, FailureAtAnyEntryLeavesTheWholeWriteListUnchanged)
{
    QRandomGenerator random(18);
    BlockFixture source;
    randomize(source, random);
    const Requests r = WriteList(source);
    const QString events = QStringLiteral("Ошибка декодирования кодов событий");
    const struct {
        int entry;
        QString data;
        QString message;
    } cases[] = {
        {0, QStringLiteral("0203010FFF1F12AB21000000000008000A19 A"),
         QStringLiteral("Ошибка декодирования протокола передачи данных для первой пары")},
        {1, QString(),
         QStringLiteral("Ошибка декодирования протокола передачи данных для второй пары")},
        {4, QStringLiteral("12AB0"),
         QStringLiteral(
             "Ошибка декодирования параметров первого телефоного номера для первой пары")},
        {15, QStringLiteral("0A1"),
         QStringLiteral("Ошибка декодирования внешних событий с высоким приоритетом")},
        {16, QStringLiteral("05Z0") + countingCodes(1), events},
        {600, QStringLiteral("ZZZZ") + countingCodes(1), events},
        {857, QStringLiteral("7CC0000G") + countingCodes(1).mid(4), events},
    };
    for (const bool asAnswers : {false, true}) {
        for (const auto &c : cases) {
            SCOPED_TRACE(testing::Message()
                         << (asAnswers ? "answers" : "file") << ", entry " << c.entry);
            BlockFixture target;
            target.model.setText(QStringLiteral("edt2P1N"), QStringLiteral("8495"));
            target.model.setFlag(QStringLiteral("chb2P1N"), true);
            target.model.setSlider(QStringLiteral("trbPassiveDays"), 0);
            for (int row : {3, 9})
                target.tables.setMark(row, Mark::HighPriority, true);
            target.tables.setZoneCode(40, 2, 69, QStringLiteral("ABCD"));
            const Requests before = WriteList(target);

            QStringList data = r.data;
            data[c.entry] = c.data;
            EXPECT_FALSE(DecodeAnswers(target.context, data,
                                       asAnswers ? AnswerCommands(r.commands) : r.commands));
            EXPECT_EQ(target.notifier.errors, QStringList{c.message + Abort});
            const Requests after = WriteList(target);
            EXPECT_EQ(after.commands, before.commands);
            EXPECT_EQ(after.data, before.data);
            EXPECT_EQ(target.tables.markedRows(Mark::HighPriority), QList<int>({3, 9}));
        }
    }
}
