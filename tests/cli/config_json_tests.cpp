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

#include <functional>

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
        BadValue{"[1, 2]", "Невозможно прочитать файл JSON: нужен объект {...}"},
        BadValue{
            R"({"mgdSeparateInternalEvents": {}})",
            R"(Недопустимое значение {} ключа "mgdSeparateInternalEvents". Допустимо: массив из 8 строк)"}));

// A table of the sound JSON form with one row's keys changed.
QByteArray withRowKeys(const Configuration &c, const QString &grid, int row,
                       const QJsonObject &keys)
{
    QJsonObject root = QJsonDocument::fromJson(ConfigurationToJson(c.model, c.tables)).object();
    QJsonArray rows = root.value(grid).toArray();
    QJsonObject object = rows.at(row - 1).toObject();
    for (auto it = keys.begin(); it != keys.end(); ++it)
        object.insert(it.key(), it.value());
    rows[row - 1] = object;
    root.insert(grid, rows);
    return QJsonDocument(root).toJson();
}

struct BadRow {
    const char *grid;
    int row;
    const char *keys; // a JSON object
    const char *message;
};

void PrintTo(const BadRow &value, std::ostream *out)
{
    *out << value.grid << '[' << value.row << "] " << value.keys;
}

class JsonRowFault : public ::testing::TestWithParam<BadRow>
{
};

TEST_P(JsonRowFault, NamesTheRowKeyAndWhatItAllowsAndChangesNothing)
{
    Configuration c;
    const QByteArray before = ConfigurationToJson(c.model, c.tables);
    const QByteArray json = withRowKeys(c, QString::fromLatin1(GetParam().grid), GetParam().row,
                                        QJsonDocument::fromJson(GetParam().keys).object());
    EXPECT_EQ(ConfigurationFromJson(json, c.model, c.tables),
              std::optional<QString>(QString::fromUtf8(GetParam().message)));
    EXPECT_EQ(ConfigurationToJson(c.model, c.tables), before);
}

INSTANTIATE_TEST_SUITE_P(
    Values, JsonRowFault,
    ::testing::Values(
        BadRow{
            "mgdSeparateInternalEvents", 2, R"({"Код для пары №2": "XYZ1"})",
            R"(Недопустимое значение "XYZ1" ключа "mgdSeparateInternalEvents[2]."Код для пары №2"". Допустимо: 4 шестнадцатеричные цифры (0-9, A-F))"},
        BadRow{
            "mgdExternalEvents", 1, R"({"Код для пары №1": {"70": "1234"}})",
            R"(Неизвестная зона "70" ключа "mgdExternalEvents[1]."Код для пары №1"". Допустимо: от 0 до 69)"},
        BadRow{
            "mgdCommonInternalEvents", 1, R"({"Код": "1234"})",
            R"(Неизвестный ключ "mgdCommonInternalEvents[1]."Код"". Допустимо: "№", "Событие", "Общий код")"}));

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

TEST(JsonForm, MovedMarksNeverMeetTheLimitAndAFifthIsRefused)
{
    Configuration c;
    for (int row = 1; row <= 4; ++row)
        c.tables.setMark(row, EventCodeTables::Mark::HighPriority, true);
    // Four other rows marked, the first four unmarked, in one import.
    QJsonObject root = QJsonDocument::fromJson(ConfigurationToJson(c.model, c.tables)).object();
    QJsonArray rows = root.value(QStringLiteral("mgdExternalEvents")).toArray();
    for (int row = 1; row <= 8; ++row) {
        QJsonObject object = rows.at(row - 1).toObject();
        object.insert(QStringLiteral("В/П"), row > 4);
        rows[row - 1] = object;
    }
    root.insert(QStringLiteral("mgdExternalEvents"), rows);
    EXPECT_EQ(ConfigurationFromJson(QJsonDocument(root).toJson(), c.model, c.tables), std::nullopt);
    EXPECT_EQ(c.tables.markedRows(EventCodeTables::Mark::HighPriority), QList<int>({5, 6, 7, 8}));

    QJsonObject fifth = rows.at(8).toObject();
    fifth.insert(QStringLiteral("В/П"), true);
    rows[8] = fifth;
    root.insert(QStringLiteral("mgdExternalEvents"), rows);
    EXPECT_EQ(
        ConfigurationFromJson(QJsonDocument(root).toJson(), c.model, c.tables),
        std::optional<QString>(QStringLiteral(
            "Недопустимое значение true ключа \"mgdExternalEvents[9].\"В/П\"\". Допустимо: не "
            "больше 4 отмеченных событий в столбце \"В/П\"")));
    EXPECT_EQ(c.tables.markedRows(EventCodeTables::Mark::HighPriority), QList<int>({5, 6, 7, 8}));
}

