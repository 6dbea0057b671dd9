// The generator's frames byte for byte, and the scanner that finds whole
// frames in chunks of received bytes.
#include "libs/serial/StrainSignalFrames.h"

#include <gtest/gtest.h>

using namespace strainsignal;

namespace {

struct GoldenCase {
    const char* name;
    Bytes built;
    Bytes expected;
};

TEST(StrainSignalFrames, GoldenBytesOfEveryFrame) {
    const GoldenCase cases[] = {
        {"presence request", PresenceRequest(), {0x55, 0xAA, 0, 0, 0, 0, 0, 0x02, 0x01, 0x01, 0x02}},
        {"battery request", BatteryRequest(), {0x55, 0xAA, 0, 0, 0, 0, 0, 0x02, 0x01, 0x07, 0x04}},
        // The middle value byte 0x55 is doubled; 18 bytes, check 0x5F.
        {"set value, stuffed",
         SetValueRequest(0, 0, 0, 0x005500),
         {0x55, 0xAA, 0, 0, 0, 0, 0, 0x08, 0x03, 0x01, 0, 0, 0, 0x00, 0x55, 0x55, 0x00, 0x5F}},
        {"set value, negative quarter bridge",
         SetValueRequest(3, 1, 5, 1000),
         {0x55, 0xAA, 0, 0, 0, 0, 0, 0x08, 0x03, 0x01, 0x03, 0x01, 0x12, 0x00, 0x03, 0xE8, 0xF1}},
        {"presence reply", PresenceReply(5), {0x55, 0xAA, 0, 0, 0, 0, 0x01, 0x01, 0x05, 0x05}},
        // id 0x55 makes the check 0x55 too: both doubled.
        {"presence reply, stuffed",
         PresenceReply(0x55),
         {0x55, 0xAA, 0, 0, 0, 0, 0x01, 0x01, 0x55, 0x55, 0x55, 0x55}},
        {"battery reply", BatteryReply(1, 80), {0x55, 0xAA, 0, 0, 0, 0, 0x04, 0x02, 0x01, 0x50, 0x57}},
        {"set-value reply", SetValueReply(1), {0x55, 0xAA, 0, 0, 0, 0, 0x01, 0x02, 0x01, 0x01, 0x03}},
        {"set-value refusal", SetValueReply(0), {0x55, 0xAA, 0, 0, 0, 0, 0x01, 0x02, 0x01, 0x00, 0x02}},
    };
    for (const GoldenCase& c : cases)
        EXPECT_EQ(c.built, c.expected) << c.name;
}

TEST(StrainSignalFrames, SixModesAndTwentyFourBitValuesOnly) {
    const int modeBytes[] = {0x00, 0x01, 0x02, 0x10, 0x11, 0x12};
    for (int mode = 0; mode < 6; ++mode) {
        const Bytes f = SetValueRequest(1, 0, mode, 10);
        ASSERT_EQ(f.size(), 17u) << mode;
        EXPECT_EQ(f[12], modeBytes[mode]) << mode;
        EXPECT_EQ(ModeIndexOfByte(modeBytes[mode]), mode);
    }
    // Refused, not truncated.
    EXPECT_TRUE(SetValueRequest(1, 0, 6, 10).empty());
    EXPECT_TRUE(SetValueRequest(1, 0, -1, 10).empty());
    EXPECT_TRUE(SetValueRequest(1, 0, 0, 0x1000000).empty());
    EXPECT_TRUE(SetValueRequest(1, 0, 0, -1).empty());
    const Bytes top = SetValueRequest(1, 0, 0, 0xFFFFFF);
    ASSERT_EQ(top.size(), 17u);
    EXPECT_EQ(top[13], 0xFF);
    EXPECT_EQ(ModeIndexOfByte(0x03), -1);
}

// Feeds the bytes to a reply scanner in pieces of the given size.
std::vector<Frame> ScanReplies(const Bytes& stream, std::size_t piece) {
    FrameScanner scanner(FrameScanner::Replies);
    std::vector<Frame> frames;
    for (std::size_t at = 0; at < stream.size(); at += piece) {
        const std::size_t n = std::min(piece, stream.size() - at);
        scanner.Append(stream.data() + at, n);
        Frame f;
        while (scanner.Next(f))
            frames.push_back(f);
    }
    return frames;
}

TEST(StrainSignalFrames, ScannerFindsWholeRepliesWhateverTheChunks) {
    Bytes stream = {0x3C, 0x55, 0x00, 0x55, 0x13}; // noise, with a false start
    const Bytes presence = PresenceReply(0x55);
    const Bytes battery = BatteryReply(2, 0x33);
    stream.insert(stream.end(), presence.begin(), presence.end());
    stream.insert(stream.end(), battery.begin(), battery.end());
    for (std::size_t piece :
         {std::size_t(1), std::size_t(2), std::size_t(3), std::size_t(7), stream.size()}) {
        const std::vector<Frame> frames = ScanReplies(stream, piece);
        ASSERT_EQ(frames.size(), 2u) << piece;
        EXPECT_EQ(frames[0].kind, FrameKind::Presence);
        EXPECT_TRUE(frames[0].checkOk);
        EXPECT_EQ(frames[0].bytes[8], 0x55); // unstuffed
        EXPECT_EQ(frames[0].bytes.size(), 10u);
        EXPECT_EQ(frames[1].kind, FrameKind::Battery);
        EXPECT_TRUE(frames[1].checkOk);
        EXPECT_EQ(frames[1].bytes[9], 0x33);
    }
}

TEST(StrainSignalFrames, ScannerReportsBadChecksAndWaitsForIncompleteFrames) {
    Bytes bad = {0x55, 0xAA, 0, 0, 0, 0, 0x01, 0x01, 0x05, 0x04};
    std::vector<Frame> frames = ScanReplies(bad, bad.size());
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_FALSE(frames[0].checkOk);

    FrameScanner scanner(FrameScanner::Replies);
    const Bytes whole = SetValueReply(1);
    scanner.Append(whole.data(), whole.size() - 1);
    Frame f;
    EXPECT_FALSE(scanner.Next(f));
    scanner.Append(&whole.back(), 1);
    ASSERT_TRUE(scanner.Next(f));
    EXPECT_EQ(f.kind, FrameKind::SetValue);
    EXPECT_TRUE(f.checkOk);

    // Requests are scanned the same way, stuffing undone.
    FrameScanner requests(FrameScanner::Requests);
    const Bytes request = SetValueRequest(0, 0, 0, 0x005500);
    requests.Append(request.data(), request.size());
    ASSERT_TRUE(requests.Next(f));
    EXPECT_EQ(f.kind, FrameKind::SetValue);
    EXPECT_EQ(f.bytes.size(), 17u);
    EXPECT_EQ(f.bytes[14], 0x55);
    EXPECT_TRUE(f.checkOk);
}

} // namespace
