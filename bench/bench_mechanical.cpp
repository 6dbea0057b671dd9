// Speed of the mechanical-property test's load: two channels over a run of
// 1,000,000 samples of 8 units, in one file (0) and in one file per unit (1),
// against a plain sequential read of the same files.
#include "datafiles/DataFileAccess.h"
#include "datafiles/MechanicalTest.h"
#include "datafiles/RunWriter.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

using namespace testrun;

namespace {

constexpr std::int64_t kSamples = 1000000;
constexpr int kXChannel = 2 * 16 + 3;
constexpr int kYChannel = 5 * 16 + 9;

// The run in both arrangements, written once.
struct Runs {
    Runs()
        : single(Folder(), "single", {0, 1, 2, 3, 4, 5, 6, 7}, kSamples, false),
          perCase(Folder(), "percase", {0, 1, 2, 3, 4, 5, 6, 7}, kSamples, true) {
        RunWriter(single).Write();
        RunWriter(perCase).Write();
    }
    ~Runs() {
        const std::string single = DataPath(0), perCase = DataPath(1);
        std::remove(single.c_str());
        std::remove((single.substr(0, single.size() - 4) + ".stu").c_str());
        for (int unit = 0; unit < 8; ++unit)
            for (int status : {0, 1})
                std::remove(MakeCaseDataFileName(perCase, unit, status).c_str());
    }
    static std::string Folder() {
        const char* folder = std::getenv("QV_BENCH_DIR");
        return folder ? folder : dir.Path();
    }
    const RunSpec& Spec(int arrangement) const { return arrangement == 0 ? single : perCase; }
    std::string DataPath(int arrangement) const { return RunWriter(Spec(arrangement)).DataPath(); }
    // The files the load reads: the run's file, or the two units' files.
    std::vector<std::string> Files(int arrangement) const {
        const std::string path = DataPath(arrangement);
        if (arrangement == 0)
            return {path};
        return {MakeCaseDataFileName(path, kXChannel / 16, 0), MakeCaseDataFileName(path, kYChannel / 16, 0)};
    }

    static inline TempDir dir;
    RunSpec single;
    RunSpec perCase;
};

Runs& TheRuns() {
    static Runs runs;
    return runs;
}

std::int64_t FileBytes(const std::vector<std::string>& files) {
    std::int64_t bytes = 0;
    for (const std::string& path : files) {
        const int fd = ::open(path.c_str(), O_RDONLY);
        bytes += ::lseek(fd, 0, SEEK_END);
        ::close(fd);
    }
    return bytes;
}

void BM_LoadTwoChannels(benchmark::State& state) {
    Runs& runs = TheRuns();
    const int arrangement = int(state.range(0));
    const OnlineLayout layout = RunWriter(runs.Spec(arrangement)).Layout();
    const HalfChannelTable table;
    const CDataFileAccess access(layout, table);
    const std::string path = runs.DataPath(arrangement);
    MechanicalSeries series;
    for (auto _ : state) {
        LoadMechanicalSeries(access, path, int(kSamples), kXChannel, kYChannel, series);
        benchmark::DoNotOptimize(series.x.data());
        benchmark::DoNotOptimize(series.y.data());
    }
    state.SetBytesProcessed(state.iterations() * FileBytes(runs.Files(arrangement)));
}

void BM_SequentialRead(benchmark::State& state) {
    Runs& runs = TheRuns();
    const std::vector<std::string> files = runs.Files(int(state.range(0)));
    std::vector<char> buffer(1 << 20);
    for (auto _ : state) {
        for (const std::string& path : files) {
            const int fd = ::open(path.c_str(), O_RDONLY);
            while (::read(fd, buffer.data(), buffer.size()) > 0)
                benchmark::DoNotOptimize(buffer.data());
            ::close(fd);
        }
    }
    state.SetBytesProcessed(state.iterations() * FileBytes(files));
}

} // namespace

BENCHMARK(BM_SequentialRead)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadTwoChannels)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
