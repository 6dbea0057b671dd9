// The "√"/"×" mark columns of the dialogs' grids.
#pragma once

#include "widgets/MSFlexGrid.h"

#include <algorithm>
#include <string>

inline const std::string& MarkText(bool on) {
    static const std::string yes = "√", no = "×";
    return on ? yes : no;
}

// A click in the mark column, with a selection lying in that column alone,
// gives every row from the clicked row to the selection's other end the
// opposite of the clicked row's mark. False when the click was elsewhere.
inline bool ToggleMarks(CMSFlexGrid& grid, int col) {
    const int row = grid.GetRow(), rowSel = grid.GetRowSel();
    if (grid.GetCol() != col || grid.GetColSel() != col || row < 1 || rowSel < 1)
        return false;
    const bool on = grid.GetTextMatrix(row, col) != MarkText(true);
    for (int r = std::min(row, rowSel); r <= std::max(row, rowSel); ++r)
        grid.SetTextMatrix(r, col, MarkText(on));
    return true;
}
