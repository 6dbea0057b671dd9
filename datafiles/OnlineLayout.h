// What the data files need of the online list: the units in frame order,
// their slots, the channel positions and the storage arrangement of a run.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

struct OnlineLayout {
    static std::array<int, 256> NoSlots() {
        std::array<int, 256> unitSlots;
        unitSlots.fill(-1);
        return unitSlots;
    }

    int nCaseCount = 0;
    std::vector<int> caseList;                 // unit numbers in frame order
    std::array<int, 256> caseSlot = NoSlots(); // unit number -> slot, -1 offline
    std::vector<int> channelList;              // online channel numbers in frame order
    std::vector<int> channelPos;               // channel number -> slot * 16 + channel, -1 offline
    bool bPerCaseFiles = false;                // one file pair per unit
    int nDigitalChanCount = 0;

    // All sixteen channels of each unit are online.
    static OnlineLayout FromUnits(const std::vector<int>& units, bool perCaseFiles);

    std::int64_t FrameSize() const { return std::int64_t(nCaseCount) * 68; }
    // Slot of the unit of a channel, -1 when the channel is not online.
    int SlotOfChannel(int channel) const;
    // Index of the channel in channelList, -1 when absent.
    int IndexInChannelList(int channel) const;
};
