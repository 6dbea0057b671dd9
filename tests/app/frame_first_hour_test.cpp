// A test engineer's first hour with the program, through the main frame's
// own commands against two simulated cases streaming at their own rate: find
// the cases, a new project, balance, a continuous run watched in a curve, a
// history, a bar and a table window, two marks, stop, browse the batches,
// export, close and open the project again. What the user sees and keeps
// must agree with what the run stored.
#include "FrameRunFixture.h"

#include "datafiles/SaveDataOptions.h"
#include "model/ChannelNaming.h"
#include "model/ValueConversion.h"
#include "panels/run/DlgSampleLabel.h"
#include "project/SampleMarks.h"
#include "views/bar/BarViewWidget.h"
#include "views/curve/CurveViewWidget.h"
#include "views/curve/DlgPlotSignalSelect.h"
#include "views/history/HistoryViewWidget.h"
#include "views/table/TableData.h"
#include "views/table/TableViewWidget.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QTableView>

#include <cmath>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int ID_FILE_NEW = 57600;
constexpr int ID_FILE_OPEN = 57601;
constexpr int ID_START_SAMPLE = 32788;
constexpr int ID_STOP_SAMPLE = 32791;
constexpr int ID_BALANCE = 32792;
constexpr int ID_ADD_SAMPLE_MARK = 32920;
constexpr int ID_NEW_HISTORY = 32773;
constexpr int ID_NEW_CURVE = 32774;
constexpr int ID_NEW_TABLE = 32775;
constexpr int ID_NEW_BAR = 32881;
constexpr int ID_FIRST_BATCH = 32800;
constexpr int ID_NEXT_BATCH = 32802;

class FrameFirstHourTest : public FrameRunTest {
protected:
    // Readings a strain gauge at rest gives: well inside the balance range.
    SineWave Waveform() const override { return {97, 3000}; }
    // The instrument's bridge voltage: without one a strain channel has no
    // scale and converts every reading to no value, live and stored alike.
    const char* ExtraSettings() const override {
        return "[BridgeVoltage]\nBridgeVoltageCount=0\nBridgeVoltage0=2,2V=002\n";
    }

    // The blocks of every unit as the run stored them.
    std::map<int, std::vector<CaseSampleBlock>> StoredRun() {
        std::map<int, std::vector<CaseSampleBlock>> run;
        for (const int unit : kUnits)
            run[unit] = ReadBlocks(m_frame->GetProjectState().GetCaseFilePath(unit, ".dat"));
        return run;
    }
    // The engineering value of a channel in stored sample k.
    float StoredValue(int channel, int k) {
        const auto& blocks = m_run.at(channel / 16);
        EXPECT_LT(k, static_cast<int>(blocks.size()));
        return static_cast<float>(ConvertBlockChannelValue(channel, blocks.at(static_cast<std::size_t>(k))));
    }
    void AddMark(const char* text) {
        ASSERT_TRUE(m_frame->RunCommand(ID_ADD_SAMPLE_MARK));
        CDlgSampleLabel* label = m_frame->GetSampleLabel();
        label->findChild<QPlainTextEdit*>("label")->setPlainText(QString::fromUtf8(text));
        label->accept();
    }
    // The File menu's export with the table window active; the file dialog
    // answers a name with the extension its filter offers.
    std::string Export(int id, const char* name) {
        std::string written;
        m_frame->SetFileChooser([&](bool save, const std::string& filter, const std::string&,
                                    const std::string&, std::string& path) {
            const std::size_t star = filter.rfind("*.");
            const std::string ext = filter.substr(star + 2, filter.find(')', star) - star - 2);
            path = written = m_scratch.File(std::string(name) + "." + ext);
            return save;
        });
        QAction* item = MenuItem("文件", id);
        EXPECT_NE(item, nullptr);
        if (item == nullptr || !item->isEnabled())
            return {};
        item->trigger();
        return written;
    }

    // A block the end of the run added to even out the units' lengths: no
    // value in any channel. A block of zeros is checked as a sample.
    static bool IsPadding(const CaseSampleBlock& block, int unit) {
        if (block.nHeader != unit)
            return false;
        for (float v : block.fValues)
            if (v != kNoValue)
                return false;
        return true;
    }

