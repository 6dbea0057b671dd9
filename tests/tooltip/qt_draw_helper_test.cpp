// The tip's pixel work: colour effects, blends, effect copies, shadows, tiling.
#include "tooltip/TipDrawHelper.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <vector>

TEST(TipDrawHelper, PixelEffects) {
    const QRgb p = qRgba(100, 200, 40, 77);
    EXPECT_EQ(CTipDrawHelper::Grey(p), qRgba(151, 151, 151, 77)); // 29.9 + 117.4 + 4.56, truncated
    EXPECT_EQ(CTipDrawHelper::Darker(p, 0.75), qRgba(75, 150, 30, 77));
    EXPECT_EQ(CTipDrawHelper::Darker(p, 1.0), p);
    EXPECT_EQ(CTipDrawHelper::Lighter(p, 0.25), qRgba(125, 250, 50, 77));
    EXPECT_EQ(CTipDrawHelper::Lighter(qRgb(250, 0, 0), 0.25), qRgb(255, 0, 0));
    EXPECT_EQ(CTipDrawHelper::Lighter(p, 0.0), p);
    EXPECT_EQ(CTipDrawHelper::Invert(p), qRgba(155, 55, 215, 77));
}

TEST(TipDrawHelper, BlendsAtZeroFiftyAndHundred) {
    QImage src(4, 4, QImage::Format_RGB32);
    src.fill(qRgb(200, 100, 0));
    for (const auto& [percent, want] : std::vector<std::pair<int, QRgb>>{{0, qRgb(0, 0, 100)},
                                                                         {50, qRgb(100, 50, 50)},
                                                                         {100, qRgb(200, 100, 0)},
                                                                         {150, qRgb(200, 100, 0)}}) {
        QImage dst(6, 6, QImage::Format_RGB32);
        dst.fill(qRgb(0, 0, 100));
        CTipDrawHelper::AlphaBlend(dst, 4, 4, 4, 4, src, 0, 0, percent); // clipped at dst's corner
        EXPECT_EQ(dst.pixel(5, 5), want) << percent;
        EXPECT_EQ(dst.pixel(3, 3), qRgb(0, 0, 100)) << percent;
    }
    QImage alpha(1, 1, QImage::Format_ARGB32);
    alpha.setPixel(0, 0, qRgba(255, 0, 0, 51));
    QImage dst(1, 1, QImage::Format_RGB32);
    dst.fill(qRgb(0, 0, 255));
    CTipDrawHelper::AlphaBlendByAlpha(dst, 0, 0, 1, 1, alpha, 0, 0);
    EXPECT_EQ(dst.pixel(0, 0), qRgb(51, 0, 204));
}

TEST(TipDrawHelper, EffectOrderAndTransparentColour) {
    QImage src(3, 1, QImage::Format_RGB32);
    src.setPixel(0, 0, qRgb(255, 0, 255)); // the transparent colour
    src.setPixel(1, 0, qRgb(100, 200, 40));
    src.setPixel(2, 0, qRgb(10, 20, 30));
    CTipDrawHelper helper;
    const QImage grey = helper.CreateEffectBitmap(src, 3, 1, 0x0001 | 0x0002, true, qRgb(255, 0, 255), 0);
    EXPECT_EQ(grey.pixel(0, 0), 0u);
    EXPECT_EQ(grey.pixel(1, 0), qRgb(113, 113, 113)); // grey 151, then darker
    EXPECT_FALSE(helper.HasAlpha());
    // One colour then inversion: the transparent pixel is inverted too.
    const QImage mask =
        helper.CreateEffectBitmap(src, 3, 1, 0x8008, true, qRgb(255, 0, 255), qRgb(255, 255, 255));
    EXPECT_EQ(mask.pixel(0, 0), qRgba(255, 255, 255, 0));
    EXPECT_EQ(mask.pixel(1, 0), qRgb(0, 0, 0));
    // A pixel with its own alpha never matches the transparent colour.
    QImage translucent(1, 1, QImage::Format_ARGB32);
    translucent.setPixel(0, 0, qRgba(255, 0, 255, 128));
    const QImage kept = helper.CreateEffectBitmap(translucent, 1, 1, 0, true, qRgb(255, 0, 255), 0);
    EXPECT_TRUE(helper.HasAlpha());
    EXPECT_EQ(qAlpha(kept.pixel(0, 0)), 128);
}

