// Date and time texts: formats, the two parsers, conversions between time
// values and dates, stamps and elapsed times, automatic file names.
#include "model/TimeTexts.h"

#include "platform/Time.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// 'd' in the pattern matches one digit, every other character itself.
bool Matches(const std::string& text, const std::string& pattern) {
    if (text.size() != pattern.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        bool ok = pattern[i] == 'd' ? (text[i] >= '0' && text[i] <= '9') : text[i] == pattern[i];
        if (!ok)
            return false;
    }
    return true;
}

std::int64_t LocalTime(int y, int mo, int d, int h, int mi, int s) {
    platform::LocalDateTime t;
    t.year = y, t.month = mo, t.day = d, t.hour = h, t.minute = mi, t.second = s;
    return platform::TimeTFromLocal(t);
}

double Date(int y, int mo, int d, int h, int mi, int s) {
    platform::LocalDateTime t;
    t.year = y, t.month = mo, t.day = d, t.hour = h, t.minute = mi, t.second = s;
    double date = 0;
    EXPECT_TRUE(platform::OleDateFromLocal(t, date));
    return date;
}

TEST(TimeTextsTest, TimeValuesFormatAndConvertBothWays) {
    std::int64_t t = LocalTime(2021, 3, 7, 8, 5, 9);
    EXPECT_EQ("2021-03-07 08:05:09", FormatTimeT(t, true));
    EXPECT_EQ("2021-03-07 080509", FormatTimeT(t, false));
    EXPECT_EQ("2021-03-07 08:05:09", FormatTimeTText(t));
    EXPECT_EQ("", FormatTimeT(-1, true));
    EXPECT_EQ("", FormatTimeTText(-5));

    OleDate date = CTimeToOleDateTime(t);
    EXPECT_TRUE(date.bValid);
    EXPECT_NEAR(Date(2021, 3, 7, 8, 5, 9), date.dDate, 1e-9);
    EXPECT_EQ("2021-3-7 08:05:09", FormatOleDateTime(date.dDate));
    EXPECT_EQ(t, OleDateTimeToCTime(date.dDate));
    EXPECT_EQ(0, OleDateTimeToCTime(0.0));
    EXPECT_EQ(0, OleDateTimeToCTime(-3.0));
    EXPECT_EQ(t, TimeTextToCTime("2021-3-7 8:5:9"));
}

