// Waiting on the user-interface thread for another thread's end: events go
// on being handled meanwhile, those the waited-for thread sends included.
#pragma once

#include "platform/Time.h"

#include <QCoreApplication>

#include <cstdint>
#include <functional>

// Handles events until done holds (true) or the time is up (false).
inline bool PumpUntil(const std::function<bool()>& done, std::uint32_t milliseconds) {
    const std::uint64_t end = platform::GetTickCount64() + milliseconds;
    while (!done()) {
        if (platform::GetTickCount64() >= end)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        platform::Sleep(5);
    }
    return true;
}
