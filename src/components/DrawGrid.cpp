#include "components/DrawGrid.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

namespace sr5n {

DrawGrid::DrawGrid(QWidget *parent) : QAbstractScrollArea(parent)
{
    m_fixedColor = palette().color(QPalette::Button);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setSingleStep(1);
}

void DrawGrid::setCounts(int cols, int rows)
{
    cols = qMax(cols, 0);
    rows = qMax(rows, 0);
    m_colWidths.resize(size_t(cols), m_defaultColWidth);
    m_rowHeights.resize(size_t(rows), m_defaultRowHeight);
    m_fixedCols = qBound(0, m_fixedCols, qMax(cols - 1, 0));
    m_fixedRows = qBound(0, m_fixedRows, qMax(rows - 1, 0));
    m_col = qBound(m_fixedCols, m_col, qMax(cols - 1, m_fixedCols));
    m_row = qBound(m_fixedRows, m_row, qMax(rows - 1, m_fixedRows));
    m_anchorCol = qBound(m_fixedCols, m_anchorCol, qMax(cols - 1, m_fixedCols));
    m_anchorRow = qBound(m_fixedRows, m_anchorRow, qMax(rows - 1, m_fixedRows));
    updateScrollBars();
    invalidateGrid();
}

void DrawGrid::SetFixedCols(int value)
{
    if (value < 0 || value >= ColCount() || value == m_fixedCols)
        return;
    m_fixedCols = value;
    m_col = qMax(m_col, value);
    m_anchorCol = qMax(m_anchorCol, value);
    m_leftCol = qMax(m_leftCol, value);
    updateScrollBars();
    invalidateGrid();
}

void DrawGrid::SetFixedRows(int value)
{
    if (value < 0 || value >= RowCount() || value == m_fixedRows)
        return;
    m_fixedRows = value;
    m_row = qMax(m_row, value);
    m_anchorRow = qMax(m_anchorRow, value);
    m_topRow = qMax(m_topRow, value);
    updateScrollBars();
    invalidateGrid();
}

void DrawGrid::SetDefaultColWidth(int value)
{
    m_defaultColWidth = qMax(value, 0);
    std::fill(m_colWidths.begin(), m_colWidths.end(), m_defaultColWidth);
    updateScrollBars();
    invalidateGrid();
}

void DrawGrid::SetDefaultRowHeight(int value)
{
    m_defaultRowHeight = qMax(value, 0);
    std::fill(m_rowHeights.begin(), m_rowHeights.end(), m_defaultRowHeight);
    updateScrollBars();
    invalidateGrid();
}

int DrawGrid::ColWidths(int col) const
{
    return col >= 0 && col < ColCount() ? m_colWidths[size_t(col)] : 0;
}

void DrawGrid::SetColWidths(int col, int width)
{
    if (col < 0 || col >= ColCount())
        return;
    m_colWidths[size_t(col)] = qMax(width, 0);
    updateScrollBars();
    invalidateGrid();
}

int DrawGrid::RowHeights(int row) const
{
    return row >= 0 && row < RowCount() ? m_rowHeights[size_t(row)] : 0;
}

void DrawGrid::SetRowHeights(int row, int height)
{
    if (row < 0 || row >= RowCount())
        return;
    m_rowHeights[size_t(row)] = qMax(height, 0);
    updateScrollBars();
    invalidateGrid();
}

void DrawGrid::SetFixedColor(const QColor &color)
{
    m_fixedColor = color;
    invalidateGrid();
}

void DrawGrid::SetRangeSelect(bool value)
{
    m_rangeSelect = value;
    if (!value) {
        m_anchorCol = m_col;
        m_anchorRow = m_row;
        invalidateGrid();
    }
}

QRect DrawGrid::Selection() const
{
    return QRect(QPoint(qMin(m_col, m_anchorCol), qMin(m_row, m_anchorRow)),
                 QPoint(qMax(m_col, m_anchorCol), qMax(m_row, m_anchorRow)));
}

bool DrawGrid::IsSelected(int col, int row) const
{
    return Selection().contains(col, row);
}

void DrawGrid::FocusCell(int col, int row, bool extendSelection)
{
    moveCurrent(col, row, extendSelection && m_rangeSelect);
}

bool DrawGrid::selectCell(int, int)
{
    return true;
}

void DrawGrid::moveCurrent(int col, int row, bool extend)
{
    if (col < m_fixedCols || col >= ColCount() || row < m_fixedRows || row >= RowCount())
        return;
    if (!selectCell(col, row))
        return;
    const bool wasRange = Selection().width() > 1 || Selection().height() > 1;
    const int oldCol = m_col;
    const int oldRow = m_row;
    m_col = col;
    m_row = row;
    if (!extend) {
        m_anchorCol = col;
        m_anchorRow = row;
    }
    if (wasRange || extend) {
        invalidateGrid();
    } else {
        invalidateCell(oldCol, oldRow);
        invalidateCell(col, row);
    }
    scrollInView(col, row);
    if (col != oldCol || row != oldRow)
        currentCellChanged();
}

void DrawGrid::SetTopRow(int row)
{
    verticalScrollBar()->setValue(row - m_fixedRows);
}

void DrawGrid::SetLeftCol(int col)
{
    horizontalScrollBar()->setValue(col - m_fixedCols);
}

int DrawGrid::fixedWidth() const
{
    int width = 0;
    for (int c = 0; c < m_fixedCols && c < ColCount(); ++c)
        width += m_colWidths[size_t(c)] + m_lineWidth;
    return width;
}

int DrawGrid::fixedHeight() const
{
    int height = 0;
    for (int r = 0; r < m_fixedRows && r < RowCount(); ++r)
        height += m_rowHeights[size_t(r)] + m_lineWidth;
    return height;
}

int DrawGrid::colX(int col) const
{
    if (col < m_fixedCols) {
        int x = 0;
        for (int c = 0; c < col; ++c)
            x += m_colWidths[size_t(c)] + m_lineWidth;
        return x;
    }
    if (col < m_leftCol)
        return -1;
    int x = fixedWidth();
    const int limit = viewport()->width();
    for (int c = m_leftCol; c < col && x < limit; ++c)
        x += m_colWidths[size_t(c)] + m_lineWidth;
    return x;
}

int DrawGrid::rowY(int row) const
{
    if (row < m_fixedRows) {
        int y = 0;
        for (int r = 0; r < row; ++r)
            y += m_rowHeights[size_t(r)] + m_lineWidth;
        return y;
    }
    if (row < m_topRow)
        return -1;
    int y = fixedHeight();
    const int limit = viewport()->height();
    for (int r = m_topRow; r < row && y < limit; ++r)
        y += m_rowHeights[size_t(r)] + m_lineWidth;
    return y;
}

QRect DrawGrid::CellRect(int col, int row) const
{
    if (col < 0 || col >= ColCount() || row < 0 || row >= RowCount())
        return {};
    const int x = colX(col);
    const int y = rowY(row);
    if (x < 0 || y < 0 || x >= viewport()->width() || y >= viewport()->height())
        return {};
    return QRect(x, y, m_colWidths[size_t(col)], m_rowHeights[size_t(row)]);
}

void DrawGrid::MouseToCell(int x, int y, int &col, int &row) const
{
    col = -1;
    row = -1;
    if (x < 0 || y < 0)
        return;
    int left = 0;
    for (int c = 0; c < ColCount(); ++c) {
        if (c >= m_fixedCols && c < m_leftCol)
            continue;
        const int right = left + m_colWidths[size_t(c)] + m_lineWidth;
        if (x < right) {
            col = c;
            break;
        }
        left = right;
    }
    int top = 0;
    for (int r = 0; r < RowCount(); ++r) {
        if (r >= m_fixedRows && r < m_topRow)
            continue;
        const int bottom = top + m_rowHeights[size_t(r)] + m_lineWidth;
        if (y < bottom) {
            row = r;
            break;
        }
        top = bottom;
    }
    if (col < 0 || row < 0) {
        col = -1;
        row = -1;
    }
}

int DrawGrid::lastFullyVisibleRow() const
{
    int y = fixedHeight();
    int last = m_topRow - 1;
    for (int r = m_topRow; r < RowCount(); ++r) {
        y += m_rowHeights[size_t(r)] + m_lineWidth;
        if (y > viewport()->height())
            break;
        last = r;
    }
    return qMax(last, m_topRow);
}

int DrawGrid::lastFullyVisibleCol() const
{
    int x = fixedWidth();
    int last = m_leftCol - 1;
    for (int c = m_leftCol; c < ColCount(); ++c) {
        x += m_colWidths[size_t(c)] + m_lineWidth;
        if (x > viewport()->width())
            break;
        last = c;
    }
    return qMax(last, m_leftCol);
}

void DrawGrid::updateScrollBars()
{
    // The last top row is the first one from which the remaining rows all fit.
    int room = viewport()->height() - fixedHeight();
    int maxTop = RowCount() - 1;
    int used = maxTop >= m_fixedRows ? m_rowHeights[size_t(maxTop)] + m_lineWidth : 0;
    while (maxTop - 1 >= m_fixedRows &&
           used + m_rowHeights[size_t(maxTop - 1)] + m_lineWidth <= room) {
        --maxTop;
        used += m_rowHeights[size_t(maxTop)] + m_lineWidth;
    }
    maxTop = qMax(maxTop, m_fixedRows);
    room = viewport()->width() - fixedWidth();
    int maxLeft = ColCount() - 1;
    used = maxLeft >= m_fixedCols ? m_colWidths[size_t(maxLeft)] + m_lineWidth : 0;
    while (maxLeft - 1 >= m_fixedCols &&
           used + m_colWidths[size_t(maxLeft - 1)] + m_lineWidth <= room) {
        --maxLeft;
        used += m_colWidths[size_t(maxLeft)] + m_lineWidth;
    }
    maxLeft = qMax(maxLeft, m_fixedCols);

    verticalScrollBar()->setRange(0, maxTop - m_fixedRows);
    verticalScrollBar()->setPageStep(qMax(1, lastFullyVisibleRow() - m_topRow + 1));
    horizontalScrollBar()->setRange(0, maxLeft - m_fixedCols);
    horizontalScrollBar()->setPageStep(qMax(1, lastFullyVisibleCol() - m_leftCol + 1));
    // The bars may not have moved while the fixed counts did.
    const int top = m_fixedRows + verticalScrollBar()->value();
    const int left = m_fixedCols + horizontalScrollBar()->value();
    if (top != m_topRow || left != m_leftCol) {
        m_topRow = top;
        m_leftCol = left;
        invalidateGrid();
        topLeftChanged();
    }
    geometryChanged();
}

void DrawGrid::scrollInView(int col, int row)
{
    if (row >= m_fixedRows) {
        if (row < m_topRow) {
            SetTopRow(row);
        } else {
            while (row > lastFullyVisibleRow() && m_topRow < row &&
                   verticalScrollBar()->value() < verticalScrollBar()->maximum())
                SetTopRow(m_topRow + 1);
        }
    }
    if (col >= m_fixedCols) {
        if (col < m_leftCol) {
            SetLeftCol(col);
        } else {
            while (col > lastFullyVisibleCol() && m_leftCol < col &&
                   horizontalScrollBar()->value() < horizontalScrollBar()->maximum())
                SetLeftCol(m_leftCol + 1);
        }
    }
}

void DrawGrid::scrollContentsBy(int, int)
{
    const int top = m_fixedRows + verticalScrollBar()->value();
    const int left = m_fixedCols + horizontalScrollBar()->value();
    if (top == m_topRow && left == m_leftCol)
        return;
    m_topRow = top;
    m_leftCol = left;
    invalidateGrid();
    topLeftChanged();
}

void DrawGrid::invalidateCell(int col, int row)
{
    const QRect rect = CellRect(col, row);
    if (!rect.isEmpty())
        viewport()->update(rect.adjusted(0, 0, m_lineWidth, m_lineWidth));
}

void DrawGrid::invalidateGrid()
{
    viewport()->update();
}

void DrawGrid::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    const QRect dirty = event->rect();
    painter.fillRect(dirty, palette().color(QPalette::Base));
    const QColor dataLine = palette().color(QPalette::Midlight);
    const QColor fixedLine = palette().color(QPalette::Mid);
    const int width = viewport()->width();
    const int height = viewport()->height();

