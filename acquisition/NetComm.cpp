// The network transport and its case search.
#include "acquisition/NetComm.h"

#include "model/AppSettings.h"
#include "model/CaseTables.h"
#include "model/ProjectState.h"
#include "model/RunFlags.h"
#include "platform/DebugLog.h"

#include <algorithm>
#include <cstring>

CNetComm::CNetComm(CaseLinkHost* host, std::uint16_t port)
    : m_pHost(host ? host : &m_programHost), m_nPort(port), m_driver(nullptr, m_pHost) {}

CNetComm::~CNetComm() = default;

int CNetComm::SetOwner(platform::HWND owner) {
    CCommBase::SetOwner(owner);
    if (!GetProtocol())
        return 0; // without an encoder no link could build a command
    if (!GetProtocol()->GetChannelSource())
        GetProtocol()->SetChannelSource(&m_programHost);
    m_driver.SetEncoder(GetProtocol());
    m_driver.SetOwner(owner);
    const int listening = m_driver.Listen(m_nPort, owner);
    // Cases that fall silent are reported for the transport's life.
    if (listening && owner != 0 && g_bNetworkMonitor)
        m_driver.StartWatchdog();
    return listening;
}

int CNetComm::FindCases() {
    m_controllers.clear();
    g_nControllerCount = 0;
    std::fill(std::begin(m_PresentCases), std::end(m_PresentCases), 0);
    if (m_driver.GetLinkCount() == 0)
        return 0;
    m_pHost->WriteLogFile("Detect", "发送查找机箱命令 " + platform::FormatLogTimeStamp());
    m_driver.StartFindCaseThreads();
    if (!m_driver.CheckDuplicateCaseNumbers()) {
        m_bCaseNoConflict = 1;
        g_bCaseNumberConflict = 1;
        return 0;
    }
    m_pHost->WriteLogFile("Detect", "获取机箱在线状态 " + platform::FormatLogTimeStamp());
    const int present = m_driver.CountPresentModules(m_PresentCases);
    BuildCaseTablesFromOnlineFlags(m_PresentCases);
    m_bCaseNoConflict = 0;
    g_bCaseNumberConflict = 0;
    int highest = 1;
    m_nCaseStatus = m_driver.GetModuleVersionRange(highest);
    g_nCaseStatusMin = m_nCaseStatus;
    g_nCaseStatusMax = highest;
    m_pHost->WriteLogFile("Detect", "配置机箱模块信息 " + platform::FormatLogTimeStamp());
    FillControllerTable();
    return present;
}

void CNetComm::FillControllerTable() {
    for (const CaseTableRecord& link : m_driver.GetCaseTable()) {
        if (static_cast<int>(m_controllers.size()) >= kMaxControllers)
            break;
        ControllerRecord record;
        std::strncpy(record.szAddress, link.strAddress.c_str(), sizeof record.szAddress - 1);
        record.nController = link.nCaseNo;
        record.nCases = link.nModules;
        // The modules by their slot in the case, as the channel bar, the
        // high-speed list and the calibrator read them.
        for (int k = 0; k < link.nModules; ++k)
            record.nCaseNo[k] = link.nModuleSlot[k];
        m_controllers.push_back(record);
    }
    std::stable_sort(
        m_controllers.begin(), m_controllers.end(),
        [](const ControllerRecord& a, const ControllerRecord& b) { return a.nController < b.nController; });
    g_nControllerCount = static_cast<std::int32_t>(m_controllers.size());
}

int CNetComm::ReadChannelInfo() {
    m_driver.ReadChannelInfo();
    return 1;
}

int CNetComm::StartSampling() {
    m_driver.CreateSampleDataFile();
    return 1;
}

int CNetComm::SetSampleMode(int mode) {
    m_driver.SetSampleMode(mode);
    return 1;
}

int CNetComm::SetCaseOption(std::uint8_t flag, std::int32_t value) {
    m_driver.SetCaseOption(flag, value);
    return 1;
}

int CNetComm::SetCaseDataSaving(int flag) {
    m_driver.SetCaseDataSaving(flag);
    return 1;
}

int CNetComm::ReadLeadData(CaseSampleBlock* first, CaseSampleBlock* second, int) {
    m_driver.ReadLeadData(first, second);
    return 1;
}

int CNetComm::ReadSelfTestData(CaseSampleBlock* first, CaseSampleBlock* second) {
    m_driver.ReadSelfTestData(first, second);
    return 1;
}

int CNetComm::SendModuleCmdF0(platform::HWND sink, const std::string& address) {
    return m_driver.SendModuleCmdF0(address, sink);
}

int CNetComm::SendModuleCmdF1(platform::HWND sink, const std::string& address, const std::uint8_t block[21]) {
    return m_driver.SendModuleCmdF1(address, sink, block);
}

int CNetComm::SendModuleCmdF2(platform::HWND sink, const std::string& address, const std::uint8_t block[13]) {
    return m_driver.SendModuleCmdF2(address, sink, block);
}

int CNetComm::PauseSampling(int flag) {
    m_driver.PauseSampling();
    return 1;
}
