// Channel defaults and the hardware-configuration correction.
#include "model/ChannelDefaults.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "model/CaseTables.h"
#include "model/ChannelTypeSource.h"
#include "model/ValueConversion.h"
#include "platform/MessageBox.h"
#include "platform/Profile.h"

namespace {

constexpr const char* GBK_DESCRIPTION = "\xC3\xE8\xCA\xF6"; // 描述

constexpr float PASS_THROUGH_FULL_SCALE = 500.0f;
constexpr int PASS_THROUGH_LEVEL = 1;
constexpr int STRAIN_GENERAL_LEVEL = 2;
constexpr const char* GENERAL_FULL_VALUE_DEFAULT = "5000";
constexpr float NO_RANGES_FULL_SCALE = 5000.0f;
// Caption of the application's message boxes.
constexpr const char* APP_TITLE = "QV7416准静态应变测试采集系统";

// Whole-number part of a number text, kept inside the int range.
int WholeNumber(const std::string& text) {
    const double value = std::atof(text.c_str());
    if (!(value > -2147483648.0 && value < 2147483648.0)) {
        return 0;
    }
    return static_cast<int>(value);
}

void ShowMessage(const std::string& text) {
    platform::MessageBox(text, APP_TITLE, platform::MB_ICONEXCLAMATION);
}

void SetText(char* field, std::size_t size, const char* text) {
    std::memset(field, 0, size);
    std::strncpy(field, text, size - 1);
}

template <std::size_t N> void SetUnit(char (&unit)[N], const char* text) {
    SetText(unit, N, text);
}

void ResetParamRecord(int n) {
    ChannelParamRecord& p = g_ChannelParams[n];
    std::memset(&p, 0, sizeof(p));
    p.nChannelId = n;
    p.nMeasureType = MEASURE_STRAIN;
    SetUnit(p.szUnit, GBK_UNIT_MICROSTRAIN);
    // "描述" and the channel's number, as "%s%d" would write it (reset runs over all 4,096
    // records whenever a project's channel file is read, so no format parsing here).
    const std::size_t prefix = std::strlen(GBK_DESCRIPTION);
    std::memcpy(p.szDescription, GBK_DESCRIPTION, prefix);
    std::to_chars(p.szDescription + prefix, p.szDescription + sizeof(p.szDescription) - 1, n + 1);
    p.bShown = 1;
    p.fReserved56 = 10000.0f;
    p.nBridgeVoltage = 2;
    p.nDisplayType = 0;
    p.nBridgeType = 2;
    p.fGaugeFactor = 2.0f;
    p.fGaugeResistance = 120.0f;
    p.fLeadResistance = 0.0f;
    p.fPoissonRatio = 0.28f;
    p.fCoefficient = 1.0f;
    p.fElasticModulus = 1.0f;
    p.nZero = 0;
    p.fCorrectionSlope = 1.0f;
    p.fCorrectionOffset = 0.0f;
}

// The unit a measure type starts with; none for the other types.
const char* DefaultUnit(int measureType, int displayType) {
    switch (measureType) {
    case MEASURE_STRAIN:
        return displayType == 1 ? "MPa" : GBK_UNIT_MICROSTRAIN;
    case MEASURE_THERMOCOUPLE:
    case MEASURE_RTD:
        return GBK_UNIT_CELSIUS;
    case MEASURE_SPEED:
        return "RPM";
    case MEASURE_VOLTAGE:
        return "mV";
    case MEASURE_RESISTANCE:
        return GBK_UNIT_OHM;
    default:
        return nullptr;
    }
}

void SetPassThroughDefaults(ChannelParamRecord& p, ChannelStateRecord& s) {
    s.fFullScale = PASS_THROUGH_FULL_SCALE;
    s.nFullScaleLevel = PASS_THROUGH_LEVEL;
    SetUnit(p.szUnit, GBK_UNIT_OHM);
}

} // namespace

void ResetChannelRecords() {
    for (int n = 0; n < MAX_CHANNEL_COUNT; ++n) {
        ResetParamRecord(n);
        UpdateChannelScale(n);
        SetStateRecordDefaults(n);
        SetAlarmRecordDefaults(n);
    }
}

void ApplyMeasureTypeDefaults(int measureType, int channel) {
    if (!IsValidChannelId(channel)) {
        return;
    }
    ChannelParamRecord& p = g_ChannelParams[channel];
    ChannelStateRecord& s = g_ChannelState[channel];
    if (measureType != MEASURE_THERMOCOUPLE) {
        s.nCompChannel = -1;
    }
    // A strain channel keeps its unit: it depends on the display type.
    const char* unit = measureType == MEASURE_STRAIN ? nullptr : DefaultUnit(measureType, 0);
    if (unit) {
        SetUnit(p.szUnit, unit);
    }
    if (measureType == MEASURE_VOLTAGE || measureType == MEASURE_RESISTANCE) {
        p.fSensitivity = 1.0f;
    } else if (measureType == MEASURE_PASS_THROUGH) {
        SetPassThroughDefaults(p, s);
    }
    if (measureType != MEASURE_STRAIN) {
        p.fCoefficient = 1.0f;
    }
}

