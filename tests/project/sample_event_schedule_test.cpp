// The event-sampling schedule: which trigger times an event may take, and
// the settings file byte for byte.
#include <gtest/gtest.h>

#include "model/ChannelModelTestSupport.h"
#include "platform/Profile.h"
#include "project/SampleEventSchedule.h"

#include <fstream>
#include <sstream>

namespace {

double At(const char* text) {
    double date = 0.0;
    EXPECT_TRUE(ParseEventTime(text, date)) << text;
    return date;
}

SampleEvent Event(const char* time, int interval, int type, int count) {
    SampleEvent e;
    e.dTriggerTime = At(time);
    e.nInterval = interval;
    e.nType = type;
    e.nSampleCount = count;
    return e;
}

TEST(SampleEventSchedule, TriggerTimeRules) {
    const double now = At("2026-12-10 9:00:00");
    const std::vector<SampleEvent> limited3 = {Event("2026-12-10 10:00:00", 3, SAMPLE_EVENT_LIMITED, 100)};
    const std::vector<SampleEvent> limited10 = {Event("2026-12-10 10:00:00", 10, SAMPLE_EVENT_LIMITED, 100)};
    const std::vector<SampleEvent> cyclic = {Event("2026-12-10 10:00:00", 3, SAMPLE_EVENT_CYCLIC, 0)};
    const std::vector<SampleEvent> two = {Event("2026-12-10 10:00:00", 3, SAMPLE_EVENT_LIMITED, 10),
                                          Event("2026-12-10 11:00:00", 60, SAMPLE_EVENT_LIMITED, 100)};
    struct Case {
        const char* name;
        const std::vector<SampleEvent>* events;
        std::size_t index;
        const char* time;
        EventTimeCheck expected;
    } cases[] = {
        {"first event", nullptr, 0, "2026-12-10 9:30:00", EventTimeCheck::Ok},
        {"in the past", nullptr, 0, "2026-12-10 8:59:59", EventTimeCheck::Past},
        {"now itself", nullptr, 0, "2026-12-10 9:00:00", EventTimeCheck::Ok},
        {"same time as an event", &cyclic, 1, "2026-12-10 10:00:00", EventTimeCheck::Duplicate},
        {"before 100 samples of 3 s end", &limited3, 1, "2026-12-10 10:04:00",
         EventTimeCheck::BeforePreviousEnd},
        {"after they end", &limited3, 1, "2026-12-10 10:05:01", EventTimeCheck::Ok},
        {"at their end", &limited3, 1, "2026-12-10 10:05:00", EventTimeCheck::Ok},
        {"the event's own interval counts", &limited10, 1, "2026-12-10 10:10:00",
         EventTimeCheck::BeforePreviousEnd},
        {"after 100 samples of 10 s", &limited10, 1, "2026-12-10 10:16:40", EventTimeCheck::Ok},
        {"a cyclic event sets no end", &cyclic, 1, "2026-12-10 10:00:01", EventTimeCheck::Ok},
        {"a change is not compared with itself", &limited3, 0, "2026-12-10 10:00:00", EventTimeCheck::Ok},
        {"a change into the past", &limited3, 0, "2026-12-10 8:00:00", EventTimeCheck::Past},
        {"a change keeps to the event before it", &two, 1, "2026-12-10 10:00:20",
         EventTimeCheck::BeforePreviousEnd},
        {"a change onto another event", &two, 0, "2026-12-10 11:00:00", EventTimeCheck::Duplicate},
    };
    const std::vector<SampleEvent> none;
    for (const Case& c : cases) {
        const std::vector<SampleEvent>& events = c.events != nullptr ? *c.events : none;
        EXPECT_EQ(CheckEventTime(events, c.index, At(c.time), now), c.expected) << c.name;
    }
    EXPECT_EQ(EventTimeMessage(EventTimeCheck::Duplicate), "输入时间无效!\n该事件/时间已存在!");
}

TEST(SampleEventSchedule, TimeTexts) {
    double date = 0.0;
    for (const char* bad : {"0", "", "2026-13-01 10:00:00", "2026-2-30 10:00:00", "2026-1-1 24:00:00",
                            "2026-1-1 10:00", "2026-1-1 10:00:00x"})
        EXPECT_FALSE(ParseEventTime(bad, date)) << bad;
    ASSERT_TRUE(ParseEventTime("2026-1-2 3:04:05", date));
    EXPECT_EQ(FormatEventTime(date), "2026-1-2 03:04:05");
}

std::string ReadBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

TEST(SampleEventSchedule, FileIsWrittenAsTheRunReadsIt) {
    ScratchFolder folder;
    const std::string path = folder.File("SampleEvent.INI");
    std::vector<SampleEvent> events = {Event("2026-12-10 10:00:00", 3, SAMPLE_EVENT_LIMITED, 100),
                                       Event("2026-12-10 10:05:01", 60, SAMPLE_EVENT_CYCLIC, 0),
                                       Event("2026-12-11 8:00:00", 5, SAMPLE_EVENT_LIMITED, 7)};
    RenumberEvents(events);
    ASSERT_TRUE(WriteSampleEventFile(path, events));
    // A shorter schedule leaves no event of the longer one behind.
    events.pop_back();
    ASSERT_TRUE(WriteSampleEventFile(path, events));
    platform::FlushProfileCache();
    EXPECT_EQ(ReadBytes(path), "[EventCount]\r\n"
                               "m_nEventCount=2\r\n"
                               "[Event0]\r\n"
                               "nEventNumber=1\r\n"
                               "strTriggerTime=2026-12-10 10:00:00\r\n"
                               "nEventInterval=3\r\n"
                               "nEventType=0\r\n"
                               "nSampleCount=100\r\n"
                               "[Event1]\r\n"
                               "nEventNumber=2\r\n"
                               "strTriggerTime=2026-12-10 10:05:01\r\n"
                               "nEventInterval=60\r\n"
                               "nEventType=1\r\n"
                               "nSampleCount=0\r\n");
    std::vector<SampleEvent> read;
    ReadSampleEventFile(path, read);
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[1].dTriggerTime, events[1].dTriggerTime);
    EXPECT_EQ(read[1].nType, SAMPLE_EVENT_CYCLIC);

