// What a case link takes on trust, bounded: the case number from
// "MapCfg.ini" (a usable MapID maps the case; text or a number beyond the
// last case is logged and maps nothing), the bytes a case sends (counted
// past 2 GB) and the gaps its packet counters claim (never filled beyond
// what the case could have sent).
#include "acquisition/CaseLink.h"

#include "CaseSimulator.h"
#include "FakeChannelSource.h"
#include "LinkTestHost.h"
#include "platform/Profile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

TEST(CaseLinkMapIdTest, OnlyAUsableMapIdMapsTheCase) {
    std::string pattern = (std::filesystem::temp_directory_path() / "qv_map_id_XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const std::string folder = pattern;
    FakeChannelSource source;
    CCaseProtocol3 encoder{&source};
    LinkTestHost host;
    host.programFolder = folder;
    const struct {
        const char* value;
        int mapped;
        int caseNo;
    } cases[] = {
        {"0", 1, 0}, {"31", 1, 31}, {"7", 1, 7}, {"32", 0, -1}, {"-1", 0, -1}, {"abc", 0, -1}, {"3x", 0, -1},
    };
    for (const auto& c : cases) {
        std::ofstream(folder + "/MapCfg.ini", std::ios::trunc)
            << "[127.0.0.9]\r\nMapID=" << c.value << "\r\n";
        platform::FlushProfileCache();
        std::filesystem::remove(folder + "/Log/127.0.0.9.log");
        CCaseLink link(&encoder, &host);
        link.SetCaseNo(-1); // what the link held before: kept when nothing maps
        link.Attach(platform::TcpStream(), "127.0.0.9");
        EXPECT_EQ(link.LoadMapId(), c.mapped) << c.value;
        EXPECT_EQ(link.GetCaseNo(), c.caseNo) << c.value;
        std::ifstream log(folder + "/Log/127.0.0.9.log");
        const std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
        EXPECT_EQ(text.find("MapID=") != std::string::npos, c.mapped == 0) << c.value << ": logged";
    }
    std::filesystem::remove_all(folder);
}

// The reply buffer keeps its first 128 KB; the count of received bytes
// goes on past 2 GB.
TEST(CaseLinkReplyCountTest, CountsPastTwoGigabytes) {
    FakeChannelSource source;
    CCaseProtocol3 encoder{&source};
    LinkTestHost host;
    CCaseLink link(&encoder, &host);
    const std::vector<std::uint8_t> chunk(CCaseLink::kBufferSize, 0x11);
    constexpr int kChunks = 17000; // 2.2 GB
    for (int i = 0; i < kChunks; ++i)
        link.AppendReply(chunk.data(), static_cast<int>(chunk.size()), false);
    EXPECT_EQ(link.GetTotalBytes(), std::int64_t{kChunks} * CCaseLink::kBufferSize);
    EXPECT_EQ(link.GetReplyBytes(), CCaseLink::kBufferSize);
}

// A jump of the counter far beyond the time since the last packet is not
// filled with empty samples; a gap the rate allows is.
TEST(CaseLinkLostFillTest, AJumpBeyondTheRateIsNotFilled) {
    std::string pattern = (std::filesystem::temp_directory_path() / "qv_lost_fill_XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const std::string folder = pattern;
    FakeChannelSource source;
    CCaseProtocol3 encoder{&source};
    LinkTestHost host;
    CCaseLink link(&encoder, &host);
    const std::vector<std::uint8_t> reply = CCaseSimulator::BuildCaseInfoReply(0, 1, 2);
    ASSERT_EQ(link.ParseCaseInfoReply(reply.data(), static_cast<int>(reply.size())), 1);
    link.SetSampleMode(2);
    link.PrepareRun();
    link.SetCaseDataFile(folder, "run");
    link.SetCaseOption(1, 0);
    link.OpenCaseFiles();
    auto feed = [&](std::int64_t counter) {
        std::vector<std::uint8_t> unit;
        CCaseSimulator::AppendUnit(unit, 0, 0, counter, 2);
        link.PushReceivedBytes(static_cast<int>(unit.size()), unit.data());
        link.ProcessRawQueue();
    };
    feed(0);
    feed(5);     // 4 lost: within what the rate allows, filled
    feed(16006); // 16,000 claimed lost at once: not filled
    feed(16007);
    link.CloseCaseFiles();
    EXPECT_EQ(std::filesystem::file_size(folder + "/run_0.dat"), (4u + 4u) * 68u);
    EXPECT_EQ(std::filesystem::file_size(folder + "/run_0.stu"), (4u + 4u) * 32u);
    std::filesystem::remove_all(folder);
}

} // namespace
