// Geometry of the channel-value painter.
#include "views/curve/ChannelPanelLayout.h"

#include "model/ChannelNaming.h"
#include "platform/Text.h"
#include "views/curve/CurveWorld.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

// The smallest share of its font's size a scale label is drawn at.
constexpr double kMinLabelScale = 0.7;

std::string Decimal(int precision, double value) {
    return platform::Format("%.*f", std::clamp(precision, 0, 7), value);
}

std::string ChannelLabelText(const ChannelPanelFields& f, const CurveWorld& world) {
    if (f.nSignalKind == 2)
        return platform::Format("应变花组_%d", f.nLabelChannel);
    if (f.nSignalKind == 4)
        return platform::Format("残余应力组_%d", f.nLabelChannel);
    return CurveChannelLabel(f.nLabelChannel, world, false);
}

// The labels of every Y tick at one format, so that they read alike.
std::vector<std::string> YLabelTexts(const CGraphDisplayOptions& o,
                                     const std::function<std::string(double)>& format) {
    std::vector<std::string> texts;
    const int n = o.m_nYGridCount;
    for (int i = 0; i <= n; ++i) {
        double value = o.m_fYmax - i * (double(o.m_fYmax) - o.m_fYmin) / n;
        if (std::fabs(value) <= 0.000001)
            value = 0.0;
        texts.push_back(format(value));
    }
    return texts;
}

// Y labels with their widths at full size: each label is measured once.
struct YLabels {
    std::vector<std::string> texts;
    std::vector<int> widths;
    double scale = 1.0; // of the font's size
    int Widest() const { return widths.empty() ? 0 : *std::max_element(widths.begin(), widths.end()); }
};

YLabels MeasuredYLabels(const CGraphDisplayOptions& o, const IPanelMetrics& m,
                        const std::function<std::string(double)>& format) {
    YLabels labels;
    labels.texts = YLabelTexts(o, format);
    for (const std::string& text : labels.texts)
        labels.widths.push_back(m.TextWidth(kFontYScale, text));
    return labels;
}

// The Y labels at the view's precision, or, when the widest of them would not
// fit between the unit column and the plot, with fewer decimals and at last in
// exponent form: a label cut at the window's edge loses its sign and leading
// digits and reads as another number.
YLabels FittedYLabels(const CGraphDisplayOptions& o, const IPanelMetrics& m, int room) {
    const int precision = std::clamp(o.m_nYPrecision, 0, 7);
    for (int p = precision; p >= 0; --p) {
        YLabels labels = MeasuredYLabels(o, m, [p](double v) { return Decimal(p, v); });
        if (labels.Widest() <= room)
            return labels;
    }
    // Whole numbers a little too wide keep all their digits in a smaller font.
    YLabels whole = MeasuredYLabels(o, m, [](double v) { return Decimal(0, v); });
    if (whole.Widest() * kMinLabelScale <= room) {
        whole.scale = double(std::max(room, 1)) / whole.Widest();
        return whole;
    }
    YLabels labels;
    for (int p = 2; p >= 0; --p) {
        labels = MeasuredYLabels(o, m, [p](double v) { return platform::Format("%.*e", p, v); });
        if (labels.Widest() <= room)
            break;
    }
    return labels;
}

// The right edge of the column the vertical Y unit text takes, or the
// client's left edge when no unit is drawn.
int UnitColumnRight(const ChannelPanelFields& f, const IPanelMetrics& m) {
    if (f.bUnitYShown && !f.strUnitY.empty())
        return f.rcClient.left + 2 + m.TextHeight(kFontUnitY);
    return f.rcClient.left;
}

void LayoutYScale(const ChannelPanelFields& f, const CGraphDisplayOptions& o, const IPanelMetrics& m,
                  ChannelPanelDrawing& d) {
    const int n = o.m_nYGridCount;
    if (f.rcClient.left >= f.rcPlot.left || n < 1)
        return;
    const PlotRect& p = f.rcPlot;
    const int h = m.TextHeight(kFontYScale);
    const int avg = m.AverageCharWidth(kFontYScale);
    const int height = p.bottom - p.top;
    const int leftmost = UnitColumnRight(f, m) + 2;
    const YLabels labels = FittedYLabels(o, m, p.left - avg - leftmost);
    const double scale = labels.scale;
    int previousBottom = p.top;
    for (int i = 0; i <= n; ++i) {
        const std::string& text = labels.texts[std::size_t(i)];
        const int tickY = p.top + 1 + int(std::lround(double(i) * height / n));
        int y = tickY - h / 2;
        if (i == 0) {
            y = p.top + 1;
        } else if (i == n) {
            y = p.bottom - h - 1;
        } else if (y < previousBottom || y + h > p.bottom - h || (i == 1 && y < p.top + h)) {
            continue;
        }
        // (length + 1) average widths left of the plot, never into it when the
        // digits are wider than the average, and never over the unit column.
        const int width = int(labels.widths[std::size_t(i)] * scale);
        const int x = std::max(
            p.left - std::max(int((platform::Utf8ToGbk(text).size() + 1) * avg * scale), width + avg),
            leftmost);
        d.texts.push_back({kFontYScale, o.m_clrYScale, x, y, text, scale});
        d.ticks.push_back({{p.left - 3, tickY, p.left + 1, tickY + 1}, false});
        previousBottom = y + h;
    }
}

