// One SendMessage from a thread other than the user-interface thread: the
// sender waits on it, the dispatcher runs it on the user-interface thread,
// and destroying the target (or the dispatcher) cancels it with result 0.
#pragma once

#include "platform/Message.h"

#include <condition_variable>
#include <memory>
#include <mutex>

namespace platform {

class PendingSend {
public:
    // nullptr when the target does not exist.
    static std::shared_ptr<PendingSend> Create(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    PendingSend(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
        : m_hWnd(hWnd), m_message(message), m_wParam(wParam), m_lParam(lParam) {}

    // On the user-interface thread: delivers the message unless the send
    // was cancelled (its sender may have gone, with what lParam points to).
    void Deliver();
    // Ends the wait with result 0 unless delivery has already begun.
    void Cancel();
    // Blocks the sender until the message was delivered or cancelled.
    LRESULT Wait();

    HWND Target() const { return m_hWnd; }
    bool IsDone();

private:
    enum class Stage { Queued, Running, Done };
    void Finish(LRESULT result);

    const HWND m_hWnd;
    const UINT m_message;
    const WPARAM m_wParam;
    const LPARAM m_lParam;
    std::mutex m_mutex; // guards m_stage and m_result
    std::condition_variable m_done;
    Stage m_stage = Stage::Queued;
    LRESULT m_result = 0;
};

} // namespace platform
