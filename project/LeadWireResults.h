// The lead-wire and self-test results without their windows: the strain
// channels they list, the far-end bridge voltage, the grid's column count,
// the results file "RLead.rst" and the text export.
#pragma once

#include "model/ChannelRecords.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// States of a channel in the results.
constexpr std::int32_t kLeadMeasured = 0;
constexpr std::int32_t kSelfTestAbnormal = 1;
constexpr std::int32_t kChannelOpen = -1;
constexpr std::int32_t kChannelShorted = -2;

struct LeadWireResults {
    std::array<std::int32_t, MAX_CHANNEL_COUNT> states{};
    std::array<float, MAX_CHANNEL_COUNT> resistances{}; // ohms
    std::array<float, MAX_CHANNEL_COUNT> voltages{};    // far-end bridge voltage, volts
};
static_assert(sizeof(LeadWireResults) == 49152, "RLead.rst is the three arrays as they lie");

// The strain channels of the online cases, case by case in the case list's
// order, 16 channels each.
std::vector<int> ListStrainChannels();

// B / (R / Rg + 1) / F of a channel with bridge voltage B, gauge resistance
// Rg and excitation divisor F from its records; 0 where a divisor is 0.
float FarEndBridgeVoltage(int channel, float resistance);

// The grid's column count for a width in pixels: (width - 40) / 80, rounded
// down to a multiple of the cells per channel, at least `least`.
int ResultGridColumns(int width, int cellsPerChannel, int least);

// "RLead.rst": written to a temporary name and renamed into place; read
// only when it has exactly the size of the three arrays.
bool WriteLeadResultsFile(const std::string& path, const LeadWireResults& results);
bool ReadLeadResultsFile(const std::string& path, LeadWireResults& results);

// The text export: a header and one line per listed channel that has a
// measured value, every field "%-15s\t" (GBK, CRLF lines); with 3 cells per
// channel the far-end voltage too.
bool ExportLeadResultsText(const std::string& path, const std::vector<int>& channels,
                           const LeadWireResults& results, int cellsPerChannel);
