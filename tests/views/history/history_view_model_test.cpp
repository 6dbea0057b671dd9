// The history view's plain logic: bands and their shrink rules, the page
// offset, cursors, zoom, the automatic axis, the information rows, the
// sheet's new band count and the layout keys with bad values.
#include "views/ViewsTestSupport.h"

#include "platform/Profile.h"
#include "views/curve/CurveWorld.h"
#include "views/history/HistoryViewModel.h"

#include <gtest/gtest.h>

#include <numeric>

namespace {

std::vector<int> Ids(int count) {
    std::vector<int> ids(std::size_t(count), 0);
    std::iota(ids.begin(), ids.end(), 0);
    return ids;
}

TEST(HistoryViewModel, BandsSplitTheHeightAndSmallBandsLoseTheirMargins) {
    CHistoryViewModel m;
    m.m_nBandsPerPage = 3;
    m.LayoutBands(0, 0, 600, 301);
    // 100.33 pixels per band, rounded at both edges.
    EXPECT_EQ(m.m_Bands[0].rcBand.top, 0);
    EXPECT_EQ(m.m_Bands[0].rcBand.bottom, 100);
    EXPECT_EQ(m.m_Bands[1].rcBand.bottom, 201);
    EXPECT_EQ(m.m_Bands[2].rcBand.bottom, 301);
    const PlotRect& plot = m.m_Bands[1].series.m_rcPlot;
    EXPECT_EQ(plot.left, 80);
    EXPECT_EQ(plot.top, 100 + 15);
    EXPECT_EQ(plot.right, 600 - 25);
    EXPECT_EQ(plot.bottom, 201 - 30);
    EXPECT_FALSE(m.m_Bands[1].bPlotIsBand);

    // Eight bands in 480 pixels: 60 high, the plot would be 15; a narrow
    // window: the plot would be 95 wide. Both rules take the margins away.
    m.m_nBandsPerPage = 8;
    m.LayoutBands(0, 0, 200, 480);
    const HistoryBand& small = m.m_Bands[2];
    EXPECT_TRUE(small.bPlotIsBand);
    EXPECT_EQ(small.series.m_rcPlot.top, small.rcBand.top);
    EXPECT_EQ(small.series.m_rcPlot.bottom, small.rcBand.bottom);
    EXPECT_EQ(small.series.m_rcPlot.left, 0);
    EXPECT_EQ(small.series.m_rcPlot.right, 200);
}

TEST(HistoryViewModel, PageOffsetIsClampedAndEmptyBandsFollowTheList) {
    struct Case {
        int channels, bands, offset, expected;
    };
    // Clamp: past the end to 0, a page reaching the end to count - bands, negative to 0.
    const Case cases[] = {{16, 4, 4, 4},   {6, 4, 4, 2}, {16, 4, 16, 0},
                          {16, 4, 14, 12}, {3, 4, 2, 0}, {16, 4, -3, 0}};
    for (const Case& c : cases) {
        CHistoryViewModel m;
        m.m_nBandsPerPage = c.bands;
        m.SetChannelList(Ids(c.channels));
        m.m_nPageOff = c.offset;
        m.ClampPageOff();
        EXPECT_EQ(m.m_nPageOff, c.expected) << c.channels << " channels, offset " << c.offset;
    }
    CHistoryViewModel m;
    m.SetChannelList({10, 20, 30});
    m.AssignChannels();
    EXPECT_EQ(m.m_Bands[2].nChannel, 30);
    EXPECT_EQ(m.m_Bands[3].nChannel, -1);
    // All channels on one page: the wheel does nothing.
    EXPECT_FALSE(m.Wheel(-120));
    EXPECT_EQ(m.m_nPageOff, 0);
    m.SetChannelList(Ids(10));
    EXPECT_TRUE(m.Wheel(-240));
    EXPECT_EQ(m.m_nPageOff, 2);
    EXPECT_EQ(m.m_Bands[0].nChannel, 2);
    EXPECT_TRUE(m.Wheel(-2400));
    EXPECT_EQ(m.m_nPageOff, 6);
    m.LayoutBands(0, 0, 600, 400);
    EXPECT_EQ(m.BandAt(100, 5), 0);
    // A list longer than the view can hold is cut.
    m.SetChannelList(Ids(5000));
    EXPECT_EQ(m.ChannelList().size(), 4096u);
}

TEST(HistoryViewModel, CursorsStayInsideTheValidAndStoredSamples) {
    CHistoryViewModel m;
    m.SetChannelList(Ids(8));
    m.LayoutBands(0, 0, 1105, 400);
    m.m_nWindowCount = 256;
    m.AllocBuffers();
    m.m_nValidCount = 200;
    m.m_bStoredData = true;
    m.m_nStoredTotal = 1000;
    m.m_nCursorType = 1;
    // A drag past the last valid sample stops at valid count - 1 ...
    ASSERT_TRUE(m.ClickAt(1100, 150));
    EXPECT_EQ(m.m_nSelectedBand, 1);
    EXPECT_EQ(m.m_Bands[1].nCursor[0], 199);
    // ... and never beyond the stored run.
    m.m_nFirstSample = 900;
    m.ClampCursors();
    EXPECT_EQ(m.m_Bands[1].nCursor[0], 99);
    EXPECT_FALSE(m.MoveCursorByKey(1));
    EXPECT_TRUE(m.MoveCursorByKey(-1));
    EXPECT_EQ(m.m_Bands[1].nCursor[0], 98);
    EXPECT_EQ(m.SyncSample(), 998);

    // Double cursors: the nearer one moves; with synchronisation every band follows.
    m.m_nFirstSample = 0;
    m.m_nCursorType = 2;
    m.m_bCursorSync = true;
    m.m_Bands[0].nCursor = {10, 150};
    const CCurveSeries& s = m.m_Bands[0].series;
    ASSERT_TRUE(m.ClickAt(s.IndexToX(140), 20));
    EXPECT_EQ(m.m_nActiveCursor, 1);
    for (int b = 0; b < 4; ++b)
        EXPECT_NEAR(m.m_Bands[std::size_t(b)].nCursor[1], 140, 1);
    // Peak and no cursor: the arrows do nothing.
    for (int type : {0, 3}) {
        m.m_nCursorType = type;
        EXPECT_FALSE(m.MoveCursorByKey(1));
    }
    // Without data or a run a click puts the cursor at 0.
    m.m_nCursorType = 1;
    m.m_bStoredData = false;
    ASSERT_TRUE(m.ClickAt(600, 20));
    EXPECT_EQ(m.m_Bands[0].nCursor[0], 0);
    // A click beside every band or on an empty band selects nothing.
    m.SetChannelList({3});
    EXPECT_FALSE(m.ClickAt(600, 150));
}

TEST(HistoryViewModel, ZoomHalvesWithAFloorAndTheFirstZoomOutOnlyFixesTheScale) {
    CHistoryViewModel m;
    m.m_Options.m_nScareType = 1;
    m.m_Options.m_fYmax = 1000.0f;
    m.ZoomY(false);
    EXPECT_EQ(m.m_Options.m_nScareType, 2);
    EXPECT_EQ(m.m_Options.m_fYmax, 1000.0f);
    m.ZoomY(false);
    EXPECT_EQ(m.m_Options.m_fYmax, 2000.0f);
    EXPECT_EQ(m.m_Options.m_fYmin, -2000.0f);
    EXPECT_EQ(m.m_fltOldCoordYMax, 100000.0f);
    m.m_Options.m_fYmax = 0.000001f;
    m.m_fltOldCoordYMax = 0.000001f;
    m.m_fltOldCoordYMin = -0.000001f;
    m.ZoomY(true);
    EXPECT_EQ(m.m_Options.m_fYmax, 1.0f);
    EXPECT_EQ(m.m_Options.m_fYmin, -1.0f);
    EXPECT_EQ(m.m_fltOldCoordYMax, 1.0f);
    EXPECT_EQ(m.m_fltOldCoordYMin, 1.0f);
    m.ToggleAutoScale();
    EXPECT_EQ(m.m_Options.m_nScareType, 1);
    EXPECT_FALSE(m.CanZoom());
}

TEST(HistoryViewModel, AxesFollowTheScaleTypeAndLeaveMarkersOut) {
    CHistoryViewModel m;
    m.SetChannelList(Ids(4));
    m.m_nWindowCount = 4;
    m.AllocBuffers();
    m.m_nValidCount = 3;
    m.m_Options.m_nScareType = 1;
    float yMax = 0, yMin = 0;
    // A constant curve: the maximum is the rounded minimum + 1.
    m.m_Bands[0].series.m_Values = {0.0f, 0.0f, 0.0f, 1e9f};
    m.AxisRange(0, yMax, yMin);
    EXPECT_EQ(yMin, 0.0f);
    EXPECT_EQ(yMax, 1.0f);
    // The stored no-value marker takes no part.
    m.m_Bands[1].series.m_Values = {3.7f, 8388609.0f, -2.0f, 0.0f};
    m.AxisRange(1, yMax, yMin);
    EXPECT_EQ(yMax, 5.0f);
    m.CurveRange(1, yMax, yMin);
    EXPECT_EQ(yMax, 3.7f);
    EXPECT_EQ(yMin, -2.0f);
    // No valid sample, the default and the fixed scale.
    m.m_nValidCount = 0;
    m.AxisRange(1, yMax, yMin);
    EXPECT_EQ(yMax, 50000.0f);
    m.m_Options.m_nScareType = 2;
    m.m_fltOldCoordYMax = 7.0f;
    m.m_fltOldCoordYMin = 7.0f;
    m.CurveRange(0, yMax, yMin);
    EXPECT_EQ(yMax, 8.0f);

    // The time axis: the live span while sampling, the window on stored data.
    float xMin = 0, xMax = 0;
    m.m_nFirstSample = 100;
    m.m_nLiveSpan = 512;
    m.m_bSampling = true;
    m.TimeAxis(xMin, xMax);
    EXPECT_EQ(xMin, 100.0f);
    EXPECT_EQ(xMax, 611.0f);
    m.m_bSampling = false;
    m.m_bStoredData = true;
    m.TimeAxis(xMin, xMax);
    EXPECT_EQ(xMax, 103.0f);
}

TEST(HistoryViewModel, LiveDataReachEveryBandAtItsChannelsPlace) {
    CHistoryViewModel m;
    m.SetChannelList({0, 1, 17, 40});
    m.m_nWindowCount = 4;
    m.AllocBuffers();
    std::vector<int> position(4096, -1);
    position[0] = 0;
    position[1] = 1;
    position[17] = 33; // unit 1 in frame slot 2
    const float a0[] = {1, 2, 3, 4}, a1[] = {5, 6, 7, 8}, a33[] = {9, 10, 11, 12};
    std::vector<const float*> arrays(48, nullptr);
    arrays[0] = a0;
    arrays[1] = a1;
    arrays[33] = a33;
    EXPECT_EQ(m.ReceiveData(2, 3, nullptr, arrays.data(), position), 3);
    EXPECT_EQ(m.m_Bands[2].series.m_Values, (std::vector<float>{9, 10, 11, 0}));
    // Channel 40 has no place: its band stays empty.
    EXPECT_EQ(m.m_Bands[3].series.m_Values, (std::vector<float>{0, 0, 0, 0}));
    // Only the new points are copied.
    const float b33[] = {-1, -1, -1, -1};
    arrays[33] = b33;
    m.ReceiveData(2, 4, nullptr, arrays.data(), position, 3);
    EXPECT_EQ(m.m_Bands[2].series.m_Values, (std::vector<float>{9, 10, 11, -1}));
    // One sample set goes to the last valid point.
    std::vector<float> set(48, 0.0f);
    set[33] = 99.0f;
    m.ReceiveData(1, 0, set.data(), nullptr, position);
    EXPECT_EQ(m.m_Bands[2].series.m_Values[3], 99.0f);

    // The information rows: the last value without a cursor, else the active cursor's.
    m.m_bSampling = true;
    std::vector<HistoryInfoRow> rows = m.InfoRows();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[2].nChannel, 17);
    EXPECT_EQ(rows[2].fValue, 99.0f);
    m.m_nCursorType = 1;
    m.m_Bands[2].nCursor[0] = 1;
    EXPECT_EQ(m.InfoRows()[2].fValue, 10.0f);
    m.m_bSampling = false;
    EXPECT_EQ(m.InfoRows()[2].fValue, 0.0f);
}

