// Simulated cases over loopback against the network transport: search,
// channel information, a continuous run, a relink in the middle of a run, a
// silent case, a case-number conflict and connections that never answer.
#include "acquisition/NetComm.h"

#include "CaseSimulator.h"
#include "DriverTestOwner.h"
#include "FakeChannelSource.h"
#include "LinkTestHost.h"

#include "datafiles/SampleFileFormat.h"
#include "model/CaseTables.h"
#include "model/ProjectState.h"
#include "model/RunFlags.h"
#include "platform/Text.h"

#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

namespace {

struct SimulatedCase {
    const char* address;
    int mapId;
    int modules;
};

class NetCaseLoopbackTest : public ::testing::Test {
protected:
    ScratchFolder scratch;
    FakeChannelSource source;
    LinkTestHost host;
    DriverTestOwner owner;
    std::unique_ptr<CNetComm> comm;
    std::vector<std::unique_ptr<CCaseSimulator>> simulators;

    void SetUp() override {
        platform::SetUiThread();
        host.programFolder = scratch.Path();
        comm = std::make_unique<CNetComm>(&host, 0);
        comm->CreateProtocol(3, &source);
        ASSERT_EQ(comm->SetOwner(owner.GetSafeHwnd()), 1);
    }
    void TearDown() override {
        if (comm) {
            comm->StopSampling();
            comm->GetDriver().StopProcessingThread();
            comm->GetDriver().StopWatchdog();
        }
        simulators.clear();
        comm.reset();
    }

    void Connect(const std::vector<SimulatedCase>& cases, double rate = 100.0) {
        StartSimulators(cases, rate);
        ASSERT_TRUE(
            PumpUntil([&] { return comm->GetDriver().GetLinkCount() == static_cast<int>(cases.size()); }));
    }
    void StartSimulators(const std::vector<SimulatedCase>& cases, double rate = 100.0) {
        std::ofstream map(host.programFolder + "/MapCfg.ini");
        for (const auto& c : cases)
            map << "[" << c.address << "]\r\nMapID=" << c.mapId << "\r\n";
        map.close();
        for (const auto& c : cases) {
            CaseSimulatorOptions options;
            options.port = comm->GetDriver().GetListenPort();
            options.localIp = c.address;
            options.caseNo = c.mapId;
            options.modules = c.modules;
            options.rate = rate;
            simulators.push_back(std::make_unique<CCaseSimulator>(options));
            simulators.back()->Start();
        }
    }

    // Without processing, only the case files take the samples.
    void StartRun(float rate = 100.0f, bool process = true) {
        std::int32_t params[20] = {};
        std::memcpy(&params[12], &rate, sizeof rate);
        comm->SetSampleMode(2);
        comm->SetSampleParams(params);
        if (process)
            comm->GetDriver().StartProcessingThread();
        comm->StartSampling();
    }

    void StartStoringRun(float rate) {
        comm->SetCaseDataFile(scratch.Path(), "run");
        comm->SetCaseOption(1, 0);
        StartRun(rate, false);
    }
    std::uintmax_t FileSize(int module, const char* extension) {
        std::error_code error;
        const auto size =
            std::filesystem::file_size(scratch.Path() + "/run_" + std::to_string(module) + extension, error);
        return error ? 0 : size;
    }

