// Alarm tests of the table view.
#include "views/shared/TableAlarm.h"

#include "model/AlarmLevels.h"

#include <cstdlib>

bool IsChannelInAlarm(const TableChannelInfo& channel, float value) {
    if (!channel.bAlarm)
        return false;
    if (channel.nAlarmType == 0)
        return value >= channel.fUpper && value < kNotBalanced;
    return IsAlarmLevel(channel.nAlarmType, value, channel.fUpper, channel.fLower);
}

bool IsRosetteResultInAlarm(const RosetteGroupRecord& group, int column, const std::string& text) {
    if (text == "--" || !group.bAlarm || group.AlarmItem != column)
        return false;
    const float number = std::strtof(text.c_str(), nullptr);
    return IsAlarmLevel(group.AlarmType, number, group.AlarmValUp, group.AlarmValDown);
}
