#pragma once

#include "events/EventLogDecoder.h"

#include <QStringList>

namespace sr5n {

class DeviceOperation;
class Notifier;
class OperationProgress;
class TConnection;

// Where a log being read is shown: hidden and emptied before the reading,
// filled with the decoded records, shown again at the end.
class EventLogView
{
public:
    virtual ~EventLogView() = default;
    virtual void beginReading() = 0;
    virtual void showLog(const DecodedEventLog &log) = 0;
    virtual void endReading() = 0;
};

// The device operations of the event logs: reading one log, and erasing
// both logs in the communicator.
class EventLogs
{
public:
    // The name lists must outlive this object.
    EventLogs(TConnection &connection, Notifier &notifier, const QStringList &internalNames,
              const QStringList &externalNames);

    // Reads one log from the port named `portName` into `view`, showing its
    // progress in `progress` (may be null). True when the status was read and
    // the records were decoded, also when a piece failed on the way; false
    // when it ended at a failure before that.
    bool ReadLog(const QString &portName, const EventLogArea &area, EventLogView &view,
                 OperationProgress *progress);
    // Asks, then erases both logs in the communicator. True when it did.
    bool ClearDeviceLogs(const QString &portName, OperationProgress *progress);

    static QString clearQuestion()
    {
        return QStringLiteral("Очистить журналы событий коммуникатора?");
    }
    static QString clearedNotice()
    {
        return QStringLiteral("Журналы событий коммуникатора очищены");
    }

private:
    // The log memory from `first` to `last`, piece by piece; stops at the
    // first piece that fails, keeping what came before.
    QString readPieces(DeviceOperation &operation, int first, int last);

    TConnection &m_connection;
    Notifier &m_notifier;
    const QStringList &m_internalNames;
    const QStringList &m_externalNames;
};

} // namespace sr5n