    int y = 0;
    for (int r = 0; r < RowCount() && y < height; ++r) {
        if (r >= m_fixedRows && r < m_topRow)
            continue;
        const int h = m_rowHeights[size_t(r)];
        int x = 0;
        for (int c = 0; c < ColCount() && x < width; ++c) {
            if (c >= m_fixedCols && c < m_leftCol)
                continue;
            const int w = m_colWidths[size_t(c)];
            const QRect cell(x, y, w, h);
            const QRect withLines(x, y, w + m_lineWidth, h + m_lineWidth);
            if (withLines.intersects(dirty)) {
                painter.save();
                painter.setClipRect(cell);
                drawCell(painter, c, r, cell);
                painter.restore();
                const QColor line = IsFixed(c, r) ? fixedLine : dataLine;
                painter.fillRect(QRect(x + w, y, m_lineWidth, h + m_lineWidth), line);
                painter.fillRect(QRect(x, y + h, w + m_lineWidth, m_lineWidth), line);
            }
            x += w + m_lineWidth;
        }
        y += h + m_lineWidth;
    }
}

void DrawGrid::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    int col;
    int row;
    MouseToCell(event->position().toPoint().x(), event->position().toPoint().y(), col, row);
    if (col < m_fixedCols || row < m_fixedRows)
        return;
    const bool extend = m_rangeSelect && (event->modifiers() & Qt::ShiftModifier);
    moveCurrent(col, row, extend);
    m_dragging = m_rangeSelect;
}

