// Tick columns and copy and paste of the channel bar.
#include "panels/bars/ChannelRowRules.h"

#include <gtest/gtest.h>

#include "ChannelBarTestSupport.h"
#include "panels/bars/ChannelBarPages.h"

namespace {

class ChannelRowRulesTest : public ::testing::Test, public ChannelBarFixture {};

TEST_F(ChannelRowRulesTest, TicksTurnEveryRowOfTheSelectionTheSameWay) {
    g_ChannelParams[1].bShown = 0;
    EXPECT_EQ(ToggleTick(PAGE_OVERVIEW, 3, "√", {0, 1, 2}), "×");
    BuildMeasuredChannelList();
    EXPECT_EQ(g_nMeasChanCount, 29);
    EXPECT_EQ(ToggleTick(PAGE_OVERVIEW, 3, "×", {1}), "√");
    EXPECT_EQ(g_ChannelParams[1].bShown, 1);

    EXPECT_EQ(ToggleTick(PAGE_ALARM, 1, "×", {4}), "√");
    EXPECT_EQ(g_AlarmTable[4].bEnabled, 1);
    EXPECT_EQ(g_ChannelParams[4].bAlarmEnabled, 1);
    // Other columns have no tick.
    EXPECT_EQ(ToggleTick(PAGE_ALARM, 3, "√", {4}), "");
    EXPECT_EQ(ToggleTick(PAGE_STRAIN, 3, "√", {4}), "");
    EXPECT_EQ(g_AlarmTable[4].bEnabled, 1);
}

TEST_F(ChannelRowRulesTest, CopyNeedsExactlyOneRow) {
    EXPECT_EQ(CheckCopySelection(0), MSG_SELECT_ROW_TO_COPY);
    EXPECT_EQ(CheckCopySelection(1), "");
    EXPECT_EQ(CheckCopySelection(2), MSG_TOO_MANY_ROWS);
}

TEST_F(ChannelRowRulesTest, PasteCopiesTheRecordsOntoEachTarget) {
    g_ChannelParams[0].nBridgeVoltage = 10;
    g_ChannelParams[0].fGaugeFactor = 2.1f;
    g_ChannelState[0].nCompChannel = 5;
    g_AlarmTable[0] = {0, 2, 1, 9.0f, 1.0f};
    g_ChannelState[7].bPresent = 0;
    const std::vector<std::int32_t> changed = PasteChannelParams(PAGE_STRAIN, 0, {5, 6, 7});
    EXPECT_EQ(changed, (std::vector<std::int32_t>{5, 6, 7}));
    for (int c : {5, 6, 7}) {
        EXPECT_EQ(g_ChannelParams[c].nChannelId, c);
        EXPECT_EQ(g_ChannelParams[c].nBridgeVoltage, 10);
        EXPECT_EQ(g_ChannelParams[c].fGaugeFactor, 2.1f);
        EXPECT_EQ(g_AlarmTable[c].nAlarmType, 0); // alarms travel only on the alarm page
    }
    // The source's compensation channel cannot compensate itself.
    EXPECT_EQ(g_ChannelState[5].nCompChannel, -1);
    EXPECT_EQ(g_ChannelState[6].nCompChannel, 5);
    EXPECT_EQ(g_ChannelState[7].bPresent, 0);

    PasteChannelParams(PAGE_ALARM, 0, {8});
    EXPECT_EQ(g_AlarmTable[8].nChannelId, 8);
    EXPECT_EQ(g_AlarmTable[8].fUpper, 9.0f);
    EXPECT_TRUE(PasteChannelParams(PAGE_ALARM, -1, {8}).empty());
}

} // namespace
