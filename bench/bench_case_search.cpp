// Wall time of a case search with 4 and with 32 simulated cases of 8
// modules over loopback: the transport's search, the channel-information
// read of every case into the channel information file, and the channel
// coefficients the search command computes from it. The protocol's waits
// run on every case's own thread, so 32 cases take about as long as 4.
#include "SimulatedCases.h"

#include "acquisition/CaseProgramHost.h"
#include "acquisition/ChanInfoWrapper.h"
#include "acquisition/NetComm.h"
#include "model/CaseTables.h"
#include "model/ValueConversion.h"
#include "platform/Message.h"
#include "platform/Profile.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <memory>

namespace {

constexpr int kModules = 8;

struct SearchHost : CaseProgramHost {
    std::string folder;
    std::string GetProgramFolder() override { return folder; }
    void WriteLogFile(const std::string&, const std::string&) override {}
};

struct Owner : platform::MessageTarget {
    platform::LRESULT WindowProc(platform::UINT, platform::WPARAM, platform::LPARAM) override { return 0; }
};

void BM_CaseSearch(benchmark::State& state) {
    const int cases = static_cast<int>(state.range(0));
    platform::SetUiThread();
    SearchHost host;
    host.folder =
        std::filesystem::temp_directory_path().string() + "/bench_case_search_" + std::to_string(getpid());
    bench::WriteCaseMap(host.folder, cases);
    g_ChanInfo.SetParamFileName(host.folder + "/ChanInfo.ini");
    Owner owner;
    auto comm = std::make_unique<CNetComm>(&host, 0);
    comm->CreateProtocol(3, &host);
    bench::SimulatedCases simulators;
    if (!comm->SetOwner(owner.GetSafeHwnd()) ||
        !simulators.Start(cases, kModules, 100.0, comm->GetDriver().GetListenPort())) {
        state.SkipWithError("the simulated cases could not be started");
        return;
    }
    platform::PumpMessagesFor(10000, [&] { return comm->GetDriver().GetLinkCount() == cases; });
    if (comm->GetDriver().GetLinkCount() != cases) {
        state.SkipWithError("not every simulated case linked");
        return;
    }
    double find = 0, read = 0, coefs = 0;
    for (auto _ : state) {
        const double begin = bench::WallSeconds();
        if (comm->FindCases() != cases * kModules) {
            state.SkipWithError("the search did not find every module");
            break;
        }
        const double found = bench::WallSeconds();
        comm->ReadChannelInfo();
        const double informed = bench::WallSeconds();
        for (int slot = 0; slot < g_nCaseCount; ++slot)
            for (int channel = 0; channel < CHANNELS_PER_MODULE; ++channel)
                comm->GetProtocol()->ComputeChannelCoefs(g_CaseList[slot] * CHANNELS_PER_MODULE + channel);
        find += found - begin;
        read += informed - found;
        coefs += bench::WallSeconds() - informed;
    }
    // Seconds of each step of one search: the search for the modules, the
    // channel-information read and the coefficients.
    const double n = std::max<double>(1, double(state.iterations()));
    state.counters["find_s"] = find / n;
    state.counters["read_s"] = read / n;
    state.counters["coefs_s"] = coefs / n;
    simulators.Stop();
    comm.reset();
    std::filesystem::remove_all(host.folder);
    state.counters["cases"] = cases;
}
BENCHMARK(BM_CaseSearch)
    ->Arg(4)
    ->Arg(32)
    ->Arg(12)
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

BENCHMARK_MAIN();
