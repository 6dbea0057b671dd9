// The curve view's logic without a window: ranges and scale types, zoom,
// the live feed page by page, XY and distribution appends, channel classes,
// cursors, the legend and the layout keys.
#include "views/curve/CurveViewModel.h"

#include "model/CaseSampleBlock.h"
#include "model/ChannelNaming.h"
#include "platform/Profile.h"
#include "views/curve/CurveWorld.h"
#include "views/shared/LiveViewFeed.h"

#include "datafiles/RunWriter.h"

#include <gtest/gtest.h>

#include <fstream>
#include <vector>

namespace {

// Channels 0..3 measured; their values sit at positions 10..13 of the set.
CurveWorld FourChannels() {
    CurveWorld world;
    for (int id = 0; id < 4; ++id) {
        world.measChanList.push_back(id);
        world.setPosition[std::size_t(id)] = 10 + id;
        world.channels[std::size_t(id)].fRange = 100.0f * float(id + 1);
    }
    world.nCaseCount = 1;
    return world;
}

// A sample set of 4096 + 8 values with channel id c at 10 + c holding v(c).
template <class F> std::vector<float> SampleSet(F value) {
    std::vector<float> set(4104, 0.0f);
    for (int id = 0; id < 4; ++id)
        set[std::size_t(10 + id)] = value(id);
    return set;
}

class CurveModelTest : public ::testing::Test {
protected:
    void Choose(int mode, std::vector<int> ids, bool sampling = false) {
        model.m_bSampling = sampling;
        model.m_bNewSampleData = sampling;
        CurveSignalChoice choice;
        choice.nMode = mode;
        choice.ids = std::move(ids);
        model.ApplySignalChoice(choice, world);
        model.LayoutPlot(400, 300);
    }

