// Sample sets a second, and the program's CPU for them, with 32 simulated
// cases of 8 modules (4,096 channels) streaming 5,000 samples a second over
// loopback. The simulated cases (and the forwarding client) run as separate
// processes, so the CPU measured here is the program's alone.
//
// BM_ProgramPath runs the program's own path: the main frame found the
// cases with its search command and runs a continuous run from its Start
// command, with conversion of every channel, alarms watched on 512
// channels, the per-case files written, an open table view fed, and the
// forwarding server on, without a client (arg 0) and with one client taking
// every packet (arg 1), and without a client with full-bridge strain
// channels, whose scale divisor is not a power of two (arg 2; args 0 and 1
// have voltage channels of divisor 1, which the conversion multiplies
// instead of dividing), and without a client with a history view open as
// well, fed live (arg 3). BM_TransportOnly is the baseline of the same run:
// the transport alone, delivering sets to a receiver that only counts them.
// BM_ProgramAgainstPlain compares the program's path with no view open
// (without and with a forwarding client) with the plainest receiver that
// stores the same files (PlainReceiver.h) on the same streams, the two taken
// in turn; BM_ViewsAgainstNoView the program with a table view and a history
// view open with the program with none.
// "sets_per_core" is the rate the measured work would sustain on one core;
// "skipped_sets" counts the sets a full case queue kept from live processing.
// The frame listens on its fixed ports: run it inside its own network
// namespace (unshare -rn) when other programs may hold them.
#include "BenchFrame.h"
#include "PlainReceiver.h"
#include "SimulatedCases.h"

#include "ShellTestSupport.h"

#include "acquisition/ChanInfoWrapper.h"
#include "acquisition/DataForwardServer.h"
#include "acquisition/NetComm.h"
#include "acquisition/SamplingControl.h"
#include "app/MainFrame.h"
#include "app/QV7411N_NewFrameApp.h"
#include "model/CaseTables.h"
#include "model/ChannelRecords.h"
#include "model/RunFlags.h"
#include "model/SampleSettings.h"
#include "panels/bars/SampleParamBar.h"
#include "platform/Files.h"
#include "platform/Message.h"
#include "platform/MessageBox.h"
#include "project/OpenViewCounters.h"
#include "tests/FakeHosts.h"

#include <benchmark/benchmark.h>

#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int kCases = 32;
constexpr int kModules = 8;
constexpr double kRate = 5000.0; // samples a second a case
constexpr int kAlarmChannels = 512;
constexpr int kMeasureMs = 2000;
// How long the two sides of a comparison store before they are measured: as
// a long run goes on, not its first seconds, when the files' first blocks,
// the spare batches and the caches are still being filled.
constexpr int kSettleMs = 3000;

constexpr int ID_DETECT_CASE = 32794;
constexpr int ID_START_SAMPLE = 32788;
constexpr int ID_STOP_SAMPLE = 32791;

// The sets, CPU and wall seconds of one or more measuring windows.
struct RateFigures {
    long long sets = 0;
    double cpu = 0, wall = 0;
    double Cores() const { return wall > 0 ? cpu / wall : 0.0; }
    double SetsPerSecond() const { return wall > 0 ? sets / wall : 0.0; }
};

// Adds one window to figures: the CPU and the sets counted while wait runs.
template <typename Count, typename Wait> void MeasureWindow(RateFigures& figures, Count count, Wait wait) {
    const long long setsBefore = count();
    const double cpuBefore = bench::CpuSeconds(), wallBefore = bench::WallSeconds();
    wait();
    figures.wall += bench::WallSeconds() - wallBefore;
    figures.cpu += bench::CpuSeconds() - cpuBefore;
    figures.sets += count() - setsBefore;
}

// Measures the CPU and the sets counted over the benchmark's iterations,
// each of which waits (delivering messages) for kMeasureMs.
class RateMeter {
public:
    template <typename Count, typename Wait> void Measure(benchmark::State& state, Count count, Wait wait) {
        for (auto _ : state)
            MeasureWindow(m_figures, count, wait);
    }
    void Report(benchmark::State& state) const {
        if (m_figures.wall <= 0)
            return;
        state.counters["sets_per_second"] = m_figures.SetsPerSecond();
        state.counters["cpu_cores"] = m_figures.Cores();
        state.counters["sets_per_core"] = m_figures.cpu > 0 ? m_figures.sets / m_figures.cpu : 0.0;
    }

private:
    RateFigures m_figures;
};

// ---- The transport alone -------------------------------------------------

