// The calibrator's packets: the requests as the main program reads them and
// the checks on every reply before anything is copied.
#include "calibrator/CalibratePacket.h"
#include "libs/transfer/LinkPacket.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

std::vector<std::uint8_t> Reply(int code, std::int32_t count, std::size_t payloadBytes) {
    std::vector<std::uint8_t> payload(payloadBytes, 0);
    if (payloadBytes >= 4)
        std::memcpy(payload.data(), &count, 4);
    std::vector<std::uint8_t> packet(kCalibrateHeaderSize + payloadBytes);
    const LinkPacketHeader header{kLinkPacketMagic, code, 0, 1, 1, static_cast<std::int32_t>(payloadBytes)};
    std::memcpy(packet.data(), &header, sizeof header);
    if (payloadBytes > 0)
        std::memcpy(packet.data() + kCalibrateHeaderSize, payload.data(), payloadBytes);
    return packet;
}

std::uint32_t WordAt(const std::vector<std::uint8_t>& packet, std::size_t offset) {
    std::uint32_t value;
    std::memcpy(&value, packet.data() + offset, 4);
    return value;
}

} // namespace

TEST(CalibratePacketTest, RequestsCarryTheHeaderAndTheirPayloadSizes) {
    CalibrateChannelParam block;
    block.nCase = 2;
    block.nModule = 3;
    block.LeadR = 1.5f;
    const struct {
        std::vector<std::uint8_t> packet;
        int code;
        std::size_t size;
    } cases[] = {
        {BuildCalibrateRequest(CALIBRATE_GREETING), 4, 20},
        {BuildBlockRequest(CALIBRATE_SET_CHANNELS, block), 5, 56},
        {BuildBlockRequest(CALIBRATE_FETCH_COEF, block), 9, 56},
        {BuildBalanceChannelRequest(2 * 128 + 3 * 16 + 5), 7, 24},
        {BuildWriteCoefRequest(block, {}, {}), 10, 184},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(c.packet.size(), c.size) << c.code;
        EXPECT_EQ(WordAt(c.packet, 0), 0x00004550u);
        EXPECT_EQ(WordAt(c.packet, 4), static_cast<std::uint32_t>(c.code));
        EXPECT_EQ(WordAt(c.packet, 8), 0u);
        EXPECT_EQ(WordAt(c.packet, 12), 0x00010001u);
        EXPECT_EQ(WordAt(c.packet, 16), c.size - 20);
    }
    // The block travels as laid out: the lead resistance is word 8.
    float lead;
    std::memcpy(&lead, cases[1].packet.data() + 20 + 32, 4);
    EXPECT_EQ(lead, 1.5f);
    EXPECT_EQ(WordAt(cases[3].packet, 20), 2u * 128 + 3 * 16 + 5);
}

TEST(CalibratePacketTest, WriteRequestListsChannelsThenCoefficients) {
    CalibrateChannelParam block;
    std::array<std::int32_t, kCalibrateChannels> channels;
    channels.fill(-1);
    channels[4] = 0x54;
    std::array<float, kCalibrateChannels> coefs{};
    coefs[4] = 1.25f;
    const auto packet = BuildWriteCoefRequest(block, channels, coefs);
    EXPECT_EQ(WordAt(packet, 20 + 36), 0xFFFFFFFFu);
    EXPECT_EQ(WordAt(packet, 20 + 36 + 16), 0x54u);
    float coef;
    std::memcpy(&coef, packet.data() + 20 + 36 + 64 + 16, 4);
    EXPECT_EQ(coef, 1.25f);
}

TEST(CalibratePacketTest, RepliesAreCheckedBeforeTheyAreTaken) {
    const struct {
        const char* what;
        std::vector<std::uint8_t> packet;
        bool accepted;
        std::size_t records;
    } cases[] = {
        {"17 controllers in their chunk", Reply(0, 17, 4 + 17 * 56), true, 17},
        {"18 claimed in a chunk of 17", Reply(0, 18, 4 + 17 * 56), false, 0},
        {"an empty list", Reply(0, 0, 4), true, 0},
        {"a negative count", Reply(0, -1, 4 + 56), false, 0},
        {"a count that overflows 32 bits", Reply(0, 0x7FFFFFFF, 4 + 56), false, 0},
        {"a count that wraps to a small product", Reply(0, 0x4924925, 4 + 56), false, 0},
        {"no count at all", Reply(0, 0, 0), false, 0},
        {"two coefficient records", Reply(9, 2, 4 + 2 * 64), true, 2},
        {"three claimed in a chunk of two", Reply(9, 3, 4 + 2 * 64), false, 0},
        {"a negative coefficient count", Reply(9, -2, 4 + 2 * 64), false, 0},
        {"a sample of 88 bytes", Reply(3, 0, 68), true, 0},
        {"a sample of 87 bytes", Reply(3, 0, 67), false, 0},
        {"code 11", Reply(11, 0, 0), false, 0},
        {"a negative code", Reply(-1, 0, 0), false, 0},
        {"reply 5", Reply(5, 0, 0), true, 0},
    };
    for (const auto& c : cases) {
        CalibrateReply reply;
        EXPECT_EQ(ParseCalibrateReply(c.packet.data(), c.packet.size(), reply), c.accepted) << c.what;
        if (c.accepted) {
            EXPECT_EQ(reply.controllers.size() + reply.coefs.size(), c.records) << c.what;
        }
    }
    const auto header = Reply(1, 0, 0);
    CalibrateReply reply;
    EXPECT_FALSE(ParseCalibrateReply(header.data(), 19, reply)) << "shorter than a header";
}

TEST(CalibratePacketTest, ControllerRecordsAndSampleArriveIntact) {
    auto packet = Reply(0, 2, 4 + 2 * 56);
    CalibrateControllerRecord records[2];
    std::memset(records[1].szAddress, 'x', sizeof records[1].szAddress); // no terminating zero
    records[1].nCase = 3;
    records[1].nModules = 2;
    records[1].nModuleNo[1] = 6;
    std::memcpy(packet.data() + 24, records, sizeof records);
    CalibrateReply reply;
    ASSERT_TRUE(ParseCalibrateReply(packet.data(), packet.size(), reply));
    ASSERT_EQ(reply.controllers.size(), 2u);
    EXPECT_EQ(reply.controllers[1].nCase, 3);
    EXPECT_EQ(reply.controllers[1].nModuleNo[1], 6);
    EXPECT_EQ(std::strlen(reply.controllers[1].szAddress), 15u);

    auto sample = Reply(3, 0, 68);
    CaseSampleBlock block;
    block.nHeader = 21;
    block.fValues[15] = -8388609.0f;
    std::memcpy(sample.data() + 20, &block, sizeof block);
    ASSERT_TRUE(ParseCalibrateReply(sample.data(), sample.size(), reply));
    EXPECT_EQ(reply.sample.nHeader, 21);
    EXPECT_EQ(reply.sample.fValues[15], -8388609.0f);
}
