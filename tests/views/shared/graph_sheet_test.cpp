// The graph property sheet: its store steps without a window, and the sheet
// offscreen reaching one curve view or, with "应用于同类型窗口", every one.
#include "views/ViewsTestSupport.h"

#include "views/curve/CurveViewWidget.h"
#include "views/curve/GraphSheetRules.h"
#include "views/curve/PropRealTimeViewSheet.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSpinBox>

#include <gtest/gtest.h>

#include <memory>

namespace {

TEST(GraphSheetRules, LinePagesShowBadStoredValuesAsTheirDefaults) {
    EXPECT_EQ(ShownPenStyle(7), 0);
    EXPECT_EQ(ShownPenWidth(0), 1);
    EXPECT_EQ(ShownPenStyle(3), 3);
    CGraphDisplayOptions options;
    options.m_PenWidth_Line[5] = 4;
    auto lines = LoadLineTypes(options);
    lines[0] = {2, 3};
    lines[7] = {1, 1};
    StoreLineTypes(lines, options);
    EXPECT_EQ(options.m_PenStyle_Line[0], 2);
    EXPECT_EQ(options.m_PenWidth_Line[0], 3);
    EXPECT_EQ(options.m_PenStyle_Cursor[1], 1);
    EXPECT_EQ(options.m_PenWidth_Line[5], 4); // pens five to eight keep theirs
}

TEST(GraphSheetRules, CoordinatesAndOptionsRefuseCountsOutOfRange) {
    CGraphDisplayOptions options;
    CoordValues v = LoadCoord(options);
    v.nXGridCount = 0;
    v.fYmax = 9.0f;
    EXPECT_FALSE(StoreCoord(v, options));
    EXPECT_NE(options.m_fYmax, 9.0f);
    v.nXGridCount = 128;
    EXPECT_TRUE(StoreCoord(v, options));
    EXPECT_EQ(options.m_fYmax, 9.0f);

    RealViewOption target;
    RealViewOption page;
    page.nAutoGroups = 5;
    EXPECT_FALSE(StoreRealViewOption(page, target));
    page.nAutoGroups = 4;
    page.nPeakListCount = 35;
    EXPECT_TRUE(StoreRealViewOption(page, target));
    EXPECT_EQ(target.nAutoGroups, 4);
    EXPECT_EQ(target.nPeakListCount, 20);
}

TEST(GraphSheetRules, FontSlotsShowSizesAndRebuildFromTheTexts) {
    LOGFONT font;
    font.lfHeight = -16;
    font.lfWeight = 700;
    font.lfItalic = 1;
    EXPECT_EQ(FontSizeShown(font, 96), -12); // a negative height shows a negative size
    EXPECT_EQ(FontStyleText(font), "Bold Italic");
    const LOGFONT bold = RebuildFont(font, "宋体", "Bold Italic", "12", true, false, 96);
    EXPECT_EQ(bold.lfHeight, 16);
    EXPECT_EQ(bold.lfWeight, 700);
    EXPECT_EQ(bold.lfItalic, 1);
    EXPECT_EQ(bold.lfStrikeOut, 1);
    EXPECT_EQ(bold.GetFaceName(), "宋体");
    const LOGFONT plain = RebuildFont(font, "Sans", "bold", "9", false, true, 96);
    EXPECT_EQ(plain.lfWeight, 400); // the words are matched as written
    EXPECT_EQ(plain.lfItalic, 0);
    EXPECT_EQ(plain.lfHeight, 12);
}

TEST(GraphSheet, ApplyToSameKindReachesEveryCurveViewAndKeepsTheirChannels) {
    EnsureViewsTestApp();
    CurveWorld world;
    world.measChanList = {0, 1, 2};
    std::unique_ptr<CCurveViewWidget> first(CCurveViewWidget::Create());
    std::unique_ptr<CCurveViewWidget> second(CCurveViewWidget::Create());
    for (CCurveViewWidget* view : {first.get(), second.get()}) {
        view->fillWorld = [&world](CurveWorld& w) { w = world; };
        view->RefreshWorld();
    }
    CurveSignalChoice choice;
    choice.ids = {2};
    second->Model().ApplySignalChoice(choice, world);

    const auto changeGridAndColour = [](bool toAll) {
        return [toAll](CPropRealTimeViewSheet& sheet) {
            EXPECT_TRUE(sheet.ApplyButton()->isEnabled()); // at once
            sheet.pickColour = [](COLORREF& colour) {
                colour = 0x0000FF;
                return true;
            };
            sheet.ClickColour(6);
            sheet.YGrid()->setValue(5);
            sheet.ApplyToAllBox()->setChecked(toAll);
            sheet.Ok();
            return sheet.result();
        };
    };
    first->runPropertySheet = changeGridAndColour(false);
    first->ShowPropertySheet();
    EXPECT_EQ(first->Model().m_Options.m_nYGridCount, 5);
    EXPECT_EQ(first->Model().m_Options.m_Line[0], 0x0000FFu);
    EXPECT_NE(second->Model().m_Options.m_nYGridCount, 5);

    second->runPropertySheet = changeGridAndColour(true);
    first->Model().m_Options.m_nYGridCount = 3;
    second->ShowPropertySheet();
    for (CCurveViewWidget* view : {first.get(), second.get()}) {
        EXPECT_EQ(view->Model().m_Options.m_nYGridCount, 5);
        EXPECT_EQ(view->Model().m_Options.m_Line[0], 0x0000FFu);
    }
    EXPECT_EQ(second->Model().GetChannelIDs(), (std::vector<int>{2}));
}

TEST(GraphSheet, AGroupCountOutOfRangeSendsNothing) {
    EnsureViewsTestApp();
    CPropRealTimeViewSheet sheet(CGraphDisplayOptions(), RealViewOption(), 3, 0);
    int sent = 0;
    sheet.onApply = [&sent](CPropRealTimeViewSheet&, bool) { ++sent; };
    sheet.GroupCount()->setValue(5);
    EXPECT_FALSE(sheet.Apply());
    sheet.GroupCount()->setValue(2);
    EXPECT_TRUE(sheet.Apply());
    EXPECT_EQ(sent, 1);
    EXPECT_EQ(sheet.Option().nAutoGroups, 2);
}

} // namespace
