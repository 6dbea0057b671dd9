// The frame's link and hardware settings commands.
#include "app/MainFrameLinkDialogs.h"

#include "acquisition/CommBase.h"
#include "acquisition/NetComm.h"
#include "app/CommandStates.h"
#include "app/MainFrame.h"
#include "app/MainFrameCaseSearch.h"
#include "model/AppSettings.h"
#include "model/CaseTables.h"
#include "model/ChannelRecords.h"
#include "model/HighSpeedChannels.h"
#include "panels/bars/SampleParamBar.h"
#include "panels/channels/DlgHighSpeedChannel.h"
#include "panels/links/DlgControllerMap.h"
#include "panels/links/DlgControllerNetParam.h"
#include "panels/links/DlgModuleGroup.h"
#include "panels/links/DlgNetworkSetting.h"
#include "panels/links/DlgOnlineSetting.h"
#include "panels/links/DlgPortSetting.h"
#include "panels/links/DlgRelayControl.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "platform/Profile.h"

#include <cstring>

namespace {

constexpr int ID_PORT_SETTING = 32862;
constexpr int ID_CONTROLLER_MAPPING = 32929;
constexpr int ID_NETWORK_SETTING = 32896;
constexpr int ID_MODULE_GROUP = 32895;
constexpr int ID_RELAY_CONTROL = 32936;
constexpr int ID_ONLINE_SETTING = 32953;
constexpr int ID_PARAM_DOWNLOAD = 32957;
constexpr int ID_HIGH_SPEED_CHANNEL = 32958;
constexpr int kInterfaceSerial = 1;
constexpr int kInterfaceNetwork = 2;
constexpr const char* kUdpSection = "UDPControlParam";

void ApplyResult(CCmdUI& ui, const CommandStateResult& result) {
    if (result.bSetEnabled)
        ui.Enable(result.bEnabled);
    ui.SetCheck(result.bChecked);
}

} // namespace

CMainFrameLinkDialogs::CMainFrameLinkDialogs(CMainFrame& frame) : QObject(&frame), m_frame(frame) {}

CMainFrameLinkDialogs* InstallLinkDialogs(CMainFrame& frame) {
    auto* dialogs = new CMainFrameLinkDialogs(frame);
    dialogs->Install();
    return dialogs;
}

void CMainFrameLinkDialogs::Install() {
    setObjectName("LinkDialogs");
    const auto state = [this](int id) {
        return [this, id](CCmdUI& ui) {
            if (CMainFrameCaseSearch* shell = m_frame.GetCaseSearch())
                ApplyResult(ui, GetFrameCommandState(id, shell->CollectCommandState()));
        };
    };
    m_frame.OnCommand(
        ID_CONTROLLER_MAPPING, [this] { OnControllerMapping(); }, state(ID_CONTROLLER_MAPPING));
    m_frame.OnCommand(
        ID_NETWORK_SETTING, [this] { OnNetworkSetting(); }, state(ID_NETWORK_SETTING));
    // These stay disabled or out of the menus for this model; their handlers
    // are there for the models that offer them.
    const auto disabled = [](CCmdUI& ui) { ui.Enable(false); };
    m_frame.OnCommand(
        ID_PORT_SETTING, [this] { OnPortSetting(); }, disabled);
    m_frame.OnCommand(
        ID_MODULE_GROUP, [this] { OnModuleGroup(); }, disabled);
    m_frame.OnCommand(ID_ONLINE_SETTING, [this] { OnOnlineSetting(); });
    m_frame.OnCommand(ID_PARAM_DOWNLOAD, [this] { OnParamDownload(); });
    m_frame.OnCommand(ID_RELAY_CONTROL, [this] { OnRelayControl(); });
    m_frame.OnCommand(ID_HIGH_SPEED_CHANNEL, [this] { OnHighSpeedChannel(); });
    m_frame.OnMessage(CDlgRelayControl::kRelayMessage, [this](platform::WPARAM, platform::LPARAM lParam) {
        // No transport has a relay command: the frame keeps the states.
        if (lParam != 0)
            std::memcpy(m_RelayTable.data(), reinterpret_cast<const void*>(lParam), sizeof(RelayTable));
        return platform::LRESULT(0);
    });
    const std::string file = UdpControlFile();
    m_strControlIp = platform::GetPrivateProfileString(kUdpSection, "ControlIP", "", file);
    m_nControlPort = platform::GetPrivateProfileInt(kUdpSection, "ControlPort", 0, file);
    m_nListenPort = platform::GetPrivateProfileInt(kUdpSection, "ListonPort", 0, file);
}

