// One case link against one simulated case over loopback, without the driver.
#include "acquisition/CaseLink.h"
#include "acquisition/CaseProgramHost.h"
#include "acquisition/ChanInfoWrapper.h"

#include "CaseSimulator.h"
#include "FakeChannelSource.h"
#include "LinkTestHost.h"
#include "ThreadWakeups.h"

#include "platform/Time.h"

#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <thread>

namespace {

// Waits for a condition for at most the given time.
bool WaitFor(const std::function<bool()>& done, int milliseconds = 5000) {
    for (int waited = 0; waited < milliseconds; waited += 5) {
        if (done())
            return true;
        platform::Sleep(5);
    }
    return done();
}

class CaseLinkLoopbackTest : public ::testing::Test {
protected:
    FakeChannelSource source;
    CCaseProtocol3 encoder{&source};
    LinkTestHost host;
    std::unique_ptr<CCaseLink> link;
    std::unique_ptr<CCaseSimulator> simulator;

    void Connect(int caseNo, int modules, double rate = 200.0, CaseLinkHost* linkHost = nullptr) {
        platform::TcpListener listener;
        ASSERT_TRUE(listener.Listen("127.0.0.1", 0));
        platform::SocketAddress local;
        ASSERT_TRUE(listener.LocalAddress(local));
        CaseSimulatorOptions options;
        options.port = local.port;
        options.caseNo = caseNo;
        options.modules = modules;
        options.rate = rate;
        simulator = std::make_unique<CCaseSimulator>(options);
        simulator->Start();
        platform::TcpStream stream;
        platform::SocketAddress peer;
        ASSERT_EQ(listener.Accept(stream, 3000, &peer), 1);
        EXPECT_EQ(peer.ip, "127.0.0.2");
        link = std::make_unique<CCaseLink>(&encoder, linkHost ? linkHost : &host);
        link->Attach(std::move(stream), peer.ip);
        link->SetCaseNo(caseNo);
    }
    // Continuous sampling at the given rate, workers running, start gate open.
    void StartWorkersForContinuousRun(float rate) {
        std::int32_t params[20] = {};
        std::memcpy(&params[12], &rate, sizeof rate);
        link->SetSampleParams(params);
        link->SetSampleMode(2);
        ASSERT_TRUE(link->StartWorkers());
        g_bStartGate = 1;
    }
    void TearDown() override {
        if (link)
            link->SetReceiving(0);
        simulator.reset();
        link.reset();
    }
};

TEST_F(CaseLinkLoopbackTest, InformationRequestsAndARun) {
    Connect(1, 3);
    ASSERT_EQ(link->ReadCaseInfo(), 1);
    EXPECT_EQ(link->GetModuleCount(), 3);
    EXPECT_EQ(link->GetCaseVersion(), 2);
    ASSERT_EQ(link->ReadChannelInfo(), 1);
    EXPECT_EQ(host.packets.size(), 48u);

    ASSERT_NO_FATAL_FAILURE(StartWorkersForContinuousRun(200.0f));
    int started = -1;
    std::thread run([&] { started = link->SendSampleStartCmd(1); });
    const bool enough = WaitFor([&] { return link->QueuedSampleCount() >= 20; });
    link->SendSampleStopCmd();
    run.join();
    link->StopWorkers();
    ASSERT_TRUE(enough);
    EXPECT_EQ(started, 1);
    EXPECT_EQ(simulator->CountCommands(8, 3), 1);
    // The stop is on its way once sent: the simulator counts it when it reads it.
    WaitFor([&] { return simulator->CountCommands(11, 1) >= 1; });
    EXPECT_EQ(simulator->CountCommands(11, 1), 1);

    // Every queued set holds the three modules of one sample, in order.
    std::uint8_t buffer[65536];
    std::int64_t previous = -1;
    for (int length; (length = link->PopSampleBlock(buffer, sizeof buffer)) > 0;) {
        ASSERT_EQ(length, 3 * 68);
        CaseSampleBlock blocks[3];
        std::memcpy(blocks, buffer, sizeof blocks);
        const std::int64_t n = blocks[0].nHeader & 0xFFFFFF;
        if (previous >= 0)
            EXPECT_EQ(n, previous + 1);
        previous = n;
        for (int slot = 0; slot < 3; ++slot) {
            EXPECT_EQ(blocks[slot].nHeader, slot * 16777216 + n);
            for (int ch = 0; ch < 16; ++ch)
                ASSERT_EQ(blocks[slot].fValues[ch],
                          static_cast<float>(CCaseSimulator::Value(1, slot, ch, n)));
        }
    }
    EXPECT_GE(previous, 19);
}

// A case of the test's own: the link talks to a plain socket whose bytes the
// test writes, so a late answer arrives exactly when the test sends it.
class ScriptedCaseTest : public CaseLinkLoopbackTest {
protected:
    using Bytes = std::vector<std::uint8_t>;
    platform::TcpStream peer;

