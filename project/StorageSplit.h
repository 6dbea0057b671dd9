// Splitting a long run into a new automatically named project when the
// storage rule says the current one is full (by the size of its data files)
// or old enough (by the time since its storage period started).
#pragma once

#include <functional>
#include <string>

#include "model/AutoProjectName.h"
#include "model/StorageRule.h"

class CProjectState;
class CVirtualChannelValueFiles;
class IProjectClock;

// What the split needs of the communication object.
class ICaseDataStorage {
public:
    virtual ~ICaseDataStorage() = default;
    virtual void SetCaseDataSaving(bool saving) = 0;
    virtual void FlushCaseData() = 0; // flush and close the case data files
    virtual void FlushCaseDataNoClose() = 0;
    virtual void SetCaseDataFile(const std::string& folder, const std::string& name) = 0;
};

struct StorageSplitHooks {
    // Saves the window layout for the project that is ending.
    std::function<void(const CProjectState& state)> saveLayout;
    // Resets the views, their data buffers and the project counters.
    std::function<void()> resetViews;
};

enum class SplitResult {
    NotDue,     // automatic naming is off or the split is not due
    Split,      // storing goes on in a new project
    NameFailed, // no new name could be made: storing goes on in the current project
};

class CStorageSplitter {
public:
    CStorageSplitter(CProjectState& state, StorageRuleSettings& rule, const IProjectClock& clock,
                     ICaseDataStorage& storage, CVirtualChannelValueFiles& virtualFiles,
                     StorageSplitHooks hooks = {});

    // The naming context of a split (the registry profile the rule is saved to).
    void SetNameContext(const AutoNameContext& context) { m_nameContext = context; }
    void StartStoragePeriod();
    int IsStorageSplitDue() const;
    SplitResult SplitStorageIfDue();

private:
    bool IsSizeLimitReached() const;
    void ResumeStoring();

    CProjectState& m_state;
    StorageRuleSettings& m_rule;
    const IProjectClock& m_clock;
    ICaseDataStorage& m_storage;
    CVirtualChannelValueFiles& m_virtualFiles;
    StorageSplitHooks m_hooks;
    AutoNameContext m_nameContext;
};
