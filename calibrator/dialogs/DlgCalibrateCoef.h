// 通道修正系数: the instrument's coefficients of the module (the last reply 9),
// one column per measuring range; marked ranges are written to the marked
// channels.
#pragma once

#include <QDialog>

#include <string>
#include <vector>

class CMSFlexGrid;
class KelvaneDialogHost;
class QPlainTextEdit;
class QPushButton;

class CDlgCalibrateCoef : public QDialog {
    Q_OBJECT
public:
    CDlgCalibrateCoef(KelvaneDialogHost& host, QWidget* parent = nullptr);

    CMSFlexGrid* Grid() const { return m_pGrid; }
    QPushButton* SetButton() const { return m_pSet; }
    QPlainTextEdit* Editor() const { return m_pEditor; }

    // A click on a cell (row 0: the heading): a heading toggles its mark, a
    // cell opens the editor over it.
    void OnGridClick(int row, int col);
    // Ends an open edit: its lines go down the column from the edited cell.
    void EndEdit();
    // Up to 16 lines of text into the column from row on.
    void PasteLines(int row, int col, const QString& text);
    // 设置: writes each marked range's column to the marked channels.
    void OnSet();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FillGrid();
    void ToggleMark(int row, int col);
    std::vector<int> MarkedChannels() const;

    KelvaneDialogHost& m_host;
    std::vector<int> m_ranges; // the full-scale list, one column each
    CMSFlexGrid* m_pGrid;
    QPlainTextEdit* m_pEditor;
    QPushButton* m_pSet;
    int m_nEditRow = -1;
    int m_nEditCol = -1;
};
