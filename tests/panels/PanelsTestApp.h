// The one QApplication of the panel tests, and a window-message target that
// records what a bar sends to the main frame.
#pragma once

#include <QApplication>

#include <cstdint>
#include <vector>

#include "panels/bars/BarMessages.h"
#include "platform/Message.h"

inline void EnsurePanelsTestApp() {
    if (QApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "panels_tests";
        static char* argv[] = {name, nullptr};
        // Never destroyed: Qt's own statics may be gone by the time a static
        // application object would be.
        static QApplication* app = new QApplication(argc, argv);
        (void)app;
    }
    platform::SetUiThread();
}

class RecordingFrame : public platform::MessageTarget {
public:
    struct Received {
        platform::UINT message;
        platform::WPARAM wParam;
    };
    platform::LRESULT WindowProc(platform::UINT message, platform::WPARAM wParam, platform::LPARAM) override {
        received.push_back({message, wParam});
        if (message == WM_BAR_SEND_CHANNEL_PARAMS) {
            sentChannels = *reinterpret_cast<const std::vector<std::int32_t>*>(wParam);
        }
        return 0;
    }
    std::vector<platform::UINT> Messages() const {
        std::vector<platform::UINT> ids;
        for (const Received& r : received) {
            ids.push_back(r.message);
        }
        return ids;
    }
    std::vector<Received> received;
    std::vector<std::int32_t> sentChannels;
};