void LayoutXScale(const ChannelPanelFields& f, const CGraphDisplayOptions& o, const IPanelMetrics& m,
                  const CurveWorld& world, ChannelPanelDrawing& d) {
    const PlotRect& p = f.rcPlot;
    const int width = p.right - p.left;
    const int top = p.bottom + 3;
    if (f.nGraphKind == 2) {
        const int count = int(f.distributionIds.size());
        if (count < 1)
            return;
        const double step = count > 1 ? double(width) / (count - 1) : 0.0;
        const bool every = count < 8;
        const int stride = every ? 1 : count / 8 + 1;
        int previousEnd = p.left - 1;
        for (int j = 0; j < count; j += stride) {
            const int id = f.distributionIds[std::size_t(j)];
            std::string text;
            if (id >= kFirstDigitalChannel)
                text = platform::Format("数字:%d", id - 4223);
            else if (id >= kFirstVirtualChannel)
                text = platform::Format(every ? "虚拟:%d" : "虚:%d", id - 4095);
            else
                text = FormatChannelName(id);
            const int w = m.TextWidth(kFontXScale, text);
            const int anchor = p.left + int(std::lround(j * step));
            const int x = j == count - 1 && count > 1 ? p.right - w : anchor;
            if (x < previousEnd)
                continue;
            d.texts.push_back({kFontXScale, o.m_clrXScale, x, top, text});
            d.ticks.push_back({{anchor, p.bottom, anchor + 2, p.bottom + 2}, true});
            previousEnd = x + w;
        }
        return;
    }
    const int n = o.m_nXGridCount;
    if (n < 1)
        return;
    const bool seconds = o.m_nXShowType == 1;
    const int precision = f.nGraphKind == 1 && !seconds ? 0 : o.m_nXPrecision;
    // Neighbouring labels keep a blank between them, or they read as one number.
    const int gap = std::max(m.TextWidth(kFontXScale, " "), 1);
    int previousEnd = p.left;
    for (int i = 0; i <= n; ++i) {
        double value = o.m_fXmin + i * (double(o.m_fXmax) - o.m_fXmin) / n;
        if (seconds)
            value *= f.fXStep;
        const std::string text = Decimal(precision, value);
        const int w = m.TextWidth(kFontXScale, text);
        const int anchor = p.left + int(std::lround(double(i) * width / n));
        int x = anchor - w / 2;
        if (i == 0) {
            x = p.left + 1;
        } else if (i == n) {
            x = p.right - 1 - w;
        } else if (x < previousEnd + gap || x + w + gap > p.right - w) {
            continue;
        }
        d.texts.push_back({kFontXScale, o.m_clrXScale, x, top, text});
        d.ticks.push_back({{anchor, p.bottom, anchor + 2, p.bottom + 3}, true});
        previousEnd = x + w;
    }
    (void)world;
}

// The X unit goes centred under the X labels when the margin below the plot
// holds both lines; otherwise beside the last label in the right margin; and
// when that is too narrow, centred on the label line in place of the labels it
// would cover. It is never written over a label.
void PlaceXUnit(const ChannelPanelFields& f, const CGraphDisplayOptions& o, const IPanelMetrics& m,
                std::size_t firstLabel, ChannelPanelDrawing& d) {
    const PlotRect& p = f.rcPlot;
    const int w = m.TextWidth(kFontUnitX, f.strUnitX);
    const int labelTop = p.bottom + 3;
    const int below = labelTop + m.TextHeight(kFontXScale) + 1;
    if (below + m.TextHeight(kFontUnitX) <= f.rcClient.bottom) {
        d.texts.push_back({kFontUnitX, o.m_clrXScale, (p.left + p.right - w) / 2, below, f.strUnitX});
        return;
    }
    if (p.right + 2 + w <= f.rcClient.right) {
        d.texts.push_back({kFontUnitX, o.m_clrXScale, p.right + 2, labelTop, f.strUnitX});
        return;
    }
    const int x = (p.left + p.right - w) / 2;
    const int gap = m.AverageCharWidth(kFontXScale);
    std::vector<std::size_t> covered;
    for (std::size_t i = firstLabel; i < d.texts.size(); ++i) {
        const PanelText& label = d.texts[i];
        const int right = label.x + m.TextWidth(label.font, label.text);
        if (right + gap > x && label.x < x + w + gap)
            covered.push_back(i);
    }
    for (auto it = covered.rbegin(); it != covered.rend(); ++it)
        d.texts.erase(d.texts.begin() + std::ptrdiff_t(*it));
    d.texts.push_back({kFontUnitX, o.m_clrXScale, x, labelTop, f.strUnitX});
}

} // namespace

