// Where a tip goes on the screen: the anchor direction that keeps the tip
// inside the screen area, the anchor point inside the window, and the
// balloon's outline (body and anchor triangle).
#pragma once

#include "tooltip/TipTypes.h"

#include <array>

struct TipSizes {
    std::array<int, 9> v{16, 16, 12, 12, 12, 16, 16, 0, 0}; // balloon defaults
    static TipSizes Defaults(bool balloon);
};

struct TipPlacement {
    int direction = 16;
    TipPoint anchor;
    TipRect body;
    TipRect window;
    TipRect text;
};

// body and text in window co-ordinates (0, 0 based); pt and screen in screen co-ordinates.
TipPlacement PlaceTip(int direction, TipPoint pt, const TipRect& body, const TipRect& text,
                      const TipRect& screen, const TipSizes& sizes);

struct TipOutline {
    TipRect body;                     // the rounded body
    std::array<TipPoint, 3> triangle; // empty when there is no anchor
    bool hasAnchor = false;
};

TipOutline BuildTipOutline(int direction, TipPoint anchor, int width, int height, const TipSizes& sizes);
