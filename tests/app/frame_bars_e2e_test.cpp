// The docked bars of a frame that found two simulated cases, end to end: an
// edit or a paste in the channel bar reaches the channel-parameter file and
// the case of the edited module, and a timed start with a too short interval
// is refused before any run begins.
#include "FrameRunFixture.h"

#include "model/ChannelNaming.h"
#include "panels/bars/BarMessages.h"
#include "panels/bars/ChannelBarPages.h"
#include "panels/bars/ChannelParamBar.h"
#include "panels/bars/PictureTipComboBox.h"
#include "panels/bars/SampleBarRules.h"
#include "platform/Text.h"
#include "project/ChannelParamFile.h"
#include "tooltip/PPToolTip.h"
#include "widgets/MSFlexGrid.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDockWidget>
#include <QMenu>
#include <QScreen>
#include <QTabBar>
#include <QToolBar>
#include <QToolButton>

#include <string>

namespace {

constexpr int ID_DETECT_CASE = 32794;
constexpr int ID_START_SAMPLE = 32788;
constexpr int ID_BALANCE = 32792;
constexpr int COL_STRAIN_BRIDGE_MODE = 2;
constexpr int COL_STRAIN_BRIDGE_VOLTAGE = 3;

// Parameter download to a case: op 3, 14, module count, then per module
// its number and its channel count.
constexpr std::uint8_t kParamOp0 = 3;
constexpr std::uint8_t kParamOp1 = 14;

class FrameBarsE2eTest : public FrameRunTest {
protected:
    void SetUp() override {
        FrameRunTest::SetUp();
        if (HasFatalFailure())
            return;
        m_boxes.QueueAnswer(platform::IDYES);
        ASSERT_TRUE(m_frame->RunCommand(ID_DETECT_CASE));
        ASSERT_EQ(g_nCaseCount, 3);
        m_bar = qobject_cast<CChannelParamBar*>(m_frame->GetPane(IDR_PANE_CHANNEL_PARAM)->widget());
        ASSERT_NE(m_bar, nullptr);
        m_chnFile = m_frame->GetProjectState().GetProgramFilePath(".chn");
    }

    void ShowPage(int pageId) {
        m_frame->RefreshChannelParamBar();
        QTabBar* tabs = m_bar->GetTypeTabs();
        for (int i = 0; i < tabs->count(); ++i) {
            if (tabs->tabText(i) == GetPageTabText(pageId)) {
                tabs->setCurrentIndex(i);
                return;
            }
        }
        FAIL() << "no tab for page " << pageId;
    }

    int RowOf(int channel) {
        CMSFlexGrid* grid = m_bar->GetGrid();
        for (int r = 1; r < grid->GetRows(); ++r) {
            if (grid->GetTextMatrix(r, 0) == FormatChannelName(channel))
                return r;
        }
        ADD_FAILURE() << "channel " << channel << " is not on the page";
        return 1;
    }

    // Picks rows as a drag over the channel-name column does.
    void PickRows(int row, int rowSel, bool ctrl = false) {
        m_bar->GetGrid()->SelectRange(row, 1, rowSel, m_bar->GetGrid()->GetCols() - 1);
        m_bar->BeginCellEdit();
        m_bar->SetCtrlDown(ctrl);
        m_bar->OnRowSelection();
    }

    ChannelParamRecord FileRecord(int channel) const {
        std::ifstream in(m_chnFile, std::ios::binary);
        in.seekg(static_cast<std::streamoff>(channel * sizeof(ChannelParamRecord)));
        ChannelParamRecord record{};
        in.read(reinterpret_cast<char*>(&record), sizeof record);
        EXPECT_TRUE(in.good()) << "no record of channel " << channel << " in " << m_chnFile;
        return record;
    }

