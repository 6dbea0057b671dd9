// Framed commands, the check rule and the data-frame search.
#include "acquisition/CaseFrame.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(CaseFrame, ShortFrameLayoutAndCheck) {
    std::uint8_t out[64];
    const std::uint8_t payload[] = {2, 3};
    ASSERT_EQ(WriteFramedCommand(out, sizeof out, 0, 0, 0, 2, payload), 11);
    EXPECT_EQ(Bytes(out, out + 11), (Bytes{0x55, 0xAA, 0, 0, 0, 0, 0, 2, 2, 3, 3}));

    // Fields A and B travel high byte first and are covered by the check.
    ASSERT_EQ(WriteFramedCommand(out, sizeof out, 0x11, 0x0102, 0x0304, 2, payload), 11);
    EXPECT_EQ(Bytes(out, out + 11),
              (Bytes{0x55, 0xAA, 1, 2, 3, 4, 0x11, 2, 2, 3, 1 ^ 2 ^ 3 ^ 4 ^ 0x11 ^ 2 ^ 2 ^ 3}));

    EXPECT_EQ(WriteFramedCommand(out, 10, 0, 0, 0, 2, payload), 0) << "does not fit";
}

TEST(CaseFrame, LongFrameCheckCoversOnlyLengthPlusSixModulo256) {
    Bytes payload(300);
    for (int i = 0; i < 300; ++i)
        payload[i] = static_cast<std::uint8_t>(i * 7 + 1);
    Bytes out(400);
    ASSERT_EQ(WriteLongFramedCommand(out.data(), out.size(), 300, payload.data()), 309);
    EXPECT_EQ(out[5], 0x01);
    EXPECT_EQ(out[6], 0x00);
    EXPECT_EQ(out[7], 0x2C);
    std::uint8_t expected = 0;
    for (int i = 2; i < 2 + 50; ++i)
        expected ^= out[i];
    EXPECT_EQ(out[308], expected);
    EXPECT_EQ(ComputeXorCheck(out.data() + 2, 50), expected);
    EXPECT_EQ(ComputeXorCheck(out.data(), 0), 0);
}

// A data-frame header: 55 AA, six bytes, then 7 1.
void AppendHeader(Bytes& b) {
    b.insert(b.end(), {0x55, 0xAA, 0, 0, 0, 0, 0, 6, 7, 1});
}

TEST(CaseFrame, FindDataFrame) {
    Bytes one{9, 9};
    AppendHeader(one);
    one.resize(one.size() + 10, 0);

    Bytes two = one;
    AppendHeader(two);
    two.resize(two.size() + 4, 0);

    Bytes wrongSub{};
    AppendHeader(wrongSub);
    wrongSub.insert(wrongSub.end(), {0x55, 0xAA, 0, 0, 0, 0, 0, 6, 7, 2, 0, 0, 0});

    struct Case {
        const char* name;
        Bytes buffer;
        int start;
        int result, wantStart, wantEnd;
    } cases[] = {
        {"one header only", one, 0, 0, -5, -5},
        {"two headers", two, 0, 1, 2, 22},
        {"negative start counts as 0", two, -3, 1, 2, 22},
        {"start past the first header", two, 3, 0, 3, -5},
        {"second header needs its 7 1", wrongSub, 0, 0, 0, -5},
        {"empty", Bytes{}, 0, 0, 0, -5},
    };
    for (auto& c : cases) {
        int start = c.start, end = -5;
        const int expectedStart = c.result ? c.wantStart : c.start;
        EXPECT_EQ(FindDataFrame(c.buffer.data(), static_cast<int>(c.buffer.size()), start, end), c.result)
            << c.name;
        EXPECT_EQ(start, expectedStart) << c.name;
        EXPECT_EQ(end, c.wantEnd) << c.name;
    }

    // A header whose 7 1 would lie at the last byte is not examined.
    Bytes edge = two;
    edge.resize(22 + 9);
    int start = 0, end = -5;
    EXPECT_EQ(FindDataFrame(edge.data(), static_cast<int>(edge.size()), start, end), 0);
}

} // namespace
