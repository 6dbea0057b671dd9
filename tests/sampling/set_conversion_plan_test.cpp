// The planned conversion of a whole set against the per-channel conversion
// it stands in for: every kind of channel, markers and non-finite readings.
#include "acquisition/SetConversionPlan.h"

#include "datafiles/SampleFileFormat.h"
#include "model/CaseTables.h"
#include "model/ChannelRecords.h"
#include "model/ValueConversion.h"

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
    {MEASURE_VOLTAGE, 0, 0.37f, -1},
    {MEASURE_BRIDGE_SENSOR, 2, 2.5f, -1},
    {MEASURE_RESISTANCE, 0, 1.0f, -1},
    {MEASURE_STRAIN, 3, 0.81f, -1},
    {MEASURE_STRAIN, 0, 0.81f, -1},
    {MEASURE_STRAIN, 1, 0.81f, -1},
    {MEASURE_THERMOCOUPLE, 0, 1.0f, -1},
    {MEASURE_THERMOCOUPLE, 0, 1.0f, 3},
    {MEASURE_RTD, 0, 1.0f, -1},
    {MEASURE_SPEED, 0, 1.0f, -1},
    {MEASURE_PASS_THROUGH, 8, 1.0f, -1},
    {MEASURE_PASS_THROUGH, 4, 1.5f, -1},
    {MEASURE_VOLTAGE, 0, 0.0f, -1},
    {12, 0, 3.0f, -1},
    // Powers of two, whose reciprocals the plan multiplies by.
    {MEASURE_VOLTAGE, 0, 0.25f, -1},
    {MEASURE_BRIDGE_SENSOR, 2, 1024.0f, -1},
    {MEASURE_VOLTAGE, 0, 0x1p-100f, -1},
};

class SetConversionPlanTest : public ::testing::Test {
protected:
    void TearDown() override {
        ResetCaseTables();
        ClearChannelRecords();
    }
};

// Gives channel id the kind's settings and random coefficients.
void SetUpChannel(int id, const ChannelKind& kind, std::mt19937& random) {
    std::uniform_real_distribution<float> coefficient(0.5f, 2.0f);
    ChannelParamRecord& p = g_ChannelParams[id];
    p.nMeasureType = kind.type;
    p.nBridgeType = kind.bridge;
    p.fScaleDivisor = kind.divisor;
    p.fCorrectionSlope = coefficient(random);
    p.fCorrectionOffset = coefficient(random) - 1.0f;
    p.fGaugeFactor = 2.0f;
    p.fGaugeResistance = 120.0f;
    p.nBridgeVoltage = 2;
    const int unit = id / CHANNELS_PER_MODULE;
    g_ChannelState[id].nCompChannel = kind.compChannel < 0 ? -1 : unit * 16 + kind.compChannel;
    g_ChannelState[id].fPulsesPerRev = 60.0f;
    g_ChannelState[id].fSpeedRatio = 1.0f;
}

// Converts 200 sets of random readings, markers and non-finite readings of
// the listed channels and compares every place and value, bit for bit, with
// the channel-by-channel conversion (markers kept as they are).
void ExpectChannelByChannelResults(std::mt19937& random) {
    std::vector<CaseSampleBlock> set(MAX_CHANNEL_CASE_COUNT);
    std::uniform_real_distribution<float> reading(-9000.0f, 9000.0f);
    const float specials[] = {std::numeric_limits<float>::quiet_NaN(),
                              std::numeric_limits<float>::infinity(),
                              -std::numeric_limits<float>::infinity(),
                              8388609.0f,
                              8388610.0f,
                              -8388609.0f,
                              0.0f,
                              -0.0f,
                              1e-40f,
                              3e38f};
    CSetConversionPlan plan;
    plan.Build();
    std::vector<float> buffer(MAX_CHANNEL_COUNT, -1.0f), values(MAX_CHANNEL_COUNT, -1.0f);
    for (int round = 0; round < 200; ++round) {
        for (int i = 0; i < g_nChannelCount; ++i) {
            const int id = g_ChannelList[i];
            set[id / 16].fValues[id % 16] =
                (round + id) % 7 == 0 ? specials[(round + id) % std::size(specials)] : reading(random);
        }
        plan.Convert(set.data(), buffer.data(), values.data());
        for (int i = 0; i < g_nChannelCount; ++i) {
            const int id = g_ChannelList[i];
            const float raw = set[id / 16].fValues[id % 16];
            // A stored-value marker stays the marker.
            const float expected = IsSpecialValue(raw) ? raw
                                   : std::isfinite(raw)
                                       ? static_cast<float>(ConvertBlockChannelValue(id, set[id / 16]))
                                       : 0.0f;
            const int position = g_CaseSlot[id / 16] * 16 + id % 16;
            ASSERT_EQ(std::bit_cast<std::uint32_t>(buffer[position]), std::bit_cast<std::uint32_t>(expected))
                << "channel " << id << " type " << g_ChannelParams[id].nMeasureType << " reading " << raw;
            ASSERT_EQ(std::bit_cast<std::uint32_t>(values[id]), std::bit_cast<std::uint32_t>(expected));
        }
    }
}

