// Alarm tests of channel values and rosette results.
#include "views/shared/TableAlarm.h"

#include <gtest/gtest.h>

namespace {

TEST(TableAlarm, ChannelValueAgainstItsAlarmRecord) {
    const struct {
        bool on;
        int type;
        float value;
        bool alarm;
    } cases[] = {
        {false, 0, 100.0f, false},      {true, 0, 10.0f, true},       {true, 0, 9.99f, false},
        {true, 0, kNotBalanced, false}, {true, 0, 8388610.0f, false}, {true, 1, -5.01f, true},
        {true, 1, -5.0f, false},        {true, 1, kNoValue, true},    {true, 2, -5.0f, true},
        {true, 2, 10.0f, false},        {true, 3, 10.0f, true},       {true, 3, -5.01f, true},
        {true, 3, 0.0f, false},         {true, 7, 1000.0f, false},
    };
    for (const auto& c : cases) {
        TableChannelInfo channel;
        channel.bAlarm = c.on;
        channel.nAlarmType = c.type;
        channel.fUpper = 10.0f;
        channel.fLower = -5.0f;
        EXPECT_EQ(IsChannelInAlarm(channel, c.value), c.alarm) << c.type << " " << c.value;
    }
}

TEST(TableAlarm, RosetteResultAgainstItsGroup) {
    RosetteGroupRecord group{};
    group.bAlarm = 1;
    group.AlarmItem = 2;
    group.AlarmValUp = 100.0f;
    group.AlarmValDown = -100.0f;
    const struct {
        int type, column;
        const char* text;
        bool alarm;
    } cases[] = {
        {0, 2, "100.0", true},  {0, 2, "99.9", false}, {0, 3, "500", false}, {0, 2, "--", false},
        {1, 2, "-100.1", true}, {2, 2, "0", true},     {3, 2, "0", false},   {3, 2, "100", true},
    };
    for (const auto& c : cases) {
        group.AlarmType = c.type;
        EXPECT_EQ(IsRosetteResultInAlarm(group, c.column, c.text), c.alarm) << c.type << " " << c.text;
    }
    group.bAlarm = 0;
    EXPECT_FALSE(IsRosetteResultInAlarm(group, 2, "1000"));
}

} // namespace
