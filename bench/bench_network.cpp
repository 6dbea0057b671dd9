// Sample sets assembled per second, and the program's CPU time for them,
// with 32 simulated cases of 8 modules (4,096 channels) streaming over
// loopback. The simulated cases run as separate processes, so the CPU time
// measured here is the program's alone.
#include "acquisition/NetComm.h"

#include "platform/Message.h"
#include "platform/Time.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr int kCases = 32;
constexpr int kModules = 8;
constexpr double kRate = 5000.0; // samples a second a case

struct BenchHost : CaseLinkHost {
    std::string folder;
    std::string GetProgramFolder() override { return folder; }
};

// Stands in for the main frame: takes each delivery and counts its sets.
struct CountingOwner : platform::MessageTarget {
    std::atomic<long long> sets{0};
    platform::LRESULT WindowProc(platform::UINT message, platform::WPARAM wParam, platform::LPARAM) override {
        if (message >= 0x867 && message <= 0x86B)
            sets += static_cast<long long>(wParam);
        return 0;
    }
};

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

std::string ProgramFolder() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path().string();
}

class NetworkRun {
public:
    bool Start() {
        platform::SetUiThread();
        host.folder = std::filesystem::temp_directory_path().string() + "/bench_network";
        std::filesystem::create_directories(host.folder);
        std::ofstream map(host.folder + "/MapCfg.ini");
        for (int i = 0; i < kCases; ++i)
            map << "[127.0.0." << i + 2 << "]\r\nMapID=" << i << "\r\n";
        map.close();

        comm = std::make_unique<CNetComm>(&host, 0);
        comm->CreateProtocol(3);
        if (!comm->SetOwner(owner.GetSafeHwnd()))
            return false;
        const std::string simulator = ProgramFolder() + "/qv_case_sim";
        const std::string port = std::to_string(comm->GetDriver().GetListenPort());
        for (int i = 0; i < kCases; ++i) {
            const std::string local = "127.0.0." + std::to_string(i + 2), caseNo = std::to_string(i),
                              modules = std::to_string(kModules), rate = std::to_string(kRate);
            std::vector<std::string> args{simulator, "--port",    port,    "--local", local, "--case",
                                          caseNo,    "--modules", modules, "--rate",  rate};
            std::vector<char*> argv;
            for (auto& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            pid_t pid = 0;
            posix_spawn_file_actions_t actions;
            posix_spawn_file_actions_init(&actions);
            posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
            const int spawned = posix_spawn(&pid, simulator.c_str(), &actions, nullptr, argv.data(), environ);
            posix_spawn_file_actions_destroy(&actions);
            if (spawned != 0)
                return false;
            children.push_back(pid);
        }
        platform::PumpMessagesFor(10000, [&] { return comm->GetDriver().GetLinkCount() == kCases; });
        if (comm->GetDriver().GetLinkCount() != kCases || comm->FindCases() != kCases * kModules)
            return false;
        std::int32_t params[20] = {};
        const float rate = static_cast<float>(kRate);
        std::memcpy(&params[12], &rate, sizeof rate);
        comm->SetSampleMode(2);
        comm->SetSampleParams(params);
        comm->GetDriver().StartProcessingThread();
        comm->StartSampling();
        platform::PumpMessagesFor(1000); // settle
        return true;
    }
    void Stop() {
        if (comm) {
            comm->StopSampling();
            comm->GetDriver().StopProcessingThread();
        }
        for (pid_t pid : children) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
        comm.reset();
    }

    BenchHost host;
    CountingOwner owner;
    std::unique_ptr<CNetComm> comm;
    std::vector<pid_t> children;
};

void BM_NetworkSampleSets(benchmark::State& state) {
    NetworkRun run;
    if (!run.Start()) {
        run.Stop();
        state.SkipWithError("the simulated cases could not be linked and started");
        return;
    }
    long long sets = 0;
    double cpu = 0, wall = 0;
    for (auto _ : state) {
        const long long setsBefore = run.owner.sets.load();
        const double cpuBefore = CpuSeconds();
        const auto begin = std::chrono::steady_clock::now();
        platform::PumpMessagesFor(2000);
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        cpu += CpuSeconds() - cpuBefore;
        sets += run.owner.sets.load() - setsBefore;
    }
    run.Stop();
    state.counters["sets_per_second"] = sets / wall;
    state.counters["channels_per_set"] = kCases * kModules * 16;
    state.counters["cpu_cores"] = cpu / wall;
}
BENCHMARK(BM_NetworkSampleSets)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
