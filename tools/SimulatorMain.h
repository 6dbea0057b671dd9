// What the pseudo-terminal simulators' command lines share: option pairs,
// the announcement of the port, an optional link to it, and running until
// Ctrl-C or SIGTERM.
#pragma once

#include "tools/PtySimulator.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <unistd.h>

// Hands each "--name value" pair to the option handler; false on a lone
// option or one the handler does not know.
inline bool ParseSimulatorOptions(int argc, char** argv,
                                  const std::function<bool(const std::string&, const char*)>& option) {
    for (int i = 1; i < argc; i += 2)
        if (i + 1 >= argc || !option(argv[i], argv[i + 1]))
            return false;
    return true;
}

inline volatile std::sig_atomic_t g_simulatorStop = 0;

// Starts the simulator, prints its port (and points the link at it when
// given), then waits for a signal; the link is removed at the end.
inline int RunSimulatorUntilSignal(const char* what, CPtySimulator& simulator, const std::string& link) {
    if (!simulator.Start()) {
        std::fprintf(stderr, "%s: no pseudo-terminal\n", what);
        return 1;
    }
    const std::string slavePath = simulator.SlavePath();
    std::signal(SIGINT, [](int) { g_simulatorStop = 1; });
    std::signal(SIGTERM, [](int) { g_simulatorStop = 1; });
    if (!link.empty()) {
        ::unlink(link.c_str());
        if (::symlink(slavePath.c_str(), link.c_str()) != 0)
            std::fprintf(stderr, "cannot link %s\n", link.c_str());
    }
    std::printf("%s on %s%s%s\n", what, slavePath.c_str(), link.empty() ? "" : " as ", link.c_str());
    std::fflush(stdout);
    while (!g_simulatorStop)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (!link.empty())
        ::unlink(link.c_str());
    return 0;
}
