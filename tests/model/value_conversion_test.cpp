// Value conversion: derived scale words, the first stage with its markers and
// compensation, the second stage per measurement type, the guards against
// zero divisors, and the small lookups.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <thread>
#include <vector>

#include "ChannelModelTestSupport.h"
#include "libs/thermo/ThermoConversion.h"

namespace {

constexpr float SCALE = 0.5f;
constexpr int ZERO = 100;

class ValueConversionTest : public ::testing::Test {
protected:
    void SetUp() override { ResetChannelModel(); }

    // Channel of unit 0 with a type, a zero and a fixed scale.
    static void SetChannel(int id, int type, int zero = ZERO) {
        g_ChannelParams[id].nMeasureType = type;
        g_ChannelParams[id].nZero = zero;
        g_ChannelState[id].fScale = SCALE;
    }

    static CaseSampleBlock Block(int unit, std::initializer_list<std::pair<int, float>> values) {
        CaseSampleBlock block;
        block.nHeader = unit;
        for (const auto& [c, v] : values) {
            std::memcpy(reinterpret_cast<char*>(&block) + 4 + c * 4, &v, 4);
        }
        return block;
    }

    static float ValueOf(const CaseSampleBlock& block, int c) {
        float v;
        std::memcpy(&v, reinterpret_cast<const char*>(&block) + 4 + c * 4, 4);
        return v;
    }
};

TEST_F(ValueConversionTest, DerivedWordsFollowTypeAndBridge) {
    ChannelParamRecord& p = g_ChannelParams[0];
    g_ChannelState[0].fFullScale = 20000.0f;
    p.fCoefficient = 2.0f;
    p.nBridgeVoltage = 4;
    EXPECT_EQ(UpdateChannelScale(0), 1);
    EXPECT_FLOAT_EQ(g_ChannelState[0].fScale, 2000.0f); // 20000 x 2 x 1000 / 20000
    EXPECT_FLOAT_EQ(p.fSensitivity, 0.001f);
    EXPECT_FLOAT_EQ(p.fScaleDivisor, 0.002f); // sensitivity x bridge voltage / 2
    p.nDisplayType = 1;
    p.fElasticModulus = 200.0f;
    UpdateChannelScale(0);
    EXPECT_FLOAT_EQ(p.fSensitivity, 1.0f / 200.0f);

    p.nMeasureType = MEASURE_VOLTAGE;
    p.fSensitivity = 3.0f;
    UpdateChannelScale(0);
    EXPECT_EQ(p.fScaleDivisor, 3.0f);
    p.nMeasureType = MEASURE_SPEED;
    UpdateChannelScale(0);
    EXPECT_EQ(p.fScaleDivisor, 1.0f);
    EXPECT_EQ(UpdateChannelScale(4096), 0);
}

TEST_F(ValueConversionTest, StrainFactorByBridgeType) {
    // lead 12 / gauge 120 gives r = 0.1; gauge factor 2.2 gives 2 / g = 0.90909
    const double base = 1.1 * (2.0 / 2.2);
    const struct {
        int bridgeType;
        double factor;
    } cases[] = {{2, base},        {3, base / 1.3}, {4, base * 0.5}, {5, base / 1.3 * 0.5},
                 {6, base * 0.25}, {9, base}};
    for (const auto& c : cases) {
        EXPECT_NEAR(CalcStrainFactor(0, c.bridgeType, 2.2f, 120.0f, 12.0f, 0.3f), c.factor, 1e-6)
            << c.bridgeType;
    }
    // A zero gauge resistance counts as 120 ohm, a zero gauge factor as 2.
    EXPECT_DOUBLE_EQ(CalcStrainFactor(0, 2, 0.0f, 0.0f, 12.0f, 0.3f), 1.1);
    EXPECT_NEAR(CalcStrainScale(1, 2, 2.0f, 120.0f, 0.0f, 0.3f, 7.0f, 200.0f), 1.0 / 200.0, 1e-12);
    EXPECT_EQ(CalcStrainScale(1, 2, 2.0f, 120.0f, 0.0f, 0.3f, 1.0f, 0.0f), 0.0); // no modulus: no scale
}

TEST_F(ValueConversionTest, FirstStageKeepsOrSetsMarkersForEveryType) {
    const float raw = 300.0f;
    const float converted = (raw - ZERO) * SCALE;
    const struct {
        int type;
        int zero;
        float in, out;
    } cases[] = {
        {0, ZERO, raw, converted},
        {0, ZERO_NOT_BALANCED, raw, kUnbalancedValue},
        {0, ZERO, kFurtherMarkerValue, kFurtherMarkerValue},
        {0, ZERO, kNoValue, kNoValue},
        {1, ZERO_NOT_BALANCED, kNoValue, kUnbalancedValue},
        {1, ZERO, kNoValue, kNoValue},
        {5, ZERO, kFurtherMarkerValue, kFurtherMarkerValue},
        {5, ZERO_NOT_BALANCED, raw, kUnbalancedValue},
        {6, ZERO, kNoValue, kNoValue},
        {6, ZERO_NOT_BALANCED, raw, kUnbalancedValue},
        {2, ZERO, raw, converted}, // no reference channel: only the zero
        {2, ZERO_NOT_BALANCED, raw, (raw - ZERO_NOT_BALANCED) * SCALE},
        {3, ZERO, kNoValue, (kNoValue - ZERO) * SCALE},
        {4, ZERO_NOT_BALANCED, raw, raw}, // speed counts pass unchanged
        {4, ZERO, kNoValue, kNoValue},
        {20, ZERO, raw, converted},
        {20, ZERO_NOT_BALANCED, raw, (raw - ZERO_NOT_BALANCED) * SCALE},
        {20, ZERO, kFurtherMarkerValue, (kFurtherMarkerValue - ZERO) * SCALE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type << " zero " << c.zero << " in " << c.in);
        SetChannel(0, c.type, c.zero);
        float values[16] = {c.in};
        ConvertModuleSamples(0, values);
        EXPECT_EQ(values[0], c.out);
    }
}

TEST_F(ValueConversionTest, FirstStageSubtractsOffsetsAndTheModuleReference) {
    SetChannel(16, MEASURE_VOLTAGE);
    g_fChannelOffset[16] = 7.0f;
    SetChannel(17, MEASURE_THERMOCOUPLE);
    SetChannel(18, MEASURE_RTD);
    SetChannel(19, MEASURE_RTD); // the reference channel keeps its reading
    g_nRefChanOffset = 3;
    float values[16] = {300.0f, 400.0f, 500.0f, 150.0f};
    ConvertModuleSamples(1, values);
    EXPECT_EQ(values[0], (300.0f - ZERO) * SCALE - 7.0f); // voltage: no reference
    EXPECT_EQ(values[1], (400.0f - 150.0f - ZERO) * SCALE);
    EXPECT_EQ(values[2], (500.0f - 150.0f - ZERO) * SCALE);
    EXPECT_EQ(values[3], 150.0f);

    float outside[16] = {300.0f};
    ConvertModuleSamples(256, outside); // not a unit with channel ids
    EXPECT_EQ(outside[0], 300.0f);
}

// A block of samples converts as each sample through ConvertModuleSamples,
// bit for bit, whether its module's channels all take the common form
// (unit 2: strain, sensor, voltage and resistance with zeros, scales and
// offsets of their own) or not (unit 3: one unbalanced channel; unit 4: a
// thermocouple beside its reference); markers and non-finite readings too.
TEST_F(ValueConversionTest, ABlockConvertsAsEachOfItsSamples) {
    const int common[] = {MEASURE_STRAIN, MEASURE_BRIDGE_SENSOR, MEASURE_VOLTAGE, MEASURE_RESISTANCE};
    for (int unit : {2, 3, 4}) {
        for (int c = 0; c < 16; ++c) {
            const int id = unit * 16 + c;
            SetChannel(id, common[c % 4], ZERO + 37 * c - 300);
            g_ChannelState[id].fScale = 0.3f + 0.11f * static_cast<float>(c);
            g_fChannelOffset[id] = 1.5f * static_cast<float>(c) - 4.0f;
        }
    }
    g_ChannelParams[3 * 16 + 9].nZero = ZERO_NOT_BALANCED;
    SetChannel(4 * 16 + 6, MEASURE_THERMOCOUPLE);
    g_nRefChanOffset = 3;
    const float specials[] = {kNoValue, kFurtherMarkerValue, kUnbalancedValue, NAN, INFINITY, -0.0f, 1e-40f};
    constexpr int kSamples = 40;
    std::vector<CaseSampleBlock> blocks[3];
    for (int m = 0; m < 3; ++m) {
        for (int j = 0; j < kSamples; ++j) {
            CaseSampleBlock block;
            block.nHeader = m + 2;
            for (int c = 0; c < 16; ++c) {
                const float v = (j + c) % 5 == 0 ? specials[(j + c + m) % std::size(specials)]
                                                  : static_cast<float>((j * 7919 + c * 104729) % 200001 - 100000);
                std::memcpy(reinterpret_cast<char*>(&block) + 4 + c * 4, &v, 4);
            }
            blocks[m].push_back(block);
        }
    }
    std::vector<CaseSampleBlock> expected[3] = {blocks[0], blocks[1], blocks[2]};
    SampleBlockDescriptor desc;
    desc.nModuleCount = 3;
    desc.nSamples = kSamples;
    CaseSampleBlock* arrays[3];
    for (int m = 0; m < 3; ++m) {
        desc.nArrayIndex[m] = m;
        desc.nUnit[m] = m + 2;
        arrays[m] = blocks[m].data();
        for (auto& block : expected[m]) {
            float values[16];
            std::memcpy(values, reinterpret_cast<const char*>(&block) + 4, sizeof values);
            ConvertModuleSamples(m + 2, values);
            std::memcpy(reinterpret_cast<char*>(&block) + 4, values, sizeof values);
        }
    }
    ConvertSampleBlock(desc, arrays);
    for (int m = 0; m < 3; ++m) {
        ASSERT_EQ(std::memcmp(blocks[m].data(), expected[m].data(), kSamples * sizeof(CaseSampleBlock)), 0)
            << "unit " << m + 2;
    }
}

class CompensationTest : public ValueConversionTest {
protected:
    void SetUp() override {
        ValueConversionTest::SetUp();
        for (int id : {5, 21}) { // channel 5 of unit 0, compensated by channel 5 of unit 1
            g_ChannelParams[id].fScaleDivisor = 2.0f;
            g_ChannelState[id].fScale = 1.0f;
        }
        g_ChannelState[5].nCompChannel = 21;
        g_ChannelState[21].fFullScale = 40.0f; // twice the full scale of channel 5
        m_blocks[0] = {Block(0, {{5, 1000.0f}})};
        m_blocks[1] = {Block(1, {{5, 100.0f}})};
        m_desc.nModuleCount = 2;
        m_desc.nSamples = 1;
        m_desc.nArrayIndex[0] = 1; // arrays in the caller's table in another order
        m_desc.nArrayIndex[1] = 0;
        m_desc.nUnit[0] = 0;
        m_desc.nUnit[1] = 1;
    }

