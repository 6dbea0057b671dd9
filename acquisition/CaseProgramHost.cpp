// The case links' view of the program's settings and tables.
#include "acquisition/CaseProgramHost.h"

#include "acquisition/ChanInfoWrapper.h"
#include "model/AppSettings.h"
#include "model/ChannelRecords.h"
#include "model/DebugLogFiles.h"
#include "model/InstrumentIni.h"
#include "model/RunFlags.h"
#include "model/ValueConversion.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"

#include <cstdlib>

namespace {

bool IsChannel(int channel) {
    return channel >= 0 && channel < MAX_CHANNEL_COUNT;
}

} // namespace

std::string CaseProgramHost::GetProgramFolder() {
    return m_strProgramFolder;
}

void CaseProgramHost::WriteLogFile(const std::string& logName, const std::string& text) {
    if (g_bOutDebugInfo)
        ::WriteLogFile(logName, text);
}

int CaseProgramHost::GetDelayChanInfo() {
    return g_nDelayChanInfo;
}
int CaseProgramHost::GetAverageCount() {
    return g_nAverageCount;
}
bool CaseProgramHost::IsClkSyncMode() {
    return g_bClkSyncMode;
}
bool CaseProgramHost::IsSamplePaused() {
    return g_bSamplePaused.load() != 0;
}
int CaseProgramHost::GetFrequencyLevelCount() {
    return g_InstrumentIni.GetFrequencyLevelCount();
}

float CaseProgramHost::GetFrequency(int level) {
    std::string text;
    g_InstrumentIni.GetFrequencyText(level, text);
    return static_cast<float>(std::atof(text.c_str()));
}

int CaseProgramHost::FindFrequencyLevel(float rate) {
    return g_InstrumentIni.FindFrequencyLevel(rate);
}
int CaseProgramHost::GetDataThrow(int level) {
    return g_InstrumentIni.GetDataThrow(level);
}

float CaseProgramHost::GetChannelGainFactor(int channel) {
    return IsChannel(channel) ? static_cast<float>(::GetChannelGainFactor(channel)) : 1.0f;
}

int CaseProgramHost::GetMeasureType(int channel) {
    return IsChannel(channel) ? g_ChannelParams[channel].nMeasureType : -1;
}

void CaseProgramHost::ConvertSampleBlockInPlace(CaseSampleBlock* blocks, int count, int moduleIndex) {
    SampleBlockDescriptor desc;
    desc.nModuleCount = 1;
    desc.nSamples = count;
    desc.nArrayIndex[0] = 0;
    desc.nUnit[0] = moduleIndex;
    CaseSampleBlock* arrays[1] = {blocks};
    ::ConvertSampleBlockInPlace(desc, arrays);
}

bool CaseProgramHost::GetLinearStage(int moduleIndex, ModuleLinearStage& stage) {
    return PlanLinearModule(moduleIndex, stage);
}

void CaseProgramHost::SetCurrentInfoCase(int caseNo) {
    g_ChanInfo.m_nCurCase = caseNo;
}

void CaseProgramHost::ParseChannelInfo(int channel, const std::uint8_t* packet) {
    // The wrapper numbers channels within the current case.
    const int inCase = channel % 128;
    g_ChanInfo.ParseTypeInfo(inCase, 256, packet);
    g_ChanInfo.ParseFullVoltageCoefs(inCase, 256, packet);
    g_ChanInfo.ParseBridgeVoltageCoefs(inCase, 256, packet);
    g_ChanInfo.ParseCurrentPulseCoefs(inCase, 256, packet);
}

void CaseProgramHost::ShowMessage(const std::string& text) {
    platform::MessageBox(text, g_strAppTitle, platform::MB_OK | platform::MB_ICONEXCLAMATION);
}

bool CaseProgramHost::GetChannelSettings(int channel, CaseChannelSettings& settings) {
    if (!IsChannel(channel))
        return false;
    const ChannelParamRecord& param = g_ChannelParams[channel];
    const ChannelStateRecord& state = g_ChannelState[channel];
    settings.nMeasureType = param.nMeasureType;
    settings.nBridgeType = param.nBridgeType;
    settings.fBridgeVoltage = static_cast<float>(param.nBridgeVoltage);
    settings.fGaugeResistance = param.fGaugeResistance;
    settings.nFullScaleLevel = state.nFullScaleLevel;
    settings.nSensorInputMode = state.nBridgeKind;
    settings.nInputFlag = state.nValueType;
    return true;
}

void CaseProgramHost::StoreChannelCoefs(int channel, float full, float bridge, float current) {
    if (!IsChannel(channel))
        return;
    ChannelStateRecord& state = g_ChannelState[channel];
    state.fGain = full;
    state.fBridgeGain = bridge;
    state.fTempGain = current;
}

int CaseProgramHost::GetAcqChannelTypeID(int channel) {
    return g_ChanInfo.GetAcqChannelTypeID(channel);
}
int CaseProgramHost::GetChannelSubVersion(int channel) {
    return g_ChanInfo.GetChannelSubVersion(channel);
}
float CaseProgramHost::GetChannelFullCoief(int channel, int code) {
    return g_ChanInfo.GetChannelFullCoief(channel, code);
}
float CaseProgramHost::GetChannelBrdgeVltCoief(int channel, int code) {
    return g_ChanInfo.GetChannelBrdgeVltCoief(channel, code);
}
float CaseProgramHost::GetChannelCurrentPulsCoief(int channel, int code) {
    return g_ChanInfo.GetChannelCurrentPulsCoief(channel, code);
}
int CaseProgramHost::GetTypeFullValueCount(int typeId, int measureType) {
    return g_InstrumentIni.GetTypeFullValueCount(typeId, measureType);
}
int CaseProgramHost::GetTypeBridgeVoltageCount(int typeId, int measureType) {
    return g_InstrumentIni.GetTypeBridgeVoltageCount(typeId, measureType);
}
bool CaseProgramHost::MatchesSubVersion(int typeId, int subVersion) {
    return g_InstrumentIni.MatchesSubVersion(typeId, subVersion);
}
int CaseProgramHost::GetTypeFullValueCode(int typeId, int level, int measureType) {
    return g_InstrumentIni.GetTypeFullValueCode(typeId, level, measureType);
}
int CaseProgramHost::GetFullValueCode(int level) {
    return g_InstrumentIni.GetFullValueCode(level);
}
int CaseProgramHost::FindTypeBridgeVoltageCode(int typeId, float voltage, int measureType) {
    return g_InstrumentIni.FindTypeBridgeVoltageCode(typeId, measureType, voltage);
}
int CaseProgramHost::FindBridgeVoltageCode(float voltage) {
    return g_InstrumentIni.FindBridgeVoltageCode(voltage);
}
int CaseProgramHost::GetInputModeCode(int index) {
    return g_InstrumentIni.GetInputModeCode(index);
}
int CaseProgramHost::GetSensorInputModeIndex(int word) {
    return ::GetSensorInputModeIndex(word);
}
bool CaseProgramHost::IsGndInputMode() {
    return ::IsGndInputMode();
}
int CaseProgramHost::GetParaCode(int level) {
    return g_InstrumentIni.GetParaCode(level);
}
int CaseProgramHost::GetDataRatio(int level) {
    return g_InstrumentIni.GetDataRatio(level);
}
int CaseProgramHost::GetPackageRatio(int level) {
    return g_InstrumentIni.GetPackageRatio(level);
}
