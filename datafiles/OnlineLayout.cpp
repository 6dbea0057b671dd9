// Builds the online list of a run from its units.
#include "datafiles/OnlineLayout.h"

#include <algorithm>

OnlineLayout OnlineLayout::FromUnits(const std::vector<int>& units, bool perCaseFiles) {
    OnlineLayout layout;
    layout.caseSlot.fill(-1);
    layout.channelPos.assign(4096, -1);
    for (int unit : units) {
        if (unit < 0 || unit >= 256 || layout.caseSlot[unit] >= 0)
            continue;
        const int slot = int(layout.caseList.size());
        layout.caseSlot[unit] = slot;
        layout.caseList.push_back(unit);
        for (int ch = 0; ch < 16; ++ch) {
            layout.channelList.push_back(unit * 16 + ch);
            layout.channelPos[unit * 16 + ch] = slot * 16 + ch;
        }
    }
    layout.nCaseCount = int(layout.caseList.size());
    layout.bPerCaseFiles = perCaseFiles;
    return layout;
}

int OnlineLayout::SlotOfChannel(int channel) const {
    if (channel < 0 || channel >= 4096)
        return -1;
    const int slot = caseSlot[channel / 16];
    return slot >= 0 && slot < nCaseCount ? slot : -1;
}

int OnlineLayout::IndexInChannelList(int channel) const {
    const auto it = std::find(channelList.begin(), channelList.end(), channel);
    return it == channelList.end() ? -1 : int(it - channelList.begin());
}