    // Every delivered set: the modules of each case carry one sample, the
    // values the simulator sent for it.
    void ExpectSetsMatchTheSimulators(const std::vector<SimulatedCase>& cases, int fromDelivery = 0) {
        std::lock_guard<std::mutex> lock(owner.mutex);
        int checked = 0;
        for (std::size_t d = fromDelivery; d < owner.deliveries.size(); ++d) {
            const auto& arrays = owner.deliveries[d].arrays;
            for (std::size_t s = 0; s < arrays[0].size(); ++s) {
                for (const auto& c : cases) {
                    const CaseSampleBlock& first = arrays[c.mapId * 8][s];
                    if (first.nHeader < 0)
                        continue; // that case had no sample for this set
                    const std::int64_t n = first.nHeader & 0xFFFFFF;
                    for (int slot = 0; slot < c.modules; ++slot) {
                        const CaseSampleBlock& block = arrays[c.mapId * 8 + slot][s];
                        ASSERT_EQ(block.nHeader, slot * 16777216 + n);
                        for (int ch = 0; ch < 16; ++ch)
                            ASSERT_EQ(block.fValues[ch],
                                      static_cast<float>(CCaseSimulator::Value(c.mapId, slot, ch, n)));
                    }
                    ++checked;
                }
            }
        }
        EXPECT_GT(checked, 0);
    }
};

const std::vector<SimulatedCase> kThreeCases = {
    {"127.0.0.2", 0, 8}, {"127.0.0.3", 1, 4}, {"127.0.0.4", 2, 2}};

TEST_F(NetCaseLoopbackTest, SearchChannelInformationAndAContinuousRun) {
    Connect(kThreeCases);
    EXPECT_EQ(comm->FindCases(), 14);
    EXPECT_EQ(comm->GetCaseNumberConflict(), 0);
    EXPECT_EQ(g_nCaseCount, 14);
    EXPECT_EQ(g_CaseList[8], 8) << "case 1's first module follows case 0's eight";
    EXPECT_EQ(g_CaseList[13], 17);
    EXPECT_EQ(g_nChannelCount, 14 * 16);
    ASSERT_EQ(comm->GetControllerTable().size(), 3u);
    EXPECT_EQ(comm->GetControllerTable()[2].nController, 2);
    EXPECT_STREQ(comm->GetControllerTable()[2].szAddress, "127.0.0.4");
    // Each case lists its modules by slot.
    EXPECT_EQ(comm->GetControllerTable()[2].nCases, 2);
    EXPECT_EQ(comm->GetControllerTable()[2].nCaseNo[1], 1);
    EXPECT_EQ(g_nControllerCount, 3);
    EXPECT_EQ(g_nCaseStatusMin.load(), 2) << "all modules of version 2";

    EXPECT_EQ(comm->ReadChannelInfo(), 1);
    EXPECT_EQ(host.packets.size(), 14u * 16u);
    EXPECT_EQ(host.packets.count(2 * 128 + 31), 1u);

    StartRun();
    ASSERT_TRUE(PumpUntil([&] { return owner.SetsDelivered() >= 100; }));
    std::size_t whileLive = 0;
    {
        std::lock_guard<std::mutex> lock(owner.mutex);
        whileLive = owner.deliveries.size();
    }
    comm->StopSampling();
    comm->GetDriver().StopProcessingThread();
    for (auto& simulator : simulators) {
        EXPECT_EQ(simulator->CountCommands(8, 3), 1);
        EXPECT_EQ(simulator->CountCommands(11, 1), 1);
        EXPECT_EQ(simulator->CountCommands(16, 1), 1);
        EXPECT_FALSE(simulator->IsStreaming());
    }
    ExpectSetsMatchTheSimulators(kThreeCases);

    // While all three were live, every set was complete.
    std::lock_guard<std::mutex> lock(owner.mutex);
    for (std::size_t d = 0; d < whileLive; ++d) {
        for (const auto& c : kThreeCases) {
            for (const auto& block : owner.deliveries[d].arrays[c.mapId * 8 + c.modules - 1])
                ASSERT_GE(block.nHeader, 0) << c.address;
        }
    }
}

// The relinked case's file: what it stored before the drop, one run of
// blocks that never came (no unit, every reading the no-value marker, each
// status record invalid and labelled), then what it stored after its return.
struct StoredAroundAGap {
    int before = 0, gap = 0, after = 0;
    std::vector<std::string> faults;
};

StoredAroundAGap ReadStoredRun(const std::string& dat, const std::string& stu, int caseNo, int slot) {
    StoredAroundAGap run;
    std::ifstream blocksFile(dat, std::ios::binary), statusFile(stu, std::ios::binary);
    const std::string gapLabel = platform::Utf8ToGbk(CCaseLink::kLinkLostLabel);
    CaseSampleBlock block;
    SampleStatusRecord status;
    while (blocksFile.read(reinterpret_cast<char*>(&block), sizeof block)) {
        if (!statusFile.read(reinterpret_cast<char*>(&status), sizeof status)) {
            run.faults.push_back("a block without its status record");
            break;
        }
        const int index = run.before + run.gap + run.after;
        if (block.nHeader < 0) {
            if (run.after > 0)
                run.faults.push_back("a second gap at " + std::to_string(index));
            ++run.gap;
            for (float value : block.fValues)
                if (value != kNoValue)
                    run.faults.push_back("a number in the gap at " + std::to_string(index));
            if (status.nStatus != 1 || StatusLabel(status) != gapLabel)
                run.faults.push_back("an unmarked status in the gap at " + std::to_string(index));
            continue;
        }
        (run.gap > 0 ? run.after : run.before) += 1;
        const std::int64_t n = block.nHeader & 0xFFFFFF;
        for (int ch = 0; ch < 16; ++ch)
            if (block.fValues[ch] != static_cast<float>(CCaseSimulator::Value(caseNo, slot, ch, n)))
                run.faults.push_back("a wrong reading at " + std::to_string(index));
        if (status.nStatus != 0)
            run.faults.push_back("a marked status at sample " + std::to_string(index));
    }
    return run;
}

// A case whose connection drops in the middle of a run comes back: the
// fault alert shows it while it is away and clears when it is back, the
// live sets show it as "no value" meanwhile, and its samples after the
// return are stored behind a marked gap as long as the time it was away.
TEST_F(NetCaseLoopbackTest, ACaseThatDropsMidRunIsStoredAfterItsReturnBehindAMarkedGap) {
    const ScratchFolder data;
    Connect(kThreeCases);
    ASSERT_EQ(comm->FindCases(), 14);
    comm->SetCaseDataFile(data.Path(), "run");
    comm->SetCaseOption(1, 0);
    StartRun();
    ASSERT_TRUE(PumpUntil([&] { return owner.SetsDelivered() >= 50; }));

    simulators[1]->InjectFault(CCaseSimulator::Fault::Drop);
    ASSERT_TRUE(PumpUntil(
        [&] { return simulators[1]->GetConnectCount() == 2 && owner.linkedAddresses.size() >= 4; }));
    EXPECT_EQ(comm->GetDriver().GetLinkCount(), 3);
    EXPECT_EQ(owner.linkedAddresses.back(), "127.0.0.3");
    std::size_t before = 0;
    {
        std::lock_guard<std::mutex> lock(owner.mutex);
        before = owner.deliveries.size();
    }
    // Started again after its pause, it delivers for a second.
    ASSERT_TRUE(PumpUntil([&] { return simulators[1]->IsStreaming(); }, 15000));
    platform::PumpMessagesFor(1000, [] { return false; });
    EXPECT_EQ(simulators[1]->CountCommands(8, 3), 2) << "the new connection got its own start command";
    comm->StopSampling();
    comm->GetDriver().StopProcessingThread();
    ExpectSetsMatchTheSimulators(kThreeCases, static_cast<int>(before));

    {
        std::lock_guard<std::mutex> lock(owner.mutex);
        int away = 0, back = 0;
        for (std::size_t d = before; d < owner.deliveries.size(); ++d) {
            for (const CaseSampleBlock& block : owner.deliveries[d].arrays[8]) {
                if (block.nHeader >= 0)
                    ++back;
                else if (back == 0 && block.fValues[0] == kNoValue)
                    ++away;
            }
        }
        EXPECT_GT(away, 0) << "sets while the case was away show it without a value";
        EXPECT_GT(back, 0) << "sets after its return carry it again";
        // The alert: first the case, then a list without it.
        auto lists = [&](const std::vector<DeadLinkEntry>& dead) {
            return std::any_of(dead.begin(), dead.end(),
                               [](const DeadLinkEntry& e) { return e.strAddress == "127.0.0.3"; });
        };
        const auto down = std::find_if(owner.deadReports.begin(), owner.deadReports.end(), lists);
        ASSERT_NE(down, owner.deadReports.end()) << "the drop was reported";
        EXPECT_EQ(down->front().nCaseNo, 1);
        EXPECT_NE(std::find_if_not(down + 1, owner.deadReports.end(), lists), owner.deadReports.end())
            << "the return was reported";
    }

    const auto stored = [&](int module) {
        return std::filesystem::file_size(data.File("run_" + std::to_string(module) + ".dat")) /
               sizeof(CaseSampleBlock);
    };
    for (int slot = 0; slot < 4; ++slot) {
        const int module = 8 + slot;
        const StoredAroundAGap run =
            ReadStoredRun(data.File("run_" + std::to_string(module) + ".dat"),
                          data.File("run_" + std::to_string(module) + ".stu"), 1, slot);
        EXPECT_TRUE(run.faults.empty()) << run.faults.front();
        EXPECT_GE(run.before, 40) << module;
        EXPECT_GE(run.after, 80) << module << ": the samples after the return are stored";
        // Away for its pause of 3 s and more at 100 Hz.
        EXPECT_GE(run.gap, 300) << module;
        EXPECT_LE(run.gap, 600) << module;
        // The gap keeps the case in step with the cases that stayed.
        const auto steady = static_cast<std::int64_t>(stored(0));
        EXPECT_NEAR(run.before + run.gap + run.after, steady, 40) << module;
    }
}

TEST_F(NetCaseLoopbackTest, ASilentCaseIsReportedByTheWatchdog) {
    Connect(kThreeCases);
    ASSERT_EQ(comm->FindCases(), 14);
    // Long enough that a healthy case's late batch on a loaded machine is
    // never taken for silence.
    comm->GetDriver().SetWatchdogPeriod(1000);
    comm->GetDriver().StartWatchdog();
    StartRun();
    ASSERT_TRUE(PumpUntil([&] { return owner.SetsDelivered() >= 10; }));
    simulators[2]->SetSilent(true);
    ASSERT_TRUE(PumpUntil(
        [&] {
            std::lock_guard<std::mutex> lock(owner.mutex);
            return !owner.deadReports.empty() && owner.stateChanges >= 1;
        },
        15000));
    std::lock_guard<std::mutex> lock(owner.mutex);
    ASSERT_EQ(owner.deadReports[0].size(), 1u);
    EXPECT_EQ(owner.deadReports[0][0].strAddress, "127.0.0.4");
    EXPECT_EQ(owner.deadReports[0][0].nCaseNo, 2);
}

TEST_F(NetCaseLoopbackTest, TwoCasesReportingOneNumberGiveTheConflict) {
    Connect({{"127.0.0.2", 0, 1}, {"127.0.0.3", 1, 1}, {"127.0.0.5", 1, 1}});
    g_nCaseCount = 77; // the tables are left as they were
    EXPECT_EQ(comm->FindCases(), 0);
    EXPECT_EQ(comm->GetCaseNumberConflict(), 1);
    EXPECT_EQ(g_nCaseCount, 77);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], "检测到多个2号机，请检查控制器设置。");
}

