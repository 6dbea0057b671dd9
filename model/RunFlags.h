// The run flags that the sampling thread, the case links and the main frame
// write and poll, and the case-status bounds shown while a run is active.
#pragma once

#include <atomic>
#include <cstdint>

#include "acquisition/NetCaseDriver.h"

// g_bStopProcessing (1 while processing of a run is wanted) lives with the
// network case driver, which polls it.
extern std::atomic<std::int32_t> g_bNewSampleData;
extern std::atomic<std::int32_t> g_bSamplePaused;
extern std::atomic<std::int32_t> g_bSampling;
extern std::atomic<std::int32_t> g_nCaseStatusMin;
extern std::atomic<std::int32_t> g_nCaseStatusMax;
// Set when two cases report the same case number.
extern std::atomic<std::int32_t> g_bCaseNumberConflict;

// True while a run samples or is paused: the frame then refuses to close.
inline bool IsRunActive() {
    return g_bSampling.load() != 0 || g_bSamplePaused.load() != 0;
}
