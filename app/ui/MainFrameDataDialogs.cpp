// The data dialogs the settings menu opens: the storage rule.
#include "app/ui/MainFrame.h"

#include "app/AppSettings.h"
#include "app/CaseTables.h"
#include "app/CommandStates.h"
#include "app/RunFlags.h"
#include "datafiles/ui/DlgStorageRule.h"

#include <algorithm>

void CMainFrame::RegisterDataDialogCommands() {
    OnCommand(
        ID_STORAGE_RULE, [this] { OnStorageRule(); }, [](CCmdUI& ui) { ui.Enable(g_bSampling.load() == 0); });
}

void CMainFrame::OnStorageRule() {
    CDlgStorageRule dialog(this);
    dialog.SetStorageRule(m_StorageRule);
    dialog.SetSampleParams(m_project.m_SampleSettings);
    const int count = std::clamp<int>(g_nMeasChanCount, 0, MAX_CHANNEL_COUNT);
    dialog.SetTriggerChannels(std::vector<int>(g_MeasChanList, g_MeasChanList + count));
    if (dialog.exec() != QDialog::Accepted)
        return;
    dialog.GetStorageRule(m_StorageRule);
    SaveStorageRule(AppRegistryProfile(), m_StorageRule);
}
