// Per-pixel-column extremes of a time curve.
#include "views/shared/CurveEnvelope.h"

#include "datafiles/SampleFileFormat.h"

#include <algorithm>
#include <cmath>

void CCurveEnvelope::Clear() {
    m_Columns.clear();
    m_nNext = 0;
    m_bLastWasGap = true;
}

void CCurveEnvelope::Reset(const CCurveSeries& curve) {
    m_nLeft = curve.m_rcPlot.left;
    m_Columns.assign(std::size_t(std::max(curve.m_rcPlot.right - curve.m_rcPlot.left + 1, 1)), Column{});
    m_nNext = 0;
    m_bLastWasGap = true;
}

void CCurveEnvelope::Build(const CCurveSeries& curve, int count) {
    Reset(curve);
    const int n = std::min(count, int(curve.m_Values.size()));
    for (int i = 0; i < n; ++i)
        Add(curve, i);
}

void CCurveEnvelope::Add(const CCurveSeries& curve, int index) {
    if (m_Columns.empty() || index == 0)
        Reset(curve);
    if (index < 0 || index >= int(curve.m_Values.size()))
        return;
    // A point out of turn (a page drawn again) starts a fresh line.
    if (index != m_nNext)
        m_bLastWasGap = true;
    m_nNext = index + 1;
    const float value = curve.m_Values[std::size_t(index)];
    if (!std::isfinite(value) || IsSpecialValue(value) != 0) {
        m_bLastWasGap = true;
        return;
    }
    // One point alone has no span: it sits at the left edge.
    const int x = curve.m_nCount > 1 ? curve.IndexToX(index) : curve.m_rcPlot.left;
    const int c = std::clamp(x - m_nLeft, 0, int(m_Columns.size()) - 1);
    Column& column = m_Columns[std::size_t(c)];
    if (!column.bUsed) {
        column = {value, value, value, value, true, !m_bLastWasGap};
    } else {
        column.fMin = std::min(column.fMin, value);
        column.fMax = std::max(column.fMax, value);
        column.fLast = value;
    }
    m_bLastWasGap = false;
}

int CCurveEnvelope::PreviousUsed(int c) const {
    for (int p = c - 1; p >= 0; --p)
        if (m_Columns[std::size_t(p)].bUsed)
            return p;
    return -1;
}

int CCurveEnvelope::NextUsed(int c) const {
    for (int n = std::max(c + 1, 0); n < int(m_Columns.size()); ++n)
        if (m_Columns[std::size_t(n)].bUsed)
            return n;
    return -1;
}
