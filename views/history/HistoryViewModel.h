// The history curve view without its window: the measured channels stacked
// as horizontal bands, a page of 1..8 bands scrolled through the channel
// list, one window of samples per band (live or read from the stored run),
// the three scale types with the vertical zoom, the cursors, the rows of
// the information column and the view's section of the window layout file.
#pragma once

#include "views/shared/CurveSeries.h"
#include "views/shared/GraphDisplayOptions.h"

#include <array>
#include <string>
#include <vector>

struct CurveWorld;

struct HistoryBand {
    PlotRect rcBand;
    CCurveSeries series; // its plot rectangle, window buffer and ranges
    int nChannel = -1;   // -1: the band is empty
    std::array<int, 2> nCursor{0, 0};
    bool bPlotIsBand = false; // a shrink rule took the margins away
};

struct HistoryInfoRow {
    int nChannel = -1;
    float fValue = 0.0f;
};

class CHistoryViewModel {
public:
    static constexpr int kMaxBands = 8;
    static constexpr int kMaxChannels = 4096;
    static constexpr float kDefaultRange = 50000.0f;

    CHistoryViewModel();

    // --- channels and bands ---
    // Takes at most 4,096 ids; the page is clamped and the bands reassigned.
    void SetChannelList(const std::vector<int>& ids);
    const std::vector<int>& ChannelList() const { return m_ChannelList; }
    void UseMeasChannelList(const CurveWorld& world);
    // The bands over a client (or print) rectangle; sx, sy the print factors.
    void LayoutBands(int left, int top, int width, int height, double sx = 1.0, double sy = 1.0);
    double BandHeight() const { return m_fBandHeight; }
    void ClampPageOff();
    // Moves the page to the offset, clamped; true when it changed.
    bool ScrollTo(int pageOff);
    // The wheel: delta in 120ths; nothing when every channel fits one page.
    bool Wheel(int delta);
    // The largest page offset the list allows.
    int MaxPageOff() const;
    void AssignChannels();
    // The band shows another channel (-1: none); false for a band off the page.
    bool SetBandChannel(int band, int channel);
    // The band under a point whose channel is in the list's id range; -1 for none.
    int BandAt(int x, int y) const;

    // --- data ---
    void AllocBuffers();
    void FreeBuffers();
    // Kind 0 or 1: the newest sample set goes to the last valid point of
    // every band; kind 2: points from .. count - 1 of the per-position
    // arrays, and the valid count becomes count. setPosition: channel id ->
    // its place in the set and the arrays (-1: the channel has none).
    int ReceiveData(int kind, int count, const float* set, const float* const* arrays,
                    const std::vector<int>& setPosition, int from = 0);
    bool LoadCurveData(const CurveWorld& world);
    bool HasBuffers() const { return m_bBuffers; }
    bool CurvesShown() const;

    // --- ranges ---
    // The value axis of a band by its scale type, and the limits its curve is drawn between.
    void AxisRange(int band, float& yMax, float& yMin) const;
    void CurveRange(int band, float& yMax, float& yMin) const;
    // Sample numbers the time axis spans.
    void TimeAxis(float& xMin, float& xMax) const;
    // Every band's series takes its curve limits.
    void ApplyCurveLimits();
    bool CanZoom() const { return m_Options.m_nScareType != 1; }
    void ZoomY(bool zoomIn);
    void ToggleAutoScale();

    // --- cursors ---
    void ToggleCursorType(int type);
    void ResetCursors();
    void ClampCursors();
    // The largest cursor index the window and the stored run allow.
    int LastCursorIndex() const;
    // A click: selects the band under the point and moves the nearer
    // cursor there; false when no band is under it.
    bool ClickAt(int x, int y);
    // A drag: the active cursor of the selected band follows x.
    bool DragTo(int x);
    // Left (-1) or right (+1) arrow; false when nothing moved.
    bool MoveCursorByKey(int step);
    int ActiveIndex(int band) const;
    // The absolute sample the data synchronisation positions the other views at.
    int SyncSample() const;

    // --- information column ---
    std::vector<HistoryInfoRow> InfoRows() const;

    // --- property sheet and layout file ---
    // Takes the sheet's record, grid flag and bands per page; true when the
    // number of bands changed (the buffers were made anew).
    bool ApplySheet(const CGraphDisplayOptions& options, int isGrid, int bandsPerPage,
                    const CurveWorld& world);
    void SaveLayout(const std::string& file, int index) const;
    void LoadLayout(const std::string& file, int index);

    // Run flags and the stored run, refreshed by the owner.
    bool m_bSampling = false;
    bool m_bPaused = false;
    bool m_bStoredData = false;
    int m_nStoredTotal = 0;
    // Seconds per sample in a continuous run; 0: the time axis counts samples.
    double m_fTimeStep = 0.0;

    CGraphDisplayOptions m_Options; // band 0's record: every band uses it
    int m_nBandsPerPage = 4;
    int m_nIsGrid = 1;
    int m_nPageOff = 0;
    std::array<HistoryBand, kMaxBands> m_Bands;
    int m_nFirstSample = 0;
    int m_nWindowCount = 256;
    int m_nValidCount = 256;
    int m_nLiveSpan = 255;
    int m_nCursorType = 0;
    bool m_bCursorSync = false;
    int m_nActiveCursor = 0;
    int m_nSelectedBand = 0;
    bool m_bDataSync = false;
    bool m_bShowCol = false;
    float m_fltOldCoordYMax = kDefaultRange;
    float m_fltOldCoordYMin = -kDefaultRange;
    int m_nMarginLeft = 80, m_nMarginTop = 15, m_nMarginRight = 25, m_nMarginBottom = 30;

private:
    std::vector<int> m_ChannelList;
    double m_fBandHeight = 0.0;
    int m_nClientHeight = 0;
    bool m_bBuffers = false;
    // Extremes of the valid points of a band, markers left out; false when none.
    bool ValidExtremes(int band, float& high, float& low) const;
};
