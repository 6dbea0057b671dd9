// Command-line front of the meter simulator: a digital-quantity meter on a
// pseudo-terminal, for trying the digital channels without the instrument.
#include "MeterSimulator.h"
#include "SimulatorMain.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    CMeterSimulator simulator;
    CMeterSimulator::Faults faults;
    std::string link;
    const bool ok = ParseSimulatorOptions(argc, argv, [&](const std::string& arg, const char* value) {
        const bool on = std::atoi(value) != 0;
        if (arg == "--rate")
            simulator.SetRate(std::atof(value));
        else if (arg == "--channels")
            simulator.SetChannels(std::atoi(value));
        else if (arg == "--split")
            faults.split = on;
        else if (arg == "--noise")
            faults.noise = on;
        else if (arg == "--over-long")
            faults.overLong = on;
        else if (arg == "--mid-frame")
            faults.midFrame = on;
        else if (arg == "--link")
            link = value;
        else
            return false;
        return true;
    });
    if (!ok) {
        std::fprintf(stderr, "usage: qv_meter_sim [--rate HZ] [--channels N] [--split 0|1] [--noise 0|1]\n"
                             "                    [--over-long 0|1] [--mid-frame 0|1] [--link PATH]\n");
        return 2;
    }
    simulator.SetFaults(faults);
    return RunSimulatorUntilSignal("meter", simulator, link);
}
