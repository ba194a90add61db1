#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace sr5n {

class Notifier;
class TMultiCell;
class TMultiGrid;

// The checks of an applied code cell: a text with a character outside
// `allowed` shows "В поле присутствуют недопустимые символы" once and goes
// back to `previous`; a short text is padded with "0" on the left up to the
// cell's MaxLength. The cell holds a valid, filled text afterwards.
void ValidateCodeCell(TMultiCell &cell, QStringView allowed, const QString &previous,
                      Notifier &notifier);

// Sets the Text and Tag of an external per-pair code cell from the 70 zone
// codes in its Items: zone 0's code, or the number of coded zones 1-69.
void ShowZoneSummary(TMultiCell &cell);

// Cell setters that leave an unchanged cell alone (no redraw, no editor reset).
void SetCellText(TMultiCell &cell, const QString &text);
void SetCellTag(TMultiCell &cell, int tag);

// Makes a cell an edit cell for a four-digit upper-case code.
void MakeCodeCell(TMultiCell &cell);

// The look every code table shares: fixed rows and columns, centred texts,
// indents of 2, column widths and header texts.
void SetUpCodeGrid(TMultiGrid &grid, int fixedCols, const QList<int> &widths,
                   const QStringList &headers);

// Sizes a grid to show all its columns and `visibleRows` rows, with a
// vertical scroll bar when it has more rows; with `visibleRows` below 0 only
// the width is fixed and the rows scroll.
void FitGridToRows(TMultiGrid &grid, int visibleRows);

} // namespace sr5n
