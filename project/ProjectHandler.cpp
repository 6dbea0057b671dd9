// Preparing, saving, opening and closing the current project.
#include "project/ProjectHandler.h"

#include <algorithm>
#include <cctype>

#include "datafiles/AppTables.h"
#include "datafiles/GroupSettingsFile.h"
#include "model/AppSettings.h"
#include "model/CaseTables.h"
#include "model/ValueConversion.h"
#include "model/VirtualChannelFile.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "platform/Text.h"
#include "project/BalanceResults.h"
#include "project/ChannelParamFile.h"
#include "project/ControllerTableFile.h"
#include "project/ProjectFile.h"
#include "project/SettingsFileCheck.h"

namespace {

constexpr const char* OWN_SUFFIXES[] = {".dap",    ".dat", ".stu", ".chn", ".zer", ".dst", ".LYT",
                                        ".PamNew", ".sfc", ".rsc", ".dsi", ".mrk", ".xls"};
constexpr const char* FOREIGN_FILES_TEXT = "项目文件夹中有不属于该项目的文件，无法建立项目！";
constexpr const char* DEVICE_MISMATCH_TEXT = "数据与当前软件不匹配，无法打开数据！";
constexpr const char* OPEN_DATA_CAPTION = "打开数据提示";
constexpr const char* PROJECT_FILE_MISSING_TEXT = "项目文件%s不存在，无法打开项目！";
constexpr const char* PROJECT_FILE_DAMAGED_TEXT = "项目文件%s不完整或已损坏，无法打开项目！";
constexpr const char* CHANNEL_FILE_MISSING_TEXT = "项目的通道参数文件%s不存在，无法打开项目！";
constexpr const char* CHANNEL_FILE_UNREADABLE_TEXT = "项目的通道参数文件%s无法读取，无法打开项目！";
constexpr const char* CHANNEL_FILE_DAMAGED_TEXT = "项目的通道参数文件%s已损坏，无法打开项目！";
constexpr const char* CHANNEL_FILE_SAVE_FAILED_TEXT =
    "通道参数文件%s保存失败（磁盘空间不足或无法写入），项目无法建立！";

void ShowFileMessage(const char* format, const std::string& path, const char* caption) {
    platform::MessageBox(platform::Format(format, path.c_str()), caption,
                         platform::MB_OK | platform::MB_ICONEXCLAMATION);
}

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// digits + one of the extensions, e.g. "12.vit".
bool IsNumberedFile(const std::string& rest, std::initializer_list<const char*> extensions) {
    std::size_t digits = 0;
    while (digits < rest.size() && std::isdigit(static_cast<unsigned char>(rest[digits]))) {
        ++digits;
    }
    if (digits == 0) {
        return false;
    }
    const std::string extension = rest.substr(digits);
    return std::any_of(extensions.begin(), extensions.end(), [&](const char* e) { return extension == e; });
}

bool IsOwnSuffix(std::string rest) {
    // Staged copies of our own atomic writes count as the file they replace.
    for (const char* staging : {".bak", ".tmp"}) {
        const std::string s = staging;
        if (rest.size() > s.size() && rest.compare(rest.size() - s.size(), s.size(), s) == 0) {
            rest.erase(rest.size() - s.size());
            break;
        }
    }
    if (std::any_of(std::begin(OWN_SUFFIXES), std::end(OWN_SUFFIXES),
                    [&](const char* s) { return rest == s; })) {
        return true;
    }
    if (StartsWith(rest, "_") && IsNumberedFile(rest.substr(1), {".dat", ".stu"})) {
        return true;
    }
    return IsNumberedFile(rest, {".vit", ".sfd", ".rsd"});
}

std::vector<std::string> ForeignFiles(const std::string& folder, const std::string& name) {
    std::vector<std::string> foreign;
    for (const platform::FolderEntry& entry : platform::ListFolder(folder)) {
        if (!entry.isFolder && !IsProjectOwnFile(name, entry.name)) {
            foreign.push_back(entry.name);
        }
    }
    return foreign;
}

void DeleteOwnFiles(const std::string& folder, const std::string& name) {
    for (const platform::FolderEntry& entry : platform::ListFolder(folder)) {
        if (!entry.isFolder && IsProjectOwnFile(name, entry.name)) {
            platform::DeleteFile(platform::JoinPath(folder, entry.name));
        }
    }
}

void SaveGroupFiles(const CProjectState& state) {
    SaveStrainFlowerParam(state.GetFilePath(".sfc"), int(state.m_RosetteGroups.size()),
                          state.m_RosetteGroups.data());
    SaveRemainStressParam(state.GetFilePath(".rsc"), int(state.m_ResidualGroups.size()),
                          state.m_ResidualGroups.data());
}

// A damaged companion file reads as empty settings, which the next save
// would write over it: the original is moved aside first and the user told.
void SetAsideIfDamaged(const std::string& path, bool sound, std::vector<std::string>& notes) {
    if (sound || !platform::FileExists(path)) {
        return;
    }
    const std::string aside = KeepFileAside(path);
    notes.push_back(aside.empty()
                        ? platform::Format("文件%s已损坏，且无法另存，该项设置按空打开，保存项目时将被覆盖。",
                                           path.c_str())
                        : platform::Format("文件%s已损坏，原文件已另存为%s，该项设置按空打开。", path.c_str(),
                                           aside.c_str()));
}

// Groups whose gauges are no longer strain channels are dropped by the readers.
void LoadGroupFiles(CProjectState& state) {
    const CAppChannelTable channels;
    state.m_RosetteGroups = ReadRosetteGroups(state.GetFilePath(".sfc"), channels);
    state.m_ResidualGroups = ReadResidualGroups(state.GetFilePath(".rsc"), channels);
}

} // namespace

