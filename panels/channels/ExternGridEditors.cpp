// In-place editors of the extended grid.
#include "panels/channels/ExternGridEditors.h"

#include <QAbstractItemView>
#include <QKeyEvent>

#include "model/GridEditRules.h"

namespace {
void End(QWidget* editor, bool& cancelled, bool cancel, const std::function<void()>& onEnd) {
    if (!editor->isVisible()) {
        return;
    }
    cancelled = cancel;
    editor->hide();
    if (onEnd) {
        onEnd();
    }
}
} // namespace

CExternGridEdit::CExternGridEdit(QWidget* parent) : QLineEdit(parent) {
    setObjectName("3000");
    setMaxLength(GRID_EDIT_MAX_CHARS);
    hide();
}

void CExternGridEdit::Open(int row, int col, const QString& text) {
    m_nRow = row;
    m_nCol = col;
    m_bCancelled = false;
    setText(text);
    selectAll();
    show();
    raise();
    setFocus();
}

void CExternGridEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Escape) {
        // Esc leaves the cell as it was.
        End(this, m_bCancelled, event->key() == Qt::Key_Escape, onEnd);
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void CExternGridEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    End(this, m_bCancelled, false, onEnd);
}

CExternGridCombo::CExternGridCombo(QWidget* parent) : QComboBox(parent) {
    setObjectName("3001");
    hide();
    connect(this, qOverload<int>(&QComboBox::activated), this,
            [this](int) { End(this, m_bCancelled, false, onEnd); });
}

void CExternGridCombo::Open(int row, int col, const QStringList& choices, const QString& cellText) {
    m_nRow = row;
    m_nCol = col;
    m_bCancelled = false;
    clear();
    addItems(choices);
    if (row == 0) {
        setCurrentIndex(choices.isEmpty() ? -1 : 0);
    } else {
        setCurrentIndex(static_cast<int>(choices.lastIndexOf(cellText)));
    }
    show();
    raise();
    setFocus();
}

void CExternGridCombo::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Escape) {
        End(this, m_bCancelled, event->key() == Qt::Key_Escape, onEnd);
        return;
    }
    QComboBox::keyPressEvent(event);
}

void CExternGridCombo::focusOutEvent(QFocusEvent* event) {
    QComboBox::focusOutEvent(event);
    // The open list takes the focus from the box; that is not the end.
    if (view() != nullptr && view()->isVisible()) {
        return;
    }
    End(this, m_bCancelled, false, onEnd);
}
