// Loading and saving the storage rule.
#include "model/StorageRule.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/RegistryProfile.h"
#include "platform/Text.h"

namespace {

constexpr const char* SECTION = "StorageRule";

std::string FieldText(const char* field, std::size_t size) {
    return std::string(field, strnlen(field, size));
}

} // namespace

void CopyToField(char* field, std::size_t size, const std::string& text) {
    std::size_t length = std::min(text.size(), size - 1);
    while (length > 0 && length < text.size() && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) {
        --length;
    }
    std::memset(field, 0, size);
    std::memcpy(field, text.data(), length);
}

std::string StoragePath(const StorageRuleSettings& rule, int index) {
    if (index < 0 || index >= MAX_STORAGE_PATH_COUNT) {
        return std::string();
    }
    return FieldText(rule.szSavePath[index], STORAGE_PATH_SIZE);
}

std::string StorageProjectName(const StorageRuleSettings& rule) {
    return FieldText(rule.szProjectName, STORAGE_NAME_SIZE);
}

int LoadStorageRule(const platform::CRegistryProfile& profile, StorageRuleSettings& rule) {
    StorageRuleSettings loaded;
    auto readInt = [&](const char* key, int nDefault) {
        return profile.GetProfileInt(SECTION, key, nDefault);
    };
    auto readBool = [&](const char* key) { return static_cast<std::uint8_t>(readInt(key, 0) != 0 ? 1 : 0); };

    loaded.nFilePathCount = std::clamp(readInt("FilePathCount", 0), 0, MAX_STORAGE_PATH_COUNT);
    for (int i = 0; i < loaded.nFilePathCount; ++i) {
        CopyToField(loaded.szSavePath[i], STORAGE_PATH_SIZE,
                    profile.GetProfileString(SECTION, platform::Format("SavePath%d", i), ""));
    }
    const std::string name = profile.GetProfileString(SECTION, "ProjectName", "");
    CopyToField(loaded.szProjectName, STORAGE_NAME_SIZE, name);
    loaded.bDataStoring = readBool("bDataStoring");
    loaded.iDataIndex = readInt("iDataIndex", 0);
    loaded.bTimeStoring = readBool("bTimeStoring");
    loaded.iTimeIndex = readInt("iTimeIndex", 0);
    loaded.bNumStoring = readBool("bNumStoring");
    loaded.iStartNum = readInt("iStartNum", 0);
    loaded.iNumDefaultLength = readInt("iNumDefaultLength", 4);
    loaded.bAutoName = readBool("bAutoName");
    loaded.bSetSave = readBool("bSetSave");
    loaded.StoreValue = readInt("StoreValue", 100);
    loaded.StoreType = readInt("StoreType", STORE_BY_SIZE_MB);
    loaded.bTrigSave = readBool("bTrigSave");
    loaded.bUnstored = 0;
    loaded.nTrigChan = readInt("nTrigChan", -1);
    const std::string trigValue = profile.GetProfileString(SECTION, "fTrigValue", "");
    loaded.fTrigValue = static_cast<float>(std::strtod(trigValue.c_str(), nullptr));
    rule = loaded;
    return (!name.empty() && !trigValue.empty()) ? 1 : 0;
}

void SaveStorageRule(platform::CRegistryProfile& profile, const StorageRuleSettings& rule) {
    auto writeInt = [&](const char* key, int value) { profile.WriteProfileInt(SECTION, key, value); };
    const int pathCount = std::clamp<int>(rule.nFilePathCount, 0, MAX_STORAGE_PATH_COUNT);
    writeInt("FilePathCount", pathCount);
    for (int i = 0; i < pathCount; ++i) {
        profile.WriteProfileString(SECTION, platform::Format("SavePath%d", i), StoragePath(rule, i));
    }
    profile.WriteProfileString(SECTION, "ProjectName", StorageProjectName(rule));
    writeInt("bDataStoring", rule.bDataStoring);
    writeInt("iDataIndex", rule.iDataIndex);
    writeInt("bTimeStoring", rule.bTimeStoring);
    writeInt("iTimeIndex", rule.iTimeIndex);
    writeInt("bNumStoring", rule.bNumStoring);
    writeInt("iStartNum", rule.iStartNum);
    writeInt("iNumDefaultLength", rule.iNumDefaultLength);
    writeInt("bAutoName", rule.bAutoName);
    writeInt("bSetSave", rule.bSetSave);
    writeInt("StoreValue", rule.StoreValue);
    writeInt("StoreType", rule.StoreType);
    writeInt("bTrigSave", rule.bTrigSave);
    writeInt("nTrigChan", rule.nTrigChan);
    profile.WriteProfileString(SECTION, "fTrigValue",
                               platform::Format("%.3f", static_cast<double>(rule.fTrigValue)));
}

void SetDefaultStoragePath(StorageRuleSettings& rule, const std::string& folder) {
    rule.nFilePathCount = 1;
    CopyToField(rule.szSavePath[0], STORAGE_PATH_SIZE, folder);
}
