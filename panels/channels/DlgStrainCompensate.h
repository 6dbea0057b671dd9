// "应变补偿设置": whether a strain channel serves as the common temperature-
// compensation channel of the test, and which one.
#pragma once

#include <QDialog>

#include <vector>

class QCheckBox;
class QComboBox;

class CDlgStrainCompensate : public QDialog {
    Q_OBJECT
public:
    explicit CDlgStrainCompensate(QWidget* parent = nullptr);

    void SetCompensation(int used, int channel) {
        m_bUsed = used != 0 ? 1 : 0;
        m_nChannel = channel;
    }
    void GetCompensation(int& used, int& channel) const {
        used = m_bUsed;
        channel = m_nChannel;
    }
    // With state 2 (a project opened from disk) the settings are shown read-only.
    void SetProjectState(int state) { m_nProjectState = state; }
    // The strain channels of the online list, in list order.
    void SetStrainChannels(const std::vector<int>& channels) { m_Channels = channels; }

    void OnInitDialog();
    int exec() override;
    void accept() override;

private:
    int m_bUsed = 0;
    int m_nChannel = 0;
    int m_nProjectState = 0;
    std::vector<int> m_Channels;
    QCheckBox* m_pUse = nullptr;
    QComboBox* m_pChannel = nullptr;
};
