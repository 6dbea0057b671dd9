// The process-wide case and channel tables that fix the order of the units in
// every sample frame and translate between channel id, frame position and
// measured-channel index. Rebuilt only while no run is active, so readers on
// every thread take no lock.
#pragma once

#include <cstdint>
#include <string>

#include "model/ChannelRecords.h"

constexpr int MAX_CASE_COUNT = 512;
// Frames always carry 16 channels a unit, whatever the case version.
constexpr int CHANNELS_PER_MODULE = 16;
// Units that can carry channel ids 0..4095.
constexpr int MAX_CHANNEL_CASE_COUNT = MAX_CHANNEL_COUNT / CHANNELS_PER_MODULE;

extern std::int32_t g_nCaseCount;                      // frame slots (online cases)
extern std::int32_t g_CaseList[MAX_CASE_COUNT];        // slot -> case number
extern std::int32_t g_CaseSlot[MAX_CASE_COUNT];        // case number -> slot
extern std::int32_t g_nChannelCount;                   // channels in the frame
extern std::int32_t g_ChannelList[MAX_CHANNEL_COUNT];  // frame index -> channel id
extern std::int32_t g_ChannelPos[MAX_CHANNEL_COUNT];   // channel id -> frame index
extern std::int32_t g_nMeasChanCount;                  // channels chosen for measurement
extern std::int32_t g_MeasChanList[MAX_CHANNEL_COUNT]; // measured index -> channel id
extern std::int32_t g_MeasChanPos[MAX_CHANNEL_COUNT];  // channel id -> measured index
extern std::int32_t g_nPriCaseVersion;                 // case version of the project
extern std::int32_t g_nChansPerCase;                   // 32 for case version 4, else 16

int GetChannelsPerModule();
// Sets g_nChansPerCase from a case version (32 for version 4, else 16).
void SetChannelsPerModule(int version);

// Rebuilds the case and channel tables from the transport's 512 per-case
// online words after a case search, and marks the channels of the online
// cases present. Cases numbered 256 and above cannot carry channel ids and are
// left out; the result is how many online flags were left out that way.
int BuildCaseTablesFromOnlineFlags(const std::int32_t online[MAX_CASE_COUNT]);

// Rebuilds the case and channel tables from section "ChannelParam" of a
// project file. 1 on success; 0 for an older-form file without channels or
// with a negative channel id, for counts, case numbers or channel ids that do
// not fit the tables, and for a case named in two slots (those are refused
// before the case tables are written).
int LoadCaseTablesFromProjectFile(const std::string& path);

// Rebuilds the measured-channel list: the frame's channels whose parameter
// record is shown and whose state record is present, in frame order.
void BuildMeasuredChannelList();

// Calls f(id, unit, channel) for the 16 channels of every online unit that
// can carry channel ids.
template <typename F> void ForOnlineChannels(F f) {
    for (int slot = 0; slot < g_nCaseCount && slot < MAX_CASE_COUNT; ++slot) {
        const int unit = g_CaseList[slot];
        if (unit < 0 || unit >= MAX_CHANNEL_CASE_COUNT)
            continue;
        for (int c = 0; c < CHANNELS_PER_MODULE; ++c)
            f(unit * CHANNELS_PER_MODULE + c, unit, c);
    }
}

// Puts every table to its program-start state (all zero, 32 channels a case).
void ResetCaseTables();

// One controller (a case) as the controller table lists it.
struct ControllerRecord {
    char szAddress[16] = {};
    std::int32_t nController = 0;
    std::int32_t nCases = 0;
    std::int32_t nCaseNo[8] = {};
};
