// Serving one load-control event command in event sampling with 64 units'
// queues and 8 digital queues full (10 s at 100 Hz: 1,000 entries each),
// against one plain copy of the stored sample set. The command matches the
// oldest entries, so the queues stay full from one iteration to the next.
#include <benchmark/benchmark.h>

#include "acquisition/CaseLink.h"
#include "acquisition/SamplingControl.h"
#include "model/AppSettings.h"
#include "model/CaseTables.h"
#include "model/RunFlags.h"
#include "platform/DynamicLibrary.h"
#include "tests/FakeHosts.h"

#include <cstring>
#include <vector>

namespace {

constexpr int kUnits = 64;
constexpr float kRate = 100.0f;

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

void BM_ServeEventCommandWithFullQueues(benchmark::State& state) {
    platform::SetUiThread();
    g_nCaseCount = kUnits;
    for (int i = 0; i < kUnits; ++i)
        g_CaseList[i] = i;
    g_nChannelCount = 0;
    g_bDigitalUsed = true;
    g_bSampling = 1;
    const double origin = 1765300000.0;
    g_fFirstDataTime = origin;

    BenchHost host;
    host.project.m_SampleSettings.nSampleMode = SAMPLE_MODE_EVENT;
    host.project.m_SampleSettings.fSampleFreq = kRate;
    BenchFrame frame;
    CSamplingControl control(&host, frame.GetSafeHwnd());
    frame.control = &control;
    if (!control.LoadDigitalInterfaceDll("DigitalInterface")) {
        state.SkipWithError("the digital-interface stand-in is not beside the program");
        return;
    }
    DigitalChannelTable table{};
    control.SetDigitalChannels(8, table);
    control.GetDigitalInterface().SetDasFreq(kRate);
    platform::DynamicLibrary standIn;
    standIn.Load(platform::SharedLibraryFileName("DigitalInterface"));
    auto setOrigin = standIn.Function<void (*)(double)>("DigitalSimSetTimeOrigin");
    auto stampOf =
        standIn.Function<void (*)(std::int64_t, std::uint32_t*, std::uint32_t*)>("DigitalSimStamp");
    setOrigin(origin);

    const int samples = static_cast<int>(kRate * 10);
    std::vector<std::vector<CaseSampleBlock>> blocks(kUnits, std::vector<CaseSampleBlock>(samples));
    std::vector<CaseSampleBlock*> perUnit(CSamplingControl::kSetBlocks, nullptr);
    for (int u = 0; u < kUnits; ++u)
        perUnit[u] = blocks[u].data();
    control.ClearDigitalQueues();
    control.MergeDigitalSample(samples, perUnit.data());
    MoogCommand command{1, 0, 0};
    stampOf(0, &command.time1, &command.time2);
    for (auto _ : state) {
        control.DigitalEventAcquisition(command);
        benchmark::ClobberMemory();
    }
    if (control.CountCaseBlocks() != samples || control.CountDigitalRecords() != samples)
        state.SkipWithError("the queues did not stay full");
    g_bSampling = 0;
    control.FreeDigitalInterfaceDll();
}
BENCHMARK(BM_ServeEventCommandWithFullQueues)->Unit(benchmark::kMicrosecond);

void BM_PlainCopyOfOneStoredSet(benchmark::State& state) {
    std::vector<CaseSampleBlock> set(CSamplingControl::kSetBlocks), copy(CSamplingControl::kSetBlocks);
    for (auto _ : state) {
        std::memcpy(copy.data(), set.data(), set.size() * sizeof(CaseSampleBlock));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_PlainCopyOfOneStoredSet)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
