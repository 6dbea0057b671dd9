// The first conversion stage of a module whose sixteen channels all take the
// linear form (v - zero) * scale - offset, with the stored-value markers
// kept: read once from the channel records for a batch of samples, so that
// a case link can convert each value as it decodes it.
#pragma once

#include "model/CaseSampleBlock.h"

#include <bit>
#include <cstdint>

// The marker a later stage passes through unchanged.
constexpr float kFurtherMarkerValue = 8388610.0f;

struct ModuleLinearStage {
    static constexpr std::uint32_t kFurtherBits = std::bit_cast<std::uint32_t>(kFurtherMarkerValue);
    static constexpr std::uint32_t kNoValueBits = std::bit_cast<std::uint32_t>(kNoValue);

    float zero[16];
    float scale[16];
    float offset[16];

    // Channel c's value; a marker is its bit pattern, so comparing the bits
    // is comparing the values, and the choice needs no branch.
    float Apply(int c, float value) const {
        const std::uint32_t v = std::bit_cast<std::uint32_t>(value);
        const float converted = (value - zero[c]) * scale[c] - offset[c];
        const std::uint32_t keep = (v != kFurtherBits) & (v != kNoValueBits) ? ~0u : 0u;
        return std::bit_cast<float>((std::bit_cast<std::uint32_t>(converted) & keep) | (v & ~keep));
    }
};
