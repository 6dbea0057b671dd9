// The spectrum graph's logic without a window: lines over the frequency
// axis, scales, autoscale, zoom and paging, cursors, keys and mouse, tick
// labels, and the export of the visible points. The graph control paints
// from it and forwards its input to it.
#pragma once

#include "libs/spectrum/AnalysisDataInterface.h"

#include <functional>
#include <string>
#include <vector>

namespace lurrow {

struct GraphRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

struct AxisLabel {
    double value = 0.0;
    int pixel = 0;
    std::string text;
};

enum class GraphKey { Shift, Ctrl, PageUp, PageDown, Left, Right };

class LURROW_API CSpectrumGraph {
public:
    static constexpr int kLeftMargin = 90;
    static constexpr int kMargin = 30;
    static constexpr float kMaxYZoom = 4096.0f;
    static constexpr float kMinYZoom = 1.0f / 256.0f;
    static constexpr int kMinVisibleForZoomIn = 32;

    // Sampling rate and block size; the axis point count becomes L.
    void SetSampleParam(float rate, int blockSize);
    // Copies the record's DRAW_COMMON and VIEW_INFO, then lays out again.
    void SetGroups(const DRAW_COMMON& draw, const VIEW_INFO& view);
    const DRAW_COMMON& GetDrawCommon() const { return m_Draw; }
    const VIEW_INFO& GetViewInfo() const { return m_View; }

    // Line buffers: count lines of L zeroed values; freeing drops them.
    void SetLineCount(int count);
    void FreeLines();
    void FreeXValues();
    int GetLineCount() const { return static_cast<int>(m_Lines.size()); }
    // Converts a spectrum into line i by the Y display kind; autoscales.
    void FillLine(int line, const Spectrum& spectrum);
    void SetLineUnit(int line, const std::string& unit);
    const std::vector<float>& GetLine(int line) const;
    std::string GetActiveUnit() const;
    void SetHasData(bool hasData) { m_bHasData = hasData; }
    bool HasData() const { return m_bHasData; }

    // The client size: plot area, scales and X values.
    void Resize(int width, int height);
    void Layout();

    // Commands and their enabling rules.
    void ZoomXIn();
    void ZoomXOut();
    bool CanZoomXIn() const;
    bool CanZoomXOut() const;
    void ZoomYIn();
    void ZoomYOut();
    bool CanZoomYIn() const;
    bool CanZoomYOut() const;
    void ToggleAutoScale();
    bool IsAutoScale() const { return m_Draw.bAutoScale != 0; }
    void ResetView();
    // Choosing the current mode again turns the cursor off (mode 0).
    void SetCursorMode(int mode);
    int GetCursorMode() const { return m_View.nCursorMode; }

    // Keys: true when the key reached a stop (the control beeps).
    bool KeyDown(GraphKey key);
    void KeyUp(GraphKey key);
    // Mouse with the left button. MouseMove answers whether the left-right
    // sizing shape shows (over a cursor of the double cursor).
    void MouseDown(int x, int y, bool ctrl);
    bool MouseMove(int x, int y, bool leftButton, bool ctrl);
    void MouseUp();

    // Geometry and scales.
    const GraphRect& GetPlotRect() const { return m_Plot; }
    int GetClientWidth() const { return m_nWidth; }
    int GetClientHeight() const { return m_nHeight; }
    float GetXStep() const { return m_fXStep; }
    const std::vector<float>& GetXValues() const { return m_X; }
    int GetAxisCount() const { return m_View.nAxisCount; }
    double GetYMax() const { return m_View.fYMax; }
    double GetYMin() const { return m_View.fYMin; }
    // The lower end of a logarithmic Y axis, and whether Y is logarithmic.
    double GetLogFloor() const { return m_fLogFloor; }
    double GetLogCeiling() const { return m_fLogCeiling; }
    bool IsYLog() const { return m_Draw.nYKind == 1; }
    int XToPixel(double x) const;
    int YToPixel(double y) const;
    // Point index under a pixel, relative to the window's first point.
    int PixelToIndex(int x) const;

    // Grid values (between the plot edges) and tick labels.
    std::vector<double> YGridValues() const;
    std::vector<double> XGridValues() const;
    std::vector<AxisLabel> YLabels() const;
    // measure gives a text's width in pixels; charWidth the average.
    std::vector<AxisLabel> XLabels(const std::function<int(const std::string&)>& measure,
                                   int charWidth) const;
    std::string FormatXLabel(double value) const;

    // Cursors: indices relative to the window's first point.
    int GetCursor1() const { return m_nCursor1; }
    int GetCursor2() const { return m_nCursor2; }
    int GetPeak() const { return m_nPeak; }
    int GetActiveCursor() const { return m_nActiveCursor; }
    double ValueAt(int index) const; // active line
    double XAt(int index) const;
    std::vector<std::string> ReadoutLines() const;
    const GraphRect& GetReadoutBox() const { return m_Box; }
    void SetReadoutBox(const GraphRect& box) { m_Box = box; }

    // The visible points as text rows; false when the file cannot be opened.
    bool ExportData(const std::string& file) const;
    // ".xls" appended unless the name ends in ".xls" or ".txt".
    static std::string ExportFileName(const std::string& chosen);

    // Autoscale of Y over the visible points (exposed for tests).
    void AutoScale();
    static bool RoundOutward(double& value, bool up);

private:
    void ClampWindow();
    void ComputeScales();
    void PlaceCursorsInWindow();
    int PeakIndex() const;
    bool NearCursor(int x, int y, int cursorIndex) const;
    void MoveActiveCursorTo(int x);

    float m_fRate = 0.0f;
    int m_nBlockSize = 0;
    DRAW_COMMON m_Draw;
    VIEW_INFO m_View;
    std::vector<std::vector<float>> m_Lines;
    std::vector<std::string> m_Units;
    std::vector<float> m_X;
    bool m_bHasData = false;
    int m_nWidth = 0, m_nHeight = 0;
    GraphRect m_Plot;
    float m_fXStep = 0.0f;
    double m_fPixPerX = 0.0, m_fPixPerY = 0.0;
    double m_fLogFloor = 1.0, m_fLogCeiling = 10.0;
    int m_nCursor1 = 0, m_nCursor2 = 0, m_nPeak = 0;
    int m_nActiveCursor = 1;
    GraphRect m_Box{50, 30, 50 + 150, 30 + 40};
    bool m_bDraggingBox = false;
    int m_nDragDx = 0, m_nDragDy = 0;
    bool m_bShift = false, m_bCtrl = false;
};

// The Y labels with their widest text within room pixels: fewer decimals,
// then the exponent form; a label cut at the window's edge reads as another
// number.
LURROW_API std::vector<AxisLabel> FitYLabels(std::vector<AxisLabel> labels, int precision,
                                             const std::function<int(const std::string&)>& measure, int room);

// Where the X title goes (its left edge and top) so that it covers no tick
// label: centred below the labels when the window holds both lines, else
// centred on the labels' line in place of the labels it would cover, which
// are taken out of labels (the last one, at the plot's right edge, is kept).
struct TitlePlace {
    int left = 0;
    int top = 0;
};
LURROW_API TitlePlace PlaceXTitle(std::vector<AxisLabel>& labels,
                                  const std::function<int(const std::string&)>& measure,
                                  const GraphRect& plot, int titleWidth, int labelHeight, int titleHeight,
                                  int windowHeight);

} // namespace lurrow
