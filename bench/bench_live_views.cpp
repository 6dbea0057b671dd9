// The window thread's cost of the live views in a continuous run of 4,096
// channels at 5,000 sets a second, against the same run with no view open.
//
// The main frame runs as the program does, offscreen: 32 cases of 8 modules
// online, a project prepared, a continuous run at 5,000 sets a second. A
// feeding thread stands in for the case driver's processing thread: every
// 10 ms it hands the frame a batch of 50 sets of every unit, which the
// frame converts, checks and queues for the views on that thread, as with
// real cases; the window thread then takes the queued sets on its one
// notice and feeds the open views. No network and no files: what differs
// between the arguments is the views alone.
//
// Arg 0: no view open. Arg 1: a table, a history, a curve and a bar window,
// tiled so that every one is shown and painted. Arg 2: the same four as
// tabs, as the program opens them (only the front one is painted).
// "window_cores" is the window thread's CPU a second, "process_cores" the
// whole program's (the feeding thread's conversion and checks included),
// "sets_per_second" what the feeding thread handed over.
#include "BenchChannels.h"
#include "BenchFrame.h"
#include "SimulatedCases.h"

#include "ShellTestSupport.h"

#include "acquisition/ChanInfoWrapper.h"
#include "acquisition/SamplingControl.h"
#include "acquisition/SamplingMessages.h"
#include "app/MainFrame.h"
#include "app/QV7411N_NewFrameApp.h"
#include "model/CaseSampleBlock.h"
#include "model/CaseTables.h"
#include "model/ChannelRecords.h"
#include "model/RunFlags.h"
#include "model/SampleSettings.h"
#include "panels/bars/SampleParamBar.h"
#include "project/OpenViewCounters.h"

#include <benchmark/benchmark.h>

#include <QEventLoop>
#include <QMdiArea>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <cmath>
#include <ctime>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kUnits = 256;      // 32 cases of 8 modules
constexpr double kRate = 5000.0; // sets a second
constexpr int kBatch = 50;       // sets a batch, one batch every 10 ms
constexpr int kBatchMs = 10;
constexpr int kSettleMs = 1500;
constexpr int kMeasureMs = 3000;

double ThreadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// The program's own event loop, which sleeps until something arrives.
void RunEventLoopFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Hands the frame a batch of every unit every 10 ms from a thread of its
// own, as the case driver's processing thread does: slow sine readings, a
// different phase on each channel.
class BatchFeeder {
public:
    explicit BatchFeeder(platform::HWND frame) : m_frame(frame) {
        m_blocks.resize(std::size_t(kUnits) * kBatch);
        m_perUnit.fill(nullptr);
        for (int u = 0; u < kUnits; ++u)
            m_perUnit[std::size_t(u)] = &m_blocks[std::size_t(u) * kBatch];
    }
    ~BatchFeeder() { Stop(); }

    void Start() {
        m_bRun = true;
        m_thread = std::thread([this] { Run(); });
    }
    void Stop() {
        m_bRun = false;
        if (m_thread.joinable())
            m_thread.join();
    }
    long long Sets() const { return m_nSets.load(); }

private:
    void Fill() {
        for (int u = 0; u < kUnits; ++u)
            for (int i = 0; i < kBatch; ++i) {
                CaseSampleBlock& block = m_blocks[std::size_t(u) * kBatch + std::size_t(i)];
                block.nHeader = u;
                const double t = double(m_nSets.load() + i) / kRate;
                for (int c = 0; c < 16; ++c)
                    block.fValues[c] = float(4000.0 * std::sin(6.283185307179586 * t + 0.1 * (u * 16 + c)));
            }
    }
    void Run() {
        auto next = std::chrono::steady_clock::now();
        while (m_bRun) {
            Fill();
            platform::SendMessage(m_frame, sampling_msg::kSampleBatch, kBatch,
                                  reinterpret_cast<platform::LPARAM>(m_perUnit.data()));
            m_nSets += kBatch;
            next += std::chrono::milliseconds(kBatchMs);
            std::this_thread::sleep_until(next);
        }
    }

    platform::HWND m_frame;
    std::vector<CaseSampleBlock> m_blocks;
    std::array<CaseSampleBlock*, CSamplingControl::kSetBlocks> m_perUnit{};
    std::atomic<bool> m_bRun{false};
    std::atomic<long long> m_nSets{0};
    std::thread m_thread;
};

