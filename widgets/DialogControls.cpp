// Small builders shared by the settings dialogs.
#include "widgets/DialogControls.h"

#include <QPushButton>

QPushButton* NewDialogButton(const char* text, const char* name, QWidget* parent) {
    auto* button = new QPushButton(QString::fromUtf8(text), parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}
