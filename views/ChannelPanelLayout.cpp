// Geometry of the channel-value painter.
#include "views/ChannelPanelLayout.h"

#include "app/ChannelNaming.h"
#include "platform/Text.h"
#include "views/CurveWorld.h"

#include <algorithm>
#include <cmath>

namespace {

std::string Decimal(int precision, double value) {
    return platform::Format("%.*f", std::clamp(precision, 0, 7), value);
}

std::string ChannelLabelText(const ChannelPanelFields& f, const CurveWorld& world) {
    if (f.nSignalKind == 2)
        return platform::Format("应变花组_%d", f.nLabelChannel);
    if (f.nSignalKind == 4)
        return platform::Format("残余应力组_%d", f.nLabelChannel);
    std::string text = CurveChannelLabel(f.nLabelChannel, world, false);
    if (f.nGraphKind == 3)
        text += "  " + CurveChannelLabel(f.nSecondChannel, world, f.nSecondChannel >= kFirstVirtualChannel);
    return text;
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
    int previousBottom = p.top;
    for (int i = 0; i <= n; ++i) {
        double value = o.m_fYmax - i * (double(o.m_fYmax) - o.m_fYmin) / n;
        if (std::fabs(value) <= 0.000001)
            value = 0.0;
        const std::string text = Decimal(o.m_nYPrecision, value);
        const int tickY = p.top + 1 + int(std::lround(double(i) * height / n));
        int y = tickY - h / 2;
        if (i == 0) {
            y = p.top + 1;
        } else if (i == n) {
            y = p.bottom - h - 1;
        } else if (y < previousBottom || y + h > p.bottom - h || (i == 1 && y < p.top + h)) {
            continue;
        }
        // (length + 1) average widths left of the plot, and never into it
        // when the digits are wider than the average.
        const int x = p.left - std::max(int(platform::Utf8ToGbk(text).size() + 1) * avg,
                                        m.TextWidth(kFontYScale, text) + avg);
        d.texts.push_back({kFontYScale, o.m_clrYScale, x, y, text});
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
        } else if (x < previousEnd || x + w > p.right - w) {
            continue;
        }
        d.texts.push_back({kFontXScale, o.m_clrXScale, x, top, text});
        d.ticks.push_back({{anchor, p.bottom, anchor + 2, p.bottom + 3}, true});
        previousEnd = x + w;
    }
    (void)world;
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
        d.texts.push_back({kFontChannelId, colour, p.left, p.top - m.TextHeight(kFontChannelId),
                           ChannelLabelText(f, world)});
    }
    LayoutYScale(f, o, m, d);
    if (p.bottom < f.rcClient.bottom) {
        LayoutXScale(f, o, m, world, d);
        if (f.bUnitXShown && !f.strUnitX.empty()) {
            const int w = m.TextWidth(kFontUnitX, f.strUnitX);
            const int y = std::min(p.bottom + 3 + m.TextHeight(kFontXScale) + 1,
                                   f.rcClient.bottom - m.TextHeight(kFontUnitX));
            d.texts.push_back({kFontUnitX, o.m_clrXScale, (p.left + p.right - w) / 2, y, f.strUnitX});
        }
    }
    if (f.bUnitYShown && !f.strUnitY.empty() && f.rcClient.left < p.left) {
        // Vertical text: x is the left edge of its column, y the middle of the plot.
        d.texts.push_back(
            {kFontUnitY, o.m_clrYScale, f.rcClient.left + 2, (p.top + p.bottom) / 2, f.strUnitY});
    }
    return d;
}
