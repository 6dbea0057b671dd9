// Value conversion to engineering units.
#include "model/ValueConversion.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "libs/thermo/ThermoConversion.h"
#include "model/ChannelTypeSource.h"

std::int32_t g_nADBase = 20000;
std::int32_t g_nRefChanOffset = -1;
bool g_bGNDInputMode = false;
float g_fChannelOffset[MAX_CHANNEL_COUNT];
std::int32_t g_nStrainChanCount = 0;

namespace {

constexpr double STRAIN_LIMIT = 1e-15;
constexpr double SPEED_OFFSET = 32765.0;

// Single values are read in place; the 16 values are copied as a whole since
// the packed block gives no aligned pointer to them.
float ReadValue(const CaseSampleBlock& block, int index) {
    return block.fValues[index];
}

void CopyValuesOut(const CaseSampleBlock& block, float* values) {
    std::memcpy(values, reinterpret_cast<const char*>(&block) + offsetof(CaseSampleBlock, fValues),
                CHANNELS_PER_MODULE * sizeof(float));
}

void CopyValuesIn(CaseSampleBlock& block, const float* values) {
    std::memcpy(reinterpret_cast<char*>(&block) + offsetof(CaseSampleBlock, fValues), values,
                CHANNELS_PER_MODULE * sizeof(float));
}

float PtNominalResistance(int sensorType) {
    switch (sensorType) {
    case 0:
        return 100.0f;
    case 1:
        return 10.0f;
    default:
        return 1000.0f;
    }
}

double ThermocoupleTemperature(int sensorType, double coldJunction, double millivolts) {
    const float coldVoltage = ThermoTemperatureToVoltage(sensorType, static_cast<float>(coldJunction));
    return ThermoVoltageToTemperature(sensorType, static_cast<float>(coldVoltage + millivolts));
}

// Reading divided into measured units, or false when the divisor is zero.
bool ScaledReading(int channel, double reading, double& x) {
    const float divisor = g_ChannelParams[channel].fScaleDivisor;
    if (divisor == 0.0f) {
        return false;
    }
    x = reading / divisor * 0.001;
    return true;
}

// Position of each unit in the descriptor's module list, -1 when absent.
void BuildUnitIndex(const SampleBlockDescriptor& desc, int (&moduleOfUnit)[MAX_CHANNEL_CASE_COUNT]) {
    for (int& m : moduleOfUnit) {
        m = -1;
    }
    for (int m = 0; m < desc.nModuleCount; ++m) {
        const int unit = desc.nUnit[m];
        if (unit >= 0 && unit < MAX_CHANNEL_CASE_COUNT && moduleOfUnit[unit] < 0) {
            moduleOfUnit[unit] = m;
        }
    }
}

int ModuleCount(const SampleBlockDescriptor& desc) {
    return desc.nModuleCount < 0 ? 0
                                 : (desc.nModuleCount > MAX_CASE_COUNT ? MAX_CASE_COUNT : desc.nModuleCount);
}

// Calls f(module, channel, id) for the 16 channels of every module of the
// descriptor whose unit can carry channel ids.
template <typename F> void ForDescriptorChannels(const SampleBlockDescriptor& desc, F f) {
    const int modules = ModuleCount(desc);
    for (int m = 0; m < modules; ++m) {
        const int unit = desc.nUnit[m];
        if (unit < 0 || unit >= MAX_CHANNEL_CASE_COUNT) {
            continue;
        }
        for (int c = 0; c < CHANNELS_PER_MODULE; ++c) {
            f(m, c, unit * CHANNELS_PER_MODULE + c);
        }
    }
}

// The compensated value of strain channel i whose compensation channel q
// reads vq in the same sample.
float CompensatedValue(int i, float v, int q, float vq) {
    const ChannelParamRecord& pi = g_ChannelParams[i];
    const ChannelParamRecord& pq = g_ChannelParams[q];
    const float fsi = g_ChannelState[i].fFullScale;
    if (pi.fScaleDivisor == 0.0f || pq.fScaleDivisor == 0.0f || fsi == 0.0f) {
        return kNoValue;
    }
    const double own = v / pi.fScaleDivisor * 0.001;
    const double comp = vq / pq.fScaleDivisor * 0.001 * g_ChannelState[q].fFullScale / fsi;
    return static_cast<float>((own - comp) * pi.fScaleDivisor * 1000.0);
}

bool IsCompensatedStrainChannel(int id) {
    const ChannelStateRecord& s = g_ChannelState[id];
    return s.bPresent != 0 && g_ChannelParams[id].nMeasureType == MEASURE_STRAIN && s.nCompChannel != -1;
}

bool PlanPlainModule(int unit, ModuleLinearStage& stage) {
    if (unit < 0 || unit >= MAX_CHANNEL_CASE_COUNT) {
        return false;
    }
    for (int c = 0; c < CHANNELS_PER_MODULE; ++c) {
        const int id = unit * CHANNELS_PER_MODULE + c;
        const ChannelParamRecord& p = g_ChannelParams[id];
        switch (p.nMeasureType) {
        case MEASURE_THERMOCOUPLE:
        case MEASURE_RTD:
        case MEASURE_SPEED:
        case MEASURE_PASS_THROUGH:
            return false;
        default:
            if (p.nZero == ZERO_NOT_BALANCED) {
                return false;
            }
            break;
        }
        stage.zero[c] = static_cast<float>(p.nZero);
        stage.scale[c] = g_ChannelState[id].fScale;
        stage.offset[c] = g_fChannelOffset[id];
    }
    return true;
}

// The very operations of ConvertModuleSamples for such a module, written
// without a branch so that several channels convert at a time.
void ConvertPlainModule(const ModuleLinearStage& stage, CaseSampleBlock* blocks, int samples) {
    float values[CHANNELS_PER_MODULE];
    for (int j = 0; j < samples; ++j) {
        CopyValuesOut(blocks[j], values);
        for (int c = 0; c < CHANNELS_PER_MODULE; ++c) {
            values[c] = stage.Apply(c, values[c]);
        }
        CopyValuesIn(blocks[j], values);
    }
}

} // namespace

