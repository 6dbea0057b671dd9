// The main frame's creation, in the order the start-up relies on, and the
// settings it keeps in the registry profile and the placement file.
#include "app/MainFrame.h"

#include "acquisition/CaseProgramHost.h"
#include "acquisition/ChanInfoWrapper.h"
#include "acquisition/DataForwardServer.h"
#include "acquisition/NetComm.h"
#include "acquisition/RemoteCommandDispatch.h"
#include "app/ChildFrame.h"
#include "app/MainFrameCaseSearch.h"
#include "app/MainFrameLinkDialogs.h"
#include "app/MainFrameSettingsDialogs.h"
#include "app/ShowDetailWinThread.h"
#include "app/StartupWork.h"
#include "libs/spectrum/Lurrow.h"
#include "model/AppSettings.h"
#include "model/ChannelDefaults.h"
#include "model/HighSpeedChannels.h"
#include "model/InstrumentIni.h"
#include "model/ValueConversion.h"
#include "model/VirtualChannelFile.h"
#include "panels/bars/ChannelParamBar.h"
#include "panels/bars/SampleParamBar.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "platform/Profile.h"
#include "platform/RegistryProfile.h"
#include "platform/Time.h"
#include "project/ChannelParamFile.h"
#include "project/ProjectFile.h"
#include "project/SettingsFileCheck.h"

#include <QAction>
#include <QDialog>
#include <QDockWidget>
#include <QLabel>
#include <QMdiArea>
#include <QStatusBar>
#include <QTabBar>
#include <QToolBar>

#include <cstdint>
#include <ctime>

namespace {

constexpr const char* kModelName = "QV7416";
constexpr int kDeviceTypeQV7416 = 3;
constexpr int kInterfaceNetwork = 2;

// The main window placement as the placement file stores it: 44 bytes.
struct WindowPlacementRecord {
    std::int32_t length;
    std::int32_t flags;
    std::int32_t showCmd;
    std::int32_t ptMinX, ptMinY;
    std::int32_t ptMaxX, ptMaxY;
    std::int32_t left, top, right, bottom;
};
static_assert(sizeof(WindowPlacementRecord) == 44);

std::string PlacementFilePath() {
    return platform::JoinPath(platform::UserConfigFolder(), "file_placement");
}

} // namespace

bool CMainFrame::OnCreate() {
    m_pMdiArea = new QMdiArea(this);
    setCentralWidget(m_pMdiArea);
    m_pProgressThread = std::make_unique<CShowDetailWinThread>();
    if (m_pProgressThread->InitInstance()) {
        m_pProgressSink = m_pProgressThread->GetProgressSink();
    }
    platform::DeleteFile(platform::JoinPath(m_strProgramFolder, "Debug.txt"));
    ReadRegistrySettings();
    BuildModelPaths();
    if (!CheckInstrumentFile()) {
        return false;
    }
    ReadStartupSettings();
    g_nModelType = m_nDeviceType;
    if (!CreateInterface(g_nModelType, m_nInterfaceMode)) {
        return false;
    }
    // The network transport never opens: its cases connect by themselves
    // once the driver listens, so start-up goes on without a search.
    m_bTransportOpen = m_pComm->Open(m_project.m_nComPort, m_project.m_nBaundRate);
    if (m_bTransportOpen != 0) {
        StartFirstCaseSearch();
    }
    if (!LoadChannelParameters()) {
        return false;
    }
    RestorePlacement();
    if (!CreateBars() || !CreatePanes()) {
        return false;
    }
    ShowDataCountInStatusBar(0, 0, 0, false);
    CreateModelessWindows();
    EnableMDITabs(true);
    CreateLinks();
    InitDigitalChannels();
    // Case search, detection, link events, module windows, timers and the
    // command states of the acquisition side.
    InstallCaseSearch(*this);
    // The link and hardware settings dialogs.
    InstallLinkDialogs(*this);
    m_pSettingsDialogs = InstallSettingsDialogs(*this);
    setWindowTitle(QString::fromUtf8(g_strAppTitle));
    m_tStartTime = static_cast<std::int64_t>(std::time(nullptr));
    return true;
}

