// The frame's table and ground-balance commands, run from their menu items
// against two simulated cases: a run's start brings up a table view, the
// File menu's save-as writes the stored run's text export and its print goes
// to a PDF file, the View menu switches the table's mode, and the Control
// menu's ground balance writes the offsets file that its import adds to the zeros.
#include "FrameRunFixture.h"

#include "app/ui/DataViews.h"
#include "datafiles/SaveDataOptions.h"
#include "platform/Text.h"
#include "views/TableData.h"
#include "views/TableViewWidget.h"

#include <QMenu>
#include <QMenuBar>
#include <QPrinter>

#include <string>

namespace {

constexpr int ID_DETECT_CASE = 32794;
constexpr int ID_START_SAMPLE = 32788;
constexpr int ID_GND_BALANCE = 32949;
constexpr int ID_IMPORT_GND_ZEROS = 32950;

class FrameTableCommandsTest : public FrameRunTest {
protected:
    void Search() {
        m_boxes.QueueAnswer(platform::IDYES);
        ASSERT_TRUE(m_frame->RunCommand(ID_DETECT_CASE));
        ASSERT_EQ(g_nCaseCount, 3);
        UseVoltageConversion();
        ASSERT_EQ(m_frame->GetProjectHandler().PrepareProject(m_scratch.File("Projects/Run/Run.dap")), 1);
    }
};

TEST_F(FrameTableCommandsTest, SaveAsTextAndPrintFromTheFileMenuWorkOnTheStoredRun) {
    Search();
    ASSERT_TRUE(CTableViewWidget::TableViews().empty());
    StoreTimedRun(3);
    ASSERT_EQ(CTableViewWidget::TableViews().size(), 1u) << "the run's start brought up a table view";
    CTableView* view = m_frame->GetActiveTableView();
    ASSERT_NE(view, nullptr);
    CTableViewWidget& table = *view->GetTable();
    ASSERT_EQ(table.Data().m_nShowDataType, TABLE_MEASURED);

    // Save as text: the options dialog picks channel 0 of unit 0; the file
    // dialog answers a file in the scratch folder.
    table.runSaveOptionsDialog = [](const TableSavePreset&, TableSaveKind, SaveDataOptions& options) {
        options = SaveDataOptions{};
        options.nDataRange = 0;
        options.nFileLayout = 1;
        options.bRelativeTime = 1;
        options.nChannels[options.nChannelCount++] = 0;
        return true;
    };
    const std::string exported = m_scratch.File("exp.txt");
    m_frame->SetFileChooser(
        [&](bool save, const std::string&, const std::string&, const std::string&, std::string& path) {
            path = exported;
            return save;
        });
    QAction* saveText = MenuItem("文件", ID_TABLE_SAVE_TEXT);
    ASSERT_NE(saveText, nullptr);
    ASSERT_TRUE(saveText->isEnabled());
    saveText->trigger();
    const std::vector<std::string> lines = GbkLines(exported);
    ASSERT_EQ(lines.size(), 2u + 3u) << "two heading lines and the three stored samples";
    const auto blocks = ReadBlocks(m_scratch.File("Projects/Run/Run_0.dat"));
    ASSERT_EQ(blocks.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        const std::string row = lines[std::size_t(2 + i)];
        const double value = std::stod(row.substr(row.find('\t') + 1));
        // Voltage channels export without decimals.
        EXPECT_NEAR(value, blocks[std::size_t(i)].fValues[0] / 1000.0, 0.5) << "sample " << i;
    }

    // Print: the print dialog sends the page to a PDF file.
    const std::string pdf = m_scratch.File("table.pdf");
    table.runPrintDialog = [&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf));
        return true;
    };
    QAction* print = MenuItem("文件", ID_TABLE_PRINT);
    ASSERT_NE(print, nullptr);
    ASSERT_TRUE(print->isEnabled());
    print->trigger();
    std::ifstream file(pdf, std::ios::binary);
    std::string head(5, '\0');
    file.read(head.data(), 5);
    EXPECT_EQ(head, "%PDF-");

    // The View menu's residual-stress mode.
    QAction* residual = MenuItem("查看", ID_TABLE_SHOW_RESIDUAL_STRESS);
    ASSERT_NE(residual, nullptr);
    residual->trigger();
    EXPECT_EQ(table.Data().m_nShowDataType, TABLE_RESIDUAL_STRESS);
}

TEST_F(FrameTableCommandsTest, GroundBalanceWritesTheOffsetsThatItsImportAddsToTheZeros) {
    Search();
    constexpr std::int32_t kOldZero = 777;
    for (int i = 0; i < g_nChannelCount; ++i)
        g_ChannelParams[g_ChannelList[i]].nZero = kOldZero;
    QAction* gnd = MenuItem("控制", ID_GND_BALANCE);
    ASSERT_NE(gnd, nullptr);
    ASSERT_TRUE(gnd->isEnabled());
    gnd->trigger();
    CSamplingControl& sampling = m_frame->GetSampling();
    ASSERT_TRUE(
        ProcessEventsUntil([&] { return !sampling.IsBalanceRunning() && !sampling.IsThreadRunning(); }));

    const std::string odd = m_scratch.File("zero.odd");
    const std::vector<std::string> lines = GbkLines(odd);
    ASSERT_EQ(lines.size(), 1u + MAX_CHANNEL_COUNT) << "the balance time, then one line a channel";
    // The ground readings are the offsets: the balance reads them from zeroed channels.
    std::vector<std::int32_t> offsets(MAX_CHANNEL_COUNT);
    for (int i = 0; i < g_nChannelCount; ++i) {
        const int id = g_ChannelList[i];
        offsets[std::size_t(id)] = g_ChannelParams[id].nZero;
        ASSERT_NE(g_ChannelParams[id].nZero, kOldZero) << "channel " << id;
        EXPECT_EQ(std::stoi(lines[std::size_t(1 + id)]), g_ChannelParams[id].nZero) << "channel " << id;
        g_ChannelParams[id].nZero = kOldZero;
    }

    m_frame->SetFileChooser(
        [&](bool save, const std::string&, const std::string&, const std::string&, std::string& path) {
            path = odd;
            return !save;
        });
    QAction* import = MenuItem("控制", ID_IMPORT_GND_ZEROS);
    ASSERT_NE(import, nullptr);
    ASSERT_TRUE(import->isEnabled());
    import->trigger();
    for (int i = 0; i < g_nChannelCount; ++i) {
        const int id = g_ChannelList[i];
        EXPECT_EQ(g_ChannelParams[id].nZero, kOldZero + offsets[std::size_t(id)]) << "channel " << id;
    }
}

} // namespace
