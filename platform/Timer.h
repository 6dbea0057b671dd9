// Timers outside windows: WM_TIMER (wParam = the timer id) posted to a
// message target at an interval by a platform timer thread. Windows use
// QTimer instead.
#pragma once

#include "platform/Message.h"

#include <cstdint>

namespace platform {

using UINT_PTR = std::uintptr_t;

// Starts or restarts timer nIDEvent of the target with an interval of
// uElapse ms (at least 10). Returns nIDEvent, or 0 when the target does not
// exist or the id is 0. Like Windows, a timer has at most one WM_TIMER
// waiting: ticks missed while the target is busy are not piled up. A timer
// whose target has gone ends by itself.
UINT_PTR SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse);
// Stops the timer; false when there was none. A WM_TIMER already queued may
// still arrive.
bool KillTimer(HWND hWnd, UINT_PTR nIDEvent);

} // namespace platform
