// The table view's cells as plain data: texts and colours of a grid with
// fixed heading rows and columns, filled by the table logic and shown by the
// Qt model, so that the fill rules are tested without a window.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Colours as 0xRRGGBB.
constexpr std::uint32_t kTableWhite = 0xFFFFFF;
constexpr std::uint32_t kTableBlack = 0x000000;
constexpr std::uint32_t kTableAlarmRed = 0xFF0000;
constexpr std::uint32_t kTableMarkGreen = 0xC7EDCC;   // RGB(199, 237, 204)
constexpr std::uint32_t kTableShortColour = 0xFFC800; // RGB(255, 200, 0)

struct TableCell {
    std::string text; // UTF-8
    std::uint32_t background = kTableWhite;
    std::uint32_t foreground = kTableBlack;

    bool operator==(const TableCell&) const = default;
};

class TableGrid {
public:
    void Reset(int rows, int columns, int fixedRows = 1, int fixedColumns = 1);
    // Keeps the cells that stay inside the new size.
    void Resize(int rows, int columns);
    int Rows() const { return m_nRows; }
    int Columns() const { return m_nColumns; }
    int FixedRows() const { return m_nFixedRows; }
    int FixedColumns() const { return m_nFixedColumns; }
    void SetFixedColumns(int n) { m_nFixedColumns = n; }

    // Out-of-range reads give an empty cell; out-of-range writes are ignored.
    const TableCell& At(int row, int column) const;
    TableCell* Cell(int row, int column);
    void SetText(int row, int column, const std::string& text);
    void SetBackground(int row, int column, std::uint32_t colour);
    void SetForeground(int row, int column, std::uint32_t colour);

    void InsertRow(int row);
    void RemoveRow(int row);
    // Empties every cell right of the first column and below the first row.
    void ClearBody();

    // Widths in twips, one per column.
    std::vector<int> columnWidths;

private:
    int m_nRows = 0;
    int m_nColumns = 0;
    int m_nFixedRows = 1;
    int m_nFixedColumns = 1;
    std::vector<std::vector<TableCell>> m_cells;
};
