// The rosette group table of the rosette settings dialog.
#include "datafiles/RosetteGroupEdit.h"

#include "datafiles/ResultColumnNames.h"
#include "model/ChannelNaming.h"
#include "model/NumberTexts.h"
#include "platform/Text.h"

#include <algorithm>
#include <utility>

namespace {

const char* const kUndefined = "未 定 义";

bool IsWindowType(int type) {
    return type == 2 || type == 3;
}

} // namespace

std::vector<std::string> RosetteAngleLabels(int kind) {
    switch (kind) {
    case 0:
        return {"0°", "90°"};
    case 1:
        return {"0°", "45°", "90°"};
    case 2:
        return {"0°", "60°", "120°"};
    case 3:
        return {"0°", "45°", "90°", "135°"};
    case 4:
        return {"0°", "60°", "90°", "120°"};
    default:
        return {};
    }
}

std::vector<int> RosetteUsedChannels(const RosetteGroupRecord& group) {
    const int gauges = RosetteGaugeCount(group.type);
    return std::vector<int>(group.Channel, group.Channel + gauges);
}

std::string RosetteAlarmItemName(int item) {
    if (item < 0 || item > 5)
        return kUndefined;
    return GetRosetteColumnName(item) + GetRosetteShortColumnName(item);
}

std::string RosetteAlarmTypeName(int type) {
    static const char* const kTypes[] = {"上限", "下限", "窗内", "窗外"};
    return type >= 0 && type < 4 ? kTypes[type] : kUndefined;
}

void CRosetteGroupEdit::SetGroups(std::vector<RosetteGroupRecord> groups) {
    if (groups.size() > std::size_t(kMaxResultGroups))
        groups.resize(kMaxResultGroups);
    m_groups = std::move(groups);
}

bool CRosetteGroupEdit::SetChannels(RosetteGroupRecord& group, int kind, const std::vector<int>& gauges) {
    const int count = RosetteGaugeCount(kind);
    if (count == 0 || int(gauges.size()) < count)
        return false;
    group.type = kind;
    for (int g = 0; g < 4; ++g)
        group.Channel[g] = g < count ? gauges[std::size_t(g)] : -1;
    return true;
}

GroupEditResult CRosetteGroupEdit::Checked() const {
    return HasChannelAcrossGroups(m_groups, RosetteUsedChannels) ? GroupEditResult::RepeatedAcross
                                                                 : GroupEditResult::Done;
}

GroupEditResult CRosetteGroupEdit::Add(int kind, const std::vector<int>& gauges) {
    if (IsFull())
        return GroupEditResult::Full;
    RosetteGroupRecord group{};
    if (!SetChannels(group, kind, gauges) || HasSameChannel(RosetteUsedChannels(group)))
        return GroupEditResult::SameChannel;
    SetGroupName(group.Name, std::to_string(Count() + 1));
    m_groups.push_back(group);
    return Checked();
}

GroupEditResult CRosetteGroupEdit::Modify(int index, int kind, const std::vector<int>& gauges) {
    if (!Has(index))
        return GroupEditResult::NoSelection;
    RosetteGroupRecord changed = m_groups[std::size_t(index)];
    if (!SetChannels(changed, kind, gauges) || HasSameChannel(RosetteUsedChannels(changed)))
        return GroupEditResult::SameChannel;
    m_groups[std::size_t(index)] = changed;
    return Checked();
}

void CRosetteGroupEdit::Delete(int index) {
    if (Has(index))
        m_groups.erase(m_groups.begin() + index);
}

void CRosetteGroupEdit::SetName(int index, const std::string& utf8) {
    if (Has(index))
        SetGroupName(m_groups[std::size_t(index)].Name, utf8);
}

void CRosetteGroupEdit::ToggleAlarm(int index) {
    if (Has(index))
        m_groups[std::size_t(index)].bAlarm = m_groups[std::size_t(index)].bAlarm ? 0 : 1;
}

void CRosetteGroupEdit::SetAlarmItem(int index, int item) {
    if (Has(index) && item >= 0 && item <= 5)
        m_groups[std::size_t(index)].AlarmItem = item;
}

void CRosetteGroupEdit::OrderWindowLimits(RosetteGroupRecord& group) {
    if (IsWindowType(group.AlarmType) && group.AlarmValUp < group.AlarmValDown)
        std::swap(group.AlarmValUp, group.AlarmValDown);
}

void CRosetteGroupEdit::SetAlarmType(int index, int type) {
    if (!Has(index) || type < 0 || type > 3)
        return;
    m_groups[std::size_t(index)].AlarmType = type;
    OrderWindowLimits(m_groups[std::size_t(index)]);
}

void CRosetteGroupEdit::SetAlarmLimit(int index, bool upper, float value) {
    if (!Has(index))
        return;
    RosetteGroupRecord& group = m_groups[std::size_t(index)];
    (upper ? group.AlarmValUp : group.AlarmValDown) = value;
    OrderWindowLimits(group);
}

bool CRosetteGroupEdit::Import(const std::vector<RosetteGroupRecord>& groups, int lastChannel) {
    for (const RosetteGroupRecord& group : groups)
        if (!ChannelsWithin(std::vector<int>(group.Channel, group.Channel + 4), lastChannel))
            return false;
    SetGroups(groups);
    return true;
}

std::vector<std::string> CRosetteGroupEdit::RowHead(int index, std::size_t columns) const {
    std::vector<std::string> row(columns);
    if (!Has(index))
        return row;
    const RosetteGroupRecord& group = m_groups[std::size_t(index)];
    row[0] = std::to_string(index + 1);
    row[1] = GroupNameText(group.Name);
    row[2] = GetRosetteTypeName(group.type);
    return row;
}

std::vector<std::string> CRosetteGroupEdit::RosetteRow(int index) const {
    std::vector<std::string> row = RowHead(index, 11);
    if (!Has(index))
        return row;
    const RosetteGroupRecord& group = m_groups[std::size_t(index)];
    const std::vector<std::string> labels = RosetteAngleLabels(group.type);
    for (std::size_t g = 0; g < labels.size(); ++g) {
        row[3 + 2 * g] = "ε" + labels[g].substr(0, labels[g].find("°"));
        row[4 + 2 * g] = FormatChannelName(group.Channel[g]);
    }
    return row;
}

std::vector<std::string> CRosetteGroupEdit::AlarmRow(int index) const {
    std::vector<std::string> row = RowHead(index, 8);
    if (!Has(index))
        return row;
    const RosetteGroupRecord& group = m_groups[std::size_t(index)];
    row[3] = group.bAlarm ? "√" : "×";
    row[4] = RosetteAlarmItemName(group.AlarmItem);
    row[5] = RosetteAlarmTypeName(group.AlarmType);
    row[6] = platform::Format("%.3f", double(group.AlarmValUp));
    row[7] = platform::Format("%.3f", double(group.AlarmValDown));
    return row;
}