void DrawGrid::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_dragging || !(event->buttons() & Qt::LeftButton))
        return;
    int col;
    int row;
    MouseToCell(event->position().toPoint().x(), event->position().toPoint().y(), col, row);
    if (col >= m_fixedCols && row >= m_fixedRows && (col != m_col || row != m_row))
        moveCurrent(col, row, true);
}

void DrawGrid::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_dragging = false;
}

void DrawGrid::keyPressEvent(QKeyEvent *event)
{
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const bool extend = m_rangeSelect && (event->modifiers() & Qt::ShiftModifier);
    const int page = qMax(1, lastFullyVisibleRow() - m_topRow);
    int col = m_col;
    int row = m_row;
    switch (event->key()) {
    case Qt::Key_Up:
        --row;
        break;
    case Qt::Key_Down:
        ++row;
        break;
    case Qt::Key_Left:
        --col;
        break;
    case Qt::Key_Right:
        ++col;
        break;
    case Qt::Key_PageUp:
        row -= page;
        break;
    case Qt::Key_PageDown:
        row += page;
        break;
    case Qt::Key_Home:
        col = m_fixedCols;
        if (ctrl)
            row = m_fixedRows;
        break;
    case Qt::Key_End:
        col = ColCount() - 1;
        if (ctrl)
            row = RowCount() - 1;
        break;
    default:
        event->ignore();
        return;
    }
    col = qBound(m_fixedCols, col, ColCount() - 1);
    row = qBound(m_fixedRows, row, RowCount() - 1);
    if (col != m_col || row != m_row)
        moveCurrent(col, row, extend);
}

void DrawGrid::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

} // namespace sr5n
