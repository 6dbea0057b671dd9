// Start-up and the application commands.
#include "app/QV7411N_NewFrameApp.h"

#include "app/MainFrame.h"
#include "model/AppSettings.h"
#include "model/RunFlags.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "platform/RegistryProfile.h"
#include "views/shared/AlarmSoundPlayer.h"

#include <QAction>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QUrl>

#include <cstdio>
#include <functional>
#include <utility>

namespace {

constexpr int kSplashBitmap = 175;

// Installed while the start-up runs: the splash stays on top of every other
// window, so it is hidden before any box the start-up shows (the New
// command's connection message, a settings file that cannot be read);
// otherwise the box would open under it and the program would look hung.
class CSplashClearingBoxes : public platform::MessageBoxHandler {
public:
    explicit CSplashClearingBoxes(std::function<void()> hideSplash)
        : m_hideSplash(std::move(hideSplash)), m_previous(platform::GetMessageBoxHandler()) {
        platform::SetMessageBoxHandler(this);
    }
    ~CSplashClearingBoxes() override { platform::SetMessageBoxHandler(m_previous); }
    CSplashClearingBoxes(const CSplashClearingBoxes&) = delete;
    CSplashClearingBoxes& operator=(const CSplashClearingBoxes&) = delete;

    int Show(const std::string& text, const std::string& caption, platform::UINT flags) override {
        m_hideSplash();
        if (m_previous != nullptr) {
            return m_previous->Show(text, caption, flags);
        }
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
        return platform::MessageBoxDefaultAnswer(flags);
    }

private:
    std::function<void()> m_hideSplash;
    platform::MessageBoxHandler* m_previous;
};

} // namespace

CQV7411N_NewFrameApp::CQV7411N_NewFrameApp(const std::string& programFolder)
    : m_strProgramFolder(programFolder) {
    // The program's bitmaps live in this static library: registered by hand.
    Q_INIT_RESOURCE(app_bitmaps);
}

CQV7411N_NewFrameApp::~CQV7411N_NewFrameApp() {
    HideSplash();
}

void CQV7411N_NewFrameApp::HideSplash() {
    if (m_pSplash != nullptr) {
        m_pSplash->HideSplashScreen();
    }
}

bool CQV7411N_NewFrameApp::CheckSingleInstance(platform::InstanceLock& lock) {
    if (lock.Acquire(g_strMutexName)) {
        return true;
    }
    std::string text;
    if (!lock.GetError().empty()) {
        // Nothing says another instance runs: say why none can be started.
        text = std::string(g_strAppTitle) + "无法确认是否已在运行，未能启动：\n" + lock.GetError();
    } else {
        text = std::string(g_strAppTitle) + "正在运行！";
        // The one to switch to: this user's instance in this desktop login.
        if (lock.GetHolderPid() > 0) {
            text += "\n\n已在运行的程序：进程 " + std::to_string(lock.GetHolderPid());
            if (!lock.GetHolderProgram().empty()) {
                text += "（" + lock.GetHolderProgram() + "）";
            }
            const std::string login = platform::InstanceLock::DesktopLoginName();
            if (!login.empty()) {
                text += "，显示 " + login;
            }
        }
    }
    platform::MessageBox(text, "运行提示", platform::MB_OK | platform::MB_ICONEXCLAMATION);
    return false;
}

bool CQV7411N_NewFrameApp::InitInstance() {
    if (!CheckSingleInstance(m_instanceLock)) {
        return false;
    }
    // Without a picture start-up goes on with no splash.
    m_pSplash = new CSplash;
    if (m_pSplash->Create(kSplashBitmap, nullptr, m_strProgramFolder) == 0) {
        delete m_pSplash;
    } else {
        m_pSplash->repaint();
        QCoreApplication::processEvents();
    }
    const CSplashClearingBoxes boxes([this] { HideSplash(); });
    SetRunStatePresets();
    const std::string settings = MainSettingsPath(m_strProgramFolder);
    ReadSlaveCaseSettings(settings);
    LoadSystemSettings(settings);
    m_recent.ReadList(AppRegistryProfile());
    m_pMainFrame = std::make_unique<CMainFrame>(m_strProgramFolder);
    if (!m_pMainFrame->OnCreate()) {
        HideSplash();
        return false;
    }
    RegisterCommands();
    // No command line: the program's empty document, which the frame holds
    // already. It is not the user's 新建项目: the cases connect only once the
    // program listens, so that command would always find no connection, and
    // its box would hold an unattended start before the value service runs.
    m_pMainFrame->show();
    m_pMainFrame->LoadWindowLayout(m_pMainFrame->GetLayoutFileName(), false);
    m_pMainFrame->StartDdeService();
    HideSplash();
    return true;
}

CProjectFileDialog& CQV7411N_NewFrameApp::GetProjectFileDialog() {
    return m_pMainFrame->GetProjectFileDialog();
}

int CQV7411N_NewFrameApp::ExitInstance() {
    m_recent.WriteList(AppRegistryProfile());
    m_pMainFrame.reset();
    m_instanceLock.Release();
    return 0;
}

