#pragma once

#include "events/EventLogDecoder.h"

#include <QStringList>

namespace sr5n {

class DeviceOperation;
class Notifier;
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

    // What a reading of one log came to.
    enum class LogReading {
        NotRead, // the status could not be read (or was not understood): nothing shown
        Partly,  // shown, but a piece failed or the user cancelled on the way
        Whole,   // every piece read and shown
    };
    // Reads one log over an opened operation into `view`, stepping the
    // operation's progress once a piece (PieceCount steps).
    LogReading ReadLog(DeviceOperation &operation, const EventLogArea &area, EventLogView &view);
    static int PieceCount(const EventLogArea &area);
    // Erases both logs in the communicator over the opened link. True when
    // it did; seven busy answers are reported.
    bool ClearDeviceLogs();

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
    // first piece that fails, keeping what came before. `whole` tells whether
    // every piece came.
    QString readPieces(DeviceOperation &operation, int first, int last, bool &whole);

    TConnection &m_connection;
    Notifier &m_notifier;
    const QStringList &m_internalNames;
    const QStringList &m_externalNames;
};

} // namespace sr5n
