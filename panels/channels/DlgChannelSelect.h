// "通道选择": a check list of the online channels and the virtual channels;
// OK gives the checked channels in list order.
#pragma once

#include <QDialog>

#include <string>
#include <vector>

class QListWidget;

class CDlgChannelSelect : public QDialog {
    Q_OBJECT
public:
    // channels: the online list; virtualNames: the virtual channels' names
    // (the n-th is channel 4096 + n); chosen: checked on opening.
    CDlgChannelSelect(const std::vector<int>& channels, const std::vector<std::string>& virtualNames,
                      const std::vector<int>& chosen, QWidget* parent = nullptr);

    std::vector<int> GetChosen() const { return m_Chosen; }
    QListWidget* List() const { return m_pList; }

    void accept() override;

private:
    std::vector<int> m_Entries; // channel number of every entry
    std::vector<int> m_Chosen;
    QListWidget* m_pList = nullptr;
};
