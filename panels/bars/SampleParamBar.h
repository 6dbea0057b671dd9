// The sampling-parameter bar, the contents of a dock pane: the sample mode,
// the timed interval and count, the label and numbering of single samples,
// the sampling frequency and the spectrum's analysis block. The frame hands
// it its sampling-settings record and takes the record back, checked, when a
// run starts.
#pragma once

#include <QWidget>

#include <string>
#include <vector>

#include "model/InstrumentIni.h"
#include "model/SampleSettings.h"
#include "platform/Message.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QRadioButton;

class CSampleParamBar : public QWidget {
    Q_OBJECT
public:
    explicit CSampleParamBar(QWidget* parent = nullptr);

    void SetOwner(platform::HWND owner) { m_hOwner = owner; }
    void SetInterfaceMode(int mode) { m_nInterfaceMode = mode; }
    void SetInstrumentModel(int modelType, const std::string& descriptionFile);
    // Stores the record; the controls follow at the next InitControls.
    void SetSampleSettings(const SampleSettings& settings) { m_Settings = settings; }
    // Sets every control from the record (after creation).
    void InitControls();
    // Checks the controls; on success copies the record out and returns 1.
    int GetSampleSettings(SampleSettings& settings, int showMessages);
    void SetRunState(int projectState);
    int GetRunState() const { return m_nProjectState; }
    void AddDeviceIp(bool clear, const std::string& address);
    void SetDeviceIpList(const std::vector<std::string>& addresses);
    void ShowEventSampleOption(bool show);

    // Control handlers (the widgets call them; tests call them directly).
    void OnModeClicked(int mode);
    void OnFrequencySelected(int index);
    void OnTimePointsSelected(int index);
    void OnAverageCountEdited();

private:
    void FillFrequencyList();
    void SelectFixedModeFrequency();
    void FillAnalysisLists();
    void WriteAnalysisResult();
    void ApplyModeRules();
    int CheckedMode() const;
    void NotifyParamsChanged();
    void Send(platform::UINT message, platform::WPARAM wParam = 0);

    SampleSettings m_Settings;
    int m_nInterfaceMode = 2;
    int m_nModelType = 3;
    int m_nProjectState = 0;
    int m_nAverageCount = 1;
    platform::HWND m_hOwner = 0;
    CInstrumentIni m_ini;
    std::vector<std::string> m_frequencyItems;
    std::vector<int> m_timePoints;

    QButtonGroup* m_pModes;
    QRadioButton* m_pModeButtons[4];
    QLineEdit* m_pInterval;
    QCheckBox* m_pSetCount;
    QLineEdit* m_pCount;
    QLineEdit* m_pLabel;
    QCheckBox* m_pNumbering;
    QLabel* m_pCountStartLabel;
    QLineEdit* m_pCountStart;
    QListWidget* m_pDeviceIps;
    QComboBox* m_pFrequency;
    QGroupBox* m_pAnalysis;
    QComboBox* m_pTimePoints;
    QComboBox* m_pFrequencyLines;
    QLabel* m_pAnalysisResult;
    QGroupBox* m_pAveraging;
    QRadioButton* m_pSingleAcquire;
    QRadioButton* m_pMultiAverage;
    QLineEdit* m_pAverageCount;
    QCheckBox* m_pEliminate;
};
