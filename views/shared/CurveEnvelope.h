// The per-pixel-column extremes of a time curve: what a repaint draws, so
// that its cost follows the plot's width, never the length of the curve.
// Built once per load and grown one point per live sample.
#pragma once

#include "views/shared/CurveSeries.h"

#include <algorithm>
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
    // What a painter draws, touching pixels fromX .. toX: each used column
    // (its pixel x and values) and the joins from one point to the next
    // (pixel x and value pairs), each join ahead of the column it leads into.
    template <class Span, class Join> void Walk(Span span, Join join, int fromX, int toX) const {
        if (fromX > toX)
            return;
        const int first = std::max(fromX - m_nLeft, 0);
        const int last = std::min(toX - m_nLeft, int(m_Columns.size()) - 1);
        int previous = -1;
        for (int c = first; c <= last; ++c) {
            const Column& column = m_Columns[std::size_t(c)];
            if (!column.bUsed)
                continue;
            // The join into the range's first point starts at the column before it.
            if (column.bJoinPrevious && previous < 0)
                previous = PreviousUsed(c);
            if (column.bJoinPrevious && previous >= 0)
                join(m_nLeft + previous, m_Columns[std::size_t(previous)].fLast, m_nLeft + c, column.fFirst);
            span(m_nLeft + c, column);
            previous = c;
        }
        // The join out of the range's last point reaches into it too, and
        // so does one passing over a range without points.
        if (previous < 0)
            previous = PreviousUsed(first);
        const int next = NextUsed(last);
        if (next >= 0 && previous >= 0 && m_Columns[std::size_t(next)].bJoinPrevious)
            join(m_nLeft + previous, m_Columns[std::size_t(previous)].fLast, m_nLeft + next,
                 m_Columns[std::size_t(next)].fFirst);
    }

private:
    void Reset(const CCurveSeries& curve);
    // The nearest used column before or after c; -1 for none.
    int PreviousUsed(int c) const;
    int NextUsed(int c) const;

    std::vector<Column> m_Columns;
    int m_nLeft = 0;
    int m_nNext = 0;
    bool m_bLastWasGap = true;
};
