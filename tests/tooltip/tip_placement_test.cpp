// Where a tip goes near the screen's edges, and its balloon outline.
#include "tooltip/TipPlacement.h"

#include <gtest/gtest.h>

TEST(TipPlacement, DirectionsNearEachEdge) {
    const TipRect screen{0, 0, 1000, 800};
    const TipRect body{0, 0, 100, 50};
    const TipRect wide{0, 0, 1000, 50};
    const TipSizes balloon = TipSizes::Defaults(true);
    struct Case {
        int style;
        TipPoint pt;
        TipRect body;
        int wantDirection;
        TipPoint wantAnchor;
    } cases[] = {
        {16, {500, 400}, body, 16, {16, 66}},  // fits: above the point, extending right
        {16, {950, 400}, body, 17, {84, 66}},  // right edge: anchor at the right end
        {16, {950, 400}, wide, 18, {950, 66}}, // no room either side: centred, kept on the screen
        {16, {500, 30}, body, 0, {16, 0}},     // top edge: below the point
        {32, {950, 400}, body, 48, {116, 16}}, // right of the point does not fit: left of it
        {32, {500, 790}, body, 33, {0, 40}},   // bottom edge: extending up, kept on the screen
        {2, {10, 400}, body, 0, {10, 0}},      // a centred anchor near the left edge moves to the left end
        {18, {995, 400}, body, 17, {95, 66}},  // ... and near the right edge to the right end
        {5, {500, 400}, body, 5, {0, 0}},      // no anchor direction: no repositioning
    };
    for (const Case& c : cases) {
        const TipPlacement p = PlaceTip(c.style, c.pt, c.body, {12, 12, 88, 38}, screen, balloon);
        EXPECT_EQ(p.direction, c.wantDirection) << c.style << " at " << c.pt.x << "," << c.pt.y;
        EXPECT_EQ(p.anchor, c.wantAnchor) << c.style << " at " << c.pt.x << "," << c.pt.y;
    }
    // Below the point the body and text move down by the anchor height.
    const TipPlacement below = PlaceTip(16, {500, 30}, body, {12, 12, 88, 38}, screen, balloon);
    EXPECT_EQ(below.body, (TipRect{0, 16, 100, 66}));
    EXPECT_EQ(below.text, (TipRect{12, 28, 88, 54}));

    // Plain sizes: no anchor; the window's bottom-left corner lies on the point.
    const TipPlacement plain =
        PlaceTip(16, {500, 400}, body, {3, 1, 97, 49}, screen, TipSizes::Defaults(false));
    EXPECT_EQ(plain.window, body);
    EXPECT_EQ(plain.anchor, (TipPoint{0, 50}));
}

TEST(TipPlacement, Outline) {
    const TipSizes balloon = TipSizes::Defaults(true);
    const TipOutline o = BuildTipOutline(16, {16, 66}, 100, 66, balloon);
    EXPECT_EQ(o.body, (TipRect{0, 0, 100, 50}));
    ASSERT_TRUE(o.hasAnchor);
    EXPECT_EQ(o.triangle[0], (TipPoint{16, 66}));
    EXPECT_EQ(o.triangle[1], (TipPoint{16, 50}));
    EXPECT_EQ(o.triangle[2], (TipPoint{28, 50}));
    const TipOutline left = BuildTipOutline(34, {0, 25}, 116, 50, balloon);
    EXPECT_EQ(left.body.left, 16);
    EXPECT_EQ(left.triangle[1], (TipPoint{16, 19}));
    EXPECT_FALSE(BuildTipOutline(16, {0, 50}, 100, 50, TipSizes::Defaults(false)).hasAnchor);
}
