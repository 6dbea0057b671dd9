// The channel-parameter bar over a small instrument description file: pages
// by measurement type and by case, edits through its editors, the list of
// channels chosen for measurement, copy and paste, and what reaches the frame.
#include "panels/bars/ChannelParamBar.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTabBar>

#include <gtest/gtest.h>

#include <bit>
#include <cstddef>
#include <fstream>

#include "model/CaseTables.h"
#include "model/ChannelNaming.h"
#include "model/OperatorRights.h"
#include "panels/PanelsTestApp.h"
#include "panels/bars/ChannelCommitRules.h"
#include "panels/bars/ChannelRowRules.h"
#include "panels/bars/PictureTipComboBox.h"
#include "platform/MessageBox.h"
#include "project/ChannelParamFile.h"
#include "tests/panels/bars/ChannelBarTestSupport.h"
#include "widgets/MSFlexGrid.h"

namespace {

class ChannelParamBarTest : public ::testing::Test, public ChannelBarFixture {
protected:
    static void SetUpTestSuite() { EnsurePanelsTestApp(); }

    ChannelParamBarTest() {
        SetType(3, MEASURE_VOLTAGE);
        SetType(17, MEASURE_VOLTAGE);
        SetType(20, MEASURE_PASS_THROUGH);
        bar.resize(900, 500);
        bar.SetInstrumentModel(3, folder.File("QV7416.INI"));
        bar.SetUnitFile(folder.File("QV7411N.nut"));
        bar.SetControllers(ctx.controllers);
        bar.SetChannelFiles(folder.File("QV7416.chn"), "");
        bar.SetOwner(frame.GetSafeHwnd());
        bar.SetViewRefresh([this] { ++viewRefreshes; });
        Refresh();
        bar.show();
    }

    void Refresh() {
        bar.BeginRefresh();
        bar.InitTypeTabs();
        bar.FillCaseTabs();
        bar.ShowSelectedTypePage();
        bar.BuildShownChannelList();
    }

    std::vector<std::string> TabTexts(QTabBar* tabs) {
        std::vector<std::string> texts;
        for (int i = 0; i < tabs->count(); ++i) {
            texts.push_back(tabs->tabText(i).toStdString());
        }
        return texts;
    }

    int RowOf(int channel) {
        CMSFlexGrid* grid = bar.GetGrid();
        for (int r = 1; r < grid->GetRows(); ++r) {
            if (grid->GetTextMatrix(r, 0) == FormatChannelName(channel)) {
                return r;
            }
        }
        return -1;
    }

    void ClickCell(int row, int col, int rowSel = -1) {
        bar.GetGrid()->SelectRange(row, col, rowSel < 0 ? row : rowSel, col);
        bar.BeginCellEdit();
    }

    // Picks rows as a drag over the channel-name column does.
    void PickRows(int row, int rowSel, bool ctrl = false) {
        bar.GetGrid()->SelectRange(row, 1, rowSel, bar.GetGrid()->GetCols() - 1);
        bar.BeginCellEdit();
        bar.SetCtrlDown(ctrl);
        bar.OnRowSelection();
    }

    void ShowPage(int pageId) {
        QTabBar* tabs = bar.GetTypeTabs();
        for (int i = 0; i < tabs->count(); ++i) {
            if (tabs->tabText(i) == GetPageTabText(pageId)) {
                tabs->setCurrentIndex(i);
                return;
            }
        }
        FAIL() << "no tab for page " << pageId;
    }

    static std::int32_t FileWord(const std::string& path, std::size_t offset) {
        std::ifstream in(path, std::ios::binary);
        in.seekg(static_cast<std::streamoff>(offset));
        std::int32_t value = 0;
        in.read(reinterpret_cast<char*>(&value), sizeof(value));
        return value;
    }

