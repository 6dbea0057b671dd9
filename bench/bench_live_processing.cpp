// Live processing of a continuous run's sample sets of 4,096 channels (256
// units of 16) as the program takes them at 5 kHz: a batch of the network
// driver's cycle (50 sets), converted through the batch's plan into the
// frame's value buffer, counted as stored (the case links write the files),
// and the alarm check with every channel watched: none in alarm (arg 0) or
// one in eight (arg 1; each set in alarm adds a line of every watched
// channel to the alarm log); the second arg 1 with a view that draws every
// set open (each set copied for the windows and announced), 0 with none
// (a batch's last set only). "per_set" is the time a sample set.
#include <benchmark/benchmark.h>

#include "acquisition/SamplingControl.h"
#include "acquisition/SamplingMessages.h"
#include "bench/BenchChannels.h"
#include "model/CaseTables.h"
#include "model/ChannelDefaults.h"
#include "model/RunFlags.h"
#include "model/ValueConversion.h"
#include "tests/FakeHosts.h"
#include "tests/ScratchFolder.h"

#include <vector>

namespace {

struct BenchHost : FakeSamplingHost {
    CProjectState project;
    bool everySetDrawn = false;
    bool ViewsDrawEverySet() override { return everySetDrawn; }
    CCommBase* GetComm() override { return nullptr; }
    CProjectState& GetProject() override { return project; }
};

struct BenchFrame : platform::MessageTarget {
    CSamplingControl* control = nullptr;
    platform::LRESULT WindowProc(platform::UINT message, platform::WPARAM wParam,
                                 platform::LPARAM lParam) override {
        platform::LRESULT result = 0;
        control->HandleMessage(message, wParam, lParam, result);
        return result;
    }
};

void SetUpChannels(bool alarming) {
    SetUpMixedChannels();
    for (int id = 0; id < MAX_CHANNEL_COUNT; ++id) {
        g_ChannelParams[id].nZero = 100;
        // Every type in use; only every eighth channel (over limit) alarms.
        if (id % 8 == 0 && alarming)
            g_AlarmTable[id] = {id, 0, 1, -1e9f, 0.0f};
        else if (id % 4 == 2)
            g_AlarmTable[id] = {id, 2, 1, 1e9f, 1e9f};
        else
            g_AlarmTable[id] = {id, id % 4, 1, 1e9f, -1e9f};
    }
}

// The driver's cycle at 5 kHz: 50 sets every 10 ms, one array of blocks a unit.
constexpr int kBatchSets = 50;

void BM_LiveProcessingBatch(benchmark::State& state) {
    SetUpChannels(state.range(0) != 0);
    platform::SetUiThread();
    const ScratchFolder scratch;
    const std::string& folder = scratch.Path();
    BenchHost host;
    host.project.SetProjectFolderAndName(folder, "run");
    host.project.m_SampleSettings.nSampleMode = SAMPLE_MODE_CONTINUOUS;
    host.everySetDrawn = state.range(1) != 0;
    BenchFrame frame;
    CSamplingControl control(&host, frame.GetSafeHwnd());
    frame.control = &control;
    control.UpdateLiveViewDemand();
    control.GetAlarms().BuildAlarmChannelList();
    control.GetAlarms().SetLogTarget(folder, "run", false, nullptr);
    std::vector<CaseSampleBlock> blocks(std::size_t(CSamplingControl::kSetBlocks) * kBatchSets);
    std::vector<CaseSampleBlock*> perUnit(CSamplingControl::kSetBlocks);
    for (int u = 0; u < CSamplingControl::kSetBlocks; ++u) {
        perUnit[std::size_t(u)] = blocks.data() + std::size_t(u) * kBatchSets;
        for (int s = 0; s < kBatchSets; ++s) {
            CaseSampleBlock& block = perUnit[std::size_t(u)][s];
            block.nHeader = (u % 8) * 16777216 + s;
            for (int c = 0; c < 16; ++c)
                block.fValues[c] = static_cast<float>(1000 + u * 16 + c + s);
        }
    }
    g_bSampling = 1;
    for (auto _ : state) {
        platform::LRESULT result = 0;
        control.HandleMessage(sampling_msg::kSampleBatch, kBatchSets,
                              reinterpret_cast<platform::LPARAM>(perUnit.data()), result);
        benchmark::DoNotOptimize(control.GetValueBuffer()[4095]);
    }
    g_bSampling = 0;
    state.counters["per_set"] = benchmark::Counter(kBatchSets, benchmark::Counter::kIsIterationInvariantRate |
                                                                   benchmark::Counter::kInvert);
    state.counters["alarms"] = static_cast<double>(control.GetAlarms().GetAlarmList().size());
}
BENCHMARK(BM_LiveProcessingBatch)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
