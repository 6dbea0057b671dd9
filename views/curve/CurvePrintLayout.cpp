// Page geometry of printed curve views.
#include "views/curve/CurvePrintLayout.h"

#include <algorithm>

CurvePrintGeometry ComputeCurvePrintGeometry(const PageSetupValues& s, const PrintRectF& page,
                                             double pxPerMmX, double pxPerMmY, double sourceWidth,
                                             double sourceHeight) {
    const auto cmX = [pxPerMmX](float cm) { return double(std::max(cm, 0.0f)) * 10.0 * pxPerMmX; };
    const auto cmY = [pxPerMmY](float cm) { return double(std::max(cm, 0.0f)) * 10.0 * pxPerMmY; };
    CurvePrintGeometry g;
    const double left = page.left + cmX(s.fLeftMargin);
    const double right = std::max(page.right - cmX(s.fRightMargin), left + 1.0);
    const double top = page.top + cmY(s.fTopMargin);
    const double bottom = std::max(page.bottom - cmY(s.fBottomMargin), top + 1.0);
    g.header = {left, top, right, std::min(top + cmY(s.fHeaderHeight), bottom)};
    g.footer = {left, std::max(bottom - cmY(s.fFooterHeight), g.header.bottom), right, bottom};
    g.separatorY = g.header.bottom;
    g.body = {left, g.header.bottom + 1.0, right, std::max(g.footer.top - 1.0, g.header.bottom + 2.0)};
    // An empty source would divide by zero: it prints at the screen's size.
    g.scaleX = sourceWidth > 0 ? g.body.Width() / sourceWidth : 1.0;
    g.scaleY = sourceHeight > 0 ? g.body.Height() / sourceHeight : 1.0;
    return g;
}
