// The data files' view of the application's case tables and channel records.
#include "app/CaseTables.h"
#include "app/ProjectState.h"
#include "datafiles/AppTables.h"

#include <gtest/gtest.h>

TEST(AppTables, OnlineListAndChannelRecords) {
    std::int32_t online[MAX_CASE_COUNT] = {};
    online[5] = online[2] = 1;
    BuildCaseTablesFromOnlineFlags(online);
    g_bPerCaseFiles = 1;
    const OnlineLayout layout = OnlineLayoutFromCaseTables(3);
    g_bPerCaseFiles = 0;
    ASSERT_EQ(layout.nCaseCount, 2);
    for (int slot = 0; slot < 2; ++slot)
        EXPECT_EQ(layout.caseSlot[layout.caseList[slot]], slot);
    EXPECT_EQ(layout.channelList.size(), 32u);
    EXPECT_EQ(layout.channelPos[5 * 16 + 7] % 16, 7);
    EXPECT_EQ(layout.SlotOfChannel(3 * 16), -1);
    EXPECT_TRUE(layout.bPerCaseFiles);
    EXPECT_EQ(layout.nDigitalChanCount, 3);

    g_ChannelParams[5 * 16].fElasticModulus = 206.0f;
    CAppChannelTable table;
    EXPECT_EQ(table.GetChannelParam(5 * 16).fModulus, 206.0f);
    EXPECT_EQ(table.GetChannelParam(4096).nMeasureType, -1);
    ResetCaseTables();
    g_ChannelParams[5 * 16].fElasticModulus = 0.0f;
}
