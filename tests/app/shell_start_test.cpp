// Start-up and closing of the main program: the single-instance check, a
// missing instrument description file, the default channel-parameter file,
// the window layout across a restart, and the refused close during a run.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QDockWidget>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QImage>
#include <QLocale>
#include <QMdiArea>
#include <QToolBar>

#include <fstream>

#include <cstring>

#include <QMenuBar>
#include <QStatusBar>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "ShellTestSupport.h"
#include "app/ChildFrame.h"
#include "app/MainFrame.h"
#include "app/ProgramMain.h"
#include "app/QV7411N_NewFrameApp.h"
#include "model/AppSettings.h"
#include "model/RunFlags.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "platform/Profile.h"
#include "platform/RegistryProfile.h"
#include "platform/qt/QtTranslations.h"
#include "project/ChannelParamFile.h"
#include "project/OpenViewCounters.h"

namespace {

class ShellStartTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureQtApplication(); }
    void TearDown() override {
        g_bSampling = 0;
        g_bSamplePaused = 0;
    }

    bool HasMessage(const std::string& text, const std::string& caption) const {
        for (const auto& record : m_boxes.Records()) {
            if (record.text == text && record.caption == caption) {
                return true;
            }
        }
        return false;
    }

    std::vector<int> FrontFirstViewTypes(CMainFrame& frame) const {
        std::vector<int> types;
        for (CChildFrame* child : frame.GetChildFramesFrontFirst()) {
            types.push_back(child->GetViewType());
        }
        return types;
    }

    ShellScratch m_scratch;
    platform::MessageBoxRecorder m_boxes;
};

TEST_F(ShellStartTest, SecondInstanceIsRefusedWithTheRunningMessage) {
    platform::InstanceLock first;
    ASSERT_TRUE(CQV7411N_NewFrameApp::CheckSingleInstance(first));
    EXPECT_TRUE(m_boxes.Records().empty());

    CQV7411N_NewFrameApp second(m_scratch.ProgramFolder());
    EXPECT_FALSE(second.InitInstance());
    EXPECT_EQ(second.GetMainFrame(), nullptr);
    ASSERT_EQ(m_boxes.Records().size(), 1u);
    // The text, then the instance that runs.
    const std::string text = m_boxes.Records()[0].text;
    const std::string running = std::string(g_strAppTitle) + "正在运行！";
    EXPECT_EQ(text.substr(0, running.size()), running);
    EXPECT_NE(text.find("进程 " + std::to_string(getpid())), std::string::npos) << text;
    EXPECT_EQ(m_boxes.Records()[0].caption, "运行提示");
    EXPECT_EQ(m_boxes.Records()[0].flags & platform::MB_ICONMASK, platform::MB_ICONEXCLAMATION);
    first.Release();

    // A lock that cannot be made names its cause instead of a running instance.
    setenv("XDG_RUNTIME_DIR", m_scratch.File("missing").c_str(), 1);
    platform::InstanceLock third;
    EXPECT_FALSE(CQV7411N_NewFrameApp::CheckSingleInstance(third));
    ASSERT_EQ(m_boxes.Records().size(), 2u);
    EXPECT_EQ(m_boxes.Records()[1].text.find(running), std::string::npos);
    EXPECT_NE(m_boxes.Records()[1].text.find(m_scratch.File("missing")), std::string::npos);
}

TEST_F(ShellStartTest, MissingInstrumentFileStopsStartUpWithItsMessage) {
    platform::DeleteFile(m_scratch.File("QV7416.INI"));
    EXPECT_NE(RunMainProgram(m_scratch.ProgramFolder()), 0);
    EXPECT_TRUE(
        HasMessage("未获取到配置文件" + m_scratch.File("QV7416.INI") + "\n\n请检查软件安装包！", "提示"));
    EXPECT_FALSE(platform::FileExists(m_scratch.File("QV7416.chn")));
}

// Records the boxes that open while a splash window is still showing: under
// a window manager such a box sits beneath the splash, out of the user's reach.
class SplashWatchingBoxes : public platform::MessageBoxRecorder {
public:
    int Show(const std::string& text, const std::string& caption, platform::UINT flags) override {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->windowType() == Qt::SplashScreen && window->isVisible()) {
                m_underSplash.push_back(text);
            }
        }
        return MessageBoxRecorder::Show(text, caption, flags);
    }
    std::vector<std::string> m_underSplash;
};