    RecordingFrame frame;
    platform::MessageBoxRecorder boxes;
    CChannelParamBar bar;
    int viewRefreshes = 0;
};

TEST_F(ChannelParamBarTest, PagesByMeasurementType) {
    EXPECT_EQ(bar.windowTitle().toStdString(), "测点参数栏");
    EXPECT_EQ(TabTexts(bar.GetTypeTabs()),
              (std::vector<std::string>{"测点参数", "应变应力", "电压测量", "警戒参数"}));
    // The overview: every present channel but the pass-through one.
    EXPECT_EQ(bar.GetGrid()->GetRows(), 32);
    EXPECT_EQ(bar.GetGrid()->GetCols(), 4);
    EXPECT_EQ(bar.GetGrid()->GetTextMatrix(0, 3), "测点显示");

    ShowPage(PAGE_VOLTAGE);
    EXPECT_EQ(bar.GetCurrentPageId(), PAGE_VOLTAGE);
    ASSERT_EQ(bar.GetGrid()->GetRows(), 3);
    EXPECT_EQ(bar.GetGrid()->GetTextMatrix(1, 0), "01-01-04");
    EXPECT_EQ(bar.GetGrid()->GetTextMatrix(2, 0), "01-02-02");

    ShowPage(PAGE_STRAIN);
    EXPECT_EQ(bar.GetGrid()->GetRows(), 1 + 29);
    EXPECT_EQ(bar.GetGrid()->GetCellBackColor(1, COL_STRAIN_MODULUS), COLOR_MODULUS_GREY);
}

TEST_F(ChannelParamBarTest, PagesByCaseAndMeasuredChannels) {
    EXPECT_FALSE(bar.GetCaseTabs()->isVisible());
    EXPECT_EQ(g_nMeasChanCount, 32);
    bar.SetPaging(true, false);
    Refresh();
    ASSERT_TRUE(bar.GetCaseTabs()->isVisible());
    EXPECT_EQ(TabTexts(bar.GetCaseTabs()), (std::vector<std::string>{"01-01号采集箱", "01-02号采集箱"}));
    EXPECT_EQ(bar.GetGrid()->GetRows(), 17);
    bar.GetCaseTabs()->setCurrentIndex(1);
    EXPECT_EQ(bar.GetGrid()->GetRows(), 16); // channel 20 is pass-through
    EXPECT_EQ(bar.GetGrid()->GetTextMatrix(1, 0), "01-02-01");

    // Ticking the shown column takes channels out of the measured list.
    const int refreshes = viewRefreshes;
    ClickCell(1, 3, 3);
    bar.OnTickToggle();
    for (int r = 1; r <= 3; ++r) {
        EXPECT_EQ(bar.GetGrid()->GetTextMatrix(r, 3), "×");
    }
    EXPECT_EQ(g_ChannelParams[17].bShown, 0);
    EXPECT_EQ(g_nMeasChanCount, 29);
    EXPECT_EQ(g_MeasChanList[16], 19);
    EXPECT_GT(viewRefreshes, refreshes);
    EXPECT_EQ(FileWord(folder.File("QV7416.chn"), 17 * sizeof(ChannelParamRecord) + 44), 0);
}

TEST_F(ChannelParamBarTest, BridgeVoltageEditReachesTheGroupTheFileAndTheFrame) {
    ShowPage(PAGE_STRAIN);
    const int row = RowOf(5);
    ClickCell(row, 3);
    CPictureTipComboBox* combo = bar.GetCombo();
    ASSERT_TRUE(combo->isVisible());
    ASSERT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->itemText(1), "10");
    combo->setCurrentIndex(1);
    emit combo->activated(1);

    EXPECT_FALSE(combo->isVisible());
    for (int c : {4, 5, 6, 7}) {
        EXPECT_EQ(g_ChannelParams[c].nBridgeVoltage, 10) << c;
        EXPECT_EQ(FileWord(folder.File("QV7416.chn"), c * sizeof(ChannelParamRecord) + 60), 10) << c;
    }
    EXPECT_EQ(bar.GetGrid()->GetTextMatrix(RowOf(4), 3), "10");
    EXPECT_EQ(bar.GetGrid()->GetTextMatrix(RowOf(8), 3), "2");
    EXPECT_EQ(frame.Messages(),
              (std::vector<platform::UINT>{WM_BAR_SEND_CHANNEL_PARAMS, WM_BAR_REDRAW_MONITORS}));
    EXPECT_EQ(frame.sentChannels, (std::vector<std::int32_t>{5, 4, 6, 7}));
}

