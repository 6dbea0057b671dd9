// The per-pixel-column extremes of a time curve: what a repaint draws, so
// that its cost follows the plot's width, never the length of the curve.
// Built once per load and grown one point per live sample.
#pragma once

#include "app/CurveSeries.h"

#include <vector>

class CCurveEnvelope {
public:
    struct Column {
        float fMin = 0.0f, fMax = 0.0f;
        float fFirst = 0.0f, fLast = 0.0f;
        bool bUsed = false;
        bool bJoinPrevious = false; // a line comes in from the previous point
    };

    // Points 0 .. count - 1 of the curve through its own index mapping.
    void Build(const CCurveSeries& curve, int count);
    // One more point: the next index after the last one added.
    void Add(const CCurveSeries& curve, int index);
    void Clear();

    int Left() const { return m_nLeft; }
    const std::vector<Column>& Columns() const { return m_Columns; }
    // The value-space segments a painter draws: vertical spans and joins,
    // as pixel x and value pairs.
    template <class Span, class Join> void Walk(Span span, Join join) const {
        int previous = -1;
        for (int c = 0; c < int(m_Columns.size()); ++c) {
            const Column& column = m_Columns[std::size_t(c)];
            if (!column.bUsed)
                continue;
            if (column.bJoinPrevious && previous >= 0)
                join(m_nLeft + previous, m_Columns[std::size_t(previous)].fLast, m_nLeft + c, column.fFirst);
            span(m_nLeft + c, column.fMin, column.fMax);
            previous = c;
        }
    }

private:
    void Reset(const CCurveSeries& curve);

    std::vector<Column> m_Columns;
    int m_nLeft = 0;
    int m_nNext = 0;
    bool m_bLastWasGap = true;
};
