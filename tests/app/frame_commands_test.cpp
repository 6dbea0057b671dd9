// The main frame's window commands and their states: the limits of the
// new-window commands, the always-disabled commands, the document commands
// of the active window, closing child windows, and what the frame shows.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>

#include <QDockWidget>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <atomic>
#include <fstream>
#include <thread>

#include "ShellTestSupport.h"
#include "app/ChildFrame.h"
#include "app/FrameCommands.h"
#include "app/MainFrame.h"
#include "app/QV7411N_NewFrameApp.h"
#include "app/ShowDetailWinThread.h"
#include "app/StartupWork.h"
#include "model/AppSettings.h"
#include "model/CaseSampleBlock.h"
#include "model/CaseTables.h"
#include "model/RunFlags.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "project/OpenViewCounters.h"

namespace {

class FrameCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureQtApplication();
        m_app = std::make_unique<CQV7411N_NewFrameApp>(m_scratch.ProgramFolder());
        ASSERT_TRUE(m_app->InitInstance());
        m_frame = m_app->GetMainFrame();
    }
    void TearDown() override {
        g_bSampling = 0;
        if (m_frame != nullptr) {
            m_frame->close();
        }
        m_app->ExitInstance();
    }

    bool Enabled(int id) { return m_frame->QueryCommandState(id).m_bEnabled; }

    ShellScratch m_scratch;
    platform::MessageBoxRecorder m_boxes;
    std::unique_ptr<CQV7411N_NewFrameApp> m_app;
    CMainFrame* m_frame = nullptr;
};

TEST_F(FrameCommandsTest, NewWindowCommandsStopAtTheirLimits) {
    for (int n = 0; n < 4; ++n) {
        ASSERT_TRUE(m_frame->RunCommand(ID_NEW_HISTORY_WINDOW));
    }
    EXPECT_FALSE(Enabled(ID_NEW_HISTORY_WINDOW));
    EXPECT_FALSE(m_frame->RunCommand(ID_NEW_HISTORY_WINDOW));
    EXPECT_EQ(OpenViewCounters().GetCount(VIEW_TYPE_HISTORY), 4);
    for (int n = 0; n < 8; ++n) {
        ASSERT_TRUE(m_frame->RunCommand(ID_NEW_REALTIME_WINDOW));
    }
    for (int n = 0; n < 4; ++n) {
        ASSERT_TRUE(m_frame->RunCommand(ID_NEW_TABLE_WINDOW));
    }
    EXPECT_FALSE(Enabled(ID_NEW_BAR_WINDOW)); // sixteen in all
    for (int id : {ID_NEW_HISTORY_WINDOW, ID_NEW_REALTIME_WINDOW, ID_NEW_TABLE_WINDOW}) {
        EXPECT_FALSE(Enabled(id));
    }
    m_frame->OnCloseAllChildWindows();
    EXPECT_EQ(OpenViewCounters().GetTotal(), 0);
    EXPECT_TRUE(Enabled(ID_NEW_BAR_WINDOW));
}

TEST_F(FrameCommandsTest, SharedHandlerKeepsItsCommandsDisabled) {
    for (int id : AlwaysDisabledCommands()) {
        EXPECT_FALSE(Enabled(id)) << id;
        EXPECT_FALSE(m_frame->RunCommand(id)) << id;
    }
    // The tool-bar buttons of the three curves never show; the spectrum
    // button shows only with spectrum windows offered.
    for (int id : {32941, 32943, 32944, ID_NEW_SPECTRUM_WINDOW}) {
        EXPECT_FALSE(m_frame->GetAction(id)->isVisible()) << id;
    }
}

TEST_F(FrameCommandsTest, DocumentCommandsFollowTheActiveWindow) {
    EXPECT_FALSE(Enabled(ID_GRAPH_PROPERTIES));
    ASSERT_TRUE(m_frame->RunCommand(ID_NEW_HISTORY_WINDOW));
    EXPECT_TRUE(Enabled(ID_GRAPH_PROPERTIES));
    // A live window has no stored data to move through.
    EXPECT_FALSE(Enabled(ID_DATA_PREV_BLOCK));
    CQV7411N_NewFrameDoc* doc = m_frame->GetActiveChildFrame()->GetDocument();
    EXPECT_EQ(m_frame->GetActiveChildFrame()->windowTitle(), "历史曲线");
    EXPECT_EQ(doc->m_nScreenDataCount, 256);
    EXPECT_TRUE(m_frame->RunCommand(ID_ZOOM_IN_X));
    EXPECT_EQ(doc->m_nScreenDataCount, 128);
    g_bSampling = 1;
    EXPECT_FALSE(Enabled(ID_ZOOM_IN_X));
    EXPECT_FALSE(Enabled(ID_FILE_NEW_PROJECT));
    EXPECT_FALSE(Enabled(ID_FILE_OPEN_PROJECT));
}

