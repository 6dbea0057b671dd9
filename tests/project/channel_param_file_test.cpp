// Channel-parameter file: the byte layout, reading it back, and what a
// foreign, short or hidden-channel file loads.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "model/ChannelModelTestSupport.h"
#include "project/ChannelParamFile.h"

namespace {

std::vector<char> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::string& path, const std::vector<char>& bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

template <typename T> T At(const std::vector<char>& bytes, std::size_t offset) {
    T value;
    std::memcpy(&value, bytes.data() + offset, sizeof(value));
    return value;
}

class ChannelParamFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetChannelModel();
        m_path = m_folder.File("QV7416.chn");
    }

    // A few distinct values in each table, so that offsets show.
    static void MarkTables() {
        g_ChannelParams[5].fGaugeFactor = 2.11f;
        g_ChannelParams[4095].nZero = 1234;
        g_ChannelState[7].fFullScale = 10000.0f;
        g_ChannelState[4095].nCompChannel = 12;
        g_AlarmTable[9].bEnabled = 1;
        g_AlarmTable[9].fUpper = 55.5f;
    }

    ScratchFolder m_folder;
    std::string m_path;
};

TEST_F(ChannelParamFileTest, SavedFileHasTheRecordLayout) {
    MarkTables();
    ASSERT_EQ(SaveChannelParamFile(m_path), 1);
    const std::vector<char> bytes = ReadBytes(m_path);
    ASSERT_EQ(bytes.size(), 884752u);
    EXPECT_EQ(0, std::memcmp(bytes.data(), g_ChannelParams, 491520));
    EXPECT_EQ(bytes[491520], 'Q');
    EXPECT_EQ(bytes[491521], 'V');
    EXPECT_EQ(At<std::uint16_t>(bytes, 491522), 0);
    EXPECT_EQ(At<std::uint32_t>(bytes, 491524), 76u);
    EXPECT_EQ(At<std::uint64_t>(bytes, 491528), 0u);
    EXPECT_EQ(0, std::memcmp(bytes.data() + 491536, g_ChannelState, 311296));
    EXPECT_EQ(0, std::memcmp(bytes.data() + 802832, g_AlarmTable, 81920));
    EXPECT_EQ(At<float>(bytes, 5 * 120 + 72), 2.11f);
    EXPECT_EQ(At<std::int32_t>(bytes, 491536 + 4095 * 76 + 28), 12);
    EXPECT_EQ(At<float>(bytes, 802832 + 9 * 20 + 12), 55.5f);
}

TEST_F(ChannelParamFileTest, LoadGivesBackWhatWasSaved) {
    MarkTables();
    ASSERT_EQ(SaveChannelParamFile(m_path), 1);
    ClearChannelRecords();
    ASSERT_EQ(LoadChannelParamFile(m_path), 1);
    EXPECT_EQ(g_ChannelParams[5].fGaugeFactor, 2.11f);
    EXPECT_EQ(g_ChannelParams[4095].nZero, 1234);
    EXPECT_EQ(g_ChannelState[7].fFullScale, 10000.0f);
    EXPECT_EQ(g_ChannelState[4095].nCompChannel, 12);
    EXPECT_EQ(g_AlarmTable[9].fUpper, 55.5f);
    ASSERT_EQ(SaveChannelParamFile(m_folder.File("again.chn")), 1);
    EXPECT_EQ(ReadBytes(m_path), ReadBytes(m_folder.File("again.chn")));
}

TEST_F(ChannelParamFileTest, HiddenOrOfflineChannelsLoadWithAlarmsOffButKeepTheirAlarmRecord) {
    g_ChannelParams[3].bAlarmEnabled = g_AlarmTable[3].bEnabled = 1;
    g_ChannelParams[4].bAlarmEnabled = g_AlarmTable[4].bEnabled = 1;
    g_ChannelParams[5].bAlarmEnabled = g_AlarmTable[5].bEnabled = 1;
    g_ChannelState[3].bPresent = 0;
    g_ChannelParams[4].bShown = 0;
    ASSERT_EQ(SaveChannelParamFile(m_path), 1);
    ASSERT_EQ(LoadChannelParamFile(m_path), 1);
    EXPECT_EQ(g_ChannelParams[3].bAlarmEnabled, 0);
    EXPECT_EQ(g_ChannelParams[4].bAlarmEnabled, 0);
    EXPECT_EQ(g_ChannelParams[5].bAlarmEnabled, 1);
    EXPECT_EQ(g_AlarmTable[3].bEnabled, 1);
    EXPECT_EQ(g_AlarmTable[4].bEnabled, 1);
}

