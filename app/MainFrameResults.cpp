// The rosette and residual-stress result workers the end of a run starts:
// each computes the project's groups over the stored run while the frame's
// computing-wait box is up, and its end (WM_USER + 1108) takes the box down
// and refreshes the table views.
// The result workers' plain headers come before any Qt header: the online
// layout they include has a member named like one of Qt's keywords.
#include "datafiles/ResidualStressCalc.h"
#include "datafiles/RosetteCalc.h"

#include "app/MainFrame.h"

#include "datafiles/AppTables.h"
#include "model/AppSettings.h"
#include "platform/MessageBox.h"

namespace {

// The run the workers read: the open project and the online units as they are stored.
void FillCalcSource(ResultCalcSource& source, const CProjectState& project, platform::HWND owner,
                    int storedCount) {
    static const CAppChannelTable channels;
    source.hOwner = owner;
    source.strProjectFolder = project.m_strProjectFolder;
    source.strProjectName = project.m_strProjectName;
    source.nSampleCount = storedCount;
    source.layout = OnlineLayoutFromCaseTables();
    source.channels = &channels;
}

} // namespace

void CMainFrame::RegisterResultMessages() {
    OnMessage(WM_RESULT_CALC_DONE, [this](platform::WPARAM status, platform::LPARAM) {
        OnResultWorkerDone(static_cast<ResultStatus>(status));
        return platform::LRESULT(0);
    });
}

void CMainFrame::StartResultWorkers(int storedCount) {
    if (!m_project.HasProjectPath())
        return;
    if (!m_project.m_RosetteGroups.empty()) {
        RosetteCalcParam param;
        FillCalcSource(param, m_project, GetSafeHwnd(), storedCount);
        param.groups = m_project.m_RosetteGroups;
        if (StartRosetteCalc(*m_pRosetteWorker, std::move(param)))
            BeginComputingWait();
    }
    if (!m_project.m_ResidualGroups.empty()) {
        ResidualStressCalcParam param;
        FillCalcSource(param, m_project, GetSafeHwnd(), storedCount);
        param.groups = m_project.m_ResidualGroups;
        if (StartResidualStressCalc(*m_pResidualWorker, std::move(param)))
            BeginComputingWait();
    }
}

void CMainFrame::OnResultWorkerDone(ResultStatus status) {
    RefreshTableViews();
    EndComputingWait();
    const std::string text = ResultStatusText(status);
    if (!text.empty())
        platform::MessageBox(text, g_strAppTitle, platform::MB_OK | platform::MB_ICONEXCLAMATION);
}
