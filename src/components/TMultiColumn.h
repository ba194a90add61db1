#pragma once

#include "components/TMultiCellsList.h"

namespace sr5n {

class TMultiGrid;

// One grid column: its cells and the column-wide Tag, ReadOnly and Enabled.
class TMultiColumn
{
public:
    TMultiColumn(TMultiGrid *grid, int col);

    TMultiGrid *Grid() const { return m_grid; }
    int Index() const { return m_col; }
    TMultiCellsList &MultiCellsList() { return m_cells; }
    const TMultiCellsList &MultiCellsList() const { return m_cells; }

    int Tag() const { return m_tag; }
    void SetTag(int value);
    bool ReadOnly() const { return m_readOnly; }
    // Writes the value into every cell of the column.
    void SetReadOnly(bool value);
    bool Enabled() const { return m_enabled; }
    // Writes the value into every cell of the column.
    void SetEnabled(bool value);

private:
    friend class TMultiCell;
    friend class TMultiGrid;

    void resize(int rows);
    void recomputeEnabled();

    TMultiGrid *m_grid;
    int m_col;
    TMultiCellsList m_cells;
    int m_tag = 0;
    bool m_readOnly = false;
    bool m_enabled = true;
};

} // namespace sr5n
