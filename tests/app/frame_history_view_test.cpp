// History and bar windows opened from the frame's window menu: a fixed
// sequence of announce counters through the frame's sample handler gives
// every history view the live buffers, point counts and axis end of the
// live history, and every bar view the values at its channels' places; in
// a continuous run against two simulated cases the history shows the whole
// run so far on a time axis in seconds and the bars end on the run's last
// set; the window layout brings the views back with their settings.
#include "FrameRunFixture.h"

#include "acquisition/SamplingMessages.h"
#include "app/ChildFrame.h"
#include "app/DataViews.h"
#include "model/ChannelNaming.h"
#include "model/ValueConversion.h"
#include "panels/bars/ChannelBarPages.h"
#include "panels/bars/ChannelParamBar.h"
#include "panels/channels/DlgSignalSelect.h"
#include "project/OpenViewCounters.h"
#include "views/bar/BarViewWidget.h"
#include "views/curve/CurveViewWidget.h"
#include "views/history/HistoryViewWidget.h"
#include "views/shared/LiveHistoryFeed.h"
#include "widgets/MSFlexGrid.h"

#include <QAction>
#include <QComboBox>
#include <QDockWidget>
#include <QListWidget>
#include <QMdiArea>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>

#include <memory>

namespace {

constexpr int ID_DETECT_CASE = 32794;
constexpr int ID_START_SAMPLE = 32788;
constexpr int ID_STOP_SAMPLE = 32791;
constexpr int ID_SAVE_REALTIME_DATA = 32866;
constexpr int kBlock = 16;

class FrameHistoryViewTest : public FrameRunTest {
protected:
    CChildFrame* ChildOf(const CHistoryViewWidget& view) const {
        for (CChildFrame* child : m_frame->GetChildFramesFrontFirst())
            if (child->GetActiveView() == view.parentWidget())
                return child;
        return nullptr;
    }

