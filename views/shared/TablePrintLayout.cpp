// Pagination and geometry of the printed table.
#include "views/shared/TablePrintLayout.h"

#include <algorithm>
#include <numeric>

int TablePrintPageCount(int rows) {
    if (rows <= 0)
        return 0;
    return rows / kTablePrintRowsPerPage + (rows % kTablePrintRowsPerPage ? 1 : 0);
}

void TablePrintPageRows(int page, int rows, int& first, int& end) {
    first = std::clamp(kTablePrintRowsPerPage * (page - 1), 0, std::max(rows, 0));
    end = std::clamp(kTablePrintRowsPerPage * page, first, std::max(rows, 0));
}

TablePrintGeometry ComputeTablePrintGeometry(const PageSetupValues& s, const PrintRectF& p, double pxX,
                                             double pxY, const std::vector<int>& columnTwips) {
    auto cmX = [&](float cm) { return double(cm) * 10.0 * pxX; };
    auto cmY = [&](float cm) { return double(cm) * 10.0 * pxY; };
    TablePrintGeometry g;
    g.table = {p.left + cmX(s.fLeftMargin), p.top + cmY(s.fHeaderHeight) + cmY(s.fTopMargin),
               p.right - cmX(s.fRightMargin), p.bottom - cmY(s.fFooterHeight) - cmY(s.fBottomMargin)};
    g.header = {g.table.left, p.top, g.table.right, p.top + cmY(s.fHeaderHeight)};
    g.footer = {g.table.left, g.table.bottom + cmY(s.fBottomMargin), g.table.right,
                g.table.bottom + cmY(s.fBottomMargin) + cmY(s.fFooterHeight)};
    g.rowHeight = g.table.Height() / kTablePrintRowsPerPage;
    // On screen a column takes twips / (sum + 1) of the grid; on paper the
    // same share of the table's width.
    const double sum = std::accumulate(columnTwips.begin(), columnTwips.end(), 0.0) + 1.0;
    for (int twips : columnTwips)
        g.columnWidths.push_back(twips / sum * g.table.Width());
    return g;
}
