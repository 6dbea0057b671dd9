// Choosing a project path, and importing and exporting a project's settings.
#include "project/ProjectHandler.h"

#include <algorithm>
#include <cctype>

#include "model/AppSettings.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "platform/Text.h"
#include "project/ChannelParamFile.h"
#include "project/SettingsFileCheck.h"

namespace {

constexpr std::size_t MAX_FILE_NAME_CHARS = 60;
constexpr const char* IMPORT_FILE_DAMAGED_TEXT = "文件%s已损坏或无法读取，导入失败，当前设置未改变。";

std::size_t CharacterCount(const std::string& utf8) {
    return static_cast<std::size_t>(std::count_if(
        utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

bool HasProjectExtension(const std::string& path) {
    std::string extension = platform::ExtensionOf(path);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".dap";
}

void ShowMessage(const std::string& text) {
    platform::MessageBox(text, g_strAppTitle, platform::MB_OK | platform::MB_ICONEXCLAMATION);
}

} // namespace

int SplitChosenProjectPath(const std::string& chosen, std::string& folder, std::string& name) {
    const std::string fileName = platform::FileNameOf(chosen);
    if (fileName.empty() || CharacterCount(fileName) > MAX_FILE_NAME_CHARS) {
        return 0;
    }
    if (HasProjectExtension(chosen)) {
        folder = platform::FolderOf(chosen);
        name = fileName.substr(0, fileName.size() - platform::ExtensionOf(fileName).size());
    } else {
        folder = chosen;
        name = fileName;
    }
    return 1;
}

std::string ProjectDialogInitialFolder(const CProjectState& state) {
    const std::string folder = state.m_strProjectRoot.empty()
                                   ? platform::JoinPath(state.m_strProgramFolder, "Projects")
                                   : state.m_strProjectRoot;
    platform::CreateFolder(folder);
    return folder;
}

int CProjectHandler::ImportProject(const std::string& folder, const std::string& name) {
    // Every file is checked before anything changes: a damaged file must not
    // reset the current setup and reach the cases.
    const std::string base = platform::JoinPath(folder, name);
    const std::string projectFile = base + ".dap";
    if (!platform::FileExists(projectFile)) {
        ShowMessage("未查找到采样参数文件，导入失败。");
        return 0;
    }
    if (!IsProfileTextFile(projectFile)) {
        ShowMessage(platform::Format(IMPORT_FILE_DAMAGED_TEXT, projectFile.c_str()));
        return 0;
    }
    const std::string channelFile = base + ".chn";
    switch (CheckChannelParamFile(channelFile)) {
    case ChannelParamFileCheck::Missing:
        ShowMessage("未查找到通道参数文件，导入失败。");
        return 0;
    case ChannelParamFileCheck::Unreadable:
    case ChannelParamFileCheck::Damaged:
        ShowMessage(platform::Format(IMPORT_FILE_DAMAGED_TEXT, channelFile.c_str()));
        return 0;
    case ChannelParamFileCheck::Usable:
        break;
    }
    if (!LoadChannelParamFile(channelFile)) {
        ShowMessage(platform::Format(IMPORT_FILE_DAMAGED_TEXT, channelFile.c_str()));
        return 0;
    }
    LoadSystemParam(projectFile, g_bSoftwareSpectrum, m_state.m_SampleSettings,
                    m_state.m_StoredSettings.precision);
    if (m_hooks.showSampleSettings) {
        m_hooks.showSampleSettings(m_state.m_SampleSettings);
    }
    Call(m_hooks.rebuildChannelBar);
    Call(m_hooks.sendChannelParams);
    ReadVirtualChannelFile(base + ".Pam", m_state.m_VirtualChannels);
    return 1;
}

int CProjectHandler::ExportProject(const std::string& folder, const std::string& name) {
    if (!platform::CreateFolder(folder)) {
        return 0;
    }
    const std::string base = platform::JoinPath(folder, name);
    if (TakeSampleBarSettings()) {
        StoredWithSampleSettings stored = m_state.m_StoredSettings;
        stored.bPerCaseFiles = g_bPerCaseFiles;
        stored.nControllerCount = g_nControllerCount;
        SaveSystemParam(base + ".dap", m_state.m_SampleSettings, stored);
    }
    const int channels = SaveChannelParamFile(base + ".chn");
    const int virtuals = WriteVirtualChannelFile(base + ".Pam", m_state.m_VirtualChannels);
    return (channels && virtuals) ? 1 : 0;
}
