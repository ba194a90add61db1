#pragma once

#include "events/EventLogDecoder.h"

#include <QStringList>

#include <functional>

namespace sr5n {

class LogsPage;
class Notifier;
class TConnection;
class TfrmProgress;

// The device operations of the event logs: reading one log into the log
// page, and erasing both logs in the communicator (Alt+F12). Each runs
// under the progress window and opens the port named by the port selector.
class EventLogs
{
public:
    // The name lists belong to the main window and must outlive this object.
    EventLogs(LogsPage &page, TConnection &connection, Notifier &notifier,
              const QStringList &internalNames, const QStringList &externalNames,
              std::function<QString()> portName);

    void setProgressWindow(TfrmProgress *progress) { m_progress = progress; }

    // "Прочитать журнал": the log of the active tab.
    void btnReadLogClick();
    // True when the status was read and the records were decoded, also when a
    // piece failed on the way; false when it ended at a failure before that.
    bool ReadLog(int first, int last, int statusOffset);
    bool ReadLog(const EventLogArea &area)
    {
        return ReadLog(area.first, area.last, area.statusOffset);
    }
    // Asks, then erases both logs in the communicator. True when it did.
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
    // first piece that fails, keeping what came before.
    QString readPieces(int first, int last);
    void showProgress(int mode, int maximum);
    void step();
    void closeProgress();

    LogsPage &m_page;
    TConnection &m_connection;
    Notifier &m_notifier;
    const QStringList &m_internalNames;
    const QStringList &m_externalNames;
    std::function<QString()> m_portName;
    TfrmProgress *m_progress = nullptr;
};

} // namespace sr5n
