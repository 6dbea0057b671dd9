// The command bits of the load-control commands ("CmdBit.ini", section
// "DAStoLCS<code>", key "Bit") and the masks the program answers with.
// Masks are unsigned 32-bit words, so a bit is 1 to 31.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The bit a key's text names: a decimal number from 1 to 31; 0 (no bit)
// for anything else: missing, 0, negative, too large, or not a number.
int CommandBitFromText(const std::string& text);
// The pulse of a balance or event command for bit n: 2^(n-1), then 2^n,
// then 0; only the closing 0 without a bit.
std::vector<std::uint32_t> CommandPulseMasks(int bit);
// The mask a continuous command sends for bit n: 2^(n-1) + 2^n; 0 without a bit.
std::uint32_t ContinuousCommandMask(int bit);
