#include "ui/events/CodeCells.h"

#include "common/FieldRules.h"
#include "common/Notifier.h"
#include "components/TMultiCell.h"
#include "components/TMultiGrid.h"
#include "events/CodeRules.h"
#include "events/EventCodeTables.h"

#include <QLineEdit>
#include <QStyle>

#include <algorithm>

namespace sr5n {

void ValidateCodeCell(TMultiCell &cell, QStringView allowed, const QString &previous,
                      Notifier &notifier)
{
    const int length = cell.MaxLength() > 0 ? cell.MaxLength() : CodeLength;
    const CheckedCode checked = CheckCodeText(cell.Text(), allowed, previous, length);
    if (checked.refused)
        notifier.showError(InvalidCharactersMessage());
    SetCellText(cell, checked.text);
}

void ShowZoneSummary(TMultiCell &cell)
{
    const ZoneSummary summary = EventCodeTables::summarize(cell.Items());
    SetCellTag(cell, summary.tag);
    SetCellText(cell, summary.text);
}

void SetCellText(TMultiCell &cell, const QString &text)
{
    if (cell.Text() != text)
        cell.SetText(text);
}

void SetCellTag(TMultiCell &cell, int tag)
{
    if (cell.Tag() != tag)
        cell.SetTag(tag);
}

void MakeCodeCell(TMultiCell &cell)
{
    cell.SetCellType(mctText);
    cell.SetMaxLength(CodeLength);
    cell.SetCharCase(ecUpperCase);
}

void SetUpCodeGrid(TMultiGrid &grid, int fixedCols, const QList<int> &widths,
                   const QStringList &headers)
{
    grid.SetColCount(int(widths.size()));
    grid.SetFixedCols(fixedCols);
    grid.SetFixedRows(1);
    for (int c = 0; c < widths.size(); ++c)
        grid.SetColWidths(c, widths[c]);
    grid.SetAlignmentH(mahCenter);
    grid.SetAlignmentV(mavCenter);
    grid.SetIndentH(2);
    grid.SetIndentV(2);
    for (int c = 0; c < headers.size() && c < grid.ColCount(); ++c)
        grid.Cells(c, 0)->SetText(headers[c]);
    // The codes are edited where they are shown, in the middle of the cell.
    grid.textEditor()->setAlignment(Qt::AlignCenter);
}

void FitGridToRows(TMultiGrid &grid, int visibleRows)
{
    const int line = grid.GridLineWidth();
    const bool scrolls = visibleRows < 0 || visibleRows < grid.RowCount();
    int width = 2 * grid.frameWidth();
    for (int c = 0; c < grid.ColCount(); ++c)
        width += grid.ColWidths(c) + line;
    if (scrolls)
        width += grid.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &grid);
    grid.setVerticalScrollBarPolicy(scrolls ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    grid.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    if (visibleRows < 0) {
        grid.setFixedWidth(width);
        return;
    }
    int height = 2 * grid.frameWidth();
    for (int r = 0; r < std::min(visibleRows, grid.RowCount()); ++r)
        height += grid.RowHeights(r) + line;
    grid.setFixedSize(width, height);
}

} // namespace sr5n
