// Time services: 8-byte dates (days since 1899-12-30) to and from local date
// and time, tick counts on the steady clock, and sleeping.
#include "platform/Time.h"

#include <chrono>
#include <cmath>
#include <ctime>
#include <thread>

namespace platform {

namespace {

constexpr std::int64_t kMsPerDay = 86400000;
// 1899-12-30 counted from 1970-01-01.
constexpr std::int64_t kOleEpochDays = -25569;
// The span of dates Windows accepts: 0100-01-01 to 9999-12-31.
constexpr double kMinOleDate = -657434.0;
constexpr double kMaxOleDate = 2958466.0;

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

bool IsLeapYear(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeapYear(y) ? 29 : kDays[m - 1];
}

bool IsValidLocal(const LocalDateTime& t) {
    if (t.year < 100 || t.year > 9999 || t.month < 1 || t.month > 12)
        return false;
    if (t.day < 1 || t.day > DaysInMonth(t.year, t.month))
        return false;
    return t.hour >= 0 && t.hour <= 23 && t.minute >= 0 && t.minute <= 59 && t.second >= 0 &&
           t.second <= 59 && t.millisecond >= 0 && t.millisecond <= 999;
}

// 1899-12-30 (day 0) was a Saturday.
int DayOfWeekOfOleDay(std::int64_t days) {
    return static_cast<int>(((days + 6) % 7 + 7) % 7);
}

LocalDateTime FromTm(const std::tm& tm, int millisecond) {
    LocalDateTime t;
    t.year = tm.tm_year + 1900;
    t.month = tm.tm_mon + 1;
    t.day = tm.tm_mday;
    t.hour = tm.tm_hour;
    t.minute = tm.tm_min;
    t.second = tm.tm_sec;
    t.millisecond = millisecond;
    t.dayOfWeek = tm.tm_wday;
    return t;
}

std::int64_t SteadyMilliseconds() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

bool OleDateFromLocal(const LocalDateTime& t, double& date) {
    if (!IsValidLocal(t))
        return false;
    const std::int64_t days = DaysFromCivil(t.year, t.month, t.day) - kOleEpochDays;
    const std::int64_t ms = ((t.hour * 60 + t.minute) * 60 + t.second) * 1000 + t.millisecond;
    const double fraction = static_cast<double>(ms) / kMsPerDay;
    // Before day 0 the integer part counts back but the fraction still runs
    // forward through the day, so it is subtracted: -1.25 is 1899-12-29 06:00.
    date = days >= 0 ? days + fraction : days - fraction;
    return true;
}

bool LocalFromOleDate(double date, LocalDateTime& t) {
    if (!std::isfinite(date) || date <= kMinOleDate - 1.0 || date >= kMaxOleDate)
        return false;
    std::int64_t days = static_cast<std::int64_t>(std::trunc(date));
    std::int64_t ms = std::llround(std::fabs(date - static_cast<double>(days)) * kMsPerDay);
    if (ms >= kMsPerDay) { // rounded up to the next midnight
        ms -= kMsPerDay;
        ++days;
    }
    LocalDateTime out;
    CivilFromDays(days + kOleEpochDays, out.year, out.month, out.day);
    if (out.year < 100 || out.year > 9999)
        return false;
    out.millisecond = static_cast<int>(ms % 1000);
    out.second = static_cast<int>(ms / 1000 % 60);
    out.minute = static_cast<int>(ms / 60000 % 60);
    out.hour = static_cast<int>(ms / 3600000);
    out.dayOfWeek = DayOfWeekOfOleDay(days);
    t = out;
    return true;
}

LocalDateTime NowLocal() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    std::tm tm{};
    const std::time_t secs = ts.tv_sec;
    localtime_r(&secs, &tm);
    return FromTm(tm, static_cast<int>(ts.tv_nsec / 1000000));
}

double NowOleDate() {
    double date = 0.0;
    OleDateFromLocal(NowLocal(), date);
    return date;
}

std::int64_t TimeTFromLocal(const LocalDateTime& t) {
    std::tm tm{};
    tm.tm_year = t.year - 1900;
    tm.tm_mon = t.month - 1;
    tm.tm_mday = t.day;
    tm.tm_hour = t.hour;
    tm.tm_min = t.minute;
    tm.tm_sec = t.second;
    tm.tm_isdst = -1; // let the system decide daylight-saving time
    return static_cast<std::int64_t>(std::mktime(&tm));
}

LocalDateTime LocalFromTimeT(std::int64_t t) {
    std::tm tm{};
    const std::time_t secs = static_cast<std::time_t>(t);
    localtime_r(&secs, &tm);
    return FromTm(tm, 0);
}

std::int64_t NowTimeT() {
    return static_cast<std::int64_t>(std::time(nullptr));
}

std::uint32_t GetTickCount() {
    return static_cast<std::uint32_t>(SteadyMilliseconds());
}

std::uint64_t GetTickCount64() {
    return static_cast<std::uint64_t>(SteadyMilliseconds());
}

std::int64_t QueryPerformanceCounter() {
    using namespace std::chrono;
    return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
}

std::int64_t QueryPerformanceFrequency() {
    return 1000000000;
}

void Sleep(std::uint32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

} // namespace platform
