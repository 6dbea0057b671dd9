// The round button: the shape a control takes and the shading of its rim.
#include "views/ViewsTestSupport.h"

#include "views/shared/RoundButton.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(RoundButtonGeometry, TheShorterSideMakesTheCircle) {
    struct Case {
        int w, h;
        int newW, newH, side;
        bool keeps;
    } cases[] = {
        {40, 30, 40, 30, 30, true},  // wider than high: clipped only
        {30, 40, 30, 30, 30, false}, // made square
        {30, 30, 30, 30, 30, false},
        {0, 10, 0, 0, 0, false}, // nothing to draw, nothing negative
    };
    for (const Case& c : cases) {
        const RoundButtonShape s = MakeRoundButtonShape(c.w, c.h);
        EXPECT_EQ(s.width, c.newW) << c.w << "x" << c.h;
        EXPECT_EQ(s.height, c.newH);
        EXPECT_EQ(s.side, c.side);
        EXPECT_EQ(s.keepsSize, c.keeps);
        EXPECT_GE(s.radius, 0);
    }
    EXPECT_EQ(MakeRoundButtonShape(30, 40).radius, 14);
}

TEST(RoundButtonGeometry, TheRimIsLightTowardsTheUpperLeft) {
    constexpr std::uint32_t light = 0xFFFFFF, dark = 0x404040;
    EXPECT_EQ(RimColour(-1.88, light, dark), light);
    EXPECT_EQ(RimColour(-1.88 + M_PI, light, dark), dark);
    const std::uint32_t middle = RimColour(-1.88 + M_PI / 2, light, dark);
    EXPECT_EQ(middle & 0xFF, (0xFFu + 0x40u + 1) / 2);
}

TEST(RoundButton, AHighControlBecomesASquareCircle) {
    EnsureViewsTestApp();
    CRoundButton button;
    button.setText("OK");
    button.resize(30, 40);
    button.MakeRound();
    EXPECT_EQ(button.size(), QSize(30, 30));
    EXPECT_FALSE(button.mask().contains(QPoint(0, 0)));
    EXPECT_TRUE(button.mask().contains(QPoint(15, 15)));
    button.resize(40, 30);
    button.MakeRound();
    EXPECT_EQ(button.size(), QSize(40, 30));
    EXPECT_FALSE(button.grab().isNull());
}

} // namespace
