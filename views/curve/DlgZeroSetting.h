// "零点设置": a grid of the zero values in millivolts of every channel of
// every online unit, 16 channels a row. The frame copies its zero table in,
// runs the dialog and on OK copies the table back.
#pragma once

#include <QDialog>

#include <vector>

class QLineEdit;
class QTableWidget;

class CDlgZeroSetting : public QDialog {
public:
    // The zero table: one float a channel id (unit × 16 + channel).
    static constexpr int kZeroCount = 8192;
    // Values of this magnitude or more are refused.
    static constexpr float kZeroLimit = 20.0f;

    explicit CDlgZeroSetting(QWidget* parent = nullptr);

    // Copies kZeroCount values in and shows those of the online channels.
    void SetZeroValues(const float* values);
    // Copies kZeroCount values out.
    void GetZeroValues(float* values) const;

    // A click on a channel cell: the edit field takes the cell's text and
    // covers the cell. Fixed cells and cells of no channel are not edited.
    void EditCell(int row, int column);
    // Leaving the edit field: a number of magnitude below the limit becomes
    // the zero of the cell's channel; anything else is refused with a message.
    void FinishEdit();

    // The channel a cell shows; -1 for fixed and empty cells.
    int CellChannel(int row, int column) const;

    QTableWidget* Grid() const { return m_pGrid; }
    QLineEdit* Editor() const { return m_pEditor; }

private:
    void FillGrid();

    std::vector<float> m_zeros;
    // Row-major, (rows) × 17: the channel id each cell shows, as the fill
    // put it there, so that an edit lands where its cell says.
    std::vector<int> m_cellChannel;
    QTableWidget* m_pGrid = nullptr;
    QLineEdit* m_pEditor = nullptr;
    int m_nEditRow = -1;
    int m_nEditColumn = -1;
    bool m_bFinishing = false;
};
