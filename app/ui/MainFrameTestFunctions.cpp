// The frame's commands of the test-function dialogs: the coefficient
// writing (修正系数设置).
#include "app/ui/MainFrame.h"

#include "app/CommandStates.h"
#include "app/ui/MainFrameCaseSearch.h"
#include "panels/DlgCoefWrite.h"

namespace {

constexpr int ID_COEFFICIENT_DIALOG = 32903;

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
}

void CMainFrame::OnCoefficientDialog() {
    CDlgCoefWrite dialog(this);
    dialog.SetCommBase(m_pComm.get());
    dialog.SetInstrumentFile(m_strInstrumentFile);
    dialog.exec();
}
