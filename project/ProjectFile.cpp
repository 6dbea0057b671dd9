// Writing and reading the project file.
#include "project/ProjectFile.h"

#include <algorithm>
#include <utility>

#include "model/AppSettings.h"
#include "model/CaseTables.h"
#include "platform/Profile.h"
#include "platform/Text.h"

namespace {

// Channel ids an importance channel may name: measured, virtual and digital.
constexpr int MAX_IMPORTANCE_CHANNEL_ID = 4231;

int ReadInt(const char* section, const std::string& key, int nDefault, const std::string& path) {
    return platform::GetPrivateProfileInt(section, key, nDefault, path);
}

void WriteInt(const char* section, const std::string& key, int value, const std::string& path) {
    platform::WritePrivateProfileString(section, key, platform::Format("%d", value), path);
}

void WriteCaseTable(const std::string& path) {
    const int caseCount = std::clamp<int>(g_nCaseCount, 0, MAX_CASE_COUNT);
    WriteInt("ChannelParam", "CaseCount", caseCount, path);
    for (int i = 0; i < caseCount; ++i) {
        WriteInt("ChannelParam", platform::Format("CaseID%d", i), g_CaseList[i], path);
    }
    WriteInt("Version_PriCase", "PriCaseVersion", g_nPriCaseVersion, path);
    for (int i = 0; i < MAX_CASE_COUNT; ++i) {
        WriteInt("System", platform::Format("SlaveCase%d", i), g_SlaveCaseTable[i], path);
    }
}

void ReadImportanceChannels(CProjectState& state, const std::string& path) {
    for (int i = 0; i < IMPORTANCE_CHANNEL_COUNT; ++i) {
        const int id = ReadInt("ImportanceChannels", platform::Format("ImportanceChannels%d", i), -1, path);
        state.m_nImportanceChannels[i] = (id >= 0 && id <= MAX_IMPORTANCE_CHANNEL_ID) ? id : -1;
    }
}

} // namespace

std::string ResolveProjectFilePath(const CProjectState& state, const std::string& path) {
    return path.empty() ? state.GetProgramFilePath(".dap") : path;
}

int WriteProjectFile(const CProjectState& state, const std::string& givenPath) {
    const std::string path = ResolveProjectFilePath(state, givenPath);
    // Some 600 keys: the file is parsed and replaced once, not once a key.
    platform::ProfileWriteDeferral deferral;
    StoredWithSampleSettings stored = state.m_StoredSettings;
    stored.bPerCaseFiles = g_bPerCaseFiles;
    stored.nControllerCount = g_nControllerCount;
    SaveSystemParam(path, state.m_SampleSettings, stored);

    WriteInt("SystemParam", "TotalDataCount", state.m_nTotalDataCount, path);
    WriteCaseTable(path);
    WriteInt("IsBalance", "m_bBalanceStatus", state.m_bBalanceStatus, path);
    platform::WritePrivateProfileString("BalanceTime", "m_strBalanceTime", state.m_strBalanceTime, path);
    WriteInt("PortSetting", "m_nBaundRate", state.m_nBaundRate, path);
    WriteInt("PortSetting", "m_nComPort", state.m_nComPort, path);
    WriteInt("PortSetting", "m_nInterfaceMode", state.m_nInterfaceMode, path);
    WriteInt("PortSetting", "m_nDeviceType", state.m_nDeviceType, path);
    for (int i = 0; i < IMPORTANCE_CHANNEL_COUNT; ++i) {
        WriteInt("ImportanceChannels", platform::Format("ImportanceChannels%d", i),
                 state.m_nImportanceChannels[i], path);
    }
    deferral.End();
    return 1;
}

int ReadProjectFile(CProjectState& state, const std::string& givenPath) {
    const std::string path = ResolveProjectFilePath(state, givenPath);
    LoadSystemParam(path, g_bSoftwareSpectrum, state.m_SampleSettings, state.m_StoredSettings.precision);
    if (!givenPath.empty()) {
        state.m_nTotalDataCount = std::max(0, ReadInt("SystemParam", "TotalDataCount", 0, path));
        if (LoadCaseTablesFromProjectFile(path) == 0) {
            return 0;
        }
        state.m_bBalanceStatus = ReadInt("IsBalance", "m_bBalanceStatus", 0, path);
    }
    state.m_strBalanceTime = platform::GetPrivateProfileString("BalanceTime", "m_strBalanceTime", "", path);
    ReadImportanceChannels(state, path);
    g_nPriCaseVersion = ReadInt("Version_PriCase", "PriCaseVersion", 3, path);
    LoadStoredWithSampleSettings(path, state.m_StoredSettings);
    g_bPerCaseFiles = state.m_StoredSettings.bPerCaseFiles;
    g_nControllerCount = state.m_StoredSettings.nControllerCount;
    return 1;
}

void WriteDeviceType(const CProjectState& state, const std::string& path) {
    WriteInt("SystemParam", "DeviceType", state.m_nDeviceType, path);
    WriteInt("SystemParam", "SubDeviceType", state.m_nSubDeviceType, path);
}

int ReadDeviceType(const std::string& path) {
    return ReadInt("SystemParam", "DeviceType", 0, path);
}

bool IsProjectFileComplete(const std::string& path) {
    // A default no file can hold tells a missing key from a stored value.
    constexpr const char* kMissing = "\x01";
    for (const auto& [section, key] : {std::pair<const char*, const char*>{"SystemParam", "DeviceType"},
                                       {"ChannelParam", "CaseCount"},
                                       {"Version_PriCase", "PriCaseVersion"}}) {
        if (platform::GetPrivateProfileString(section, key, kMissing, path) == kMissing) {
            return false;
        }
    }
    return true;
}
