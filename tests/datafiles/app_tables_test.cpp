// The data files' view of the application's case tables and channel records.
#include "datafiles/AppTables.h"
#include "model/CaseTables.h"
#include "model/ChannelRecords.h"
#include "model/ProjectState.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

TEST(AppTables, OnlineListAndChannelRecords) {
    std::int32_t online[MAX_CASE_COUNT] = {};
    online[5] = online[2] = 1;
    BuildCaseTablesFromOnlineFlags(online);
    g_bPerCaseFiles = 1;
    const OnlineLayout layout = OnlineLayoutFromCaseTables(3);
    g_bPerCaseFiles = 0;
    ASSERT_EQ(layout.nCaseCount, 2);
    for (int slot = 0; slot < 2; ++slot)
        EXPECT_EQ(layout.caseSlot[layout.caseList[slot]], slot);
    EXPECT_EQ(layout.channelList.size(), 32u);
    EXPECT_EQ(layout.channelPos[5 * 16 + 7] % 16, 7);
    EXPECT_EQ(layout.SlotOfChannel(3 * 16), -1);
    EXPECT_TRUE(layout.bPerCaseFiles);
    EXPECT_EQ(layout.nDigitalChanCount, 3);

    g_ChannelParams[5 * 16].fElasticModulus = 206.0f;
    CAppChannelTable table;
    EXPECT_EQ(table.GetChannelParam(5 * 16).fModulus, 206.0f);
    EXPECT_EQ(table.GetChannelParam(4096).nMeasureType, -1);
    ResetCaseTables();
    g_ChannelParams[5 * 16].fElasticModulus = 0.0f;
}

namespace {

// A table that keeps the interface's own chunk conversion.
class PerValueTable : public IChannelTable {
public:
    double ConvertBlockChannelValue(int channel, const CaseSampleBlock& block) const override {
        return block.fValues[channel % 16] * 0.25 + channel;
    }
    double ConvertRawToValue(int, float raw) const override { return raw; }
    ChannelParamView GetChannelParam(int) const override { return {}; }
};

} // namespace

// A chunk of strided blocks converts as each block alone would, with every
// marker at the reading's place kept as it is, through the application's
// conversions and through the interface's own loop.
TEST(AppTables, ChunkConversionKeepsMarkersAndMatchesEachBlock) {
    constexpr int kChannel = 2 * 16 + 3;
    std::vector<CaseSampleBlock> blocks(10);
    for (std::size_t k = 0; k < blocks.size(); ++k)
        for (int j = 0; j < 16; ++j)
            blocks[k].fValues[j] = float(k * 100 + std::size_t(j));
    blocks[2].fValues[3] = kNoValue;
    blocks[4].fValues[3] = kNotBalanced;
    blocks[6].fValues[5] = kThirdMarker; // at the other place below
    // A pass-through channel: each block's value is its own reading.
    const ChannelParamRecord saved = g_ChannelParams[kChannel];
    g_ChannelParams[kChannel].nMeasureType = MEASURE_PASS_THROUGH;
    g_ChannelParams[kChannel].nBridgeType = 0;
    const CAppChannelTable app;
    ASSERT_NE(app.ConvertBlockChannelValue(kChannel, blocks[0]),
              app.ConvertBlockChannelValue(kChannel, blocks[8]));
    const PerValueTable perValue;
    for (const IChannelTable* table :
         {static_cast<const IChannelTable*>(&app), static_cast<const IChannelTable*>(&perValue)}) {
        for (const int place : {3, 5}) {
            float out[5];
            table->ConvertBlockReadings(kChannel, blocks.data(), 2, place, 5, out);
            for (std::size_t k = 0; k < 5; ++k) {
                const CaseSampleBlock& block = blocks[2 * k];
                const float raw = block.fValues[place];
                const float expected =
                    IsSpecialValue(raw) ? raw : float(table->ConvertBlockChannelValue(kChannel, block));
                EXPECT_EQ(std::memcmp(&out[k], &expected, sizeof(float)), 0)
                    << "place " << place << ", block " << 2 * k;
            }
        }
    }
    g_ChannelParams[kChannel] = saved;
}
