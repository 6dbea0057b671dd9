// The digital-quantity meter reader: its frame parser over a table of
// received texts, and the reader against the simulated meter on a
// pseudo-terminal.
#include "acquisition/DigitalMeterPort.h"
#include "model/CaseSampleBlock.h"
#include "platform/SerialPort.h"
#include "tools/MeterSimulator.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {

struct ParseCase {
    const char* name;
    std::vector<std::string> chunks;
    std::vector<float> expected; // the 8 latest values afterwards
};

TEST(DigitalMeterParse, FramesAndFaults) {
    const float kPrior = 7.0f; // what every channel holds before the chunks
    const float none = kNoValue;
    const ParseCase cases[] = {
        {"three values", {"B1.5,2,3E"}, {1.5f, 2, 3, kPrior, kPrior, kPrior, kPrior, kPrior}},
        {"too short frames", {"BE", "B1E"}, {kPrior, kPrior, kPrior, kPrior, kPrior, kPrior, kPrior, kPrior}},
        {"one value, no comma",
         {"B-2.25E"},
         {-2.25f, kPrior, kPrior, kPrior, kPrior, kPrior, kPrior, kPrior}},
        {"split over chunks", {"B1.5,", "2", ",3E"}, {1.5f, 2, 3, kPrior, kPrior, kPrior, kPrior, kPrior}},
        {"noise and a frame's tail before the first B",
         {"#x4,5E\r\n", "B9,8E"},
         {9, 8, kPrior, kPrior, kPrior, kPrior, kPrior, kPrior}},
        {"not a number gives no value", {"B1,abc,,3E"}, {1, none, none, 3, kPrior, kPrior, kPrior, kPrior}},
        {"more than eight keep the first eight", {"B1,2,3,4,5,6,7,8,9,10E"}, {1, 2, 3, 4, 5, 6, 7, 8}},
        {"an over-long frame is dropped",
         {"B1," + std::string(CDigitalMeterPort::kFrameLimit, '5') + "E", "B2,2E"},
         {2, 2, kPrior, kPrior, kPrior, kPrior, kPrior, kPrior}},
    };
    for (const ParseCase& c : cases) {
        CDigitalMeterPort meter;
        meter.SetChannelCount(2);
        const std::string prior = "B7,7,7,7,7,7,7,7E";
        meter.ParseBytes(reinterpret_cast<const std::uint8_t*>(prior.data()), prior.size());
        for (const std::string& chunk : c.chunks)
            meter.ParseBytes(reinterpret_cast<const std::uint8_t*>(chunk.data()), chunk.size());
        float values[8];
        // Histories: one record per frame, only for the configured channels.
        EXPECT_FALSE(meter.GetHistory(0).empty()) << c.name;
        EXPECT_TRUE(meter.GetHistory(2).empty()) << c.name;
        ASSERT_EQ(meter.ReadDigitalValues(values), 1);
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(values[i], c.expected[i]) << c.name << " channel " << i;
        EXPECT_TRUE(meter.GetHistory(0).empty()) << c.name;
    }
}

TEST(DigitalMeterParse, HistoriesAreBounded) {
    CDigitalMeterPort meter;
    meter.SetChannelCount(1);
    const std::string frame = "B1,2E";
    for (std::size_t i = 0; i < CDigitalMeterPort::kHistoryLimit + 10; ++i)
        meter.ParseBytes(reinterpret_cast<const std::uint8_t*>(frame.data()), frame.size());
    EXPECT_LE(meter.GetHistory(0).size(), CDigitalMeterPort::kHistoryLimit);
    EXPECT_EQ(meter.GetHistory(0).back().fValue, 1.0f);
}

class DigitalMeterPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_sim.Start());
        platform::SetSerialDevicePath(kPort, m_sim.SlavePath());
    }
    void TearDown() override { platform::SetSerialDevicePath(kPort, ""); }

    // Waits until the reader shows the values of some frame of the rule.
    static bool WaitForRuleValues(CDigitalMeterPort& meter, float* values) {
        for (int i = 0; i < 100; ++i) {
            meter.ReadDigitalValues(values);
            if (values[0] >= 1.0f && values[1] == values[0] + 1.0f && values[2] == values[0] + 2.0f)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
        }
        return false;
    }

    static constexpr int kPort = 13;
    CMeterSimulator m_sim;
};

TEST_F(DigitalMeterPortTest, ReadsTheMeterThroughItsFaults) {
    m_sim.SetRate(20);
    m_sim.SetChannels(3);
    CMeterSimulator::Faults faults;
    faults.split = true;
    faults.noise = true;
    faults.midFrame = true;
    m_sim.SetFaults(faults);
    CDigitalMeterPort meter;
    meter.SetPortParams(kPort, 4800);
    meter.SetChannelCount(3);
    ASSERT_EQ(meter.OpenDigitalPort(), 1);
    EXPECT_EQ(meter.OpenDigitalPort(), 1); // already open
    float values[8] = {};
    EXPECT_TRUE(WaitForRuleValues(meter, values));
    EXPECT_EQ(values[3], 0.0f); // never sent

    faults = {};
    faults.overLong = true;
    m_sim.SetFaults(faults);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_TRUE(WaitForRuleValues(meter, values));
    // The long frame's added values, its trailing blanks ignored.
    EXPECT_EQ(values[3], 9.0f);
    EXPECT_EQ(values[6], 12.0f);
    EXPECT_EQ(values[7], 0.0f);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(meter.CloseDigitalPort(), 1);
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 1.0);
    EXPECT_FALSE(meter.IsOpen());
}

TEST(DigitalMeterPort, MissingPortGivesZero) {
    CDigitalMeterPort meter;
    meter.SetPortParams(201, 4800);
    EXPECT_EQ(meter.OpenDigitalPort(), 0);
    EXPECT_FALSE(meter.IsOpen());
}

} // namespace
