#include "events/EventNameLists.h"

#include "config/DataFile.h"
#include "ui/Notifier.h"

#include <QDir>

namespace sr5n {

namespace {

const QString kCannotOpen = QStringLiteral("Невозможно открыть список событий");

// The smallest records a file entry can take: an empty text record is 8 bytes.
constexpr qint64 kMinRecordBytes = 8;
// A cut-off file still gets the rows it announces, but never more than this
// unless the file really holds them: a damaged count must not exhaust memory.
constexpr qint64 kRowsWithoutProof = 1000;

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
    if (!count
        || (*count > kRowsWithoutProof && *count > reader.bytesLeft() / (2 * kMinRecordBytes)))
        return failed(notifier);
    const int rows = static_cast<int>(*count);
    tables.setRowCount(table, rows);
    for (int row = 1; row <= rows; ++row) {
        EventRow event;
        const std::optional<qint64> number = reader.readNumber();
        if (!number || *number < INT_MIN || *number > INT_MAX)
            return failed(notifier);
        event.number = static_cast<int>(*number);
        tables.setRow(table, row, event);
        const std::optional<QString> name = reader.readText();
        if (!name)
            return failed(notifier);
        event.name = *name;
        event.displayNumber = QString::number(offset + row);
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
    LoadEventTable(dir.filePath(QStringLiteral("sintevs.bin")), tables, Table::Separate, 0, notifier);
    LoadEventTable(dir.filePath(QStringLiteral("cintevs.bin")), tables, Table::Common, 8, notifier);
    tables.applyFixedEventNumbers();
    LoadEventTable(dir.filePath(QStringLiteral("extevs.bin")), tables, Table::External, 0, notifier);
}

} // namespace sr5n
