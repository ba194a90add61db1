#include "components/TMultiColumn.h"

#include "components/TMultiGrid.h"

namespace sr5n {

TMultiColumn::TMultiColumn(TMultiGrid *grid, int col) : m_grid(grid), m_col(col) {}

void TMultiColumn::resize(int rows)
{
    auto &cells = m_cells.m_cells;
    if (rows < int(cells.size())) {
        cells.resize(size_t(rows));
        return;
    }
    cells.reserve(size_t(rows));
    while (int(cells.size()) < rows)
        cells.push_back(std::make_unique<TMultiCell>(m_grid, this, int(cells.size())));
}

void TMultiColumn::SetTag(int value)
{
    m_tag = value;
    m_grid->columnTagChanged(this);
}

void TMultiColumn::SetReadOnly(bool value)
{
    m_readOnly = value;
    for (const auto &cell : m_cells.m_cells) {
        cell->m_readOnly = value;
        if (value)
            m_grid->cellEditingBlocked(cell.get());
        cell->redraw();
    }
}

void TMultiColumn::SetEnabled(bool value)
{
    m_enabled = value;
    for (const auto &cell : m_cells.m_cells) {
        cell->m_enabled = value;
        if (!value)
            m_grid->cellEditingBlocked(cell.get());
        cell->redraw();
    }
}

void TMultiColumn::recomputeEnabled()
{
    m_enabled = false;
    for (const auto &cell : m_cells.m_cells) {
        if (cell->m_enabled) {
            m_enabled = true;
            break;
        }
    }
}

} // namespace sr5n
