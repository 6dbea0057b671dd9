// What a run keeps, driven through the frame's own commands against two
// simulated cases: the questions before a start, the balance the run
// converts with, the marks taken during it and the counts the status bar
// shows afterwards.
#include "FrameRunFixture.h"

#include "model/ValueConversion.h"
#include "panels/bars/SampleParamBar.h"
#include "panels/run/DlgSampleLabel.h"
#include "project/SampleMarks.h"
#include "views/table/TableData.h"
#include "views/table/TableViewWidget.h"

#include <QCoreApplication>
#include <QPlainTextEdit>

namespace {

constexpr int ID_FILE_NEW = 57600;
constexpr int ID_START_SAMPLE = 32788;
constexpr int ID_STOP_SAMPLE = 32791;
constexpr int ID_BALANCE = 32792;
constexpr int ID_ADD_SAMPLE_MARK = 32920;
constexpr int ID_FILE_OPEN = 57601;
constexpr int ID_NEW_CURVE_WINDOW = 32774;
constexpr int ID_DATA_NEXT_BATCH = 32802;

class FrameRunRecordingTest : public FrameRunTest {
protected:
    // 新建项目 with the file dialog answering the project's folder.
    void NewProject(const std::string& name) {
        const std::string folder = m_scratch.File("Projects/" + name);
        m_app->GetProjectFileDialog().SetChooser(
            [folder](bool, const std::string&, const std::string&) { return folder; });
        ASSERT_TRUE(m_frame->RunCommand(ID_FILE_NEW));
        ASSERT_EQ(m_frame->GetProjectState().m_strProjectName, name);
    }
    // 平衡测点 on every channel, to its end.
    void Balance() {
        ASSERT_TRUE(m_frame->RunCommand(ID_BALANCE));
        ASSERT_TRUE(ProcessEventsUntil([&] { return !m_frame->GetSampling().IsBalanceRunning(); }));
    }
    // The user's click on a mode button of the sampling bar.
    void ChooseMode(int mode) { m_frame->GetSampleParamBar()->OnModeClicked(mode); }
    // 启动采样; the boxes it showed.
    std::vector<std::string> Start() {
        const std::size_t before = m_boxes.Records().size();
        EXPECT_TRUE(m_frame->RunCommand(ID_START_SAMPLE));
        std::vector<std::string> texts;
        const auto records = m_boxes.Records();
        for (std::size_t i = before; i < records.size(); ++i)
            texts.push_back(records[i].text);
        return texts;
    }
    // A continuous run until the frame has taken count samples, then 停止采样.
    void RunUntilStop(int count) {
        ASSERT_TRUE(
            ProcessEventsUntil([&] { return m_frame->GetSampling().m_nContinuousCount.load() >= count; }));
        ASSERT_TRUE(m_frame->RunCommand(ID_STOP_SAMPLE));
        ASSERT_TRUE(WaitRunCompleted());
    }
    // 添加采样标记 with the text typed into its dialog.
    void AddMark(const char* text) {
        ASSERT_TRUE(m_frame->RunCommand(ID_ADD_SAMPLE_MARK));
        CDlgSampleLabel* label = m_frame->GetSampleLabel();
        ASSERT_TRUE(label->isVisible());
        label->findChild<QPlainTextEdit*>("label")->setPlainText(QString::fromUtf8(text));
        label->accept();
    }
    std::int64_t UnitFileSize(int unit) {
        return platform::FileSize(m_frame->GetProjectState().GetCaseFilePath(unit, ".dat"));
    }
};

// A new project, balanced, in continuous mode starts without a question; in
// the project that then holds a run, a change of mode does not hide its data:
// the start asks to append, and Cancel gives the start up and keeps the data.
TEST_F(FrameRunRecordingTest, TheStartQuestionsFollowWhatTheProjectHolds) {
    Search();
    NewProject("beam1");
    Balance();
    ChooseMode(SAMPLE_MODE_CONTINUOUS);
    EXPECT_EQ(Start(), std::vector<std::string>{}) << "a new project has nothing to overwrite";
    ASSERT_TRUE(IsRunActive());
    RunUntilStop(20);
    const std::int64_t stored = UnitFileSize(0);
    ASSERT_GE(stored, 20 * 68);

    ChooseMode(SAMPLE_MODE_TIMED);
    ChooseMode(SAMPLE_MODE_CONTINUOUS);
    m_boxes.QueueAnswer(platform::IDCANCEL);
    const std::vector<std::string> asked = Start();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].rfind("没有建立新项目，是否追加数据到当前测试项目？", 0), 0u) << asked[0];
    EXPECT_EQ(asked[0].find("取消:  覆盖"), std::string::npos) << "Cancel never means overwrite";
    EXPECT_FALSE(IsRunActive()) << "Cancel gives the start up";
    EXPECT_EQ(UnitFileSize(0), stored);

    m_boxes.QueueAnswer(platform::IDYES);
    EXPECT_EQ(Start().size(), 1u);
    ASSERT_TRUE(IsRunActive());
    RunUntilStop(10);
    EXPECT_GT(UnitFileSize(0), stored) << "appended to the stored run";
    EXPECT_EQ(m_frame->GetProjectState().m_nTotalDataCount, UnitFileSize(0) / 68);
}

