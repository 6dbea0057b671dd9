// Reading and writing the group parameter files.
#include "datafiles/GroupSettingsFile.h"

#include "datafiles/ResultGroupRules.h"

#include "platform/Profile.h"
#include "platform/Text.h"

#include <algorithm>
#include <cstdlib>

namespace {

int BoundedCount(int count) {
    return std::clamp(count, 0, kMaxResultGroups);
}

std::string GroupSection(int i) {
    return platform::Format("GroupCount%d", i);
}

bool IsStrainChannel(int channel, const IChannelTable& channels) {
    return channel >= 0 && channel < 4096 && channels.GetChannelParam(channel).nMeasureType == 0;
}

int ReadInt(const std::string& section, const char* key, const std::string& path) {
    return platform::GetPrivateProfileInt(section, key, 0, path);
}

float ReadFloat(const std::string& section, const char* key, const char* fallback, std::size_t size,
                const std::string& path) {
    std::string text(size, '\0');
    platform::GetPrivateProfileString(section, key, fallback, text.data(), size, path);
    return float(std::atof(text.c_str()));
}

void WriteText(const std::string& section, const char* key, const std::string& value,
               const std::string& path) {
    platform::WritePrivateProfileString(section, key, value, path);
}

void WriteInt(const std::string& section, const char* key, int value, const std::string& path) {
    WriteText(section, key, platform::Format("%d", value), path);
}

void WriteFloat(const std::string& section, const char* key, const char* format, float value,
                const std::string& path) {
    WriteText(section, key, platform::Format(format, double(value)), path);
}

bool ReadRosetteGroup(const std::string& path, int i, const IChannelTable& channels,
                      RosetteGroupRecord& group) {
    const std::string section = GroupSection(i);
    group = RosetteGroupRecord{};
    SetGroupName(group.Name, platform::GetPrivateProfileString(section, "Name", "", path));
    group.type = ReadInt(section, "type", path);
    group.bAlarm = ReadInt(section, "bAlarm", path);
    group.AlarmItem = ReadInt(section, "AlarmItem", path);
    group.AlarmType = ReadInt(section, "AlarmType", path);
    group.AlarmValUp = ReadFloat(section, "AlarmValUp", "0", 64, path);
    group.AlarmValDown = ReadFloat(section, "AlarmValDown", "0", 64, path);
    const int gauges = RosetteGaugeCount(group.type);
    if (gauges == 0 || group.AlarmItem < 0 || group.AlarmItem > 5)
        return false;
    for (int g = 0; g < 4; ++g) {
        group.Channel[g] = g < gauges ? ReadInt(section, ("Channel" + std::to_string(g)).c_str(), path) : -1;
        if (g < gauges && !IsStrainChannel(group.Channel[g], channels))
            return false;
    }
    return true;
}

bool ReadResidualGroup(const std::string& path, int i, const IChannelTable& channels,
                       ResidualStressGroupRecord& group) {
    const std::string section = GroupSection(i);
    group = ResidualStressGroupRecord{};
    SetGroupName(group.Name, platform::GetPrivateProfileString(section, "Name", "", path));
    group.type = ReadInt(section, "type", path);
    for (int g = 0; g < 3; ++g)
        group.Channel[g] = ReadInt(section, ("Channel" + std::to_string(g)).c_str(), path);
    group.ParamE0 = ReadFloat(section, "ParamE0", "0", 32, path);
    group.bABCalc = int(ReadFloat(section, "bABCalc", "0", 32, path));
    group.ParamA = ReadFloat(section, "ParamA", "1.0", 32, path);
    group.ParamB = ReadFloat(section, "ParamB", "1.0", 32, path);
    group.HoleRadius = ReadFloat(section, "HoleRadius", "0", 32, path);
    group.StrainR1 = ReadFloat(section, "StrainR1", "1.0", 32, path);
    group.StrainR2 = ReadFloat(section, "StrainR2", "1.0", 32, path);
    group.WidthB = ReadFloat(section, "WidthB", "0.5", 32, path);
    group.LengthL = ReadFloat(section, "LengthL", "1.0", 32, path);
    group.HoleS = ReadFloat(section, "HoleS", "1.5", 32, path);
    if (group.type != 1)
        return false;
    return std::all_of(std::begin(group.Channel), std::end(group.Channel),
                       [&](int channel) { return IsStrainChannel(channel, channels); });
}

} // namespace

