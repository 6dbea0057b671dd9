// The one clock of the calibrator's pauses. Every fixed pause of a run, the
// steady wait before each request and the wait before a repeated run go
// through it, so that tests (and end-to-end runs, through the environment
// variable KELVANE_PAUSE_SCALE) can shorten them all at once.
#pragma once

#include "platform/Sync.h"

#include <cstdint>

namespace run_clock {

// Factor applied to every pause (1 = real time; 0 ends pauses at once).
void SetScale(double scale);
double Scale();
// Reads KELVANE_PAUSE_SCALE when set to a number >= 0.
void ScaleFromEnvironment();
std::uint32_t Scaled(std::uint32_t milliseconds);
// Waits the scaled time or until the event is set; true when the time ran out.
bool Pause(platform::Event& wake, std::uint32_t milliseconds);

} // namespace run_clock
