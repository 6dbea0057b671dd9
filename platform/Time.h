// Time services: 8-byte dates (days since 1899-12-30, the fraction the time
// of day) to and from local date and time, a millisecond tick count, a
// high-resolution counter and sleeping.
#pragma once

#include <cstdint>

namespace platform {

struct LocalDateTime {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
    int dayOfWeek = 0; // 0 Sunday .. 6 Saturday, filled by the conversions
};

// Builds an 8-byte date from its fields; false (and date untouched) when the
// fields do not form a valid date and time (month 13, 30 February, hour 24...).
bool OleDateFromLocal(const LocalDateTime& t, double& date);
// Splits an 8-byte date into its fields (rounded to the millisecond); false
// for dates outside years 100..9999.
bool LocalFromOleDate(double date, LocalDateTime& t);

LocalDateTime NowLocal();
double NowOleDate();

// time_t-like seconds since 1970 in local time rules.
std::int64_t TimeTFromLocal(const LocalDateTime& t);
LocalDateTime LocalFromTimeT(std::int64_t t);
std::int64_t NowTimeT();

// Milliseconds since an arbitrary start; wraps like Windows' 32-bit count.
std::uint32_t GetTickCount();
std::uint64_t GetTickCount64();
// High-resolution counter and its frequency (counts a second).
std::int64_t QueryPerformanceCounter();
std::int64_t QueryPerformanceFrequency();

void Sleep(std::uint32_t milliseconds);

} // namespace platform
