// Round-button geometry and rim shading.
#include "views/shared/RoundButtonGeometry.h"

#include <algorithm>
#include <cmath>

RoundButtonShape MakeRoundButtonShape(int width, int height) {
    RoundButtonShape shape;
    shape.side = std::max(std::min(width, height), 0);
    shape.centreX = shape.centreY = shape.side / 2;
    shape.radius = std::max(shape.side / 2 - 1, 0);
    shape.keepsSize = width > height;
    shape.width = shape.keepsSize ? width : shape.side;
    shape.height = shape.keepsSize ? height : shape.side;
    return shape;
}

std::uint32_t RimColour(double angle, std::uint32_t light, std::uint32_t dark) {
    double phi = -1.88 - angle;
    if (phi < -3.1415)
        phi += 6.293;
    else if (phi > 3.1415)
        phi = 6.293 - phi;
    const double t = (std::cos(phi) + 1.0) / 2.0;
    std::uint32_t colour = 0;
    for (int shift : {0, 8, 16}) {
        const double l = double((light >> shift) & 0xFF);
        const double d = double((dark >> shift) & 0xFF);
        const auto c = std::uint32_t(std::lround(std::clamp(l * t + d * (1.0 - t), 0.0, 255.0)));
        colour |= c << shift;
    }
    return colour;
}