TEST_F(ChannelParamFileTest, ForeignHeaderLoadsFactoryDefaults) {
    const struct {
        const char* name;
        std::size_t offset;
        char value;
    } cases[] = {{"wrong magic", 491520, 'X'}, {"state record size 200", 491524, char(200)}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MarkTables();
        ASSERT_EQ(SaveChannelParamFile(m_path), 1);
        std::vector<char> bytes = ReadBytes(m_path);
        bytes[c.offset] = c.value;
        WriteBytes(m_path, bytes);
        g_ChannelParams[5].fGaugeFactor = 0.0f;
        ASSERT_EQ(LoadChannelParamFile(m_path), 1);
        EXPECT_EQ(g_ChannelParams[5].fGaugeFactor, 2.0f);
        EXPECT_EQ(g_ChannelState[7].fFullScale, 20.0f);
        EXPECT_EQ(g_ChannelState[4095].nCompChannel, -1);
        EXPECT_EQ(g_AlarmTable[9].bEnabled, 0);
    }
}

TEST_F(ChannelParamFileTest, ShortFileKeepsLoaderDefaultsBeyondItsEnd) {
    MarkTables();
    g_ChannelState[4095].fBridgeParam2 = 99.0f;
    ASSERT_EQ(SaveChannelParamFile(m_path), 1);
    std::vector<char> bytes = ReadBytes(m_path);
    bytes.resize(491536 + 100 * 76); // the first 100 state records only
    WriteBytes(m_path, bytes);
    g_ChannelParams[4095].nBridgeVoltage = 5;
    ASSERT_EQ(LoadChannelParamFile(m_path), 1);
    EXPECT_EQ(g_ChannelState[7].fFullScale, 10000.0f);
    EXPECT_EQ(g_ChannelState[4095].nCompChannel, -1);
    EXPECT_EQ(g_ChannelState[4095].fBridgeParam2, 120.0f);
    EXPECT_EQ(g_ChannelState[4095].fBridgeVoltage, 2.0f); // from the parameter record read
    EXPECT_EQ(g_AlarmTable[9].bEnabled, 0);
    EXPECT_EQ(g_AlarmTable[9].nChannelId, 9);
}

TEST_F(ChannelParamFileTest, UnterminatedTextsAreCutAtTheirField) {
    std::memset(g_ChannelParams[0].szUnit, 'u', sizeof(g_ChannelParams[0].szUnit));
    std::memset(g_ChannelParams[0].szDescription, 'd', sizeof(g_ChannelParams[0].szDescription));
    ASSERT_EQ(SaveChannelParamFile(m_path), 1);
    ASSERT_EQ(LoadChannelParamFile(m_path), 1);
    EXPECT_EQ(std::strlen(g_ChannelParams[0].szUnit), 15u);
    EXPECT_EQ(std::strlen(g_ChannelParams[0].szDescription), 19u);
}

TEST_F(ChannelParamFileTest, SaveReplacesTheTablesKeepsTheTailOrChangesNothing) {
    WriteBytes(m_path, std::vector<char>(900000, 'x'));
    MarkTables();
    ASSERT_EQ(SaveChannelParamFile(m_path), 1);
    const std::vector<char> bytes = ReadBytes(m_path);
    ASSERT_EQ(bytes.size(), 900000u) << "the bytes past the tables stay";
    EXPECT_EQ(0, std::memcmp(bytes.data(), g_ChannelParams, 491520));
    EXPECT_EQ(0, std::memcmp(bytes.data() + 802832, g_AlarmTable, 81920));
    EXPECT_EQ(std::vector<char>(bytes.begin() + 884752, bytes.end()),
              std::vector<char>(900000 - 884752, 'x'));

    EXPECT_EQ(SaveChannelParamFile(""), 0);
    EXPECT_EQ(SaveChannelParamFile(m_folder.File("missing/QV7416.chn")), 0);
    EXPECT_FALSE(std::filesystem::exists(m_folder.File("missing")));
    EXPECT_FALSE(std::filesystem::exists(m_path + ".tmp"));
}

TEST_F(ChannelParamFileTest, MissingFileLoadsNothing) {
    g_ChannelParams[5].fGaugeFactor = 3.0f;
    EXPECT_EQ(LoadChannelParamFile(m_folder.File("none.chn")), 0);
    EXPECT_EQ(g_ChannelParams[5].fGaugeFactor, 3.0f);
}

} // namespace
