// The signal-selection rules: texts and ids of each kind, what is offered,
// the limit when adding, and the checks of OK.
#include "views/curve/CurveWorld.h"

#include "model/ChannelNaming.h"
#include "views/curve/SignalSelectRules.h"

#include <gtest/gtest.h>

namespace {

CurveWorld World() {
    CurveWorld world;
    for (int id = 16; id < 20; ++id) {
        world.channelList.push_back(id);
        CurveChannelText& c = world.channels[std::size_t(id)];
        c.bEnabled = c.bPresent = true;
        c.strDescription = "点" + std::to_string(id);
    }
    world.measChanList = {16, 17};
    world.channels[17].nMeasureType = 20; // bridge mode: never offered
    world.channels[18].nZero = 0x800001;  // not balanced
    world.channels[19].bEnabled = false;
    world.virtualChannels = {{"和", ""}};
    world.digitalChannels = {{"", ""}};
    world.rosetteGroupNames = {"A", "B"};
    return world;
}

TEST(SignalSelectRules, TextsReadBackAsTheirIds) {
    const CurveWorld world = World();
    struct Case {
        int kind, id;
        std::string text;
    } cases[] = {
        {1, 16, FormatChannelName(16) + "[点16]"},
        {1, 4096, "虚拟:1[和]"},
        {1, 4224, "数字:1"},
        {2, 2, "应变花组_2:B"},
        {4, 1, "残余应力组_1:"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PlotSignalText(c.kind, c.id, world), c.text);
        EXPECT_EQ(PlotSignalId(c.text), c.id) << c.text;
    }
    EXPECT_EQ(PlotSignalId("热阻曲线Ⅱ"), 0);
}

TEST(SignalSelectRules, OfferedSignalsFollowTheKindAndTheBalance) {
    CurveWorld world = World();
    EXPECT_EQ(AvailablePlotSignals(1, {}, world),
              (std::vector<std::string>{FormatChannelName(16) + "[点16]", FormatChannelName(18) + "[点18]",
                                        "虚拟:1[和]", "数字:1"}));
    world.bBalanceResultsInUse = true;
    EXPECT_EQ(AvailablePlotSignals(1, {}, world).size(), 3u); // the unbalanced channel is hidden
    EXPECT_EQ(AvailablePlotSignals(2, {}, world), (std::vector<std::string>{"应变花组_1:A", "应变花组_2:B"}));
    EXPECT_EQ(AvailablePlotSignals(6, {}, world).size(), 2u);
    EXPECT_EQ(AvailablePlotSignals(6, {world.thermalCurveIds[0]}, world),
              (std::vector<std::string>{"热阻曲线Ⅱ"}));
    EXPECT_TRUE(AvailablePlotSignals(7, {}, world).empty());
    EXPECT_EQ(ReferenceSignalTexts(world).size(), 4u);
}

TEST(SignalSelectRules, AddingStopsAtEightOutsideDistribution) {
    std::string message;
    EXPECT_TRUE(CanAddPlotSignals(1, 6, 2, message));
    EXPECT_FALSE(CanAddPlotSignals(2, 7, 2, message));
    EXPECT_EQ(message, "所选信号不能大于 8 个 ! ");
    EXPECT_TRUE(CanAddPlotSignals(3, 100, 50, message));
}

TEST(SignalSelectRules, OkChecksCountsPairsAndTheReference) {
    const auto text = [](int id) { return FormatChannelName(id) + "[]"; };
    const std::vector<std::string> nine(9, text(1));
    const std::vector<std::string> three = {text(1), text(2), text(3)};
    struct Case {
        int mode;
        std::vector<std::string> chosen;
        bool ref;
        std::string refText;
        std::string message;
    } cases[] = {
        {1, {}, false, "", "请至少选择一个信号 ! "},
        {1, nine, false, "", "普通绘图方式时所选信号不能大于 8 个 ! "},
        {2, nine, true, "", "XY绘图方式时所选信号不能大于 8 个 ! "},
        {2, three, false, "", "XY时所选信号必须为2的倍数才能配对 ! "},
        {2, three, true, text(2), "指定X或Y信号不能重复选作信号 ! "},
        {3, {text(1)}, false, "", "分布显示时请至少选择2个测点!"},
        {2, three, true, text(9), ""},
        {3, nine, false, "", ""},
    };
    for (const Case& c : cases) {
        const PlotSignalCheck check = CheckPlotSignals(c.mode, c.chosen, c.ref, c.refText);
        EXPECT_EQ(check.message, c.message);
        EXPECT_EQ(check.ok, c.message.empty());
    }
    const PlotSignalCheck xy = CheckPlotSignals(2, three, true, text(9));
    EXPECT_EQ(xy.ids, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(xy.nRefId, 9);
}

} // namespace
