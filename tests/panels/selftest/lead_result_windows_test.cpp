// Offscreen tests of the lead-wire and self-test result windows: the grid's
// columns, the values and their colours, "RLead.rst" and the text export.
#include "model/ChannelModelTestSupport.h"
#include "panels/PanelsTestApp.h"
#include "panels/selftest/DlgLeadResistance.h"
#include "panels/selftest/DlgSelfTestResult.h"
#include "widgets/MSFlexGrid.h"

#include "model/AppSettings.h"
#include "platform/Files.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);
const QColor kBlack(0, 0, 0);

TEST(ResultGridColumnsTest, FollowTheWidthInWholeChannelGroups) {
    struct Case {
        int width, cells, least, columns;
    };
    const Case cases[] = {{760, 3, 6, 9}, {500, 3, 6, 6}, {760, 2, 6, 8}, {1000, 2, 8, 12}, {700, 2, 8, 8}};
    for (const Case& c : cases)
        EXPECT_EQ(ResultGridColumns(c.width, c.cells, c.least), c.columns) << c.width << " " << c.cells;
}

class ResultWindowsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsurePanelsTestApp(); }
    ResultWindowsTest() {
        ResetChannelModel();
        // One online unit: channels 0-2 strain, 3 voltage.
        g_nCaseCount = 1;
        g_CaseList[0] = 0;
        for (int c = 0; c < 16; ++c)
            g_ChannelParams[c].nMeasureType = c < 3 ? MEASURE_STRAIN : MEASURE_VOLTAGE;
        for (int c = 0; c < 3; ++c) {
            g_ChannelParams[c].nBridgeVoltage = 2;
            g_ChannelParams[c].fGaugeResistance = 120.0f;
            g_ChannelState[c].fBridgeGain = 1.0f;
        }
        g_ChannelState[2].fBridgeGain = 0.0f; // never divided by
        resistances.fill(0.0f);
        states.fill(0);
        resistances[0] = 10.0f;
        resistances[2] = 5.0f;
        states[1] = kChannelOpen;
    }
    ~ResultWindowsTest() override { ResetChannelModel(); }

    static std::string Cell(CMSFlexGrid* grid, int row, int col) { return grid->GetTextMatrix(row, col); }
    static QColor Colour(CMSFlexGrid* grid, int row, int col) {
        return grid->item(row - 1, col)->foreground().color();
    }
    static std::string ReadAll(const std::string& path) {
        std::ifstream file(path, std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }

    ScratchFolder folder;
    std::array<float, MAX_CHANNEL_COUNT> resistances{};
    std::array<std::int32_t, MAX_CHANNEL_COUNT> states{};
};

