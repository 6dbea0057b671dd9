// The frame's table and ground-balance commands, run from their menu items
// against two simulated cases: a run's start brings up a table view, the
// File menu's save-as writes the stored run's text export and its print goes
// to a PDF file, the View menu switches the table's mode, and the Control
// menu's ground balance writes the offsets file that its import adds to the zeros.
#include "FrameRunFixture.h"

#include "app/ChildFrame.h"
#include "app/CommandStates.h"
#include "app/DataViews.h"
#include "datafiles/SaveDataOptions.h"
#include "model/ValueConversion.h"
#include "panels/channels/MsExternGrid.h"
#include "panels/data/DlgVirtualChannel.h"
#include "platform/Text.h"
#include "views/table/TableData.h"
#include "views/table/TableViewWidget.h"

#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QPushButton>

#include <string>

namespace {

constexpr int ID_START_SAMPLE = 32788;
constexpr int ID_BALANCE = 32792;
constexpr int ID_GND_BALANCE = 32949;
constexpr int ID_IMPORT_GND_ZEROS = 32950;
constexpr int ID_TABLE_PAGING_BY_CASE = 32886;
constexpr int ID_TABLE_PAGING_BY_IP = 32931;

class FrameTableCommandsTest : public FrameRunTest {
protected:
    // The save-as-text command writes the chosen channels of the whole run to the file.
    void SaveTableAsText(CTableViewWidget& table, const std::string& path, std::vector<int> channels) {
        table.runSaveOptionsDialog = [channels](const TableSavePreset&, TableSaveKind,
                                                SaveDataOptions& options) {
            options = SaveDataOptions{};
            options.nDataRange = 0;
            options.nFileLayout = 1;
            options.bRelativeTime = 1;
            for (const int channel : channels)
                options.nChannels[options.nChannelCount++] = channel;
            return true;
        };
        m_frame->SetFileChooser([path](bool save, const std::string&, const std::string&, const std::string&,
                                       std::string& chosen) {
            chosen = path;
            return save;
        });
        QAction* saveText = MenuItem("文件", ID_TABLE_SAVE_TEXT);
        ASSERT_NE(saveText, nullptr);
        ASSERT_TRUE(saveText->isEnabled());
        saveText->trigger();
    }
};

TEST_F(FrameTableCommandsTest, SaveAsTextAndPrintFromTheFileMenuWorkOnTheStoredRun) {
    FindCasesAndPrepareProject();
    ASSERT_TRUE(CTableViewWidget::TableViews().empty());
    StoreTimedRun(3);
    ASSERT_EQ(CTableViewWidget::TableViews().size(), 1u) << "the run's start brought up a table view";
    CTableView* view = m_frame->GetActiveTableView();
    ASSERT_NE(view, nullptr);
    CTableViewWidget& table = *view->GetTable();
    ASSERT_EQ(table.Data().m_nShowDataType, TABLE_MEASURED);

    // Save as text: the options dialog picks channel 0 of unit 0; the file
    // dialog answers a file in the scratch folder.
    const std::string exported = m_scratch.File("exp.txt");
    SaveTableAsText(table, exported, {0});
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
    FindCasesAndPrepareProject();
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

// "平衡测点" opens the balance table, which shows every channel's zero with
// the balance time; the View menu and the table's context menu switch it to
// the balance state and back, and the window's title follows.
TEST_F(FrameTableCommandsTest, TheBalanceTableShowsEachChannelsZeroAndStateWithTheBalanceTime) {
    FindCasesAndPrepareProject();
    QAction* balance = MenuItem("控制", ID_BALANCE);
    ASSERT_NE(balance, nullptr);
    ASSERT_TRUE(balance->isEnabled());
    balance->trigger();
    CSamplingControl& sampling = m_frame->GetSampling();
    ASSERT_TRUE(
        ProcessEventsUntil([&] { return !sampling.IsBalanceRunning() && !sampling.IsThreadRunning(); }));
    ASSERT_FALSE(m_frame->GetProjectState().m_strBalanceTime.empty());

    CChildFrame* child = nullptr;
    for (CChildFrame* c : m_frame->GetChildFramesFrontFirst())
        if (qobject_cast<CTableView*>(c->GetActiveView()) != nullptr)
            child = c;
    ASSERT_NE(child, nullptr) << "the balance opens a table window";
    CTableViewWidget& table = *qobject_cast<CTableView*>(child->GetActiveView())->GetTable();
    CTableData& data = table.Data();
    ASSERT_EQ(data.m_nShowDataType, TABLE_BALANCE_VALUES);
    const CaseSampleBlock* zeroSet = sampling.GetZeroSet();
    // Every channel's cell: its zero, or the not-balanced text; never empty.
    const auto expectCells = [&](bool values) {
        for (int slot = 0; slot < g_nCaseCount; ++slot)
            for (int ch = 0; ch < 16; ++ch) {
                const int unit = g_CaseList[slot];
                const bool balanced = g_ChannelParams[unit * 16 + ch].nZero != ZERO_NOT_BALANCED;
                const std::string expected = !balanced ? "未平衡"
                                             : values  ? data.FormatDefault(zeroSet[unit].fValues[ch])
                                                       : "平衡";
                EXPECT_EQ(data.m_grid.At(data.ValueRowOfGroup(data.RowGroup(slot, ch)), ch + 1).text,
                          expected)
                    << "unit " << unit << " channel " << ch;
            }
    };
    expectCells(true);
    EXPECT_EQ(data.m_strStatus, "平衡时间: " + m_frame->GetProjectState().m_strBalanceTime);
    EXPECT_TRUE(child->windowTitle().endsWith(QString::fromUtf8("表格数据_平衡结果")))
        << child->windowTitle().toStdString();

    QAction* state = MenuItem("查看", ID_TABLE_SHOW_BALANCE_STATE);
    ASSERT_NE(state, nullptr);
    ASSERT_TRUE(state->isEnabled());
    state->trigger();
    ASSERT_EQ(data.m_nShowDataType, TABLE_BALANCE_STATE);
    expectCells(false);
    EXPECT_EQ(data.m_strStatus, "平衡时间: " + m_frame->GetProjectState().m_strBalanceTime);
    EXPECT_TRUE(child->windowTitle().endsWith(QString::fromUtf8("表格数据_平衡状态")))
        << child->windowTitle().toStdString();

    ASSERT_TRUE(TriggerContextItem(table, ID_TABLE_SHOW_BALANCE_VALUES));
    ASSERT_EQ(data.m_nShowDataType, TABLE_BALANCE_VALUES);
    expectCells(true);
    EXPECT_TRUE(child->windowTitle().endsWith(QString::fromUtf8("表格数据_平衡结果")))
        << child->windowTitle().toStdString();
}

TEST_F(FrameTableCommandsTest, ThePagingSwitchesPageTheOpenTableViewsByCaseOrByController) {
    FindCasesAndPrepareProject();
    StoreTimedRun(1);
    CTableView* view = m_frame->GetActiveTableView();
    ASSERT_NE(view, nullptr);
    const CTableData& data = view->GetTable()->Data();
    EXPECT_FALSE(data.m_bShowBottomTabs);
    const std::vector<int> allSlots = data.ShownSlots();
    ASSERT_EQ(allSlots.size(), 3u);

    QAction* byCase = MenuItem("查看", ID_TABLE_PAGING_BY_CASE);
    QAction* byIp = MenuItem("查看", ID_TABLE_PAGING_BY_IP);
    ASSERT_NE(byCase, nullptr);
    ASSERT_NE(byIp, nullptr);
    byCase->trigger();
    EXPECT_TRUE(data.m_bPageByUnit);
    EXPECT_EQ(data.m_bottomTabs.size(), 3u) << "one tab a unit";
    EXPECT_EQ(data.ShownSlots().size(), 1u);

    // By IP turns paging by case off; the tabs are the two controllers.
    byIp->trigger();
    EXPECT_FALSE(data.m_bPageByUnit);
    EXPECT_TRUE(data.m_bPageByController);
    ASSERT_EQ(data.m_bottomTabs.size(), 2u);
    EXPECT_EQ(data.m_bottomTabs[0], "127.0.0.2*1");
    EXPECT_EQ(data.m_bottomTabs[1], "127.0.0.3*2");
    EXPECT_EQ(data.ShownSlots(), (std::vector<int>{0, 1})) << "the first controller's two units";

    // A table view opened now pages the same way.
    m_frame->OpenDataWindow(VIEW_TYPE_TABLE, true);
    CTableView* second = m_frame->GetActiveTableView();
    ASSERT_NE(second, nullptr);
    ASSERT_NE(second, view);
    EXPECT_TRUE(second->GetTable()->Data().m_bPageByController);

    byIp->trigger();
    EXPECT_FALSE(data.m_bPageByController);
    EXPECT_FALSE(data.m_bShowBottomTabs);
    EXPECT_EQ(data.ShownSlots(), allSlots);
}

TEST_F(FrameTableCommandsTest, VirtualChannelsSetOnAStoredRunReachTheTableViewsExport) {
    FindCasesAndPrepareProject();
    StoreTimedRun(3);
    CTableView* view = m_frame->GetActiveTableView();
    ASSERT_NE(view, nullptr);

    // 计算通道设置 on the stored run: channel 2 (ch2) scaled back to its stored value.
    QAction* settings = MenuItem("设置", ID_VIRTUAL_CHANNEL_SETTINGS);
    ASSERT_NE(settings, nullptr);
    ASSERT_TRUE(settings->isEnabled());
    WhenModal<CDlgVirtualChannel>(m_frame, [](CDlgVirtualChannel& dialog) {
        dialog.findChild<QLineEdit*>("formula")->setText("ch2*1000");
        dialog.findChild<QPushButton*>("add")->click();
        auto* grid = dialog.findChild<CMsExternGrid*>("virtualChannels");
        grid->SetTextMatrix(1, 2, "scaled");
        emit grid->CellChanged(1, 2);
        dialog.findChild<QPushButton*>("apply")->click();
    });
    settings->trigger();

    const auto blocks = ReadBlocks(m_scratch.File("Projects/Run/Run_0.dat"));
    ASSERT_EQ(blocks.size(), 3u);
    std::vector<float> vit(3, -1.0f);
    std::ifstream(m_scratch.File("Projects/Run/Run1.vit"), std::ios::binary)
        .read(reinterpret_cast<char*>(vit.data()), 3 * sizeof(float));
    for (int i = 0; i < 3; ++i)
        EXPECT_FLOAT_EQ(vit[std::size_t(i)],
                        float(ConvertBlockChannelValue(1, blocks[std::size_t(i)]) * 1000))
            << "sample " << i;

    const std::string exported = m_scratch.File("virtual.txt");
    SaveTableAsText(*view->GetTable(), exported, {4096});
    const std::vector<std::string> lines = GbkLines(exported);
    ASSERT_EQ(lines.size(), 2u + 3u);
    for (int i = 0; i < 3; ++i) {
        const std::string row = lines[std::size_t(2 + i)];
        EXPECT_NEAR(std::stod(row.substr(row.find('\t') + 1)), vit[std::size_t(i)], 0.5) << "sample " << i;
    }
}

} // namespace
