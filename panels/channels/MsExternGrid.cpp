// In-place editing of the extended grid.
#include "panels/channels/MsExternGrid.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>

#include "model/GridEditRules.h"

CMsExternGrid::CMsExternGrid(QWidget* parent)
    : CMSFlexGrid(parent), m_pEdit(new CExternGridEdit(viewport())),
      m_pCombo(new CExternGridCombo(viewport())) {
    m_pEdit->onEnd = [this] { OnEditEnd(); };
    m_pCombo->onEnd = [this] { OnComboEnd(); };
    connect(horizontalHeader(), &QHeaderView::sectionPressed, this, [this](int) { OpenEditor(); });
    // A scroll would leave the editor over another cell.
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { CloseEditor(); });
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { CloseEditor(); });
}

void CMsExternGrid::SetColumnCount(int count) {
    CloseEditor();
    m_kinds.assign(std::max(count, 0), GRID_KIND_READ_ONLY);
    m_choices.assign(std::max(count, 0), QStringList());
}

void CMsExternGrid::SetColumnEditKind(int column, int kind) {
    if (column >= 0 && column < static_cast<int>(m_kinds.size())) {
        m_kinds[column] = kind;
    }
}

void CMsExternGrid::SetColumnChoices(int column, const QStringList& choices) {
    if (column >= 0 && column < static_cast<int>(m_choices.size())) {
        m_choices[column] = choices;
    }
}

int CMsExternGrid::KindOf(int col) const {
    return col >= 0 && col < static_cast<int>(m_kinds.size()) ? m_kinds[col] : GRID_KIND_READ_ONLY;
}

void CMsExternGrid::mousePressEvent(QMouseEvent* event) {
    CMSFlexGrid::mousePressEvent(event);
    if (event->button() == Qt::LeftButton) {
        OpenEditor();
    }
}

void CMsExternGrid::OpenEditor() {
    CloseEditor();
    const int dataRows = GetRows() - GetFixedRows();
    const int dataCols = GetCols() - GetFixedCols();
    const int col = GetCol();
    const int kind = KindOf(col);
    if (m_kinds.empty() || kind == GRID_KIND_READ_ONLY || dataRows <= 0 || dataCols <= 0) {
        return;
    }
    int row = GetRow();
    if (GetRowSel() == dataRows && GetRowSel() != row) {
        row -= 1; // the heading was clicked: edit the whole column
    }
    const QRect cell = GetCellRect(row, col);
    const QString text = QString::fromStdString(GetTextMatrix(row == 0 ? 1 : row, col));
    if (kind == GRID_KIND_LIST) {
        m_pCombo->setGeometry(cell.adjusted(1, -2, -1, 0));
        m_pCombo->Open(row, col, m_choices[col], text);
    } else {
        m_pEdit->setGeometry(cell.adjusted(1, 0, -1, 0));
        m_pEdit->Open(row, col, text);
    }
}

void CMsExternGrid::CloseEditor() {
    if (m_pEdit->isVisible()) {
        m_pEdit->clearFocus();
        if (m_pEdit->isVisible()) { // a focus that was elsewhere already
            m_pEdit->hide();
            OnEditEnd();
        }
    }
    if (m_pCombo->isVisible()) {
        m_pCombo->hide();
        OnComboEnd();
    }
}

void CMsExternGrid::OnEditEnd() {
    if (!m_pEdit->m_bCancelled && KindOf(m_pEdit->m_nCol) != GRID_KIND_LIST) {
        Commit(m_pEdit->m_nRow, m_pEdit->m_nCol, m_pEdit->text());
    }
}

void CMsExternGrid::OnComboEnd() {
    if (!m_pCombo->m_bCancelled && KindOf(m_pCombo->m_nCol) == GRID_KIND_LIST) {
        Commit(m_pCombo->m_nRow, m_pCombo->m_nCol, m_pCombo->currentText());
    }
}

void CMsExternGrid::Commit(int row, int col, const QString& text) {
    const int kind = KindOf(col);
    const std::string written = FormatGridCommitText(kind, text.toStdString());
    if (row != 0) {
        SetTextMatrix(row, col, written);
    } else {
        for (int r = GetFixedRows(); r < GetRows(); ++r) {
            SetTextMatrix(r, col, written);
        }
    }
    if (GridKindNotifiesParent(kind)) {
        emit CellChanged(row, col);
    }
}
