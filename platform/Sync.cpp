// Critical sections, mutexes and events on the standard library.
#include "platform/Sync.h"

#include <chrono>

namespace platform {

std::uint32_t Mutex::Wait(std::uint32_t milliseconds) {
    if (milliseconds == INFINITE) {
        m_mutex.lock();
        return WAIT_OBJECT_0;
    }
    // Against the system clock: the steady-clock wait of the library uses a
    // lock call that ThreadSanitizer does not see, which makes it report
    // every later unlock as wrong.
    auto until = std::chrono::system_clock::now() + std::chrono::milliseconds(milliseconds);
    return m_mutex.try_lock_until(until) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}

void Mutex::Release() {
    m_mutex.unlock();
}

void Event::Set() {
    // Notified under the lock: a woken waiter may destroy the event at once,
    // and must not do so while this call still touches it.
    std::lock_guard<std::mutex> lock(m_mutex);
    m_signalled = true;
    if (m_manualReset) {
        m_cond.notify_all();
    } else {
        m_cond.notify_one();
    }
}

void Event::Reset() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_signalled = false;
}

std::uint32_t Event::Wait(std::uint32_t milliseconds) {
    std::unique_lock<std::mutex> lock(m_mutex);
    auto signalled = [this] { return m_signalled; };
    if (milliseconds == INFINITE) {
        m_cond.wait(lock, signalled);
    } else if (!m_cond.wait_for(lock, std::chrono::milliseconds(milliseconds), signalled)) {
        return WAIT_TIMEOUT;
    }
    // An auto-reset event lets exactly one waiter through per Set.
    if (!m_manualReset) {
        m_signalled = false;
    }
    return WAIT_OBJECT_0;
}

bool Event::IsSet() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_signalled;
}

} // namespace platform
