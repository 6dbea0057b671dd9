// The whole frame on the program's case port with two simulated cases found
// by its own search command; what the tests of its runs share.
#pragma once

#include "ShellTestSupport.h"

#include "CaseSimulator.h"
#include "SimulatedSampleIndex.h"
#include "acquisition/ChanInfoWrapper.h"
#include "acquisition/NetComm.h"
#include "acquisition/SamplingControl.h"
#include "app/MainFrame.h"
#include "app/MainFrameCaseSearch.h"
#include "app/QV7411N_NewFrameApp.h"
#include "model/CaseTables.h"
#include "model/ChannelRecords.h"
#include "model/RunFlags.h"
#include "model/SampleSettings.h"
#include "panels/bars/SampleParamBar.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "platform/Text.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

// Triggers the item of a view's context menu; false when it is missing or disabled.
template <class View> bool TriggerContextItem(View& view, int id) {
    std::unique_ptr<QMenu> menu(view.BuildContextMenu(nullptr));
    for (QAction* action : menu->actions()) {
        if (action->data().toInt() == id && action->isEnabled()) {
            action->trigger();
            return true;
        }
    }
    return false;
}

class FrameRunTest : public ::testing::Test {
protected:
    // Units of the two cases: case 0 with two modules, case 1 with one.
    static constexpr int kUnits[] = {0, 1, 8};
    static constexpr std::int32_t kZero = 100;
    static constexpr float kScale = 0.5f;
    static constexpr int kDetectCaseCommand = 32794;

    // Settings lines added to the scratch program's settings file.
    virtual const char* ExtraSettings() const { return ""; }
    // The waveform the simulated cases stream (the value rule by default).
    virtual SineWave Waveform() const { return {}; }
    // True: the cases stream at the rate the program commands, as real ones.
    virtual bool FollowCommandedRate() const { return false; }
    // Samples a second the simulated cases stream when they keep their own rate.
    virtual double StreamRate() const { return 100.0; }
    // 1 when the scratch program uses digital channels.
    virtual int DigitalUsedSetting() const { return 0; }
    // Runs before the program starts: files beside it, port mappings.
    virtual void PrepareProgram() {}
    // The case numbers of the two simulated cases' addresses.
    virtual const char* MapText() const { return "[127.0.0.2]\r\nMapID=0\r\n[127.0.0.3]\r\nMapID=1\r\n"; }

    void SetUp() override {
        EnsureQtApplication();
        ResetRunFlags();
        ResetCaseTables();
        ClearChannelRecords();
        m_scratch.WriteSettingsFile(std::string("[System]\nADBASE=20000\nDigitalUsed=") +
                                    std::to_string(DigitalUsedSetting()) + "\n" + ExtraSettings());
        PrepareProgram();
        // The transport reads the case numbers in the program folder.
        m_mapFile = m_scratch.File("MapCfg.ini");
        std::ofstream(m_mapFile, std::ios::trunc) << MapText();
        g_ChanInfo.SetParamFileName(m_scratch.File("chaninfo.ini"));
        m_app = std::make_unique<CQV7411N_NewFrameApp>(m_scratch.ProgramFolder());
        ASSERT_TRUE(m_app->InitInstance());
        m_frame = m_app->GetMainFrame();
        m_shell = InstallCaseSearch(*m_frame);
        auto* net = dynamic_cast<CNetComm*>(m_frame->GetCommBase());
        ASSERT_NE(net, nullptr);
        ASSERT_EQ(net->GetDriver().GetListenPort(), CNetComm::kCasePort)
            << "another program holds the case port";
        StartCase("127.0.0.2", 0, 2);
        StartCase("127.0.0.3", 1, 1);
        ASSERT_TRUE(ProcessEventsUntil(
            [&] { return m_shell->GetConnections().GetConnectedAddresses().size() == m_simulators.size(); }));
    }
    void TearDown() override {
        ResetRunFlags();
        if (m_frame != nullptr)
            ProcessEventsUntil([&] { return !m_frame->GetSampling().IsThreadRunning(); }, 15000);
        m_simulators.clear();
        if (m_frame != nullptr)
            m_frame->close();
        if (m_app)
            m_app->ExitInstance();
        std::filesystem::remove(m_mapFile);
        ResetCaseTables();
        ClearChannelRecords();
    }

    void StartCase(const char* address, int caseNo, int modules) {
        CaseSimulatorOptions options; // the program's case port
        options.localIp = address;
        options.caseNo = caseNo;
        options.modules = modules;
        options.sine = Waveform();
        options.followCommandedRate = FollowCommandedRate();
        options.rate = StreamRate();
        m_simulators.push_back(std::make_unique<CCaseSimulator>(options));
        m_simulators.back()->Start();
    }

    // The frame's case search finds the two cases (answering its question),
    // every channel converts as a voltage, and a project is prepared.
    void FindCasesAndPrepareProject() {
        m_boxes.QueueAnswer(platform::IDYES);
        ASSERT_TRUE(m_frame->RunCommand(kDetectCaseCommand));
        ASSERT_EQ(g_nCaseCount, 3);
        UseVoltageConversion();
        ASSERT_EQ(m_frame->GetProjectHandler().PrepareProject(m_scratch.File("Projects/Run/Run.dap")), 1);
    }

