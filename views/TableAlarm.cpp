// Alarm tests of the table view.
#include "views/TableAlarm.h"

#include <cstdlib>

namespace {

bool InAlarmByType(int type, float value, float upper, float lower) {
    switch (type) {
    case 1:
        return value < lower;
    case 2:
        return lower <= value && value < upper;
    case 3:
        return value < lower || value >= upper;
    default:
        return false;
    }
}

} // namespace

bool IsChannelInAlarm(const TableChannelInfo& channel, float value) {
    if (!channel.bAlarm)
        return false;
    if (channel.nAlarmType == 0)
        return value >= channel.fUpper && value < kNotBalanced;
    return InAlarmByType(channel.nAlarmType, value, channel.fUpper, channel.fLower);
}

bool IsRosetteResultInAlarm(const RosetteGroupRecord& group, int column, const std::string& text) {
    if (text == "--" || !group.bAlarm || group.AlarmItem != column)
        return false;
    const float number = std::strtof(text.c_str(), nullptr);
    if (group.AlarmType == 0)
        return number >= group.AlarmValUp;
    return InAlarmByType(group.AlarmType, number, group.AlarmValUp, group.AlarmValDown);
}
