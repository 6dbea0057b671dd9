// The three per-channel record tables (parameters, state, alarms) indexed by
// channel id. Their layouts are also the layout of the ".chn" file, so every
// record is a fixed-size little-endian structure.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

static_assert(std::endian::native == std::endian::little, "records are stored as little-endian dumps");

constexpr int MAX_CHANNEL_COUNT = 4096;

// Measurement types of a channel.
constexpr int MEASURE_STRAIN = 0;
constexpr int MEASURE_BRIDGE_SENSOR = 1;
constexpr int MEASURE_THERMOCOUPLE = 2;
constexpr int MEASURE_RTD = 3;
constexpr int MEASURE_SPEED = 4;
constexpr int MEASURE_VOLTAGE = 5;
constexpr int MEASURE_RESISTANCE = 6;
constexpr int MEASURE_PASS_THROUGH = 20;

// Balance zero of a channel that has not been balanced.
constexpr std::int32_t ZERO_NOT_BALANCED = 0x800001;

// Unit texts as stored in the records (GBK bytes).
inline constexpr const char* GBK_UNIT_MICROSTRAIN = "\xA6\xCC\xA6\xC5"; // με
inline constexpr const char* GBK_UNIT_CELSIUS = "\xA1\xE6";             // ℃
inline constexpr const char* GBK_UNIT_OHM = "\xA6\xB8";                 // Ω

struct ChannelParamRecord {
    std::int32_t nChannelId;
    std::int32_t nMeasureType;
    char szUnit[16];        // GBK, zero-terminated
    char szDescription[20]; // GBK, zero-terminated
    std::int32_t bShown;
    std::int32_t nReserved48;
    std::int32_t bAlarmEnabled; // copy of the alarm record's bEnabled
    float fReserved56;
    std::int32_t nBridgeVoltage; // whole volts
    std::int32_t nDisplayType;   // 0 strain, 1 stress
    std::int32_t nBridgeType;    // index into the bridge input modes
    float fGaugeFactor;
    float fGaugeResistance;
    float fLeadResistance;
    float fPoissonRatio;
    float fCoefficient;
    float fElasticModulus; // GPa
    float fSensitivity;    // mV/EU; derived strain scale for strain channels
    std::int32_t nZero;    // raw counts; ZERO_NOT_BALANCED when not balanced
    float fScaleDivisor;   // derived
    std::int32_t bCorrected;
    float fCorrectionSlope;
    float fCorrectionOffset;
};
static_assert(sizeof(ChannelParamRecord) == 120);
static_assert(offsetof(ChannelParamRecord, bShown) == 44);
static_assert(offsetof(ChannelParamRecord, nBridgeVoltage) == 60);
static_assert(offsetof(ChannelParamRecord, fSensitivity) == 96);
static_assert(offsetof(ChannelParamRecord, fCorrectionOffset) == 116);

struct ChannelStateRecord {
    std::int32_t nSensorType; // thermocouple type or RTD sub-type
    float fColdJunctionTemp;
    float fFullScale;
    std::int32_t nFullScaleLevel;
    std::int32_t bPresent; // the channel belongs to an online case
    float fPulsesPerRev;
    float fSpeedRatio;
    std::int32_t nCompChannel; // compensation / cold-junction channel, -1 none
    float fStrainFactor;
    float fScale; // derived
    float fReserved40;
    float fGain;
    float fBridgeGain;
    float fTempGain;
    std::int32_t nBridgeKind; // 1 full bridge, other half bridge
    float fBridgeVoltage;
    std::int32_t nValueType;
    float fBridgeParam1;
    float fBridgeParam2;
};
static_assert(sizeof(ChannelStateRecord) == 76);
static_assert(offsetof(ChannelStateRecord, nCompChannel) == 28);
static_assert(offsetof(ChannelStateRecord, fBridgeParam2) == 72);

struct AlarmRecord {
    std::int32_t nChannelId;
    std::int32_t nAlarmType; // 0 over, 1 under, 2 inside window, 3 outside window
    std::int32_t bEnabled;
    float fUpper;
    float fLower;
};
static_assert(sizeof(AlarmRecord) == 20);

extern ChannelParamRecord g_ChannelParams[MAX_CHANNEL_COUNT];
extern ChannelStateRecord g_ChannelState[MAX_CHANNEL_COUNT];
extern AlarmRecord g_AlarmTable[MAX_CHANNEL_COUNT];

inline bool IsValidChannelId(int id) {
    return id >= 0 && id < MAX_CHANNEL_COUNT;
}

// Loader defaults of one channel (what the file reader writes before it
// reads the state and alarm tables).
void SetStateRecordDefaults(int id);
void SetAlarmRecordDefaults(int id);

// Zeroes all three tables, as at program start (tests).
void ClearChannelRecords();
