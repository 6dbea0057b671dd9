// The mechanical-property test's numbers: loading, ranges, elastic modulus
// and yield strength.
#include "datafiles/MechanicalTest.h"

#include "datafiles/DataFileAccess.h"
#include "model/PolynomialFit.h"

#include <algorithm>
#include <cmath>

namespace {

// The extremes of the values that are no markers; 0 and 0 when there is none.
void Extremes(const std::vector<float>& values, float& maximum, float& minimum) {
    bool any = false;
    maximum = minimum = 0.0f;
    for (float v : values) {
        if (IsMechanicalMarker(v))
            continue;
        maximum = any ? std::max(maximum, v) : v;
        minimum = any ? std::min(minimum, v) : v;
        any = true;
    }
}

float HalfRange(float maximum, float minimum) {
    const double magnitude = std::max(std::fabs(double(maximum)), std::fabs(double(minimum)));
    return float((std::ceil(magnitude * 0.1) + 1.0) * 10.0);
}

bool SampleUsable(const MechanicalSeries& series, std::size_t k) {
    return !IsMechanicalMarker(series.x[k]) && !IsMechanicalMarker(series.y[k]);
}

// The yield of one pair of samples; false when the pair neither touches nor
// crosses the offset line.
bool PairYield(double x0, double y0, double x1, double y1, double e, double& result) {
    const double l0 = (x0 - kYieldOffset) * e;
    const double l1 = (x1 - kYieldOffset) * e;
    if (l0 == y0) {
        result = y0;
        return true;
    }
    if (l1 == y1) {
        result = y1;
        return true;
    }
    const bool crosses = (l0 < y0 && l1 > y1) || (l0 > y0 && l1 < y1);
    if (!crosses)
        return false;
    if (x0 == x1) {
        result = l0;
        return true;
    }
    const double m = (y1 - y0) / (x1 - x0);
    const double c = (y0 * x1 - y1 * x0) / (x1 - x0);
    if (e - m == 0.0)
        return false;
    const double x = (c + kYieldOffset * e) / (e - m);
    result = (x - kYieldOffset) * e;
    return std::isfinite(result);
}

} // namespace

bool IsMechanicalMarker(float value) {
    return !std::isfinite(value) || IsSpecialValue(value) != 0;
}

int LoadMechanicalSeries(const CDataFileAccess& access, const std::string& path, int count, int xChannel,
                         int yChannel, MechanicalSeries& series) {
    const std::size_t n = std::size_t(std::max(count, 0));
    series.x.assign(n, 0.0f);
    series.y.assign(n, 0.0f);
    if (n == 0)
        return 1;
    float* const columns[2] = {series.x.data(), series.y.data()};
    if (access.ReadChannelColumns(path, {xChannel, yChannel}, 0, int(n), columns) != 0)
        return 1;
    series.x.assign(n, 0.0f);
    series.y.assign(n, 0.0f);
    return 0;
}

MechanicalRanges ComputeMechanicalRanges(const MechanicalSeries& series) {
    MechanicalRanges ranges;
    float xMax, xMin, yMax, yMin;
    Extremes(series.x, xMax, xMin);
    Extremes(series.y, yMax, yMin);
    ranges.fYHalfRange = HalfRange(yMax, yMin);
    ranges.fXHalfRange = std::max(HalfRange(xMax, xMin), kMinXHalfRange);
    ranges.fYMax = ranges.fYHalfRange;
    ranges.fYMin = -ranges.fYHalfRange;
    ranges.fXMax = ranges.fXHalfRange;
    ranges.fXMin = -ranges.fXHalfRange;
    return ranges;
}

float ComputeElasticModulus(const MechanicalSeries& series, float cursor1, float cursor2, int direction) {
    if (cursor1 == cursor2)
        return 1.0f;
    const float lo = std::min(cursor1, cursor2);
    const float hi = std::max(cursor1, cursor2);
    const std::vector<float>& along = direction == kCursorsOnY ? series.y : series.x;
    const std::size_t n = std::min(series.x.size(), series.y.size());
    std::vector<double> xs, ys;
    for (std::size_t k = 0; k < n; ++k) {
        if (SampleUsable(series, k) && along[k] >= lo && along[k] <= hi) {
            xs.push_back(double(series.x[k]));
            ys.push_back(double(series.y[k]));
        }
    }
    if (xs.size() < 2 || std::all_of(xs.begin(), xs.end(), [&](double x) { return x == xs.front(); }))
        return 1.0f;
    const double first = xs.front();
    for (double& x : xs)
        x -= first;
    const CPolynomialFit fit(1, xs.data(), ys.data(), int(xs.size()));
    const float slope = float(fit.m_c[1]);
    return std::isfinite(slope) ? slope : 1.0f;
}

float ComputeYieldStrength(const MechanicalSeries& series, float e) {
    const std::size_t n = std::min(series.x.size(), series.y.size());
    for (std::size_t k = 0; k + 1 < n; ++k) {
        if (!SampleUsable(series, k) || !SampleUsable(series, k + 1))
            continue;
        double result = 0.0;
        if (PairYield(series.x[k], series.y[k], series.x[k + 1], series.y[k + 1], e, result))
            return float(result);
    }
    return 0.0f;
}
