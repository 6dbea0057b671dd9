// Lead-wire and self-test readings that a case sends over loopback reach the
// computations through the network transport. The case here answers the
// case information and the two test requests with one module's readings.
#include "acquisition/LeadWireSelfTest.h"

#include "SamplingFixture.h"

#include "acquisition/CaseFrame.h"
#include "platform/Socket.h"

#include <cstring>
#include <thread>

namespace {

// A one-module case that answers the test requests with fixed readings.
class TestReadingCase {
public:
    TestReadingCase(std::uint16_t port, const float* first, const float* second)
        : m_port(port), m_first(first), m_second(second) {
        m_thread = std::thread([this] { Run(); });
    }
    ~TestReadingCase() {
        m_bRun = false;
        m_thread.join();
    }

private:
    void Run() {
        platform::TcpStream stream;
        while (m_bRun.load() && !stream.Connect("127.0.0.1", m_port, 500, "127.0.0.6"))
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        std::vector<std::uint8_t> inbox;
        std::uint8_t buffer[4096];
        while (m_bRun.load()) {
            const int n = stream.Receive(buffer, sizeof buffer, 10);
            if (n == 0 || n == platform::kSocketError)
                return;
            if (n > 0)
                inbox.insert(inbox.end(), buffer, buffer + n);
            while (inbox.size() >= kCaseFrameOverhead && inbox[0] == 0x55 && inbox[1] == 0xAA) {
                const std::size_t length = inbox[5] * 256u + inbox[7];
                if (inbox.size() < length + kCaseFrameOverhead)
                    break;
                Answer(stream, inbox[8], inbox[9]);
                inbox.erase(inbox.begin(),
                            inbox.begin() + static_cast<std::ptrdiff_t>(length + kCaseFrameOverhead));
            }
            if (!inbox.empty() && (inbox[0] != 0x55 || (inbox.size() > 1 && inbox[1] != 0xAA)))
                inbox.erase(inbox.begin());
        }
    }
    void Answer(platform::TcpStream& stream, std::uint8_t op0, std::uint8_t op1) {
        std::vector<std::uint8_t> reply;
        if (op0 == 2 && op1 == 11)
            reply = CCaseSimulator::BuildCaseInfoReply(0, 1, 2);
        else if (op0 == 8 && (op1 == 0 || op1 == 5))
            reply = Readings(op1 == 0 ? 3 : 4);
        if (!reply.empty())
            stream.SendAll(reply.data(), reply.size(), 1000);
    }
    // One record: 0x55 0xAA 7 kind, slot at byte 7, then both sets of 16
    // big-endian floats.
    std::vector<std::uint8_t> Readings(std::uint8_t kind) const {
        std::vector<std::uint8_t> record(138, 0);
        record[0] = 0x55;
        record[1] = 0xAA;
        record[2] = 7;
        record[3] = kind;
        for (int i = 0; i < 16; ++i) {
            for (const auto& [values, offset] : {std::pair{m_first, 10}, std::pair{m_second, 74}}) {
                std::uint32_t word;
                std::memcpy(&word, &values[i], 4);
                for (int b = 0; b < 4; ++b)
                    record[static_cast<std::size_t>(offset + 4 * i + b)] =
                        static_cast<std::uint8_t>(word >> (24 - 8 * b));
            }
        }
        return record;
    }

    std::uint16_t m_port;
    const float* m_first;
    const float* m_second;
    std::atomic<bool> m_bRun{true};
    std::thread m_thread;
};

TEST_F(SamplingLoopbackTest, LeadWireAndSelfTestResultsFromTheCaseReadings) {
    float first[16], second[16];
    for (int c = 0; c < 16; ++c) {
        first[c] = 100.0f;
        second[c] = 400.0f; // 300 counts apart: 42.162 ohm on a 120 ohm half bridge
    }
    second[5] = 1950.0f; // saturated
    {
        std::ofstream map(folder + "/MapCfg.ini");
        map << "[127.0.0.6]\r\nMapID=0\r\n";
    }
    TestReadingCase peer(comm->GetDriver().GetListenPort(), first, second);
    ASSERT_TRUE(PumpUntil([&] { return comm->GetDriver().GetLinkCount() == 1; }));
    ASSERT_EQ(comm->FindCases(), 1);
    for (int c = 0; c < 16; ++c) {
        g_ChannelParams[c].nMeasureType = MEASURE_STRAIN;
        g_ChannelParams[c].nBridgeType = 2;
        g_ChannelParams[c].fGaugeResistance = 120.0f;
        g_ChannelParams[c].nBridgeVoltage = 2;
    }
    host.testLevels[0] = 1000.0f;
    host.testLevels[1] = 2000.0f;
    g_bInterface485 = true;
    g_nInterface485RLead = 1;
    g_nInterface485Check = 1;
    CLeadWireSelfTest lead(&host, frame.GetSafeHwnd());
    lead.SetSecondLength(300);

    boxes.QueueAnswer(platform::IDOK);  // the too-large warning of the saturated channel
    boxes.QueueAnswer(platform::IDYES); // use the results
    lead.MeasureLeadResistance();
    for (int c = 0; c < 16; ++c) {
        ASSERT_EQ(lead.GetLeadSet(0)[0].fValues[c], first[c]) << c;
        ASSERT_EQ(lead.GetLeadSet(1)[0].fValues[c], second[c]) << c;
    }
    EXPECT_NEAR(lead.m_R0[0], 42.1622f, 0.001);
    EXPECT_NEAR(g_ChannelParams[0].fLeadResistance, 42.1622f, 0.001);
    EXPECT_EQ(lead.m_LeadStatus[5], -1);
    EXPECT_EQ(g_ChannelParams[5].fLeadResistance, 0.0f);

    lead.RunChannelSelfTest();
    EXPECT_EQ(lead.m_a0[3], 100.0f);
    EXPECT_EQ(lead.m_a1[3], 400.0f);
    EXPECT_NEAR(lead.m_SelfTestValue[3], 300000.0f * CLeadWireSelfTest::SelfTestBridgeFactor(3), 1.0f);
    EXPECT_EQ(lead.m_SelfTestState[3], 1) << "far above the nominal value";
    EXPECT_EQ(lead.m_SelfTestState[5], -1);
    EXPECT_EQ(frame.Count(sampling_msg::kSelfTestResults), 1);
    g_bInterface485 = false;
}

} // namespace