bool IsProjectOwnFile(const std::string& projectName, const std::string& fileName) {
    if (fileName == "Module.ifo") {
        return true;
    }
    return !projectName.empty() && StartsWith(fileName, projectName) &&
           IsOwnSuffix(fileName.substr(projectName.size()));
}

void CProjectHandler::Call(const std::function<void()>& hook) const {
    if (hook) {
        hook();
    }
}

void CProjectHandler::SetProjectState(int state) {
    m_state.m_nProjectState = state;
    if (m_hooks.onStateChanged) {
        m_hooks.onStateChanged(state);
    }
}

bool CProjectHandler::TakeSampleBarSettings() {
    return !m_hooks.takeSampleBarSettings || m_hooks.takeSampleBarSettings(m_state.m_SampleSettings);
}

int CProjectHandler::PrepareProject(const std::string& projectFilePath, bool showMessages) {
    CProjectState candidate;
    candidate.SetProjectFile(projectFilePath);
    if (!candidate.HasProjectPath()) {
        return 0;
    }
    if (!ForeignFiles(candidate.m_strProjectFolder, candidate.m_strProjectName).empty()) {
        if (showMessages) {
            platform::MessageBox(FOREIGN_FILES_TEXT, g_strAppTitle,
                                 platform::MB_OK | platform::MB_ICONEXCLAMATION);
        }
        return 0;
    }
    m_state.SetProjectFile(projectFilePath);
    SetProjectState(PROJECT_PREPARED);
    platform::CreateFolder(m_state.m_strProjectRoot);
    platform::CreateFolder(m_state.m_strProjectFolder);
    DeleteOwnFiles(m_state.m_strProjectFolder, m_state.m_strProjectName);

    // Cleared before the save, so the new project file never carries the
    // previous project's count.
    m_state.m_nTotalDataCount = 0;
    if (!SaveProjectState(showMessages)) {
        // A project without its channel parameters could never be opened.
        SetProjectState(PROJECT_NONE);
        return 0;
    }
    if (m_hooks.showSampleSettings) {
        m_hooks.showSampleSettings(m_state.m_SampleSettings);
    }
    Call(m_hooks.resetViews);
    return 1;
}

bool CProjectHandler::SaveProjectState(bool showMessages) {
    // Without a project every path would be empty, and an empty path means
    // the program folder's own project file.
    if (!m_state.HasProjectPath()) {
        return true;
    }
    g_bPerCaseFiles = 1;
    const std::string projectFile = m_state.GetFilePath(".dap");
    if (TakeSampleBarSettings()) {
        WriteProjectFile(m_state, projectFile);
    }
    WriteDeviceType(m_state, projectFile);
    const std::string channelFile = m_state.GetFilePath(".chn");
    const bool channelsSaved = SaveChannelParamFile(channelFile) != 0;
    if (!channelsSaved && showMessages) {
        ShowFileMessage(CHANNEL_FILE_SAVE_FAILED_TEXT, channelFile, g_strAppTitle);
    }
    WriteVirtualChannelFile(m_state.GetFilePath(".PamNew"), m_state.m_VirtualChannels);
    SaveProjectZeros(m_state.GetFilePath(".zer"), m_state.m_strBalanceTime);
    SaveGroupFiles(m_state);
    if (m_hooks.saveCompanionFiles) {
        m_hooks.saveCompanionFiles(m_state);
    }
    return channelsSaved;
}

