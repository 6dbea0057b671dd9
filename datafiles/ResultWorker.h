// A result calculation on its own thread: it can be cancelled, only one of a
// kind runs for a project at a time, and its end is posted to the owner
// window as WM_USER + 1108 (wParam the ResultStatus, 0 when done), which a
// window that has gone never receives. Workers show no message box; the
// owner reports a status on its own thread.
#pragma once

#include "platform/Message.h"
#include "platform/Sync.h"

#include <atomic>
#include <functional>
#include <string>
#include <thread>

constexpr platform::UINT WM_RESULT_CALC_DONE = platform::WM_USER + 1108;

enum class ResultStatus : int {
    Done = 0,
    ParamOutOfRange = 1, // Poisson's ratio of a rosette's first gauge not below 0.9
    Cancelled = 2,
    DataFileError = 3, // a run's data could not be read or a result file written
    Busy = 4,          // another worker of the same kind runs for the project
};

// The text the owner shows for a status; empty for Done and Cancelled.
std::string ResultStatusText(ResultStatus status);

class CResultWorker {
public:
    using Job = std::function<ResultStatus(const std::atomic<bool>& cancel)>;

    CResultWorker() = default;
    ~CResultWorker(); // cancels and waits for the job, which stops within one chunk
    CResultWorker(const CResultWorker&) = delete;
    CResultWorker& operator=(const CResultWorker&) = delete;

    // Starts the job for the project key (folder, name and result kind);
    // false when this worker is still running or the key is busy.
    bool Start(const std::string& key, platform::HWND owner, Job job);
    void Cancel() { m_cancel = true; }
    // True when the job has ended within the time.
    bool Wait(std::uint32_t milliseconds);
    bool IsRunning() const { return m_running; }
    ResultStatus GetStatus() const { return m_status; }

private:
    void Join();

    std::thread m_thread;
    std::atomic<bool> m_cancel{false};
    std::atomic<bool> m_running{false};
    std::atomic<ResultStatus> m_status{ResultStatus::Done};
    platform::Event m_finished{true, false};
    std::string m_key;
};
