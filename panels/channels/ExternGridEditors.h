// The in-place editors of the extended grid: an edit box and a drop-down
// list placed over one cell. Each reports its end (Enter, Esc, focus loss,
// a choice) to the grid through a callback with its cancelled flag.
#pragma once

#include <QComboBox>
#include <QLineEdit>

#include <functional>

class CExternGridEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit CExternGridEdit(QWidget* parent);

    void Open(int row, int col, const QString& text);
    int m_nRow = 0;
    int m_nCol = 0;
    bool m_bCancelled = false;
    std::function<void()> onEnd; // the grid commits unless cancelled

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};

class CExternGridCombo : public QComboBox {
    Q_OBJECT
public:
    explicit CExternGridCombo(QWidget* parent);

    void Open(int row, int col, const QStringList& choices, const QString& cellText);
    int m_nRow = 0;
    int m_nCol = 0;
    bool m_bCancelled = false;
    std::function<void()> onEnd;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};