    // The parameter downloads each case received after the first `from` commands.
    std::vector<std::vector<std::vector<std::uint8_t>>>
    ParamCommandsSince(const std::vector<std::size_t>& from) {
        std::vector<std::vector<std::vector<std::uint8_t>>> sent;
        for (std::size_t i = 0; i < m_simulators.size(); ++i) {
            const auto commands = m_simulators[i]->GetCommands();
            sent.emplace_back();
            for (std::size_t k = from[i]; k < commands.size(); ++k) {
                if (commands[k].size() > 3 && commands[k][0] == kParamOp0 && commands[k][1] == kParamOp1)
                    sent.back().push_back(commands[k]);
            }
        }
        return sent;
    }
    std::vector<std::size_t> CommandCounts() {
        std::vector<std::size_t> counts;
        for (const auto& simulator : m_simulators)
            counts.push_back(simulator->GetCommands().size());
        return counts;
    }

    // Every online channel starts from this zero; a balance waits for its end.
    static constexpr std::int32_t kOldZero = 777;
    void GiveAllChannelsTheOldZero() {
        for (int i = 0; i < g_nChannelCount; ++i)
            g_ChannelParams[g_ChannelList[i]].nZero = kOldZero;
    }
    bool WaitBalanceDone() {
        CSamplingControl& sampling = m_frame->GetSampling();
        return ProcessEventsUntil([&] { return !sampling.IsBalanceRunning() && !sampling.IsThreadRunning(); },
                                  20000);
    }
    // The channels whose zero is no longer the old one, with the project's
    // ".zer" holding each channel's zero.
    std::vector<int> ChangedZeros() {
        std::ifstream zer(m_frame->GetProjectState().GetFilePath(".zer"), std::ios::binary);
        std::vector<std::int32_t> stored(MAX_CHANNEL_COUNT);
        zer.read(reinterpret_cast<char*>(stored.data()), MAX_CHANNEL_COUNT * 4);
        EXPECT_TRUE(zer.good()) << "the project's balance file";
        std::vector<int> changed;
        for (int i = 0; i < g_nChannelCount; ++i) {
            const int id = g_ChannelList[i];
            EXPECT_EQ(stored[static_cast<std::size_t>(id)], g_ChannelParams[id].nZero) << "channel " << id;
            if (g_ChannelParams[id].nZero != kOldZero)
                changed.push_back(id);
        }
        return changed;
    }

