// A remote client on the frame's forwarding server drives a whole run: it
// finds the cases, balances, starts, receives the forwarded data, reads the
// current values and stops; the stored run holds what the cases sent.
#include "FrameRunFixture.h"
#include "RemotePacketCollector.h"
#include "SimulatedCaseStops.h"

#include "acquisition/DataForwardServer.h"
#include "acquisition/RemotePacket.h"
#include "model/ValueConversion.h"
#include "platform/Socket.h"

#include <QStringList>

#include <chrono>
#include <cmath>
#include <cstring>
#include <mutex>
#include <thread>

namespace {

class FrameRemoteTest : public FrameRunTest {
protected:
    const char* ExtraSettings() const override { return "OutControlEnable=1\n"; }

    // The client connects to the frame's server and is greeted.
    void ConnectClient() {
        ASSERT_TRUE(m_client.Connect(CDataForwardServer::kDefaultPort));
        ReceivedPacket greeting;
        ASSERT_TRUE(m_client.WaitFor(
            [](const ReceivedPacket& p) { return p.header.dwType == kRemotePacketGreeting; }, greeting));
    }

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
    ConnectClient();
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
    // Asked before the run's first set has reached the frame: there is
    // nothing measured to send yet (checked with the replies below).
    EXPECT_TRUE(m_client.Send("QVDAS_CURRENT"));

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

