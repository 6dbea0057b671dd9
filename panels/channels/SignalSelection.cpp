// Offered and chosen channels of the channel choice.
#include "panels/channels/SignalSelection.h"

#include "model/CaseTables.h"
#include "model/ChannelNaming.h"
#include "model/ChannelRecords.h"

#include <algorithm>
#include <bitset>

std::vector<int> AvailableSignalChannels(const std::vector<int>& chosen) {
    std::bitset<MAX_CHANNEL_COUNT> marked;
    for (const int channel : chosen) {
        if (IsValidChannelId(channel))
            marked.set(channel);
    }
    std::vector<int> available;
    const int count = std::clamp<int>(g_nChannelCount, 0, MAX_CHANNEL_COUNT);
    for (int i = 0; i < count; ++i) {
        const int channel = g_ChannelList[i];
        if (IsValidChannelId(channel) && !marked.test(channel) && g_ChannelParams[channel].bShown != 0 &&
            g_ChannelState[channel].bPresent != 0)
            available.push_back(channel);
    }
    return available;
}

std::vector<int> ChosenSignalChannels(const std::vector<std::string>& names) {
    std::bitset<MAX_CHANNEL_COUNT> marked;
    for (const std::string& name : names) {
        const int channel = ParseChannelName(name);
        if (IsValidChannelId(channel))
            marked.set(channel);
    }
    std::vector<int> channels;
    for (int channel = 0; channel < MAX_CHANNEL_COUNT && channels.size() < kMaxChosenSignals; ++channel) {
        if (marked.test(channel))
            channels.push_back(channel);
    }
    return channels;
}
