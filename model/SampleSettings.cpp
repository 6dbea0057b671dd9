// Writing and reading the sampling settings sections of a project file.
#include "model/SampleSettings.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/Profile.h"
#include "platform/Text.h"

namespace {

constexpr const char* SYSTEM_PARAM = "SystemParam";
constexpr const char* SINGLE_MONITOR = "SingleMonitor";
constexpr const char* STRAIN_REF = "StrainRef";
constexpr const char* CASE_DATA_FILE = "CaseDataFile";
constexpr const char* CONTROLLER_MODULE = "ControllerModule";
constexpr const char* DATA_PRECISION = "DataPrecision";
constexpr int MEASURE_TYPE_COUNT = 7;

// The writes of one file, each a "%d" or a text value.
struct ProfileWriter {
    const std::string& path;
    void WriteString(const char* section, const std::string& key, const std::string& value) const {
        platform::WritePrivateProfileString(section, key, value, path);
    }
    void WriteInt(const char* section, const std::string& key, int value) const {
        WriteString(section, key, platform::Format("%d", value));
    }
};

int ReadInt(const char* section, const char* key, int nDefault, const std::string& path) {
    return platform::GetPrivateProfileInt(section, key, nDefault, path);
}

// The frequency keeps its fraction (a whole number is still written as one,
// so that readers of whole numbers see what they always saw).
std::string FormatFrequency(float frequency) {
    std::string text = platform::Format("%.6f", static_cast<double>(frequency));
    text.erase(text.find_last_not_of('0') + 1);
    if (!text.empty() && text.back() == '.') {
        text.pop_back();
    }
    return text;
}

float ReadFloat(const char* section, const char* key, const char* strDefault, const std::string& path) {
    const std::string text = platform::GetPrivateProfileString(section, key, strDefault, path);
    return static_cast<float>(std::strtod(text.c_str(), nullptr));
}

void ReadPrecision(const std::string& path, std::map<int, int>& precision) {
    for (int type = 0; type < MEASURE_TYPE_COUNT; ++type) {
        const std::string key = platform::Format("MeasureType%d", type);
        const std::string value = platform::GetPrivateProfileString(DATA_PRECISION, key, "", path);
        if (!value.empty()) {
            precision[type] = ReadInt(DATA_PRECISION, key.c_str(), 0, path);
        }
    }
    if (precision.empty()) {
        precision = {{0, 0}, {1, 3}, {5, 3}, {2, 3}, {3, 3}};
    }
}

} // namespace

void SaveSystemParam(const std::string& path, const SampleSettings& s,
                     const StoredWithSampleSettings& stored) {
    const ProfileWriter writer{path};
    writer.WriteString(SYSTEM_PARAM, "SampleFreq", FormatFrequency(s.fSampleFreq));
    writer.WriteInt(SYSTEM_PARAM, "SampleMode", s.nSampleMode);
    writer.WriteInt(SYSTEM_PARAM, "SampleInterval", s.nSampleInterval);
    writer.WriteInt(SYSTEM_PARAM, "SetTimerCount", s.bSetTimerCount);
    writer.WriteInt(SYSTEM_PARAM, "TimerCount", s.nTimerCount);
    writer.WriteString(SYSTEM_PARAM, "SampleStatus", SampleStatusText(s));
    writer.WriteInt(SYSTEM_PARAM, "nSampleRate", s.nSampleRate);
    writer.WriteInt(SYSTEM_PARAM, "AverageMode", s.nAverageMode);
    writer.WriteInt(SYSTEM_PARAM, "AveragePointCount", s.nAveragePointCount);
    writer.WriteInt(SYSTEM_PARAM, "EliminateMaxMin", s.bEliminateMaxMin);
    writer.WriteInt(SYSTEM_PARAM, "AnalysisMode", s.nAnalysisMode);
    writer.WriteInt(SYSTEM_PARAM, "AnalysisBlockSize", s.nAnalysisBlockSize);
    writer.WriteInt(SYSTEM_PARAM, "SampleBlockSize", s.nSampleBlockSize);

    writer.WriteInt(SINGLE_MONITOR, "CaseID", stored.nMonitorCaseId);
    writer.WriteInt(SINGLE_MONITOR, "ChanID", stored.nMonitorChanId);
    writer.WriteInt(SINGLE_MONITOR, "AutoTrigger", stored.bAutoTrigger);
    writer.WriteInt(SINGLE_MONITOR, "MultiTrigger", stored.bMultiTrigger);
    writer.WriteInt(SINGLE_MONITOR, "MoreLevel", stored.bMoreLevel);
    writer.WriteString(SINGLE_MONITOR, "MonitorLevel",
                       platform::Format("%f", static_cast<double>(stored.fMonitorLevel)));
    writer.WriteInt(STRAIN_REF, "StrainRefUsed", stored.bStrainRefUsed);
    writer.WriteInt(STRAIN_REF, "StrainRefChan", stored.nStrainRefChan);
    writer.WriteInt(CASE_DATA_FILE, "SingleCaseFile", stored.bPerCaseFiles);
    writer.WriteInt(CONTROLLER_MODULE, "ControllerNumber", stored.nControllerCount);
    for (const auto& [type, decimals] : stored.precision) {
        writer.WriteInt(DATA_PRECISION, platform::Format("MeasureType%d", type), decimals);
    }
}

