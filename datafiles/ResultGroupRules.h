// Rules the rosette and residual-stress group tables share: group names
// kept as 19 GBK bytes, the channel checks of a new or changed group, and
// the range check of an imported parameter file.
#pragma once

#include "model/ResultGroups.h"

#include <set>
#include <string>
#include <vector>

constexpr const char* GROUP_SAME_CHANNEL = "不能选择同一通道，请重新设置！";
constexpr const char* GROUP_CHANNEL_OUT_OF_RANGE = "通道超出范围！";
constexpr const char* GROUP_DELETE_QUESTION = "是否确认删除这一行?";

// What an add or a change of a group came to.
enum class GroupEditResult {
    Done,
    Full,           // the table holds its 128 groups
    SameChannel,    // two gauges of the group on one channel: nothing changed
    RepeatedAcross, // done, but a channel serves two groups
    NoSelection,    // no group at that row
};

// The name as a record keeps it: GBK, at most 19 bytes, never half a character.
void SetGroupName(char (&name)[20], const std::string& utf8);
std::string GroupNameText(const char (&name)[20]);

// True when two of the channels are one.
bool HasSameChannel(const std::vector<int>& channels);
// True when a channel serves more than one group; `used` gives the channels a group uses.
template <class Group, class Used> bool HasChannelAcrossGroups(const std::vector<Group>& groups, Used used) {
    std::set<int> seen;
    for (const Group& group : groups) {
        const std::vector<int> channels = used(group);
        for (int channel : std::set<int>(channels.begin(), channels.end()))
            if (!seen.insert(channel).second)
                return true;
    }
    return false;
}
// True when every channel lies at or below the last channel of the range.
bool ChannelsWithin(const std::vector<int>& channels, int lastChannel);
