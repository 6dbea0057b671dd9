// The Qt model over the table view's plain grid: after every fill only the
// cells that changed are announced, so that a live table of thousands of
// cells repaints without the view rebuilding its rows.
#pragma once

#include "views/table/TableGrid.h"

#include <QAbstractTableModel>

class CTableGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit CTableGridModel(const TableGrid& grid, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // Call after the grid changed: a new size resets the model, otherwise
    // the changed block of cells is announced.
    void Sync();
    // How many cells the last Sync announced as changed (a reset counts all).
    int LastChangedCells() const { return m_nLastChanged; }

private:
    const TableGrid& m_grid;
    TableGrid m_shown; // the grid as the view last saw it
    int m_nLastChanged = 0;
};