// While a run's first window is filling, the column shows each band's
// newest value, not the end of the window that holds nothing yet.
TEST(HistoryViewModel, InformationColumnShowsTheNewestValueOfAFillingWindow) {
    CHistoryViewModel m;
    m.SetChannelList({0, 17});
    m.m_nWindowCount = 256;
    m.AllocBuffers();
    std::vector<int> position(4096, -1);
    position[0] = 0;
    position[17] = 17;
    const float a0[] = {1, 2, 3}, a17[] = {-7, 8, -9.5f};
    std::vector<const float*> arrays(32, nullptr);
    arrays[0] = a0;
    arrays[17] = a17;
    m.m_bSampling = true;
    ASSERT_EQ(m.ReceiveData(2, 3, nullptr, arrays.data(), position), 3);
    const std::vector<HistoryInfoRow> rows = m.InfoRows();
    EXPECT_EQ(rows[0].fValue, 3.0f);
    EXPECT_EQ(rows[1].fValue, -9.5f);
}

TEST(HistoryViewModel, SheetWithANewBandCountRebuildsTheBands) {
    CHistoryViewModel m;
    CurveWorld world;
    world.measChanList = Ids(10);
    world.nProjectState = 1;
    CGraphDisplayOptions options;
    options.m_nScareType = 0;
    options.m_fYmax = 5.0f;
    EXPECT_FALSE(m.ApplySheet(options, 0, 4, world));
    EXPECT_EQ(m.m_Options.m_fYmax, 50000.0f);
    EXPECT_EQ(m.m_fltOldCoordYMin, -50000.0f);
    EXPECT_EQ(m.m_nIsGrid, 0);
    options.m_nScareType = 2;
    options.m_fYmax = 5.0f;
    options.m_fYmin = -3.0f;
    m.m_nPageOff = 9;
    EXPECT_TRUE(m.ApplySheet(options, 1, 6, world));
    EXPECT_EQ(m.m_nBandsPerPage, 6);
    EXPECT_EQ(m.m_fltOldCoordYMax, 5.0f);
    EXPECT_EQ(m.m_fltOldCoordYMin, -3.0f);
    EXPECT_EQ(m.ChannelList().size(), 10u);
    EXPECT_EQ(m.m_nPageOff, 4);
    EXPECT_EQ(m.m_Bands[5].nChannel, 9);
    EXPECT_EQ(m.m_Bands[6].nChannel, -1);
    EXPECT_EQ(m.m_Bands[5].series.m_Values.size(), 256u);
    // A count outside 1..8 takes the default.
    EXPECT_TRUE(m.ApplySheet(options, 1, 12, world));
    EXPECT_EQ(m.m_nBandsPerPage, 4);
}

