// Rows and column widths of the test-alarm window.
#include "panels/alarms/TestAlarmRows.h"

#include "model/ChannelNaming.h"
#include "model/NumberTexts.h"
#include "panels/bars/ChannelBarPages.h"

#include <algorithm>

std::string GetAlarmTypeName(int type) {
    static const char* const kNames[] = {"超限报警", "低限报警", "窗内报警", "窗外报警"};
    return type >= 0 && type < 4 ? kNames[type] : std::string();
}

TestAlarmRow MakeTestAlarmRow(const AlarmEntry& entry) {
    TestAlarmRow row;
    const int channel = entry.record.nChannelId;
    row.strName = FormatChannelName(channel);
    const std::string type = GetAlarmTypeName(entry.record.nAlarmType);
    if (!type.empty())
        row.strName += "(" + type + ")";
    row.strValue = FormatValueDecimals(entry.fValue, 3);
    row.strUnit = IsValidChannelId(channel) ? GetUnitText(channel) : std::string();
    return row;
}

int TestAlarmColumnWidth(int clientWidth, int count) {
    if (count <= 0)
        return 1200;
    return std::max(1200, static_cast<int>(clientWidth * 14.6 / count - 20));
}
