// Runs through the frame's own commands against two simulated cases: the
// commands follow the run's state, a timed run stores its sets in the
// project, and the case search keeps out of a running run.
#include "FrameRunFixture.h"

#include "acquisition/LeadWireSelfTest.h"

namespace {

constexpr int ID_START_SAMPLE = 32788;
constexpr int ID_PAUSE_SAMPLE = 32789;
constexpr int ID_STOP_SAMPLE = 32791;
constexpr int ID_BALANCE = 32792;
constexpr int ID_EXPORT_ZEROS = 32841;
constexpr int ID_LEAD_RESISTANCE_TEST = 32905;

class FrameSamplingTest : public FrameRunTest {
protected: // Enabled states of start, pause, stop, balance and zero export.
    std::vector<bool> RunCommandStates() {
        std::vector<bool> states;
        for (const int id : {ID_START_SAMPLE, ID_PAUSE_SAMPLE, ID_STOP_SAMPLE, ID_BALANCE, ID_EXPORT_ZEROS})
            states.push_back(m_frame->QueryCommandState(id).m_bEnabled);
        return states;
    }
};

TEST_F(FrameSamplingTest, ATimedRunOfThreeFromTheMenuStoresThreeSetsInTheProject) {
    using States = std::vector<bool>;
    EXPECT_EQ(RunCommandStates(), (States{false, false, false, false, false})) << "no case found yet";
    Search();
    EXPECT_EQ(RunCommandStates(), (States{true, false, false, true, true}));

    const std::string projectFile = m_scratch.File("Projects/Run/Run.dap");
    ASSERT_EQ(m_frame->GetProjectHandler().PrepareProject(projectFile), 1);
    SetRunSettings(SAMPLE_MODE_TIMED, 10, 3); // the bar's shortest interval
    auto now = std::make_shared<std::atomic<std::int64_t>>(100000);
    m_frame->GetSampling().SetClock([now] { return now->fetch_add(4000); });
    const std::size_t boxesBefore = m_boxes.Records().size();

    ASSERT_TRUE(m_frame->RunCommand(ID_START_SAMPLE));
    EXPECT_EQ(RunCommandStates(), (States{false, true, true, false, false}));
    EXPECT_TRUE(m_frame->QueryCommandState(ID_START_SAMPLE).m_bChecked);
    QAction* start = m_frame->GetAction(ID_START_SAMPLE);
    ASSERT_NE(start, nullptr);
    m_frame->UpdateCommandStates();
    EXPECT_TRUE(start->isChecked());
    ASSERT_TRUE(WaitRunCompleted());
    m_frame->UpdateCommandStates();
    EXPECT_FALSE(start->isCheckable()) << "an empty tick box stays beside the menu item";

    EXPECT_EQ(m_boxes.Records().size(), boxesBefore) << "a prepared project asks nothing";
    EXPECT_EQ(m_frame->GetSampling().m_nRunSampleCount.load(), 3);
    EXPECT_EQ(m_frame->GetProjectState().m_nTotalDataCount, 3);
    EXPECT_EQ(m_frame->GetProjectState().m_nProjectState, PROJECT_CONFIRMED);
    for (const int unit : kUnits) {
        const std::string base = m_scratch.File("Projects/Run/Run_" + std::to_string(unit));
        const auto blocks = ReadBlocks(base + ".dat");
        ASSERT_EQ(blocks.size(), 3u) << "unit " << unit;
        EXPECT_EQ(platform::FileSize(base + ".stu"), 3 * 32);
        for (const auto& block : blocks)
            ExpectSimulatorValues(block, unit);
    }
    EXPECT_EQ(RunCommandStates(), (States{true, false, false, true, true})) << "the frame is ready again";
}

TEST_F(FrameSamplingTest, PauseHoldsTheRunUntilStopFromTheMenu) {
    Search();
    ASSERT_EQ(m_frame->GetProjectHandler().PrepareProject(m_scratch.File("Projects/Run/Run.dap")), 1);
    SetRunSettings(SAMPLE_MODE_CONTINUOUS, 1, 0);
    ASSERT_TRUE(m_frame->RunCommand(ID_START_SAMPLE));
    ASSERT_TRUE(ProcessEventsUntil([&] { return m_frame->GetSampling().m_nRunStoredCount >= 5; }));

    ASSERT_TRUE(m_frame->RunCommand(ID_PAUSE_SAMPLE));
    EXPECT_TRUE(m_frame->QueryCommandState(ID_PAUSE_SAMPLE).m_bChecked);
    EXPECT_TRUE(m_frame->QueryCommandState(ID_START_SAMPLE).m_bEnabled) << "start resumes a paused run";
    EXPECT_FALSE(m_frame->QueryCommandState(ID_START_SAMPLE).m_bChecked);
    m_frame->close();
    EXPECT_TRUE(m_frame->isVisible()) << "the frame stays open while a run is paused";

    ASSERT_TRUE(m_frame->RunCommand(ID_STOP_SAMPLE));
    ASSERT_TRUE(WaitRunCompleted());
    EXPECT_GE(m_frame->GetProjectState().m_nTotalDataCount, 5);
    EXPECT_EQ(ReadBlocks(m_scratch.File("Projects/Run/Run_8.dat")).size(),
              static_cast<std::size_t>(m_frame->GetProjectState().m_nTotalDataCount));
}

TEST_F(FrameSamplingTest, TheCaseSearchKeepsOutOfARunningRun) {
    Search();
    std::vector<int> requests;
    for (auto& simulator : m_simulators)
        requests.push_back(simulator->CountCommands(2, 11));
    g_bSampling = 1;
    m_shell->GetSearch().OnDetectCase();
    EXPECT_EQ(m_shell->GetSearch().DetectCasesAndReport(), 0);
    m_shell->GetSearch().OnContinueTest();
    ProcessEventsUntil([] { return false; }, 200);
    for (std::size_t i = 0; i < m_simulators.size(); ++i)
        EXPECT_EQ(m_simulators[i]->CountCommands(2, 11), requests[i]) << "no case was asked again";
    EXPECT_EQ(g_nCaseCount, 3);
    EXPECT_EQ(m_frame->GetCasesFound(), 1);
    g_bSampling = 0;
}

TEST_F(FrameSamplingTest, TheFrameStaysOpenWhileTheLeadWireTestRuns) {
    Search();
    EXPECT_FALSE(m_frame->QueryCommandState(ID_LEAD_RESISTANCE_TEST).m_bEnabled) << "no strain channel";
    g_ChannelParams[g_ChannelList[0]].nMeasureType = MEASURE_STRAIN;
    ASSERT_TRUE(m_frame->QueryCommandState(ID_LEAD_RESISTANCE_TEST).m_bEnabled);

    CLeadWireSelfTest& lead = m_frame->GetLeadWireTest();
    lead.SetSecondLength(100);
    m_boxes.QueueAnswer(platform::IDYES);
    ASSERT_TRUE(m_frame->RunCommand(ID_LEAD_RESISTANCE_TEST));
    ASSERT_TRUE(lead.IsBusy());
    EXPECT_TRUE(m_frame->QueryCommandState(ID_LEAD_RESISTANCE_TEST).m_bChecked);
    m_frame->close();
    EXPECT_TRUE(m_frame->isVisible()) << "the frame stays open while the measurement runs";
    ASSERT_TRUE(ProcessEventsUntil([&] { return !lead.IsBusy(); }, 30000));
    EXPECT_FALSE(m_frame->QueryCommandState(ID_LEAD_RESISTANCE_TEST).m_bChecked);
}

} // namespace
