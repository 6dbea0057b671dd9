// Channel information wrapper: reply headers in a receive buffer and packets
// numbered within the current case.
#include "acquisition/ChanInfoWrapper.h"

#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

namespace {

TEST(ChanInfoWrapperTest, FindReplyHeaderFindsTheFirstMatchingHeader) {
    const std::uint8_t header[] = {0x55, 0xAA, 0x02, 0x01, 3, 7};
    std::vector<std::uint8_t> buffer = {0x55, 0xAA, 0x02, 0x01, 3, 8,    0x55,
                                        0xAA, 0x02, 0x01, 3,    7, 0x55, 0xAA};
    struct Case {
        const std::uint8_t* data;
        int length;
        int want;
    } cases[] = {
        {header, 6, 0},
        {header, 5, -1},
        {header, 0, -1},
        {nullptr, 6, -1},
        {buffer.data(), static_cast<int>(buffer.size()), 6},
        {buffer.data(), 11, -1}, // the matching header is cut short
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.want, CChanInfoWrapper::FindReplyHeader(3, 7, c.data, c.length)) << c.length;
}

// A reply record shorter than a full packet, as a case link hands over the
// tail of its receive buffer: the coefficients inside it still arrive, and
// nothing past it is read (the heap copy is exactly its size).
TEST(ChanInfoWrapperTest, PacketsLandOnTheCaseChannelAndShortTailsAreSafe) {
    const ScratchFolder scratch;
    CChanInfoWrapper wrapper;
    wrapper.SetParamFileName(scratch.File("ChanInfo.dat"));
    wrapper.m_nCurCase = 2;

    const std::vector<std::uint8_t> record = {
        0,  0, 5,    3,    0,    0, 0,    0,    0, 0, 0, 0, // acquisition type 5, sub-version 3
        2,  0, 1,    4,    5,    1, 2,                      // code items: full scale code 4, bridge code 2
        3,  0, 1,    0x40, 0x20, 0, 0,                 // coefficient items (most significant byte first):
        5,  1, 0x3F, 0xC0, 0,    0,                    //   full scale 2.5, bridge 1.5,
        17, 2, 0x3F, 0x80, 0,    0, 0x40, 0x80, 0, 0}; //   current pulse 1.0 then 4.0
    auto tail = std::make_unique<std::uint8_t[]>(record.size());
    std::copy(record.begin(), record.end(), tail.get());

    EXPECT_EQ(1, wrapper.ParseTypeInfo(9, record.size(), tail.get()));
    EXPECT_EQ(1, wrapper.ParseFullVoltageCoefs(9, record.size(), tail.get()));
    EXPECT_EQ(1, wrapper.ParseBridgeVoltageCoefs(9, record.size(), tail.get()));
    EXPECT_EQ(1, wrapper.ParseCurrentPulseCoefs(9, record.size(), tail.get()));
    EXPECT_EQ(0, wrapper.ParseTypeInfo(9, 0, tail.get()));

    const int channel = 2 * 128 + 9;
    EXPECT_EQ(5, wrapper.GetAcqChannelTypeID(channel));
    EXPECT_EQ(3, wrapper.GetChannelSubVersion(channel));
    EXPECT_FLOAT_EQ(2.5f, wrapper.GetChannelFullCoief(channel, 4));
    EXPECT_FLOAT_EQ(1.5f, wrapper.GetChannelBrdgeVltCoief(channel, 2));
    EXPECT_FLOAT_EQ(4.0f, wrapper.GetChannelCurrentPulsCoief(channel, 1));
    EXPECT_EQ(1, wrapper.GetAcqChannelTypeID(9)); // case 0's channel 9 got nothing
}

} // namespace
