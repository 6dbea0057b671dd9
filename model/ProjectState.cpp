// Paths of the current project's files.
#include "model/ProjectState.h"

#include "platform/Files.h"
#include "platform/Text.h"

std::int32_t g_bPerCaseFiles = 0;
std::int32_t g_nControllerCount = 0;

void CProjectState::SetProjectFile(const std::string& projectFilePath) {
    m_strProjectFile = projectFilePath;
    const std::string fileName = platform::FileNameOf(projectFilePath);
    SetProjectFolderAndName(platform::FolderOf(projectFilePath),
                            fileName.substr(0, fileName.size() - platform::ExtensionOf(fileName).size()));
}

void CProjectState::SetProjectFolderAndName(const std::string& folder, const std::string& name) {
    m_strProjectFolder = folder;
    m_strProjectName = name;
    m_strProjectRoot = platform::FolderOf(folder);
}

int CProjectState::GetProjectPath(std::string& folder, std::string& name) const {
    if (m_nProjectState == PROJECT_NONE || !HasProjectPath()) {
        return 0;
    }
    folder = m_strProjectFolder;
    name = m_strProjectName;
    return 1;
}

std::string CProjectState::GetFilePath(const std::string& suffix) const {
    if (!HasProjectPath()) {
        return std::string();
    }
    return platform::JoinPath(m_strProjectFolder, m_strProjectName + suffix);
}

std::string CProjectState::GetCaseFilePath(int caseNumber, const std::string& suffix) const {
    return GetFilePath(platform::Format("_%d", caseNumber) + suffix);
}

std::string CProjectState::GetProgramFilePath(const std::string& suffix) const {
    return platform::JoinPath(m_strProgramFolder, m_strModelName + suffix);
}

std::string CProjectState::GetModuleInfoPath() const {
    return HasProjectPath() ? platform::JoinPath(m_strProjectFolder, "Module.ifo") : std::string();
}

void CProjectState::ClearProject() {
    m_nProjectState = PROJECT_NONE;
    m_nTotalDataCount = 0;
    m_bBalanceStatus = 0;
    m_strBalanceTime.clear();
    m_VirtualChannels.clear();
    m_RosetteGroups.clear();
    m_ResidualGroups.clear();
    m_bAppendData = false;
}
