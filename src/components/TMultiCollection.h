#pragma once

#include "components/TMultiColumn.h"

#include <memory>
#include <vector>

namespace sr5n {

// The columns of a grid, in column order. The grid resizes it at its end only.
class TMultiCollection
{
public:
    int Count() const { return int(m_columns.size()); }
    // The column; nothing outside 0..Count()-1.
    TMultiColumn *Items(int col) const
    {
        return col >= 0 && col < Count() ? m_columns[size_t(col)].get() : nullptr;
    }
    TMultiColumn *operator[](int col) const { return Items(col); }

private:
    friend class TMultiGrid;

    std::vector<std::unique_ptr<TMultiColumn>> m_columns;
};

} // namespace sr5n
