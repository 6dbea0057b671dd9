// Rosette and residual-stress parameter files: keys, formats, accepted and
// dropped groups, and the bounds applied before a group indexes a table.
#include "RunWriter.h"
#include "datafiles/GroupSettingsFile.h"
#include "platform/Profile.h"
#include "platform/Text.h"

#include <cstring>
#include <gtest/gtest.h>

using namespace testrun;

namespace {

RosetteGroupRecord Rosette(const char* name, int kind, std::initializer_list<int> channels,
                           int alarmItem = 0) {
    RosetteGroupRecord group{};
    std::strncpy(group.Name, name, 19);
    group.type = kind;
    std::fill(std::begin(group.Channel), std::end(group.Channel), -1);
    std::copy(channels.begin(), channels.end(), group.Channel);
    group.AlarmItem = alarmItem;
    group.AlarmValUp = 12.34567f;
    group.AlarmValDown = -1.5f;
    return group;
}

std::string FileText(const std::string& path) {
    const std::vector<char> bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

} // namespace

TEST(GroupSettings, RosetteGroupsRoundTripAndDrops) {
    TempDir dir;
    const std::string path = dir.Path() + "/beam.sfc";
    HalfChannelTable table;
    table.params[40].nMeasureType = 2; // a thermocouple
    const RosetteGroupRecord written[] = {
        Rosette("fan", 4, {1, 2, 3, 4}, 5),
        Rosette("pair", 0, {5, 6, 40}), // the thermocouple is not a gauge of kind 0
        Rosette("bad kind", 5, {1, 2, 3}),
        Rosette("bad item", 1, {1, 2, 3}, 6),
        Rosette("hot gauge", 1, {1, 40, 3}),
        Rosette("far gauge", 1, {1, 99999, 3}),
    };
    ASSERT_EQ(SaveStrainFlowerParam(path, 6, written), 1);
    const std::string text = FileText(path);
    EXPECT_NE(text.find("AlarmValUp=12.346\r\n"), std::string::npos);
    EXPECT_NE(
        text.find("[GroupCount1]\r\nName=pair\r\ntype=0\r\nbAlarm=0\r\nAlarmItem=0\r\nAlarmType=0\r\n"
                  "AlarmValUp=12.346\r\nAlarmValDown=-1.500\r\nChannel0=5\r\nChannel1=6\r\n[GroupCount2]"),
        std::string::npos);

    RosetteGroupRecord read[kMaxResultGroups];
    int count = 0;
    ASSERT_EQ(LoadStrainFlowerParam(path, &count, read, table), 1);
    ASSERT_EQ(count, 2);
    EXPECT_STREQ(read[0].Name, "fan");
    EXPECT_EQ(read[0].Channel[3], 4);
    EXPECT_EQ(read[0].AlarmItem, 5);
    EXPECT_FLOAT_EQ(read[0].AlarmValUp, 12.346f);
    EXPECT_EQ(read[1].Channel[2], -1);
    EXPECT_EQ(LoadStrainFlowerParam(path, &count, nullptr, table), 0);
    EXPECT_EQ(count, 6);

    // Rewritten as kind 0: the old gauge keys stay in the file, unread.
    RosetteGroupRecord narrowed = written[0];
    narrowed.type = 0;
    ASSERT_EQ(SaveStrainFlowerParam(path, 1, &narrowed), 1);
    EXPECT_NE(FileText(path).find("Channel3=4"), std::string::npos);
    ASSERT_EQ(LoadStrainFlowerParam(path, &count, read, table), 1);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(read[0].Channel[2], -1);
    EXPECT_EQ(read[0].Channel[3], -1);
}

TEST(GroupSettings, CountsAreBounded) {
    TempDir dir;
    const std::string path = dir.Path() + "/x.sfc";
    HalfChannelTable table;
    RosetteGroupRecord read[kMaxResultGroups];
    int count = -1;
    ASSERT_EQ(LoadStrainFlowerParam(dir.Path() + "/missing.sfc", &count, read, table), 1);
    EXPECT_EQ(count, 0);
    for (const char* stored : {"100000", "-3"}) {
        // 130 valid groups behind the stored count.
        std::string text = std::string("[StrainFlower]\r\nGroupCount=") + stored + "\r\n";
        for (int i = 0; i < 130; ++i)
            text += "[GroupCount" + std::to_string(i) + "]\r\ntype=0\r\nChannel1=1\r\n";
        const std::string file = dir.Path() + "/count" + stored + ".sfc";
        std::FILE* f = std::fopen(file.c_str(), "wb");
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
        ASSERT_EQ(LoadStrainFlowerParam(file, &count, read, table), 1);
        EXPECT_EQ(count, stored[0] == '-' ? 0 : kMaxResultGroups);
    }
    ASSERT_EQ(SaveStrainFlowerParam(path, 5000, nullptr), 0);
    EXPECT_EQ(platform::GetPrivateProfileInt("StrainFlower", "GroupCount", 0, path), kMaxResultGroups);
}

TEST(GroupSettings, ResidualStressGroups) {
    TempDir dir;
    const std::string path = dir.Path() + "/weld.rsc";
    HalfChannelTable table;
    ResidualStressGroupRecord groups[3] = {};
    for (int i = 0; i < 3; ++i) {
        groups[i].type = i == 1 ? 1 : 2 * i; // 0, 1, 2: only kind 1 stays
        groups[i].Channel[0] = 1, groups[i].Channel[1] = 2, groups[i].Channel[2] = 3;
        groups[i].HoleRadius = 1.5f;
        groups[i].ParamA = -0.1f;
        groups[i].ParamB = -0.2f;
    }
    const std::string name = platform::Utf8ToGbk("焊缝一"); // records hold GBK
    std::memcpy(groups[1].Name, name.data(), name.size());
    ASSERT_EQ(SaveRemainStressParam(path, 3, groups), 1);
    EXPECT_NE(FileText(path).find("HoleRadius=1.5000\r\n"), std::string::npos);
    ResidualStressGroupRecord read[kMaxResultGroups];
    int count = 0;
    ASSERT_EQ(LoadRemainStressParam(path, &count, read, table), 1);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(std::string(read[0].Name), name);
    EXPECT_NE(FileText(path).find("Name=" + name + "\r\n"), std::string::npos);
    EXPECT_FLOAT_EQ(read[0].ParamB, -0.2f);
    EXPECT_EQ(read[0].Channel[2], 3);

    // Keys that are missing take their defaults.
    platform::WritePrivateProfileString("RemainStress", "GroupCount", "1", path);
    platform::DeletePrivateProfileKey("GroupCount0", "WidthB", path);
    platform::DeletePrivateProfileKey("GroupCount0", "HoleS", path);
    platform::WritePrivateProfileString("GroupCount0", "type", "1", path);
    ASSERT_EQ(LoadRemainStressParam(path, &count, read, table), 1);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(read[0].WidthB, 0.5f);
    EXPECT_EQ(read[0].HoleS, 1.5f);
}