int UpdateChannelScale(int channel) {
    if (!IsValidChannelId(channel)) {
        return 0;
    }
    ChannelParamRecord& p = g_ChannelParams[channel];
    ChannelStateRecord& s = g_ChannelState[channel];
    // A zero ADBASE cannot scale anything: such channels read 0.
    s.fScale =
        g_nADBase != 0 ? s.fFullScale * p.fCoefficient * 1000.0f / static_cast<float>(g_nADBase) : 0.0f;
    switch (p.nMeasureType) {
    case MEASURE_STRAIN:
        p.fSensitivity = static_cast<float>(
            CalcStrainScale(p.nDisplayType, p.nBridgeType, p.fGaugeFactor, p.fGaugeResistance,
                            p.fLeadResistance, p.fPoissonRatio, p.fCoefficient, p.fElasticModulus));
        p.fScaleDivisor = p.fSensitivity * static_cast<float>(p.nBridgeVoltage) / 2.0f;
        break;
    case MEASURE_BRIDGE_SENSOR:
    case MEASURE_VOLTAGE:
    case MEASURE_RESISTANCE:
        p.fScaleDivisor = p.fSensitivity;
        break;
    default:
        p.fScaleDivisor = 1.0f;
        break;
    }
    return 1;
}

double CalcStrainFactor(int displayType, int bridgeType, float gaugeFactor, float gaugeResistance,
                        float leadResistance, float poissonRatio) {
    const double resistance = gaugeResistance < 1e-18f ? 120.0 : gaugeResistance;
    const double factor = gaugeFactor < 1e-8f ? 2.0 : gaugeFactor;
    const double base = (leadResistance / resistance + 1.0) * (2.0 / factor);
    switch (bridgeType) {
    case 3:
        return base / (1.0 + poissonRatio);
    case 4:
        return base * 0.5;
    case 5:
        return base / (1.0 + poissonRatio) * 0.5;
    case 6:
        return base * 0.25;
    default:
        return base;
    }
}

