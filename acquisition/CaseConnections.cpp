// Connected controllers, re-connect and the module information text.
#include "acquisition/CaseConnections.h"

#include "acquisition/CommBase.h"

#include <algorithm>
#include <cstdio>

void CCaseConnections::OnCaseLinkWaiting() {
    if (m_pHost->IsNetworkInterface() && m_pHost->HasStatusBar())
        m_pHost->SetStatusText("正在等待设备连接......");
}

void CCaseConnections::OnCaseLinkConnected(const std::string& address) {
    m_pHost->SetStatusText("IP: " + address + " 已建立连接");
    m_pHost->AddToConnectionWindow(address);
    RemoveConnectedAddress(address);
    m_ConnectedAddresses.push_back(address);
    // A case that connects again after the frame dropped the connections
    // brings no new count from the driver; it is connected all the same.
    m_nConnectionCount = std::max(m_nConnectionCount, static_cast<std::int32_t>(m_ConnectedAddresses.size()));
    UpdateDeviceConnected();
    RefreshModuleInfo();
}

void CCaseConnections::OnCaseLinkCount(int count) {
    m_nConnectionCount = count;
    if (count >= static_cast<int>(m_ConnectedAddresses.size()))
        return;
    const std::vector<CaseTableRecord> table = m_pHost->GetCaseTable();
    std::erase_if(m_ConnectedAddresses, [&table](const std::string& address) {
        return std::none_of(table.begin(), table.end(),
                            [&address](const CaseTableRecord& r) { return r.strAddress == address; });
    });
    UpdateDeviceConnected();
    RefreshModuleInfo();
}

void CCaseConnections::UpdateDeviceConnected() {
    m_pHost->SetDeviceConnected(m_ConnectedAddresses.empty() ? 0 : 1);
}

void CCaseConnections::RemoveConnectedAddress(const std::string& address) {
    const auto it = std::find(m_ConnectedAddresses.begin(), m_ConnectedAddresses.end(), address);
    if (it != m_ConnectedAddresses.end())
        m_ConnectedAddresses.erase(it);
}

void CCaseConnections::OnReconnectCases() {
    FreeCaseList();
    if (CCommBase* comm = m_pHost->GetComm())
        comm->DisconnectAll();
    m_pHost->UpdateConnectionWindow();
    m_pHost->SetStatusText("正在更新网络连接......");
    m_nConnectionCount = 0;
    m_pHost->SetCasesFound(0);
    UpdateDeviceConnected();
    if (m_pHost->IsModuleInfoVisible())
        m_pHost->SetModuleInfoText("");
}

void CCaseConnections::RefreshModuleInfo() {
    m_pHost->SetModuleInfoText(BuildModuleInfoText());
}

std::string CCaseConnections::BuildModuleInfoText() {
    const std::vector<CaseTableRecord> table = m_pHost->GetCaseTable();
    std::string text;
    for (const std::string& address : m_ConnectedAddresses) {
        text += "IP: " + address;
        const auto record = std::find_if(table.begin(), table.end(),
                                         [&](const CaseTableRecord& r) { return r.strAddress == address; });
        if (record != table.end()) {
            char line[64];
            std::snprintf(line, sizeof line, "  机箱: %02d  模块:", record->nCaseNo + 1);
            text += line;
            for (int k = 0; k < record->nModules && k < 8; ++k) {
                std::snprintf(line, sizeof line, " %02d", record->nModuleSlot[k] + 1);
                text += line;
            }
        }
        text += "\r\n";
    }
    return text;
}

void OnModuleFault(IModuleFaultAlert* alert, const std::vector<DeadLinkEntry>& modules, bool keep) {
    if (!alert)
        return;
    const bool visible = alert->IsVisible();
    if (keep && visible)
        return;
    if (!visible && !modules.empty())
        alert->SlideIn();
    alert->SetModuleList(modules);
}
