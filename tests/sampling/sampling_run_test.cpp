// Sampling runs through the frame's commands against simulated cases: timed,
// continuous, single, paused and event runs.
#include "SamplingFixture.h"
#include "SimulatedCaseStops.h"

#include "platform/Files.h"

#include <cstring>

namespace {

using namespace sampling_msg;

const std::vector<SimulatedCase> kTwoCases = {{"127.0.0.2", 0, 2}, {"127.0.0.3", 1, 1}};
const int kUnits[] = {0, 1, 8};

TEST_F(SamplingLoopbackTest, ATimedRunOfThreeStoresThreeConvertedSetsAndCompletes) {
    Connect(kTwoCases);
    UseSteppingClock(400);
    Start(SAMPLE_MODE_TIMED, 1, 3);
    EXPECT_EQ(control->m_bCanStartSample.load(), 0);
    ASSERT_TRUE(WaitCompleted());

    EXPECT_EQ(control->m_nRunSampleCount.load(), 3);
    EXPECT_EQ(host.project.m_nTotalDataCount, 3);
    EXPECT_EQ(host.project.m_nProjectState, PROJECT_CONFIRMED);
    EXPECT_EQ(control->m_bCanStartSample.load(), 1);
    EXPECT_EQ(g_bSampling.load(), 0);
    for (const int unit : kUnits) {
        const auto blocks = ReadBlocks(unit);
        ASSERT_EQ(blocks.size(), 3u) << "unit " << unit;
        EXPECT_EQ(platform::FileSize(UnitFile(unit, ".stu")), 3 * 32);
        for (const auto& block : blocks)
            ExpectSimulatorValues(block, unit / 8, unit % 8);
    }
    // The run's own single pair exists for the readers, empty.
    EXPECT_EQ(platform::FileSize(folder + "/project/run.dat"), 0);
    // One stop before the start, one after the third set.
    for (auto& simulator : simulators) {
        EXPECT_EQ(simulator->CountCommands(8, 3), 1);
        EXPECT_EQ(simulator->CountCommands(11, 1), 2);
    }
    EXPECT_TRUE(host.SawText("采集结束"));
    EXPECT_EQ(frame.Count(kNewSampleSet), 3);
    std::lock_guard<std::mutex> lock(frame.mutex);
    EXPECT_EQ(frame.statusKinds.back(), SAMPLE_MODE_TIMED);
}

TEST_F(SamplingLoopbackTest, AContinuousRunStoresWhatArrivesUntilStopped) {
    Connect(kTwoCases);
    Start(SAMPLE_MODE_CONTINUOUS);
    ASSERT_TRUE(PumpUntil([&] { return control->m_nRunStoredCount >= 30; }));
    control->OnStopSample();
    EXPECT_EQ(g_bSampling.load(), 0);
    ASSERT_TRUE(WaitCompleted());

    const auto first = ReadBlocks(0);
    ASSERT_GE(first.size(), 30u);
    for (const int unit : kUnits) {
        const auto blocks = ReadBlocks(unit);
        ASSERT_EQ(blocks.size(), first.size()) << "every unit padded to the longest";
        EXPECT_EQ(platform::FileSize(UnitFile(unit, ".stu")), static_cast<std::int64_t>(blocks.size()) * 32);
        std::int64_t expected = blocks[0].nHeader & 0xFFFFFF;
        for (const auto& block : blocks) {
            if ((block.nHeader & 0xFFFFFF) != expected)
                break; // the padding after the last sample of a slower case
            ExpectSimulatorValues(block, unit / 8, unit % 8);
            ++expected;
        }
        EXPECT_GE(expected - (blocks[0].nHeader & 0xFFFFFF), 30) << "consecutive samples, none lost";
    }
    EXPECT_EQ(host.project.m_nTotalDataCount, static_cast<std::int32_t>(first.size()));
    EXPECT_GE(frame.Count(kContinuousSample), 30);
}

TEST_F(SamplingLoopbackTest, ASingleSampleFromASilentCaseFailsAfterTheWaitAndStopsTheCases) {
    Connect(kTwoCases);
    g_nDelayDataGet = 500;
    simulators[1]->SetSilent(true);
    Start(SAMPLE_MODE_SINGLE);
    ASSERT_TRUE(WaitCompleted());
    const auto records = boxes.Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].text, "采集数据失败!");
    EXPECT_EQ(records[0].flags & platform::MB_ICONMASK, platform::MB_ICONERROR);
    EXPECT_EQ(simulators[0]->CountCommands(11, 1), 2) << "the failed sample stops the cases";
    EXPECT_FALSE(simulators[0]->IsStreaming());
    EXPECT_EQ(control->m_nRunStoredCount, 0);
    EXPECT_EQ(ReadBlocks(0).size(), 0u);
    std::lock_guard<std::mutex> lock(frame.mutex);
    EXPECT_EQ(frame.statusKinds.back(), SAMPLE_MODE_SINGLE);
}

