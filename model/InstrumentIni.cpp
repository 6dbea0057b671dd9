// Getters of the instrument description file.
#include "model/InstrumentIni.h"

#include <cmath>
#include <cstdlib>
#include <utility>

#include "platform/Profile.h"
#include "platform/Text.h"

CInstrumentIni g_InstrumentIni;

namespace {

const char* const SECTION_FREQUENCY = "SampleFrequency";
const char* const SECTION_CHAN_PARAMS = "SampleChanParams";
const char* const SECTION_INPUT_MODE = "BridgeInputMode";
const char* const SECTION_BRIDGE_VOLTAGE = "BridgeVoltage";
const char* const SECTION_SYSTEM = "System";
constexpr std::size_t ITEM_BUFFER_SIZE = 129; // at most 128 characters
constexpr int CODE_DIGITS = 3;
constexpr double MATCH_TOLERANCE = 1e-15;

std::string TypeSection(int type) {
    return platform::Format("ChannelType%03d", type);
}

std::string ReadItem(const std::string& section, const std::string& key, const std::string& file) {
    char buffer[ITEM_BUFFER_SIZE];
    platform::GetPrivateProfileString(section, key, "", buffer, sizeof(buffer), file);
    return buffer;
}

double ReadItemNumber(const std::string& section, const std::string& key, const std::string& file) {
    std::string text;
    CInstrumentIni::ReadValueText(section, key, file, text);
    return std::atof(text.c_str());
}

bool Matches(double a, double b) {
    return std::fabs(a - b) < MATCH_TOLERANCE;
}

} // namespace

std::string CInstrumentIni::ReadValueBeforeComma(const std::string& text) {
    const std::size_t comma = text.find(',');
    if (comma == std::string::npos || comma == 0) {
        return text;
    }
    return text.substr(0, comma);
}

int CInstrumentIni::ReadValueText(const std::string& section, const std::string& key, const std::string& file,
                                  std::string& out) {
    const std::string value = ReadItem(section, key, file);
    out.clear();
    if (value.empty()) {
        return 0;
    }
    const std::size_t comma = value.find(',');
    if (comma != std::string::npos) {
        out = value.substr(0, comma);
    }
    return 1;
}

int CInstrumentIni::ReadValueCode(const std::string& section, const std::string& key,
                                  const std::string& file) {
    const std::string value = ReadItem(section, key, file);
    const std::size_t start = value.size() > CODE_DIGITS ? value.size() - CODE_DIGITS : 0;
    return std::atoi(value.c_str() + start);
}

int CInstrumentIni::ReadInt(const std::string& section, const std::string& key, int nDefault) const {
    return platform::GetPrivateProfileInt(section, key, nDefault, m_strFilePath);
}

int CInstrumentIni::ReadCount(const std::string& section, const std::string& key) const {
    // Every item of a list is read and offered one by one: an absurd count
    // in an edited file must not turn that into billions of reads.
    return BoundItemCount(ReadInt(section, key, 0));
}

int CInstrumentIni::BoundItemCount(int count) {
    return count < 0 ? 0 : (count > kMaxItemCount ? kMaxItemCount : count);
}

std::vector<std::string> CInstrumentIni::FindCountsOutOfRange() const {
    std::vector<std::string> found;
    const std::pair<const char*, const char*> keys[] = {
        {SECTION_FREQUENCY, "FrequencyLevelCount"}, {SECTION_CHAN_PARAMS, "FullValueCount"},
        {SECTION_INPUT_MODE, "InputModeCount"},     {SECTION_BRIDGE_VOLTAGE, "BridgeVoltageCount"},
        {SECTION_SYSTEM, "MeasureSelCount"},
    };
    for (const auto& [section, key] : keys) {
        const int value = ReadInt(section, key, 0);
        if (value != BoundItemCount(value)) {
            found.push_back(platform::Format("[%s] %s=%d", section, key, value));
        }
    }
    return found;
}

