// The storage rule: where runs are stored, how automatic project names are
// built, and when a long run is split into a new project. Kept in section
// "StorageRule" of the application's registry profile.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {
class CRegistryProfile;
}

constexpr int MAX_STORAGE_PATH_COUNT = 20;
constexpr int STORAGE_PATH_SIZE = 260;
constexpr int STORAGE_NAME_SIZE = 16;

// Split kinds.
constexpr int STORE_BY_SIZE_MB = 0;
constexpr int STORE_BY_HOURS = 1;
constexpr int STORE_BY_MINUTES = 2;
constexpr int STORE_BY_SECONDS = 3;

// One block, as the rule dialog copies it in and out. The defaults are those
// of a fresh profile; reading a stored rule replaces every field.
struct StorageRuleSettings {
    std::int32_t nFilePathCount = 0;
    char szSavePath[MAX_STORAGE_PATH_COUNT][STORAGE_PATH_SIZE] = {};
    char szProjectName[STORAGE_NAME_SIZE] = {'T', 'e', 's', 't'};
    std::uint8_t bDataStoring = 0;
    std::uint8_t padding5221[3] = {};
    std::int32_t iDataIndex = 0;
    std::uint8_t bTimeStoring = 0;
    std::uint8_t padding5229[3] = {};
    std::int32_t iTimeIndex = 0;
    std::uint8_t bNumStoring = 1;
    std::uint8_t padding5237[3] = {};
    std::int32_t iStartNum = 0;
    std::int32_t iNumDefaultLength = 0;
    std::uint8_t bAutoName = 0;
    std::uint8_t bSetSave = 0;
    std::uint8_t padding5250[2] = {};
    std::int32_t StoreValue = 100;
    std::int32_t StoreType = STORE_BY_SIZE_MB;
    std::uint8_t bTrigSave = 0;
    std::uint8_t bUnstored = 0; // not stored; cleared on reading
    std::uint8_t padding5262[2] = {};
    std::int32_t nTrigChan = -1;
    float fTrigValue = 0.0f;
};
static_assert(sizeof(StorageRuleSettings) == 5272);
static_assert(offsetof(StorageRuleSettings, szProjectName) == 5204);
static_assert(offsetof(StorageRuleSettings, iDataIndex) == 5224);
static_assert(offsetof(StorageRuleSettings, bAutoName) == 5248);
static_assert(offsetof(StorageRuleSettings, StoreValue) == 5252);
static_assert(offsetof(StorageRuleSettings, fTrigValue) == 5268);

// Reads every key into rule; 1 when both ProjectName and fTrigValue hold
// text, else 0. The path count is bounded to 20 and every text to its field.
int LoadStorageRule(const platform::CRegistryProfile& profile, StorageRuleSettings& rule);
void SaveStorageRule(platform::CRegistryProfile& profile, const StorageRuleSettings& rule);
// What the frame does when no rule was stored: one path, its data folder.
void SetDefaultStoragePath(StorageRuleSettings& rule, const std::string& folder);

std::string StoragePath(const StorageRuleSettings& rule, int index);
std::string StorageProjectName(const StorageRuleSettings& rule);
// Copies text into a fixed field, cut at a character boundary.
void CopyToField(char* field, std::size_t size, const std::string& text);
