// The curve view's marks and scale steps without a window: the window that
// centres a mark, bookmarks, their conversion into the project's mark file,
// zero-time values, the horizontal zoom levels, manual distribution
// batches and the cursor that follows a run.
#include "views/ViewsTestSupport.h"

#include "platform/Profile.h"
#include "project/SampleMarks.h"
#include "views/curve/CurveMarks.h"
#include "views/curve/CurveViewModel.h"
#include "views/curve/CurveWorld.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

TEST(CurveMarks, TheWindowCentresTheMarkWithinTheStoredSamples) {
    struct Case {
        int mark, window, total, start;
    };
    const Case cases[] = {
        {100, 50, 1000, 75},  // in the middle
        {10, 50, 1000, 0},    // first half window
        {990, 50, 1000, 950}, // near the end: T - N
        {5, 50, 30, 0},       // fewer samples than the window
    };
    for (const Case& c : cases)
        EXPECT_EQ(CentredWindowStart(c.mark, c.window, c.total), c.start) << c.mark << " " << c.total;
}

TEST(CurveMarks, ABookmarkNearAnotherRemovesItAndAtMost64AreSet) {
    CCurveBookmarks marks;
    EXPECT_TRUE(marks.Toggle(100));
    EXPECT_TRUE(marks.Toggle(200));
    EXPECT_EQ(marks.CurrentSample(), 200);
    EXPECT_FALSE(marks.Toggle(102)) << "2 samples away: removes the one at 100";
    EXPECT_EQ(marks.Samples(), (std::vector<int>{200}));
    EXPECT_TRUE(marks.Toggle(103)) << "3 samples away from nothing: set";
    EXPECT_TRUE(marks.HasPrevious());
    EXPECT_EQ(marks.Previous(), 200);
    EXPECT_FALSE(marks.HasPrevious());
    EXPECT_EQ(marks.Next(), 103);
    marks.Clear();
    for (int i = 0; i < CCurveBookmarks::kMaxBookmarks; ++i)
        ASSERT_TRUE(marks.Toggle(i * 10));
    EXPECT_FALSE(marks.CanAdd());
    EXPECT_FALSE(marks.Toggle(5000));
    EXPECT_EQ(int(marks.Samples().size()), CCurveBookmarks::kMaxBookmarks);
}

TEST(CurveMarks, BookmarksJoinTheMarkFileAndItsNotesStay) {
    testrun::TempDir dir;
    const std::string path = dir.Path() + "/run.mrk";
    SaveSampleMarks(path, 1, 40, nullptr);
    const std::string note = "first";
    SaveSampleMarks(path, 2, 90, &note);
    std::vector<int> marks;
    for (const SampleMarkEntry& mark : LoadSampleMarks(path))
        marks.push_back(mark.nSampleIndex);
    WriteSampleMarkList(path, MergeBookmarks(marks, {90, 7, 40, 300}));
    const std::vector<SampleMarkEntry> read = LoadSampleMarks(path);
    ASSERT_EQ(read.size(), 4u);
    const int expected[] = {40, 90, 7, 300};
    for (std::size_t i = 0; i < read.size(); ++i)
        EXPECT_EQ(read[i].nSampleIndex, expected[i]);
    EXPECT_EQ(read[1].text, "first");
    // The file as written: the marks in their section, the note kept in its own.
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    EXPECT_EQ(bytes.str(),
              "[SampleMark]\r\nSampleMarkCount=4\r\nSampleMark0=40\r\nSampleMark1=90\r\n"
              "SampleMark2=7\r\nSampleMark3=300\r\n[SampleMarkInfo]\r\nSampleMarkInfo90=first\r\n");
}

TEST(CurveMarks, ZeroTimeTakesNonNegativeValuesOfMatchedChannels) {
    testrun::TempDir dir;
    const std::string path = dir.Path() + "/rezu.ini";
    ZeroTimeTable table;
    table.channels = {5, 9, -1, -1, -1, -1, -1, 3};
    // Channel 9 is negative and channel 4 not matched: only 5 and 3 count.
    EXPECT_EQ(ConfirmZeroTimeValues(table, {5, 9, 4, 3}, {1.5f, -2.0f, 7.0f, 0.0f}, path), 2);
    EXPECT_FLOAT_EQ(table.values[0], 1.5f);
    EXPECT_FLOAT_EQ(table.values[1], 0.0f);
    char text[64] = {};
    platform::GetPrivateProfileString("T0", "T0_1", "", text, sizeof text, path);
    EXPECT_STREQ(text, "1.500000");
    platform::GetPrivateProfileString("T0", "T0_8", "", text, sizeof text, path);
    EXPECT_STREQ(text, "0.000000");
    platform::GetPrivateProfileString("T0", "T0_2", "none", text, sizeof text, path);
    EXPECT_STREQ(text, "none");
}

class CurveScaleTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int id = 0; id < 4; ++id) {
            world.measChanList.push_back(id);
            world.setPosition[std::size_t(id)] = id;
        }
        world.nCaseCount = 1;
    }
    CurveWorld world;
    CCurveViewModel model;
};

TEST_F(CurveScaleTest, HorizontalZoomKeepsItsLevelsByScaleType) {
    model.m_Options.m_nScareType = 0;
    model.m_Options.m_fXmax = 100.0f;
    model.m_fltOldCoordXMax = 100.0f;
    model.m_fltOldCoordXMin = -100.0f;
    model.Zoom(0, 2.0f, 1.0f, 1);
    EXPECT_FLOAT_EQ(model.m_fltOldCoordXMax, 200.0f);
    EXPECT_FLOAT_EQ(model.m_fltOldCoordXMin, -200.0f);
    EXPECT_EQ(model.m_nZoomLevelX, 1);
    model.Zoom(1, 2.0f, 1.0f, 1);
    model.Zoom(1, 2.0f, 1.0f, 1);
    EXPECT_FLOAT_EQ(model.m_fltOldCoordXMax, 50.0f);
    EXPECT_EQ(model.m_nZoomLevelX, -1);
    struct Case {
        int scale, mode, level;
        bool in, out;
    };
    const Case cases[] = {
        {0, 1, -16, false, true}, {0, 1, 16, true, false},  {0, 2, 0, true, true},   {1, 1, -16, true, true},
        {1, 2, 0, false, false},  {2, 1, -16, false, true}, {2, 2, 0, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.scale << " " << c.mode << " " << c.level);
        model.m_Options.m_nScareType = c.scale;
        model.m_nShowGraphType = c.mode;
        model.m_nZoomLevelX = c.level;
        EXPECT_EQ(model.CanZoomX(true), c.in);
        EXPECT_EQ(model.CanZoomX(false), c.out);
    }
}

TEST_F(CurveScaleTest, ManualDistributionTakesBatchesWithinTheStoredSamples) {
    CurveSignalChoice choice;
    choice.nMode = 3;
    choice.ids = {0, 1, 2, 3};
    model.ApplySignalChoice(choice, world);
    model.m_nShowDataLineCount = 8;
    struct Case {
        bool sampling;
        int first, stored;
        std::vector<int> batches;
    };
    const Case cases[] = {
        {true, 0, 100, {92, 93, 94, 95, 96, 97, 98, 99}}, // the eight newest
        {false, 0, 100, {0, 1, 2, 3, 4, 5, 6, 7}},
        {false, 50, 100, {44, 45, 46, 47, 48, 49, 50, 51}},
        {false, 5, 100, {0, 0, 0, 0, 0, 0, 0, 0}},
        {true, 0, 3, {0, 0, 0, 0, 0, 0, 1, 2}}, // never below 0
    };
    for (const Case& c : cases) {
        model.m_STRealViewOption.nAutoDistribution = 1;
        model.m_bSampling = c.sampling;
        model.m_nFirstSample = c.first;
        ASSERT_TRUE(model.SetDistributionManual(c.stored));
        EXPECT_TRUE(model.IsManualDistribution());
        EXPECT_EQ(std::vector<int>(model.m_nSelIndex_Group.begin(), model.m_nSelIndex_Group.end()),
                  c.batches);
    }
    EXPECT_FALSE(model.SetDistributionManual(100)) << "manual already";
    model.SetDistributionBatches({9, 4}, world);
    EXPECT_EQ(model.GetChannelCount(), 2);
    EXPECT_EQ(model.m_STRealViewOption.nAutoGroups, 2);
    EXPECT_EQ(model.m_nSelIndex_Group[0], 9);
    EXPECT_EQ(model.m_nSelIndex_Group[1], 4);
}

TEST_F(CurveScaleTest, TheFollowingCursorSitsOnTheNewestPoint) {
    model.SetPointCount(12);
    model.m_nCursorType = 1;
    model.m_bCursorFollow = 1;
    model.FollowLatestPoint();
    EXPECT_EQ(model.m_Cursor0, model.PointCount() - 1);
    model.m_Cursor0 = 0;
    model.m_nCursorType = 3;
    model.FollowLatestPoint();
    EXPECT_EQ(model.m_Cursor0, 0) << "the peak cursor does not follow";
}

} // namespace
