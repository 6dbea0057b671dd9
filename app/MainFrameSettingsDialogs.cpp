// The frame's test set-up commands and the windows they show.
// Ahead of any Qt header, which defines "slots" as a macro that the data-file headers use as a name.
#include "acquisition/SamplingControl.h"

#include "app/MainFrameSettingsDialogs.h"

#include "app/MainFrame.h"
#include "model/AppSettings.h"
#include "model/CaseTables.h"
#include "model/ChannelRecords.h"
#include "model/FrameValues.h"
#include "model/GlobalDataLock.h"
#include "model/SensorMatch.h"
#include "panels/bars/BarMessages.h"
#include "panels/channels/DlgFoulingResistance.h"
#include "panels/channels/DlgKeyPointWatch.h"
#include "panels/channels/DlgMonitorSetting.h"
#include "panels/channels/DlgSensorMatch.h"
#include "panels/channels/DlgStrainCompensate.h"
#include "panels/channels/DlgTheoryValue.h"
#include "panels/run/DlgSecurityRights.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "views/curve/CurveViewWidget.h"
#include "views/curve/CurveWorld.h"
#include "views/shared/DlgRightsVerify.h"

#include <algorithm>
#include <cstring>
#include <mutex>

namespace {

constexpr const char* kSensorFile = "coe.ini";
constexpr const char* kFoulingFile = "rezu.ini";

std::vector<int> MeasuredChannels() {
    return std::vector<int>(g_MeasChanList,
                            g_MeasChanList + std::clamp<int>(g_nMeasChanCount, 0, MAX_CHANNEL_COUNT));
}

std::vector<int> OnlineChannels() {
    return std::vector<int>(g_ChannelList,
                            g_ChannelList + std::clamp<int>(g_nChannelCount, 0, MAX_CHANNEL_COUNT));
}

bool IsValidChannel(int channel) {
    return channel >= 0 && channel < MAX_CHANNEL_COUNT;
}

std::string Description(int channel) {
    const char* text = g_ChannelParams[channel].szDescription;
    return platform::GbkToUtf8(
        std::string_view(text, strnlen(text, sizeof g_ChannelParams[channel].szDescription)));
}

} // namespace

CMainFrameSettingsDialogs::CMainFrameSettingsDialogs(CMainFrame& frame) : QObject(&frame), m_frame(frame) {}

CMainFrameSettingsDialogs* InstallSettingsDialogs(CMainFrame& frame) {
    auto* dialogs = new CMainFrameSettingsDialogs(frame);
    dialogs->Install();
    return dialogs;
}

void CMainFrameSettingsDialogs::Install() {
    setObjectName("SettingsDialogs");
    m_pSensorMatch = new CDlgSensorMatch(&m_frame);
    m_pSensorMatch->hide();
    m_pSensorMatch->channelSource = [this] {
        const bool inUse = m_frame.GetProjectState().m_bBalanceStatus != 0;
        return SensorMatchChannels(MeasuredChannels(), [inUse](int channel) {
            return IsValidChannel(channel) && g_ChannelParams[channel].bShown != 0 &&
                   g_ChannelState[channel].bPresent != 0 && IsChannelBalanced(channel, inUse);
        });
    };
    m_pSensorMatch->settingsPath = [this] {
        return SettingsFileForWriting(ProjectFolder(), m_frame.GetProgramFolder(), kSensorFile);
    };
    m_pFouling = new CDlgFoulingResistance(&m_frame);
    m_pFouling->hide();
    m_pFouling->settingsPath = [this] {
        return SettingsFileForWriting(ProjectFolder(), m_frame.GetProgramFolder(), kFoulingFile);
    };
    // Both windows start from the program folder's files.
    LoadSettingsFiles(true);

    // These commands are in no menu of this model; their handlers stand
    // ready for the models that offer them.
    m_frame.OnCommand(ID_SECURITY_RIGHTS, [this] { OnSecurityRights(); });
    m_frame.OnCommand(ID_MONITOR_SETTING, [this] { OnMonitorSetting(); });
    m_frame.OnCommand(ID_STRAIN_COMPENSATE, [this] { OnStrainCompensate(); });
    m_frame.OnCommand(ID_THEORY_VALUES, [this] { OnTheoryValues(); });
    const auto disabled = [](CCmdUI& ui) { ui.Enable(false); };
    m_frame.OnCommand(
        ID_SENSOR_MATCH, [this] { OnSensorMatch(); }, disabled);
    m_frame.OnCommand(
        ID_FOULING_RESISTANCE, [this] { OnFoulingResistance(); }, disabled);
    m_frame.OnCommand(
        ID_KEY_POINT_WATCH, [this] { OnKeyPointWatch(); },
        [this](CCmdUI& ui) { ui.SetCheck(m_pKeyPointWatch != nullptr && m_pKeyPointWatch->isVisible()); });
    m_frame.OnMessage(WM_BAR_DESCRIPTIONS_CHANGED, [this](platform::WPARAM, platform::LPARAM) {
        if (m_pKeyPointWatch != nullptr && m_pKeyPointWatch->isVisible())
            m_pKeyPointWatch->RefreshNames();
        return platform::LRESULT(0);
    });
}

