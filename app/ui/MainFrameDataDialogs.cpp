// The data dialogs the settings menu opens: the storage rule and the
// virtual channels.
#include "app/ui/MainFrame.h"

#include "app/AppSettings.h"
#include "app/CaseTables.h"
#include "app/ChannelBarPages.h"
#include "app/ChannelNaming.h"
#include "app/CommandStates.h"
#include "app/RunFlags.h"
#include "app/VirtualChannelFile.h"
#include "datafiles/AppTables.h"
#include "datafiles/VirtualChannels.h"
#include "datafiles/ui/DlgStorageRule.h"
#include "datafiles/ui/DlgVirtualChannel.h"

#include <algorithm>

void CMainFrame::RegisterDataDialogCommands() {
    OnCommand(
        ID_STORAGE_RULE, [this] { OnStorageRule(); }, [](CCmdUI& ui) { ui.Enable(g_bSampling.load() == 0); });
    OnCommand(ID_VIRTUAL_CHANNEL_SETTINGS, [this] { OnVirtualChannelSettings(); });
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

void CMainFrame::OnVirtualChannelSettings() {
    const std::string defaultFile = m_project.GetProgramFilePath("_VirChannel.PamNew");
    const std::string source = m_project.HasProjectPath() ? m_project.GetFilePath(".PamNew") : defaultFile;
    std::vector<VirtualChannelRecord> records;
    if (ReadVirtualChannelFile(source, records) == 0)
        records.clear();

    const OnlineLayout layout = OnlineLayoutFromCaseTables();
    const CAppChannelTable channels;
    FormulaChannelRange range;
    const int channelCount = std::clamp<int>(g_nChannelCount, 0, MAX_CHANNEL_COUNT);
    if (channelCount > 0) {
        range.nFirst = g_ChannelList[0];
        range.nLast = g_ChannelList[channelCount - 1];
    }
    range.isShown = [&channels](int channel) { return channels.GetChannelParam(channel).bEnabled != 0; };
    std::vector<CDlgVirtualChannel::MeasuredChannel> measured;
    const int measuredCount = std::clamp<int>(g_nMeasChanCount, 0, MAX_CHANNEL_COUNT);
    for (int i = 0; i < measuredCount; ++i) {
        const int channel = g_MeasChanList[i];
        if (channels.GetChannelParam(channel).nMeasureType != 20)
            measured.push_back({channel, GetUnitText(channel)});
    }

    CDlgVirtualChannel dialog(this);
    dialog.SetChannelRange(range, &layout);
    dialog.SetVirtualChannels(records, static_cast<int>(records.size()));
    dialog.SetMeasuredChannels(measured);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_project.m_VirtualChannels = dialog.GetVirtualChannels();
    WriteVirtualChannelFile(defaultFile, m_project.m_VirtualChannels);
    const bool holdsData = m_project.m_nProjectState == 2 || m_project.m_nProjectState == 3;
    if (!m_project.HasProjectPath() || !holdsData || g_bSampling.load() != 0)
        return;
    WriteVirtualChannelFile(m_project.GetFilePath(".PamNew"), m_project.m_VirtualChannels);
    std::vector<std::string> formulas;
    for (const VirtualChannelRecord& record : m_project.m_VirtualChannels)
        formulas.push_back(RowOfRecord(record).strFormula);
    const VirtualChannelRun run{layout, channels, m_project.GetFilePath(".dat"),
                                static_cast<int>(m_project.m_nTotalDataCount), m_project.m_nProjectState};
    ComputeVirtualChannels(run, formulas, static_cast<int>(formulas.size()));
}