// The failure box of the sampling thread is shown while the run goes on to
// its end: the run never waits for a click.
TEST_F(SamplingLoopbackTest, AFailureBoxDoesNotHoldTheRun) {
    Connect(kTwoCases);
    g_nDelayDataGet = 500;
    simulators[1]->SetSilent(true);
    struct AnsweredAfterTheRun : platform::MessageBoxHandler {
        std::function<bool()> runEnded;
        std::vector<std::string> texts;
        bool endedWhileShown = false;
        int Show(const std::string& text, const std::string&, platform::UINT) override {
            texts.push_back(text);
            // A modal box: the user-interface thread goes on delivering.
            platform::PumpMessagesFor(10000, runEnded);
            endedWhileShown = runEnded();
            return platform::IDOK;
        }
    } box;
    box.runEnded = [&] {
        return frame.Count(sampling_msg::kSampleComplete) >= 1 && !control->IsThreadRunning();
    };
    platform::SetMessageBoxHandler(&box);
    Start(SAMPLE_MODE_SINGLE);
    const bool completed = WaitCompleted();
    platform::SetMessageBoxHandler(&boxes);
    ASSERT_TRUE(completed);
    ASSERT_EQ(box.texts, std::vector<std::string>{"采集数据失败!"});
    EXPECT_TRUE(box.endedWhileShown) << "the run waited for the box";
    EXPECT_TRUE(host.SawText("采集结束"));
}

// A Stop while a run starts: before its loop runs, while the loop sets the
// acquisition up, and as its start goes out. Each loop ends the run without
// a box, and a case it started gets its stop after its start.
TEST_F(SamplingLoopbackTest, AStopWhileTheRunStartsEndsItAndLeavesNoCaseStreaming) {
    Connect(kTwoCases);
    for (const int mode :
         {SAMPLE_MODE_SINGLE, SAMPLE_MODE_TIMED, SAMPLE_MODE_CONTINUOUS, SAMPLE_MODE_EVENT}) {
        for (const char* stopAt : {"", "启动采集......", "采集开始"}) {
            SCOPED_TRACE("mode " + std::to_string(mode) + ", stop at \"" + stopAt + "\"");
            const int completions = frame.Count(sampling_msg::kSampleComplete);
            bool stopped = false;
            frame.onMessage = [&](platform::UINT message, platform::WPARAM wParam) {
                if (!stopped && *stopAt != '\0' && message == sampling_msg::kStatusText &&
                    *reinterpret_cast<const std::string*>(wParam) == stopAt) {
                    stopped = true;
                    control->OnStopSample();
                }
            };
            Start(mode);
            if (*stopAt == '\0') {
                stopped = true;
                control->OnStopSample();
            }
            ASSERT_TRUE(PumpUntil(
                [&] {
                    return frame.Count(sampling_msg::kSampleComplete) > completions &&
                           !control->IsThreadRunning();
                },
                20000));
            frame.onMessage = nullptr;
            EXPECT_TRUE(stopped);
            EXPECT_FALSE(IsRunActive());
            EXPECT_EQ(control->m_bCanStartSample.load(), 1);
            ExpectCasesLeftStopped(simulators, [](std::uint32_t ms) { PumpUntil([] { return false; }, ms); });
        }
    }
    EXPECT_TRUE(boxes.Records().empty());
}

