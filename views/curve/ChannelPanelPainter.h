// The channel-value painter: paints the background, plot frame, grid, scale
// labels, channel label and unit texts of a curve graph with QPainter, at
// the places its plain layout gives.
#pragma once

#include "views/curve/ChannelPanelLayout.h"

#include <QFont>
#include <QPen>

#include <array>
#include <string>
#include <unordered_map>

class QPainter;

class CChannelPanelPainter {
public:
    CChannelPanelPainter();
    virtual ~CChannelPanelPainter() = default;

    // Fonts and pens from the options (the owner calls it after every change).
    void TakeOptions(const CGraphDisplayOptions& options);
    void Draw(QPainter& painter, const CGraphDisplayOptions& options, const CurveWorld& world) const;

    ChannelPanelFields m_Fields;

    // Each font's measured texts and their widths.
    using TextWidths = std::array<std::unordered_map<std::string, int>, kPanelFontCount>;

private:
    std::array<QFont, kPanelFontCount> m_Fonts;
    mutable TextWidths m_TextWidths;
    QPen m_GridPenV, m_GridPenH, m_XScalePen, m_YScalePen;
};