double CalcStrainScale(int displayType, int bridgeType, float gaugeFactor, float gaugeResistance,
                       float leadResistance, float poissonRatio, float coefficient, float elasticModulus) {
    const double f = CalcStrainFactor(displayType, bridgeType, gaugeFactor, gaugeResistance, leadResistance,
                                      poissonRatio) *
                     1000.0;
    const double denominator = displayType == 1 ? f * elasticModulus * 0.001 : f;
    // A zero or non-finite scale makes the divisor zero, which reads as no value.
    return denominator != 0.0 && std::isfinite(denominator) ? 1.0 / denominator : 0.0;
}

void ConvertModuleSamples(int unit, float values[CHANNELS_PER_MODULE]) {
    if (unit < 0 || unit >= MAX_CHANNEL_CASE_COUNT) {
        return;
    }
    const int ref = g_nRefChanOffset;
    const float refValue = ref >= 0 && ref < CHANNELS_PER_MODULE ? values[ref] : 0.0f;
    for (int c = 0; c < CHANNELS_PER_MODULE; ++c) {
        const int id = unit * CHANNELS_PER_MODULE + c;
        const ChannelParamRecord& p = g_ChannelParams[id];
        const float scale = g_ChannelState[id].fScale;
        float& v = values[c];
        switch (p.nMeasureType) {
        case MEASURE_THERMOCOUPLE:
        case MEASURE_RTD:
            if (c != ref) {
                v = (v - refValue - static_cast<float>(p.nZero)) * scale;
            }
            break;
        case MEASURE_SPEED:
            break;
        case MEASURE_PASS_THROUGH:
            v = (v - static_cast<float>(p.nZero)) * scale;
            break;
        default:
            if (p.nZero == ZERO_NOT_BALANCED) {
                v = kUnbalancedValue;
            } else if (v != kFurtherMarkerValue && v != kNoValue) {
                v = (v - static_cast<float>(p.nZero)) * scale - g_fChannelOffset[id];
            }
            break;
        }
    }
}

bool PlanLinearModule(int unit, ModuleLinearStage& stage) {
    if (!PlanPlainModule(unit, stage)) {
        return false;
    }
    for (int c = 0; c < CHANNELS_PER_MODULE; ++c) {
        if (IsCompensatedStrainChannel(unit * CHANNELS_PER_MODULE + c)) {
            return false;
        }
    }
    return true;
}

bool HasCompensatedStrainChannels(const SampleBlockDescriptor& desc) {
    bool found = false;
    ForDescriptorChannels(desc,
                          [&found](int, int, int id) { found = found || IsCompensatedStrainChannel(id); });
    return found;
}

void ApplyCompensationChannels(const SampleBlockDescriptor& desc, CaseSampleBlock* const* arrays) {
    int moduleOfUnit[MAX_CHANNEL_CASE_COUNT];
    BuildUnitIndex(desc, moduleOfUnit);
    ForDescriptorChannels(desc, [&](int m, int c, int i) {
        const int q = g_ChannelState[i].nCompChannel;
        if (!IsCompensatedStrainChannel(i) || !IsValidChannelId(q) || q == i ||
            g_ChannelParams[i].nZero == ZERO_NOT_BALANCED || g_ChannelParams[q].nZero == ZERO_NOT_BALANCED) {
            return;
        }
        const int mq = moduleOfUnit[q / CHANNELS_PER_MODULE];
        if (mq < 0) {
            return;
        }
        CaseSampleBlock* own = arrays[desc.nArrayIndex[m]];
        const CaseSampleBlock* other = arrays[desc.nArrayIndex[mq]];
        for (int j = 0; j < desc.nSamples; ++j) {
            const float v = ReadValue(own[j], c);
            const float vq = ReadValue(other[j], q % CHANNELS_PER_MODULE);
            if (IsMarkerValue(v) || IsMarkerValue(vq)) {
                continue;
            }
            own[j].fValues[c] = CompensatedValue(i, v, q, vq);
        }
    });
}