TEST_F(SetConversionPlanTest, EveryChannelKindConvertsAsTheChannelByChannelConversion) {
    ResetCaseTables();
    ClearChannelRecords();
    // Units 3 and 9 online in slots 0 and 1; every channel of both listed.
    g_CaseSlot[3] = 0;
    g_CaseSlot[9] = 1;
    std::mt19937 random(7);
    g_nChannelCount = 0;
    for (int unit : {3, 9}) {
        for (int c = 0; c < CHANNELS_PER_MODULE; ++c) {
            const int id = unit * CHANNELS_PER_MODULE + c;
            SetUpChannel(id, kKinds[(id * 5) % std::size(kKinds)], random);
            g_ChannelList[g_nChannelCount++] = id;
        }
    }
    ExpectChannelByChannelResults(random);
}

// Whole units of scaled channels convert a unit's run at a time: runs of
// every length, broken by other kinds, by a gap in the list and by a unit
// listed backwards, in slots out of the units' order, runs of power-of-two
// divisors and runs without correction.
TEST_F(SetConversionPlanTest, RunsOfScaledChannelsConvertAsTheChannelByChannelConversion) {
    ResetCaseTables();
    ClearChannelRecords();
    const int units[] = {7, 2, 40, 255};
    for (int i = 0; i < 4; ++i)
        g_CaseSlot[units[i]] = 3 - i;
    std::mt19937 random(11);
    g_nChannelCount = 0;
    for (int unit : units) {
        for (int c = 0; c < CHANNELS_PER_MODULE; ++c) {
            const int channel = unit == 40 ? CHANNELS_PER_MODULE - 1 - c : c;
            const int id = unit * CHANNELS_PER_MODULE + channel;
            const bool other = (unit == 2 && channel % 5 == 4) || (unit == 255 && channel == 15);
            const ChannelKind& scaled = unit == 255 ? kKinds[14 + channel / 6] : kKinds[channel % 4];
            SetUpChannel(id, other ? kKinds[6] : scaled, random);
            if ((unit == 255 && channel < 9) || (unit == 7 && channel >= 4 && channel < 12)) {
                g_ChannelParams[id].fCorrectionSlope = 1.0f; // no correction
                g_ChannelParams[id].fCorrectionOffset = 0.0f;
            }
            if (unit == 7 && channel == 9)
                continue; // not listed
            g_ChannelList[g_nChannelCount++] = id;
        }
    }
    ExpectChannelByChannelResults(random);
}

// Lists the channels, each a plain voltage channel (value = reading / 1000)
// where the id is valid, and converts one set of the given readings.
struct PlainRun {
    std::vector<float> buffer = std::vector<float>(MAX_CHANNEL_COUNT, -1.0f);
    std::vector<float> values = std::vector<float>(MAX_CHANNEL_COUNT, -1.0f);
    std::vector<CaseSampleBlock> set = std::vector<CaseSampleBlock>(MAX_CHANNEL_CASE_COUNT);

