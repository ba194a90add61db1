#include "cli/ConfigJson.h"

#include "cli/JsonKeys.h"
#include "common/HexText.h"
#include "config/ConfigModel.h"
#include "config/ConfigValues.h"
#include "config/ValueCheck.h"
#include "events/EventCodeTables.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace sr5n {

namespace {

using Table = EventCodeTables::Table;
using Mark = EventCodeTables::Mark;

const QString SeparateGrid = QStringLiteral("mgdSeparateInternalEvents");
const QString CommonGrid = QStringLiteral("mgdCommonInternalEvents");
const QString ExternalGrid = QStringLiteral("mgdExternalEvents");
const QString NoCode = QStringLiteral("0000");

// The column headers of a table, as the grids show them.
QString header(Table table, int column)
{
    return EventCodeTables::columnHeaders(table).value(column);
}

QString trimmedValueText(const ConfigModel &model, const QString &name)
{
    return model.valueText(name).trimmed();
}

QJsonValue valueJson(const ConfigModel &model, const QString &name)
{
    switch (model.description(name)->kind) {
    case ValueKind::Slider:
        return trimmedValueText(model, name);
    case ValueKind::Flag:
        return model.flag(name);
    case ValueKind::Code:
    case ValueKind::Phone:
        return model.text(name);
    case ValueKind::Time:
        return model.time(name).toString(QStringLiteral("HH:mm"));
    case ValueKind::Choice:
        return model.choiceText(name);
    case ValueKind::Mask:
        break;
    }
    return model.slider(name);
}

// The number a row is known by in the JSON form: the "№" the grids show, or
// its place (after the separate rows for the common table) where the name
// lists gave none.
QString rowNumber(const EventCodeTables &tables, Table table, int row)
{
    const QString shown = tables.row(table, row).displayNumber;
    if (!shown.isEmpty())
        return shown;
    return QString::number(table == Table::Common ? EventCodeTables::DefaultSeparateRows + row
                                                  : row);
}

QJsonObject eventRow(const EventCodeTables &tables, Table table, int row)
{
    QJsonObject object{{header(table, 0), rowNumber(tables, table, row)},
                       {header(table, 1), tables.row(table, row).name}};
    return object;
}

QJsonObject zoneObject(const QStringList &codes)
{
    QJsonObject zones;
    for (int zone = 0; zone < codes.size(); ++zone)
        if (codes.at(zone) != NoCode)
            zones.insert(QString::number(zone), codes.at(zone));
    return zones;
}

// A fault found while taking a JSON form: the key and what it allows.
struct Fault {
    QString message;
};

Fault badValue(const QString &key, const QJsonValue &value, const QString &allowed)
{
    return {InvalidValueMessage(key, value.toVariant(), allowed)};
}

std::optional<QString> checkedCode(const QString &key, const QJsonValue &value, int length,
                                   Fault &fault)
{
    const QString text = value.toString();
    if (!value.isString() || text.size() != length || !IsHexText(text)) {
        fault = badValue(key, value, CodeAllowed(length));
        return std::nullopt;
    }
    return text.toUpper();
}

// Reads one value into the model, checked as every value is; false with
// `fault` set when it is not allowed.
bool takeValue(ConfigModel &model, const QString &name, const QJsonValue &value, Fault &fault)
{
    if (const Expected<void> taken = setChecked(model, name, value.toVariant()); !taken) {
        fault = {taken.reason()};
        return false;
    }
    return true;
}

QString rowKey(const QString &grid, int row, const QString &column = QString())
{
    QString key = QStringLiteral("%1[%2]").arg(grid).arg(row);
    if (!column.isEmpty())
        key += QStringLiteral(".\"%1\"").arg(column);
    return key;
}

// Numbers as a reader counts them: "1, 3-5, 8".
QString numberRanges(const QStringList &numbers)
{
    QStringList parts;
    for (int i = 0; i < numbers.size();) {
        int j = i;
        while (j + 1 < numbers.size() && numbers.at(j + 1).toInt() == numbers.at(j).toInt() + 1)
            ++j;
        parts << (j > i + 1 ? numbers.at(i) + QLatin1Char('-') + numbers.at(j)
                  : j > i   ? numbers.at(i) + QStringLiteral(", ") + numbers.at(j)
                            : numbers.at(i));
        i = j + 1;
    }
    return parts.join(QStringLiteral(", "));
}

// A row of a grid's array, at the table row its "№" names; `place` is where
// the file has it, from 1, for the messages.
struct PlacedRow {
    QJsonObject object;
    int place = 0;
};

// The rows of a grid's array, each placed by its "№": every table row given
// exactly once, the event named where "Событие" is given. Filtered, sorted or
// renumbered rows are refused rather than writing codes to other events.
std::optional<QList<PlacedRow>> gridRows(const QJsonValue &value, const QString &grid,
                                         const EventCodeTables &tables, Table table, Fault &fault)
{
    const int rows = tables.rowCount(table);
    if (!value.isArray()) {
        fault = badValue(grid, value, QStringLiteral("массив из %1 строк").arg(rows));
        return std::nullopt;
    }
    QStringList numbers;
    for (int row = 1; row <= rows; ++row)
        numbers << rowNumber(tables, table, row);
    const QString numberColumn = header(table, 0);
    const QString eventColumn = header(table, 1);
    QList<PlacedRow> placed(rows);
    const QJsonArray array = value.toArray();
    for (int i = 0; i < array.size(); ++i) {
        const int place = i + 1;
        if (!array.at(i).isObject()) {
            fault = badValue(rowKey(grid, place), array.at(i), QStringLiteral("объект строки"));
            return std::nullopt;
        }
        const QJsonObject object = array.at(i).toObject();
        const QString numberKey = rowKey(grid, place, numberColumn);
        if (!object.contains(numberColumn)) {
            fault = {QStringLiteral("Нет номера строки: ключ \"%1\" не указан").arg(numberKey)};
            return std::nullopt;
        }
        const QJsonValue numberValue = object.value(numberColumn);
        const QString number = numberValue.isDouble()
                                   ? QString::number(numberValue.toDouble(), 'g', 16)
                                   : numberValue.toString();
        const int row = numbers.indexOf(number) + 1;
        if (row == 0 || (!numberValue.isString() && !numberValue.isDouble())) {
            fault = badValue(numberKey, numberValue,
                             QStringLiteral("номер строки таблицы: ") + numberRanges(numbers));
            return std::nullopt;
        }
        PlacedRow &slot = placed[row - 1];
        if (slot.place != 0) {
            fault = {QStringLiteral("Номер %1 повторяется в \"%2\": строки %3 и %4")
                         .arg(number, grid)
                         .arg(slot.place)
                         .arg(place)};
            return std::nullopt;
        }
        const QString event = tables.row(table, row).name;
        if (object.contains(eventColumn) && !event.isEmpty() &&
            object.value(eventColumn).toString() != event) {
            fault = {
                QStringLiteral("Событие \"%1\" строки \"%2\" не совпадает с событием №%3 \"%4\"")
                    .arg(ReadableEcho(object.value(eventColumn).toString()), rowKey(grid, place),
                         number, event)};
            return std::nullopt;
        }
        slot = {object, place};
    }
    QStringList missing;
    for (int row = 1; row <= rows; ++row)
        if (placed.at(row - 1).place == 0)
            missing << numbers.at(row - 1);
    if (!missing.isEmpty()) {
        fault = {QStringLiteral("В \"%1\" нет строк с номерами %2: нужна каждая строка таблицы")
                     .arg(grid, numberRanges(missing))};
        return std::nullopt;
    }
    return placed;
}

// Columns a row may hold: the table's headers.
bool checkColumns(const QJsonObject &row, Table table, const QString &grid, int number,
                  Fault &fault)
{
    const QStringList headers = EventCodeTables::columnHeaders(table);
    for (auto it = row.begin(); it != row.end(); ++it) {
        if (!headers.contains(it.key())) {
            QStringList quoted;
            for (const QString &h : headers)
                quoted << QLatin1Char('"') + h + QLatin1Char('"');
            fault = {QStringLiteral("Неизвестный ключ \"%1\". Допустимо: %2")
                         .arg(rowKey(grid, number, it.key()), quoted.join(QStringLiteral(", ")))};
            return false;
        }
    }
    return true;
}

bool takeCode(const QJsonObject &row, const QString &column, const QString &key,
              const std::function<void(const QString &)> &set, Fault &fault)
{
    if (!row.contains(column))
        return true;
    const std::optional<QString> code = checkedCode(key, row.value(column), 4, fault);
    if (!code)
        return false;
    set(*code);
    return true;
}

bool takeInternal(const QJsonValue &value, Table table, EventCodeTables &tables, Fault &fault)
{
    const QString grid = table == Table::Separate ? SeparateGrid : CommonGrid;
    const std::optional<QList<PlacedRow>> rows = gridRows(value, grid, tables, table, fault);
    if (!rows)
        return false;
    for (int row = 1; row <= rows->size(); ++row) {
        const PlacedRow &placed = rows->at(row - 1);
        const QJsonObject &object = placed.object;
        if (!checkColumns(object, table, grid, placed.place, fault))
            return false;
        if (table == Table::Common) {
            if (!takeCode(
                    object, header(table, 2), rowKey(grid, placed.place, header(table, 2)),
                    [&](const QString &code) { tables.setCommonCode(row, code); }, fault))
                return false;
            continue;
        }
        for (int pair = 1; pair <= 2; ++pair) {
            const QString column = header(table, 1 + pair);
            if (!takeCode(
                    object, column, rowKey(grid, placed.place, column),
                    [&](const QString &code) { tables.setSeparateCode(row, pair, code); }, fault))
                return false;
        }
    }
    return true;
}

bool takeZones(const QJsonValue &value, const QString &key, QStringList &codes, Fault &fault)
{
    if (!value.isObject()) {
        fault = badValue(key, value, QStringLiteral("объект {\"зона\": \"код\"}"));
        return false;
    }
    codes = QStringList(EventCodeTables::ZoneCount, NoCode);
    const QJsonObject zones = value.toObject();
    for (auto it = zones.begin(); it != zones.end(); ++it) {
        bool isNumber = false;
        const int zone = it.key().toInt(&isNumber);
        if (!isNumber || zone < 0 || zone >= EventCodeTables::ZoneCount) {
            fault = {QStringLiteral("Неизвестная зона \"%1\" ключа \"%2\". Допустимо: от 0 до %3")
                         .arg(it.key(), key)
                         .arg(EventCodeTables::ZoneCount - 1)};
            return false;
        }
        const std::optional<QString> code =
            checkedCode(key + QStringLiteral(".\"%1\"").arg(it.key()), it.value(), 4, fault);
        if (!code)
            return false;
        codes[zone] = *code;
    }
    return true;
}

bool takeExternal(const QJsonValue &value, EventCodeTables &tables, Fault &fault)
{
    const std::optional<QList<PlacedRow>> rows =
        gridRows(value, ExternalGrid, tables, Table::External, fault);
    if (!rows)
        return false;
    // Marks are cleared first, so that moving a mark never meets the limit.
    const Mark kinds[] = {Mark::HighPriority, Mark::Mandatory};
    for (int row = 1; row <= rows->size(); ++row) {
        const QJsonObject &object = rows->at(row - 1).object;
        for (int k = 0; k < 2; ++k)
            if (object.contains(header(Table::External, 4 + k)))
                tables.setMark(row, kinds[k], false);
    }
    for (int row = 1; row <= rows->size(); ++row) {
        const int place = rows->at(row - 1).place;
        const QJsonObject &object = rows->at(row - 1).object;
        if (!checkColumns(object, Table::External, ExternalGrid, place, fault))
            return false;
        for (int pair = 1; pair <= 2; ++pair) {
            const QString column = header(Table::External, 1 + pair);
            if (!object.contains(column))
                continue;
            QStringList codes;
            if (!takeZones(object.value(column), rowKey(ExternalGrid, place, column), codes, fault))
                return false;
            tables.setZoneCodes(row, pair, codes);
        }
        for (int k = 0; k < 2; ++k) {
            const QString column = header(Table::External, 4 + k);
            if (!object.contains(column))
                continue;
            const QJsonValue mark = object.value(column);
            if (!mark.isBool()) {
                fault = badValue(rowKey(ExternalGrid, place, column), mark,
                                 QStringLiteral("true или false"));
                return false;
            }
            if (!tables.setMark(row, kinds[k], mark.toBool())) {
                fault = badValue(rowKey(ExternalGrid, place, column), mark,
                                 QStringLiteral("не больше %1 отмеченных событий в столбце \"%2\"")
                                     .arg(EventCodeTables::MaxMarks)
                                     .arg(column));
                return false;
            }
        }
    }
    return true;
}

} // namespace