void CMainFrame::ReadRegistrySettings() {
    const platform::CRegistryProfile& profile = AppRegistryProfile();
    m_nTheme = profile.GetProfileInt("System", "Theme", 2);
    m_project.m_nBaundRate = profile.GetProfileInt("System", "m_nBaundRate", 4800);
    m_project.m_nComPort = profile.GetProfileInt("System", "m_nComPort", 1);
    m_nInterfaceMode = profile.GetProfileInt("System", "m_nInterfaceMode", 0);
    m_nDigitalBaundRate = profile.GetProfileInt("System", "m_nDigitalBaundRate", 4800);
    m_nDigitalComPort = profile.GetProfileInt("System", "m_nDigitalComPort", 2);
    m_nWorkMode = profile.GetProfileInt("System", "m_nWorkMode", 0);
    m_bShowIpModule = profile.GetProfileInt("System", "m_bShowIpModule", 1);
    m_nHoldTimeSeconds = profile.GetProfileInt("System", "HoldTimeSeconds", 10);
    // Only the network interface and one model exist, whatever was stored.
    m_nWorkMode = 0;
    m_nInterfaceMode = kInterfaceNetwork;
    m_nDeviceType = kDeviceTypeQV7416;
    m_nSubDeviceType = kDeviceTypeQV7416;
    m_project.m_nInterfaceMode = m_nInterfaceMode;
    m_project.m_nDeviceType = m_nDeviceType;
    m_project.m_nSubDeviceType = m_nSubDeviceType;
    m_project.m_strModelName = kModelName;
}

void CMainFrame::SaveRegistrySettings() {
    platform::CRegistryProfile& profile = AppRegistryProfile();
    profile.WriteProfileInt("System", "Theme", m_nTheme);
    profile.WriteProfileInt("System", "m_nBaundRate", m_project.m_nBaundRate);
    profile.WriteProfileInt("System", "m_nComPort", m_project.m_nComPort);
    profile.WriteProfileInt("System", "m_nInterfaceMode", m_nInterfaceMode);
    profile.WriteProfileInt("System", "m_nDigitalBaundRate", m_nDigitalBaundRate);
    profile.WriteProfileInt("System", "m_nDigitalComPort", m_nDigitalComPort);
    profile.WriteProfileInt("System", "m_nWorkMode", m_nWorkMode);
    if (m_pCaseSearch != nullptr) {
        m_bShowIpModule = m_pCaseSearch->m_bModuleWindowFlag;
    }
    profile.WriteProfileInt("System", "m_bShowIpModule", m_bShowIpModule);
    profile.WriteProfileInt("System", "HoldTimeSeconds", m_nHoldTimeSeconds);
}

void CMainFrame::BuildModelPaths() {
    m_strInstrumentFile = m_project.GetProgramFilePath(".INI");
    m_strChannelParamFile = m_project.GetProgramFilePath(".chn");
    m_strLayoutFile = m_project.GetProgramFilePath(".LYT");
}

bool CMainFrame::CheckInstrumentFile() {
    if (!platform::FileExists(m_strInstrumentFile)) {
        platform::MessageBox("未获取到配置文件" + m_strInstrumentFile + "\n\n请检查软件安装包！", "提示",
                             platform::MB_OK | platform::MB_ICONEXCLAMATION);
        return false;
    }
    // Noise in place of the settings would run the program on defaults and
    // be overwritten by its first write: the start ends and the file stays.
    if (!IsProfileTextFile(m_strInstrumentFile)) {
        platform::MessageBox("配置文件" + m_strInstrumentFile +
                                 "内容无法识别（文件已损坏）。\n\n请检查软件安装包！",
                             "提示", platform::MB_OK | platform::MB_ICONEXCLAMATION);
        return false;
    }
    CInstrumentIni ini;
    ini.SetFilePath(m_strInstrumentFile);
    std::vector<std::string> outOfRange = ini.FindCountsOutOfRange();
    for (std::string& text : FindSystemSettingsOutOfRange(m_strInstrumentFile)) {
        outOfRange.push_back(std::move(text));
    }
    if (!outOfRange.empty()) {
        std::string list;
        for (const std::string& text : outOfRange) {
            list += "\n" + text;
        }
        platform::MessageBox("配置文件" + m_strInstrumentFile + "中以下数值超出范围，已按其范围的限值使用：" +
                                 list,
                             "提示", platform::MB_OK | platform::MB_ICONEXCLAMATION);
    }
    return true;
}

