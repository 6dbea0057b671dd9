// The grid of the bars and dialogs on a QTableWidget, with the operations
// they rely on: rows and columns counted with the one heading row (row 0 is
// the table's horizontal header), a format string for the headings, cell
// texts and colours, the current cell and the other corner of the selection.
#pragma once

#include <QTableWidget>

#include <string>

class CMSFlexGrid : public QTableWidget {
    Q_OBJECT
public:
    static constexpr unsigned COLOR_DEFAULT = 0xFFFFFF;

    explicit CMSFlexGrid(QWidget* parent = nullptr);

    int GetRows() const { return rowCount() + 1; }
    void SetRows(int rows);
    int GetCols() const { return columnCount(); }
    void SetCols(int cols);
    int GetFixedRows() const { return 1; }
    int GetFixedCols() const { return m_nFixedCols; }
    void SetFixedCols(int cols) { m_nFixedCols = cols; }
    // "|" between columns, "^" before a centred heading; the heading texts,
    // blanks included, give the first column widths.
    void SetFormatString(const std::string& format);

    std::string GetTextMatrix(int row, int col) const;
    // A cell text wider than its column widens the column, so that no value is cut.
    void SetTextMatrix(int row, int col, const std::string& text);
    // Asks its layout for room to show every column without a horizontal scroll bar.
    void FitWidthToColumns();

    // Current cell and the other corner of the selection (row 0: heading).
    int GetRow() const;
    int GetCol() const;
    int GetRowSel() const;
    int GetColSel() const;
    // Makes a selection as a click (row == rowSel, col == colSel) or a drag would.
    void SelectRange(int row, int col, int rowSel, int colSel);

    // Colours are 0x00BBGGRR.
    void SetCellBackColor(int row, int col, unsigned color);
    unsigned GetCellBackColor(int row, int col) const;
    void SetRedraw(bool on);
    int GetTopRow() const;
    void SetTopRow(int row);
    // The cell's rectangle in the viewport; row 0 is the heading strip above it.
    QRect GetCellRect(int row, int col) const;

signals:
    void Click();
    void DblClick();
    void MouseUp(Qt::MouseButton button);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    // One wheel notch moves the top row by one.
    void wheelEvent(QWheelEvent* event) override;

private:
    void OnHeaderPressed(int col);
    QTableWidgetItem* Item(int row, int col);
    void WidenColumnFor(int col, const QString& text);

    // Room on each side of a cell's text.
    static constexpr int kCellMargin = 6;

    int m_nFixedCols = 1;
    int m_nRowPickAnchor = -1; // table row where a drag over the fixed column began
};
