// The mechanical-property test's numbers: both channels loaded from stored
// runs of either arrangement, the plot's ranges and geometry, and the elastic
// modulus and yield strength against hand-worked runs.
#include <gtest/gtest.h>

#include "datafiles/DataFileAccess.h"
#include "datafiles/MechanicalTest.h"
#include "datafiles/RunWriter.h"
#include "panels/mechanical/MechanicalPlotScale.h"

#include <cmath>
#include <limits>

namespace {

MechanicalSeries Series(std::vector<float> x, std::vector<float> y) {
    return MechanicalSeries{std::move(x), std::move(y)};
}

// 0.2 MPa a µε from 0 to 400 µε.
const MechanicalSeries kLinear = Series({0, 100, 200, 300, 400}, {0, 20, 40, 60, 80});

TEST(MechanicalTest, ElasticModulusBetweenTheCursors) {
    const float huge = 3e38f;
    struct Case {
        const char* name;
        MechanicalSeries series;
        float c1, c2;
        int direction;
        float expected;
    } cases[] = {
        {"X cursors over the whole line", kLinear, 0, 400, kCursorsOnX, 0.2f},
        {"cursors in either order", kLinear, 250, 50, kCursorsOnX, 0.2f},
        {"Y cursors", kLinear, 20, 60, kCursorsOnY, 0.2f},
        {"equal cursors", kLinear, 100, 100, kCursorsOnX, 1.0f},
        {"one sample between", kLinear, 150, 250, kCursorsOnX, 1.0f},
        {"markers stay out of the fit", Series({0, 100, kNoValue, 200, 300}, {0, 20, 50, kNotBalanced, 60}),
         0, 300, kCursorsOnX, 0.2f},
        {"a single X value", Series({100, 100, 100}, {0, 20, 40}), 0, 400, kCursorsOnX, 1.0f},
        {"a slope beyond a float", Series({0, 1e-6f}, {-huge, huge}), -1, 1, kCursorsOnX, 1.0f},
        {"no samples", Series({}, {}), 0, 400, kCursorsOnX, 1.0f},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(ComputeElasticModulus(c.series, c.c1, c.c2, c.direction), c.expected, 1e-6) << c.name;
}

TEST(MechanicalTest, YieldStrengthByTheOffsetLine) {
    // Line (X - 2000) * E. Elastic to 1000 µε, then hardening: the pair
    // (4000, 480)-(5000, 500) crosses the line of 0.2 at X = 800 / 0.18.
    const MechanicalSeries hardening =
        Series({0, 1000, 2000, 3000, 4000, 5000, 6000}, {0, 200, 400, 450, 480, 500, 510});
    struct Case {
        const char* name;
        MechanicalSeries series;
        float e;
        float expected;
    } cases[] = {
        {"crossing inside a pair", hardening, 0.2f, float((800.0 / 0.18 - 2000.0) * 0.2)},
        {"a sample on the line", Series({0, 3000, 4000}, {0, 500, 100}), 0.5f, 500.0f},
        {"crossing between equal X", Series({3000, 4000, 4000}, {400, 900, 1100}), 0.5f, 1000.0f},
        // Line X - 2000; the first pair meets it at X = 3500, the second at 4400.
        {"the first crossing ends the walk", Series({3000, 4000, 5000, 6000}, {0, 3000, 0, 5000}), 1.0f,
         1500.0f},
        {"no crossing", Series({0, 1000, 2000}, {500, 600, 700}), 0.2f, 0.0f},
        {"a marker makes no crossing", Series({1000, 2500, 3000}, {300, kNotBalanced, 100}), 0.2f, 0.0f},
        {"one sample", Series({3000}, {200}), 0.2f, 0.0f},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(ComputeYieldStrength(c.series, c.e), c.expected, 1e-3) << c.name;
}

TEST(MechanicalTest, RangesCoverTheDataInTens) {
    struct Case {
        const char* name;
        MechanicalSeries series;
        float xHalf, yHalf;
    } cases[] = {
        {"X within ±100 still spans ±2000", Series({-100, 100}, {123.4f, -50}), 2000, 140},
        {"a round extreme gets ten more", Series({30000, 0}, {-100, 0}), 30010, 110},
        {"markers stay out", Series({kNoValue, 2500}, {kNotBalanced, 5}), 2510, 20},
        {"no data", Series({}, {}), 2000, 10},
    };
    for (const Case& c : cases) {
        const MechanicalRanges r = ComputeMechanicalRanges(c.series);
        EXPECT_EQ(r.fXHalfRange, c.xHalf) << c.name;
        EXPECT_EQ(r.fYHalfRange, c.yHalf) << c.name;
        EXPECT_EQ(r.fXMin, -c.xHalf) << c.name;
        EXPECT_EQ(r.fYMax, c.yHalf) << c.name;
    }
}

TEST(MechanicalTest, PlotSquareScaleAndCursorValues) {
    // 600 x 450: 490 x 400 inside the margins; the square is centred across.
    const MechanicalPlotRect wide = LayoutMechanicalPlot(600, 450);
    EXPECT_EQ(wide.left, 125);
    EXPECT_EQ(wide.top, 10);
    EXPECT_EQ(wide.right, 525);
    EXPECT_EQ(wide.bottom, 410);
    const MechanicalPlotRect tall = LayoutMechanicalPlot(400, 600);
    EXPECT_EQ(tall.left, 80);
    EXPECT_EQ(tall.top, 140);
    EXPECT_EQ(tall.width, 290);

    MechanicalRanges ranges = ComputeMechanicalRanges(Series({100}, {130}));
    const MechanicalScale scale = ComputeMechanicalScale(wide, ranges);
    EXPECT_FLOAT_EQ(scale.fPixelsPerX, 0.1f);
    EXPECT_EQ(scale.nOriginX, 325);
    EXPECT_EQ(scale.nOriginY, 210);
    EXPECT_FLOAT_EQ(MechanicalCursorValue(scale, kCursorsOnX, 425), 1000.0f);
    EXPECT_FLOAT_EQ(MechanicalCursorValue(scale, kCursorsOnY, 110), 70.0f);

    EXPECT_EQ(NearerMechanicalCursor(10, 0, 30), 0);
    EXPECT_EQ(NearerMechanicalCursor(15, 0, 30), 1) << "cursor 2 when both are as near";
}

TEST(MechanicalTest, ZoomStepsAndTheirLimits) {
    MechanicalRanges ranges = ComputeMechanicalRanges(Series({100}, {130}));
    float factor = 1.0f;
    EXPECT_FALSE(ZoomInMechanicalPlot(ranges, factor)) << "X would span less than ±2000";
    for (float expected : {2.0f, 4.0f, 8.0f, 16.0f}) {
        ASSERT_TRUE(ZoomOutMechanicalPlot(ranges, factor));
        EXPECT_EQ(factor, expected);
    }
    EXPECT_FALSE(ZoomOutMechanicalPlot(ranges, factor));
    EXPECT_EQ(ranges.fXMax, 32000.0f);
    EXPECT_EQ(ranges.fYMin, -2240.0f);
    ASSERT_TRUE(ZoomInMechanicalPlot(ranges, factor));
    EXPECT_EQ(ranges.fXMin, -16000.0f);

    ranges = ComputeMechanicalRanges(Series({4990}, {0}));
    factor = 1.0f;
    ASSERT_TRUE(ZoomInMechanicalPlot(ranges, factor));
    EXPECT_EQ(factor, 0.5f);
    EXPECT_EQ(ranges.fXMax, 2500.0f);
    EXPECT_FALSE(ZoomInMechanicalPlot(ranges, factor));
}

TEST(MechanicalTest, AxisLabels) {
    struct Case {
        double value;
        int decimals;
        bool yAxis;
        const char* expected;
    } cases[] = {
        {0.5, 2, true, "0.50"},        {1e-19, 2, true, "0.00"},      {-1e-19, 0, false, "0"},
        {10000, 2, true, "1.00e+4"},   {10000, 2, false, "10000.00"}, {12345.6, 2, false, "1.23e+4"},
        {-25000, 1, true, "-2.50e+4"}, {1e120, 2, true, "1.00e+120"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatMechanicalAxisValue(c.value, c.decimals, c.yAxis), c.expected) << c.value;
}

TEST(MechanicalTest, LoadsBothChannelsInEitherArrangement) {
    using namespace testrun;
    TempDir dir;
    HalfChannelTable table;
    const int xChannel = 1 * 16 + 2, yChannel = 0 * 16 + 5;
    for (bool perCase : {false, true}) {
        RunSpec spec(dir.Path() + (perCase ? "/per" : "/one"), "run", {0, 1}, 40, perCase);
        spec.overrides[{0, 3}][5] = kNotBalanced;
        if (perCase)
            spec.unitSamples[1] = 30; // the X unit's file is shorter
        RunWriter run(spec);
        run.Write();
        const OnlineLayout layout = run.Layout();
        const CDataFileAccess access(layout, table);
        MechanicalSeries series;
        ASSERT_EQ(LoadMechanicalSeries(access, run.DataPath(), 40, xChannel, yChannel, series), 1);
        ASSERT_EQ(series.x.size(), 40u);
        for (int k = 0; k < 40; ++k) {
            const bool stored = !perCase || k < 30;
            EXPECT_EQ(series.x[k], stored ? RawValue(1, 2, k) * 0.5f : kNoValue) << perCase << " " << k;
            EXPECT_EQ(series.y[k], k == 3 ? kNotBalanced : RawValue(0, 5, k) * 0.5f) << perCase << " " << k;
        }
    }
    const OnlineLayout oneUnit = OnlineLayout::FromUnits({0}, false);
    const CDataFileAccess access(oneUnit, table);
    MechanicalSeries series{{7.0f}, {7.0f}};
    EXPECT_EQ(LoadMechanicalSeries(access, dir.Path() + "/missing.dat", 3, 0, 1, series), 0);
    EXPECT_EQ(series.x, std::vector<float>(3, 0.0f));
    EXPECT_EQ(series.y, std::vector<float>(3, 0.0f));
}

} // namespace
