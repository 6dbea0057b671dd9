// The curve view's commands reached from the frame's menus over a stored
// run of the simulated cases: the File menu's save-as exports what the
// active curve view shows, and a project change resets the views.
#include "FrameRunFixture.h"

#include "app/ChildFrame.h"
#include "app/CommandStates.h"
#include "app/DataViews.h"
#include "app/PrintParameters.h"
#include "datafiles/SaveDataOptions.h"
#include "model/SensorMatch.h"
#include "panels/run/DlgDistributionBatch.h"
#include "platform/Profile.h"
#include "platform/Text.h"
#include "project/OpenViewCounters.h"
#include "project/SampleMarks.h"
#include "views/curve/CurveMarks.h"
#include "views/curve/CurveViewWidget.h"
#include "views/curve/DataCorrectDlg.h"
#include "views/curve/ImportantPointDlg.h"
#include "views/history/HistoryViewWidget.h"

#include <QLineEdit>
#include <QTreeWidget>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>

#include <fstream>
#include <functional>
#include <memory>
#include <string>

namespace {

constexpr int ID_DETECT_CASE = 32794;
constexpr int kStored = 12;

class FrameCurveCommandsTest : public FrameRunTest {
protected:
    // A stored run and a curve window showing channels 0 and 1 over it.
    CCurveViewWidget& OpenStoredCurveView() {
        m_boxes.QueueAnswer(platform::IDYES);
        EXPECT_TRUE(m_frame->RunCommand(ID_DETECT_CASE));
        UseVoltageConversion();
        EXPECT_EQ(m_frame->GetProjectHandler().PrepareProject(m_scratch.File("Projects/Run/Run.dap")), 1);
        StoreTimedRun(kStored);
        EXPECT_EQ(m_frame->GetProjectState().m_nTotalDataCount, kStored);
        EXPECT_TRUE(m_frame->RunCommand(ID_NEW_REALTIME_WINDOW));
        CCurveViewWidget& view = *CCurveViewWidget::CurveViews().back();
        CurveSignalChoice choice;
        choice.ids = {0, 1};
        view.RefreshWorld();
        view.Model().ApplySignalChoice(choice, view.World());
        return view;
    }

    // Triggers the item of the view's context menu (submenus included); false
    // when it is missing or disabled.
    static bool Trigger(CCurveViewWidget& view, int id) {
        std::unique_ptr<QMenu> menu(view.BuildContextMenu(nullptr));
        std::function<QAction*(QMenu*)> find = [&](QMenu* m) -> QAction* {
            for (QAction* action : m->actions()) {
                if (action->menu() != nullptr) {
                    if (QAction* inner = find(action->menu()))
                        return inner;
                } else if (action->data().toInt() == id) {
                    return action;
                }
            }
            return nullptr;
        };
        QAction* action = find(menu.get());
        if (action == nullptr || !action->isEnabled())
            return false;
        action->trigger();
        return true;
    }

    static void PressKey(QWidget& widget, Qt::Key key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(&widget, &press);
    }

