// Case and channel tables: building them from a case search and from a
// project file, refusing what does not fit, and the measured-channel list.
#include <gtest/gtest.h>

#include <vector>

#include "ChannelModelTestSupport.h"

namespace {

class CaseTablesTest : public ::testing::Test {
protected:
    void SetUp() override { ResetChannelModel(); }

    int LoadProject(const std::string& channelParamSection) {
        const std::string path = m_folder.File("test.dap");
        WriteIniFile(path, "[ChannelParam]\n" + channelParamSection);
        return LoadCaseTablesFromProjectFile(path);
    }

    ScratchFolder m_folder;
};

TEST_F(CaseTablesTest, CaseSearchOrdersOnlineCasesAndMarksTheirChannelsPresent) {
    for (int id = 0; id < MAX_CHANNEL_COUNT; ++id) {
        g_ChannelState[id].bPresent = 0;
    }
    SetOnlineCases({7, 3});
    EXPECT_EQ(g_nCaseCount, 2);
    EXPECT_EQ(g_CaseList[0], 3);
    EXPECT_EQ(g_CaseList[1], 7);
    EXPECT_EQ(g_CaseSlot[7], 1);
    EXPECT_EQ(g_ChannelList[16], 112);
    EXPECT_EQ(g_ChannelPos[113], 17);
    EXPECT_EQ(g_nChannelCount, 32);
    EXPECT_EQ(g_ChannelState[48].bPresent, 1);
    EXPECT_EQ(g_ChannelState[127].bPresent, 1);
    EXPECT_EQ(g_ChannelState[64].bPresent, 0); // case 4 is not online
}

TEST_F(CaseTablesTest, CaseSearchLeavesOutCasesThatCannotCarryChannels) {
    std::int32_t online[MAX_CASE_COUNT];
    std::fill(std::begin(online), std::end(online), 1);
    EXPECT_EQ(BuildCaseTablesFromOnlineFlags(online), MAX_CASE_COUNT - MAX_CHANNEL_CASE_COUNT);
    EXPECT_EQ(g_nCaseCount, MAX_CHANNEL_CASE_COUNT);
    EXPECT_EQ(g_nChannelCount, MAX_CHANNEL_COUNT);
    EXPECT_EQ(g_ChannelList[MAX_CHANNEL_COUNT - 1], MAX_CHANNEL_COUNT - 1);
}

TEST_F(CaseTablesTest, ProjectSlotWithoutCaseKeepsItsPlaceButAddsNoChannels) {
    ASSERT_EQ(LoadProject("CaseCount=2\nCaseID0=5\n"), 1);
    EXPECT_EQ(g_nCaseCount, 2);
    EXPECT_EQ(g_CaseList[0], 5);
    EXPECT_EQ(g_CaseList[1], -1);
    EXPECT_EQ(g_CaseSlot[5], 0);
    EXPECT_EQ(g_nChannelCount, 16);
    EXPECT_EQ(g_ChannelList[0], 80);
    EXPECT_EQ(g_ChannelList[15], 95);
    EXPECT_EQ(g_ChannelPos[95], 15);
}

TEST_F(CaseTablesTest, ProjectSlotAfterAnEmptySlotKeepsItsFramePosition) {
    ASSERT_EQ(LoadProject("CaseCount=3\nCaseID0=-1\nCaseID1=2\nCaseID2=0\n"), 1);
    EXPECT_EQ(g_nChannelCount, 32);
    EXPECT_EQ(g_ChannelList[0], 32);
    EXPECT_EQ(g_ChannelPos[32], 16);
    EXPECT_EQ(g_ChannelPos[0], 32);
}

TEST_F(CaseTablesTest, OlderProjectFormTakesCasesFromTheChannelList) {
    std::string section = "CaseCount=0\nChannelCount=32\n";
    for (int i = 0; i < 32; ++i) {
        section += "ChannelID" + std::to_string(i) + "=" + std::to_string(48 + i) + "\n";
    }
    ASSERT_EQ(LoadProject(section), 1);
    EXPECT_EQ(g_nCaseCount, 2);
    EXPECT_EQ(g_CaseList[0], 3);
    EXPECT_EQ(g_CaseList[1], 4);
    EXPECT_EQ(g_CaseSlot[4], 1);
    EXPECT_EQ(g_nChannelCount, 32);
    EXPECT_EQ(g_ChannelPos[79], 31);
}

TEST_F(CaseTablesTest, BadProjectSectionsFailWithoutWritingPastTheTables) {
    const struct {
        const char* name;
        std::string section;
    } cases[] = {
        {"older form without channels", "ChannelCount=0\n"},
        {"negative channel id", "ChannelCount=16\nChannelID0=-3\n"},
        {"channel id past the tables", "ChannelCount=16\nChannelID0=4096\n"},
        {"channel count past the tables", "ChannelCount=5000\n"},
        {"case count past the tables", "CaseCount=513\n"},
        {"case number past the channel ids", "CaseCount=1\nCaseID0=256\n"},
        {"case number past the case tables", "CaseCount=1\nCaseID0=600\n"},
        {"negative case number", "CaseCount=1\nCaseID0=-7\n"},
        {"case in two slots", "CaseCount=3\nCaseID0=4\nCaseID1=-1\nCaseID2=4\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetOnlineCases({1});
        EXPECT_EQ(LoadProject(c.section), 0);
    }
}

TEST_F(CaseTablesTest, RefusedCaseListLeavesTheTablesAsTheyWere) {
    SetOnlineCases({1});
    std::string section = "CaseCount=300\n";
    for (int i = 0; i < 300; ++i) {
        section += "CaseID" + std::to_string(i) + "=" + std::to_string(i % 256) + "\n";
    }
    EXPECT_EQ(LoadProject(section), 0);
    EXPECT_EQ(g_nCaseCount, 1);
    EXPECT_EQ(g_CaseList[0], 1);
    EXPECT_EQ(g_nChannelCount, 16);
}

TEST_F(CaseTablesTest, OlderFormWithACaseTwiceIsRefused) {
    std::string section = "ChannelCount=32\n";
    for (int i = 0; i < 32; ++i) {
        section += "ChannelID" + std::to_string(i) + "=" + std::to_string(48 + i % 16) + "\n";
    }
    EXPECT_EQ(LoadProject(section), 0);
}

TEST_F(CaseTablesTest, MeasuredListSkipsHiddenAndAbsentChannelsInFrameOrder) {
    SetOnlineCases({2, 5});
    g_ChannelParams[33].bShown = 0;
    g_ChannelState[80].bPresent = 0;
    BuildMeasuredChannelList();
    EXPECT_EQ(g_nMeasChanCount, 30);
    EXPECT_EQ(g_MeasChanList[0], 32);
    EXPECT_EQ(g_MeasChanList[1], 34);
    EXPECT_EQ(g_MeasChanList[14], 47);
    EXPECT_EQ(g_MeasChanList[15], 81);
    EXPECT_EQ(g_MeasChanPos[81], 15);
}

TEST_F(CaseTablesTest, OnlyCaseVersion4HasThirtyTwoChannelsPerCase) {
    EXPECT_EQ(g_nChansPerCase, 32);
    const std::pair<int, int> cases[] = {{4, 32}, {3, 16}, {0, 16}, {5, 16}};
    for (const auto& [version, channels] : cases) {
        SetChannelsPerModule(version);
        EXPECT_EQ(g_nChansPerCase, channels) << version;
    }
    EXPECT_EQ(GetChannelsPerModule(), 16);
}

} // namespace
