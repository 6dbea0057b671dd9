// The frame's test-function windows against two simulated cases: a mark
// added during a run from its tool-bar command, the locate window moving a
// stored table window (and nothing during a run), and the computing box.
#include "FrameRunFixture.h"

#include "acquisition/LeadWireSelfTest.h"
#include "app/ChildFrame.h"
#include "model/ChannelNaming.h"
#include "panels/alarms/DlgAlarmState.h"
#include "panels/alarms/DlgTestAlarm.h"
#include "panels/run/DlgComputingWait.h"
#include "panels/run/DlgLocateData.h"
#include "panels/run/DlgSampleLabel.h"
#include "panels/selftest/DlgLeadResistance.h"
#include "platform/Profile.h"
#include "project/OpenViewCounters.h"
#include "widgets/MSFlexGrid.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>

namespace {

constexpr int ID_DETECT_CASE = 32794;
constexpr int ID_START_SAMPLE = 32788;
constexpr int ID_STOP_SAMPLE = 32791;
constexpr int ID_ADD_SAMPLE_MARK = 32920;
constexpr int ID_LEAD_RESISTANCE_TEST = 32905;
constexpr int ID_SHOW_LEAD_RESISTANCE = 32915;

class FrameTestDialogsTest : public FrameRunTest {
protected:
    // Finds the cases and starts a continuous run into a new project (with
    // the channel settings `setup` makes); returns once at least `stored`
    // sets are stored.
    void StartRun(int stored, const std::function<void()>& setup = {}) {
        m_boxes.QueueAnswer(platform::IDYES);
        ASSERT_TRUE(m_frame->RunCommand(ID_DETECT_CASE));
        UseVoltageConversion();
        if (setup)
            setup();
        ASSERT_EQ(m_frame->GetProjectHandler().PrepareProject(m_scratch.File("Projects/Run/Run.dap")), 1);
        SetRunSettings(SAMPLE_MODE_CONTINUOUS, 1, 0);
        ASSERT_TRUE(m_frame->RunCommand(ID_START_SAMPLE));
        ASSERT_TRUE(ProcessEventsUntil([&] { return m_frame->GetSampling().m_nRunStoredCount >= stored; }));
    }
    void StopRun() {
        ASSERT_TRUE(m_frame->RunCommand(ID_STOP_SAMPLE));
        ASSERT_TRUE(WaitRunCompleted());
    }
    // Runs the add-mark command, types the text and presses a button.
    void AddMark(const QString& text, const char* button) {
        ASSERT_TRUE(m_frame->RunCommand(ID_ADD_SAMPLE_MARK));
        CDlgSampleLabel* label = m_frame->GetSampleLabel();
        ASSERT_TRUE(label->isVisible());
        auto* edit = label->findChild<QPlainTextEdit*>("label");
        EXPECT_EQ(edit->toPlainText(), "") << "the text of the last mark is cleared";
        edit->setPlainText(text);
        label->findChild<QPushButton*>(button)->click();
        EXPECT_FALSE(label->isVisible());
    }
};

TEST_F(FrameTestDialogsTest, AMarkAddedDuringARunIsWrittenToTheProjectMarkFile) {
    EXPECT_FALSE(m_frame->QueryCommandState(ID_ADD_SAMPLE_MARK).m_bEnabled) << "no run";
    StartRun(3);
    EXPECT_TRUE(m_frame->QueryCommandState(ID_ADD_SAMPLE_MARK).m_bEnabled);
    // The sample last taken when the command runs: the run goes on meanwhile.
    const int takenBefore = m_frame->GetSampling().m_nRunStoredCount - 1;
    AddMark("A\nB", "ok");
    const int takenAfter = m_frame->GetSampling().m_nRunStoredCount - 1;
    AddMark("not this", "cancel");
    StopRun();

    const std::string marks = m_scratch.File("Projects/Run/Run.mrk");
    EXPECT_EQ(GetSampleMarkCount(marks), 1) << "a cancelled text adds no mark";
    const std::vector<int> indexes = ReadSampleMarkIndexes(marks, 1);
    ASSERT_EQ(indexes.size(), 1u);
    const int marked = indexes[0];
    EXPECT_GE(marked, takenBefore);
    EXPECT_LE(marked, takenAfter);
    EXPECT_EQ(ReadSampleMarkText(marks, marked), "A\r\nB");
    char stored[64] = {};
    platform::GetPrivateProfileString("SampleMarkInfo", "SampleMarkInfo" + std::to_string(marked), "", stored,
                                      sizeof stored, marks);
    EXPECT_STREQ(stored, "A||B");
    EXPECT_FALSE(m_frame->QueryCommandState(ID_ADD_SAMPLE_MARK).m_bEnabled);
}

TEST_F(FrameTestDialogsTest, TheLocateWindowMovesAStoredTableWindowButNotDuringARun) {
    StartRun(6);
    StopRun();
    const int total = m_frame->GetProjectState().m_nTotalDataCount;
    CChildFrame* table = m_frame->OpenDataWindow(VIEW_TYPE_TABLE, true);
    ASSERT_NE(table, nullptr);
    ASSERT_TRUE(table->GetDocument()->IsStoredData());
    ASSERT_TRUE(m_frame->QueryCommandState(ID_DATA_LOCATE).m_bEnabled);

    ASSERT_TRUE(m_frame->RunCommand(ID_DATA_LOCATE));
    CDlgLocateData* locate = m_frame->GetLocateData();
    ASSERT_TRUE(locate->isVisible());
    auto* slider = locate->findChild<QSlider*>("slider");
    EXPECT_EQ(slider->maximum(), total - 1);
    slider->setValue(3);
    EXPECT_EQ(table->GetDocument()->m_nScreenDataLeft, 3);

    g_bSampling = 1;
    slider->setValue(1);
    EXPECT_EQ(table->GetDocument()->m_nScreenDataLeft, 3) << "nothing moves during a run";
    g_bSampling = 0;

    locate->close();
    EXPECT_TRUE(m_frame->QueryCommandState(ID_DATA_LOCATE).m_bEnabled) << "closing clears the open flag";
    // A window closed under the locate window is never touched.
    ASSERT_TRUE(m_frame->RunCommand(ID_DATA_LOCATE));
    delete table;
    slider->setValue(2);
}

TEST_F(FrameTestDialogsTest, AnAlarmInARunTurnsTheLampRedAndTheLampListsTheChannel) {
    CDlgAlarmState* lamp = m_frame->GetAlarmState();
    const auto lampColour = [&] { return lamp->grab().toImage().pixelColor(lamp->rect().center()); };
    EXPECT_EQ(lampColour(), QColor(0, 255, 0));
    // Channel 01-02-03 (unit 1) alarms above -1e9, that is always.
    StartRun(2, [] { g_AlarmTable[18] = {18, 0, 1, -1e9f, -2e9f}; });
    // The sets are checked as they arrive; the lamp follows when the window thread shows them.
    EXPECT_TRUE(ProcessEventsUntil([&] { return lamp->GetAlarm(); }));
    EXPECT_EQ(lampColour(), QColor(255, 0, 0));

    CDlgTestAlarm* window = m_frame->GetTestAlarm();
    EXPECT_FALSE(window->isVisible());
    platform::SendMessage(m_frame->GetSafeHwnd(), WM_SHOW_TEST_ALARM); // the lamp's double click
    ASSERT_TRUE(window->isVisible());
    EXPECT_EQ(window->GetGrid()->GetRows(), 2);
    EXPECT_EQ(window->GetGrid()->GetTextMatrix(1, 0), "01-02-03(超限报警)");
    StopRun();
}

TEST_F(FrameTestDialogsTest, ALeadWireMeasurementFillsItsWindowAndTheResultsFile) {
    m_boxes.QueueAnswer(platform::IDYES);
    ASSERT_TRUE(m_frame->RunCommand(ID_DETECT_CASE));
    UseVoltageConversion();
    const int strain = g_ChannelList[0];
    g_ChannelParams[strain].nMeasureType = MEASURE_STRAIN;
    CDlgLeadResistance* window = m_frame->GetLeadResistanceWindow();
    EXPECT_FALSE(window->isVisible());

    CLeadWireSelfTest& lead = m_frame->GetLeadWireTest();
    lead.SetSecondLength(100);
    m_boxes.QueueAnswer(platform::IDYES);
    ASSERT_TRUE(m_frame->RunCommand(ID_LEAD_RESISTANCE_TEST));
    ASSERT_TRUE(ProcessEventsUntil([&] { return !lead.IsBusy(); }, 30000));

    ASSERT_TRUE(window->isVisible());
    EXPECT_TRUE(window->HasData());
    EXPECT_EQ(window->GetChannels(), std::vector<int>{strain});
    EXPECT_EQ(window->GetGrid()->GetTextMatrix(1, 0), FormatChannelName(strain));
    EXPECT_FALSE(window->GetGrid()->GetTextMatrix(1, 1).empty());
    const std::string file = m_scratch.File("RLead.rst");
    EXPECT_EQ(platform::FileSize(file), 49152);

    // The view command hides the window, and shows the saved results again.
    ASSERT_TRUE(m_frame->RunCommand(ID_SHOW_LEAD_RESISTANCE));
    EXPECT_FALSE(window->isVisible());
    window->ClearResults();
    ASSERT_TRUE(m_frame->RunCommand(ID_SHOW_LEAD_RESISTANCE));
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->HasData());
}

TEST_F(FrameTestDialogsTest, TheComputingBoxStaysUntilEveryWorkerHasEnded) {
    m_frame->BeginComputingWait();
    m_frame->BeginComputingWait();
    EXPECT_TRUE(m_frame->IsComputingWaitShown());
    m_frame->EndComputingWait();
    EXPECT_TRUE(m_frame->IsComputingWaitShown());
    m_frame->EndComputingWait();
    EXPECT_FALSE(m_frame->IsComputingWaitShown());
    m_frame->EndComputingWait(); // an unmatched end leaves it closed
    m_frame->BeginComputingWait();
    EXPECT_TRUE(m_frame->IsComputingWaitShown());
}

} // namespace
