// The mechanical-property test's plot, drawn into an image of the plot
// area's size: grid, curve, offset line, axes, cursors and the info box.
#include "panels/mechanical/DlgMechanicalTest.h"

#include "views/shared/GraphPaintTools.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <tuple>

namespace {

constexpr int kTenths = 10;
constexpr int kTick = 4;
constexpr int kEndTick = 8;
constexpr int kCursorMarker = 4;
constexpr double kMaxDrawnSlope = 100000.0;
constexpr int kInfoPadding = 5;
constexpr int kInfoMinWidth = 50;
constexpr int kInfoMinHeight = 30;

QFont AxisFont() {
    QFont font(QStringLiteral("楷体"));
    font.setPointSize(10);
    return font;
}

} // namespace

void CDlgMechanicalTest::RenderPlot() {
    if (m_image.size() != m_pPlot->size())
        m_image = QImage(m_pPlot->size(), QImage::Format_RGB32);
    QPainter painter(&m_image);
    painter.fillRect(m_image.rect(), ToQColor(m_colours[kPlotBackground]));
    DrawGrid(painter);
    if (m_bCurveShown) {
        DrawCurve(painter);
        if (m_bParallelLine)
            DrawParallelLine(painter);
    }
    DrawAxes(painter);
    DrawCursors(painter);
    DrawInfoBox(painter);
}

void CDlgMechanicalTest::DrawGrid(QPainter& painter) const {
    painter.setPen(ToQColor(m_colours[kGridLines]));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(m_plot.left, m_plot.top, m_plot.width, m_plot.height);
    for (int i = 1; i < kTenths; ++i) {
        const int x = m_plot.left + i * m_plot.width / kTenths;
        const int y = m_plot.top + i * m_plot.height / kTenths;
        painter.drawLine(x, m_plot.top, x, m_plot.bottom);
        painter.drawLine(m_plot.left, y, m_plot.right, y);
    }
}

void CDlgMechanicalTest::BuildCurvePixels() {
    m_curvePixels.clear();
    const std::size_t n = std::min(m_series.x.size(), m_series.y.size());
    QPolygon line;
    const auto flush = [&] {
        if (!line.isEmpty())
            m_curvePixels.push_back(line);
        line.clear();
    };
    for (std::size_t k = 0; k < n; ++k) {
        if (IsMechanicalMarker(m_series.x[k]) || IsMechanicalMarker(m_series.y[k])) {
            flush();
            continue;
        }
        const double px = m_scale.nOriginX + double(m_series.x[k]) * m_scale.fPixelsPerX;
        const double py = m_scale.nOriginY - double(m_series.y[k]) * m_scale.fPixelsPerY;
        const QPoint point(int(std::clamp(px, double(m_plot.left), double(m_plot.right))),
                           int(std::clamp(py, double(m_plot.top), double(m_plot.bottom))));
        // A long run draws as many points as the square has pixels it visits.
        if (line.isEmpty() || line.back() != point)
            line.append(point);
    }
    flush();
    m_bCurvePixelsValid = true;
}

void CDlgMechanicalTest::DrawCurve(QPainter& painter) {
    if (!m_bCurvePixelsValid)
        BuildCurvePixels();
    painter.setPen(ToQColor(m_colours[kCurveColour]));
    for (const QPolygon& line : m_curvePixels) {
        if (line.size() == 1)
            painter.drawPoint(line.front());
        else
            painter.drawPolyline(line);
    }
}

void CDlgMechanicalTest::DrawParallelLine(QPainter& painter) const {
    const double e = std::clamp(double(m_fElasticModulus), -kMaxDrawnSlope, kMaxDrawnSlope);
    // The part of Y = (X - 2000) * e that lies inside the axes.
    double x0 = m_ranges.fXMin, x1 = m_ranges.fXMax;
    if (e != 0.0) {
        const double a = kYieldOffset + m_ranges.fYMin / e, b = kYieldOffset + m_ranges.fYMax / e;
        x0 = std::max(x0, std::min(a, b));
        x1 = std::min(x1, std::max(a, b));
    } else if (m_ranges.fYMin > 0.0f || m_ranges.fYMax < 0.0f) {
        return;
    }
    if (x0 > x1)
        return;
    const auto pixel = [&](double x) {
        return QPointF(m_scale.nOriginX + x * m_scale.fPixelsPerX,
                       m_scale.nOriginY - (x - kYieldOffset) * e * m_scale.fPixelsPerY);
    };
    painter.setPen(ToQColor(m_colours[kParallelLine]));
    painter.drawLine(pixel(x0), pixel(x1));
}

