// Batch labels, the balance check, sample-set clearing, print parameters,
// paging, key-point lists and the feeds of the live views.
#include "app/PrintParameters.h"
#include "model/CaseSampleBlock.h"
#include "model/CaseTables.h"
#include "model/ChannelRecords.h"
#include "model/FrameValues.h"
#include "platform/Profile.h"
#include "views/shared/LiveHistoryFeed.h"
#include "views/shared/LiveViewFeed.h"

#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

TEST(FrameValues, BatchLabelsFollowTheSamplingMode) {
    struct Case {
        int mode, index;
        bool autoNumbering;
        const char* label;
        int counterAfter;
    };
    const Case cases[] = {
        {0, 4, false, "T_5", 7}, {3, 0, true, "T_1", 7}, {1, 4, true, "T-7", 8},
        {1, 4, false, "T", 7},   {2, 4, true, "T", 7},
    };
    for (const Case& c : cases) {
        std::int32_t counter = 7;
        EXPECT_EQ(MakeBatchLabel("T", c.mode, c.index, c.autoNumbering, counter), c.label) << c.mode;
        EXPECT_EQ(counter, c.counterAfter) << c.mode;
    }
}

TEST(FrameValues, OnlyAnUnbalancedChannelWithResultsInUseIsNotBalanced) {
    g_ChannelParams[12].nZero = ZERO_NOT_BALANCED;
    g_ChannelParams[13].nZero = 5;
    EXPECT_TRUE(IsChannelBalanced(12, false));
    EXPECT_FALSE(IsChannelBalanced(12, true));
    EXPECT_TRUE(IsChannelBalanced(13, true));
    EXPECT_TRUE(IsChannelBalanced(-1, true));
    g_ChannelParams[12].nZero = 0;
}

TEST(FrameValues, ClearingTheSampleSetMarksTheOnlineSlotsWithoutValue) {
    ResetCaseTables();
    g_nCaseCount = 2;
    g_CaseList[0] = 3;
    g_CaseList[1] = 9;
    std::vector<CaseSampleBlock> set(MAX_CASE_COUNT);
    set[5].nHeader = 5;
    set[5].fValues[0] = 1.0f;
    ClearSampleSet(set.data());
    EXPECT_EQ(set[1].fValues[15], kNoValue);
    EXPECT_EQ(set[2].fValues[0], 0.0f);
    EXPECT_EQ(set[5].nHeader, -1);
    EXPECT_EQ(set[5].fValues[0], 0.0f);
    ClearZeroSampleSet(set.data());
    EXPECT_EQ(set[1].fValues[15], 0.0f);
    ResetCaseTables();
}

TEST(FrameValues, KeyPointListsAreCopied) {
    CKeyPointLists lists;
    KeyPointList points = {{4, 4}, {1, 1}};
    lists.SetKeyPointList1(points);
    points.clear();
    EXPECT_EQ(lists.GetKeyPointList1()->size(), 2u);
    lists.SetKeyPointList1(*lists.GetKeyPointList1());
    EXPECT_EQ(lists.GetKeyPointList1()->begin()->first, 1);
    EXPECT_TRUE(lists.GetKeyPointList2()->empty());
}

