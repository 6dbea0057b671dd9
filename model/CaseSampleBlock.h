// One module's readings of one sample: the unit of the case sample stream
// and of the sample data files.
#pragma once

#include <cstdint>

#pragma pack(push, 1)
struct CaseSampleBlock {
    std::int32_t nHeader = -1; // -1: the block carries no data
    float fValues[16] = {};
};
#pragma pack(pop)
static_assert(sizeof(CaseSampleBlock) == 68, "case sample block is 68 bytes on disk and wire");

// The marker of "no value" (bit pattern 0xCB000001).
constexpr float kNoValue = -8388609.0f;