// A connection from an address without a MapID (case number 0) that never
// says a word: the search finds the real case 0 all the same, and the
// connection, left unanswered past the time-out, is closed.
TEST_F(NetCaseLoopbackTest, ASilentUnmappedConnectionChangesNoSearch) {
    Connect({{"127.0.0.2", 0, 2}});
    platform::TcpStream silent;
    ASSERT_TRUE(silent.Connect("127.0.0.1", comm->GetDriver().GetListenPort(), 3000, "127.0.0.9"));
    ASSERT_TRUE(PumpUntil([&] { return comm->GetDriver().GetLinkCount() == 2; }));
    EXPECT_EQ(comm->FindCases(), 2);
    EXPECT_EQ(comm->GetCaseNumberConflict(), 0);
    EXPECT_TRUE(host.messages.empty());

    comm->GetDriver().SetSilentLinkTimeout(100);
    ASSERT_TRUE(PumpUntil([&] { return comm->GetDriver().GetLinkCount() == 1; }, 5000));
    // After the search's requests, the end.
    std::uint8_t bytes[256];
    int received = 0;
    while ((received = silent.Receive(bytes, sizeof bytes, 3000)) > 0) {
    }
    EXPECT_EQ(received, 0) << "closed by the program";
    EXPECT_EQ(comm->FindCases(), 2) << "the case that answered stays";
}

