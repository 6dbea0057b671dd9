// The process-wide channel record tables and their loader defaults.
#include "model/ChannelRecords.h"

#include <cstring>

ChannelParamRecord g_ChannelParams[MAX_CHANNEL_COUNT];
ChannelStateRecord g_ChannelState[MAX_CHANNEL_COUNT];
AlarmRecord g_AlarmTable[MAX_CHANNEL_COUNT];

namespace {
constexpr float STRAIN_FACTOR_DEFAULT = 8.333333f; // bits 0x41055555
} // namespace

void SetStateRecordDefaults(int id) {
    if (!IsValidChannelId(id)) {
        return;
    }
    ChannelStateRecord& s = g_ChannelState[id];
    s.nSensorType = 0;
    s.fColdJunctionTemp = 0.0f;
    s.fFullScale = 20.0f;
    s.nFullScaleLevel = 0;
    s.bPresent = 1;
    s.fPulsesPerRev = 1.0f;
    s.fSpeedRatio = 1.0f;
    s.nCompChannel = -1;
    s.fStrainFactor = STRAIN_FACTOR_DEFAULT;
    s.fScale = 1.0f;
    s.fReserved40 = 1.0f;
    s.fGain = 1.0f;
    s.fBridgeGain = 1.0f;
    s.fTempGain = 1.0f;
    s.nBridgeKind = 1;
    s.fBridgeVoltage = static_cast<float>(g_ChannelParams[id].nBridgeVoltage);
    s.nValueType = 0;
    s.fBridgeParam1 = 0.0f;
    s.fBridgeParam2 = 120.0f;
}

void SetAlarmRecordDefaults(int id) {
    if (!IsValidChannelId(id)) {
        return;
    }
    g_AlarmTable[id] = AlarmRecord{id, 0, 0, 0.0f, 0.0f};
}

void ClearChannelRecords() {
    std::memset(g_ChannelParams, 0, sizeof(g_ChannelParams));
    std::memset(g_ChannelState, 0, sizeof(g_ChannelState));
    std::memset(g_AlarmTable, 0, sizeof(g_AlarmTable));
}
