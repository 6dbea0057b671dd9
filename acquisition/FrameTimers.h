// The main frame's two acquisition timers: the one-second reminder while the
// program waits for the network cases to connect, and the automatic case
// search with its time-out. The tick and the clock come from the frame, so
// the logic runs without a window.
#pragma once

#include "platform/Message.h"

#include <cstdint>
#include <string>

class FrameTimersHost {
public:
    virtual ~FrameTimersHost() = default;
    // Connected network addresses.
    virtual int GetConnectedCount() = 0;
    virtual int GetProjectState() = 0;
    virtual bool HasStatusBar() = 0;
    virtual void SetStatusText(const std::string& text) = 0;
    virtual void KillTimer(int id) = 0;
    // Message box under the frame title.
    virtual void ShowMessage(const std::string& text, platform::UINT flags) = 0;
    // The quiet case search; true when cases were found.
    virtual bool DetectCases() = 0;
    // Seconds since 1970.
    virtual std::int64_t Now() = 0;
    // Seconds the automatic search may take (AutoDetectCaseOutTime).
    virtual int GetAutoDetectTimeout() = 0;
};

class CFrameTimers {
public:
    static constexpr int kWaitConnectTimer = 100;
    static constexpr int kAutoDetectTimer = 111;

    explicit CFrameTimers(FrameTimersHost* host) : m_pHost(host) {}

    // Marks the start of an automatic search (timer 111 started by the frame).
    void StartAutoDetect();
    // One tick; false when the frame's default timer handling must not run.
    bool OnTimer(int id);

    std::int64_t m_tAutoDetectStart = 0;
    std::int32_t m_bAutoDetectFound = 0;

private:
    FrameTimersHost* m_pHost;
};

// The time-out text of the automatic search.
std::string AutoDetectTimeoutText();