    CChannelParamBar* m_bar = nullptr;
    std::string m_chnFile;
};

TEST_F(FrameBarsE2eTest, TheBarsSingleChannelBalanceGivesOnlyThatChannelANewZero) {
    constexpr int kChannel = 21;
    ASSERT_EQ(m_frame->GetProjectHandler().PrepareProject(m_scratch.File("Projects/Run/Run.dap")), 1);
    ShowPage(PAGE_OVERVIEW);
    if (HasFatalFailure())
        return;
    GiveAllChannelsTheOldZero();
    m_bar->GetGrid()->SelectRange(RowOf(kChannel), 1, RowOf(kChannel), 1);
    m_bar->BeginCellEdit();
    std::unique_ptr<QMenu> menu(m_bar->CreateContextMenu());
    ASSERT_NE(menu, nullptr);
    const QString balanceText = QString::fromStdString("平衡" + FormatChannelName(kChannel) + "通道");
    ASSERT_EQ(menu->actions().value(0)->text(), balanceText);
    const std::size_t boxesBefore = m_boxes.Records().size();

    menu->actions()[0]->trigger();
    ASSERT_TRUE(WaitBalanceDone());

    EXPECT_EQ(m_boxes.Records().size(), boxesBefore) << "one channel's balance asks nothing";
    EXPECT_EQ(ChangedZeros(), std::vector<int>{kChannel});
}

TEST_F(FrameBarsE2eTest, TheBalanceCommandBalancesTheRowsPickedInTheBar) {
    ASSERT_EQ(m_frame->GetProjectHandler().PrepareProject(m_scratch.File("Projects/Run/Run.dap")), 1);
    ShowPage(PAGE_OVERVIEW);
    if (HasFatalFailure())
        return;
    GiveAllChannelsTheOldZero();
    PickRows(RowOf(4), RowOf(5));
    PickRows(RowOf(130), RowOf(130), true);
    m_boxes.QueueAnswer(platform::IDOK);

    ASSERT_TRUE(m_frame->RunCommand(ID_BALANCE));
    ASSERT_TRUE(WaitBalanceDone());

    EXPECT_EQ(m_boxes.Records().back().text, "是否对选取的通道进行平衡操作？");
    EXPECT_EQ(ChangedZeros(), (std::vector<int>{4, 5, 130}));
}

TEST_F(FrameBarsE2eTest, ABridgeVoltageEditReachesItsGroupTheFileAndItsModule) {
    // Channel 21: case 0, module 1, group 20..23; its neighbours keep theirs.
    constexpr int kChannel = 21;
    for (int c = 16; c < 28; ++c)
        g_ChannelParams[c].nMeasureType = MEASURE_STRAIN;
    ShowPage(PAGE_STRAIN);
    if (HasFatalFailure())
        return;
    const int before = g_ChannelParams[kChannel].nBridgeVoltage;

    m_bar->GetGrid()->SelectRange(RowOf(kChannel), COL_STRAIN_BRIDGE_VOLTAGE, RowOf(kChannel),
                                  COL_STRAIN_BRIDGE_VOLTAGE);
    m_bar->BeginCellEdit();
    // The text the voltage list would hand over; the frame's description
    // file offers no list here, so it is committed as the list would.
    const int volts = before == 10 ? 2 : 10;
    const std::string text = std::to_string(volts);
    const std::vector<std::size_t> from = CommandCounts();
    m_bar->CommitCellEdit(text, 0);

    for (int c = 16; c < 28; ++c) {
        const int expected = c >= 20 && c < 24 ? volts : before;
        EXPECT_EQ(g_ChannelParams[c].nBridgeVoltage, expected) << "channel " << c;
        EXPECT_EQ(FileRecord(c).nBridgeVoltage, expected) << "file record of channel " << c;
    }
    EXPECT_EQ(m_bar->GetGrid()->GetTextMatrix(RowOf(22), COL_STRAIN_BRIDGE_VOLTAGE), text);

    // One download to case 0 naming module 1 alone, with the group's four channels.
    ProcessEventsUntil([&] { return !ParamCommandsSince(from)[0].empty(); });
    const auto sent = ParamCommandsSince(from);
    ASSERT_EQ(sent[0].size(), 1u);
    EXPECT_EQ(sent[0][0][2], 1) << "module count";
    EXPECT_EQ(sent[0][0][3], 1) << "module number";
    EXPECT_EQ(sent[0][0][4], 4) << "channel count";
    EXPECT_TRUE(sent[1].empty()) << "the other case is sent nothing";
}

TEST_F(FrameBarsE2eTest, PastingOneChannelOntoThreeRowsChangesTheirRecords) {
    // The source is in case 0; the targets span both cases.
    constexpr int kSource = 2;
    const std::vector<int> targets = {4, 5, 130};
    for (int c : {kSource, 3, 4, 5, 6, 129, 130})
        g_ChannelParams[c].nMeasureType = MEASURE_STRAIN;
    g_ChannelParams[kSource].fGaugeFactor = 2.15f;
    g_ChannelParams[kSource].fPoissonRatio = 0.3f;
    ShowPage(PAGE_STRAIN);
    if (HasFatalFailure())
        return;
    const ChannelParamRecord untouched = g_ChannelParams[6];

    PickRows(RowOf(kSource), RowOf(kSource));
    m_bar->OnCopy();
    PickRows(RowOf(4), RowOf(5));
    PickRows(RowOf(130), RowOf(130), true);
    ASSERT_EQ(m_bar->GetSelectedRows().size(), 3u);
    const std::size_t boxesBefore = m_boxes.Records().size();
    const std::vector<std::size_t> from = CommandCounts();
    m_bar->OnPaste();
    EXPECT_EQ(m_boxes.Records().size(), boxesBefore) << "a valid paste asks nothing";

    for (int c : targets) {
        for (const ChannelParamRecord& record : {g_ChannelParams[c], FileRecord(c)}) {
            EXPECT_EQ(record.nChannelId, c);
            EXPECT_EQ(record.fGaugeFactor, 2.15f) << "channel " << c;
            EXPECT_EQ(record.fPoissonRatio, 0.3f) << "channel " << c;
        }
    }
    EXPECT_EQ(g_ChannelParams[6].fGaugeFactor, untouched.fGaugeFactor) << "an unpicked row keeps its record";
    // Each case is sent its own targets.
    ProcessEventsUntil([&] {
        const auto sent = ParamCommandsSince(from);
        return !sent[0].empty() && !sent[1].empty();
    });
    const auto sent = ParamCommandsSince(from);
    ASSERT_EQ(sent[0].size(), 1u);
    EXPECT_EQ(sent[0][0][3], 0) << "module of channels 4 and 5";
    EXPECT_EQ(sent[0][0][4], 2) << "channel count";
    ASSERT_EQ(sent[1].size(), 1u);
    EXPECT_EQ(sent[1][0][4], 1) << "channel count";
}

TEST_F(FrameBarsE2eTest, ATimedStartBelowTheShortestIntervalIsRefused) {
    ASSERT_EQ(m_frame->GetProjectHandler().PrepareProject(m_scratch.File("Projects/Run/Run.dap")), 1);
    SetRunSettings(SAMPLE_MODE_TIMED, MIN_SAMPLE_INTERVAL - 1, 3);
    const std::size_t boxesBefore = m_boxes.Records().size();

    m_frame->RunCommand(ID_START_SAMPLE);

    const auto boxes = m_boxes.Records();
    ASSERT_EQ(boxes.size(), boxesBefore + 1);
    EXPECT_EQ(boxes.back().text, platform::Format(MSG_INTERVAL_TOO_SMALL, MIN_SAMPLE_INTERVAL));
    EXPECT_FALSE(IsRunActive());
    EXPECT_FALSE(m_frame->GetSampling().IsThreadRunning());
    EXPECT_EQ(m_frame->GetSampling().m_nRunSampleCount.load(), 0);
    EXPECT_EQ(m_frame->GetProjectState().m_nTotalDataCount, 0);
    for (const auto& simulator : m_simulators)
        EXPECT_FALSE(simulator->IsStreaming());
    EXPECT_TRUE(m_frame->QueryCommandState(ID_START_SAMPLE).m_bEnabled) << "the frame is still ready";
}

} // namespace

