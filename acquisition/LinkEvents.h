// The links' drops and returns, counted, with the wake of the watchdog that
// looks at them.
#pragma once

#include "platform/Sync.h"

#include <algorithm>
#include <atomic>
#include <cstdint>

class CLinkEvents {
public:
    // A connection dropped during a run, or a case came back.
    void Signal() {
        ++m_nCount;
        m_wake.Set();
    }
    // Ends a wait with no event: the watchdog's stop.
    void Wake() { m_wake.Set(); }
    int Count() const { return m_nCount.load(); }
    // Until an event or a wake, or the time is up.
    void Wait(int milliseconds) { m_wake.Wait(static_cast<std::uint32_t>(std::max(0, milliseconds))); }

private:
    std::atomic<int> m_nCount{0};
    platform::Event m_wake; // resets as a wait takes it
};