void CMainFrame::ReadStartupSettings() {
    ReadProjectFile(m_project, "");
    g_InstrumentIni.SetFilePath(m_strInstrumentFile);
    // The modules' channel information is gathered afresh at every start, in
    // a file of the program folder (the library keeps the last one as .bak).
    g_ChanInfo.SetParamFileName(platform::JoinPath(m_strProgramFolder, "ChanInfo.ini"));
    if (ReadVirtualChannelFile(m_project.GetProgramFilePath("_VirChannel.PamNew"),
                               m_project.m_VirtualChannels) == 0) {
        m_project.m_VirtualChannels.clear();
    }
    m_HighSpeedChannels = LoadHighSpeedChannels(HighSpeedChannelFilePath(m_strProgramFolder, kModelName));
    if (LoadStorageRule(AppRegistryProfile(), m_StorageRule) == 0) {
        // A profile that never held a rule (the rule is always saved with its
        // threshold) starts from the record's own defaults, not from the
        // empty values of the keys that are missing.
        if (AppRegistryProfile().GetProfileString("StorageRule", "fTrigValue", "").empty())
            m_StorageRule = StorageRuleSettings{};
        const std::string root = m_project.m_strProjectRoot.empty()
                                     ? platform::JoinPath(m_strProgramFolder, "Projects")
                                     : m_project.m_strProjectRoot;
        SetDefaultStoragePath(m_StorageRule, root);
    }
    const platform::CRegistryProfile& profile = AppRegistryProfile();
    m_nEventMode = profile.GetProfileInt("OPC_SERVER", "EventMode", 0);
    m_nOpcLoopMode = profile.GetProfileInt("OPC_SERVER", "OpcLoopMode", 0);
    m_nOpcNotifyMode = profile.GetProfileInt("OPC_SERVER", "OpcNotifyMode", 0);
    g_bDigitalUsed = platform::GetPrivateProfileInt("System", "DigitalUsed", 0, m_strInstrumentFile) != 0;
    // Single-point monitoring exists only for device type 2.
    g_bSingleMonitor =
        platform::GetPrivateProfileInt("System", "SingleMonitor", 0, m_strInstrumentFile) != 0 &&
        m_nDeviceType == 2;
}

bool CMainFrame::LoadChannelParameters() {
    switch (CheckChannelParamFile(m_strChannelParamFile)) {
    case ChannelParamFileCheck::Usable:
    case ChannelParamFileCheck::Unreadable:
        if (LoadChannelParamFile(m_strChannelParamFile) == 0) {
            platform::MessageBox("通道参数文件" + m_strChannelParamFile + "读取失败！", g_strAppTitle,
                                 platform::MB_OK | platform::MB_ICONEXCLAMATION);
            return false;
        }
        break;
    case ChannelParamFileCheck::Damaged: {
        // The defaults are saved below: the user's file goes aside first.
        const std::string aside = KeepFileAside(m_strChannelParamFile);
        if (aside.empty()) {
            platform::MessageBox("通道参数文件" + m_strChannelParamFile + "已损坏，且无法另存！",
                                 g_strAppTitle, platform::MB_OK | platform::MB_ICONEXCLAMATION);
            return false;
        }
        platform::MessageBox("通道参数文件" + m_strChannelParamFile + "已损坏，已另存为" + aside +
                                 "，通道参数恢复为默认值。",
                             g_strAppTitle, platform::MB_OK | platform::MB_ICONEXCLAMATION);
        ResetChannelRecords();
        break;
    }
    case ChannelParamFileCheck::Missing:
        ResetChannelRecords();
        break;
    }
    CHardwareParamCorrect correct(g_ChannelParams, g_ChannelState, m_strInstrumentFile, m_nDeviceType);
    correct.CorrectAllChannels();
    for (int channel = 0; channel < MAX_CHANNEL_COUNT; ++channel) {
        UpdateChannelScale(channel);
    }
    SaveChannelParamFile(m_strChannelParamFile);
    return true;
}

void CMainFrame::RestorePlacement() {
    WindowPlacementRecord p{};
    if (!platform::GetPrivateProfileStruct("placement", "1", &p, sizeof(p), PlacementFilePath())) {
        resize(1024, 720);
        return;
    }
    setGeometry(p.left, p.top, std::max(p.right - p.left, 320), std::max(p.bottom - p.top, 240));
    if (p.showCmd == 3) {
        setWindowState(windowState() | Qt::WindowMaximized);
    }
}

