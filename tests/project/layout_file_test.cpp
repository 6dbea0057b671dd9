// The window layout file: window order, the windows to reopen, bar keys and
// child placement with their read defaults.
#include <gtest/gtest.h>

#include "model/ChannelModelTestSupport.h"
#include "project/LayoutFile.h"

namespace {

TEST(LayoutFileTest, FileNameWithoutADotMeansTheProjectLayoutOfTheProgramFolder) {
    EXPECT_EQ(ResolveLayoutFileName("", "/bin", "T1"), "/bin/T1.LYT");
    EXPECT_EQ(ResolveLayoutFileName("/p/layout", "/bin", "T1"), "/bin/T1.LYT");
    EXPECT_EQ(ResolveLayoutFileName("/p/x.LYT", "/bin", "T1"), "/p/x.LYT");
}

TEST(LayoutFileTest, WindowsToReopenFollowOrderAndCount) {
    const struct {
        const char* order;
        int count;
        std::vector<int> templates;
    } cases[] = {
        {"2131", 4, {2, 1, 3, 1}}, {"2131", 2, {2, 1}}, {"21", 5, {2, 1}}, {"1x5", 3, {1, 0, 0}}, {"", 3, {}},
    };
    for (const auto& c : cases) {
        WindowLayout layout;
        layout.m_strWndOrd = c.order;
        layout.m_nWndCount = c.count;
        EXPECT_EQ(TemplatesToOpen(layout), c.templates) << c.order << " " << c.count;
    }
    EXPECT_EQ(MakeWindowOrder({2, 0, 1, 5, 4}), "214");
    EXPECT_EQ(MakeWindowOrder(std::vector<int>(20, 3)).size(), 16u);
}

TEST(LayoutFileTest, MissingFileReadsDefaultsAndWrittenValuesComeBack) {
    ScratchFolder folder;
    const std::string path = folder.File("QV7416.LYT");
    const WindowLayout missing = ReadWindowLayout(path);
    EXPECT_EQ(missing.m_strWndOrd, "");
    EXPECT_EQ(missing.m_nWndCount, 0);
    EXPECT_EQ(missing.m_Bars.m_bShowSampleParamBar, 1);
    EXPECT_EQ(missing.m_Bars.m_bShowGraphAtribBar, 1);
    EXPECT_EQ(missing.m_Bars.m_bShowSampleControlBar, 1);
    EXPECT_EQ(missing.m_Bars.m_bShowChannelBar, 1);
    EXPECT_EQ(missing.m_Bars.m_bShowMoveDataBar, 0);
    const ChildWindowPlacement defaults = LoadChildPlacement(path, 0, 4, 5);
    EXPECT_EQ(defaults.flags, 2);
    EXPECT_EQ(defaults.showCmd, 1);
    EXPECT_EQ(defaults.minPositionX, -4);
    EXPECT_EQ(defaults.minPositionY, -5);
    EXPECT_EQ(defaults.windowRight, 400);
    EXPECT_EQ(defaults.windowBottom, 200);
    EXPECT_EQ(defaults.m_nLeftViewWidth, 1);
    EXPECT_EQ(defaults.m_bShowInfoView, 0);

    WindowLayout layout;
    layout.m_strWndOrd = "0123456789ABCDEFGH";
    layout.m_nWndCount = 3;
    layout.m_Bars.m_bShowChannelBar = 0;
    layout.m_Bars.m_bShowMoveDataBar = 1;
    WriteWindowLayout(path, layout);
    ChildWindowPlacement placement;
    placement.windowLeft = 10;
    placement.windowRight = 310;
    placement.m_bShowInfoView = 1;
    placement.m_nLeftViewWidth = 120;
    SaveChildPlacement(path, 1, placement);

    const WindowLayout read = ReadWindowLayout(path);
    EXPECT_EQ(read.m_strWndOrd, "0123456789ABCDEF"); // at most 16 characters
    EXPECT_EQ(read.m_nWndCount, 3);
    EXPECT_EQ(read.m_Bars.m_bShowChannelBar, 0);
    EXPECT_EQ(read.m_Bars.m_bShowMoveDataBar, 1);
    const ChildWindowPlacement back = LoadChildPlacement(path, 1, 4, 5);
    EXPECT_EQ(back.windowLeft, 10);
    EXPECT_EQ(back.windowRight, 310);
    EXPECT_EQ(back.m_bShowInfoView, 1);
    EXPECT_EQ(back.m_nLeftViewWidth, 120);
    EXPECT_EQ(back.flags, 2);
}

} // namespace
