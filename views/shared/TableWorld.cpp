// Lookups of the table view's inputs.
#include "views/shared/TableWorld.h"

int TableWorld::SlotOf(int unit) const {
    for (std::size_t i = 0; i < caseList.size(); ++i)
        if (caseList[i] == unit)
            return int(i);
    return -1;
}

const TableChannelInfo& TableWorld::Channel(int channel) const {
    static const TableChannelInfo none;
    if (channel < 0 || channel >= int(channels.size()))
        return none;
    return channels[std::size_t(channel)];
}
