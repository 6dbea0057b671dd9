// Graph display options: defaults, a full INI round trip, partial sections
// and font scaling.
#include "views/shared/GraphDisplayOptions.h"

#include "platform/Profile.h"

#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

class GraphDisplayOptionsTest : public ::testing::Test {
protected:
    ScratchFolder m_scratch;
    std::string m_file = m_scratch.File("graph_options.def");
};

// Every member changed from its default, each to a value of its own.
CGraphDisplayOptions Changed() {
    CGraphDisplayOptions o;
    COLORREF* colours[] = {&o.m_clrViewBack, &o.m_clrDataLineBack, &o.m_Grid, &o.m_clrTotalMsg,
                           &o.m_LineFrame};
    for (int i = 0; i < 5; ++i)
        *colours[i] = 0x010203u * (i + 1);
    for (int i = 0; i < CGraphDisplayOptions::kCurveCount; ++i) {
        o.m_Line[i] = 0x100000u + i;
        o.m_PenStyle_Line[i] = i % 5;
        o.m_PenWidth_Line[i] = i + 2;
    }
    o.m_Cursor[1] = 0x123456;
    o.m_PenStyle_Cursor[1] = 2;
    o.m_PenWidth_Grid = 3;
    o.m_PenStyle_OutGrid = 4;
    o.m_lftStat.lfHeight = -20;
    o.m_lftStat.lfItalic = 1;
    o.m_lftXUnit.SetFaceName("Courier New");
    o.m_lftYUnit.lfEscapement = 2700;
    o.m_nScareType = 1;
    o.m_fXmax = 1250.5f;
    o.m_fXmin = -0.25f;
    o.m_fYmax = 3e20f; // a long "%f" text
    o.m_fYmin = -8.0f;
    o.m_nXPrecision = 4;
    o.m_nYGridCount = 6;
    o.m_nXShowType = 2;
    o.m_nLineType = 0;
    return o;
}

TEST_F(GraphDisplayOptionsTest, DefaultsOfTheRecord) {
    CGraphDisplayOptions o;
    EXPECT_EQ(0xC0C0C0u, o.m_clrViewBack);
    EXPECT_EQ(200u, o.m_Cursor[0]);
    EXPECT_EQ(0xC86464u, o.m_Line[3]);
    EXPECT_EQ(0x8000FFu, o.m_Line[7]);
    EXPECT_EQ(0x800080u, o.m_clrChannelID);
    EXPECT_EQ(14, o.m_lftXScale.lfHeight);
    EXPECT_EQ(134, o.m_lftXScale.lfCharSet);
    EXPECT_EQ(16, o.m_lftXScale.lfClipPrecision);
    EXPECT_EQ("宋体", o.m_lftXScale.GetFaceName());
    EXPECT_EQ(900, o.m_lftUnitY.lfEscapement);
    EXPECT_EQ(0, o.m_lftUnitX.lfEscapement);
    EXPECT_EQ(16, o.m_lftListText.lfHeight);
    EXPECT_EQ(8, o.m_lftListText.lfWidth);
    EXPECT_EQ(1, o.m_PenWidth_Line[5]);
    EXPECT_EQ(1.0f, o.m_fYmax);
    EXPECT_EQ(10, o.m_nXGridCount);
    EXPECT_EQ(1, o.m_nLineType);
}

TEST_F(GraphDisplayOptionsTest, SavedRecordReloadsIdentically) {
    CGraphDisplayOptions saved = Changed();
    saved.Save(m_file, "CurveView", 3);
    EXPECT_EQ(std::to_string(0x100002),
              platform::GetPrivateProfileString("CurveView3", "m_Line[2]", "", m_file));
    EXPECT_EQ("1250.500000", platform::GetPrivateProfileString("CurveView3", "m_fXmax", "", m_file));
    EXPECT_EQ("2", platform::GetPrivateProfileString("CurveView3", "m_PenStyle_Cursor[1]", "", m_file));
    EXPECT_EQ(122u, platform::GetPrivateProfileString("CurveView3", "m_lftStat", "", m_file).size());

    CGraphDisplayOptions loaded;
    ASSERT_EQ(1, loaded.Load(m_file, "CurveView", 3));
    EXPECT_TRUE(loaded == saved);
    EXPECT_EQ("Courier New", loaded.m_lftXUnit.GetFaceName());

    // A range beyond float saturates instead of converting out of range.
    platform::WritePrivateProfileString("CurveView3", "m_fYmin", "-1e300", m_file);
    ASSERT_EQ(1, loaded.Load(m_file, "CurveView", 3));
    EXPECT_EQ(-FLT_MAX, loaded.m_fYmin);
}

TEST_F(GraphDisplayOptionsTest, MissingOrDamagedFontStopsTheLoad) {
    CGraphDisplayOptions saved = Changed();
    saved.Save(m_file, "View", 0);
    saved.Save(m_file, "View", 1);
    platform::DeletePrivateProfileKey("View0", "m_lftNote", m_file);
    platform::WritePrivateProfileString("View1", "m_lftNote", "00FF", m_file); // wrong length and checksum
    for (int index : {0, 1}) {
        SCOPED_TRACE(index);
        CGraphDisplayOptions target;
        target.m_PenWidth_Grid = 7;
        target.m_fXmax = 99.0f;
        target.m_nLineType = 5;
        EXPECT_EQ(0, target.Load(m_file, "View", index));
        EXPECT_EQ(saved.m_Line[4], target.m_Line[4]);     // colours come first
        EXPECT_TRUE(target.m_lftStat == saved.m_lftStat); // fonts before the bad one
        EXPECT_TRUE(target.m_lftNote == CGraphDisplayOptions().m_lftNote);
        EXPECT_EQ(7, target.m_PenWidth_Grid); // pens, ranges and modes kept
        EXPECT_EQ(99.0f, target.m_fXmax);
        EXPECT_EQ(5, target.m_nLineType);
    }
    // An empty section: default colours, and no fonts.
    CGraphDisplayOptions empty = Changed();
    EXPECT_EQ(0, empty.Load(m_file, "Missing", 0));
    EXPECT_EQ(0xC0C0C0u, empty.m_clrViewBack);
}

TEST_F(GraphDisplayOptionsTest, ScaleFontsByRoundedFactors) {
    struct Case {
        int mode;
        double x, y;
        int width, height; // of a 10 wide, 15 high font
    } cases[] = {
        {0, 2.0, 2.0, 5, 8},   // divided, rounded
        {1, 2.0, 3.0, 20, 45}, // multiplied
        {1, 2.6, 0.4, 30, 15}, // 2.6 rounds to 3; 0.4 to 0, which counts as 1
        {0, -5.0, 1.0, 10, 15},
    };
    for (const Case& c : cases) {
        CGraphDisplayOptions o;
        o.m_lftXScale.lfWidth = 10, o.m_lftXScale.lfHeight = 15;
        o.m_lftListText.lfWidth = 10, o.m_lftListText.lfHeight = 15;
        o.m_lftXUnit.lfWidth = 10, o.m_lftXUnit.lfHeight = 15;
        o.ScaleFonts(c.mode, c.x, c.y);
        EXPECT_EQ(c.width, o.m_lftXScale.lfWidth) << c.mode << " " << c.x;
        EXPECT_EQ(c.height, o.m_lftXScale.lfHeight) << c.mode << " " << c.y;
        EXPECT_EQ(c.width, o.m_lftListText.lfWidth);
        EXPECT_EQ(10, o.m_lftXUnit.lfWidth); // the two unit fonts are not scaled
        EXPECT_EQ(15, o.m_lftXUnit.lfHeight);
    }
}

} // namespace
