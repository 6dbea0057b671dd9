// Building automatic project names.
#include "model/AutoProjectName.h"

#include <algorithm>

#include "model/AppSettings.h"
#include "model/ProjectClock.h"
#include "model/TimeTexts.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"

namespace {

constexpr const char* AUTO_NAME_FAILED = "获取自动命名路径失败!";
constexpr int MAX_NUMBER_WIDTH = 16;
// Names tried before giving up; numbering always finds one far sooner.
constexpr int MAX_NAME_ATTEMPTS = 100000;

std::int64_t SplitSeconds(const StorageRuleSettings& rule) {
    switch (rule.StoreType) {
    case STORE_BY_HOURS:
        return std::int64_t(rule.StoreValue) * 3600;
    case STORE_BY_MINUTES:
        return std::int64_t(rule.StoreValue) * 60;
    default:
        return rule.StoreValue;
    }
}

std::string FindStorageFolder(const StorageRuleSettings& rule, const AutoNameContext& context,
                              const IProjectClock& clock) {
    const std::int64_t required = RequiredFreeSpace(rule, context);
    for (int i = 0; i < std::clamp<int>(rule.nFilePathCount, 0, MAX_STORAGE_PATH_COUNT); ++i) {
        const std::string path = StoragePath(rule, i);
        if (!path.empty() && clock.FreeDiskSpace(path) >= required) {
            return path;
        }
    }
    return std::string();
}

std::string BuildName(const StorageRuleSettings& rule, const IProjectClock& clock) {
    return StorageProjectName(rule) + BuildAutoNameSuffix(rule, clock.NowLocal());
}

} // namespace

std::string BuildAutoNameSuffix(const StorageRuleSettings& rule, const platform::LocalDateTime& t) {
    AutoNameSettings settings;
    settings.bDate = rule.bDataStoring;
    settings.nDateMode = rule.iDataIndex;
    settings.bNumber = rule.bNumStoring;
    settings.nNumber = rule.iStartNum;
    settings.nNumberWidth = std::clamp<int>(rule.iNumDefaultLength, 0, MAX_NUMBER_WIDTH);
    settings.bTime = rule.bTimeStoring;
    settings.nTimeMode = rule.iTimeIndex;
    return BuildAutoFileName(settings, t);
}

std::int64_t RequiredFreeSpace(const StorageRuleSettings& rule, const AutoNameContext& context) {
    if (!context.bContinuousRun || !rule.bSetSave) {
        return AUTO_NAME_MIN_FREE_BYTES;
    }
    std::int64_t estimate = 0;
    if (rule.StoreType == STORE_BY_SIZE_MB) {
        estimate = (std::int64_t(rule.StoreValue) + 20) << 20;
    } else {
        estimate = std::int64_t(context.nCaseCount) * (SplitSeconds(rule) + 3) * 32;
    }
    return std::max<std::int64_t>(estimate, 0) + AUTO_NAME_MIN_FREE_BYTES;
}

int MakeAutoProjectName(StorageRuleSettings& rule, const AutoNameContext& context, std::string& folder,
                        std::string& name) {
    const IProjectClock& clock = context.pClock ? *context.pClock : SystemProjectClock();
    const std::string storage = FindStorageFolder(rule, context, clock);
    if (storage.empty()) {
        platform::MessageBox(AUTO_NAME_FAILED, g_strAppTitle, platform::MB_OK | platform::MB_ICONEXCLAMATION);
        return 0;
    }
    std::string candidate = BuildName(rule, clock);
    for (int attempt = 0; attempt < MAX_NAME_ATTEMPTS; ++attempt) {
        const std::string candidateFolder = platform::JoinPath(storage, candidate);
        if (!platform::FileExists(platform::JoinPath(candidateFolder, candidate + ".dap"))) {
            folder = candidateFolder;
            name = candidate;
            if (rule.bNumStoring) {
                ++rule.iStartNum;
            }
            if (context.pProfile) {
                SaveStorageRule(*context.pProfile, rule);
            }
            return 1;
        }
        if (rule.bNumStoring) {
            ++rule.iStartNum;
        }
        const std::string next = BuildName(rule, clock);
        // Only the date part, or a clock that has not moved: the name cannot
        // change, and reusing it would overwrite an existing project.
        if (next == candidate) {
            break;
        }
        candidate = next;
    }
    platform::MessageBox(AUTO_NAME_FAILED, g_strAppTitle, platform::MB_OK | platform::MB_ICONEXCLAMATION);
    return 0;
}
