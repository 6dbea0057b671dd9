// The whole program's frame in a benchmark: the shared tables cleared before
// a frame starts and after it has gone, and the frame closed and ended.
#pragma once

#include "acquisition/SamplingControl.h"
#include "app/MainFrame.h"
#include "app/QV7411N_NewFrameApp.h"
#include "model/CaseTables.h"
#include "model/ChannelRecords.h"
#include "model/RunFlags.h"

#include <memory>

namespace bench {

// The run flags, case tables and channel records as a fresh program has them.
inline void ResetProgramTables() {
    ResetRunFlags();
    ResetCaseTables();
    ClearChannelRecords();
}

// Closes the frame, ends the application and clears the tables it filled.
inline void CloseFrame(std::unique_ptr<CQV7411N_NewFrameApp>& app, CMainFrame*& frame) {
    if (frame != nullptr)
        frame->close();
    if (app)
        app->ExitInstance();
    app.reset();
    frame = nullptr;
    ResetCaseTables();
    ClearChannelRecords();
}

} // namespace bench
