#include "libs/transfer/LinkPacket.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Packet(std::int32_t code, std::size_t payloadLength) {
    Bytes payload(payloadLength);
    for (std::size_t i = 0; i < payloadLength; ++i)
        payload[i] = static_cast<std::uint8_t>(i * 7 + code);
    return BuildLinkPacket(code, payload.data(), payload.size());
}

// Feeds the stream in pieces of the given sizes (the rest in one piece) and
// collects the packets.
std::vector<Bytes> Reassemble(const Bytes& stream, const std::vector<std::size_t>& pieces,
                              bool* ok = nullptr) {
    CLinkPacketAssembler assembler;
    std::vector<Bytes> packets;
    auto collect = [&](const std::uint8_t* p, std::size_t n) { packets.emplace_back(p, p + n); };
    std::size_t at = 0;
    bool good = true;
    for (std::size_t piece : pieces) {
        piece = std::min(piece, stream.size() - at);
        good = assembler.Feed(stream.data() + at, piece, collect) && good;
        at += piece;
    }
    good = assembler.Feed(stream.data() + at, stream.size() - at, collect) && good;
    if (ok)
        *ok = good;
    return packets;
}

TEST(LinkPacket, HeaderLayout) {
    const std::uint8_t payload[3] = {9, 8, 7};
    const Bytes packet = BuildLinkPacket(5, payload, 3);
    const Bytes expected = {0x50, 0x45, 0, 0, 5, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 3, 0, 0, 0, 9, 8, 7};
    EXPECT_EQ(packet, expected);
    EXPECT_EQ(BuildLinkPacket(1, nullptr, 0).size(), kLinkPacketHeaderSize);
    EXPECT_EQ(BuildLinkPacket(1, payload, kLinkPacketMaxSize - kLinkPacketHeaderSize + 1).size(), 0u);
}

TEST(LinkPacket, SplitsAndMergesGiveThePacketsBack) {
    const Bytes a = Packet(0, 0), b = Packet(9, 2000),
                c = Packet(4, kLinkPacketMaxSize - kLinkPacketHeaderSize);
    Bytes stream = a;
    stream.insert(stream.end(), b.begin(), b.end());
    stream.insert(stream.end(), c.begin(), c.end());
    const std::vector<Bytes> expected = {a, b, c};
    const std::vector<std::vector<std::size_t>> cuts = {
        {},                     // all three merged in one chunk
        {1, 1, 1, 1, 1, 1, 1},  // the first header byte by byte
        {19, 1, 10},            // a header split before its last byte
        {25, 1024, 1024, 1024}, // receive-sized chunks across packet ends
        {20, 2020, 3},          // exact packet ends, then a header split
    };
    for (const auto& cut : cuts) {
        bool ok = false;
        EXPECT_EQ(Reassemble(stream, cut, &ok), expected) << "cut starting " << (cut.empty() ? 0 : cut[0]);
        EXPECT_TRUE(ok);
    }
    // Every byte alone.
    EXPECT_EQ(Reassemble(stream, std::vector<std::size_t>(stream.size(), 1)), expected);
}

TEST(LinkPacket, BrokenStreamsAreRefusedUntilReset) {
    struct Case {
        const char* what;
        std::uint32_t magic;
        std::int32_t length;
    };
    const Case cases[] = {
        {"wrong magic", 0x00004551, 0},
        {"negative length", kLinkPacketMagic, -1},
        {"one byte over the limit", kLinkPacketMagic,
         static_cast<std::int32_t>(kLinkPacketMaxSize - kLinkPacketHeaderSize + 1)},
        {"huge length", kLinkPacketMagic, 0x7FFFFFFF},
    };
    for (const Case& c : cases) {
        Bytes stream = Packet(1, 4); // a good packet first still arrives
        LinkPacketHeader header{c.magic, 2, 0, 1, 1, c.length};
        const auto* h = reinterpret_cast<const std::uint8_t*>(&header);
        stream.insert(stream.end(), h, h + sizeof header);
        CLinkPacketAssembler assembler;
        int delivered = 0;
        auto count = [&](const std::uint8_t*, std::size_t) { ++delivered; };
        EXPECT_FALSE(assembler.Feed(stream.data(), stream.size(), count)) << c.what;
        EXPECT_EQ(delivered, 1) << c.what;
        const Bytes good = Packet(3, 0);
        EXPECT_FALSE(assembler.Feed(good.data(), good.size(), count)) << c.what;
        assembler.Reset();
        EXPECT_TRUE(assembler.Feed(good.data(), good.size(), count)) << c.what;
        EXPECT_EQ(delivered, 2) << c.what;
    }
}

TEST(LinkPacket, UnfinishedPacketIsHeldBack) {
    const Bytes p = Packet(2, 100);
    CLinkPacketAssembler assembler;
    int delivered = 0;
    auto count = [&](const std::uint8_t*, std::size_t) { ++delivered; };
    EXPECT_TRUE(assembler.Feed(p.data(), p.size() - 1, count));
    EXPECT_EQ(delivered, 0);
    EXPECT_EQ(assembler.Pending(), p.size() - 1);
    EXPECT_TRUE(assembler.Feed(p.data() + p.size() - 1, 1, count));
    EXPECT_EQ(delivered, 1);
    EXPECT_EQ(assembler.Pending(), 0u);
}

} // namespace
