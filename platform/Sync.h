// Synchronisation in place of the Windows kernel objects: critical section,
// mutex, auto- and manual-reset events, and waits with time-outs.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace platform {

constexpr std::uint32_t INFINITE = 0xFFFFFFFF;
constexpr std::uint32_t WAIT_OBJECT_0 = 0;
constexpr std::uint32_t WAIT_TIMEOUT = 258;

// Re-entrant lock of one process, like a Windows critical section.
class CriticalSection {
public:
    void Lock() { m_mutex.lock(); }
    void Unlock() { m_mutex.unlock(); }
    bool TryLock() { return m_mutex.try_lock(); }
    // BasicLockable, so that std::lock_guard and std::unique_lock work.
    void lock() { Lock(); }
    void unlock() { Unlock(); }

private:
    std::recursive_mutex m_mutex;
};

// Re-entrant mutex with a timed wait, like a Windows mutex.
class Mutex {
public:
    // WAIT_OBJECT_0 when acquired, WAIT_TIMEOUT otherwise.
    std::uint32_t Wait(std::uint32_t milliseconds = INFINITE);
    void Release();

private:
    std::recursive_timed_mutex m_mutex;
};

// Event: an auto-reset event releases one waiter and resets itself; a
// manual-reset event stays set until Reset.
class Event {
public:
    explicit Event(bool manualReset = false, bool initialState = false)
        : m_manualReset(manualReset), m_signalled(initialState) {}
    void Set();
    void Reset();
    // WAIT_OBJECT_0 when signalled in time, WAIT_TIMEOUT otherwise.
    std::uint32_t Wait(std::uint32_t milliseconds = INFINITE);
    bool IsSet() const;

private:
    mutable std::mutex m_mutex; // guards m_signalled
    std::condition_variable m_cond;
    const bool m_manualReset;
    bool m_signalled;
};

} // namespace platform
