// Stands in for one Ethernet module of a case on the set-up protocol's
// multicast group, until Ctrl-C or SIGTERM.
#include "NetworkModuleSimulator.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace {

volatile std::sig_atomic_t g_stop = 0;

void OnSignal(int) {
    g_stop = 1;
}

} // namespace

int main(int argc, char** argv) {
    NetworkModuleSimOptions options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string key = argv[i];
        const char* value = argv[i + 1];
        if (key == "--local") {
            options.localIp = value;
        } else if (key == "--address") {
            unsigned b[6];
            if (std::sscanf(value, "%x:%x:%x:%x:%x:%x", &b[0], &b[1], &b[2], &b[3], &b[4], &b[5]) == 6)
                for (int k = 0; k < 6; ++k)
                    options.address[k] = static_cast<std::uint8_t>(b[k]);
        } else {
            std::fprintf(stderr, "usage: %s [--local IP] [--address xx:xx:xx:xx:xx:xx]\n", argv[0]);
            return 2;
        }
    }
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    CNetworkModuleSimulator module(options);
    if (!module.Start()) {
        std::fprintf(stderr, "cannot join the group from %s\n", options.localIp.c_str());
        return 1;
    }
    while (!g_stop)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    module.Stop();
    return 0;
}
