// A remote client on the frame's forwarding server drives a whole run: it
// finds the cases, balances, starts, receives the forwarded data, reads the
// current values and stops; the stored run holds what the cases sent.
#include "FrameRunFixture.h"
#include "server/RemoteTestSupport.h"

#include "acquisition/DataForwardServer.h"
#include "acquisition/RemotePacket.h"
#include "app/ValueConversion.h"
#include "platform/Socket.h"

#include <cmath>
#include <cstring>
#include <mutex>
#include <thread>

namespace {

// A client whose own thread collects whole packets while the test pumps the
// frame's messages.
class PacketCollector {
public:
    ~PacketCollector() {
        m_bRun = false;
        if (m_thread.joinable())
            m_thread.join();
    }
    bool Connect(std::uint16_t port) {
        if (!m_stream.Connect("127.0.0.1", port, 3000))
            return false;
        m_thread = std::thread([this] { Collect(); });
        return true;
    }
    bool Send(const std::string& command) { return m_stream.SendAll(command.data(), command.size(), 3000); }

    // The first packet from index on that matches, waiting while the frame works.
    bool WaitFor(const std::function<bool(const ReceivedPacket&)>& match, ReceivedPacket& found,
                 std::size_t from = 0) {
        return ProcessEventsUntil([&] {
            std::lock_guard<std::mutex> lock(m_mutex);
            for (std::size_t i = from; i < m_packets.size(); ++i)
                if (match(m_packets[i])) {
                    found = m_packets[i];
                    return true;
                }
            return false;
        });
    }
    std::vector<ReceivedPacket> Packets() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_packets;
    }
    std::size_t Count() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_packets.size();
    }

private:
    void Collect() {
        std::vector<std::uint8_t> inbox;
        std::uint8_t buffer[65536];
        while (m_bRun.load()) {
            const int n = m_stream.Receive(buffer, sizeof buffer, 50);
            if (n == 0 || n == platform::kSocketError)
                return;
            if (n < 0)
                continue;
            inbox.insert(inbox.end(), buffer, buffer + n);
            while (inbox.size() >= sizeof(RemotePacketHeader)) {
                ReceivedPacket packet;
                std::memcpy(&packet.header, inbox.data(), sizeof packet.header);
                const std::size_t total = sizeof packet.header + packet.header.dwLength;
                if (inbox.size() < total)
                    break;
                packet.payload.assign(inbox.begin() + sizeof packet.header,
                                      inbox.begin() + static_cast<std::ptrdiff_t>(total));
                inbox.erase(inbox.begin(), inbox.begin() + static_cast<std::ptrdiff_t>(total));
                std::lock_guard<std::mutex> lock(m_mutex);
                m_packets.push_back(std::move(packet));
            }
        }
    }

    platform::TcpStream m_stream;
    std::thread m_thread;
    std::atomic<bool> m_bRun{true};
    std::mutex m_mutex; // guards m_packets
    std::vector<ReceivedPacket> m_packets;
};

class FrameRemoteTest : public FrameRunTest {
protected:
    const char* ExtraSettings() const override { return "OutControlEnable=1\n"; }

    // The reply of the given type to a command sent now.
    ReceivedPacket Command(const std::string& command, std::uint32_t type) {
        const std::size_t from = m_client.Count();
        ReceivedPacket reply;
        EXPECT_TRUE(m_client.Send(command));
        EXPECT_TRUE(
            m_client.WaitFor([type](const ReceivedPacket& p) { return p.IsReply(type); }, reply, from))
            << command;
        return reply;
    }

    // Engineering values of unit as the frame computes them from what the
    // simulator sent, for the sample whose first value is values[0].
    static void ExpectSampleOf(int unit, const float* values) {
        const double stored0 = static_cast<double>(values[0]) * 1000.0;
        const auto raw0 = static_cast<std::int32_t>(std::llround(stored0 / kScale + kZero));
        CaseSampleBlock block{};
        const std::int64_t n = CCaseSimulator::SampleIndexOf(raw0);
        ASSERT_EQ(CCaseSimulator::Value(unit / 8, unit % 8, 0, n), raw0)
            << "unit " << unit << ": not a reading sent";
        for (int ch = 0; ch < 16; ++ch)
            block.fValues[ch] = (static_cast<float>(CCaseSimulator::Value(unit / 8, unit % 8, ch, n)) -
                                 static_cast<float>(kZero)) *
                                kScale;
        for (int ch = 0; ch < 16; ++ch)
            ASSERT_EQ(values[ch], static_cast<float>(ConvertBlockChannelValue(unit * 16 + ch, block)))
                << "unit " << unit << " channel " << ch;
    }

