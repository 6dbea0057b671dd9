// Three simulated cases over loopback against the network transport: search,
// channel information, a continuous run, a relink, a silent case and a
// case-number conflict.
#include "acquisition/NetComm.h"

#include "CaseSimulator.h"
#include "DriverTestOwner.h"
#include "FakeChannelSource.h"
#include "LinkTestHost.h"

#include "app/CaseTables.h"
#include "app/ProjectState.h"
#include "app/RunFlags.h"

#include "ScratchFolder.h"

#include <gtest/gtest.h>

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
        ASSERT_TRUE(
            PumpUntil([&] { return comm->GetDriver().GetLinkCount() == static_cast<int>(cases.size()); }));
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

TEST_F(NetCaseLoopbackTest, ACaseThatDropsItsLinkIsLinkedAgainAndDataResume) {
    Connect(kThreeCases);
    ASSERT_EQ(comm->FindCases(), 14);
    StartRun();
    ASSERT_TRUE(PumpUntil([&] { return owner.SetsDelivered() >= 20; }));

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
    // The relinked case is started again after its pause and delivers.
    ASSERT_TRUE(PumpUntil(
        [&] {
            std::lock_guard<std::mutex> lock(owner.mutex);
            for (std::size_t d = before; d < owner.deliveries.size(); ++d)
                for (const auto& block : owner.deliveries[d].arrays[8])
                    if (block.nHeader >= 0)
                        return true;
            return false;
        },
        15000));
    EXPECT_EQ(simulators[1]->CountCommands(8, 3), 2) << "the new connection got its own start command";
    comm->StopSampling();
    comm->GetDriver().StopProcessingThread();
    ExpectSetsMatchTheSimulators(kThreeCases, static_cast<int>(before));
}

TEST_F(NetCaseLoopbackTest, ASilentCaseIsReportedByTheWatchdog) {
    Connect(kThreeCases);
    ASSERT_EQ(comm->FindCases(), 14);
    comm->GetDriver().SetWatchdogPeriod(100);
    comm->GetDriver().StartWatchdog();
    StartRun();
    ASSERT_TRUE(PumpUntil([&] { return owner.SetsDelivered() >= 10; }));
    simulators[2]->SetSilent(true);
    ASSERT_TRUE(PumpUntil(
        [&] {
            std::lock_guard<std::mutex> lock(owner.mutex);
            return !owner.deadReports.empty() && owner.stateChanges >= 1;
        },
        5000));
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