std::string CMainFrameSettingsDialogs::ProjectFolder() const {
    std::string folder, name;
    return m_frame.GetProjectState().GetProjectPath(folder, name) != 0 ? folder : std::string();
}

void CMainFrameSettingsDialogs::LoadSettingsFiles(bool programFolderOnly) {
    const std::string project = programFolderOnly ? std::string() : ProjectFolder();
    const std::string program = m_frame.GetProgramFolder();
    SetCurrentSensorMatch(LoadSensorMatch(SettingsFileForReading(project, program, kSensorFile)));
    m_pFouling->LoadSettings(SettingsFileForReading(project, program, kFoulingFile));
    if (m_pSensorMatch->isVisible())
        m_pSensorMatch->FillChannelLists();
    if (m_pFouling->isVisible())
        m_pFouling->RefreshFields();
}

void CMainFrameSettingsDialogs::OnProjectChanged() {
    LoadSettingsFiles(false);
}

void CMainFrameSettingsDialogs::OnSecurityRights() {
    COperatorRights& rights = m_frame.GetOperatorRights();
    if (rights.IsEntryCodeRequired()) {
        CDlgRightsVerify verify(&m_frame);
        verify.SetVerifyCode(rights.m_strSettingCode);
        const int result = m_frame.runRightsDialog ? m_frame.runRightsDialog(verify) : verify.exec();
        if (result != QDialog::Accepted)
            return;
        rights.SetRightCancel(verify.GetNoRepeatPrompt() ? 1 : 0);
    }
    CDlgSecurityRights dialog(&m_frame);
    dialog.SetRights(rights);
    if (dialog.exec() != QDialog::Accepted)
        return;
    dialog.GetRights(rights);
}

void CMainFrameSettingsDialogs::OnMonitorSetting() {
    StoredWithSampleSettings& stored = m_frame.GetProjectState().m_StoredSettings;
    SingleMonitorSettings settings{stored.nMonitorCaseId, stored.nMonitorChanId, stored.fMonitorLevel,
                                   stored.bMoreLevel,     stored.bAutoTrigger,   stored.bMultiTrigger};
    CDlgMonitorSetting dialog(&m_frame);
    dialog.SetSettings(settings);
    dialog.SetCases(
        std::vector<int>(g_CaseList, g_CaseList + std::clamp<int>(g_nCaseCount, 0, MAX_CASE_COUNT)));
    if (dialog.exec() != QDialog::Accepted)
        return;
    settings = dialog.GetSettings();
    stored.nMonitorCaseId = settings.nCase;
    stored.nMonitorChanId = settings.nPoint;
    stored.fMonitorLevel = settings.fThreshold;
    stored.bMoreLevel = settings.bOverLimit;
    stored.bAutoTrigger = settings.bAutoTrigger;
    stored.bMultiTrigger = settings.bMultiTrigger;
}

