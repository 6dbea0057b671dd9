// Closing the main frame: refused while a run is active; otherwise the
// layout, the project and the settings are saved before the window goes.
#include "app/MainFrame.h"

#include "acquisition/DataForwardServer.h"
#include "acquisition/LeadWireSelfTest.h"
#include "acquisition/RemoteCommandDispatch.h"
#include "model/AppSettings.h"
#include "model/RunFlags.h"
#include "panels/bars/SampleParamBar.h"
#include "platform/MessageBox.h"
#include "project/ChannelParamFile.h"
#include "project/ProjectFile.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace {

// Restores the cursor however closing ends.
class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

bool CMainFrame::OnClose() {
    if (::IsRunActive() || m_pLeadWireTest->IsBusy()) {
        platform::MessageBox("当前处于采样中,请停止采样后再关闭应用程序!", g_strAppTitle,
                             platform::MB_OK | platform::MB_ICONEXCLAMATION);
        return false;
    }
    WaitCursor wait;
    SetStatusText("正在关闭系统软件，请稍候......");
    // The documents hold nothing unsaved, so the framework's may-close
    // question always agrees; it is asked before the transport closes, so a
    // refused close would leave the program whole.
    m_bClosing = true;
    if (m_bOutControlEnable != 0 && m_pRemoteServer) {
        m_pRemoteDispatch->SetServer(nullptr);
        m_pRemoteServer->StopSendThread();
        m_pRemoteServer->Stop();
        m_pRemoteServer.reset();
    }
    SaveWindowLayout(m_strLayoutFile);
    SampleSettings settings = m_project.m_SampleSettings;
    if (m_pSampleParamBar != nullptr && m_pSampleParamBar->GetSampleSettings(settings, 0) != 0) {
        m_project.m_SampleSettings = settings;
        WriteProjectFile(m_project, "");
    }
    if (m_project.m_nProjectState == PROJECT_OPENED || m_project.m_nProjectState == PROJECT_CONFIRMED) {
        m_pProjectHandler->CloseProject();
    }
    SaveRegistrySettings();
    CloseDigitalChannels();
    if (m_project.m_nProjectState != PROJECT_OPENED) {
        SaveChannelParamFile(m_strChannelParamFile);
    }
    // Child windows go first, without asking again.
    m_pMdiArea->closeAllSubWindows();
    SavePlacement();
    return true;
}