struct TransportHost : FakeCaseLinkHost {
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

void BM_TransportOnly(benchmark::State& state) {
    platform::SetUiThread();
    TransportHost host;
    host.folder =
        std::filesystem::temp_directory_path().string() + "/bench_network_" + std::to_string(getpid());
    bench::WriteCaseMap(host.folder, kCases);
    CountingOwner owner;
    auto comm = std::make_unique<CNetComm>(&host, 0);
    comm->CreateProtocol(3);
    bench::SimulatedCases simulators;
    if (!comm->SetOwner(owner.GetSafeHwnd()) ||
        !simulators.Start(kCases, kModules, kRate, comm->GetDriver().GetListenPort())) {
        state.SkipWithError("the simulated cases could not be started");
        return;
    }
    platform::PumpMessagesFor(10000, [&] { return comm->GetDriver().GetLinkCount() == kCases; });
    if (comm->GetDriver().GetLinkCount() != kCases || comm->FindCases() != kCases * kModules) {
        state.SkipWithError("the simulated cases could not be linked");
        return;
    }
    std::int32_t params[20] = {};
    const float rate = static_cast<float>(kRate);
    std::memcpy(&params[12], &rate, sizeof rate);
    comm->SetSampleMode(2);
    comm->SetSampleParams(params);
    comm->GetDriver().StartProcessingThread();
    comm->StartSampling();
    platform::PumpMessagesFor(1000); // settle
    RateMeter meter;
    meter.Measure(
        state, [&] { return owner.sets.load(); }, [] { platform::PumpMessagesFor(kMeasureMs); });
    meter.Report(state);
    comm->StopSampling();
    comm->GetDriver().StopProcessingThread();
    simulators.Stop();
    comm.reset();
    std::filesystem::remove_all(host.folder);
}
BENCHMARK(BM_TransportOnly)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

// ---- The program's own path ----------------------------------------------

// A forwarding client in a process of its own that reads every byte sent.
const char* const kReaderScript = R"(
import socket, time
for attempt in range(200):
    try:
        s = socket.create_connection(("127.0.0.1", 2501))
        break
    except OSError:
        time.sleep(0.05)
buf = bytearray(1 << 16)
while s.recv_into(buf):
    pass
)";

