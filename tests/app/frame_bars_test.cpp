// The frame's docked bars are the working channel and sampling bars: the
// channel bar lists the found cases' channels, and what the user changes in
// the sampling bar reaches the frame's settings and resets its run.
#include "FrameRunFixture.h"
#include "project/ProjectTestSupport.h"

#include "libs/spectrum/FFTSpectrumChildFrm.h"
#include "libs/spectrum/FFTSpectrumView.h"
#include "libs/spectrum/Lurrow.h"
#include "libs/spectrum/SpectrumGraphCtrl.h"
#include "model/ChannelNaming.h"
#include "panels/bars/ChannelParamBar.h"
#include "widgets/MSFlexGrid.h"

#include <QComboBox>

#include <QDockWidget>

#include <set>
#include <string>

namespace {

constexpr int ID_DETECT_CASE = 32794;
constexpr int ID_TOGGLE_SPECTRUM = 32945;

class FrameBarsTest : public FrameRunTest {
protected:
    const char* ExtraSettings() const override {
        return "SoftwareSpectrum=1\n[SampleFrequency]\nFrequencyLevelCount=3\nFrequency0=1,1Hz,001\n"
               "Frequency1=10,10Hz,004\nFrequency2=100,100Hz,007\n";
    }
};

TEST_F(FrameBarsTest, TheChannelPaneListsTheChannelsOfTheFoundCases) {
    auto* bar = qobject_cast<CChannelParamBar*>(m_frame->GetPane(IDR_PANE_CHANNEL_PARAM)->widget());
    ASSERT_NE(bar, nullptr);
    m_boxes.QueueAnswer(platform::IDYES);
    ASSERT_TRUE(m_frame->RunCommand(ID_DETECT_CASE));
    ASSERT_EQ(g_nCaseCount, 3);
    m_frame->RefreshChannelParamBar();

    // The overview page: every present channel but the pass-through ones.
    std::set<std::string> expected;
    for (int i = 0; i < g_nChannelCount; ++i) {
        const int id = g_ChannelList[i];
        if (g_ChannelParams[id].nMeasureType != MEASURE_PASS_THROUGH)
            expected.insert(FormatChannelName(id));
    }
    ASSERT_FALSE(expected.empty());
    std::set<std::string> listed;
    for (int row = 1; row < bar->GetGrid()->GetRows(); ++row)
        listed.insert(bar->GetGrid()->GetTextMatrix(row, 0));
    EXPECT_EQ(listed, expected);
}

TEST_F(FrameBarsTest, ASamplingBarChangeReachesTheFrameAndResetsItsRun) {
    CSampleParamBar* bar = m_frame->GetSampleParamBar();
    CProjectState& project = m_frame->GetProjectState();
    ASSERT_EQ(m_frame->GetPane(IDR_PANE_SAMPLE_PARAM)->widget(), bar);

    // A confirmed project goes back to prepared and loses its counts.
    m_frame->GetProjectHandler().SetProjectState(PROJECT_CONFIRMED);
    project.m_nTotalDataCount = 5;
    bar->OnFrequencySelected(2);
    EXPECT_EQ(project.m_SampleSettings.fSampleFreq, 100.0f);
    EXPECT_EQ(project.m_nProjectState, PROJECT_PREPARED);
    EXPECT_EQ(project.m_nTotalDataCount, 0);

    // An opened project keeps its sampled data.
    m_frame->GetProjectHandler().SetProjectState(PROJECT_OPENED);
    project.m_nTotalDataCount = 5;
    bar->OnFrequencySelected(0);
    EXPECT_EQ(project.m_SampleSettings.fSampleFreq, 1.0f);
    EXPECT_EQ(project.m_nProjectState, PROJECT_OPENED);
    EXPECT_EQ(project.m_nTotalDataCount, 5);

    // A mode button: the frame takes the mode, and leaving continuous
    // sampling leaves the run alone. The project stays the run's project.
    m_frame->GetProjectHandler().SetProjectState(PROJECT_CONFIRMED);
    project.m_strProjectFile = m_scratch.File("Projects/Run/Run.dap");
    bar->OnModeClicked(SAMPLE_MODE_CONTINUOUS);
    EXPECT_EQ(project.m_SampleSettings.nSampleMode, SAMPLE_MODE_CONTINUOUS);
    EXPECT_EQ(project.m_nProjectState, PROJECT_PREPARED);
    EXPECT_EQ(project.m_strProjectFile, m_scratch.File("Projects/Run/Run.dap"));
    m_frame->GetProjectHandler().SetProjectState(PROJECT_CONFIRMED);
    bar->OnModeClicked(SAMPLE_MODE_TIMED);
    EXPECT_EQ(project.m_SampleSettings.nSampleMode, SAMPLE_MODE_TIMED);
    EXPECT_EQ(project.m_nProjectState, PROJECT_CONFIRMED);
}

TEST_F(FrameBarsTest, NewSettingsAskWhereTheNextRunGoesAndReachTheSpectrumWindows) {
    CProjectState& project = m_frame->GetProjectState();
    m_boxes.QueueAnswer(platform::IDYES);
    ASSERT_TRUE(m_frame->RunCommand(ID_DETECT_CASE));
    ASSERT_EQ(m_frame->GetProjectHandler().PrepareProject(m_scratch.File("Projects/Run/Run.dap")), 1);
    ASSERT_TRUE(m_frame->RunCommand(ID_TOGGLE_SPECTRUM));
    ASSERT_TRUE(m_frame->RunCommand(ID_NEW_SPECTRUM_WINDOW));
    ASSERT_EQ(m_frame->GetSpectrumFrames().size(), 1u);
    const lurrow::CSpectrumGraph& graph =
        m_frame->GetSpectrumFrames().front()->GetView()->GetGraphCtrl()->Graph();
    Lurrow* graphInterface = m_frame->GetGraphInterface();
    CSampleParamBar* bar = m_frame->GetSampleParamBar();
    bar->OnModeClicked(SAMPLE_MODE_CONTINUOUS);
    auto* points = bar->findChild<QComboBox*>("1456");
    ASSERT_NE(points, nullptr);
    const int index = points->findText("1024");
    ASSERT_GE(index, 0);
    ASSERT_NE(graphInterface->GetBlockSize(), 1024);

    // The project holds the samples of a run.
    m_frame->GetProjectHandler().SetProjectState(PROJECT_CONFIRMED);
    project.m_strProjectFile = project.GetFilePath(".dap");
    // Three whole sets in every unit's files.
    for (const int unit : kUnits)
        WriteCaseRunFiles(project, unit, 3, 3);
    bar->OnTimePointsSelected(index);
    EXPECT_EQ(project.m_nProjectState, PROJECT_PREPARED);
    // The graph interface has the new block and the window's lines were
    // laid out anew at its line count.
    EXPECT_EQ(graphInterface->GetBlockSize(), 1024);
    EXPECT_EQ(graphInterface->GetSampleRate(), project.m_SampleSettings.fSampleFreq);
    EXPECT_EQ(graph.GetAxisCount(), lurrow::SpectralLineCount(1024));
    ASSERT_EQ(graph.GetLineCount(), 1);
    EXPECT_EQ(graph.GetLine(0).size(), static_cast<std::size_t>(lurrow::SpectralLineCount(1024)));

    // The next start asks whether the run is appended to the project's data.
    m_boxes.QueueAnswer(platform::IDCANCEL);
    EXPECT_EQ(m_frame->GetProjectHandler().ConfirmProjectForSampling(), 0);
    ASSERT_FALSE(m_boxes.Records().empty());
    EXPECT_EQ(m_boxes.Records().back().text.rfind("没有建立新项目，是否追加数据到当前测试项目？", 0), 0u);
    EXPECT_EQ(platform::FileSize(project.GetCaseFilePath(0, ".dat")), 3 * 68);
}

} // namespace