    CurveWorld world = FourChannels();
    CCurveViewModel model;
};

TEST_F(CurveModelTest, AutomaticRangeTakesItsMarginsAndKeepsItsRules) {
    struct Case {
        int mode;
        std::vector<float> values;
        float max, min;
    };
    const Case cases[] = {
        {1, {0.0f, 0.0f}, 1.0f, 0.0f},                     // all zero: 0 .. 1
        {1, {5.0f, 5.0f}, 5.0f * 1.1111112f, 5.0f * 0.9f}, // equal values keep their margins
        {1, {-4.0f, 2.0f}, 2.0f * 1.1111112f, -4.0f * 1.1111112f},
        {1, {-4.0f, -2.0f}, -2.0f * 0.9f, -4.0f * 1.1111112f},
        {2, {-3.0f, 10.0f}, 11.111112f, -11.111112f}, // XY: symmetric on both axes
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        CCurveViewModel m;
        m.m_bSampling = true;
        m.m_bNewSampleData = true;
        m.m_Options.m_nScareType = 1;
        CurveSignalChoice choice;
        choice.nMode = c.mode;
        choice.ids = {0, 1};
        m.ApplySignalChoice(choice, world);
        m.SetPointCount(1);
        const auto set = SampleSet([&](int id) { return id < 2 ? c.values[std::size_t(id)] : 0.0f; });
        m.AppendRealTimeData(1, 0, set.data(), nullptr, world);
        EXPECT_FLOAT_EQ(m.m_fAutoYMax, c.max);
        EXPECT_FLOAT_EQ(m.m_fAutoYMin, c.min);
        if (c.mode == 2) {
            EXPECT_FLOAT_EQ(float(m.m_dXMax), c.max);
            EXPECT_FLOAT_EQ(float(m.m_dXMin), c.min);
        }
    }
}

TEST_F(CurveModelTest, InitialRangeComesFromTheMeasuringRangesWithZero) {
    Choose(1, {0, 3});
    world.channels[0].fRange = 100.0f;
    world.channels[3].fRange = 500.0f;
    model.InitRangeFromChannels(world);
    EXPECT_FLOAT_EQ(model.m_fAutoYMax, 500.0f);
    EXPECT_FLOAT_EQ(model.m_fAutoYMin, 0.0f);
}

TEST_F(CurveModelTest, AutomaticRangeWaitsForTheFirstSetOfARun) {
    Choose(1, {0}, true);
    model.m_Options.m_nScareType = 1;
    model.m_bNewSampleData = false;
    model.SetPointCount(1);
    const auto set = SampleSet([](int) { return 7.0f; });
    model.AppendRealTimeData(1, 0, set.data(), nullptr, world);
    EXPECT_FLOAT_EQ(model.m_fAutoYMax, CCurveViewModel::kDefaultRange);
}

TEST_F(CurveModelTest, MarkersAreGapsAndStayOutOfTheAutomaticRange) {
    Choose(1, {0}, true);
    model.m_Options.m_nScareType = 1;
    for (int n = 1; n <= 3; ++n) {
        model.SetPointCount(n);
        const float value = n == 2 ? kNoValue : float(n);
        const auto set = SampleSet([&](int) { return value; });
        model.AppendRealTimeData(1, 0, set.data(), nullptr, world);
    }
    EXPECT_FLOAT_EQ(model.m_fAutoYMax, 3.0f * 1.1111112f);
    EXPECT_FLOAT_EQ(model.m_fAutoYMin, 1.0f * 0.9f);
}

TEST_F(CurveModelTest, ZoomHalvesAndDoublesTheFixedRangeWithinItsLimits) {
    Choose(1, {0});
    model.m_Options.m_nScareType = 0;
    model.m_fltOldCoordYMax = 100.0f;
    model.m_fltOldCoordYMin = -40.0f;
    model.ZoomY(true);
    EXPECT_FLOAT_EQ(model.m_Options.m_fYmax, 50.0f);
    EXPECT_FLOAT_EQ(model.m_Options.m_fYmin, -20.0f);
    model.ZoomY(false);
    EXPECT_FLOAT_EQ(model.m_Options.m_fYmax, 100.0f);
    EXPECT_FLOAT_EQ(model.m_Options.m_fYmin, -40.0f);
    EXPECT_FLOAT_EQ(model.m_fltZoomY, 1.0f);

    for (int i = 0; i < 12; ++i)
        model.ZoomY(true);
    EXPECT_FLOAT_EQ(model.m_fltZoomY, 4096.0f);
    EXPECT_FALSE(model.CanZoomIn());
    model.ZoomY(true); // refused
    EXPECT_FLOAT_EQ(model.m_fltZoomY, 4096.0f);
    for (int i = 0; i < 20; ++i)
        model.ZoomY(false);
    EXPECT_FLOAT_EQ(model.m_fltZoomY, 1.0f / 256.0f);
    EXPECT_FALSE(model.CanZoomOut());

    // A zoom from the entered range (scale type 2) starts from the fixed range and stays fixed.
    model.m_Options.m_nScareType = 2;
    model.m_fltZoomY = 1.0f;
    model.m_fltOldCoordYMax = 10.0f;
    model.m_fltOldCoordYMin = -10.0f;
    model.ZoomY(true);
    EXPECT_EQ(model.m_Options.m_nScareType, 0);
    EXPECT_FLOAT_EQ(model.m_Options.m_fYmax, 5.0f);
}

TEST_F(CurveModelTest, AutomaticScaleOffReturnsToTheFixedRange) {
    Choose(1, {0});
    model.m_Options.m_nScareType = 0;
    model.m_fltOldCoordYMax = 80.0f;
    model.m_fltOldCoordYMin = -8.0f;
    model.ToggleAutoScale();
    EXPECT_EQ(model.m_Options.m_nScareType, 1);
    EXPECT_FALSE(model.CanZoomIn());
    model.ToggleAutoScale();
    EXPECT_EQ(model.m_Options.m_nScareType, 0);
    model.ApplyFrameRanges();
    EXPECT_FLOAT_EQ(model.m_Options.m_fYmax, 80.0f);
    EXPECT_FLOAT_EQ(model.m_Options.m_fYmin, -8.0f);
}

// The frame's feed and the view's append together: a page of W samples fills
// from the left and starts again on an empty page.
TEST_F(CurveModelTest, LiveTimeCurvesFillAPageAndStartANewOne) {
    constexpr int W = 256;
    Choose(1, {0, 3}, true);
    model.m_nPageLength = model.m_nWindowCount = W;
    model.FreeCurveBuffers();
    model.AllocCurveBuffers(world);
    for (int n = 1; n <= W + 1; ++n) {
        const CurveFeedStep step = CurveFeed(n, W, 1, false);
        model.m_nFirstSample = step.nBatchStart;
        model.SetPointCount(step.nPointCount);
        const auto set = SampleSet([&](int id) { return float(n * 10 + id); });
        model.AppendRealTimeData(1, 0, set.data(), nullptr, world);
        if (n == W) {
            EXPECT_EQ(model.PointCount(), W);
            EXPECT_FLOAT_EQ(model.PointValue(0, 255), float(W * 10));
            EXPECT_FLOAT_EQ(model.PointValue(1, 255), float(W * 10 + 3));
            EXPECT_EQ(step.nDrawFrom, 254);
            EXPECT_EQ(step.nDrawTo, 255);
        }
    }
    EXPECT_EQ(model.m_nFirstSample, W);
    EXPECT_EQ(model.PointCount(), 1);
    EXPECT_FLOAT_EQ(model.PointValue(0, 0), float((W + 1) * 10));
    model.ApplyFrameRanges();
    EXPECT_FLOAT_EQ(model.m_Options.m_fXmin, float(W));
    EXPECT_FLOAT_EQ(model.m_Options.m_fXmax, float(2 * W - 1));
}

TEST_F(CurveModelTest, AShortWindowNeverLetsTheLiveIndexPassTheBuffer) {
    Choose(1, {0}, true);
    model.m_nWindowCount = 16;
    model.m_nPageLength = 256;
    model.FreeCurveBuffers();
    model.AllocCurveBuffers(world);
    ASSERT_GE(model.m_Curves.front().m_nCount, 256);
    model.SetPointCount(200);
    const auto set = SampleSet([](int) { return 1.0f; });
    EXPECT_EQ(model.AppendRealTimeData(1, 0, set.data(), nullptr, world), 200);
}

TEST_F(CurveModelTest, LiveXYKeepsTheNewest4096Points) {
    Choose(2, {0, 1}, true);
    for (int n = 1; n <= 4097; ++n) {
        const auto set = SampleSet([&](int id) { return float(n + id * 100000); });
        model.AppendRealTimeData(1, 0, set.data(), nullptr, world);
    }
    EXPECT_EQ(model.PointCount(), 4096);
    EXPECT_EQ(model.m_nXYCount, 4096);
    EXPECT_FLOAT_EQ(model.PointValue(0, 0), 2.0f);
    EXPECT_FLOAT_EQ(model.PointValue(0, 4095), 4097.0f);
    EXPECT_FLOAT_EQ(model.PointValue(1, 4095), 104097.0f);
    // The point that left was the smallest: the range follows the points held.
    model.m_Options.m_nScareType = 1;
    model.ComputeAutoRange();
    EXPECT_FLOAT_EQ(model.m_fAutoYMax, 104097.0f * 1.1111112f);
}

TEST_F(CurveModelTest, AutomaticDistributionShowsTheNewestSetsLast) {
    model.m_STRealViewOption.nAutoGroups = 3;
    Choose(3, {0, 1, 2, 3}, true);
    ASSERT_EQ(model.GetChannelCount(), 3);
    ASSERT_EQ(model.PointCount(), 4);
    for (float batch : {1.0f, 2.0f, 3.0f, 4.0f}) { // A, B, C, D
        const auto set = SampleSet([&](int id) { return batch * 100.0f + float(id); });
        model.AppendRealTimeData(1, 0, set.data(), nullptr, world);
    }
    for (int curve = 0; curve < 3; ++curve)
        for (int j = 0; j < 4; ++j)
            EXPECT_FLOAT_EQ(model.PointValue(curve, j), float(curve + 2) * 100.0f + float(j));
}

TEST_F(CurveModelTest, ChannelIdsAreCheckedBeforeTheyIndex) {
    world.digitalChannels.resize(2);
    model.m_VirtualValues[3] = 42.0f;
    std::vector<float> set(4104, 0.0f);
    set[10] = 5.0f;
    set[4096 + 1] = 9.0f;
    struct Case {
        int id;
        bool has;
        float value;
    } cases[] = {
        {0, true, 5.0f},      // measured
        {7, false, 0.0f},     // analog, not measured
        {-1, false, 0.0f},    // no channel
        {4099, true, 42.0f},  // virtual with a value
        {4100, false, 0.0f},  // virtual without one
        {4225, true, 9.0f},   // digital 2
        {4232, false, 0.0f},  // past the digital table
        {99999, false, 0.0f}, // nothing
    };
    for (const Case& c : cases) {
        float v = 0.0f;
        EXPECT_EQ(model.ChannelValue(c.id, set.data(), world, v), c.has) << c.id;
        if (c.has)
            EXPECT_FLOAT_EQ(v, c.value) << c.id;
    }
}

TEST_F(CurveModelTest, RevalidationPutsUnmeasuredChannelsBackOnMeasuredOnes) {
    Choose(1, {2, 900, 4097});
    model.m_nSelIndex_Group[0] = 5;
    model.RevalidateChannels(world);
    EXPECT_EQ(model.GetChannelIDs(), (std::vector<int>{2, 1, 4097}));
    EXPECT_EQ(model.m_nSelIndex_Group[0], 0);
}

TEST_F(CurveModelTest, ResetAfterAProjectChangeReturnsRosettesToMeasuredTimeCurves) {
    CurveSignalChoice choice;
    choice.nKind = 2;
    choice.ids = {600, 601};
    model.ApplySignalChoice(choice, world);
    model.m_bPeakListShown = model.m_bTheoryShown = true;
    EXPECT_TRUE(model.ResetSignalKind(world));
    EXPECT_EQ(model.m_nLineType, 1);
    EXPECT_FALSE(model.m_bPeakListShown || model.m_bTheoryShown);
    EXPECT_EQ(model.GetChannelIDs(), (std::vector<int>{0, 1}));
    // A time-curve view keeps its channels.
    model.m_bPeakListShown = true;
    EXPECT_FALSE(model.ResetSignalKind(world));
    EXPECT_FALSE(model.m_bPeakListShown);
    EXPECT_EQ(model.GetChannelIDs(), (std::vector<int>{0, 1}));
}

TEST_F(CurveModelTest, SignalChoiceWithAReferencePutsItFirst) {
    CurveSignalChoice choice;
    choice.nMode = 2;
    choice.ids = {1, 2};
    choice.bXYRef = 1;
    choice.nXYRefId = 3;
    model.ApplySignalChoice(choice, world);
    EXPECT_EQ(model.GetChannelIDs(), (std::vector<int>{3, 1, 2}));
    EXPECT_EQ(model.m_nActiveLine, 1);
    EXPECT_FLOAT_EQ(float(model.m_dXMax), CCurveViewModel::kDefaultRange);
    // The dialog gets the channels without the reference back.
    EXPECT_EQ(model.CurrentChoice().ids, (std::vector<int>{1, 2}));
}

TEST_F(CurveModelTest, CursorsStayInsideThePoints) {
    Choose(1, {0}, true);
    model.SetPointCount(10);
    model.ToggleCursorType(1);
    EXPECT_FALSE(model.MoveCursorByKey(-1)); // at 0
    model.m_Cursor0 = 9;
    EXPECT_FALSE(model.MoveCursorByKey(1)); // at the last point
    EXPECT_TRUE(model.MoveCursorByKey(-1));
    EXPECT_EQ(model.m_Cursor0, 8);
    model.m_Cursor1 = 50;
    model.ClampCursors();
    EXPECT_EQ(model.m_Cursor1, 9);
    EXPECT_FALSE(model.SetCursorPosition(100)); // clamped
    EXPECT_EQ(model.m_Cursor0, 9);
    model.ToggleCursorType(1);
    EXPECT_EQ(model.m_nCursorType, 0);
    EXPECT_FALSE(model.PlaceCursorAt(200)); // no cursor, no placing
}

TEST_F(CurveModelTest, LegendDoubleClickChoosesTheEntryItHits) {
    Choose(1, {0, 1, 2});
    const std::vector<LegendEntry> entries = model.LegendEntries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[1].rect.left, model.GetPlotRect().right + 5);
    EXPECT_EQ(entries[1].rect.top, model.GetPlotRect().top + 18);
    EXPECT_TRUE(model.LegendDoubleClick(entries[2].rect.left + 2, entries[2].rect.top + 2));
    EXPECT_EQ(model.m_nActiveLine, 2);
    EXPECT_FALSE(model.LegendDoubleClick(entries[0].rect.left + 2, entries[0].rect.bottom + 1)); // between
    EXPECT_EQ(model.m_nActiveLine, 2);
}

