// The platform timer thread behind SetTimer and KillTimer.
#pragma once

#include "platform/Message.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <utility>

namespace platform {

class TimerService {
public:
    static TimerService& Instance();

    bool Set(HWND hWnd, std::uintptr_t id, UINT milliseconds);
    bool Kill(HWND hWnd, std::uintptr_t id);
    // A WM_TIMER of this timer reached the target: the next may be posted.
    void NoteDelivered(HWND hWnd, std::uintptr_t id);

private:
    using Clock = std::chrono::steady_clock;
    using Key = std::pair<HWND, std::uintptr_t>;
    struct Timer {
        Clock::duration interval;
        Clock::time_point due;
        bool waiting = false; // a WM_TIMER is queued and not yet delivered
    };
    void Run();
    void FireDue(Clock::time_point now);
    Clock::time_point NextDue() const;

    std::mutex m_mutex; // guards m_timers and m_bStarted
    std::condition_variable m_changed;
    std::map<Key, Timer> m_timers;
    bool m_bStarted = false; // the thread starts with the first timer and runs for the process's life
};

} // namespace platform
