// The data store: the check of each reading, the errors it gives, the
// over-limit list and the least-squares correction per channel.
#include "calibrator/CalibrateData.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

CaseSampleBlock BlockWith(int channel, float value) {
    CaseSampleBlock block;
    block.nHeader = 3;
    block.fValues[channel] = value;
    return block;
}

} // namespace

TEST(CalibrateDataTest, ReadingsAreCheckedAgainstTheirNominalValue) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        const char* what;
        int runType, bridge, range;
        int point;
        float reading;
        bool accepted;
        float stored;
        float error; // -1: no error recorded
    } cases[] = {
        {"zero point, 0.12 deviates by 0.2", 0, 1, 20, 10, 0.12f, true, 0.12f, 0.0006f},
        {"zero point, 2.5 deviates by 24", 0, 1, 20, 10, 2.5f, false, 2.5f, -1},
        {"1250 at 1000 deviates by 25 percent", 0, 1, 20, 5, 1250.0f, false, 1250.0f, -1},
        {"1150 at 1000 on a half bridge", 0, 1, 20, 5, 1150.0f, true, 1150.0f, 0.75f},
        {"full bridge 250 at 1000 reads 1000", 0, 0, 20, 5, 250.0f, true, 1000.0f, 0.0f},
        {"negative point -1020 at -1000", 0, 2, 20, 15, -1020.0f, true, -1020.0f, 0.1f},
        {"a marker is never divided", 0, 0, 20, 5, -8388609.0f, false, -8388609.0f, -1},
        {"a marker at a point without nominal value", 0, 0, 20, 7, 8388609.0f, true, 8388609.0f, -1},
        {"no number is never accepted", 0, 1, 20, 5, nan, false, nan, -1},
        {"range 0 gives no error", 0, 1, 0, 5, 1010.0f, true, 1010.0f, -1},
        {"voltage: full scale is the range", 1, 0, 20, 3, 10.1f, true, 10.1f, 0.5f},
    };
    for (const auto& c : cases) {
        CalibrateData data;
        CalibratePointTable points{{5, 1000.0f}, {15, -1000.0f}, {3, 10.0f}};
        data.SetPointTable(c.runType, points);
        data.SetRun(c.runType, c.bridge, c.range);
        data.ResetForRun();
        data.SetCurrent(c.point, 4);
        EXPECT_EQ(data.StoreReading(BlockWith(4, c.reading)), c.accepted) << c.what;
        const CalibrateResultTable results = data.Results(c.runType);
        ASSERT_EQ(results.count(c.point), 1u) << c.what;
        const float stored = results.at(c.point).fValues[4];
        if (std::isnan(c.stored))
            EXPECT_TRUE(std::isnan(stored)) << c.what;
        else
            EXPECT_FLOAT_EQ(stored, c.stored) << c.what;
        EXPECT_TRUE(std::isnan(results.at(c.point).fValues[5]))
            << c.what << ": other channels hold no reading";
        if (c.error < 0) {
            EXPECT_EQ(results.count(kMaxErrorKey), 0u) << c.what;
        } else {
            ASSERT_EQ(results.count(kMaxErrorKey), 1u) << c.what;
            EXPECT_NEAR(results.at(kMaxErrorKey).fValues[4], c.error, 1e-5) << c.what;
            EXPECT_EQ(results.at(kMaxErrorKey).fValues[0], 0.0f) << c.what;
        }
    }
}

TEST(CalibrateDataTest, MaximumErrorKeepsTheLargestAndMarksTheChannelsOverTheLimit) {
    CalibrateData data;
    data.SetRun(0, 1, 2); // full scale 2000 µε
    data.SetErrorPercent(0.05f);
    data.ResetForRun();
    const struct {
        int point;
        int channel;
        float reading;
    } readings[] = {{5, 0, 1000.5f}, {6, 0, 502.0f}, {4, 0, 2000.0f}, {5, 3, 1000.2f}};
    for (const auto& r : readings) {
        data.SetCurrent(r.point, r.channel);
        EXPECT_TRUE(data.StoreReading(BlockWith(r.channel, r.reading)));
    }
    const auto errors = data.Results(0).at(kMaxErrorKey).fValues;
    EXPECT_NEAR(errors[0], 0.1f, 1e-5);  // 2 µε of 2000 at point 6
    EXPECT_NEAR(errors[3], 0.01f, 1e-5); // under the limit
    data.RebuildOverLimit();
    EXPECT_EQ(data.OverLimit(), std::vector<int>{0});
    EXPECT_TRUE(data.AnyOverLimit());
    data.ResetForRun();
    EXPECT_TRUE(data.OverLimit().empty());
    EXPECT_TRUE(data.Results(0).empty());
}

