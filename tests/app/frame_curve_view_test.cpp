// A real-time curve window opened from the frame's window menu follows a
// continuous run against two simulated cases: its signals are chosen from
// its context menu, its curves hold the converted values the run stores, a
// page starts anew after W samples, and the window layout brings the view's
// channels, mode and options back.
#include "FrameRunFixture.h"

#include "app/ChildFrame.h"
#include "app/DataViews.h"
#include "model/ChannelNaming.h"
#include "project/OpenViewCounters.h"
#include "views/curve/CursorEditDlg.h"
#include "views/curve/CurveViewWidget.h"
#include "views/curve/DlgPlotSignalSelect.h"
#include "views/history/HistoryViewWidget.h"
#include "views/shared/DlgRightsVerify.h"

#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QToolBar>
#include <QToolButton>

#include <memory>

namespace {

constexpr int ID_DETECT_CASE = 32794;
constexpr int ID_START_SAMPLE = 32788;
constexpr int ID_STOP_SAMPLE = 32791;
constexpr int kPageWidth = 16;

class FrameCurveViewTest : public FrameRunTest {
protected:
    // Picks the listed channels (by the start of their texts) in the dialog.
    static void Choose(CDlgPlotSignalSelect& dialog, const std::vector<QString>& names) {
        dialog.RemoveAll();
        for (int row = 0; row < dialog.Available()->count(); ++row) {
            const QString text = dialog.Available()->item(row)->text();
            bool wanted = false;
            for (const QString& name : names)
                wanted = wanted || text.startsWith(name + "[");
            dialog.Available()->item(row)->setSelected(wanted);
        }
        dialog.AddSelected();
    }

    // Channel 1 of unit 0 and channel 5 of unit 8 (case 1, module 0).
    static void SelectTwoChannels(CCurveViewWidget& view) {
        view.runSignalDialog = [](CDlgPlotSignalSelect& dialog) {
            Choose(dialog, {QString::fromStdString(FormatChannelName(1)),
                            QString::fromStdString(FormatChannelName(133))});
            dialog.TryAccept();
            return dialog.result();
        };
        ASSERT_TRUE(TriggerContextItem(view, ID_SELECT_SIGNALS));
        ASSERT_EQ(view.Model().GetChannelIDs(), (std::vector<int>{1, 133}));
    }

    // Waits until the view has begun a page at or after sample `from` with a
    // few points; its first sample and the points of its two curves.
    static void TakeNewPage(const CCurveViewWidget& view, int from, int& first,
                            std::vector<std::vector<float>>& points) {
        points.assign(2, {});
        ASSERT_TRUE(ProcessEventsUntil(
            [&] {
                const CCurveViewModel& m = view.Model();
                if (g_bSampling.load() == 0 || m.m_nFirstSample < from || m.PointCount() < 3)
                    return false;
                first = m.m_nFirstSample;
                for (int c = 0; c < 2; ++c) {
                    points[std::size_t(c)].clear();
                    for (int i = 0; i < m.PointCount(); ++i)
                        points[std::size_t(c)].push_back(m.PointValue(c, i));
                }
                return true;
            },
            20000));
    }

    // The points are the stored samples first, first + 1, ... in engineering values.
    void ExpectStoredPoints(int first, const std::vector<std::vector<float>>& points) {
        const int units[2] = {0, 8};
        const int places[2] = {1, 5};
        for (int c = 0; c < 2; ++c) {
            const auto blocks =
                ReadBlocks(m_scratch.File("Projects/Run/Run_" + std::to_string(units[c]) + ".dat"));
            ASSERT_GE(int(blocks.size()), first + int(points[std::size_t(c)].size()));
            for (std::size_t i = 0; i < points[std::size_t(c)].size(); ++i) {
                const CaseSampleBlock& block = blocks[std::size_t(first) + i];
                ExpectSimulatorValues(block, units[c]);
                EXPECT_NEAR(points[std::size_t(c)][i], block.fValues[places[c]] * 0.001, 1e-4)
                    << "curve " << c << " point " << i;
            }
        }
    }