void ConvertSampleBlock(const SampleBlockDescriptor& desc, CaseSampleBlock* const* arrays) {
    const int modules = ModuleCount(desc);
    float values[CHANNELS_PER_MODULE];
    ModuleLinearStage stage;
    for (int m = 0; m < modules; ++m) {
        CaseSampleBlock* blocks = arrays[desc.nArrayIndex[m]];
        // For a single sample the plan would cost what it saves.
        if (desc.nSamples > 1 && PlanPlainModule(desc.nUnit[m], stage)) {
            ConvertPlainModule(stage, blocks, desc.nSamples);
            continue;
        }
        for (int j = 0; j < desc.nSamples; ++j) {
            CopyValuesOut(blocks[j], values);
            ConvertModuleSamples(desc.nUnit[m], values);
            CopyValuesIn(blocks[j], values);
        }
    }
    if (HasCompensatedStrainChannels(desc)) {
        ApplyCompensationChannels(desc, arrays);
    }
}

void ConvertSampleBlockInPlace(const SampleBlockDescriptor& desc, CaseSampleBlock* const* arrays) {
    const int modules = ModuleCount(desc);
    if (modules == 1) {
        // One array is its own copy: converting it where it lies gives what
        // the copy would, without copying a case link's batch twice.
        ConvertSampleBlock(desc, arrays);
        return;
    }
    const std::size_t samples = desc.nSamples > 0 ? static_cast<std::size_t>(desc.nSamples) : 0;
    // Per-thread scratch: after the first block of a run no call allocates.
    thread_local std::vector<CaseSampleBlock> scratch;
    thread_local std::vector<CaseSampleBlock*> pointers;
    scratch.assign(modules * samples, CaseSampleBlock{});
    pointers.resize(modules);
    SampleBlockDescriptor local;
    local.nModuleCount = modules;
    local.nSamples = desc.nSamples;
    for (int m = 0; m < modules; ++m) {
        pointers[m] = scratch.data() + m * samples;
        std::memcpy(pointers[m], arrays[desc.nArrayIndex[m]], samples * sizeof(CaseSampleBlock));
        local.nArrayIndex[m] = m;
        local.nUnit[m] = desc.nUnit[m];
    }
    ConvertSampleBlock(local, pointers.data());
    for (int m = 0; m < modules; ++m) {
        std::memcpy(arrays[desc.nArrayIndex[m]], pointers[m], samples * sizeof(CaseSampleBlock));
    }
}

int ConvertBlockToValues(CaseSampleBlock* frame) {
    float values[CHANNELS_PER_MODULE];
    for (int s = 0; s < g_nCaseCount && s < MAX_CASE_COUNT; ++s) {
        const int unit = g_CaseList[s];
        if (unit < 0 || unit >= MAX_CHANNEL_CASE_COUNT) {
            continue;
        }
        CopyValuesOut(frame[unit], values);
        for (int c = 0; c < CHANNELS_PER_MODULE; ++c) {
            const int id = unit * CHANNELS_PER_MODULE + c;
            values[c] = static_cast<float>(ConvertRawToValue(id, values[c] * g_ChannelState[id].fScale));
        }
        CopyValuesIn(frame[unit], values);
    }
    return 1;
}

double ApplyLinearCorrection(double value, int channel) {
    const ChannelParamRecord& p = g_ChannelParams[channel];
    return p.fCorrectionSlope * value + p.fCorrectionOffset;
}

double RemoveLinearCorrection(double value, int channel) {
    const ChannelParamRecord& p = g_ChannelParams[channel];
    if (p.fCorrectionSlope == 0.0f) {
        return kNoValue;
    }
    return (value - p.fCorrectionOffset) / p.fCorrectionSlope;
}