TEST(CalibrateDataTest, FitSlopeOfTheLeastSquaresLine) {
    const struct {
        const char* what;
        std::vector<double> x, y;
        float slope;
    } cases[] = {
        {"an exact line", {1, 2, 3}, {2, 4, 6}, 2.0f},
        {"with an offset", {0, 10, 20}, {5, 15, 25}, 1.0f},
        {"a scatter", {1, 2, 3, 4}, {1, 3, 2, 4}, 0.8f},
        {"one point", {1}, {2}, 0.0f},
        {"no point", {}, {}, 0.0f},
        {"all x equal", {5, 5, 5}, {1, 2, 3}, 0.0f},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(FitSlope(c.x, c.y), c.slope, 1e-6) << c.what;
}

TEST(CalibrateDataTest, CorrectionFitsEachChannelOverItsOwnReadings) {
    CalibrateData data; // default strain table
    data.SetRun(0, 1, 20);
    data.ResetForRun();
    // Channel 0 reads 2 % high on both sides; channel 1 only at the zero
    // point and one point, plus a marker; channel 2 never.
    const struct {
        int point;
        int channel;
        float reading;
    } readings[] = {{10, 0, 0.1f}, {5, 0, 1020.0f},  {3, 0, 5100.0f}, {15, 0, -1020.0f},
                    {10, 1, 0.1f}, {5, 1, -8388609}, {4, 1, 2000.0f}, {0, 0, 20400.0f}};
    for (const auto& r : readings) {
        data.SetCurrent(r.point, r.channel);
        data.StoreReading(BlockWith(r.channel, r.reading));
    }
    data.ComputeCorrection();
    const auto coefs = data.Coefficients();
    EXPECT_NEAR(coefs[0], 1 / 1.02, 1e-4);
    EXPECT_NEAR(coefs[1], 1.0, 1e-4) << "the marker is skipped, two points remain";
    EXPECT_EQ(coefs[2], 0.0f) << "no readings";
}

TEST(CalibrateDataTest, PointTablesAndChannelListKeepTheirRules) {
    EXPECT_EQ(kCalibratePointOrder.front(), 10);
    EXPECT_EQ(kCalibratePointOrder[10], 0);
    EXPECT_EQ(kCalibratePointOrder[11], 11);
    CalibrateData data;
    data.SetPointTable(1, {{3, 5.0f}, {25, 1.0f}, {-1, 1.0f}});
    EXPECT_EQ(data.PointTable(1), (CalibratePointTable{{3, 5.0f}, {10, 0.0f}}));
    EXPECT_EQ(data.ChannelList().size(), 16u);
    data.ToggleAllChannels();
    EXPECT_TRUE(data.ChannelList().empty());
    data.ToggleChannel(9);
    data.ToggleChannel(2);
    data.ToggleChannel(40);
    EXPECT_EQ(data.ChannelList(), (std::vector<int>{2, 9}));
    data.ToggleChannel(9);
    EXPECT_EQ(data.ChannelList(), std::vector<int>{2});
    data.ToggleAllChannels();
    EXPECT_EQ(data.ChannelList().size(), 16u);
}

TEST(CalibrateDataTest, NumericTextRule) {
    const struct {
        const char* text;
        bool numeric;
    } cases[] = {{"1500", true}, {"-1500", true}, {"12.5", true}, {"15-00", false},
                 {"1e3", false}, {"", false},     {" 15", false}, {"-", true}};
    for (const auto& c : cases)
        EXPECT_EQ(IsNumericText(c.text), c.numeric) << c.text;
}

TEST(CalibrateDataTest, CoefficientWritesNameTheModulesChannelsAndScaleByTheInstrument) {
    CalibrateChannelParam block;
    block.nCase = 2;
    block.nModule = 5;
    const auto numbers = WriteChannelNumbers(block, {0, 7, 99});
    EXPECT_EQ(numbers[0], (2 * 8 + 5) * 16);
    EXPECT_EQ(numbers[7], (2 * 8 + 5) * 16 + 7);
    EXPECT_EQ(numbers[1], -1);

    CalibrateCoefRecord first, second;
    first.fill(1.0f);
    second.fill(1.0f);
    second[3] = 0.9f;
    const std::vector<CalibrateCoefRecord> records{first, second};
    const std::vector<int> full{5, 20};
    const struct {
        const char* what;
        std::vector<CalibrateCoefRecord> records;
        int range;
        float coef;
    } cases[] = {
        {"the range's record", records, 20, 1.1f * 0.9f},
        {"a range not in the list takes the first record", records, 7, 1.1f},
        {"no reply: the run's coefficient alone", {}, 20, 1.1f},
        {"a reply without that record", {first}, 20, 1.1f},
    };
    for (const auto& c : cases)
        EXPECT_FLOAT_EQ(CorrectedCoefficient(1.1f, 3, c.records, full, c.range), c.coef) << c.what;
}
