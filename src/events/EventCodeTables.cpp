#include "events/EventCodeTables.h"

#include <utility>

namespace sr5n {

namespace {

const QString kNoCode = QStringLiteral("0000");

bool validPair(int pair)
{
    return pair == 1 || pair == 2;
}

template <typename Rows> void resizeRows(Rows &rows, int count)
{
    count = std::max(0, count);
    while (rows.size() > count)
        rows.removeLast();
    while (rows.size() < count)
        rows.append(typename Rows::value_type());
}

} // namespace

EventCodeTables::External::External()
{
    // Shared by every row until a code is set: a table is made for each decoding.
    static const QStringList noCodes(ZoneCount, kNoCode);
    for (QStringList &pairZones : zones)
        pairZones = noCodes;
}

EventCodeTables::EventCodeTables(QObject *parent) : QObject(parent)
{
    resizeRows(m_separate, DefaultSeparateRows);
    resizeRows(m_common, DefaultCommonRows);
    resizeRows(m_external, ExternalEventCount);
}

QStringList EventCodeTables::columnHeaders(Table table)
{
    switch (table) {
    case Table::Separate:
        return {QStringLiteral("№"), QStringLiteral("Событие"), QStringLiteral("Код для пары №1"),
                QStringLiteral("Код для пары №2")};
    case Table::Common:
        return {QStringLiteral("№"), QStringLiteral("Событие"), QStringLiteral("Общий код")};
    case Table::External:
        return {QStringLiteral("№"),
                QStringLiteral("Событие"),
                QStringLiteral("Код для пары №1"),
                QStringLiteral("Код для пары №2"),
                QStringLiteral("В/П"),
                QStringLiteral("О/С")};
    }
    return {};
}

int EventCodeTables::rowCount(Table table) const
{
    switch (table) {
    case Table::Separate:
        return static_cast<int>(m_separate.size());
    case Table::Common:
        return static_cast<int>(m_common.size());
    case Table::External:
        return static_cast<int>(m_external.size());
    }
    return 0;
}

bool EventCodeTables::isValidRow(Table table, int row) const
{
    return row >= 1 && row <= rowCount(table);
}

void EventCodeTables::setRowCount(Table table, int rows)
{
    switch (table) {
    case Table::Separate:
        resizeRows(m_separate, rows);
        break;
    case Table::Common:
        resizeRows(m_common, rows);
        break;
    case Table::External:
        resizeRows(m_external, rows);
        break;
    }
    emit rowsChanged(table);
}

EventRow EventCodeTables::row(Table table, int row) const
{
    if (!isValidRow(table, row))
        return {};
    switch (table) {
    case Table::Separate:
        return m_separate[row - 1].event;
    case Table::Common:
        return m_common[row - 1].event;
    case Table::External:
        return m_external[row - 1].event;
    }
    return {};
}

void EventCodeTables::setRow(Table table, int row, const EventRow &content)
{
    if (!isValidRow(table, row))
        return;
    switch (table) {
    case Table::Separate:
        m_separate[row - 1].event = content;
        break;
    case Table::Common:
        m_common[row - 1].event = content;
        break;
    case Table::External:
        m_external[row - 1].event = content;
        break;
    }
    emit rowsChanged(table);
}

int EventCodeTables::separateEventNumber(int row)
{
    static const int numbers[DefaultSeparateRows] = {112, 115, 116, 117, 120, 121, 113, 114};
    return row >= 1 && row <= DefaultSeparateRows ? numbers[row - 1] : 0;
}

void EventCodeTables::applyFixedEventNumbers()
{
    for (int r = 1; r <= std::min(rowCount(Table::Separate), int(DefaultSeparateRows)); ++r)
        m_separate[r - 1].event.number = separateEventNumber(r);
    if (!m_common.isEmpty()) {
        m_common[0].event.number = -1;
        m_common[0].codes[0] = QStringLiteral("1304");
        emit commonCodeChanged(MemoryFaultRow);
    }
    emit rowsChanged(Table::Separate);
    emit rowsChanged(Table::Common);
}

QString EventCodeTables::separateCode(int row, int pair) const
{
    if (!isValidRow(Table::Separate, row) || !validPair(pair))
        return {};
    return m_separate[row - 1].codes[pair - 1];
}

void EventCodeTables::setSeparateCode(int row, int pair, const QString &code)
{
    if (!isValidRow(Table::Separate, row) || !validPair(pair))
        return;
    QString &stored = m_separate[row - 1].codes[pair - 1];
    if (stored == code)
        return;
    stored = code;
    emit separateCodeChanged(row, pair);
}

QString EventCodeTables::commonCode(int row) const
{
    if (!isValidRow(Table::Common, row))
        return {};
    return m_common[row - 1].codes[0];
}

void EventCodeTables::setCommonCode(int row, const QString &code)
{
    if (!isValidRow(Table::Common, row))
        return;
    QString &stored = m_common[row - 1].codes[0];
    if (stored == code)
        return;
    stored = code;
    emit commonCodeChanged(row);
}

QStringList EventCodeTables::zoneCodes(int row, int pair) const
{
    if (!isValidRow(Table::External, row) || !validPair(pair))
        return {};
    return m_external[row - 1].zones[pair - 1];
}

void EventCodeTables::setZoneCodes(int row, int pair, const QStringList &codes)
{
    if (!isValidRow(Table::External, row) || !validPair(pair) || codes.size() != ZoneCount)
        return;
    QStringList &stored = m_external[row - 1].zones[pair - 1];
    if (stored == codes)
        return;
    stored = codes;
    emit zoneCodesChanged(row, pair);
}

QString EventCodeTables::zoneCode(int row, int pair, int zone) const
{
    if (!isValidRow(Table::External, row) || !validPair(pair) || zone < 0 || zone >= ZoneCount)
        return {};
    return m_external[row - 1].zones[pair - 1][zone];
}

void EventCodeTables::setZoneCode(int row, int pair, int zone, const QString &code)
{
    if (!isValidRow(Table::External, row) || !validPair(pair) || zone < 0 || zone >= ZoneCount)
        return;
    QString &stored = m_external[row - 1].zones[pair - 1][zone];
    if (stored == code)
        return;
    stored = code;
    emit zoneCodesChanged(row, pair);
}

ZoneSummary EventCodeTables::summarize(const QStringList &codes)
{
    int count = 0;
    for (qsizetype zone = 1; zone < codes.size(); ++zone)
        if (codes[zone] != kNoCode)
            ++count;
    if (count == 0)
        return {codes.value(0), 0};
    const int last = count % 10;
    const QString ending = last == 1                                 ? QStringLiteral("а")
                           : (last == 0 || (last >= 2 && last <= 4)) ? QStringLiteral("ы")
                                                                     : QString();
    return {QString::number(count) + QStringLiteral(" зон") + ending, count};
}

ZoneSummary EventCodeTables::zoneSummary(int row, int pair) const
{
    return summarize(zoneCodes(row, pair));
}

bool EventCodeTables::mark(int row, Mark kind) const
{
    return isValidRow(Table::External, row) && m_external[row - 1].marks[int(kind)];
}

int EventCodeTables::markCount(Mark kind) const
{
    int count = 0;
    for (const External &event : m_external)
        count += event.marks[int(kind)] ? 1 : 0;
    return count;
}

bool EventCodeTables::markEnabled(int row, Mark kind) const
{
    return mark(row, kind) || markCount(kind) < MaxMarks;
}

bool EventCodeTables::setMark(int row, Mark kind, bool on)
{
    if (!isValidRow(Table::External, row))
        return false;
    bool &stored = m_external[row - 1].marks[int(kind)];
    if (stored == on)
        return true;
    if (on && markCount(kind) >= MaxMarks)
        return false;
    stored = on;
    emit marksChanged(kind);
    return true;
}

void EventCodeTables::clearMarks(Mark kind)
{
    bool changed = false;
    for (External &event : m_external) {
        changed = changed || event.marks[int(kind)];
        event.marks[int(kind)] = false;
    }
    if (changed)
        emit marksChanged(kind);
}

void EventCodeTables::copyFrom(const EventCodeTables &source)
{
    const auto sameRows = [](const auto &a, const auto &b) {
        if (a.size() != b.size())
            return false;
        for (qsizetype i = 0; i < a.size(); ++i) {
            const EventRow &x = a[i].event;
            const EventRow &y = b[i].event;
            if (x.displayNumber != y.displayNumber || x.name != y.name || x.number != y.number)
                return false;
        }
        return true;
    };
    const bool separateRows = sameRows(m_separate, source.m_separate);
    const bool commonRows = sameRows(m_common, source.m_common);
    const bool externalRows = sameRows(m_external, source.m_external);
    const QList<Internal> separate = std::exchange(m_separate, source.m_separate);
    const QList<Internal> common = std::exchange(m_common, source.m_common);
    const QList<External> external = std::exchange(m_external, source.m_external);

    if (!separateRows)
        emit rowsChanged(Table::Separate);
    if (!commonRows)
        emit rowsChanged(Table::Common);
    if (!externalRows)
        emit rowsChanged(Table::External);
    for (int r = 1; r <= rowCount(Table::Separate); ++r)
        for (int pair = 1; pair <= 2; ++pair)
            if (r > separate.size() || separate[r - 1].codes[pair - 1] != separateCode(r, pair))
                emit separateCodeChanged(r, pair);
    for (int r = 1; r <= rowCount(Table::Common); ++r)
        if (r > common.size() || common[r - 1].codes[0] != commonCode(r))
            emit commonCodeChanged(r);
    bool marks[2] = {!externalRows, !externalRows};
    for (int r = 1; r <= rowCount(Table::External); ++r) {
        const External *old = r <= external.size() ? &external[r - 1] : nullptr;
        for (int pair = 1; pair <= 2; ++pair)
            if (!old || old->zones[pair - 1] != m_external[r - 1].zones[pair - 1])
                emit zoneCodesChanged(r, pair);
        for (int kind = 0; kind < 2; ++kind)
            marks[kind] = marks[kind] || !old || old->marks[kind] != m_external[r - 1].marks[kind];
    }
    if (marks[int(Mark::HighPriority)])
        emit marksChanged(Mark::HighPriority);
    if (marks[int(Mark::Mandatory)])
        emit marksChanged(Mark::Mandatory);
}

QList<int> EventCodeTables::markedRows(Mark kind) const
{
    QList<int> rows;
    for (int r = 1; r <= rowCount(Table::External); ++r)
        if (mark(r, kind))
            rows.append(r);
    return rows;
}

} // namespace sr5n
