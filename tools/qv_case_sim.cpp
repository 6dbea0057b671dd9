// Command-line front of the case simulator: one simulated acquisition case
// that connects to a running program, for trying the program without an
// instrument.
#include "CaseSimulator.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace {

volatile std::sig_atomic_t g_stop = 0;

void Usage() {
    std::fprintf(stderr, "usage: qv_case_sim [--server IP] [--port N] [--local IP] [--case N] [--modules N]\n"
                         "                   [--version N] [--rate HZ] [--silent-after S] [--drop-after S]\n"
                         "                   [--sine-period SAMPLES] [--sine-amplitude COUNTS]\n"
                         "                   [--follow FILE] [--follow-slot N] [--gains G0,G1,...]\n"
                         "                   [--counts-per-unit X] [--follow-offset COUNTS]\n");
}

// Comma-separated gains of channels 0, 1, ...; the rest keep gain 1.
void ParseGains(const char* text, std::array<double, 16>& gains) {
    for (std::size_t ch = 0; ch < gains.size() && *text != '\0'; ++ch) {
        char* end = nullptr;
        gains[ch] = std::strtod(text, &end);
        if (end == text)
            break;
        text = *end == ',' ? end + 1 : end;
    }
}

} // namespace

int main(int argc, char** argv) {
    CaseSimulatorOptions options;
    // A case streams at the rate the program commands; --rate fixes one.
    options.followCommandedRate = true;
    double silentAfter = -1, dropAfter = -1;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc) {
            Usage();
            return 2;
        }
        const char* value = argv[++i];
        if (arg == "--server")
            options.serverIp = value;
        else if (arg == "--port")
            options.port = static_cast<std::uint16_t>(std::atoi(value));
        else if (arg == "--local")
            options.localIp = value;
        else if (arg == "--case")
            options.caseNo = std::atoi(value);
        else if (arg == "--modules")
            options.modules = std::atoi(value);
        else if (arg == "--version")
            options.version = std::atoi(value);
        else if (arg == "--rate") {
            options.rate = std::atof(value);
            options.followCommandedRate = false;
        } else if (arg == "--sine-period")
            options.sine.period = std::max(std::atoi(value), 0);
        else if (arg == "--sine-amplitude")
            options.sine.amplitude = std::clamp(std::atoi(value), 0, 0x7FFFFF);
        else if (arg == "--follow")
            options.follow.outputsFile = value;
        else if (arg == "--follow-slot")
            options.follow.slot = std::atoi(value);
        else if (arg == "--gains")
            ParseGains(value, options.follow.gains);
        else if (arg == "--counts-per-unit")
            options.follow.countsPerUnit = std::atof(value);
        else if (arg == "--follow-offset")
            options.follow.offset = std::clamp(std::atoi(value), -0x7FFFFF, 0x7FFFFF);
        else if (arg == "--silent-after")
            silentAfter = std::atof(value);
        else if (arg == "--drop-after")
            dropAfter = std::atof(value);
        else {
            Usage();
            return 2;
        }
    }
    std::signal(SIGINT, [](int) { g_stop = 1; });
    std::signal(SIGTERM, [](int) { g_stop = 1; });

    CCaseSimulator simulator(options);
    simulator.Start();
    std::printf("case %d (%d modules) from %s to %s:%u\n", options.caseNo, options.modules,
                options.localIp.c_str(), options.serverIp.c_str(), options.port);
    const auto begin = std::chrono::steady_clock::now();
    bool silenced = false, dropped = false;
    while (!g_stop) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        if (silentAfter >= 0 && !silenced && seconds >= silentAfter) {
            simulator.InjectFault(CCaseSimulator::Fault::Silent);
            silenced = true;
        }
        if (dropAfter >= 0 && !dropped && seconds >= dropAfter) {
            simulator.InjectFault(CCaseSimulator::Fault::Drop);
            dropped = true;
        }
    }
    simulator.Stop();
    std::printf("sent %lld samples\n", static_cast<long long>(simulator.GetSamplesSent()));
    return 0;
}
