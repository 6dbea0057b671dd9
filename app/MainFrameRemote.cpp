// The main frame's remote control: the commands that the forwarding
// server's clients send run through the dispatcher as the user's commands.
#include "app/MainFrame.h"

#include "acquisition/DataForwardServer.h"
#include "acquisition/RemoteCommandDispatch.h"
#include "acquisition/RemotePacket.h"
#include "app/FrameSamplingHost.h"

void CMainFrame::InstallRemoteControl() {
    // The server comes later, with the links, when the settings ask for it.
    m_pRemoteDispatch = std::make_unique<CRemoteCommandDispatch>(*m_pSamplingHost, m_pRemoteServer.get());
    OnMessage(WM_REMOTE_COMMAND, [this](platform::WPARAM wParam, platform::LPARAM) {
        return m_pRemoteDispatch->OnRemoteCommand(wParam);
    });
}
