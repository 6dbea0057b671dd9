// The tab-separated sample log: head line of the online cases' channels,
// then one line per sample.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>

#include "acquisition/SampleLogFile.h"
#include "model/ChannelModelTestSupport.h"

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(SampleLogTest, HeadLineOnceThenOneLinePerSampleWithAllChannels) {
    ResetChannelModel();
    SetOnlineCases({0, 9});
    ScratchFolder folder;
    const std::string path = folder.File("Sample.log");
    std::vector<CaseSampleBlock> frame(MAX_CASE_COUNT);
    const double date = 45658.5; // 2025-1-1 12:00:00
    ASSERT_TRUE(WriteSampleLogLine(path, frame.data(), date));
    ASSERT_TRUE(WriteSampleLogLine(path, frame.data(), date + 1.0 / 86400.0));
    ResetChannelModel();

    std::istringstream text(ReadAll(path));
    std::string head;
    std::getline(text, head);
    EXPECT_EQ(head.substr(0, 24), "Sample_Date\t01-01\t01-02\t");
    EXPECT_NE(head.find("\t01-16\t10-01\t"), std::string::npos);
    EXPECT_EQ(head.substr(head.size() - 7), "10-16\t\r");
    std::string line;
    int lines = 0;
    while (std::getline(text, line)) {
        ++lines;
        EXPECT_EQ(line.back(), '\r');
        EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 1 + 32);
    }
    EXPECT_EQ(lines, 2);
    EXPECT_NE(ReadAll(path).find("2025-1-1 12:00:01\t"), std::string::npos);
}

} // namespace
