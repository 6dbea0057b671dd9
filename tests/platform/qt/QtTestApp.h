// The QApplication of the Qt platform tests (made once for the program) and
// event processing until a condition holds.
#pragma once

#include <functional>

// Runs the Qt event loop until done() holds or the time is up; returns done().
bool ProcessEventsUntil(const std::function<bool()>& done, int milliseconds = 10000);
