// Prints a table grid on a QPrinter (a printer or a PDF file): 32 rows a
// page with the header and footer texts of the page setup.
#pragma once

#include "views/shared/PageSetupValues.h"
#include "views/table/TableGrid.h"

class QPainter;
class QPrinter;

// Prints every page; the number of pages printed (0 when the printer could
// not be started or the grid is empty).
int PrintTableGrid(const TableGrid& grid, const PageSetupValues& setup, QPrinter& printer);
// Draws one page (from 1) on a painter that is already on the page.
void DrawTablePage(QPainter& painter, const TableGrid& grid, const PageSetupValues& setup, int page,
                   double pixelsPerMmX, double pixelsPerMmY);
