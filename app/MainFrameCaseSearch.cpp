// The frame's binding of the case search, detection, connections, timers,
// fault alert and command states to its windows and its public operations.
#include "app/MainFrameCaseSearch.h"

#include "acquisition/ChanInfoWrapper.h"
#include "acquisition/CommBase.h"
#include "acquisition/DataForwardServer.h"
#include "acquisition/NetComm.h"
#include "acquisition/SamplingControl.h"
#include "app/FrameThemes.h"
#include "app/MainFrame.h"
#include "app/MdiTabMenu.h"
#include "app/MenuPruning.h"
#include "app/PageSetupDialog.h"
#include "model/AppSettings.h"
#include "model/CaseTables.h"
#include "model/ChannelDefaults.h"
#include "model/DebugLogFiles.h"
#include "model/RunFlags.h"
#include "panels/bars/ChannelParamBar.h"
#include "panels/bars/SampleParamBar.h"
#include "panels/links/DlgModuleFaultAlert.h"
#include "panels/links/DlgModuleInfo.h"
#include "platform/MessageBox.h"
#include "platform/RegistryProfile.h"
#include "platform/Time.h"
#include "project/OpenViewCounters.h"

#include <QAction>
#include <QDialog>
#include <QDockWidget>
#include <QEvent>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

namespace {

constexpr platform::UINT kCaseLinkChanged = platform::WM_USER + 1118;
constexpr platform::UINT kCaseLinkWaiting = platform::WM_USER + 1119;
constexpr platform::UINT kCaseLinkConnected = platform::WM_USER + 1120;
constexpr platform::UINT kCaseLinkCount = platform::WM_USER + 1121;
constexpr platform::UINT kReconnectCases = platform::WM_USER + 1122;
constexpr platform::UINT kClearStatusText = platform::WM_USER + 1139;
constexpr platform::UINT kEnableParamBar = platform::WM_USER + 1140;
constexpr platform::UINT kSendChannelParams = platform::WM_USER + 1246;
constexpr platform::UINT kTakeSampleBarSettings = platform::WM_USER + 1209;
constexpr platform::UINT kModuleFault = platform::WM_USER + 1277;
constexpr int kTimerPeriodMs = 1000;
// The module-window flag in the registry profile.
constexpr const char* kModuleWindowKey = "m_bShowIpModule";

// Commands whose handler and state this shell provides.
constexpr int ID_DETECT_CASE = 32794;
constexpr int ID_CONTINUE_TEST = 32829;
constexpr int ID_SHOW_MODULE_INFO = 32901;
constexpr int ID_GRAPH_BAR = 32812;
constexpr int ID_SAMPLE_CONTROL_BAR = 32814;
constexpr int ID_CHANNEL_PANE = 32828;
constexpr int ID_SAMPLE_PARAM_PANE = 32776;
constexpr int ID_PAGING_BY_CASE = 32885;
constexpr int ID_PAGING_BY_IP = 32930;
constexpr int ID_TABLE_PAGING_BY_CASE = 32886;
constexpr int ID_TABLE_PAGING_BY_IP = 32931;
constexpr int ID_TOGGLE_SPECTRUM = 32945;
constexpr int ID_PAGE_SETUP = 32819;
constexpr int ID_SAVE_REALTIME = 32866;
constexpr int ID_NO_SAVE_REALTIME = 32868;

void ApplyResult(CCmdUI& ui, const CommandStateResult& result) {
    if (result.bSetEnabled)
        ui.Enable(result.bEnabled);
    ui.SetCheck(result.bChecked);
}

} // namespace

// ---- Hosts ---------------------------------------------------------------------

class CMainFrameCaseSearch::SearchHost : public CaseSearchHost {
public:
    explicit SearchHost(CMainFrameCaseSearch& shell) : m_shell(shell), m_frame(shell.m_frame) {}

