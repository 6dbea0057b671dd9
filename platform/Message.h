// Window messages between threads and windows. A MessageTarget stands in for
// a window: it has a handle that stays valid only while the target lives, so
// a message to a destroyed target is dropped, never delivered to freed memory.
// Any thread posts or sends; a dispatcher delivers on the user-interface
// thread (the Qt one in the programs, a hand-pumped queue in tests).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace platform {

using UINT = std::uint32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using HWND = std::uint64_t; // 0 is no target

constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_USER = 0x0400;

class MessageTarget {
public:
    MessageTarget();          // registers the target and gives it a handle
    virtual ~MessageTarget(); // unregisters; pending messages to it are dropped
    MessageTarget(const MessageTarget&) = delete;
    MessageTarget& operator=(const MessageTarget&) = delete;

    HWND GetSafeHwnd() const { return m_hWnd; }
    // Runs on the user-interface thread.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) = 0;

protected:
    // Stops delivery at once and waits for a delivery running on another
    // thread. A class whose objects may be destroyed off the user-interface
    // thread calls it first in its destructor, before its own members go.
    void UnregisterTarget();

private:
    HWND m_hWnd;
};

bool IsWindow(HWND hWnd);

// Queues the message for the target; false when the target does not exist.
bool PostMessage(HWND hWnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
// Runs the target's handler on the user-interface thread and returns its
// result. From the user-interface thread it runs at once; from another thread
// it waits until the handler has run. 0 when the target does not exist.
LRESULT SendMessage(HWND hWnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

// Lets the named messages, when another thread sends them, run the target's
// handler on the sending thread itself instead of the user-interface thread
// (replacing the numbers named before). Such a handler must never wait for
// the user-interface thread: the target's destruction waits for it.
void TakeOnSendingThread(HWND hWnd, const std::vector<UINT>& messages);
// The messages the target takes on the sending thread; none when it has gone.
std::vector<UINT> MessagesTakenOnSendingThread(HWND hWnd);

// A text gives one number in 0xC000..0xFFFF; the same text the same number.
UINT RegisterWindowMessage(const std::string& text);

// How messages reach the user-interface thread.
class MessageDispatcher {
public:
    virtual ~MessageDispatcher() = default;
    virtual bool IsUiThread() const = 0;
    // Arranges for Deliver(hWnd, ...) to run on the user-interface thread.
    virtual void Post(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // Runs Deliver on the user-interface thread and waits for the result.
    virtual LRESULT SendFromOtherThread(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) = 0;
};

// Delivers one message to a live target (called by dispatchers on the
// user-interface thread); 0 when the target has gone.
LRESULT DeliverMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

// Installs the dispatcher (nullptr restores the default queue dispatcher and
// makes the calling thread its user-interface thread). A dispatcher stays
// installed until it is replaced and must outlive every use.
void SetMessageDispatcher(MessageDispatcher* dispatcher);
MessageDispatcher* GetMessageDispatcher(); // the installed one, never nullptr
// Whether the calling thread is the installed dispatcher's user-interface thread.
bool IsUiThread();

// Default queue dispatcher, for tests and programs without windows: delivers
// the queued messages on the calling thread, which becomes its
// user-interface thread. PumpMessages returns how many were delivered;
// PumpMessagesFor pumps until the time is up or the predicate holds.
// Until some thread pumps or is named, the user-interface thread is the
// process's main thread. A send from another thread waits until the
// user-interface thread pumps it, or returns 0 when its target goes first.
std::size_t PumpMessages();
std::size_t PumpMessagesFor(std::uint32_t milliseconds);
std::size_t PumpMessagesFor(std::uint32_t milliseconds, const std::function<bool()>& done);
// Makes the calling thread the default dispatcher's user-interface thread.
void SetUiThread();

} // namespace platform
