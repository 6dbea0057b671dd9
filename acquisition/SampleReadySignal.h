// Wakes the network case driver's processing thread when a set may have
// become ready: a case link queued samples, a link stopped counting as live
// or receiving, or the run began. The thread sleeps on it instead of looking
// at every link's queue at a fixed pace.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

class SampleReadySignal {
public:
    void Notify() {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            ++m_nGeneration;
        }
        m_changed.notify_all();
    }
    // The count of notifications so far, to wait past.
    std::uint64_t Generation() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_nGeneration;
    }
    // Waits until a notification after `seen` came, or the time is up;
    // returns the generation then.
    std::uint64_t WaitPast(std::uint64_t seen, std::chrono::steady_clock::time_point until) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait_until(lock, until, [&] { return m_nGeneration != seen; });
        return m_nGeneration;
    }

private:
    std::mutex m_mutex; // guards m_nGeneration
    std::condition_variable m_changed;
    std::uint64_t m_nGeneration = 0;
};
