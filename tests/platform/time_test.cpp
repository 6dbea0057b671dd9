// Tests of the 8-byte date conversions and the tick counters.
#include "platform/Time.h"

#include <gtest/gtest.h>

#include <cmath>

using platform::LocalDateTime;

namespace {

LocalDateTime Make(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
    LocalDateTime t;
    t.year = y;
    t.month = mo;
    t.day = d;
    t.hour = h;
    t.minute = mi;
    t.second = s;
    t.millisecond = ms;
    return t;
}

struct KnownDate {
    LocalDateTime local;
    double date;
    int dayOfWeek;
};

} // namespace

TEST(OleDate, KnownDatesBothWays) {
    const KnownDate cases[] = {
        {Make(1899, 12, 30), 0.0, 6},
        {Make(1900, 1, 1), 2.0, 1},
        {Make(2000, 1, 1), 36526.0, 6},
        {Make(2020, 2, 29, 12), 43890.5, 6},
        {Make(1899, 12, 30, 6), 0.25, 6},
        // Before day 0 the fraction is the time of day in absolute value.
        {Make(1899, 12, 29, 6), -1.25, 5},
        {Make(1899, 12, 29), -1.0, 5},
        {Make(100, 1, 1), -657434.0, 5},
        {Make(9999, 12, 31, 18), 2958465.75, 5},
    };
    for (const auto& c : cases) {
        double date = 1e9;
        ASSERT_TRUE(platform::OleDateFromLocal(c.local, date)) << c.date;
        EXPECT_DOUBLE_EQ(date, c.date);
        LocalDateTime back;
        ASSERT_TRUE(platform::LocalFromOleDate(c.date, back)) << c.date;
        EXPECT_EQ(back.year, c.local.year) << c.date;
        EXPECT_EQ(back.month, c.local.month) << c.date;
        EXPECT_EQ(back.day, c.local.day) << c.date;
        EXPECT_EQ(back.hour, c.local.hour) << c.date;
        EXPECT_EQ(back.dayOfWeek, c.dayOfWeek) << c.date;
    }
}

TEST(OleDate, FractionBetweenMinusOneAndZeroIsDayZero) {
    LocalDateTime t;
    ASSERT_TRUE(platform::LocalFromOleDate(-0.5, t));
    EXPECT_EQ(t.year, 1899);
    EXPECT_EQ(t.day, 30);
    EXPECT_EQ(t.hour, 12);
}

TEST(OleDate, InvalidFieldsLeaveDateUntouched) {
    const LocalDateTime cases[] = {
        Make(2021, 2, 29),          Make(2020, 13, 1),
        Make(2020, 0, 1),           Make(2020, 4, 31),
        Make(2020, 1, 1, 24),       Make(2020, 1, 1, 0, 60),
        Make(2020, 1, 1, 0, 0, 60), Make(2020, 1, 1, 0, 0, 0, 1000),
        Make(99, 12, 31),           Make(10000, 1, 1),
        Make(1900, 2, 29),          Make(2020, 1, 0),
    };
    for (const auto& c : cases) {
        double date = 123.0;
        EXPECT_FALSE(platform::OleDateFromLocal(c, date)) << c.year << "-" << c.month << "-" << c.day;
        EXPECT_EQ(date, 123.0);
    }
}

TEST(OleDate, OutOfRangeDatesAreRefused) {
    LocalDateTime t;
    for (double d : {-657435.0, 2958466.0, double(NAN), double(INFINITY), -1e300})
        EXPECT_FALSE(platform::LocalFromOleDate(d, t)) << d;
}

TEST(OleDate, MillisecondsSurviveRoundTrip) {
    const LocalDateTime cases[] = {Make(2023, 7, 14, 23, 59, 59, 999), Make(1850, 3, 1, 0, 0, 0, 1),
                                   Make(1899, 12, 29, 13, 14, 15, 500), Make(2000, 2, 29, 12, 0, 0, 250)};
    for (const auto& c : cases) {
        double date = 0;
        ASSERT_TRUE(platform::OleDateFromLocal(c, date));
        LocalDateTime back;
        ASSERT_TRUE(platform::LocalFromOleDate(date, back));
        EXPECT_EQ(back.year, c.year);
        EXPECT_EQ(back.month, c.month);
        EXPECT_EQ(back.day, c.day);
        EXPECT_EQ(back.hour, c.hour);
        EXPECT_EQ(back.minute, c.minute);
        EXPECT_EQ(back.second, c.second);
        EXPECT_EQ(back.millisecond, c.millisecond) << date;
    }
}

TEST(OleDate, RoundingToNextMidnightCarriesTheDay) {
    LocalDateTime t;
    ASSERT_TRUE(platform::LocalFromOleDate(36526.0 - 1e-10, t));
    EXPECT_EQ(t.year, 2000);
    EXPECT_EQ(t.month, 1);
    EXPECT_EQ(t.day, 1);
    EXPECT_EQ(t.hour, 0);
}

TEST(LocalTime, TimeTRoundTripAndNowAgree) {
    const LocalDateTime noon = Make(2021, 6, 15, 12, 30, 45);
    const LocalDateTime back = platform::LocalFromTimeT(platform::TimeTFromLocal(noon));
    EXPECT_EQ(back.year, 2021);
    EXPECT_EQ(back.day, 15);
    EXPECT_EQ(back.hour, 12);
    EXPECT_EQ(back.second, 45);
    EXPECT_EQ(back.dayOfWeek, 2);

    const LocalDateTime now = platform::NowLocal();
    double date = 0;
    EXPECT_TRUE(platform::OleDateFromLocal(now, date));
    EXPECT_GT(platform::NowOleDate(), 43000.0);
}

TEST(Ticks, CountersMoveForward) {
    const std::uint64_t t0 = platform::GetTickCount64();
    const std::int64_t c0 = platform::QueryPerformanceCounter();
    platform::Sleep(5);
    EXPECT_GE(platform::GetTickCount64(), t0 + 5);
    EXPECT_GT(platform::QueryPerformanceCounter(), c0);
    EXPECT_GT(platform::QueryPerformanceFrequency(), 0);
    // The 32-bit count is the low half of the 64-bit one.
    EXPECT_LE(static_cast<std::uint32_t>(platform::GetTickCount() - static_cast<std::uint32_t>(t0)), 60000u);
}
