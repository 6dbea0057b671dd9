// Geometry of the mechanical-property test's plot: the square it draws in,
// pixels per unit, cursor values, zoom steps and axis labels.
#pragma once

#include "datafiles/MechanicalTest.h"

#include <string>

struct MechanicalPlotRect {
    int left = 0, top = 0, right = 0, bottom = 0, width = 0, height = 0;
};

// The largest square inside the client area less 80 pixels on the left, 10
// on top, 30 on the right and 40 below, centred along its longer side.
MechanicalPlotRect LayoutMechanicalPlot(int clientWidth, int clientHeight);

struct MechanicalScale {
    float fPixelsPerX = 0.0f, fPixelsPerY = 0.0f;
    int nOriginX = 0, nOriginY = 0;
};

MechanicalScale ComputeMechanicalScale(const MechanicalPlotRect& plot, const MechanicalRanges& ranges);

// The axis value at a cursor's pixel position (x for X cursors, y for Y cursors).
float MechanicalCursorValue(const MechanicalScale& scale, int direction, int pixel);

// 缩小: the factor doubles while it is at most 8, and the axes follow it.
bool ZoomOutMechanicalPlot(MechanicalRanges& ranges, float& factor);
// 放大: the factor halves unless X would then span less than ±2000.
bool ZoomInMechanicalPlot(MechanicalRanges& ranges, float& factor);

// The cursor a click at pos moves: 0 when cursor 1 is nearer, else 1.
int NearerMechanicalCursor(int pos, int cursor1, int cursor2);

// An axis label: "%.<decimals>f", 0 for magnitudes below 1e-18, and "%.2e"
// with a short exponent from 10000 (Y) or above 10000 (X).
std::string FormatMechanicalAxisValue(double value, int decimals, bool yAxis);