TEST_F(ShellStartTest, NoStartUpBoxOpensUnderTheSplash) {
    // A start-up that ends on a box shows it in the splash's place.
    platform::DeleteFile(m_scratch.File("QV7416.INI"));
    SplashWatchingBoxes boxes;
    EXPECT_NE(RunMainProgram(m_scratch.ProgramFolder()), 0);
    ASSERT_FALSE(boxes.Records().empty());
    EXPECT_TRUE(boxes.m_underSplash.empty());
}

// Records the size of every splash window that shows.
class SplashSpy : public QObject {
public:
    SplashSpy() { qApp->installEventFilter(this); }
    ~SplashSpy() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (event->type() == QEvent::Show && widget != nullptr && widget->windowType() == Qt::SplashScreen) {
            m_shown.push_back(widget->size());
        }
        return false;
    }
    std::vector<QSize> m_shown;
};

// The program's own picture shows while it starts, or "Land.jpg" of the
// program folder in its place; both are gone once start-up is done.
TEST_F(ShellStartTest, StartUpShowsTheSplashPicture) {
    for (const bool withLand : {false, true}) {
        if (withLand) {
            QImage land(200, 100, QImage::Format_RGB32);
            land.fill(Qt::darkRed);
            ASSERT_TRUE(land.save(QString::fromStdString(m_scratch.File("Land.jpg")), "JPG"));
        }
        SplashSpy spy;
        platform::MessageBoxRecorder boxes;
        CQV7411N_NewFrameApp app(m_scratch.ProgramFolder());
        ASSERT_TRUE(app.InitInstance());
        ASSERT_EQ(spy.m_shown.size(), 1u);
        EXPECT_EQ(spy.m_shown[0], withLand ? QSize(200, 100) : QSize(480, 300));
        for (QWidget* window : QApplication::topLevelWidgets()) {
            EXPECT_FALSE(window->windowType() == Qt::SplashScreen && window->isVisible());
        }
        app.GetMainFrame()->close();
        app.ExitInstance();
    }
}

TEST_F(ShellStartTest, QtsOwnButtonsSpeakChinese) {
    ASSERT_TRUE(platform::InstallQtTranslations());
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString("取消"));
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Open"), QString("打开"));
    EXPECT_EQ(QFileIconProvider().type(QFileInfo(QDir::tempPath())), QString("文件夹"));
    EXPECT_EQ(QLocale().language(), QLocale::Chinese);
}

TEST_F(ShellStartTest, CleanStartWritesTheDefaultChannelParameterFile) {
    m_scratch.WriteSettingsFile("[System]\nAutoDetectCaseOutTime=10\nSlaveCase7=abc\nSlaveCase8=5\n");
    CQV7411N_NewFrameApp app(m_scratch.ProgramFolder());
    ASSERT_TRUE(app.InitInstance());
    EXPECT_EQ(platform::FileSize(m_scratch.File("QV7416.chn")), static_cast<std::int64_t>(CHN_FILE_SIZE));
    EXPECT_EQ(g_nAutoDetectCaseOutTime, 60);
    EXPECT_EQ(g_SlaveCaseTable[7], 0);
    EXPECT_EQ(g_SlaveCaseTable[8], 5);
    // Start-up asks nothing.
    EXPECT_TRUE(m_boxes.Records().empty());
    CMainFrame* frame = app.GetMainFrame();
    EXPECT_EQ(frame->windowTitle().toStdString(), g_strAppTitle);
    EXPECT_TRUE(frame->close());
    app.ExitInstance();
    // The frame's settings and operator rights go back to the registry profile.
    EXPECT_EQ(AppRegistryProfile().GetProfileInt("System", "Theme", -1), 2);
    EXPECT_EQ(AppRegistryProfile().GetProfileInt("System", "RightCancel", -1), 1);
}

