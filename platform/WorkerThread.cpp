// Message loop of a worker thread, with its queue in state shared between
// the owner and the thread so that either may end first.
#include "platform/WorkerThread.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <exception>
#include <system_error>

namespace platform {

struct WorkerThread::State {
    using Clock = std::chrono::steady_clock;

    MessageHandler onMessage;
    IdleHandler onIdle;
    Clock::duration idleInterval{};
    DrainHandler onDrain;

    std::mutex mutex; // guards queue, open, finished and threadId
    std::condition_variable arrived;
    std::condition_variable ended;
    std::deque<ThreadMessage> queue;
    bool open = true; // posts are accepted
    bool finished = false;
    std::thread::id threadId;

    void Run();
    bool NextMessage(ThreadMessage& msg, Clock::time_point idleDue);
    void Drain();
};

namespace {

template <typename Call> void Guarded(const char* what, Call&& call) {
    // A failing handler must not take the thread, and with it the process, down.
    try {
        call();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "worker thread: %s failed: %s\n", what, e.what());
    } catch (...) {
        std::fprintf(stderr, "worker thread: %s failed\n", what);
    }
}

} // namespace

// Waits for a message until the idle hook is due; false when it is due.
bool WorkerThread::State::NextMessage(ThreadMessage& msg, Clock::time_point idleDue) {
    std::unique_lock<std::mutex> lock(mutex);
    auto hasMessage = [this] { return !queue.empty(); };
    if (onIdle) {
        if (Clock::now() >= idleDue || !arrived.wait_until(lock, idleDue, hasMessage)) {
            return false;
        }
    } else {
        arrived.wait(lock, hasMessage);
    }
    msg = queue.front();
    queue.pop_front();
    return true;
}

void WorkerThread::State::Run() {
    auto idleDue = Clock::now() + idleInterval;
    while (true) {
        ThreadMessage msg;
        if (!NextMessage(msg, idleDue)) {
            Guarded("idle handler", onIdle);
            auto now = Clock::now();
            idleDue += idleInterval;
            if (idleDue <= now) {
                idleDue = now + idleInterval; // no burst after a slow round
            }
            continue;
        }
        if (msg.message == WM_QUIT) {
            break;
        }
        if (onMessage) {
            Guarded("message handler", [&] { onMessage(msg.message, msg.wParam, msg.lParam); });
        }
    }
    Drain();
}

void WorkerThread::State::Drain() {
    std::deque<ThreadMessage> left;
    {
        std::lock_guard<std::mutex> lock(mutex);
        open = false;
        left.swap(queue);
    }
    for (const ThreadMessage& msg : left) {
        if (onDrain && msg.message != WM_QUIT) {
            Guarded("drain handler", [&] { onDrain(msg); });
        }
    }
    {
        std::lock_guard<std::mutex> lock(mutex);
        finished = true;
    }
    ended.notify_all();
}

WorkerThread::WorkerThread() = default;

WorkerThread::~WorkerThread() {
    if (!Stop(m_nDestroyTimeout)) {
        Detach();
    }
}

void WorkerThread::SetMessageHandler(MessageHandler handler) {
    std::lock_guard<std::mutex> lock(m_threadMutex);
    m_onMessage = std::move(handler);
}

void WorkerThread::SetIdleHandler(std::uint32_t intervalMs, IdleHandler handler) {
    std::lock_guard<std::mutex> lock(m_threadMutex);
    m_nIdleInterval = intervalMs;
    m_onIdle = std::move(handler);
}

void WorkerThread::SetDrainHandler(DrainHandler handler) {
    std::lock_guard<std::mutex> lock(m_threadMutex);
    m_onDrain = std::move(handler);
}

bool WorkerThread::Start() {
    std::lock_guard<std::mutex> lock(m_threadMutex);
    if (m_state) {
        {
            std::lock_guard<std::mutex> stateLock(m_state->mutex);
            if (!m_state->finished) {
                return false;
            }
        }
        m_thread.join(); // it has finished: only its return is left
        m_state.reset();
    }
    auto state = std::make_shared<State>();
    state->onMessage = m_onMessage;
    state->onIdle = m_onIdle;
    state->idleInterval = std::chrono::milliseconds(m_nIdleInterval);
    state->onDrain = m_onDrain;
    try {
        m_thread = std::thread([state] {
            {
                std::lock_guard<std::mutex> stateLock(state->mutex);
                state->threadId = std::this_thread::get_id();
            }
            state->Run();
        });
    } catch (const std::system_error&) {
        return false;
    }
    m_state = std::move(state);
    return true;
}

bool WorkerThread::PostThreadMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    std::shared_ptr<State> state;
    {
        std::lock_guard<std::mutex> lock(m_threadMutex);
        state = m_state;
    }
    if (!state) {
        return false;
    }
    {
        std::lock_guard<std::mutex> lock(state->mutex);
        if (!state->open) {
            return false;
        }
        state->queue.push_back(ThreadMessage{message, wParam, lParam});
    }
    state->arrived.notify_one();
    return true;
}

bool WorkerThread::Wait(std::uint32_t milliseconds) {
    std::shared_ptr<State> state;
    {
        std::lock_guard<std::mutex> lock(m_threadMutex);
        state = m_state;
    }
    if (!state) {
        return true;
    }
    {
        // Not under m_threadMutex: the thread's handlers may call into this object.
        std::unique_lock<std::mutex> lock(state->mutex);
        if (state->threadId == std::this_thread::get_id()) {
            return false;
        }
        auto finished = [&] { return state->finished; };
        if (milliseconds == INFINITE) {
            state->ended.wait(lock, finished);
        } else if (!state->ended.wait_for(lock, std::chrono::milliseconds(milliseconds), finished)) {
            return false;
        }
    }
    std::lock_guard<std::mutex> lock(m_threadMutex);
    if (m_state == state) {
        m_thread.join();
        m_state.reset();
    }
    return true;
}

bool WorkerThread::Stop(std::uint32_t milliseconds) {
    PostQuitMessage();
    return Wait(milliseconds);
}

void WorkerThread::Detach() {
    std::lock_guard<std::mutex> lock(m_threadMutex);
    if (m_thread.joinable()) {
        m_thread.detach();
    }
    m_state.reset();
}

bool WorkerThread::IsRunning() const {
    std::lock_guard<std::mutex> lock(m_threadMutex);
    if (!m_state) {
        return false;
    }
    std::lock_guard<std::mutex> stateLock(m_state->mutex);
    return !m_state->finished;
}

bool WorkerThread::IsCurrentThread() const {
    std::lock_guard<std::mutex> lock(m_threadMutex);
    if (!m_state) {
        return false;
    }
    std::lock_guard<std::mutex> stateLock(m_state->mutex);
    return m_state->threadId == std::this_thread::get_id();
}

} // namespace platform
