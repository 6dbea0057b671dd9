// The long work of start-up (the first case search when the transport is
// open) on a worker thread, so that the user-interface thread keeps
// painting; the work reports through the progress interface and the frame
// learns its result from a posted message.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "app/StartProgress.h"
#include "platform/Message.h"
#include "platform/WorkerThread.h"

// Posted to the notified window when the work has ended; wParam is its result.
constexpr platform::UINT WM_STARTUP_WORK_DONE = platform::WM_USER + 0x601;

class CStartupWork {
public:
    using Work = std::function<int(IStartProgress* progress)>;

    // Destroying waits for the worker at most this long.
    static constexpr std::uint32_t kStopTimeoutMs = 5000;

    CStartupWork();
    // Waits for the worker with the time limit above; a worker still busy
    // then finishes alone, holding only shared state.
    ~CStartupWork();
    CStartupWork(const CStartupWork&) = delete;
    CStartupWork& operator=(const CStartupWork&) = delete;

    // Runs the work once on the worker; false when it cannot start.
    bool Start(Work work, std::shared_ptr<IStartProgress> progress, platform::HWND notify);
    bool IsDone() const;
    // Waits for the end of the work; false on time-out.
    bool Wait(std::uint32_t milliseconds);

private:
    struct Shared;
    std::shared_ptr<Shared> m_shared;
    platform::WorkerThread m_thread;
};
