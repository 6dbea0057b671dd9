// Geometry of the mechanical-property test's plot.
#include "panels/mechanical/MechanicalPlotScale.h"

#include "platform/Text.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr int kInsetLeft = 80, kInsetTop = 10, kInsetRight = 30, kInsetBottom = 40;
constexpr float kMaxZoomBeforeStep = 8.0f;

void ApplyZoom(MechanicalRanges& ranges, float factor) {
    ranges.fXMax = factor * ranges.fXHalfRange;
    ranges.fXMin = -ranges.fXMax;
    ranges.fYMax = factor * ranges.fYHalfRange;
    ranges.fYMin = -ranges.fYMax;
}

// "1.23e+004" on one C library and "1.23e+04" on another both become "1.23e+4".
std::string ShortExponent(std::string text) {
    const std::size_t e = text.find('e');
    if (e == std::string::npos || e + 2 >= text.size())
        return text;
    std::size_t digits = e + 2;
    while (digits + 1 < text.size() && text[digits] == '0')
        text.erase(digits, 1);
    return text;
}

} // namespace

MechanicalPlotRect LayoutMechanicalPlot(int clientWidth, int clientHeight) {
    const int width = clientWidth - kInsetLeft - kInsetRight;
    const int height = clientHeight - kInsetTop - kInsetBottom;
    const int side = std::max(std::min(width, height), 0);
    MechanicalPlotRect plot;
    if (width <= height) {
        plot.left = kInsetLeft;
        plot.top = (height - side) / 2 + kInsetTop;
    } else {
        plot.top = kInsetTop;
        plot.left = (width - side) / 2 + kInsetLeft;
    }
    plot.width = plot.height = side;
    plot.right = plot.left + side;
    plot.bottom = plot.top + side;
    return plot;
}

MechanicalScale ComputeMechanicalScale(const MechanicalPlotRect& plot, const MechanicalRanges& ranges) {
    MechanicalScale scale;
    const double xSpan = double(ranges.fXMax) - ranges.fXMin;
    const double ySpan = double(ranges.fYMax) - ranges.fYMin;
    if (xSpan == 0.0 || ySpan == 0.0)
        return scale;
    scale.fPixelsPerX = float(plot.width / std::fabs(xSpan));
    scale.fPixelsPerY = float(plot.height / std::fabs(ySpan));
    scale.nOriginX = int(plot.left + (-double(ranges.fXMin)) * plot.width / xSpan);
    scale.nOriginY = int(plot.bottom - (-double(ranges.fYMin)) * plot.height / ySpan);
    return scale;
}

float MechanicalCursorValue(const MechanicalScale& scale, int direction, int pixel) {
    if (direction == kCursorsOnY)
        return scale.fPixelsPerY != 0.0f ? float(scale.nOriginY - pixel) / scale.fPixelsPerY : 0.0f;
    return scale.fPixelsPerX != 0.0f ? float(pixel - scale.nOriginX) / scale.fPixelsPerX : 0.0f;
}

bool ZoomOutMechanicalPlot(MechanicalRanges& ranges, float& factor) {
    if (factor > kMaxZoomBeforeStep)
        return false;
    factor *= 2.0f;
    ApplyZoom(ranges, factor);
    return true;
}

bool ZoomInMechanicalPlot(MechanicalRanges& ranges, float& factor) {
    const float next = factor / 2.0f;
    if (next * ranges.fXHalfRange < kMinXHalfRange)
        return false;
    factor = next;
    ApplyZoom(ranges, factor);
    return true;
}

int NearerMechanicalCursor(int pos, int cursor1, int cursor2) {
    return std::abs(pos - cursor1) < std::abs(pos - cursor2) ? 0 : 1;
}

std::string FormatMechanicalAxisValue(double value, int decimals, bool yAxis) {
    const double magnitude = std::fabs(value);
    if (magnitude < 1e-18)
        value = 0.0;
    else if (yAxis ? magnitude >= 10000.0 : magnitude > 10000.0)
        return ShortExponent(platform::Format("%.2e", value));
    return platform::Format("%.*f", std::clamp(decimals, 0, 20), value);
}