int CMainFrameLinkDialogs::GetDeviceType() const {
    return m_nDeviceTypeOverride >= 0 ? m_nDeviceTypeOverride : m_frame.GetProjectState().m_nDeviceType;
}

void CMainFrameLinkDialogs::OnControllerMapping() {
    CMainFrameCaseSearch* shell = m_frame.GetCaseSearch();
    if (shell == nullptr)
        return;
    // The file beside the running program, where the case links read it.
    CDlgControllerMap dialog(m_frame.GetProgramFolder(), &m_frame);
    dialog.SetControllerList(shell->GetConnections().GetConnectedAddresses());
    dialog.exec();
    // The case links take the numbers when they connect again.
    if (dialog.GetChanged())
        shell->GetConnections().OnReconnectCases();
}

void CMainFrameLinkDialogs::OnNetworkSetting() {
    CMainFrameCaseSearch* shell = m_frame.GetCaseSearch();
    if (shell == nullptr)
        return;
    const int deviceType = GetDeviceType();
    if (deviceType == 3 || deviceType == 4) {
        CDlgControllerNetParam dialog(&m_frame);
        dialog.SetControllerIpList(shell->GetConnections().GetConnectedAddresses());
        dialog.SetComm(m_frame.GetCommBase());
        dialog.exec();
        if (dialog.GetChanged())
            platform::MessageBox("网络参数已修改，请重启仪器及软件应用新参数！", g_strAppTitle,
                                 platform::MB_ICONEXCLAMATION);
        return;
    }
    CDlgNetworkSetting dialog(&m_frame);
    dialog.exec();
    if (dialog.GetChanged()) {
        shell->GetConnections().OnReconnectCases();
        platform::MessageBox("网络参数设置已更新，请在设备连接状态正常后重新检测机箱！", g_strAppTitle);
    }
}

void CMainFrameLinkDialogs::OnPortSetting() {
    CProjectState& project = m_frame.GetProjectState();
    CDlgPortSetting dialog(&m_frame);
    dialog.m_nComPort = project.m_nComPort;
    dialog.m_nBaudRate = project.m_nBaundRate;
    dialog.m_nInterfaceMode = m_frame.GetInterfaceMode();
    dialog.m_nDeviceType = GetDeviceType();
    if (dialog.exec() != QDialog::Accepted)
        return;
    project.m_nComPort = dialog.m_nComPort;
    project.m_nBaundRate = dialog.m_nBaudRate;
    m_frame.SetInterfaceMode(dialog.m_nInterfaceMode);
    if (dialog.m_nInterfaceMode == kInterfaceSerial &&
        project.m_SampleSettings.nSampleMode == SAMPLE_MODE_CONTINUOUS)
        project.m_SampleSettings.nSampleMode = SAMPLE_MODE_SINGLE;
    if (CSampleParamBar* bar = m_frame.GetSampleParamBar()) {
        bar->SetInterfaceMode(dialog.m_nInterfaceMode);
        bar->SetSampleSettings(project.m_SampleSettings);
    }
    // The network transport is the only one this program has, and its cases
    // connect by themselves: another interface cannot be opened.
    if (dialog.m_nInterfaceMode != kInterfaceNetwork)
        platform::MessageBox("初始化接口失败", g_strAppTitle);
}

std::string CMainFrameLinkDialogs::UdpControlFile() const {
    return platform::JoinPath(m_frame.GetProgramFolder(), "UDPControlParam.ini");
}

