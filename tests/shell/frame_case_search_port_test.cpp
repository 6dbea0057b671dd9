// The whole frame on the program's case port: the search from the menu finds
// two simulated cases, and the automatic detection on the frame's timer
// notices a case that connects later.
#include "ShellTestSupport.h"

#include "CaseSimulator.h"
#include "acquisition/CaseSearch.h"
#include "acquisition/ChanInfoWrapper.h"
#include "acquisition/FrameTimers.h"
#include "acquisition/NetComm.h"
#include "app/MainFrame.h"
#include "app/MainFrameCaseSearch.h"
#include "app/MdiTabMenu.h"
#include "app/PageSetupDialog.h"
#include "app/QV7411N_NewFrameApp.h"
#include "model/AppSettings.h"
#include "model/CaseTables.h"
#include "model/RunFlags.h"
#include "panels/bars/SampleParamBar.h"
#include "panels/links/DlgModuleFaultAlert.h"
#include "panels/links/DlgModuleInfo.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "platform/Profile.h"
#include "widgets/MSFlexGrid.h"

#include <QAction>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

namespace {

class FrameCaseSearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureQtApplication();
        ResetCaseTables();
        // The program's transport reads the case numbers in its program folder.
        m_mapFile = m_scratch.File("MapCfg.ini");
        std::ofstream(m_mapFile, std::ios::trunc) << "[127.0.0.2]\r\nMapID=0\r\n[127.0.0.3]\r\nMapID=1\r\n";
        // The channel information goes to a file of this test's own.
        g_ChanInfo.SetParamFileName(m_scratch.File("chaninfo.ini"));
        m_app = std::make_unique<CQV7411N_NewFrameApp>(m_scratch.ProgramFolder());
        ASSERT_TRUE(m_app->InitInstance());
        m_frame = m_app->GetMainFrame();
        m_shell = m_frame->GetCaseSearch();
        ASSERT_NE(m_shell, nullptr) << "the frame installs its case search at creation";
        auto* net = dynamic_cast<CNetComm*>(m_frame->GetCommBase());
        ASSERT_NE(net, nullptr);
        ASSERT_EQ(net->GetDriver().GetListenPort(), CNetComm::kCasePort)
            << "another program holds the case port";
    }
    void TearDown() override {
        m_simulators.clear();
        if (m_frame != nullptr)
            m_frame->close();
        if (m_app)
            m_app->ExitInstance();
        std::filesystem::remove(m_mapFile);
        ResetCaseTables();
    }
    void StartCase(const char* address, int caseNo, int modules) {
        CaseSimulatorOptions options; // the program's port 5001
        options.localIp = address;
        options.caseNo = caseNo;
        options.modules = modules;
        m_simulators.push_back(std::make_unique<CCaseSimulator>(options));
        m_simulators.back()->Start();
    }
    int Connected() { return static_cast<int>(m_shell->GetConnections().GetConnectedAddresses().size()); }

    ShellScratch m_scratch;
    platform::MessageBoxRecorder m_boxes;
    std::string m_mapFile;
    std::unique_ptr<CQV7411N_NewFrameApp> m_app;
    CMainFrame* m_frame = nullptr;
    CMainFrameCaseSearch* m_shell = nullptr;
    std::vector<std::unique_ptr<CCaseSimulator>> m_simulators;
};

