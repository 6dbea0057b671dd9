// Curve series: buffers, pixel mappings at and beyond the edges, and the
// statistics of a span.
#include "views/shared/CurveSeries.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// 11 values over a 100 x 200 plot at (10, 20); y range -10..10, x range 0..50.
CCurveSeries MakeSeries(std::initializer_list<float> values) {
    CCurveSeries s;
    s.m_nCount = static_cast<int>(values.size());
    EXPECT_EQ(1, s.AllocBuffers());
    std::copy(values.begin(), values.end(), s.m_Values.begin());
    s.m_rcPlot = {10, 20, 110, 220};
    s.SetLimit1(10.0f);
    s.SetLimit2(-10.0f);
    s.SetLimit3(50.0f);
    s.SetLimit4(0.0f);
    return s;
}

TEST(CurveSeriesTest, BuffersAreZeroedAndFollowTheCount) {
    CCurveSeries s;
    EXPECT_EQ(0.0f, s.GetValue(3)); // empty: no array to read
    s.m_nCount = 4;
    ASSERT_EQ(1, s.AllocBuffers());
    EXPECT_EQ(4u, s.m_Times.size());
    EXPECT_EQ(0.0f, s.m_Values[3]);
    s.m_Values[0] = 7.0f;
    s.m_nCount = 6; // a larger count after allocation must not reach past the arrays
    EXPECT_EQ(0.0f, s.GetValue(5));
    ASSERT_EQ(1, s.AllocBuffers());
    EXPECT_EQ(6u, s.m_Values.size());
    EXPECT_EQ(1, s.FreeBuffers());
    EXPECT_TRUE(s.m_Values.empty());
    EXPECT_EQ(0.0f, s.GetValue(0));
}

TEST(CurveSeriesTest, PixelMappingsClampToThePlot) {
    CCurveSeries s = MakeSeries({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    struct YCase {
        double value;
        int pixel;
    } ys[] = {{10, 20}, {-10, 220}, {0, 120}, {5, 70}, {25, 20}, {-25, 220}, {NAN, 220}};
    for (const YCase& c : ys)
        EXPECT_EQ(c.pixel, s.YValueToPixel(c.value)) << c.value;
    struct XCase {
        double value;
        int pixel;
    } xs[] = {{0, 10}, {50, 110}, {25, 60}, {-5, 10}, {80, 110}};
    for (const XCase& c : xs)
        EXPECT_EQ(c.pixel, s.XValueToPixel(c.value)) << c.value;

    double v1 = 0, v2 = 0;
    s.PixelsToValues(70, 170, v1, v2);
    EXPECT_DOUBLE_EQ(5.0, v1);
    EXPECT_DOUBLE_EQ(-5.0, v2);

    struct IndexCase {
        int x, index;
    } points[] = {{0, 0}, {10, 0}, {37, 3}, {64, 6}, {110, 10}, {500, 10}};
    for (const IndexCase& c : points)
        EXPECT_EQ(c.index, s.PointToIndex(c.x, 50)) << c.x;
    EXPECT_EQ(10, s.IndexToX(0));
    EXPECT_EQ(60, s.IndexToX(5));
    EXPECT_EQ(110, s.IndexToX(10));
    EXPECT_EQ(110, s.IndexToX(30));

    // Empty ranges and a single point give an edge, not an undefined number.
    s.SetLimit2(10.0f);
    EXPECT_EQ(220, s.YValueToPixel(3));
    CCurveSeries one = MakeSeries({4});
    EXPECT_EQ(110, one.IndexToX(0));
    EXPECT_EQ(0, one.PointToIndex(90, 0));
}

TEST(CurveSeriesTest, PixelRoundingIsTheLibrarysHalfAwayFromZero) {
    const double belowHalf = std::nextafter(0.5, 0.0);
    const double values[] = {0.0,  -0.0,       0.5,         -0.5,        1.5,   -1.5,   2.5,         -2.5,
                             belowHalf, -belowHalf, 1 - belowHalf, 2.4999999999999996, 1e6 + 0.5, -1e6 - 0.5,
                             0.49999, 7.5000001, -7.4999999, 199.5, 219.5};
    for (double v : values)
        EXPECT_EQ(static_cast<int>(std::round(v)), RoundClampedPixel(v, -2000000, 2000000, 99)) << v;
    // Beyond the bounds, infinite or not a number.
    EXPECT_EQ(20, RoundClampedPixel(-1e300, 20, 220, 99));
    EXPECT_EQ(220, RoundClampedPixel(219.6, 20, 220, 99));
    EXPECT_EQ(220, RoundClampedPixel(HUGE_VAL, 20, 220, 99));
    EXPECT_EQ(20, RoundClampedPixel(-HUGE_VAL, 20, 220, 99));
    EXPECT_EQ(99, RoundClampedPixel(NAN, 20, 220, 99));
}

TEST(CurveSeriesTest, ValuesAndPeaks) {
    CCurveSeries s = MakeSeries({1, 2, 3, 2, 1, 9, 3, 9, 2, 1, 0});
    struct Case {
        int index;
        float value;
    } values[] = {{-1, 1}, {0, 1}, {5, 9}, {10, 0}, {11, 0}, {100, 0}};
    for (const Case& c : values)
        EXPECT_EQ(c.value, s.GetValue(c.index)) << c.index;

    struct PeakCase {
        int from, to, index;
    } peaks[] = {{5, 10, 5}, {6, 10, 7}, {0, 5, 2},  {0, 11, 5},
                 {4, 4, 0},  {3, -1, 0}, {-3, 3, 2}, {8, 50, 8}};
    for (const PeakCase& c : peaks)
        EXPECT_EQ(c.index, s.FindPeakIndex(c.from, c.to)) << c.from << ".." << c.to;
}

TEST(CurveSeriesTest, SpanStatistics) {
    CCurveSeries s = MakeSeries({2, 4, 4, 4, 5, 5, 7, 9});
    EXPECT_DOUBLE_EQ(5.0, s.GetAverage(0, 7));
    EXPECT_DOUBLE_EQ(2.0, s.GetStdDev(0, 7));
    EXPECT_DOUBLE_EQ(4.0, s.GetAverage(1, 3));
    EXPECT_DOUBLE_EQ(0.0, s.GetStdDev(2, 2));
    EXPECT_DOUBLE_EQ(5.0, s.GetAverage(-4, 20)); // clipped to the values held

    struct Case {
        int from, to;
        float max, min;
    } cases[] = {
        {0, 7, 9, 2}, {1, 4, 5, 4},  {-5, 2, 4, 2}, {5, 3, 5, 5}, // from past to: the value at from
        {0, 8, 0, 0}, {0, -1, 0, 0},                              // to outside the values
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.max, s.GetMaxValue(c.from, c.to)) << c.from << ".." << c.to;
        EXPECT_EQ(c.min, s.GetMinValue(c.from, c.to)) << c.from << ".." << c.to;
    }
}

} // namespace
