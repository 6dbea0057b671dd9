// The generator's presence asked on a thread of its own: a generator that
// does not answer keeps the question waiting for seconds, never the window.
#pragma once

#include "platform/Message.h"

#include <thread>

class CStrainSignalControl;

class CGeneratorSearch {
public:
    CGeneratorSearch() = default;
    // Waits for a search still asking: the thread uses the generator.
    ~CGeneratorSearch();
    CGeneratorSearch(const CGeneratorSearch&) = delete;
    CGeneratorSearch& operator=(const CGeneratorSearch&) = delete;

    // Asks the generator; when it has answered or its wait is over, posts
    // the message to the window, wParam 1 when it was found, else 0. False
    // when a search is still in hand. The generator outlives the search.
    bool Start(CStrainSignalControl& generator, platform::HWND window, platform::UINT message);
    // From Start until Finish, on the thread that started it.
    bool IsSearching() const { return m_thread.joinable(); }
    // Takes back the search that posted its message (or waits for it).
    void Finish();

private:
    std::thread m_thread;
};
