// Debug log files and the small file helpers.
#include "model/DebugLogFiles.h"

#include "model/LogFont.h"
#include "platform/DebugLog.h"
#include "platform/Files.h"

void WriteDebugLog(const std::string& strLine, bool bRecreate) {
    WriteLogFile("Debug", strLine, bRecreate);
}

void WriteLogFile(const std::string& strName, const std::string& strLine, bool bRecreate) {
    if (!g_bOutDebugInfo)
        return;
    platform::AppendLogLine(platform::JoinPath(platform::ProgramFolder(), strName + ".txt"), strLine,
                            bRecreate);
}

void ClearReadOnlyAttribute(const std::string& strPath) {
    if (platform::FileExists(strPath) && platform::IsReadOnly(strPath))
        platform::SetReadOnly(strPath, false);
}

int DeleteFolderFiles(const std::string& strFolder) {
    std::vector<platform::FolderEntry> entries = platform::ListFolder(strFolder);
    if (entries.empty())
        return 0;
    for (const platform::FolderEntry& entry : entries) {
        std::string strPath = platform::JoinPath(strFolder, entry.name);
        if (!entry.isFolder && platform::FileExists(strPath))
            platform::DeleteFile(strPath);
    }
    return 1;
}

int InitDefaultLogFont(LOGFONT& font) {
    font = LOGFONT{};
    font.lfHeight = 13;
    font.lfWidth = 7;
    font.lfWeight = 400;
    font.lfQuality = 2;
    font.SetFaceName("Arial");
    return 1;
}