TEST(CurveModelLayout, KeysRoundTripAndBadValuesTakeDefaults) {
    testrun::TempDir dir;
    const std::string file = dir.Path() + "/view.LYT";
    CCurveViewModel saved;
    CurveWorld world = FourChannels();
    CurveSignalChoice choice;
    choice.nMode = 3;
    choice.ids = {3, 1, 2};
    saved.ApplySignalChoice(choice, world);
    saved.m_nCursorType = 2;
    saved.m_fltOldCoordYMax = 123.5f;
    saved.m_STRealViewOption.nLegend = 0;
    saved.SaveLayout(file, 1);

    CCurveViewModel loaded;
    loaded.LoadLayout(file, 1);
    EXPECT_EQ(loaded.m_nShowGraphType, 3);
    EXPECT_EQ(loaded.m_nCursorType, 2);
    EXPECT_EQ(loaded.CurrentChoice().ids, (std::vector<int>{3, 1, 2}));
    EXPECT_FLOAT_EQ(loaded.m_fltOldCoordYMax, 123.5f);
    EXPECT_EQ(loaded.m_STRealViewOption, saved.m_STRealViewOption);

    std::ofstream(file, std::ios::trunc)
        << "[RealView2]\nm_nShowDataLineCount=0\nm_nActiveLine=9\nm_nCursorType=7\n"
           "m_fltOldCoordYMax=\nm_fltOldCoordYMin=\nm_nShowGraphType=5\n";
    platform::FlushProfileCache();
    CCurveViewModel bad;
    bad.LoadLayout(file, 2);
    EXPECT_EQ(bad.GetChannelCount(), 1);
    EXPECT_EQ(bad.m_nActiveLine, 0);
    EXPECT_EQ(bad.m_nCursorType, 0);
    EXPECT_EQ(bad.m_nShowGraphType, 1);
    EXPECT_FLOAT_EQ(bad.m_fltOldCoordYMax, 50000.0f);
    EXPECT_FLOAT_EQ(bad.m_fltOldCoordYMin, -50000.0f);

    // The option record's group and peak counts out of range take their defaults.
    RealViewOption options = saved.m_STRealViewOption;
    options.nAutoGroups = 99;
    options.nPeakListCount = -3;
    ASSERT_TRUE(platform::WritePrivateProfileStruct("RealView2", "m_STRealViewOption", &options,
                                                    sizeof options, file));
    CCurveViewModel badOptions;
    badOptions.LoadLayout(file, 2);
    EXPECT_EQ(badOptions.m_STRealViewOption.nAutoGroups, 1);
    EXPECT_EQ(badOptions.m_STRealViewOption.nPeakListCount, 10);
    EXPECT_EQ(badOptions.m_STRealViewOption.nLegend, options.nLegend);
}

} // namespace

