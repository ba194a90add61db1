#include "components/GridAccessible.h"

#include "components/AccessibleParts.h"
#include "components/TMultiCell.h"
#include "components/TMultiGrid.h"
#include "components/TWinSpinEdit.h"

#include <QAccessibleWidget>
#include <QPointer>

#include <algorithm>

namespace sr5n {

namespace {

class GridAccessible;

// One cell of a grid, addressed by the grid's column and row; valid while the
// grid has it. Its text (an event code, a log entry) is its text interface,
// which screen readers read for a cell; its name says where it stands. The
// header rows are not rows of the table: their cells are column headers.
class CellAccessible final : public WidgetPartAccessible,
                             public QAccessibleTableCellInterface,
                             public QAccessibleTextInterface,
                             public QAccessibleActionInterface
{
public:
    CellAccessible(TMultiGrid *grid, int col, int row)
        : WidgetPartAccessible(grid), m_grid(grid), m_col(col), m_row(row)
    {
    }

    bool isValid() const override { return m_grid && cell() != nullptr; }

    QString text(QAccessible::Text t) const override
    {
        const TMultiCell *c = cell();
        if (!c)
            return {};
        switch (t) {
        case QAccessible::Name:
            return m_grid->IsFixed(m_col, m_row) ? c->Text()
                                                 : m_grid->AccessibleCellName(m_col, m_row);
        case QAccessible::Value:
            return c->Text();
        default:
            return {};
        }
    }
    QRect rect() const override
    {
        return m_grid ? onScreen(m_grid->viewport(), m_grid->CellRect(m_col, m_row)) : QRect();
    }

    QAccessible::Role role() const override
    {
        const TMultiCell *c = cell();
        if (c && m_row < m_grid->FixedRows())
            return QAccessible::ColumnHeader;
        if (c && m_col < m_grid->FixedCols())
            return QAccessible::RowHeader;
        return c && c->CellType() == mctCheck ? QAccessible::CheckBox : QAccessible::Cell;
    }

    QAccessible::State state() const override
    {
        QAccessible::State s;
        const TMultiCell *c = cell();
        if (!c)
            return s;
        const bool fixed = m_grid->IsFixed(m_col, m_row);
        const bool current = m_col == m_grid->Col() && m_row == m_grid->Row();
        s.invisible = m_grid->CellRect(m_col, m_row).isEmpty();
        s.offscreen = s.invisible;
        s.disabled = !c->Enabled();
        s.readOnly = c->ReadOnly();
        s.focusable = !fixed;
        s.selectable = !fixed;
        s.selected = !fixed && (current || (!m_grid->HideSelection() && isSelected()));
        s.focused = current && m_grid->hasFocus();
        s.editable =
            c->CellType() == mctText || c->CellType() == mctSpin || c->CellType() == mctDateTime;
        if (c->CellType() == mctCheck) {
            s.checkable = true;
            s.checked = c->Checked();
        }
        return s;
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TableCellInterface && !inHeaderRow())
            return static_cast<QAccessibleTableCellInterface *>(this);
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        if (type == QAccessible::ActionInterface)
            return static_cast<QAccessibleActionInterface *>(this);
        return nullptr;
    }

    // Table cell.
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QList<QAccessibleInterface *> columnHeaderCells() const override;
    QList<QAccessibleInterface *> rowHeaderCells() const override;
    int columnIndex() const override { return m_col; }
    int rowIndex() const override { return m_grid ? m_row - m_grid->FixedRows() : -1; }
    bool isSelected() const override { return m_grid && m_grid->IsSelected(m_col, m_row); }
    QAccessibleInterface *table() const override { return parent(); }

    // Actions: focus the cell; a check cell also toggles.
    QStringList actionNames() const override
    {
        QStringList names{setFocusAction()};
        const TMultiCell *c = cell();
        if (c && c->CellType() == mctCheck && c->Enabled() && !c->ReadOnly())
            names << toggleAction();
        return names;
    }
    void doAction(const QString &actionName) override
    {
        TMultiCell *c = cell();
        if (!c || m_grid->IsFixed(m_col, m_row))
            return;
        if (actionName == setFocusAction()) {
            m_grid->setFocus(Qt::OtherFocusReason);
            m_grid->FocusCell(m_col, m_row);
        } else if (actionName == toggleAction() && c->CellType() == mctCheck && c->Enabled() &&
                   !c->ReadOnly()) {
            c->SetChecked(!c->Checked());
        }
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

    // Text: the cell's text, read only; a check cell's is its caption.
    QString text(int startOffset, int endOffset) const override
    {
        return shown().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(shown().size()); }
    void selection(int, int *startOffset, int *endOffset) const override
    {
        *startOffset = *endOffset = 0;
    }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QRect characterRect(int) const override { return rect(); }
    int offsetAtPoint(const QPoint &) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int *startOffset, int *endOffset) const override
    {
        *startOffset = 0;
        *endOffset = characterCount();
        return {};
    }

private:
    TMultiCell *cell() const { return m_grid ? m_grid->Cells(m_col, m_row) : nullptr; }
    bool inHeaderRow() const { return m_grid && m_row < m_grid->FixedRows(); }
    QString shown() const
    {
        const TMultiCell *c = cell();
        return c ? c->Text() : QString();
    }

    QPointer<TMultiGrid> m_grid;
    int m_col;
    int m_row;
};

// The grid as a table of its data rows; the cells of its header rows are its
// column headers, and the cells of its fixed columns the row headers. Its
// children: all cells, header rows first, row by row, then its own widgets
// (the viewport with the in-place editors, the scroll bars).
class GridAccessible final : public QAccessibleWidget, public QAccessibleTableInterface
{
public:
    explicit GridAccessible(TMultiGrid *grid) : QAccessibleWidget(grid, QAccessible::Table) {}