void CQV7411N_NewFrameApp::RegisterCommands() {
    CMainFrame& frame = *m_pMainFrame;
    frame.OnCommand(ID_APP_ABOUT, [this] { OnAppAbout(); });
    frame.OnCommand(ID_HELP_FILE, [this] { OnHelpFile(); });
    const auto idle = [](CCmdUI& ui) { ui.Enable(!::IsRunActive()); };
    frame.OnCommand(
        ID_FILE_NEW_PROJECT, [this] { OnFileNewProject(); }, idle);
    frame.OnCommand(
        ID_FILE_OPEN_PROJECT, [this] { OnFileOpenProject(); }, idle);
    for (int n = 0; n < RECENT_PROJECT_COUNT; ++n) {
        frame.OnCommand(
            ID_FILE_MRU_FIRST + n, [this, n] { OnOpenRecentProject(n); },
            [this, n](CCmdUI& ui) { ui.Enable(g_bSampling.load() == 0 && n < m_recent.GetCount()); });
    }
    UpdateRecentMenu();
}

void CQV7411N_NewFrameApp::UpdateRecentMenu() {
    for (int n = 0; n < RECENT_PROJECT_COUNT; ++n) {
        if (QAction* action = m_pMainFrame->GetAction(ID_FILE_MRU_FIRST + n)) {
            const bool used = n < m_recent.GetCount();
            action->setVisible(used);
            if (used) {
                action->setText(QString("&%1 %2").arg(n + 1).arg(QString::fromStdString(m_recent[n])));
            }
        }
    }
}

void CQV7411N_NewFrameApp::OnFileNewProject() {
    CMainFrame& frame = *m_pMainFrame;
    if (frame.GetDeviceConnected() == 0) {
        platform::MessageBox("网络设备连接异常，新建工程失败！", g_strAppTitle,
                             platform::MB_OK | platform::MB_ICONEXCLAMATION);
        return;
    }
    CProjectState& project = frame.GetProjectState();
    if (project.m_nProjectState == PROJECT_OPENED || project.m_nProjectState == PROJECT_CONFIRMED) {
        frame.GetProjectHandler().CloseProject();
    }
    std::string folder;
    std::string name;
    if (!GetProjectFileDialog().SelectProjectFile(false, project.m_strProjectRoot, m_strProgramFolder, folder,
                                                  name)) {
        return;
    }
    frame.GetProjectHandler().PrepareProject(platform::JoinPath(folder, name + ".dap"));
}

bool CQV7411N_NewFrameApp::OpenProject(const std::string& projectFile) {
    CMainFrame& frame = *m_pMainFrame;
    CProjectHandler& handler = frame.GetProjectHandler();
    const int state = frame.GetProjectState().m_nProjectState;
    if (state == PROJECT_OPENED || state == PROJECT_CONFIRMED) {
        handler.CloseProject();
    }
    frame.CloseAllChildWindows();
    handler.SetProjectState(PROJECT_OPENED);
    if (handler.OpenProjectData(projectFile) == 0) {
        handler.SetProjectState(PROJECT_NONE);
        return false;
    }
    frame.ShowActiveDataCount();
    return true;
}

void CQV7411N_NewFrameApp::OnFileOpenProject() {
    std::string folder;
    std::string name;
    const std::string& root = m_pMainFrame->GetProjectState().m_strProjectRoot;
    if (!GetProjectFileDialog().SelectProjectFile(true, root, m_strProgramFolder, folder, name)) {
        return;
    }
    const std::string projectFile = platform::JoinPath(folder, name + ".dap");
    if (OpenProject(projectFile)) {
        m_recent.Add(projectFile);
        UpdateRecentMenu();
    }
}

void CQV7411N_NewFrameApp::OnOpenRecentProject(int index) {
    if (index < 0 || index >= m_recent.GetCount()) {
        return;
    }
    const std::string entry = m_recent[index];
    if (!platform::FileExists(entry) || !OpenProject(RecentEntryProjectPath(entry))) {
        m_recent.Remove(index);
    }
    UpdateRecentMenu();
}

void CQV7411N_NewFrameApp::OnHelpFile() {
    const std::string help = platform::JoinPath(m_strProgramFolder, "QV7416.CHM");
    if (platform::FileExists(help)) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(help)));
        return;
    }
    platform::MessageBox("未找到相应的帮助文件，无法显示帮助信息！", g_strAppTitle,
                         platform::MB_OK | platform::MB_ICONEXCLAMATION);
}

void CQV7411N_NewFrameApp::OnAppAbout() {
    QMessageBox about(m_pMainFrame.get());
    about.setWindowTitle("关于");
    about.setIconPixmap(m_pMainFrame->windowIcon().pixmap(32, 32));
    // The program's version, as its version resource would give it.
    const FileVersionInfo version{1, 0, 0, 0};
    about.setText(QString::fromStdString(GetVersionCaption(&version)));
    about.addButton("确定", QMessageBox::AcceptRole);
    about.exec();
}
