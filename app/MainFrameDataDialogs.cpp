// The data dialogs the settings menu opens: the storage rule and the
// virtual channels; and the View menu's important-point window.
// Ahead of any Qt header, which defines "slots" as a macro that the data-file headers use as a name.
#include "acquisition/SamplingControl.h"

#include "app/MainFrame.h"

#include "app/CommandStates.h"
#include "app/MainFrameSettingsDialogs.h"
#include "datafiles/AppTables.h"
#include "datafiles/VirtualChannels.h"
#include "model/AppSettings.h"
#include "model/CaseTables.h"
#include "model/ChannelNaming.h"
#include "model/GlobalDataLock.h"
#include "model/RunFlags.h"
#include "model/VirtualChannelFile.h"
#include "panels/bars/ChannelBarPages.h"
#include "panels/data/DlgStorageRule.h"
#include "panels/data/DlgVirtualChannel.h"
#include "platform/MessageBox.h"
#include "platform/Text.h"
#include "views/curve/ImportantPointDlg.h"

#include <algorithm>
#include <mutex>

void CMainFrame::RegisterDataDialogCommands() {
    OnCommand(
        ID_STORAGE_RULE, [this] { OnStorageRule(); }, [](CCmdUI& ui) { ui.Enable(g_bSampling.load() == 0); });
    OnCommand(ID_VIRTUAL_CHANNEL_SETTINGS, [this] { OnVirtualChannelSettings(); });
    OnCommand(ID_IMPORTANT_POINTS, [this] { OnImportantPoints(); });
}

void CMainFrame::OnImportantPoints() {
    if (m_pImportantPointDlg == nullptr) {
        m_pImportantPointDlg = new CImportantPointDlg(this);
        // Empty until the next sample set.
        m_pImportantPointDlg->SetChannels(&m_ImportantPoints);
    }
    m_pImportantPointDlg->setVisible(!m_pImportantPointDlg->isVisible());
}

void CMainFrame::UpdateImportantPoints() {
    if (m_pSettingsDialogs != nullptr)
        m_pSettingsDialogs->UpdateKeyPointValues();
    if (m_pImportantPointDlg == nullptr || m_pSampling == nullptr)
        return;
    // The current sample set: 16 values for each online case.
    const int cases = std::clamp<int>(g_nCaseCount, 0, MAX_CASE_COUNT);
    std::vector<float> values(std::size_t(cases) * 16);
    {
        // The acquisition writes the current set under this lock.
        std::lock_guard<platform::CriticalSection> lock(g_csData);
        const CaseSampleBlock* set = m_pSampling->GetCurrentSet();
        for (int slot = 0; slot < cases; ++slot)
            std::copy_n(set[slot].fValues, 16, values.begin() + std::ptrdiff_t(slot) * 16);
    }
    m_pImportantPointDlg->UpdateValues(values.data(), cases);
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
    const auto failed = [this](const std::string& text) {
        platform::MessageBox(text, g_strAppTitle, platform::MB_OK | platform::MB_ICONEXCLAMATION);
    };
    if (WriteVirtualChannelFile(defaultFile, m_project.m_VirtualChannels) == 0) {
        failed("虚拟通道设置保存失败: " + defaultFile);
        return;
    }
    const bool holdsData = m_project.m_nProjectState == 2 || m_project.m_nProjectState == 3;
    if (!m_project.HasProjectPath() || !holdsData || g_bSampling.load() != 0) {
        SetStatusText(QString::fromStdString("虚拟通道设置已保存: " + defaultFile));
        return;
    }
    const std::string projectFile = m_project.GetFilePath(".PamNew");
    if (WriteVirtualChannelFile(projectFile, m_project.m_VirtualChannels) == 0) {
        failed("虚拟通道设置保存失败: " + projectFile);
        return;
    }
    std::vector<std::string> formulas;
    for (const VirtualChannelRecord& record : m_project.m_VirtualChannels)
        formulas.push_back(RowOfRecord(record).strFormula);
    const VirtualChannelRun run{layout, channels, m_project.GetFilePath(".dat"),
                                static_cast<int>(m_project.m_nTotalDataCount), m_project.m_nProjectState};
    const int count = static_cast<int>(formulas.size());
    if (count < 1) {
        SetStatusText(QString::fromStdString("虚拟通道设置已保存: " + projectFile));
        return;
    }
    const std::string first = VirtualChannelFileName(run.dataPath, 1);
    if (ComputeVirtualChannels(run, formulas, count) == 0) {
        failed("虚拟通道计算失败: " + first);
        return;
    }
    SetStatusText(QString::fromStdString(
        platform::Format("虚拟通道已计算(%d个): ", count) + first +
        (count > 1 ? " ... " + VirtualChannelFileName(run.dataPath, count) : std::string())));
}
