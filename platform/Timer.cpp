// SetTimer and KillTimer for message targets.
#include "platform/Timer.h"

#include "platform/TimerService.h"

namespace platform {

UINT_PTR SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse) {
    return TimerService::Instance().Set(hWnd, nIDEvent, uElapse) ? nIDEvent : 0;
}

bool KillTimer(HWND hWnd, UINT_PTR nIDEvent) {
    return TimerService::Instance().Kill(hWnd, nIDEvent);
}

} // namespace platform
