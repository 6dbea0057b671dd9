// One curve of the curve, history and distribution views: its time and
// value arrays, the plot rectangle it is drawn into and its ranges, the
// mapping between values, indexes and pixels, and the statistics of a span.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

struct PlotRect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};

// d rounded half away from zero, as std::round, clamped to lo..hi (lo <= hi);
// a value that is not a number gives nan. Clamping first to whole bounds
// gives the same as clamping the rounded value, and keeps the conversion in
// range; the largest double below one half, added with d's sign and
// truncated, rounds every double as std::round does, without its library
// call (a repaint maps tens of thousands of values).
inline int RoundClampedPixel(double d, int lo, int hi, int nan) {
    if (std::isnan(d))
        return nan;
    const double c = std::clamp(d, static_cast<double>(lo), static_cast<double>(hi));
    return static_cast<int>(c + std::copysign(0.49999999999999994, c));
}

// A curve's value-to-pixel mapping with its scale worked out once: a
// repaint maps several values a pixel column, each the same as
// YValueToPixel gives.
struct YPixelMap {
    double dZero = 0.0;
    double dPerUnit = 0.0;
    int nLow = 0, nHigh = 0, nNotANumber = 0;

    int operator()(double dValue) const {
        return RoundClampedPixel(dZero - dPerUnit * dValue, nLow, nHigh, nNotANumber);
    }
};

class CCurveSeries {
public:
    CCurveSeries() = default;
    virtual ~CCurveSeries() = default;

    // Makes both arrays m_nCount long where they are missing (or shorter),
    // zeroed; 0 when memory runs out.
    int AllocBuffers();
    int FreeBuffers();

    void SetLimit1(float fYMax) { m_fYMax = fYMax; }
    void SetLimit2(float fYMin) { m_fYMin = fYMin; }
    void SetLimit3(float fXMax) { m_fXMax = fXMax; }
    void SetLimit4(float fXMin) { m_fXMin = fXMin; }

    // Pixel mappings, clamped to the plot rectangle. Callers keep the ranges
    // non-empty and the count at 2 or more; if they do not, the result is an
    // edge of the rectangle rather than an undefined number.
    int YValueToPixel(double dValue) const;
    YPixelMap GetYPixelMap() const;
    int XValueToPixel(double dValue) const;
    void PixelsToValues(int nY1, int nY2, double& dValue1, double& dValue2) const;
    int PointToIndex(int x, int y) const;
    int IndexToX(int nIndex) const;

    // The value at the index, the first or last one beyond the ends; 0 when empty.
    float GetValue(int nIndex) const;
    // Largest value in from .. to - 1, the earliest on ties; 0 for an empty span.
    int FindPeakIndex(int nFrom, int nTo) const;
    // Over from .. to inclusive, clipped to the values held.
    double GetAverage(int nFrom, int nTo) const;
    double GetStdDev(int nFrom, int nTo) const;
    float GetMaxValue(int nFrom, int nTo) const;
    float GetMinValue(int nFrom, int nTo) const;

    std::vector<double> m_Times;
    std::vector<float> m_Values;
    std::int32_t m_nReserved[2] = {0, 0};
    std::int32_t m_nCount = 0;
    PlotRect m_rcPlot;
    float m_fYMax = 0.0f;
    float m_fYMin = 0.0f;
    float m_fReserved = 0.0f;
    float m_fXMax = 0.0f;
    float m_fXMin = 0.0f;
    double m_dScale1 = 1.0;
    double m_dScale2 = 1.0;
    std::int32_t m_nFlag = 0;

private:
    // Values actually held: the count, never more than the arrays.
    int HeldCount() const;
    double YPixelsPerUnit() const;
    double ZeroLine() const;
    template <class Better> float Extreme(int nFrom, int nTo, Better better) const;
};
