// The hooks through which the frame and the form open the dialogs, the
// battery window and the Word result.
#include "calibrator/KelvaneDialogHooks.h"

#include "calibrator/CalibrateFiles.h"
#include "calibrator/KelvaneDialogHost.h"
#include "calibrator/PumpUntil.h"
#include "calibrator/dialogs/Battery.h"
#include "calibrator/dialogs/DlgCalibrateCoef.h"
#include "calibrator/dialogs/DlgCalibrateCorrect.h"
#include "calibrator/dialogs/DlgHandSetting.h"
#include "calibrator/dialogs/DlgSetCom.h"
#include "calibrator/dialogs/DlgSetSaveFileName.h"
#include "calibrator/dialogs/QVExportWord.h"
#include "platform/Text.h"

namespace kelvane_dialogs {

bool RunSetComDialog(QWidget* parent, const std::vector<int>& ports, int& port, int& baud) {
    CDlgSetCom dialog(ports, port, baud, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    port = dialog.Port();
    baud = dialog.Baud();
    return true;
}

void RunHandSettingDialog(QWidget* parent, KelvaneDialogHost& host) {
    CDlgHandSetting dialog(host.Generator(), parent);
    dialog.exec();
    // A send still waiting for the generator's answer ends before the
    // dialog goes, the frame answering meanwhile.
    PumpUntil([&] { return !dialog.IsSending(); }, 0xFFFFFFFF);
}

void RunCalibrateCoefDialog(QWidget* parent, KelvaneDialogHost& host) {
    CDlgCalibrateCoef dialog(host, parent);
    dialog.exec();
}

void RunCalibrateCorrectDialog(QWidget* parent, KelvaneDialogHost& host, bool afterRun) {
    CDlgCalibrateCorrect dialog(host, afterRun, parent);
    dialog.exec();
}

bool RunSetSaveFileNameDialog(QWidget* parent, DataFileOption& option) {
    CDlgSetSaveFileName dialog(option, parent);
    return dialog.exec() == QDialog::Accepted;
}

QWidget* CreateBatteryWindow(QWidget* parent, KelvaneDialogHost& host) {
    auto* battery = new CBattery(host, parent);
    battery->Start();
    return battery;
}

bool StopBatteryWindow(QWidget* window) {
    auto* battery = qobject_cast<CBattery*>(window);
    if (battery == nullptr)
        return true;
    battery->RequestStop();
    if (!battery->IsStopped())
        return false;
    battery->Stop();
    return true;
}

int WriteResultDocument(const ResultDocumentContent& content, const std::string& templatePath,
                        const std::string& path) {
    CQVExportWord word;
    if (!word.Open(templatePath))
        return 0;
    const DetectParam& d = content.detect;
    const CalibrateChannelParam& b = content.block;
    const std::string texts[4][4] = {
        {d.DetectedName, d.DetectedNumber, d.DetectName, d.DetectNumber},
        {d.DetectPerson, d.Corrector, d.Assessor, d.Date},
        {platform::Format("%d", b.nCase + 1), platform::Format("%d", b.nModule + 1), ChanTypeText(b),
         BridgeTypeText(b)},
        {RangeText(b), BridgeVoltageText(b), UserDefinedText(b), LeadRText(b)},
    };
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col)
            word.SetCell(row + 2, (col + 1) * 2, texts[row][col]);
    for (std::size_t r = 0; r < content.grid.size(); ++r)
        for (std::size_t c = 0; c < content.grid[r].size(); ++c)
            word.SetCell(static_cast<int>(r) + 6, static_cast<int>(c) + 1, content.grid[r][c]);
    return word.SaveAs(path);
}

} // namespace kelvane_dialogs
