// CStrainSignalControl against the simulated generator on a pseudo-terminal:
// each query, the waits, split, late, noisy and spoiled replies, two
// threads, two objects and copies.
#include "SerialTestSupport.h"
#include "libs/serial/StrainSignalControl.h"
#include "platform/PseudoTerminal.h"
#include "tools/GeneratorSimulator.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

using strainsignal::FrameKind;

namespace {

class StrainSignalControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_sim.Start());
        platform::SetSerialDevicePath(kPort, m_sim.SlavePath());
    }
    void TearDown() override { platform::SetSerialDevicePath(kPort, ""); }

    static constexpr int kPort = 11;
    CGeneratorSimulator m_sim;
};

TEST_F(StrainSignalControlTest, QueriesReachTheGeneratorAndReadItsReplies) {
    m_sim.SetId(9);
    m_sim.SetBattery(1, 73);
    CStrainSignalControl control;
    int id = 0, level = 0;
    EXPECT_EQ(control.FindMachine(id), 0); // port not open yet
    ASSERT_EQ(control.InitializeDeviceInterface(kPort, 19200), 1);
    EXPECT_EQ(control.FindMachine(id), 1);
    EXPECT_EQ(id, 9);
    EXPECT_EQ(control.GetBattery(level), 1);
    EXPECT_EQ(level, 73);
    EXPECT_EQ(control.SetStrainValue(3, 0, 4, 1200), 1);
    EXPECT_EQ(control.SetStrainValue(16, 1, 0, 0x005500), 1); // stuffed on the way
    const auto outputs = m_sim.Outputs();
    ASSERT_EQ(outputs.size(), 2u);
    EXPECT_EQ(outputs[0].channel, 3);
    EXPECT_EQ(outputs[0].modeIndex, 4);
    EXPECT_EQ(outputs[0].SignedValue(), -1200);
    EXPECT_EQ(outputs[1].type, 1);
    EXPECT_EQ(outputs[1].value, 0x005500);

    // Refused without sending: a seventh mode, more than 24 bits, negative.
    EXPECT_EQ(control.SetStrainValue(1, 0, 6, 10), 0);
    EXPECT_EQ(control.SetStrainValue(1, 0, 0, 0x1000000), 0);
    EXPECT_EQ(control.SetStrainValue(1, 0, 0, -5), 0);
    EXPECT_EQ(m_sim.CountRequests(FrameKind::SetValue), 2);

    // The generator saying "not done" is a failure.
    CGeneratorSimulator::Faults refuse;
    refuse.refuseValues = true;
    m_sim.SetFaults(refuse);
    EXPECT_EQ(control.SetStrainValue(1, 0, 0, 5), 0);

    EXPECT_EQ(control.RemoveDeviceInterface(), 1);
    EXPECT_EQ(control.GetBattery(level), 0);
    EXPECT_EQ(control.InitializeDeviceInterface(200, 19200), 0);
}

TEST_F(StrainSignalControlTest, SilentGeneratorFailsAfterThePartWaits) {
    CGeneratorSimulator::Faults silent;
    silent.silent = true;
    m_sim.SetFaults(silent);
    CStrainSignalControl control;
    ASSERT_EQ(control.InitializeDeviceInterface(kPort, 19200), 1);
    int level = 0, id = 0;
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(control.GetBattery(level), 0);
    EXPECT_GE(SecondsSince(start), 0.95);
    EXPECT_LT(SecondsSince(start), 2.0);
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(control.FindMachine(id), 0);
    EXPECT_GE(SecondsSince(start), 2.95);
    EXPECT_LT(SecondsSince(start), 4.5);
}

TEST_F(StrainSignalControlTest, SplitNoisyAndLateRepliesAreReadWholeBadChecksRefused) {
    CStrainSignalControl control;
    ASSERT_EQ(control.InitializeDeviceInterface(kPort, 19200), 1);
    int id = 0, level = 0;

    CGeneratorSimulator::Faults faults;
    faults.splitBytes = 3;
    faults.splitGapMs = 120;
    faults.noise = {0x3C, 0x55, 0x13, 0x55};
    m_sim.SetFaults(faults);
    EXPECT_EQ(control.FindMachine(id), 1);
    EXPECT_EQ(id, 5);

    faults = {};
    faults.badCheck = true;
    m_sim.SetFaults(faults);
    EXPECT_EQ(control.FindMachine(id), 0);
    EXPECT_EQ(control.SetStrainValue(1, 0, 0, 100), 0);

    // A battery reply that comes after its 1 s is skipped by the next query.
    faults = {};
    faults.replyDelayMs = 1300;
    m_sim.SetFaults(faults);
    EXPECT_EQ(control.GetBattery(level), 0);
    faults.replyDelayMs = 700;
    m_sim.SetFaults(faults);
    EXPECT_EQ(control.SetStrainValue(2, 0, 1, 250), 1);
    EXPECT_EQ(m_sim.CurrentOutputs().at(2).value, 250);
}