    void PrepareRun(int mode) {
        m_boxes.QueueAnswer(platform::IDYES);
        ASSERT_TRUE(m_frame->RunCommand(ID_DETECT_CASE));
        ASSERT_EQ(g_nCaseCount, 3);
        UseVoltageConversion();
        ASSERT_EQ(m_frame->GetProjectHandler().PrepareProject(m_scratch.File("Projects/Run/Run.dap")), 1);
        SetRunSettings(mode, 1, 0);
        SampleSettings settings = m_frame->GetProjectState().m_SampleSettings;
        settings.nAnalysisBlockSize = kBlock;
        m_frame->GetProjectState().m_SampleSettings = settings;
        m_frame->GetSampleParamBar()->SetSampleSettings(settings);
    }
};

TEST_F(FrameHistoryViewTest, TheSampleHandlerHandsEveryViewTheLiveHistory) {
    PrepareRun(SAMPLE_MODE_TIMED);
    ASSERT_TRUE(m_frame->RunCommand(ID_NEW_HISTORY_WINDOW));
    ASSERT_TRUE(m_frame->RunCommand(ID_NEW_HISTORY_WINDOW));
    const std::vector<CHistoryViewWidget*> views = CHistoryViewWidget::HistoryViews();
    ASSERT_EQ(views.size(), 2u);
    // The second window shows later channels: unit 8's among them.
    views[1]->Model().ScrollTo(20);
    // Two bar windows; a bar's place in the set is its unit's place among
    // the online units 0, 1 and 8, times 16, plus its channel.
    ASSERT_TRUE(m_frame->RunCommand(ID_NEW_BAR_WINDOW));
    ASSERT_TRUE(m_frame->RunCommand(ID_NEW_BAR_WINDOW));
    const std::vector<CBarViewWidget*> bars = CBarViewWidget::BarViews();
    ASSERT_EQ(bars.size(), 2u);
    ASSERT_TRUE(bars[0]->Model().SetBars({2, 133}));
    ASSERT_TRUE(bars[1]->Model().SetBars({20, 0, 143}));
    const std::vector<std::vector<int>> barPlaces = {{2, 37}, {20, 0, 47}};
    const int places = g_nCaseCount * 16;
    CLiveHistoryFeed reference;
    reference.Reset(kBlock, places);
    auto* values = const_cast<float*>(m_frame->GetSampling().GetValueBuffer());
    for (std::int32_t a = 1; a <= 3 * kBlock + 7; ++a) {
        for (int p = 0; p < places; ++p)
            values[p] = float(a * 1000 + p);
        const std::int32_t counters[3] = {a, a, a};
        const CLiveHistoryFeed::Step step = reference.Feed(a, a, values);
        platform::SendMessage(m_frame->GetSafeHwnd(), sampling_msg::kNewSampleSet, 0,
                              reinterpret_cast<platform::LPARAM>(counters));
        for (CHistoryViewWidget* view : views) {
            const CHistoryViewModel& m = view->Model();
            ASSERT_EQ(m.m_nValidCount, step.nPoints) << "sample " << a;
            ASSERT_EQ(m.m_nLiveSpan, step.nAxisEnd) << "sample " << a;
            for (int b = 0; b < m.m_nBandsPerPage; ++b) {
                const HistoryBand& band = m.m_Bands[std::size_t(b)];
                const int place = view->World().setPosition[std::size_t(band.nChannel)];
                ASSERT_GE(place, 0);
                for (int i = 0; i < step.nPoints; ++i)
                    ASSERT_EQ(band.series.m_Values[std::size_t(i)], reference.GetBuffer(place)[i])
                        << "sample " << a << " channel " << band.nChannel << " point " << i;
            }
        }
        for (std::size_t v = 0; v < bars.size(); ++v)
            for (std::size_t b = 0; b < barPlaces[v].size(); ++b)
                ASSERT_EQ(bars[v]->Model().Current(int(b)), float(a * 1000 + barPlaces[v][b]))
                    << "sample " << a << " bar window " << v << " bar " << b;
    }
    EXPECT_GT(views[1]->Model().m_Bands[0].nChannel, 15);
    // Outside a continuous run the time axis counts samples.
    EXPECT_EQ(views[0]->Model().m_fTimeStep, 0.0);
}

// Curve and history windows opened in the middle of a run: the history shows
// the run from its first sample, the curve page the samples before its
// opening as no value; neither draws a value of 0 that was never measured.
TEST_F(FrameHistoryViewTest, WindowsOpenedDuringARunShowTheEarlierSamplesOrNothing) {
    PrepareRun(SAMPLE_MODE_TIMED);
    ASSERT_TRUE(m_frame->RunCommand(ID_NEW_REALTIME_WINDOW));
    const int places = g_nCaseCount * 16;
    CLiveHistoryFeed reference;
    reference.Reset(kBlock, places);
    auto* values = const_cast<float*>(m_frame->GetSampling().GetValueBuffer());
    CLiveHistoryFeed::Step step;
    const auto send = [&](std::int32_t a) {
        for (int p = 0; p < places; ++p)
            values[p] = float(a * 1000 + p);
        const std::int32_t counters[3] = {a, a, a};
        step = reference.Feed(a, a, values);
        platform::SendMessage(m_frame->GetSafeHwnd(), sampling_msg::kNewSampleSet, 0,
                              reinterpret_cast<platform::LPARAM>(counters));
    };
    constexpr int kBefore = kBlock + 5; // the windows open at point 5 of the second page
    for (std::int32_t a = 1; a <= kBefore; ++a)
        send(a);
    ASSERT_TRUE(m_frame->RunCommand(ID_NEW_REALTIME_WINDOW));
    ASSERT_TRUE(m_frame->RunCommand(ID_NEW_HISTORY_WINDOW));
    send(kBefore + 1);

    ASSERT_EQ(CCurveViewWidget::CurveViews().size(), 2u);
    const CCurveViewModel& curve = CCurveViewWidget::CurveViews().back()->Model();
    ASSERT_EQ(curve.m_nFirstSample, kBlock);
    ASSERT_EQ(curve.PointCount(), 6);
    ASSERT_TRUE(curve.HasCurves());
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(curve.PointValue(0, i), kNoValue) << "point " << i;
    EXPECT_NE(curve.PointValue(0, 5), kNoValue);

    ASSERT_EQ(CHistoryViewWidget::HistoryViews().size(), 1u);
    CHistoryViewWidget& history = *CHistoryViewWidget::HistoryViews().front();
    const CHistoryViewModel& m = history.Model();
    // The history keeps only the channels a view shows: the run before the
    // opening holds no value, what it shows is what a full history holds.
    ASSERT_EQ(m.m_nValidCount, step.nPoints);
    for (int b = 0; b < m.m_nBandsPerPage; ++b) {
        const HistoryBand& band = m.m_Bands[std::size_t(b)];
        const int place = history.World().setPosition[std::size_t(band.nChannel)];
        ASSERT_GE(place, 0);
        for (int i = 0; i < step.nPoints; ++i) {
            const float shown = band.series.m_Values[std::size_t(i)];
            if (shown != kNoValue)
                ASSERT_EQ(shown, reference.GetBuffer(place)[i])
                    << "channel " << band.nChannel << " point " << i;
        }
    }
}

TEST_F(FrameHistoryViewTest, ChannelsTakenOutInTheChannelBarLeaveTheHistoryBands) {
    PrepareRun(SAMPLE_MODE_TIMED);
    ASSERT_TRUE(m_frame->RunCommand(ID_NEW_HISTORY_WINDOW));
    const CHistoryViewModel& m = CHistoryViewWidget::HistoryViews().front()->Model();
    ASSERT_EQ(m.m_Bands[1].nChannel, 1);
    // The overview page's shown column, ticked off for channels 1 and 2.
    auto* bar = qobject_cast<CChannelParamBar*>(m_frame->GetPane(IDR_PANE_CHANNEL_PARAM)->widget());
    ASSERT_NE(bar, nullptr);
    m_frame->RefreshChannelParamBar();
    QTabBar* tabs = bar->GetTypeTabs();
    for (int i = 0; i < tabs->count(); ++i)
        if (tabs->tabText(i) == GetPageTabText(PAGE_OVERVIEW))
            tabs->setCurrentIndex(i);
    ASSERT_EQ(bar->GetGrid()->GetTextMatrix(2, 0), FormatChannelName(1));
    bar->GetGrid()->SelectRange(2, 3, 3, 3);
    bar->BeginCellEdit();
    bar->OnTickToggle();
    ASSERT_EQ(g_ChannelParams[2].bShown, 0);
    std::vector<int> shown;
    for (int b = 0; b < 4; ++b)
        shown.push_back(m.m_Bands[std::size_t(b)].nChannel);
    EXPECT_EQ(shown, (std::vector<int>{0, 3, 4, 5}));
}

TEST_F(FrameHistoryViewTest, AContinuousRunShowsTheWholeRunAndTheLayoutBringsTheViewsBack) {
    PrepareRun(SAMPLE_MODE_CONTINUOUS);
    // A bar window whose channels come from the signal-selection dialog of its context menu.
    ASSERT_TRUE(m_frame->RunCommand(ID_NEW_BAR_WINDOW));
    ASSERT_EQ(CBarViewWidget::BarViews().size(), 1u);
    CBarViewWidget& bars = *CBarViewWidget::BarViews().front();
    auto* barView = qobject_cast<CBarIndicatorView*>(bars.parentWidget());
    ASSERT_NE(barView, nullptr);
    const QString chosen[] = {QString::fromStdString(FormatChannelName(2)),
                              QString::fromStdString(FormatChannelName(133))};
    barView->runSignalDialog = [&chosen](CDlgSignalSelect& dialog) {
        dialog.OnInitDialog();
        auto* available = dialog.findChild<QListWidget*>("available");
        auto* picked = dialog.findChild<QListWidget*>("chosen");
        picked->selectAll();
        dialog.findChild<QPushButton*>("remove")->click();
        for (int row = 0; row < available->count(); ++row)
            available->item(row)->setSelected(available->item(row)->text() == chosen[0] ||
                                              available->item(row)->text() == chosen[1]);
        dialog.findChild<QPushButton*>("add")->click();
        dialog.findChild<QPushButton*>("ok")->click();
        return dialog.result();
    };
    std::unique_ptr<QMenu> barMenu(bars.BuildContextMenu(nullptr));
    for (QAction* action : barMenu->actions())
        if (action->data().toInt() == ID_BAR_CHANNELS)
            action->trigger();
    ASSERT_EQ(bars.Model().BarIds(), (std::vector<int>{2, 133}));
    bars.Model().m_Colours.fore = 0x00AA00;

    ASSERT_TRUE(m_frame->RunCommand(ID_NEW_HISTORY_WINDOW));
    ASSERT_EQ(CHistoryViewWidget::HistoryViews().size(), 1u);
    CHistoryViewWidget& view = *CHistoryViewWidget::HistoryViews().front();
    const int channel = view.Model().m_Bands[1].nChannel;
    // The information column from the view's context menu, with a single cursor.
    std::unique_ptr<QMenu> menu(view.BuildContextMenu(nullptr));
    for (QAction* action : menu->actions())
        if (action->data().toInt() == ID_SHOW_SPLIT || action->data().toInt() == ID_SINGLE_CURSOR)
            action->trigger();
    CChildFrame* child = ChildOf(view);
    ASSERT_NE(child, nullptr);
    EXPECT_TRUE(child->IsInfoViewShown());
    EXPECT_TRUE(view.Model().m_bShowCol);
    ASSERT_EQ(channel / 16, 0);

    // "实时数据存盘": the run is stored as it is shown.

    ASSERT_TRUE(m_frame->RunCommand(ID_START_SAMPLE));
    // Past three batches the axis has grown and the first point is still the run's first sample.
    float first = 0.0f, last = 0.0f;
    int span = 0, points = 0;
    ASSERT_TRUE(ProcessEventsUntil(
        [&] {
            const CHistoryViewModel& m = view.Model();
            if (g_bSampling.load() == 0 || !view.IsLive() || m.m_nLiveSpan < 3 * kBlock)
                return false;
            span = m.m_nLiveSpan;
            points = m.m_nValidCount;
            first = m.m_Bands[1].series.m_Values[0];
            last = m.m_Bands[1].series.m_Values[std::size_t(points - 1)];
            return true;
        },
        20000));
    EXPECT_FALSE(view.RenderImage().isNull());
    // The time axis runs in the run's seconds per sample.
    EXPECT_GT(view.Model().m_fTimeStep, 0.0);
    EXPECT_EQ(view.Model().m_fTimeStep, GetSampleTimeStep(m_frame->GetProjectState().m_SampleSettings));
    ASSERT_TRUE(m_frame->RunCommand(ID_STOP_SAMPLE));
    ASSERT_TRUE(WaitRunCompleted());
    const auto blocks = ReadBlocks(m_scratch.File("Projects/Run/Run_0.dat"));
    ASSERT_GE(int(blocks.size()), span - kBlock);
    EXPECT_NEAR(first, blocks[0].fValues[channel] * 0.001, 1e-4);
    // The newest point is a stored sample of the run's last stretch.
    bool stored = false;
    for (std::size_t i = std::size_t(span - 2 * kBlock); i < blocks.size(); ++i)
        stored = stored || std::fabs(blocks[i].fValues[channel] * 0.001 - last) < 1e-4;
    EXPECT_TRUE(stored) << "last point " << last;
    // The column shows the values at the bands' cursors.
    view.Model().m_Bands[1].nCursor[0] = 3;
    view.ReloadChannels();
    const std::vector<HistoryInfoRow>& rows = child->GetInfoView()->Rows();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[1].nChannel, channel);
    EXPECT_EQ(rows[1].fValue, view.Model().m_Bands[1].series.m_Values[3]);
    // The bars end on the run's last set, though the continuous run fed them only now and then.
    // A last set padded at the end of the run holds no value, shown as such.
    const float lastStored = blocks.back().fValues[2];
    EXPECT_NEAR(bars.Model().Current(0), IsMarkerValue(lastStored) ? lastStored : lastStored * 0.001, 1e-4);
    EXPECT_GE(bars.Model().Maximum(0), bars.Model().Current(0));

