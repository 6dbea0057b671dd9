// What the coefficient and correction dialogs share around a coefficient
// write: the confirmation, the wait for the writing thread and the end.
#pragma once

#include "calibrator/KelvaneDialogHost.h"

#include <array>
#include <vector>

namespace coef_writing {

// "是否确认设置通道修正系数？" under "通道修正"; true on Yes.
bool Confirm();
// Runs the event loop for that long.
void HandleEventsFor(int milliseconds);
// Waits, handling events in 100 ms steps, until no write is running.
void WaitUntilWritten(KelvaneDialogHost& host);
// Starts a write of the coefficients to the channels (0-15) and waits for it;
// false when none could start.
bool WriteAndWait(KelvaneDialogHost& host, const std::vector<int>& channels,
                  const std::array<float, kCalibrateChannels>& coefs);
// "设置通道修正系数完成！".
void ReportDone();

} // namespace coef_writing