void CMainFrame::SavePlacement() {
    const QRect r = normalGeometry().isValid() ? normalGeometry() : geometry();
    WindowPlacementRecord p{};
    p.length = sizeof(p);
    p.showCmd = isMaximized() ? 3 : 1;
    p.left = r.left();
    p.top = r.top();
    p.right = r.left() + r.width();
    p.bottom = r.top() + r.height();
    platform::CreateFolder(platform::UserConfigFolder());
    platform::WritePrivateProfileStruct("placement", "1", &p, sizeof(p), PlacementFilePath());
}

bool CMainFrame::CreateBars() {
    CreateMenus();
    CreateToolBars();
    CreateStatusBar();
    RegisterShellCommands();
    RegisterZeroSettingCommand();
    RegisterWindowCommands();
    RegisterTableCommands();
    RegisterProjectCommands();
    return true;
}

bool CMainFrame::CreatePanes() {
    const auto makePane = [this](int id, const QString& title, QWidget* bar, Qt::DockWidgetArea area) {
        auto* pane = new QDockWidget(title, this);
        pane->setObjectName(QString("Pane%1").arg(id, 0, 16));
        pane->setWidget(bar);
        addDockWidget(area, pane);
        m_panes[id] = pane;
    };
    m_pSampleParamBar = new CSampleParamBar;
    SetupSampleParamBar();
    makePane(IDR_PANE_SAMPLE_PARAM, "采样参数", m_pSampleParamBar, Qt::LeftDockWidgetArea);
    m_pChannelParamBar = new CChannelParamBar;
    SetupChannelParamBar();
    makePane(IDR_PANE_CHANNEL_PARAM, "通道参数", m_pChannelParamBar, Qt::BottomDockWidgetArea);
    RegisterBarMessages();
    return true;
}

void CMainFrame::CreateModelessWindows() {
    CreateTestDialogWindows();
    RefreshChannelParamBar();
}

void CMainFrame::CreateLinks() {
    m_bOutControlEnable =
        platform::GetPrivateProfileInt("System", "OutControlEnable", 0, m_strInstrumentFile);
    if (m_bOutControlEnable != 0) {
        m_pRemoteServer = std::make_unique<CDataForwardServer>();
        m_pRemoteServer->SetOwner(GetSafeHwnd());
        m_pRemoteServer->StartListenThread();
        m_pRemoteDispatch->SetServer(m_pRemoteServer.get());
    }
    if (g_bSoftwareSpectrum) {
        m_pGraphInterface = std::make_unique<Lurrow>();
        m_pGraphInterface->SetParentWnd(this);
        m_pGraphInterface->SetProgramFolder(m_strProgramFolder);
    } else if (QAction* spectrum = GetAction(ID_NEW_SPECTRUM_WINDOW)) {
        spectrum->setVisible(false);
    }
}

bool CMainFrame::IsNetworkInterface() const {
    return m_nInterfaceMode == kInterfaceNetwork;
}

bool CMainFrame::CreateInterface(int modelType, int /*interfaceType*/) {
    // Only the network transport exists.
    m_pCaseHost = std::make_shared<CaseProgramHost>(m_strProgramFolder);
    m_pComm = std::make_shared<CNetComm>(m_pCaseHost.get());
    m_pComm->CreateProtocol(modelType, m_pCaseHost.get());
    m_pComm->SetOwner(GetSafeHwnd());
    char title[128] = {};
    platform::GetPrivateProfileString("SystemParam", "WinTitle", g_strAppTitle, title, sizeof(title),
                                      m_strInstrumentFile);
    setWindowTitle(QString::fromUtf8(title));
    return true;
}

bool CMainFrame::StartFirstCaseSearch() {
    if (!m_pComm || !m_pProgressThread) {
        return false;
    }
    std::shared_ptr<CCommBase> comm = m_pComm;
    std::shared_ptr<CaseProgramHost> host = m_pCaseHost;
    m_pStartupWork = std::make_unique<CStartupWork>();
    return m_pStartupWork->Start(
        [comm, host](IStartProgress* progress) {
            if (progress != nullptr) {
                progress->Begin();
                progress->SetText1("正在查找机箱...");
                progress->SetRange1(0, 1);
                progress->SetPos1(0);
            }
            comm->ResetDevice();
            const int found = comm->FindCases();
            if (progress != nullptr) {
                progress->SetPos1(1);
                progress->End();
            }
            return found;
        },
        m_pProgressThread->GetSharedProgressSink(), GetSafeHwnd());
}
