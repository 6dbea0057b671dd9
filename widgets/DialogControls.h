// Small builders the settings dialogs share: buttons, labels and edits that
// carry a name or the control id as their object name, so a test finds each.
#pragma once

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>

#include <initializer_list>

// A push button with its caption (UTF-8) and object name that does not
// become the default button when it takes the focus.
QPushButton* NewDialogButton(const char* text, const char* name, QWidget* parent);

inline QString ControlName(int id) {
    return QStringLiteral("id%1").arg(id);
}

// The same, named after its control id.
inline QPushButton* NewDialogButton(const char* text, int id, QWidget* parent) {
    QPushButton* button = NewDialogButton(text, "", parent);
    button->setObjectName(ControlName(id));
    return button;
}

inline QLineEdit* NewDialogEdit(int id, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(ControlName(id));
    return edit;
}

inline QLabel* NewDialogLabel(const char* text, QWidget* parent) {
    return new QLabel(QString::fromUtf8(text), parent);
}

// The dialog's button row: an optional control on the left, the buttons on the right.
inline QHBoxLayout* NewButtonRow(std::initializer_list<QWidget*> buttons, QWidget* left = nullptr) {
    auto* row = new QHBoxLayout;
    if (left != nullptr)
        row->addWidget(left);
    row->addStretch();
    for (QWidget* button : buttons)
        row->addWidget(button);
    return row;
}