TEST_F(ShellStartTest, ChannelParameterFileThatCannotBeReadIsReportedAndKept) {
    // A socket in the file's place exists but cannot be opened, even by the superuser.
    const std::string chn = m_scratch.File("QV7416.chn");
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(chn.size(), sizeof(address.sun_path));
    std::memcpy(address.sun_path, chn.c_str(), chn.size());
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);

    CQV7411N_NewFrameApp app(m_scratch.ProgramFolder());
    EXPECT_FALSE(app.InitInstance());
    app.ExitInstance();
    close(fd);
    ASSERT_FALSE(m_boxes.Records().empty());
    EXPECT_NE(m_boxes.Records().back().text.find(chn), std::string::npos);
    struct stat info {};
    ASSERT_EQ(stat(chn.c_str(), &info), 0);
    EXPECT_TRUE(S_ISSOCK(info.st_mode)); // not replaced by a default file
}

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Absurd or garbage settings: start-up ends (a hang would meet the test's
// time-out), a message names the file, and the user's file is never
// overwritten by defaults.
TEST_F(ShellStartTest, AbsurdOrGarbageSettingsFilesAreReportedByName) {
    const std::string noise("\x13\x37\0\xff garbage\0\x01\x02", 16);
    struct Case {
        const char* name;
        const char* file;     // the file the case spoils
        std::string contents; // written to it
        bool starts;          // start-up goes on with bounded values or defaults
        const char* named;    // text the message must hold besides the path
        const char* keptAs;   // where the spoiled bytes must be afterwards
    };
    const Case cases[] = {
        {"absurd counts", "QV7416.INI",
         "[System]\r\nADBASE=20000\r\nDigitalUsed=0\r\nDelayChanInfo=2147483647\r\n"
         "[SampleFrequency]\r\nFrequencyLevelCount=2147483647\r\n",
         true, "FrequencyLevelCount=2147483647", "QV7416.INI"},
        {"garbage settings", "QV7416.INI", noise, false, "", "QV7416.INI"},
        {"garbage channel file", "QV7416.chn", noise, true, "QV7416.chn.bad", "QV7416.chn.bad"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ShellScratch scratch;
        platform::MessageBoxRecorder boxes;
        const std::string path = scratch.File(c.file);
        std::ofstream(path, std::ios::binary) << c.contents;
        platform::FlushProfileCache();
        {
            CQV7411N_NewFrameApp app(scratch.ProgramFolder());
            EXPECT_EQ(app.InitInstance(), c.starts);
            if (app.GetMainFrame() != nullptr) {
                EXPECT_TRUE(app.GetMainFrame()->close());
            }
            app.ExitInstance();
        }
        bool named = false;
        for (const auto& record : boxes.Records()) {
            named = named || (record.text.find(path) != std::string::npos &&
                              record.text.find(c.named) != std::string::npos);
        }
        EXPECT_TRUE(named);
        EXPECT_EQ(FileBytes(scratch.File(c.keptAs)), c.contents);
    }
}

TEST_F(ShellStartTest, ClosingWritesTheLayoutAndARestartRestoresTheWindowsInOrder) {
    {
        CQV7411N_NewFrameApp app(m_scratch.ProgramFolder());
        ASSERT_TRUE(app.InitInstance());
        CMainFrame* frame = app.GetMainFrame();
        ASSERT_TRUE(frame->RunCommand(ID_NEW_HISTORY_WINDOW));
        ASSERT_TRUE(frame->RunCommand(ID_NEW_TABLE_WINDOW));
        ASSERT_TRUE(frame->RunCommand(ID_NEW_REALTIME_WINDOW));
        frame->GetChildFramesFrontFirst()[1]->ShowInfoView(true, 80);
        frame->GetPane(IDR_PANE_CHANNEL_PARAM)->close();
        frame->resize(900, 640);
        EXPECT_EQ(FrontFirstViewTypes(*frame), (std::vector<int>{2, 3, 1}));
        ASSERT_TRUE(frame->close());
        app.ExitInstance();
    }
    const std::string layout = m_scratch.File("QV7416.LYT");
    platform::FlushProfileCache();
    EXPECT_EQ(platform::GetPrivateProfileString("WindowLayout", "WndOrd", "", layout), "231");
    EXPECT_EQ(platform::GetPrivateProfileInt("WindowLayout", "WndCount", 0, layout), 3);
    EXPECT_EQ(OpenViewCounters().GetTotal(), 0);

    CQV7411N_NewFrameApp app(m_scratch.ProgramFolder());
    ASSERT_TRUE(app.InitInstance());
    CMainFrame* frame = app.GetMainFrame();
    EXPECT_EQ(FrontFirstViewTypes(*frame), (std::vector<int>{2, 3, 1}));
    const std::vector<CChildFrame*> children = frame->GetChildFramesFrontFirst();
    EXPECT_FALSE(children[0]->IsInfoViewShown());
    EXPECT_TRUE(children[1]->IsInfoViewShown());
    EXPECT_FALSE(frame->GetPane(IDR_PANE_CHANNEL_PARAM)->isVisible());
    EXPECT_EQ(frame->size(), QSize(900, 640)); // the main window placement
    EXPECT_TRUE(frame->GetPane(IDR_PANE_SAMPLE_PARAM)->isVisible());
    ASSERT_TRUE(frame->close());
    app.ExitInstance();
}

TEST_F(ShellStartTest, StartUpReopensTheWindowsAndBarsOfTheLayoutFile) {
    std::ofstream(m_scratch.File("QV7416.LYT"), std::ios::binary)
        << "[WindowLayout]\r\nWndOrd=2131\r\nWndCount=4\r\nm_bShowSampleParamBar=0\r\n"
           "m_bShowGraphAtribBar=0\r\nm_bShowMoveDataBar=1\r\n";
    CQV7411N_NewFrameApp app(m_scratch.ProgramFolder());
    ASSERT_TRUE(app.InitInstance());
    CMainFrame* frame = app.GetMainFrame();
    EXPECT_EQ(FrontFirstViewTypes(*frame), (std::vector<int>{2, 1, 3, 1}));
    EXPECT_FALSE(frame->GetPane(IDR_PANE_SAMPLE_PARAM)->isVisible());
    EXPECT_TRUE(frame->GetPane(IDR_PANE_CHANNEL_PARAM)->isVisible());
    EXPECT_FALSE(frame->GetToolBar(1)->isVisible());
    EXPECT_TRUE(frame->GetToolBar(2)->isVisible());
    EXPECT_TRUE(frame->GetDataLocateBar()->isVisible());
    ASSERT_TRUE(frame->close());
    app.ExitInstance();
}

TEST_F(ShellStartTest, RemoteServerAndSpectrumButtonFollowTheirSwitches) {
    for (int enabled : {0, 1}) {
        m_scratch.WriteSettingsFile("[System]\nOutControlEnable=" + std::to_string(enabled) +
                                    "\nSoftwareSpectrum=" + std::to_string(enabled) + "\n");
        CQV7411N_NewFrameApp app(m_scratch.ProgramFolder());
        ASSERT_TRUE(app.InitInstance());
        CMainFrame* frame = app.GetMainFrame();
        EXPECT_EQ(frame->GetRemoteServer() != nullptr, enabled == 1);
        EXPECT_EQ(frame->GetAction(ID_NEW_SPECTRUM_WINDOW)->isVisible(), enabled == 1);
        ASSERT_TRUE(frame->close());
        EXPECT_EQ(frame->GetRemoteServer(), nullptr);
        app.ExitInstance();
    }
}

TEST_F(ShellStartTest, ClosingDuringARunIsRefusedAndLeavesTheFrameWhole) {
    CQV7411N_NewFrameApp app(m_scratch.ProgramFolder());
    ASSERT_TRUE(app.InitInstance());
    CMainFrame* frame = app.GetMainFrame();
    ASSERT_TRUE(frame->RunCommand(ID_NEW_TABLE_WINDOW));
    for (auto* flag : {&g_bSampling, &g_bSamplePaused}) {
        *flag = 1;
        EXPECT_FALSE(frame->close());
        EXPECT_TRUE(HasMessage("当前处于采样中,请停止采样后再关闭应用程序!", g_strAppTitle));
        EXPECT_TRUE(frame->isVisible());
        EXPECT_EQ(frame->GetChildFramesFrontFirst().size(), 1u);
        *flag = 0;
    }
    EXPECT_FALSE(platform::FileExists(m_scratch.File("QV7416.LYT")));
    EXPECT_TRUE(frame->close());
    app.ExitInstance();
}

} // namespace