int CInstrumentIni::GetFrequencyLevelCount() const {
    return ReadCount(SECTION_FREQUENCY, "FrequencyLevelCount");
}

int CInstrumentIni::GetFrequencyText(int i, std::string& out) const {
    return ReadValueText(SECTION_FREQUENCY, platform::Format("Frequency%d", i), m_strFilePath, out);
}

int CInstrumentIni::FindFrequencyLevel(double hz) const {
    const int count = GetFrequencyLevelCount();
    for (int i = 0; i < count; ++i) {
        if (Matches(ReadItemNumber(SECTION_FREQUENCY, platform::Format("Frequency%d", i), m_strFilePath),
                    hz)) {
            return i;
        }
    }
    return 0;
}

int CInstrumentIni::GetParaCode(int i) const {
    const std::string value = ReadItem(SECTION_FREQUENCY, platform::Format("ParaCode%d", i), m_strFilePath);
    return std::atoi(ReadValueBeforeComma(value).c_str());
}

int CInstrumentIni::GetDataRatio(int i) const {
    return ReadInt(SECTION_FREQUENCY, platform::Format("DataRatio%d", i), 0);
}

int CInstrumentIni::GetPackageRatio(int i) const {
    return ReadInt(SECTION_FREQUENCY, platform::Format("PackageRatio%d", i), 0);
}

int CInstrumentIni::GetDataThrow(int i) const {
    return ReadInt(SECTION_FREQUENCY, platform::Format("DataThrow%d", i), 0);
}

int CInstrumentIni::GetFullValueCount() const {
    return ReadCount(SECTION_CHAN_PARAMS, "FullValueCount");
}

float CInstrumentIni::GetFullValue(int i) const {
    return static_cast<float>(
        ReadItemNumber(SECTION_CHAN_PARAMS, platform::Format("FullValue%d", i), m_strFilePath));
}

int CInstrumentIni::GetFullValueCode(int i) const {
    return ReadValueCode(SECTION_CHAN_PARAMS, platform::Format("FullValue%d", i), m_strFilePath);
}

int CInstrumentIni::FindFullValueIndex(double value) const {
    const int count = GetFullValueCount();
    for (int i = 0; i < count; ++i) {
        if (Matches(GetFullValue(i), value)) {
            return i;
        }
    }
    return 0;
}

int CInstrumentIni::GetTypeFullValueCount(int type, int measure) const {
    const std::string section = TypeSection(type);
    if (measure != -1) {
        const int count = ReadCount(section, platform::Format("FullValueCount_Measure%d", measure));
        if (count != 0) {
            return count;
        }
    }
    return ReadCount(section, "FullValueCount");
}

std::string CInstrumentIni::TypeFullValueKey(int type, int i, int measure, bool& inTypeSection) const {
    const std::string section = TypeSection(type);
    inTypeSection = true;
    if (measure != -1 && ReadCount(section, platform::Format("FullValueCount_Measure%d", measure)) != 0) {
        return platform::Format("FullValue_Measure%d_%d", measure, i);
    }
    if (ReadCount(section, "FullValueCount") != 0) {
        return platform::Format("FullValue%d", i);
    }
    inTypeSection = false;
    return {};
}

float CInstrumentIni::GetTypeFullValue(int type, int i, int measure) const {
    bool inTypeSection = false;
    const std::string key = TypeFullValueKey(type, i, measure, inTypeSection);
    if (!inTypeSection) {
        return GetFullValue(i);
    }
    return static_cast<float>(ReadItemNumber(TypeSection(type), key, m_strFilePath));
}

int CInstrumentIni::GetTypeFullValueCode(int type, int i, int measure) const {
    bool inTypeSection = false;
    const std::string key = TypeFullValueKey(type, i, measure, inTypeSection);
    if (!inTypeSection) {
        return GetFullValueCode(i);
    }
    return ReadValueCode(TypeSection(type), key, m_strFilePath);
}

int CInstrumentIni::GetInputModeCount() const {
    return ReadCount(SECTION_INPUT_MODE, "InputModeCount");
}