TEST(TipDrawHelper, ShadowBlurEqualsADirectBoxBlur) {
    const int w = 23;
    const int h = 17;
    QImage mask(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            mask.setPixel(x, y, (x * 7 + y * 13) % 5 == 0 ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
    for (const auto& [dx, dy] : std::vector<std::pair<int, int>>{{7, 7}, {4, 3}, {1, 1}, {63, 63}}) {
        QImage dst(w, h, QImage::Format_RGB32);
        dst.fill(qRgb(200, 200, 200));
        CTipDrawHelper::DrawShadow(dst, 0, 0, w, h, mask, true, dx, dy);
        // The reference: the mask shrunk and placed as the helper does, then each box summed directly.
        const int ox = dx | 1;
        const int oy = dy | 1;
        std::vector<int> blue(static_cast<std::size_t>(w) * h, 255);
        if (w - ox > 0 && h - oy > 0) {
            const QImage shrunk = mask.scaled(w - ox, h - oy, Qt::IgnoreAspectRatio, Qt::FastTransformation);
            for (int y = 0; y < h - oy; ++y)
                for (int x = 0; x < w - ox; ++x)
                    blue[static_cast<std::size_t>(y + oy / 2) * w + x + ox / 2] = qBlue(shrunk.pixel(x, y));
        }
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                long sum = 0;
                for (int j = y - oy / 2; j <= y + oy / 2; ++j)
                    for (int i = x - ox / 2; i <= x + ox / 2; ++i)
                        sum += i >= 0 && i < w && j >= 0 && j < h ? blue[static_cast<std::size_t>(j) * w + i]
                                                                  : 255;
                const QRgb want = CTipDrawHelper::Darker(qRgb(200, 200, 200), sum / (double(ox) * oy * 255));
                ASSERT_EQ(dst.pixel(x, y), want) << dx << "x" << dy << " at " << x << "," << y;
            }
    }
    // Without the gradient each pixel is darkened by the mask's own blue.
    QImage dst(2, 1, QImage::Format_RGB32);
    dst.fill(qRgb(200, 100, 50));
    QImage grey(2, 1, QImage::Format_RGB32);
    grey.setPixel(0, 0, qRgb(128, 128, 128));
    grey.setPixel(1, 0, qRgb(255, 255, 255));
    CTipDrawHelper::DrawShadow(dst, 0, 0, 2, 1, grey, false, 7, 7);
    EXPECT_EQ(dst.pixel(0, 0), qRgb(100, 50, 25));
    EXPECT_EQ(dst.pixel(1, 0), qRgb(200, 100, 50));
}

TEST(TipDrawHelper, TilingClipsTheLastCopies) {
    QImage tile(2, 2, QImage::Format_RGB32);
    tile.setPixel(0, 0, qRgb(255, 0, 0));
    tile.setPixel(1, 0, qRgb(0, 255, 0));
    tile.setPixel(0, 1, qRgb(0, 0, 255));
    tile.setPixel(1, 1, qRgb(255, 255, 255));
    QImage dst(8, 8, QImage::Format_RGB32);
    dst.fill(Qt::black);
    {
        QPainter p(&dst);
        CTipDrawHelper::TileBlt(p, 1, 1, 5, 3, tile, 0, 0, 2, 2);
    }
    EXPECT_EQ(dst.pixel(1, 1), qRgb(255, 0, 0));
    EXPECT_EQ(dst.pixel(4, 2), qRgb(255, 255, 255));
    EXPECT_EQ(dst.pixel(5, 3), qRgb(255, 0, 0)); // the last column and row, cut
    EXPECT_EQ(dst.pixel(6, 1), qRgb(0, 0, 0));
    EXPECT_EQ(dst.pixel(1, 4), qRgb(0, 0, 0));
}
