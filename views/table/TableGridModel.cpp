// Qt model of the table view's grid.
#include "views/table/TableGridModel.h"

#include <QColor>

#include <algorithm>

namespace {

QColor ToColor(std::uint32_t rgb) {
    return QColor(int((rgb >> 16) & 0xFF), int((rgb >> 8) & 0xFF), int(rgb & 0xFF));
}

const QColor kFixedBackground(0xC0, 0xC0, 0xC0);

} // namespace

CTableGridModel::CTableGridModel(const TableGrid& grid, QObject* parent)
    : QAbstractTableModel(parent), m_grid(grid), m_shown(grid) {}

int CTableGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_shown.Rows();
}

int CTableGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_shown.Columns();
}

QVariant CTableGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    const TableCell& cell = m_shown.At(index.row(), index.column());
    const bool fixed = index.row() < m_shown.FixedRows() || index.column() < m_shown.FixedColumns();
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromStdString(cell.text);
    case Qt::BackgroundRole:
        return fixed && cell.background == kTableWhite ? kFixedBackground : ToColor(cell.background);
    case Qt::ForegroundRole:
        return ToColor(cell.foreground);
    case Qt::TextAlignmentRole:
        return int(Qt::AlignCenter);
    default:
        return {};
    }
}

void CTableGridModel::Sync() {
    if (m_grid.Rows() != m_shown.Rows() || m_grid.Columns() != m_shown.Columns() ||
        m_grid.FixedRows() != m_shown.FixedRows() || m_grid.FixedColumns() != m_shown.FixedColumns()) {
        beginResetModel();
        m_shown = m_grid;
        endResetModel();
        m_nLastChanged = m_grid.Rows() * m_grid.Columns();
        return;
    }
    int top = m_grid.Rows(), left = m_grid.Columns(), bottom = -1, right = -1;
    int changed = 0;
    for (int r = 0; r < m_grid.Rows(); ++r)
        for (int c = 0; c < m_grid.Columns(); ++c)
            if (!(m_grid.At(r, c) == m_shown.At(r, c))) {
                *m_shown.Cell(r, c) = m_grid.At(r, c);
                top = std::min(top, r);
                bottom = std::max(bottom, r);
                left = std::min(left, c);
                right = std::max(right, c);
                ++changed;
            }
    m_shown.columnWidths = m_grid.columnWidths;
    m_nLastChanged = changed;
    if (changed > 0)
        emit dataChanged(index(top, left), index(bottom, right));
}