int CInstrumentIni::GetInputModeText(int i, std::string& out) const {
    return ReadValueText(SECTION_INPUT_MODE, platform::Format("InputMode%d", i), m_strFilePath, out);
}

int CInstrumentIni::GetInputModeCode(int i) const {
    return ReadValueCode(SECTION_INPUT_MODE, platform::Format("InputMode%d", i), m_strFilePath);
}

int CInstrumentIni::GetBridgeVoltageCount() const {
    return ReadCount(SECTION_BRIDGE_VOLTAGE, "BridgeVoltageCount");
}

int CInstrumentIni::GetBridgeVoltageText(int i, std::string& out) const {
    return ReadValueText(SECTION_BRIDGE_VOLTAGE, platform::Format("BridgeVoltage%d", i), m_strFilePath, out);
}

int CInstrumentIni::GetTypeBridgeVoltageCount(int type, int measure) const {
    const std::string section = TypeSection(type);
    if (measure != -1) {
        const int count = ReadCount(section, platform::Format("BridgeVoltageCount_Measure%d", measure));
        if (count != 0) {
            return count;
        }
    }
    return ReadCount(section, "BridgeVoltageCount");
}

int CInstrumentIni::GetTypeBridgeVoltageText(int type, int i, int measure, std::string& out) const {
    const std::string section = TypeSection(type);
    const std::string key = measure != -1 ? platform::Format("BridgeVoltage_Measure%d_%d", measure, i)
                                          : platform::Format("BridgeVoltage%d", i);
    int result = ReadValueText(section, key, m_strFilePath, out);
    if (out.empty()) {
        result = ReadValueText(section, platform::Format("BridgeVoltage%d", i), m_strFilePath, out);
    }
    return result;
}

int CInstrumentIni::FindBridgeVoltageCode(double volts) const {
    const int count = GetBridgeVoltageCount();
    for (int i = 0; i < count; ++i) {
        const std::string key = platform::Format("BridgeVoltage%d", i);
        if (Matches(ReadItemNumber(SECTION_BRIDGE_VOLTAGE, key, m_strFilePath), volts)) {
            return ReadValueCode(SECTION_BRIDGE_VOLTAGE, key, m_strFilePath);
        }
    }
    return 0;
}

std::string CInstrumentIni::TypeBridgeVoltagePrefix(int type, int measure) const {
    if (measure != -1 &&
        ReadCount(TypeSection(type), platform::Format("BridgeVoltageCount_Measure%d", measure)) != 0) {
        return platform::Format("BridgeVoltage_Measure%d_", measure);
    }
    return "BridgeVoltage";
}

int CInstrumentIni::FindTypeBridgeVoltageCode(int type, int measure, double volts) const {
    const std::string section = TypeSection(type);
    const std::string prefix = TypeBridgeVoltagePrefix(type, measure);
    const int count = GetTypeBridgeVoltageCount(type, measure);
    for (int i = 0; i < count; ++i) {
        const std::string key = prefix + std::to_string(i);
        if (Matches(ReadItemNumber(section, key, m_strFilePath), volts)) {
            return ReadValueCode(section, key, m_strFilePath);
        }
    }
    return 0;
}

int CInstrumentIni::GetMeasureSelCount() const {
    return ReadCount(SECTION_SYSTEM, "MeasureSelCount");
}

int CInstrumentIni::GetMeasureSel(int i) const {
    return ReadInt(SECTION_SYSTEM, platform::Format("MeasureSel%d", i), 0);
}

int CInstrumentIni::GetTypeMeasureSelCount(int type) const {
    return ReadCount(TypeSection(type), "MeasureSelCount");
}

int CInstrumentIni::GetTypeMeasureSel(int type, int i) const {
    return ReadInt(TypeSection(type), platform::Format("MeasureSel%d", i), 0);
}

bool CInstrumentIni::MatchesSubVersion(int type, int subversion) const {
    return ReadInt(TypeSection(type), "ACQSubVersion", 1) == subversion;
}
