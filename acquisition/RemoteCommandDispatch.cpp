// Remote-command dispatch and the completion reports of remote requests.
#include "acquisition/RemoteCommandDispatch.h"

#include "acquisition/DataForwardServer.h"
#include "acquisition/RemotePacket.h"
#include "model/DebugLogFiles.h"
#include "platform/DebugLog.h"
#include "platform/MessageBox.h"

#include <cstdio>
#include <cstring>

namespace {

// Installed while a remote command runs on the user-interface thread. The
// client's server thread waits for that command, and nobody sits at the
// program to click a box, so no box is shown: its text goes to the log and
// it is answered with the button that changes nothing (Cancel, else No,
// else OK). The command then ends as it would after that answer and the
// client gets its reply.
class CRemoteQuietBoxes : public platform::MessageBoxHandler {
public:
    CRemoteQuietBoxes() : m_previous(platform::GetMessageBoxHandler()) {
        platform::SetMessageBoxHandler(this);
    }
    ~CRemoteQuietBoxes() override { platform::SetMessageBoxHandler(m_previous); }
    CRemoteQuietBoxes(const CRemoteQuietBoxes&) = delete;
    CRemoteQuietBoxes& operator=(const CRemoteQuietBoxes&) = delete;

    int Show(const std::string& text, const std::string& caption, platform::UINT flags) override {
        const std::string line = platform::FormatLogTimeStamp() + " 远程请求, 未显示提示: " + text;
        std::fprintf(stderr, "%s\n", line.c_str());
        ::WriteLogFile("Remote", line);
        const std::vector<int> buttons = platform::MessageBoxButtons(flags);
        for (int quiet : {platform::IDCANCEL, platform::IDNO}) {
            for (int button : buttons) {
                if (button == quiet)
                    return quiet;
            }
        }
        return buttons.front();
    }

private:
    platform::MessageBoxHandler* m_previous;
};

void AppendLe(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void AppendFloat(std::vector<std::uint8_t>& out, float value) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    AppendLe(out, bits);
}

} // namespace

platform::LRESULT CRemoteCommandDispatch::OnRemoteCommand(platform::WPARAM code) {
    const CRemoteQuietBoxes quiet;
    switch (code) {
    case kRemoteFindCase:
        RunFindCase();
        break;
    case kRemoteBalance:
        if (m_host.IsRunActive()) {
            Reply(kRemoteBalance, 0);
            break;
        }
        m_host.SetRemoteRequest(true);
        m_host.Balance();
        break;
    case kRemoteStartSample:
        RunStartSample();
        break;
    case kRemoteStopSample:
        if (!m_host.IsRunActive()) {
            Reply(kRemoteStopSample, 1);
            break;
        }
        m_host.SetRemoteRequest(true);
        m_host.StopSample();
        break;
    case kRemoteCurrent:
        SendCurrentValues();
        break;
    default:
        break;
    }
    return 0;
}

void CRemoteCommandDispatch::RunFindCase() {
    // A search rebuilds the case and channel tables, which a running run
    // uses: refused the way the case-search command is, with no cases.
    if (m_host.IsRunActive()) {
        Reply(kRemoteFindCase, 0);
        return;
    }
    m_host.SetRemoteRequest(true);
    m_host.DetectCase();
    // A search that ended early (no case, no network module) has not
    // reported; the client still gets its answer and the flag is cleared.
    if (m_host.IsRemoteRequest())
        ReportCasesFound({});
}

void CRemoteCommandDispatch::RunStartSample() {
    if (!m_host.CanStartSample()) {
        Reply(kRemoteStartSample, 0);
        return;
    }
    m_host.SetRemoteRequest(true);
    m_host.StartSample();
    // A resumed run, or a start that failed, has not reported.
    if (m_host.IsRemoteRequest()) {
        Reply(kRemoteStartSample, m_host.IsRunActive() ? 1 : 0);
        m_host.SetRemoteRequest(false);
    }
}

void CRemoteCommandDispatch::SendCurrentValues() {
    if (!m_host.IsRunActive() || !CanReply())
        return;
    std::vector<float> values;
    m_host.GetCurrentValues(values);
    if (values.empty())
        return;
    std::vector<std::uint8_t> payload;
    payload.reserve(4 + 4 * values.size());
    AppendLe(payload, static_cast<std::uint32_t>(values.size()));
    for (float value : values)
        AppendFloat(payload, value);
    Reply(kRemoteCurrent, payload);
}

void CRemoteCommandDispatch::ReportCasesFound(const std::vector<std::int32_t>& units) {
    if (!m_host.IsRemoteRequest())
        return;
    std::vector<std::uint8_t> payload;
    payload.reserve(4 + 4 * units.size());
    AppendLe(payload, static_cast<std::uint32_t>(units.size()));
    for (std::int32_t unit : units)
        AppendLe(payload, static_cast<std::uint32_t>(unit));
    Reply(kRemoteFindCase, payload);
    m_host.SetRemoteRequest(false);
}

void CRemoteCommandDispatch::ReportBalanceDone() {
    if (!m_host.IsRemoteRequest())
        return;
    Reply(kRemoteBalance, 4);
    m_host.SetRemoteRequest(false);
}

void CRemoteCommandDispatch::ReportSampleStarted() {
    if (!m_host.IsRemoteRequest())
        return;
    m_bRunStartedRemotely = true;
    Reply(kRemoteStartSample, 1);
    m_host.SetRemoteRequest(false);
}

void CRemoteCommandDispatch::ReportSampleEnded() {
    if (m_bRunStartedRemotely || m_host.IsRemoteRequest())
        Reply(kRemoteStopSample, 1);
    m_bRunStartedRemotely = false;
    m_host.SetRemoteRequest(false);
}

bool CRemoteCommandDispatch::CanReply() {
    return m_pServer && m_host.IsForwardingOn();
}

void CRemoteCommandDispatch::Reply(std::uint32_t type, std::int32_t value) {
    std::vector<std::uint8_t> payload;
    AppendLe(payload, static_cast<std::uint32_t>(value));
    Reply(type, payload);
}

void CRemoteCommandDispatch::Reply(std::uint32_t type, const std::vector<std::uint8_t>& payload) {
    if (CanReply())
        m_pServer->BroadcastPacket(type, static_cast<std::uint32_t>(payload.size()), payload.data());
}
