// Command-line front of the generator simulator: a strain-signal generator
// on a pseudo-terminal, for trying the calibrator without the device.
#include "GeneratorSimulator.h"
#include "SimulatorMain.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    CGeneratorSimulator simulator;
    CGeneratorSimulator::Faults faults;
    std::string link, outputs;
    int state = 1, level = 80;
    const bool ok = ParseSimulatorOptions(argc, argv, [&](const std::string& arg, const char* value) {
        if (arg == "--id")
            simulator.SetId(std::atoi(value));
        else if (arg == "--battery")
            level = std::atoi(value);
        else if (arg == "--battery-state")
            state = std::atoi(value);
        else if (arg == "--delay")
            faults.replyDelayMs = std::atoi(value);
        else if (arg == "--split")
            faults.splitBytes = static_cast<std::size_t>(std::atoi(value));
        else if (arg == "--noise")
            faults.noise.assign(static_cast<std::size_t>(std::atoi(value)), 0x3C);
        else if (arg == "--bad-check")
            faults.badCheck = std::atoi(value) != 0;
        else if (arg == "--silent")
            faults.silent = std::atoi(value) != 0;
        else if (arg == "--outputs")
            outputs = value;
        else if (arg == "--link")
            link = value;
        else
            return false;
        return true;
    });
    if (!ok) {
        std::fprintf(stderr,
                     "usage: qv_generator_sim [--id N] [--battery N] [--battery-state N] [--delay MS]\n"
                     "                        [--split N] [--noise N] [--bad-check 0|1] [--silent 0|1]\n"
                     "                        [--outputs FILE] [--link PATH]\n");
        return 2;
    }
    simulator.SetBattery(state, level);
    simulator.SetFaults(faults);
    simulator.SetOutputsFile(outputs);
    simulator.SetOutputListener([](const CGeneratorSimulator::Output& o) {
        std::printf("output channel %d type %d mode %d value %d\n", o.channel, o.type, o.modeIndex, o.value);
        std::fflush(stdout);
    });
    return RunSimulatorUntilSignal("generator", simulator, link);
}
