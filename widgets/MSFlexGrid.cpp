// The grid on a QTableWidget.
#include "widgets/MSFlexGrid.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>

namespace {

QColor FromBgr(unsigned color) {
    return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

unsigned ToBgr(const QColor& c) {
    return static_cast<unsigned>(c.red()) | static_cast<unsigned>(c.green()) << 8 |
           static_cast<unsigned>(c.blue()) << 16;
}

} // namespace

CMSFlexGrid::CMSFlexGrid(QWidget* parent) : QTableWidget(parent) {
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setSectionsClickable(true);
    connect(horizontalHeader(), &QHeaderView::sectionPressed, this, &CMSFlexGrid::OnHeaderPressed);
}

void CMSFlexGrid::SetRows(int rows) {
    setRowCount(std::max(rows - 1, 0));
}

void CMSFlexGrid::SetCols(int cols) {
    setColumnCount(std::max(cols, 0));
}

void CMSFlexGrid::SetFormatString(const std::string& format) {
    QStringList headings;
    for (const QString& part : QString::fromStdString(format).split('|')) {
        headings << (part.startsWith('^') ? part.mid(1) : part);
    }
    SetCols(static_cast<int>(headings.size()));
    for (int c = 0; c < headings.size(); ++c) {
        setHorizontalHeaderItem(c, new QTableWidgetItem(headings[c].trimmed()));
        // The format's blanks give the width; a heading never comes out cut.
        setColumnWidth(c, std::max(fontMetrics().horizontalAdvance(headings[c]) + 8,
                                   horizontalHeader()->sectionSizeHint(c)));
    }
}

void CMSFlexGrid::FitWidthToColumns() {
    int width = 2 * frameWidth() + verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < GetCols(); ++c) {
        width += columnWidth(c);
    }
    setMinimumWidth(width);
}

void CMSFlexGrid::WidenColumnFor(int col, const QString& text) {
    const int width = columnWidth(col);
    if (width == 0) {
        return; // a hidden column stays hidden
    }
    const int needed = fontMetrics().horizontalAdvance(text) + 2 * kCellMargin;
    if (needed > width) {
        setColumnWidth(col, needed);
    }
}

QTableWidgetItem* CMSFlexGrid::Item(int row, int col) {
    if (row < 1 || row >= GetRows() || col < 0 || col >= GetCols()) {
        return nullptr;
    }
    QTableWidgetItem* cell = item(row - 1, col);
    if (cell == nullptr) {
        cell = new QTableWidgetItem;
        setItem(row - 1, col, cell);
    }
    return cell;
}

std::string CMSFlexGrid::GetTextMatrix(int row, int col) const {
    const QTableWidgetItem* cell = row == 0 ? horizontalHeaderItem(col) : item(row - 1, col);
    return cell != nullptr ? cell->text().toStdString() : std::string();
}

void CMSFlexGrid::SetTextMatrix(int row, int col, const std::string& text) {
    if (row == 0 && col >= 0 && col < GetCols()) {
        setHorizontalHeaderItem(col, new QTableWidgetItem(QString::fromStdString(text)));
        return;
    }
    if (QTableWidgetItem* cell = Item(row, col)) {
        cell->setText(QString::fromStdString(text));
        WidenColumnFor(col, cell->text());
    }
}

int CMSFlexGrid::GetRow() const {
    return currentRow() + 1;
}

int CMSFlexGrid::GetCol() const {
    return std::max(currentColumn(), 0);
}

int CMSFlexGrid::GetRowSel() const {
    const QList<QTableWidgetSelectionRange> ranges = selectedRanges();
    if (ranges.size() != 1) {
        return GetRow();
    }
    const QTableWidgetSelectionRange& r = ranges.front();
    return (currentRow() == r.topRow() ? r.bottomRow() : r.topRow()) + 1;
}

int CMSFlexGrid::GetColSel() const {
    const QList<QTableWidgetSelectionRange> ranges = selectedRanges();
    if (ranges.size() != 1) {
        return GetCol();
    }
    const QTableWidgetSelectionRange& r = ranges.front();
    return currentColumn() == r.leftColumn() ? r.rightColumn() : r.leftColumn();
}