TEST_F(FrameCaseSearchTest, TheSearchFromTheMenuFindsTwoCases) {
    StartCase("127.0.0.2", 0, 2);
    StartCase("127.0.0.3", 1, 3);
    ASSERT_TRUE(ProcessEventsUntil([&] { return Connected() == 2; }));
    EXPECT_TRUE(m_frame->QueryCommandState(32929).m_bEnabled) << "mapping once controllers connected";

    m_boxes.QueueAnswer(platform::IDYES);
    ASSERT_TRUE(m_frame->RunCommand(32794));
    ASSERT_FALSE(m_boxes.Records().empty());
    EXPECT_EQ(m_boxes.Records().back().text, "找到如下机箱:\n\n01-01  01-02  \n02-01  02-02  02-03  ");
    ASSERT_EQ(g_nCaseCount, 5);
    EXPECT_EQ(g_CaseList[2], 8);
    EXPECT_EQ(g_nChannelCount, 80);
    EXPECT_EQ(g_ChannelList[32], 128);
    EXPECT_EQ(m_frame->GetCasesFound(), 1);
    EXPECT_EQ(g_ChanInfo.GetAcqChannelTypeID(128 + 47), 3);
    EXPECT_EQ(m_frame->GetPaneText(0).toStdString(), "");
    for (auto& simulator : m_simulators)
        EXPECT_TRUE(ProcessEventsUntil([&] { return simulator->CountCommands(3, 14) == 1; }, 3000))
            << "the parameters went to each case";

    EXPECT_TRUE(m_shell->GetModuleInfoWindow()->isVisible()) << "the saved flag's default shows it";
    ASSERT_TRUE(m_frame->RunCommand(32901));
    EXPECT_FALSE(m_shell->GetModuleInfoWindow()->isVisible());
    ASSERT_TRUE(m_frame->RunCommand(32901));
    EXPECT_TRUE(m_shell->GetModuleInfoWindow()->isVisible());
    EXPECT_TRUE(m_frame->QueryCommandState(32901).m_bChecked);
    const std::string info = m_shell->GetModuleInfoText().toStdString();
    EXPECT_NE(info.find("IP: 127.0.0.2  机箱: 01  模块: 01 02"), std::string::npos) << info;
    EXPECT_NE(info.find("IP: 127.0.0.3  机箱: 02  模块: 01 02 03"), std::string::npos) << info;
    m_shell->GetModuleInfoWindow()->hide();
    EXPECT_FALSE(m_frame->QueryCommandState(32901).m_bChecked) << "the check follows the window";
}

TEST_F(FrameCaseSearchTest, TheDetectionTimerNoticesACaseThatConnectsLater) {
    m_shell->StartAutoDetect();
    ASSERT_TRUE(m_shell->IsTimerActive(CFrameTimers::kAutoDetectTimer));
    ProcessEventsUntil([] { return false; }, 1500); // a tick or two with no case
    EXPECT_TRUE(m_shell->IsTimerActive(CFrameTimers::kAutoDetectTimer));
    EXPECT_EQ(g_nCaseCount, 0);

    StartCase("127.0.0.3", 1, 3);
    ASSERT_TRUE(
        ProcessEventsUntil([&] { return !m_shell->IsTimerActive(CFrameTimers::kAutoDetectTimer); }, 20000));
    EXPECT_EQ(g_nCaseCount, 3);
    EXPECT_EQ(g_CaseList[0], 8);
    EXPECT_EQ(m_shell->GetSearch().m_bCaseSearched, 1);
    // The waiting reminder ends at its own next tick once a case is connected;
    // the detection may come first when both are due together.
    EXPECT_TRUE(
        ProcessEventsUntil([&] { return !m_shell->IsTimerActive(CFrameTimers::kWaitConnectTimer); }, 3000))
        << "a case is connected";
    for (const auto& record : m_boxes.Records())
        EXPECT_NE(record.text, AutoDetectTimeoutText());
}

TEST_F(FrameCaseSearchTest, StylesSpectrumAndPageSetupCommands) {
    EXPECT_TRUE(m_frame->QueryCommandState(32908).m_bChecked) << "a new start shows Office 2003";
    ASSERT_TRUE(m_frame->RunCommand(32909));
    EXPECT_TRUE(m_frame->QueryCommandState(32909).m_bChecked);
    EXPECT_FALSE(m_frame->QueryCommandState(32908).m_bChecked);
    EXPECT_EQ(m_frame->m_nTheme, 0);

    // Without the spectrum option 频谱分析 leaves its menu when the menu opens.
    g_bSoftwareSpectrum = false;
    QMenu* settings = nullptr;
    for (QAction* item : m_frame->menuBar()->actions())
        if (item->menu() && item->menu()->actions().contains(m_frame->GetAction(32945)))
            settings = item->menu();
    ASSERT_NE(settings, nullptr);
    QMetaObject::invokeMethod(settings, "aboutToShow");
    EXPECT_FALSE(settings->actions().contains(m_frame->GetAction(32945)));
    g_bSoftwareSpectrum = true;
    ASSERT_TRUE(m_frame->RunCommand(32945));
    EXPECT_EQ(m_frame->GetProjectState().m_SampleSettings.nAnalysisMode, 1);
    EXPECT_TRUE(m_frame->QueryCommandState(32945).m_bChecked);
    g_bSoftwareSpectrum = false;

    // Real-time saving: exactly one of its two buttons shows.
    int samplingCopy = -1;
    m_shell->GetProviders().setSaveRealtimeData = [&](int saving) { samplingCopy = saving; };
    EXPECT_FALSE(m_frame->GetAction(32868)->isVisible());
    ASSERT_TRUE(m_frame->RunCommand(32866));
    EXPECT_EQ(samplingCopy, 0);
    EXPECT_FALSE(m_frame->GetAction(32866)->isVisible());
    EXPECT_TRUE(m_frame->GetAction(32868)->isVisible());
    EXPECT_TRUE(m_frame->QueryCommandState(32868).m_bChecked);
    g_bSampling = 1;
    m_frame->GetProjectState().m_SampleSettings.nSampleMode = 1;
    EXPECT_FALSE(m_frame->QueryCommandState(32868).m_bEnabled) << "not in a single-sample run";
    g_bSampling = 0;

    // The sampling-parameter bar hands its settings back to the frame.
    SampleSettings fromBar = m_frame->GetProjectState().m_SampleSettings;
    fromBar.nSampleMode = 3;
    m_frame->GetSampleParamBar()->SetSampleSettings(fromBar);
    m_frame->GetSampleParamBar()->InitControls();
    platform::SendMessage(m_frame->GetSafeHwnd(), platform::WM_USER + 1209, 0, 0);
    EXPECT_EQ(m_frame->GetProjectState().m_SampleSettings.nSampleMode, 3);

    m_shell->SetPageSetupRunner([](QDialog& dialog) {
        auto* page = dynamic_cast<CPageSetupDialog*>(&dialog);
        page->findChildren<QDoubleSpinBox*>().at(0)->setValue(12.5);
        return true;
    });
    ASSERT_TRUE(m_frame->RunCommand(32819));
    EXPECT_EQ(platform::GetPrivateProfileString("PrintParameters", "fltMarginTop", "",
                                                m_frame->GetDocumentLayoutFile()),
              "12.500000");
    g_bSampling = 1;
    EXPECT_FALSE(m_frame->QueryCommandState(32819).m_bEnabled);
    g_bSampling = 0;
}

