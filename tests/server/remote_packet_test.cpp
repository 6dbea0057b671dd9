// Command matching on received bytes and the bytes of the packets the
// server sends.
#include "acquisition/RemotePacket.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace {

int Match(const std::string& bytes) {
    // A heap copy of exactly the received length, so that a read past it shows.
    std::vector<std::uint8_t> received(bytes.begin(), bytes.end());
    return MatchRemoteCommand(received.data(), received.size());
}

TEST(RemotePacketTest, CommandsMatchExactlyUpToTheFirstZeroByte) {
    using namespace std::string_literals;
    const struct {
        std::string bytes;
        int code;
    } cases[] = {
        {"QVDAS_FINDCASE", kRemoteFindCase},
        {"QVDAS_BALANCE", kRemoteBalance},
        {"QVDAS_STARTSAMPLE", kRemoteStartSample},
        {"QVDAS_STOPSAMPLE", kRemoteStopSample},
        {"QVDAS_CURRENT", kRemoteCurrent},
        {"QVDAS_STARTSAMPLE\0more bytes"s, kRemoteStartSample},
        {"QVDAS_BALANCE\0QVDAS_STOPSAMPLE"s, kRemoteBalance}, // two in one segment: the first
        {"QVDAS_START", 0},                                   // a command split over two reads
        {"SAMPLE", 0},
        {"QVDAS_STARTSAMPLEX", 0},
        {"QVDAS_BALANCEQVDAS_STOPSAMPLE", 0},
        {"QVDAS_BALANCE\r\n", 0},
        {"qvdas_balance", 0},
        {" QVDAS_BALANCE", 0},
        {"\0QVDAS_BALANCE"s, 0},
        {"", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.code, Match(c.bytes)) << c.bytes;
}

TEST(RemotePacketTest, FullBufferWithoutTerminatorIsNeverReadPast) {
    std::string full(4096, 'Q');
    EXPECT_EQ(0, Match(full));
    full.replace(full.size() - 13, 13, "QVDAS_BALANCE");
    EXPECT_EQ(0, Match(full));
    EXPECT_EQ(0, MatchRemoteCommand(nullptr, 10));
}

TEST(RemotePacketTest, ReplyHeaderAndPayload) {
    const std::int32_t value = 4;
    const RemotePacket packet = BuildReplyPacket(3, &value, sizeof value);
    const std::vector<std::uint8_t> expected = {0x55, 0xAA, 0xAA, 0x55, 3, 0, 0, 0, 1, 0, 0, 0,
                                                0,    0,    1,    0,    4, 0, 0, 0, 4, 0, 0, 0};
    EXPECT_EQ(expected, packet);
}

TEST(RemotePacketTest, DataValuesInBothFormats) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        float value;
        std::int16_t wire;
    } cases[] = {{12.9f, 12},         {-12.9f, -12},   {0.5f, 0},      {32767.0f, 32767}, {40000.0f, 32767},
                 {-32768.0f, -32768}, {-1e9f, -32768}, {1e30f, 32767}, {nan, 0}};
    for (const auto& c : cases) {
        const ForwardBlockHead head{144, 16, 1};
        const RemotePacket shorts = BuildDataPacket(head, &c.value, 1, false);
        const RemotePacket floats = BuildDataPacket(head, &c.value, 1, true);
        ASSERT_EQ(20u + 12u + 2u, shorts.size());
        ASSERT_EQ(20u + 12u + 4u, floats.size());
        std::int16_t wire = 0;
        std::memcpy(&wire, shorts.data() + 32, 2);
        EXPECT_EQ(c.wire, wire) << c.value;
        EXPECT_EQ(0, std::memcmp(&c.value, floats.data() + 32, 4)) << c.value;
    }
}

TEST(RemotePacketTest, DataHeaderMarksDataAndCountsPayload) {
    const std::vector<float> values(32, 1.0f);
    const RemotePacket packet =
        BuildDataPacket(ForwardBlockHead{16, 16, 2}, values.data(), values.size(), true);
    RemotePacketHeader header{};
    std::memcpy(&header, packet.data(), sizeof header);
    EXPECT_EQ(kRemotePacketMagic, header.dwMagic);
    EXPECT_EQ(kRemotePacketData, header.dwType);
    EXPECT_EQ(1u, header.dwOne);
    EXPECT_EQ(1, header.wData);
    EXPECT_EQ(1, header.wReply);
    EXPECT_EQ(12u + 32u * 4u, header.dwLength);
    ForwardBlockHead head{};
    std::memcpy(&head, packet.data() + 20, sizeof head);
    EXPECT_EQ(16, head.nFirstChannel);
    EXPECT_EQ(16, head.nChannels);
    EXPECT_EQ(2, head.nSampleCount);
}

} // namespace
