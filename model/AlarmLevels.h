// Whether a value stands in alarm under an alarm type and its limits, the
// one rule the run's alarm check and the table's colouring share.
#pragma once

// 0 at or over the upper limit, 1 under the lower, 2 inside [lower, upper),
// 3 outside it; never for another type or a value not a number.
inline bool IsAlarmLevel(int type, float value, float upper, float lower) {
    switch (type) {
    case 0:
        return value >= upper;
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
