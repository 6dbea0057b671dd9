// The spectrum graph's logic: axis and scales, autoscale, the logarithmic
// axis, zoom and paging limits, cursors with keys and mouse, and the export.
#include "SpectrumTestSupport.h"

#include "libs/spectrum/SpectrumGraph.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

using namespace lurrow;

namespace {

// A graph of N points at a rate, sized 600 × 400, whose lines show the given
// values (the last one repeated to the end) in the display kind.
class SpectrumGraphTest : public ::testing::Test {
protected:
    void Build(int n, float rate, const std::vector<std::vector<float>>& lines, int kind = 0) {
        DRAW_COMMON draw;
        draw.nYKind = kind;
        VIEW_INFO view; // as a view resets it: every point of the block in view
        view.nVisibleCount = view.nTotalCount = SpectralLineCount(n);
        m_graph.SetSampleParam(rate, n);
        m_graph.SetGroups(draw, view);
        m_graph.Resize(600, 400);
        m_graph.SetLineCount(static_cast<int>(lines.size()));
        for (std::size_t l = 0; l < lines.size(); ++l) {
            Spectrum spectrum;
            for (std::size_t i = 0; i < static_cast<std::size_t>(m_graph.GetAxisCount()); ++i) {
                const float v = lines[l][std::min(i, lines[l].size() - 1)];
                if (kind == 5)
                    spectrum.push_back(std::polar(1.0f, v * static_cast<float>(M_PI) / 180.0f));
                else if (kind == 4 || kind == 6)
                    spectrum.emplace_back(0.0f, v);
                else
                    spectrum.emplace_back(v, 0.0f);
            }
            m_graph.FillLine(static_cast<int>(l), spectrum);
        }
    }
    CSpectrumGraph m_graph;
};

TEST_F(SpectrumGraphTest, AxisOfABlock) {
    Build(1024, 1000.0f, {});
    EXPECT_EQ(m_graph.GetAxisCount(), 401);
    EXPECT_FLOAT_EQ(m_graph.GetXStep(), 0.9765625f);
    EXPECT_FLOAT_EQ(m_graph.GetViewInfo().fXMax, 390.625f);
    EXPECT_EQ(m_graph.GetDrawCommon().nXAxisKind, 1);
    const GraphRect& plot = m_graph.GetPlotRect();
    EXPECT_EQ(plot.left, 90);
    EXPECT_EQ(plot.top, 30);
    EXPECT_EQ(plot.right, 570);
    EXPECT_EQ(plot.bottom, 370);
    EXPECT_EQ(m_graph.XToPixel(0.0), 90);
    EXPECT_EQ(m_graph.XToPixel(390.625), 570);
    // Without data the autoscaled range is 0 to 1000.
    EXPECT_EQ(m_graph.GetYMin(), 0.0);
    EXPECT_EQ(m_graph.GetYMax(), 1000.0);
}

TEST_F(SpectrumGraphTest, OutwardRoundingToOneTwoFive) {
    const struct {
        double value;
        bool up;
        double expected;
    } cases[] = {{3.2, true, 5.0},     {3.2, false, 2.0},     {-3.2, true, -2.0},   {-3.2, false, -5.0},
                 {7.0, true, 10.0},    {0.013, true, 0.02},   {5.0, true, 5.0},     {2.0, false, 2.0},
                 {1001.0, true, 2000}, {999.0, false, 500.0}, {1e-21, true, 1e-21}, {0.0, false, 0.0}};
    for (const auto& c : cases) {
        double value = c.value;
        EXPECT_TRUE(CSpectrumGraph::RoundOutward(value, c.up));
        EXPECT_DOUBLE_EQ(value, c.expected) << c.value << (c.up ? " up" : " down");
    }
}

TEST_F(SpectrumGraphTest, AutoscaleRangesByDisplayKind) {
    const struct {
        const char* name;
        int kind;
        std::vector<float> values;
        double max, min;
    } cases[] = {
        {"amplitude keeps a zero floor", 0, {0.5f, 7.3f, 2.0f}, 10.0, 0.0},
        {"real part keeps a zero floor", 3, {-30.0f, 7.3f}, 50.0, 0.0},
        {"phase becomes symmetric", 5, {-170.0f, 30.0f}, 200.0, -200.0},
        {"equal values open one unit", 2, {0.0f, 0.0f}, 1.0, 0.0},
        {"positive values keep their own floor", 2, {3.0f, 7.0f}, 10.0, 2.0},
    };
    for (const auto& c : cases) {
        Build(64, 64.0f, {c.values}, c.kind);
        EXPECT_DOUBLE_EQ(m_graph.GetYMax(), c.max) << c.name;
        EXPECT_DOUBLE_EQ(m_graph.GetYMin(), c.min) << c.name;
    }
}

TEST_F(SpectrumGraphTest, LogarithmicAxisTakesNoLogarithmOfZeroOrLess) {
    Build(64, 64.0f, {{0.0f, 5.0f, 0.003f, 20.0f}}, 1);
    ASSERT_TRUE(m_graph.IsYLog());
    EXPECT_DOUBLE_EQ(m_graph.GetLogFloor(), 0.001);
    EXPECT_DOUBLE_EQ(m_graph.GetLogCeiling(), 20.0);
    const int bottom = m_graph.GetPlotRect().bottom;
    EXPECT_EQ(m_graph.YToPixel(0.0), bottom);
    EXPECT_EQ(m_graph.YToPixel(-5.0), bottom);
    EXPECT_EQ(m_graph.YToPixel(20.0), m_graph.GetPlotRect().top);
    for (double v : m_graph.YGridValues())
        EXPECT_GT(v, 0.0);

    // Nothing positive: one default decade.
    Build(64, 64.0f, {{0.0f}}, 1);
    EXPECT_DOUBLE_EQ(m_graph.GetLogFloor(), 1.0);
    EXPECT_DOUBLE_EQ(m_graph.GetLogCeiling(), 10.0);
    EXPECT_EQ(m_graph.YToPixel(0.0), m_graph.GetPlotRect().bottom);
    // A tiny smallest value floors at 1e-15.
    Build(64, 64.0f, {{1e-17f, 1.0f}}, 1);
    EXPECT_DOUBLE_EQ(m_graph.GetLogFloor(), 1e-15);
}

TEST_F(SpectrumGraphTest, ZoomLimits) {
    Build(256, 1000.0f, {std::vector<float>(101, 1.0f)});
    EXPECT_FALSE(m_graph.CanZoomXOut());
    int zooms = 0;
    while (m_graph.CanZoomXIn()) {
        m_graph.ZoomXIn();
        ++zooms;
    }
    EXPECT_EQ(zooms, 2); // 101 → 50 → 25
    EXPECT_EQ(m_graph.GetViewInfo().nVisibleCount, 25);
    EXPECT_TRUE(m_graph.CanZoomXOut());
    m_graph.ZoomXOut();
    m_graph.ZoomXOut();
    EXPECT_EQ(m_graph.GetViewInfo().nVisibleCount, 100);
    m_graph.ZoomXOut();
    EXPECT_EQ(m_graph.GetViewInfo().nVisibleCount, 101);
    EXPECT_FALSE(m_graph.CanZoomXOut());

    // Y zoom works on the default range and not while autoscaling.
    EXPECT_FALSE(m_graph.CanZoomYIn());
    m_graph.ToggleAutoScale();
    EXPECT_DOUBLE_EQ(m_graph.GetYMax(), 5000.0);
    EXPECT_DOUBLE_EQ(m_graph.GetYMin(), 0.0);
    int ins = 0;
    while (m_graph.CanZoomYIn()) {
        m_graph.ZoomYIn();
        ++ins;
    }
    EXPECT_EQ(ins, 12);
    EXPECT_DOUBLE_EQ(m_graph.GetYMax(), 5000.0 / 4096.0);
    m_graph.ResetView();
    int outs = 0;
    while (m_graph.CanZoomYOut()) {
        m_graph.ZoomYOut();
        ++outs;
    }
    EXPECT_EQ(outs, 8);
    m_graph.ToggleAutoScale();
    EXPECT_DOUBLE_EQ(m_graph.GetYMax(), 1.0);
}

TEST_F(SpectrumGraphTest, PagingStaysInsideTheBlockAndResetsTheCursors) {
    Build(256, 1000.0f, {std::vector<float>(101, 1.0f)});
    m_graph.ZoomXIn(); // 50 visible of 101
    m_graph.SetCursorMode(2);
    EXPECT_FALSE(m_graph.KeyDown(GraphKey::PageDown));
    EXPECT_EQ(m_graph.GetViewInfo().nXStart, 50);
    m_graph.KeyDown(GraphKey::PageDown);
    EXPECT_EQ(m_graph.GetViewInfo().nXStart, 51);
    EXPECT_EQ(m_graph.GetCursor1(), 0);
    EXPECT_EQ(m_graph.GetCursor2(), 49);
    m_graph.KeyDown(GraphKey::PageUp);
    m_graph.KeyDown(GraphKey::PageUp);
    EXPECT_EQ(m_graph.GetViewInfo().nXStart, 0);
    m_graph.ResetView();
    EXPECT_EQ(m_graph.GetViewInfo().nVisibleCount, 101);
}

TEST_F(SpectrumGraphTest, CursorsModesKeysAndReadouts) {
    std::vector<float> values(26, 1.0f);
    values[7] = 9.0f;
    values[20] = 9.0f;
    Build(64, 64.0f, {values}, 3);
    m_graph.SetCursorMode(3);
    EXPECT_EQ(m_graph.GetPeak(), 20); // the later of equal peaks
    m_graph.SetCursorMode(2);
    EXPECT_EQ(m_graph.GetCursorMode(), 2);
    m_graph.SetCursorMode(2);
    EXPECT_EQ(m_graph.GetCursorMode(), 0);

    m_graph.SetCursorMode(1);
    EXPECT_TRUE(m_graph.KeyDown(GraphKey::Left)); // already at 0: a beep
    m_graph.KeyDown(GraphKey::Shift);
    EXPECT_FALSE(m_graph.KeyDown(GraphKey::Right));
    EXPECT_EQ(m_graph.GetCursor1(), 10);
    EXPECT_FALSE(m_graph.KeyDown(GraphKey::Right));
    EXPECT_TRUE(m_graph.KeyDown(GraphKey::Right)); // stops at the last point
    EXPECT_EQ(m_graph.GetCursor1(), 25);
    m_graph.KeyUp(GraphKey::Shift);
    m_graph.KeyDown(GraphKey::Left);
    EXPECT_EQ(m_graph.GetCursor1(), 24);
    EXPECT_EQ(m_graph.ReadoutLines(), (std::vector<std::string>{"X: 24.00", "Y1: 1.00"}));

    m_graph.SetCursorMode(2);
    // The mouse picks the second cursor near its line and moves it.
    const int x2 = m_graph.XToPixel(m_graph.XAt(25));
    EXPECT_TRUE(m_graph.MouseMove(x2 + 3, 200, false, false));
    EXPECT_EQ(m_graph.GetActiveCursor(), 2);
    m_graph.MouseDown(m_graph.XToPixel(20.0), 200, false);
    m_graph.MouseUp();
    EXPECT_EQ(m_graph.GetCursor2(), 20);
    EXPECT_EQ(m_graph.ReadoutLines(), (std::vector<std::string>{"X1: 0.00", "X2: 20.00", "dX: 20.00",
                                                                "Y11: 1.00", "Y21: 9.00", "dY1: 8.00"}));
    // With Ctrl held the click leaves the cursor.
    m_graph.MouseDown(m_graph.XToPixel(3.0), 200, true);
    EXPECT_EQ(m_graph.GetCursor2(), 20);
}

TEST_F(SpectrumGraphTest, ReadoutBoxIsDraggedInsideTheWindow) {
    Build(64, 64.0f, {std::vector<float>(26, 1.0f)});
    m_graph.SetCursorMode(1);
    m_graph.SetReadoutBox({50, 30, 150, 70});
    m_graph.MouseDown(60, 40, false);
    m_graph.MouseMove(-500, -500, true, false);
    EXPECT_EQ(m_graph.GetReadoutBox().left, 1);
    EXPECT_EQ(m_graph.GetReadoutBox().top, 1);
    m_graph.MouseMove(5000, 5000, true, false);
    EXPECT_EQ(m_graph.GetReadoutBox().right, 600 - 10);
    EXPECT_EQ(m_graph.GetReadoutBox().bottom, 400 - 10);
    m_graph.MouseUp();
    EXPECT_EQ(m_graph.GetCursor1(), 0);
}

TEST_F(SpectrumGraphTest, XLabelsInThousandsAndTheLastRightAligned) {
    Build(32768, 10000.0f, {});
    const auto labels =
        m_graph.XLabels([](const std::string& text) { return static_cast<int>(text.size()) * 7; }, 7);
    ASSERT_FALSE(labels.empty());
    EXPECT_EQ(labels.front().text, "0.00");
    EXPECT_EQ(labels.back().text, "3.91k");
    EXPECT_EQ(labels.back().pixel, m_graph.GetPlotRect().right - 3);
    EXPECT_EQ(labels[1].text, "781.25"); // every second division where a label fits
}

// The axis titles never cover a tick label: Y labels shorten to fit beside
// the unit column, and the X title moves onto the labels' line of a short
// window only in place of the labels it would cover.
TEST_F(SpectrumGraphTest, AxisTitlesStandClearOfTheTickLabels) {
    const auto measure = [](const std::string& text) { return static_cast<int>(text.size()) * 7; };
    std::vector<AxisLabel> wide = {{-1135343.25, 40, ""}, {0.0, 200, ""}};
    for (AxisLabel& label : wide)
        label.text = std::to_string(label.value);
    const std::vector<AxisLabel> fitted = FitYLabels(wide, 2, measure, 60);
    EXPECT_EQ(fitted[0].text, "-1135343");
    EXPECT_EQ(fitted[1].text, "0");
    EXPECT_EQ(FitYLabels({{2.34, 10, "2.34"}}, 2, measure, 60)[0].text, "2.34") << "a label that fits stays";

    Build(32768, 10000.0f, {});
    const GraphRect& plot = m_graph.GetPlotRect();
    const int titleWidth = 14 * 7;
    // Small fonts leave room for the title under the labels in the 30-pixel
    // margin; the usual ones do not.
    for (const int textHeight : {10, 14}) {
        std::vector<AxisLabel> labels = m_graph.XLabels(measure, 7);
        const std::size_t before = labels.size();
        const TitlePlace title = PlaceXTitle(labels, measure, plot, titleWidth, textHeight, textHeight, 400);
        EXPECT_LE(title.top + textHeight, 400) << textHeight;
        const bool onLabelLine = title.top < plot.bottom + 4 + textHeight;
        EXPECT_EQ(onLabelLine, textHeight == 14) << textHeight;
        EXPECT_EQ(labels.size() < before, onLabelLine) << textHeight;
        for (std::size_t i = 0; onLabelLine && i + 1 < labels.size(); ++i) {
            const int left = labels[i].pixel - measure(labels[i].text) / 2;
            const int right = left + measure(labels[i].text);
            EXPECT_TRUE(right <= title.left || left >= title.left + titleWidth) << labels[i].text;
        }
        EXPECT_EQ(labels.back().text, "3.91k") << "the last label stays";
    }
}

TEST_F(SpectrumGraphTest, ExportWritesTheVisiblePointsAsTextRows) {
    std::vector<float> first(26), second(26);
    for (int i = 0; i < 26; ++i) {
        first[static_cast<std::size_t>(i)] = static_cast<float>(i) * 1.5f;
        second[static_cast<std::size_t>(i)] = 100.0f - static_cast<float>(i) * 0.25f;
    }
    Build(64, 64.0f, {first, second}, 3);
    SpectrumScratch scratch;
    const std::string file = scratch.File("out.xls");
    ASSERT_TRUE(m_graph.ExportData(file));
    std::ifstream in(file, std::ios::binary);
    const std::string text(std::istreambuf_iterator<char>(in), {});
    const std::string golden = "0.00\t0.00\t100.00\t\r\n"
                               "1.00\t1.50\t99.75\t\r\n"
                               "2.00\t3.00\t99.50\t\r\n";
    EXPECT_EQ(text.substr(0, golden.size()), golden);
    EXPECT_EQ(text.substr(text.size() - 20), "25.00\t37.50\t93.75\t\r\n");
    EXPECT_FALSE(m_graph.ExportData(scratch.File("missing/out.xls")));

    const struct {
        const char* chosen;
        const char* written;
    } names[] = {
        {"a", "a.xls"}, {"a.txt", "a.txt"}, {"a.xls", "a.xls"}, {"a.csv", "a.csv.xls"}, {"", ".xls"}};
    for (const auto& n : names)
        EXPECT_EQ(CSpectrumGraph::ExportFileName(n.chosen), n.written);
}

} // namespace
