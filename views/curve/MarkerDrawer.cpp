// Cursor and point markers of the history view.
#include "views/curve/MarkerDrawer.h"

#include <QPainter>

#include <cmath>

int CMarkerDrawer::X(double units) const {
    return static_cast<int>(std::lround(units * m_fScaleX));
}

int CMarkerDrawer::Y(double units) const {
    return static_cast<int>(std::lround(units * m_fScaleY));
}

void CMarkerDrawer::DrawCursorMarkers(QPainter& painter, const QPen& pen, int count) const {
    painter.save();
    painter.setPen(pen);
    const int n = count < 0 ? 0 : (count > kMaxPoints ? kMaxPoints : count);
    if (n > 0)
        painter.drawLine(m_Points[0].x(), m_rcPlot.top(), m_Points[0].x(), m_rcPlot.bottom());
    for (int i = 0; i < n; ++i) {
        const int x = m_Points[i].x();
        const int y = m_Points[i].y();
        painter.drawLine(x - X(10), y, x + X(10), y);
        const QPoint left[] = {{x - X(6), y - Y(4)}, {x - X(10), y}, {x - X(6), y + Y(4)}};
        const QPoint right[] = {{x + X(6), y - Y(4)}, {x + X(10), y}, {x + X(6), y + Y(4)}};
        painter.drawPolyline(left, 3);
        painter.drawPolyline(right, 3);
    }
    painter.restore();
}

void CMarkerDrawer::DrawPointMarker(QPainter& painter, const QPen& pen, int index) const {
    if (index < 0 || index >= kMaxPoints)
        return;
    painter.save();
    painter.setPen(pen);
    const int x = m_Points[index].x();
    const int y = m_Points[index].y();
    const int h = X(10);
    painter.drawLine(x - h, y, x + h, y);
    painter.drawLine(x, y - h, x, y + h);
    const QPoint diamond[] = {{x, y - h}, {x + h, y}, {x, y + h}, {x - h, y}, {x, y - h}};
    painter.drawPolyline(diamond, 5);
    painter.restore();
}
