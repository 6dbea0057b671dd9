// Painting and input of the spectrum graph control.
#include "libs/spectrum/SpectrumGraphCtrl.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <optional>

namespace {

constexpr int kLineColourFirst = 6;
constexpr int kLineColourCount = 9;

std::optional<lurrow::GraphKey> GraphKeyOf(int key) {
    switch (key) {
    case Qt::Key_Shift:
        return lurrow::GraphKey::Shift;
    case Qt::Key_Control:
        return lurrow::GraphKey::Ctrl;
    case Qt::Key_PageUp:
        return lurrow::GraphKey::PageUp;
    case Qt::Key_PageDown:
        return lurrow::GraphKey::PageDown;
    case Qt::Key_Left:
        return lurrow::GraphKey::Left;
    case Qt::Key_Right:
        return lurrow::GraphKey::Right;
    default:
        return std::nullopt;
    }
}

} // namespace

CSpectrumGraphCtrl::CSpectrumGraphCtrl(QWidget* parent) : QWidget(parent) {
    setObjectName(QString::number(kControlId));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QColor CSpectrumGraphCtrl::Colour(int index) const {
    const GRAPHIC_ATTRI defaults;
    const std::uint32_t c = (m_pAttributes ? *m_pAttributes : defaults).clrColors[index];
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                  static_cast<int>((c >> 16) & 0xFF));
}

QFont CSpectrumGraphCtrl::Font(int index) const {
    const GRAPHIC_ATTRI defaults;
    const SPECTRUM_LOGFONT& f = (m_pAttributes ? *m_pAttributes : defaults).fonts[index];
    QFont font(
        QString::fromLatin1(f.lfFaceName, static_cast<int>(strnlen(f.lfFaceName, sizeof f.lfFaceName))));
    font.setPixelSize(std::clamp(std::abs(f.lfHeight), 6, 72));
    font.setWeight(f.lfWeight >= 700 ? QFont::Bold : QFont::Normal);
    font.setItalic(f.lfItalic != 0);
    font.setUnderline(f.lfUnderline != 0);
    font.setStrikeOut(f.lfStrikeOut != 0);
    return font;
}

void CSpectrumGraphCtrl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Colour(3));
    const lurrow::GraphRect& plot = m_graph.GetPlotRect();
    const QRect plotRect(plot.left, plot.top, plot.Width(), plot.Height());
    painter.fillRect(plotRect, Colour(2));
    PaintGrid(painter);
    painter.save();
    painter.setClipRect(plotRect.adjusted(0, 0, 1, 1));
    PaintLines(painter);
    PaintCursors(painter);
    painter.restore();
    painter.setPen(Colour(1));
    painter.drawRect(plotRect);
    PaintLabels(painter);
    if (m_graph.GetCursorMode() != 0) {
        const std::vector<std::string> lines = m_graph.ReadoutLines();
        painter.setFont(Font(1));
        const QFontMetrics metrics(painter.font());
        lurrow::GraphRect box = m_graph.GetReadoutBox();
        int width = 0;
        for (const std::string& line : lines)
            width = std::max(width, metrics.horizontalAdvance(QString::fromStdString(line)));
        box.right = box.left + width + 10;
        box.bottom = box.top + metrics.height() * static_cast<int>(lines.size()) + 6;
        // Back inside the window when it would leave it at the top or bottom.
        if (box.bottom > height()) {
            box.top -= box.bottom - height();
            box.bottom = height();
        }
        if (box.top < 0) {
            box.bottom -= box.top;
            box.top = 0;
        }
        m_graph.SetReadoutBox(box);
        painter.fillRect(QRect(box.left, box.top, box.Width(), box.Height()), Colour(3));
        painter.setPen(Qt::black);
        painter.drawRect(QRect(box.left, box.top, box.Width(), box.Height()));
        int y = box.top + 3 + metrics.ascent();
        for (const std::string& line : lines) {
            painter.drawText(box.left + 5, y, QString::fromStdString(line));
            y += metrics.height();
        }
    }
}