    void List(std::initializer_list<int> ids) {
        g_nChannelCount = 0;
        for (int id : ids) {
            if (IsValidChannelId(id)) {
                g_ChannelParams[id].nMeasureType = MEASURE_VOLTAGE;
                g_ChannelParams[id].fScaleDivisor = 1.0f;
                g_ChannelParams[id].fCorrectionSlope = 1.0f;
            }
            g_ChannelList[g_nChannelCount++] = id;
        }
    }
    void Convert() {
        CSetConversionPlan plan;
        plan.Build();
        plan.Convert(set.data(), buffer.data(), values.data());
    }
};

// One plan built for batch after batch follows every change of the channel
// records and of the slots between them.
TEST_F(SetConversionPlanTest, ABuildAfterAChangeFollowsIt) {
    ResetCaseTables();
    ClearChannelRecords();
    g_CaseSlot[3] = 0;
    PlainRun run;
    run.List({48, 49});
    run.set[3].fValues[0] = 2000.0f;
    run.set[3].fValues[1] = 4000.0f;
    CSetConversionPlan plan;
    const auto expect = [&](int slot, const char* step) {
        plan.Build();
        plan.Convert(run.set.data(), run.buffer.data(), run.values.data());
        for (int id : {48, 49}) {
            const float expected = static_cast<float>(ConvertBlockChannelValue(id, run.set[3]));
            EXPECT_EQ(run.values[id], expected) << step << ", channel " << id;
            EXPECT_EQ(run.buffer[slot * 16 + id % 16], expected) << step << ", channel " << id;
        }
    };
    expect(0, "first batch");
    expect(0, "unchanged");
    g_ChannelParams[49].fScaleDivisor = 3.0f;
    expect(0, "divisor");
    g_ChannelParams[48].fCorrectionSlope = 3.0f;
    g_ChannelParams[48].fCorrectionOffset = 0.5f;
    expect(0, "correction");
    g_ChannelParams[49].nMeasureType = MEASURE_THERMOCOUPLE;
    expect(0, "measurement type");
    g_CaseSlot[3] = 1;
    expect(1, "slot");
}

// Two units in one slot (a damaged slot table): both channels at a place
// show what it holds after the whole set, the later unit's value.
TEST_F(SetConversionPlanTest, ChannelsSharingAPlaceShowWhatItHolds) {
    ResetCaseTables();
    ClearChannelRecords();
    g_CaseSlot[4] = 0;
    g_CaseSlot[5] = 0;
    PlainRun run;
    run.List({64, 65, 80, 81});
    run.set[4].fValues[0] = 1000.0f;
    run.set[4].fValues[1] = 2000.0f;
    run.set[5].fValues[0] = 3000.0f;
    run.set[5].fValues[1] = 4000.0f;
    run.Convert();
    const std::vector<float>& buffer = run.buffer;
    const std::vector<float>& values = run.values;
    EXPECT_FLOAT_EQ(buffer[0], 3.0f);
    EXPECT_FLOAT_EQ(buffer[1], 4.0f);
    for (int id : {64, 80})
        EXPECT_FLOAT_EQ(values[id], 3.0f) << id;
    for (int id : {65, 81})
        EXPECT_FLOAT_EQ(values[id], 4.0f) << id;
}

TEST_F(SetConversionPlanTest, ChannelsWithoutAPlaceAreLeftAlone) {
    ResetCaseTables();
    ClearChannelRecords();
    g_CaseSlot[1] = 0;
    g_CaseSlot[2] = -1; // offline
    PlainRun run;
    run.List({16, 17, 32, -5, MAX_CHANNEL_COUNT});
    run.set[1].fValues[0] = 1000.0f;
    run.set[1].fValues[1] = 2000.0f;
    run.set[2].fValues[0] = 3000.0f;
    run.Convert();
    const std::vector<float>& buffer = run.buffer;
    const std::vector<float>& values = run.values;
    EXPECT_FLOAT_EQ(buffer[0], 1.0f);
    EXPECT_FLOAT_EQ(buffer[1], 2.0f);
    EXPECT_FLOAT_EQ(values[17], 2.0f);
    EXPECT_EQ(values[32], -1.0f);
    EXPECT_EQ(buffer[2], -1.0f);
}

} // namespace