TEST_F(FrameCommandsTest, NewWindowShowsStoredDataOfAnOpenedProject) {
    CProjectState& project = m_frame->GetProjectState();
    project.m_nProjectState = PROJECT_OPENED;
    project.m_strProjectName = "T1";
    project.m_nTotalDataCount = 40;
    ASSERT_TRUE(m_frame->RunCommand(ID_NEW_TABLE_WINDOW));
    const CQV7411N_NewFrameDoc* doc = m_frame->GetActiveChildFrame()->GetDocument();
    EXPECT_TRUE(doc->IsStoredData());
    EXPECT_EQ(doc->GetTotal(), 40);
    EXPECT_EQ(doc->m_nNowDataCount, 40);
    EXPECT_EQ(m_frame->GetActiveChildFrame()->windowTitle(), "[T1]表格数据_测量数据");
    project.m_nProjectState = PROJECT_NONE;
}

TEST_F(FrameCommandsTest, WorkerThreadsReachTheFrameByMessages) {
    std::atomic<bool> sent{false};
    std::thread worker([&] {
        const std::string text = "正在查找机箱...";
        platform::SendMessage(m_frame->GetSafeHwnd(), WM_SET_STATUS_TEXT, 0,
                              reinterpret_cast<platform::LPARAM>(text.c_str()));
        sent = true;
    });
    EXPECT_TRUE(ProcessEventsUntil([&] { return sent.load(); }));
    worker.join();
    EXPECT_EQ(m_frame->statusBar()->findChildren<QLabel*>().value(0)->text(), "正在查找机箱...");

    g_bSampling = 1;
    platform::PostMessage(m_frame->GetSafeHwnd(), platform::WM_CLOSE);
    EXPECT_TRUE(ProcessEventsUntil([&] { return !m_boxes.Records().empty(); }));
    EXPECT_EQ(m_boxes.Records().back().text, "当前处于采样中,请停止采样后再关闭应用程序!");
    EXPECT_TRUE(m_frame->isVisible());
}

TEST_F(FrameCommandsTest, DeletingTheShownSampleAsksThenCutsTheRunForEveryWindow) {
    std::int32_t online[MAX_CASE_COUNT] = {};
    online[0] = 1;
    BuildCaseTablesFromOnlineFlags(online);
    g_bPerCaseFiles = 0;
    CProjectState& project = m_frame->GetProjectState();
    project.SetProjectFolderAndName(m_scratch.File("Projects/T1"), "T1");
    platform::CreateFolder(project.m_strProjectFolder);
    project.m_nProjectState = PROJECT_OPENED;
    project.m_nTotalDataCount = 3;
    std::vector<CaseSampleBlock> blocks(3);
    std::vector<char> status(3 * 32, 0);
    std::ofstream(project.GetFilePath(".dat"), std::ios::binary)
        .write(reinterpret_cast<const char*>(blocks.data()), 3 * sizeof(CaseSampleBlock));
    std::ofstream(project.GetFilePath(".stu"), std::ios::binary).write(status.data(), status.size());
    ASSERT_TRUE(m_frame->RunCommand(ID_NEW_TABLE_WINDOW));
    ASSERT_TRUE(m_frame->RunCommand(ID_NEW_HISTORY_WINDOW));

    m_boxes.QueueAnswer(platform::IDNO);
    EXPECT_TRUE(m_frame->RunCommand(ID_DELETE_CURRENT_DATA));
    EXPECT_EQ(m_boxes.Records().back().text, "此操作将删除当前显示的数据! 是否进行此操作?");
    EXPECT_EQ(platform::FileSize(project.GetFilePath(".dat")), 3 * 68);

    m_boxes.QueueAnswer(platform::IDYES);
    EXPECT_TRUE(m_frame->RunCommand(ID_DELETE_CURRENT_DATA));
    EXPECT_EQ(platform::FileSize(project.GetFilePath(".dat")), 2 * 68);
    EXPECT_EQ(platform::FileSize(project.GetFilePath(".stu")), 2 * 32);
    EXPECT_EQ(project.m_nTotalDataCount, 2);
    for (CChildFrame* child : m_frame->GetChildFramesFrontFirst()) {
        EXPECT_EQ(child->GetDocument()->GetTotal(), 2);
    }
    project.ClearProject();
    ResetCaseTables();
}

TEST_F(FrameCommandsTest, FirstCaseSearchRunsOnTheStartUpWorker) {
    // The network transport never opens, so start-up ran no search.
    EXPECT_EQ(m_frame->GetTransportOpen(), 0);
    EXPECT_EQ(m_frame->GetStartupWork(), nullptr);
    m_frame->SetCasesFound(1);
    ASSERT_TRUE(m_frame->StartFirstCaseSearch());
    ASSERT_TRUE(m_frame->GetStartupWork()->Wait(10000));
    // No case has connected: the result reaches the frame by a posted message.
    EXPECT_TRUE(ProcessEventsUntil([&] { return m_frame->GetCasesFound() == 0; }));
    EXPECT_FALSE(m_frame->GetProgressThread()->GetWindow()->isVisible());
}

