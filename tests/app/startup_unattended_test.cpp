// An unattended start of the main program, with no case and with simulated
// cases connecting while it starts: the splash shows, the main window comes
// up with no box to answer, the local value service is on the session bus
// and the servers listen. A user's 新建项目 still reports a missing case.
#include "CaseSimulator.h"
#include "PrivateSessionBus.h"
#include "ShellTestSupport.h"

#include "acquisition/DataForwardServer.h"
#include "acquisition/NetComm.h"
#include "app/MainFrame.h"
#include "app/MainFrameCaseSearch.h"
#include "app/QV7411N_NewFrameApp.h"
#include "model/AppSettings.h"
#include "platform/MessageBox.h"
#include "platform/Socket.h"

#include <QDBusConnectionInterface>
#include <QDialog>

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <vector>

namespace {

constexpr std::uint16_t kCalibratorPort = 8001;

bool Listens(std::uint16_t port) {
    platform::TcpStream stream;
    return stream.Connect("127.0.0.1", port, 2000);
}

// Counts the splash windows that show.
class SplashCounter : public QObject {
public:
    SplashCounter() { qApp->installEventFilter(this); }
    ~SplashCounter() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (event->type() == QEvent::Show && widget != nullptr && widget->windowType() == Qt::SplashScreen)
            ++m_nShown;
        return false;
    }
    int m_nShown = 0;
};

bool AnyDialogShown() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (qobject_cast<QDialog*>(window) != nullptr && window->isVisible())
            return true;
    }
    return false;
}

TEST(StartupUnattendedTest, ComesUpWithEveryServiceAndNoBoxWithOrWithoutCases) {
    EnsureQtApplication();
    ShellScratch scratch;
    scratch.WriteSettingsFile(
        "[System]\nADBASE=20000\nDigitalUsed=0\nOutControlEnable=1\nProgrammedStrain=1\n");
    std::ofstream(scratch.File("MapCfg.ini")) << "[127.0.0.2]\r\nMapID=0\r\n[127.0.0.3]\r\nMapID=1\r\n";
    // One bus for both starts: the process keeps its first connection.
    PrivateSessionBus bus;
    ASSERT_TRUE(bus.IsRunning());
    for (const bool withCases : {false, true}) {
        SCOPED_TRACE(withCases ? "simulated cases" : "no case");
        // The cases start first and connect as soon as the program listens.
        std::vector<std::unique_ptr<CCaseSimulator>> cases;
        if (withCases) {
            for (int n = 0; n < 2; ++n) {
                CaseSimulatorOptions options;
                options.localIp = n == 0 ? "127.0.0.2" : "127.0.0.3";
                options.caseNo = n;
                options.modules = 2;
                cases.push_back(std::make_unique<CCaseSimulator>(options));
                cases.back()->Start();
            }
        }
        platform::MessageBoxRecorder boxes;
        SplashCounter splash;
        CQV7411N_NewFrameApp app(scratch.ProgramFolder());
        ASSERT_TRUE(app.InitInstance());
        CMainFrame* frame = app.GetMainFrame();
        EXPECT_TRUE(frame->isVisible());
        EXPECT_EQ(splash.m_nShown, 1);
        CMainFrameCaseSearch* shell = frame->GetCaseSearch();
        ASSERT_NE(shell, nullptr);
        if (withCases) {
            EXPECT_TRUE(ProcessEventsUntil(
                [&] { return shell->GetConnections().GetConnectedAddresses().size() == 2; }));
        } else {
            ProcessEventsUntil([] { return false; }, 500);
        }
        EXPECT_TRUE(boxes.Records().empty()) << boxes.Records().front().text;
        EXPECT_FALSE(AnyDialogShown());

        const QDBusConnection client = bus.Client();
        ASSERT_TRUE(client.isConnected());
        EXPECT_TRUE(client.interface()->isServiceRegistered("QVhost.DDE").value());
        for (const std::uint16_t port :
             {CNetComm::kCasePort, CDataForwardServer::kDefaultPort, kCalibratorPort})
            EXPECT_TRUE(Listens(port)) << "port " << port;

        // The user's own 新建项目 with no case connected says so.
        if (!withCases) {
            ASSERT_TRUE(frame->RunCommand(ID_FILE_NEW_PROJECT));
            ASSERT_EQ(boxes.Records().size(), 1u);
            EXPECT_EQ(boxes.Records()[0].text, "网络设备连接异常，新建工程失败！");
            EXPECT_EQ(boxes.Records()[0].caption, g_strAppTitle);
        }
        cases.clear();
        EXPECT_TRUE(frame->close());
        app.ExitInstance();
    }
}

} // namespace
