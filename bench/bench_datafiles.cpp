// Speed of the data files: one channel read over a 1 GiB run against a plain
// sequential read of the same file, and a virtual channel over one million
// samples against the same expression written in C++.
#include "datafiles/DataFileAccess.h"
#include "datafiles/FormulaProgram.h"
#include "datafiles/RunWriter.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

using namespace testrun;

namespace {

// A run of 8 units (544-byte frames) just over 1 GiB, written once.
struct BigRun {
    BigRun() : spec(Folder(), "big", {0, 1, 2, 3, 4, 5, 6, 7}, (std::int64_t(1) << 30) / 544 + 1) {
        RunWriter run(spec);
        run.Write();
        layout = run.Layout();
        path = run.DataPath();
    }
    ~BigRun() {
        std::remove(path.c_str());
        std::remove((spec.folder + "/big.stu").c_str());
    }
    static std::string Folder() {
        const char* folder = std::getenv("QV_BENCH_DIR");
        return folder ? folder : dir.Path();
    }
    std::int64_t Bytes() const { return spec.samples * 544; }

    static inline TempDir dir;
    RunSpec spec;
    OnlineLayout layout;
    std::string path;
};

BigRun& Run() {
    static BigRun run;
    return run;
}

void BM_ReadOneChannelOfRun(benchmark::State& state) {
    BigRun& run = Run();
    HalfChannelTable table;
    CDataFileAccess access(run.layout, table);
    std::vector<float> out(std::size_t(run.spec.samples));
    for (auto _ : state) {
        access.ReadChannelRange(run.path, 3 * 16 + 5, 0, int(run.spec.samples) - 1, out.data());
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(state.iterations() * run.Bytes());
}

void BM_SequentialReadOfRun(benchmark::State& state) {
    BigRun& run = Run();
    std::vector<char> buffer(1 << 20);
    for (auto _ : state) {
        const int fd = ::open(run.path.c_str(), O_RDONLY);
        while (::read(fd, buffer.data(), buffer.size()) > 0)
            benchmark::DoNotOptimize(buffer.data());
        ::close(fd);
    }
    state.SetBytesProcessed(state.iterations() * run.Bytes());
}

constexpr int kSamples = 1000000;

struct Columns {
    Columns() : a(kSamples), b(kSamples), out(kSamples) {
        for (int k = 0; k < kSamples; ++k) {
            a[k] = float(k % 977) * 0.25f - 50.0f;
            b[k] = float(k % 613) * 0.5f + 1.0f;
        }
    }
    std::vector<float> a, b, out;
};

void BM_VirtualChannelFormula(benchmark::State& state) {
    Columns c;
    const OnlineLayout layout = OnlineLayout::FromUnits({0}, false);
    FormulaProgram program;
    program.Compile("sqrt(ch1^(2)+ch2^(2))", layout);
    const float* columns[] = {c.a.data(), c.b.data()};
    for (auto _ : state) {
        program.Evaluate(columns, kSamples, c.out.data());
        benchmark::DoNotOptimize(c.out.data());
    }
    state.SetItemsProcessed(state.iterations() * kSamples);
}

// The same formula on live samples, one call a sample as the run's live
// processing makes it: against the chunked evaluation above per sample.
void BM_VirtualChannelLive(benchmark::State& state) {
    Columns c;
    const OnlineLayout layout = OnlineLayout::FromUnits({0}, false);
    FormulaProgram program;
    program.Compile("sqrt(ch1^(2)+ch2^(2))", layout);
    std::vector<float> current(4096, 0.0f);
    const int first = program.Channels().at(0), second = program.Channels().at(1);
    for (auto _ : state) {
        for (int k = 0; k < kSamples; ++k) {
            current[std::size_t(first)] = c.a[std::size_t(k)];
            current[std::size_t(second)] = c.b[std::size_t(k)];
            c.out[std::size_t(k)] = program.EvaluateLive(current.data());
        }
        benchmark::DoNotOptimize(c.out.data());
    }
    state.SetItemsProcessed(state.iterations() * kSamples);
}

// The same expression in C++, with the same marker and finiteness rules.
void BM_VirtualChannelInCpp(benchmark::State& state) {
    Columns c;
    for (auto _ : state) {
        for (int k = 0; k < kSamples; ++k) {
            const double r = std::sqrt(double(c.a[k]) * c.a[k] + double(c.b[k]) * c.b[k]);
            c.out[k] = IsSpecialValue(c.a[k]) || IsSpecialValue(c.b[k]) ? kNoValue
                       : std::isfinite(r)                               ? float(r)
                                                                        : 0.0f;
        }
        benchmark::DoNotOptimize(c.out.data());
    }
    state.SetItemsProcessed(state.iterations() * kSamples);
}

} // namespace

BENCHMARK(BM_SequentialReadOfRun)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadOneChannelOfRun)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_VirtualChannelFormula)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VirtualChannelLive)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VirtualChannelInCpp)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
