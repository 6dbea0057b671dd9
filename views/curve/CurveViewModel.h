// The real-time and distribution curve view without its window: up to eight
// curves in one of three drawing modes (time curves, XY curves, distribution
// over channels), fed live one sample set at a time or loaded from the stored
// run, with the three scale types, the Y zoom, the cursors, the legend and
// the view's section of the window layout file.
#pragma once

#include "views/shared/CurveSeries.h"
#include "views/shared/GraphDisplayOptions.h"

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct CurveWorld;

// The 11 words of the "选项" page, stored whole (44 bytes).
struct RealViewOption {
    std::int32_t nGrid = 1;
    std::int32_t nStatistics = 0;
    std::int32_t nLegend = 1;
    std::int32_t nMax = 0;
    std::int32_t nMin = 0;
    std::int32_t nAverage = 0;
    std::int32_t nStdDev = 0;
    std::int32_t nPeakPeak = 0;
    std::int32_t nAutoDistribution = 1;
    std::int32_t nAutoGroups = 1; // 1..4
    std::int32_t nPeakListCount = 10;
    bool operator==(const RealViewOption&) const = default;
};
static_assert(sizeof(RealViewOption) == 44);

// The signal choice the selection dialog hands back.
struct CurveSignalChoice {
    int nKind = 1; // 1, 2, 4; 6 and 7 are taken as 1
    int nMode = 1;
    std::vector<int> ids;
    int bXYRef = 0;
    int nXYRefId = 0;
    int nXYRefIndex = 0;
    int bXYRefIsX = 0;
};

struct LegendEntry {
    PlotRect rect;
    int nColour = 0; // curve colour index
    bool bActive = false;
    int nCurve = 0; // the curve made active by a double click
};

class CCurveViewModel {
public:
    static constexpr int kMaxCurves = 8;
    static constexpr int kMaxXYPoints = 4096;
    static constexpr int kMaxDistributionIds = 4096;
    static constexpr float kDefaultRange = 50000.0f;

    CCurveViewModel();

    // --- the display fields ---
    void ResetDisplay();
    bool AllocCurveBuffers(const CurveWorld& world);
    bool FreeCurveBuffers();
    bool HasCurves() const { return !m_Curves.empty(); }
    // Every point of every curve holds no value (a live page no sample has reached).
    void ClearPointValues();
    int GetChannelCount() const { return m_nShowDataLineCount; }
    std::vector<int> GetChannelIDs() const;
    // The channel of curve i after the assignment by signal kind and mode.
    int CurveChannel(int curve) const;
    // Puts unmeasured analog channels of a time waveform back to measured ones.
    void RevalidateChannels(const CurveWorld& world);
    void SetDrawingMode(int mode, const CurveWorld& world);
    // After a project or unit change: the peak list and the theory values go;
    // a rosette or residual-strain view falls back to time curves of measured
    // channels. True when the signal kind changed.
    bool ResetSignalKind(const CurveWorld& world);

    // --- data ---
    // Kind 1: one sample set; kind 2: count samples of per-measured-channel
    // buffers. The point count.
    int AppendRealTimeData(int kind, int count, const float* sampleSet, const float* const* blocks,
                           const CurveWorld& world);
    bool LoadCurveData(const CurveWorld& world);
    // The value of a channel in the current sample set; false when it has none.
    bool ChannelValue(int id, const float* sampleSet, const CurveWorld& world, float& value) const;
    // Logical point i of a curve (XY curves are kept as a ring).
    float PointValue(int curve, int index) const;
    int PointCount() const { return m_nPointCount; }
    void SetPointCount(int count);

    // --- ranges ---
    void InitRangeFromChannels(const CurveWorld& world);
    void ComputeAutoRange();
    // The ranges the frame step copies into the options by scale type and mode.
    void ApplyFrameRanges();
    // The curve limits of the curve step.
    void ApplyCurveLimits();
    bool CanZoomIn() const;
    bool CanZoomOut() const;
    void ZoomY(bool zoomIn);
    void ToggleAutoScale();
    // Mode 0 multiplies the fixed ranges by fx (X) and fy (Y), mode 1 divides
    // them; countLevel 1 moves the horizontal zoom level (up for 0, down for 1).
    void Zoom(int mode, float fx, float fy, int countLevel);
    // Whether the view lets the horizontal zoom in or out pass on.
    bool CanZoomX(bool zoomIn) const;
    // The Y values the active curve shows at two pixel rows (any order)
    // become the fixed range; false when the rows give no range.
    bool SetYRangeFromPixels(int y1, int y2);
    // The drag zoom: the rows of a dragged band, kept inside the plot, give
    // the fixed range and the view shows it (scale type 0).
    bool ZoomToBand(int y1, int y2);

    // --- layout of the plot, cursors and legend ---
    void LayoutPlot(int clientWidth, int clientHeight);
    const PlotRect& GetPlotRect() const { return m_rcPlot; }
    const PlotRect& GetClientRect() const { return m_rcClient; }
    void ToggleCursorType(int type);
    void ClampCursors();
    bool SetCursorPosition(int absoluteIndex);
    // The cursor placed by a click at x in the plot; false when none moved.
    bool PlaceCursorAt(int x);
    // Left (-1) or right (+1) arrow; false when nothing moved.
    bool MoveCursorByKey(int step);
    std::vector<LegendEntry> LegendEntries(double scaleX = 1.0, double scaleY = 1.0) const;
    // A double click: makes the entry's curve active; false between entries.
    bool LegendDoubleClick(int x, int y);

