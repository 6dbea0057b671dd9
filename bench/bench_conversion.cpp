// Converting one sample set of 4,096 channels (256 units of 16): the first
// stage at acquisition, directly and through the in-place copies, and the
// second stage to engineering values. Times are reported per channel, with
// the heap allocations counted per sample set. Beside them, the hardware
// correction that prepares those channels, over the shipped settings file.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <vector>

#include "acquisition/SetConversionPlan.h"
#include "bench/BenchChannels.h"
#include "model/CaseTables.h"
#include "model/ChannelDefaults.h"
#include "model/ValueConversion.h"

// The replaced operator new allocates with malloc, so free is its match.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

namespace {
std::atomic<long> g_allocations{0};
} // namespace

void* operator new(std::size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

constexpr int UNITS = MAX_CHANNEL_CASE_COUNT;

// All 256 units online, every type represented, every eighth strain channel
// compensated by the last channel of its neighbour unit.
void SetUpChannels() {
    SetUpMixedChannels();
    for (int id = 0; id < MAX_CHANNEL_COUNT; id += 8) {
        if (g_ChannelParams[id].nMeasureType == MEASURE_STRAIN) {
            g_ChannelState[id].nCompChannel = (id + 31) % MAX_CHANNEL_COUNT;
        }
    }
}

struct SampleSet {
    SampleSet() : blocks(UNITS), pointers(UNITS) {
        for (int u = 0; u < UNITS; ++u) {
            desc.nArrayIndex[u] = u;
            desc.nUnit[u] = u;
            pointers[u] = &blocks[u];
        }
        desc.nModuleCount = UNITS;
        desc.nSamples = 1;
    }
    void Fill() {
        for (int u = 0; u < UNITS; ++u) {
            blocks[u].nHeader = u;
            for (int c = 0; c < 16; ++c) {
                blocks[u].fValues[c] = float((u * 16 + c) % 997) + 100.0f;
            }
        }
    }
    std::vector<CaseSampleBlock> blocks;
    std::vector<CaseSampleBlock*> pointers;
    SampleBlockDescriptor desc;
};

void Report(benchmark::State& state, long allocationsBefore) {
    state.counters["per_channel"] =
        benchmark::Counter(double(MAX_CHANNEL_COUNT),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["allocs_per_set"] = benchmark::Counter(double(g_allocations.load() - allocationsBefore),
                                                          benchmark::Counter::kAvgIterations);
    state.SetItemsProcessed(state.iterations() * MAX_CHANNEL_COUNT);
}

void BM_FirstStage(benchmark::State& state) {
    SetUpChannels();
    SampleSet set;
    const long before = g_allocations.load();
    for (auto _ : state) {
        set.Fill();
        ConvertSampleBlock(set.desc, set.pointers.data());
        benchmark::DoNotOptimize(set.blocks.data());
    }
    Report(state, before);
}
BENCHMARK(BM_FirstStage);

void BM_FirstStageThroughCopies(benchmark::State& state) {
    SetUpChannels();
    SampleSet set;
    set.Fill();
    ConvertSampleBlockInPlace(set.desc, set.pointers.data()); // sizes this thread's scratch once
    const long before = g_allocations.load();
    for (auto _ : state) {
        set.Fill();
        ConvertSampleBlockInPlace(set.desc, set.pointers.data());
        benchmark::DoNotOptimize(set.blocks.data());
    }
    Report(state, before);
}
BENCHMARK(BM_FirstStageThroughCopies);

void BM_SecondStage(benchmark::State& state) {
    SetUpChannels();
    SampleSet set;
    set.Fill();
    ConvertSampleBlock(set.desc, set.pointers.data());
    const long before = g_allocations.load();
    for (auto _ : state) {
        double sum = 0.0;
        for (int id = 0; id < MAX_CHANNEL_COUNT; ++id) {
            sum += ConvertBlockChannelValue(id, set.blocks[id / 16]);
        }
        benchmark::DoNotOptimize(sum);
    }
    Report(state, before);
}
BENCHMARK(BM_SecondStage);

// The second stage as live processing runs it: a plan built once for a
// batch over every channel in the frame, all of them voltage channels (the
// scaled and corrected reading), one set converted a call.
void BM_SecondStagePlanned(benchmark::State& state) {
    SetUpChannels();
    for (int id = 0; id < MAX_CHANNEL_COUNT; ++id) {
        g_ChannelParams[id].nMeasureType = MEASURE_VOLTAGE;
        ApplyMeasureTypeDefaults(MEASURE_VOLTAGE, id);
        UpdateChannelScale(id);
        g_ChannelList[id] = id;
    }
    g_nChannelCount = MAX_CHANNEL_COUNT;
    SampleSet set;
    set.Fill();
    CSetConversionPlan plan;
    plan.Build();
    std::vector<float> buffer(MAX_CHANNEL_COUNT), values(MAX_CHANNEL_COUNT);
    const long before = g_allocations.load();
    for (auto _ : state) {
        plan.Convert(set.blocks.data(), buffer.data(), values.data());
        benchmark::DoNotOptimize(values.data());
    }
    Report(state, before);
}
BENCHMARK(BM_SecondStagePlanned);

// The correction reads the description file some ten times a channel; the
// profile cache makes that one parse for all 4,096 channels.
void BM_HardwareCorrection(benchmark::State& state) {
    SetUpChannels();
    const std::string path =
        (std::filesystem::path(__FILE__).parent_path() / "../data/QV7416.INI").lexically_normal().string();
    CHardwareParamCorrect correct(g_ChannelParams, g_ChannelState, path, 3);
    for (auto _ : state) {
        correct.CorrectAllChannels();
    }
    state.counters["per_channel"] =
        benchmark::Counter(double(MAX_CHANNEL_COUNT),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_HardwareCorrection)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