    // Every channel's stored value is (reading - kZero) * kScale, and its
    // engineering value a thousandth of that.
    static void UseVoltageConversion() {
        for (int i = 0; i < g_nChannelCount; ++i) {
            const int id = g_ChannelList[i];
            g_ChannelParams[id].nChannelId = id;
            g_ChannelParams[id].nMeasureType = MEASURE_VOLTAGE;
            g_ChannelParams[id].nZero = kZero;
            g_ChannelState[id].fScale = kScale;
            g_ChannelParams[id].fScaleDivisor = 1.0f;
        }
    }

    // The frame's own case search command finds the three units; every
    // channel then converts as UseVoltageConversion says.
    void Search() {
        constexpr int ID_DETECT_CASE = 32794;
        m_boxes.QueueAnswer(platform::IDYES);
        ASSERT_TRUE(m_frame->RunCommand(ID_DETECT_CASE));
        ASSERT_EQ(g_nCaseCount, 3);
        UseVoltageConversion();
    }

    // The settings the next start takes from the sampling-parameter bar.
    void SetRunSettings(int mode, int interval, int count, float rate = 100.0f) {
        SampleSettings settings = m_frame->GetProjectState().m_SampleSettings;
        settings.nSampleMode = mode;
        settings.nSampleInterval = interval;
        settings.nTimerCount = count;
        settings.bSetTimerCount = count > 0 ? 1 : 0;
        settings.fSampleFreq = rate;
        m_frame->GetProjectState().m_SampleSettings = settings;
        m_frame->GetSampleParamBar()->SetSampleSettings(settings);
        m_frame->GetSampleParamBar()->InitControls();
    }

    // The run has completed and its thread has ended.
    bool WaitRunCompleted(int milliseconds = 20000) {
        CSamplingControl& sampling = m_frame->GetSampling();
        return ProcessEventsUntil(
            [&] {
                return !IsRunActive() && !sampling.IsThreadRunning() && sampling.m_bCanStartSample.load();
            },
            milliseconds);
    }

    // The lines of a GBK text file, without their line ends.
    static std::vector<std::string> GbkLines(const std::string& path) {
        std::ifstream file(path, std::ios::binary);
        std::vector<std::string> lines;
        for (std::string line; std::getline(file, line);) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            lines.push_back(platform::GbkToUtf8(line));
        }
        return lines;
    }

    static std::vector<CaseSampleBlock> ReadBlocks(const std::string& dataFile) {
        std::ifstream file(dataFile, std::ios::binary);
        std::vector<CaseSampleBlock> blocks;
        CaseSampleBlock block;
        while (file.read(reinterpret_cast<char*>(&block), sizeof block))
            blocks.push_back(block);
        return blocks;
    }

    // A stored block holds the converted values the simulator sent for one sample.
    static void ExpectSimulatorValues(const CaseSampleBlock& block, int unit) {
        const std::int64_t n = SimulatedSampleIndex(block, unit, kZero, kScale);
        for (int ch = 0; ch < 16; ++ch) {
            const auto raw = static_cast<float>(CCaseSimulator::Value(unit / 8, unit % 8, ch, n));
            ASSERT_EQ(block.fValues[ch], (raw - static_cast<float>(kZero)) * kScale) << "channel " << ch;
        }
    }

    // A timed run of count samples stored without waiting for a clock.
    void StoreTimedRun(int count) {
        SetRunSettings(SAMPLE_MODE_TIMED, 10, count);
        auto now = std::make_shared<std::atomic<std::int64_t>>(100000);
        m_frame->GetSampling().SetClock([now] { return now->fetch_add(4000); });
        ASSERT_TRUE(m_frame->RunCommand(32788)); // 开始采样
        ASSERT_TRUE(WaitRunCompleted());
    }
    // The command's item in the menu bar's menus (one level of submenus).
    QAction* MenuItem(const char* menuTitle, int id) {
        for (QAction* top : m_frame->menuBar()->actions()) {
            if (top->menu() == nullptr || !top->text().startsWith(QString::fromUtf8(menuTitle)))
                continue;
            emit top->menu()->aboutToShow();
            for (QAction* item : top->menu()->actions()) {
                QMenu* sub = item->menu();
                if (sub != nullptr)
                    emit sub->aboutToShow();
                for (QAction* action : sub != nullptr ? sub->actions() : QList<QAction*>{item})
                    if (action->data().toInt() == id)
                        return action;
            }
        }
        ADD_FAILURE() << "no item " << id << " in menu " << menuTitle;
        return nullptr;
    }

    ShellScratch m_scratch;
    platform::MessageBoxRecorder m_boxes;
    std::string m_mapFile;
    std::unique_ptr<CQV7411N_NewFrameApp> m_app;
    CMainFrame* m_frame = nullptr;
    CMainFrameCaseSearch* m_shell = nullptr;
    std::vector<std::unique_ptr<CCaseSimulator>> m_simulators;
};
