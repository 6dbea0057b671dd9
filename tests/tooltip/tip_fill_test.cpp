// Fill effects and border lines of the tip renderer.
#include "tooltip/TipFillEffects.h"
#include "tooltip/TipRecordingCanvas.h"

#include <gtest/gtest.h>

#include <algorithm>

TEST(TipFill, SolidGradientsAndHalves) {
    TipRandom random;
    CTipRecordingCanvas c;
    TipFillEffect(c, -1, {0, 0, 10, 10}, 0xFFFFFF, 0, 0, 5, 0, random);
    EXPECT_TRUE(c.ops.empty());
    TipFillEffect(c, 0, {0, 0, 10, 10}, 0xFFFFFF, 0, 0, 5, 0, random);
    ASSERT_EQ(c.ops.size(), 1u);
    EXPECT_EQ(c.ops[0].color, 0xFFFFFFu);

    c.ops.clear();
    TipFillGradient(c, {0, 0, 32, 5}, TipRgb(0, 0, 0), TipRgb(64, 128, 255), true);
    ASSERT_EQ(c.ops.size(), 32u); // 64 bands, 32 of them empty
    EXPECT_EQ(c.ops[0].rect, (TipRect{0, 0, 1, 5}));
    EXPECT_EQ(c.ops[0].color, TipRgb(1, 2, 3)); // band 1: the first of nonzero width
    EXPECT_EQ(c.ops[31].rect, (TipRect{31, 0, 32, 5}));
    EXPECT_EQ(c.ops[31].color, TipRgb(63, 126, 251)); // band 63: (to * 63) / 64

    c.ops.clear();
    TipFillEffect(c, 3, {0, 0, 33, 4}, 0, 0, 0xFFFFFF, 5, 0, random);
    const auto right =
        std::find_if(c.ops.begin(), c.ops.end(), [](const auto& op) { return op.rect.left >= 16; });
    ASSERT_NE(right, c.ops.end());
    EXPECT_EQ(right->rect.left, 16); // the odd unit goes to the right half
    EXPECT_EQ(c.ops.back().rect.right, 33);

    c.ops.clear();
    for (const TipRect r : {TipRect{0, 0, 0, 10}, TipRect{0, 0, 10, -1}})
        for (int effect = 0; effect <= 15; ++effect)
            TipFillEffect(c, effect, r, 0, 0, 0, 5, 5, random);
    EXPECT_TRUE(c.ops.empty()); // an empty rectangle paints nothing
}

TEST(TipFill, TexturePaletteAndGrain) {
    TipRandom random;
    const TipColor bg = TipRgb(200, 100, 0);
    const TipColor mid = TipRgb(0, 50, 255);
    const TipColor end = TipRgb(10, 20, 30);
    const TipIndexedImage img = TipMakeEffectBitmap(7, 3, 7, 0, 0, bg, mid, end, random);
    ASSERT_EQ(img.palette.size(), 256u);
    EXPECT_EQ(img.palette[0], end);
    EXPECT_EQ(img.palette[255], bg);
    // Entry 128 is overwritten on the way from middle to background.
    EXPECT_EQ(img.palette[128], TipRgb((0 * 127 + 200) / 128, (50 * 127 + 100) / 128, (255 * 127) / 128));
    EXPECT_EQ(img.palette[127], TipRgb((10 + 0 * 127) / 128, (20 + 50 * 127) / 128, (30 + 255 * 127) / 128));
    ASSERT_EQ(img.bits.size(), 21u);
    EXPECT_TRUE(
        std::all_of(img.bits.begin(), img.bits.end(), [](int v) { return v == 128; })); // grain 0: flat

    const TipIndexedImage tinted = TipMakeEffectBitmap(2, 2, 9, 0, 100, bg, mid, end, random);
    EXPECT_EQ(tinted.palette[0], bg);

    // A vertical shade without grain runs from the top (y counted from the bottom row).
    const TipIndexedImage shade = TipMakeEffectBitmap(1, 4, 9, 0, 0, bg, mid, end, random);
    EXPECT_EQ(shade.bits, (std::vector<std::uint8_t>{0, 63, 127, 191}));

    // Small and thin rectangles: every texture stays inside its bits.
    for (int effect = 7; effect <= 15; ++effect)
        for (const TipSize s :
             {TipSize{1, 1}, TipSize{5, 1}, TipSize{1, 9}, TipSize{6, 2}, TipSize{40000, 1}}) {
            const TipIndexedImage t = TipMakeEffectBitmap(s.cx, s.cy, effect, 255, 0, bg, mid, end, random);
            EXPECT_EQ(t.bits.size(), static_cast<std::size_t>(t.width) * t.height);
            EXPECT_LE(t.width, kTipMaxTextureSide);
        }
}

TEST(TipFill, BorderLines) {
    CTipRecordingCanvas c;
    TipDrawRectBorder(c, {0, 0, 10, 10}, 1, 2, 0, 3);
    TipDrawRectBorder(c, {0, 0, 10, 10}, 1, 2, 1, 0);
    EXPECT_TRUE(c.ops.empty());
    TipDrawRectBorder(c, {0, 0, 10, 10}, 1, 2, 6, 1);
    ASSERT_EQ(c.ops.size(), 4u);
    EXPECT_EQ(c.ops[0].points, (std::vector<TipPoint>{{0, 10}, {0, 0}, {10, 0}}));
    EXPECT_EQ(c.ops[0].color, 1u);
    EXPECT_EQ(c.ops[1].points, (std::vector<TipPoint>{{10, 0}, {10, 10}, {0, 10}}));
    EXPECT_EQ(c.ops[1].color, 2u);
    EXPECT_EQ(c.ops[2].points, (std::vector<TipPoint>{{2, 8}, {2, 2}, {8, 2}})); // 2 units inside

    c.ops.clear();
    TipDrawLine(c, 0, 5, 20, 5, 7, 6, 2);
    ASSERT_EQ(c.ops.size(), 2u);
    EXPECT_EQ(c.ops[1].points, (std::vector<TipPoint>{{0, 9}, {20, 9}}));
    c.ops.clear();
    TipDrawLine(c, 0, 0, 0, 9, 7, 3, 1);
    ASSERT_EQ(c.ops.size(), 1u);
    EXPECT_EQ(c.ops[0].style, static_cast<int>(TipPenStyle::Dot));
}
