// The channel bar's pages: tabs by measurement type, paging ranges, rows and
// their order, and cell texts.
#include "panels/bars/ChannelBarPages.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "ChannelBarTestSupport.h"
#include "model/GbkTextCut.h"
#include "platform/Text.h"

namespace {

class ChannelBarPagesTest : public ::testing::Test, public ChannelBarFixture {};

TEST_F(ChannelBarPagesTest, TypeTabsFollowThePresentChannelsAndAlwaysEndWithAlarms) {
    EXPECT_EQ(BuildTypeTabTable(), (std::vector<int>{PAGE_STRAIN, PAGE_ALARM}));
    SetType(3, MEASURE_VOLTAGE);
    SetType(20, MEASURE_THERMOCOUPLE);
    SetType(21, MEASURE_PASS_THROUGH);
    SetType(100, MEASURE_SPEED); // not online
    EXPECT_EQ(BuildTypeTabTable(),
              (std::vector<int>{PAGE_STRAIN, PAGE_THERMOCOUPLE, PAGE_VOLTAGE, PAGE_ALARM}));

    for (int c = 0; c < 32; ++c) {
        g_ChannelState[c].bPresent = 0;
    }
    const std::vector<int> onlyAlarms = BuildTypeTabTable();
    EXPECT_EQ(onlyAlarms, (std::vector<int>{PAGE_ALARM}));
    EXPECT_EQ(PageIdOfTab(onlyAlarms, 0), PAGE_OVERVIEW);
    EXPECT_EQ(PageIdOfTab(onlyAlarms, 1), PAGE_ALARM);
    EXPECT_EQ(PageIdOfTab(onlyAlarms, 5), 5);
    EXPECT_STREQ(GetPageTabText(PAGE_OVERVIEW), "测点参数");
    EXPECT_STREQ(GetPageTabText(PAGE_ALARM), "警戒参数");
}

TEST_F(ChannelBarPagesTest, PagingRanges) {
    EXPECT_EQ(GetCasePagingRange(1, 16).first, 16);
    EXPECT_EQ(GetCasePagingRange(1, 16).last, 31);
    // A range that would pass the end of the list, and bad tabs, list everything.
    for (auto [tab, perUnit] : {std::pair{2, 16}, {1, 20}, {-1, 16}, {0, 0}}) {
        const ChannelRowRange r = GetCasePagingRange(tab, perUnit);
        EXPECT_EQ(r.first, 0) << tab << "/" << perUnit;
        EXPECT_EQ(r.last, 31) << tab << "/" << perUnit;
    }

    std::vector<ControllerRecord> controllers(3);
    controllers[0].nCases = 1;
    controllers[1].nCases = 0; // keeps the range before it
    controllers[2].nCases = 1;
    EXPECT_EQ(GetControllerPagingRange(0, controllers, 16).last, 15);
    EXPECT_EQ(GetControllerPagingRange(1, controllers, 16).first, 0);
    EXPECT_EQ(GetControllerPagingRange(2, controllers, 16).first, 16);
    EXPECT_EQ(GetControllerPagingRange(2, controllers, 16).last, 31);
    EXPECT_EQ(GetControllerPagingRange(3, controllers, 16).last, 31);

    EXPECT_EQ(BuildCaseTabTexts(), (std::vector<std::string>{"01-01号采集箱", "01-02号采集箱"}));
    EXPECT_EQ(BuildControllerTabTexts(ctx.controllers), (std::vector<std::string>{"192.168.0.10*1"}));
}

TEST_F(ChannelBarPagesTest, OverviewGroupsSharedDescriptionsFirst) {
    for (int c = 0; c < 32; ++c) {
        g_ChannelState[c].bPresent = c < 6 ? 1 : 0;
    }
    StoreGbkField(g_ChannelParams[1].szDescription, 20, "梁");
    StoreGbkField(g_ChannelParams[4].szDescription, 20, "梁");
    StoreGbkField(g_ChannelParams[2].szDescription, 20, "柱");
    StoreGbkField(g_ChannelParams[5].szDescription, 20, "柱");
    SetType(3, MEASURE_PASS_THROUGH);
    EXPECT_EQ(ListPageChannels(PAGE_OVERVIEW, GetDefaultRowRange()), (std::vector<int>{1, 4, 2, 5, 0}));
    // The alarm page lists absent channels too, never a pass-through one.
    EXPECT_EQ(ListPageChannels(PAGE_ALARM, {0, 4}), (std::vector<int>{0, 1, 2, 4}));
}

TEST_F(ChannelBarPagesTest, OverviewGroupsAFullListOfChannels) {
    std::int32_t online[MAX_CASE_COUNT] = {};
    std::fill_n(online, MAX_CHANNEL_COUNT / CHANNELS_PER_MODULE, 1);
    BuildCaseTablesFromOnlineFlags(online);
    ASSERT_EQ(g_nChannelCount, MAX_CHANNEL_COUNT);
    // Every fourth channel is in a group of four per case, every other even
    // one in one group across the whole list; the odd channels keep a
    // description of their own, some of them a group's name with more after it.
    for (int c = 0; c < MAX_CHANNEL_COUNT; ++c) {
        g_ChannelState[c].bPresent = 1;
        char* text = g_ChannelParams[c].szDescription;
        if (c % 4 == 0) {
            StoreGbkField(text, 20, platform::Format("组%d", c / 16));
        } else if (c % 4 == 2) {
            StoreGbkField(text, 20, "共");
        } else if (c % 16 == 1) {
            StoreGbkField(text, 20, platform::Format("组%d ", c / 16));
        }
    }
    std::vector<int> expected;
    for (int unit = 0; unit < MAX_CHANNEL_COUNT / 16; ++unit) {
        for (int c = unit * 16; c < unit * 16 + 16; c += 4) {
            expected.push_back(c);
        }
        for (int c = 2; unit == 0 && c < MAX_CHANNEL_COUNT; c += 4) {
            expected.push_back(c);
        }
    }
    for (int c = 1; c < MAX_CHANNEL_COUNT; c += 2) {
        expected.push_back(c);
    }
    EXPECT_EQ(ListPageChannels(PAGE_OVERVIEW, GetDefaultRowRange()), expected);
}

TEST_F(ChannelBarPagesTest, CellTexts) {
    ChannelParamRecord& p = g_ChannelParams[0];
    p.nBridgeType = 7; // beyond the three modes of the file
    p.nDisplayType = 1;
    StoreGbkField(p.szUnit, 16, "MPa");
    g_ChannelState[0].nCompChannel = 17;
    std::vector<std::string> strain = FormatPageRow(PAGE_STRAIN, 0, ctx.bridgeModes, false);
    ASSERT_EQ(strain.size(), 12u);
    EXPECT_EQ(strain[0], "01-01-01");
    EXPECT_EQ(strain[1], "应力");
    EXPECT_EQ(strain[2], "");
    EXPECT_EQ(strain[3], "2");
    EXPECT_EQ(strain[5], "MPa");
    EXPECT_EQ(strain[6], "120.0000");
    EXPECT_EQ(strain[11], "01-02-02");
    EXPECT_EQ(GetModulusCellColor(0), COLOR_WHITE);
    p.nDisplayType = 0;
    EXPECT_EQ(GetModulusCellColor(0), COLOR_MODULUS_GREY);

    SetType(1, MEASURE_VOLTAGE);
    g_ChannelParams[1].fSensitivity = 2.5f;
    g_ChannelState[1].nValueType = 1;
    EXPECT_EQ(FormatPageRow(PAGE_VOLTAGE, 1, ctx.bridgeModes, false).size(), 4u);
    const std::vector<std::string> voltage = FormatPageRow(PAGE_VOLTAGE, 1, ctx.bridgeModes, true);
    EXPECT_EQ(voltage[1], "2.5");
    EXPECT_EQ(voltage[4], "绝对量");

    g_AlarmTable[2].bEnabled = 1;
    g_AlarmTable[2].nAlarmType = 3;
    g_AlarmTable[2].fUpper = 1.5f;
    EXPECT_EQ(FormatPageRow(PAGE_ALARM, 2, ctx.bridgeModes, false)[1], "√");
    EXPECT_EQ(FormatPageRow(PAGE_ALARM, 2, ctx.bridgeModes, false)[2], "窗外报警");
    EXPECT_EQ(FormatPageRow(PAGE_ALARM, 2, ctx.bridgeModes, false)[3], "1.5000");
    EXPECT_EQ(FormatBridgeVoltageText(10), "10");
    EXPECT_EQ(GetPageHeading(PAGE_VOLTAGE, true).substr(GetPageHeading(PAGE_VOLTAGE, false).size()),
              "|^值类型          ");
}

} // namespace
