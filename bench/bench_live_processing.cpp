// Live processing of one sample set of 4,096 channels (256 units of 16):
// conversion into the frame's value buffer, storage of every unit's block
// and status record in its run file, and the alarm check with every
// channel watched and one in eight in alarm (each alarm set adds a log
// line). Times are per sample set.
#include <benchmark/benchmark.h>

#include "acquisition/SamplingControl.h"
#include "app/CaseTables.h"
#include "app/ChannelDefaults.h"
#include "app/RunFlags.h"
#include "app/ValueConversion.h"
#include "bench/BenchChannels.h"
#include "tests/FakeHosts.h"
#include "tests/ScratchFolder.h"

namespace {

struct BenchHost : FakeSamplingHost {
    CProjectState project;
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

void SetUpChannels() {
    SetUpMixedChannels();
    for (int id = 0; id < MAX_CHANNEL_COUNT; ++id) {
        g_ChannelParams[id].nZero = 100;
        // Every type in use; only every eighth channel (over limit) alarms.
        if (id % 8 == 0)
            g_AlarmTable[id] = {id, 0, 1, -1e9f, 0.0f};
        else if (id % 4 == 2)
            g_AlarmTable[id] = {id, 2, 1, 1e9f, 1e9f};
        else
            g_AlarmTable[id] = {id, id % 4, 1, 1e9f, -1e9f};
    }
}

void BM_LiveProcessingOneSampleSet(benchmark::State& state) {
    SetUpChannels();
    platform::SetUiThread();
    const ScratchFolder scratch;
    const std::string& folder = scratch.Path();
    BenchHost host;
    host.project.SetProjectFolderAndName(folder, "run");
    BenchFrame frame;
    CSamplingControl control(&host, frame.GetSafeHwnd());
    frame.control = &control;
    control.GetAlarms().BuildAlarmChannelList();
    control.GetAlarms().SetLogTarget(folder, "run", false, nullptr);
    control.OnOpenSampleFiles();
    CaseSampleBlock* set = control.GetCurrentSet();
    for (int u = 0; u < MAX_CHANNEL_CASE_COUNT; ++u) {
        set[u].nHeader = u;
        for (int c = 0; c < 16; ++c)
            set[u].fValues[c] = static_cast<float>(1000 + u * 16 + c);
    }
    g_bSampling = 1;
    for (auto _ : state) {
        control.ProcessSampleSet(true);
        benchmark::DoNotOptimize(control.GetValueBuffer()[4095]);
    }
    g_bSampling = 0;
    control.OnCloseSampleFiles();
    state.counters["alarms"] = static_cast<double>(control.GetAlarms().GetAlarmList().size());
}
BENCHMARK(BM_LiveProcessingOneSampleSet)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
