#pragma once

#include "config/ConfigValues.h"
#include "events/EventCodeTables.h"

#include <QPointer>
#include <QWidget>

class QLabel;

namespace sr5n {

class TMultiGrid;
class TfrmExtEvZones;

// The page "Внешние коды" (TabSheet2): the panel's events (mgdExternalEvents)
// with the zone codes of each pair behind a dialog cell that shows their
// summary, and the high-priority ("В/П") and mandatory ("О/С") marks. The grid
// shows the event code tables and puts every change back into them.
class ExternalCodesPage final : public QWidget
{
    Q_OBJECT

public:
    explicit ExternalCodesPage(EventCodeTables &tables, QWidget *parent = nullptr);

    static QString caption() { return PageCaption(ConfigPage::ExternalCodes); }

    // Columns of the grid.
    static constexpr int FirstCodeColumn = 2; // pair 1; pair 2 is the next one
    static constexpr int HighPriorityColumn = 4;
    static constexpr int MandatoryColumn = 5;

    QLabel *lblTitle = nullptr;
    TMultiGrid *mgdExternalEvents = nullptr;

    // Makes `zones` the dialog of every code cell.
    void setZonesDialog(TfrmExtEvZones *zones);

    void mgdExternalEventsCheck(TMultiGrid *Sender, int ACol, int ARow, bool Checked);
    void mgdExternalEventsDialogShow(TMultiGrid *Sender, int ACol, int ARow, int DlgBtnTop,
                                     int DlgBtnLeft, int DlgBtnHeight, int DlgBtnWidth);
    void mgdExternalEventsDialogClose(TMultiGrid *Sender, int ACol, int ARow, int ModalResult);

private:
    using Mark = EventCodeTables::Mark;

    void showRows(bool setUp = false);
    void showZoneCodes(int row, int pair);
    void showMarks(Mark kind);
    // At most four ticks per mark column: the unticked cells are disabled
    // once four are ticked.
    void applyMarkLimit(int col);

    EventCodeTables &m_tables;
    QPointer<TfrmExtEvZones> m_zones;
    bool m_showingMarks = false;
};

} // namespace sr5n
