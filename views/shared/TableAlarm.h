// Alarm tests of the table view (also meant for the bar view): a channel's
// value against its alarm record, and a rosette result against its group.
#pragma once

#include "model/ResultGroups.h"
#include "views/shared/TableWorld.h"

#include <string>

bool IsChannelInAlarm(const TableChannelInfo& channel, float value);
// column: the result entry 0..5; text: the cell's text ("--" never alarms).
bool IsRosetteResultInAlarm(const RosetteGroupRecord& group, int column, const std::string& text);