TEST(FrameValues, TimerTraceLinesAreAppendedInGbk) {
    const ScratchFolder scratch;
    const std::string folder = scratch.Path();
    WriteTimerDebugLog(folder, "停止");
    WriteTimerDebugLog(folder, "x");
    std::ifstream in(folder + "/TimerDebug.txt", std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(text, "\xCD\xA3\xD6\xB9\r\nx\r\n");
    WriteTimerDebugLog(folder + "/missing", "x"); // no folder: nothing, no crash
}

TEST(PrintParams, RoundTripThroughTheLayoutFileOfTheProject) {
    const ScratchFolder scratch;
    const std::string folder = scratch.Path();
    const std::string project = folder + "/test.dap";
    PrintParameters empty;
    LoadPrintParam(project, empty);
    EXPECT_EQ(empty.fltMarginTop, 0.0f);
    EXPECT_EQ(empty.strHeaderContent, "");

    PrintParameters params;
    params.fltFootHeight = 1.5f;
    params.fltMarginLeft = 20.25f;
    params.strHeaderContent = "页眉";
    params.strFootContent = "foot";
    SavePrintParam(project, params);
    EXPECT_EQ(platform::GetPrivateProfileString("PrintParameters", "fltFootHeight", "", folder + "/test.LYT"),
              "1.500000");
    PrintParameters back;
    LoadPrintParam(project, back);
    EXPECT_EQ(back.fltFootHeight, 1.5f);
    EXPECT_EQ(back.fltMarginLeft, 20.25f);
    EXPECT_EQ(back.strHeaderContent, "页眉");
    EXPECT_EQ(back.strFootContent, "foot");
}

TEST(Paging, ByCaseAndByIpExcludeEachOther) {
    PagingFlags flags;
    TogglePagingByCase(flags, 2);
    EXPECT_EQ(flags.bByCase, 1);
    TogglePagingByIp(flags, 1);
    EXPECT_EQ(flags.bByIp, 1);
    EXPECT_EQ(flags.bByCase, 0);
    TogglePagingByCase(flags, 2);
    EXPECT_EQ(flags.bByCase, 1);
    EXPECT_EQ(flags.bByIp, 0);
    TogglePagingByCase(flags, 2);
    EXPECT_EQ(flags.bByCase, 0);

    flags = {1, 0};
    TogglePagingByCase(flags, 0);
    EXPECT_EQ(flags.bByCase, 0) << "without an online case only the flag is cleared";
    flags = {0, 1};
    TogglePagingByCase(flags, 0);
    EXPECT_EQ(flags.bByIp, 1);
    TogglePagingByIp(flags, 0);
    EXPECT_EQ(flags.bByIp, 0);
}

TEST(LiveHistory, TheWholeRunFitsTheBufferByCompression) {
    CLiveHistoryFeed feed;
    feed.Reset(256, 2);
    EXPECT_EQ(feed.GetKeep(), 191);
    EXPECT_EQ(feed.GetWindow(), 65);
    CLiveHistoryFeed::Step step;
    for (int s = 1; s <= 256; ++s) {
        const float latest[2] = {float(s), float(-s)};
        step = feed.Feed(s, s, latest);
        if (s == 1) {
            EXPECT_TRUE(step.bRepaintErase);
            EXPECT_EQ(step.nPoints, 1);
        }
    }
    EXPECT_EQ(step.nPoints, 256);
    EXPECT_EQ(step.nDrawFrom, 254);
    EXPECT_EQ(step.nCopyFrom, 254) << "the views copy only what the sample wrote";
    EXPECT_EQ(step.nAxisEnd, 256);
    EXPECT_EQ(feed.GetBuffer(1)[255], -256.0f);

    // Sample 257 squeezes the run into 191 slots and is not written itself.
    const float s257[2] = {257, -257};
    step = feed.Feed(257, 257, s257);
    EXPECT_TRUE(step.bCompressed);
    EXPECT_TRUE(step.bRepaintNoErase);
    EXPECT_EQ(step.nPoints, 191);
    EXPECT_EQ(step.nDrawTo, 190);
    EXPECT_EQ(step.nAxisEnd, 321);
    EXPECT_EQ(step.nCopyFrom, 0) << "a squeeze moved every point";
    for (int k : {0, 1, 2, 3, 100, 190})
        EXPECT_EQ(feed.GetBuffer(0)[k], float(k * 4 / 3 + 1)) << k;

    const float s258[2] = {258, -258};
    step = feed.Feed(258, 258, s258);
    EXPECT_FALSE(step.bCompressed);
    EXPECT_EQ(step.nPoints, 192);
    EXPECT_EQ(step.nCopyFrom, 191);
    EXPECT_EQ(feed.GetBuffer(0)[191], 258.0f);

    for (int s = 259; s <= 322; ++s) {
        const float latest[2] = {float(s), 0};
        step = feed.Feed(s, s, latest);
    }
    EXPECT_TRUE(step.bCompressed) << "every W-th sample compresses again";
    EXPECT_EQ(step.nAxisEnd, 386);
}

TEST(LiveHistory, OnlyTheKeptChannelsAreBufferedAndSqueezedAlike) {
    constexpr int kPlaces = 4, kBlock = 64;
    CLiveHistoryFeed all, kept;
    all.Reset(kBlock, kPlaces);
    kept.Reset(kBlock, kPlaces, {3, 1});
    EXPECT_EQ(kept.GetBuffer(0), nullptr);
    EXPECT_EQ(kept.GetBuffer(2), nullptr);
    const auto latest = [](int s) {
        return std::array<float, kPlaces>{float(s), float(-s), float(2 * s), float(s % 7)};
    };
    constexpr int kTakenUp = 150; // a view takes up place 2 in the middle of the run
    for (int s = 1; s <= 5 * kBlock; ++s) {
        if (s == kTakenUp)
            kept.Keep(2);
        const CLiveHistoryFeed::Step a = all.Feed(s, s, latest(s).data());
        const CLiveHistoryFeed::Step k = kept.Feed(s, s, latest(s).data());
        ASSERT_EQ(k.nPoints, a.nPoints) << s;
        ASSERT_EQ(k.nCopyFrom, a.nCopyFrom) << s;
        for (int p : {1, 3})
            for (int i = 0; i < a.nPoints; ++i)
                ASSERT_EQ(kept.GetBuffer(p)[i], all.GetBuffer(p)[i]) << "sample " << s << " place " << p;
    }
    // Place 2's points from before it was kept hold no value, never a number;
    // those after are the values.
    int gap = 0, values = 0;
    for (int i = 0; i < all.GetKeep(); ++i) {
        const float value = kept.GetBuffer(2)[i];
        if (value == kNoValue) {
            ++gap;
            continue;
        }
        ++values;
        ASSERT_EQ(value, all.GetBuffer(2)[i]) << i;
    }
    EXPECT_EQ(kept.GetBuffer(2)[0], kNoValue);
    EXPECT_GT(gap, 0);
    EXPECT_GT(values, 0);
}

} // namespace

