// A curve graph as a plain Qt program paints it: a grey client, a white plot
// in a black frame, a grid, ticks and scale labels on two sides, a channel
// label, a unit, a legend, and each curve drawn from its per-pixel-column
// extremes (a polyline through each column's first and last values, and a
// vertical line where a column reaches beyond them). No layout rules beyond
// what this picture needs, plain QPainter calls, buffers kept between repaints.
#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QLine>
#include <QPainter>
#include <QPoint>
#include <QRect>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

struct PlainColumn {
    float first, last, low, high;
};

struct PlainCurve {
    QColor colour;
    std::vector<PlainColumn> columns; // one a pixel of the plot, from its left edge
};

struct PlainScene {
    int width = 0, height = 0;
    int left = 0, top = 0, right = 0, bottom = 0; // the plot, edges included
    QColor back, plotBack, frame, grid, scale;
    QFont font;
    int xGrid = 10, yGrid = 10, yDecimals = 2;
    double xMin = 0.0, xMax = 1.0, yMin = -1.0, yMax = 1.0;
    QString channel, unit;
    std::vector<PlainCurve> curves;
};

// Each column's extremes of values sampled evenly across the plot.
inline std::vector<PlainColumn> PlainColumnsOf(const std::vector<float>& values, int left, int right) {
    std::vector<PlainColumn> columns(std::size_t(right - left + 1));
    std::vector<bool> used(columns.size(), false);
    const double step = values.size() > 1 ? double(right - left) / double(values.size() - 1) : 0.0;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::size_t c = std::size_t(std::lround(double(i) * step));
        const float v = values[i];
        PlainColumn& column = columns[c];
        if (!used[c]) {
            column = {v, v, v, v};
            used[c] = true;
        } else {
            column.last = v;
            column.low = std::min(column.low, v);
            column.high = std::max(column.high, v);
        }
    }
    return columns;
}

class PlainPainter {
public:
    void Paint(QPainter& p, const PlainScene& s) {
        const QRect plot(QPoint(s.left, s.top), QPoint(s.right - 1, s.bottom - 1));
        // The grey margins around the plot, then the plot: no pixel filled twice.
        p.fillRect(QRect(0, 0, s.width, s.top), s.back);
        p.fillRect(QRect(0, s.bottom, s.width, s.height - s.bottom), s.back);
        p.fillRect(QRect(0, s.top, s.left, s.bottom - s.top), s.back);
        p.fillRect(QRect(s.right, s.top, s.width - s.right, s.bottom - s.top), s.back);
        p.fillRect(plot, s.plotBack);
        p.setPen(s.frame);
        p.drawRect(plot);
        PaintGrid(p, s);
        PaintLabels(p, s);
        p.save();
        p.setClipRect(QRect(QPoint(s.left, s.top), QPoint(s.right, s.bottom)));
        for (const PlainCurve& curve : s.curves)
            PaintCurve(p, s, curve);
        p.restore();
        PaintLegend(p, s);
    }

private:
    void PaintGrid(QPainter& p, const PlainScene& s) {
        m_lines.clear();
        for (int i = 1; i < s.xGrid; ++i) {
            const int x = s.left + int(std::lround(double(i) * (s.right - s.left) / s.xGrid));
            m_lines.emplace_back(x, s.top, x, s.bottom);
        }
        for (int i = 1; i < s.yGrid; ++i) {
            const int y = s.top + int(std::lround(double(i) * (s.bottom - s.top) / s.yGrid));
            m_lines.emplace_back(s.left, y, s.right, y);
        }
        p.setPen(s.grid);
        p.drawLines(m_lines.data(), int(m_lines.size()));
    }

    void PaintLabels(QPainter& p, const PlainScene& s) {
        const QFontMetrics metrics(s.font);
        const int h = metrics.height(), ascent = metrics.ascent(), avg = metrics.averageCharWidth();
        p.setFont(s.font);
        p.setPen(s.curves.empty() ? s.scale : s.curves.front().colour);
        p.drawText(s.left, s.top - h + ascent, s.channel);
        p.setPen(s.scale);
        // Y labels right of the client's edge, each (length + 1) average widths left of the plot.
        for (int i = 0; i <= s.yGrid; ++i) {
            double value = s.yMax - i * (s.yMax - s.yMin) / s.yGrid;
            if (std::fabs(value) <= 1e-6)
                value = 0.0;
            const QString text = QString::number(value, 'f', s.yDecimals);
            const int tickY = s.top + 1 + int(std::lround(double(i) * (s.bottom - s.top) / s.yGrid));
            const int y = i == 0 ? s.top + 1 : i == s.yGrid ? s.bottom - h - 1 : tickY - h / 2;
            const int width = metrics.horizontalAdvance(text);
            const int x = std::max(s.left - std::max(int(text.size() + 1) * avg, width + avg), 2);
            p.drawText(x, y + ascent, text);
            p.fillRect(QRect(s.left - 3, tickY, 4, 1), s.scale);
        }
        // X labels centred under their ticks, the first and last inside the plot's ends.
        const int top = s.bottom + 3;
        for (int i = 0; i <= s.xGrid; ++i) {
            const QString text = QString::number(s.xMin + i * (s.xMax - s.xMin) / s.xGrid, 'f', 0);
            const int width = metrics.horizontalAdvance(text);
            const int anchor = s.left + int(std::lround(double(i) * (s.right - s.left) / s.xGrid));
            const int x = i == 0 ? s.left + 1 : i == s.xGrid ? s.right - 1 - width : anchor - width / 2;
            p.drawText(x, top + ascent, text);
            p.fillRect(QRect(anchor, s.bottom, 2, 3), s.scale);
        }
        p.drawText(s.right + 2, top + ascent, s.unit);
    }

    void PaintCurve(QPainter& p, const PlainScene& s, const PlainCurve& curve) {
        const double perUnit = (s.bottom - s.top) / (s.yMax - s.yMin);
        const double zero = std::round(s.bottom + s.yMin * perUnit);
        const auto y = [&](float v) { return std::clamp(qRound(zero - perUnit * v), s.top, s.bottom); };
        m_points.clear();
        m_lines.clear();
        int x = s.left;
        for (const PlainColumn& column : curve.columns) {
            const int first = y(column.first), last = y(column.last);
            if (m_points.empty() || m_points.back() != QPoint(x, first))
                m_points.emplace_back(x, first);
            if (last != first)
                m_points.emplace_back(x, last);
            const int high = y(column.high), low = y(column.low);
            if (high < std::min(first, last) || low > std::max(first, last))
                m_lines.emplace_back(x, high, x, low);
            ++x;
        }
        p.setPen(curve.colour);
        p.drawPolyline(m_points.data(), int(m_points.size()));
        if (!m_lines.empty())
            p.drawLines(m_lines.data(), int(m_lines.size()));
    }

    void PaintLegend(QPainter& p, const PlainScene& s) {
        for (std::size_t e = 0; e < s.curves.size(); ++e) {
            const int top = s.top + 18 * int(e);
            p.setPen(Qt::black);
            p.setBrush(s.curves[e].colour);
            p.drawRect(QRect(QPoint(s.right + 5, top), QPoint(s.right + 18, top + 13)));
        }
        // The active curve's entry is marked.
        p.setPen(Qt::white);
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRect(QPoint(s.right + 8, s.top + 3), QPoint(s.right + 15, s.top + 10)));
    }

    std::vector<QPoint> m_points;
    std::vector<QLine> m_lines;
};