TEST(TimeTextsTest, ParseOleDateTimeReadsBySeparators) {
    struct Case {
        const char* text;
        bool valid;
        int y, mo, d, h, mi, s;
    } cases[] = {
        {"2021-3-7 8:5:9", true, 2021, 3, 7, 8, 5, 9},
        {"2021-12-31 23:59:59", true, 2021, 12, 31, 23, 59, 59},
        {"2021-03-07 08:05", true, 2021, 3, 7, 8, 0, 0}, // no second ':': minute empty
        {"2021-02-30 00:00:00", false, 0, 0, 0, 0, 0, 0},
        {"2021-13-01 00:00:00", false, 0, 0, 0, 0, 0, 0},
        {"2021-03-07", false, 0, 0, 0, 0, 0, 0}, // no ' ': the day is empty
        {"", false, 0, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        OleDate date = ParseOleDateTime(c.text);
        EXPECT_EQ(c.valid, date.bValid);
        if (c.valid) {
            EXPECT_NEAR(Date(c.y, c.mo, c.d, c.h, c.mi, c.s), date.dDate, 1e-9);
        }
    }
}

TEST(TimeTextsTest, ParseFixedTimeTextFallsBackToNow) {
    OleDate fixed = ParseFixedTimeText("2020-01-02 03:04:05xyz");
    EXPECT_TRUE(fixed.bValid);
    EXPECT_NEAR(Date(2020, 1, 2, 3, 4, 5), fixed.dDate, 1e-9);
    for (const char* text : {"2020-1-1 1:1:1", "2020-02-30 03:04:05"}) {
        double before = platform::NowOleDate();
        OleDate now = ParseFixedTimeText(text);
        EXPECT_TRUE(now.bValid) << text;
        EXPECT_GE(now.dDate, before - 1e-6) << text;
        EXPECT_LE(now.dDate, platform::NowOleDate() + 1e-6) << text;
    }
}

TEST(TimeTextsTest, StampsSplitAfterTheSeconds) {
    EXPECT_TRUE(Matches(FormatTimeStamp(), "dddd-dd-dd dd:dd:dd.ddd")) << FormatTimeStamp();
    struct Case {
        const char *text, *head, *tail;
        int result;
    } cases[] = {
        {"2021-3-7 08:05:09.250", "2021-3-7 08:05:09", ".250", 1},
        {"no colon", "", "no colon", 1},
        {"12:3", "12:3", "", 1},
        {"", "", "", 0},
    };
    for (const Case& c : cases) {
        std::string head = "x", tail = "y";
        EXPECT_EQ(c.result, SplitTimeStampFraction(c.text, head, tail)) << c.text;
        EXPECT_EQ(c.head, head) << c.text;
        EXPECT_EQ(c.tail, tail) << c.text;
    }
}

TEST(TimeTextsTest, ElapsedTimeByMode) {
    const float hms = 3661000.0f; // 1 h 1 min 1 s
    struct Case {
        int mode;
        float ms;
        int decimals;
        const char* text;
    } cases[] = {
        {0, 1234.5f, 1, "1234.5"},
        {1, 1234.0f, 0, "1.234"},
        {1, 1234.5f, 1, "1.2345"},
        {2, 61500.0f, 0, "    1:1.500"},
        {2, 59999.0f, 0, "    0:59.999"},
        {3, hms, 0, " 1: 1:1.000"},
        {3, 7322500.0f, 1, " 2: 2:2.5000"},
        {4, hms, 0, ""},
        {0, 5.0f, -3, "5"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.text, FormatElapsedTime(c.mode, c.ms, c.decimals)) << c.mode << " " << c.ms;
    EXPECT_FALSE(FormatElapsedTime(3, INFINITY, 0).empty()); // no undefined cast
}

TEST(TimeTextsTest, FileNameFormsAndAutomaticNames) {
    struct Case {
        int mode;
        const char* pattern;
    } dates[] = {{1, "dddddddd"},   {2, "dd_dd_dddd"}, {3, "dddddddd"},
                 {4, "dd_dd_dddd"}, {5, "dddddddd"},   {0, "dddd_dd_dd"}},
      times[] = {{0, "dddddd"}, {1, "dd_dd_dd"}, {2, "dddddd"}, {3, "dd_dd_dd"}, {9, "dddddd"}};
    for (const Case& c : dates)
        EXPECT_TRUE(Matches(FormatDateForFileName(c.mode), c.pattern)) << c.mode;
    for (const Case& c : times)
        EXPECT_TRUE(Matches(FormatTimeForFileName(c.mode), c.pattern)) << c.mode;
    EXPECT_EQ(FormatDateForFileName(1).substr(0, 4), FormatDateForFileName(0).substr(0, 4));

    struct NameCase {
        AutoNameSettings settings;
        const char* pattern;
    } names[] = {
        {{true, 1, true, 7, 4, true, 0}, "_dddddddd_0007"},
        {{false, 1, true, 12, 1, false, 0}, "_12"},
        {{true, 0, false, 0, 0, true, 1}, "_dddd_dd_dd_dd_dd_dd"},
        {{false, 0, false, 0, 0, true, 0}, "_dddddd"},
        {{false, 2, false, 0, 0, false, 0}, "_dd_dd_dddd"}, // date even with its flag off
    };
    for (const NameCase& c : names)
        EXPECT_TRUE(Matches(BuildAutoFileName(c.settings), c.pattern)) << c.pattern;
}

} // namespace
