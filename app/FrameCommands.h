// The menu and tool-bar texts of the main frame's commands, by command id,
// and the commands one shared update handler keeps disabled.
#pragma once

#include <QString>

#include <vector>

struct FrameCommandText {
    int id;
    const char* text;
};

// The menu text of a command ("" when it has none).
QString FrameCommandMenuText(int id);
// Commands greyed in every menu, tool bar and accelerator.
const std::vector<int>& AlwaysDisabledCommands();
bool IsAlwaysDisabledCommand(int id);
