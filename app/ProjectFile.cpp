// Writing and reading the project file.
#include "app/ProjectFile.h"

#include <algorithm>

#include "app/AppSettings.h"
#include "app/CaseTables.h"
#include "app/ProfileWriteBatch.h"
#include "platform/Profile.h"
#include "platform/Text.h"

namespace {

// Channel ids an importance channel may name: measured, virtual and digital.
constexpr int MAX_IMPORTANCE_CHANNEL_ID = 4231;

int ReadInt(const char* section, const std::string& key, int nDefault, const std::string& path) {
    return platform::GetPrivateProfileInt(section, key, nDefault, path);
}

void WriteCaseTable(CProfileWriteBatch& batch) {
    const int caseCount = std::clamp<int>(g_nCaseCount, 0, MAX_CASE_COUNT);
    batch.WriteInt("ChannelParam", "CaseCount", caseCount);
    for (int i = 0; i < caseCount; ++i) {
        batch.WriteInt("ChannelParam", platform::Format("CaseID%d", i), g_CaseList[i]);
    }
    batch.WriteInt("Version_PriCase", "PriCaseVersion", g_nPriCaseVersion);
    for (int i = 0; i < MAX_CASE_COUNT; ++i) {
        batch.WriteInt("System", platform::Format("SlaveCase%d", i), g_SlaveCaseTable[i]);
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
    CProfileWriteBatch batch(ResolveProjectFilePath(state, givenPath));
    StoredWithSampleSettings stored = state.m_StoredSettings;
    stored.bPerCaseFiles = g_bPerCaseFiles;
    stored.nControllerCount = g_nControllerCount;
    SaveSystemParam(batch, state.m_SampleSettings, stored);

    batch.WriteInt("SystemParam", "TotalDataCount", state.m_nTotalDataCount);
    WriteCaseTable(batch);
    batch.WriteInt("IsBalance", "m_bBalanceStatus", state.m_bBalanceStatus);
    batch.WriteString("BalanceTime", "m_strBalanceTime", state.m_strBalanceTime);
    batch.WriteInt("PortSetting", "m_nBaundRate", state.m_nBaundRate);
    batch.WriteInt("PortSetting", "m_nComPort", state.m_nComPort);
    batch.WriteInt("PortSetting", "m_nInterfaceMode", state.m_nInterfaceMode);
    batch.WriteInt("PortSetting", "m_nDeviceType", state.m_nDeviceType);
    for (int i = 0; i < IMPORTANCE_CHANNEL_COUNT; ++i) {
        batch.WriteInt("ImportanceChannels", platform::Format("ImportanceChannels%d", i),
                       state.m_nImportanceChannels[i]);
    }
    batch.Commit();
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
    CProfileWriteBatch batch(path);
    batch.WriteInt("SystemParam", "DeviceType", state.m_nDeviceType);
    batch.WriteInt("SystemParam", "SubDeviceType", state.m_nSubDeviceType);
    batch.Commit();
}

int ReadDeviceType(const std::string& path) {
    return ReadInt("SystemParam", "DeviceType", 0, path);
}