TEST_F(ResultWindowsTest, LeadWindowShowsTheStrainChannelsWithResistanceAndFarEndVoltage) {
    CDlgLeadResistance window(folder.File(""));
    window.SetCellsPerChannel(3);
    window.ClearResults();
    CMSFlexGrid* grid = window.GetGrid();
    EXPECT_EQ(window.GetChannels(), (std::vector<int>{0, 1, 2}));
    ASSERT_EQ(grid->GetCols(), 6) << "two groups of three cells";
    EXPECT_EQ(grid->GetTextMatrix(0, 2), "远端桥压(V)");
    EXPECT_EQ(Cell(grid, 1, 1), "") << "no values before results";

    window.SetResults(resistances.data(), states.data());
    ASSERT_EQ(grid->GetRows(), 3);
    EXPECT_EQ(Cell(grid, 1, 0), "01-01-01");
    EXPECT_EQ(Colour(grid, 1, 0), kBlue);
    EXPECT_EQ(Cell(grid, 1, 1), "10.000");
    EXPECT_EQ(Cell(grid, 1, 2), "1.846"); // 2 / (10 / 120 + 1) / 1
    EXPECT_EQ(Colour(grid, 1, 1), kBlack);
    EXPECT_EQ(Cell(grid, 1, 4), "开路");
    EXPECT_EQ(Colour(grid, 1, 4), kRed);
    EXPECT_EQ(Cell(grid, 2, 2), "0.000") << "a divisor of 0 gives 0";

    // "RLead.rst": the three arrays as they lie.
    const std::string file = folder.File("RLead.rst");
    const std::string bytes = ReadAll(file);
    ASSERT_EQ(bytes.size(), 49152u);
    std::int32_t state1 = 0;
    float r0 = 0.0f, v0 = 0.0f;
    std::memcpy(&state1, bytes.data() + 4, 4);
    std::memcpy(&r0, bytes.data() + 16384, 4);
    std::memcpy(&v0, bytes.data() + 32768, 4);
    EXPECT_EQ(state1, kChannelOpen);
    EXPECT_EQ(r0, 10.0f);
    EXPECT_NEAR(v0, 2.0f / (10.0f / 120.0f + 1.0f), 1e-6);
    EXPECT_FALSE(platform::FileExists(file + ".tmp"));

    // The export leaves the open channel out (GBK, CRLF, "%-15s\t" fields).
    window.chooseFile = [&](const std::string& title, const std::string&, std::string& path) {
        EXPECT_EQ(title, "保存数据文件");
        path = folder.File("lead");
        return true;
    };
    window.ExportResults();
    EXPECT_EQ(ReadAll(folder.File("lead.txt")),
              platform::Utf8ToGbk("通道号         \t电阻值(Ω)     \t远端桥压(V)    \t\r\n"
                                  "01_01_01       \t10.000         \t1.846          \t\r\n"
                                  "01_01_03       \t5.000          \t0.000          \t\r\n"));
}

TEST_F(ResultWindowsTest, SavedResultsShowOnlyFromAFileOfTheRightSize) {
    CDlgLeadResistance writer(folder.File(""));
    writer.SetResults(resistances.data(), states.data());

    CDlgLeadResistance window(folder.File(""));
    window.RefreshGrid();
    window.ShowSavedResults();
    EXPECT_TRUE(window.HasData());
    EXPECT_EQ(window.GetGrid()->GetTextMatrix(1, 1), "10.000");

    std::ofstream(folder.File("RLead.rst"), std::ios::app) << "x";
    CDlgLeadResistance other(folder.File(""));
    other.RefreshGrid();
    other.ShowSavedResults();
    EXPECT_FALSE(other.HasData()) << "a file of another size is ignored";
    EXPECT_EQ(other.GetGrid()->GetTextMatrix(1, 1), "");
}

TEST_F(ResultWindowsTest, SelfTestWindowMarksAbnormalOpenAndShortedChannelsInRed) {
    CDlgSelfTestResult window;
    std::array<float, MAX_CHANNEL_COUNT> readings{};
    readings[0] = 1000.0f;
    readings[1] = 12.5f;
    states[1] = kSelfTestAbnormal;
    states[2] = kChannelShorted;
    window.SetResults(readings.data(), states.data());
    CMSFlexGrid* grid = window.GetGrid();
    ASSERT_EQ(grid->GetCols(), 8);
    EXPECT_EQ(grid->GetTextMatrix(0, 1), "测点值(με)");
    EXPECT_EQ(Cell(grid, 1, 1), "1000.000");
    EXPECT_EQ(Colour(grid, 1, 1), kBlack);
    EXPECT_EQ(Cell(grid, 1, 3), "12.500");
    EXPECT_EQ(Colour(grid, 1, 3), kRed);
    EXPECT_EQ(Cell(grid, 1, 5), "短路");
    EXPECT_EQ(Colour(grid, 1, 5), kRed);
}

TEST_F(ResultWindowsTest, WithoutStrainChannelsOnlyTheHeadingRowShows) {
    for (int c = 0; c < 3; ++c)
        g_ChannelParams[c].nMeasureType = MEASURE_VOLTAGE;
    CDlgSelfTestResult window;
    window.RefreshGrid();
    EXPECT_EQ(window.GetGrid()->GetRows(), 1);
}

} // namespace