    CCommBase* GetComm() override { return m_frame.GetCommBase(); }
    void SetStatusText(const std::string& text) override {
        m_frame.SetStatusText(QString::fromStdString(text));
    }
    void BeginWaitCursor() override { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    void EndWaitCursor() override { QGuiApplication::restoreOverrideCursor(); }
    int GetProjectState() override { return m_frame.GetProjectState().m_nProjectState; }
    void CloseProject() override { m_frame.GetProjectHandler().CloseProject(); }
    void SetProjectState(int state) override { m_frame.GetProjectHandler().SetProjectState(state); }
    void ClearAppendingFlag() override { m_frame.GetProjectState().m_bAppendData = false; }
    void SetCasesFound(int found) override {
        m_frame.SetCasesFound(found);
        if (m_shell.m_providers.setCasesFound)
            m_shell.m_providers.setCasesFound(found);
    }
    void CorrectAllChannels() override {
        CHardwareParamCorrect correct(g_ChannelParams, g_ChannelState,
                                      m_frame.GetProjectState().GetProgramFilePath(".INI"), g_nModelType);
        correct.CorrectAllChannels();
    }
    void RefreshChannelParamBar() override { m_frame.RefreshChannelParamBar(); }
    void ResetAllViews() override { m_frame.ResetAllViews(); }
    void CheckStrainReference() override {
        StoredWithSampleSettings& stored = m_frame.GetProjectState().m_StoredSettings;
        if (!IsOnlineStrainChannel(stored.nStrainRefChan))
            stored.bStrainRefUsed = 0;
    }
    int RecreateSampleParamBar() override {
        CSampleParamBar* bar = m_frame.GetSampleParamBar();
        if (bar == nullptr)
            return 0;
        SampleSettings settings = m_frame.GetProjectState().m_SampleSettings;
        if (!bar->GetSampleSettings(settings, 1))
            return 0; // the bar refused its inputs and said why
        m_frame.GetProjectState().m_SampleSettings = settings;
        bar->SetSampleSettings(settings);
        bar->SetRunState(GetProjectState());
        bar->InitControls();
        return 1;
    }
    void RepaintFrame() override { m_frame.repaint(); }
    void PassParamsToGraphInterface(bool resetViews) override {
        m_frame.PassParamsToGraphInterface(resetViews);
    }
    // The module information window shows the modules the search found.
    void RefreshLinkedCaseIps(const std::vector<std::string>& /*addresses*/) override {
        m_shell.m_connections.RefreshModuleInfo();
    }
    int ShowMessage(const std::string& text, platform::UINT flags) override {
        return platform::MessageBox(text, g_strAppTitle, flags);
    }
    void Log(const std::string& logName, const std::string& text) override {
        if (g_bOutDebugInfo)
            ::WriteLogFile(logName, text);
    }
    int GetFrameMode() override { return m_frame.GetWorkMode(); }
    bool IsNetworkInterface() override { return m_frame.IsNetworkInterface(); }
    // Ready once the driver listens for the cases.
    bool IsNetworkReady() override {
        auto* net = dynamic_cast<CNetComm*>(m_frame.GetCommBase());
        return net != nullptr && net->GetDriver().GetListenPort() > 0;
    }
    int StopAcquisition() override { return StopCaseAcquisition(GetComm()); }
    void SetBalanceValid(int valid) override { m_frame.GetSampling().m_bBalanceValid = valid; }
    // The search itself keeps the channel bar out of reach while it reads
    // (wait cursor, modal question boxes); no other window asks.
    void SetReadingChannelInfo(bool) override {}
    int DownloadChannelParams(const std::vector<int>& channels) override {
        CCommBase* comm = GetComm();
        return comm ? comm->SetChannelParams(channels) : 0;
    }
    int GetAcqChannelTypeID(int channel) override { return g_ChanInfo.GetAcqChannelTypeID(channel); }
    // The lead-wire and self-test commands take their state from the online
    // strain channels at every menu update; nothing is kept to refresh.
    void UpdateLeadTestOffer() override {}
    // The lead-wire and self-test results are reported in text; no result grid is open to refresh.
    void RefreshTestGrids() override {}
    int GetCaseVersion() override { return g_nPriCaseVersion; }
    void ShowEventSamplingOption() override {
        if (CSampleParamBar* bar = m_frame.GetSampleParamBar())
            bar->ShowEventSampleOption(true);
    }
    // A linked calibrator gets the new controller list.
    void NotifyCalibratorCasesChanged() override { m_frame.SendKelvaneReply(0); }
    void SendKelvaneReply(int code) override { m_frame.SendKelvaneReply(code); }
    // The case search runs on the user-interface thread only, so no
    // process-wide case-operation lock exists to release.
    void ReleaseCaseOpMutex() override {}
    void Sleep(std::uint32_t milliseconds) override { platform::Sleep(milliseconds); }
    bool IsRemoteRequest() override { return m_shell.m_providers.isRemoteRequest(); }
    void SetRemoteRequest(bool remote) override {
        if (m_shell.m_providers.setRemoteRequest)
            m_shell.m_providers.setRemoteRequest(remote);
    }
    bool IsForwardingOn() override { return m_frame.GetRemoteServer() != nullptr; }
    void BroadcastPacket(int type, const std::vector<std::uint8_t>& payload) override {
        if (CDataForwardServer* server = m_frame.GetRemoteServer())
            server->BroadcastPacket(static_cast<std::uint32_t>(type),
                                    static_cast<std::uint32_t>(payload.size()), payload.data());
    }

private:
    CMainFrameCaseSearch& m_shell;
    CMainFrame& m_frame;
};

class CMainFrameCaseSearch::ConnectionsHost : public CaseConnectionsHost {
public:
    explicit ConnectionsHost(CMainFrameCaseSearch& shell) : m_shell(shell), m_frame(shell.m_frame) {}

