// The channel-selection dialog of a spectrum window ("信号选择"): the online
// channels not chosen on the left, the chosen ones in order on the right.
#pragma once

#include <QDialog>

#include <vector>

class QListWidget;

class CSpectrumChannelDialog : public QDialog {
    Q_OBJECT
public:
    CSpectrumChannelDialog(const std::vector<int>& selection, QWidget* parent = nullptr);

    // The chosen channels after OK, in list order.
    const std::vector<int>& GetSelection() const { return m_Selection; }
    QListWidget* Available() const { return m_pAvailable; }
    QListWidget* Chosen() const { return m_pChosen; }

    void OnAdd();
    void OnRemove();
    // Moves one item to the other list (a double-click does this).
    void MoveRow(QListWidget* from, int row);
    void accept() override;

private:
    static void Move(QListWidget* from, QListWidget* to);

    QListWidget* m_pAvailable;
    QListWidget* m_pChosen;
    std::vector<int> m_Selection;
};