class FrameRun {
public:
    explicit FrameRun(int cases = kCases) : m_cases(cases) {}
    // Views: none, the table view, or the table and a history view (which
    // shows 8 channels).
    enum class Views { None, Table, TableAndHistory };
    bool Start(bool client, bool strain, Views views, std::string& error) {
        bench::ResetProgramTables();
        m_scratch.WriteSettingsFile("[System]\nADBASE=20000\nDigitalUsed=0\nOutControlEnable=1\n");
        bench::WriteCaseMap(m_scratch.ProgramFolder(), m_cases); // where the frame's links read it
        g_ChanInfo.SetParamFileName(m_scratch.File("chaninfo.ini"));
        m_app = std::make_unique<CQV7411N_NewFrameApp>(m_scratch.ProgramFolder());
        if (!m_app->InitInstance())
            return Fail(error, "the frame did not start");
        m_frame = m_app->GetMainFrame();
        auto* net = dynamic_cast<CNetComm*>(m_frame->GetCommBase());
        if (net == nullptr || !m_simulators.Start(m_cases, kModules, kRate, net->GetDriver().GetListenPort()))
            return Fail(error, "the simulated cases could not be started");
        if (!ProcessEventsUntil([&] { return net->GetDriver().GetLinkCount() == m_cases; }, 20000))
            return Fail(error, "not every simulated case linked");
        m_boxes.QueueAnswer(platform::IDYES);
        if (!m_frame->RunCommand(ID_DETECT_CASE) || g_nCaseCount != m_cases * kModules)
            return Fail(error, "the search did not find every module");
        SetUpChannels(strain);
        if (m_frame->GetProjectHandler().PrepareProject(m_scratch.File("Projects/Run/Run.dap")) != 1)
            return Fail(error, "no project");
        if (views != Views::None && !m_frame->RunCommand(ID_NEW_TABLE_WINDOW))
            return Fail(error, "no table view");
        if (views == Views::TableAndHistory && !m_frame->RunCommand(ID_NEW_HISTORY_WINDOW))
            return Fail(error, "no history view");
        SampleSettings settings = m_frame->GetProjectState().m_SampleSettings;
        settings.nSampleMode = SAMPLE_MODE_CONTINUOUS;
        settings.nSampleInterval = 1;
        settings.bSetTimerCount = 0;
        settings.fSampleFreq = static_cast<float>(kRate);
        m_frame->GetProjectState().m_SampleSettings = settings;
        m_frame->GetSampleParamBar()->SetSampleSettings(settings);
        m_frame->GetSampleParamBar()->InitControls();
        if (client) {
            CDataForwardServer* server = m_frame->GetRemoteServer();
            if (server == nullptr || !m_client.StartReader(kReaderScript))
                return Fail(error, "no forwarding client");
            if (!ProcessEventsUntil([&] { return server->GetClientCount() == 1; }, 20000))
                return Fail(error, "the forwarding client did not connect");
        }
        if (!m_frame->RunCommand(ID_START_SAMPLE) ||
            !ProcessEventsUntil([&] { return m_frame->GetSampling().m_nRunStoredCount >= 5000; }, 30000))
            return Fail(error, "the run did not start storing");
        return true;
    }
    long long StoredSets() const { return m_frame ? m_frame->GetSampling().m_nRunStoredCount.load() : 0; }
    // Sets a full case queue kept from live processing so far.
    long long SkippedSets() const {
        CCommBase* comm = m_frame ? m_frame->GetCommBase() : nullptr;
        return comm ? comm->GetSkippedSets() : 0;
    }
    void Stop() {
        if (m_frame != nullptr) {
            if (IsRunActive())
                m_frame->RunCommand(ID_STOP_SAMPLE);
            CSamplingControl& sampling = m_frame->GetSampling();
            ProcessEventsUntil([&] { return !IsRunActive() && !sampling.IsThreadRunning(); }, 30000);
        }
        m_simulators.Stop();
        m_client.Stop();
        bench::CloseFrame(m_app, m_frame);
    }

private:
    static bool Fail(std::string& error, const char* text) {
        error = text;
        return false;
    }
    // Voltage channels with a zero and a scale (or full-bridge strain
    // channels with a divisor of 0.81), and alarms on the first 512 channels
    // with limits the readings never pass.
    static void SetUpChannels(bool strain) {
        for (int i = 0; i < g_nChannelCount; ++i) {
            const int id = g_ChannelList[i];
            g_ChannelParams[id].nChannelId = id;
            g_ChannelParams[id].nMeasureType = strain ? MEASURE_STRAIN : MEASURE_VOLTAGE;
            g_ChannelParams[id].nBridgeType = strain ? 3 : 0;
            g_ChannelParams[id].nZero = 100;
            g_ChannelState[id].fScale = 0.5f;
            g_ChannelParams[id].fScaleDivisor = strain ? 0.81f : 1.0f;

            g_AlarmTable[id] = AlarmRecord{id, 0, i < kAlarmChannels ? 1 : 0, 1.0e30f, -1.0e30f};
        }
    }

    int m_cases;
    ShellScratch m_scratch;
    platform::MessageBoxRecorder m_boxes;
    std::unique_ptr<CQV7411N_NewFrameApp> m_app;
    CMainFrame* m_frame = nullptr;
    bench::SimulatedCases m_simulators;
    bench::SimulatedCases m_client;
};

// The program's own event loop, which sleeps until something arrives (a loop
// of processEvents calls would never sleep and count its spinning as the run's).
void RunEventLoopFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void BM_ProgramPath(benchmark::State& state) {
    EnsureQtApplication();
    FrameRun run;
    std::string error;
    const auto views = state.range(0) == 3 ? FrameRun::Views::TableAndHistory : FrameRun::Views::Table;
    if (!run.Start(state.range(0) == 1, state.range(0) == 2, views, error)) {
        run.Stop();
        state.SkipWithError(error.c_str());
        return;
    }
    RateMeter meter;
    meter.Measure(
        state, [&] { return run.StoredSets(); }, [] { RunEventLoopFor(kMeasureMs); });
    state.counters["skipped_sets"] = static_cast<double>(run.SkippedSets());
    run.Stop();
    meter.Report(state);
}
BENCHMARK(BM_ProgramPath)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Arg(3)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// ---- The program against a plain receiver ----------------------------------

constexpr int kCompareWindows = 3;

