// The store steps of the graph property pages without their windows: the
// line types, the coordinates, the real-time options and the font slots.
#pragma once

#include "views/curve/CurveViewModel.h"
#include "views/shared/GraphDisplayOptions.h"

#include <array>
#include <string>

struct LineTypeEntry {
    int style = 0; // 0..4
    int width = 1; // 1..5
};

// Curve 1..4, grid, outer frame, cursor 1, cursor 2.
constexpr int kLineTypeEntries = 8;
std::array<LineTypeEntry, kLineTypeEntries> LoadLineTypes(const CGraphDisplayOptions& options);
// The four curve entries go to the first four line pens; pens 5..8 keep theirs.
void StoreLineTypes(const std::array<LineTypeEntry, kLineTypeEntries>& entries,
                    CGraphDisplayOptions& options);
// What the page shows for a stored value out of range.
inline int ShownPenStyle(int style) {
    return style < 0 || style > 4 ? 0 : style;
}
inline int ShownPenWidth(int width) {
    return width < 1 || width > 5 ? 1 : width;
}

struct CoordValues {
    float fYmax = 0, fYmin = 0, fXmax = 0, fXmin = 0;
    int nXGridCount = 10, nYGridCount = 10;
    int nXPrecision = 0, nYPrecision = 0;
    int nScareType = 0, nYType = 0, nXShowType = 0, nLineType = 1;
};
CoordValues LoadCoord(const CGraphDisplayOptions& options);
// Writes nothing and answers false when a grid count is outside 1..128.
bool StoreCoord(const CoordValues& values, CGraphDisplayOptions& options);

// The option page's block: false (nothing taken) for a group count outside 1..4.
bool StoreRealViewOption(const RealViewOption& page, RealViewOption& target);
inline int ClampPeakListCount(int count) {
    return count < 0 ? 0 : count > 20 ? 20 : count;
}

// The nine fonts of the font page, in the order of its radio buttons.
constexpr int kFontSlots = 9;
std::array<LOGFONT*, kFontSlots> FontSlots(CGraphDisplayOptions& options);
// Windows' MulDiv: a * b / c rounded half away from zero; -1 for c == 0.
int MulDivRound(int a, int b, int c);
std::string FontStyleText(const LOGFONT& font);
// The size the page shows: the height in points, keeping its sign.
int FontSizeShown(const LOGFONT& font, int pixelsPerInch);
// The slot after a change: face, style text, size text and effects on the
// sample font; a positive height from the size.
LOGFONT RebuildFont(LOGFONT base, const std::string& face, const std::string& style, const std::string& size,
                    bool strikeOut, bool underline, int pixelsPerInch);