void CMainFrameSettingsDialogs::OnStrainCompensate() {
    CProjectState& project = m_frame.GetProjectState();
    StoredWithSampleSettings& stored = project.m_StoredSettings;
    std::vector<int> strain;
    for (int channel : OnlineChannels())
        if (IsValidChannel(channel) && g_ChannelParams[channel].nMeasureType == 0)
            strain.push_back(channel);
    CDlgStrainCompensate dialog(&m_frame);
    dialog.SetCompensation(stored.bStrainRefUsed, stored.nStrainRefChan);
    dialog.SetProjectState(project.m_nProjectState);
    dialog.SetStrainChannels(strain);
    if (dialog.exec() != QDialog::Accepted)
        return;
    dialog.GetCompensation(stored.bStrainRefUsed, stored.nStrainRefChan);
}

void CMainFrameSettingsDialogs::OnTheoryValues() {
    const bool inUse = m_frame.GetProjectState().m_bBalanceStatus != 0;
    std::vector<CDlgTheoryValue::ChannelEntry> entries;
    for (int channel : MeasuredChannels())
        if (IsValidChannel(channel) && g_ChannelParams[channel].bShown != 0 &&
            IsChannelBalanced(channel, inUse))
            entries.push_back({channel, Description(channel)});
    CDlgTheoryValue dialog(m_frame.GetProgramFolder(), &m_frame);
    dialog.SetChannels(entries);
    dialog.SetTheoryValues(m_TheoryValues, m_SampleDescriptions);
    dialog.chooseFile = [this](bool save, const std::string& filter, const std::string& title,
                               const std::string& folder, std::string& path) {
        return m_frame.ChooseFile(save, filter, title, folder, path);
    };
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_TheoryValues = dialog.GetTheoryValues();
    m_SampleDescriptions = dialog.GetDescriptions();
    RefreshCurveTheoryValues();
}

void CMainFrameSettingsDialogs::RefreshCurveTheoryValues() {
    for (CCurveViewWidget* view : CCurveViewWidget::CurveViews()) {
        view->RefreshWorld();
        view->update();
    }
}

void CMainFrameSettingsDialogs::OnSensorMatch() {
    m_pSensorMatch->FillChannelLists();
    m_pSensorMatch->show();
    m_pSensorMatch->raise();
}

void CMainFrameSettingsDialogs::OnFoulingResistance() {
    m_pFouling->RefreshFields();
    m_pFouling->show();
    m_pFouling->raise();
}

void CMainFrameSettingsDialogs::OnKeyPointWatch() {
    if (m_pKeyPointWatch == nullptr) {
        m_pKeyPointWatch = new CDlgKeyPointWatch(&m_frame);
        m_pKeyPointWatch->SetPrecisionTable(m_frame.GetProjectState().m_StoredSettings.precision);
        m_pKeyPointWatch->onlineChannels = [] { return OnlineChannels(); };
        m_pKeyPointWatch->measureTypeOf = [](int channel) {
            return IsValidChannel(channel) ? g_ChannelParams[channel].nMeasureType : -1;
        };
        m_pKeyPointWatch->virtualChannelNames = [this] {
            CurveWorld world;
            m_frame.FillCurveWorld(world);
            std::vector<std::string> names;
            for (const CurveNamedChannel& channel : world.virtualChannels)
                names.push_back(channel.strName);
            return names;
        };
    }
    m_pKeyPointWatch->setVisible(!m_pKeyPointWatch->isVisible());
}

void CMainFrameSettingsDialogs::UpdateKeyPointValues() {
    if (m_pKeyPointWatch == nullptr || !m_pKeyPointWatch->isVisible())
        return;
    CSamplingControl& sampling = m_frame.GetSampling();
    std::vector<float> values(MAX_CHANNEL_COUNT, 0.0f);
    // The acquisition writes the current set under this lock.
    std::lock_guard<platform::CriticalSection> lock(g_csData);
    const CaseSampleBlock* set = sampling.GetCurrentSet();
    for (int slot = 0; slot < std::clamp<int>(g_nCaseCount, 0, MAX_CASE_COUNT); ++slot) {
        const int unit = g_CaseList[slot];
        if (unit >= 0 && unit * 16 + 16 <= MAX_CHANNEL_COUNT)
            std::copy_n(set[slot].fValues, 16, values.begin() + std::ptrdiff_t(unit) * 16);
    }
    m_pKeyPointWatch->UpdateValues(values.data(), sampling.GetVirtualResults());
}