TEST_F(FrameCaseSearchTest, LinkMessagesReachTheConnectionsAndTheFaultAlert) {
    StartCase("127.0.0.2", 0, 2);
    ASSERT_TRUE(ProcessEventsUntil([&] { return Connected() == 1; }));
    EXPECT_EQ(m_shell->GetConnections().GetConnectionCount(), 1);

    const std::vector<DeadLinkEntry> dead = {{"127.0.0.2", 0}};
    platform::SendMessage(m_frame->GetSafeHwnd(), platform::WM_USER + 1277,
                          reinterpret_cast<platform::WPARAM>(&dead), 0);
    EXPECT_TRUE(m_shell->GetFaultAlertWindow()->isVisible());
    EXPECT_EQ(m_shell->GetFaultAlertWindow()->GetGrid()->GetTextMatrix(1, 2), "127.0.0.2");
    EXPECT_EQ(m_shell->GetFaultAlertWindow()->GetGrid()->GetTextMatrix(2, 2), "");

    platform::SendMessage(m_frame->GetSafeHwnd(), platform::WM_USER + 1122, 0, 0);
    EXPECT_EQ(Connected(), 0);
    EXPECT_FALSE(m_frame->QueryCommandState(32929).m_bEnabled) << "mapping waits for a connection";
    EXPECT_EQ(m_frame->GetCasesFound(), 0);
}

TEST_F(FrameCaseSearchTest, TabsCloseOnDoubleClickAndOfferTheWindowMenu) {
    m_frame->OpenDataWindow(3, false);
    m_frame->OpenDataWindow(4, false);
    m_frame->show();
    QTabBar* bar = m_frame->GetMdiArea()->findChild<QTabBar*>();
    ASSERT_NE(bar, nullptr);
    ASSERT_TRUE(ProcessEventsUntil([&] { return bar->count() == 2; }));
    const QPoint first = bar->tabRect(0).center();
    QTest::mouseClick(bar, Qt::RightButton, {}, first);
    CMdiTabMenu* tabs = m_frame->findChild<CMdiTabMenu*>();
    ASSERT_NE(tabs, nullptr);
    ASSERT_NE(tabs->GetLastMenu(), nullptr);
    EXPECT_EQ(tabs->GetLastMenu()->actions().size(), 3);
    EXPECT_EQ(tabs->GetLastMenu()->actions().at(0)->text(), "关闭");
    tabs->GetLastMenu()->close();
    EXPECT_EQ(m_frame->GetMdiArea()->activeSubWindow(), m_frame->GetMdiArea()->subWindowList().at(0));

    QTest::mouseDClick(bar, Qt::LeftButton, {}, first);
    ASSERT_TRUE(ProcessEventsUntil([&] { return m_frame->GetMdiArea()->subWindowList().size() == 1; }));
}

} // namespace