int LoadStrainFlowerParam(const std::string& path, int* count, RosetteGroupRecord* groups,
                          const IChannelTable& channels) {
    if (!count)
        return 0;
    const int stored = BoundedCount(platform::GetPrivateProfileInt("StrainFlower", "GroupCount", 0, path));
    *count = stored;
    if (!groups)
        return 0;
    int accepted = 0;
    for (int i = 0; i < stored; ++i)
        if (ReadRosetteGroup(path, i, channels, groups[accepted]))
            ++accepted;
    *count = accepted;
    return 1;
}

int SaveStrainFlowerParam(const std::string& path, int count, const RosetteGroupRecord* groups) {
    // Every key would otherwise rewrite the whole file.
    platform::ProfileWriteDeferral deferral;
    count = BoundedCount(count);
    WriteInt("StrainFlower", "GroupCount", count, path);
    if (!groups) {
        deferral.End();
        return 0;
    }
    for (int i = 0; i < count; ++i) {
        const RosetteGroupRecord& group = groups[i];
        const std::string section = GroupSection(i);
        WriteText(section, "Name", GroupNameText(group.Name), path);
        WriteInt(section, "type", group.type, path);
        WriteInt(section, "bAlarm", group.bAlarm, path);
        WriteInt(section, "AlarmItem", group.AlarmItem, path);
        WriteInt(section, "AlarmType", group.AlarmType, path);
        WriteFloat(section, "AlarmValUp", "%.3f", group.AlarmValUp, path);
        WriteFloat(section, "AlarmValDown", "%.3f", group.AlarmValDown, path);
        WriteInt(section, "Channel0", group.Channel[0], path);
        WriteInt(section, "Channel1", group.Channel[1], path);
        if (group.type != 0)
            WriteInt(section, "Channel2", group.Channel[2], path);
        if (group.type == 3 || group.type == 4)
            WriteInt(section, "Channel3", group.Channel[3], path);
    }
    return deferral.End() ? 1 : 0;
}

int LoadRemainStressParam(const std::string& path, int* count, ResidualStressGroupRecord* groups,
                          const IChannelTable& channels) {
    if (!count)
        return 0;
    const int stored = BoundedCount(platform::GetPrivateProfileInt("RemainStress", "GroupCount", 0, path));
    *count = stored;
    if (!groups)
        return 0;
    int accepted = 0;
    for (int i = 0; i < stored; ++i)
        if (ReadResidualGroup(path, i, channels, groups[accepted]))
            ++accepted;
    *count = accepted;
    return 1;
}

int SaveRemainStressParam(const std::string& path, int count, const ResidualStressGroupRecord* groups) {
    platform::ProfileWriteDeferral deferral;
    count = BoundedCount(count);
    WriteInt("RemainStress", "GroupCount", count, path);
    if (!groups) {
        deferral.End();
        return 0;
    }
    for (int i = 0; i < count; ++i) {
        const ResidualStressGroupRecord& group = groups[i];
        const std::string section = GroupSection(i);
        WriteText(section, "Name", GroupNameText(group.Name), path);
        WriteInt(section, "type", group.type, path);
        WriteInt(section, "Channel0", group.Channel[0], path);
        WriteInt(section, "Channel1", group.Channel[1], path);
        WriteInt(section, "Channel2", group.Channel[2], path);
        WriteFloat(section, "ParamE0", "%.4f", group.ParamE0, path);
        WriteInt(section, "bABCalc", group.bABCalc, path);
        const std::pair<const char*, float> floats[] = {
            {"ParamA", group.ParamA},     {"ParamB", group.ParamB},     {"HoleRadius", group.HoleRadius},
            {"StrainR1", group.StrainR1}, {"StrainR2", group.StrainR2}, {"WidthB", group.WidthB},
            {"LengthL", group.LengthL},   {"HoleS", group.HoleS}};
        for (const auto& [key, value] : floats)
            WriteFloat(section, key, "%.4f", value, path);
    }
    return deferral.End() ? 1 : 0;
}

namespace {

template <class Record, class Loader>
std::vector<Record> ReadGroups(Loader load, const std::string& path, const IChannelTable& channels) {
    std::vector<Record> groups(kMaxResultGroups);
    int count = 0;
    if (load(path, &count, groups.data(), channels) == 0)
        count = 0;
    groups.resize(std::size_t(BoundedCount(count)));
    return groups;
}

} // namespace

std::vector<RosetteGroupRecord> ReadRosetteGroups(const std::string& path, const IChannelTable& channels) {
    return ReadGroups<RosetteGroupRecord>(LoadStrainFlowerParam, path, channels);
}

std::vector<ResidualStressGroupRecord> ReadResidualGroups(const std::string& path,
                                                          const IChannelTable& channels) {
    return ReadGroups<ResidualStressGroupRecord>(LoadRemainStressParam, path, channels);
}
