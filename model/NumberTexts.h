// Number texts of the parameter grids and the sampling bar, axis-limit
// rounding, and a few small shared helpers on numbers and texts.
#pragma once

#include <cstdint>
#include <string>

// Kind 1: digits and '.' only, not empty; kind 2: digits only (empty
// passes); any other kind passes.
bool IsValidNumberText(int nKind, const std::string& strText);
// The value with n decimals, trailing zeros and a trailing '.' removed.
std::string FormatValueDecimals(double dValue, int nDecimals);
// Removes trailing zeros and then a trailing '.', only from a text with a '.'.
std::string TrimTrailingZeros(const std::string& strText);
// A printf format that suits the value's magnitude.
const char* GetValueFormatByMagnitude(double dValue);
std::string FormatFrequencyText(double dHz);
double ParseFrequencyText(const std::string& strText);
// 0..255 from two hex digits, -1 when either is not one.
int HexPairToByte(const std::string& strText);
// The first 64 characters (counted in GBK bytes, never splitting one).
std::string TruncateTo64Chars(const std::string& strText);
// The longest GBK length among n texts; 0 for none.
int GetMaxTextLength(int nCount, const std::string* pTexts);
std::string GetRosetteTypeName(int nKind);
// a - b (1), a * b (2), a / b (3; 0 when |b| <= 1e-6), a + b (any other).
double ApplyArithmeticOp(double a, double b, int nOp);
// A rounded axis limit above (bUp) or below the value: 37 → 40 / 35, 3.7 → 5 / 0.
double RoundAxisLimit(double dValue, bool bUp);

struct ValueRecord {
    std::int32_t n1;
    std::int32_t n2;
    float fValue;
};
// Sorts so that the values descend (equal values change places).
void SortRecordsByValueDesc(ValueRecord* pRecords, int nCount);
