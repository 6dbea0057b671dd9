// The history view's cursor markers: a vertical line with double-headed
// arrows at the cursor points, and a cross with a diamond at one point,
// scaled for printing.
#pragma once

#include <QPoint>
#include <QRect>

class QPainter;
class QPen;

class CMarkerDrawer {
public:
    static constexpr int kMaxPoints = 8;

    void SetScale(double sx, double sy) {
        m_fScaleX = sx;
        m_fScaleY = sy;
    }
    void SetPlotRect(const QRect& rect) { m_rcPlot = rect; }
    void SetPoint(int index, const QPoint& point) {
        if (index >= 0 && index < kMaxPoints)
            m_Points[index] = point;
    }

    void DrawCursorMarkers(QPainter& painter, const QPen& pen, int count) const;
    void DrawPointMarker(QPainter& painter, const QPen& pen, int index) const;

private:
    int X(double units) const;
    int Y(double units) const;

    QPoint m_Points[kMaxPoints];
    QRect m_rcPlot;
    double m_fScaleX = 1.0;
    double m_fScaleY = 1.0;
};
