// Tick columns and copy and paste of channel parameters.
#include "panels/bars/ChannelRowRules.h"

#include <unordered_set>

#include "model/ChannelRecords.h"
#include "panels/bars/ChannelBarPages.h"

namespace {
constexpr const char* TICK_ON = "√";
constexpr const char* TICK_OFF = "×";
} // namespace

std::string ToggleTick(int pageId, int column, const std::string& clickedText,
                       const std::vector<int>& channels) {
    const bool overview = pageId == PAGE_OVERVIEW && column == 3;
    const bool alarm = pageId == PAGE_ALARM && column == 1;
    if (!overview && !alarm) {
        return "";
    }
    const std::int32_t value = clickedText == TICK_ON ? 0 : 1;
    for (int channel : channels) {
        if (!IsValidChannelId(channel)) {
            continue;
        }
        if (overview) {
            g_ChannelParams[channel].bShown = value;
        } else {
            g_ChannelParams[channel].bAlarmEnabled = value;
            g_AlarmTable[channel].bEnabled = value;
        }
    }
    return value != 0 ? TICK_ON : TICK_OFF;
}

std::string CheckCopySelection(std::size_t selectedRows) {
    if (selectedRows == 1) {
        return "";
    }
    return selectedRows > 1 ? MSG_TOO_MANY_ROWS : MSG_SELECT_ROW_TO_COPY;
}

std::vector<std::int32_t> PasteChannelParams(int pageId, int source, const std::vector<int>& targets) {
    std::vector<std::int32_t> changed;
    if (!IsValidChannelId(source)) {
        return changed;
    }
    // Copies of the source, so pasting onto the source itself changes nothing.
    const ChannelParamRecord param = g_ChannelParams[source];
    const ChannelStateRecord state = g_ChannelState[source];
    const AlarmRecord alarm = g_AlarmTable[source];
    std::unordered_set<int> seen;
    for (int target : targets) {
        if (!IsValidChannelId(target)) {
            continue;
        }
        g_ChannelParams[target] = param;
        g_ChannelParams[target].nChannelId = target;
        // Whether the target's case is online is not a parameter.
        const std::int32_t present = g_ChannelState[target].bPresent;
        g_ChannelState[target] = state;
        g_ChannelState[target].bPresent = present;
        if (g_ChannelState[target].nCompChannel == target) {
            g_ChannelState[target].nCompChannel = -1;
        }
        if (pageId == PAGE_ALARM) {
            g_AlarmTable[target] = alarm;
            g_AlarmTable[target].nChannelId = target;
        }
        if (seen.insert(target).second) {
            changed.push_back(target);
        }
    }
    return changed;
}
