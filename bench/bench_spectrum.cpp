// The spectrum library: the spectrum of one block (mean removal, transform,
// scaling, the L bins kept) against a plain execution of a ready FFTW plan
// of that size, and a hand-over of 4,096 channels of 1,024 points: the
// worker's time a block and the user-interface thread's copy.
#include "libs/spectrum/Lurrow.h"
#include "libs/spectrum/SpectrumMath.h"
#include "libs/spectrum/SpectrumWorker.h"

#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

std::vector<float> Samples(int n) {
    std::mt19937 random(11);
    std::uniform_real_distribution<float> values(-1000.0f, 1000.0f);
    std::vector<float> samples(static_cast<std::size_t>(n));
    for (float& v : samples)
        v = values(random);
    return samples;
}

void BM_LibrarySpectrum(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const int lines = lurrow::SpectralLineCount(n);
    const std::vector<float> samples = Samples(n);
    lurrow::Spectrum out(static_cast<std::size_t>(lines));
    for (auto _ : state) {
        lurrow::ComputeSpectrumLines(samples.data(), n, lines, out.data());
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_LibrarySpectrum)->RangeMultiplier(2)->Range(64, 32768);

// The reference: the same size's real-input plan, executed as it stands.
void BM_PlainFftwExecute(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    double* in = fftw_alloc_real(static_cast<std::size_t>(n));
    fftw_complex* out = fftw_alloc_complex(static_cast<std::size_t>(n / 2 + 1));
    fftw_plan plan = fftw_plan_dft_r2c_1d(n, in, out, FFTW_ESTIMATE);
    const std::vector<float> samples = Samples(n);
    for (int i = 0; i < n; ++i)
        in[i] = samples[static_cast<std::size_t>(i)];
    for (auto _ : state) {
        fftw_execute(plan);
        benchmark::DoNotOptimize(out);
    }
    fftw_destroy_plan(plan);
    fftw_free(out);
    fftw_free(in);
}
BENCHMARK(BM_PlainFftwExecute)->RangeMultiplier(2)->Range(64, 32768);

constexpr int kChannels = 4096;
constexpr int kBlock = 1024;

lurrow::TimeData FullBlock() {
    const std::vector<float> samples = Samples(kBlock);
    lurrow::TimeData data;
    for (int channel = 0; channel < kChannels; ++channel)
        data.emplace(channel, samples);
    return data;
}

// What the worker does with one hand-over of every channel.
void BM_WorkerBlockOf4096Channels(benchmark::State& state) {
    const lurrow::TimeData data = FullBlock();
    for (auto _ : state) {
        lurrow::SpectrumMap spectra = lurrow::ComputeSpectra(data, kBlock);
        benchmark::DoNotOptimize(spectra);
    }
}
BENCHMARK(BM_WorkerBlockOf4096Channels)->Unit(benchmark::kMillisecond);

// What the user-interface thread does: copy the block and queue it.
void BM_HandOverOf4096Channels(benchmark::State& state) {
    std::vector<int> units(256);
    for (int u = 0; u < 256; ++u)
        units[static_cast<std::size_t>(u)] = u;
    Lurrow graph;
    graph.SetCaseParam(256, units.data());
    graph.SetSampleParam(1000.0f, kBlock);
    std::vector<std::vector<float>> blocks(kChannels, Samples(kBlock));
    std::vector<float*> buffers;
    for (auto& block : blocks)
        buffers.push_back(block.data());
    for (auto _ : state) {
        graph.SetSampleDataBuffer(kBlock, buffers.data());
        state.PauseTiming();
        graph.FlushSpectra(60000); // the worker's share is measured above
        state.ResumeTiming();
    }
}
BENCHMARK(BM_HandOverOf4096Channels)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
