// Date and time texts on the platform's local-time conversions.
#include "model/TimeTexts.h"

#include "platform/DebugLog.h"
#include "platform/Text.h"
#include "platform/Time.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

using platform::Format;
using platform::LocalDateTime;

namespace {

constexpr int kMaxDecimals = 15;

int Field(const std::string& strText, std::size_t nFrom, std::size_t nCount) {
    if (nFrom >= strText.size())
        return 0;
    return static_cast<int>(std::strtol(strText.substr(nFrom, nCount).c_str(), nullptr, 10));
}

OleDate FromFields(int y, int mo, int d, int h, int mi, int s) {
    LocalDateTime t;
    t.year = y, t.month = mo, t.day = d, t.hour = h, t.minute = mi, t.second = s, t.millisecond = 0;
    OleDate date;
    date.bValid = platform::OleDateFromLocal(t, date.dDate);
    if (!date.bValid)
        date.dDate = 0.0;
    return date;
}

// Whole seconds for the minute and hour fields, kept within int so that a
// huge or non-finite time gives a wrong text rather than an undefined cast.
int WholeSeconds(double s) {
    if (!std::isfinite(s))
        return 0;
    return static_cast<int>(std::clamp(std::floor(s), -2147483648.0, 2147483647.0));
}

OleDate Now() {
    OleDate date;
    date.dDate = platform::NowOleDate();
    return date;
}

} // namespace

std::string FormatTimeT(std::int64_t nTime, bool bColons) {
    if (nTime < 0)
        return "";
    LocalDateTime t = platform::LocalFromTimeT(nTime);
    return Format(bColons ? "%4d-%02d-%02d %02d:%02d:%02d" : "%4d-%02d-%02d %02d%02d%02d", t.year, t.month,
                  t.day, t.hour, t.minute, t.second);
}

std::string FormatTimeTText(std::int64_t nTime) {
    return FormatTimeT(nTime, true);
}

std::string FormatOleDateTime(double dDate) {
    LocalDateTime t;
    if (!platform::LocalFromOleDate(dDate, t))
        return "";
    return Format("%d-%d-%d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
}

OleDate ParseOleDateTime(const std::string& strText) {
    // Each field ends at its separator; once one is missing, the rest are empty.
    const char separators[] = {'-', '-', ' ', ':', ':'};
    int fields[6] = {Field(strText, 0, 4), 0, 0, 0, 0, 0};
    std::size_t p = strText.find('-');
    for (int i = 0; i < 5 && p != std::string::npos; ++i) {
        std::size_t q = i < 4 ? strText.find(separators[i + 1], p + 1) : strText.size();
        if (q == std::string::npos)
            break;
        fields[i + 1] = Field(strText, p + 1, q - p - 1);
        p = q;
    }
    return FromFields(fields[0], fields[1], fields[2], fields[3], fields[4], fields[5]);
}

OleDate ParseFixedTimeText(const std::string& strText) {
    if (strText.size() < 19)
        return Now();
    OleDate date = FromFields(Field(strText, 0, 4), Field(strText, 5, 2), Field(strText, 8, 2),
                              Field(strText, 11, 2), Field(strText, 14, 2), Field(strText, 17, 2));
    return date.bValid ? date : Now();
}

std::int64_t OleDateTimeToCTime(double dDate) {
    LocalDateTime t;
    if (!(dDate > 0.0) || !platform::LocalFromOleDate(dDate, t))
        return 0;
    return platform::TimeTFromLocal(t);
}

std::int64_t TimeTextToCTime(const std::string& strText) {
    OleDate date = ParseOleDateTime(strText);
    return date.bValid ? OleDateTimeToCTime(date.dDate) : 0;
}

OleDate CTimeToOleDateTime(std::int64_t nTime) {
    return ParseFixedTimeText(FormatTimeTText(nTime));
}

std::int64_t GetCurrentTimeT() {
    return platform::NowTimeT();
}

std::string FormatTimeStamp() {
    return platform::FormatLogTimeStamp();
}

int SplitTimeStampFraction(const std::string& strText, std::string& strHead, std::string& strTail) {
    strHead.clear();
    strTail.clear();
    if (strText.empty())
        return 0;
    std::size_t p = strText.rfind(':');
    if (p == std::string::npos) {
        strTail = strText;
        return 1;
    }
    std::size_t nHead = std::min(p + 3, strText.size());
    strHead = strText.substr(0, nHead);
    strTail = strText.substr(nHead);
    return 1;
}

std::string FormatElapsedTime(int nMode, float fMilliseconds, int nDecimals) {
    int n = std::clamp(nDecimals, 0, kMaxDecimals);
    double t = fMilliseconds;
    double s = t * 0.001;
    switch (nMode) {
    case 0:
        return Format(Format("%%.%df", n).c_str(), t);
    case 1:
        return Format(Format("%%.%df", n + 3).c_str(), s);
    case 2: {
        int nMinutes = WholeSeconds(s) / 60;
        return Format(Format("%%5d:%%2.%df", n + 3).c_str(), nMinutes, s - 60.0 * nMinutes);
    }
    case 3: {
        int nHours = WholeSeconds(s) / 3600;
        int nMinutes = WholeSeconds(s - 3600.0 * nHours) / 60;
        return Format(Format("%%2d:%%2d:%%2.%df", n + 3).c_str(), nHours, nMinutes,
                      s - 3600.0 * nHours - 60.0 * nMinutes);
    }
    default:
        return "";
    }
}

std::string FormatDateForFileName(int nMode, const LocalDateTime& t) {
    switch (nMode) {
    case 1:
        return Format("%4d%02d%02d", t.year, t.month, t.day);
    case 2:
        return Format("%02d_%02d_%4d", t.month, t.day, t.year);
    case 3:
        return Format("%02d%02d%4d", t.month, t.day, t.year);
    case 4:
        return Format("%02d_%02d_%4d", t.day, t.month, t.year);
    case 5:
        return Format("%02d%02d%4d", t.day, t.month, t.year);
    default:
        return Format("%4d_%02d_%02d", t.year, t.month, t.day);
    }
}

std::string FormatTimeForFileName(int nMode, const LocalDateTime& t) {
    switch (nMode) {
    case 1:
        return Format("%02d_%02d_%02d", t.hour, t.minute, t.second);
    case 2:
        return Format("%02d%02d%02d", t.second, t.minute, t.hour);
    case 3:
        return Format("%02d_%02d_%02d", t.second, t.minute, t.hour);
    default:
        return Format("%02d%02d%02d", t.hour, t.minute, t.second);
    }
}

std::string FormatDateForFileName(int nMode) {
    return FormatDateForFileName(nMode, platform::NowLocal());
}

std::string FormatTimeForFileName(int nMode) {
    return FormatTimeForFileName(nMode, platform::NowLocal());
}

std::string BuildAutoFileName(const AutoNameSettings& settings, const LocalDateTime& t) {
    std::string strDate = FormatDateForFileName(settings.nDateMode, t);
    if (settings.bNumber) {
        int nWidth = std::clamp(settings.nNumberWidth, 0, 20);
        std::string strNumber = Format(Format("%%0%dd", nWidth).c_str(), settings.nNumber);
        return settings.bDate ? "_" + strDate + "_" + strNumber : "_" + strNumber;
    }
    if (settings.bTime) {
        std::string strTime = FormatTimeForFileName(settings.nTimeMode, t);
        return settings.bDate ? "_" + strDate + "_" + strTime : "_" + strTime;
    }
    return "_" + strDate;
}

std::string BuildAutoFileName(const AutoNameSettings& settings) {
    return BuildAutoFileName(settings, platform::NowLocal());
}