QByteArray ConfigurationToJson(const ConfigModel &model, const EventCodeTables &tables)
{
    QJsonObject root;
    for (const QString &name : ConfigurationValueNames())
        root.insert(name, valueJson(model, name));

    QJsonArray separate;
    for (int row = 1; row <= tables.rowCount(Table::Separate); ++row) {
        QJsonObject object = eventRow(tables, Table::Separate, row);
        for (int pair = 1; pair <= 2; ++pair)
            object.insert(header(Table::Separate, 1 + pair), tables.separateCode(row, pair));
        separate.append(object);
    }
    root.insert(SeparateGrid, separate);

    QJsonArray common;
    for (int row = 1; row <= tables.rowCount(Table::Common); ++row) {
        QJsonObject object = eventRow(tables, Table::Common, row);
        object.insert(header(Table::Common, 2), tables.commonCode(row));
        common.append(object);
    }
    root.insert(CommonGrid, common);

    QJsonArray external;
    for (int row = 1; row <= tables.rowCount(Table::External); ++row) {
        QJsonObject object = eventRow(tables, Table::External, row);
        for (int pair = 1; pair <= 2; ++pair)
            object.insert(header(Table::External, 1 + pair),
                          zoneObject(tables.zoneCodes(row, pair)));
        object.insert(header(Table::External, 4), tables.mark(row, Mark::HighPriority));
        object.insert(header(Table::External, 5), tables.mark(row, Mark::Mandatory));
        external.append(object);
    }
    root.insert(ExternalGrid, external);
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

std::optional<QString> ConfigurationFromJson(const QByteArray &json, ConfigModel &model,
                                             EventCodeTables &tables)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError) {
        const TextPlace place = PlaceOfOffset(json, error.offset);
        return QStringLiteral("Невозможно прочитать файл JSON: ошибка в строке %1, знак %2")
            .arg(place.line)
            .arg(place.column);
    }
    if (const std::optional<QString> twice = DuplicateJsonKey(json))
        return QStringLiteral("Невозможно прочитать файл JSON: ") + *twice;
    if (!document.isObject())
        return QStringLiteral("Невозможно прочитать файл JSON: нужен объект {...}");
    const QJsonObject root = document.object();
    const QStringList &names = ConfigurationValueNames();
    for (auto it = root.begin(); it != root.end(); ++it) {
        if (!names.contains(it.key()) && it.key() != SeparateGrid && it.key() != CommonGrid &&
            it.key() != ExternalGrid)
            return QStringLiteral("Неизвестный ключ \"%1\"").arg(ReadableEcho(it.key()));
    }

    // Taken into a copy first, so that a fault changes nothing.
    ConfigModel scratch;
    scratch.copyValues(model, model.names());
    EventCodeTables scratchTables;
    scratchTables.copyFrom(tables);
    Fault fault;
    // In description order: a bound that depends on another value sees it set.
    for (const QString &name : names) {
        if (root.contains(name) && !takeValue(scratch, name, root.value(name), fault))
            return fault.message;
    }
    if (root.contains(SeparateGrid) &&
        !takeInternal(root.value(SeparateGrid), Table::Separate, scratchTables, fault))
        return fault.message;
    if (root.contains(CommonGrid) &&
        !takeInternal(root.value(CommonGrid), Table::Common, scratchTables, fault))
        return fault.message;
    if (root.contains(ExternalGrid) &&
        !takeExternal(root.value(ExternalGrid), scratchTables, fault))
        return fault.message;
    model.copyValues(scratch, model.names());
    tables.copyFrom(scratchTables);
    return std::nullopt;
}

} // namespace sr5n
