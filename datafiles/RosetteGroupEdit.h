// The rosette group table the rosette settings dialog edits: adding,
// changing and deleting groups with their channel checks, names, the alarm
// settings with ordered window limits, an import checked against the channel
// range, and the texts of both lists' rows.
#pragma once

#include "datafiles/ResultGroupRules.h"

#include <string>
#include <vector>

constexpr const char* ROSETTE_GROUPS_FULL = "应变花组数设置已达到最大值！";
constexpr const char* ROSETTE_CHANNEL_REPEATED = "应变花使用通道有重复设置！";

// Angle labels of the gauges a kind uses ("0°", "45°", ...).
std::vector<std::string> RosetteAngleLabels(int kind);
// The channels of a group its kind uses.
std::vector<int> RosetteUsedChannels(const RosetteGroupRecord& group);
// Alarm items (the result names) and alarm types as the lists show them.
std::string RosetteAlarmItemName(int item);
std::string RosetteAlarmTypeName(int type);

class CRosetteGroupEdit {
public:
    const std::vector<RosetteGroupRecord>& Groups() const { return m_groups; }
    int Count() const { return static_cast<int>(m_groups.size()); }
    bool IsFull() const { return Count() >= kMaxResultGroups; }
    void SetGroups(std::vector<RosetteGroupRecord> groups);

    // gauges: the channels of the gauges the kind uses, in order.
    GroupEditResult Add(int kind, const std::vector<int>& gauges);
    GroupEditResult Modify(int index, int kind, const std::vector<int>& gauges);
    void Delete(int index);
    void SetName(int index, const std::string& utf8);

    void ToggleAlarm(int index);
    void SetAlarmItem(int index, int item);
    // A window type (2, 3) keeps the upper limit at or above the lower one.
    void SetAlarmType(int index, int type);
    void SetAlarmLimit(int index, bool upper, float value);

    // Takes imported groups unless one of their four channels lies above the
    // last channel; false leaves the table as it was.
    bool Import(const std::vector<RosetteGroupRecord>& groups, int lastChannel);

    // Texts of a row of the rosette list (11 columns) and the alarm list (8).
    std::vector<std::string> RosetteRow(int index) const;
    std::vector<std::string> AlarmRow(int index) const;

private:
    bool Has(int index) const { return index >= 0 && index < Count(); }
    static bool SetChannels(RosetteGroupRecord& group, int kind, const std::vector<int>& gauges);
    GroupEditResult Checked() const;
    // Number, name and kind: the first three columns of both lists.
    std::vector<std::string> RowHead(int index, std::size_t columns) const;
    void OrderWindowLimits(RosetteGroupRecord& group);

    std::vector<RosetteGroupRecord> m_groups;
};
