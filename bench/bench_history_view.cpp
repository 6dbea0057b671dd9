// History view repaints and live samples with short and long batches: one
// live sample into 4 history views of 8 bands fed as the main frame feeds
// them, and a full repaint of one view, with 256 and 32,768 points a batch.
#include "model/RunFlags.h"
#include "views/history/HistoryViewWidget.h"
#include "views/shared/LiveHistoryFeed.h"

#include <QApplication>
#include <QImage>
#include <QPaintEvent>

#include "OffscreenBenchMain.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr int kWidth = 1000;
constexpr int kHeight = 600;
constexpr int kViews = 4;
constexpr int kBands = 8;
constexpr int kPlaces = 32; // two units of 16 channels
constexpr double kTwoPi = 6.283185307179586;

CurveWorld BenchWorld() {
    CurveWorld world;
    for (int id = 0; id < kPlaces; ++id) {
        world.measChanList.push_back(id);
        world.setPosition[std::size_t(id)] = id;
        world.channelList.push_back(id);
    }
    world.nCaseCount = kPlaces / 16;
    return world;
}

// The same picture at every batch length: three periods over the batch.
float Value(int point, int batch, int channel) {
    return float(30000.0 * std::sin(kTwoPi * 3.0 * point / batch + channel));
}

// A history view of 8 bands, shown offscreen and ready for a run of this batch length.
std::unique_ptr<CHistoryViewWidget> LiveView(int batch) {
    std::unique_ptr<CHistoryViewWidget> view(CHistoryViewWidget::Create());
    const CurveWorld world = BenchWorld();
    view->fillWorld = [world](CurveWorld& w) { w = world; };
    view->resize(kWidth, kHeight);
    view->Model().m_nBandsPerPage = kBands;
    view->InitialUpdate();
    view->PrepareForSampling(batch);
    return view;
}

// Counts the paints a window gets and the area they cover.
class PaintCounter : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints;
            const QRect r = static_cast<QPaintEvent*>(event)->region().boundingRect();
            area += double(r.width()) * r.height();
        }
        return false;
    }
    double paints = 0, area = 0;
};

// One sample through the live history into every view, as the frame hands it on.
class LiveRun {
public:
    explicit LiveRun(int batch) : m_nBatch(batch), m_latest(kPlaces, 0.0f), m_buffers(kPlaces) {
        m_feed.Reset(batch, kPlaces);
        for (int p = 0; p < kPlaces; ++p)
            m_buffers[std::size_t(p)] = m_feed.GetBuffer(p);
        for (int v = 0; v < kViews; ++v) {
            m_views.push_back(LiveView(batch));
            m_views.back()->show();
            m_views.back()->installEventFilter(&counter);
        }
    }

    // True when the sample had the views painted anew as a whole: a squeeze,
    // a new first batch, or the time axis grown.
    bool Sample() {
        ++m_nSample;
        for (int p = 0; p < kPlaces; ++p)
            m_latest[std::size_t(p)] = Value(m_nSample, m_nBatch, p);
        const CLiveHistoryFeed::Step step = m_feed.Feed(m_nSample, m_nSample, m_latest.data());
        for (auto& view : m_views) {
            view->ReceiveData(2, step.nPoints, nullptr, m_buffers.data(), step.nCopyFrom);
            view->SetLiveSpan(step.nAxisEnd);
            if (step.bRepaintErase || step.bRepaintNoErase)
                view->Invalidate();
            view->DrawNewPoints(step.nDrawFrom, step.nDrawTo);
        }
        // The screen takes what changed.
        QApplication::processEvents();
        const bool whole = step.bRepaintErase || step.bRepaintNoErase || step.nAxisEnd != m_nAxisEnd;
        m_nAxisEnd = step.nAxisEnd;
        return whole;
    }

    PaintCounter counter; // ahead of the views, which it outlives

private:
    int m_nBatch;
    int m_nSample = 0;
    int m_nAxisEnd = 0;
    CLiveHistoryFeed m_feed;
    std::vector<float> m_latest;
    std::vector<const float*> m_buffers;
    std::vector<std::unique_ptr<CHistoryViewWidget>> m_views;
};

// Past the first batch: the run is squeezed every W samples from here on.
void WarmUp(LiveRun& run, int batch) {
    for (int s = 0; s < 2 * batch + 1; ++s)
        run.Sample();
    run.counter.paints = run.counter.area = 0;
}

void Finish(benchmark::State& state, LiveRun& run) {
    state.counters["paints"] = benchmark::Counter(run.counter.paints, benchmark::Counter::kAvgIterations);
    state.counters["area"] = run.counter.area / std::max(run.counter.paints, 1.0);
    g_bSampling = 0;
}

// Every sample, the whole repaints at a squeeze (once every quarter batch)
// and at the axis' growth included.
void BM_HistoryLiveSample(benchmark::State& state) {
    g_bSampling = 1;
    LiveRun run(int(state.range(0)));
    WarmUp(run, int(state.range(0)));
    for (auto _ : state)
        run.Sample();
    Finish(state, run);
}
BENCHMARK(BM_HistoryLiveSample)->Arg(256)->Arg(32768)->Unit(benchmark::kMicrosecond);

// The samples between those repaints: what a sample itself costs.
void BM_HistoryLiveSampleAlone(benchmark::State& state) {
    g_bSampling = 1;
    LiveRun run(int(state.range(0)));
    WarmUp(run, int(state.range(0)));
    for (auto _ : state) {
        for (;;) {
            const auto start = std::chrono::steady_clock::now();
            const bool whole = run.Sample();
            const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
            if (!whole) {
                state.SetIterationTime(took.count());
                break;
            }
        }
    }
    Finish(state, run);
}
BENCHMARK(BM_HistoryLiveSampleAlone)->Arg(256)->Arg(32768)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_HistoryRepaint(benchmark::State& state) {
    g_bSampling = 1;
    const int batch = int(state.range(0));
    std::unique_ptr<CHistoryViewWidget> view = LiveView(batch);
    std::vector<std::vector<float>> values(kPlaces, std::vector<float>(std::size_t(batch)));
    std::vector<const float*> arrays;
    for (int p = 0; p < kPlaces; ++p) {
        for (int i = 0; i < batch; ++i)
            values[std::size_t(p)][std::size_t(i)] = Value(i, batch, p);
        arrays.push_back(values[std::size_t(p)].data());
    }
    view->ReceiveData(2, batch, nullptr, arrays.data());
    view->RenderImage(); // the envelopes are made once, as a new batch makes them
    for (auto _ : state) {
        view->Invalidate();
        benchmark::DoNotOptimize(view->RenderImage());
    }
    g_bSampling = 0;
}
BENCHMARK(BM_HistoryRepaint)->Arg(256)->Arg(32768)->Unit(benchmark::kMillisecond);

} // namespace

QV_OFFSCREEN_BENCHMARK_MAIN()