double CalcLeadCompensatedStrain(int channel, float bridgeOutput) {
    const ChannelParamRecord& p = g_ChannelParams[channel];
    const double gauge = static_cast<double>(p.fGaugeFactor) * p.fGaugeResistance;
    if (gauge == 0.0) {
        return kNoValue;
    }
    const double e = bridgeOutput * 1e-6;
    const double completion = p.nBridgeType == 1 ? 350.0 : 120.0;
    const float sum = static_cast<float>(2.0 * p.fLeadResistance + p.fGaugeResistance + completion);
    const double d = p.nBridgeVoltage * (p.fLeadResistance + completion) + sum * e;
    if (std::fabs(d) < STRAIN_LIMIT) {
        return 0.0;
    }
    return -e * sum * sum / d / gauge * 1e6;
}

double ConvertRawToValue(int channel, float reading) {
    if (!IsValidChannelId(channel)) {
        return kNoValue;
    }
    const ChannelParamRecord& p = g_ChannelParams[channel];
    const ChannelStateRecord& s = g_ChannelState[channel];
    if (p.nMeasureType == MEASURE_STRAIN && (p.nBridgeType == 0 || p.nBridgeType == 1)) {
        if (static_cast<double>(p.fGaugeFactor) * p.fGaugeResistance == 0.0) {
            return kNoValue;
        }
        double strain = CalcLeadCompensatedStrain(channel, -reading);
        if (p.nDisplayType == 1) {
            strain *= p.fElasticModulus * 0.001;
        }
        return ApplyLinearCorrection(strain, channel);
    }
    if (p.nMeasureType == MEASURE_PASS_THROUGH && IsPassThroughBridgeMode(p.nBridgeType)) {
        return reading;
    }
    double x = 0.0;
    if (!ScaledReading(channel, reading, x)) {
        return kNoValue;
    }
    const double y = ApplyLinearCorrection(x, channel);
    switch (p.nMeasureType) {
    case MEASURE_THERMOCOUPLE:
        return ThermocoupleTemperature(s.nSensorType, s.fColdJunctionTemp, y);
    case MEASURE_RTD:
        return PtVoltageToTemperature(PtNominalResistance(s.nSensorType), static_cast<float>(y));
    case MEASURE_SPEED:
        if (s.fPulsesPerRev == 0.0f || s.fSpeedRatio == 0.0f) {
            return kNoValue;
        }
        return (y + SPEED_OFFSET) / s.fPulsesPerRev / s.fSpeedRatio;
    default:
        return y;
    }
}

double ConvertThermocoupleWithReference(int channel, float reading, float referenceReading) {
    if (!IsValidChannelId(channel)) {
        return kNoValue;
    }
    const ChannelParamRecord& p = g_ChannelParams[channel];
    const ChannelStateRecord& s = g_ChannelState[channel];
    double x = 0.0;
    if (!ScaledReading(channel, reading, x)) {
        return kNoValue;
    }
    if (p.nMeasureType != MEASURE_THERMOCOUPLE) {
        return ApplyLinearCorrection(x, channel);
    }
    double coldJunction = s.fColdJunctionTemp;
    const int ref = s.nCompChannel;
    if (IsValidChannelId(ref)) {
        double resistance = 0.0;
        if (!ScaledReading(ref, referenceReading, resistance)) {
            return kNoValue;
        }
        coldJunction = PtVoltageToTemperature(PtNominalResistance(g_ChannelState[ref].nSensorType),
                                              static_cast<float>(resistance));
    }
    return ApplyLinearCorrection(ThermocoupleTemperature(s.nSensorType, coldJunction, x), channel);
}

double ConvertBlockChannelValue(int channel, const CaseSampleBlock& block) {
    if (!IsValidChannelId(channel)) {
        return kNoValue;
    }
    const float reading = ReadValue(block, channel % CHANNELS_PER_MODULE);
    const int ref = g_ChannelState[channel].nCompChannel;
    if (g_ChannelParams[channel].nMeasureType == MEASURE_THERMOCOUPLE && ref != -1) {
        const float refReading = IsValidChannelId(ref) ? ReadValue(block, ref % CHANNELS_PER_MODULE) : 0.0f;
        return ConvertThermocoupleWithReference(channel, reading, refReading);
    }
    return ConvertRawToValue(channel, reading);
}

