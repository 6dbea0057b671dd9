#include "acquisition/SetConversionPlan.h"

#include "model/CaseTables.h"
#include "model/ChannelRecords.h"
#include "model/ValueConversion.h"

#include <algorithm>
#include <bit>
#include <bitset>
#include <cmath>
#include <cstdint>

namespace {

// Whether ConvertBlockChannelValue gives the channel's corrected reading,
// k × (r / divisor × 0.001) + b, and nothing else.
bool IsLinearChannel(int id) {
    const ChannelParamRecord& p = g_ChannelParams[id];
    if (p.nMeasureType == MEASURE_THERMOCOUPLE || p.nMeasureType == MEASURE_RTD ||
        p.nMeasureType == MEASURE_SPEED || p.fScaleDivisor == 0.0f)
        return false;
    if (p.nMeasureType == MEASURE_STRAIN && (p.nBridgeType == 0 || p.nBridgeType == 1))
        return false;
    if (p.nMeasureType == MEASURE_PASS_THROUGH && IsPassThroughBridgeMode(p.nBridgeType))
        return false;
    return true;
}

// value where the reading is a finite number, else 0; a stored-value
// marker (a channel not balanced, no value) stays the marker, so that the
// live views show what the files keep rather than a number made of it.
// Written without a branch, so that a run of channels converts several at a time.
inline float LiveValue(float raw, float value) {
    constexpr std::uint32_t kExponent = 0x7F800000u;
    const std::uint32_t bits = std::bit_cast<std::uint32_t>(raw);
    const std::uint32_t keep = (bits & kExponent) != kExponent ? ~0u : 0u;
    const std::uint32_t marker = (bits == std::bit_cast<std::uint32_t>(kUnbalancedValue)) |
                                         (bits == std::bit_cast<std::uint32_t>(kFurtherMarkerValue)) |
                                         (bits == std::bit_cast<std::uint32_t>(kNoValue))
                                     ? ~0u
                                     : 0u;
    return std::bit_cast<float>((std::bit_cast<std::uint32_t>(value) & keep & ~marker) | (bits & marker));
}

// Whether 1 / divisor is a float and multiplying by it is dividing: so for
// a power of two (a normal number), where both are exact. So is its product
// with 0.001 in double, and multiplying a reading by that product rounds as
// multiplying by the reciprocal and then by 0.001 does.
bool HasExactReciprocal(float divisor) {
    int exponent = 0;
    return std::isnormal(divisor) && std::frexp(divisor, &exponent) == 0.5f;
}

// The very operations of ScaledReading and ApplyLinearCorrection, a run's
// channels at a time: factor is the divisor, or with byProduct the product
// above. Without correction (slope 1, offset 0) the correction is dropped:
// 1 * x + 0 is x but for -0, which the float's + 0 makes 0 as it did.
template <bool byProduct, bool corrected>
void ConvertRun(int count, const float* __restrict raw, const double* __restrict factor,
                const float* __restrict slope, const float* __restrict offset, float* __restrict placed) {
    for (int k = 0; k < count; ++k) {
        const double x = byProduct ? static_cast<double>(raw[k]) * factor[k]
                                   : static_cast<double>(raw[k]) / factor[k] * 0.001;
        float value;
        if constexpr (corrected)
            value = static_cast<float>(slope[k] * x + offset[k]);
        else
            value = static_cast<float>(x) + 0.0f;
        placed[k] = LiveValue(raw[k], value);
    }
}

} // namespace

bool CSetConversionPlan::Entry::operator==(const Entry& other) const {
    const auto bits = [](float f) { return std::bit_cast<std::uint32_t>(f); };
    return id == other.id && unit == other.unit && position == other.position && linear == other.linear &&
           bits(divisor) == bits(other.divisor) && bits(slope) == bits(other.slope) &&
           bits(offset) == bits(other.offset);
}

void CSetConversionPlan::Build() {
    m_NextEntries.clear();
    std::bitset<MAX_CHANNEL_COUNT> used;
    bool shared = false;
    const int count = std::clamp(g_nChannelCount, 0, MAX_CHANNEL_COUNT);
    for (int i = 0; i < count; ++i) {
        const int id = g_ChannelList[i];
        if (!IsValidChannelId(id))
            continue;
        const int unit = id / CHANNELS_PER_MODULE;
        const int slot = g_CaseSlot[unit];
        const int position = slot * CHANNELS_PER_MODULE + id % CHANNELS_PER_MODULE;
        if (slot < 0 || position >= MAX_CHANNEL_COUNT)
            continue;
        if (used.test(static_cast<std::size_t>(position)))
            shared = true;
        used.set(static_cast<std::size_t>(position));
        const ChannelParamRecord& p = g_ChannelParams[id];
        m_NextEntries.push_back({id, unit, position, IsLinearChannel(id), p.fScaleDivisor, p.fCorrectionSlope,
                                 p.fCorrectionOffset});
    }
    m_bSharedPlaces = shared;
    // The runs follow from the entries alone: the same entries as the last
    // batch's keep its runs.
    if (m_NextEntries == m_Entries && !m_Runs.empty())
        return;
    m_Entries.swap(m_NextEntries);
    BuildRuns();
}