void CDlgMechanicalTest::DrawAxes(QPainter& painter) const {
    painter.setPen(ToQColor(m_colours[kCoordinateValues]));
    painter.setFont(AxisFont());
    const QFontMetrics metrics(painter.font());
    const double ySpan = double(m_ranges.fYMax) - m_ranges.fYMin;
    const double xSpan = double(m_ranges.fXMax) - m_ranges.fXMin;
    for (int i = 0; i <= kTenths; ++i) {
        const int length = i == 0 || i == kTenths ? kEndTick : kTick;
        const int y = m_plot.top + i * m_plot.height / kTenths;
        const int x = m_plot.left + i * m_plot.width / kTenths;
        painter.drawLine(m_plot.left - length, y, m_plot.left, y);
        painter.drawLine(x, m_plot.bottom, x, m_plot.bottom + length);
        const QString yText = QString::fromStdString(
            FormatMechanicalAxisValue(m_ranges.fYMax - i * ySpan / kTenths, m_nAxisDecimals, true));
        const QRect yBox(0, y - metrics.height() / 2, m_plot.left - kEndTick - 2, metrics.height());
        painter.drawText(yBox, Qt::AlignRight | Qt::AlignVCenter, yText);
    }
    // X labels at both ends and the centre, and at 3 and 7 tenths where they fit.
    const auto xLabel = [&](int i) {
        const QString text = QString::fromStdString(
            FormatMechanicalAxisValue(m_ranges.fXMin + i * xSpan / kTenths, m_nAxisDecimals, false));
        const int width = metrics.horizontalAdvance(text);
        const int x = m_plot.left + i * m_plot.width / kTenths;
        return std::make_pair(text,
                              QRect(x - width / 2, m_plot.bottom + kEndTick + 2, width, metrics.height()));
    };
    const auto ends = {xLabel(0), xLabel(5), xLabel(kTenths)};
    for (const auto& [text, box] : ends)
        painter.drawText(box, Qt::AlignCenter, text);
    const auto between = {std::make_tuple(3, 0, 5), std::make_tuple(7, 5, kTenths)};
    for (const auto& [i, before, after] : between) {
        const auto label = xLabel(i);
        if (!label.second.intersects(xLabel(before).second) && !label.second.intersects(xLabel(after).second))
            painter.drawText(label.second, Qt::AlignCenter, label.first);
    }
    // Units: X centred below its labels, Y turned left of its labels.
    const int unitTop = m_plot.bottom + kEndTick + 2 + metrics.height();
    painter.drawText(QRect(m_plot.left, unitTop, m_plot.width, metrics.height()), Qt::AlignCenter,
                     QString::fromStdString(m_strXUnit));
    painter.save();
    painter.translate(metrics.height() / 2 + 2, (m_plot.top + m_plot.bottom) / 2);
    painter.rotate(-90);
    painter.drawText(QRect(-m_plot.height / 2, -metrics.height() / 2, m_plot.height, metrics.height()),
                     Qt::AlignCenter, QString::fromStdString(m_strYUnit));
    painter.restore();
}

void CDlgMechanicalTest::DrawCursors(QPainter& painter) const {
    for (int i = 0; i < 2; ++i) {
        const QColor colour = ToQColor(m_colours[i == 0 ? kCursor1Colour : kCursor2Colour]);
        painter.setPen(colour);
        painter.setBrush(colour);
        const int m = kCursorMarker;
        if (m_nDirection == kCursorsOnY) {
            const int y = m_nCursorY[i];
            painter.drawLine(m_plot.left, y, m_plot.right, y);
            painter.drawRect(m_plot.left - m, y - m / 2, m, m);
            painter.drawRect(m_plot.right, y - m / 2, m, m);
        } else {
            const int x = m_nCursorX[i];
            painter.drawLine(x, m_plot.top, x, m_plot.bottom);
            painter.drawRect(x - m / 2, m_plot.top - m, m, m);
            painter.drawRect(x - m / 2, m_plot.bottom, m, m);
        }
    }
    painter.setBrush(Qt::NoBrush);
}

void CDlgMechanicalTest::DrawInfoBox(QPainter& painter) {
    const char* axis = m_nDirection == kCursorsOnY ? "Y" : "X";
    QStringList lines;
    for (int i = 0; i < 2; ++i)
        lines << QString::asprintf("%s%d: %.*f", axis, i + 1, m_nAxisDecimals, double(GetCursorValue(i)));
    painter.setFont(AxisFont());
    const QFontMetrics metrics(painter.font());
    const int width = std::max(metrics.horizontalAdvance(lines[0]), metrics.horizontalAdvance(lines[1]));
    m_infoRect.setSize(QSize(std::max(width + 2 * kInfoPadding, kInfoMinWidth),
                             std::max(2 * metrics.height() + 2 * kInfoPadding, kInfoMinHeight)));
    painter.fillRect(m_infoRect, ToQColor(m_colours[kInfoBoxColour]));
    painter.setPen(Qt::black);
    painter.drawRect(m_infoRect.adjusted(0, 0, -1, -1));
    painter.drawText(m_infoRect.adjusted(kInfoPadding, kInfoPadding, -kInfoPadding, -kInfoPadding),
                     Qt::AlignLeft | Qt::AlignTop, lines.join('\n'));
}
