// A flag that a thread waiting in poll() beside its sockets can be woken by:
// once set, every wait on it returns at once until it is reset. The
// descriptor (an eventfd) is made on Open, so that an object that never waits
// holds none.
#pragma once

#include <atomic>

namespace platform {

class WakeSignal {
public:
    WakeSignal() = default;
    ~WakeSignal();
    WakeSignal(const WakeSignal&) = delete;
    WakeSignal& operator=(const WakeSignal&) = delete;

    // Makes the descriptor when there is none; false when it cannot be made.
    bool Open();
    // Wakes the waits; without a descriptor nobody waits, and nothing is done.
    void Set();
    void Reset();
    bool IsSet() const { return Wait(0); }
    // -1 before Open.
    int Handle() const { return m_fd.load(); }
    // True when set within the time (negative: no limit).
    bool Wait(int timeoutMs) const;

private:
    std::atomic<int> m_fd{-1};
};

} // namespace platform
