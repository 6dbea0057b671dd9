// Curve view repaints and live samples: a full repaint of 8 curves over a
// long stored window against a short one and against a plain Qt program
// painting the same picture (and, as a floor, bare polylines of the plot's
// width); one live sample into 8 views early in a run and after a million
// samples.
#include "views/curve/ChannelPanelLayout.h"
#include "views/curve/CurveViewWidget.h"
#include "views/shared/GraphPaintTools.h"
#include "views/shared/LiveViewFeed.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include "OffscreenBenchMain.h"
#include "PlainCurvePicture.h"

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

// What the plain program knows of the view's picture: its places, colours,
// font and ranges, and each curve's column extremes of the same samples.
PlainScene PlainSceneOf(CCurveViewWidget& view) {
    const CCurveViewModel& m = view.Model();
    const CGraphDisplayOptions& o = m.m_Options;
    const PlotRect& plot = m.GetPlotRect();
    PlainScene s;
    s.width = view.width();
    s.height = view.height();
    s.left = plot.left;
    s.top = plot.top;
    s.right = plot.right;
    s.bottom = plot.bottom;
    s.back = ToQColor(o.m_clrViewBack);
    s.plotBack = ToQColor(o.m_clrDataLineBack);
    s.frame = ToQColor(o.m_LineFrame);
    s.grid = ToQColor(o.m_Grid);
    s.scale = ToQColor(o.m_clrYScale);
    s.font = QFont(QString::fromStdString(o.m_lftYScale.GetFaceName()));
    s.font.setPixelSize(std::abs(int(o.m_lftYScale.lfHeight)));
    s.xGrid = o.m_nXGridCount;
    s.yGrid = o.m_nYGridCount;
    s.yDecimals = o.m_nYPrecision;
    s.xMin = o.m_fXmin;
    s.xMax = o.m_fXmax;
    s.yMin = m.m_Curves.front().m_fYMin;
    s.yMax = m.m_Curves.front().m_fYMax;
    const ChannelPanelFields& fields = view.PanelFields();
    s.channel = QString::fromStdString(CurveChannelLabel(fields.nLabelChannel, BenchWorld(), false));
    s.unit = QString::fromStdString(fields.strUnitX);
    for (int c = 0; c < kCurves; ++c) {
        const std::vector<float>& values = m.m_Curves[std::size_t(c)].m_Values;
        s.curves.push_back(
            {ToQColor(o.m_Line[c]),
             PlainColumnsOf(std::vector<float>(values.begin(), values.begin() + m.PointCount()), plot.left,
                            plot.right)});
    }
    return s;
}

int DifferingPixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size())
        return a.width() * a.height();
    int differing = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            differing += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
    return differing;
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
// the view's plot: the same signal at the same places. A floor: none of the
// frame, grid and texts, and one point a column where the view's envelope
// draws two.
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

// The same repaint as a plain Qt program would make it: the picture of
// BM_RepaintStored/1000000, pixel for pixel, drawn from each curve's
// per-column extremes (made once, as the view makes its envelopes) with the
// frame, grid, ticks, scale labels, channel label, unit and legend laid out
// anew in each repaint from the font's metrics.
void BM_PlainSamePicture(benchmark::State& state) {
    constexpr int kPoints = 1000000;
    std::unique_ptr<CCurveViewWidget> view = StoredView(kPoints);
    view->Invalidate();
    const QImage expected = view->RenderImage();
    const PlainScene scene = PlainSceneOf(*view);
    QImage image(kWidth, kHeight, expected.format());
    PlainPainter plain;
    {
        QPainter painter(&image);
        plain.Paint(painter, scene);
    }
    const int differing = DifferingPixels(image, expected);
    if (differing != 0) {
        image.save(QStringLiteral("bench_curve_view_plain.png"));
        expected.save(QStringLiteral("bench_curve_view_view.png"));
        state.SkipWithError("the plain picture differs from the view's (see bench_curve_view_*.png)");
        return;
    }
    for (auto _ : state) {
        QPainter painter(&image);
        plain.Paint(painter, scene);
        painter.end();
        benchmark::DoNotOptimize(image);
    }
}
BENCHMARK(BM_PlainSamePicture)->Unit(benchmark::kMillisecond);

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
