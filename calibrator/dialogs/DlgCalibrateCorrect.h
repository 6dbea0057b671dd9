// 通道修正: the correction coefficients and maximum errors of the last run
// (correct.txt) for the calibrated channels; after a run the marked ones are
// written to the instrument.
#pragma once

#include <QDialog>

#include <array>

#include "calibrator/CalibrateFiles.h"

class CMSFlexGrid;
class KelvaneDialogHost;
class QLabel;
class QPushButton;

class CDlgCalibrateCorrect : public QDialog {
    Q_OBJECT
public:
    CDlgCalibrateCorrect(KelvaneDialogHost& host, bool afterRun, QWidget* parent = nullptr);

    CMSFlexGrid* Grid() const { return m_pGrid; }
    QLabel* CaseLabel() const { return m_pCase; }
    QLabel* ModuleLabel() const { return m_pModule; }
    QPushButton* CorrectButton() const { return m_pCorrect; }

    // A click on a channel's heading toggles its mark (a zero coefficient stays unmarked).
    void OnGridClick(int row, int col);
    // 修正: writes the marked channels' coefficients, scaled by the instrument's own.
    void OnCorrect();

private:
    void FillGrid();

    KelvaneDialogHost& m_host;
    CorrectFileContent m_content;
    CMSFlexGrid* m_pGrid;
    QLabel* m_pCase;
    QLabel* m_pModule;
    QPushButton* m_pCorrect;
};
