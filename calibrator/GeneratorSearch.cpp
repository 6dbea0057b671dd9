// One presence question a thread; the answer goes back as a window message.
#include "calibrator/GeneratorSearch.h"

#include "libs/serial/StrainSignalControl.h"

CGeneratorSearch::~CGeneratorSearch() {
    Finish();
}

bool CGeneratorSearch::Start(CStrainSignalControl& generator, platform::HWND window, platform::UINT message) {
    if (IsSearching())
        return false;
    m_thread = std::thread([&generator, window, message] {
        int id = 0;
        const bool found = generator.FindMachine(id) == 1;
        platform::PostMessage(window, message, found ? 1 : 0);
    });
    return true;
}

void CGeneratorSearch::Finish() {
    if (m_thread.joinable())
        m_thread.join();
}