CHardwareParamCorrect::CHardwareParamCorrect(ChannelParamRecord* records, ChannelStateRecord* states,
                                             const std::string& path, int hardwareKind)
    : m_pRecords(records), m_pStates(states), m_nHardwareKind(hardwareKind), m_reporter(ShowMessage) {
    m_ini.SetFilePath(path);
}

void CHardwareParamCorrect::SetDefaultUnit(int channel) {
    if (!IsValidChannelId(channel)) {
        return;
    }
    ChannelParamRecord& p = m_pRecords[channel];
    if (const char* unit = DefaultUnit(p.nMeasureType, p.nDisplayType)) {
        SetUnit(p.szUnit, unit);
    }
}

void CHardwareParamCorrect::CorrectAllChannels() {
    if (g_nCaseCount <= 0) {
        return;
    }
    if (m_ini.GetFilePath().empty()) {
        if (!m_bMissingFileReported && m_reporter) {
            m_reporter(MSG_NO_DESCRIPTION_FILE);
        }
        m_bMissingFileReported = true;
        return;
    }
    for (int i = 0; i < g_nChannelCount && i < MAX_CHANNEL_COUNT; ++i) {
        const int id = g_ChannelList[i];
        if (!IsValidChannelId(id)) {
            continue;
        }
        SetDefaultUnit(id);
        CorrectChannel(id);
    }
}

void CHardwareParamCorrect::CorrectChannel(int channel) {
    // Unit x 16 + channel is also case x 128 + channel within the case, the
    // numbering of the channel information.
    IChannelTypeSource& source = GetChannelTypeSource();
    const int typeId = source.GetAcqChannelTypeID(channel);
    const int subVersion = source.GetChannelSubVersion(channel);
    if (!CorrectByChannelType(channel, typeId, subVersion)) {
        CorrectByGeneralRanges(channel);
    }
    CorrectBridgeVoltage(channel);
}

bool CHardwareParamCorrect::CorrectByChannelType(int channel, int typeId, int subVersion) {
    ChannelParamRecord& p = m_pRecords[channel];
    ChannelStateRecord& s = m_pStates[channel];
    const int count = m_ini.GetTypeFullValueCount(typeId, p.nMeasureType);
    if (count < 1 || !m_ini.MatchesSubVersion(typeId, subVersion)) {
        return false;
    }
    if (s.nFullScaleLevel >= count || s.nFullScaleLevel < 0) {
        s.nFullScaleLevel = 0;
    }
    s.fFullScale = m_ini.GetTypeFullValue(typeId, s.nFullScaleLevel, p.nMeasureType);
    const int allowed = m_ini.GetTypeMeasureSelCount(typeId);
    if (allowed < 1) {
        return true;
    }
    for (int i = 0; i < allowed; ++i) {
        if (m_ini.GetTypeMeasureSel(typeId, i) == p.nMeasureType) {
            return true;
        }
    }
    p.nMeasureType = m_ini.GetTypeMeasureSel(typeId, 0);
    ApplyMeasureTypeDefaults(p.nMeasureType, channel);
    return true;
}

void CHardwareParamCorrect::CorrectByGeneralRanges(int channel) {
    ChannelParamRecord& p = m_pRecords[channel];
    ChannelStateRecord& s = m_pStates[channel];
    const int count = m_ini.GetFullValueCount();
    if (count <= 0) {
        s.fFullScale = NO_RANGES_FULL_SCALE;
        s.nFullScaleLevel = 0;
        return;
    }
    if (s.nFullScaleLevel >= count || s.nFullScaleLevel < 0) {
        s.nFullScaleLevel = 0;
    }
    if (p.nMeasureType == MEASURE_STRAIN) {
        s.nFullScaleLevel = STRAIN_GENERAL_LEVEL;
    } else if (p.nMeasureType == MEASURE_VOLTAGE && s.nFullScaleLevel >= 2) {
        s.nFullScaleLevel = 0;
    }
    const std::string value =
        platform::GetPrivateProfileString("SampleChanParams", "FullValue" + std::to_string(s.nFullScaleLevel),
                                          GENERAL_FULL_VALUE_DEFAULT, m_ini.GetFilePath());
    s.fFullScale = static_cast<float>(std::atof(value.c_str()));
    if (p.nMeasureType == MEASURE_PASS_THROUGH) {
        SetPassThroughDefaults(p, s);
    }
}

void CHardwareParamCorrect::CorrectBridgeVoltage(int channel) {
    if (m_ini.GetBridgeVoltageCount() > 0) {
        return;
    }
    const std::string value =
        platform::GetPrivateProfileString("BridgeVoltage", "BridgeVoltage0", "", m_ini.GetFilePath());
    m_pRecords[channel].nBridgeVoltage = WholeNumber(CInstrumentIni::ReadValueBeforeComma(value));
}
