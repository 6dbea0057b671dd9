// Pages and rectangles of a printed table: 32 grid rows a page between a
// header band and a footer band, columns scaled from their screen widths.
#pragma once

#include "views/shared/PageSetupValues.h"

#include <vector>

constexpr int kTablePrintRowsPerPage = 32;

// Pages for a grid of rows: rows / 32, plus one when rows remain.
int TablePrintPageCount(int rows);
// Grid rows printed on page (from 1): [first, end).
void TablePrintPageRows(int page, int rows, int& first, int& end);

struct PrintRectF {
    double left = 0, top = 0, right = 0, bottom = 0;
    double Width() const { return right - left; }
    double Height() const { return bottom - top; }
};

struct TablePrintGeometry {
    PrintRectF table;
    PrintRectF header;
    PrintRectF footer;
    double rowHeight = 0;
    std::vector<double> columnWidths;
};

// printable: the device's printable area in its pixels; pixelsPerMm in x and y.
TablePrintGeometry ComputeTablePrintGeometry(const PageSetupValues& setup, const PrintRectF& printable,
                                             double pixelsPerMmX, double pixelsPerMmY,
                                             const std::vector<int>& columnTwips);
