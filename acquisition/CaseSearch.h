// The main frame's case search and case detection: the search command with
// its messages, the quiet search of the automatic detection, the channel
// information read, the channel kinds, the parameter download after a search
// and the continue-test check against the open project's cases.
#pragma once

#include "acquisition/CaseSearchHost.h"

#include <cstdint>
#include <string>
#include <vector>

// Texts of the search.
inline constexpr const char* kCloseProjectQuestion = "查找机箱将关闭当前工程,是否继续?";
inline constexpr const char* kNetworkModuleError = "网络设备连接异常，请检查网络模块连接状态。";
inline constexpr const char* kFoundCasesTitle = "找到如下机箱:\n";
inline constexpr const char* kContinueNoCase = "未找到机箱，无法继续测试！";
inline constexpr const char* kContinueMismatch = "当前采集箱状态与打开工程中采集箱状态不一致，操作无效！";

// The remote-client packet that lists the online units.
constexpr int kCaseListPacketType = 2;

// The not-found text of the search, with its four hints.
std::string NotFoundCasesText();
// "%02d-%02d  " per online unit, a line break before each new case.
std::string FoundCasesText(const std::int32_t* units, int count);
// The channel is in the channel list, present and of measurement type 0
// (what the strain reference channel must be after a search).
bool IsOnlineStrainChannel(int channel);
// Stops any acquisition on the cases and frees the link; 0 when the cases
// did not answer.
int StopCaseAcquisition(CCommBase* comm);
// Online unit count then the unit numbers, each a little-endian int32.
std::vector<std::uint8_t> CaseListPayload(const std::int32_t* units, int count);

class CCaseSearch {
public:
    explicit CCaseSearch(CaseSearchHost* host) : m_pHost(host) {}

    // The search command (检测机箱) and its enable rule.
    void OnDetectCase();
    static bool CanDetectCase(bool runActive, bool canStartSample, bool listenerReady) {
        return !runActive && canStartSample && listenerReady;
    }
    // Stops the acquisition; FALSE (with its message) when the cases do not answer.
    int CheckNetworkModule();
    void FindCase(int flag);
    void FindCaseQuiet(int flag);
    void ReadChannelInfo();
    void SendChannelParams();
    int SendChannelParamsOfType(int type);
    int ApplyChannelKinds();

    // The detection run by the frame's timer; 1 when cases are online.
    int DetectCasesAndReport();
    // The continue-test command (继续测试).
    void OnContinueTest();

    std::int32_t m_bSendParamsAfterSearch = 0;
    std::int32_t m_bCaseSearched = 0;
    std::int32_t m_bDetecting = 0;

private:
    void RunSearch(bool quiet);
    void ApplyFoundCases(bool detection);
    void ReportCaseList();

    CaseSearchHost* m_pHost;
};
