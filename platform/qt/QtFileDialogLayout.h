// Qt's file dialogs as the programs open them: wide enough for the name,
// size, type and whole date of every file.
#pragma once

namespace platform {

// Watches the application for file dialogs and lays out each one as it
// first shows. Called once, after the application object exists.
void InstallFileDialogLayout();

} // namespace platform