class LiveFrame {
public:
    // What failed, or nothing when the run is going.
    std::string Start(int views) {
        bench::ResetProgramTables();
        m_scratch.WriteSettingsFile("[System]\nADBASE=20000\nDigitalUsed=0\n");
        g_ChanInfo.SetParamFileName(m_scratch.File("chaninfo.ini"));
        m_app = std::make_unique<CQV7411N_NewFrameApp>(m_scratch.ProgramFolder());
        if (!m_app->InitInstance())
            return "the frame did not start";
        m_frame = m_app->GetMainFrame();
        m_frame->resize(1024, 768);
        m_frame->show();
        // Every unit online and every channel measured, as a search of the
        // 32 cases leaves them.
        SetUpMixedChannels();
        for (int id = 0; id < MAX_CHANNEL_COUNT; ++id) {
            g_ChannelParams[id].bShown = 1;
            g_ChannelState[id].bPresent = 1;
        }
        BuildMeasuredChannelList();
        if (m_frame->GetProjectHandler().PrepareProject(m_scratch.File("Projects/Run/Run.dap")) != 1)
            return "no project";
        SampleSettings settings = m_frame->GetProjectState().m_SampleSettings;
        settings.nSampleMode = SAMPLE_MODE_CONTINUOUS;
        settings.nSampleInterval = 1;
        settings.bSetTimerCount = 0;
        settings.fSampleFreq = float(kRate);
        m_frame->GetProjectState().m_SampleSettings = settings;
        m_frame->GetSampleParamBar()->SetSampleSettings(settings);
        m_frame->GetSampleParamBar()->InitControls();
        if (views != 0) {
            for (const int id :
                 {ID_NEW_TABLE_WINDOW, ID_NEW_HISTORY_WINDOW, ID_NEW_REALTIME_WINDOW, ID_NEW_BAR_WINDOW})
                if (!m_frame->RunCommand(id))
                    return "a view did not open";
            if (views == 1) {
                m_frame->GetMdiArea()->setViewMode(QMdiArea::SubWindowView);
                m_frame->GetMdiArea()->tileSubWindows();
            }
        }
        // The run as the Start command leaves it, without the cases' links.
        g_bSampling = 1;
        m_feeder = std::make_unique<BatchFeeder>(m_frame->GetSafeHwnd());
        m_feeder->Start();
        RunEventLoopFor(kSettleMs);
        return {};
    }
    long long FedSets() const { return m_feeder ? m_feeder->Sets() : 0; }
    void Stop() {
        if (m_feeder)
            m_feeder->Stop();
        m_feeder.reset();
        g_bSampling = 0;
        if (m_app) // the sets still queued for the views are shown before the frame goes
            ProcessEventsUntil([] { return false; }, 200);
        bench::CloseFrame(m_app, m_frame);
    }

private:
    ShellScratch m_scratch;
    std::unique_ptr<CQV7411N_NewFrameApp> m_app;
    CMainFrame* m_frame = nullptr;
    std::unique_ptr<BatchFeeder> m_feeder;
};

void BM_LiveViews(benchmark::State& state) {
    EnsureQtApplication();
    LiveFrame run;
    if (const std::string error = run.Start(int(state.range(0))); !error.empty()) {
        run.Stop();
        state.SkipWithError(error.c_str());
        return;
    }
    double window = 0, process = 0, wall = 0;
    long long sets = 0;
    for (auto _ : state) {
        const double w0 = ThreadCpuSeconds(), p0 = bench::CpuSeconds(), t0 = bench::WallSeconds();
        const long long s0 = run.FedSets();
        RunEventLoopFor(kMeasureMs);
        window += ThreadCpuSeconds() - w0;
        process += bench::CpuSeconds() - p0;
        wall += bench::WallSeconds() - t0;
        sets += run.FedSets() - s0;
    }
    run.Stop();
    state.counters["window_cores"] = window / wall;
    state.counters["process_cores"] = process / wall;
    state.counters["sets_per_second"] = double(sets) / wall;
}
BENCHMARK(BM_LiveViews)->Arg(0)->Arg(1)->Arg(2)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
