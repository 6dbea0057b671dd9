// Channel tables of the conversion benchmarks: every unit online and every
// measure type in use, in the same pattern over each unit's 16 channels.
#pragma once

#include "model/CaseTables.h"
#include "model/ChannelDefaults.h"
#include "model/ValueConversion.h"

#include <cstdint>

// All units online; each channel takes its type's defaults and scale.
inline void SetUpMixedChannels() {
    ResetChannelRecords();
    std::int32_t online[MAX_CASE_COUNT] = {};
    for (int u = 0; u < MAX_CHANNEL_CASE_COUNT; ++u)
        online[u] = 1;
    BuildCaseTablesFromOnlineFlags(online);
    const int types[] = {0, 0, 0, 0, 0, 1, 5, 6, 2, 3, 4, 20, 0, 0, 0, 0};
    for (int id = 0; id < MAX_CHANNEL_COUNT; ++id) {
        const int type = types[id % 16];
        g_ChannelParams[id].nMeasureType = type;
        ApplyMeasureTypeDefaults(type, id);
        UpdateChannelScale(id);
    }
}