TEST_F(StrainSignalControlTest, TwoThreadsShareOneObjectAndCopiesShareTheLink) {
    auto* control = new CStrainSignalControl;
    ASSERT_EQ(control->InitializeDeviceInterface(kPort, 19200), 1);
    std::atomic<int> ok{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 2; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 5; ++i) {
                int value = 0;
                ok += t == 0 ? control->FindMachine(value) : control->SetStrainValue(t, 0, 0, i);
            }
        });
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(ok.load(), 10);

    // A copy outlives the original and still talks to the generator.
    CStrainSignalControl copy(*control);
    delete control;
    int id = 0;
    EXPECT_EQ(copy.FindMachine(id), 1);
    CStrainSignalControl assigned;
    assigned = copy;
    assigned = assigned;
    EXPECT_EQ(assigned.GetBattery(id), 1);
}

TEST_F(StrainSignalControlTest, TwoObjectsOnTwoGeneratorsKeepTheirOwnReplies) {
    CGeneratorSimulator second;
    ASSERT_TRUE(second.Start());
    platform::SetSerialDevicePath(kPort + 1, second.SlavePath());
    m_sim.SetId(1);
    second.SetId(2);
    CStrainSignalControl a, b;
    ASSERT_EQ(a.InitializeDeviceInterface(kPort, 19200), 1);
    ASSERT_EQ(b.InitializeDeviceInterface(kPort + 1, 19200), 1);
    std::atomic<int> wrong{0};
    auto ask = [&wrong](CStrainSignalControl& c, int expected) {
        for (int i = 0; i < 5; ++i) {
            int id = 0;
            if (!c.FindMachine(id) || id != expected)
                ++wrong;
        }
    };
    std::thread ta(ask, std::ref(a), 1), tb(ask, std::ref(b), 2);
    ta.join();
    tb.join();
    EXPECT_EQ(wrong.load(), 0);
    // Opening again on the other port closes the first.
    b.RemoveDeviceInterface();
    ASSERT_EQ(a.InitializeDeviceInterface(kPort + 1, 19200), 1);
    int id = 0;
    EXPECT_EQ(a.FindMachine(id), 1);
    EXPECT_EQ(id, 2);
    platform::SetSerialDevicePath(kPort + 1, "");
}

// A peer that answers each set-value request with the bytes written here,
// as a generator lays its reply out: 01 02 01 and the result in byte 9.
TEST(StrainSignalControlScripted, SetValueReadsTheResultFromByte9) {
    platform::PseudoTerminal pty;
    ASSERT_TRUE(pty.Open());
    constexpr int kScriptedPort = 14;
    platform::SetSerialDevicePath(kScriptedPort, pty.SlavePath());
    CStrainSignalControl control;
    ASSERT_EQ(control.InitializeDeviceInterface(kScriptedPort, 19200), 1);
    struct Case {
        std::vector<std::uint8_t> reply;
        int result;
    } cases[] = {
        {{0x55, 0xAA, 0, 0, 0, 0, 0x01, 0x02, 0x01, 0x00, 0x02}, 0}, // refused
        {{0x55, 0xAA, 0, 0, 0, 0, 0x01, 0x02, 0x01, 0x01, 0x03}, 1}, // done
        {{0x55, 0xAA, 0, 0, 0, 0, 0x01, 0x02, 0x00, 0x01, 0x02}, 0}, // not this reply's layout
    };
    for (const Case& c : cases) {
        std::thread peer([&] {
            std::uint8_t request[17];
            if (pty.ReadExactly(request, sizeof request, 3000) == sizeof request)
                pty.Write(c.reply.data(), c.reply.size());
        });
        EXPECT_EQ(control.SetStrainValue(1, 0, 0, 1000), c.result) << int(c.reply[9]);
        peer.join();
    }
    control.RemoveDeviceInterface();
    platform::SetSerialDevicePath(kScriptedPort, "");
}

} // namespace