// The plain receiver (bench/PlainReceiver.h) on its own simulated cases:
// false with error set when it could not run.
bool MeasurePlainReceiver(int cases, RateFigures& figures, std::string& error) {
    const std::string folder =
        std::filesystem::temp_directory_path().string() + "/bench_plain_" + std::to_string(getpid());
    std::filesystem::create_directories(folder);
    bool measured = false;
    {
        bench::PlainReceiver receiver;
        bench::SimulatedCases simulators;
        const unsigned port = receiver.Listen();
        if (port == 0 || !simulators.Start(cases, kModules, kRate, port) ||
            !receiver.Accept(cases, kModules, 20000))
            error = "the plain receiver did not link every case";
        else if (!receiver.Start(folder))
            error = "the plain receiver could not start";
        else {
            receiver.RunFor(kSettleMs);
            for (int w = 0; w < kCompareWindows; ++w)
                MeasureWindow(
                    figures, [&] { return receiver.Sets(); }, [&] { receiver.RunFor(kMeasureMs); });
            measured = !receiver.WriteFailed();
            if (!measured)
                error = "the plain receiver's writes failed";
        }
        receiver.Stop();
        simulators.Stop();
    }
    std::filesystem::remove_all(folder);
    return measured;
}

// The program's path (with a forwarding client taking every packet when
// client is set) with the views given.
bool MeasureProgramPath(int cases, bool client, FrameRun::Views views, RateFigures& figures,
                        std::string& error) {
    FrameRun run(cases);
    const bool started = run.Start(client, false, views, error);
    if (started) {
        RunEventLoopFor(kSettleMs - 1000); // Start waited for a second's sets
        for (int w = 0; w < kCompareWindows; ++w)
            MeasureWindow(
                figures, [&] { return run.StoredSets(); }, [] { RunEventLoopFor(kMeasureMs); });
    }
    run.Stop();
    return started;
}

// Two measured sides of a comparison, taken in turn, each iteration one of
// each, so that both see the same load: CPU seconds a second of each
// ("<first>_cores", "<second>_cores"), the second's over the first's
// ("ratio", and the median of the iterations' ratios) and the sets a second
// each stored.
template <typename First, typename Second>
void CompareSideBySide(benchmark::State& state, const char* firstName, First first, const char* secondName,
                       Second second) {
    RateFigures a, b;
    std::vector<double> ratios;
    std::string error;
    for (auto _ : state) {
        RateFigures x, y;
        if (!first(x, error) || !second(y, error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        if (x.Cores() > 0)
            ratios.push_back(y.Cores() / x.Cores());
        for (auto [total, one] : {std::pair{&a, &x}, std::pair{&b, &y}}) {
            total->sets += one->sets;
            total->cpu += one->cpu;
            total->wall += one->wall;
        }
    }
    const std::string firstLabel = firstName, secondLabel = secondName;
    state.counters[firstLabel + "_cores"] = a.Cores();
    state.counters[secondLabel + "_cores"] = b.Cores();
    state.counters["ratio"] = a.Cores() > 0 ? b.Cores() / a.Cores() : 0.0;
    if (!ratios.empty()) {
        std::sort(ratios.begin(), ratios.end());
        state.counters["ratio_median"] = ratios[ratios.size() / 2];
        state.counters["ratio_low"] = ratios.front();
        state.counters["ratio_high"] = ratios.back();
    }
    state.counters[firstLabel + "_sets_per_second"] = a.SetsPerSecond();
    state.counters[secondLabel + "_sets_per_second"] = b.SetsPerSecond();
}

// The same streams (args: cases of 8 modules at 5,000 sets/s, and 1 for a
// forwarding client) received by the plain receiver and by the program with
// no view open, in turn.
void BM_ProgramAgainstPlain(benchmark::State& state) {
    EnsureQtApplication();
    const int cases = static_cast<int>(state.range(0));
    const bool client = state.range(1) != 0;
    CompareSideBySide(
        state, "plain", [&](RateFigures& f, std::string& e) { return MeasurePlainReceiver(cases, f, e); },
        "program",
        [&](RateFigures& f, std::string& e) {
            return MeasureProgramPath(cases, client, FrameRun::Views::None, f, e);
        });
}
BENCHMARK(BM_ProgramAgainstPlain)
    ->Args({8, 0})
    ->Args({32, 0})
    ->Args({32, 1})
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The views' own cost: the program with a table view and a history view open
// and fed live against the program with none, on the same streams, in turn.
void BM_ViewsAgainstNoView(benchmark::State& state) {
    EnsureQtApplication();
    const int cases = static_cast<int>(state.range(0));
    CompareSideBySide(
        state, "no_view",
        [&](RateFigures& f, std::string& e) {
            return MeasureProgramPath(cases, false, FrameRun::Views::None, f, e);
        },
        "views",
        [&](RateFigures& f, std::string& e) {
            return MeasureProgramPath(cases, false, FrameRun::Views::TableAndHistory, f, e);
        });
}
BENCHMARK(BM_ViewsAgainstNoView)->Arg(32)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
