#include "ui/events/InternalCodesPage.h"

#include "common/Notifier.h"
#include "components/TMultiCell.h"
#include "components/TMultiGrid.h"
#include "events/CodeRules.h"
#include "ui/events/CodeCells.h"

#include <QLabel>
#include <QVBoxLayout>

#include <algorithm>

namespace sr5n {

namespace {

// The header and three common events in view: the page keeps to the height
// of the main window's page area also when the list names more of them.
constexpr int kCommonVisibleRows = 4;

} // namespace

InternalCodesPage::InternalCodesPage(EventCodeTables &tables, Notifier &notifier, QWidget *parent)
    : QWidget(parent), m_tables(tables), m_notifier(notifier)
{
    setObjectName(QStringLiteral("tshEventsCodes"));

    lblTitle = new QLabel(EventCodeTables::internalTitle(), this);
    lblTitle->setObjectName(QStringLiteral("lblEventsCodesTitle"));
    QFont bold = lblTitle->font();
    bold.setBold(true);
    lblTitle->setFont(bold);

    mgdSeparateInternalEvents = new TMultiGrid(this);
    mgdSeparateInternalEvents->setObjectName(QStringLiteral("mgdSeparateInternalEvents"));
    mgdSeparateInternalEvents->setAccessibleName(
        QStringLiteral("Внутренние события с отдельным кодом для каждой пары"));
    SetUpCodeGrid(*mgdSeparateInternalEvents, 2, {25, 460, 100, 100},
                  EventCodeTables::columnHeaders(EventCodeTables::Table::Separate));
    mgdCommonInternalEvents = new TMultiGrid(this);
    mgdCommonInternalEvents->setObjectName(QStringLiteral("mgdCommonInternalEvents"));
    mgdCommonInternalEvents->setAccessibleName(
        QStringLiteral("Внутренние события с общим кодом для обеих пар"));
    SetUpCodeGrid(*mgdCommonInternalEvents, 2, {25, 460, 200},
                  EventCodeTables::columnHeaders(EventCodeTables::Table::Common));
    for (TMultiGrid *grid : {mgdSeparateInternalEvents, mgdCommonInternalEvents}) {
        grid->SetRangeSelect(false);
        grid->SetHideSelection(true);
        grid->SetHideFocus(true);
        grid->OnKeyPress = [this](TMultiGrid *sender, QChar &key) {
            mgdSeparateInternalEventsKeyPress(sender, key);
        };
        grid->OnEditorEnter = [this](TMultiGrid *sender, int col, int row, QString text) {
            mgdSeparateInternalEventsEditorEnter(sender, col, row, text);
        };
    }
    mgdSeparateInternalEvents->OnEditorApply = [this](TMultiGrid *sender, int col, int row,
                                                      QString text) {
        mgdSeparateInternalEventsEditorApply(sender, col, row, text);
    };
    mgdCommonInternalEvents->OnEditorApply = [this](TMultiGrid *sender, int col, int row,
                                                    QString text) {
        mgdCommonInternalEventsEditorApply(sender, col, row, text);
    };

    lblNote = new QLabel(
        QStringLiteral("Внутренние коды событий коммуникатора всегда имеют высокий приоритет"),
        this);
    lblNote->setObjectName(QStringLiteral("lblEventsCodesNote"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 6, 8, 6);
    layout->setSpacing(6);
    layout->addWidget(lblTitle);
    layout->addWidget(mgdSeparateInternalEvents, 0, Qt::AlignLeft);
    layout->addWidget(mgdCommonInternalEvents, 0, Qt::AlignLeft);
    layout->addWidget(lblNote);
    layout->addStretch(1);

    connect(&m_tables, &EventCodeTables::rowsChanged, this, [this](Table table) {
        if (table != Table::External)
            showRows(table);
    });
    connect(&m_tables, &EventCodeTables::separateCodeChanged, this,
            &InternalCodesPage::showSeparateCode);
    connect(&m_tables, &EventCodeTables::commonCodeChanged, this,
            &InternalCodesPage::showCommonCode);
    showRows(Table::Separate, true);
    showRows(Table::Common, true);
}

void InternalCodesPage::showRows(Table table, bool setUp)
{
    const bool separate = table == Table::Separate;
    TMultiGrid *grid = separate ? mgdSeparateInternalEvents : mgdCommonInternalEvents;
    const int rows = m_tables.rowCount(table);
    const bool resized = setUp || grid->RowCount() != rows + 1;
    if (resized) {
        grid->SetRowCount(rows + 1);
        FitGridToRows(*grid, separate ? rows + 1 : std::min(rows + 1, kCommonVisibleRows));
    }
    for (int r = 1; r <= rows; ++r) {
        const EventRow event = m_tables.row(table, r);
        SetCellText(*grid->Cells(0, r), event.displayNumber);
        SetCellText(*grid->Cells(1, r), event.name);
        SetCellTag(*grid->Cells(1, r), event.number);
        if (!resized)
            continue;
        if (separate) {
            for (int pair = 1; pair <= 2; ++pair) {
                MakeCodeCell(*grid->Cells(pair + 1, r));
                showSeparateCode(r, pair);
            }
        } else {
            MakeCodeCell(*grid->Cells(2, r));
            showCommonCode(r);
        }
    }
    if (resized)
        grid->HideControls();
}

void InternalCodesPage::showSeparateCode(int row, int pair)
{
    if (TMultiCell *cell = mgdSeparateInternalEvents->Cells(pair + 1, row))
        SetCellText(*cell, m_tables.separateCode(row, pair));
}

void InternalCodesPage::showCommonCode(int row)
{
    if (TMultiCell *cell = mgdCommonInternalEvents->Cells(2, row))
        SetCellText(*cell, m_tables.commonCode(row));
}

void InternalCodesPage::mgdSeparateInternalEventsKeyPress(TMultiGrid *, QChar &Key)
{
    FilterCodeKey(Key);
}

void InternalCodesPage::mgdSeparateInternalEventsEditorEnter(TMultiGrid *, int, int, QString Text)
{
    PreviousCellText = Text;
}

void InternalCodesPage::mgdSeparateInternalEventsEditorApply(TMultiGrid *Sender, int ACol, int ARow,
                                                             QString)
{
    TMultiCell *cell = Sender->Cells(ACol, ARow);
    if (!cell || ACol < 2)
        return;
    ValidateCodeCell(*cell, CodeCellCharacters(), PreviousCellText, m_notifier);
    m_tables.setSeparateCode(ARow, ACol - 1, cell->Text());
}

void InternalCodesPage::mgdCommonInternalEventsEditorApply(TMultiGrid *Sender, int ACol, int ARow,
                                                           QString)
{
    TMultiCell *cell = Sender->Cells(ACol, ARow);
    if (!cell || ACol != 2)
        return;
    ValidateCodeCell(*cell, CodeCellCharacters(), PreviousCellText, m_notifier);
    if (ARow == EventCodeTables::MemoryFaultRow && IsZeroCode(cell->Text())) {
        m_notifier.showError(MemoryFaultZeroMessage());
        SetCellText(*cell, PreviousCellText);
    }
    m_tables.setCommonCode(ARow, cell->Text());
}

} // namespace sr5n
