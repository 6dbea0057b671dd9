// Storage of the process-wide run flags.
#include "model/RunFlags.h"

std::atomic<std::int32_t> g_bNewSampleData{0};
std::atomic<std::int32_t> g_bSamplePaused{0};
std::atomic<std::int32_t> g_bSampling{0};
std::atomic<std::int32_t> g_nCaseStatusMin{1};
std::atomic<std::int32_t> g_nCaseStatusMax{1};
std::atomic<std::int32_t> g_bCaseNumberConflict{0};
