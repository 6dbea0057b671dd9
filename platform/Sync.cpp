// Critical sections, mutexes and events on the standard library.
#include "platform/Sync.h"

#include <chrono>

namespace platform {

std::uint32_t Mutex::Wait(std::uint32_t milliseconds) {
    if (milliseconds == INFINITE) {
        m_mutex.lock();
        return WAIT_OBJECT_0;
    }
    return m_mutex.try_lock_for(std::chrono::milliseconds(milliseconds)) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}

void Mutex::Release() {
    m_mutex.unlock();
}

void Event::Set() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_signalled = true;
    }
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
