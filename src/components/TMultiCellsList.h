#pragma once

#include "components/TMultiCell.h"

#include <memory>
#include <vector>

namespace sr5n {

// The cells of one grid column, one per row, in row order. The grid resizes it
// at its end only, so a cell's row never changes.
class TMultiCellsList
{
public:
    int Count() const { return int(m_cells.size()); }
    // The cell of a row; nothing outside 0..Count()-1.
    TMultiCell *Items(int row) const
    {
        return row >= 0 && row < Count() ? m_cells[size_t(row)].get() : nullptr;
    }
    TMultiCell *operator[](int row) const { return Items(row); }

private:
    friend class TMultiColumn;
    friend class TMultiGrid;

    std::vector<std::unique_ptr<TMultiCell>> m_cells;
};

} // namespace sr5n