TEST_F(FrameCommandsTest, CloseOtherWindowsKeepsTheActiveOne) {
    ASSERT_TRUE(m_frame->RunCommand(ID_NEW_TABLE_WINDOW));
    EXPECT_TRUE(m_frame->RunCommand(32914)); // one window: nothing to close
    EXPECT_EQ(m_frame->GetChildFramesFrontFirst().size(), 1u);
    ASSERT_TRUE(m_frame->RunCommand(ID_NEW_BAR_WINDOW));
    ASSERT_TRUE(m_frame->RunCommand(ID_NEW_HISTORY_WINDOW));
    EXPECT_TRUE(m_frame->RunCommand(32914));
    ASSERT_EQ(m_frame->GetChildFramesFrontFirst().size(), 1u);
    EXPECT_EQ(m_frame->GetActiveChildFrame()->GetViewType(), VIEW_TYPE_HISTORY);
    EXPECT_TRUE(m_frame->RunCommand(32912));
    EXPECT_TRUE(m_frame->GetChildFramesFrontFirst().empty());
    EXPECT_FALSE(Enabled(32912));
    EXPECT_FALSE(Enabled(32913));
}

TEST_F(FrameCommandsTest, FrameShowsItsMenusBarsPanesAndCountPanes) {
    QStringList menus;
    for (QAction* action : m_frame->menuBar()->actions()) {
        menus << action->text();
    }
    EXPECT_EQ(menus, (QStringList{"文件(&F)", "查看(&V)", "数据(&D)", "控制(&C)", "设置(&S)", "窗口(&W)",
                                  "帮助(&H)"}));
    EXPECT_EQ(m_frame->GetToolBar(0)->windowTitle(), "工具栏");
    EXPECT_EQ(m_frame->GetToolBar(1)->windowTitle(), "图形属性栏");
    EXPECT_EQ(m_frame->GetToolBar(2)->windowTitle(), "采样控制栏");
    ASSERT_NE(m_frame->GetPane(IDR_PANE_SAMPLE_PARAM), nullptr);
    ASSERT_NE(m_frame->GetPane(IDR_PANE_CHANNEL_PARAM), nullptr);
    EXPECT_TRUE(m_frame->GetPane(IDR_PANE_SAMPLE_PARAM)->isVisible());
    EXPECT_EQ(m_frame->GetPaneText(900), "当前窗口数据计数");
    EXPECT_EQ(m_frame->GetPaneText(901), "当前项目数据总数");
    // The count panes keep their width while counts change; a longer text widens its pane.
    auto* pane = m_frame->statusBar()->findChildren<QLabel*>().at(1);
    ASSERT_EQ(pane->text(), "当前窗口数据计数");
    const int width = pane->width();
    m_frame->ShowDataCountInStatusBar(1, 12, 345, true);
    EXPECT_EQ(pane->width(), width);
    const QString longText = QString(80, QChar(u'W'));
    m_frame->SetPaneText(900, longText);
    EXPECT_EQ(m_frame->GetPaneText(900), longText);
    EXPECT_GE(pane->width(), pane->fontMetrics().horizontalAdvance(longText));
    // So does a count that grows by many digits.
    const QString manyDigits = QString("当前采集到数据个数:") + QString(60, QChar(u'8'));
    m_frame->SetPaneText(900, "当前采集到数据个数:1");
    m_frame->SetPaneText(900, manyDigits);
    EXPECT_EQ(m_frame->GetPaneText(900), manyDigits);
    EXPECT_GE(pane->width(), pane->fontMetrics().horizontalAdvance(manyDigits));
    EXPECT_FALSE(m_frame->GetDataLocateBar()->isVisible());

    ASSERT_TRUE(m_frame->RunCommand(ID_NEW_TABLE_WINDOW));
    ASSERT_TRUE(m_frame->RunCommand(ID_NEW_HISTORY_WINDOW));
    EXPECT_EQ(m_frame->GetActiveChildFrame()->windowTitle(), "历史曲线");
    EXPECT_EQ(m_frame->GetChildFramesFrontFirst()[1]->windowTitle(), "表格数据_测量数据");
    const QImage image = m_frame->grab().toImage();
    ASSERT_FALSE(image.isNull());
    if (const char* folder = std::getenv("QV_SHELL_GRAB_DIR")) {
        ASSERT_TRUE(image.save(QString::fromUtf8(folder) + "/main_frame.png"));
    }
}

} // namespace