    void ConnectPeer(int caseNo) {
        platform::TcpListener listener;
        ASSERT_TRUE(listener.Listen("127.0.0.1", 0));
        platform::SocketAddress local;
        ASSERT_TRUE(listener.LocalAddress(local));
        peer = platform::TcpStream();
        ASSERT_TRUE(peer.Connect("127.0.0.1", local.port, 3000));
        platform::TcpStream accepted;
        ASSERT_EQ(listener.Accept(accepted, 3000), 1);
        link = std::make_unique<CCaseLink>(&encoder, &host);
        link->Attach(std::move(accepted), "127.0.0.1");
        link->SetCaseNo(caseNo);
    }
    // Answers each of the link's next requests with the next of answers.
    std::thread Answer(std::vector<Bytes> answers) {
        return std::thread([this, answers = std::move(answers)] {
            std::uint8_t request[2048];
            for (const Bytes& answer : answers) {
                if (peer.Receive(request, sizeof request, 3000) <= 0 ||
                    !peer.SendAll(answer.data(), answer.size()))
                    return;
            }
        });
    }
};

// The acknowledgement of an earlier command may reach the link only after the
// case-information request went out: it comes in front of the entries, and
// alone it is no answer.
TEST_F(ScriptedCaseTest, ALateAcknowledgementIsNotReadAsCaseInformation) {
    const Bytes ack = {0x55, 0xAA, 0, 0, 0, 0, 0, 2, 3, 14, 3 ^ 14 ^ 2};
    const Bytes entries = CCaseSimulator::BuildCaseInfoReply(4, 3, 2);
    Bytes ackThenEntries = ack;
    ackThenEntries.insert(ackThenEntries.end(), entries.begin(), entries.end());
    const std::vector<std::vector<Bytes>> scripts = {{ackThenEntries}, {ack, entries}};
    for (const auto& answers : scripts) {
        ASSERT_NO_FATAL_FAILURE(ConnectPeer(4));
        std::thread answering = Answer(answers);
        EXPECT_EQ(link->ReadCaseInfo(), 1);
        answering.join();
        EXPECT_EQ(link->GetModuleCount(), 3) << answers.size() << " answers";
    }
}

// A late answer to an earlier request (a case that answered a repeated
// request twice) waits in the socket: the controller block read next is the
// case's answer to that read alone.
TEST_F(ScriptedCaseTest, ALateAnswerIsNotTakenForTheControllerBlock) {
    ASSERT_NO_FATAL_FAILURE(ConnectPeer(0));
    const Bytes entries = CCaseSimulator::BuildCaseInfoReply(0, 2, 2);
    std::thread answering = Answer({entries});
    ASSERT_EQ(link->ReadCaseInfo(), 1);
    answering.join();
    ASSERT_TRUE(peer.SendAll(entries.data(), entries.size()));
    ASSERT_EQ(link->GetSocket().WaitReadable(3000), 1);

    Bytes block(CCaseLink::kModuleReplySize, 0);
    block[14] = 127;
    answering = Answer({block});
    EXPECT_EQ(link->SendModuleCmdF0(0), 1);
    answering.join();
    EXPECT_EQ(link->GetModuleReply()[14], 127);
}

// A run whose case goes quiet: the link's threads sleep until bytes come or
// the run ends, never waking on a timer meanwhile; the link stops counting
// as live once it was silent for its limit and is live again with the next
// bytes; and a stop ends the quiet wait.
TEST_F(ScriptedCaseTest, AQuietRunSleepsUntilBytesOrTheStop) {
    ASSERT_NO_FATAL_FAILURE(ConnectPeer(0));
    const Bytes info = CCaseSimulator::BuildCaseInfoReply(0, 1, 2);
    ASSERT_EQ(link->ParseCaseInfoReply(info.data(), static_cast<int>(info.size())), 1);
    const std::map<int, long> earlierThreads = VoluntarySwitchesByThread();
    ASSERT_NO_FATAL_FAILURE(StartWorkersForContinuousRun(100.0f));
    link->SetSilenceLimit(300);
    std::atomic<bool> ended{false};
    std::thread run([&] {
        link->SendSampleStartCmd(1);
        ended = true;
    });
    std::uint8_t request[2048];
    ASSERT_GT(peer.Receive(request, sizeof request, 5000), 0) << "the start command";
    const auto sendSample = [&](std::int64_t n) {
        Bytes unit;
        CCaseSimulator::AppendUnit(unit, 0, 0, n, 2);
        return peer.SendAll(unit.data(), unit.size());
    };

    ASSERT_TRUE(sendSample(0));
    EXPECT_TRUE(WaitFor([&] { return link->QueuedSampleCount() == 1; }));
    EXPECT_TRUE(WaitFor([&] { return link->IsAlive() == 0; })) << "silent past the limit";
    const std::map<int, long> quietFrom = VoluntarySwitchesByThread();
    platform::Sleep(600);
    EXPECT_LE(WakeupsSince(quietFrom, earlierThreads), 3) << "the link's threads woke while nothing came";

    ASSERT_TRUE(sendSample(1));
    EXPECT_TRUE(WaitFor([&] { return link->IsAlive() == 1 && link->QueuedSampleCount() == 2; }))
        << "live again with the next bytes";
    EXPECT_TRUE(WaitFor([&] { return link->IsAlive() == 0; }));
    link->SetReceiving(0);
    EXPECT_TRUE(WaitFor([&] { return ended.load(); }, 10000)) << "the stop woke the wait";
    run.join();
    link->StopWorkers();
}

TEST_F(CaseLinkLoopbackTest, FrameModeCarriesTheChosenChannelOfEachModule) {
    Connect(1, 2, 300.0);
    ASSERT_EQ(link->ReadCaseInfo(), 1);
    link->SetDataMode(2);
    ASSERT_EQ(link->SendCmd37(2), 1);
    for (int id : {1 * 128 + 0 * 16 + 5, 1 * 128 + 1 * 16 + 15}) {
        link->SetModuleChannel(id);
        ASSERT_EQ(link->SendModuleChannelCmd(id), 1);
    }
    ASSERT_NO_FATAL_FAILURE(StartWorkersForContinuousRun(300.0f));
    std::thread run([&] { link->SendSampleStartCmd(1); });
    const bool enough = WaitFor([&] { return link->QueuedSampleCount() >= 10; });
    link->SendSampleStopCmd();
    run.join();
    link->StopWorkers();
    ASSERT_TRUE(enough);

    std::uint8_t buffer[65536];
    int sets = 0;
    for (int length; (length = link->PopSampleBlock(buffer, sizeof buffer)) > 0; ++sets) {
        ASSERT_EQ(length, 2 * 68);
        CaseSampleBlock blocks[2];
        std::memcpy(blocks, buffer, sizeof blocks);
        EXPECT_EQ(blocks[0].nHeader, 0);
        EXPECT_EQ(blocks[1].nHeader, 1);
        const std::int64_t n = CCaseSimulator::SampleIndexOf(static_cast<std::int32_t>(blocks[0].fValues[5]));
        EXPECT_EQ(blocks[0].fValues[5], static_cast<float>(CCaseSimulator::Value(1, 0, 5, n)));
        EXPECT_EQ(blocks[1].fValues[15], static_cast<float>(CCaseSimulator::Value(1, 1, 15, n)));
        EXPECT_EQ(blocks[1].fValues[0], 0.0f) << "a frame carries one channel a module";
    }
    EXPECT_GE(sets, 10);
}

TEST_F(CaseLinkLoopbackTest, MalformedAndTruncatedSamplesDoNotStopTheStream) {
    Connect(0, 3, 500.0);
    ASSERT_EQ(link->ReadCaseInfo(), 1);
    ASSERT_NO_FATAL_FAILURE(StartWorkersForContinuousRun(500.0f));
    std::thread run([&] { link->SendSampleStartCmd(1); });
    std::vector<std::vector<CaseSampleBlock>> sets;
    auto popInto = [&] {
        std::uint8_t buffer[65536];
        for (int length; (length = link->PopSampleBlock(buffer, sizeof buffer)) > 0;) {
            std::vector<CaseSampleBlock> set(static_cast<std::size_t>(length) / sizeof(CaseSampleBlock));
            std::memcpy(set.data(), buffer, static_cast<std::size_t>(length));
            sets.push_back(set);
        }
        return sets.size();
    };
    ASSERT_TRUE(WaitFor([&] { return popInto() >= 20; }));
    simulator->InjectFault(CCaseSimulator::Fault::Malformed);
    ASSERT_TRUE(WaitFor([&] { return popInto() >= 40; }));
    simulator->InjectFault(CCaseSimulator::Fault::Truncated);
    const std::size_t afterFaults = popInto();
    ASSERT_TRUE(WaitFor([&] { return popInto() >= afterFaults + 40; }));
    link->SendSampleStopCmd();
    run.join();
    link->StopWorkers();

    // Every set has the three modules; once the stream is in step again the
    // values are exact.
    for (const auto& set : sets)
        ASSERT_EQ(set.size(), 3u);
    for (std::size_t i = sets.size() - 20; i < sets.size(); ++i) {
        const std::int64_t n = sets[i][0].nHeader & 0xFFFFFF;
        for (int slot = 0; slot < 3; ++slot)
            for (int ch = 0; ch < 16; ++ch)
                ASSERT_EQ(sets[i][slot].fValues[ch],
                          static_cast<float>(CCaseSimulator::Value(0, slot, ch, n)));
    }
}

TEST_F(CaseLinkLoopbackTest, CommandsReachTheCaseWhole) {
    Connect(0, 8);
    ASSERT_EQ(link->ReadCaseInfo(), 1);
    EXPECT_EQ(link->SendModuleCmdF0(0), 1);
    EXPECT_EQ(link->GetModuleReply()[14], 127) << "the controller's block";
    std::vector<int> all(128);
    for (int i = 0; i < 128; ++i)
        all[i] = i;
    // 1,820 bytes with 8 modules: sent in two writes, received as one command.
    EXPECT_EQ(link->SendChannelParamCmd(all), 1);
    EXPECT_EQ(link->SendSampleParam(2), 1);
    EXPECT_EQ(link->SendSampleParam(0), 1) << "nothing to send counts as success";
    ASSERT_TRUE(WaitFor([&] { return simulator->CountCommands(16, 1) == 1; }));
    // Found by its code: a slow case may have been asked for its information twice.
    const auto commands = simulator->GetCommands();
    const auto params = std::find_if(commands.begin(), commands.end(),
                                     [](const auto& c) { return c.size() >= 3 && c[0] == 3 && c[1] == 14; });
    ASSERT_NE(params, commands.end());
    EXPECT_EQ(params->size(), 1811u);
    EXPECT_EQ((*params)[2], 8);
    const auto isParams = [](const auto& c) { return !c.empty() && c[0] == 3; };
    EXPECT_EQ(std::count_if(commands.begin(), commands.end(), isParams), 1) << "two writes, one command";
}

// Records the controller blocks the link hands its sink.
struct BlockSink : platform::MessageTarget {
    platform::LRESULT WindowProc(platform::UINT message, platform::WPARAM wParam,
                                 platform::LPARAM lParam) override {
        if (message == 0x872) {
            const auto* bytes = reinterpret_cast<const std::uint8_t*>(lParam);
            blocks.emplace_back(bytes, bytes + CCaseLink::kModuleReplySize);
            codes.push_back(static_cast<int>(wParam));
        }
        return 0;
    }
    std::vector<std::vector<std::uint8_t>> blocks;
    std::vector<int> codes;
};

TEST_F(CaseLinkLoopbackTest, NetworkParameterExchangesNeedAReply) {
    Connect(0, 1);
    BlockSink sink;
    ASSERT_EQ(link->SendModuleCmdF0(sink.GetSafeHwnd()), 1);
    ASSERT_EQ(sink.blocks.size(), 1u);
    EXPECT_EQ(sink.blocks[0], simulator->GetNetParams());
    EXPECT_EQ(sink.blocks[0][14], 127);
    EXPECT_EQ(sink.blocks[0][17], 2);

    std::uint8_t second[13] = {0, 0, 0, 0, 0x17, 0x71, 10, 0, 0, 9, 0x13, 0x8A, 2};
    ASSERT_EQ(link->SendModuleCmdF2(sink.GetSafeHwnd(), second), 1);
    ASSERT_EQ(sink.blocks.size(), 2u);
    EXPECT_EQ(sink.codes[1], 2);
    EXPECT_EQ(sink.blocks[1][19], 0x71) << "the reply is the changed block";

    // A short read and a silent controller fail and hand nothing over; a short
    // acknowledgement of a write succeeds without showing earlier bytes.
    simulator->SetNetParamReplyLength(40);
    EXPECT_EQ(link->SendModuleCmdF0(sink.GetSafeHwnd()), 0);
    EXPECT_EQ(link->SendModuleCmdF2(sink.GetSafeHwnd(), second), 1);
    simulator->SetNetParamReplyLength(0);
    EXPECT_EQ(link->SendModuleCmdF0(sink.GetSafeHwnd()), 0);
    EXPECT_EQ(link->SendModuleCmdF2(sink.GetSafeHwnd(), second), 0);
    EXPECT_EQ(sink.blocks.size(), 2u);
}

TEST_F(CaseLinkLoopbackTest, ChannelInformationReachesTheLibrary) {
    const ScratchFolder scratch;
    g_ChanInfo.SetParamFileName(scratch.File("chaninfo.ini"));
    CaseProgramHost programHost{scratch.Path()};
    Connect(2, 2, 200.0, &programHost);
    ASSERT_EQ(link->ReadCaseInfo(), 1);
    ASSERT_EQ(link->ReadChannelInfo(), 1);
    for (int channel : {2 * 128, 2 * 128 + 31}) {
        EXPECT_EQ(g_ChanInfo.GetAcqChannelTypeID(channel), 3) << channel;
        EXPECT_EQ(g_ChanInfo.GetChannelSubVersion(channel), 1) << channel;
        EXPECT_FLOAT_EQ(g_ChanInfo.GetChannelFullCoief(channel, 4), 1.25f) << channel;
    }
    EXPECT_EQ(g_ChanInfo.GetAcqChannelTypeID(3 * 128), 1) << "no packet: the library's default";
}

TEST_F(CaseLinkLoopbackTest, SendFailureMarksTheLinkNotAlive) {
    Connect(0, 1);
    simulator->Stop();
    link->GetSocket().Close();
    EXPECT_EQ(link->SendCmd37(1), 0);
    EXPECT_EQ(link->IsAlive(), 0);
}

} // namespace
