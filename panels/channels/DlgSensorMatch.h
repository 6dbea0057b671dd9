// "传感器匹配设置": assigns the eight temperature sensors of a heat-exchanger
// test to measuring channels, each with its correction coefficients a, b, c.
// A modeless window of the main frame, only shown and hidden.
#pragma once

#include <QDialog>

#include <array>
#include <functional>
#include <string>
#include <vector>

class QComboBox;
class QLineEdit;

class CDlgSensorMatch : public QDialog {
    Q_OBJECT
public:
    explicit CDlgSensorMatch(QWidget* parent = nullptr);

    // The channels the combos offer, in measured order (shown, present, balanced).
    std::function<std::vector<int>()> channelSource;
    // Where "确定" writes "coe.ini".
    std::function<std::string()> settingsPath;

    // The combos take the channel list and the stored selections, the edits
    // the stored coefficients.
    void FillChannelLists();
    void OnOK();

    QComboBox* Combo(int sensor) const { return m_pCombos[std::size_t(sensor)]; }
    QLineEdit* CoefficientEdit(int sensor, int column) const {
        return m_pEdits[std::size_t(sensor)][std::size_t(column)];
    }

private:
    std::array<QComboBox*, 8> m_pCombos{};
    std::array<std::array<QLineEdit*, 3>, 8> m_pEdits{};
};
