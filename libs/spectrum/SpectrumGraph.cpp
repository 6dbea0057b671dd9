// The spectrum graph's logic: layout, scales, autoscale, zoom, cursors,
// input and export.
#include "libs/spectrum/SpectrumGraph.h"

#include "libs/spectrum/SpectrumChannels.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>

namespace lurrow {

namespace {

const std::vector<float> kNoLine;

// "%.*f", or the exponent form where fixed digits would show nothing useful.
std::string FormatNumber(double value, int precision) {
    char text[64];
    const double magnitude = std::fabs(value);
    const bool exponent = magnitude >= 1e9 || (magnitude != 0.0 && magnitude < std::pow(10.0, -precision));
    std::snprintf(text, sizeof text, exponent ? "%.*e" : "%.*f", precision, value);
    return text;
}

int ClampPixel(double pixel) {
    return static_cast<int>(std::clamp(pixel, -1.0e6, 1.0e6));
}

template <class T> T Sane(T value, T low, T high, T fallback) {
    return value >= low && value <= high ? value : fallback;
}

} // namespace

void CSpectrumGraph::SetSampleParam(float rate, int blockSize) {
    m_fRate = std::isfinite(rate) && rate > 0.0f ? rate : 0.0f;
    m_nBlockSize = blockSize;
    m_View.nBlockSize = blockSize;
    m_View.nAxisCount = SpectralLineCount(blockSize);
    Layout();
}

void CSpectrumGraph::SetGroups(const DRAW_COMMON& draw, const VIEW_INFO& view) {
    // Groups come from layout files: values out of range take the defaults.
    const DRAW_COMMON defaultDraw;
    const VIEW_INFO defaultView;
    m_Draw = draw;
    m_Draw.nXGrid = Sane(draw.nXGrid, 1, 100, defaultDraw.nXGrid);
    m_Draw.nYGrid = Sane(draw.nYGrid, 1, 100, defaultDraw.nYGrid);
    m_Draw.nYKind = Sane(draw.nYKind, 0, 6, defaultDraw.nYKind);
    m_Draw.nXPrecision = Sane(draw.nXPrecision, 0, 10, defaultDraw.nXPrecision);
    m_Draw.nYPrecision = Sane(draw.nYPrecision, 0, 10, defaultDraw.nYPrecision);
    m_View = view;
    m_View.fYZoom = Sane(view.fYZoom, kMinYZoom, kMaxYZoom, 1.0f);
    m_View.fDefaultYMax = Sane(view.fDefaultYMax, -1e30f, 1e30f, defaultView.fDefaultYMax);
    m_View.nCursorMode = Sane(view.nCursorMode, 0, 3, 0);
    m_View.nBlockSize = m_nBlockSize;
    m_View.nAxisCount = SpectralLineCount(m_nBlockSize);
    Layout();
}

void CSpectrumGraph::SetLineCount(int count) {
    count = std::clamp(count, 0, kMaxChannels);
    m_Lines.assign(static_cast<std::size_t>(count),
                   std::vector<float>(static_cast<std::size_t>(GetAxisCount()), 0.0f));
    m_Units.assign(static_cast<std::size_t>(count), std::string());
    m_View.nLineCount = count;
    Layout();
}

void CSpectrumGraph::FreeLines() {
    m_Lines.clear();
    m_Units.clear();
}

void CSpectrumGraph::FreeXValues() {
    m_X.clear();
}

void CSpectrumGraph::FillLine(int line, const Spectrum& spectrum) {
    if (line < 0 || line >= GetLineCount())
        return;
    std::vector<float>& values = m_Lines[static_cast<std::size_t>(line)];
    values.assign(static_cast<std::size_t>(GetAxisCount()), 0.0f);
    const int count = std::min(static_cast<int>(values.size()), static_cast<int>(spectrum.size()));
    SpectrumToDisplay(spectrum.data(), count, values.data(), m_Draw.nYKind);
    m_bHasData = true;
    Layout();
}

void CSpectrumGraph::SetLineUnit(int line, const std::string& unit) {
    if (line >= 0 && line < static_cast<int>(m_Units.size()))
        m_Units[static_cast<std::size_t>(line)] = unit;
}

const std::vector<float>& CSpectrumGraph::GetLine(int line) const {
    return line >= 0 && line < GetLineCount() ? m_Lines[static_cast<std::size_t>(line)] : kNoLine;
}

std::string CSpectrumGraph::GetActiveUnit() const {
    const int line = m_View.nActiveLine;
    return line >= 0 && line < static_cast<int>(m_Units.size()) ? m_Units[static_cast<std::size_t>(line)]
                                                                : std::string();
}

void CSpectrumGraph::Resize(int width, int height) {
    m_nWidth = std::max(width, 0);
    m_nHeight = std::max(height, 0);
    m_Plot = {kLeftMargin, kMargin, std::max(kLeftMargin + 1, m_nWidth - kMargin),
              std::max(kMargin + 1, m_nHeight - kMargin)};
    Layout();
}

void CSpectrumGraph::ClampWindow() {
    const int total = m_View.nTotalCount;
    if (m_View.nVisibleCount < 1 || m_View.nVisibleCount > total)
        m_View.nVisibleCount = total;
    m_View.nXStart = std::clamp(m_View.nXStart, 0, std::max(total - m_View.nVisibleCount, 0));
}

void CSpectrumGraph::Layout() {
    const int lines = GetAxisCount();
    m_Draw.nXAxisKind = 1;
    m_View.nTotalCount = lines;
    ClampWindow();
    m_View.fDefaultYMin = 0.0f;
    m_fXStep = lines > 1 ? static_cast<float>(m_fRate * 0.390625 / (lines - 1)) : 0.0f;
    m_X.resize(static_cast<std::size_t>(lines));
    for (int i = 0; i < lines; ++i)
        m_X[static_cast<std::size_t>(i)] = static_cast<float>(i) * m_fXStep;
    const int last = m_View.nXStart + m_View.nVisibleCount - 1;
    m_View.fXMin = lines > 0 ? m_X[static_cast<std::size_t>(m_View.nXStart)] : 0.0f;
    m_View.fXMax = lines > 0 ? m_X[static_cast<std::size_t>(last)] : 0.0f;
    if (IsAutoScale()) {
        AutoScale();
    } else {
        m_View.fYMax = m_View.fDefaultYMax / m_View.fYZoom;
        m_View.fYMin = m_View.fDefaultYMin / m_View.fYZoom;
    }
    PlaceCursorsInWindow();
    ComputeScales();
}

void CSpectrumGraph::ComputeScales() {
    const double xRange = static_cast<double>(m_View.fXMax) - m_View.fXMin;
    m_fPixPerX = xRange > 0.0 ? m_Plot.Width() / xRange : 0.0;
    if (!IsYLog()) {
        const double yRange = static_cast<double>(m_View.fYMax) - m_View.fYMin;
        m_fPixPerY = yRange > 0.0 ? m_Plot.Height() / yRange : 0.0;
        return;
    }
    // Never the logarithm of zero or a negative value: without a positive
    // value the axis shows one default decade.
    double smallest = std::numeric_limits<double>::infinity();
    for (const auto& line : m_Lines) {
        for (int i = m_View.nXStart;
             i < m_View.nXStart + m_View.nVisibleCount && i < static_cast<int>(line.size()); ++i) {
            const double v = line[static_cast<std::size_t>(i)];
            if (v > 0.0 && std::isfinite(v))
                smallest = std::min(smallest, v);
        }
    }
    if (!std::isfinite(smallest) || !(m_View.fYMax > 0.0f)) {
        m_fLogFloor = 1.0;
        m_fLogCeiling = 10.0;
    } else {
        const double exponent = std::max(std::floor(std::log10(smallest)), -15.0);
        m_fLogFloor = std::max(static_cast<double>(m_View.fYMin), std::pow(10.0, exponent));
        m_fLogCeiling = m_View.fYMax;
        if (m_fLogCeiling <= m_fLogFloor || m_fLogCeiling - m_fLogFloor < 1e-6)
            m_fLogCeiling = m_fLogFloor * 10.0;
    }
    m_fPixPerY = m_Plot.Height() / std::log10(m_fLogCeiling / m_fLogFloor);
}

bool CSpectrumGraph::RoundOutward(double& value, bool up) {
    if (!std::isfinite(value))
        return false;
    const double magnitude = std::fabs(value);
    if (magnitude < 1e-20)
        return true;
    // Away from zero when the direction of rounding grows the magnitude.
    const bool grow = (value > 0.0) == up;
    const double decade = std::pow(10.0, std::floor(std::log10(magnitude)));
    const double steps[] = {1.0, 2.0, 5.0, 10.0};
    double rounded = decade;
    if (grow) {
        for (double step : steps) {
            rounded = step * decade;
            if (rounded >= magnitude * (1.0 - 1e-12))
                break;
        }
    } else {
        for (double step : steps) {
            if (step * decade <= magnitude * (1.0 + 1e-12))
                rounded = step * decade;
        }
    }
    value = value < 0.0 ? -rounded : rounded;
    return true;
}

void CSpectrumGraph::AutoScale() {
    double max = -std::numeric_limits<double>::infinity();
    double min = std::numeric_limits<double>::infinity();
    if (m_bHasData) {
        for (const auto& line : m_Lines) {
            for (int i = m_View.nXStart;
                 i < m_View.nXStart + m_View.nVisibleCount && i < static_cast<int>(line.size()); ++i) {
                const double v = line[static_cast<std::size_t>(i)];
                if (std::isfinite(v)) {
                    max = std::max(max, v);
                    min = std::min(min, v);
                }
            }
        }
    }
    if (!(max >= min)) {
        max = 1000.0;
        min = 0.0;
    }
    if (!RoundOutward(max, true))
        max *= max >= 0.0 ? 1.1111112 : 0.9;
    if (!RoundOutward(min, false))
        min *= min >= 0.0 ? 0.9 : 1.1111112;
    if (max > 0.0 && min < 0.0 && std::fabs(max) != std::fabs(min)) {
        const double larger = std::max(std::fabs(max), std::fabs(min));
        max = larger;
        min = -larger;
    }
    if (m_Draw.nYKind != 2 && m_Draw.nYKind != 5)
        min = 0.0;
    if (!(max > min))
        max = min + 1.0;
    m_View.fYMax = static_cast<float>(max);
    m_View.fYMin = static_cast<float>(min);
}

void CSpectrumGraph::PlaceCursorsInWindow() {
    const int last = std::max(m_View.nVisibleCount - 1, 0);
    m_nCursor1 = std::clamp(m_nCursor1, 0, last);
    m_nCursor2 = std::clamp(m_nCursor2, 0, last);
    if (m_View.nCursorMode == 3)
        m_nPeak = PeakIndex();
}

int CSpectrumGraph::PeakIndex() const {
    const std::vector<float>& line = GetLine(m_View.nActiveLine);
    int peak = 0;
    float best = -std::numeric_limits<float>::infinity();
    for (int i = 0; i < m_View.nVisibleCount; ++i) {
        const std::size_t at = static_cast<std::size_t>(m_View.nXStart + i);
        if (at < line.size() && line[at] >= best) {
            best = line[at];
            peak = i;
        }
    }
    return peak;
}

void CSpectrumGraph::ZoomXIn() {
    if (!CanZoomXIn())
        return;
    m_View.nVisibleCount /= 2;
    if (m_nCursor1 >= m_View.nVisibleCount)
        m_nCursor1 = 0;
    Layout();
}

void CSpectrumGraph::ZoomXOut() {
    if (!CanZoomXOut())
        return;
    m_View.nVisibleCount = std::min(m_View.nVisibleCount * 2, m_View.nTotalCount);
    m_View.nXStart = std::min(m_View.nXStart, m_View.nTotalCount - m_View.nVisibleCount);
    Layout();
}

bool CSpectrumGraph::CanZoomXIn() const {
    return m_bHasData && m_View.nVisibleCount > kMinVisibleForZoomIn;
}

bool CSpectrumGraph::CanZoomXOut() const {
    return m_bHasData && m_View.nXStart + m_View.nVisibleCount < m_View.nTotalCount;
}

void CSpectrumGraph::ZoomYIn() {
    if (!CanZoomYIn())
        return;
    m_View.fYZoom *= 2.0f;
    Layout();
}

void CSpectrumGraph::ZoomYOut() {
    if (!CanZoomYOut())
        return;
    m_View.fYZoom *= 0.5f;
    Layout();
}

bool CSpectrumGraph::CanZoomYIn() const {
    return !IsAutoScale() && m_View.fYZoom < kMaxYZoom;
}

bool CSpectrumGraph::CanZoomYOut() const {
    return !IsAutoScale() && m_View.fYZoom > kMinYZoom;
}

void CSpectrumGraph::ToggleAutoScale() {
    m_Draw.bAutoScale = IsAutoScale() ? 0 : 1;
    Layout();
}

void CSpectrumGraph::ResetView() {
    m_View.fYZoom = 1.0f;
    m_View.nPageIndex = 0;
    m_View.nXStart = 0;
    m_View.nVisibleCount = GetAxisCount();
    Layout();
}

void CSpectrumGraph::SetCursorMode(int mode) {
    if (mode == m_View.nCursorMode || mode < 0 || mode > 3) {
        m_View.nCursorMode = 0;
        return;
    }
    m_View.nCursorMode = mode;
    m_nActiveCursor = 1;
    m_nCursor1 = 0;
    m_nCursor2 = std::max(m_View.nVisibleCount - 1, 0);
    if (mode == 3)
        m_nPeak = PeakIndex();
}

bool CSpectrumGraph::KeyDown(GraphKey key) {
    switch (key) {
    case GraphKey::Shift:
        m_bShift = true;
        return false;
    case GraphKey::Ctrl:
        m_bCtrl = true;
        return false;
    case GraphKey::PageUp:
    case GraphKey::PageDown: {
        const int step = key == GraphKey::PageUp ? -m_View.nVisibleCount : m_View.nVisibleCount;
        m_View.nXStart =
            std::clamp(m_View.nXStart + step, 0, std::max(m_View.nTotalCount - m_View.nVisibleCount, 0));
        m_nCursor1 = 0;
        m_nCursor2 = std::max(m_View.nVisibleCount - 1, 0);
        Layout();
        return false;
    }
    case GraphKey::Left:
    case GraphKey::Right: {
        if (m_View.nCursorMode != 1 && m_View.nCursorMode != 2)
            return false;
        int& cursor = m_nActiveCursor == 2 && m_View.nCursorMode == 2 ? m_nCursor2 : m_nCursor1;
        const int step = (m_bShift ? 10 : 1) * (key == GraphKey::Left ? -1 : 1);
        const int last = std::max(m_View.nVisibleCount - 1, 0);
        const int moved = cursor + step;
        cursor = std::clamp(moved, 0, last);
        return moved != cursor;
    }
    }
    return false;
}

void CSpectrumGraph::KeyUp(GraphKey key) {
    if (key == GraphKey::Shift)
        m_bShift = false;
    else if (key == GraphKey::Ctrl)
        m_bCtrl = false;
}

int CSpectrumGraph::XToPixel(double x) const {
    if (m_Draw.bXLog && m_fXStep > 0.0f) {
        const double floor = std::max(static_cast<double>(m_View.fXMin), static_cast<double>(m_fXStep));
        const double ceiling = std::max(static_cast<double>(m_View.fXMax), floor * 10.0);
        if (x <= floor)
            return m_Plot.left;
        return ClampPixel(m_Plot.left + std::log10(x / floor) * m_Plot.Width() / std::log10(ceiling / floor));
    }
    return ClampPixel(m_Plot.left + (x - m_View.fXMin) * m_fPixPerX);
}

int CSpectrumGraph::YToPixel(double y) const {
    if (IsYLog()) {
        // Non-positive values sit on the floor.
        if (!(y > m_fLogFloor))
            return m_Plot.bottom;
        return ClampPixel(m_Plot.bottom - std::log10(y / m_fLogFloor) * m_fPixPerY);
    }
    return ClampPixel(m_Plot.bottom - (y - m_View.fYMin) * m_fPixPerY);
}

int CSpectrumGraph::PixelToIndex(int x) const {
    const int last = std::max(m_View.nVisibleCount - 1, 0);
    if (m_fXStep <= 0.0f)
        return 0;
    double value;
    if (m_Draw.bXLog) {
        const double floor = std::max(static_cast<double>(m_View.fXMin), static_cast<double>(m_fXStep));
        const double ceiling = std::max(static_cast<double>(m_View.fXMax), floor * 10.0);
        value = floor *
                std::pow(ceiling / floor, static_cast<double>(x - m_Plot.left) / std::max(m_Plot.Width(), 1));
    } else {
        if (m_fPixPerX <= 0.0)
            return 0;
        value = m_View.fXMin + (x - m_Plot.left) / m_fPixPerX;
    }
    const double index = std::round((value - m_View.fXMin) / m_fXStep);
    return static_cast<int>(std::clamp(index, 0.0, static_cast<double>(last)));
}

std::vector<double> CSpectrumGraph::XGridValues() const {
    std::vector<double> values;
    if (m_Draw.bXLog && m_fXStep > 0.0f) {
        const double floor = std::max(static_cast<double>(m_View.fXMin), static_cast<double>(m_fXStep));
        for (double decade = std::pow(10.0, std::floor(std::log10(floor))); decade <= m_View.fXMax;
             decade *= 10.0) {
            for (int k = 1; k <= 9; ++k) {
                const double v = k * decade;
                if (v > floor && v < m_View.fXMax)
                    values.push_back(v);
            }
        }
        return values;
    }
    for (int i = 1; i < m_Draw.nXGrid; ++i)
        values.push_back(m_View.fXMin +
                         (static_cast<double>(m_View.fXMax) - m_View.fXMin) * i / m_Draw.nXGrid);
    return values;
}

std::vector<double> CSpectrumGraph::YGridValues() const {
    std::vector<double> values;
    if (IsYLog()) {
        for (double decade = std::pow(10.0, std::floor(std::log10(m_fLogFloor))); decade <= m_fLogCeiling;
             decade *= 10.0) {
            for (int k = 1; k <= 9; ++k) {
                const double v = k * decade;
                if (v > m_fLogFloor && v < m_fLogCeiling)
                    values.push_back(v);
            }
        }
        return values;
    }
    for (int i = 1; i < m_Draw.nYGrid; ++i)
        values.push_back(m_View.fYMax -
                         (static_cast<double>(m_View.fYMax) - m_View.fYMin) * i / m_Draw.nYGrid);
    return values;
}

std::vector<AxisLabel> CSpectrumGraph::YLabels() const {
    std::vector<AxisLabel> labels;
    if (IsYLog()) {
        for (double decade = std::pow(10.0, std::ceil(std::log10(m_fLogFloor) - 1e-9));
             decade <= m_fLogCeiling * (1 + 1e-9); decade *= 10.0)
            labels.push_back({decade, YToPixel(decade), FormatNumber(decade, m_Draw.nYPrecision)});
        return labels;
    }
    for (int i = 0; i <= m_Draw.nYGrid; ++i) {
        double v = m_View.fYMax - (static_cast<double>(m_View.fYMax) - m_View.fYMin) * i / m_Draw.nYGrid;
        if (std::fabs(v) < 1e-18)
            v = 0.0;
        labels.push_back({v, YToPixel(v), FormatNumber(v, m_Draw.nYPrecision)});
    }
    return labels;
}

std::string CSpectrumGraph::FormatXLabel(double value) const {
    if (std::fabs(value) < 1e-18)
        value = 0.0;
    if (std::fabs(value) >= 1000.0)
        return FormatNumber(value / 1000.0, m_Draw.nXPrecision) + "k";
    return FormatNumber(value, m_Draw.nXPrecision);
}

std::vector<AxisLabel> CSpectrumGraph::XLabels(const std::function<int(const std::string&)>& measure,
                                               int charWidth) const {
    std::vector<AxisLabel> labels;
    const int divisions = m_Draw.nXGrid;
    auto valueAt = [&](int i) {
        return m_View.fXMin + (static_cast<double>(m_View.fXMax) - m_View.fXMin) * i / divisions;
    };
    const std::string lastText = FormatXLabel(valueAt(divisions));
    const int lastWidth = measure(lastText);
    const int lastLeft = m_Plot.right - 3 - lastWidth;
    const int every = m_Plot.Width() / divisions >= lastWidth ? 2 : 4;
    for (int i = 0; i < divisions; i += every) {
        const std::string text = FormatXLabel(valueAt(i));
        const int centre = m_Plot.left + m_Plot.Width() * i / divisions;
        if (centre + measure(text) / 2 + 1.3 * charWidth > lastLeft)
            continue;
        labels.push_back({valueAt(i), centre, text});
    }
    // The last division's label is right-aligned inside the plot: its pixel is its right edge.
    labels.push_back({valueAt(divisions), m_Plot.right - 3, lastText});
    return labels;
}

double CSpectrumGraph::XAt(int index) const {
    const std::size_t at = static_cast<std::size_t>(m_View.nXStart + index);
    return index >= 0 && at < m_X.size() ? m_X[at] : 0.0;
}

double CSpectrumGraph::ValueAt(int index) const {
    const std::vector<float>& line = GetLine(m_View.nActiveLine);
    const std::size_t at = static_cast<std::size_t>(m_View.nXStart + index);
    return index >= 0 && at < line.size() ? line[at] : 0.0;
}

std::vector<std::string> CSpectrumGraph::ReadoutLines() const {
    char text[96];
    std::vector<std::string> lines;
    auto add = [&](const char* label, double value) {
        std::snprintf(text, sizeof text, "%s%.2f", label, value);
        lines.emplace_back(text);
    };
    switch (m_View.nCursorMode) {
    case 1:
    case 3: {
        const int at = m_View.nCursorMode == 1 ? m_nCursor1 : m_nPeak;
        add("X: ", XAt(at));
        add("Y1: ", ValueAt(at));
        break;
    }
    case 2:
        add("X1: ", XAt(m_nCursor1));
        add("X2: ", XAt(m_nCursor2));
        add("dX: ", XAt(m_nCursor2) - XAt(m_nCursor1));
        add("Y11: ", ValueAt(m_nCursor1));
        add("Y21: ", ValueAt(m_nCursor2));
        add("dY1: ", ValueAt(m_nCursor2) - ValueAt(m_nCursor1));
        break;
    default:
        break;
    }
    return lines;
}

bool CSpectrumGraph::NearCursor(int x, int y, int cursorIndex) const {
    const int px = XToPixel(XAt(cursorIndex));
    const int dx = x - px;
    return dx >= -4 && dx <= 5 && y >= m_Plot.top && y <= m_Plot.bottom;
}

void CSpectrumGraph::MoveActiveCursorTo(int x) {
    const int index = PixelToIndex(x);
    if (m_View.nCursorMode == 2 && m_nActiveCursor == 2)
        m_nCursor2 = index;
    else
        m_nCursor1 = index;
}

void CSpectrumGraph::MouseDown(int x, int y, bool ctrl) {
    const int mode = m_View.nCursorMode;
    if (mode != 0 && m_Box.Contains(x, y)) {
        m_bDraggingBox = true;
        m_nDragDx = x - m_Box.left;
        m_nDragDy = y - m_Box.top;
        return;
    }
    if ((mode == 1 || mode == 2) && !ctrl && x >= m_Plot.left && x <= m_Plot.right)
        MoveActiveCursorTo(x);
}

bool CSpectrumGraph::MouseMove(int x, int y, bool leftButton, bool ctrl) {
    const int mode = m_View.nCursorMode;
    if (m_bDraggingBox && leftButton) {
        const int w = m_Box.Width(), h = m_Box.Height();
        const int left = std::clamp(x - m_nDragDx, 1, std::max(1, m_nWidth - 10 - w));
        const int top = std::clamp(y - m_nDragDy, 1, std::max(1, m_nHeight - 10 - h));
        m_Box = {left, top, left + w, top + h};
        return false;
    }
    if (leftButton && !ctrl && (mode == 1 || mode == 2)) {
        MoveActiveCursorTo(x);
        return false;
    }
    if (!leftButton && mode == 2) {
        if (NearCursor(x, y, m_nCursor2)) {
            m_nActiveCursor = 2;
            return true;
        }
        if (NearCursor(x, y, m_nCursor1)) {
            m_nActiveCursor = 1;
            return true;
        }
    }
    return false;
}

void CSpectrumGraph::MouseUp() {
    m_bDraggingBox = false;
}

bool CSpectrumGraph::ExportData(const std::string& file) const {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(file.c_str(), "wb"), &std::fclose);
    if (!f)
        return false;
    for (int i = 0; i < m_View.nVisibleCount; ++i) {
        std::fprintf(f.get(), "%.*f\t", m_Draw.nXPrecision, XAt(i));
        for (const auto& line : m_Lines) {
            const std::size_t at = static_cast<std::size_t>(m_View.nXStart + i);
            std::fprintf(f.get(), "%.*f\t", m_Draw.nYPrecision, at < line.size() ? line[at] : 0.0);
        }
        std::fputs("\r\n", f.get());
    }
    return true;
}

