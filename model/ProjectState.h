// The main frame's current project: its folder, name and state, the paths of
// its files, its stored-sample count and the settings saved with it. The
// main frame owns the program's one instance; tests make their own.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "model/ResultGroups.h"
#include "model/SampleSettings.h"
#include "model/VirtualChannelFile.h"

constexpr int PROJECT_NONE = 0;      // no project
constexpr int PROJECT_PREPARED = 1;  // prepared for a run, no data yet
constexpr int PROJECT_OPENED = 2;    // opened from disk
constexpr int PROJECT_CONFIRMED = 3; // opened, its cases confirmed by the continue test

constexpr int IMPORTANCE_CHANNEL_COUNT = 5;
constexpr int DEVICE_TYPE_QV7416 = 3;

// Runs store one data-file pair per case when set.
extern std::int32_t g_bPerCaseFiles;
// Entries of the controller table.
extern std::int32_t g_nControllerCount;

class CProjectState {
public:
    int m_nProjectState = PROJECT_NONE;
    std::string m_strProjectRoot;
    std::string m_strProjectFolder;
    std::string m_strProjectName;
    std::string m_strProjectFile; // the ".dap" path, empty when none was chosen
    std::string m_strProgramFolder;
    std::string m_strModelName = "QV7416";

    std::int32_t m_nTotalDataCount = 0;
    std::int32_t m_bBalanceStatus = 0;
    std::string m_strBalanceTime;
    std::array<std::int32_t, IMPORTANCE_CHANNEL_COUNT> m_nImportanceChannels{-1, -1, -1, -1, -1};
    std::int32_t m_nDeviceType = DEVICE_TYPE_QV7416;
    std::int32_t m_nSubDeviceType = DEVICE_TYPE_QV7416;
    // Port settings written with the project (never read back).
    std::int32_t m_nBaundRate = 4800;
    std::int32_t m_nComPort = 1;
    std::int32_t m_nInterfaceMode = 2;

    SampleSettings m_SampleSettings;
    StoredWithSampleSettings m_StoredSettings;

    std::vector<VirtualChannelRecord> m_VirtualChannels;
    // The rosette (".sfc") and residual-stress (".rsc") groups of the project.
    std::vector<RosetteGroupRecord> m_RosetteGroups;
    std::vector<ResidualStressGroupRecord> m_ResidualGroups;
    bool m_bAppendData = false; // the run appends to the current project
    // What the start of a run reads to decide whether the views keep their data.
    bool m_bKeepViewData = false;
    bool m_bViewBuffersChanged = false;
    std::int64_t m_tStoragePeriodStart = 0; // seconds since 1970

    // Takes folder and name from a project-file path: the folder is the text
    // before the last '/', the name the file name without its extension.
    void SetProjectFile(const std::string& projectFilePath);
    void SetProjectFolderAndName(const std::string& folder, const std::string& name);
    // 0 when no project is open.
    int GetProjectPath(std::string& folder, std::string& name) const;
    bool HasProjectPath() const { return !m_strProjectFolder.empty() && !m_strProjectName.empty(); }

    // folder + "/" + name + suffix ("" when the project has no folder or name).
    std::string GetFilePath(const std::string& suffix) const;
    // The per-case form: folder + "/" + name + "_<case>" + suffix.
    std::string GetCaseFilePath(int caseNumber, const std::string& suffix) const;
    // program folder + "/" + model name + suffix.
    std::string GetProgramFilePath(const std::string& suffix) const;
    std::string GetModuleInfoPath() const;

    void SetKeepViewData(bool keep) { m_bKeepViewData = keep; }
    void SetViewBuffersChanged(bool changed) { m_bViewBuffersChanged = changed; }

    // Back to the no-project state with nothing stored.
    void ClearProject();
};
