// A thread with its own message queue, in place of a user-interface thread
// of the Windows platform: other threads post numbered messages to it, its
// loop hands each to a handler until WM_QUIT arrives, and an optional idle
// hook runs at a fixed interval for threads that poll.
#pragma once

#include "platform/Message.h"
#include "platform/Sync.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace platform {

struct ThreadMessage {
    UINT message = WM_NULL;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

// The handlers live in state shared with the running thread, not in this
// object: when Wait times out, the owner may destroy the object and the
// thread finishes on its own later, still with valid handlers and queue.
// The handlers must then not reach anything the owner frees; a handler that
// captures only shared_ptr-held state is always safe.
class WorkerThread {
public:
    using MessageHandler = std::function<void(UINT message, WPARAM wParam, LPARAM lParam)>;
    using IdleHandler = std::function<void()>;
    // Receives each message left in the queue when the loop ends, on the
    // worker thread, so that blocks carried in lParam can be freed.
    using DrainHandler = std::function<void(const ThreadMessage& msg)>;

    WorkerThread();
    // Posts WM_QUIT and waits up to the destroy time-out (5000 ms unless
    // changed); a thread still running after that is left to finish alone.
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Set the handlers before Start; later calls take effect at the next Start.
    void SetMessageHandler(MessageHandler handler);
    void SetIdleHandler(std::uint32_t intervalMs, IdleHandler handler);
    void SetDrainHandler(DrainHandler handler);
    void SetDestroyTimeout(std::uint32_t milliseconds) { m_nDestroyTimeout = milliseconds; }

    // Starts the thread; false when it is already running or cannot be
    // created. Messages may be posted as soon as Start returns true.
    bool Start();
    // Queues a message; false when the thread is not running (the caller
    // keeps ownership of whatever lParam carries).
    bool PostThreadMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // Asks the loop to end after the messages already queued.
    bool PostQuitMessage() { return PostThreadMessage(WM_QUIT); }
    // True once the thread has ended (or was never started); false on
    // time-out or when called from the thread itself.
    bool Wait(std::uint32_t milliseconds);
    // PostQuitMessage, then Wait.
    bool Stop(std::uint32_t milliseconds);
    // Leaves a running thread to finish alone; the object is then idle and
    // may be started again or destroyed at once.
    void Detach();

    bool IsRunning() const;
    bool IsCurrentThread() const;

    struct State;

private:
    std::shared_ptr<State> m_state;   // the running thread's state, replaced by each Start
    mutable std::mutex m_threadMutex; // guards m_thread and m_state against concurrent Start/Wait/Detach
    std::thread m_thread;
    MessageHandler m_onMessage;
    IdleHandler m_onIdle;
    std::uint32_t m_nIdleInterval = 0;
    DrainHandler m_onDrain;
    std::uint32_t m_nDestroyTimeout = 5000;
};

} // namespace platform
