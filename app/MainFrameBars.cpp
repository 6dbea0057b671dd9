// The main frame's two docked bars: what they are told at creation, the
// channel bar's refresh, and the frame's answers to the messages they send.
#include "app/MainFrame.h"

#include "acquisition/NetComm.h"
#include "app/ChildFrame.h"
#include "app/DataViews.h"
#include "app/FrameSamplingHost.h"
#include "app/MainFrameCaseSearch.h"
#include "model/ChannelRecords.h"
#include "panels/bars/BarMessages.h"
#include "panels/bars/ChannelBarContext.h"
#include "panels/bars/ChannelParamBar.h"
#include "panels/bars/SampleParamBar.h"
#include "platform/Files.h"
#include "views/history/HistoryViewWidget.h"

namespace {

constexpr int kChannelsPerUnit = 16;

std::vector<std::string> ControllerAddresses(const std::vector<ControllerRecord>& controllers) {
    std::vector<std::string> addresses;
    for (const ControllerRecord& controller : controllers)
        addresses.emplace_back(controller.szAddress,
                               strnlen(controller.szAddress, sizeof(controller.szAddress)));
    return addresses;
}

bool IsProjectOpen(int state) {
    return state == PROJECT_PREPARED || state == PROJECT_OPENED || state == PROJECT_CONFIRMED;
}

} // namespace

std::vector<ControllerRecord> CMainFrame::ControllerTable() const {
    // Only the network transport keeps a controller table.
    const auto* net = dynamic_cast<const CNetComm*>(m_pComm.get());
    if (net != nullptr && !net->GetControllerTable().empty())
        return net->GetControllerTable();
    // Until a search finds them, the controllers of the open project's run.
    return m_ProjectControllers;
}

void CMainFrame::SetupSampleParamBar() {
    CSampleParamBar& bar = *m_pSampleParamBar;
    bar.SetOwner(GetSafeHwnd());
    bar.SetInterfaceMode(m_nInterfaceMode);
    bar.SetInstrumentModel(m_nDeviceType, m_strInstrumentFile);
    bar.SetSampleSettings(m_project.m_SampleSettings);
    bar.SetRunState(m_project.m_nProjectState);
    bar.InitControls();
    bar.SetDeviceIpList(ControllerAddresses(ControllerTable()));
}

void CMainFrame::SetupChannelParamBar() {
    CChannelParamBar& bar = *m_pChannelParamBar;
    m_pHardwareCorrector = std::make_unique<CHardwareParamCorrect>(g_ChannelParams, g_ChannelState,
                                                                   m_strInstrumentFile, m_nDeviceType);
    bar.SetInstrumentModel(m_nDeviceType, m_strInstrumentFile);
    bar.SetChannelsPerUnit(kChannelsPerUnit);
    bar.SetOwner(GetSafeHwnd());
    bar.SetHardwareCorrector(m_pHardwareCorrector.get());
    bar.SetOperatorRights(&m_OperatorRights);
    bar.SetUnitFile(platform::JoinPath(m_strProgramFolder, kUnitFileName));
    // Views holding data re-read it; live views only repaint.
    bar.SetViewRefresh([this] {
        // The history views show the measured channels as they are now.
        for (CHistoryViewWidget* history : CHistoryViewWidget::HistoryViews())
            history->UseMeasChannelList();
        const int state = m_project.m_nProjectState;
        if (state == PROJECT_OPENED || state == PROJECT_CONFIRMED) {
            RefreshAllViews();
            return;
        }
        for (CChildFrame* child : GetChildFramesFrontFirst())
            child->GetActiveView()->update();
    });
}

void CMainFrame::RefreshChannelParamBar() {
    if (m_pChannelParamBar == nullptr)
        return;
    CChannelParamBar& bar = *m_pChannelParamBar;
    if (m_pCaseSearch != nullptr) {
        const PagingFlags& paging = m_pCaseSearch->m_ChannelBarPaging;
        bar.SetPaging(paging.bByCase != 0, paging.bByIp != 0);
    }
    bar.SetControllers(ControllerTable());
    bar.SetProjectState(m_project.m_nProjectState);
    bar.SetChannelFiles(m_strChannelParamFile, IsProjectOpen(m_project.m_nProjectState)
                                                   ? m_project.GetFilePath(".chn")
                                                   : std::string());
    bar.BeginRefresh();
    bar.InitTypeTabs();
    bar.FillCaseTabs();
    bar.ShowSelectedTypePage();
    bar.BuildShownChannelList();
}

void CMainFrame::OnSampleParamsChanged() {
    // Sampled data of an opened project stays as it is.
    if (m_project.m_nProjectState == PROJECT_OPENED)
        return;
    if (m_project.m_nProjectState == PROJECT_CONFIRMED)
        m_pProjectHandler->SetProjectState(PROJECT_PREPARED);
    ResetAllViews();
    if (m_pSamplingHost)
        m_pSamplingHost->ResetDataCounters();
    PassParamsToGraphInterface(true);
}

void CMainFrame::RegisterBarMessages() {
    // Balancing one channel, resetting a channel's zero and sending channel
    // parameters to the cases are answered by the sampling side ahead of
    // these handlers; taking the sampling settings back by the case-search
    // shell. The key-point observation window and the single-channel
    // monitor windows are not part of this frame: nothing to redraw.
    const auto nothing = [](platform::WPARAM, platform::LPARAM) { return platform::LRESULT(0); };
    OnMessage(WM_BAR_DESCRIPTIONS_CHANGED, nothing);
    OnMessage(WM_BAR_REDRAW_MONITORS, nothing);
    OnMessage(WM_BAR_SAMPLE_PARAMS_CHANGED, [this](platform::WPARAM, platform::LPARAM) {
        OnSampleParamsChanged();
        return platform::LRESULT(0);
    });
    // A change away from continuous sampling (wParam 2) never resets the run.
    OnMessage(WM_BAR_SAMPLE_MODE_CHANGED, [this](platform::WPARAM wParam, platform::LPARAM) {
        if (wParam != SAMPLE_MODE_CONTINUOUS &&
            m_project.m_SampleSettings.nSampleMode == SAMPLE_MODE_CONTINUOUS)
            OnSampleParamsChanged();
        return platform::LRESULT(0);
    });
}
