// Tests of the log-line time stamp and of appending log lines.
#include "platform/DebugLog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>
#include <vector>

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class DebugLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/qv_log_XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_dir = pattern;
        m_file = m_dir + "/Debug.txt";
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }
    std::string m_dir, m_file;
};

} // namespace

TEST(LogTimeStamp, FormatOfGivenAndCurrentTime) {
    platform::LocalDateTime t;
    t.year = 2024;
    t.month = 3;
    t.day = 5;
    t.hour = 7;
    t.minute = 8;
    t.second = 9;
    t.millisecond = 45;
    EXPECT_EQ(platform::FormatLogTimeStamp(t), "2024-03-05 07:08:09.045");
    EXPECT_TRUE(std::regex_match(platform::FormatLogTimeStamp(),
                                 std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3})")));
}

TEST_F(DebugLogTest, AppendRecreateAndLineEnds) {
    ASSERT_TRUE(platform::AppendLogLine(m_file, "one"));
    ASSERT_TRUE(platform::AppendLogLine(m_file, "two\nlines"));
    EXPECT_EQ(ReadAll(m_file), "one\r\ntwo\r\nlines\r\n");
    ASSERT_TRUE(platform::AppendLogLine(m_file, "fresh", true));
    EXPECT_EQ(ReadAll(m_file), "fresh\r\n");
}

TEST_F(DebugLogTest, TextIsWrittenInGbk) {
    ASSERT_TRUE(platform::AppendLogLine(m_file, "采样", true));
    EXPECT_EQ(ReadAll(m_file), "\xB2\xC9\xD1\xF9\r\n");
}

TEST_F(DebugLogTest, OpenFailureIsReportedNotFatal) {
    EXPECT_FALSE(platform::AppendLogLine(m_dir + "/missing/Debug.txt", "x"));
    EXPECT_FALSE(platform::AppendLogLine(m_dir, "x")); // a folder
}

TEST_F(DebugLogTest, LinesFromManyThreadsStayWhole) {
    const int kThreads = 8, kLines = 200;
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i)
        threads.emplace_back([&, i] {
            const std::string line(100, static_cast<char>('a' + i));
            for (int j = 0; j < kLines; ++j)
                platform::AppendLogLine(m_file, line);
        });
    for (auto& t : threads)
        t.join();
    std::istringstream in(ReadAll(m_file));
    std::vector<int> perThread(kThreads);
    for (std::string line; std::getline(in, line);) {
        ASSERT_EQ(line.size(), 101u);
        ASSERT_EQ(line.back(), '\r');
        ASSERT_EQ(line.find_first_not_of(line[0]), 100u);
        ++perThread[line[0] - 'a'];
    }
    for (int n : perThread)
        EXPECT_EQ(n, kLines);
}
