// Plain grid of the table view.
#include "views/table/TableGrid.h"

#include <algorithm>

void TableGrid::Reset(int rows, int columns, int fixedRows, int fixedColumns) {
    m_nRows = std::max(rows, 0);
    m_nColumns = std::max(columns, 0);
    m_nFixedRows = fixedRows;
    m_nFixedColumns = fixedColumns;
    m_cells.assign(std::size_t(m_nRows), std::vector<TableCell>(std::size_t(m_nColumns)));
    columnWidths.assign(std::size_t(m_nColumns), 500);
}

void TableGrid::Resize(int rows, int columns) {
    m_nRows = std::max(rows, 0);
    m_nColumns = std::max(columns, 0);
    m_cells.resize(std::size_t(m_nRows));
    for (auto& row : m_cells)
        row.resize(std::size_t(m_nColumns));
    columnWidths.resize(std::size_t(m_nColumns), 500);
}

const TableCell& TableGrid::At(int row, int column) const {
    static const TableCell empty;
    if (row < 0 || row >= m_nRows || column < 0 || column >= m_nColumns)
        return empty;
    return m_cells[std::size_t(row)][std::size_t(column)];
}

TableCell* TableGrid::Cell(int row, int column) {
    if (row < 0 || row >= m_nRows || column < 0 || column >= m_nColumns)
        return nullptr;
    return &m_cells[std::size_t(row)][std::size_t(column)];
}

void TableGrid::SetText(int row, int column, const std::string& text) {
    if (TableCell* cell = Cell(row, column))
        cell->text = text;
}

void TableGrid::SetBackground(int row, int column, std::uint32_t colour) {
    if (TableCell* cell = Cell(row, column))
        cell->background = colour;
}

void TableGrid::SetForeground(int row, int column, std::uint32_t colour) {
    if (TableCell* cell = Cell(row, column))
        cell->foreground = colour;
}

void TableGrid::InsertRow(int row) {
    row = std::clamp(row, 0, m_nRows);
    m_cells.insert(m_cells.begin() + row, std::vector<TableCell>(std::size_t(m_nColumns)));
    ++m_nRows;
}

void TableGrid::RemoveRow(int row) {
    if (row < 0 || row >= m_nRows)
        return;
    m_cells.erase(m_cells.begin() + row);
    --m_nRows;
}

void TableGrid::ClearBody() {
    for (int r = 1; r < m_nRows; ++r)
        for (int c = 1; c < m_nColumns; ++c)
            m_cells[std::size_t(r)][std::size_t(c)].text.clear();
}