TEST_F(ChannelParamBarTest, TextEditCommitsOnEnterAndEscapeDropsIt) {
    const int row = RowOf(2);
    ClickCell(row, 2);
    QLineEdit* edit = bar.GetEdit();
    ASSERT_TRUE(edit->isVisible());
    edit->setText("东梁");
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(edit, &enter);
    EXPECT_FALSE(edit->isVisible());
    EXPECT_EQ(GetDescriptionText(2), "东梁");
    EXPECT_EQ(bar.GetGrid()->GetTextMatrix(RowOf(2), 2), "东梁");
    EXPECT_EQ(frame.Messages(), (std::vector<platform::UINT>{WM_BAR_DESCRIPTIONS_CHANGED}));

    ClickCell(RowOf(2), 2);
    edit->setText("西梁");
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(edit, &esc);
    EXPECT_EQ(GetDescriptionText(2), "东梁");

    // Nothing opens while sampling runs, nor when the operator rights forbid it.
    g_bSampling = 1;
    ClickCell(RowOf(2), 2);
    EXPECT_FALSE(edit->isVisible());
    g_bSampling = 0;
    COperatorRights rights;
    rights.m_nChannelEditRight = 1;
    bar.SetOperatorRights(&rights);
    ClickCell(RowOf(2), 2);
    EXPECT_FALSE(edit->isVisible());
    bar.SetOperatorRights(nullptr);
}

TEST_F(ChannelParamBarTest, BridgeModeListCarriesPicturesUntilTheChoice) {
    ShowPage(PAGE_STRAIN);
    ClickCell(RowOf(1), 2);
    CPictureTipComboBox* combo = bar.GetCombo();
    ASSERT_TRUE(combo->isVisible());
    ASSERT_EQ(combo->GetPictureCount(), 3);
    EXPECT_EQ(combo->GetPictureOf(2), 226);
    EXPECT_EQ(combo->GetPictureOf(3), -1);
    emit combo->activated(0);
    EXPECT_EQ(g_ChannelParams[1].nBridgeType, 0);
    EXPECT_EQ(combo->GetPictureCount(), 0);
    EXPECT_EQ(bar.GetGrid()->GetTextMatrix(RowOf(1), 2), "方式1(120R)");
}

TEST_F(ChannelParamBarTest, TypeChangeRebuildsTheTabs) {
    ClickCell(RowOf(0), 1);
    CPictureTipComboBox* combo = bar.GetCombo();
    ASSERT_TRUE(combo->isVisible());
    const int bridge = combo->findText("桥式传感器");
    ASSERT_GE(bridge, 0);
    emit combo->activated(bridge);
    EXPECT_EQ(g_ChannelParams[0].nMeasureType, MEASURE_BRIDGE_SENSOR);
    EXPECT_EQ(TabTexts(bar.GetTypeTabs()),
              (std::vector<std::string>{"测点参数", "应变应力", "桥式传感器", "电压测量", "警戒参数"}));
    EXPECT_EQ(bar.GetGrid()->GetTextMatrix(RowOf(0), 1), "桥式传感器");
    EXPECT_EQ(frame.Messages().front(), WM_BAR_SAMPLE_MODE_CHANGED);
}

