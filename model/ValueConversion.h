// Conversion of channel readings in two stages: at acquisition raw counts
// become measured quantities (zero-corrected and scaled, markers set or
// kept), and on every read a stored reading becomes the engineering value of
// the channel's measurement type. Plain functions over the channel tables.
#pragma once

#include <cstdint>

#include "model/CaseSampleBlock.h"
#include "model/CaseTables.h"
#include "model/ChannelRecords.h"
#include "model/ModuleLinearStage.h"

// Stored-value markers (kNoValue, -8388609.0, comes with the sample block,
// kFurtherMarkerValue, 8388610.0, with the linear stage).
constexpr float kUnbalancedValue = 8388609.0f; // bits 0x4B000001
constexpr float kMarkerThreshold = 8388608.0f; // larger magnitudes are markers or overflow

// Settings of section "System" that the conversion reads; start-up fills them.
extern std::int32_t g_nADBase;        // "ADBASE", A/D counts of the full value
extern std::int32_t g_nRefChanOffset; // "RefrenceChanOffset", -1 none
extern bool g_bGNDInputMode;          // "GNDInputMode"
// Per-channel offsets the main frame fills from a sample set; subtracted by
// the first stage.
extern float g_fChannelOffset[MAX_CHANNEL_COUNT];

// Which modules a sample block holds: for module m its unit number and the
// index of its array in the caller's table; every array holds nSamples blocks.
struct SampleBlockDescriptor {
    int nModuleCount = 0;
    int nSamples = 0;
    int nArrayIndex[MAX_CASE_COUNT] = {};
    int nUnit[MAX_CASE_COUNT] = {};
};

// Derived words.
int UpdateChannelScale(int channel);
double CalcStrainFactor(int displayType, int bridgeType, float gaugeFactor, float gaugeResistance,
                        float leadResistance, float poissonRatio);
double CalcStrainScale(int displayType, int bridgeType, float gaugeFactor, float gaugeResistance,
                       float leadResistance, float poissonRatio, float coefficient, float elasticModulus);

// First stage.
void ConvertModuleSamples(int unit, float values[CHANNELS_PER_MODULE]);
// The stage of unit's module when every channel takes the linear form and
// none is compensated by another channel; false otherwise.
bool PlanLinearModule(int unit, ModuleLinearStage& stage);
bool HasCompensatedStrainChannels(const SampleBlockDescriptor& desc);
void ApplyCompensationChannels(const SampleBlockDescriptor& desc, CaseSampleBlock* const* arrays);
void ConvertSampleBlock(const SampleBlockDescriptor& desc, CaseSampleBlock* const* arrays);
void ConvertSampleBlockInPlace(const SampleBlockDescriptor& desc, CaseSampleBlock* const* arrays);
// frame: 512 blocks indexed by unit number.
int ConvertBlockToValues(CaseSampleBlock* frame);

// Second stage. A channel whose parameters would divide by zero gives kNoValue.
double ConvertRawToValue(int channel, float reading);
double ConvertThermocoupleWithReference(int channel, float reading, float referenceReading);
double ConvertBlockChannelValue(int channel, const CaseSampleBlock& block);
float ConvertFullScaleToValue(int channel, float value);
double ConvertValueToRaw(int channel, double value);
double ApplyLinearCorrection(double value, int channel);
double RemoveLinearCorrection(double value, int channel);
double CalcLeadCompensatedStrain(int channel, float bridgeOutput);

// Small lookups.
double GetChannelGainFactor(int channel);
int GetSensorInputModeIndex(int bridgeKind);
int ApplyZeroDeadBand(int n);
bool IsPassThroughBridgeMode(int bridgeType);
bool IsBridgeMode9(int bridgeType);
bool IsChannelAvailable(int channel);
bool IsChannelSubVersion3(int channel);
const char* GetRelAbsModeText(int mode);
bool IsGndInputMode();
int CountChannelsOfType(int measureType);
// Strain channels of the frame's list, recounted after a type change.
extern std::int32_t g_nStrainChanCount;
// Name of measurement type 0..6; empty for any other.
const char* GetMeasureTypeName(int measureType);

// True for the stored-value markers and overflow (magnitude above 2^23).
inline bool IsMarkerValue(float value) {
    return value > kMarkerThreshold || value < -kMarkerThreshold;
}
