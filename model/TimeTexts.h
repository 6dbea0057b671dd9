// Date and time texts of data files, logs and file names, and the elapsed
// time texts of curves and exports. Time values are seconds since 1970
// (local time rules); dates are 8-byte dates, days since 1899-12-30.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Time.h"

// An 8-byte date and whether it was built from a possible date and time.
struct OleDate {
    double dDate = 0.0;
    bool bValid = true;
};

// "%4d-%02d-%02d %02d:%02d:%02d", or without the colons; "" for a negative time.
std::string FormatTimeT(std::int64_t nTime, bool bColons);
std::string FormatTimeTText(std::int64_t nTime);
// "%d-%d-%d %02d:%02d:%02d"; "" for a date outside years 100..9999.
std::string FormatOleDateTime(double dDate);
// Reads "year-month-day hour:minute:second" by its separators; a missing
// separator empties the fields behind it, an impossible date is invalid.
OleDate ParseOleDateTime(const std::string& strText);
// Reads the 19-character form at fixed positions; shorter texts or an
// impossible date give the current time.
OleDate ParseFixedTimeText(const std::string& strText);
// 0 for a date of 0 or less (or one that is not a date).
std::int64_t OleDateTimeToCTime(double dDate);
std::int64_t TimeTextToCTime(const std::string& strText);
OleDate CTimeToOleDateTime(std::int64_t nTime);
std::int64_t GetCurrentTimeT();

// "%d-%02d-%02d %02d:%02d:%02d.%03d" of now.
std::string FormatTimeStamp();
// Splits a stamp after the seconds (the last ':' plus 3); 0 for an empty text.
int SplitTimeStampFraction(const std::string& strText, std::string& strHead, std::string& strTail);

// Elapsed time of t milliseconds: mode 0 milliseconds, 1 seconds, 2
// minutes:seconds, 3 hours:minutes:seconds, with n (0..15) decimals more
// for seconds; "" for another mode.
std::string FormatElapsedTime(int nMode, float fMilliseconds, int nDecimals);

// File-name forms of a date and a time by mode, at time t or now.
std::string FormatDateForFileName(int nMode, const platform::LocalDateTime& t);
std::string FormatTimeForFileName(int nMode, const platform::LocalDateTime& t);
std::string FormatDateForFileName(int nMode);
std::string FormatTimeForFileName(int nMode);

// The naming switches of the storage rule that build an automatic file name.
struct AutoNameSettings {
    bool bDate = false;
    int nDateMode = 0;
    bool bNumber = false;
    int nNumber = 0;
    int nNumberWidth = 0;
    bool bTime = false;
    int nTimeMode = 0;
};
// The name suffix at time t, or now; date and time come from one reading of the clock.
std::string BuildAutoFileName(const AutoNameSettings& settings, const platform::LocalDateTime& t);
std::string BuildAutoFileName(const AutoNameSettings& settings);