void CSpectrumGraphCtrl::PaintGrid(QPainter& painter) {
    const lurrow::GraphRect& plot = m_graph.GetPlotRect();
    painter.setPen(QPen(Colour(0), 1, Qt::DotLine));
    for (double x : m_graph.XGridValues()) {
        const int px = m_graph.XToPixel(x);
        painter.drawLine(px, plot.top, px, plot.bottom);
    }
    for (double y : m_graph.YGridValues()) {
        const int py = m_graph.YToPixel(y);
        painter.drawLine(plot.left, py, plot.right, py);
    }
}

void CSpectrumGraphCtrl::PaintLines(QPainter& painter) {
    const VIEW_INFO& view = m_graph.GetViewInfo();
    const std::vector<float>& x = m_graph.GetXValues();
    const int first = view.nXStart;
    const int last = std::min(view.nXStart + view.nVisibleCount, static_cast<int>(x.size()));
    for (int line = 0; line < m_graph.GetLineCount(); ++line) {
        const std::vector<float>& values = m_graph.GetLine(line);
        painter.setPen(QPen(Colour(kLineColourFirst + line % kLineColourCount), 1));
        QPainterPath path;
        for (int i = first; i < last && i < static_cast<int>(values.size()); ++i) {
            const QPointF point(m_graph.XToPixel(x[static_cast<std::size_t>(i)]),
                                m_graph.YToPixel(values[static_cast<std::size_t>(i)]));
            if (i == first)
                path.moveTo(point);
            else
                path.lineTo(point);
        }
        painter.drawPath(path);
    }
}

void CSpectrumGraphCtrl::PaintLabels(QPainter& painter) {
    const lurrow::GraphRect& plot = m_graph.GetPlotRect();
    painter.setPen(Colour(1));
    painter.setFont(Font(0));
    const QFontMetrics metrics(painter.font());
    const auto measure = [&metrics](const std::string& text) {
        return metrics.horizontalAdvance(QString::fromStdString(text));
    };
    const QFont titleFont = Font(2);
    const QFontMetrics titleMetrics(titleFont);
    const QString xTitle = QStringLiteral("Frequency - Hz");
    std::vector<lurrow::AxisLabel> xLabels = m_graph.XLabels(measure, metrics.averageCharWidth());
    const lurrow::TitlePlace title =
        lurrow::PlaceXTitle(xLabels, measure, plot, titleMetrics.horizontalAdvance(xTitle), metrics.height(),
                            titleMetrics.height(), height());
    for (std::size_t i = 0; i < xLabels.size(); ++i) {
        const QString text = QString::fromStdString(xLabels[i].text);
        const int w = metrics.horizontalAdvance(text);
        const int left = i + 1 == xLabels.size() ? xLabels[i].pixel - w : xLabels[i].pixel - w / 2;
        painter.drawLine(xLabels[i].pixel, plot.bottom, xLabels[i].pixel, plot.bottom + 4);
        painter.drawText(left, plot.bottom + 4 + metrics.ascent(), text);
    }
    // The Y labels stand between the unit column at the left edge and the ticks.
    const QString yTitle = QString::fromStdString(m_graph.GetActiveUnit());
    const QFont yFont = Font(3);
    const QFontMetrics yMetrics(yFont);
    const int unitRight = yTitle.isEmpty() ? 0 : 2 + yMetrics.height();
    const std::vector<lurrow::AxisLabel> yLabels = lurrow::FitYLabels(
        m_graph.YLabels(), m_graph.GetDrawCommon().nYPrecision, measure, plot.left - 6 - unitRight - 2);
    for (const lurrow::AxisLabel& label : yLabels) {
        const QString text = QString::fromStdString(label.text);
        painter.drawLine(plot.left - 4, label.pixel, plot.left, label.pixel);
        painter.drawText(plot.left - 6 - metrics.horizontalAdvance(text), label.pixel + metrics.ascent() / 2,
                         text);
    }
    // Axis titles: X below the plot, Y vertical at the left edge.
    painter.setFont(titleFont);
    painter.drawText(title.left, title.top + titleMetrics.ascent(), xTitle);
    if (!yTitle.isEmpty()) {
        painter.save();
        painter.setFont(yFont);
        painter.translate(2 + yMetrics.ascent(),
                          plot.top + (plot.Height() + yMetrics.horizontalAdvance(yTitle)) / 2);
        painter.rotate(-90);
        painter.drawText(0, 0, yTitle);
        painter.restore();
    }
}

