// The modal dialog "设置高速采样通道": the channel each acquisition module
// samples at high speed, listed by controller; a choice made with Shift held
// goes to the controller's following modules too.
#pragma once

#include "model/HighSpeedChannels.h"

#include <QDialog>

#include <vector>

class QComboBox;
class QTreeWidget;

class CDlgHighSpeedChannel : public QDialog {
    Q_OBJECT
public:
    CDlgHighSpeedChannel(std::vector<HighSpeedController> controllers, QWidget* parent = nullptr);

    void SetChannels(const std::vector<int>& channels) { m_channels = channels; }
    const std::vector<int>& GetChannels() const { return m_channels; }
    const std::vector<HighSpeedRow>& GetRows() const { return m_rows; }

    void OnInitDialog();
    int exec() override;
    void accept() override;
    // A choice in a row's "高速通道" list: 0 the empty entry, n the channel n.
    void OnChoose(int row, int entry, bool shiftHeld);

private:
    void ShowChoices();

    std::vector<HighSpeedController> m_controllers;
    std::vector<int> m_channels;
    std::vector<HighSpeedRow> m_rows;
    std::vector<QComboBox*> m_choices;
    QTreeWidget* m_pList = nullptr;
};
