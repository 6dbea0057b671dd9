// Shows the program's message boxes as QMessageBox, with the buttons, icon
// and default button the Windows-style flags ask for.
#pragma once

#include "platform/MessageBox.h"

namespace platform {

class QtMessageBoxHandler : public MessageBoxHandler {
public:
    // Modal over the active window; returns IDOK, IDCANCEL, IDYES or IDNO.
    int Show(const std::string& text, const std::string& caption, UINT flags) override;
};

} // namespace platform