std::string CSpectrumGraph::ExportFileName(const std::string& chosen) {
    const std::string tail = chosen.size() >= 4 ? chosen.substr(chosen.size() - 4) : std::string();
    return tail == ".xls" || tail == ".txt" ? chosen : chosen + ".xls";
}

std::vector<AxisLabel> FitYLabels(std::vector<AxisLabel> labels, int precision,
                                  const std::function<int(const std::string&)>& measure, int room) {
    const auto widest = [&](const std::vector<AxisLabel>& all) {
        int w = 0;
        for (const AxisLabel& label : all)
            w = std::max(w, measure(label.text));
        return w;
    };
    if (widest(labels) <= room)
        return labels;
    char text[64];
    for (int p = std::min(precision, 7) - 1; p >= 0; --p) {
        for (AxisLabel& label : labels)
            label.text = FormatNumber(label.value, p);
        if (widest(labels) <= room)
            return labels;
    }
    for (int p = 2; p >= 0; --p) {
        for (AxisLabel& label : labels) {
            std::snprintf(text, sizeof text, "%.*e", p, label.value);
            label.text = text;
        }
        if (widest(labels) <= room)
            break;
    }
    return labels;
}

TitlePlace PlaceXTitle(std::vector<AxisLabel>& labels, const std::function<int(const std::string&)>& measure,
                       const GraphRect& plot, int titleWidth, int labelHeight, int titleHeight,
                       int windowHeight) {
    TitlePlace place;
    place.left = plot.left + (plot.Width() - titleWidth) / 2;
    const int labelTop = plot.bottom + 4;
    place.top = std::max(plot.bottom + titleHeight + 6, labelTop + labelHeight);
    if (place.top + titleHeight <= windowHeight)
        return place;
    place.top = labelTop;
    for (std::size_t i = 0; i + 1 < labels.size();) {
        const int w = measure(labels[i].text);
        const int left = labels[i].pixel - w / 2;
        if (left + w + 4 > place.left && left < place.left + titleWidth + 4)
            labels.erase(labels.begin() + static_cast<std::ptrdiff_t>(i));
        else
            ++i;
    }
    return place;
}

} // namespace lurrow
