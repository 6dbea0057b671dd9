// Simulated cases over loopback, the network transport, and a headless main
// frame: a message target that records what the sampling side sends and
// forwards it, and a host that records the frame calls.
#pragma once

#include "acquisition/NetComm.h"
#include "acquisition/SamplingControl.h"

#include "CaseSimulator.h"
#include "DriverTestOwner.h"
#include "FakeChannelSource.h"
#include "LinkTestHost.h"
#include "SimulatedSampleIndex.h"

#include "model/AppSettings.h"
#include "model/CaseTables.h"
#include "model/RunFlags.h"
#include "model/ValueConversion.h"
#include "platform/MessageBox.h"

#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

#include <unistd.h>

// The link's first conversion stage as the program does it: zero and scale.
struct ConvertingLinkHost : LinkTestHost {
    float GetFrequency(int) override { return 100.0f; }
    int GetAverageCount() override { return 2; }
    void ConvertSampleBlockInPlace(CaseSampleBlock* blocks, int count, int moduleIndex) override {
        for (int i = 0; i < count; ++i)
            ConvertModuleSamples(moduleIndex, blocks[i].fValues);
    }
};

struct RecordingHost : FakeSamplingHost {
    CCommBase* comm = nullptr;
    CProjectState project;
    std::mutex mutex; // guards the records below
    std::vector<std::string> pane0;
    std::vector<std::string> pane3;
    std::vector<std::pair<int, std::int32_t>> broadcasts;
    std::vector<std::string> prepared;
    bool forwarding = false;
    float testLevels[2] = {0.0f, 0.0f};
    int confirmations = 0;
    std::vector<int> selected;
    std::vector<std::string> chosenPaths; // answers of the file dialog, in order
    int dialogs = 0;
    int reloads = 0;

    CCommBase* GetComm() override { return comm; }
    CProjectState& GetProject() override { return project; }
    std::vector<int> GetSelectedChannels() override { return selected; }
    void SetStatusText(int pane, const std::string& text) override {
        std::lock_guard<std::mutex> lock(mutex);
        if (pane == 0)
            pane0.push_back(text);
        else if (pane == 3)
            pane3.push_back(text);
    }
    bool IsForwardingOn() override { return forwarding; }
    float GetTestLevel(int i) override { return testLevels[i == 0 ? 0 : 1]; }
    void BroadcastPacket(int type, std::int32_t value) override { broadcasts.emplace_back(type, value); }
    bool ConfirmProjectForSampling() override {
        ++confirmations;
        return true;
    }
    bool PrepareProject(const std::string& path) override {
        prepared.push_back(path);
        if (!path.empty())
            std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        return true;
    }
    void ReloadViewData(bool) override { ++reloads; }
    bool ChooseFile(bool, const std::string&, const std::string&, const std::string&,
                    std::string& path) override {
        if (dialogs >= static_cast<int>(chosenPaths.size()))
            return false;
        path = chosenPaths[static_cast<std::size_t>(dialogs++)];
        return true;
    }
    bool SawText(const std::string& text) {
        std::lock_guard<std::mutex> lock(mutex);
        return std::find(pane0.begin(), pane0.end(), text) != pane0.end();
    }
};

struct RecordingFrame : platform::MessageTarget {
    CSamplingControl* control = nullptr;
    std::mutex mutex; // guards messages
    std::vector<platform::UINT> messages;
    std::vector<int> statusKinds;
    int holdStatuses = 0; // timed-run statuses without a record sent while paused
    std::map<platform::UINT, platform::LRESULT> answers; // results of messages the control does not handle
    std::vector<std::pair<platform::UINT, platform::WPARAM>> linkEnds;
    // Called with each message before the control handles it.
    std::function<void(platform::UINT, platform::WPARAM)> onMessage;

    platform::LRESULT WindowProc(platform::UINT message, platform::WPARAM wParam,
                                 platform::LPARAM lParam) override {
        {
            std::lock_guard<std::mutex> lock(mutex);
            messages.push_back(message);
            if (message == sampling_msg::kSampleStatus) {
                statusKinds.push_back(static_cast<int>(wParam));
                if (wParam == 0 && lParam == 0 && g_bSamplePaused.load())
                    ++holdStatuses;
            }
            if (message == sampling_msg::kLinkRunEnded)
                linkEnds.emplace_back(message, wParam);
            const auto answer = answers.find(message);
            if (answer != answers.end())
                return answer->second;
        }
        if (onMessage)
            onMessage(message, wParam);
        platform::LRESULT result = 0;
        if (control)
            control->HandleMessage(message, wParam, lParam, result);
        return result;
    }
    int Count(platform::UINT message) {
        std::lock_guard<std::mutex> lock(mutex);
        return static_cast<int>(std::count(messages.begin(), messages.end(), message));
    }
};

struct SimulatedCase {
    const char* address;
    int caseNo;
    int modules;
};

