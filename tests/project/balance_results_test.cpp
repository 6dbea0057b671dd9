// Balance results in the binary project form and in the text exchange form.
#include <gtest/gtest.h>

#include <cstring>

#include "ProjectTestSupport.h"
#include "platform/Text.h"
#include "project/BalanceResults.h"

namespace {

class BalanceResultsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProjectGlobals();
        for (int id = 0; id < MAX_CHANNEL_COUNT; ++id) {
            g_ChannelParams[id].nZero = id * 3 - 100;
        }
        g_ChannelParams[5].nZero = ZERO_NOT_BALANCED;
    }

    void SetAllZeros(std::int32_t value) {
        for (ChannelParamRecord& r : g_ChannelParams) {
            r.nZero = value;
        }
    }

    ProjectScratchFolder m_folder;
};

TEST_F(BalanceResultsTest, BinaryFormRoundTripsAndEndsAfterTheText) {
    const std::string path = m_folder.File("p.zer");
    ASSERT_EQ(SaveProjectZeros(path, "2024-03-05 14:07:09 第一次平衡"), 1);
    const std::string content = ReadTextFile(path);
    ASSERT_GT(content.size(), ZERO_BLOCK_SIZE);
    std::int32_t stored = 0;
    std::memcpy(&stored, content.data() + 5 * 4, 4);
    EXPECT_EQ(stored, 8388609);

    ASSERT_EQ(SaveProjectZeros(path, "short"), 1);
    EXPECT_EQ(platform::FileSize(path), std::int64_t(ZERO_BLOCK_SIZE + 5)); // no trace of the longer text

    SetAllZeros(0);
    std::string time;
    ASSERT_EQ(LoadProjectZeros(path, time), 1);
    EXPECT_EQ(time, "short");
    EXPECT_EQ(g_ChannelParams[5].nZero, ZERO_NOT_BALANCED);
    EXPECT_EQ(g_ChannelParams[4095].nZero, 4095 * 3 - 100);
}

TEST_F(BalanceResultsTest, BinaryFormEdgeFiles) {
    const std::string exact = m_folder.File("exact.zer");
    WriteSizedFile(exact, ZERO_BLOCK_SIZE);
    std::string time = "old";
    ASSERT_EQ(LoadProjectZeros(exact, time), 1);
    EXPECT_EQ(time, "");
    EXPECT_EQ(g_ChannelParams[7].nZero, 0);

    SetAllZeros(11);
    const std::string shortFile = m_folder.File("short.zer");
    WriteSizedFile(shortFile, ZERO_BLOCK_SIZE - 4);
    time = "kept";
    EXPECT_EQ(LoadProjectZeros(shortFile, time), 0);
    EXPECT_EQ(LoadProjectZeros(m_folder.File("missing.zer"), time), 0);
    EXPECT_EQ(time, "kept");
    EXPECT_EQ(g_ChannelParams[7].nZero, 11);

    // A read-only file is still replaced, as the project save expects.
    ASSERT_TRUE(platform::SetReadOnly(exact, true));
    EXPECT_EQ(SaveProjectZeros(exact, "t"), 1);
}

TEST_F(BalanceResultsTest, TextFormRoundTripsWithAndWithoutAnArray) {
    const std::string path = m_folder.File("zero.odd");
    ASSERT_EQ(WriteZeroTextFile(path, nullptr, "平衡 10:00"), 1);
    const std::string content = ReadTextFile(path);
    EXPECT_EQ(content.substr(0, content.find('\n')), platform::Utf8ToGbk("平衡 10:00"));
    EXPECT_NE(content.find("\n8388609\n"), std::string::npos);

    std::vector<std::int32_t> values(MAX_CHANNEL_COUNT, 0);
    std::string time;
    ASSERT_EQ(ReadZeroTextFile(path, values.data(), time), 1);
    EXPECT_EQ(time, "平衡 10:00");
    EXPECT_EQ(values[0], -100);
    EXPECT_EQ(values[5], ZERO_NOT_BALANCED);
    EXPECT_EQ(values[4095], 4095 * 3 - 100);

    std::vector<std::int32_t> given(MAX_CHANNEL_COUNT, 42);
    ASSERT_EQ(WriteZeroTextFile(path, given.data(), "t"), 1);
    ASSERT_EQ(ReadZeroTextFile(path, nullptr, time), 1);
    EXPECT_EQ(g_ChannelParams[4095].nZero, 42);
}

TEST_F(BalanceResultsTest, ShortTextFileChangesOnlyTheChannelsItReaches) {
    const std::string path = m_folder.File("ten.odd");
    std::string content = "t\r\n";
    for (int i = 0; i < 10; ++i) {
        content += std::to_string(1000 + i) + "\r\n";
    }
    WriteTextFile(path, content);
    std::string time;
    ASSERT_EQ(ReadZeroTextFile(path, nullptr, time), 1);
    EXPECT_EQ(time, "t");
    EXPECT_EQ(g_ChannelParams[0].nZero, 1000);
    EXPECT_EQ(g_ChannelParams[9].nZero, 1009);
    EXPECT_EQ(g_ChannelParams[10].nZero, 10 * 3 - 100);
}

TEST_F(BalanceResultsTest, MalformedTextLineIsReportedAndChangesNothing) {
    for (const char* bad : {"12x", "", "abc", "99999999999", "1.5"}) {
        SCOPED_TRACE(bad);
        const std::string path = m_folder.File("bad.odd");
        WriteTextFile(path, std::string("new time\n1\n") + bad + "\n3\n");
        std::string time = "old time";
        EXPECT_EQ(ReadZeroTextFile(path, nullptr, time), 0);
        EXPECT_EQ(time, "old time");
        EXPECT_EQ(g_ChannelParams[0].nZero, -100);
    }
    std::string time;
    EXPECT_EQ(ReadZeroTextFile(m_folder.File("missing.odd"), nullptr, time), 0);
}

} // namespace