    PacketCollector m_client;
};

TEST_F(FrameRemoteTest, AClientFindsBalancesRunsReadsAndStops) {
    ASSERT_NE(m_frame->GetRemoteServer(), nullptr);
    ASSERT_EQ(m_frame->GetRemoteServer()->GetListenPort(), CDataForwardServer::kDefaultPort)
        << "another program holds the server port";
    ASSERT_TRUE(m_client.Connect(CDataForwardServer::kDefaultPort));
    ReceivedPacket greeting;
    ASSERT_TRUE(m_client.WaitFor(
        [](const ReceivedPacket& p) { return p.header.dwType == kRemotePacketGreeting; }, greeting));
    const std::size_t boxes = m_boxes.Records().size();

    const ReceivedPacket found = Command("QVDAS_FINDCASE", kRemoteFindCase);
    ASSERT_EQ(found.payload.size(), 16u);
    EXPECT_EQ((std::vector<std::int32_t>{found.IntAt(0), found.IntAt(1), found.IntAt(2), found.IntAt(3)}),
              (std::vector<std::int32_t>{3, 0, 1, 8}));
    EXPECT_EQ(m_frame->GetCasesFound(), 1);

    const ReceivedPacket balanced = Command("QVDAS_BALANCE", kRemoteBalance);
    ASSERT_EQ(balanced.payload.size(), 4u);
    EXPECT_EQ(balanced.IntAt(0), 4);
    ASSERT_TRUE(ProcessEventsUntil([&] { return !m_frame->GetSampling().IsBalanceRunning(); }));
    EXPECT_EQ(m_boxes.Records().size(), boxes) << "a remote search or balance asks nothing";

    UseVoltageConversion();
    SetRunSettings(SAMPLE_MODE_CONTINUOUS, 1, 0);
    const ReceivedPacket started = Command("QVDAS_STARTSAMPLE", kRemoteStartSample);
    ASSERT_EQ(started.payload.size(), 4u);
    EXPECT_EQ(started.IntAt(0), 1);

    // Forwarded data: one block of 16 float values per unit and sample.
    for (const int unit : kUnits) {
        ReceivedPacket data;
        ASSERT_TRUE(m_client.WaitFor(
            [unit](const ReceivedPacket& p) {
                return p.header.dwType == kRemotePacketData && p.header.wData == 1 &&
                       p.payload.size() == 12 + 64 && p.IntAt(0) == unit * 16;
            },
            data))
            << "unit " << unit;
        EXPECT_EQ(data.IntAt(1), 16);
        EXPECT_EQ(data.IntAt(2), 1);
        float values[16];
        std::memcpy(values, data.payload.data() + 12, sizeof values);
        ExpectSampleOf(unit, values);
    }

    const ReceivedPacket current = Command("QVDAS_CURRENT", kRemoteCurrent);
    ASSERT_EQ(current.payload.size(), 4u + 4u * 48u);
    EXPECT_EQ(current.IntAt(0), 48);
    for (std::size_t slot = 0; slot < 3; ++slot) {
        float values[16];
        std::memcpy(values, current.payload.data() + 4 + 64 * slot, sizeof values);
        ExpectSampleOf(kUnits[slot], values);
    }

    ASSERT_TRUE(ProcessEventsUntil([&] { return m_frame->GetSampling().m_nRunStoredCount >= 10; }));
    const ReceivedPacket stopped = Command("QVDAS_STOPSAMPLE", kRemoteStopSample);
    ASSERT_EQ(stopped.payload.size(), 4u);
    EXPECT_EQ(stopped.IntAt(0), 1);
    ASSERT_TRUE(WaitRunCompleted());
    EXPECT_EQ(m_boxes.Records().size(), boxes) << "a remote run asks nothing";

    // The remote project holds every sample the cases sent, in order.
    for (const int unit : kUnits) {
        const auto blocks =
            ReadBlocks(m_scratch.File("Projects/NetCtrl/NetCtrl_" + std::to_string(unit) + ".dat"));
        ASSERT_GE(blocks.size(), 10u) << "unit " << unit;
        std::int64_t expected = blocks[0].nHeader & 0xFFFFFF;
        for (const auto& block : blocks) {
            if ((block.nHeader & 0xFFFFFF) != expected)
                break; // the padding after the last sample of a slower case
            ExpectSimulatorValues(block, unit);
            ++expected;
        }
        EXPECT_GE(expected - (blocks[0].nHeader & 0xFFFFFF), 10) << "consecutive samples, none lost";
    }
}

} // namespace