    // The layout keeps the view's settings; reopened, it shows the stored run.
    view.Model().m_nCursorType = 2;
    view.Model().m_nBandsPerPage = 3;
    const std::string layout = m_frame->GetDocumentLayoutFile();
    ASSERT_EQ(m_frame->SaveWindowLayout(layout), 1);
    m_frame->CloseAllChildWindows();
    ASSERT_TRUE(ProcessEventsUntil([] { return CHistoryViewWidget::HistoryViews().empty(); }));
    ASSERT_EQ(m_frame->LoadWindowLayout(layout, true), 1);
    ASSERT_EQ(CHistoryViewWidget::HistoryViews().size(), 1u);
    ASSERT_EQ(CBarViewWidget::BarViews().size(), 1u);
    EXPECT_EQ(CBarViewWidget::BarViews().front()->Model().BarIds(), (std::vector<int>{2, 133}));
    EXPECT_EQ(CBarViewWidget::BarViews().front()->Model().m_Colours.fore, 0x00AA00u);
    const CHistoryViewModel& restored = CHistoryViewWidget::HistoryViews().front()->Model();
    EXPECT_EQ(restored.m_nCursorType, 2);
    EXPECT_TRUE(restored.m_bShowCol);
    EXPECT_TRUE(ChildOf(*CHistoryViewWidget::HistoryViews().front())->IsInfoViewShown());
    EXPECT_EQ(restored.m_nBandsPerPage, 3);
    EXPECT_TRUE(restored.m_bStoredData);
    const int shownFirst = restored.m_nFirstSample;
    ASSERT_GT(restored.m_nValidCount, 2);
    const HistoryBand& band = restored.m_Bands[1];
    ASSERT_EQ(band.nChannel, channel);
    for (int i : {0, restored.m_nValidCount - 1})
        EXPECT_NEAR(band.series.m_Values[std::size_t(i)],
                    blocks[std::size_t(shownFirst + i)].fValues[channel] * 0.001, 1e-4);