TEST_F(SamplingLoopbackTest, PauseHoldsATimedRunAndStartResumesIt) {
    Connect(kTwoCases);
    UseSteppingClock(400);
    Start(SAMPLE_MODE_TIMED, 1);
    ASSERT_TRUE(PumpUntil([&] { return control->m_nRunSampleCount >= 2; }));
    control->OnPauseSample();
    EXPECT_EQ(g_bSamplePaused.load(), 1);
    EXPECT_EQ(control->m_bCanStartSample.load(), 1) << "Start resumes while paused";
    // A set being taken still finishes (its processing sends one status of
    // this kind); then the loop holds, sending one every 200 ms.
    ASSERT_TRUE(PumpUntil([&] { return frame.holdStatuses >= 2; }));
    const int held = control->m_nRunSampleCount;
    PumpUntil([] { return false; }, 600);
    EXPECT_EQ(control->m_nRunSampleCount.load(), held);
    EXPECT_GE(frame.Count(kSampleStatus), 1);

    control->OnStartSample();
    EXPECT_EQ(g_bSamplePaused.load(), 0);
    EXPECT_EQ(g_bSampling.load(), 1);
    ASSERT_TRUE(PumpUntil([&] { return control->m_nRunSampleCount >= held + 2; }));
    for (auto& simulator : simulators)
        EXPECT_EQ(simulator->CountCommands(8, 3), 1) << "resuming sends nothing to the cases";

    control->OnPauseSample();
    control->OnStopSample(); // stop while paused
    ASSERT_TRUE(WaitCompleted());
    EXPECT_EQ(g_bSamplePaused.load(), 0);
    const auto blocks = ReadBlocks(0);
    EXPECT_EQ(static_cast<int>(blocks.size()), control->m_nRunSampleCount.load());
}

TEST_F(SamplingLoopbackTest, AnEventRunHandsItsSetsOnFromItsReferenceTimeUntilStopped) {
    Connect(kTwoCases);
    control->SetClock([] { return 50000; });
    Start(SAMPLE_MODE_EVENT, 10);
    // Every streamed set is merged and announced.
    ASSERT_TRUE(PumpUntil([&] { return frame.Count(kContinuousSample) >= 3; }));
    EXPECT_EQ(control->m_nEventReference, 40000) << "a first interval is already over at the start";
    EXPECT_EQ(control->GetLastStartedMode(), SAMPLE_MODE_EVENT);
    control->OnStopSample();
    ASSERT_TRUE(WaitCompleted());
    EXPECT_TRUE(boxes.Records().empty());
    std::lock_guard<std::mutex> lock(frame.mutex);
    EXPECT_EQ(frame.statusKinds.back(), SAMPLE_MODE_EVENT);
}

TEST_F(SamplingLoopbackTest, StartWhileSamplingDoesNothingAndRefusedSettingsStartNothing) {
    struct RefusingHost : RecordingHost {
        bool GetSampleSettings(SampleSettings&) override { return false; }
    };
    Connect(kTwoCases);
    RefusingHost refusing;
    refusing.comm = comm.get();
    CSamplingControl other(&refusing, frame.GetSafeHwnd());
    other.OnStartSample();
    EXPECT_EQ(g_bSampling.load(), 0);
    EXPECT_EQ(other.m_bCanStartSample.load(), 1);

    EXPECT_FALSE(control->CanStartSample(0));
    EXPECT_TRUE(control->CanStartSample(3));
    UseSteppingClock(400);
    Start(SAMPLE_MODE_TIMED, 1);
    ASSERT_TRUE(PumpUntil([&] { return simulators[0]->IsStreaming() && simulators[1]->IsStreaming(); }));
    control->OnStartSample();
    EXPECT_FALSE(control->CanStartSample(3));
    control->OnStopSample();
    ASSERT_TRUE(WaitCompleted());
    for (auto& simulator : simulators)
        EXPECT_EQ(simulator->CountCommands(8, 3), 1);
}

} // namespace

