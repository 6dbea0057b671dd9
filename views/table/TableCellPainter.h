// Paints the table view's cells: the cell's background, or the selection's
// colour, and its text centred in one line, cut with an ellipsis when the
// column is narrower. A live table repaints its visible cells at every
// refresh; the style's item painting laid each text out several times a cell.
#pragma once

#include <QStyledItemDelegate>

class CTableCellPainter : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};
