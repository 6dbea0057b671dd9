// The calibration parameter form, docked in the frame: the module to
// calibrate and its channel setup, the result-file options, and the start,
// pause, stop and save buttons. Controls carry their dialog ids as object
// names.
#pragma once

#include "calibrator/CalibrateTypes.h"

#include <QWidget>

class CKelvaneFrame;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class CDlgCalibrationParam : public QWidget {
    Q_OBJECT
public:
    CDlgCalibrationParam(CKelvaneFrame& frame, QWidget* parent = nullptr);

    // The controls from the frame's channel block and result-file options.
    void LoadControls();
    // Copies the controls into the channel block and the options; false
    // when no case or no module is selected.
    bool ReadForm();
    void StoreFileOptions();
    // The case list from the received controller records; the module list
    // of the chosen case.
    void FillCases();
    void FillModules();
    void SelectModule(int nCase, int nModule);
    // Start and stop buttons for a running or idle form.
    void SetRunButtons(bool running, bool withStop);
    void EnableForm(bool enable);
    // The start button once the generator was looked for.
    void EnableStart(bool enable);

    void OnStart();
    void OnStop();
    void OnSave();
    void OnBrowse();
    void OnSetFileName();
    void OnChanType(int index);

    QComboBox* Cases() const { return m_pCases; }
    QComboBox* Modules() const { return m_pModules; }
    QComboBox* ChanType() const { return m_pChanType; }
    QComboBox* Bridge() const { return m_pBridge; }
    QComboBox* Range() const { return m_pRange; }
    QComboBox* Voltage() const { return m_pVoltage; }
    QLabel* Unit() const { return m_pUnit; }
    QRadioButton* UserLead() const { return m_pUserLead; }
    QLineEdit* LeadR() const { return m_pLeadR; }
    QLineEdit* FileName() const { return m_pFileName; }
    QLineEdit* FilePath() const { return m_pFilePath; }
    QPushButton* StartButton() const { return m_pStart; }
    QPushButton* StopButton() const { return m_pStop; }
    QPushButton* SaveButton() const { return m_pSave; }

private:
    void FillRanges();
    void UpdateLeadControls();

    CKelvaneFrame& m_frame;
    QComboBox* m_pCases;
    QComboBox* m_pModules;
    QComboBox* m_pChanType;
    QComboBox* m_pBridge;
    QComboBox* m_pRange;
    QComboBox* m_pVoltage;
    QLabel* m_pUnit;
    QRadioButton* m_pStandardLead;
    QRadioButton* m_pUserLead;
    QLineEdit* m_pLeadR;
    QLineEdit* m_pStandardLeadR;
    QLineEdit* m_pFileName;
    QComboBox* m_pSaveMode;
    QComboBox* m_pSaveType;
    QCheckBox* m_pMultifile;
    QPushButton* m_pSetName;
    QPushButton* m_pBrowse;
    QLineEdit* m_pFilePath;
    QPushButton* m_pStart;
    QPushButton* m_pStop;
    QPushButton* m_pSave;
    bool m_bRunning = false;
};
