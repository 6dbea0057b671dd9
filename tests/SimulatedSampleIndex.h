// Which sample of a simulated case a stored block holds, from the block
// itself: a case link heads what it writes with the module slot and the
// packet counter, the frame heads its own blocks with the unit, and then the
// first value, converted back to its reading, tells the sample.
#pragma once

#include "CaseSimulator.h"
#include "model/CaseSampleBlock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

// Values were stored as (reading - zero) * scale.
inline std::int64_t SimulatedSampleIndex(const CaseSampleBlock& block, int unit, std::int32_t zero,
                                         float scale) {
    if (block.nHeader == unit) {
        const auto raw0 = static_cast<std::int32_t>(std::lround(block.fValues[0] / scale)) + zero;
        return CCaseSimulator::SampleIndexOf(raw0);
    }
    EXPECT_EQ(block.nHeader >> 24, unit % 8) << "unit " << unit;
    return block.nHeader & 0xFFFFFF;
}
