// The main program's run on an existing QApplication: installs the Qt
// delivery of window messages and, unless one is installed, the Qt message
// boxes; then start-up and the event loop. Returns the exit code: non-zero
// when start-up stops.
#pragma once

#include <string>

int RunMainProgram(const std::string& programFolder);

