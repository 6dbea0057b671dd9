// System settings and the case table of the main settings file.
#include "model/AppSettings.h"

#include "model/ProjectState.h"
#include "model/RunFlags.h"
#include "model/ValueConversion.h"
#include "platform/Files.h"
#include "platform/Profile.h"
#include "platform/RegistryProfile.h"
#include "platform/Text.h"

#include <algorithm>
#include <cstdlib>

const char* const g_strAppTitle = "QV7416准静态应变测试采集系统";
const char* const g_strMutexName = "731046285590";
const char* const g_strRegistryKey = "QV静态测试系统";

std::int32_t g_nADLinearity = 0;
float g_fFullValue = 20000.0f;
std::int32_t g_nDelayBufferCount = 3;
std::int32_t g_nDelayChanInfo = 10000;
std::int32_t g_nDelayDataGet = 10000;
std::int32_t g_nLeadRCells = 2;
bool g_bSoftwareDebug = false;
bool g_bSoftwareMAC = false;
bool g_bOutDebugInfo = false;
bool g_bInterface485 = false;
std::int32_t g_nInterface485RLead = 25;
std::int32_t g_nInterface485Check = 35;
std::int32_t g_nAverageCount = 20;
bool g_bNetworkMonitor = true;
bool g_bProgrammedStrain = false;
bool g_bSoftwareSpectrum = false;
bool g_bClkSyncMode = true;
std::int32_t g_nAutoDetectCaseOutTime = 60;
bool g_bDigitalUsed = false;
bool g_bSingleMonitor = false;
std::int32_t g_nModelType = 0;
std::int32_t g_SlaveCaseTable[MAX_CASE_COUNT] = {};

namespace {

int ReadInt(const char* key, int nDefault, const std::string& path) {
    return platform::GetPrivateProfileInt(SYSTEM_SECTION, key, nDefault, path);
}

bool ReadBool(const char* key, int nDefault, const std::string& path) {
    return ReadInt(key, nDefault, path) != 0;
}

// Keys whose value sizes a wait, a buffer or a loop.
struct BoundedKey {
    const char* key;
    int nDefault;
    int nMin;
    int nMax;
};
constexpr BoundedKey BOUNDED_KEYS[] = {
    {"DelayBufferCount", 3, 0, 60},     {"DelayChanInfo", 10000, 0, 600000},
    {"DelayDataGet", 10000, 0, 600000}, {"LeadRCells", 2, 0, 64},
    {"AverageCount", 20, 1, 10000},     {"AutoDetectCaseOutTime", 60, 0, 3600},
};

int ReadBounded(const char* key, const std::string& path) {
    for (const BoundedKey& bounded : BOUNDED_KEYS) {
        if (std::string(bounded.key) == key) {
            return std::clamp(ReadInt(key, bounded.nDefault, path), bounded.nMin, bounded.nMax);
        }
    }
    return ReadInt(key, 0, path);
}

} // namespace

std::string MainSettingsPath(const std::string& programFolder) {
    return platform::JoinPath(programFolder, MAIN_SETTINGS_FILE);
}

void LoadSystemSettings(const std::string& path) {
    g_nADLinearity = ReadInt("ADLinearity", 0, path);
    g_nADBase = ReadInt("ADBASE", 20000, path);
    // Read as an unsigned integer: "-1" stands for 4294967295.
    g_fFullValue = static_cast<float>(static_cast<std::uint32_t>(ReadInt("FullValue", 20000, path)));
    g_nRefChanOffset = ReadInt("RefrenceChanOffset", -1, path);
    g_nDelayBufferCount = ReadBounded("DelayBufferCount", path);
    g_nDelayChanInfo = ReadBounded("DelayChanInfo", path);
    g_nDelayDataGet = ReadBounded("DelayDataGet", path);
    g_nLeadRCells = ReadBounded("LeadRCells", path);
    g_bSoftwareDebug = ReadBool("SoftwareDebug", 0, path);
    g_bSoftwareMAC = ReadBool("SoftwareMAC", 0, path);
    g_bOutDebugInfo = ReadBool("OutDebugInfo", 0, path);
    g_bInterface485 = ReadBool("Interface485", 0, path);
    g_nInterface485RLead = ReadInt("Interface485RLead", 25, path);
    g_nInterface485Check = ReadInt("Interface485Check", 35, path);
    g_nAverageCount = ReadBounded("AverageCount", path);
    g_bNetworkMonitor = ReadBool("NetworkMonitor", 1, path);
    g_bProgrammedStrain = ReadBool("ProgrammedStrain", 0, path);
    g_bSoftwareSpectrum = ReadBool("SoftwareSpectrum", 0, path);
    g_bClkSyncMode = ReadBool("ClkSyncMode", 1, path);
    g_bGNDInputMode = ReadBool("GNDInputMode", 0, path);
    g_nAutoDetectCaseOutTime = ReadBounded("AutoDetectCaseOutTime", path);
}

std::vector<std::string> FindSystemSettingsOutOfRange(const std::string& path) {
    std::vector<std::string> found;
    for (const BoundedKey& bounded : BOUNDED_KEYS) {
        const int value = ReadInt(bounded.key, bounded.nDefault, path);
        if (value < bounded.nMin || value > bounded.nMax) {
            found.push_back(platform::Format("[%s] %s=%d", SYSTEM_SECTION, bounded.key, value));
        }
    }
    return found;
}

void ReadSlaveCaseSettings(const std::string& path) {
    for (int n = 0; n < MAX_CASE_COUNT; ++n) {
        char text[128] = {};
        platform::GetPrivateProfileString(SYSTEM_SECTION, platform::Format("SlaveCase%d", n), "0", text,
                                          sizeof(text), path);
        g_SlaveCaseTable[n] = static_cast<std::int32_t>(std::atoi(text));
    }
}

void SetRunStatePresets() {
    g_nControllerCount = 0;
    g_bSampling = 0;
    g_bSamplePaused = 0;
    g_bNewSampleData = 0;
    g_bStopProcessing = 0;
    g_nCaseStatusMin = 1;
    g_nCaseStatusMax = 1;
    g_bPerCaseFiles = 0;
    g_bLinkBusy = 0;
    g_bLinkWatchEnabled = 1;
    g_bCaseNumberConflict = 0;
}

platform::CRegistryProfile& AppRegistryProfile() {
    static platform::CRegistryProfile profile(g_strRegistryKey, "QV74xx");
    return profile;
}