int CProjectHandler::OpenProjectData(const std::string& projectFilePath) {
    m_notes.clear();
    // Say which file keeps the project from opening, before anything changes.
    if (!platform::FileExists(projectFilePath)) {
        ShowFileMessage(PROJECT_FILE_MISSING_TEXT, projectFilePath, OPEN_DATA_CAPTION);
        return 0;
    }
    if (!IsProjectFileComplete(projectFilePath)) {
        ShowFileMessage(PROJECT_FILE_DAMAGED_TEXT, projectFilePath, OPEN_DATA_CAPTION);
        return 0;
    }
    CProjectState candidate;
    candidate.SetProjectFile(projectFilePath);
    const std::string channelFile = candidate.GetFilePath(".chn");
    switch (CheckChannelParamFile(channelFile)) {
    case ChannelParamFileCheck::Missing:
        ShowFileMessage(CHANNEL_FILE_MISSING_TEXT, channelFile, OPEN_DATA_CAPTION);
        return 0;
    case ChannelParamFileCheck::Unreadable:
        ShowFileMessage(CHANNEL_FILE_UNREADABLE_TEXT, channelFile, OPEN_DATA_CAPTION);
        return 0;
    case ChannelParamFileCheck::Damaged:
        ShowFileMessage(CHANNEL_FILE_DAMAGED_TEXT, channelFile, OPEN_DATA_CAPTION);
        return 0;
    case ChannelParamFileCheck::Usable:
        break;
    }
    if (ReadDeviceType(projectFilePath) != m_state.m_nDeviceType) {
        platform::MessageBox(DEVICE_MISMATCH_TEXT, OPEN_DATA_CAPTION,
                             platform::MB_OK | platform::MB_ICONEXCLAMATION);
        return 0;
    }
    m_state.SetProjectFile(projectFilePath);
    SetProjectState(PROJECT_OPENED);
    ReadProjectFile(m_state, projectFilePath);
    SetChannelsPerModule(g_nPriCaseVersion);
    if (m_hooks.showSampleSettings) {
        m_hooks.showSampleSettings(m_state.m_SampleSettings);
    }
    if (!UpdateStoredDataCount()) {
        return 0;
    }
    if (m_state.m_nTotalDataCount > 0 && m_hooks.ensureSampleDataFiles) {
        m_hooks.ensureSampleDataFiles(m_state);
    }
    if (!LoadChannelParamFile(m_state.GetFilePath(".chn"))) {
        return 0;
    }
    for (int channel = 0; channel < MAX_CHANNEL_COUNT; ++channel) {
        UpdateChannelScale(channel);
    }
    const std::string virtualFile = m_state.GetFilePath(".PamNew");
    SetAsideIfDamaged(virtualFile, IsVirtualChannelFileSound(virtualFile), m_notes);
    ReadVirtualChannelFile(virtualFile, m_state.m_VirtualChannels);
    for (const char* suffix : {".sfc", ".rsc"}) {
        const std::string groupFile = m_state.GetFilePath(suffix);
        SetAsideIfDamaged(groupFile, IsProfileTextFile(groupFile), m_notes);
    }
    LoadGroupFiles(m_state);
    const std::string moduleFile = m_state.GetModuleInfoPath();
    SetAsideIfDamaged(moduleFile, IsControllerTableFileSound(moduleFile), m_notes);
    if (m_hooks.loadCompanionFiles) {
        m_hooks.loadCompanionFiles(m_state);
    }
    Call(m_hooks.rebuildChannelBar);
    if (m_state.m_bBalanceStatus && LoadProjectZeros(m_state.GetFilePath(".zer"), m_state.m_strBalanceTime)) {
        Call(m_hooks.zerosLoaded);
    }
    if (!m_notes.empty()) {
        std::string text = "项目" + projectFilePath + "的部分文件有问题：";
        for (const std::string& note : m_notes) {
            text += "\n" + note;
        }
        platform::MessageBox(text, OPEN_DATA_CAPTION, platform::MB_OK | platform::MB_ICONEXCLAMATION);
    }
    return 1;
}

void CProjectHandler::CloseProject() {
    if (m_hooks.closeAllWindows) {
        m_hooks.closeAllWindows(m_state);
    }
    if (m_state.HasProjectPath()) {
        if (TakeSampleBarSettings()) {
            WriteProjectFile(m_state, m_state.GetFilePath(".dap"));
        }
        SaveChannelParamFile(m_state.GetFilePath(".chn"));
        WriteVirtualChannelFile(m_state.GetFilePath(".PamNew"), m_state.m_VirtualChannels);
        SaveGroupFiles(m_state);
        if (m_hooks.saveCompanionFiles) {
            m_hooks.saveCompanionFiles(m_state);
        }
    }
    m_state.ClearProject();
    SetProjectState(PROJECT_NONE);
}
