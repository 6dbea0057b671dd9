// The frame's waiting reminder and automatic case search timers.
#include "acquisition/FrameTimers.h"

#include "acquisition/CaseSearch.h"
#include "model/AppSettings.h"
#include "platform/MessageBox.h"

std::string AutoDetectTimeoutText() {
    return NotFoundCasesText() + "\n\n请于故障排除后手动查找机箱。";
}

void CFrameTimers::StartAutoDetect() {
    m_tAutoDetectStart = m_pHost->Now();
    m_bAutoDetectFound = 0;
}

bool CFrameTimers::OnTimer(int id) {
    if (id == kWaitConnectTimer) {
        if (m_pHost->GetConnectedCount() > 0) {
            m_pHost->KillTimer(kWaitConnectTimer);
        } else {
            const int state = m_pHost->GetProjectState();
            if ((state == 0 || state == 1) && m_pHost->HasStatusBar())
                m_pHost->SetStatusText("正在等待设备连接......");
        }
        return true;
    }
    if (id == kAutoDetectTimer) {
        if (m_bAutoDetectFound)
            return true;
        if (m_pHost->Now() - m_tAutoDetectStart > m_pHost->GetAutoDetectTimeout()) {
            m_pHost->KillTimer(kAutoDetectTimer);
            m_pHost->ShowMessage(AutoDetectTimeoutText(), platform::MB_OK | platform::MB_ICONEXCLAMATION);
            return false;
        }
        if (m_pHost->DetectCases()) {
            m_bAutoDetectFound = 1;
            m_pHost->KillTimer(kAutoDetectTimer);
        }
        return true;
    }
    return true;
}
