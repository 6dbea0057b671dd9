// The calibration run against a stand-in main program and generator: the
// order of points and channels, the balances, repeated runs, retries,
// stopping, and the errors and coefficients that known gain errors give.
#include "CalibratorTestSupport.h"
#include "calibrator/CalibrateRun.h"
#include "calibrator/RunClock.h"
#include "platform/Time.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

class CalibrateRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        run_clock::SetScale(0);
        m_settings.SteadySleep = 0;
        m_block.ChanType = CHAN_TYPE_STRAIN;
        m_block.BridgeType = BRIDGE_HALF;
        m_block.MeasureRange = 20;
        m_block.nCase = 1;
        m_block.nModule = 2;
    }
    void TearDown() override { run_clock::SetScale(1); }

    void RunToEnd() {
        CCalibrateRun run(m_host, m_data);
        ASSERT_TRUE(run.Start(m_block, m_settings));
        ASSERT_TRUE(run.Join(20000));
        EXPECT_FALSE(run.IsCalibrating());
    }

    FakeInstrumentHost m_host;
    CalibrateData m_data;
    CalibrateChannelParam m_block;
    CalibrationSettings m_settings;
};

} // namespace

TEST_F(CalibrateRunTest, PointByPointVisitsTheZeroPointThenUpwardAndStopsWithoutNegatives) {
    m_settings.CalibrateType = 0;
    m_data.SetPointTable(0, {{0, 2000.0f}, {5, 1000.0f}, {9, 50.0f}});
    m_data.SetChannelList({1, 4});
    RunToEnd();
    // Balance at zero on each channel, then the points 10, 9, 5, 0 on both channels.
    EXPECT_EQ(m_host.SignedOutputs(2), (std::vector<int>{0, 0, 50, 1000, 2000}));
    EXPECT_EQ(m_host.SignedOutputs(5), (std::vector<int>{0, 0, 50, 1000, 2000}));
    EXPECT_EQ(m_host.balanced, (std::vector<std::int32_t>{128 + 32 + 1, 128 + 32 + 4}));
    EXPECT_EQ(std::count(m_host.codes.begin(), m_host.codes.end(), CALIBRATE_START_BALANCE), 1);
    EXPECT_EQ(std::count(m_host.codes.begin(), m_host.codes.end(), CALIBRATE_READ_SAMPLE), 8);
    EXPECT_EQ(m_host.finished, 1);
    EXPECT_EQ(m_host.ended, 1);
    EXPECT_TRUE(m_host.repeats.empty());
    // The preparation: stop sampling, channel parameters, coefficients, balance, start sampling.
    const std::vector<int> head(m_host.codes.begin(), m_host.codes.begin() + 4);
    EXPECT_EQ(head, (std::vector<int>{2, 5, 9, 6}));
}

TEST_F(CalibrateRunTest, NegativePointsAreMeasuredAfterABalanceOnTheNegativeSide) {
    m_settings.CalibrateType = 0;
    m_data.SetPointTable(0, {{9, 50.0f}, {11, -50.0f}, {12, -100.0f}});
    m_data.SetChannelList({0});
    RunToEnd();
    // Zero balance (mode 1), 0, 50, balance on the negative side (mode 4, value 0), -50, -100.
    std::vector<int> modes;
    for (const auto& o : m_host.outputs)
        modes.push_back(o.mode);
    EXPECT_EQ(m_host.SignedOutputs(1), (std::vector<int>{0, 0, 50, 0, -50, -100}));
    EXPECT_EQ(modes, (std::vector<int>{1, 1, 1, 4, 4, 4}));
    EXPECT_EQ(std::count(m_host.codes.begin(), m_host.codes.end(), CALIBRATE_START_BALANCE), 2);
}

TEST_F(CalibrateRunTest, ChannelByChannelBalancesEachChannelOnItsOwn) {
    m_settings.CalibrateType = 1;
    m_data.SetPointTable(0, {{9, 50.0f}, {11, -50.0f}});
    m_data.SetChannelList({0, 1});
    RunToEnd();
    EXPECT_EQ(m_host.SignedOutputs(1), (std::vector<int>{0, 0, 50, 0, -50}));
    EXPECT_EQ(m_host.SignedOutputs(2), (std::vector<int>{0, 0, 50, 0, -50}));
    // Each channel's outputs come before the next channel's.
    const auto firstOfTwo = std::find_if(m_host.outputs.begin(), m_host.outputs.end(),
                                         [](const auto& o) { return o.channel == 2; });
    EXPECT_TRUE(std::none_of(firstOfTwo, m_host.outputs.end(), [](const auto& o) { return o.channel == 1; }));
    EXPECT_EQ(m_host.balanced, (std::vector<std::int32_t>{160, 160, 161, 161}));
}

