// The global data lock's one instance.
#include "model/GlobalDataLock.h"

platform::CriticalSection g_csData; // guards the current values, view buffers, live processing and forwarding
