// Curve series arithmetic: pixel mappings and span statistics.
#include "views/shared/CurveSeries.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace {

// Rounds and clamps to lo..hi; a value that is not a number gives hi.
int RoundClamped(double d, int lo, int hi) {
    return RoundClampedPixel(d, std::min(lo, hi), std::max(lo, hi), hi);
}

} // namespace

int CCurveSeries::AllocBuffers() {
    std::size_t n = static_cast<std::size_t>(std::max(m_nCount, 0));
    try {
        if (m_Times.size() < n)
            m_Times.assign(n, 0.0);
        if (m_Values.size() < n)
            m_Values.assign(n, 0.0f);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    return 1;
}

int CCurveSeries::FreeBuffers() {
    std::vector<double>().swap(m_Times);
    std::vector<float>().swap(m_Values);
    return 1;
}

int CCurveSeries::HeldCount() const {
    return std::max(0, std::min<int>(m_nCount, static_cast<int>(m_Values.size())));
}

double CCurveSeries::YPixelsPerUnit() const {
    return static_cast<double>(m_rcPlot.bottom - m_rcPlot.top) / (static_cast<double>(m_fYMax) - m_fYMin);
}

double CCurveSeries::ZeroLine() const {
    return std::round(m_rcPlot.bottom + m_fYMin * YPixelsPerUnit());
}

int CCurveSeries::YValueToPixel(double dValue) const {
    return GetYPixelMap()(dValue);
}

YPixelMap CCurveSeries::GetYPixelMap() const {
    YPixelMap map;
    map.dPerUnit = YPixelsPerUnit();
    map.dZero = ZeroLine();
    map.nLow = std::min(m_rcPlot.top, m_rcPlot.bottom);
    map.nHigh = std::max(m_rcPlot.top, m_rcPlot.bottom);
    map.nNotANumber = m_rcPlot.bottom;
    return map;
}

int CCurveSeries::XValueToPixel(double dValue) const {
    double x = m_rcPlot.left + static_cast<double>(m_rcPlot.right - m_rcPlot.left) /
                                   (static_cast<double>(m_fXMax) - m_fXMin) * (dValue - m_fXMin);
    return RoundClamped(x, m_rcPlot.left, m_rcPlot.right);
}

void CCurveSeries::PixelsToValues(int nY1, int nY2, double& dValue1, double& dValue2) const {
    double k = YPixelsPerUnit(), z = ZeroLine();
    dValue1 = (z - nY1) / k;
    dValue2 = (z - nY2) / k;
}

int CCurveSeries::PointToIndex(int x, int y) const {
    if (m_nCount <= 0)
        return 0;
    double dPerIndex = static_cast<double>(m_rcPlot.right - m_rcPlot.left) / m_nCount;
    return RoundClamped((x - m_rcPlot.left) / dPerIndex, 0, m_nCount - 1);
}

int CCurveSeries::IndexToX(int nIndex) const {
    double x =
        m_rcPlot.left + static_cast<double>(nIndex) * (m_rcPlot.right - m_rcPlot.left) / (m_nCount - 1);
    return RoundClamped(x, m_rcPlot.left, m_rcPlot.right);
}

float CCurveSeries::GetValue(int nIndex) const {
    int n = HeldCount();
    if (n == 0)
        return 0.0f;
    return m_Values[std::clamp(nIndex, 0, n - 1)];
}

int CCurveSeries::FindPeakIndex(int nFrom, int nTo) const {
    nFrom = std::max(nFrom, 0);
    nTo = std::min(nTo, HeldCount());
    if (nTo < 0 || nFrom >= nTo)
        return 0;
    return static_cast<int>(std::max_element(m_Values.begin() + nFrom, m_Values.begin() + nTo) -
                            m_Values.begin());
}

double CCurveSeries::GetAverage(int nFrom, int nTo) const {
    nFrom = std::max(nFrom, 0);
    nTo = std::min(nTo, HeldCount() - 1);
    if (nFrom > nTo)
        return 0.0;
    double dSum = 0.0;
    for (int i = nFrom; i <= nTo; ++i)
        dSum += m_Values[i];
    return dSum / (nTo - nFrom + 1);
}

// Population deviation; a one-point span gives 0.
double CCurveSeries::GetStdDev(int nFrom, int nTo) const {
    nFrom = std::max(nFrom, 0);
    nTo = std::min(nTo, HeldCount() - 1);
    if (nFrom > nTo)
        return 0.0;
    float fMean = static_cast<float>(GetAverage(nFrom, nTo));
    double dSum = 0.0;
    for (int i = nFrom; i <= nTo; ++i)
        dSum += (m_Values[i] - fMean) * static_cast<double>(m_Values[i] - fMean);
    return std::sqrt(dSum / (nTo - nFrom + 1));
}

template <class Better> float CCurveSeries::Extreme(int nFrom, int nTo, Better better) const {
    int n = HeldCount();
    if (n == 0 || nTo < 0 || nTo >= n)
        return 0.0f;
    nFrom = std::max(nFrom, 0);
    if (nFrom > nTo)
        return GetValue(nFrom);
    float fBest = m_Values[nFrom];
    for (int i = nFrom + 1; i <= nTo; ++i)
        if (better(m_Values[i], fBest))
            fBest = m_Values[i];
    return fBest;
}

float CCurveSeries::GetMaxValue(int nFrom, int nTo) const {
    return Extreme(nFrom, nTo, [](float a, float b) { return a > b; });
}

float CCurveSeries::GetMinValue(int nFrom, int nTo) const {
    return Extreme(nFrom, nTo, [](float a, float b) { return a < b; });
}