    ASSERT_TRUE(WriteSampleEventFile(path, {}));
    ReadSampleEventFile(path, read);
    EXPECT_TRUE(read.empty());
    EXPECT_EQ(platform::GetPrivateProfileInt("EventCount", "m_nEventCount", -1, path), 0);
}

TEST(SampleEventSchedule, ReadingReportsBadTimesAndBoundsTheCount) {
    ScratchFolder folder;
    const std::string path = folder.File("SampleEvent.INI");
    WriteIniFile(path, "[EventCount]\nm_nEventCount=99999999\n[Event0]\nstrTriggerTime=2026-12-10 10:00:00\n"
                       "[Event1]\nstrTriggerTime=yesterday\nnEventInterval=7\n");
    std::vector<SampleEvent> events;
    std::vector<int> badTimes;
    ReadSampleEventFile(path, events, &badTimes);
    EXPECT_EQ(events.size(), std::size_t(SAMPLE_EVENT_TABLE_LIMIT));
    EXPECT_EQ(events[0].nTimeStatus, 0);
    EXPECT_EQ(events[0].nInterval, 3) << "read default";
    EXPECT_EQ(events[1].nTimeStatus, 1);
    EXPECT_EQ(events[1].nInterval, 7);
    ASSERT_GE(badTimes.size(), 2u);
    EXPECT_EQ(badTimes[0], 2) << "a malformed time is reported, not taken as day 0";

    std::vector<SampleEvent> none;
    ReadSampleEventFile(folder.File("missing.INI"), none);
    EXPECT_TRUE(none.empty());
}

} // namespace
