#include "ui/events/ExternalCodesPage.h"

#include "components/TMultiCell.h"
#include "components/TMultiGrid.h"
#include "ui/events/CodeCells.h"
#include "ui/events/TfrmExtEvZones.h"

#include <QDialog>
#include <QLabel>
#include <QVBoxLayout>

namespace sr5n {

namespace {

constexpr int kMarkIndent = 14;

} // namespace

ExternalCodesPage::ExternalCodesPage(EventCodeTables &tables, QWidget *parent)
    : QWidget(parent), m_tables(tables)
{
    setObjectName(QStringLiteral("TabSheet2"));

    lblTitle = new QLabel(EventCodeTables::externalTitle(), this);
    lblTitle->setObjectName(QStringLiteral("lblExternalCodesTitle"));
    QFont bold = lblTitle->font();
    bold.setBold(true);
    lblTitle->setFont(bold);

    mgdExternalEvents = new TMultiGrid(this);
    mgdExternalEvents->setObjectName(QStringLiteral("mgdExternalEvents"));
    mgdExternalEvents->setAccessibleName(EventCodeTables::externalTitle());
    SetUpCodeGrid(*mgdExternalEvents, 2, {25, 379, 100, 100, 40, 40},
                  EventCodeTables::columnHeaders(EventCodeTables::Table::External));
    mgdExternalEvents->SetRangeSelect(false);
    mgdExternalEvents->SetHideSelection(true);
    mgdExternalEvents->SetHideFocus(true);
    mgdExternalEvents->OnCheck = [this](TMultiGrid *sender, int col, int row, bool checked) {
        mgdExternalEventsCheck(sender, col, row, checked);
    };
    mgdExternalEvents->OnDialogShow = [this](TMultiGrid *sender, int col, int row, int top,
                                             int left, int height, int width) {
        mgdExternalEventsDialogShow(sender, col, row, top, left, height, width);
    };
    mgdExternalEvents->OnDialogClose = [this](TMultiGrid *sender, int col, int row, int result) {
        mgdExternalEventsDialogClose(sender, col, row, result);
    };

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 6, 8, 6);
    layout->setSpacing(6);
    layout->addWidget(lblTitle);
    layout->addWidget(mgdExternalEvents, 1, Qt::AlignLeft);

    connect(&m_tables, &EventCodeTables::rowsChanged, this, [this](EventCodeTables::Table table) {
        if (table == EventCodeTables::Table::External)
            showRows();
    });
    connect(&m_tables, &EventCodeTables::zoneCodesChanged, this, &ExternalCodesPage::showZoneCodes);
    connect(&m_tables, &EventCodeTables::marksChanged, this, &ExternalCodesPage::showMarks);
    showRows(true);
}

void ExternalCodesPage::setZonesDialog(TfrmExtEvZones *zones)
{
    m_zones = zones;
    for (int r = 1; r < mgdExternalEvents->RowCount(); ++r)
        for (int pair = 1; pair <= 2; ++pair)
            mgdExternalEvents->Cells(FirstCodeColumn + pair - 1, r)->SetDlgForm(zones);
}

void ExternalCodesPage::showRows(bool setUp)
{
    TMultiGrid *grid = mgdExternalEvents;
    const int rows = m_tables.rowCount(EventCodeTables::Table::External);
    const bool resized = setUp || grid->RowCount() != rows + 1;
    if (resized) {
        grid->SetRowCount(rows + 1);
        FitGridToRows(*grid, -1);
    }
    for (int r = 1; r <= rows; ++r) {
        const EventRow event = m_tables.row(EventCodeTables::Table::External, r);
        SetCellText(*grid->Cells(0, r), event.displayNumber);
        SetCellText(*grid->Cells(1, r), event.name);
        SetCellTag(*grid->Cells(1, r), event.number);
        if (!resized)
            continue;
        for (int pair = 1; pair <= 2; ++pair) {
            TMultiCell *cell = grid->Cells(FirstCodeColumn + pair - 1, r);
            cell->SetCellType(mctDialog);
            cell->SetDlgForm(m_zones);
            showZoneCodes(r, pair);
        }
        for (int col : {HighPriorityColumn, MandatoryColumn}) {
            TMultiCell *cell = grid->Cells(col, r);
            cell->SetCellType(mctCheck);
            cell->SetIndentH(kMarkIndent);
        }
    }
    if (resized) {
        showMarks(Mark::HighPriority);
        showMarks(Mark::Mandatory);
        grid->HideControls();
    }
}

void ExternalCodesPage::showZoneCodes(int row, int pair)
{
    TMultiCell *cell = mgdExternalEvents->Cells(FirstCodeColumn + pair - 1, row);
    if (!cell)
        return;
    const QStringList codes = m_tables.zoneCodes(row, pair);
    if (cell->Items() != codes)
        cell->SetItems(codes);
    ShowZoneSummary(*cell);
}

void ExternalCodesPage::showMarks(Mark kind)
{
    const int col = kind == Mark::HighPriority ? HighPriorityColumn : MandatoryColumn;
    m_showingMarks = true;
    for (int r = 1; r < mgdExternalEvents->RowCount(); ++r) {
        TMultiCell *cell = mgdExternalEvents->Cells(col, r);
        const bool marked = m_tables.mark(r, kind);
        if (cell->Checked() != marked)
            cell->SetChecked(marked);
    }
    m_showingMarks = false;
    applyMarkLimit(col);
}

void ExternalCodesPage::applyMarkLimit(int col)
{
    int ticked = 0;
    for (int r = 1; r < mgdExternalEvents->RowCount(); ++r)
        ticked += mgdExternalEvents->Cells(col, r)->Checked() ? 1 : 0;
    for (int r = 1; r < mgdExternalEvents->RowCount(); ++r) {
        TMultiCell *cell = mgdExternalEvents->Cells(col, r);
        const bool enabled = cell->Checked() || ticked < EventCodeTables::MaxMarks;
        if (cell->Enabled() != enabled)
            cell->SetEnabled(enabled);
    }
}

void ExternalCodesPage::mgdExternalEventsCheck(TMultiGrid *Sender, int ACol, int ARow, bool Checked)
{
    if (ACol != HighPriorityColumn && ACol != MandatoryColumn)
        return;
    if (!m_showingMarks) {
        const Mark kind = ACol == HighPriorityColumn ? Mark::HighPriority : Mark::Mandatory;
        // A fifth mark cannot be stored: the tick goes again.
        if (!m_tables.setMark(ARow, kind, Checked)) {
            if (TMultiCell *cell = Sender->Cells(ACol, ARow))
                cell->SetChecked(false);
            return;
        }
    }
    applyMarkLimit(ACol);
}

void ExternalCodesPage::mgdExternalEventsDialogShow(TMultiGrid *Sender, int ACol, int ARow, int,
                                                    int, int, int)
{
    const TMultiCell *cell = Sender->Cells(ACol, ARow);
    if (cell && m_zones)
        m_zones->setZoneCodes(cell->Items());
}

void ExternalCodesPage::mgdExternalEventsDialogClose(TMultiGrid *Sender, int ACol, int ARow,
                                                     int ModalResult)
{
    TMultiCell *cell = Sender->Cells(ACol, ARow);
    if (!cell || !m_zones || ModalResult != QDialog::Accepted)
        return;
    cell->SetItems(m_zones->zoneCodes());
    ShowZoneSummary(*cell);
    const int pair = ACol - FirstCodeColumn + 1;
    if (pair == 1 || pair == 2)
        m_tables.setZoneCodes(ARow, pair, cell->Items());
}

} // namespace sr5n