    static std::size_t LineCount(const std::string& path) {
        std::ifstream in(path);
        std::size_t lines = 0;
        for (std::string line; std::getline(in, line);)
            ++lines;
        return lines;
    }
};

TEST_F(FrameCurveCommandsTest, SaveAsFromTheFileMenuExportsTheActiveCurveView) {
    CCurveViewWidget& view = OpenStoredCurveView();
    TableSavePreset preset;
    view.runSaveOptionsDialog = [&](const TableSavePreset& p, TableSaveKind, SaveDataOptions& options) {
        preset = p;
        options = SaveDataOptions{};
        options.nFileLayout = 1;
        options.bRelativeTime = 1;
        for (int id : p.items)
            options.nChannels[options.nChannelCount++] = id;
        return true;
    };
    const std::string exported = m_scratch.File("curves.txt");
    m_frame->SetFileChooser(
        [&](bool save, const std::string&, const std::string&, const std::string&, std::string& path) {
            path = exported;
            return save;
        });
    QAction* saveText = MenuItem("文件", ID_SAVE_AS_TEXT);
    ASSERT_NE(saveText, nullptr);
    ASSERT_TRUE(saveText->isEnabled());
    saveText->trigger();
    EXPECT_EQ(preset.items, (std::vector<int>{0, 1}));
    EXPECT_EQ(LineCount(exported), 2u + kStored) << "two heading lines and every stored sample";
    QAction* saveMat = MenuItem("文件", ID_SAVE_AS_MATLAB);
    ASSERT_NE(saveMat, nullptr);
    EXPECT_TRUE(saveMat->isEnabled());

    // Rosette curves cannot go to MATLAB; a project change brings the view
    // back to time curves with the X axis counting samples.
    view.Model().m_nLineType = 2;
    view.Model().m_Options.m_nXShowType = 1;
    EXPECT_FALSE(MenuItem("文件", ID_SAVE_AS_MATLAB)->isEnabled());
    m_frame->ResetAllViews();
    EXPECT_EQ(view.Model().m_nLineType, 1);
    EXPECT_EQ(view.Model().m_Options.m_nXShowType, 0);
    EXPECT_TRUE(MenuItem("文件", ID_SAVE_AS_MATLAB)->isEnabled());
}

TEST_F(FrameCurveCommandsTest, BookmarksBecomeSampleMarksThatMoveTheWindow) {
    CCurveViewWidget& view = OpenStoredCurveView();
    CQV7411N_NewFrameDoc* doc = m_frame->GetActiveChildFrame()->GetDocument();
    doc->SetViewDataWindow(0, 4, 4);
    ASSERT_EQ(view.Model().PointCount(), 4);
    EXPECT_FALSE(Trigger(view, ID_TOGGLE_BOOKMARK)) << "needs the single cursor";
    ASSERT_TRUE(Trigger(view, ID_CURSOR_DISPLAY));
    EXPECT_EQ(view.Model().m_nCursorType, 1);
    view.Model().m_Cursor0 = 3;
    ASSERT_TRUE(Trigger(view, ID_TOGGLE_BOOKMARK));
    doc->SetViewDataWindow(8, 4, 4);
    view.Model().m_Cursor0 = 1;
    ASSERT_TRUE(Trigger(view, ID_TOGGLE_BOOKMARK));
    EXPECT_EQ(view.Bookmarks().Samples(), (std::vector<int>{3, 9}));
    ASSERT_TRUE(Trigger(view, ID_PREV_BOOKMARK));
    EXPECT_EQ(doc->m_nScreenDataLeft, 1) << "sample 3 in the middle of four";

    // No marks yet: converted without a question; the file holds both.
    const std::string markFile = m_frame->GetProjectState().GetFilePath(".mrk");
    const std::size_t boxes = m_boxes.Records().size();
    ASSERT_TRUE(Trigger(view, ID_BOOKMARKS_TO_MARKS));
    EXPECT_EQ(m_boxes.Records().size(), boxes);
    EXPECT_TRUE(view.Bookmarks().Samples().empty());
    ASSERT_EQ(GetSampleMarkCount(markFile), 2);
    EXPECT_EQ(ReadSampleMarkIndexes(markFile, 2), (std::vector<int>{3, 9}));

    // Shown, they take the window from mark to mark; the last one ends near the end.
    ASSERT_TRUE(Trigger(view, ID_SHOW_SAMPLE_MARKS));
    EXPECT_TRUE(view.SampleMarksShown());
    EXPECT_EQ(doc->m_nScreenDataLeft, 1);
    EXPECT_FALSE(Trigger(view, ID_PREV_SAMPLE_MARK));
    ASSERT_TRUE(Trigger(view, ID_NEXT_SAMPLE_MARK));
    EXPECT_EQ(doc->m_nScreenDataLeft, 7);
    EXPECT_EQ(view.Model().m_nFirstSample, 7);
    EXPECT_FALSE(view.RenderImage().isNull());

    // A bookmark on an existing mark asks before the file is rewritten.
    view.Model().m_Cursor0 = 2;
    ASSERT_TRUE(Trigger(view, ID_TOGGLE_BOOKMARK));
    m_boxes.QueueAnswer(platform::IDNO);
    ASSERT_TRUE(Trigger(view, ID_BOOKMARKS_TO_MARKS));
    EXPECT_EQ(view.Bookmarks().Samples(), (std::vector<int>{9}));
    m_boxes.QueueAnswer(platform::IDYES);
    ASSERT_TRUE(Trigger(view, ID_BOOKMARKS_TO_MARKS));
    EXPECT_EQ(GetSampleMarkCount(markFile), 2);
}

TEST_F(FrameCurveCommandsTest, CursorSyncTakesTheOtherViewsToTheSample) {
    CCurveViewWidget& first = OpenStoredCurveView();
    ASSERT_TRUE(m_frame->RunCommand(ID_NEW_REALTIME_WINDOW));
    CCurveViewWidget& second = *CCurveViewWidget::CurveViews().back();
    ASSERT_NE(&first, &second);
    second.Model().m_nCursorType = 1;
    ASSERT_TRUE(m_frame->RunCommand(ID_NEW_TABLE_WINDOW));
    CChildFrame* tableChild = m_frame->GetActiveChildFrame();
    ASSERT_NE(qobject_cast<CTableView*>(tableChild->GetActiveView()), nullptr);

    first.Model().m_nCursorType = 1;
    first.Model().m_Cursor0 = 4;
    ASSERT_TRUE(Trigger(first, ID_CURSOR_SYNC));
    PressKey(first, Qt::Key_Right);
    EXPECT_EQ(first.Model().m_Cursor0, 5);
    EXPECT_EQ(second.Model().m_Cursor0, 5);
    EXPECT_EQ(tableChild->GetDocument()->m_nScreenDataLeft, 5);

    // Without sync the others stay.
    ASSERT_TRUE(Trigger(first, ID_CURSOR_SYNC));
    PressKey(first, Qt::Key_Right);
    EXPECT_EQ(second.Model().m_Cursor0, 5);

    // Following the run is one switch for every curve view.
    ASSERT_TRUE(Trigger(first, ID_CURSOR_FOLLOW));
    EXPECT_EQ(second.Model().m_bCursorFollow, 1);
}

TEST_F(FrameCurveCommandsTest, DataCorrectionFromTheDataMenuComposesWithTheChannelsCorrection) {
    OpenStoredCurveView();
    const int channel = g_MeasChanList[1];
    g_ChannelParams[channel].fCorrectionSlope = 2.0f;
    g_ChannelParams[channel].fCorrectionOffset = 1.0f;
    auto* view = qobject_cast<CDataViewBase*>(m_frame->GetActiveChildFrame()->GetActiveView());
    ASSERT_NE(view, nullptr);
    view->runDataCorrectDialog = [&](CDataCorrectDlg& dialog) {
        dialog.SetChannelId(channel);
        dialog.AEdit()->setText("1.5");
        dialog.BEdit()->setText("-0.5");
        dialog.TryAccept();
        return dialog.result();
    };
    QAction* correct = MenuItem("数据", ID_DATA_CORRECT);
    ASSERT_NE(correct, nullptr);
    ASSERT_TRUE(correct->isEnabled());
    correct->trigger();
    EXPECT_FLOAT_EQ(g_ChannelParams[channel].fCorrectionSlope, 3.0f);
    EXPECT_FLOAT_EQ(g_ChannelParams[channel].fCorrectionOffset, 1.0f);
}

TEST_F(FrameCurveCommandsTest, TheImportantPointWindowFollowsARun) {
    m_boxes.QueueAnswer(platform::IDYES);
    ASSERT_TRUE(m_frame->RunCommand(ID_DETECT_CASE));
    UseVoltageConversion();
    ASSERT_EQ(m_frame->GetProjectHandler().PrepareProject(m_scratch.File("Projects/Run/Run.dap")), 1);
    m_frame->GetImportantPoints() = {g_ChannelList[0], g_ChannelList[17], -1, -1, -1};
    QAction* item = MenuItem("查看", ID_IMPORTANT_POINTS);
    ASSERT_NE(item, nullptr);
    ASSERT_TRUE(item->isEnabled());
    item->trigger();
    CImportantPointDlg* window = m_frame->GetImportantPointDlg();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->ValueText(0).isEmpty());
    StoreTimedRun(3);
    // The last set's values of the two channels.
    const CaseSampleBlock* set = m_frame->GetSampling().GetCurrentSet();
    EXPECT_EQ(window->ValueText(0).toStdString(), platform::Format("%.3f", double(set[0].fValues[0])));
    EXPECT_EQ(window->ValueText(1).toStdString(), platform::Format("%.3f", double(set[1].fValues[1])));
    item->trigger();
    EXPECT_FALSE(window->isVisible());
}

} // namespace