void LoadSystemParam(const std::string& path, bool spectrumOption, SampleSettings& s,
                     std::map<int, int>& precision) {
    s.fSampleFreq = ReadFloat(SYSTEM_PARAM, "SampleFreq", "0", path);
    s.nSampleMode = ReadInt(SYSTEM_PARAM, "SampleMode", 1, path);
    s.nSampleInterval = ReadInt(SYSTEM_PARAM, "SampleInterval", 10, path);
    s.nTimerCount = ReadInt(SYSTEM_PARAM, "TimerCount", 10, path);
    s.bSetTimerCount = ReadInt(SYSTEM_PARAM, "SetTimerCount", 0, path) == 1 ? 1 : 0;
    SetSampleStatusText(s,
                        platform::GetPrivateProfileString(SYSTEM_PARAM, "SampleStatus", "采样状态1", path));
    s.nSampleRate = ReadInt(SYSTEM_PARAM, "nSampleRate", 1, path);
    s.nAverageMode = ReadInt(SYSTEM_PARAM, "AverageMode", 0, path);
    s.nAveragePointCount =
        std::clamp(ReadInt(SYSTEM_PARAM, "AveragePointCount", 3, path), 1, MAX_AVERAGE_POINTS);
    s.bEliminateMaxMin = ReadInt(SYSTEM_PARAM, "EliminateMaxMin", 0, path) != 0 ? 1 : 0;
    if (spectrumOption) {
        s.nAnalysisMode = ReadInt(SYSTEM_PARAM, "AnalysisMode", 0, path);
        s.nAnalysisBlockSize =
            std::clamp(ReadInt(SYSTEM_PARAM, "AnalysisBlockSize", 256, path), 1, MAX_ANALYSIS_BLOCK_SIZE);
        s.nSampleBlockSize =
            std::clamp(ReadInt(SYSTEM_PARAM, "SampleBlockSize", 256, path), 1, MAX_ANALYSIS_BLOCK_SIZE);
    }
    ReadPrecision(path, precision);
}

void LoadStoredWithSampleSettings(const std::string& path, StoredWithSampleSettings& stored) {
    stored.nMonitorCaseId = ReadInt(SINGLE_MONITOR, "CaseID", 0, path);
    stored.nMonitorChanId = ReadInt(SINGLE_MONITOR, "ChanID", 0, path);
    stored.bAutoTrigger = ReadInt(SINGLE_MONITOR, "AutoTrigger", 1, path);
    stored.bMultiTrigger = ReadInt(SINGLE_MONITOR, "MultiTrigger", 1, path);
    stored.bMoreLevel = ReadInt(SINGLE_MONITOR, "MoreLevel", 1, path);
    stored.fMonitorLevel = ReadFloat(SINGLE_MONITOR, "MonitorLevel", "0", path);
    stored.bStrainRefUsed = ReadInt(STRAIN_REF, "StrainRefUsed", 0, path);
    stored.nStrainRefChan = ReadInt(STRAIN_REF, "StrainRefChan", 0, path);
    stored.bPerCaseFiles = ReadInt(CASE_DATA_FILE, "SingleCaseFile", 0, path);
    stored.nControllerCount =
        std::clamp(ReadInt(CONTROLLER_MODULE, "ControllerNumber", 0, path), 0, MAX_CONTROLLER_COUNT);
}

double GetSampleTimeStep(const SampleSettings& settings) {
    if (settings.nSampleMode == SAMPLE_MODE_CONTINUOUS && settings.fSampleFreq != 0.0f) {
        return 1.0 / settings.fSampleFreq;
    }
    return 1.0;
}

std::string SampleStatusText(const SampleSettings& settings) {
    const char* text = settings.szSampleStatus;
    return std::string(text, strnlen(text, sizeof(settings.szSampleStatus)));
}

void SetSampleStatusText(SampleSettings& settings, const std::string& text) {
    char buffer[sizeof(settings.szSampleStatus)] = {};
    // Cut at a character boundary: the field holds 22 bytes and a terminator.
    std::size_t length = std::min(text.size(), sizeof(buffer) - 1);
    while (length > 0 && length < text.size() && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) {
        --length;
    }
    std::memcpy(buffer, text.data(), length);
    std::memcpy(settings.szSampleStatus, buffer, sizeof(buffer));
}
