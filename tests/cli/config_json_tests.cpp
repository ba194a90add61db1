#include "cli/ConfigJson.h"
#include "common/FakeNotifier.h"
#include "config/ConfigComparison.h"
#include "config/ConfigModel.h"
#include "config/ConfigValues.h"
#include "config/RandomConfiguration.h"
#include "events/EventCodeTables.h"
#include "events/EventNameLists.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "common/QtPrinters.h"

#include <gtest/gtest.h>

using namespace sr5n;

namespace {

// A model and tables as the program has them after loading its name lists.
struct Configuration {
    ConfigModel model;
    EventCodeTables tables;

    Configuration()
    {
        test::FakeNotifier notifier;
        SetUpEventTables(QStringLiteral(SR5N_BIN_DIR), tables, notifier);
        const QStringList protocols{QStringLiteral("Contact ID"), QStringLiteral("4+2")};
        model.setChoiceItems(QStringLiteral("cbx1PProtocol"), protocols);
        model.setChoiceItems(QStringLiteral("cbx2PProtocol"), protocols);
    }
};

struct BadValue {
    const char *json;
    const char *message;
};

// The case by its JSON, in test names and failure messages.
void PrintTo(const BadValue &value, std::ostream *out)
{
    *out << value.json;
}

class JsonImportFault : public ::testing::TestWithParam<BadValue>
{
};

TEST_P(JsonImportFault, NamesTheKeyAndWhatItAllowsAndChangesNothing)
{
    Configuration c;
    c.model.setSlider(QStringLiteral("trb1PCallsTrialCount"), 33);
    const QByteArray before = ConfigurationToJson(c.model, c.tables);
    const std::optional<QString> fault =
        ConfigurationFromJson(QByteArray(GetParam().json), c.model, c.tables);
    ASSERT_TRUE(fault.has_value());
    EXPECT_EQ(*fault, QString::fromUtf8(GetParam().message));
    EXPECT_EQ(ConfigurationToJson(c.model, c.tables), before);
}

INSTANTIATE_TEST_SUITE_P(
    Values, JsonImportFault,
    ::testing::Values(
        BadValue{
            R"({"trb1PCallsTrialCount": "500"})",
            R"(Недопустимое значение "500" ключа "trb1PCallsTrialCount". Допустимо: от 2 до 220)"},
        BadValue{R"({"trb1PCallsTrialCount": 1})",
                 R"(Недопустимое значение 1 ключа "trb1PCallsTrialCount". Допустимо: от 2 до 220)"},
        BadValue{R"({"trbHandshakeless": 1})", R"(Неизвестный ключ "trbHandshakeless")"},
        // The protocol editor's values are no part of a configuration.
        BadValue{R"({"trbKissoff": "60 мс"})", R"(Неизвестный ключ "trbKissoff")"},
        BadValue{
            R"({"trb1P1NWaitPCNReady": "30 мс"})",
            R"(Недопустимое значение "30 мс" ключа "trb1P1NWaitPCNReady". Допустимо: от 2 с до 120 с)"},
        BadValue{
            R"({"trbSilenceLevel": "-20 дБм"})",
            R"(Недопустимое значение "-20 дБм" ключа "trbSilenceLevel". Допустимо: от -45 дБм до -24 дБм)"},
        // No days leave at least one hour.
        BadValue{
            R"({"trbPassiveDays": "0 д", "trbPassiveHours": "0 ч"})",
            R"(Недопустимое значение "0 ч" ключа "trbPassiveHours". Допустимо: от 1 ч до 24 ч)"},
        BadValue{R"({"chb1P1N": "да"})",
                 R"(Недопустимое значение "да" ключа "chb1P1N". Допустимо: true или false)"},
        BadValue{
            R"({"edt1P1NObjectCode": "12G4"})",
            R"(Недопустимое значение "12G4" ключа "edt1P1NObjectCode". Допустимо: 4 шестнадцатеричные цифры (0-9, A-F))"},
        BadValue{
            R"({"edt1PGroupCode": "123"})",
            R"(Недопустимое значение "123" ключа "edt1PGroupCode". Допустимо: 2 шестнадцатеричные цифры (0-9, A-F))"},
        BadValue{
            R"({"edt1P1N": "8-912"})",
            R"(Недопустимое значение "8-912" ключа "edt1P1N". Допустимо: до 24 знаков из 0-9, A, B, C, D)"},
        BadValue{
            R"({"dtpLineTestStart": "24:00"})",
            R"(Недопустимое значение "24:00" ключа "dtpLineTestStart". Допустимо: время ЧЧ:ММ, от 00:00 до 23:59)"},
        BadValue{
            R"({"rgpLineFreq": "500 Гц"})",
            R"(Недопустимое значение "500 Гц" ключа "rgpLineFreq". Допустимо: "425 Гц", "440 Гц", "480 Гц")"},
        BadValue{
            R"({"cbx1PProtocol": "Ademco"})",
            R"(Недопустимое значение "Ademco" ключа "cbx1PProtocol". Допустимо: "Contact ID", "4+2", "" (не выбран))"},
        BadValue{
            R"({"mgdSeparateInternalEvents": [{}, {"Код для пары №2": "XYZ1"}]})",
            R"(Недопустимое значение "XYZ1" ключа "mgdSeparateInternalEvents[2]."Код для пары №2"". Допустимо: 4 шестнадцатеричные цифры (0-9, A-F))"},
        BadValue{
            R"({"mgdExternalEvents": [{"Код для пары №1": {"70": "1234"}}]})",
            R"(Неизвестная зона "70" ключа "mgdExternalEvents[1]."Код для пары №1"". Допустимо: от 0 до 69)"},
        BadValue{
            R"({"mgdExternalEvents": [{"В/П": true}, {"В/П": true}, {"В/П": true}, {"В/П": true}, {"В/П": true}]})",
            R"(Недопустимое значение true ключа "mgdExternalEvents[5]."В/П"". Допустимо: не больше 4 отмеченных событий в столбце "В/П")"},
        BadValue{
            R"({"mgdCommonInternalEvents": [{"Код": "1234"}]})",
            R"(Неизвестный ключ "mgdCommonInternalEvents[1]."Код"". Допустимо: "№", "Событие", "Общий код")"},
        BadValue{R"({"chb1P1N": true,)",
                 "Невозможно прочитать файл JSON: ошибка в строке 1, знак 18"},
        // The place counts characters, not the bytes of the Cyrillic before it.
        BadValue{"{\n  \"Зона\": x}", "Невозможно прочитать файл JSON: ошибка в строке 2, знак 11"},
        // The parser would keep the last of two values silently.
        BadValue{R"({"trb1PCallsTrialCount": "3", "trb1PCallsTrialCount": "4"})",
                 R"(Невозможно прочитать файл JSON: ключ "trb1PCallsTrialCount" повторяется)"},
        BadValue{R"({"mgdExternalEvents": [{"В/П": true, "В/П": false}]})",
                 R"(Невозможно прочитать файл JSON: ключ "В/П" повторяется в "mgdExternalEvents")"},
        // A huge value is echoed cut, its control characters shown.
        BadValue{
            "{\"edt1P1N\": \"\\u0000123456789012345678901234567890123456789012345678901234567890"
            "1234567890\"}",
            "Недопустимое значение \"\\u000012345678901234567890123456789012345678901234567890"
            "123456789… (71 знаков)\" ключа \"edt1P1N\". Допустимо: до 24 знаков из 0-9, A, B, C, "
            "D"},
        BadValue{"[1, 2]", "Невозможно прочитать файл JSON: нужен объект {...}"}));

TEST(JsonForm, ShowsValuesAsThePagesDoAndTakesThemBack)
{
    Configuration c;
    c.model.setSlider(QStringLiteral("trb1P1NWaitPCNReady"), 45);
    c.model.setSlider(QStringLiteral("trbSilenceLevel"), -30);
    c.model.setChoice(QStringLiteral("rgpLineFreq"), 2);
    c.model.setChoice(QStringLiteral("cbx2PProtocol"), 1);
    c.model.setTime(QStringLiteral("dtpLineTestStart"), QTime(7, 45));
    c.tables.setZoneCode(3, 2, 69, QStringLiteral("0A0B"));
    c.tables.setMark(2, EventCodeTables::Mark::Mandatory, true);
    const QByteArray json = ConfigurationToJson(c.model, c.tables);
    const QJsonObject root = QJsonDocument::fromJson(json).object();
    EXPECT_EQ(root.value(QStringLiteral("trb1P1NWaitPCNReady")).toString(), QStringLiteral("45 с"));
    EXPECT_EQ(root.value(QStringLiteral("trbSilenceLevel")).toString(), QStringLiteral("-30 дБм"));
    EXPECT_EQ(root.value(QStringLiteral("rgpLineFreq")).toString(), QStringLiteral("480 Гц"));
    EXPECT_EQ(root.value(QStringLiteral("cbx2PProtocol")).toString(), QStringLiteral("4+2"));
    EXPECT_EQ(root.value(QStringLiteral("dtpLineTestStart")).toString(), QStringLiteral("07:45"));
    EXPECT_FALSE(root.contains(QStringLiteral("rgpHandshake")));
    const QJsonObject row3 =
        root.value(QStringLiteral("mgdExternalEvents")).toArray().at(2).toObject();
    EXPECT_EQ(row3.value(QStringLiteral("Код для пары №2")).toObject(),
              QJsonObject({{QStringLiteral("69"), QStringLiteral("0A0B")}}));
    EXPECT_TRUE(root.value(QStringLiteral("mgdExternalEvents"))
                    .toArray()
                    .at(1)
                    .toObject()
                    .value(QStringLiteral("О/С"))
                    .toBool());

    Configuration back;
    EXPECT_EQ(ConfigurationFromJson(json, back.model, back.tables), std::nullopt);
    EXPECT_EQ(ConfigurationToJson(back.model, back.tables), json);
    // A bare number in the unit shown is taken too.
    EXPECT_EQ(ConfigurationFromJson(R"({"trb1P1NWaitPCNReady": 60})", back.model, back.tables),
              std::nullopt);
    EXPECT_EQ(back.model.slider(QStringLiteral("trb1P1NWaitPCNReady")), 60);
}

TEST(JsonForm, RandomConfigurationsMakeTheRoundTripWithoutLoss)
{
    QRandomGenerator random(24);
    for (int round = 0; round < 40; ++round) {
        test::BlockFixture source;
        test::randomize(source, random);
        const QByteArray json = ConfigurationToJson(source.model, source.tables);
        test::BlockFixture back;
        ASSERT_EQ(ConfigurationFromJson(json, back.model, back.tables), std::nullopt) << round;
        EXPECT_EQ(CompareConfigurations(ConfigSide{source.model, source.tables},
                                        ConfigSide{back.model, back.tables})
                      .size(),
                  0)
            << round;
        EXPECT_EQ(ConfigurationToJson(back.model, back.tables), json) << round;
    }
}

TEST(JsonForm, MovedMarksNeverMeetTheLimit)
{
    Configuration c;
    for (int row = 1; row <= 4; ++row)
        c.tables.setMark(row, EventCodeTables::Mark::HighPriority, true);
    // Four other rows marked, the first four unmarked, in one import.
    QByteArray json = R"({"mgdExternalEvents": [)";
    for (int row = 1; row <= 8; ++row)
        json += row <= 4 ? R"({"В/П": false},)" : R"({"В/П": true},)";
    json.chop(1);
    json += "]}";
    EXPECT_EQ(ConfigurationFromJson(json, c.model, c.tables), std::nullopt);
    EXPECT_EQ(c.tables.markedRows(EventCodeTables::Mark::HighPriority), QList<int>({5, 6, 7, 8}));
}

} // namespace
