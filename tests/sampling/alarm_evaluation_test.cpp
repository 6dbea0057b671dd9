// Alarm types and limits, the watched-channel list and the alarm log.
#include "acquisition/AlarmEvaluation.h"

#include "SamplingFixture.h"

#include "app/CaseTables.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

TEST(AlarmEvaluationTest, LimitsOfEachType) {
    struct Case {
        int type;
        float value;
        bool alarm;
    };
    // Lower limit 10, upper limit 20.
    const Case cases[] = {
        {0, 20.0f, true},   {0, 19.9f, false},    {1, 10.0f, false},     {1, 9.9f, true},
        {2, 10.0f, true},   {2, 19.9f, true},     {2, 20.0f, false},     {2, 9.9f, false},
        {3, 9.9f, true},    {3, 20.0f, true},     {3, 10.0f, false},     {3, 15.0f, false},
        {4, 100.0f, false}, {-1, -100.0f, false}, {0, 8388609.0f, true}, // markers compare like any number
    };
    for (const Case& c : cases) {
        const AlarmRecord record{7, c.type, 1, 20.0f, 10.0f};
        EXPECT_EQ(CAlarmEvaluation::IsAlarm(record, c.value), c.alarm)
            << "type " << c.type << " value " << c.value;
    }
}

class AlarmLogTest : public ::testing::Test {
protected:
    ScratchFolder scratch;
    std::string folder = scratch.Path();
    CAlarmEvaluation alarms;
    float values[MAX_CHANNEL_COUNT] = {};

    void SetUp() override {
        ResetCaseTables();
        ClearChannelRecords();
        // Two units online, unit 3 in slot 0 and unit 1 in slot 1.
        const std::int32_t online[] = {1, 3};
        g_nCaseCount = 2;
        g_CaseList[0] = 3;
        g_CaseList[1] = 1;
        g_CaseSlot[3] = 0;
        g_CaseSlot[1] = 1;
        g_nChannelCount = 32;
        for (int i = 0; i < 32; ++i) {
            const int id = (i < 16 ? 3 : 1) * 16 + i % 16;
            g_ChannelList[i] = id;
            g_ChannelState[id].bPresent = 1;
        }
        (void)online;
        Watch(3 * 16 + 2, 0, 5.0f, 0.0f);
        Watch(1 * 16 + 0, 1, 0.0f, -5.0f);
        Watch(3 * 16 + 5, 3, 5.0f, -5.0f);
        g_AlarmTable[1 * 16 + 4] = {20, 0, 0, 1.0f, 0.0f}; // alarm off
    }
    void TearDown() override {
        ResetCaseTables();
        ClearChannelRecords();
    }
    static void Watch(int id, int type, float upper, float lower) {
        g_AlarmTable[id] = {id, type, 1, upper, lower};
    }
    void Set(int id, float v) { values[g_CaseSlot[id / 16] * 16 + id % 16] = v; }
    std::vector<std::string> LogLines() {
        std::ifstream file(folder + "/run.xls", std::ios::binary);
        std::stringstream text;
        text << file.rdbuf();
        std::vector<std::string> lines;
        std::string all = platform::GbkToUtf8(text.str());
        for (std::size_t p = 0; (p = all.find("\r\n")) != std::string::npos;) {
            lines.push_back(all.substr(0, p));
            all.erase(0, p + 2);
        }
        return lines;
    }
};

TEST_F(AlarmLogTest, WatchedListFollowsTheOnlineOrderAndTheLogHasOneLinePerAlarmSet) {
    ASSERT_EQ(alarms.BuildAlarmChannelList(), 3);
    EXPECT_EQ(alarms.GetWatchedChannels(), (std::vector<std::int32_t>{50, 53, 16}));
    alarms.SetLogTarget(folder, "run", false, nullptr);

    Set(50, 5.0f);  // over: alarm
    Set(53, 0.0f);  // inside the outer window: none
    Set(16, -6.0f); // under: alarm
    EXPECT_EQ(alarms.OnAlarmCheck(values), 1);
    ASSERT_EQ(alarms.GetAlarmList().size(), 2u);
    EXPECT_EQ(alarms.GetAlarmList()[0].record.nChannelId, 50);
    EXPECT_FLOAT_EQ(alarms.GetAlarmList()[1].fValue, -6.0f);
    EXPECT_TRUE(alarms.GetAlarmState());

    Set(50, 0.0f);
    Set(16, 0.0f);
    EXPECT_EQ(alarms.OnAlarmCheck(values), 1);
    EXPECT_FALSE(alarms.GetAlarmState());
    Set(53, 7.5f);
    alarms.OnAlarmCheck(values);

    const auto lines = LogLines();
    ASSERT_EQ(lines.size(), 3u) << "a header and one line per set in alarm, none for the quiet set";
    EXPECT_EQ(lines[0], "报警时间\t 01-04-03\t 01-04-06\t 01-02-01\t");
    EXPECT_NE(lines[1].find("\t5.000\t\t-6.000\t"), std::string::npos) << lines[1];
    EXPECT_NE(lines[2].find("\t\t7.500\t\t"), std::string::npos) << lines[2];
    EXPECT_EQ(lines[1].find("报警"), std::string::npos);
}

TEST_F(AlarmLogTest, AFreshRunStartsTheLogAnewAndAnAppendingRunKeepsIt) {
    alarms.BuildAlarmChannelList();
    Set(50, 9.0f);
    alarms.SetLogTarget(folder, "run", false, nullptr);
    alarms.OnAlarmCheck(values);
    alarms.SetLogTarget(folder, "run", true, nullptr);
    alarms.OnAlarmCheck(values);
    EXPECT_EQ(LogLines().size(), 3u);
    alarms.SetLogTarget(folder, "run", false, nullptr);
    alarms.OnAlarmCheck(values);
    EXPECT_EQ(LogLines().size(), 2u);
}

TEST_F(AlarmLogTest, NoWatchedChannelKeepsTheOldListAndWritesNothing) {
    alarms.BuildAlarmChannelList();
    Set(50, 9.0f);
    alarms.OnAlarmCheck(values); // no log target: no file, the list holds the alarm
    for (int id : {50, 53, 16})
        g_AlarmTable[id].bEnabled = 0;
    EXPECT_EQ(alarms.BuildAlarmChannelList(), 0);
    alarms.SetLogTarget(folder, "run", false, nullptr);
    EXPECT_EQ(alarms.OnAlarmCheck(values), 1);
    EXPECT_FALSE(alarms.GetAlarmState());
    EXPECT_EQ(alarms.GetAlarmList().size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(folder + "/run.xls"));
    EXPECT_EQ(alarms.OnAlarmCheck(nullptr), 0);
}

} // namespace