void CSpectrumGraphCtrl::PaintCursors(QPainter& painter) {
    const lurrow::GraphRect& plot = m_graph.GetPlotRect();
    const int mode = m_graph.GetCursorMode();
    const auto drawCursor = [&](int index, const QColor& colour) {
        const int px = m_graph.XToPixel(m_graph.XAt(index));
        const int py = m_graph.YToPixel(m_graph.ValueAt(index));
        painter.setPen(QPen(colour, 1));
        painter.drawLine(px, plot.top, px, plot.bottom);
        // The 18-pixel mark with arrow heads at the line's value.
        painter.drawLine(px - 9, py, px + 9, py);
        painter.drawLine(px - 9, py, px - 6, py - 3);
        painter.drawLine(px - 9, py, px - 6, py + 3);
        painter.drawLine(px + 9, py, px + 6, py - 3);
        painter.drawLine(px + 9, py, px + 6, py + 3);
        painter.fillRect(QRect(px - 4, plot.top, 9, 4), colour);
        painter.fillRect(QRect(px - 4, plot.bottom - 4, 9, 4), colour);
    };
    if (mode == 1 || mode == 2)
        drawCursor(m_graph.GetCursor1(), Colour(4));
    if (mode == 2)
        drawCursor(m_graph.GetCursor2(), Colour(5));
    if (mode == 3) {
        const int px = m_graph.XToPixel(m_graph.XAt(m_graph.GetPeak()));
        const int py = m_graph.YToPixel(m_graph.ValueAt(m_graph.GetPeak()));
        painter.setPen(QPen(Colour(4), 1));
        painter.drawLine(px, plot.top, px, plot.bottom);
        painter.drawLine(px - 4, py - 4, px + 4, py + 4);
        painter.drawLine(px - 4, py + 4, px + 4, py - 4);
        painter.fillRect(QRect(px - 4, plot.top, 9, 4), Colour(4));
        painter.fillRect(QRect(px - 4, plot.bottom - 4, 9, 4), Colour(4));
    }
}

void CSpectrumGraphCtrl::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_graph.Resize(width(), height());
}

void CSpectrumGraphCtrl::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    setFocus();
    const QPoint p = event->position().toPoint();
    m_graph.MouseDown(p.x(), p.y(), (event->modifiers() & Qt::ControlModifier) != 0);
    update();
}

void CSpectrumGraphCtrl::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    const bool sizing = m_graph.MouseMove(p.x(), p.y(), (event->buttons() & Qt::LeftButton) != 0,
                                          (event->modifiers() & Qt::ControlModifier) != 0);
    setCursor(sizing ? Qt::SizeHorCursor : Qt::ArrowCursor);
    if (event->buttons() & Qt::LeftButton)
        update();
}

void CSpectrumGraphCtrl::mouseReleaseEvent(QMouseEvent* event) {
    m_graph.MouseUp();
    update();
    QWidget::mouseReleaseEvent(event);
}

bool CSpectrumGraphCtrl::HandleKey(QKeyEvent* event, bool down) {
    const std::optional<lurrow::GraphKey> key = GraphKeyOf(event->key());
    if (!key)
        return false;
    if (down) {
        if (m_graph.KeyDown(*key))
            QApplication::beep();
    } else {
        m_graph.KeyUp(*key);
    }
    update();
    return true;
}

void CSpectrumGraphCtrl::keyPressEvent(QKeyEvent* event) {
    if (!HandleKey(event, true))
        QWidget::keyPressEvent(event);
}

void CSpectrumGraphCtrl::keyReleaseEvent(QKeyEvent* event) {
    if (!HandleKey(event, false))
        QWidget::keyReleaseEvent(event);
}