    Command("QVDAS_CURRENT", kRemoteCurrent);
    // Every reply, the one asked at the start too, carries readings the cases sent.
    for (const ReceivedPacket& current : m_client.Packets()) {
        if (!current.IsReply(kRemoteCurrent))
            continue;
        ASSERT_EQ(current.payload.size(), 4u + 4u * 48u);
        EXPECT_EQ(current.IntAt(0), 48);
        for (std::size_t slot = 0; slot < 3; ++slot) {
            float values[16];
            std::memcpy(values, current.payload.data() + 4 + 64 * slot, sizeof values);
            ExpectSampleOf(kUnits[slot], values);
        }
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

// A client that stops a run moments after starting it, while the program may
// still be starting it: each run ends and says so, no case streams on after
// the stop, nothing asks, and the next start runs and stores.
TEST_F(FrameRemoteTest, AStopRightAfterAStartEndsTheRunAndTheNextStartStores) {
    ConnectClient();
    ASSERT_EQ(Command("QVDAS_FINDCASE", kRemoteFindCase).payload.size(), 16u);
    UseVoltageConversion();
    const std::size_t boxes = m_boxes.Records().size();
    const auto reply = [](std::uint32_t type) {
        return [type](const ReceivedPacket& p) { return p.IsReply(type); };
    };
    const auto expectCasesStopped = [&] {
        ExpectCasesLeftStopped(m_simulators,
                               [](std::uint32_t ms) { ProcessEventsUntil([] { return false; }, ms); });
    };

    for (const int mode : {SAMPLE_MODE_SINGLE, SAMPLE_MODE_CONTINUOUS}) {
        SetRunSettings(mode, 1, 0);
        for (const int delayMs : {100, 500, 1000}) {
            SCOPED_TRACE("mode " + std::to_string(mode) + ", stop after " + std::to_string(delayMs) + " ms");
            const std::size_t from = m_client.Count();
            ASSERT_TRUE(m_client.Send("QVDAS_STARTSAMPLE"));
            ProcessEventsUntil([] { return false; }, static_cast<std::uint32_t>(delayMs));
            ASSERT_TRUE(m_client.Send("QVDAS_STOPSAMPLE"));
            ReceivedPacket started, ended;
            ASSERT_TRUE(m_client.WaitFor(reply(kRemoteStartSample), started, from));
            EXPECT_EQ(started.IntAt(0), 1);
            ASSERT_TRUE(m_client.WaitFor(reply(kRemoteStopSample), ended, from)) << "the run's end is told";
            EXPECT_EQ(ended.IntAt(0), 1);
            ASSERT_TRUE(WaitRunCompleted());
            expectCasesStopped();
        }
    }

    SetRunSettings(SAMPLE_MODE_SINGLE, 1, 0);
    const std::size_t from = m_client.Count();
    const ReceivedPacket started = Command("QVDAS_STARTSAMPLE", kRemoteStartSample);
    EXPECT_EQ(started.IntAt(0), 1);
    ReceivedPacket ended;
    ASSERT_TRUE(m_client.WaitFor(reply(kRemoteStopSample), ended, from)) << "the single sample ends the run";
    ASSERT_TRUE(WaitRunCompleted());
    EXPECT_EQ(m_frame->GetSampling().m_nRunStoredCount, 1);
    for (const int unit : kUnits) {
        const auto blocks =
            ReadBlocks(m_scratch.File("Projects/NetCtrl/NetCtrl_" + std::to_string(unit) + ".dat"));
        ASSERT_EQ(blocks.size(), 1u) << "unit " << unit;
        ExpectSimulatorValues(blocks[0], unit);
    }
    expectCasesStopped();
    EXPECT_EQ(m_boxes.Records().size(), boxes) << "nothing waits for a click";
}

// Connections to the case port that close at once (a port check, a scanner,
// a case that went away) are freed and take no part in a search: the menu's
// search and a client's search both find the two real cases.
TEST_F(FrameRemoteTest, ConnectionsThatCloseAtOnceAreFreedAndIgnoredBySearches) {
    CNetCaseDriver& driver = dynamic_cast<CNetComm*>(m_frame->GetCommBase())->GetDriver();
    // No case number in the map file: each would count as a second case 1.
    const std::vector<std::string> strays = {"127.0.0.1", "127.0.1.1", "127.0.1.2", "127.0.1.3", "127.0.1.4"};
    for (const std::string& address : strays) {
        platform::TcpStream stray;
        ASSERT_TRUE(stray.Connect("127.0.0.1", CNetComm::kCasePort, 3000, address)) << address;
    }
    ProcessEventsUntil([] { return false; }, 1000); // the program accepts them
    EXPECT_TRUE(ProcessEventsUntil([&] {
        return driver.GetLinkCount() == 2 && m_shell->GetConnections().GetConnectedAddresses().size() == 2;
    })) << "closed links are freed, not kept";

    m_boxes.QueueAnswer(platform::IDNO);
    ASSERT_TRUE(m_frame->RunCommand(32794));
    ASSERT_FALSE(m_boxes.Records().empty());
    EXPECT_EQ(m_boxes.Records().back().text, "找到如下机箱:\n\n01-01  01-02  \n02-01  ");
    ASSERT_EQ(g_nCaseCount, 3);
    // The module window shows what the search found, for the live links only.
    const QStringList info = m_shell->GetModuleInfoText().split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(info.size(), 2) << info.join('|').toStdString();
    EXPECT_TRUE(info.contains("IP: 127.0.0.2  机箱: 01  模块: 01 02")) << info.join('|').toStdString();
    EXPECT_TRUE(info.contains("IP: 127.0.0.3  机箱: 02  模块: 01")) << info.join('|').toStdString();

    ASSERT_TRUE(m_client.Connect(CDataForwardServer::kDefaultPort));
    const std::size_t boxes = m_boxes.Records().size();
    // A case that goes away just before the search.
    {
        platform::TcpStream stray;
        ASSERT_TRUE(stray.Connect("127.0.0.1", CNetComm::kCasePort, 3000, "127.0.1.9"));
    }
    const ReceivedPacket found = Command("QVDAS_FINDCASE", kRemoteFindCase);
    ASSERT_EQ(found.payload.size(), 16u);
    EXPECT_EQ((std::vector<std::int32_t>{found.IntAt(0), found.IntAt(1), found.IntAt(2), found.IntAt(3)}),
              (std::vector<std::int32_t>{3, 0, 1, 8}));
    EXPECT_EQ(m_boxes.Records().size(), boxes);
    EXPECT_TRUE(ProcessEventsUntil([&] { return driver.GetLinkCount() == 2; }));
}

// Two cases mapped to one case number: the menu's search says so in a box; a
// client's search shows none (nobody is there to click it) and gets the
// answer of a search that found nothing.
class FrameRemoteDuplicateTest : public FrameRemoteTest {
protected:
    const char* MapText() const override { return "[127.0.0.2]\r\nMapID=0\r\n[127.0.0.3]\r\nMapID=0\r\n"; }
};

TEST_F(FrameRemoteDuplicateTest, ARemoteSearchAnswersWithoutABox) {
    ASSERT_TRUE(m_client.Connect(CDataForwardServer::kDefaultPort));
    const std::size_t boxes = m_boxes.Records().size();
    const auto asked = std::chrono::steady_clock::now();
    const ReceivedPacket found = Command("QVDAS_FINDCASE", kRemoteFindCase);
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(8));
    ASSERT_EQ(found.payload.size(), 4u);
    EXPECT_EQ(found.IntAt(0), 0);
    EXPECT_EQ(m_boxes.Records().size(), boxes) << "no box on the remote path";
    EXPECT_EQ(m_frame->GetSampling().m_bRemoteRequest, 0);

    ASSERT_TRUE(m_frame->RunCommand(32794));
    ASSERT_GT(m_boxes.Records().size(), boxes);
    EXPECT_EQ(m_boxes.Records()[boxes].text, "检测到多个1号机，请检查控制器设置。");
}

// A remote start prepares the program's remote project every time: what the
// last run left there (its data, the case links' logs) must not stop the
// next start, and the client hears the start and the end of both runs.
TEST_F(FrameRemoteTest, TwoRemoteStartsInARowBothAnswerStartAndEnd) {
    ConnectClient();
    ASSERT_EQ(Command("QVDAS_FINDCASE", kRemoteFindCase).payload.size(), 16u);
    const std::size_t boxes = m_boxes.Records().size();
    SetRunSettings(SAMPLE_MODE_CONTINUOUS, 1, 0);

    for (int run = 1; run <= 2; ++run) {
        const ReceivedPacket started = Command("QVDAS_STARTSAMPLE", kRemoteStartSample);
        ASSERT_EQ(started.payload.size(), 4u) << "run " << run;
        EXPECT_EQ(started.IntAt(0), 1) << "run " << run;
        ASSERT_TRUE(ProcessEventsUntil([&] { return m_frame->GetSampling().m_nRunStoredCount >= 3; }))
            << "run " << run;
        const ReceivedPacket ended = Command("QVDAS_STOPSAMPLE", kRemoteStopSample);
        ASSERT_EQ(ended.payload.size(), 4u) << "run " << run;
        EXPECT_EQ(ended.IntAt(0), 1) << "run " << run;
        ASSERT_TRUE(WaitRunCompleted()) << "run " << run;
    }
    EXPECT_EQ(m_boxes.Records().size(), boxes) << "a remote start asks nothing";

    // The case logs went to the program's log folder, not into the project.
    for (const auto& entry : std::filesystem::directory_iterator(m_scratch.File("Projects/NetCtrl")))
        EXPECT_NE(entry.path().extension(), ".log") << entry.path();
    EXPECT_TRUE(std::filesystem::exists(m_scratch.File("Log/127.0.0.2.log")));
}

// Every place of the frame's server taken by clients that never say a word:
// a real client still gets its greeting and its answers.
TEST_F(FrameRemoteTest, IdleClientsDoNotLockOutARealClient) {
    std::vector<std::unique_ptr<RemoteTestClient>> idle;
    for (int i = 0; i < CDataForwardServer::kMaxClients; ++i) {
        idle.push_back(std::make_unique<RemoteTestClient>());
        ASSERT_TRUE(idle.back()->Connect(CDataForwardServer::kDefaultPort)) << i;
        ASSERT_TRUE(idle.back()->ReadGreeting()) << i;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(CDataForwardServer::kIdleGraceMs + 200));
    ConnectClient();
    EXPECT_EQ(Command("QVDAS_FINDCASE", kRemoteFindCase).payload.size(), 16u);
}

// A remote start that cannot prepare its project (the folder holds a file
// that is not the project's) still answers: the start failed, nothing ran.
TEST_F(FrameRemoteTest, ARemoteStartThatCannotPrepareAnswersWithoutAsking) {
    ConnectClient();
    ASSERT_EQ(Command("QVDAS_FINDCASE", kRemoteFindCase).payload.size(), 16u);
    std::filesystem::create_directories(m_scratch.File("Projects/NetCtrl"));
    std::ofstream(m_scratch.File("Projects/NetCtrl/notes.txt")) << "the user's own file";
    const std::size_t boxes = m_boxes.Records().size();
    SetRunSettings(SAMPLE_MODE_CONTINUOUS, 1, 0);

    const ReceivedPacket started = Command("QVDAS_STARTSAMPLE", kRemoteStartSample);
    ASSERT_EQ(started.payload.size(), 4u);
    EXPECT_EQ(started.IntAt(0), 0);
    EXPECT_FALSE(IsRunActive());
    EXPECT_EQ(m_boxes.Records().size(), boxes);
    EXPECT_TRUE(std::filesystem::exists(m_scratch.File("Projects/NetCtrl/notes.txt")));
}

} // namespace
