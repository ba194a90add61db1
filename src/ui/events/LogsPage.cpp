#include "ui/events/LogsPage.h"

#include "components/Icons.h"
#include "components/TMultiGrid.h"
#include "events/EventLogDecoder.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>

namespace sr5n {

namespace {

constexpr int ColumnCount = 5;
constexpr int PairColumns[] = {3, 4};
constexpr int ColumnWidths[ColumnCount] = {32, 473, 60, 60, 60};
constexpr int HeaderHeight = 51;
constexpr int RowHeight = 24;
constexpr int LegendHeight = 24;

} // namespace

LogsPage::LogsPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("tshLogs"));

    tbcLogs = new QTabBar(this);
    tbcLogs->setObjectName(QStringLiteral("tbcLogs"));
    tbcLogs->setDrawBase(true);
    tbcLogs->setExpanding(false);
    tbcLogs->addTab(EventLogTitle(EventLogArea::highPriority()));
    tbcLogs->addTab(EventLogTitle(EventLogArea::lowPriority()));

    mgdLog = new TMultiGrid(this);
    mgdLog->setObjectName(QStringLiteral("mgdLog"));
    mgdLog->setAccessibleName(QStringLiteral("Записи журнала событий"));
    // The columns fit the page; long logs scroll vertically only.
    mgdLog->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    // Over the header cells of the two pair columns, above their texts.
    pnlLogLabel = new QLabel(QStringLiteral("Передано:"), mgdLog);
    pnlLogLabel->setObjectName(QStringLiteral("pnlLogLabel"));
    pnlLogLabel->setAlignment(Qt::AlignCenter);
    pnlLogLabel->setAutoFillBackground(true);
    QPalette legend = pnlLogLabel->palette();
    legend.setColor(QPalette::Window, mgdLog->FixedColor());
    pnlLogLabel->setPalette(legend);

    btnReadLog = new QPushButton(Icons::log(), QStringLiteral("Прочитать журнал"), this);
    btnReadLog->setObjectName(QStringLiteral("btnReadLog"));
    btnReadLog->setToolTip(QStringLiteral("Прочитать журнал событий"));
    btnReadLog->setIconSize(QSize(24, 24));
    btnReadLog->setMinimumHeight(30);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnReadLog);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(0);
    layout->addWidget(tbcLogs);
    layout->addWidget(mgdLog, 1);
    layout->addSpacing(8);
    layout->addLayout(buttons);

    setUpLogTable();
    ClearLogTable();
    connect(tbcLogs, &QTabBar::currentChanged, this, [this] { ClearLogTable(); });
}

void LogsPage::setUpLogTable()
{
    mgdLog->SetColCount(ColumnCount);
    mgdLog->SetRowCount(2);
    mgdLog->SetFixedCols(0);
    mgdLog->SetFixedRows(1);
    mgdLog->SetRangeSelect(false);
    mgdLog->SetHideSelection(true);
    mgdLog->SetHideFocus(true);
    mgdLog->SetAlignmentH(mahCenter);
    mgdLog->SetAlignmentV(mavCenter);
    mgdLog->SetIndentH(24);
    mgdLog->SetIndentV(2);
    mgdLog->SetDefaultRowHeight(RowHeight);
    for (int c = 0; c < ColumnCount; ++c)
        mgdLog->SetColWidths(c, ColumnWidths[c]);
    mgdLog->SetRowHeights(0, HeaderHeight);

    const QStringList headers = EventLogColumnHeaders();
    for (int c = 0; c < ColumnCount; ++c)
        mgdLog->Cells(c, 0)->SetText(headers[c]);
    for (int c : PairColumns) {
        mgdLog->Cells(c, 0)->SetAlignmentV(mavBottom);
        mgdLog->Cells(c, 0)->SetIndentV(7);
    }
    mgdLog->SetReadOnly(true);
    placeLegend();
}

void LogsPage::placeLegend()
{
    // The pair columns are never scrolled away: the table has no horizontal
    // scrolling. The header row starts at the top left of the grid's contents.
    const QPoint origin = mgdLog->contentsRect().topLeft();
    int x = origin.x();
    for (int c = 0; c < PairColumns[0]; ++c)
        x += mgdLog->ColWidths(c) + mgdLog->GridLineWidth();
    const int width = mgdLog->ColWidths(PairColumns[0]) + mgdLog->GridLineWidth() +
                      mgdLog->ColWidths(PairColumns[1]);
    pnlLogLabel->setGeometry(x, origin.y(), width, LegendHeight);
    pnlLogLabel->raise();
}

void LogsPage::ClearLogTable()
{
    mgdLog->SetRowCount(2);
    const QColor window = palette().color(QPalette::Active, QPalette::Base);
    for (int c = 0; c < ColumnCount; ++c) {
        TMultiCell *cell = mgdLog->Cells(c, 1);
        cell->SetText(QString());
        cell->SetCellType(mctText);
        cell->SetBackColor(window);
    }
}

void LogsPage::setTableVisible(bool visible)
{
    mgdLog->setVisible(visible);
    pnlLogLabel->setVisible(visible);
}

void LogsPage::showLog(const DecodedEventLog &log)
{
    const int count = int(log.rows.size());
    if (count == 0)
        return;
    // A walk that ended early leaves the empty row that follows its rows.
    mgdLog->SetRowCount(1 + count + (log.complete ? 0 : 1));
    for (int r = 0; r < count; ++r) {
        const EventLogRow &record = log.rows[r];
        const int row = r + 1;
        const QColor pair1 = record.sentToPair1 ? sentColor() : notSentColor();
        const QColor pair2 = record.sentToPair2 ? sentColor() : notSentColor();
        const QColor rest = record.sentToPair1 != record.sentToPair2 ? partlySentColor() : pair1;
        mgdLog->Cells(0, row)->SetText(record.number > 0 ? QString::number(record.number)
                                                         : QString());
        mgdLog->Cells(1, row)->SetText(record.name);
        mgdLog->Cells(2, row)->SetText(record.zone);
        for (int c = 0; c < 3; ++c)
            mgdLog->Cells(c, row)->SetBackColor(rest);
        const bool sent[] = {record.sentToPair1, record.sentToPair2};
        const QColor colors[] = {pair1, pair2};
        for (int i = 0; i < 2; ++i) {
            TMultiCell *cell = mgdLog->Cells(PairColumns[i], row);
            cell->SetCellType(mctCheck);
            cell->SetText(QString());
            cell->SetChecked(sent[i]);
            cell->SetBackColor(colors[i]);
        }
    }
    mgdLog->HideControls();
}

EventLogArea LogsPage::activeArea() const
{
    return tbcLogs->currentIndex() == LowPriorityTab ? EventLogArea::lowPriority()
                                                     : EventLogArea::highPriority();
}

void LogsPage::beginReading()
{
    setTableVisible(false);
    ClearLogTable();
}

void LogsPage::endReading()
{
    // Rows added while filling are editable until the table is read-only again.
    mgdLog->SetReadOnly(true);
    setTableVisible(true);
}

} // namespace sr5n