void CMainFrameLinkDialogs::SaveUdpControlParam() const {
    const std::string file = UdpControlFile();
    platform::WritePrivateProfileString(kUdpSection, "ControlIP", m_strControlIp, file);
    platform::WritePrivateProfileString(kUdpSection, "ControlPort", std::to_string(m_nControlPort), file);
    platform::WritePrivateProfileString(kUdpSection, "ListonPort", std::to_string(m_nListenPort), file);
}

void CMainFrameLinkDialogs::OnOnlineSetting() {
    CDlgOnlineSetting dialog(&m_frame);
    dialog.m_strControlIp = m_strControlIp;
    dialog.m_nControlPort = m_nControlPort;
    dialog.m_nListenPort = m_nListenPort;
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_strControlIp = dialog.m_strControlIp;
    m_nControlPort = dialog.m_nControlPort;
    m_nListenPort = dialog.m_nListenPort;
    SaveUdpControlParam();
}

void CMainFrameLinkDialogs::OnModuleGroup() {
    std::vector<int> cases(g_CaseList, g_CaseList + std::clamp(g_nCaseCount, 0, MAX_CASE_COUNT));
    CDlgModuleGroup dialog(
        cases,
        [this](int caseNo, const std::string& panId, const std::string& target) {
            // The transports send nothing for a module group; the frame keeps
            // what was set and claims nothing more.
            if (CCommBase* comm = m_frame.GetCommBase())
                comm->SetModuleGroup(caseNo, panId, target);
            for (ModuleGroupSetting& setting : m_ModuleGroups)
                if (setting.nCaseNo == caseNo) {
                    setting = {caseNo, panId, target};
                    return;
                }
            m_ModuleGroups.push_back({caseNo, panId, target});
        },
        &m_frame);
    dialog.exec();
}

void CMainFrameLinkDialogs::OnParamDownload() {
    CDlgParamDownload dialog(m_frame.GetProgramFolder(), &m_frame);
    dialog.SetChannels(
        std::vector<int>(g_ChannelList, g_ChannelList + std::clamp(g_nChannelCount, 0, MAX_CHANNEL_COUNT)));
    dialog.SetZeroSource([](int channel) {
        return channel >= 0 && channel < MAX_CHANNEL_COUNT ? g_ChannelParams[channel].nZero : 0;
    });
    if (dialog.exec() != QDialog::Accepted)
        return;
    // No transport has a command for these values: the frame keeps them.
    m_DownloadEntries = dialog.GetResult();
    m_frame.SetStatusText(
        QString::fromUtf8("参数下传: 已保存%1个通道的参数，未发送到机箱").arg(m_DownloadEntries.size()));
}

void CMainFrameLinkDialogs::OnRelayControl() {
    std::vector<std::string> controllers;
    if (const auto* net = dynamic_cast<const CNetComm*>(m_frame.GetCommBase()))
        for (const ControllerRecord& record : net->GetControllerTable())
            controllers.emplace_back(record.szAddress, strnlen(record.szAddress, sizeof record.szAddress));
    CDlgRelayControl dialog(controllers, m_frame.GetSafeHwnd(), &m_frame);
    dialog.SetRelayTable(m_RelayTable);
    dialog.exec();
}

void CMainFrameLinkDialogs::OnHighSpeedChannel() {
    std::vector<HighSpeedController> controllers;
    if (const auto* net = dynamic_cast<const CNetComm*>(m_frame.GetCommBase()))
        for (const ControllerRecord& record : net->GetControllerTable()) {
            HighSpeedController controller;
            controller.strAddress.assign(record.szAddress,
                                         strnlen(record.szAddress, sizeof record.szAddress));
            controller.nChassis = record.nController;
            controller.modules.assign(record.nCaseNo, record.nCaseNo + std::clamp(record.nCases, 0, 8));
            controllers.push_back(controller);
        }
    CDlgHighSpeedChannel dialog(controllers, &m_frame);
    dialog.SetChannels(m_frame.GetHighSpeedChannels());
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_frame.GetHighSpeedChannels() = dialog.GetChannels();
    SaveHighSpeedChannels(
        HighSpeedChannelFilePath(m_frame.GetProgramFolder(), m_frame.GetProjectState().m_strModelName),
        dialog.GetChannels());
}