int CountEntries(const char* folder) {
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
        ++count;
    return count;
}

long ResidentKilobytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return 0;
}

// Connections held open without a word, each from its own address: the
// program keeps a bounded number of them, costing neither threads nor
// buffers, and a case that connects afterwards is linked and found.
TEST_F(NetCaseLoopbackTest, HeldSilentConnectionsStayBounded) {
    constexpr int kPeers = 200;
    const int threadsBefore = CountEntries("/proc/self/task");
    const int descriptorsBefore = CountEntries("/proc/self/fd");
    const long residentBefore = ResidentKilobytes();
    std::vector<platform::TcpStream> peers(kPeers);
    for (int i = 0; i < kPeers; ++i) {
        const std::string address = "127.0.1." + std::to_string(i + 1);
        ASSERT_TRUE(peers[static_cast<std::size_t>(i)].Connect("127.0.0.1", comm->GetDriver().GetListenPort(),
                                                               3000, address))
            << address;
        // Accepted (the listener's backlog is short) and, the newest, kept.
        ASSERT_TRUE(PumpUntil([&] { return comm->GetDriver().FindLinkByAddress(address) >= 0; })) << address;
    }
    EXPECT_EQ(comm->GetDriver().GetLinkCount(), CNetCaseDriver::kMaxSilentLinks);
    EXPECT_LE(CountEntries("/proc/self/task") - threadsBefore, 4);
    // The test's own ends of the connections count too.
    EXPECT_LE(CountEntries("/proc/self/fd") - descriptorsBefore,
              kPeers + CNetCaseDriver::kMaxSilentLinks + 4);
    // A link's buffers alone are over half a megabyte: 200 of them would
    // pass 100 MB. The bound leaves room for the allocator's own slack.
    EXPECT_LT(ResidentKilobytes() - residentBefore, 64 * 1024);

    StartSimulators({{"127.0.0.2", 0, 2}});
    ASSERT_TRUE(PumpUntil([&] { return comm->GetDriver().FindLinkByAddress("127.0.0.2") >= 0; }));
    EXPECT_EQ(comm->FindCases(), 2);
    EXPECT_EQ(comm->GetCaseNumberConflict(), 0);
}