namespace {

TEST_F(SamplingLoopbackTest, ARemoteStartUsesTheNetCtrlProjectAsksNothingAndTellsTheClients) {
    Connect(kTwoCases);
    host.forwarding = true;
    control->m_bRemoteRequest = 1;
    Start(SAMPLE_MODE_SINGLE);
    ASSERT_TRUE(WaitCompleted());
    EXPECT_EQ(host.confirmations, 0);
    EXPECT_TRUE(boxes.Records().empty());
    ASSERT_EQ(host.prepared.size(), 1u);
    EXPECT_EQ(host.prepared[0], folder + "/Projects/NetCtrl/NetCtrl.dap");
    EXPECT_EQ(host.project.m_strProjectRoot, folder + "/Projects");
    EXPECT_EQ(host.broadcasts, (std::vector<std::pair<int, std::int32_t>>{{4, 1}, {5, 1}}));
    EXPECT_EQ(control->m_bRemoteRequest, 0);
    EXPECT_EQ(platform::FileSize(folder + "/Projects/NetCtrl/NetCtrl_0.dat"), 68);
}

// Status texts of the run without cases.
TEST(SamplingStatusTest, PaneTextsByKindAndFlags) {
    platform::SetUiThread();
    RecordingHost host;
    RecordingFrame frame;
    CSamplingControl control(&host, frame.GetSafeHwnd());
    struct Case {
        int sampling;
        int paused;
        int kind;
        int seconds; // -9: no record
        const char* pane0;
        const char* pane3;
    };
    const Case cases[] = {
        {1, 0, 0, 7, "系统当前正处于定时采样中......7 S", " "},
        {1, 0, 0, -9, "", nullptr},
        {1, 0, 1, -9, "单次采样中......", nullptr},
        {1, 0, 2, -9, "连续采样中......", nullptr},
        {1, 0, 3, -9, "事件采样中......   ", nullptr},
        {1, 0, 4, -9, "平衡采样中......", nullptr},
        {1, 1, 2, -9, "采样暂停", nullptr},
        {0, 0, 0, -2, "", " "},
        {0, 0, 1, -9, "采样停止", nullptr},
        {1, 0, 9, -9, "", nullptr},
    };
    for (const Case& c : cases) {
        host.pane0.clear();
        host.pane3.clear();
        g_bSampling = c.sampling;
        g_bSamplePaused = c.paused;
        SampleProgressRecord record;
        record.nSeconds = c.seconds;
        std::strcpy(record.szText, " ");
        control.OnSampleStatus(c.kind, c.seconds == -9 ? nullptr : &record);
        ASSERT_EQ(host.pane0.size(), 1u);
        EXPECT_EQ(host.pane0[0], c.pane0) << "kind " << c.kind;
        EXPECT_EQ(host.pane3.size(), c.pane3 ? 1u : 0u) << "kind " << c.kind;
    }

    // Sets the transport could not queue for live processing are shown.
    struct SkippingComm : CCommBase {
        std::int64_t GetSkippedSets() override { return 42; }
    } comm;
    host.comm = &comm;
    host.pane0.clear();
    g_bSampling = 1;
    g_bSamplePaused = 0;
    control.OnSampleStatus(2, nullptr);
    ASSERT_EQ(host.pane0.size(), 1u);
    EXPECT_EQ(host.pane0[0], "连续采样中......  实时处理跳过42组");
    host.comm = nullptr;
    ResetRunFlags();
}

} // namespace