namespace {

TEST(LiveViews, CurveViewsFillTheirBatchPointByPoint) {
    struct Case {
        int a, mode;
        bool senderDraws;
        int start, points;
        bool erase, draw;
        int from, to;
        bool append;
    };
    const Case cases[] = {
        {1, 1, false, 0, 1, true, true, 0, 0, false},      // first point of a batch: erase, draw point 0
        {1, 2, false, 0, 1, false, true, 0, 0, false},     // mode 2 never erases
        {5, 1, false, 0, 5, false, true, 3, 4, false},     // later points draw j-1..j
        {5, 1, true, 0, 5, false, false, 3, 4, false},     // the sender draws them itself
        {257, 1, false, 256, 1, true, true, 0, 0, false},  // the next batch of 256
        {300, 3, false, 256, 0, false, false, 0, 0, true}, // the distribution view appends
    };
    for (const Case& c : cases) {
        const CurveFeedStep step = CurveFeed(c.a, 256, c.mode, c.senderDraws);
        SCOPED_TRACE(c.a);
        EXPECT_EQ(step.nBatchStart, c.start);
        EXPECT_EQ(step.nPointCount, c.points);
        EXPECT_EQ(step.bRepaintErase, c.erase);
        EXPECT_EQ(step.bDraw, c.draw);
        EXPECT_EQ(step.nDrawFrom, c.from);
        EXPECT_EQ(step.nDrawTo, c.to);
        EXPECT_EQ(step.bAppend, c.append);
    }
    EXPECT_EQ(BarBatchStart(513, 256), 512);
    EXPECT_EQ(TableRowPosition(0), 0);
    EXPECT_EQ(TableRowPosition(7), 6);
}

} // namespace