// A table of the JSON form, by its grid's name.
struct Grid {
    const char *key;
    EventCodeTables::Table table;
};

// A change made to one table's rows of a sound JSON form, and what importing
// it gives: the message (with %1 the grid, %2 the first row's number, %3 the
// last row's, %4 the number of rows, %5 one more, %6 the numbers allowed, %7
// and %8 the first and last rows' events), or none when the rows are taken.
struct RowChange {
    const char *name;
    std::function<void(QJsonArray &)> change;
    const char *message;
};

QString number(const QJsonArray &rows, qsizetype row)
{
    return rows.at(row).toObject().value(QStringLiteral("№")).toString();
}

QJsonObject withValue(QJsonObject object, const char *key, const QJsonValue &value)
{
    object.insert(QString::fromUtf8(key), value);
    return object;
}

const RowChange RowChanges[] = {
    // Sorted or filtered by another tool: each row still goes by its number.
    {"Reversed",
     [](QJsonArray &rows) {
         QJsonArray reversed;
         for (qsizetype i = rows.size() - 1; i >= 0; --i)
             reversed.append(rows.at(i));
         rows = reversed;
     },
     nullptr},
    {"FirstRowMissing", [](QJsonArray &rows) { rows.removeFirst(); },
     "В \"%1\" нет строк с номерами %2: нужна каждая строка таблицы"},
    {"LastRowMissing", [](QJsonArray &rows) { rows.removeLast(); },
     "В \"%1\" нет строк с номерами %3: нужна каждая строка таблицы"},
    {"FirstRowGivenTwice", [](QJsonArray &rows) { rows.append(rows.first()); },
     "Номер %2 повторяется в \"%1\": строки 1 и %5"},
    // Renumbered with its event: the event tells.
    {"FirstRowRenumberedAsTheLast",
     [](QJsonArray &rows) {
         rows[0] = withValue(rows.at(0).toObject(), "№", number(rows, rows.size() - 1));
     },
     "Событие \"%7\" строки \"%1[1]\" не совпадает с событием №%3 \"%8\""},
    // Renumbered without its event: the number is then given twice.
    {"FirstRowRenumberedAsTheLastWithoutItsEvent",
     [](QJsonArray &rows) {
         QJsonObject row = withValue(rows.at(0).toObject(), "№", number(rows, rows.size() - 1));
         row.remove(QStringLiteral("Событие"));
         rows[0] = row;
     },
     "Номер %3 повторяется в \"%1\": строки 1 и %4"},
    {"NumberUnknown",
     [](QJsonArray &rows) {
         rows[0] = withValue(rows.at(0).toObject(), "№", QStringLiteral("999"));
     },
     "Недопустимое значение \"999\" ключа \"%1[1].\"№\"\". Допустимо: номер строки таблицы: %6"},
    {"NumberLeftOut",
     [](QJsonArray &rows) {
         QJsonObject row = rows.at(0).toObject();
         row.remove(QStringLiteral("№"));
         rows[0] = row;
     },
     "Нет номера строки: ключ \"%1[1].\"№\"\" не указан"},
    {"EventOfAnotherNumber",
     [](QJsonArray &rows) {
         rows[0] = withValue(rows.at(0).toObject(), "Событие", QStringLiteral("Другое событие"));
     },
     "Событие \"Другое событие\" строки \"%1[1]\" не совпадает с событием №%2 \"%7\""},
    // The number as a JSON number is the same row.
    {"NumberAsANumber",
     [](QJsonArray &rows) {
         rows[0] = withValue(rows.at(0).toObject(), "№", number(rows, 0).toInt());
     },
     nullptr},
};

void PrintTo(const std::tuple<Grid, RowChange> &c, std::ostream *out)
{
    *out << std::get<0>(c).key << ' ' << std::get<1>(c).name;
}

class JsonRows : public ::testing::TestWithParam<std::tuple<Grid, RowChange>>
{
};