class SamplingLoopbackTest : public ::testing::Test {
protected:
    FakeChannelSource source;
    ConvertingLinkHost linkHost;
    RecordingHost host;
    RecordingFrame frame;
    platform::MessageBoxRecorder boxes;
    std::unique_ptr<CNetComm> comm;
    std::unique_ptr<CSamplingControl> control;
    std::vector<std::unique_ptr<CCaseSimulator>> simulators;
    ScratchFolder scratch;
    std::string folder = scratch.Path();
    std::int32_t savedDelay = 0;

    static constexpr std::int32_t kZero = 100;
    static constexpr float kScale = 0.5f;

    void SetUp() override {
        platform::SetUiThread();
        ResetRunFlags();
        ResetCaseTables();
        ClearChannelRecords();
        savedDelay = g_nDelayDataGet;
        std::filesystem::create_directories(folder + "/project");
        linkHost.programFolder = folder;
        host.project.m_strProgramFolder = folder;
        host.project.SetProjectFolderAndName(folder + "/project", "run");
        comm = std::make_unique<CNetComm>(&linkHost, 0);
        comm->CreateProtocol(3, &source);
        host.comm = comm.get();
        control = std::make_unique<CSamplingControl>(&host, frame.GetSafeHwnd());
        frame.control = control.get();
        ASSERT_EQ(comm->SetOwner(frame.GetSafeHwnd()), 1);
    }
    void TearDown() override {
        ResetRunFlags();
        PumpUntil([&] { return !control->IsThreadRunning(); }, 15000);
        comm->StopSampling();
        comm->GetDriver().StopProcessingThread();
        control.reset();
        simulators.clear();
        comm.reset();
        g_nDelayDataGet = savedDelay;
        ResetCaseTables();
        ClearChannelRecords();
    }

    // Connects the cases, searches them, and gives every channel the voltage
    // conversion (reading - kZero) * kScale.
    void Connect(const std::vector<SimulatedCase>& cases) {
        std::ofstream map(folder + "/MapCfg.ini");
        for (const auto& c : cases)
            map << "[" << c.address << "]\r\nMapID=" << c.caseNo << "\r\n";
        map.close();
        int modules = 0;
        for (const auto& c : cases) {
            CaseSimulatorOptions options;
            options.port = comm->GetDriver().GetListenPort();
            options.localIp = c.address;
            options.caseNo = c.caseNo;
            options.modules = c.modules;
            simulators.push_back(std::make_unique<CCaseSimulator>(options));
            simulators.back()->Start();
            modules += c.modules;
        }
        ASSERT_TRUE(
            PumpUntil([&] { return comm->GetDriver().GetLinkCount() == static_cast<int>(cases.size()); }));
        ASSERT_EQ(comm->FindCases(), modules);
        for (int i = 0; i < g_nChannelCount; ++i) {
            const int id = g_ChannelList[i];
            g_ChannelParams[id].nChannelId = id;
            g_ChannelParams[id].nMeasureType = MEASURE_VOLTAGE;
            g_ChannelParams[id].nZero = kZero;
            g_ChannelState[id].fScale = kScale;
        }
        control->m_bCasesFound = 1;
    }

    void Start(int mode, int interval = 1, int count = 0) {
        host.project.m_SampleSettings.nSampleMode = mode;
        host.project.m_SampleSettings.nSampleInterval = interval;
        host.project.m_SampleSettings.nTimerCount = count;
        host.project.m_SampleSettings.bSetTimerCount = count > 0 ? 1 : 0;
        host.project.m_SampleSettings.fSampleFreq = 100.0f;
        control->OnStartSample();
    }
    bool WaitCompleted(std::uint32_t ms = 20000) {
        return PumpUntil(
            [&] { return frame.Count(sampling_msg::kSampleComplete) >= 1 && !control->IsThreadRunning(); },
            ms);
    }
    // A clock that moves on by step ms at every reading.
    void UseSteppingClock(std::int64_t step) {
        auto now = std::make_shared<std::atomic<std::int64_t>>(100000);
        control->SetClock([now, step] { return now->fetch_add(step); });
    }

    std::string UnitFile(int unit, const char* extension) const {
        return folder + "/project/run_" + std::to_string(unit) + extension;
    }
    std::vector<CaseSampleBlock> ReadBlocks(int unit) const {
        std::ifstream file(UnitFile(unit, ".dat"), std::ios::binary);
        std::vector<CaseSampleBlock> blocks;
        CaseSampleBlock block;
        while (file.read(reinterpret_cast<char*>(&block), sizeof block))
            blocks.push_back(block);
        return blocks;
    }
    static float Converted(int caseNo, int slot, int ch, std::int64_t n) {
        const auto raw = static_cast<float>(CCaseSimulator::Value(caseNo, slot, ch, n));
        return (raw - static_cast<float>(kZero)) * kScale;
    }
    // A stored block holds the converted values the simulator sent for one sample.
    static void ExpectSimulatorValues(const CaseSampleBlock& block, int caseNo, int slot) {
        const std::int64_t n = SimulatedSampleIndex(block, caseNo * 8 + slot, kZero, kScale);
        for (int ch = 0; ch < 16; ++ch)
            ASSERT_EQ(block.fValues[ch], Converted(caseNo, slot, ch, n)) << "channel " << ch;
    }
};
