// Waiting a bounded time for a worker that may be sending to the
// user-interface thread: on that thread the wait delivers the queued
// messages, so the worker's send is answered instead of blocking both.
#pragma once

#include "platform/Message.h"
#include "platform/Time.h"

#include <chrono>
#include <cstdint>
#include <functional>

// True when done() held within the time.
inline bool WaitBounded(const std::function<bool()>& done, std::uint32_t milliseconds) {
    if (platform::IsUiThread()) {
        platform::PumpMessagesFor(milliseconds, done);
        return done();
    }
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end)
            return false;
        platform::Sleep(5);
    }
    return true;
}