float ConvertFullScaleToValue(int channel, float value) {
    if (!IsValidChannelId(channel)) {
        return kNoValue;
    }
    const ChannelParamRecord& p = g_ChannelParams[channel];
    const ChannelStateRecord& s = g_ChannelState[channel];
    switch (p.nMeasureType) {
    case MEASURE_STRAIN:
    case MEASURE_BRIDGE_SENSOR:
    case MEASURE_VOLTAGE:
    case MEASURE_RESISTANCE:
        return p.fScaleDivisor != 0.0f ? value / p.fScaleDivisor : kNoValue;
    case MEASURE_THERMOCOUPLE:
        return static_cast<float>(ThermocoupleTemperature(s.nSensorType, s.fColdJunctionTemp, value));
    case MEASURE_RTD:
        return PtVoltageToTemperature(PtNominalResistance(s.nSensorType), value);
    default:
        return value;
    }
}

double ConvertValueToRaw(int channel, double value) {
    if (!IsValidChannelId(channel)) {
        return kNoValue;
    }
    const ChannelParamRecord& p = g_ChannelParams[channel];
    if (p.nMeasureType == MEASURE_THERMOCOUPLE) {
        return value;
    }
    return RemoveLinearCorrection(value * p.fScaleDivisor * 1000.0, channel);
}

double GetChannelGainFactor(int channel) {
    if (!IsValidChannelId(channel)) {
        return 1.0;
    }
    const ChannelStateRecord& s = g_ChannelState[channel];
    switch (g_ChannelParams[channel].nMeasureType) {
    case MEASURE_STRAIN:
    case MEASURE_BRIDGE_SENSOR:
        return static_cast<double>(s.fBridgeGain) * s.fGain;
    case MEASURE_THERMOCOUPLE:
    case MEASURE_RTD:
        return static_cast<double>(s.fTempGain) * s.fGain;
    case MEASURE_VOLTAGE:
    case MEASURE_RESISTANCE:
    case MEASURE_PASS_THROUGH:
        return s.fGain;
    default:
        return 1.0;
    }
}

int GetSensorInputModeIndex(int bridgeKind) {
    switch (bridgeKind) {
    case 0:
        return 4;
    case 2:
        return 7;
    default:
        return 6;
    }
}

int ApplyZeroDeadBand(int n) {
    if (n < -5 || n > 5) {
        return n;
    }
    if (n >= -2 && n <= 2) {
        return 0;
    }
    return n > 0 ? n - 2 : n + 2;
}

bool IsPassThroughBridgeMode(int bridgeType) {
    return bridgeType == 0 || bridgeType == 1 || bridgeType == 8;
}

bool IsBridgeMode9(int bridgeType) {
    return bridgeType == 9;
}

bool IsChannelAvailable(int) {
    return true;
}

bool IsChannelSubVersion3(int channel) {
    return GetChannelTypeSource().GetChannelSubVersion(channel) == 3;
}

const char* GetRelAbsModeText(int mode) {
    return mode == 1 ? "绝对量" : "相对量";
}

bool IsGndInputMode() {
    return g_bGNDInputMode;
}

int CountChannelsOfType(int measureType) {
    int count = 0;
    for (int i = 0; i < g_nChannelCount && i < MAX_CHANNEL_COUNT; ++i) {
        const int id = g_ChannelList[i];
        count += IsValidChannelId(id) && g_ChannelParams[id].nMeasureType == measureType ? 1 : 0;
    }
    return count;
}

const char* GetMeasureTypeName(int measureType) {
    static const char* const names[] = {"应变应力", "桥式传感器", "热电偶测温", "铂电阻测温",
                                        "转速测量", "电压测量",   "电阻测量"};
    return measureType >= 0 && measureType <= MEASURE_RESISTANCE ? names[measureType] : "";
}