TEST_F(CalibrateRunTest, GainErrorsGiveErrorsCoefficientsAndTheCorrectionOffer) {
    m_settings.CalibrateType = 1;
    m_settings.ErrorCorrect = true;
    m_settings.ErrorPercent = 0.05f;
    m_host.gains[3] = 1.01f;  // 1 % high: 200 µε at 20000 is 1 % of the 20000 full scale
    m_host.gains[6] = 0.999f; // within the limit at the points used
    m_data.SetPointTable(0, {{0, 20000.0f}, {5, 1000.0f}, {15, -1000.0f}, {20, -20000.0f}});
    RunToEnd();
    const auto errors = m_data.Results(0).at(kMaxErrorKey).fValues;
    EXPECT_NEAR(errors[3], 1.0f, 1e-3);
    EXPECT_NEAR(errors[6], 0.1f, 1e-3);
    EXPECT_NEAR(errors[0], 0.0f, 1e-4);
    EXPECT_EQ(m_data.OverLimit(), (std::vector<int>{3, 6}));
    const auto coefs = m_data.Coefficients();
    EXPECT_NEAR(coefs[3], 1 / 1.01, 1e-4);
    EXPECT_NEAR(coefs[0], 1.0, 1e-4);
    EXPECT_EQ(m_host.correctFiles, 1);
    EXPECT_EQ(m_host.offers, 1);
}

TEST_F(CalibrateRunTest, FullBridgeReadingsAreTakenAsQuarterStrain) {
    m_settings.CalibrateType = 0;
    m_block.BridgeType = BRIDGE_FULL;
    m_host.readingFactor = 0.25f;
    m_data.SetPointTable(0, {{5, 1000.0f}});
    m_data.SetChannelList({0});
    RunToEnd();
    EXPECT_FLOAT_EQ(m_data.Results(0).at(5).fValues[0], 1000.0f);
    EXPECT_FLOAT_EQ(m_data.Results(0).at(kMaxErrorKey).fValues[0], 0.0f);
}

TEST_F(CalibrateRunTest, AbnormalReadingsAreRetriedAndReported) {
    m_settings.CalibrateType = 0;
    m_settings.ErrorGetTimes = 3;
    m_settings.ErrorPrompt = true;
    m_host.gains[0] = 1.5f;
    m_data.SetPointTable(0, {{5, 1000.0f}});
    m_data.SetChannelList({0});
    RunToEnd();
    // One reading at the zero point, three at point 5.
    EXPECT_EQ(std::count(m_host.codes.begin(), m_host.codes.end(), CALIBRATE_READ_SAMPLE), 4);
    EXPECT_EQ(m_host.abnormal, 1);
    EXPECT_FLOAT_EQ(m_data.Results(0).at(5).fValues[0], 1500.0f) << "the last reading stays";
    EXPECT_EQ(m_data.Results(0).at(kMaxErrorKey).fValues[0], 0.0f) << "only accepted readings give errors";
}

TEST_F(CalibrateRunTest, StandingRepeatsTheRun) {
    m_settings.CalibrateType = 0;
    m_data.SetPointTable(0, {{5, 1000.0f}});
    m_data.SetChannelList({0});
    const struct {
        int standing;
        int runs;
        std::size_t repeats;
    } cases[] = {{-1, 1, 0}, {3, 3, 2}, {0, 4, 4}, {1, 1, 0}};
    for (const auto& c : cases) {
        FakeInstrumentHost host;
        m_settings.Standing = c.standing;
        CCalibrateRun run(host, m_data);
        // Each due repeat starts the next run, as timer 3 does.
        for (int i = 0; i < c.runs; ++i) {
            ASSERT_TRUE(run.Start(m_block, m_settings));
            ASSERT_TRUE(run.Join(20000));
        }
        EXPECT_EQ(host.repeats.size(), c.repeats) << c.standing;
        EXPECT_EQ(host.finished, c.runs) << c.standing;
    }
}