    float Run() {
        CaseSampleBlock* arrays[2] = {m_blocks[1].data(), m_blocks[0].data()};
        ConvertSampleBlock(m_desc, arrays);
        return ValueOf(m_blocks[0][0], 5);
    }

    std::vector<CaseSampleBlock> m_blocks[2];
    SampleBlockDescriptor m_desc;
};

TEST_F(CompensationTest, StrainChannelLosesItsScaledCompensationReading) {
    // (1000/2 x 0.001 - 100/2 x 0.001 x 40/20) x 2 x 1000
    EXPECT_FLOAT_EQ(Run(), 800.0f);
    EXPECT_EQ(ValueOf(m_blocks[1][0], 5), 100.0f);
}

TEST_F(CompensationTest, CompensationThatCannotApplyLeavesTheValue) {
    const struct {
        const char* name;
        void (*change)(SampleBlockDescriptor&);
        float expected;
    } cases[] = {
        {"itself", [](SampleBlockDescriptor&) { g_ChannelState[5].nCompChannel = 5; }, 1000.0f},
        {"outside the ids", [](SampleBlockDescriptor&) { g_ChannelState[5].nCompChannel = 4096; }, 1000.0f},
        {"unbalanced", [](SampleBlockDescriptor&) { g_ChannelParams[21].nZero = ZERO_NOT_BALANCED; },
         1000.0f},
        {"offline unit", [](SampleBlockDescriptor& d) { d.nModuleCount = 1; }, 1000.0f},
        {"not present", [](SampleBlockDescriptor&) { g_ChannelState[5].bPresent = 0; }, 1000.0f},
        {"not strain", [](SampleBlockDescriptor&) { g_ChannelParams[5].nMeasureType = 1; }, 1000.0f},
        {"zero divisor", [](SampleBlockDescriptor&) { g_ChannelParams[21].fScaleDivisor = 0.0f; }, kNoValue},
        {"zero full scale", [](SampleBlockDescriptor&) { g_ChannelState[5].fFullScale = 0.0f; }, kNoValue},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        c.change(m_desc);
        EXPECT_EQ(Run(), c.expected);
    }
}

TEST_F(CompensationTest, MarkersAreNotCompensated) {
    for (float marker : {kNoValue, kFurtherMarkerValue}) {
        SetUp();
        m_blocks[1][0] = Block(1, {{5, marker}});
        g_ChannelState[21].nCompChannel = -1;
        EXPECT_EQ(Run(), 1000.0f);
    }
    SetUp();
    g_ChannelParams[21].nMeasureType =
        MEASURE_PASS_THROUGH; // keeps the further marker through the first stage
    g_ChannelState[21].fScale = 1.0f;
    m_blocks[0] = {Block(0, {{5, kFurtherMarkerValue}})};
    EXPECT_EQ(Run(), kFurtherMarkerValue);
}

TEST_F(CompensationTest, InPlaceConversionGivesTheSameAsDirect) {
    CaseSampleBlock* arrays[2] = {m_blocks[1].data(), m_blocks[0].data()};
    ConvertSampleBlockInPlace(m_desc, arrays);
    EXPECT_FLOAT_EQ(ValueOf(m_blocks[0][0], 5), 800.0f);
    EXPECT_EQ(m_blocks[0][0].nHeader, 0);
}

TEST_F(ValueConversionTest, CaseLinksConvertTheirBlocksOnTheirOwnThreads) {
    // Two links, each with its own unit and its own scale, at the same time.
    for (int unit : {3, 4}) {
        for (int c = 0; c < 16; ++c) {
            SetChannel(unit * 16 + c, MEASURE_VOLTAGE, 0);
            g_ChannelState[unit * 16 + c].fScale = float(unit);
        }
    }
    auto link = [](int unit, int samples, bool& ok) {
        for (int round = 0; round < 200; ++round) {
            std::vector<CaseSampleBlock> blocks(samples, Block(unit, {{0, 10.0f}, {15, 20.0f}}));
            CaseSampleBlock* arrays[1] = {blocks.data()};
            SampleBlockDescriptor desc;
            desc.nModuleCount = 1;
            desc.nSamples = samples;
            desc.nUnit[0] = unit;
            ConvertSampleBlockInPlace(desc, arrays);
            for (const CaseSampleBlock& b : blocks) {
                ok = ok && b.nHeader == unit && ValueOf(b, 0) == 10.0f * unit &&
                     ValueOf(b, 15) == 20.0f * unit;
            }
        }
    };
    bool ok3 = true, ok4 = true;
    std::thread first(link, 3, 7, std::ref(ok3));
    std::thread second(link, 4, 11, std::ref(ok4));
    first.join();
    second.join();
    EXPECT_TRUE(ok3);
    EXPECT_TRUE(ok4);
}

TEST_F(ValueConversionTest, SecondStageByMeasurementType) {
    const int id = 7;
    ChannelParamRecord& p = g_ChannelParams[id];
    ChannelStateRecord& s = g_ChannelState[id];
    p.fScaleDivisor = 0.5f;
    p.fCorrectionSlope = 2.0f;
    p.fCorrectionOffset = 1.0f;
    s.nSensorType = 0;
    s.fColdJunctionTemp = 25.0f;
    s.fPulsesPerRev = 4.0f;
    s.fSpeedRatio = 2.0f;
    const float r = 2000.0f;
    const double y = 2.0 * (r / 0.5 * 0.001) + 1.0; // 9
    const struct {
        int type, bridgeType;
        double expected;
    } cases[] = {
        {0, 2, y},
        {1, 0, y},
        {5, 0, y},
        {6, 0, y},
        {12, 0, y},
        {21, 0, y},
        {2, 0, ThermoVoltageToTemperature(0, ThermoTemperatureToVoltage(0, 25.0f) + float(y))},
        {3, 0, PtVoltageToTemperature(100.0f, float(y))},
        {4, 0, (y + 32765.0) / 4.0 / 2.0},
        {20, 8, r},
        {20, 2, y},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type << " bridge " << c.bridgeType);
        p.nMeasureType = c.type;
        p.nBridgeType = c.bridgeType;
        EXPECT_NEAR(ConvertRawToValue(id, r), c.expected, 1e-3);
    }
    s.nSensorType = 1; // Pt10
    p.nMeasureType = MEASURE_RTD;
    EXPECT_NEAR(ConvertRawToValue(id, r), PtVoltageToTemperature(10.0f, float(y)), 1e-3);
}

