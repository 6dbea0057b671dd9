// Deciding and carrying out the split of a long run.
#include "project/StorageSplit.h"

#include <algorithm>

#include "datafiles/VirtualChannelValueFiles.h"
#include "model/CaseTables.h"
#include "model/ProjectClock.h"
#include "model/ProjectState.h"
#include "platform/Files.h"
#include "project/BalanceResults.h"
#include "project/ChannelParamFile.h"
#include "project/ProjectFile.h"

CStorageSplitter::CStorageSplitter(CProjectState& state, StorageRuleSettings& rule,
                                   const IProjectClock& clock, ICaseDataStorage& storage,
                                   CVirtualChannelValueFiles& virtualFiles, StorageSplitHooks hooks)
    : m_state(state), m_rule(rule), m_clock(clock), m_storage(storage), m_virtualFiles(virtualFiles),
      m_hooks(std::move(hooks)) {}

void CStorageSplitter::StartStoragePeriod() {
    m_state.m_tStoragePeriodStart = m_clock.NowTimeT();
}

bool CStorageSplitter::IsSizeLimitReached() const {
    const std::int64_t limit = std::int64_t(m_rule.StoreValue) << 20;
    auto reached = [&](const std::string& path) {
        const std::int64_t size = platform::FileSize(path);
        return size >= 0 && size >= limit;
    };
    for (int slot = 0; slot < std::min<int>(g_nCaseCount, MAX_CASE_COUNT); ++slot) {
        if (reached(m_state.GetCaseFilePath(g_CaseList[slot], ".dat"))) {
            return true;
        }
    }
    return reached(m_state.GetFilePath(".dat"));
}

int CStorageSplitter::IsStorageSplitDue() const {
    std::int64_t unit = 0;
    switch (m_rule.StoreType) {
    case STORE_BY_SIZE_MB:
        return IsSizeLimitReached() ? 1 : 0;
    case STORE_BY_HOURS:
        unit = 3600;
        break;
    case STORE_BY_MINUTES:
        unit = 60;
        break;
    case STORE_BY_SECONDS:
        unit = 1;
        break;
    default:
        return 0;
    }
    return (m_clock.NowTimeT() - m_state.m_tStoragePeriodStart >= std::int64_t(m_rule.StoreValue) * unit) ? 1
                                                                                                          : 0;
}

// Storing goes on where it was: the case data files of the current project
// are handed back and its virtual-channel files reopened after their samples.
void CStorageSplitter::ResumeStoring() {
    m_storage.SetCaseDataFile(m_state.m_strProjectFolder, m_state.m_strProjectName);
    m_state.m_bAppendData = true;
    m_virtualFiles.Open(m_state);
    m_storage.FlushCaseDataNoClose();
    m_storage.SetCaseDataSaving(true);
}

SplitResult CStorageSplitter::SplitStorageIfDue() {
    if (!m_rule.bAutoName || !IsStorageSplitDue()) {
        return SplitResult::NotDue;
    }
    m_storage.SetCaseDataSaving(false);
    m_storage.FlushCaseData();
    m_virtualFiles.Close();
    if (m_hooks.saveLayout) {
        m_hooks.saveLayout(m_state);
    }

    AutoNameContext context = m_nameContext;
    context.pClock = &m_clock;
    std::string folder;
    std::string name;
    if (!MakeAutoProjectName(m_rule, context, folder, name)) {
        ResumeStoring();
        return SplitResult::NameFailed;
    }

    StartStoragePeriod();
    platform::CreateFolder(folder);
    m_state.SetProjectFile(platform::JoinPath(folder, name + ".dap"));
    m_storage.SetCaseDataFile(folder, name);

    // The new project gets the files it needs to be opened later.
    m_state.m_nTotalDataCount = 0;
    m_state.m_bAppendData = false;
    WriteProjectFile(m_state, m_state.GetFilePath(".dap"));
    WriteDeviceType(m_state, m_state.GetFilePath(".dap"));
    SaveChannelParamFile(m_state.GetFilePath(".chn"));
    WriteVirtualChannelFile(m_state.GetFilePath(".PamNew"), m_state.m_VirtualChannels);
    SaveProjectZeros(m_state.GetFilePath(".zer"), m_state.m_strBalanceTime);
    m_virtualFiles.Open(m_state);
    if (m_hooks.resetViews) {
        m_hooks.resetViews();
    }

    m_storage.FlushCaseDataNoClose();
    m_storage.SetCaseDataSaving(true);
    return SplitResult::Split;
}
