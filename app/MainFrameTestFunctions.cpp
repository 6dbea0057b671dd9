// The frame's commands of the test-function dialogs: the coefficient
// writing (修正系数设置), the event-sampling schedule (事件采样设置) and
// the mechanical-property test over the stored run (力学性能检测).
#include "app/MainFrame.h"

#include "app/CommandStates.h"
#include "app/MainFrameCaseSearch.h"
#include "model/AppSettings.h"
#include "panels/channels/DlgCoefWrite.h"
#include "panels/mechanical/DlgMechanicalTest.h"
#include "panels/run/DlgSampleEvent.h"
#include "platform/Files.h"
#include "platform/RegistryProfile.h"

namespace {

constexpr int ID_COEFFICIENT_DIALOG = 32903;
constexpr int ID_SAMPLE_EVENT_SETTINGS = 32843;
constexpr int ID_MECHANICAL_TEST = 32870;

// The test reads the project's stored run and changes nothing.
void RunMechanicalTest(QWidget* parent, const std::string& dataPath, int storedCount) {
    CDlgMechanicalTest dialog(parent);
    dialog.SetDataFile(dataPath, storedCount);
    dialog.exec();
}

} // namespace

void CMainFrame::RegisterTestFunctionCommands() {
    OnCommand(
        ID_COEFFICIENT_DIALOG, [this] { OnCoefficientDialog(); },
        [this](CCmdUI& ui) {
            if (m_pCaseSearch == nullptr) {
                ui.Enable(false);
                return;
            }
            const CommandStateResult result =
                GetFrameCommandState(ID_COEFFICIENT_DIALOG, m_pCaseSearch->CollectCommandState());
            ui.Enable(result.bEnabled);
        });
    OnCommand(ID_SAMPLE_EVENT_SETTINGS, [this] { OnSampleEventSettings(); });
    OnCommand(ID_MECHANICAL_TEST, [this] {
        RunMechanicalTest(this, m_project.GetFilePath(".dat"), static_cast<int>(m_project.m_nTotalDataCount));
    });
}

void CMainFrame::OnCoefficientDialog() {
    CDlgCoefWrite dialog(this);
    dialog.SetCommBase(m_pComm.get());
    dialog.SetInstrumentFile(m_strInstrumentFile);
    dialog.exec();
}

std::string CMainFrame::SampleEventFilePath() const {
    if (m_project.HasProjectPath()) {
        const std::string own = platform::JoinPath(m_project.m_strProjectFolder, "SampleEvent.INI");
        if (platform::FileExists(own))
            return own;
    }
    return platform::JoinPath(m_strProgramFolder, "SampleEvent.INI");
}

void CMainFrame::OnSampleEventSettings() {
    CDlgSampleEvent dialog(this);
    dialog.SetFilePath(SampleEventFilePath());
    dialog.SetProgramFolder(m_strProgramFolder);
    dialog.SetOptions({m_nEventMode, m_nOpcLoopMode, m_nOpcNotifyMode});
    if (dialog.exec() != QDialog::Accepted)
        return;
    const SampleEventOptions& options = dialog.GetOptions();
    m_nEventMode = options.nEventMode;
    m_nOpcLoopMode = options.nOpcLoopMode;
    m_nOpcNotifyMode = options.bOpcNotify;
    platform::CRegistryProfile& profile = AppRegistryProfile();
    profile.WriteProfileInt("OPC_SERVER", "EventMode", m_nEventMode);
    profile.WriteProfileInt("OPC_SERVER", "OpcLoopMode", m_nOpcLoopMode);
    profile.WriteProfileInt("OPC_SERVER", "OpcNotifyMode", m_nOpcNotifyMode);
}
