// The zero-setting dialog on the frame's zero table. Its menu command is
// one of those kept disabled; the dialog and the copy in and out work all
// the same.
#include "app/MainFrame.h"

#include "views/curve/DlgZeroSetting.h"

namespace {

constexpr int ID_ZERO_SETTING = 32882;

} // namespace

void CMainFrame::RegisterZeroSettingCommand() {
    OnCommand(
        ID_ZERO_SETTING, [this] { OnZeroSetting(); }, [](CCmdUI& ui) { ui.Enable(false); });
}

void CMainFrame::OnZeroSetting() {
    CDlgZeroSetting dialog(this);
    dialog.SetZeroValues(m_ZeroTable.data());
    if (dialog.exec() == QDialog::Accepted)
        dialog.GetZeroValues(m_ZeroTable.data());
}
