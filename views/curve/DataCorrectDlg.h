// "数据修正": a channel and the coefficients a and b of a linear correction
// Y = aX + b of its current values, with the channel's accumulated
// correction of the raw values shown beside it.
#pragma once

#include <QDialog>

#include <functional>
#include <string>
#include <utility>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;

// 0 accepted; 1 |a| outside [0.0001, 10000); 2 |b| not below 10000000.
int CheckCorrectionCoefficients(float a, float b);
// "Y = <a>X + <b>" of an accumulated correction, "-" only for b below -0.000001.
std::string AccumulatedCorrectionText(float a, float b);

class CDataCorrectDlg : public QDialog {
public:
    // channels: the measured channels in order; accumulated: a channel's
    // accumulated slope and offset.
    CDataCorrectDlg(const std::vector<int>& channels, std::function<std::pair<float, float>(int)> accumulated,
                    QWidget* parent = nullptr);

    void SetChannelId(int id);
    int GetChannelId() const { return m_nChannel; }
    float GetA() const { return m_fA; }
    float GetB() const { return m_fB; }
    bool IsChanged() const { return m_bChanged; }

    // OK: checks a and b in that order; a refusal keeps the dialog open.
    void TryAccept();

    QComboBox* ChannelBox() const { return m_pChannel; }
    QLineEdit* AEdit() const { return m_pA; }
    QLineEdit* BEdit() const { return m_pB; }
    QLabel* AccumulatedLabel() const { return m_pAccumulated; }

private:
    void ShowAccumulated();

    std::vector<int> m_channels;
    std::function<std::pair<float, float>(int)> m_accumulated;
    int m_nChannel = 0;
    float m_fA = 1.0f, m_fB = 0.0f;
    bool m_bChanged = false;
    QComboBox* m_pChannel = nullptr;
    QLineEdit* m_pA = nullptr;
    QLineEdit* m_pB = nullptr;
    QLabel* m_pAccumulated = nullptr;
};
