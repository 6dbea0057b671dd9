// Alarm types and limits, the watched-channel list and the alarm log.
#include "acquisition/AlarmEvaluation.h"

#include "SamplingFixture.h"

#include "acquisition/AlarmEvaluationLog.h"
#include "model/CaseTables.h"
#include "model/TimeTexts.h"
#include "platform/Text.h"
#include "platform/Time.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <random>
#include <sstream>

namespace {

TEST(AlarmEvaluationTest, LimitsOfEachType) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
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
        {0, nan, false},    {1, nan, false},      {2, nan, false},       {3, nan, false},
        {2, -inf, false},   {3, -inf, true},      {0, inf, true},        {1, -inf, true},
    };
    for (const Case& c : cases) {
        const AlarmRecord record{7, c.type, 1, 20.0f, 10.0f};
        EXPECT_EQ(CAlarmEvaluation::IsAlarm(record, c.value), c.alarm)
            << "type " << c.type << " value " << c.value;
    }
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::vector<std::string> SplitLines(std::string all) {
    std::vector<std::string> lines;
    for (std::size_t p = 0; (p = all.find("\r\n")) != std::string::npos;) {
        lines.push_back(all.substr(0, p));
        all.erase(0, p + 2);
    }
    return lines;
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
        return SplitLines(platform::GbkToUtf8(ReadFile(folder + "/run.xls")));
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

TEST_F(AlarmLogTest, ABatchsLinesAreInTheFileAtItsEndAndEveryLineOfARunAtTheRunsEnd) {
    alarms.BuildAlarmChannelList();
    alarms.SetLogTarget(folder, "old", false, nullptr);
    Set(50, 9.0f);
    alarms.OnAlarmCheck(values);
    alarms.SetLogTarget(folder, "run", false, nullptr);
    EXPECT_EQ(SplitLines(ReadFile(folder + "/old.xls")).size(), 2u)
        << "the log of the run before is complete";
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(alarms.CheckBatchSet(values), 1);
    alarms.WriteLog();
    EXPECT_EQ(LogLines().size(), 4u) << "the batch ended: its lines are in the file while the run goes on";
    Set(16, -6.0f);
    alarms.CheckBatchSet(values);
    alarms.CloseLog();
    auto lines = LogLines();
    ASSERT_EQ(lines.size(), 5u) << "the run ended: all its lines are in the file";
    EXPECT_NE(lines[4].find("\t9.000\t\t-6.000\t"), std::string::npos) << lines[4];

    // The next run appends after the same header; a log removed during a
    // run starts again with the header.
    alarms.SetLogTarget(folder, "run", true, nullptr);
    alarms.CheckBatchSet(values);
    alarms.WriteLog();
    EXPECT_EQ(LogLines().size(), 6u);
    std::filesystem::remove(folder + "/run.xls");
    alarms.CheckBatchSet(values);
    alarms.CloseLog();
    lines = LogLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].rfind("报警时间\t", 0), 0u);

    // A log that cannot be created loses its lines, not the evaluation.
    alarms.SetLogTarget(folder + "/missing", "run", false, nullptr);
    EXPECT_EQ(alarms.OnAlarmCheck(values), 1);
    EXPECT_TRUE(alarms.GetAlarmState());
    alarms.CloseLog();
    EXPECT_FALSE(std::filesystem::exists(folder + "/missing"));
}

// The lines as they were written with printf: "%.3f\t" of each watched
// channel's value (the last one listed for it) or "\t", after the time.
std::string PrintfLine(const std::vector<std::int32_t>& watched, const std::vector<AlarmEntry>& alarmList) {
    std::map<std::int32_t, float> alarmValue;
    for (const AlarmEntry& entry : alarmList)
        alarmValue[entry.record.nChannelId] = entry.fValue;
    std::string text;
    char cell[64];
    for (const std::int32_t id : watched) {
        const auto it = alarmValue.find(id);
        if (it != alarmValue.end()) {
            std::snprintf(cell, sizeof cell, "%.3f\t", static_cast<double>(it->second));
            text += cell;
        } else {
            text += "\t";
        }
    }
    return text;
}

TEST(AlarmLogLineTest, LinesReadAsPrintfWroteThemForEveryKindOfValue) {
    const ScratchFolder scratch;
    const std::vector<std::int32_t> watched = {50, 53, 16, 4095, 16};
    const auto entry = [](std::int32_t id, float v) { return AlarmEntry{{id, 0, 1, 0.0f, 0.0f}, v}; };
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    std::vector<std::vector<AlarmEntry>> sets = {
        {entry(50, 0.0625f), entry(53, 0.1875f), entry(16, -0.0625f), entry(4095, 2.0005f)}, // ties
        {entry(50, -0.0f), entry(53, -0.0004f), entry(16, 0.0005f), entry(4095, 1e-30f)},
        {entry(50, std::numeric_limits<float>::max()), entry(16, std::numeric_limits<float>::lowest())},
        {entry(50, inf), entry(53, -inf), entry(16, nan), entry(4095, -nan)},
        {entry(50, 8388609.0f), entry(4095, 123456.789f), entry(53, -99999.9995f)},
        {entry(16, 1.0f), entry(16, 2.0f), entry(7, 3.0f), entry(-1, 4.0f),
         entry(4096, 5.0f)}, // last one counts
        {},
    };
    // Every magnitude and bit pattern, and many values near three decimals.
    std::mt19937 random(7);
    for (int i = 0; i < 6000; ++i) {
        std::vector<AlarmEntry> set;
        for (const std::int32_t id : watched) {
            if (random() % 3 == 0)
                continue;
            const std::uint32_t bits = static_cast<std::uint32_t>(random());
            const float v = i % 2
                                ? std::bit_cast<float>(bits)
                                : static_cast<float>(static_cast<std::int32_t>(bits % 20000001) - 10000000) /
                                      (i % 4 ? 2000.0f : 16.0f);
            set.push_back(entry(id, v));
        }
        sets.push_back(set);
    }

    const std::string before = FormatOleDateTime(platform::NowOleDate());
    {
        CAlarmEvaluationLog log;
        log.SetTarget(scratch.Path(), "run", false, nullptr, watched);
        for (const auto& set : sets)
            ASSERT_TRUE(log.AddLine(watched, set));
        log.Close(watched);
    }
    const std::string after = FormatOleDateTime(platform::NowOleDate());

    const std::string bytes = ReadFile(scratch.File("run.xls"));
    const std::vector<std::string> lines = SplitLines(bytes);
    ASSERT_EQ(lines.size(), sets.size() + 1);
    EXPECT_EQ(lines[0],
              platform::Utf8ToGbk("报警时间\t 01-04-03\t 01-04-06\t 01-02-01\t 32-08-16\t 01-02-01\t"));
    for (std::size_t i = 0; i < sets.size(); ++i) {
        const std::string& line = lines[i + 1];
        const std::size_t tab = line.find('\t');
        ASSERT_NE(tab, std::string::npos);
        const double time = ParseOleDateTime(line.substr(0, tab)).dDate;
        ASSERT_TRUE(time >= ParseOleDateTime(before).dDate && time <= ParseOleDateTime(after).dDate)
            << line.substr(0, tab) << " not within " << before << " .. " << after;
        ASSERT_EQ(line.substr(tab + 1), PrintfLine(watched, sets[i])) << "line " << i + 1;
    }
}

} // namespace
