#pragma once

#include "events/EventLogDecoder.h"

#include <QList>
#include <QString>

#include <optional>

namespace sr5n {

// One log as read: its area and its rows.
struct ReadEventLog {
    EventLogArea area;
    DecodedEventLog log;
};

// How `logs` prints the event logs.
enum class LogFormat { Text, Csv, Json };

// "text", "csv" or "json"; nothing for another word.
std::optional<LogFormat> ParseLogFormat(const QString &word);

// The logs in `format`, each under its title, with the columns of the log table:
// text as aligned columns, CSV (RFC 4180, a first column with the log's
// title), JSON as an array of {"title", "complete", "rows"}.
QString FormatEventLogs(const QList<ReadEventLog> &logs, LogFormat format);

} // namespace sr5n
