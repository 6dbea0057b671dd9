// Checks of what the user typed into a settings field before it goes to a
// controller, a case or a settings file, and the refusals that name the
// field. A typo refused here never reaches the hardware as a number nobody
// meant (an octet of 999 wrapped, a coefficient of "abc" read as 0).
#pragma once

#include <string>

// Exactly four dot-separated decimal numbers of 0-255, without leading zeros.
bool IsIPv4Text(const std::string& text);
// Digits only, not empty, with value <= max (a longer text never overflows).
bool ParseWholeNumberText(const std::string& text, long long max, long long& value);
// A TCP or UDP port: a whole number 1-65535.
bool ParsePortText(const std::string& text, int& port);
// A decimal number (blanks around it allowed) that is finite and above 0 as
// the float it is sent as.
bool ParsePositiveNumberText(const std::string& text, float& value);

// "<field>不正确，..." for each kind of field.
std::string InvalidAddressMessage(const std::string& field);
std::string InvalidPortMessage(const std::string& field);
std::string InvalidPositiveNumberMessage(const std::string& field);