// "打印" of the curve and history windows' context menus prints to the
// printer its dialog sets up, with the project's page header and footer.
TEST_F(FrameCurveCommandsTest, PrintFromTheContextMenusCarriesTheProjectsHeaderAndFooter) {
    CCurveViewWidget& view = OpenStoredCurveView();
    ASSERT_TRUE(m_frame->RunCommand(ID_NEW_HISTORY_WINDOW));
    CHistoryViewWidget& history = *CHistoryViewWidget::HistoryViews().front();
    PrintParameters print;
    print.fltHeaderHeight = print.fltFootHeight = 1.0f;
    print.fltMarginTop = print.fltMarginDown = print.fltMarginLeft = print.fltMarginRight = 1.0f;
    print.strHeaderContent = "页眉QV9";
    print.strFootContent = "页脚QV9";
    SavePrintParam(m_frame->GetDocumentLayoutFile(), print);
    const auto printTo = [this](const QString& pdf, const std::function<bool()>& trigger) {
        WhenModal<QPrintDialog>(m_frame, [pdf](QPrintDialog& dialog) {
            dialog.printer()->setOutputFormat(QPrinter::PdfFormat);
            dialog.printer()->setOutputFileName(pdf);
            dialog.done(QDialog::Accepted);
        });
        EXPECT_TRUE(trigger());
        QProcess text;
        text.start("pdftotext", {pdf, "-"});
        EXPECT_TRUE(text.waitForFinished(20000));
        return QString::fromUtf8(text.readAllStandardOutput());
    };
    const QString curveText = printTo(QString::fromStdString(m_scratch.File("curve.pdf")),
                                      [&view] { return Trigger(view, ID_CURVE_PRINT); });
    const QString historyText = printTo(QString::fromStdString(m_scratch.File("history.pdf")),
                                        [&history] { return TriggerContextItem(history, ID_CURVE_PRINT); });
    for (const QString& printed : {curveText, historyText}) {
        EXPECT_TRUE(printed.contains(QString::fromUtf8("页眉QV9"))) << printed.toStdString();
        EXPECT_TRUE(printed.contains(QString::fromUtf8("页脚QV9"))) << printed.toStdString();
    }
}