TEST_F(CalibrateRunTest, StopEndsAWaitForAReplyThatNeverComes) {
    m_settings.CalibrateType = 0;
    m_host.heldCode = CALIBRATE_READ_SAMPLE;
    m_data.SetPointTable(0, {{5, 1000.0f}});
    CCalibrateRun run(m_host, m_data);
    ASSERT_TRUE(run.Start(m_block, m_settings));
    EXPECT_FALSE(run.Join(300)) << "waits for the sample";
    EXPECT_TRUE(run.IsCalibrating());
    run.Stop();
    EXPECT_TRUE(run.Join(5000));
    EXPECT_EQ(m_host.finished, 0);
    EXPECT_EQ(m_host.ended, 1);
}

TEST_F(CalibrateRunTest, FailuresEndOrSkipAsTheStepSays) {
    m_settings.CalibrateType = 0;
    m_data.SetPointTable(0, {{5, 1000.0f}});
    {
        FakeInstrumentHost host;
        host.sendResult = 0; // the link is gone
        CCalibrateRun run(host, m_data);
        ASSERT_TRUE(run.Start(m_block, m_settings));
        ASSERT_TRUE(run.Join(5000));
        EXPECT_EQ(host.codes, std::vector<int>{CALIBRATE_STOP_SAMPLING});
        EXPECT_EQ(host.finished, 0);
    }
    {
        FakeInstrumentHost host;
        host.generatorResult = 0; // the generator does not acknowledge
        m_settings.CalibrateType = 1;
        CCalibrateRun run(host, m_data);
        ASSERT_TRUE(run.Start(m_block, m_settings));
        ASSERT_TRUE(run.Join(5000));
        EXPECT_EQ(std::count(host.codes.begin(), host.codes.end(), CALIBRATE_READ_SAMPLE), 0);
        EXPECT_EQ(host.outputs.size(), 16u) << "one zero setting a channel, the rest skipped";
        EXPECT_EQ(host.finished, 1);
    }
}

TEST_F(CalibrateRunTest, VoltageRunMeasuresTheChosenPointOnly) {
    m_block.ChanType = CHAN_TYPE_VOLTAGE;
    m_block.MeasureRange = 20;
    m_data.SetPointTable(1, {{3, 10.0f}, {4, 5.0f}});
    m_data.SetVoltagePoint(3);
    m_data.SetChannelList({0, 1});
    m_host.gains[1] = 1.01f;
    RunToEnd();
    EXPECT_EQ(m_host.SignedOutputs(1), std::vector<int>{10});
    EXPECT_EQ(m_host.outputs[0].type, 1);
    EXPECT_NEAR(m_data.Results(1).at(kMaxErrorKey).fValues[1], 0.5f, 1e-4);
    EXPECT_EQ(m_data.OverLimit(), std::vector<int>{1});
    EXPECT_EQ(m_host.finished, 0) << "a voltage run saves nothing by itself";
    EXPECT_EQ(m_host.codes.back(), CALIBRATE_STOP_SAMPLING);
}

TEST_F(CalibrateRunTest, APausedRunWaitsUntilItContinues) {
    m_settings.CalibrateType = 0;
    m_host.heldCode = CALIBRATE_READ_SAMPLE;
    m_data.SetPointTable(0, {{5, 1000.0f}});
    m_data.SetChannelList({0, 1});
    CCalibrateRun run(m_host, m_data);
    ASSERT_TRUE(run.Start(m_block, m_settings));
    const auto reads = [this] {
        std::lock_guard lock(m_host.m_mutex);
        return std::count(m_host.codes.begin(), m_host.codes.end(), CALIBRATE_READ_SAMPLE);
    };
    for (int i = 0; i < 200 && reads() == 0; ++i)
        platform::Sleep(10);
    ASSERT_EQ(reads(), 1);
    run.TogglePause();
    EXPECT_TRUE(run.IsPaused());
    {
        std::lock_guard lock(m_host.m_mutex);
        m_host.heldCode = -1;
    }
    m_host.WaitReply(CALIBRATE_READ_SAMPLE, 0);                       // nothing set yet
    m_host.SendRequest(BuildCalibrateRequest(CALIBRATE_READ_SAMPLE)); // the held reply comes
    platform::Sleep(300);
    EXPECT_FALSE(run.Join(0)) << "paused before the next channel";
    const auto pausedReads = reads();
    platform::Sleep(200);
    EXPECT_EQ(reads(), pausedReads);
    run.TogglePause();
    EXPECT_TRUE(run.Join(10000));
    EXPECT_EQ(m_host.finished, 1);
}