void CSetConversionPlan::BuildRuns() {
    m_Runs.clear();
    m_Factor.clear();
    m_Slope.clear();
    m_Offset.clear();
    for (const Entry& e : m_Entries) {
        const int channel = e.id % CHANNELS_PER_MODULE;
        const bool reciprocal = e.linear && HasExactReciprocal(e.divisor);
        const bool corrected = !(e.slope == 1.0f && e.offset == 0.0f);
        Run* last = m_Runs.empty() ? nullptr : &m_Runs.back();
        const bool extends = e.linear && last && last->linear && last->unit == e.unit &&
                             last->channel + last->count == channel && last->reciprocal == reciprocal &&
                             last->corrected == corrected;
        if (extends) {
            ++last->count;
        } else {
            m_Runs.push_back({e.unit, channel, 1, e.position, e.id, static_cast<int>(m_Factor.size()),
                              e.linear, reciprocal, corrected});
        }
        if (e.linear) {
            m_Factor.push_back(reciprocal ? 1.0 / e.divisor * 0.001 : e.divisor);
            m_Slope.push_back(e.slope);
            m_Offset.push_back(e.offset);
        }
    }
}

void CSetConversionPlan::Convert(const CaseSampleBlock* set, float* buffer, float* values) const {
    const auto blockOf = [set](int unit) -> const CaseSampleBlock& { return set[unit]; };
    if (m_bSharedPlaces)
        ConvertEntries(blockOf, buffer, values);
    else
        ConvertRuns(blockOf, buffer, values);
}

void CSetConversionPlan::Convert(const CaseSampleBlock* const* perUnit, int index,
                                 const CaseSampleBlock* missing, float* buffer, float* values) const {
    // The units' blocks lie in as many places as there are cases' batches,
    // too many for the processor to see the pattern: each unit's block of a
    // later set is asked for ahead (a hint, never a read, so past the end
    // of a run it does no harm).
    constexpr int kAhead = 4;
    const auto blockOf = [perUnit, index, missing](int unit) -> const CaseSampleBlock& {
        const CaseSampleBlock* blocks = perUnit[unit];
        if (blocks == nullptr)
            return missing[unit];
        const char* ahead = reinterpret_cast<const char*>(blocks + index + kAhead);
        __builtin_prefetch(ahead);
        __builtin_prefetch(ahead + sizeof(CaseSampleBlock) - 1);
        return blocks[index];
    };
    if (m_bSharedPlaces)
        ConvertEntries(blockOf, buffer, values);
    else
        ConvertRuns(blockOf, buffer, values);
}

template <typename BlockOf>
void CSetConversionPlan::ConvertEntries(BlockOf blockOf, float* buffer, float* values) const {
    for (const Entry& e : m_Entries) {
        const CaseSampleBlock& block = blockOf(e.unit);
        const float raw = block.fValues[e.id % CHANNELS_PER_MODULE];
        float value = 0.0f;
        if (e.linear) {
            const double x = static_cast<double>(raw) / e.divisor * 0.001;
            value = LiveValue(raw, static_cast<float>(e.slope * x + e.offset));
        } else if (std::isfinite(raw))
            value = LiveValue(raw, static_cast<float>(ConvertBlockChannelValue(e.id, block)));
        buffer[e.position] = value;
    }
    // After the whole set, as the values are read from the buffer: two
    // channels at one place both show what it holds.
    if (values != nullptr)
        for (const Entry& e : m_Entries)
            values[e.id] = buffer[e.position];
}

template <typename BlockOf>
void CSetConversionPlan::ConvertRuns(BlockOf blockOf, float* buffer, float* values) const {
    for (const Run& run : m_Runs) {
        const CaseSampleBlock& block = blockOf(run.unit);
        if (!run.linear) {
            const float raw = block.fValues[run.channel];
            const float value =
                std::isfinite(raw)
                    ? LiveValue(raw, static_cast<float>(ConvertBlockChannelValue(run.id, block)))
                    : 0.0f;
            buffer[run.position] = value;
            if (values != nullptr)
                values[run.id] = value;
            continue;
        }
        const auto convert = run.reciprocal
                                 ? (run.corrected ? ConvertRun<true, true> : ConvertRun<true, false>)
                                 : (run.corrected ? ConvertRun<false, true> : ConvertRun<false, false>);
        const auto first = static_cast<std::size_t>(run.first);
        convert(run.count, block.fValues + run.channel, m_Factor.data() + first, m_Slope.data() + first,
                m_Offset.data() + first, buffer + run.position);
        if (values != nullptr)
            std::copy_n(buffer + run.position, run.count, values + run.id);
    }
}
