// Export of the current zeros to a file pair, their import back, and the
// import of ground-input offsets added to the current zeros.
#include "acquisition/SamplingControl.h"

#include "model/AppSettings.h"
#include "model/RunFlags.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "platform/Text.h"
#include "project/BalanceResults.h"

#include <algorithm>
#include <cctype>

namespace {
constexpr const char* kZerFilter = "平衡结果文件(*.zer)|*.zer||";
constexpr const char* kOddFilter = "平衡结果文件(*.odd)|*.odd||";
constexpr const char* kImportFailed = "测点平衡结果文件不正确，引入测点平衡结果失败。";

std::string UpperTail(const std::string& path) {
    std::string tail = path.size() >= 4 ? path.substr(path.size() - 4) : path;
    std::transform(tail.begin(), tail.end(), tail.begin(), [](unsigned char c) { return std::toupper(c); });
    return tail;
}

void Warn(const char* text) {
    platform::MessageBox(text, g_strAppTitle, platform::MB_OK | platform::MB_ICONWARNING);
}
} // namespace

bool CSamplingControl::CanUseZeroFiles(int onlineCaseCount) {
    return !g_bSampling.load() && !g_bSamplePaused.load() && onlineCaseCount > 0;
}

std::string CSamplingControl::ZerosFolder() const {
    const std::string folder = m_pHost->GetProject().m_strProgramFolder + "/Zeros";
    if (!platform::FolderExists(folder))
        platform::CreateFolder(folder);
    return folder;
}

void CSamplingControl::OnExportZeros() {
    const std::string zeros = ZerosFolder();
    std::string path;
    for (;;) {
        if (!m_pHost->ChooseFile(true, kZerFilter, "导出测点平衡结果", zeros, path))
            return;
        if (platform::GbkLength(path) <= 90)
            break;
        Warn("文件名过长！");
    }
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos || slash == 0) {
        Warn("未能得到零点文件路径！");
        return;
    }
    const std::string folder = path.substr(0, slash);
    std::string title = path.substr(slash + 1);
    const std::size_t dot = title.rfind('.');
    if (dot != std::string::npos)
        title.erase(dot);
    const std::string time = m_pHost->GetProject().m_strBalanceTime;
    SaveProjectZeros(folder + "/" + title + ".zer", time);
    WriteZeroTextFile(folder + "/" + title + ".odd", nullptr, time);
}

void CSamplingControl::AfterZerosChanged() {
    m_bBalanceValid = 1;
    BuildZeroSampleSet();
    CProjectState& project = m_pHost->GetProject();
    if (project.HasProjectPath())
        SaveProjectZeros(project.GetFilePath(".zer"), project.m_strBalanceTime);
    m_pHost->WriteProjectFile();
    m_pHost->RefreshTableViews();
}

bool CSamplingControl::ReadZeroFile(const std::string& path, bool text) {
    std::string time;
    const int ok = text ? ReadZeroTextFile(path, nullptr, time) : LoadProjectZeros(path, time);
    if (ok)
        m_pHost->GetProject().m_strBalanceTime = time;
    return ok != 0;
}

void CSamplingControl::OnImportZeros() {
    std::string path;
    if (!m_pHost->ChooseFile(false, kZerFilter, "引入测点平衡结果", ZerosFolder(), path) || path.empty())
        return;
    const std::string tail = UpperTail(path);
    bool ok = false;
    if (tail == ".ODD")
        ok = ReadZeroFile(path, true);
    else if (tail == ".ZER")
        ok = ReadZeroFile(path, false);
    else
        ok = ReadZeroFile(path + ".zer", false);
    if (!ok) {
        Warn(kImportFailed);
        m_bBalanceValid = 0;
        return;
    }
    AfterZerosChanged();
}

void CSamplingControl::OnImportGndZeros() {
    std::string path;
    if (!m_pHost->ChooseFile(false, kOddFilter, "引入测点平衡结果", ZerosFolder(), path) || path.empty())
        return;
    if (UpperTail(path) != ".ODD")
        path += ".odd";
    std::vector<std::int32_t> offsets(MAX_CHANNEL_COUNT, 0);
    std::string time;
    if (!ReadZeroTextFile(path, offsets.data(), time)) {
        Warn(kImportFailed);
        m_bBalanceValid = 0;
        return;
    }
    for (int id = 0; id < MAX_CHANNEL_COUNT; ++id) {
        if (g_ChannelParams[id].nZero != ZERO_NOT_BALANCED)
            g_ChannelParams[id].nZero += offsets[static_cast<std::size_t>(id)];
    }
    AfterZerosChanged();
}