namespace {

class CurveReadoutTest : public CurveModelTest {
protected:
    // Curve 0: 1, 4, marker, 2; curve 1: 10, 20, 30, 40.
    void SetUp() override {
        Choose(1, {0, 1}, true);
        const float first[] = {1.0f, 4.0f, kNoValue, 2.0f};
        for (int n = 1; n <= 4; ++n) {
            model.SetPointCount(n);
            const auto set = SampleSet([&](int id) { return id == 0 ? first[n - 1] : float(n * 10); });
            model.AppendRealTimeData(1, 0, set.data(), nullptr, world);
        }
        model.m_Options.m_nXShowType = 0;
        model.m_Options.m_nXPrecision = 1;
        model.m_Options.m_nYPrecision = 2;
    }
};

TEST_F(CurveReadoutTest, ReadoutsFollowTheCursorTypeAndClampTheCursors) {
    std::string marker;
    ASSERT_NE(FormatSpecialValue(0, kNoValue, marker), 0);
    struct Case {
        int type, c0, c1;
        bool data;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {1, 9, 0, true, {"X1:3", "Y11:2.00", "Y12:40.00"}},
        {3, 1, 0, true, {"X1:1", "Y11:4.00", "Y12:20.00"}},
        // Swapped cursors: dx and dy are negative.
        {2,
         3,
         1,
         true,
         {"X1:3", "Y11:2.00", "Y12:40.00", "X2:1", "Y21:4.00", "Y22:20.00", "dx:-2.0", "dy1:2.00",
          "dy2:-20.00"}},
        // A marker reads out as its text and has no difference.
        {2,
         2,
         0,
         true,
         {"X1:2", "Y11:" + marker, "Y12:30.00", "X2:0", "Y21:1.00", "Y22:10.00", "dx:-2.0",
          "dy1:", "dy2:-20.00"}},
        // Neither stored data nor a run: every value is 0.
        {1, 1, 0, false, {"X1:1", "Y11:0.00", "Y12:0.00"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type * 100 + c.c0 * 10 + c.c1);
        model.m_nCursorType = c.type;
        model.m_Cursor0 = c.c0;
        model.m_Cursor1 = c.c1;
        model.m_bSampling = c.data;
        EXPECT_EQ(model.BuildCursorReadouts(1.0), c.lines);
        EXPECT_EQ(model.m_Cursor0, std::min(c.c0, 3));
    }
    // Time on the X axis multiplies by the step.
    model.m_Options.m_nXShowType = 1;
    model.m_nCursorType = 1;
    model.m_Cursor0 = 2;
    model.m_nFirstSample = 10;
    EXPECT_EQ(model.BuildCursorReadouts(0.5).front(), "X1:6.0");
    model.m_nCursorType = 0;
    EXPECT_TRUE(model.BuildCursorReadouts(1.0).empty());
}

// XY read-outs name the sample and the active pair's values; distribution
// read-outs name the channels at the cursors and the active batch's values.
TEST_F(CurveModelTest, XYAndDistributionReadoutsFollowTheActiveCurve) {
    struct Case {
        const char* what;
        int mode;
        std::vector<int> ids;
        int bXYRef, bRefIsX; // the reference channel 3 put first
        int active, cursorType, c0, c1;
        bool data;
        std::vector<std::string> lines;
    };
    // Set n (1..4) holds 100 n + channel; the distribution keeps the last three sets.
    const Case cases[] = {
        {"pairs (0, 1) and (2, 3)",
         2,
         {0, 1, 2, 3},
         0,
         0,
         1,
         1,
         2,
         0,
         true,
         {"T: 2 ", "X: 302.0", "Y: 303.00"}},
        {"double cursor reads the first",
         2,
         {0, 1, 2, 3},
         0,
         0,
         0,
         2,
         1,
         3,
         true,
         {"T: 1 ", "X: 200.0", "Y: 201.00"}},
        {"the reference gives X", 2, {1, 2}, 1, 0, 2, 1, 0, 0, true, {"T: 0 ", "X: 103.0", "Y: 102.00"}},
        {"the reference gives Y", 2, {1, 2}, 1, 1, 2, 1, 0, 0, true, {"T: 0 ", "X: 102.0", "Y: 103.00"}},
        {"no data reads 0", 2, {0, 1}, 0, 0, 0, 1, 3, 0, false, {"T: 3 ", "X: 0.0", "Y: 0.00"}},
        {"one cursor", 3, {0, 1, 2, 3}, 0, 0, 2, 1, 1, 0, true, {"X1:" + FormatChannelName(1), "Y1:401.00"}},
        {"cursors past the channels",
         3,
         {0, 1, 2, 3},
         0,
         0,
         0,
         2,
         9,
         0,
         true,
         {"X1:" + FormatChannelName(3), "Y1:203.00", "X2:" + FormatChannelName(0), "Y2:200.00"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        model = CCurveViewModel{};
        model.m_STRealViewOption.nAutoGroups = 3;
        model.m_bSampling = model.m_bNewSampleData = true;
        CurveSignalChoice choice;
        choice.nMode = c.mode;
        choice.ids = c.ids;
        choice.bXYRef = c.bXYRef;
        choice.nXYRefId = 3;
        choice.bXYRefIsX = c.bRefIsX;
        model.ApplySignalChoice(choice, world);
        model.LayoutPlot(400, 300);
        for (int n = 1; n <= 4; ++n) {
            const auto set = SampleSet([&](int id) { return float(n * 100 + id); });
            model.AppendRealTimeData(1, 0, set.data(), nullptr, world);
        }
        model.m_Options.m_nXPrecision = 1;
        model.m_Options.m_nYPrecision = 2;
        model.m_nActiveLine = c.active;
        model.m_nCursorType = c.cursorType;
        model.m_Cursor0 = c.c0;
        model.m_Cursor1 = c.c1;
        model.m_bSampling = c.data;
        EXPECT_EQ(model.BuildCursorReadouts(1.0), c.lines);
    }
}

TEST_F(CurveReadoutTest, StatisticsLeaveMarkersOutAndTakeTheCursorRange) {
    RealViewOption& o = model.m_STRealViewOption;
    o.nMax = o.nMin = o.nAverage = o.nStdDev = o.nPeakPeak = 1;
    model.m_nCursorType = 1;
    EXPECT_EQ(model.BuildStatisticsLines(),
              (std::vector<std::string>{"最大值:4.00", "最小值:1.00", "平均值:2.33", "标准差:1.25",
                                        "峰峰值:3.00"}));
    // Between swapped double cursors, on the active curve.
    model.m_nCursorType = 2;
    model.m_Cursor0 = 3;
    model.m_Cursor1 = 2;
    model.m_nActiveLine = 1;
    o.nMin = o.nStdDev = 0;
    EXPECT_EQ(model.BuildStatisticsLines(),
              (std::vector<std::string>{"最大值:40.00", "平均值:35.00", "峰峰值:10.00"}));
    model.m_bSampling = false;
    EXPECT_EQ(model.BuildStatisticsLines(),
              (std::vector<std::string>{"最大值:0.00", "平均值:0.00", "峰峰值:0.00"}));
    o.nMax = o.nAverage = o.nPeakPeak = 0;
    EXPECT_TRUE(model.BuildStatisticsLines().empty());
}

} // namespace
