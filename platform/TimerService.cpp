// One thread that posts WM_TIMER for every timer set outside windows.
#include "platform/TimerService.h"

#include <algorithm>

namespace platform {

TimerService& TimerService::Instance() {
    // Never destroyed: its thread may outlive static destruction.
    static auto* service = new TimerService;
    return *service;
}

bool TimerService::Set(HWND hWnd, std::uintptr_t id, UINT milliseconds) {
    if (id == 0 || !IsWindow(hWnd)) {
        return false;
    }
    auto interval = std::chrono::milliseconds(std::max<UINT>(milliseconds, 10));
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_timers[Key{hWnd, id}] = Timer{interval, Clock::now() + interval, false};
        if (!m_bStarted) {
            std::thread([this] { Run(); }).detach();
            m_bStarted = true;
        }
    }
    m_changed.notify_all();
    return true;
}

bool TimerService::Kill(HWND hWnd, std::uintptr_t id) {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_timers.erase(Key{hWnd, id}) != 0;
}

void TimerService::NoteDelivered(HWND hWnd, std::uintptr_t id) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_timers.find(Key{hWnd, id});
    if (it != m_timers.end()) {
        it->second.waiting = false;
    }
}

TimerService::Clock::time_point TimerService::NextDue() const {
    auto next = Clock::time_point::max();
    for (const auto& [key, timer] : m_timers) {
        next = std::min(next, timer.due);
    }
    return next;
}

void TimerService::FireDue(Clock::time_point now) {
    for (auto it = m_timers.begin(); it != m_timers.end();) {
        Timer& timer = it->second;
        if (timer.due > now) {
            ++it;
            continue;
        }
        // Posted under the lock, so that no tick is posted after KillTimer returns.
        auto [hWnd, id] = it->first;
        if (timer.waiting ? !IsWindow(hWnd) : !PostMessage(hWnd, WM_TIMER, id, 0)) {
            it = m_timers.erase(it); // the target has gone
            continue;
        }
        timer.waiting = true;
        timer.due += timer.interval;
        if (timer.due <= now) {
            timer.due = now + timer.interval; // fell behind: no burst of catch-up ticks
        }
        ++it;
    }
}

void TimerService::Run() {
    std::unique_lock<std::mutex> lock(m_mutex);
    while (true) {
        auto next = NextDue();
        if (next == Clock::time_point::max()) {
            m_changed.wait(lock);
        } else {
            m_changed.wait_until(lock, next);
        }
        FireDue(Clock::now());
    }
}

} // namespace platform