namespace {

TEST_F(SamplingLoopbackTest, ATimedSetThatDoesNotArriveIsReportedAndTheRunGoesOn) {
    Connect(kTwoCases);
    simulators[1]->SetSilent(true);
    UseSteppingClock(400);
    Start(SAMPLE_MODE_TIMED, 1, 2);
    ASSERT_TRUE(PumpUntil([&] {
        std::lock_guard<std::mutex> lock(host.mutex);
        return std::count(host.pane3.begin(), host.pane3.end(), "此次采样失败，请确认设备连接正常！") >= 2;
    }));
    EXPECT_EQ(control->m_nRunSampleCount.load(), 0) << "failed sets are not counted";
    EXPECT_EQ(g_bSampling.load(), 1);
    control->OnStopSample();
    ASSERT_TRUE(WaitCompleted());
    EXPECT_TRUE(boxes.Records().empty());
    EXPECT_EQ(control->m_nRunStoredCount, 0);
}

} // namespace

namespace {

TEST_F(SamplingLoopbackTest, TheCalibratorLinkReadsASetEachTimeItAsksAndEndsWithTheRun) {
    Connect(kTwoCases);
    frame.answers[kLinkSampleSet] = 1;
    ASSERT_TRUE(control->StartLinkSampling());
    EXPECT_FALSE(control->StartLinkZeroAcquisition()) << "one link acquisition at a time";
    ASSERT_TRUE(PumpUntil([&] { return host.SawText("采样进行中......"); }));
    EXPECT_EQ(control->GetLastStartedMode(), 7);
    for (int taken = 1; taken <= 2; ++taken) {
        PumpUntil([] { return false; }, 300); // the loop resets the event after the last set was taken
        control->SetLinkSampleEvent();
        ASSERT_TRUE(PumpUntil([&] { return frame.Count(kLinkSampleSet) == taken; }));
    }
    PumpUntil([] { return false; }, 500);
    EXPECT_EQ(frame.Count(kLinkSampleSet), 2) << "a taken set is not read again until asked";
    for (const int unit : kUnits)
        EXPECT_GE(control->GetLinkSet()[unit].nHeader, 0) << unit;

    control->OnStopSample();
    ASSERT_TRUE(PumpUntil([&] { return frame.Count(kLinkRunEnded) == 1; }));
    ASSERT_TRUE(WaitCompleted());
    std::lock_guard<std::mutex> lock(frame.mutex);
    EXPECT_EQ(frame.linkEnds[0].second, kLinkSampleSet);
}

} // namespace

namespace {

TEST_F(SamplingLoopbackTest, ADownloadSendsEachCaseItsChannelsAndReportsTheEnd) {
    Connect(kTwoCases);
    const std::size_t before0 = simulators[0]->GetCommands().size();
    const std::size_t before1 = simulators[1]->GetCommands().size();
    const std::vector<int> channels = {0, 1, 17}; // case 0 only
    platform::LRESULT result = 0;
    ASSERT_TRUE(
        control->HandleMessage(kDownloadParams, reinterpret_cast<platform::WPARAM>(&channels), 0, result));
    EXPECT_EQ(result, 1);
    ASSERT_TRUE(PumpUntil([&] { return simulators[0]->GetCommands().size() > before0; }));
    PumpUntil([] { return false; }, 200);
    EXPECT_EQ(simulators[1]->GetCommands().size(), before1);
    EXPECT_EQ(frame.Count(kParamsSet), 1);
    std::lock_guard<std::mutex> lock(host.mutex);
    EXPECT_EQ(host.pane0.front(), "正在设置通道参数......");
    EXPECT_EQ(host.pane0.back(), "通道参数设置完成");
}

} // namespace
