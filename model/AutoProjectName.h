// Automatic project names: the storage rule's name prefix with a date, time
// or sequence-number suffix, in the first storage path with room for the run.
#pragma once

#include <cstdint>
#include <string>

#include "model/StorageRule.h"
#include "platform/Time.h"

class IProjectClock;
namespace platform {
class CRegistryProfile;
}

constexpr std::int64_t AUTO_NAME_MIN_FREE_BYTES = 104857600; // 100 MiB

// The name suffix the rule's naming switches ask for, at time t.
std::string BuildAutoNameSuffix(const StorageRuleSettings& rule, const platform::LocalDateTime& t);

struct AutoNameContext {
    const IProjectClock* pClock = nullptr;          // the system clock when null
    platform::CRegistryProfile* pProfile = nullptr; // where the rule is saved; not saved when null
    bool bContinuousRun = false;                    // estimate the run's size from the split settings
    int nCaseCount = 0;
};

// Free space a run needs in its storage path.
std::int64_t RequiredFreeSpace(const StorageRuleSettings& rule, const AutoNameContext& context);

// Fills folder (storage path + "/" + name) and name with a project that does
// not exist yet; the sequence number moves on and the rule is saved. 0 after
// the message "获取自动命名路径失败!" when no storage path has room, or when
// the name is taken and neither a number nor the clock can change it.
int MakeAutoProjectName(StorageRuleSettings& rule, const AutoNameContext& context, std::string& folder,
                        std::string& name);