// "确认0时刻值" takes the cursor's value of each curve whose channel is a
// matched sensor and records it in the project folder's "rezu.ini".
TEST_F(FrameCurveCommandsTest, ZeroTimeConfirmationRecordsTheMatchedSensorsValues) {
    CCurveViewWidget& view = OpenStoredCurveView();
    const SensorMapList saved = g_SensorMapId;
    g_SensorMapId.fill(-1);
    g_SensorMapId[2] = 1; // the third sensor is channel 1, the view's second curve
    view.Model().m_nCursorType = 1;
    view.Model().m_Cursor0 = 4;
    const float value = view.Model().PointValue(1, 4);
    ASSERT_GE(value, 0.0f);
    m_boxes.QueueAnswer(platform::IDOK);
    const bool triggered = Trigger(view, ID_CONFIRM_ZERO_TIME);
    g_SensorMapId = saved;
    ASSERT_TRUE(triggered);
    EXPECT_FLOAT_EQ(ZeroTimeValues().values[2], value);
    char text[64] = {};
    platform::GetPrivateProfileString("T0", "T0_3", "", text, sizeof text,
                                      m_frame->GetProjectState().m_strProjectFolder + "/rezu.ini");
    EXPECT_EQ(std::string(text), platform::Format("%f", double(value)));
}

TEST_F(FrameCurveCommandsTest, DistributionBatchesAreChosenFromTheRunsStoredSamples) {
    CCurveViewWidget& view = OpenStoredCurveView();
    ASSERT_TRUE(Trigger(view, ID_DRAW_MODE_DISTRIBUTION));
    EXPECT_FALSE(Trigger(view, ID_SELECT_DISTRIBUTION_BATCH)) << "only with the manual setting";
    ASSERT_TRUE(Trigger(view, ID_DISTRIBUTION_MANUAL));
    int listed = 0;
    WhenModal<CDlgDistributionBatch>(m_frame, [&](CDlgDistributionBatch& dialog) {
        auto* batches = dialog.findChild<QTreeWidget*>("batches");
        listed = batches->topLevelItemCount();
        if (listed < 10) { // too few samples listed: close, so that the checks below fail
            dialog.reject();
            return;
        }
        for (const int row : {2, 9, 5})
            emit batches->itemDoubleClicked(batches->topLevelItem(row), 0);
        dialog.accept();
    });
    ASSERT_TRUE(Trigger(view, ID_SELECT_DISTRIBUTION_BATCH));
    EXPECT_EQ(listed, kStored);
    const CCurveViewModel& m = view.Model();
    ASSERT_EQ(m.GetChannelCount(), 3);
    EXPECT_EQ(m.m_nSelIndex_Group[0], 2);
    EXPECT_EQ(m.m_nSelIndex_Group[1], 9);
    EXPECT_EQ(m.m_nSelIndex_Group[2], 5);

    // Cancel keeps the batches.
    WhenModal<CDlgDistributionBatch>(m_frame, [](CDlgDistributionBatch& dialog) { dialog.reject(); });
    ASSERT_TRUE(Trigger(view, ID_SELECT_DISTRIBUTION_BATCH));
    EXPECT_EQ(m.GetChannelCount(), 3);
    EXPECT_EQ(m.m_nSelIndex_Group[1], 9);
}