TEST_F(NetCaseLoopbackTest, NoLinkedCaseFindsNothing) {
    EXPECT_EQ(comm->FindCases(), 0);
}

TEST_F(NetCaseLoopbackTest, StoringStopsAndResumesWithTheSavingSwitch) {
    Connect({{"127.0.0.2", 0, 2}}, 1000.0);
    ASSERT_EQ(comm->FindCases(), 2);
    StartStoringRun(1000.0f);
    ASSERT_TRUE(PumpUntil([&] { return FileSize(1, ".dat") >= 100 * 68; }));

    comm->SetCaseDataSaving(0);
    platform::PumpMessagesFor(400); // a batch on its way as the switch went
    const auto whenOff = FileSize(1, ".dat");
    const std::int64_t sentWhenOff = simulators[0]->GetSamplesSent();
    ASSERT_TRUE(PumpUntil([&] { return simulators[0]->GetSamplesSent() >= sentWhenOff + 500; }));
    EXPECT_EQ(FileSize(1, ".dat"), whenOff);
    EXPECT_EQ(FileSize(1, ".stu"), whenOff / 68 * 32);

    comm->SetCaseDataSaving(1);
    EXPECT_TRUE(PumpUntil([&] { return FileSize(1, ".dat") >= whenOff + 100 * 68; }));
    comm->StopSampling();
}

TEST_F(NetCaseLoopbackTest, EverySampleACaseSentBeforeTheStopReachedItIsStored) {
    const std::vector<SimulatedCase> cases = {{"127.0.0.2", 0, 8}, {"127.0.0.3", 1, 2}};
    Connect(cases, 2000.0);
    ASSERT_EQ(comm->FindCases(), 10);
    StartStoringRun(2000.0f);
    ASSERT_TRUE(PumpUntil([&] { return simulators[1]->GetSamplesSent() >= 1000; }));
    comm->StopSampling();

    for (std::size_t i = 0; i < cases.size(); ++i) {
        ASSERT_EQ(simulators[i]->CountCommands(11, 1), 1);
        ASSERT_FALSE(simulators[i]->IsStreaming());
        // The simulator sends nothing once the stop has reached it.
        const std::int64_t sent = simulators[i]->GetSamplesSent();
        for (int slot = 0; slot < cases[i].modules; ++slot) {
            const int module = cases[i].mapId * 8 + slot;
            ASSERT_EQ(FileSize(module, ".dat"), static_cast<std::uintmax_t>(sent) * 68) << module;
            EXPECT_EQ(FileSize(module, ".stu"), static_cast<std::uintmax_t>(sent) * 32) << module;
            std::ifstream dat(scratch.Path() + "/run_" + std::to_string(module) + ".dat", std::ios::binary);
            CaseSampleBlock first{}, last{};
            dat.read(reinterpret_cast<char*>(&first), sizeof first);
            dat.seekg(-static_cast<std::streamoff>(sizeof last), std::ios::end);
            dat.read(reinterpret_cast<char*>(&last), sizeof last);
            EXPECT_EQ(first.nHeader, slot * 16777216);
            EXPECT_EQ(last.nHeader, slot * 16777216 + sent - 1);
        }
    }
}

} // namespace
