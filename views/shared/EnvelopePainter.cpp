// Drawing a time curve's envelope. A connected stretch is one polyline
// through each column's first and last values, and a column whose extremes
// reach beyond those two adds one vertical line of them, all handed to the
// painter in two calls: a call a line costs far more on short curves, and
// a polyline over every extreme draws long columns twice on dense ones.
#include "views/shared/EnvelopePainter.h"

#include "views/shared/CurveEnvelope.h"
#include "views/shared/CurveSeries.h"

#include <QLine>
#include <QPainter>

#include <algorithm>
#include <climits>
#include <vector>

namespace {

class EnvelopeLines {
public:
    EnvelopeLines(QPainter& painter, std::vector<QPoint>& stretch, std::vector<QLine>& spans)
        : m_painter(painter), m_stretch(stretch), m_spans(spans) {
        m_stretch.clear();
        m_spans.clear();
    }

    ~EnvelopeLines() {
        EndStretch();
        if (!m_spans.empty())
            m_painter.drawLines(m_spans.data(), int(m_spans.size()));
    }

    void Join(QPoint from, QPoint to) {
        if (m_stretch.empty() || m_stretch.back() != from) {
            EndStretch();
            m_stretch.push_back(from);
        }
        Add(to);
    }

    void Column(int x, int yFirst, int yLast, int yLow, int yHigh, bool joined) {
        if (!joined || m_stretch.empty() || m_stretch.back().x() != x)
            EndStretch();
        Add(QPoint(x, yFirst));
        Add(QPoint(x, yLast));
        // Pixel rows grow downwards: the high value has the smaller y.
        if (yHigh < std::min(yFirst, yLast) || yLow > std::max(yFirst, yLast))
            m_spans.emplace_back(x, yHigh, x, yLow);
    }

private:
    void Add(QPoint p) {
        if (m_stretch.empty() || m_stretch.back() != p)
            m_stretch.push_back(p);
    }
    void EndStretch() {
        if (m_stretch.size() == 1)
            m_painter.drawPoint(m_stretch.front());
        else if (m_stretch.size() > 1)
            m_painter.drawPolyline(m_stretch.data(), int(m_stretch.size()));
        m_stretch.clear();
    }

    QPainter& m_painter;
    std::vector<QPoint>& m_stretch;
    std::vector<QLine>& m_spans;
};

} // namespace

void PaintEnvelope(QPainter& painter, const CCurveEnvelope& envelope, const CCurveSeries& curve, int fromX,
                   int toX) {
    // Kept between calls: painting happens on the user-interface thread only,
    // and a live segment then allocates nothing.
    static std::vector<QPoint> stretch;
    static std::vector<QLine> spans;
    EnvelopeLines lines(painter, stretch, spans);
    const YPixelMap y = curve.GetYPixelMap();
    // A join runs from the last value of the column drawn before to the
    // first of the column drawn next: each of those is mapped once.
    int lastX = INT_MIN, lastY = 0;     // the column drawn last and its last value's pixel
    int joinedX = INT_MIN, joinedY = 0; // the column a join reached and its first value's pixel
    envelope.Walk(
        [&](int x, const CCurveEnvelope::Column& column) {
            const int yFirst = x == joinedX ? joinedY : y(column.fFirst);
            const int yLast = y(column.fLast);
            lines.Column(x, yFirst, yLast, y(column.fMin), y(column.fMax), column.bJoinPrevious);
            lastX = x;
            lastY = yLast;
        },
        [&](int x1, float v1, int x2, float v2) {
            const int y1 = x1 == lastX ? lastY : y(v1);
            joinedX = x2;
            joinedY = y(v2);
            lines.Join(QPoint(x1, y1), QPoint(x2, joinedY));
        },
        fromX, toX);
}
