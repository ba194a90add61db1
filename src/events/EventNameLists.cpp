#include "events/EventNameLists.h"

#include "common/DataFile.h"
#include "common/Notifier.h"

#include <QDir>

#include <algorithm>
#include <climits>

namespace sr5n {

namespace {

const QString kCannotOpen = QStringLiteral("Невозможно открыть список событий");

// The smallest records a file entry can take: an empty text record is 8 bytes.
constexpr qint64 kMinRecordBytes = 8;
// A cut-off file still gets the rows it announces, but never more than this
// unless the file really holds them: a damaged count must not exhaust memory.
constexpr qint64 kRowsWithoutProof = 1000;

// The rows a table keeps for a file of `events` events. The device has
// exactly 8 separate internal events and 60 external ones, addressed by
// position; a list of another length names fewer or more of them, but the
// code rows stay, so no code read from the device is dropped and no code is
// shown that is never sent. The common table keeps at least its memory-fault row.
int rowsKept(EventCodeTables::Table table, int events)
{
    switch (table) {
    case EventCodeTables::Table::Separate:
        return EventCodeTables::DefaultSeparateRows;
    case EventCodeTables::Table::External:
        return EventCodeTables::ExternalEventCount;
    case EventCodeTables::Table::Common:
        break;
    }
    return std::max(events, int(EventCodeTables::DefaultCommonRows));
}

bool failed(Notifier &notifier)
{
    notifier.reportFailure(kCannotOpen);
    return false;
}

} // namespace

bool LoadEventTable(const QString &path, EventCodeTables &tables, EventCodeTables::Table table,
                    int offset, Notifier &notifier)
{
    DataFileReader reader(FileTypes::EventTable);
    if (!reader.open(path))
        return failed(notifier);
    const std::optional<qint64> count = reader.readCount();
    if (!count ||
        (*count > kRowsWithoutProof && *count > reader.bytesLeft() / (2 * kMinRecordBytes)))
        return failed(notifier);
    const int events = static_cast<int>(*count);
    tables.setRowCount(table, rowsKept(table, events));
    // Every entry is read, so a damaged file is refused whatever its length;
    // names beyond the kept rows are dropped.
    for (int row = 1; row <= events; ++row) {
        const bool kept = row <= tables.rowCount(table);
        EventRow event;
        const std::optional<qint64> number = reader.readNumber();
        if (!number || *number < INT_MIN || *number > INT_MAX)
            return failed(notifier);
        event.number = static_cast<int>(*number);
        if (kept)
            tables.setRow(table, row, event);
        const std::optional<QString> name = reader.readText();
        if (!name)
            return failed(notifier);
        event.name = *name;
        event.displayNumber = QString::number(offset + row);
        if (kept)
            tables.setRow(table, row, event);
    }
    return true;
}

bool LoadLogEventList(const QString &path, QStringList &list, Notifier &notifier)
{
    list.clear();
    DataFileReader reader(FileTypes::LogEventList);
    if (!reader.open(path))
        return failed(notifier);
    const std::optional<qint64> count = reader.readCount();
    if (!count)
        return failed(notifier);
    for (qint64 i = 0; i < *count; ++i) {
        const std::optional<QString> name = reader.readText();
        if (!name)
            return failed(notifier);
        list.append(*name);
    }
    return true;
}

void SetUpEventTables(const QString &folder, EventCodeTables &tables, Notifier &notifier)
{
    const QDir dir(folder);
    using Table = EventCodeTables::Table;
    LoadEventTable(dir.filePath(QStringLiteral("sintevs.bin")), tables, Table::Separate, 0,
                   notifier);
    LoadEventTable(dir.filePath(QStringLiteral("cintevs.bin")), tables, Table::Common, 8, notifier);
    tables.applyFixedEventNumbers();
    LoadEventTable(dir.filePath(QStringLiteral("extevs.bin")), tables, Table::External, 0,
                   notifier);
}

} // namespace sr5n