TEST(HistoryViewModel, LayoutKeysRoundTripAndBadValuesTakeTheDefaults) {
    testrun::TempDir dir;
    const std::string file = dir.Path() + "/layout.lyt";
    CHistoryViewModel saved;
    saved.SetChannelList(Ids(20));
    saved.m_nBandsPerPage = 5;
    saved.m_nPageOff = 7;
    saved.m_bShowCol = true;
    saved.m_nCursorType = 2;
    saved.m_bCursorSync = true;
    saved.m_Bands[4].nCursor = {12, 34};
    saved.m_fltOldCoordYMax = 123.5f;
    saved.m_Options.m_Line[0] = 0x123456;
    saved.SaveLayout(file, 2);
    CHistoryViewModel loaded;
    loaded.SetChannelList(Ids(20));
    loaded.LoadLayout(file, 2);
    EXPECT_EQ(loaded.m_nBandsPerPage, 5);
    EXPECT_EQ(loaded.m_nPageOff, 7);
    EXPECT_TRUE(loaded.m_bShowCol);
    EXPECT_EQ(loaded.m_nCursorType, 2);
    EXPECT_TRUE(loaded.m_bCursorSync);
    EXPECT_EQ(loaded.m_Bands[4].nCursor, (std::array<int, 2>{12, 34}));
    EXPECT_EQ(loaded.m_fltOldCoordYMax, 123.5f);
    EXPECT_EQ(loaded.m_Options.m_Line[0], 0x123456u);

    const std::string section = "HistoryView3";
    platform::WritePrivateProfileString(section, "m_STGraphOpt.iChannelCount", "0", file);
    platform::WritePrivateProfileString(section, "m_nCursorType", "9", file);
    platform::WritePrivateProfileString(section, "m_bShowCol", "2", file);
    platform::WritePrivateProfileString(section, "m_Cursor0.DataPos0", "-5", file);
    CHistoryViewModel bad;
    bad.SetChannelList(Ids(6));
    bad.LoadLayout(file, 3);
    EXPECT_EQ(bad.m_nBandsPerPage, 4);
    EXPECT_EQ(bad.m_nCursorType, 0);
    EXPECT_FALSE(bad.m_bShowCol);
    EXPECT_EQ(bad.m_Bands[0].nCursor[0], 0);
    // The absent page offset reads as 4 and is clamped into the list.
    EXPECT_EQ(bad.m_nPageOff, 2);
    EXPECT_EQ(bad.m_fltOldCoordYMax, 1.0f);
}

} // namespace