    TMultiGrid *grid() const { return static_cast<TMultiGrid *>(widget()); }

    QString text(QAccessible::Text t) const override
    {
        QString value = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && value.isEmpty()) {
            // Without a name of its host's: its column headers.
            QStringList headers;
            for (int c = 0; c < grid()->ColCount(); ++c)
                if (const TMultiCell *cell = grid()->Cells(c, 0); cell && !cell->Text().isEmpty())
                    headers << cell->Text();
            value = headers.join(QStringLiteral(", "));
        }
        return value;
    }

    int childCount() const override { return cellCount() + QAccessibleWidget::childCount(); }
    QAccessibleInterface *child(int index) const override
    {
        if (index < 0)
            return nullptr;
        if (index < cellCount())
            return gridCell(index % grid()->ColCount(), index / grid()->ColCount());
        return QAccessibleWidget::child(index - cellCount());
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        if (child && !child->object()) {
            const qint64 key = m_cells.keyOf(child);
            if (key >= 0) {
                const int row = int(quint64(key) >> 32);
                const int col = int(quint32(key));
                return row < grid()->RowCount() && col < grid()->ColCount()
                           ? row * grid()->ColCount() + col
                           : -1;
            }
        }
        const int own = QAccessibleWidget::indexOfChild(child);
        return own < 0 ? -1 : cellCount() + own;
    }
    QAccessibleInterface *childAt(int x, int y) const override
    {
        const QPoint local = grid()->viewport()->mapFromGlobal(QPoint(x, y));
        int col;
        int row;
        grid()->MouseToCell(local.x(), local.y(), col, row);
        if (col >= 0 && row >= 0)
            return gridCell(col, row);
        return QAccessibleWidget::childAt(x, y);
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TableInterface)
            return static_cast<QAccessibleTableInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    // The cell at the grid's column and row, header rows included.
    QAccessibleInterface *gridCell(int col, int row) const
    {
        if (row < 0 || col < 0 || row >= grid()->RowCount() || col >= grid()->ColCount())
            return nullptr;
        const quint64 key = (quint64(quint32(row)) << 32) | quint32(col);
        return m_cells.part(key, [this, row, col] { return new CellAccessible(grid(), col, row); });
    }

    // Table: rows count from the first row under the headers.
    QAccessibleInterface *caption() const override { return nullptr; }
    QAccessibleInterface *summary() const override { return nullptr; }
    QAccessibleInterface *cellAt(int row, int column) const override
    {
        return row < 0 ? nullptr : gridCell(column, row + grid()->FixedRows());
    }
    int columnCount() const override { return grid()->ColCount(); }
    int rowCount() const override { return std::max(0, grid()->RowCount() - grid()->FixedRows()); }
    QString columnDescription(int column) const override
    {
        return grid()->AccessibleColumnName(column);
    }
    QString rowDescription(int row) const override
    {
        return grid()->AccessibleRowName(row + grid()->FixedRows());
    }
    int selectedCellCount() const override { return int(selectedCells().size()); }
    QList<QAccessibleInterface *> selectedCells() const override
    {
        QList<QAccessibleInterface *> cells;
        const QRect range = grid()->Selection();
        for (int r = std::max(range.top(), grid()->FixedRows()); r <= range.bottom(); ++r)
            for (int c = range.left(); c <= range.right(); ++c)
                if (QAccessibleInterface *cell = gridCell(c, r))
                    cells << cell;
        return cells;
    }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent *) override {}

private:
    int cellCount() const { return grid()->RowCount() * grid()->ColCount(); }

    WidgetParts m_cells;
};

QList<QAccessibleInterface *> CellAccessible::columnHeaderCells() const
{
    QList<QAccessibleInterface *> headers;
    auto *table = m_grid ? static_cast<GridAccessible *>(parent()) : nullptr;
    for (int r = 0; table && r < m_grid->FixedRows() && r != m_row; ++r)
        headers << table->gridCell(m_col, r);
    return headers;
}

QList<QAccessibleInterface *> CellAccessible::rowHeaderCells() const
{
    QList<QAccessibleInterface *> headers;
    auto *table = m_grid ? static_cast<GridAccessible *>(parent()) : nullptr;
    for (int c = 0; table && c < m_grid->FixedCols() && c != m_col; ++c)
        headers << table->gridCell(c, m_row);
    return headers;
}

// The spin edit field: a spin box with its value and bounds.
class SpinEditAccessible final : public QAccessibleWidget, public QAccessibleValueInterface
{
public:
    explicit SpinEditAccessible(TWinSpinEdit *edit) : QAccessibleWidget(edit, QAccessible::SpinBox)
    {
    }

    TWinSpinEdit *edit() const { return static_cast<TWinSpinEdit *>(widget()); }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return edit()->text();
        return QAccessibleWidget::text(t);
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QVariant currentValue() const override { return edit()->Value(); }
    void setCurrentValue(const QVariant &value) override { edit()->SetValue(value.toInt()); }
    QVariant maximumValue() const override { return edit()->MaxValue(); }
    QVariant minimumValue() const override { return edit()->MinValue(); }
    QVariant minimumStepSize() const override { return edit()->Increment(); }
};

QAccessibleInterface *factory(const QString &, QObject *object)
{
    if (auto *grid = qobject_cast<TMultiGrid *>(object))
        return new GridAccessible(grid);
    if (auto *edit = qobject_cast<TWinSpinEdit *>(object))
        return new SpinEditAccessible(edit);
    return nullptr;
}

} // namespace

void InstallGridAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(&factory);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace sr5n
