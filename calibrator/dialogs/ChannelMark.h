// The selection mark written before a channel number in the first column of
// the coefficient and correction grids ("√" selected, "×" not).
#pragma once

#include <string>

constexpr const char* kMarkSelected = "√";
constexpr const char* kMarkUnselected = "×";

// "%s  %d": the mark, two spaces, the number.
std::string MarkedText(bool selected, int number);
// Whether the text starts with the selected mark.
bool IsMarkedSelected(const std::string& text);
// The number after the mark and its two spaces; -1 when there is none.
int MarkedNumber(const std::string& text);
