// The rows of the test-alarm window without its window: one row of texts
// for each channel in alarm, and the width of its columns.
#pragma once

#include "acquisition/AlarmEvaluation.h"

#include <string>

struct TestAlarmRow {
    std::string strName;  // the channel name, "(" alarm type ")" for types 0-3
    std::string strValue; // three decimals at most, no trailing zeros
    std::string strUnit;
};

TestAlarmRow MakeTestAlarmRow(const AlarmEntry& entry);
// "超限报警", "低限报警", "窗内报警", "窗外报警"; empty for another type.
std::string GetAlarmTypeName(int type);
// Width of each of count columns in twips for a client width in pixels.
int TestAlarmColumnWidth(int clientWidth, int count);
