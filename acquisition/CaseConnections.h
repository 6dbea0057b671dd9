// The main frame's view of the network connections: the connected controller
// addresses in connection order, the connection count, the status texts of
// connecting, the re-connect of every link, and the module information text
// built from them.
#pragma once

#include "acquisition/NetCaseDriver.h"

#include <string>
#include <vector>

class CCommBase;

class CaseConnectionsHost {
public:
    virtual ~CaseConnectionsHost() = default;
    virtual CCommBase* GetComm() = 0;
    virtual bool IsNetworkInterface() = 0;
    virtual bool HasStatusBar() = 0;
    virtual void SetStatusText(const std::string& text) = 0;
    // The connection window, when it exists.
    virtual void AddToConnectionWindow(const std::string& address) = 0;
    virtual void UpdateConnectionWindow() = 0;
    // The module information window.
    virtual bool IsModuleInfoVisible() = 0;
    virtual void SetModuleInfoText(const std::string& text) = 0;
    // The cases' links as the driver knows them (address, case, modules).
    virtual std::vector<CaseTableRecord> GetCaseTable() = 0;
    virtual void SetCasesFound(int found) = 0;
    // The frame's device-connection flag: 1 while a controller is connected.
    virtual void SetDeviceConnected(int connected) = 0;
};

class CCaseConnections {
public:
    explicit CCaseConnections(CaseConnectionsHost* host) : m_pHost(host) {}

    void OnCaseLinkWaiting();
    void OnCaseLinkConnected(const std::string& address);
    void OnCaseLinkChanged() { RefreshModuleInfo(); }
    // Keeps the count; when links were freed (their peers closed), the
    // connected-address list keeps only the addresses still linked.
    void OnCaseLinkCount(int count);
    void OnReconnectCases();

    void RemoveConnectedAddress(const std::string& address);
    // Gives the frame's device-connection flag the state of the list.
    void UpdateDeviceConnected();
    void FreeCaseList() { m_ConnectedAddresses.clear(); }
    void RefreshModuleInfo();
    // One line per connected address: the address, its case and its modules.
    std::string BuildModuleInfoText();

    // 控制器映射 and 网络参数: no run or pause, the network interface, a connection.
    bool CanEditControllers(bool runActive) const {
        return !runActive && m_pHost->IsNetworkInterface() && m_nConnectionCount > 0;
    }

    const std::vector<std::string>& GetConnectedAddresses() const { return m_ConnectedAddresses; }
    int GetConnectionCount() const { return m_nConnectionCount; }

private:
    CaseConnectionsHost* m_pHost;
    std::vector<std::string> m_ConnectedAddresses;
    std::int32_t m_nConnectionCount = 0;
};

// The frame's handling of a module fault report: shows the alert when it is
// hidden and the list holds a module, and refills its list unless it is
// shown and asked to keep what it shows.
class IModuleFaultAlert {
public:
    virtual ~IModuleFaultAlert() = default;
    virtual bool IsVisible() = 0;
    virtual void SlideIn() = 0;
    virtual void SetModuleList(const std::vector<DeadLinkEntry>& modules) = 0;
};
void OnModuleFault(IModuleFaultAlert* alert, const std::vector<DeadLinkEntry>& modules, bool keep);