std::string CurveChannelLabel(int id, const CurveWorld& world, bool shortForm) {
    if (id >= 0 && id < kFirstVirtualChannel)
        return FormatChannelName(id) + "[" + world.channels[std::size_t(id)].strDescription + "]";
    if (IsVirtualChannel(id)) {
        const int n = id - 4095;
        std::string text = platform::Format("虚拟:%d", n);
        if (!shortForm)
            text +=
                "[" +
                (n <= int(world.virtualChannels.size()) ? world.virtualChannels[std::size_t(n - 1)].strName
                                                        : "") +
                "]";
        return text;
    }
    if (IsDigitalChannel(id)) {
        const int n = id - 4223;
        std::string text = platform::Format("数字:%d", n);
        const std::string name =
            n <= int(world.digitalChannels.size()) ? world.digitalChannels[std::size_t(n - 1)].strName : "";
        if (!shortForm && !name.empty())
            text += "[" + name + "]";
        return text;
    }
    return std::string();
}

std::string CurveChannelUnit(int id, const CurveWorld& world) {
    if (id >= 0 && id < kFirstVirtualChannel)
        return world.channels[std::size_t(id)].strUnit;
    if (IsVirtualChannel(id) && id - 4096 < int(world.virtualChannels.size()))
        return world.virtualChannels[std::size_t(id - 4096)].strUnit;
    if (IsDigitalChannel(id) && id - 4224 < int(world.digitalChannels.size()))
        return world.digitalChannels[std::size_t(id - 4224)].strUnit;
    return std::string();
}

ChannelPanelDrawing LayoutChannelPanel(const ChannelPanelFields& f, const CGraphDisplayOptions& o,
                                       const IPanelMetrics& m, const CurveWorld& world) {
    ChannelPanelDrawing d;
    if (f.nLabelChannel == -1 && f.nGraphKind == 3)
        return d;
    const PlotRect& p = f.rcPlot;
    if (f.bGridShown && o.m_nXGridCount > 0) {
        for (int i = 1; i < o.m_nXGridCount; ++i) {
            const int x = p.left + int(std::lround(double(i) * (p.right - p.left) / o.m_nXGridCount));
            d.grid.push_back({x, p.top, x, p.bottom, true});
        }
    }
    if (f.bGridShown && o.m_nYGridCount > 0) {
        for (int i = 1; i < o.m_nYGridCount; ++i) {
            const int y = p.top + int(std::lround(double(i) * (p.bottom - p.top) / o.m_nYGridCount));
            d.grid.push_back({p.left, y, p.right, y, false});
        }
    }
    if (f.bLabelShown && f.rcClient.top < p.top) {
        const COLORREF colour =
            f.nActiveIndex >= 0 && f.nActiveIndex < 8 ? o.m_Line[f.nActiveIndex] : o.m_clrChannelID;
        const int y = p.top - m.TextHeight(kFontChannelId);
        const std::string text = ChannelLabelText(f, world);
        if (f.nGraphKind == 3 && f.nSignalKind == 1) {
            // The X channel in the colour of the X scale, the Y channel in the
            // curve's: two names in one colour do not say which axis is which.
            d.texts.push_back({kFontChannelId, o.m_clrXScale, p.left, y, text});
            d.texts.push_back({kFontChannelId, colour, p.left + m.TextWidth(kFontChannelId, text), y,
                               "  " + CurveChannelLabel(f.nSecondChannel, world,
                                                        f.nSecondChannel >= kFirstVirtualChannel)});
        } else {
            d.texts.push_back({kFontChannelId, colour, p.left, y, text});
        }
    }
    LayoutYScale(f, o, m, d);
    if (p.bottom < f.rcClient.bottom) {
        const std::size_t firstXLabel = d.texts.size();
        LayoutXScale(f, o, m, world, d);
        if (f.bUnitXShown && !f.strUnitX.empty())
            PlaceXUnit(f, o, m, firstXLabel, d);
    }
    if (f.bUnitYShown && !f.strUnitY.empty() && f.rcClient.left < p.left) {
        // Vertical text: x is the left edge of its column, y the middle of the plot.
        d.texts.push_back(
            {kFontUnitY, o.m_clrYScale, f.rcClient.left + 2, (p.top + p.bottom) / 2, f.strUnitY});
    }
    return d;
}
