// "采样时重要测点观察": a small window of the main frame that shows the
// current values of five channels the user picks, one per row, while a run
// samples. The frame owns the five channel ids; the window writes the
// user's choices into them.
#pragma once

#include <QDialog>

#include <array>
#include <vector>

class QComboBox;
class QTableWidget;

class CImportantPointDlg : public QDialog {
public:
    static constexpr int kPoints = 5;
    static constexpr float kNoValue = -1.0e9f;

    explicit CImportantPointDlg(QWidget* parent = nullptr);

    // Keeps the owner's list and shows its channels' names and descriptions.
    void SetChannels(std::array<int, kPoints>* channels);
    // The current values: 16 floats for each of caseCount online cases, in
    // frame order; at most 4096 slots are taken.
    void UpdateValues(const float* values, int caseCount);
    // The channel of a row (0..4) as a choice in the row's editor makes it.
    void ChooseChannel(int row, int channel);

    QTableWidget* Grid() const { return m_pGrid; }
    QComboBox* Editor() const { return m_pEditor; }
    // The value cell's text of a row (0..4).
    QString ValueText(int row) const;

private:
    void ShowRow(int row);
    void OpenEditor(int row, int column);

    std::array<int, kPoints>* m_pChannels = nullptr;
    std::vector<float> m_slots;
    QTableWidget* m_pGrid = nullptr;
    QComboBox* m_pEditor = nullptr;
    int m_nEditRow = -1;
};
