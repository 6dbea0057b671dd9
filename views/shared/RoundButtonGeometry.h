// The round button's geometry and shading without a window: the square and
// circle a control becomes, and the colour of the rim at an angle.
#pragma once

#include <cstdint>

struct RoundButtonShape {
    int width = 0, height = 0; // the control's new size
    int side = 0;              // the square the circle lies in
    int centreX = 0, centreY = 0;
    int radius = 0;
    bool keepsSize = false; // a control wider than high keeps its size and is only clipped
};

// A control of width x height becomes round on its shorter side.
RoundButtonShape MakeRoundButtonShape(int width, int height);

// 0x00BBGGRR colours; the blend of light and dark at an angle (radians):
// brightest towards the upper left.
std::uint32_t RimColour(double angle, std::uint32_t light, std::uint32_t dark);
