// The main frame's digital channels: the library or meter reader started at
// creation and stopped at close, the channel-settings command of the
// digital sensor submenu, and the digital settings kept with each project.
#include "app/MainFrame.h"

#include "acquisition/SamplingControl.h"
#include "app/CommandStates.h"
#include "model/AppSettings.h"
#include "model/RunFlags.h"
#include "panels/bars/ChannelBarContext.h"
#include "panels/channels/DlgDigitalParam.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"

void CMainFrame::InitDigitalChannels() {
    if (!g_bDigitalUsed)
        return;
    m_pSampling->InitDigitalInterface(m_nDigitalComPort, m_nDigitalBaundRate);
}

void CMainFrame::CloseDigitalChannels() {
    if (g_bDigitalUsed)
        m_pSampling->CloseDigitalChannels();
}

std::string CMainFrame::DigitalParamFilePath() const {
    const bool projectOpen = m_project.m_nProjectState != PROJECT_NONE && m_project.HasProjectPath();
    return projectOpen ? m_project.GetFilePath(DIGITAL_PROJECT_SUFFIX) : m_pSampling->GetDigitalProgramFile();
}

void CMainFrame::SaveDigitalSettings(const CProjectState& state) {
    if (!g_bDigitalUsed || !state.HasProjectPath())
        return;
    SaveDigitalParamFile(state.GetFilePath(DIGITAL_PROJECT_SUFFIX), m_pSampling->GetDigitalCount(),
                         m_pSampling->GetDigitalTable());
}

void CMainFrame::LoadDigitalSettings(const CProjectState& state) {
    if (!g_bDigitalUsed || !state.HasProjectPath())
        return;
    int count = 0;
    DigitalChannelTable table{};
    // A project without its file keeps no digital channels.
    LoadDigitalParamFile(state.GetFilePath(DIGITAL_PROJECT_SUFFIX), count, table);
    m_pSampling->SetDigitalChannels(count, table);
}

void CMainFrame::RegisterDigitalCommands() {
    OnCommand(
        ID_DIGITAL_CHANNEL_SETTINGS, [this] { OnDigitalChannelSetting(); },
        [this](CCmdUI& ui) { ui.Enable(g_bDigitalUsed && m_pSampling->IsDigitalLibraryLoaded()); });
    OnCommand(
        ID_DIGITAL_SETTINGS, [this] { OnDigitalSettings(); },
        [this](CCmdUI& ui) {
            ui.Enable(g_bDigitalUsed && g_bSampling.load() == 0 &&
                      m_project.m_nProjectState != PROJECT_OPENED);
        });
}

void CMainFrame::OnDigitalSettings() {
    CSamplingControl& sampling = *m_pSampling;
    int count = 0;
    DigitalChannelTable table{};
    // A missing or broken file leaves no channels to edit.
    if (!LoadDigitalParamFile(DigitalParamFilePath(), count, table))
        count = 0;
    CDlgDigitalParam dialog(this);
    dialog.SetChannels(count, table);
    dialog.SetPort(m_nDigitalComPort, m_nDigitalBaundRate);
    dialog.SetUnitFile(platform::JoinPath(m_strProgramFolder, kUnitFileName));
    if (dialog.exec() != QDialog::Accepted)
        return;
    dialog.GetChannels(count, table);
    sampling.SetDigitalChannels(count, table);
    SaveDigitalParamFile(sampling.GetDigitalProgramFile(), count, table);
    if (m_project.m_nProjectState != PROJECT_NONE && m_project.HasProjectPath())
        SaveDigitalSettings(m_project);
    RefreshAllViews();
    int comPort = 0, baudRate = 0;
    dialog.GetPort(comPort, baudRate);
    if (comPort == m_nDigitalComPort && baudRate == m_nDigitalBaundRate)
        return;
    m_nDigitalComPort = comPort;
    m_nDigitalBaundRate = baudRate;
    if (sampling.GetDigitalMeter() != nullptr && !sampling.ReopenDigitalMeter(comPort, baudRate))
        platform::MessageBox("打开串口失败，请重新设置。", g_strAppTitle, platform::MB_ICONEXCLAMATION);
}

void CMainFrame::OnDigitalChannelSetting() {
    CSamplingControl& sampling = *m_pSampling;
    CDigitalInterface& library = sampling.GetDigitalInterface();
    if (!library.IsLoaded())
        return;
    const std::string current = DigitalParamFilePath();
    library.SetDigitalParam(current.c_str());
    sampling.ShowDigitalStatus(5);
    if (library.LoadDigitalChannel()) {
        const std::string import = platform::JoinPath(m_strProgramFolder, DIGITAL_IMPORT_FILE);
        int count = 0;
        DigitalChannelTable table{};
        if (LoadDigitalParamFile(import, count, table)) {
            sampling.SetDigitalChannels(count, table);
            SaveDigitalParamFile(sampling.GetDigitalProgramFile(), count, table);
            if (m_project.m_nProjectState != PROJECT_NONE && m_project.HasProjectPath())
                SaveDigitalSettings(m_project);
            RefreshAllViews();
            platform::DeleteFile(import);
        }
    }
    sampling.ShowDigitalStatus(0);
    sampling.ShowDigitalStatus(2);
}
