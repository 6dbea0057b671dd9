// The modal dialog "事件采样设置": the event-sampling schedule as a table of
// events kept in `SampleEvent.INI`, the OPC items of `OPCSetting.ini` and
// three event options the main frame keeps.
#pragma once

#include "project/SampleEventSchedule.h"

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

class CMSFlexGrid;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

struct SampleEventOptions {
    int nEventMode = 0;   // 0 time points, 1 OPC service
    int nOpcLoopMode = 0; // 0 single, 1 cyclic acquisition
    int bOpcNotify = 0;   // write the completion notice
};

class CDlgSampleEvent : public QDialog {
    Q_OBJECT
public:
    explicit CDlgSampleEvent(QWidget* parent = nullptr);

    void SetFilePath(const std::string& path) { m_strFile = path; }
    void SetProgramFolder(const std::string& folder) { m_strProgramFolder = folder; }
    void SetOptions(const SampleEventOptions& options) { m_options = options; }
    const SampleEventOptions& GetOptions() const { return m_options; }
    // The clock (an 8-byte date) and the run state; tests give their own.
    void SetClock(std::function<double()> now) { m_now = std::move(now); }
    void SetSamplingCheck(std::function<bool()> sampling) { m_sampling = std::move(sampling); }

    void OnInitDialog();
    int exec() override;
    void accept() override;

    void OnAdd();
    void OnModify();
    void OnDelete();
    // A click on a table row (1-based).
    void OnSelectRow(int row);

    const std::vector<SampleEvent>& GetEvents() const { return m_events; }
    CMSFlexGrid* GetTable() const { return m_pTable; }

private:
    // The edited fields as an event; false (with the message) when a field is refused.
    bool TakeFields(SampleEvent& event);
    void ShowEvent(const SampleEvent& event);
    void FillTable();
    void UpdateButtons();
    void ShowOptions();
    void ReadOpcSettings();
    double Now() const;

    std::string m_strFile;
    std::string m_strProgramFolder;
    SampleEventOptions m_options;
    std::function<double()> m_now;
    std::function<bool()> m_sampling;
    std::vector<SampleEvent> m_events;
    int m_nSelectedRow = 0;
    bool m_bEdited = false;
    std::string m_strProgID;
    std::string m_strRemoteMachine;

    CMSFlexGrid* m_pTable = nullptr;
    QLineEdit* m_pTime = nullptr;
    QLineEdit* m_pInterval = nullptr;
    QLineEdit* m_pCount = nullptr;
    QLineEdit* m_pNumber = nullptr;
    QComboBox* m_pType = nullptr;
    QPushButton* m_pAdd = nullptr;
    QPushButton* m_pModify = nullptr;
    QPushButton* m_pDelete = nullptr;
    QPushButton* m_pOk = nullptr;
    QPushButton* m_pCancel = nullptr;
    QRadioButton* m_pTimeMode = nullptr;
    QRadioButton* m_pOpcMode = nullptr;
    QComboBox* m_pLoopMode = nullptr;
    QCheckBox* m_pNotify = nullptr;
    QLabel* m_pStopLabel = nullptr;
    QLabel* m_pStopItem = nullptr;
    QLabel* m_pNotifyLabel = nullptr;
    QLabel* m_pNotifyItem = nullptr;
    QLabel* m_pStartItem = nullptr;
};