    CCommBase* GetComm() override { return m_frame.GetCommBase(); }
    bool HasStatusBar() override { return m_frame.statusBar() != nullptr; }
    void SetStatusText(const std::string& text) override {
        m_frame.SetStatusText(QString::fromStdString(text));
    }
    bool IsModuleInfoVisible() override {
        return m_shell.m_pModuleInfo && m_shell.m_pModuleInfo->isVisible();
    }
    void SetModuleInfoText(const std::string& text) override {
        if (m_shell.m_pModuleInfo)
            m_shell.m_pModuleInfo->SetInfoText(QString::fromStdString(text));
    }
    std::vector<CaseTableRecord> GetCaseTable() override {
        auto* net = dynamic_cast<CNetComm*>(m_frame.GetCommBase());
        return net ? net->GetDriver().GetCaseTable() : std::vector<CaseTableRecord>{};
    }
    void SetCasesFound(int found) override { m_shell.m_pSearchHost->SetCasesFound(found); }
    void SetDeviceConnected(int connected) override { m_frame.SetDeviceConnected(connected); }
    bool IsNetworkInterface() override { return m_frame.IsNetworkInterface(); }
    // The connected addresses are listed in the module information window;
    // there is no separate connection window.
    void AddToConnectionWindow(const std::string&) override {}
    void UpdateConnectionWindow() override {}

private:
    CMainFrameCaseSearch& m_shell;
    CMainFrame& m_frame;
};

class CMainFrameCaseSearch::TimersHost : public FrameTimersHost {
public:
    explicit TimersHost(CMainFrameCaseSearch& shell) : m_shell(shell) {}

