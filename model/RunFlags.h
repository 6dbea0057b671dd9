// The run flags that the sampling thread, the case links and the main frame
// write and poll, and the case-status bounds shown while a run is active.
#pragma once

#include <atomic>
#include <cstdint>

// 1 while processing of a run is wanted, and 1 while the links may be watched
// (0 during a search or a self-test); the network case driver polls both and
// defines them.
extern std::atomic<std::int32_t> g_bStopProcessing;
extern std::atomic<std::int32_t> g_bLinkWatchEnabled;
extern std::atomic<std::int32_t> g_bNewSampleData;
extern std::atomic<std::int32_t> g_bSamplePaused;
extern std::atomic<std::int32_t> g_bSampling;
extern std::atomic<std::int32_t> g_nCaseStatusMin;
extern std::atomic<std::int32_t> g_nCaseStatusMax;
// Set while a long case operation (search, start, self-test) holds the links.
extern std::atomic<std::int32_t> g_bLinkBusy;
// Set when two cases report the same case number.
extern std::atomic<std::int32_t> g_bCaseNumberConflict;

// True while a run samples or is paused: the frame then refuses to close.
inline bool IsRunActive() {
    return g_bSampling.load() != 0 || g_bSamplePaused.load() != 0;
}