    CChildFrame* restoredChild = ChildOf(*CHistoryViewWidget::HistoryViews().front());
    // A channel chosen over the column's first row goes to the first band.
    CShowInfoView* info = restoredChild->GetInfoView();
    const std::vector<int>& measured = CHistoryViewWidget::HistoryViews().front()->World().measChanList;
    ASSERT_TRUE(info->ClickAt(10, 2));
    ASSERT_GT(info->ChannelList()->count(), 5);
    emit info->ChannelList()->activated(5);
    EXPECT_EQ(restored.m_Bands[0].nChannel, measured[5]);
    EXPECT_EQ(info->Rows()[0].nChannel, measured[5]);
    // A drag ending at 300 pixels snaps the column to 202; one below 20
    // hides it, and the view knows.
    CInfoViewSplitter* splitter = restoredChild->GetSplitter();
    const int total = splitter->sizes()[0] + splitter->sizes()[1];
    ASSERT_GT(total, 320);
    splitter->setSizes({300, total - 300});
    splitter->FinishDrag();
    EXPECT_EQ(splitter->sizes()[0], 202);
    splitter->setSizes({10, total - 10});
    splitter->FinishDrag();
    EXPECT_FALSE(restoredChild->IsInfoViewShown());
    EXPECT_FALSE(restored.m_bShowCol);
}

} // namespace
