// Work that would hold the user-interface thread too long (a case's answer,
// a long run read from disk) runs on a worker while its window waits.
#pragma once

#include <functional>

class QWidget;

// Runs work on a worker thread; the window stays disabled with a wait
// cursor and its events served until the work has ended.
void RunWhileWindowWaits(QWidget& window, const std::function<void()>& work);
