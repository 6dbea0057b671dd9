// Where a printed page of curve views puts its header band, footer band,
// separator line and picture, and the factors that carry the screen
// picture onto the paper.
#pragma once

#include "views/shared/PageSetupValues.h"
#include "views/shared/TablePrintLayout.h"

struct CurvePrintGeometry {
    PrintRectF header;
    PrintRectF footer;
    PrintRectF body;
    double separatorY = 0;
    double scaleX = 1.0;
    double scaleY = 1.0;
};

// page: the printable area in device pixels; source: the screen area printed
// (one view's client area, or the union of the windows printed together).
CurvePrintGeometry ComputeCurvePrintGeometry(const PageSetupValues& setup, const PrintRectF& page,
                                             double pixelsPerMmX, double pixelsPerMmY, double sourceWidth,
                                             double sourceHeight);
