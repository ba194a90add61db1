#pragma once

#include "events/EventLogs.h"

#include <QColor>
#include <QWidget>

class QLabel;
class QPushButton;
class QTabBar;

namespace sr5n {

class TMultiGrid;

// The page "Журналы событий": the two log tabs over the log table, the
// "Передано:" legend above the two pair columns and "Прочитать журнал".
// It shows a decoded log; reading it from the device is EventLogs' job.
class LogsPage final : public QWidget, public EventLogView
{
    Q_OBJECT

public:
    enum LogTab { HighPriorityTab = 0, LowPriorityTab = 1 };

    explicit LogsPage(QWidget *parent = nullptr);

    QTabBar *tbcLogs = nullptr;
    TMultiGrid *mgdLog = nullptr;
    QLabel *pnlLogLabel = nullptr;
    QPushButton *btnReadLog = nullptr;

    // The table emptied: the header row and one empty row.
    void ClearLogTable();
    // Hides or shows the table with its legend (hidden while a log is read).
    void setTableVisible(bool visible);
    // Fills the record rows, newest first. A log whose walk ended early keeps
    // the empty row after its rows, which stay unnumbered.
    void showLog(const DecodedEventLog &log) override;
    // The log of the active tab.
    EventLogArea activeArea() const;

    // While a log is read: the table and legend hidden and emptied, then
    // shown again read-only.
    void beginReading() override;
    void endReading() override;

    // Row colours of the record rows.
    static QColor sentColor() { return QColor(210, 255, 210); }
    static QColor notSentColor() { return QColor(255, 150, 150); }
    static QColor partlySentColor() { return QColor(255, 255, 150); }

private:
    void setUpLogTable();
    void placeLegend();
};

} // namespace sr5n