    // The cases found, a project prepared and a continuous run of pages of
    // kPageWidth samples set up.
    void PrepareContinuousRun() {
        FindCasesAndPrepareProject();
        SetRunSettings(SAMPLE_MODE_CONTINUOUS, 1, 0);
        SampleSettings settings = m_frame->GetProjectState().m_SampleSettings;
        settings.nAnalysisBlockSize = kPageWidth;
        m_frame->GetProjectState().m_SampleSettings = settings;
        m_frame->GetSampleParamBar()->SetSampleSettings(settings);
    }
};

TEST_F(FrameCurveViewTest, ARealTimeWindowDrawsAContinuousRunPageByPage) {
    PrepareContinuousRun();
    ASSERT_TRUE(m_frame->RunCommand(ID_NEW_REALTIME_WINDOW));
    ASSERT_EQ(CCurveViewWidget::CurveViews().size(), 1u);
    CCurveViewWidget& view = *CCurveViewWidget::CurveViews().front();
    ASSERT_NO_FATAL_FAILURE(SelectTwoChannels(view));
    view.Model().m_Options.m_nScareType = 1;

    // The graph-attribute bar's drop-down opens the active view's cursor popup.
    QMenu* popup = nullptr;
    for (auto* button : m_frame->GetToolBar(1)->findChildren<QToolButton*>())
        if (button->menu() != nullptr)
            popup = button->menu();
    ASSERT_NE(popup, nullptr);
    emit popup->aboutToShow();
    QAction* single = nullptr;
    for (QAction* action : popup->actions())
        if (action->data().toInt() == ID_SINGLE_CURSOR)
            single = action;
    ASSERT_NE(single, nullptr);
    single->trigger();
    EXPECT_EQ(view.Model().m_nCursorType, 1);

    ASSERT_TRUE(m_frame->RunCommand(ID_START_SAMPLE));
    int first = 0;
    std::vector<std::vector<float>> points;
    ASSERT_NO_FATAL_FAILURE(TakeNewPage(view, kPageWidth, first, points));
    EXPECT_EQ(first % kPageWidth, 0);
    EXPECT_LE(points[0].size(), std::size_t(kPageWidth));
    EXPECT_FALSE(view.RenderImage().isNull());
    ASSERT_TRUE(m_frame->RunCommand(ID_STOP_SAMPLE));
    ASSERT_TRUE(WaitRunCompleted());
    ExpectStoredPoints(first, points);

    // The layout file brings the channels, the mode and the options back.
    view.Model().m_STRealViewOption.nLegend = 0;
    view.Model().m_nCursorType = 2;
    const std::string layout = m_frame->GetDocumentLayoutFile();
    ASSERT_EQ(m_frame->SaveWindowLayout(layout), 1);
    m_frame->CloseAllChildWindows();
    ASSERT_TRUE(ProcessEventsUntil([] { return CCurveViewWidget::CurveViews().empty(); }));
    ASSERT_EQ(m_frame->LoadWindowLayout(layout, true), 1);
    ASSERT_EQ(CCurveViewWidget::CurveViews().size(), 1u);
    const CCurveViewModel& restored = CCurveViewWidget::CurveViews().front()->Model();
    EXPECT_EQ(restored.GetChannelIDs(), (std::vector<int>{1, 133}));
    EXPECT_EQ(restored.m_nShowGraphType, 1);
    EXPECT_EQ(restored.m_Options.m_nScareType, 1);
    EXPECT_EQ(restored.m_nCursorType, 2);
    EXPECT_EQ(restored.m_STRealViewOption.nLegend, 0);
    // Opened on the stored run, it shows the stored values.
    EXPECT_TRUE(restored.m_bStoredData);
    EXPECT_GT(restored.PointCount(), 0);

    // "数据编辑" of the context menu deletes the samples between the double
    // cursors from every unit's files; the stored count and every open view
    // (a second curve window and a history window besides) follow.
    CCurveViewWidget& stored = *CCurveViewWidget::CurveViews().front();
    ASSERT_TRUE(m_frame->RunCommand(ID_NEW_REALTIME_WINDOW));
    ASSERT_TRUE(m_frame->RunCommand(ID_NEW_HISTORY_WINDOW));
    ASSERT_EQ(CHistoryViewWidget::HistoryViews().size(), 1u);
    CHistoryViewWidget& history = *CHistoryViewWidget::HistoryViews().front();
    const int before = m_frame->GetProjectState().m_nTotalDataCount;
    ASSERT_GE(before, 4);
    const auto unitSamples = [this](int unit) {
        return ReadBlocks(m_scratch.File("Projects/Run/Run_" + std::to_string(unit) + ".dat")).size();
    };
    const std::size_t unit8Before = unitSamples(8);
    stored.Model().m_nFirstSample = 0;
    stored.Model().m_Cursor0 = 2;
    stored.Model().m_Cursor1 = 1;
    stored.runCursorEditDialog = [](CCursorEditDlg& dialog) {
        EXPECT_TRUE(dialog.DeleteButton()->isEnabled());
        dialog.DeleteButton()->click();
        EXPECT_TRUE(dialog.AllScopeButton()->isChecked());
        dialog.TryAccept();
        return dialog.result();
    };
    m_boxes.QueueAnswer(platform::IDNO);
    ASSERT_TRUE(TriggerContextItem(stored, ID_EDIT_DATA));
    EXPECT_EQ(m_frame->GetProjectState().m_nTotalDataCount, before);
    m_boxes.QueueAnswer(platform::IDYES);
    ASSERT_TRUE(TriggerContextItem(stored, ID_EDIT_DATA));
    EXPECT_EQ(m_frame->GetProjectState().m_nTotalDataCount, before - 2);
    EXPECT_EQ(unitSamples(8), unit8Before - 2);
    EXPECT_LE(stored.Model().PointCount(), before - 2);
    int windows = 0;
    for (CChildFrame* child : m_frame->GetChildFramesFrontFirst()) {
        ++windows;
        EXPECT_EQ(child->GetDocument()->GetTotal(), before - 2) << child->windowTitle().toStdString();
    }
    EXPECT_EQ(windows, 3);
    // The history window reads the shortened run: its sample 1 was sample 3.
    const auto unit0 = ReadBlocks(m_scratch.File("Projects/Run/Run_0.dat"));
    const HistoryBand& band = history.Model().m_Bands[0];
    ASSERT_EQ(history.Model().m_nFirstSample, 0);
    ASSERT_EQ(band.nChannel / 16, 0);
    ASSERT_GT(history.Model().m_nValidCount, 1);
    for (int i : {0, 1})
        EXPECT_NEAR(band.series.m_Values[std::size_t(i)],
                    unit0[std::size_t(i)].fValues[band.nChannel] * 0.001, 1e-4)
            << "point " << i;
}

// A curve window that followed a run shows the stored run once it stops, as
// one opened after the stop does, and moves through it with the document's
// batch commands.
TEST_F(FrameCurveViewTest, AWindowOpenedDuringARunDrawsEverySetFromItsNextPage) {
    // With no curve or history window open the windows take only the
    // newest set of each batch; a window opened then gets every set again.
    PrepareContinuousRun();
    ASSERT_TRUE(m_frame->RunCommand(ID_START_SAMPLE));
    CSamplingControl& sampling = m_frame->GetSampling();
    ASSERT_TRUE(
        ProcessEventsUntil([&] { return sampling.m_nContinuousCount.load() >= 3 * kPageWidth; }, 20000));
    ASSERT_TRUE(m_frame->RunCommand(ID_NEW_REALTIME_WINDOW));
    ASSERT_EQ(CCurveViewWidget::CurveViews().size(), 1u);
    CCurveViewWidget& view = *CCurveViewWidget::CurveViews().front();
    ASSERT_NO_FATAL_FAILURE(SelectTwoChannels(view));
    const int opened = sampling.m_nContinuousCount.load();

    int first = 0;
    std::vector<std::vector<float>> points;
    ASSERT_NO_FATAL_FAILURE(TakeNewPage(view, opened + kPageWidth, first, points));
    ASSERT_TRUE(m_frame->RunCommand(ID_STOP_SAMPLE));
    ASSERT_TRUE(WaitRunCompleted());
    ExpectStoredPoints(first, points);
}

TEST_F(FrameCurveViewTest, AWindowThatFollowedARunShowsTheStoredRunAfterTheStop) {
    PrepareContinuousRun();
    ASSERT_TRUE(m_frame->RunCommand(ID_NEW_REALTIME_WINDOW));
    ASSERT_EQ(CCurveViewWidget::CurveViews().size(), 1u);
    CCurveViewWidget& view = *CCurveViewWidget::CurveViews().front();
    ASSERT_TRUE(m_frame->RunCommand(ID_START_SAMPLE));
    ASSERT_TRUE(ProcessEventsUntil([&] { return m_frame->GetSampling().m_nRunStoredCount >= 3 * kPageWidth; },
                                   20000));
    ASSERT_TRUE(m_frame->RunCommand(ID_STOP_SAMPLE));
    ASSERT_TRUE(WaitRunCompleted());

    // Each point is the stored value of the curve's channel at the window's sample.
    const auto expectStored = [&](const CCurveViewWidget& shown) {
        const CCurveViewModel& m = shown.Model();
        EXPECT_TRUE(m.m_bStoredData);
        ASSERT_GT(m.PointCount(), 0);
        const int channel = m.GetChannelIDs().front();
        const auto blocks =
            ReadBlocks(m_scratch.File("Projects/Run/Run_" + std::to_string(channel / 16) + ".dat"));
        for (int i = 0; i < m.PointCount(); ++i) {
            const std::size_t sample = std::size_t(m.m_nFirstSample + i);
            ASSERT_LT(sample, blocks.size());
            ASSERT_NEAR(m.PointValue(0, i), blocks[sample].fValues[channel % 16] * 0.001, 1e-4)
                << "sample " << sample;
        }
    };
    expectStored(view);
    const int first = view.Model().m_nFirstSample;
    ASSERT_TRUE(m_frame->RunCommand(ID_DATA_NEXT_BATCH));
    EXPECT_EQ(view.Model().m_nFirstSample, first + 1);
    expectStored(view);
    ASSERT_TRUE(m_frame->RunCommand(ID_DATA_FIRST));
    EXPECT_EQ(view.Model().m_nFirstSample, 0);
    expectStored(view);
    ASSERT_TRUE(m_frame->RunCommand(ID_NEW_REALTIME_WINDOW));
    ASSERT_EQ(CCurveViewWidget::CurveViews().size(), 2u);
    expectStored(*CCurveViewWidget::CurveViews().back());
}

TEST_F(FrameCurveViewTest, AGuardedStopAsksForTheCodeAndCancelKeepsTheRun) {
    m_boxes.QueueAnswer(platform::IDYES);
    ASSERT_TRUE(m_frame->RunCommand(ID_DETECT_CASE));
    UseVoltageConversion();
    ASSERT_EQ(m_frame->GetProjectHandler().PrepareProject(m_scratch.File("Projects/Run/Run.dap")), 1);
    SetRunSettings(SAMPLE_MODE_CONTINUOUS, 1, 0);
    COperatorRights& rights = m_frame->GetOperatorRights();
    rights.m_strOperationCode = "停止7";
    rights.m_nStopControlRight = 1;
    rights.m_nRightCancel = 0;
    int asked = 0;
    bool answer = false;
    m_frame->runRightsDialog = [&](CDlgRightsVerify& dialog) {
        ++asked;
        if (!answer)
            return int(QDialog::Rejected);
        dialog.CodeEdit()->setText(QString::fromUtf8("停止7"));
        dialog.OkButton()->click();
        return dialog.result();
    };
    ASSERT_TRUE(m_frame->RunCommand(ID_START_SAMPLE));
    ASSERT_TRUE(ProcessEventsUntil([] { return g_bSampling.load() != 0; }, 20000));
    m_frame->RunCommand(ID_STOP_SAMPLE);
    EXPECT_EQ(asked, 1);
    EXPECT_NE(g_bSampling.load(), 0);
    answer = true;
    ASSERT_TRUE(m_frame->RunCommand(ID_STOP_SAMPLE));
    EXPECT_EQ(asked, 2);
    ASSERT_TRUE(WaitRunCompleted());
    rights.m_strOperationCode.clear();
}

} // namespace
