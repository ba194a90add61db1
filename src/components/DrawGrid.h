#pragma once

#include <QAbstractScrollArea>
#include <QColor>

#include <vector>

namespace sr5n {

// An owner-drawn grid: rows and columns with their widths and heights, fixed
// (header) rows and columns that stay in view, scroll bars that scroll whole
// cells, the current cell, a rectangular selection, grid lines and keyboard
// navigation. What a cell shows is left to drawCell().
class DrawGrid : public QAbstractScrollArea
{
    Q_OBJECT

public:
    explicit DrawGrid(QWidget *parent = nullptr);

    int ColCount() const { return int(m_colWidths.size()); }
    int RowCount() const { return int(m_rowHeights.size()); }
    int FixedCols() const { return m_fixedCols; }
    void SetFixedCols(int value);
    int FixedRows() const { return m_fixedRows; }
    void SetFixedRows(int value);
    int DefaultColWidth() const { return m_defaultColWidth; }
    void SetDefaultColWidth(int value);
    int DefaultRowHeight() const { return m_defaultRowHeight; }
    void SetDefaultRowHeight(int value);
    int ColWidths(int col) const;
    void SetColWidths(int col, int width);
    int RowHeights(int row) const;
    void SetRowHeights(int row, int height);
    int GridLineWidth() const { return m_lineWidth; }
    QColor FixedColor() const { return m_fixedColor; }
    void SetFixedColor(const QColor &color);
    // Whether dragging the mouse or Shift with the arrows selects a range.
    bool RangeSelect() const { return m_rangeSelect; }
    void SetRangeSelect(bool value);

    int Col() const { return m_col; }
    int Row() const { return m_row; }
    void SetCol(int col) { FocusCell(col, m_row); }
    void SetRow(int row) { FocusCell(m_col, row); }
    // Makes a cell outside the fixed rows and columns current (when the grid
    // lets it be selected) and scrolls it into view.
    void FocusCell(int col, int row, bool extendSelection = false);
    // The selected range: left, top, right, bottom in cells.
    QRect Selection() const;
    bool IsSelected(int col, int row) const;

    int TopRow() const { return m_topRow; }
    void SetTopRow(int row);
    int LeftCol() const { return m_leftCol; }
    void SetLeftCol(int col);

    // The cell's rectangle in viewport coordinates; empty when not in view.
    QRect CellRect(int col, int row) const;
    // The cell at a viewport position; -1, -1 outside the cells.
    void MouseToCell(int x, int y, int &col, int &row) const;
    bool IsFixed(int col, int row) const { return col < m_fixedCols || row < m_fixedRows; }

protected:
    // Changes the counts; new columns and rows take the default sizes.
    void setCounts(int cols, int rows);
    // Draws one cell into its rectangle; the grid lines are drawn around it.
    virtual void drawCell(QPainter &painter, int col, int row, const QRect &rect) = 0;
    // Asked before a cell becomes current; false keeps the current cell.
    virtual bool selectCell(int col, int row);
    // After the visible area scrolled.
    virtual void topLeftChanged() {}
    // After another cell became current.
    virtual void currentCellChanged() {}
    // After sizes, counts or the viewport changed.
    virtual void geometryChanged() {}
    void invalidateCell(int col, int row);
    void invalidateGrid();

    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    int colX(int col) const;
    int rowY(int row) const;
    int fixedWidth() const;
    int fixedHeight() const;
    int lastFullyVisibleRow() const;
    int lastFullyVisibleCol() const;
    void updateScrollBars();
    void scrollInView(int col, int row);
    void moveCurrent(int col, int row, bool extend);

    std::vector<int> m_colWidths;
    std::vector<int> m_rowHeights;
    int m_fixedCols = 1;
    int m_fixedRows = 1;
    int m_defaultColWidth = 64;
    int m_defaultRowHeight = 24;
    int m_lineWidth = 1;
    QColor m_fixedColor;
    bool m_rangeSelect = false;
    int m_col = 1;
    int m_row = 1;
    int m_anchorCol = 1;
    int m_anchorRow = 1;
    int m_topRow = 1;
    int m_leftCol = 1;
    bool m_dragging = false;
    bool m_syncingBars = false;
};

} // namespace sr5n
