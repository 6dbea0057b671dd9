// A table view open in the frame follows a run against two simulated cases:
// while the run goes on it shows the last stored sample with its time, and
// once it ends it browses the stored run.
#include "FrameRunFixture.h"

#include "datafiles/DataFileAccess.h"
#include "platform/Text.h"
#include "project/OpenViewCounters.h"
#include "project/ProjectDocument.h"
#include "views/table/TableData.h"
#include "views/table/TableViewWidget.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QTableView>

#include <algorithm>
#include <cstdlib>
#include <string>

namespace {

constexpr int ID_DETECT_CASE = 32794;
constexpr int ID_START_SAMPLE = 32788;
constexpr int ID_STOP_SAMPLE = 32791;

// What the table showed at one moment of the run.
struct TableSnapshot {
    int position = -1;
    std::vector<std::vector<std::string>> cells; // by unit slot, then channel
    std::string status;
};

class FrameTableFeedTest : public FrameRunTest {
protected:
    static TableSnapshot Snapshot(const CTableData& data) {
        TableSnapshot shot{data.m_nPosition, {}, data.m_strStatus};
        for (int slot = 0; slot < static_cast<int>(std::size(kUnits)); ++slot) {
            shot.cells.emplace_back();
            for (int ch = 0; ch < 16; ++ch)
                shot.cells.back().push_back(
                    data.m_grid
                        .At(data.ValueRowOfGroup(data.RowGroup(slot, ch)), ch % data.ColumnsPerRow() + 1)
                        .text);
        }
        return shot;
    }

    static SampleStatusRecord ReadStatus(const std::string& statusFile, int index) {
        std::ifstream file(statusFile, std::ios::binary);
        SampleStatusRecord record{};
        file.seekg(static_cast<std::streamoff>(index) * sizeof record);
        file.read(reinterpret_cast<char*>(&record), sizeof record);
        return record;
    }

