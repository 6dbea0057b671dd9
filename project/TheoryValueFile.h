// The theory-value table (channel -> expected values, key -1 for all
// channels) with the sample descriptions, and its ".try" text file.
#pragma once

#include <map>
#include <string>
#include <vector>

constexpr int THEORY_ALL_CHANNELS = -1;
// What a file may hold at most: one group per channel and "All", and this
// many values or descriptions in one list.
constexpr int THEORY_MAX_GROUPS = 4097;
constexpr int THEORY_MAX_ITEMS = 65536;

using TheoryValueTable = std::map<int, std::vector<float>>;

// Writes every group of the table and the descriptions: counts "%d", values
// "%.3f", GBK, CRLF. The file is written under a temporary name and renamed
// over the old one, so a failed write leaves the old file whole.
bool WriteTheoryFile(const std::string& path, const TheoryValueTable& table,
                     const std::vector<std::string>& descriptions);

// Reads a file of that shape, counts first, numbers by atoi/atof; each group
// replaces the table's group of its channel. Counts are bounded, groups of
// channels outside -1..4095 are skipped, reading stops at the file's end.
// False (table and descriptions unchanged) when the file does not open.
bool ReadTheoryFile(const std::string& path, TheoryValueTable& table, std::vector<std::string>& descriptions);

// The values a channel's curve is compared with: its own group, else the
// group of all channels; null when neither is there or both are empty.
const std::vector<float>* TheoryValuesOfChannel(const TheoryValueTable& table, int channel);