    int GetConnectedCount() override {
        return static_cast<int>(m_shell.m_connections.GetConnectedAddresses().size());
    }
    int GetProjectState() override { return m_shell.m_frame.GetProjectState().m_nProjectState; }
    bool HasStatusBar() override { return m_shell.m_frame.statusBar() != nullptr; }
    void SetStatusText(const std::string& text) override {
        m_shell.m_frame.SetStatusText(QString::fromStdString(text));
    }
    void KillTimer(int id) override {
        if (QTimer* timer =
                id == CFrameTimers::kWaitConnectTimer ? m_shell.m_pWaitTimer : m_shell.m_pDetectTimer)
            timer->stop();
    }
    void ShowMessage(const std::string& text, platform::UINT flags) override {
        platform::MessageBox(text, m_shell.m_frame.windowTitle().toStdString(), flags);
    }
    bool DetectCases() override { return m_shell.m_search.DetectCasesAndReport() != 0; }
    std::int64_t Now() override { return platform::NowTimeT(); }
    int GetAutoDetectTimeout() override { return g_nAutoDetectCaseOutTime; }

private:
    CMainFrameCaseSearch& m_shell;
};

class CMainFrameCaseSearch::FaultAlert : public IModuleFaultAlert {
public:
    explicit FaultAlert(CMainFrameCaseSearch& shell) : m_shell(shell) {}
    bool IsVisible() override { return m_shell.m_pFaultAlert->isVisible(); }
    void SlideIn() override { m_shell.m_pFaultAlert->SlideIn(); }
    void SetModuleList(const std::vector<DeadLinkEntry>& modules) override {
        std::vector<FaultModuleEntry> entries;
        for (const DeadLinkEntry& entry : modules)
            entries.push_back({entry.nCaseNo, entry.strAddress});
        m_shell.m_pFaultAlert->SetModuleList(entries);
    }

private:
    CMainFrameCaseSearch& m_shell;
};

// ---- The shell -------------------------------------------------------------------

CMainFrameCaseSearch::CMainFrameCaseSearch(CMainFrame& frame)
    : QObject(&frame), m_frame(frame), m_pSearchHost(std::make_unique<SearchHost>(*this)),
      m_pConnectionsHost(std::make_unique<ConnectionsHost>(*this)),
      m_pTimersHost(std::make_unique<TimersHost>(*this)),
      m_pFaultAlertAdapter(std::make_unique<FaultAlert>(*this)), m_search(m_pSearchHost.get()),
      m_connections(m_pConnectionsHost.get()), m_timers(m_pTimersHost.get()) {}

CMainFrameCaseSearch::~CMainFrameCaseSearch() = default;

CMainFrameCaseSearch* InstallCaseSearch(CMainFrame& frame) {
    auto* shell = new CMainFrameCaseSearch(frame);
    shell->Install();
    frame.AttachCaseSearch(shell);
    return shell;
}

void CMainFrameCaseSearch::Install() {
    CreateWindows();
    // The module window comes back as the user left it.
    m_bModuleWindowFlag = AppRegistryProfile().GetProfileInt("System", kModuleWindowKey, 1) != 0 ? 1 : 0;
    // A child of the frame: it shows with the frame.
    m_pModuleInfo->setVisible(m_bModuleWindowFlag != 0);
    RegisterCommands();
    RegisterMessages();
    for (QAction* item : m_frame.menuBar()->actions()) {
        if (QMenu* menu = item->menu())
            connect(menu, &QMenu::aboutToShow, this, [this, menu] { PruneMenu(menu); });
    }
    m_pWaitTimer = new QTimer(this);
    connect(m_pWaitTimer, &QTimer::timeout, this, [this] { OnTimer(CFrameTimers::kWaitConnectTimer); });
    m_pDetectTimer = new QTimer(this);
    connect(m_pDetectTimer, &QTimer::timeout, this, [this] { OnTimer(CFrameTimers::kAutoDetectTimer); });
    m_pWaitTimer->start(kTimerPeriodMs);
    // Exactly one of the two saving buttons shows.
    if (QAction* on = m_frame.GetAction(ID_SAVE_REALTIME))
        on->setVisible(m_nSaveRealtimeData == 1);
    if (QAction* off = m_frame.GetAction(ID_NO_SAVE_REALTIME))
        off->setVisible(m_nSaveRealtimeData == 0);
    m_nStyle = m_frame.m_nTheme;
    ApplyStyle(m_nStyle);
    CMdiTabMenu::Install(m_frame);
}

void CMainFrameCaseSearch::CreateWindows() {
    // Over the data windows' area, beside the bars and panes: it covers none
    // of their controls, moves with the frame and stays under its dialogs.
    QMdiArea* client = m_frame.GetMdiArea();
    m_pModuleInfo = new CDlgModuleInfo(client != nullptr ? static_cast<QWidget*>(client) : &m_frame);
    if (client != nullptr)
        m_pModuleInfo->SetArea(client->viewport());
    m_pModuleInfo->hide();
    m_pFaultAlert = new CDlgModuleFaultAlert(&m_frame);
    m_pFaultAlert->hide();
}

void CMainFrameCaseSearch::StartAutoDetect() {
    m_timers.StartAutoDetect();
    m_pDetectTimer->start(kTimerPeriodMs);
}

bool CMainFrameCaseSearch::IsTimerActive(int id) const {
    const QTimer* timer = id == CFrameTimers::kWaitConnectTimer ? m_pWaitTimer : m_pDetectTimer;
    return timer && timer->isActive();
}

void CMainFrameCaseSearch::OnTimer(int id) {
    m_timers.OnTimer(id);
}

QString CMainFrameCaseSearch::GetModuleInfoText() const {
    if (!m_pModuleInfo)
        return QString();
    // The lines as the window shows them: its stored text ends each with "\r\n".
    QString shown = m_pModuleInfo->GetInfoText();
    return shown.remove(QLatin1Char('\r'));
}

FrameCommandState CMainFrameCaseSearch::CollectCommandState() const {
    FrameCommandState s;
    CProjectState& project = m_frame.GetProjectState();
    s.nProjectState = project.m_nProjectState;
    s.nStoredDataCount = project.m_nTotalDataCount;
    s.bSampling = g_bSampling.load() != 0;
    s.bPaused = g_bSamplePaused.load() != 0;
    s.nMeasuredChannels = g_nMeasChanCount;
    s.nSampleMode = project.m_SampleSettings.nSampleMode;
    s.bSaveRealtimeData = m_nSaveRealtimeData;
    s.nSpectrumFlag = project.m_SampleSettings.nAnalysisMode;
    s.bSoftwareDebug = g_bSoftwareDebug;
    s.bSoftwareSpectrum = g_bSoftwareSpectrum;
    s.nSpectrumWindows = m_frame.GetSpectrumViewCount();
    s.nDataWindows = OpenViewCounters().GetTotal();
    s.bCasesFound = m_frame.GetCasesFound() != 0;
    s.nConnectionCount = m_connections.GetConnectionCount();
    s.bCanStartSample = m_providers.canStartSample();
    s.bListenerReady = m_frame.GetCommBase() != nullptr;
    s.bModuleInfoVisible = m_pModuleInfo && m_pModuleInfo->isVisible();
    s.bDataLocateVisible = m_frame.GetDataLocateBar() && m_frame.GetDataLocateBar()->isVisible();
    const QToolBar* graph = m_frame.GetToolBar(1);
    const QToolBar* control = m_frame.GetToolBar(2);
    s.bGraphBarVisible = graph && graph->isVisible();
    s.bSampleControlBarVisible = control && control->isVisible();
    const QDockWidget* pane = m_frame.GetPane(IDR_PANE_CHANNEL_PARAM);
    s.bChannelPaneOpen = pane && pane->isVisible();
    const QDockWidget* samplePane = m_frame.GetPane(IDR_PANE_SAMPLE_PARAM);
    s.bSampleParamPaneOpen = samplePane && samplePane->isVisible();
    s.nDockingTheme = FrameStyleOf(m_nStyle).nDockingTheme;
    if (m_providers.completeCommandState)
        m_providers.completeCommandState(s);
    return s;
}

void CMainFrameCaseSearch::PruneMenu(QMenu* menu) {
    MenuPruneOptions options;
    options.bDigitalUsed = g_bDigitalUsed;
    options.bSoftwareDebug = g_bSoftwareDebug;
    options.bProgrammedStrain = g_bProgrammedStrain;
    options.bDigitalLibraryLoaded = m_providers.digitalLibraryLoaded();
    PruneFrameMenu(menu, options);
    const FrameCommandState state = CollectCommandState();
    for (QAction* action : menu->actions()) {
        bool ok = false;
        const int id = action->data().toInt(&ok);
        if (ok && GetFrameCommandState(id, state).bRemoveFromMenu)
            menu->removeAction(action);
    }
}

void CMainFrameCaseSearch::ApplyStyle(int style) {
    m_nStyle = FrameStyleOf(style).nStyle;
    m_frame.m_nTheme = m_nStyle;
    ApplyFrameTheme(m_frame, m_nStyle);
}

void CMainFrameCaseSearch::OnPageSetup() {
    const std::string layout = m_frame.GetDocumentLayoutFile();
    LoadPrintParam(layout, m_PrintParams);
    CPageSetupDialog dialog(m_PrintParams, &m_frame);
    if (m_pageSetupRunner ? m_pageSetupRunner(dialog) : dialog.exec() == QDialog::Accepted) {
        m_PrintParams = dialog.GetParameters();
        SavePrintParam(layout, m_PrintParams);
    }
}

void CMainFrameCaseSearch::OnToggleSpectrum() {
    SampleSettings& settings = m_frame.GetProjectState().m_SampleSettings;
    settings.nAnalysisMode = settings.nAnalysisMode == 0 ? 1 : 0;
    if (CSampleParamBar* bar = m_frame.GetSampleParamBar())
        bar->SetSampleSettings(settings);
    m_pSearchHost->RecreateSampleParamBar();
}

void CMainFrameCaseSearch::RegisterCommands() {
    const auto state = [this](int id) {
        return [this, id](CCmdUI& ui) { ApplyResult(ui, GetFrameCommandState(id, CollectCommandState())); };
    };
    m_frame.OnCommand(
        ID_DETECT_CASE, [this] { m_search.OnDetectCase(); }, state(ID_DETECT_CASE));
    m_frame.OnCommand(
        ID_CONTINUE_TEST, [this] { m_search.OnContinueTest(); },
        [this](CCmdUI& ui) {
            ui.Enable(!::IsRunActive() && m_frame.GetProjectState().m_nProjectState >= 2);
        });
    m_frame.OnCommand(
        ID_SHOW_MODULE_INFO,
        [this] {
            const bool show = !m_pModuleInfo->isVisible();
            m_pModuleInfo->setVisible(show);
            m_bModuleWindowFlag = show ? 1 : 0;
            AppRegistryProfile().WriteProfileInt("System", kModuleWindowKey, m_bModuleWindowFlag);
            if (show)
                m_connections.RefreshModuleInfo();
        },
        state(ID_SHOW_MODULE_INFO));
    const auto toggleBar = [this](int index) {
        return [this, index] {
            if (QToolBar* bar = m_frame.GetToolBar(index))
                bar->setVisible(!bar->isVisible());
            m_frame.m_bShowGraphAtribBar = m_frame.GetToolBar(1) && m_frame.GetToolBar(1)->isVisible();
            m_frame.m_bShowSampleControlBar = m_frame.GetToolBar(2) && m_frame.GetToolBar(2)->isVisible();
        };
    };
    m_frame.OnCommand(ID_GRAPH_BAR, toggleBar(1), state(ID_GRAPH_BAR));
    m_frame.OnCommand(ID_SAMPLE_CONTROL_BAR, toggleBar(2), state(ID_SAMPLE_CONTROL_BAR));
    const auto togglePane = [this](int paneId, int& shown) {
        return [this, paneId, &shown] {
            if (QDockWidget* pane = m_frame.GetPane(paneId)) {
                pane->setVisible(!pane->isVisible());
                shown = pane->isVisible() ? 1 : 0;
            }
        };
    };
    m_frame.OnCommand(ID_CHANNEL_PANE, togglePane(IDR_PANE_CHANNEL_PARAM, m_frame.m_bShowChannelBar),
                      state(ID_CHANNEL_PANE));
    m_frame.OnCommand(ID_SAMPLE_PARAM_PANE, togglePane(IDR_PANE_SAMPLE_PARAM, m_frame.m_bShowSampleParamBar),
                      state(ID_SAMPLE_PARAM_PANE));
    // The channel bar pages by the new flags at once.
    m_frame.OnCommand(ID_PAGING_BY_CASE, [this] {
        TogglePagingByCase(m_ChannelBarPaging, g_nCaseCount);
        m_frame.RefreshChannelParamBar();
    });
    m_frame.OnCommand(ID_PAGING_BY_IP, [this] {
        TogglePagingByIp(m_ChannelBarPaging, m_connections.GetConnectionCount());
        m_frame.RefreshChannelParamBar();
    });
    // The table views page by the new flags at once.
    m_frame.OnCommand(ID_TABLE_PAGING_BY_CASE, [this] {
        TogglePagingByCase(m_TablePaging, g_nCaseCount);
        m_frame.RefreshTableViews();
    });
    m_frame.OnCommand(ID_TABLE_PAGING_BY_IP, [this] {
        TogglePagingByIp(m_TablePaging, m_connections.GetConnectionCount());
        m_frame.RefreshTableViews();
    });
    m_frame.OnCommand(
        ID_PAGE_SETUP, [this] { OnPageSetup(); }, state(ID_PAGE_SETUP));
    m_frame.OnCommand(
        ID_TOGGLE_SPECTRUM, [this] { OnToggleSpectrum(); }, state(ID_TOGGLE_SPECTRUM));
    m_frame.OnCommand(
        ID_NEW_SPECTRUM_WINDOW, [this] { m_frame.OnNewSpectrumWindow(); }, state(ID_NEW_SPECTRUM_WINDOW));
    for (const FrameStyle& style : FrameStyles()) {
        const int value = style.nStyle;
        m_frame.OnCommand(
            style.nCommand, [this, value] { ApplyStyle(value); }, state(style.nCommand));
    }
    for (int id : {ID_SAVE_REALTIME, ID_NO_SAVE_REALTIME}) {
        m_frame.OnCommand(
            id,
            [this] {
                FrameCommandState s = CollectCommandState();
                const int saving = s.bSaveRealtimeData ? 0 : 1;
                if (QAction* on = m_frame.GetAction(ID_SAVE_REALTIME))
                    on->setVisible(saving == 1);
                if (QAction* off = m_frame.GetAction(ID_NO_SAVE_REALTIME))
                    off->setVisible(saving == 0);
                if (CCommBase* comm = m_frame.GetCommBase())
                    comm->SetCaseDataSaving(saving);
                m_nSaveRealtimeData = saving;
                if (m_providers.setSaveRealtimeData)
                    m_providers.setSaveRealtimeData(saving);
            },
            state(id));
    }
}

void CMainFrameCaseSearch::RegisterMessages() {
    m_frame.OnMessage(kCaseLinkWaiting, [this](platform::WPARAM, platform::LPARAM) {
        m_connections.OnCaseLinkWaiting();
        return platform::LRESULT(0);
    });
    m_frame.OnMessage(kCaseLinkConnected, [this](platform::WPARAM, platform::LPARAM lParam) {
        if (const auto* address = reinterpret_cast<const std::string*>(lParam))
            m_connections.OnCaseLinkConnected(*address);
        return platform::LRESULT(0);
    });
    m_frame.OnMessage(kCaseLinkChanged, [this](platform::WPARAM, platform::LPARAM) {
        m_connections.OnCaseLinkChanged();
        return platform::LRESULT(0);
    });
    m_frame.OnMessage(kCaseLinkCount, [this](platform::WPARAM wParam, platform::LPARAM) {
        m_connections.OnCaseLinkCount(static_cast<int>(wParam));
        return platform::LRESULT(0);
    });
    m_frame.OnMessage(kReconnectCases, [this](platform::WPARAM, platform::LPARAM) {
        m_connections.OnReconnectCases();
        return platform::LRESULT(0);
    });
    m_frame.OnMessage(kModuleFault, [this](platform::WPARAM wParam, platform::LPARAM lParam) {
        static const std::vector<DeadLinkEntry> kNone;
        const auto* modules = reinterpret_cast<const std::vector<DeadLinkEntry>*>(wParam);
        OnModuleFault(m_pFaultAlertAdapter.get(), modules ? *modules : kNone, lParam != 0);
        return platform::LRESULT(0);
    });
    m_frame.OnMessage(kSendChannelParams, [this](platform::WPARAM, platform::LPARAM) {
        m_search.SendChannelParams();
        return platform::LRESULT(0);
    });
    m_frame.OnMessage(kTakeSampleBarSettings, [this](platform::WPARAM, platform::LPARAM) {
        SampleSettings settings = m_frame.GetProjectState().m_SampleSettings;
        CSampleParamBar* bar = m_frame.GetSampleParamBar();
        if (bar != nullptr && bar->GetSampleSettings(settings, 0))
            m_frame.GetProjectState().m_SampleSettings = settings;
        return platform::LRESULT(0);
    });
    m_frame.OnMessage(kClearStatusText, [this](platform::WPARAM, platform::LPARAM) {
        m_frame.SetStatusText(QString());
        return platform::LRESULT(0);
    });
    m_frame.OnMessage(kEnableParamBar, [this](platform::WPARAM wParam, platform::LPARAM) {
        if (QDockWidget* pane = m_frame.GetPane(IDR_PANE_CHANNEL_PARAM))
            pane->widget()->setEnabled(wParam == 1);
        return platform::LRESULT(0);
    });
}
