// Number texts and axis rounding.
#include "model/NumberTexts.h"

#include "platform/Text.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

using platform::Format;

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int HexValue(char c) {
    if (IsDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Length in bytes of the UTF-8 character that starts with c.
std::size_t Utf8CharLength(unsigned char c) {
    return c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
}

// The smallest d of 1..10 with d * step above a; 11 when none.
int LeadingStep(double a, double step, double base = 0.0) {
    int d = 1;
    while (d <= 10 && !(d * step + base > a))
        ++d;
    return d;
}

// Up to 10: away from zero to the next half or whole leading step; towards
// zero to half a step only when the value reaches it (a leading digit of 5
// or more), else to 0, so the limit never lands on the wrong side of the value.
double RoundSmall(double a, bool bAway) {
    int k = -6;
    while (std::pow(10.0, k) < a)
        ++k;
    double step = std::pow(10.0, k - 1);
    int d = LeadingStep(a, step);
    if (bAway)
        return d > 5 ? 10 * step : 5 * step;
    return d > 5 ? 5 * step : 0.0;
}

// Above 10: the leading digit stays and the next one rounds to 0, 5 or 10,
// again never past the value.
double RoundLarge(double a, bool bAway) {
    int k = 1;
    while (std::pow(10.0, k) < a)
        ++k;
    double step = std::pow(10.0, k - 1);
    double fine = std::pow(10.0, k - 2);
    double base = (LeadingStep(a, step) - 1) * step;
    int e = LeadingStep(a, fine, base);
    if (bAway)
        return base + fine * (e > 5 ? 10 : 5);
    return base + fine * (e > 5 ? 5 : 0);
}

} // namespace

bool IsValidNumberText(int nKind, const std::string& strText) {
    if (nKind == 1)
        return !strText.empty() &&
               std::all_of(strText.begin(), strText.end(), [](char c) { return IsDigit(c) || c == '.'; });
    if (nKind == 2)
        return std::all_of(strText.begin(), strText.end(), IsDigit);
    return true;
}

std::string TrimTrailingZeros(const std::string& strText) {
    if (strText.find('.') == std::string::npos)
        return strText;
    std::string strResult = strText;
    while (!strResult.empty() && strResult.back() == '0')
        strResult.pop_back();
    if (!strResult.empty() && strResult.back() == '.')
        strResult.pop_back();
    return strResult;
}

// Only a text with a decimal point is trimmed, so 100 with no decimals
// stays "100".
std::string FormatValueDecimals(double dValue, int nDecimals) {
    int n = std::clamp(nDecimals, 0, 20);
    return TrimTrailingZeros(Format(Format("%%.%df", n).c_str(), dValue));
}

const char* GetValueFormatByMagnitude(double dValue) {
    double a = std::fabs(dValue);
    if (a >= 10000)
        return "%.f";
    if (a >= 1000)
        return "%.2f";
    if (a >= 100)
        return "%.3f";
    if (a >= 10)
        return "%.4f";
    if (a >= 1)
        return "%.1f";
    return a >= 0.001 ? "%.3f" : "%.2e";
}

std::string FormatFrequencyText(double dHz) {
    if (dHz >= 1e6)
        return Format("%.1f", dHz * 1e-6) + "MHz";
    if (dHz >= 1000)
        return TrimTrailingZeros(Format("%.2f", dHz * 0.001)) + "kHz";
    return TrimTrailingZeros(Format("%.2f", dHz)) + "Hz";
}

double ParseFrequencyText(const std::string& strText) {
    double dValue = std::atof(strText.c_str());
    if (strText.find_first_of("kK") != std::string::npos)
        return dValue * 1000;
    if (strText.find('M') != std::string::npos)
        return dValue * 1e6;
    return dValue;
}

int HexPairToByte(const std::string& strText) {
    if (strText.size() < 2)
        return -1;
    int hi = HexValue(strText[0]), lo = HexValue(strText[1]);
    return hi < 0 || lo < 0 ? -1 : hi * 16 + lo;
}

std::string TruncateTo64Chars(const std::string& strText) {
    constexpr std::size_t kMax = 64;
    std::size_t nGbk = 0, i = 0;
    while (i < strText.size()) {
        std::size_t n = std::min(Utf8CharLength(static_cast<unsigned char>(strText[i])), strText.size() - i);
        std::size_t w = platform::GbkLength(std::string_view(strText).substr(i, n));
        if (nGbk + w > kMax)
            break;
        nGbk += w;
        i += n;
    }
    return strText.substr(0, i);
}

int GetMaxTextLength(int nCount, const std::string* pTexts) {
    std::size_t nMax = 0;
    for (int i = 0; pTexts && i < nCount; ++i)
        nMax = std::max(nMax, platform::GbkLength(pTexts[i]));
    return static_cast<int>(nMax);
}

std::string GetRosetteTypeName(int nKind) {
    static const char* const kNames[] = {"两片直角", "三片直角", "等    角", "伞    形", "扇    形"};
    return nKind >= 0 && nKind < 5 ? kNames[nKind] : "未 定 义";
}

double ApplyArithmeticOp(double a, double b, int nOp) {
    switch (nOp) {
    case 1:
        return a - b;
    case 2:
        return a * b;
    case 3:
        return std::fabs(b) <= 1e-6 ? 0.0 : a / b;
    default:
        return a + b;
    }
}

// A value that is not finite is returned as it is: there is no limit to
// round it to, and the digit search would not end.
double RoundAxisLimit(double dValue, bool bUp) {
    if (dValue == 0.0 || !std::isfinite(dValue))
        return dValue;
    double a = std::fabs(dValue);
    // Rounding away from zero: up for a positive value, down for a negative one.
    bool bAway = bUp == (dValue > 0);
    double m = a <= 10 ? RoundSmall(a, bAway) : RoundLarge(a, bAway);
    return dValue < 0 ? -m : m;
}

void SortRecordsByValueDesc(ValueRecord* pRecords, int nCount) {
    for (int i = 0; pRecords && i < nCount; ++i)
        for (int j = i + 1; j < nCount; ++j)
            if (!(pRecords[j].fValue < pRecords[i].fValue))
                std::swap(pRecords[i], pRecords[j]);
}
