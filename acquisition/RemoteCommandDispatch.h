// The main frame's handling of remote commands: runs the user command that a
// client asked for, marked as a remote request, or answers at once when the
// command cannot run now; and the reports with which the commands tell every
// client that a remote request has completed.
#pragma once

#include "acquisition/RemoteCommandHost.h"
#include "platform/Message.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class CDataForwardServer;

class CRemoteCommandDispatch {
public:
    // server may be null (no forwarding server); it must outlive its use here.
    explicit CRemoteCommandDispatch(IRemoteCommandHost& host, CDataForwardServer* server = nullptr)
        : m_host(host), m_pServer(server) {}

    void SetServer(CDataForwardServer* server) { m_pServer = server; }

    // Handler of WM_REMOTE_COMMAND (code in wParam); always 0.
    platform::LRESULT OnRemoteCommand(platform::WPARAM code);

    // Called by the commands where they complete; each reports only for a
    // remote request (and with forwarding on) and clears the request flag.
    // The case search and the case detection: the online unit numbers.
    void ReportCasesFound(const std::vector<std::int32_t>& units);
    void ReportBalanceDone();
    // At the start of a run, once the sampling thread runs.
    void ReportSampleStarted();
    // At the completion of a run: reported when the run was started or
    // stopped remotely.
    void ReportSampleEnded();

private:
    void RunFindCase();
    void RunStartSample();
    void SendCurrentValues();
    bool CanReply();
    void Reply(std::uint32_t type, std::int32_t value);
    void Reply(std::uint32_t type, const std::vector<std::uint8_t>& payload);

    IRemoteCommandHost& m_host;
    CDataForwardServer* m_pServer;
    bool m_bRunStartedRemotely = false; // the present run was started by a client
};
