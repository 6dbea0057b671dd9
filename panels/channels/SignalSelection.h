// The rules of the bar view's channel choice without its window: which
// channels are offered, and the chosen table rebuilt from the chosen names.
#pragma once

#include <string>
#include <vector>

constexpr int kMaxChosenSignals = 128;

// Channels of the online list, in its order, that are shown in their
// parameter record, present in their state record and not chosen.
std::vector<int> AvailableSignalChannels(const std::vector<int>& chosen);

// The chosen names read back as channel numbers: names that do not parse or
// lie outside 0..4095 are skipped, duplicates count once, and the result is
// ascending and at most 128 long.
std::vector<int> ChosenSignalChannels(const std::vector<std::string>& names);
