// Speed of the curve view's work on stored data: zeroing every channel of a
// run of 64 units over 10,000 samples against one plain read and write of
// its files, and the peak list of one million points against the peak
// search alone.
#include "datafiles/RunWriter.h"
#include "datafiles/StoredRunEdit.h"
#include "views/curve/CurvePeaks.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <random>

using namespace testrun;

namespace {

constexpr int kSamples = 10000;

std::vector<int> Units() {
    std::vector<int> units;
    for (int unit = 0; unit < 64; ++unit)
        units.push_back(unit);
    return units;
}

struct EditRun {
    explicit EditRun(bool perCase) : spec(dir.Path(), perCase ? "cases" : "one", Units(), kSamples, perCase) {
        RunWriter run(spec);
        run.Write();
        layout = run.Layout();
        path = run.DataPath();
    }
    std::vector<std::string> Files() const {
        if (!spec.perCase)
            return {path};
        std::vector<std::string> files;
        for (int unit : spec.units)
            files.push_back(MakeCaseDataFileName(path, unit, 0));
        return files;
    }
    TempDir dir;
    RunSpec spec;
    OnlineLayout layout;
    std::string path;
};

void BM_ZeroAllChannels(benchmark::State& state) {
    EditRun run(state.range(0) != 0);
    HalfChannelTable table;
    const CStoredRunEdit edit(run.layout, table, run.path);
    const std::vector<int> channels = edit.AllChannels();
    for (auto _ : state)
        benchmark::DoNotOptimize(edit.ZeroRange(channels, 0, kSamples - 1));
}
BENCHMARK(BM_ZeroAllChannels)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// One read of each file and one write of it to a copy beside it.
void BM_PlainReadWrite(benchmark::State& state) {
    EditRun run(state.range(0) != 0);
    for (auto _ : state) {
        for (const std::string& file : run.Files()) {
            const std::vector<char> bytes = ReadBytes(file);
            std::FILE* copy = std::fopen((file + ".copy").c_str(), "wb");
            std::fwrite(bytes.data(), 1, bytes.size(), copy);
            std::fclose(copy);
        }
    }
}
BENCHMARK(BM_PlainReadWrite)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

struct Series {
    Series() : times(kPoints), values(kPoints) {
        std::mt19937 random(3);
        for (int i = 0; i < kPoints; ++i) {
            times[std::size_t(i)] = i * 0.001;
            values[std::size_t(i)] = float(std::sin(i * 0.01) * 100.0 + double(random() % 1000) * 0.01);
        }
    }
    static constexpr int kPoints = 1000000;
    std::vector<double> times;
    std::vector<float> values;
};

void BM_PeakList(benchmark::State& state) {
    static const Series series;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            BuildPeakList(20, Series::kPoints, series.times.data(), series.values.data()));
}
BENCHMARK(BM_PeakList)->Unit(benchmark::kMillisecond);

void BM_PeakSearch(benchmark::State& state) {
    static const Series series;
    for (auto _ : state)
        benchmark::DoNotOptimize(FindPeaks(Series::kPoints, series.times.data(), series.values.data(), 20));
}
BENCHMARK(BM_PeakSearch)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
