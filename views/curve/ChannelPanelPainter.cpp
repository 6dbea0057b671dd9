// Painting of the channel-value panel.
#include "views/curve/ChannelPanelPainter.h"

#include "views/shared/GraphPaintTools.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace {

// Widths are kept from one paint to the next: a live window repaints its
// bands several times a second with mostly the same scale labels, and
// shaping a text again to measure it is most of what laying them out costs.
class QtPanelMetrics : public IPanelMetrics {
public:
    QtPanelMetrics(const std::array<QFont, kPanelFontCount>& fonts, CChannelPanelPainter::TextWidths& widths)
        : m_fonts(fonts), m_widths(widths) {}
    int TextWidth(int font, const std::string& text) const override {
        auto& known = m_widths[std::size_t(font)];
        if (const auto it = known.find(text); it != known.end())
            return it->second;
        // Labels that follow a growing axis would otherwise pile up.
        if (known.size() >= kWidthsKept)
            known.clear();
        const int width =
            QFontMetrics(m_fonts[std::size_t(font)]).horizontalAdvance(QString::fromStdString(text));
        known.emplace(text, width);
        return width;
    }
    int TextHeight(int font) const override { return QFontMetrics(m_fonts[std::size_t(font)]).height(); }
    int AverageCharWidth(int font) const override {
        return QFontMetrics(m_fonts[std::size_t(font)]).averageCharWidth();
    }

private:
    static constexpr std::size_t kWidthsKept = 1024;
    const std::array<QFont, kPanelFontCount>& m_fonts;
    CChannelPanelPainter::TextWidths& m_widths;
};

QRect ToQRect(const PlotRect& r) {
    return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
}

// The client's background where the plot does not cover it: most of a
// window is plot, and filling it twice is most of what the background costs.
void FillAround(QPainter& painter, const QRect& client, const QRect& plot, const QColor& colour) {
    if (plot.isEmpty()) {
        painter.fillRect(client, colour);
        return;
    }
    const QRect bands[] = {
        QRect(QPoint(client.left(), client.top()), QPoint(client.right(), plot.top() - 1)),
        QRect(QPoint(client.left(), plot.bottom() + 1), QPoint(client.right(), client.bottom())),
        QRect(QPoint(client.left(), plot.top()), QPoint(plot.left() - 1, plot.bottom())),
        QRect(QPoint(plot.right() + 1, plot.top()), QPoint(client.right(), plot.bottom())),
    };
    for (const QRect& band : bands)
        if (!band.isEmpty())
            painter.fillRect(band, colour);
}

} // namespace

CChannelPanelPainter::CChannelPanelPainter() {
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(12);
    m_Fonts.fill(font);
    m_GridPenV = m_GridPenH = QPen(QColor(0xC0, 0xC0, 0xC0), 1);
    m_XScalePen = m_YScalePen = QPen(Qt::black, 1);
}

void CChannelPanelPainter::TakeOptions(const CGraphDisplayOptions& o) {
    for (auto& widths : m_TextWidths)
        widths.clear();
    m_Fonts[kFontXScale] = FontFromLogFont(o.m_lftXScale);
    m_Fonts[kFontYScale] = FontFromLogFont(o.m_lftYScale);
    m_Fonts[kFontChannelId] = FontFromLogFont(o.m_lftChannelID);
    m_Fonts[kFontUnitY] = FontFromLogFont(o.m_lftUnitY);
    m_Fonts[kFontUnitX] = FontFromLogFont(o.m_lftUnitX);
    m_GridPenV = m_GridPenH = PenFromStyle(o.m_PenStyle_Grid, o.m_PenWidth_Grid, o.m_Grid);
    m_XScalePen = PenFromStyle(o.m_PenStyle_Grid, o.m_PenWidth_Grid, o.m_clrXScale);
    m_YScalePen = PenFromStyle(o.m_PenStyle_Grid, o.m_PenWidth_Grid, o.m_clrYScale);
}

void CChannelPanelPainter::Draw(QPainter& painter, const CGraphDisplayOptions& o,
                                const CurveWorld& world) const {
    painter.save();
    const QRect client = ToQRect(m_Fields.rcClient);
    const bool frameOnly = m_Fields.nLabelChannel == -1 && m_Fields.nGraphKind == 3;
    if (frameOnly) {
        painter.fillRect(client, ToQColor(o.m_clrViewBack));
    } else {
        const QRect plot = ToQRect(m_Fields.rcPlot);
        FillAround(painter, client, plot, ToQColor(o.m_clrViewBack));
        painter.fillRect(plot, ToQColor(o.m_clrDataLineBack));
        painter.setPen(QPen(ToQColor(o.m_LineFrame), 1));
        painter.drawRect(plot);
    }
    const ChannelPanelDrawing d =
        LayoutChannelPanel(m_Fields, o, QtPanelMetrics(m_Fonts, m_TextWidths), world);
    for (const PanelLine& line : d.grid) {
        painter.setPen(line.vertical ? m_GridPenV : m_GridPenH);
        painter.drawLine(line.x1, line.y1, line.x2, line.y2);
    }
    for (const PanelTick& tick : d.ticks)
        painter.fillRect(
            QRect(QPoint(tick.rect.left, tick.rect.top), QPoint(tick.rect.right - 1, tick.rect.bottom - 1)),
            (tick.xScale ? m_XScalePen : m_YScalePen).color());
    for (const PanelText& text : d.texts) {
        QFont font = m_Fonts[std::size_t(text.font)];
        if (text.scale < 1.0) {
            if (font.pixelSize() > 0)
                font.setPixelSize(std::max(int(font.pixelSize() * text.scale), 1));
            else
                font.setPointSizeF(font.pointSizeF() * text.scale);
        }
        painter.setFont(font);
        painter.setPen(ToQColor(text.colour));
        const QString s = QString::fromStdString(text.text);
        const QFontMetrics metrics(font);
        if (text.font == kFontUnitY) {
            painter.save();
            painter.translate(text.x + metrics.ascent(), text.y + metrics.horizontalAdvance(s) / 2);
            painter.rotate(-90);
            painter.drawText(0, 0, s);
            painter.restore();
        } else {
            painter.drawText(text.x, text.y + metrics.ascent(), s);
        }
    }
    painter.restore();
}