TEST_F(ChannelParamBarTest, CopyOneChannelOntoThreeRows) {
    ShowPage(PAGE_STRAIN);
    g_ChannelParams[0].fGaugeFactor = 2.15f;
    g_ChannelParams[0].nBridgeVoltage = 5;
    PickRows(RowOf(0), RowOf(0));
    EXPECT_EQ(bar.GetSelectedRows().size(), 1u);
    EXPECT_EQ(bar.GetGrid()->GetCellBackColor(RowOf(0), 1), CChannelParamBar::COLOR_ROW_HIGHLIGHT);
    bar.OnCopy();
    EXPECT_TRUE(boxes.Records().empty());

    PickRows(RowOf(8), RowOf(9));
    PickRows(RowOf(12), RowOf(12), true);
    EXPECT_EQ(bar.GetSelectedRows().size(), 3u);
    EXPECT_EQ(bar.GetGrid()->GetCellBackColor(RowOf(0), 1), COLOR_WHITE);
    bar.OnPaste();
    for (int c : {8, 9, 12}) {
        EXPECT_EQ(g_ChannelParams[c].fGaugeFactor, 2.15f) << c;
        EXPECT_EQ(g_ChannelParams[c].nChannelId, c);
        EXPECT_EQ(FileWord(folder.File("QV7416.chn"), c * sizeof(ChannelParamRecord) + 60), 5) << c;
    }
    EXPECT_EQ(frame.sentChannels, (std::vector<std::int32_t>{8, 9, 12}));
    EXPECT_EQ(bar.GetGrid()->GetTextMatrix(RowOf(9), 8), "2.1500");

    // Ctrl on a picked row takes only that row out.
    PickRows(RowOf(9), RowOf(9), true);
    EXPECT_EQ(bar.GetSelectedRows().size(), 2u);
    bar.OnCopy();
    ASSERT_EQ(boxes.Records().size(), 1u);
    EXPECT_EQ(boxes.Records()[0].text, MSG_TOO_MANY_ROWS);
    EXPECT_EQ(boxes.Records()[0].caption, "提示");

    // A paste on another page is refused.
    ShowPage(PAGE_VOLTAGE);
    PickRows(1, 1);
    bar.OnPaste();
    EXPECT_EQ(boxes.Records().back().text, MSG_PASTE_NEEDS_COPY);
}

// The thermocouple, RTD and voltage pages edit through their own lists and
// texts: each edit lands in the channel's record and the bar shows it.
class ChannelParamBarSensorPagesTest : public ChannelParamBarTest {
protected:
    ChannelParamBarSensorPagesTest() {
        SetType(16, MEASURE_THERMOCOUPLE);
        SetType(18, MEASURE_RTD);
        SetType(19, MEASURE_RTD);
        Refresh();
    }
    // Picks a list entry of the cell's editor by its text.
    void Choose(int row, int col, const char* text) {
        ClickCell(row, col);
        CPictureTipComboBox* combo = bar.GetCombo();
        ASSERT_TRUE(combo->isVisible()) << text;
        const int index = combo->findText(QString::fromUtf8(text));
        ASSERT_GE(index, 0) << text;
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }
    void Type(int row, int col, const char* text) {
        ClickCell(row, col);
        QLineEdit* edit = bar.GetEdit();
        ASSERT_TRUE(edit->isVisible()) << text;
        edit->setText(QString::fromUtf8(text));
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(edit, &enter);
    }
    std::string Cell(int channel, int col) { return bar.GetGrid()->GetTextMatrix(RowOf(channel), col); }
};