void CMSFlexGrid::SelectRange(int row, int col, int rowSel, int colSel) {
    if (rowCount() == 0 || columnCount() == 0) {
        return;
    }
    auto rowOf = [this](int r) { return std::clamp(r - 1, 0, rowCount() - 1); };
    auto colOf = [this](int c) { return std::clamp(c, 0, columnCount() - 1); };
    clearSelection();
    setCurrentCell(rowOf(row), colOf(col), QItemSelectionModel::NoUpdate);
    setRangeSelected(
        QTableWidgetSelectionRange(std::min(rowOf(row), rowOf(rowSel)), std::min(colOf(col), colOf(colSel)),
                                   std::max(rowOf(row), rowOf(rowSel)), std::max(colOf(col), colOf(colSel))),
        true);
}

void CMSFlexGrid::SetCellBackColor(int row, int col, unsigned color) {
    if (QTableWidgetItem* cell = Item(row, col)) {
        cell->setBackground(FromBgr(color));
    }
}

unsigned CMSFlexGrid::GetCellBackColor(int row, int col) const {
    const QTableWidgetItem* cell = row >= 1 ? item(row - 1, col) : nullptr;
    if (cell == nullptr || cell->background().style() == Qt::NoBrush) {
        return COLOR_DEFAULT;
    }
    return ToBgr(cell->background().color());
}

void CMSFlexGrid::SetRedraw(bool on) {
    setUpdatesEnabled(on);
    if (on) {
        viewport()->update();
    }
}

int CMSFlexGrid::GetTopRow() const {
    return rowAt(0) + 1;
}

void CMSFlexGrid::SetTopRow(int row) {
    if (row >= 1 && row < GetRows()) {
        scrollToItem(Item(row, 0), QAbstractItemView::PositionAtTop);
    }
}

QRect CMSFlexGrid::GetCellRect(int row, int col) const {
    if (row == 0) {
        const int height = horizontalHeader()->height();
        return QRect(columnViewportPosition(col), -height, columnWidth(col), height);
    }
    return QRect(columnViewportPosition(col), rowViewportPosition(row - 1), columnWidth(col),
                 rowHeight(row - 1));
}

void CMSFlexGrid::OnHeaderPressed(int col) {
    // A heading click selects the whole column, as the bars' hosts expect.
    SelectRange(1, col, GetRows() - 1, col);
    emit Click();
}

void CMSFlexGrid::mousePressEvent(QMouseEvent* event) {
    QTableWidget::mousePressEvent(event);
    const QModelIndex index = indexAt(event->position().toPoint());
    m_nRowPickAnchor = -1;
    if (index.isValid() && index.column() < m_nFixedCols && event->button() == Qt::LeftButton) {
        // The fixed column picks whole rows.
        m_nRowPickAnchor = index.row() + 1;
        SelectRange(m_nRowPickAnchor, m_nFixedCols < GetCols() ? m_nFixedCols : 0, m_nRowPickAnchor,
                    GetCols() - 1);
    }
}

void CMSFlexGrid::mouseMoveEvent(QMouseEvent* event) {
    if (m_nRowPickAnchor < 0) {
        QTableWidget::mouseMoveEvent(event);
        return;
    }
    const int row = rowAt(static_cast<int>(event->position().y()));
    if (row >= 0) {
        SelectRange(m_nRowPickAnchor, m_nFixedCols < GetCols() ? m_nFixedCols : 0, row + 1, GetCols() - 1);
    }
}

void CMSFlexGrid::mouseReleaseEvent(QMouseEvent* event) {
    QTableWidget::mouseReleaseEvent(event);
    m_nRowPickAnchor = -1;
    if (indexAt(event->position().toPoint()).isValid()) {
        emit Click();
    }
    emit MouseUp(event->button());
}

void CMSFlexGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    QTableWidget::mouseDoubleClickEvent(event);
    emit DblClick();
}

void CMSFlexGrid::wheelEvent(QWheelEvent* event) {
    const int notches = event->angleDelta().y() / QWheelEvent::DefaultDeltasPerStep;
    if (notches == 0 || verticalScrollBar()->maximum() == 0) {
        QTableWidget::wheelEvent(event);
        return;
    }
    verticalScrollBar()->setValue(verticalScrollBar()->value() - notches);
    event->accept();
}
