// The virtual-channel dialog's formula checker: the parser's token rules,
// with a message in words for the first rule a formula breaks.
#pragma once

#include <functional>
#include <string>

constexpr int FORMULA_CHECK_MAX_LENGTH = 512;

// The channels a formula may name: chN refers to channel N - 1, which must
// lie in first..last and be shown in the channel table.
struct FormulaChannelRange {
    int nFirst = 0;
    int nLast = -1;
    std::function<bool(int)> isShown; // none: every channel in range is shown
};

// Length of the token at `at`: 1 for ( ) * + - / ^, 3 for cos cot sin tan
// log, 4 for sqrt, 2 for "ch" followed by a digit, else 0.
int GetTokenLength(const char* at);
// "(" and ")" balance without the count going below zero.
bool CheckBrackets(const std::string& formula);
// "" when the text keeps every rule, else the message of the first break.
std::string ScanExpression(const std::string& text, const FormulaChannelRange& range);
// A formula of more than 512 characters is refused with an empty message;
// otherwise the scanner decides.
bool CheckExpression(const std::string& formula, const FormulaChannelRange& range, std::string& message);
