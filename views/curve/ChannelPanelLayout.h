// Where the channel-value painter puts everything of a curve graph that is
// not a curve: the grid lines, the Y and X scale labels with their ticks and
// skip rules, the channel label and the unit texts. Plain geometry over a
// small text-measuring interface, so that it is tested without a window.
#pragma once

#include "views/shared/CurveSeries.h"
#include "views/shared/GraphDisplayOptions.h"

#include <string>
#include <vector>

struct CurveWorld;

enum PanelFont { kFontXScale, kFontYScale, kFontChannelId, kFontUnitY, kFontUnitX, kPanelFontCount };

class IPanelMetrics {
public:
    virtual ~IPanelMetrics() = default;
    virtual int TextWidth(int font, const std::string& text) const = 0;
    virtual int TextHeight(int font) const = 0;
    virtual int AverageCharWidth(int font) const = 0;
};

// What the owner view fills before every paint.
struct ChannelPanelFields {
    int nLabelChannel = 0; // -1: only the background (XY frame without a channel)
    int nSecondChannel = 0;
    int nSignalKind = 1; // 1 time waveform, 2 rosette results, 4 residual-stress results
    PlotRect rcPlot{0, 0, 200, 200};
    PlotRect rcClient{0, 0, 200, 200};
    std::string strUnitY;
    std::string strUnitX;
    int nGraphKind = 1; // 1 time curves, 2 distribution, 3 XY
    std::vector<int> distributionIds;
    float fXStep = 1.0f;
    int nActiveIndex = 0;
    bool bLabelShown = true;
    bool bGridShown = true;
    bool bUnitYShown = false;
    bool bUnitXShown = false;
};

struct PanelLine {
    int x1, y1, x2, y2;
    bool vertical; // the vertical grid pen, else the horizontal one
};

struct PanelText {
    int font;
    COLORREF colour;
    int x, y; // top left
    std::string text;
    double scale = 1.0; // of the font's size, below 1 where the text would not fit otherwise
};

struct PanelTick {
    PlotRect rect;
    bool xScale; // the X scale pen, else the Y scale pen
};

struct ChannelPanelDrawing {
    std::vector<PanelLine> grid;
    std::vector<PanelText> texts;
    std::vector<PanelTick> ticks;
};

// "%02d-%02d-%02d[description]", "虚拟:%d[name]", "数字:%d[name]" (the name
// only when not empty); short forms give the virtual and digital ids alone.
std::string CurveChannelLabel(int id, const CurveWorld& world, bool shortForm);
// The unit text of a channel by its class; empty for an unknown id.
std::string CurveChannelUnit(int id, const CurveWorld& world);

ChannelPanelDrawing LayoutChannelPanel(const ChannelPanelFields& fields, const CGraphDisplayOptions& options,
                                       const IPanelMetrics& metrics, const CurveWorld& world);
