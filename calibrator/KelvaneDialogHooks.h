// The dialogs the frame opens, defined by the dialogs library
// (calibrator/dialogs); the frame calls them only when that library is
// built (KELVANE_WITH_DIALOGS).
#pragma once

#include "calibrator/CalibrateTypes.h"

#include <string>
#include <vector>

class QWidget;
class KelvaneDialogHost;
class CStrainSignalControl;

// The cells the Word result fills (the template's first table, then the
// grid from row 6).
struct ResultDocumentContent {
    DetectParam detect;
    CalibrateChannelParam block;
    std::vector<std::vector<std::string>> grid;
};

namespace kelvane_dialogs {

// Serial port dialog: the ports found and the current port and rate; true on OK.
bool RunSetComDialog(QWidget* parent, const std::vector<int>& ports, int& port, int& baud);
// Manual output dialog on the generator.
void RunHandSettingDialog(QWidget* parent, KelvaneDialogHost& host);
// Coefficient dialog over the last reply 9.
void RunCalibrateCoefDialog(QWidget* parent, KelvaneDialogHost& host);
// Correction dialog; afterRun enables "修正".
void RunCalibrateCorrectDialog(QWidget* parent, KelvaneDialogHost& host, bool afterRun);
// File-name dialog on a copy of the options; true on OK (the copy then holds the result).
bool RunSetSaveFileNameDialog(QWidget* parent, DataFileOption& option);
// The battery window, a child of the frame polling the generator.
QWidget* CreateBatteryWindow(QWidget* parent, KelvaneDialogHost& host);
// Tells the battery window to end its polling without waiting; true once it
// has confirmed (its worker then joined), for the caller to ask again.
bool StopBatteryWindow(QWidget* window);
// Writes the Word result from the template; 1 on success, 0 with nothing
// written (after the message) when the template is missing or unusable.
int WriteResultDocument(const ResultDocumentContent& content, const std::string& templatePath,
                        const std::string& path);

} // namespace kelvane_dialogs