    // The snapshot's cells hold the stored values of sample k.
    void ExpectStoredSample(const TableSnapshot& shot, int k) {
        SCOPED_TRACE("sample " + std::to_string(k));
        for (int slot = 0; slot < static_cast<int>(std::size(kUnits)); ++slot) {
            const int unit = kUnits[slot];
            SCOPED_TRACE("unit " + std::to_string(unit));
            const auto blocks =
                ReadBlocks(m_scratch.File("Projects/Run/Run_" + std::to_string(unit) + ".dat"));
            ASSERT_GT(static_cast<int>(blocks.size()), k);
            ExpectSimulatorValues(blocks[static_cast<std::size_t>(k)], unit);
            for (int ch = 0; ch < 16; ++ch) {
                const std::string& text =
                    shot.cells[static_cast<std::size_t>(slot)][static_cast<std::size_t>(ch)];
                ASSERT_FALSE(text.empty()) << "channel " << ch;
                const double expected = blocks[static_cast<std::size_t>(k)].fValues[ch] * 0.001;
                EXPECT_NEAR(std::strtod(text.c_str(), nullptr), expected, 0.5e-3 + 1e-6) << "channel " << ch;
            }
        }
    }
};

TEST_F(FrameTableFeedTest, AnOpenTableShowsTheLastStoredSampleOfATimedRun) {
    m_boxes.QueueAnswer(platform::IDYES);
    ASSERT_TRUE(m_frame->RunCommand(ID_DETECT_CASE));
    ASSERT_EQ(g_nCaseCount, 3);
    UseVoltageConversion();
    ASSERT_EQ(m_frame->GetProjectHandler().PrepareProject(m_scratch.File("Projects/Run/Run.dap")), 1);
    ASSERT_TRUE(m_frame->RunCommand(ID_NEW_TABLE_WINDOW));
    ASSERT_EQ(CTableViewWidget::TableViews().size(), 1u);
    CTableData& data = CTableViewWidget::TableViews().front()->Data();
    ASSERT_EQ(data.m_nShowDataType, TABLE_MEASURED);
    constexpr int kDecimals = 3;
    data.m_nDataPrecision = kDecimals;
    data.m_PrecisionByType.clear();

    // No count limit: the snapshot is taken during the run, before the
    // run's end reloads the views from the stored files.
    SetRunSettings(SAMPLE_MODE_TIMED, 10, 0);
    auto now = std::make_shared<std::atomic<std::int64_t>>(100000);
    m_frame->GetSampling().SetClock([now] { return now->fetch_add(4000); });
    ASSERT_TRUE(m_frame->RunCommand(ID_START_SAMPLE));
    // The sampling thread counts a stored set before the frame is told of
    // it, so the view's own position says which sample it was handed.
    TableSnapshot shot;
    ASSERT_TRUE(ProcessEventsUntil([&] {
        if (g_bSampling.load() == 0 || data.m_nPosition < 1)
            return false;
        shot = Snapshot(data);
        return true;
    }));
    ASSERT_TRUE(m_frame->RunCommand(ID_STOP_SAMPLE));
    ASSERT_TRUE(WaitRunCompleted());

    const int last = shot.position;
    ExpectStoredSample(shot, last);
    const SampleStatusRecord status = ReadStatus(m_scratch.File("Projects/Run/Run_0.stu"), last);
    const std::string time = FormatStatusTime(status.dtTime, status.nStatus);
    ASSERT_FALSE(time.empty());
    EXPECT_EQ(shot.status, "采样时间: " + time + "    采样状态: " + platform::GbkToUtf8(StatusLabel(status)));

    // The window that watched the run browses the stored run, as one opened
    // after it would.
    ASSERT_GE(m_frame->GetProjectState().m_nTotalDataCount, 2);
    ASSERT_TRUE(m_frame->RunCommand(ID_DATA_FIRST));
    EXPECT_EQ(data.m_nPosition, 0);
    ExpectStoredSample(Snapshot(data), 0);
    ASSERT_TRUE(m_frame->RunCommand(ID_DATA_NEXT_BATCH));
    EXPECT_EQ(data.m_nPosition, 1);
    ExpectStoredSample(Snapshot(data), 1);

    // Only a mode that shows stored samples browses them; only measured
    // data deletes the shown one.
    CTableViewWidget& table = *CTableViewWidget::TableViews().front();
    const int browsing[] = {ID_DATA_FIRST, ID_DATA_PREV_BATCH, ID_DATA_NEXT_BATCH, ID_DATA_LAST};
    for (const int mode : {ID_TABLE_SHOW_BALANCE_STATE, ID_TABLE_SHOW_BALANCE_VALUES}) {
        ASSERT_TRUE(table.OnCommand(mode));
        for (const int id : browsing)
            EXPECT_FALSE(m_frame->QueryCommandState(id).m_bEnabled) << "mode " << mode << ", command " << id;
        EXPECT_FALSE(m_frame->QueryCommandState(ID_DELETE_CURRENT_DATA).m_bEnabled) << "mode " << mode;
    }
    ASSERT_TRUE(table.OnCommand(ID_TABLE_SHOW_HISTORY));
    EXPECT_TRUE(m_frame->QueryCommandState(ID_DATA_FIRST).m_bEnabled) << "the table is past the first sample";
    EXPECT_FALSE(m_frame->QueryCommandState(ID_DELETE_CURRENT_DATA).m_bEnabled);
    ASSERT_TRUE(table.OnCommand(ID_TABLE_SHOW_MEASURED));
    EXPECT_TRUE(m_frame->QueryCommandState(ID_DELETE_CURRENT_DATA).m_bEnabled);
}

// A table window opened before the search (as one the layout file restores at
// start) gets the found units' rows and readable columns; after a stopped run
// its history display lists the stored samples, and once the project is
// opened again the document's commands move a table through the stored run.
TEST_F(FrameTableFeedTest, TablesFollowTheSearchTheRunAndTheOpenedProject) {
    ASSERT_TRUE(m_frame->RunCommand(ID_NEW_TABLE_WINDOW));
    ASSERT_EQ(CTableViewWidget::TableViews().size(), 1u);
    CTableViewWidget* table = CTableViewWidget::TableViews().front();
    m_boxes.QueueAnswer(platform::IDYES);
    ASSERT_TRUE(m_frame->RunCommand(ID_DETECT_CASE));
    ASSERT_EQ(g_nCaseCount, 3);
    CTableData& data = table->Data();
    ASSERT_EQ(data.m_grid.Rows(), 4) << "a heading row and one row per unit";
    EXPECT_EQ(data.m_grid.At(1, 0).text, "01-01");
    EXPECT_EQ(data.m_grid.At(3, 0).text, "02-01");
    // The columns share the window's width, not the width of a window that
    // was never shown, and each one is wide enough for its heading.
    int columnsWidth = 0;
    const QFontMetrics metrics(table->Grid()->font());
    for (int column = 0; column < data.m_grid.Columns(); ++column) {
        columnsWidth += table->Grid()->columnWidth(column);
        EXPECT_GT(table->Grid()->columnWidth(column),
                  metrics.horizontalAdvance(QString::fromStdString(data.m_grid.At(0, column).text)))
            << "column " << column;
    }
    const int viewportWidth = table->Grid()->viewport()->width();
    EXPECT_GT(columnsWidth, viewportWidth * 9 / 10);

    UseVoltageConversion();
    ASSERT_EQ(m_frame->GetProjectHandler().PrepareProject(m_scratch.File("Projects/Run/Run.dap")), 1);
    SetRunSettings(SAMPLE_MODE_CONTINUOUS, 1, 0);
    ASSERT_TRUE(m_frame->RunCommand(ID_START_SAMPLE));
    ASSERT_TRUE(ProcessEventsUntil([&] { return m_frame->GetSampling().m_nRunStoredCount >= 20; }));
    EXPECT_TRUE(ProcessEventsUntil([&] { return !data.m_grid.At(1, 1).text.empty(); }))
        << "the table follows the run";
    ASSERT_TRUE(m_frame->RunCommand(ID_STOP_SAMPLE));
    ASSERT_TRUE(WaitRunCompleted());
    const int stored = m_frame->GetProjectState().m_nTotalDataCount;
    ASSERT_GE(stored, 20);

    ASSERT_TRUE(table->OnCommand(ID_TABLE_SHOW_HISTORY));
    ASSERT_EQ(data.m_nShowDataType, TABLE_HISTORY);
    const int first = data.HeadingRows();
    int rows = 0;
    while (first + rows < data.m_grid.Rows() && !data.m_grid.At(first + rows, 0).text.empty())
        ++rows;
    // The last sets of a unit that ended short are padded without a time:
    // the list of timed samples may end a few sets before them (the cases
    // take the stop one after another, a tenth of a second of sets apart at
    // most).
    EXPECT_LE(rows, std::min(data.m_nRowLimit, stored)) << "the history lists the stored samples";
    EXPECT_GE(rows, std::min(data.m_nRowLimit, stored) - 10) << "the history lists the stored samples";
    EXPECT_FALSE(data.m_grid.At(first, 2).text.empty());

    // The project opened again: a new table shows stored samples and moves
    // with the document's commands.
    m_frame->GetProjectHandler().CloseProject();
    m_frame->CloseAllChildWindows();
    m_app->GetProjectFileDialog().SetChooser(
        [&](bool, const std::string&, const std::string&) { return m_scratch.File("Projects/Run/Run.dap"); });
    m_app->OnFileOpenProject();
    ASSERT_EQ(m_frame->GetProjectState().m_nProjectState, PROJECT_OPENED);
    ASSERT_EQ(m_frame->GetProjectState().m_nTotalDataCount, stored);
    m_frame->CloseAllChildWindows(); // the ones the project's layout restored
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // as the event loop would
    ASSERT_TRUE(CTableViewWidget::TableViews().empty());
    ASSERT_TRUE(m_frame->RunCommand(ID_NEW_TABLE_WINDOW));
    ASSERT_EQ(CTableViewWidget::TableViews().size(), 1u);
    CTableData& opened = CTableViewWidget::TableViews().front()->Data();
    ASSERT_EQ(opened.m_nShowDataType, TABLE_MEASURED);
    ASSERT_TRUE(m_frame->RunCommand(ID_DATA_LAST));
    EXPECT_EQ(opened.m_nPosition, stored - 1);
    const std::string lastText = opened.m_grid.At(1, 1).text;
    EXPECT_FALSE(lastText.empty());
    ASSERT_TRUE(m_frame->RunCommand(ID_DATA_FIRST));
    EXPECT_EQ(opened.m_nPosition, 0);
    EXPECT_FALSE(opened.m_grid.At(1, 1).text.empty());
    EXPECT_NE(opened.m_grid.At(1, 1).text, lastText) << "another sample";
    ASSERT_TRUE(m_frame->RunCommand(ID_DATA_NEXT_BATCH));
    EXPECT_EQ(opened.m_nPosition, 1);
    EXPECT_NE(opened.m_strStatus.find("采样时间: "), std::string::npos);
}

} // namespace
