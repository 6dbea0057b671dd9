// Which editor a cell of the channel bar gets, and its choices.
#include "panels/bars/ChannelEditorRules.h"

#include <gtest/gtest.h>

#include "ChannelBarTestSupport.h"
#include "model/GbkTextCut.h"
#include "panels/bars/ChannelBarPages.h"

namespace {

class ChannelEditorRulesTest : public ::testing::Test, public ChannelBarFixture {
protected:
    CellEditor Editor(int pageId, int column, int channel, bool severalRows = false) {
        CellEditRequest r;
        r.pageId = pageId;
        r.column = column;
        r.channel = channel;
        r.cellText = "cell";
        r.bSeveralRows = severalRows;
        r.pageChannels = ListPageChannels(pageId, GetDefaultRowRange());
        return GetCellEditor(ctx, r);
    }
};

TEST_F(ChannelEditorRulesTest, EditorKindsByPageColumnAndChannel) {
    using K = CellEditorKind;
    SetType(20, MEASURE_THERMOCOUPLE);
    SetType(21, MEASURE_SPEED);
    g_ChannelParams[1].nDisplayType = 1; // a stress channel
    struct Case {
        int page, column, channel;
        K kind;
    } cases[] = {
        {PAGE_OVERVIEW, 1, 0, K::List},      {PAGE_OVERVIEW, 2, 0, K::Text},
        {PAGE_OVERVIEW, 3, 0, K::None},      {PAGE_STRAIN, 0, 0, K::None},
        {PAGE_STRAIN, 1, 0, K::List},        {PAGE_STRAIN, 5, 0, K::List},
        {PAGE_STRAIN, 5, 1, K::None},        {PAGE_STRAIN, 10, 0, K::None},
        {PAGE_STRAIN, 10, 1, K::Text},       {PAGE_STRAIN, 11, 0, K::List},
        {PAGE_STRAIN, 11, 1, K::None},       {PAGE_THERMOCOUPLE, 4, 20, K::Text},
        {PAGE_THERMOCOUPLE, 3, 20, K::List}, {PAGE_SPEED, 1, 21, K::Text},
        {PAGE_ALARM, 1, 0, K::None},         {PAGE_ALARM, 2, 0, K::List},
        {PAGE_ALARM, 3, 0, K::Text},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Editor(c.page, c.column, c.channel).kind, c.kind)
            << c.page << "/" << c.column << "/" << c.channel;
    }
}

TEST_F(ChannelEditorRulesTest, RangeAndBridgeSettingsNeedAProjectWithoutData) {
    EXPECT_EQ(Editor(PAGE_STRAIN, 4, 0).kind, CellEditorKind::List);
    EXPECT_EQ(Editor(PAGE_STRAIN, 3, 0).kind, CellEditorKind::List);
    ctx.nProjectState = 2;
    EXPECT_EQ(Editor(PAGE_STRAIN, 4, 0).kind, CellEditorKind::None);
    EXPECT_EQ(Editor(PAGE_STRAIN, 3, 0).kind, CellEditorKind::None);
    EXPECT_EQ(Editor(PAGE_STRAIN, 6, 0).kind, CellEditorKind::Text);
}

TEST_F(ChannelEditorRulesTest, ChoiceLists) {
    // Types: the module's type section; the system list when it does not apply.
    CellEditor types = Editor(PAGE_OVERVIEW, 1, 0);
    EXPECT_EQ(types.choices, (std::vector<std::string>{"应变应力", "桥式传感器", "电压测量", "电阻测量"}));
    types.choices.clear();
    types = Editor(PAGE_OVERVIEW, 1, 16);
    EXPECT_EQ(types.choices.size(), 3u);
    types.choices.clear();
    this->types.subVersion[0] = 3;
    EXPECT_EQ(Editor(PAGE_OVERVIEW, 1, 0).choices.size(), 7u);
    this->types.subVersion.clear();

    // Bridge voltages of the type section, the channel's own selected.
    g_ChannelParams[0].nBridgeVoltage = 10;
    const CellEditor volts = Editor(PAGE_STRAIN, 3, 0);
    EXPECT_EQ(volts.choices, (std::vector<std::string>{"5", "10"}));
    EXPECT_EQ(volts.nSelected, 1);

    // Bridge modes carry their pictures.
    g_ChannelParams[0].nBridgeType = 2;
    const CellEditor modes = Editor(PAGE_STRAIN, 2, 0);
    EXPECT_EQ(modes.nSelected, 2);
    EXPECT_EQ(modes.pictures, (std::vector<int>{225, 225, 226}));

    // Units: the first beginning with the channel's unit.
    StoreGbkField(g_ChannelParams[2].szUnit, 16, "mV");
    SetType(2, MEASURE_VOLTAGE);
    EXPECT_EQ(Editor(PAGE_VOLTAGE, 3, 2).nSelected, 1);
    ctx.units.clear();
    EXPECT_EQ(Editor(PAGE_VOLTAGE, 3, 2).kind, CellEditorKind::None);

    // Compensation: strain channels of the controller, itself left out for one row.
    const CellEditor comp = Editor(PAGE_STRAIN, 11, 0);
    EXPECT_EQ(comp.choices.front(), "无");
    EXPECT_EQ(comp.choices.size(), 1u + 31u - 1u); // 32 channels, 2 is voltage, 0 is itself
    EXPECT_EQ(Editor(PAGE_STRAIN, 11, 0, true).choices.size(), 1u + 31u);
    ctx.controllers.clear();
    EXPECT_EQ(Editor(PAGE_STRAIN, 11, 0).kind, CellEditorKind::None);
}

TEST_F(ChannelEditorRulesTest, FullScaleChoices) {
    // The type section's levels; range lists need two items.
    EXPECT_EQ(GetFullScaleChoices(ctx, 0).values, (std::vector<float>{5000.0f, 500.0f}));
    // Thermocouple items carry the unit and the raw value.
    SetType(20, MEASURE_THERMOCOUPLE);
    StoreGbkField(g_ChannelParams[20].szUnit, 16, "℃");
    const CellEditor tc = Editor(PAGE_THERMOCOUPLE, 2, 20);
    ASSERT_EQ(tc.choices.size(), 2u);
    EXPECT_NE(tc.choices[0].find("℃[50mV]"), std::string::npos) << tc.choices[0];

    // Without a type section the main model offers strain only the last
    // general level and voltage all but the last, keeping the file's levels.
    types.subVersion[0] = 2;
    EXPECT_EQ(GetFullScaleChoices(ctx, 0).levels, (std::vector<int>{3}));
    SetType(1, MEASURE_VOLTAGE);
    EXPECT_EQ(GetFullScaleChoices(ctx, 1).levels, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(Editor(PAGE_STRAIN, 4, 0).kind, CellEditorKind::None);
    ctx.nModelType = 1;
    EXPECT_EQ(GetFullScaleChoices(ctx, 0).levels.size(), 4u);
}

} // namespace
