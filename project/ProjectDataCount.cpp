// Stored-sample counts of the current project and their status-bar texts.
#include "project/ProjectHandler.h"

#include <algorithm>

#include "datafiles/SampleFileFormat.h"
#include "datafiles/StoredRunCheck.h"
#include "model/AppSettings.h"
#include "model/CaseTables.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "platform/Text.h"

namespace {

void ShowMessage(const char* text) {
    platform::MessageBox(text, g_strAppTitle, platform::MB_OK | platform::MB_ICONEXCLAMATION);
}

std::int64_t RecordsIn(const std::string& path, std::int64_t recordSize) {
    const std::int64_t size = platform::FileSize(path);
    return (size > 0 && recordSize > 0) ? size / recordSize : 0;
}

int ClampCount(std::int64_t count) {
    return static_cast<int>(std::min<std::int64_t>(count, INT32_MAX));
}

} // namespace

int CProjectHandler::GetCaseFilesDataCount(int& count) const {
    count = ClampCount(
        CheckCaseRunFiles(m_state, g_CaseList, std::clamp<int>(g_nCaseCount, 0, MAX_CASE_COUNT)).nWholeSets);
    return 1;
}

int CProjectHandler::UpdateStoredDataCount() {
    if (g_bPerCaseFiles) {
        const StoredRunCheck check =
            CheckCaseRunFiles(m_state, g_CaseList, std::clamp<int>(g_nCaseCount, 0, MAX_CASE_COUNT));
        m_state.m_nTotalDataCount = ClampCount(check.nWholeSets);
        m_notes.insert(m_notes.end(), check.notes.begin(), check.notes.end());
        return 1;
    }
    const std::string dataPath = m_state.GetFilePath(".dat");
    const std::string statusPath = m_state.GetFilePath(".stu");
    if (dataPath.empty()) {
        ShowMessage("数据文件不存在!");
        return 0;
    }
    if (statusPath.empty()) {
        ShowMessage("状态文件不存在!");
        return 0;
    }
    const std::int64_t frameSize = std::int64_t(sizeof(CaseSampleBlock)) * std::max<int>(g_nCaseCount, 0);
    const std::int64_t samples = RecordsIn(dataPath, frameSize);
    const std::int64_t records = RecordsIn(statusPath, sizeof(SampleStatusRecord));
    const std::int64_t count = std::min(samples, records);
    if (count <= 0) {
        return 0;
    }
    m_state.m_nTotalDataCount = ClampCount(count);
    return 1;
}

std::pair<std::string, std::string> DataCountPaneTexts(int kind, int count, int total, bool acquiring,
                                                       int projectState) {
    if (acquiring || kind == 5) {
        return {platform::Format("当前采集到数据个数:%d", count),
                platform::Format("当前项目数据总数:%d", total)};
    }
    if (projectState == PROJECT_NONE || projectState == PROJECT_PREPARED) {
        return {"当前窗口数据计数", "当前项目数据总数"};
    }
    if (kind == 1 || kind == 2) {
        return {platform::Format("当前窗口数据个数:%d", count),
                platform::Format("当前项目数据总数:%d", total)};
    }
    if (kind == 3 || kind == 4) {
        return {platform::Format("当前窗口数据批次:%d", count),
                platform::Format("当前项目数据总数:%d", total)};
    }
    return {"", ""};
}
