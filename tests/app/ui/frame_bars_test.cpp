// The frame's docked bars are the working channel and sampling bars: the
// channel bar lists the found cases' channels, and what the user changes in
// the sampling bar reaches the frame's settings and resets its run.
#include "FrameRunFixture.h"

#include "app/ChannelNaming.h"
#include "panels/ChannelParamBar.h"
#include "panels/MSFlexGrid.h"

#include <QDockWidget>

#include <set>
#include <string>

namespace {

constexpr int ID_DETECT_CASE = 32794;

class FrameBarsTest : public FrameRunTest {
protected:
    const char* ExtraSettings() const override {
        return "[SampleFrequency]\nFrequencyLevelCount=3\nFrequency0=1,1Hz,001\n"
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
    // sampling leaves the run alone.
    m_frame->GetProjectHandler().SetProjectState(PROJECT_CONFIRMED);
    bar->OnModeClicked(SAMPLE_MODE_CONTINUOUS);
    EXPECT_EQ(project.m_SampleSettings.nSampleMode, SAMPLE_MODE_CONTINUOUS);
    EXPECT_EQ(project.m_nProjectState, PROJECT_PREPARED);
    m_frame->GetProjectHandler().SetProjectState(PROJECT_CONFIRMED);
    bar->OnModeClicked(SAMPLE_MODE_TIMED);
    EXPECT_EQ(project.m_SampleSettings.nSampleMode, SAMPLE_MODE_TIMED);
    EXPECT_EQ(project.m_nProjectState, PROJECT_CONFIRMED);
}

} // namespace
