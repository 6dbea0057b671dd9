#include "acquisition/SetConversionPlan.h"

#include "app/CaseTables.h"
#include "app/ChannelRecords.h"
#include "app/ValueConversion.h"

#include <algorithm>
#include <cmath>

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

} // namespace

void CSetConversionPlan::Build() {
    m_Entries.clear();
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
        const ChannelParamRecord& p = g_ChannelParams[id];
        m_Entries.push_back(
            {id, unit, position, IsLinearChannel(id), p.fScaleDivisor, p.fCorrectionSlope, p.fCorrectionOffset});
    }
}

void CSetConversionPlan::Convert(const CaseSampleBlock* set, float* buffer, float* values) const {
    for (const Entry& e : m_Entries) {
        const float raw = set[e.unit].fValues[e.id % CHANNELS_PER_MODULE];
        float value = 0.0f;
        if (std::isfinite(raw)) {
            if (e.linear) {
                // The very operations of ScaledReading and ApplyLinearCorrection.
                const double x = static_cast<double>(raw) / e.divisor * 0.001;
                value = static_cast<float>(e.slope * x + e.offset);
            } else {
                value = static_cast<float>(ConvertBlockChannelValue(e.id, set[e.unit]));
            }
        }
        buffer[e.position] = value;
    }
    // After the whole set, as the values are read from the buffer: two
    // channels at one place (a damaged slot table) both show what it holds.
    for (const Entry& e : m_Entries)
        values[e.id] = buffer[e.position];
}
