// The application object: start-up in its fixed order (single instance,
// splash, settings, templates, main frame, layout), the recent projects and
// the application-level commands (new and open project, help, about).
#pragma once

#include <QPointer>

#include <memory>
#include <string>

#include "app/ProjectFileDialog.h"
#include "libs/splash/Splash.h"
#include "platform/InstanceLock.h"
#include "project/RecentProjectList.h"

class CMainFrame;

// Application commands.
constexpr int ID_APP_ABOUT = 57664;
constexpr int ID_FILE_OPEN_PROJECT = 57601;
constexpr int ID_FILE_NEW_PROJECT = 57600;
constexpr int ID_HELP_FILE = 32869;

class CQV7411N_NewFrameApp {
public:
    explicit CQV7411N_NewFrameApp(const std::string& programFolder);
    ~CQV7411N_NewFrameApp();
    CQV7411N_NewFrameApp(const CQV7411N_NewFrameApp&) = delete;
    CQV7411N_NewFrameApp& operator=(const CQV7411N_NewFrameApp&) = delete;

    // False when the program must end (a second instance, a frame that
    // could not be created).
    bool InitInstance();
    int ExitInstance();

    // True when this is the only instance; otherwise shows the title and
    // "正在运行！" with the running instance under "运行提示", or the cause
    // when the lock could not be made.
    static bool CheckSingleInstance(platform::InstanceLock& lock);

    CMainFrame* GetMainFrame() const { return m_pMainFrame.get(); }
    CRecentProjectList& GetRecentProjects() { return m_recent; }
    CProjectFileDialog& GetProjectFileDialog();
    const std::string& GetProgramFolder() const { return m_strProgramFolder; }

    void OnFileNewProject();
    void OnFileOpenProject();
    void OnOpenRecentProject(int index);
    void OnHelpFile();
    void OnAppAbout();

private:
    void HideSplash();
    void RegisterCommands();
    void UpdateRecentMenu();
    // Closes the current project and every window, then opens the project file.
    bool OpenProject(const std::string& projectFile);

    std::string m_strProgramFolder;
    platform::InstanceLock m_instanceLock;
    // Deletes itself when hidden; null once gone.
    QPointer<CSplash> m_pSplash;
    CRecentProjectList m_recent;
    std::unique_ptr<CMainFrame> m_pMainFrame;
};
