// Small builders shared by the settings dialogs.
#pragma once

class QPushButton;
class QWidget;

// A push button with its caption (UTF-8) and object name that does not
// become the default button when it takes the focus.
QPushButton* NewDialogButton(const char* text, const char* name, QWidget* parent);