    std::map<int, std::vector<CaseSampleBlock>> m_run;
};

TEST_F(FrameFirstHourTest, AFirstHourKeepsWhatTheEngineerSaw) {
    // Find the cases, a new project, a balance of every channel.
    m_boxes.QueueAnswer(platform::IDYES);
    ASSERT_TRUE(m_frame->RunCommand(kDetectCaseCommand));
    ASSERT_EQ(g_nCaseCount, 3);
    const std::string folder = m_scratch.File("Projects/beam1");
    m_app->GetProjectFileDialog().SetChooser(
        [folder](bool, const std::string&, const std::string&) { return folder; });
    ASSERT_TRUE(m_frame->RunCommand(ID_FILE_NEW));
    ASSERT_TRUE(m_frame->RunCommand(ID_BALANCE));
    ASSERT_TRUE(ProcessEventsUntil([&] { return !m_frame->GetSampling().IsBalanceRunning(); }));
    std::vector<int> strain;
    for (int i = 0; i < g_nChannelCount; ++i) {
        const int id = g_ChannelList[i];
        if (g_ChannelParams[id].nMeasureType == MEASURE_STRAIN)
            strain.push_back(id);
        EXPECT_NE(g_ChannelParams[id].nZero, ZERO_NOT_BALANCED) << FormatChannelName(id);
    }
    ASSERT_FALSE(strain.empty());

    // A continuous run watched in four windows.
    m_frame->GetSampleParamBar()->OnModeClicked(SAMPLE_MODE_CONTINUOUS);
    for (const int id : {ID_NEW_CURVE, ID_NEW_HISTORY, ID_NEW_BAR, ID_NEW_TABLE})
        ASSERT_TRUE(m_frame->RunCommand(id)) << id;
    ASSERT_EQ(CCurveViewWidget::CurveViews().size(), 1u);
    ASSERT_EQ(CHistoryViewWidget::HistoryViews().size(), 1u);
    ASSERT_EQ(CBarViewWidget::BarViews().size(), 1u);
    ASSERT_EQ(CTableViewWidget::TableViews().size(), 2u) << "the balance results and the new table";
    CCurveViewWidget& curve = *CCurveViewWidget::CurveViews().front();

    // 选择观察测点 offers every online channel.
    int offered = -1;
    curve.runSignalDialog = [&](CDlgPlotSignalSelect& dialog) {
        offered = dialog.Available()->count() + dialog.Chosen()->count();
        dialog.reject();
        return dialog.result();
    };
    curve.RefreshWorld();
    ASSERT_TRUE(TriggerContextItem(curve, ID_SELECT_SIGNALS));
    EXPECT_EQ(offered, g_nChannelCount) << "the signal dialog lists every online channel";

    const std::size_t boxes = m_boxes.Records().size();
    ASSERT_TRUE(m_frame->RunCommand(ID_START_SAMPLE));
    EXPECT_EQ(m_boxes.Records().size(), boxes) << "a new project starts without a question";
    ASSERT_TRUE(IsRunActive());
    // The driver's thread counts sets while a mark is taken: the mark sits
    // on the newest set counted between just before and just after.
    const auto newest = [&] { return m_frame->GetSampling().m_nRunStoredCount.load() - 1; };
    std::vector<std::pair<int, int>> taken;
    for (const char* text : {"荷载 1", "荷载 2"}) {
        const int after = taken.empty() ? 50 : taken.back().second + 100;
        ASSERT_TRUE(ProcessEventsUntil([&] { return newest() >= after; }, 30000));
        const int before = newest();
        AddMark(text);
        taken.emplace_back(before, newest());
    }
    ASSERT_TRUE(
        ProcessEventsUntil([&] { return m_frame->GetSampling().m_nRunStoredCount.load() > 300; }, 30000));
    ASSERT_TRUE(m_frame->RunCommand(ID_STOP_SAMPLE));
    ASSERT_TRUE(WaitRunCompleted());

    // The stored strain values are the balanced values of what the cases sent.
    m_run = StoredRun();
    const int stored = m_frame->GetProjectState().m_nTotalDataCount;
    ASSERT_GT(stored, 300);
    for (const auto& [unit, blocks] : m_run) {
        EXPECT_EQ(static_cast<int>(blocks.size()), stored) << "unit " << unit;
        int invented = 0;
        for (const CaseSampleBlock& block : blocks) {
            if (block.nHeader < 0)
                continue; // a sample the case never sent
            if (IsPadding(block, unit)) {
                ++invented;
                continue;
            }
            const std::int64_t n = block.nHeader & 0xFFFFFF;
            for (const int id : strain) {
                if (id / 16 != unit)
                    continue;
                const float reading = -static_cast<float>(CCaseSimulator::SineValue(Waveform(), n)) *
                                      static_cast<float>(GetChannelGainFactor(id));
                const float expected =
                    (reading - static_cast<float>(g_ChannelParams[id].nZero)) * g_ChannelState[id].fScale -
                    g_fChannelOffset[id];
                ASSERT_EQ(block.fValues[id % 16], expected) << FormatChannelName(id) << " sample " << n;
            }
        }
        // A sample a unit never sent is no reading of 0.
        for (const CaseSampleBlock& block : blocks)
            if (IsPadding(block, unit))
                EXPECT_EQ(block.fValues[0], kNoValue)
                    << "unit " << unit << ": " << invented << " padded samples";
    }

    // Every open window holds the stored points: none blank, none made up.
    {
        const CCurveViewModel& m = curve.Model();
        const std::vector<int> ids = m.GetChannelIDs();
        ASSERT_FALSE(ids.empty());
        EXPECT_GT(m.PointCount(), 0) << "the curve is not blank after the stop";
        for (int c = 0; c < static_cast<int>(ids.size()); ++c)
            for (int i = 0; i < m.PointCount(); ++i) {
                const float stored = StoredValue(ids[std::size_t(c)], m.m_nFirstSample + i);
                EXPECT_EQ(m.PointValue(c, i), stored) << FormatChannelName(ids[std::size_t(c)]) << " point "
                                                      << i << " of sample " << m.m_nFirstSample + i;
                if (m.PointValue(c, i) != stored)
                    break; // one point tells
            }
    }
    // The information column gives the values at the end of the history's window.
    {
        const CHistoryViewModel& m = CHistoryViewWidget::HistoryViews().front()->Model();
        ASSERT_EQ(m.m_nCursorType, 0);
        const int last = m.m_nFirstSample + m.m_nValidCount - 1;
        for (const HistoryInfoRow& row : m.InfoRows())
            if (row.nChannel >= 0) {
                EXPECT_FALSE(IsMarkerValue(row.fValue)) << FormatChannelName(row.nChannel);
                EXPECT_EQ(row.fValue, StoredValue(row.nChannel, last)) << FormatChannelName(row.nChannel);
            }
    }
    // The bars end on the run's last set; a unit that ended short holds
    // the padding's no value there.
    {
        CBarViewModel& bars = CBarViewWidget::BarViews().front()->Model();
        const std::vector<int> ids = bars.BarIds();
        for (int bar = 0; bar < bars.BarCount(); ++bar) {
            const float last = StoredValue(ids[std::size_t(bar)], stored - 1);
            EXPECT_EQ(bars.HasValue(bar), !IsMarkerValue(last)) << "bar " << bar;
            if (bars.HasValue(bar))
                EXPECT_EQ(bars.Current(bar), last) << "bar " << bar;
        }
    }
    // The table, too, ends on the run's last set, read back from the run.
    CTableViewWidget& table = *CTableViewWidget::TableViews().back();
    const CTableData& data = table.Data();
    const std::string cell = data.m_grid.At(data.ValueRowOfGroup(data.RowGroup(0, 0)), 1).text;
    EXPECT_EQ(data.m_nPosition, stored - 1);
    {
        const float shown = StoredValue(g_CaseList[0] * 16, stored - 1);
        const std::size_t dot = cell.find('.');
        const int decimals = dot == std::string::npos ? 0 : static_cast<int>(cell.size() - dot - 1);
        if (IsMarkerValue(shown))
            EXPECT_EQ(cell, "------") << "a padded last set";
        else
            EXPECT_NEAR(std::strtod(cell.c_str(), nullptr), shown, 0.5 * std::pow(10.0, -decimals) + 1e-6)
                << "\"" << cell << "\"";
    }
    // The table's columns fit their texts.
    {
        QTableView* grid = table.Grid();
        const QFontMetrics metrics(grid->font());
        for (int row = 0; row < grid->model()->rowCount(); ++row)
            for (int col = 0; col < grid->model()->columnCount(); ++col) {
                const QString text = grid->model()->index(row, col).data().toString();
                EXPECT_GE(grid->columnWidth(col), metrics.horizontalAdvance(text))
                    << "row " << row << " column " << col << " \"" << text.toStdString() << "\"";
            }
    }

    // The marks sit on the samples they were taken on.
    const std::string marks = m_frame->GetProjectState().GetFilePath(".mrk");
    ASSERT_EQ(GetSampleMarkCount(marks), 2);
    const std::vector<int> marked = ReadSampleMarkIndexes(marks, 2);
    ASSERT_EQ(marked.size(), taken.size());
    for (std::size_t i = 0; i < marked.size(); ++i) {
        EXPECT_GE(marked[i], taken[i].first) << "mark " << i;
        EXPECT_LE(marked[i], taken[i].second) << "mark " << i;
    }
    EXPECT_EQ(ReadSampleMarkText(marks, marked[0]), "荷载 1");
    EXPECT_EQ(ReadSampleMarkText(marks, marked[1]), "荷载 2");

    // The counts give the stored samples, batch by batch.
    const QString total = QString::fromUtf8("当前项目数据总数:%1").arg(stored);
    EXPECT_EQ(m_frame->GetPaneText(901), total);
    for (QMdiSubWindow* sub : m_frame->GetMdiArea()->subWindowList())
        if (sub->isAncestorOf(&table))
            m_frame->GetMdiArea()->setActiveSubWindow(sub);
    for (const int id : {ID_FIRST_BATCH, ID_NEXT_BATCH}) {
        EXPECT_TRUE(m_frame->RunCommand(id)) << id;
        EXPECT_EQ(m_frame->GetPaneText(901), total) << id;
    }

    // Exports hold the stored values under names a spreadsheet program takes.
    table.runSaveOptionsDialog = [](const TableSavePreset& preset, TableSaveKind, SaveDataOptions& options) {
        options = SaveDataOptions{};
        options.nFileLayout = 1;
        for (int id : preset.items)
            options.nChannels[options.nChannelCount++] = id;
        return true;
    };
    const std::string text = Export(ID_TABLE_SAVE_TEXT, "beam1_text");
    ASSERT_FALSE(text.empty());
    const std::vector<std::string> lines = GbkLines(text);
    ASSERT_EQ(lines.size(), 2u + static_cast<std::size_t>(stored));
    EXPECT_EQ(lines[2].find("未平衡"), std::string::npos) << lines[2];
    const std::string workbook = Export(ID_TABLE_SAVE_EXCEL, "beam1_book");
    EXPECT_EQ(platform::ExtensionOf(workbook), ".xlsx") << workbook;
    EXPECT_GT(platform::FileSize(workbook), 0);
    const std::string matlab = Export(ID_TABLE_SAVE_MATLAB, "beam1_mat");
    EXPECT_EQ(platform::ExtensionOf(matlab), ".mat") << matlab;
    EXPECT_GT(platform::FileSize(matlab), 0);

    // Closed and opened again, the project gives back what it stored.
    m_frame->GetProjectHandler().CloseProject();
    m_app->GetProjectFileDialog().SetChooser(
        [folder](bool, const std::string&, const std::string&) { return folder + "/beam1.dap"; });
    ASSERT_TRUE(m_frame->RunCommand(ID_FILE_OPEN));
    ASSERT_EQ(m_frame->GetProjectState().m_nProjectState, PROJECT_OPENED);
    EXPECT_EQ(m_frame->GetProjectState().m_nTotalDataCount, stored);
    EXPECT_EQ(m_frame->GetPaneText(901), total);
    for (const int id : strain)
        EXPECT_NE(g_ChannelParams[id].nZero, ZERO_NOT_BALANCED) << "the balance reopens with the project";
    EXPECT_EQ(ReadSampleMarkIndexes(m_frame->GetProjectState().GetFilePath(".mrk"), 2), marked);
}

} // namespace
