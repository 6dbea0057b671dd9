// The planned conversion of a whole set against the per-channel conversion
// it stands in for: every kind of channel, markers and non-finite readings.
#include "acquisition/SetConversionPlan.h"

#include "app/CaseTables.h"
#include "app/ChannelRecords.h"
#include "app/ValueConversion.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace {

struct ChannelKind {
    int type;
    int bridge;
    float divisor;
    int compChannel;
};

// Linear channels of several types and bridges, the special ones (lead-wire
// strain, thermocouples with and without a measured cold junction, RTDs,
// speed, pass-through) and a zero divisor.
const ChannelKind kKinds[] = {
    {MEASURE_VOLTAGE, 0, 0.37f, -1},      {MEASURE_BRIDGE_SENSOR, 2, 2.5f, -1},
    {MEASURE_RESISTANCE, 0, 1.0f, -1},    {MEASURE_STRAIN, 3, 0.81f, -1},
    {MEASURE_STRAIN, 0, 0.81f, -1},       {MEASURE_STRAIN, 1, 0.81f, -1},
    {MEASURE_THERMOCOUPLE, 0, 1.0f, -1},  {MEASURE_THERMOCOUPLE, 0, 1.0f, 3},
    {MEASURE_RTD, 0, 1.0f, -1},           {MEASURE_SPEED, 0, 1.0f, -1},
    {MEASURE_PASS_THROUGH, 8, 1.0f, -1},  {MEASURE_PASS_THROUGH, 4, 1.5f, -1},
    {MEASURE_VOLTAGE, 0, 0.0f, -1},       {12, 0, 3.0f, -1},
};

class SetConversionPlanTest : public ::testing::Test {
protected:
    void TearDown() override {
        ResetCaseTables();
        ClearChannelRecords();
    }
};

TEST_F(SetConversionPlanTest, EveryChannelKindConvertsAsTheChannelByChannelConversion) {
    ResetCaseTables();
    ClearChannelRecords();
    // Units 3 and 9 online in slots 0 and 1; every channel of both listed.
    g_CaseSlot[3] = 0;
    g_CaseSlot[9] = 1;
    std::mt19937 random(7);
    std::uniform_real_distribution<float> coefficient(0.5f, 2.0f);
    g_nChannelCount = 0;
    for (int unit : {3, 9}) {
        for (int c = 0; c < CHANNELS_PER_MODULE; ++c) {
            const int id = unit * CHANNELS_PER_MODULE + c;
            const ChannelKind& kind = kKinds[(id * 5) % std::size(kKinds)];
            ChannelParamRecord& p = g_ChannelParams[id];
            p.nMeasureType = kind.type;
            p.nBridgeType = kind.bridge;
            p.fScaleDivisor = kind.divisor;
            p.fCorrectionSlope = coefficient(random);
            p.fCorrectionOffset = coefficient(random) - 1.0f;
            p.fGaugeFactor = 2.0f;
            p.fGaugeResistance = 120.0f;
            p.nBridgeVoltage = 2;
            g_ChannelState[id].nCompChannel = kind.compChannel < 0 ? -1 : unit * 16 + kind.compChannel;
            g_ChannelState[id].fPulsesPerRev = 60.0f;
            g_ChannelState[id].fSpeedRatio = 1.0f;
            g_ChannelList[g_nChannelCount++] = id;
        }
    }
    std::vector<CaseSampleBlock> set(MAX_CHANNEL_CASE_COUNT);
    std::uniform_real_distribution<float> reading(-9000.0f, 9000.0f);
    const float specials[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                              8388609.0f, 8388610.0f, -8388609.0f, 0.0f};
    CSetConversionPlan plan;
    plan.Build();
    std::vector<float> buffer(MAX_CHANNEL_COUNT, -1.0f), values(MAX_CHANNEL_COUNT, -1.0f);
    for (int round = 0; round < 200; ++round) {
        for (int unit : {3, 9}) {
            for (int c = 0; c < CHANNELS_PER_MODULE; ++c)
                set[unit].fValues[c] = (round + c) % 7 == 0 ? specials[(round + c) % std::size(specials)]
                                                             : reading(random);
        }
        plan.Convert(set.data(), buffer.data(), values.data());
        for (int i = 0; i < g_nChannelCount; ++i) {
            const int id = g_ChannelList[i];
            const float raw = set[id / 16].fValues[id % 16];
            const float expected =
                std::isfinite(raw) ? static_cast<float>(ConvertBlockChannelValue(id, set[id / 16])) : 0.0f;
            const int position = g_CaseSlot[id / 16] * 16 + id % 16;
            ASSERT_EQ(std::bit_cast<std::uint32_t>(buffer[position]), std::bit_cast<std::uint32_t>(expected))
                << "channel " << id << " type " << g_ChannelParams[id].nMeasureType << " reading " << raw;
            ASSERT_EQ(std::bit_cast<std::uint32_t>(values[id]), std::bit_cast<std::uint32_t>(expected));
        }
    }
}

TEST_F(SetConversionPlanTest, ChannelsWithoutAPlaceAreLeftAlone) {
    ResetCaseTables();
    ClearChannelRecords();
    g_CaseSlot[1] = 0;
    g_CaseSlot[2] = -1; // offline
    g_nChannelCount = 0;
    for (int id : {16, 17, 32, -5, MAX_CHANNEL_COUNT}) {
        if (IsValidChannelId(id)) {
            g_ChannelParams[id].nMeasureType = MEASURE_VOLTAGE;
            g_ChannelParams[id].fScaleDivisor = 1.0f;
            g_ChannelParams[id].fCorrectionSlope = 1.0f;
        }
        g_ChannelList[g_nChannelCount++] = id;
    }
    std::vector<CaseSampleBlock> set(MAX_CHANNEL_CASE_COUNT);
    set[1].fValues[0] = 1000.0f;
    set[1].fValues[1] = 2000.0f;
    set[2].fValues[0] = 3000.0f;
    CSetConversionPlan plan;
    plan.Build();
    std::vector<float> buffer(MAX_CHANNEL_COUNT, -1.0f), values(MAX_CHANNEL_COUNT, -1.0f);
    plan.Convert(set.data(), buffer.data(), values.data());
    EXPECT_FLOAT_EQ(buffer[0], 1.0f);
    EXPECT_FLOAT_EQ(buffer[1], 2.0f);
    EXPECT_FLOAT_EQ(values[17], 2.0f);
    EXPECT_EQ(values[32], -1.0f);
    EXPECT_EQ(buffer[2], -1.0f);
}

} // namespace
