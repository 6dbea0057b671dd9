// "单点监控设置": the monitored case and point, the threshold and how passing
// it triggers acquisition.
#pragma once

#include <QDialog>

#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;

// The six words the main frame keeps, in their order.
struct SingleMonitorSettings {
    int nCase = 0;  // unit number
    int nPoint = 1; // global channel number
    float fThreshold = 0.0f;
    int bOverLimit = 1;
    int bAutoTrigger = 1;
    int bMultiTrigger = 1;
};

class CDlgMonitorSetting : public QDialog {
    Q_OBJECT
public:
    explicit CDlgMonitorSetting(QWidget* parent = nullptr);

    void SetSettings(const SingleMonitorSettings& settings) { m_Settings = settings; }
    SingleMonitorSettings GetSettings() const { return m_Settings; }
    // The online units in frame order.
    void SetCases(const std::vector<int>& cases) { m_Cases = cases; }

    void OnInitDialog();
    int exec() override;
    void accept() override;

private:
    void FillPoints();
    void OnCaseChanged(int index);
    void OnAutoTrigger();

    SingleMonitorSettings m_Settings;
    std::vector<int> m_Cases;
    int m_nShownCase = -1;
    QComboBox* m_pCase = nullptr;
    QComboBox* m_pPoint = nullptr;
    QLineEdit* m_pThreshold = nullptr;
    QRadioButton* m_pOver = nullptr;
    QRadioButton* m_pUnder = nullptr;
    QCheckBox* m_pAuto = nullptr;
    QRadioButton* m_pSingle = nullptr;
    QRadioButton* m_pMulti = nullptr;
};
