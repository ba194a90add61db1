#pragma once

#include "config/ConfigValues.h"
#include "events/EventCodeTables.h"

#include <QString>
#include <QWidget>

class QLabel;

namespace sr5n {

class Notifier;
class TMultiGrid;

// The page "Внутренние коды" (tshEventsCodes): the communicator's own events
// with a code per pair (mgdSeparateInternalEvents) and with one common code
// (mgdCommonInternalEvents). The grids show the event code tables and put
// every checked edit back into them.
class InternalCodesPage final : public QWidget
{
    Q_OBJECT

public:
    InternalCodesPage(EventCodeTables &tables, Notifier &notifier, QWidget *parent = nullptr);

    static QString caption() { return PageCaption(ConfigPage::InternalCodes); }

    QLabel *lblTitle = nullptr;
    TMultiGrid *mgdSeparateInternalEvents = nullptr;
    TMultiGrid *mgdCommonInternalEvents = nullptr;
    QLabel *lblNote = nullptr;

    // The text of the code cell being edited, as it was when the edit began.
    QString PreviousCellText;

    // Handlers of both grids (key filter, start of an edit) and of each (apply).
    void mgdSeparateInternalEventsKeyPress(TMultiGrid *Sender, QChar &Key);
    void mgdSeparateInternalEventsEditorEnter(TMultiGrid *Sender, int ACol, int ARow, QString Text);
    void mgdSeparateInternalEventsEditorApply(TMultiGrid *Sender, int ACol, int ARow, QString Text);
    void mgdCommonInternalEventsEditorApply(TMultiGrid *Sender, int ACol, int ARow, QString Text);

private:
    using Table = EventCodeTables::Table;

    // Rows, names and numbers; `setUp` also (re)makes the code cells.
    void showRows(Table table, bool setUp = false);
    void showSeparateCode(int row, int pair);
    void showCommonCode(int row);

    EventCodeTables &m_tables;
    Notifier &m_notifier;
};

} // namespace sr5n