// Marks taken during a run land on the samples being taken, each with its
// own text, and those samples are in the stored run.
TEST_F(FrameRunRecordingTest, MarksDuringARunSitOnTheirSamples) {
    Search();
    NewProject("marks");
    SetRunSettings(SAMPLE_MODE_CONTINUOUS, 1, 0);
    ASSERT_EQ(Start(), std::vector<std::string>{});
    // The driver's thread counts sets while the mark is taken: the mark
    // sits on the newest set counted between just before and just after.
    const auto newest = [&] { return m_frame->GetSampling().m_nRunStoredCount.load() - 1; };
    std::vector<std::pair<int, int>> taken;
    for (const char* text : {"load 1", "load 2"}) {
        const int after = taken.empty() ? 10 : taken.back().second + 30;
        ASSERT_TRUE(ProcessEventsUntil([&] { return newest() >= after; }));
        const int before = newest();
        AddMark(text);
        taken.emplace_back(before, newest());
    }
    RunUntilStop(taken.back().second + 10);

    const std::string marks = m_frame->GetProjectState().GetFilePath(".mrk");
    ASSERT_EQ(GetSampleMarkCount(marks), 2);
    const std::vector<int> at = ReadSampleMarkIndexes(marks, 2);
    ASSERT_EQ(at.size(), 2u);
    for (std::size_t i = 0; i < at.size(); ++i) {
        EXPECT_GE(at[i], taken[i].first) << "mark " << i;
        EXPECT_LE(at[i], taken[i].second) << "mark " << i;
    }
    EXPECT_EQ(ReadSampleMarkText(marks, at[0]), "load 1");
    EXPECT_EQ(ReadSampleMarkText(marks, at[1]), "load 2");
    EXPECT_LT(at[1], m_frame->GetProjectState().m_nTotalDataCount);
}

// The simulated cases stream readings far beyond half the full count, so
// the balance leaves every strain channel not balanced and the run stores
// the marker: the live table shows it as the files keep it, never as a
// number made of it.
TEST_F(FrameRunRecordingTest, AChannelLeftUnbalancedShowsSoWhileTheRunGoesOn) {
    m_boxes.QueueAnswer(platform::IDYES);
    ASSERT_TRUE(m_frame->RunCommand(kDetectCaseCommand)); // the channels as the cases describe them
    NewProject("beam1");
    Balance();
    ASSERT_EQ(g_ChannelParams[0].nMeasureType, MEASURE_STRAIN);
    ASSERT_EQ(g_ChannelParams[0].nZero, ZERO_NOT_BALANCED);
    SetRunSettings(SAMPLE_MODE_CONTINUOUS, 1, 0);
    ASSERT_EQ(Start(), std::vector<std::string>{});
    ASSERT_EQ(CTableViewWidget::TableViews().size(), 1u) << "the start shows a live table";
    const CTableData& table = CTableViewWidget::TableViews().front()->Data();
    const auto cell = [&] { return table.m_grid.At(table.ValueRowOfGroup(table.RowGroup(0, 0)), 1).text; };
    ASSERT_TRUE(
        ProcessEventsUntil([&] { return !cell().empty() && m_frame->GetSampling().m_nRunStoredCount > 20; }));
    EXPECT_EQ(cell(), "未平衡") << "channel 01-01-01";
    RunUntilStop(30);
    const auto blocks = ReadBlocks(m_frame->GetProjectState().GetCaseFilePath(0, ".dat"));
    ASSERT_FALSE(blocks.empty());
    EXPECT_EQ(blocks.front().fValues[0], kUnbalancedValue);
}

// What the frame itself writes (a timed run) is headed by the unit.
TEST_F(FrameRunRecordingTest, BlocksTheFrameStoresAreHeadedByTheirUnit) {
    FindCasesAndPrepareProject();
    StoreTimedRun(3);
    for (const int unit : kUnits) {
        const auto blocks = ReadBlocks(m_frame->GetProjectState().GetCaseFilePath(unit, ".dat"));
        ASSERT_EQ(blocks.size(), 3u) << "unit " << unit;
        for (const CaseSampleBlock& block : blocks) {
            EXPECT_EQ(block.nHeader, unit);
            ExpectSimulatorValues(block, unit);
        }
    }
}

// The count panes give the samples the project holds: after a run longer
// than a curve window's batch, on the batch commands, and for the project
// opened again.
TEST_F(FrameRunRecordingTest, TheCountPanesGiveWhatTheProjectHolds) {
    Search();
    NewProject("counts");
    SetRunSettings(SAMPLE_MODE_CONTINUOUS, 1, 0);
    ASSERT_TRUE(m_frame->RunCommand(ID_NEW_CURVE_WINDOW));
    ASSERT_EQ(Start(), std::vector<std::string>{});
    RunUntilStop(300);
    const int stored = static_cast<int>(UnitFileSize(0) / 68);
    ASSERT_GT(stored, 256);
    EXPECT_EQ(m_frame->GetProjectState().m_nTotalDataCount, stored);
    const QString total = QString::fromUtf8("当前项目数据总数:%1").arg(stored);
    ASSERT_TRUE(m_frame->RunCommand(ID_DATA_NEXT_BATCH));
    EXPECT_EQ(m_frame->GetPaneText(901), total);

    m_frame->GetProjectHandler().CloseProject();
    const std::string projectFile = m_scratch.File("Projects/counts/counts.dap");
    m_app->GetProjectFileDialog().SetChooser(
        [projectFile](bool, const std::string&, const std::string&) { return projectFile; });
    ASSERT_TRUE(m_frame->RunCommand(ID_FILE_OPEN));
    ASSERT_EQ(m_frame->GetProjectState().m_nProjectState, PROJECT_OPENED);
    EXPECT_TRUE(m_frame->GetPaneText(900).startsWith(QString::fromUtf8("当前窗口数据个数:")))
        << m_frame->GetPaneText(900).toStdString();
    EXPECT_EQ(m_frame->GetPaneText(901), total);
}

} // namespace