// The tip windows on the screen.
static std::vector<CPPToolTip*> VisibleTips() {
    std::vector<CPPToolTip*> tips;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* tip = qobject_cast<CPPToolTip*>(w);
        if (tip != nullptr && tip->isVisible())
            tips.push_back(tip);
    }
    return tips;
}

// Whether a tip window shows a drawing of the bridge (its gauges are blue).
static bool ShowsBridgePicture(CPPToolTip* tip) {
    const QImage image = tip->grab().toImage();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.blue() > 150 && c.red() < 60 && c.green() < 120)
                return true;
        }
    return false;
}

// A program whose description file lists the bridge input modes.
class FrameBridgeTipE2eTest : public FrameBarsE2eTest {
protected:
    const char* ExtraSettings() const override {
        return "[BridgeInputMode]\nInputModeCount=4\nInputMode0=M1,quarter 120,000\nInputMode1=M1b,quarter "
               "350,001\n"
               "InputMode2=M2,quarter common,002\nInputMode3=M3,half Poisson,003\n";
    }
};

TEST_F(FrameBridgeTipE2eTest, TheBridgeModeListShowsTheHighlightedModesPictureBesideIt) {
    constexpr int kChannel = 21;
    for (int c = 16; c < 28; ++c)
        g_ChannelParams[c].nMeasureType = MEASURE_STRAIN;
    g_ChannelParams[kChannel].nBridgeType = 0;
    ShowPage(PAGE_STRAIN);
    if (HasFatalFailure())
        return;
    CPictureTipComboBox* combo = m_bar->GetCombo();
    auto openList = [&](int column) {
        m_bar->GetGrid()->SelectRange(RowOf(kChannel), column, RowOf(kChannel), column);
        m_bar->BeginCellEdit();
        combo->showPopup();
        QApplication::processEvents();
    };

    openList(COL_STRAIN_BRIDGE_MODE);
    ASSERT_GT(combo->GetPictureCount(), 2);
    std::vector<CPPToolTip*> tips = VisibleTips();
    ASSERT_EQ(tips.size(), 1u);
    CPPToolTip* tip = tips[0];
    EXPECT_FALSE(tip->isActiveWindow());
    EXPECT_NE(tip->GetText().find("<bmp idres=225>"), std::string::npos);
    EXPECT_TRUE(ShowsBridgePicture(tip));
    // Right of the box's lower-right corner, its anchor on its left side at
    // that corner, the whole tip kept on the screen.
    const QPoint corner = combo->mapToGlobal(combo->rect().bottomRight() + QPoint(1, 1));
    EXPECT_EQ(tip->x(), corner.x());
    EXPECT_GE(tip->GetAnchorDirection(), 32);
    EXPECT_LE(tip->GetAnchorDirection(), 34);
    const QRect screen = QApplication::primaryScreen()->virtualGeometry();
    EXPECT_LE(tip->y() + tip->GetPlacement().window.Height(), screen.bottom() + 1);

    // Moving the highlight changes the picture.
    combo->view()->setCurrentIndex(combo->model()->index(2, 0));
    QApplication::processEvents();
    tips = VisibleTips();
    ASSERT_EQ(tips.size(), 1u);
    EXPECT_NE(tips[0]->GetText().find("<bmp idres=226>"), std::string::npos);

    // A choice removes the window; the next opening makes it again.
    combo->hidePopup();
    emit combo->activated(2);
    QApplication::processEvents();
    EXPECT_EQ(combo->GetToolTip(), nullptr);
    EXPECT_TRUE(VisibleTips().empty());
    EXPECT_EQ(g_ChannelParams[kChannel].nBridgeType, 2);
    openList(COL_STRAIN_BRIDGE_MODE);
    ASSERT_EQ(VisibleTips().size(), 1u);
    EXPECT_NE(VisibleTips()[0]->GetText().find("<bmp idres=226>"), std::string::npos);

    // A tab change (to the overview page) removes it too.
    combo->hidePopup();
    m_bar->GetTypeTabs()->setCurrentIndex(0);
    QApplication::processEvents();
    EXPECT_EQ(combo->GetToolTip(), nullptr);
    EXPECT_TRUE(VisibleTips().empty());

    // A list without pictures (the measurement types) shows none.
    openList(1);
    EXPECT_EQ(combo->GetPictureCount(), 0);
    EXPECT_TRUE(VisibleTips().empty());
    combo->hidePopup();
}

TEST_F(FrameBarsE2eTest, TheAddMarkButtonShowsItsTipAndPrompt) {
    QAction* action = m_frame->GetAction(32920);
    ASSERT_NE(action, nullptr);
    QToolButton* button = nullptr;
    for (QToolBar* bar : m_frame->findChildren<QToolBar*>())
        if (auto* b = qobject_cast<QToolButton*>(bar->widgetForAction(action)))
            button = b;
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->toolTip(), QString::fromUtf8("添加采样标记"));
    EXPECT_EQ(action->statusTip(), QString::fromUtf8("采样过程中给信号做标记"));
}
