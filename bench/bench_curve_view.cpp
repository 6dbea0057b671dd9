// Curve view repaints and live samples: a full repaint of 8 curves over a
// long stored window against a short one and against plain polylines of
// the plot's width; one live sample into 8 views early in a run and after a
// million samples.
#include "views/curve/CurveViewWidget.h"
#include "views/shared/LiveViewFeed.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include "OffscreenBenchMain.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr int kWidth = 1000;
constexpr int kHeight = 600;
constexpr int kCurves = 8;
constexpr double kTwoPi = 6.283185307179586;

// One signal at every density: 1.4 periods across the stored window, as a
// long run of a slow measurement looks, so that the views draw the same
// picture and differ only in the points behind it.
double Signal(double fraction, int curve) {
    return std::sin(kTwoPi * 1.4 * fraction + curve);
}

CurveWorld BenchWorld() {
    CurveWorld world;
    for (int id = 0; id < kCurves; ++id) {
        world.measChanList.push_back(id);
        world.setPosition[std::size_t(id)] = id;
    }
    world.nCaseCount = 1;
    return world;
}

// A view of 8 time curves over `points` stored samples.
std::unique_ptr<CCurveViewWidget> StoredView(int points) {
    std::unique_ptr<CCurveViewWidget> view(CCurveViewWidget::Create());
    const CurveWorld world = BenchWorld();
    view->fillWorld = [world](CurveWorld& w) { w = world; };
    view->resize(kWidth, kHeight);
    view->RefreshWorld();
    CCurveViewModel& m = view->Model();
    CurveSignalChoice choice;
    for (int c = 0; c < kCurves; ++c)
        choice.ids.push_back(c);
    m.ApplySignalChoice(choice, world);
    m.m_Options.m_nScareType = 0;
    m.m_fltOldCoordYMax = 2.0f;
    m.m_fltOldCoordYMin = -2.0f;
    view->SyncWithDocument(0, points, points, true);
    for (int c = 0; c < kCurves; ++c)
        for (int i = 0; i < points; ++i)
            m.m_Curves[std::size_t(c)].m_Values[std::size_t(i)] = float(Signal(double(i) / points, c));
    return view;
}

void BM_RepaintStored(benchmark::State& state) {
    std::unique_ptr<CCurveViewWidget> view = StoredView(int(state.range(0)));
    view->Invalidate();
    view->RenderImage(); // the envelopes are made once, as a load makes them
    for (auto _ : state) {
        view->Invalidate();
        benchmark::DoNotOptimize(view->RenderImage());
    }
}
BENCHMARK(BM_RepaintStored)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// The same picture size with eight plain polylines of one point a pixel of
// the view's plot: the same signal at the same places.
void BM_PlainPolylines(benchmark::State& state) {
    std::unique_ptr<CCurveViewWidget> view = StoredView(1000);
    view->RenderImage();
    const CCurveViewModel& m = view->Model();
    const PlotRect& plot = m.GetPlotRect();
    std::vector<QPolygon> lines(kCurves);
    for (int c = 0; c < kCurves; ++c)
        for (int x = plot.left; x <= plot.right; ++x)
            lines[std::size_t(c)].append(
                QPoint(x, m.m_Curves[std::size_t(c)].YValueToPixel(
                              float(Signal(double(x - plot.left) / (plot.right - plot.left), c)))));
    for (auto _ : state) {
        QImage image(kWidth, kHeight, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        for (const QPolygon& line : lines)
            painter.drawPolyline(line);
        painter.end();
        benchmark::DoNotOptimize(image);
    }
}
BENCHMARK(BM_PlainPolylines)->Unit(benchmark::kMillisecond);

// One new sample set fed to 8 live views as the frame feeds them.
void BM_LiveSample(benchmark::State& state) {
    constexpr int kPage = 256;
    const CurveWorld world = BenchWorld();
    std::vector<std::unique_ptr<CCurveViewWidget>> views;
    for (int v = 0; v < 8; ++v) {
        views.push_back(StoredView(kPage));
        views.back()->PrepareForSampling(kPage);
        views.back()->Model().m_bSampling = true;
        views.back()->RenderImage();
    }
    std::vector<float> set(4104, 0.5f);
    int a = int(state.range(0));
    for (auto _ : state) {
        ++a;
        for (auto& view : views) {
            const CurveFeedStep step = CurveFeed(a, kPage, 1, false);
            view->Model().m_nFirstSample = step.nBatchStart;
            view->Model().SetPointCount(step.nPointCount);
            set[0] = float(a % 7);
            view->AppendRealTimeData(1, 0, set.data(), nullptr);
            if (step.bRepaintErase)
                view->RenderImage();
            else if (step.bDraw)
                view->DrawNewPoints(step.nDrawFrom, step.nDrawTo);
        }
    }
}
BENCHMARK(BM_LiveSample)->Arg(1)->Arg(1000000)->Unit(benchmark::kMicrosecond);

} // namespace

QV_OFFSCREEN_BENCHMARK_MAIN()