// Every row of the tables holds codes of its own, so that a row taken into
// another row's place shows.
void giveEveryRowItsOwnCodes(EventCodeTables &tables)
{
    using Table = EventCodeTables::Table;
    const auto code = [](int table, int row, int pair) {
        return QStringLiteral("%1%2%3").arg(table).arg(row, 2, 16, QLatin1Char('0')).arg(pair);
    };
    for (int row = 1; row <= tables.rowCount(Table::Separate); ++row)
        for (int pair = 1; pair <= 2; ++pair)
            tables.setSeparateCode(row, pair, code(1, row, pair).toUpper());
    for (int row = 1; row <= tables.rowCount(Table::Common); ++row)
        tables.setCommonCode(row, code(2, row, 0).toUpper());
    for (int row = 1; row <= tables.rowCount(Table::External); ++row)
        for (int pair = 1; pair <= 2; ++pair)
            tables.setZoneCode(row, pair, row % EventCodeTables::ZoneCount,
                               code(3, row, pair).toUpper());
}

// The common table with a second row, so that its rows can be reordered too.
void addSecondCommonRow(EventCodeTables &tables)
{
    tables.setRowCount(EventCodeTables::Table::Common, 2);
    tables.setRow(EventCodeTables::Table::Common, 2,
                  EventRow{QStringLiteral("10"), QStringLiteral("Второе общее событие"), 123});
}

TEST_P(JsonRows, EachRowGoesByItsNumberOrTheTableIsRefused)
{
    const auto &[grid, change] = GetParam();
    Configuration source;
    addSecondCommonRow(source.tables);
    giveEveryRowItsOwnCodes(source.tables);
    const QByteArray sound = ConfigurationToJson(source.model, source.tables);
    QJsonObject root = QJsonDocument::fromJson(sound).object();
    const QString key = QString::fromLatin1(grid.key);
    const QJsonArray original = root.value(key).toArray();
    ASSERT_EQ(original.size(), source.tables.rowCount(grid.table));
    QJsonArray rows = original;
    change.change(rows);
    root.insert(key, rows);

    // Imported over a configuration of other codes: a fault changes nothing.
    Configuration target;
    addSecondCommonRow(target.tables);
    const QByteArray before = ConfigurationToJson(target.model, target.tables);
    const std::optional<QString> fault =
        ConfigurationFromJson(QJsonDocument(root).toJson(), target.model, target.tables);
    if (!change.message) {
        EXPECT_EQ(fault, std::nullopt);
        EXPECT_EQ(ConfigurationToJson(target.model, target.tables), sound);
        return;
    }
    QStringList numbers;
    for (qsizetype i = 0; i < original.size(); ++i)
        numbers << number(original, i);
    const QString allowed = numbers.size() > 2 ? numbers.first() + u'-' + numbers.last()
                                               : numbers.join(QStringLiteral(", "));
    const QString expected =
        QString::fromUtf8(change.message)
            .replace(QStringLiteral("%1"), key)
            .replace(QStringLiteral("%2"), numbers.first())
            .replace(QStringLiteral("%3"), numbers.last())
            .replace(QStringLiteral("%4"), QString::number(original.size()))
            .replace(QStringLiteral("%5"), QString::number(original.size() + 1))
            .replace(QStringLiteral("%6"), allowed)
            .replace(QStringLiteral("%7"),
                     original.at(0).toObject().value(QStringLiteral("Событие")).toString())
            .replace(QStringLiteral("%8"),
                     original.last().toObject().value(QStringLiteral("Событие")).toString());
    EXPECT_EQ(fault, std::optional<QString>(expected));
    EXPECT_EQ(ConfigurationToJson(target.model, target.tables), before);
}

INSTANTIATE_TEST_SUITE_P(
    EveryTable, JsonRows,
    ::testing::Combine(
        ::testing::Values(Grid{"mgdSeparateInternalEvents", EventCodeTables::Table::Separate},
                          Grid{"mgdCommonInternalEvents", EventCodeTables::Table::Common},
                          Grid{"mgdExternalEvents", EventCodeTables::Table::External}),
        ::testing::ValuesIn(RowChanges)),
    [](const auto &test) {
        return std::string(std::get<0>(test.param).key) + '_' + std::get<1>(test.param).name;
    });

} // namespace
