// The main frame's link and hardware settings commands: the controller
// mapping and network parameters, the network module setup, the port, the
// online link, the parameter download, relays, high-speed channels and module
// groups. Each copies the frame's values into its dialog, runs it and takes
// the results back. It lives as a child object of the frame.
#pragma once

#include "model/RelayTable.h"
#include "panels/links/DlgParamDownload.h"

#include <QObject>

#include <string>
#include <vector>

class CMainFrame;

// A module-group setting the frame keeps for a case: no transport has a
// command that carries it to the case.
struct ModuleGroupSetting {
    int nCaseNo = 0;
    std::string strPanId;
    std::string strTarget;
};

class CMainFrameLinkDialogs : public QObject {
    Q_OBJECT
public:
    explicit CMainFrameLinkDialogs(CMainFrame& frame);

    // Registers the commands and the relay message on the frame, and reads
    // the online link settings.
    void Install();

    // 控制器映射: the mapping dialog; a change re-connects the cases.
    void OnControllerMapping();
    // 网络参数: the controller dialog for device types 3 and 4, else the
    // network module dialog.
    void OnNetworkSetting();
    // 端口设置.
    void OnPortSetting();
    // 联机通讯设置: the online link's address and ports, kept in "UDPControlParam.ini".
    void OnOnlineSetting();
    // 模块分组配置.
    void OnModuleGroup();
    // 参数下传.
    void OnParamDownload();
    // 继电器控制.
    void OnRelayControl();
    // 高速采样通道: the list goes back to the frame and its ".HSC" file.
    void OnHighSpeedChannel();

    // The values the frame keeps.
    std::string m_strControlIp;
    int m_nControlPort = 0;
    int m_nListenPort = 0;
    RelayTable m_RelayTable{};
    std::vector<DownloadEntry> m_DownloadEntries;
    std::vector<ModuleGroupSetting> m_ModuleGroups;

    // The device type the network parameters command decides by.
    int GetDeviceType() const;
    void SetDeviceTypeForTest(int type) { m_nDeviceTypeOverride = type; }

private:
    void SaveUdpControlParam() const;
    std::string UdpControlFile() const;

    CMainFrame& m_frame;
    int m_nDeviceTypeOverride = -1;
};

CMainFrameLinkDialogs* InstallLinkDialogs(CMainFrame& frame);