TEST_F(ValueConversionTest, QuarterBridgeStrainIsLeadCompensated) {
    const int id = 3;
    ChannelParamRecord& p = g_ChannelParams[id];
    p.nBridgeType = 1; // 350 ohm completion
    p.fLeadResistance = 1.0f;
    p.nBridgeVoltage = 2;
    const double e = 500.0 * 1e-6; // from the reading -500
    const double sum = 2.0 + 120.0 + 350.0;
    const double d = 2.0 * (1.0 + 350.0) + sum * e;
    const double strain = -e * sum * sum / d / (2.0 * 120.0) * 1e6;
    EXPECT_NEAR(ConvertRawToValue(id, -500.0f), strain, 1e-3);
    p.nDisplayType = 1;
    p.fElasticModulus = 200.0f;
    p.fCorrectionOffset = 5.0f;
    EXPECT_NEAR(ConvertRawToValue(id, -500.0f), strain * 0.2 + 5.0, 1e-3);
    p.nBridgeVoltage = 0; // |D| below 1e-15
    p.fLeadResistance = 0.0f;
    EXPECT_EQ(ConvertRawToValue(id, 0.0f), 5.0);
}

TEST_F(ValueConversionTest, ZeroDivisorsGiveNoValue) {
    const int id = 9;
    const struct {
        const char* name;
        int type, bridgeType;
        void (*change)();
    } cases[] = {
        {"sensitivity", 5, 2, [] { g_ChannelParams[9].fSensitivity = 0.0f; }},
        {"pulses", 4, 2, [] { g_ChannelState[9].fPulsesPerRev = 0.0f; }},
        {"ratio", 4, 2, [] { g_ChannelState[9].fSpeedRatio = 0.0f; }},
        {"gauge factor", 0, 0, [] { g_ChannelParams[9].fGaugeFactor = 0.0f; }},
        {"gauge resistance", 0, 1, [] { g_ChannelParams[9].fGaugeResistance = 0.0f; }},
        {"strain bridge voltage", 0, 2, [] { g_ChannelParams[9].nBridgeVoltage = 0; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ResetChannelRecords();
        g_ChannelParams[id].nMeasureType = c.type;
        g_ChannelParams[id].nBridgeType = c.bridgeType;
        g_ChannelParams[id].fSensitivity = 1.0f;
        c.change();
        UpdateChannelScale(id);
        EXPECT_EQ(ConvertRawToValue(id, 100.0f), kNoValue);
    }
    ResetChannelRecords();
    g_ChannelParams[id].fCorrectionSlope = 0.0f;
    EXPECT_EQ(ConvertValueToRaw(id, 1.0), kNoValue);
    g_ChannelParams[id].fScaleDivisor = 0.0f;
    EXPECT_EQ(ConvertFullScaleToValue(id, 1.0f), kNoValue);
    EXPECT_EQ(ConvertRawToValue(-1, 1.0f), kNoValue);
    EXPECT_EQ(ConvertRawToValue(4096, 1.0f), kNoValue);
}

TEST_F(ValueConversionTest, EditedValueComesBackThroughTheLinearPath) {
    const int id = 2;
    g_ChannelParams[id].nMeasureType = MEASURE_VOLTAGE;
    g_ChannelParams[id].fScaleDivisor = 0.25f;
    const double raw = ConvertValueToRaw(id, 123.5);
    EXPECT_NEAR(ConvertRawToValue(id, float(raw)), 123.5, 1e-3);
    g_ChannelParams[id].fCorrectionSlope = 2.0f;
    g_ChannelParams[id].fCorrectionOffset = 4.0f;
    EXPECT_DOUBLE_EQ(ConvertValueToRaw(id, 10.0), (10.0 * 0.25 * 1000.0 - 4.0) / 2.0);
    g_ChannelParams[id].nMeasureType = MEASURE_THERMOCOUPLE;
    EXPECT_EQ(ConvertValueToRaw(id, 10.0), 10.0);
}

TEST_F(ValueConversionTest, ThermocoupleTakesItsColdJunctionFromTheReferenceInTheBlock) {
    const int tc = 18, rtd = 20; // unit 1, positions 2 and 4
    g_ChannelParams[tc].nMeasureType = MEASURE_THERMOCOUPLE;
    g_ChannelParams[tc].fScaleDivisor = 1.0f;
    g_ChannelParams[tc].fCorrectionOffset = 0.5f;
    g_ChannelState[tc].nSensorType = 3; // J
    g_ChannelState[tc].nCompChannel = rtd;
    g_ChannelParams[rtd].fScaleDivisor = 0.001f;
    g_ChannelState[rtd].nSensorType = 0;
    const CaseSampleBlock block = Block(1, {{2, 2000.0f}, {4, 109.73f}});
    const float coldJunction = PtVoltageToTemperature(100.0f, 109.73f);
    const double expected =
        ThermoVoltageToTemperature(3, ThermoTemperatureToVoltage(3, coldJunction) + 2.0f) + 0.5;
    EXPECT_NEAR(ConvertBlockChannelValue(tc, block), expected, 1e-3);
    g_ChannelState[tc].nCompChannel = -1;
    g_ChannelState[tc].fColdJunctionTemp = 20.0f;
    // Without a reference the channel goes the plain way, corrected in millivolts.
    const double fixed = ThermoVoltageToTemperature(3, ThermoTemperatureToVoltage(3, 20.0f) + 2.5f);
    EXPECT_NEAR(ConvertBlockChannelValue(tc, block), fixed, 1e-3);
    g_ChannelParams[tc].nMeasureType = MEASURE_VOLTAGE;
    EXPECT_NEAR(ConvertThermocoupleWithReference(tc, 2000.0f, 0.0f), 2.5, 1e-9);
}

TEST_F(ValueConversionTest, FullScaleInEngineeringUnits) {
    const int id = 4;
    g_ChannelParams[id].fScaleDivisor = 0.5f;
    g_ChannelState[id].fColdJunctionTemp = 0.0f;
    const struct {
        int type;
        float expected;
    } cases[] = {{0, 20.0f},
                 {1, 20.0f},
                 {5, 20.0f},
                 {6, 20.0f},
                 {4, 10.0f},
                 {20, 10.0f},
                 {2, ThermoVoltageToTemperature(0, ThermoTemperatureToVoltage(0, 0.0f) + 10.0f)},
                 {3, PtVoltageToTemperature(100.0f, 10.0f)}};
    for (const auto& c : cases) {
        g_ChannelParams[id].nMeasureType = c.type;
        EXPECT_FLOAT_EQ(ConvertFullScaleToValue(id, 10.0f), c.expected) << c.type;
    }
}

TEST_F(ValueConversionTest, WholeFrameConversionCoversOnlineUnitsOnly) {
    SetOnlineCases({2});
    std::vector<CaseSampleBlock> frame(MAX_CASE_COUNT);
    frame[2] = Block(2, {{0, 100.0f}});
    frame[3] = Block(3, {{0, 100.0f}});
    g_ChannelParams[32].nMeasureType = MEASURE_VOLTAGE;
    g_ChannelParams[32].fScaleDivisor = 1.0f;
    g_ChannelState[32].fScale = 10.0f;
    EXPECT_EQ(ConvertBlockToValues(frame.data()), 1);
    EXPECT_FLOAT_EQ(ValueOf(frame[2], 0), 1.0f); // 100 x 10 / 1 x 0.001
    EXPECT_EQ(ValueOf(frame[3], 0), 100.0f);
}

TEST_F(ValueConversionTest, Lookups) {
    const std::pair<int, int> deadBand[] = {{-6, -6}, {-5, -3}, {-4, -2}, {-3, -1}, {-2, 0}, {0, 0},
                                            {2, 0},   {3, 1},   {4, 2},   {5, 3},   {6, 6}};
    for (const auto& [in, out] : deadBand) {
        EXPECT_EQ(ApplyZeroDeadBand(in), out) << in;
    }
    const std::pair<int, int> inputModes[] = {{0, 4}, {1, 6}, {2, 7}, {3, 6}, {-1, 6}};
    for (const auto& [kind, index] : inputModes) {
        EXPECT_EQ(GetSensorInputModeIndex(kind), index) << kind;
    }
    ChannelStateRecord& s = g_ChannelState[1];
    s.fGain = 2.0f;
    s.fBridgeGain = 3.0f;
    s.fTempGain = 5.0f;
    const std::pair<int, double> gains[] = {{0, 6.0}, {1, 6.0}, {2, 10.0}, {3, 10.0}, {4, 1.0},
                                            {5, 2.0}, {6, 2.0}, {20, 2.0}, {7, 1.0}};
    for (const auto& [type, gain] : gains) {
        g_ChannelParams[1].nMeasureType = type;
        EXPECT_EQ(GetChannelGainFactor(1), gain) << type;
    }
    EXPECT_STREQ(GetMeasureTypeName(3), "铂电阻测温");
    EXPECT_STREQ(GetMeasureTypeName(7), "");
    EXPECT_STREQ(GetRelAbsModeText(1), "绝对量");
    EXPECT_STREQ(GetRelAbsModeText(0), "相对量");
    EXPECT_TRUE(IsPassThroughBridgeMode(8));
    EXPECT_FALSE(IsPassThroughBridgeMode(2));
    EXPECT_TRUE(IsBridgeMode9(9));
    SetOnlineCases({0, 1});
    g_ChannelParams[17].nMeasureType = MEASURE_SPEED;
    g_ChannelParams[40].nMeasureType = MEASURE_SPEED; // not in the channel list
    EXPECT_EQ(CountChannelsOfType(MEASURE_SPEED), 1);
    EXPECT_EQ(CountChannelsOfType(MEASURE_STRAIN), 30);
}

} // namespace
