// The table view's inputs taken from the program's process-wide tables.
#include "model/CaseTables.h"
#include "model/RunFlags.h"
#include "platform/Text.h"
#include "views/shared/TableWorldFromApp.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(TableWorldFromApp, TakesUnitsChannelsRecordsAndFlags) {
    ResetCaseTables();
    ClearChannelRecords();
    std::int32_t online[MAX_CASE_COUNT] = {};
    online[1] = 1;
    online[3] = 1;
    BuildCaseTablesFromOnlineFlags(online);
    ChannelParamRecord& param = g_ChannelParams[17];
    param.bShown = 1;
    param.nMeasureType = 2;
    param.nZero = 0x800001;
    const std::string description = platform::Utf8ToGbk("左梁测点描述超长文字填满二十字节");
    std::memcpy(param.szDescription, description.data(), sizeof param.szDescription); // no terminator
    std::strcpy(param.szUnit, GBK_UNIT_CELSIUS);
    g_AlarmTable[17] = {17, 3, 1, 5.0f, -5.0f};
    g_bSampling = 1;

    TableWorld world;
    FillTableWorldFromAppTables(world);
    EXPECT_EQ(world.caseList, (std::vector<int>{1, 3}));
    EXPECT_EQ(world.channelList.size(), 32u);
    const TableChannelInfo& info = world.Channel(17);
    EXPECT_TRUE(info.bEnabled);
    EXPECT_TRUE(info.bPresent);
    EXPECT_FALSE(world.Channel(18).bEnabled);
    EXPECT_FALSE(world.Channel(0).bPresent);
    EXPECT_EQ(info.nMeasureType, 2);
    EXPECT_EQ(info.nZero, 0x800001);
    EXPECT_EQ(info.strDescription, "左梁测点描述超长文字");
    EXPECT_EQ(info.strUnit, "℃");
    EXPECT_TRUE(info.bAlarm);
    EXPECT_EQ(info.nAlarmType, 3);
    EXPECT_FLOAT_EQ(info.fLower, -5.0f);
    EXPECT_TRUE(world.bSampling);
    EXPECT_EQ(world.layout.nCaseCount, 2);
    EXPECT_NE(world.channelTable, nullptr);

    g_bSampling = 0;
    ClearChannelRecords();
    ResetCaseTables();
}

} // namespace