    // The lines of the cursor read-out box (after clamping the cursors) and
    // of the statistics box. xStep: seconds per sample of the X read-outs
    // (1 when the X axis counts samples). Markers read out as their text and
    // take no part in the statistics.
    std::vector<std::string> BuildCursorReadouts(double xStep);
    std::vector<std::string> BuildStatisticsLines() const;

    // While sampling with the follow switch: the cursor sits on the newest point.
    void FollowLatestPoint();
    bool IsManualDistribution() const {
        return m_nShowGraphType == 3 && m_STRealViewOption.nAutoDistribution == 0;
    }
    // Switches the distribution to manual batches: the newest stored samples
    // while sampling (storedCount of them), else those before the window start.
    // False when it was manual already.
    bool SetDistributionManual(int storedCount);
    // Takes the batches a batch choice gave (at most 8): the curve count
    // follows, the active curve stays among them and the buffers are rebuilt.
    void SetDistributionBatches(const std::vector<int>& batches, const CurveWorld& world);

    // The distribution channel under cursor 0 (mode 3's label).
    int ChannelUnderActiveCursor() const;

    // --- selection and attributes ---
    CurveSignalChoice CurrentChoice() const;
    // Takes a choice the dialog accepted; sampling tells the window rule.
    void ApplySignalChoice(const CurveSignalChoice& choice, const CurveWorld& world);
    // Takes a sheet's result (graph attributes applied).
    void ApplyGraphAttributes(const CGraphDisplayOptions& options, const RealViewOption& option,
                              const CurveWorld& world);

    // --- layout file ---
    void SaveLayout(const std::string& file, int index) const;
    void LoadLayout(const std::string& file, int index);

    // Run flags the owner refreshes before each call.
    bool m_bSampling = false;
    bool m_bPaused = false;
    bool m_bNewSampleData = false;
    bool m_bStoredData = false; // the document holds stored data

    RealViewOption m_STRealViewOption;
    CGraphDisplayOptions m_Options;
    std::vector<CCurveSeries> m_Curves;
    int m_nMarginLeft = 90, m_nMarginRight = 30, m_nMarginTop = 30, m_nMarginBottom = 30;
    int m_nCursorType = 0;
    int m_nActiveCursor = 0;
    bool m_bCursorSync = false;
    int m_bCursorFollow = 0;
    int m_Cursor0 = 0;
    int m_Cursor1 = 0;
    // Box positions: left and top of the read-out, statistics and peak-list boxes.
    std::array<int, 2> m_CursorBox{0, 0};
    std::array<int, 2> m_StatisticBox{0, 0};
    std::array<int, 2> m_PeakListBox{0, 0};
    int m_nLineType = 1;
    int m_nActiveLine = 0;
    int m_nShowDataLineCount = 1;
    int m_nWindowCount = 256;
    int m_nPageLength = 256;
    int m_nFirstSample = 0;
    float m_fltCurYMax = kDefaultRange;
    int m_nShowGraphType = 1;
    int m_nXYCount = 0;
    float m_fltOldCoordYMax = kDefaultRange, m_fltOldCoordXMax = kDefaultRange;
    float m_fltOldCoordYMin = -kDefaultRange, m_fltOldCoordXMin = -kDefaultRange;
    float m_fZoomYMax = kDefaultRange, m_fZoomYMin = -kDefaultRange;
    float m_fZoomXMax = kDefaultRange, m_fZoomXMin = -kDefaultRange;
    float m_fltZoomY = 1.0f;
    int m_nZoomSteps = 0;
    // Raised by zooming out, lowered by zooming in (horizontally), within -16..16.
    int m_nZoomLevelX = 0;
    float m_fSampleInterval = 0.0f;
    bool m_bBuffersReady = false;
    float m_fAutoYMax = kDefaultRange, m_fAutoYMin = -kDefaultRange;
    double m_dXMax = 256.0, m_dXMin = 0.0;
    std::vector<std::int32_t> m_nSelLineID_Group;
    // Ids of m_nSelLineID_Group chosen for the distribution line; 0 before any choice.
    int m_nDistributionCount = 0;
    std::array<std::int32_t, kMaxCurves> m_nSelIndex_Group{};
    std::array<std::int32_t, kMaxCurves> m_nShowGraphTypeIds{}; // "m_nShowGraphType%d": channel ids
    int m_bXYRet = 0;
    int m_nXYRefChannelID = 0;
    int m_nXYRefChannelIndex = 0;
    int m_bXYRefFixX = 0;
    int m_nPeakListCount = 10;
    bool m_bPeakListShown = false;
    // Theory values are drawn and read out; per curve, the values by stored sample.
    bool m_bTheoryShown = false;
    std::vector<std::vector<float>> m_TheoryValues;
    // Each curve takes its channel's theory values, else those for all channels.
    void TakeTheoryValues(const CurveWorld& world);
    std::map<int, float> m_VirtualValues;
    int m_nXGridCount = 10, m_nYGridCount = 10;
    // Index 0 of the XY ring: the oldest point once 4096 are held.
    int m_nXYHead = 0;

private:
    int m_nPointCount = 256;
    std::vector<int> m_CurveIds;
    PlotRect m_rcPlot{90, 30, 170, 170};
    PlotRect m_rcClient{0, 0, 200, 200};
    // Extremes of the points held, kept while appending.
    float m_fDataMax = 0.0f, m_fDataMin = 0.0f;
    bool m_bDataExtremes = false;

    void AssignChannelIds();
    int BufferLength() const;
    void StorePoint(int curve, int index, float value);
    void TakeExtreme(float value);
    void RecomputeExtremes();
    void FinishAutoRange();
    bool AutoRangeWaits() const;
};
