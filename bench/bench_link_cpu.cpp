// CPU the network link path costs for every second of a run: 32 simulated
// cases of 8 modules (4,096 channels) over loopback at 100 and at 5,000
// sample sets a second, each case's samples written to its per-case files
// (second argument 1) or not (0), the driver's processing thread delivering
// the sets to a receiver that only counts them. The simulated cases run as processes of their own, so the CPU
// measured here is the program's alone: its case links' receive loops and
// workers, the processing thread and the message pump that takes the sets.
//
// The channels are voltage channels with a zero and a scale, as a balanced
// run's are (all-zero tables would make every channel a strain channel
// compensated by channel 0).
//
// "cpu_cores" is CPU seconds a second of the run, "sets_per_second" the sets
// delivered, "switches_per_second" the context switches of all the program's
// threads (each a wake-up of a waiting thread or a thread put off the core),
// "skipped_sets" the sets a full case queue kept from live processing while
// measured ("skipped_before": from the start of the run to the measuring).
#include "SimulatedCases.h"

#include "acquisition/CaseProgramHost.h"
#include "acquisition/ChanInfoWrapper.h"
#include "acquisition/NetComm.h"
#include "model/ChannelDefaults.h"
#include "model/ChannelRecords.h"
#include "platform/Message.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

namespace {

constexpr int kCases = 32;
constexpr int kModules = 8;
constexpr int kMeasureMs = 3000;

struct LinkHost : CaseProgramHost {
    std::string folder;
    std::string GetProgramFolder() override { return folder; }
    void WriteLogFile(const std::string&, const std::string&) override {}
};

// Stands in for the main frame: takes each delivery and counts its sets.
struct SetCounter : platform::MessageTarget {
    std::atomic<long long> sets{0};
    platform::LRESULT WindowProc(platform::UINT message, platform::WPARAM wParam, platform::LPARAM) override {
        if (message >= 0x867 && message <= 0x86B)
            sets += static_cast<long long>(wParam);
        return 0;
    }
};

void SetUpVoltageChannels() {
    ResetChannelRecords();
    for (int id = 0; id < MAX_CHANNEL_COUNT; ++id) {
        g_ChannelParams[id].nMeasureType = MEASURE_VOLTAGE;
        g_ChannelParams[id].nZero = 100;
        g_ChannelState[id].fScale = 0.5f;
    }
}

// CPU seconds and context switches of the whole process.
struct Usage {
    double cpu = 0;
    long switches = 0;
    static Usage Now() {
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        return {usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
                    (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6,
                usage.ru_nvcsw + usage.ru_nivcsw};
    }
};

void BM_LinkPathCpu(benchmark::State& state) {
    const double rate = static_cast<double>(state.range(0));
    platform::SetUiThread();
    LinkHost host;
    host.folder =
        std::filesystem::temp_directory_path().string() + "/bench_link_cpu_" + std::to_string(getpid());
    bench::WriteCaseMap(host.folder, kCases);
    std::filesystem::create_directories(host.folder + "/data");
    g_ChanInfo.SetParamFileName(host.folder + "/ChanInfo.ini");
    SetCounter owner;
    auto comm = std::make_unique<CNetComm>(&host, 0);
    comm->CreateProtocol(3, &host);
    bench::SimulatedCases simulators;
    const auto finish = [&] {
        simulators.Stop();
        comm.reset();
        std::filesystem::remove_all(host.folder);
    };
    if (!comm->SetOwner(owner.GetSafeHwnd()) ||
        !simulators.Start(kCases, kModules, rate, comm->GetDriver().GetListenPort())) {
        state.SkipWithError("the simulated cases could not be started");
        finish();
        return;
    }
    platform::PumpMessagesFor(10000, [&] { return comm->GetDriver().GetLinkCount() == kCases; });
    if (comm->GetDriver().GetLinkCount() != kCases || comm->FindCases() != kCases * kModules) {
        state.SkipWithError("the simulated cases could not be linked");
        finish();
        return;
    }
    SetUpVoltageChannels();
    std::int32_t params[20] = {};
    const float frequency = static_cast<float>(rate);
    std::memcpy(&params[12], &frequency, sizeof frequency);
    comm->SetSampleMode(2);
    comm->SetSampleParams(params);
    comm->SetCaseDataFile(host.folder + "/data", "Run");
    comm->SetCaseOption(state.range(1) != 0 ? 1 : 0, 0);
    comm->GetDriver().StartProcessingThread();
    comm->StartSampling();
    platform::PumpMessagesFor(1500); // settle
    const auto skippedBefore = comm->GetSkippedSets();
    double wall = 0, cpu = 0;
    long long sets = 0;
    long switches = 0;
    for (auto _ : state) {
        const long long setsBefore = owner.sets.load();
        const Usage before = Usage::Now();
        const double wallBefore = bench::WallSeconds();
        platform::PumpMessagesFor(kMeasureMs);
        wall += bench::WallSeconds() - wallBefore;
        const Usage after = Usage::Now();
        cpu += after.cpu - before.cpu;
        switches += after.switches - before.switches;
        sets += owner.sets.load() - setsBefore;
    }
    const auto skippedAfter = comm->GetSkippedSets();
    comm->StopSampling();
    comm->GetDriver().StopProcessingThread();
    finish();
    state.counters["skipped_sets"] = static_cast<double>(skippedAfter - skippedBefore);
    state.counters["skipped_before"] = static_cast<double>(skippedBefore);
    if (wall > 0) {
        state.counters["cpu_cores"] = cpu / wall;
        state.counters["sets_per_second"] = static_cast<double>(sets) / wall;
        state.counters["switches_per_second"] = static_cast<double>(switches) / wall;
    }
}
BENCHMARK(BM_LinkPathCpu)
    ->Args({100, 1})
    ->Args({5000, 1})
    ->Args({100, 0})
    ->Args({5000, 0})
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

BENCHMARK_MAIN();