TEST_F(ChannelParamBarSensorPagesTest, ThermocouplePageEdits) {
    ShowPage(PAGE_THERMOCOUPLE);
    ASSERT_EQ(bar.GetGrid()->GetRows(), 2);
    Choose(RowOf(16), 1, "T型热电偶");
    EXPECT_EQ(g_ChannelState[16].nSensorType, 2);
    EXPECT_EQ(Cell(16, 1), "T型热电偶");
    // The compensation channel is one of the RTD channels.
    ClickCell(RowOf(16), 3);
    ASSERT_EQ(bar.GetCombo()->findText(QString::fromStdString(FormatChannelName(17))), -1);
    Choose(RowOf(16), 3, FormatChannelName(19).c_str());
    EXPECT_EQ(g_ChannelState[16].nCompChannel, 19);
    EXPECT_EQ(Cell(16, 3), FormatChannelName(19));
    Type(RowOf(16), 4, "21.5");
    EXPECT_FLOAT_EQ(g_ChannelState[16].fColdJunctionTemp, 21.5f);
    EXPECT_EQ(Cell(16, 4), "21.5");
    Type(RowOf(16), 4, "abc");
    EXPECT_FLOAT_EQ(g_ChannelState[16].fColdJunctionTemp, 21.5f) << "a malformed number changes nothing";
    Choose(RowOf(16), 5, "kN");
    EXPECT_EQ(GetUnitText(16), "kN");
    EXPECT_EQ(Cell(16, 5), "kN");
}

TEST_F(ChannelParamBarSensorPagesTest, RtdPageEdits) {
    ShowPage(PAGE_RTD);
    ASSERT_EQ(bar.GetGrid()->GetRows(), 3);
    Choose(RowOf(18), 1, "PT1000");
    EXPECT_EQ(g_ChannelState[18].nSensorType, 2);
    EXPECT_EQ(g_ChannelState[19].nSensorType, 0) << "only the edited row";
    EXPECT_EQ(Cell(18, 1), "PT1000");
    ClickCell(RowOf(18), 2);
    ASSERT_EQ(bar.GetCombo()->count(), 2) << "the levels of the channel's own type";
    emit bar.GetCombo()->activated(1);
    EXPECT_FLOAT_EQ(g_ChannelState[18].fFullScale, 500.0f);
    Choose(RowOf(18), 3, "mV");
    EXPECT_EQ(GetUnitText(18), "mV");
    EXPECT_EQ(Cell(18, 3), "mV");
}

TEST_F(ChannelParamBarSensorPagesTest, VoltagePageEdits) {
    ShowPage(PAGE_VOLTAGE);
    Type(RowOf(3), 1, "2.5");
    EXPECT_FLOAT_EQ(g_ChannelParams[3].fSensitivity, 2.5f);
    EXPECT_EQ(Cell(3, 1), "2.5");
    EXPECT_EQ(FileWord(folder.File("QV7416.chn"),
                       3 * sizeof(ChannelParamRecord) + offsetof(ChannelParamRecord, fSensitivity)),
              std::bit_cast<std::int32_t>(2.5f));
    // A zero sensitivity would divide every reading by zero.
    Type(RowOf(3), 1, "0");
    EXPECT_FLOAT_EQ(g_ChannelParams[3].fSensitivity, 2.5f);
    ASSERT_FALSE(boxes.Records().empty());
    EXPECT_EQ(boxes.Records().back().text, MSG_VALUE_OUT_OF_RANGE);
    ClickCell(RowOf(3), 2);
    ASSERT_EQ(bar.GetCombo()->count(), 2);
    emit bar.GetCombo()->activated(1);
    EXPECT_FLOAT_EQ(g_ChannelState[3].fFullScale, 500.0f);
    const std::string unit = GetUnitText(3);
    Choose(RowOf(17), 3, "kN");
    EXPECT_EQ(GetUnitText(17), "kN");
    EXPECT_EQ(GetUnitText(3), unit) << "only the edited row";
}

TEST_F(ChannelParamBarTest, ContextMenuBalancesTheCurrentChannel) {
    EXPECT_EQ(bar.CreateContextMenu(), nullptr);
    ClickCell(RowOf(3), 3);
    QMenu* menu = bar.CreateContextMenu();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 3);
    EXPECT_EQ(menu->actions()[0]->text().toStdString(), "平衡01-01-04通道");
    menu->actions()[0]->trigger();
    delete menu;
    ASSERT_EQ(frame.received.size(), 1u);
    EXPECT_EQ(frame.received[0].message, WM_BAR_BALANCE_CHANNEL);
    EXPECT_EQ(frame.received[0].wParam, 3u);
}

} // namespace
