#pragma once

#include "events/EventCodeTables.h"

#include <QString>
#include <QStringList>

namespace sr5n {

class Notifier;

// Loads an event table file into one of the code tables: the row count, each
// row's event number and name, and "№" = offset + row. The separate and the
// external table keep their 8 and 60 rows whatever the file holds (extra names
// are dropped, missing ones left empty); the common table takes the file's
// count, at least 1. A failure is reported with "Невозможно открыть список
// событий"; what was filled before it stays.
bool LoadEventTable(const QString &path, EventCodeTables &tables, EventCodeTables::Table table,
                    int offset, Notifier &notifier);

// Loads a log event list file: the names in file order. A failure is
// reported like LoadEventTable's; the names read so far stay in the list.
bool LoadLogEventList(const QString &path, QStringList &list, Notifier &notifier);

// The start-up set-up of the three code tables from the files in `folder`:
// loading, then the fixed event numbers and the memory-fault code "1304".
void SetUpEventTables(const QString &folder, EventCodeTables &tables, Notifier &notifier);

} // namespace sr5n
