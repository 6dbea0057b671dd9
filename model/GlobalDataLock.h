// The process-wide global data lock: it guards the current values, the value
// buffers handed between acquisition and the views, the live processing of a
// sample set and the forwarding of samples.
#pragma once

#include "platform/Sync.h"

extern platform::CriticalSection g_csData;
