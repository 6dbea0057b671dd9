// CTipDrawHelper: the tip's pixel work on 32-bit images: colour effects,
// constant and per-pixel alpha blending, effect copies of pictures with a
// transparent colour, soft shadows (a box blur with running sums, so its
// cost does not grow with the depth) and tiling.
#pragma once

#include <QImage>
#include <QRgb>

#include <cstdint>

class QPainter;

class CTipDrawHelper {
public:
    static QRgb Grey(QRgb p);
    static QRgb Darker(QRgb p, double f);  // each channel x f for 0 <= f < 1
    static QRgb Lighter(QRgb p, double f); // each channel x (1 + f), at most 255, for 0 < f <= 1
    static QRgb Invert(QRgb p);
    static QRgb Mix(QRgb a, double fa, QRgb b, double fb);

    // dst's rectangle becomes src x percent + dst x (100 - percent); 100 or more copies.
    static void AlphaBlend(QImage& dst, int x, int y, int cx, int cy, const QImage& src, int sx, int sy,
                           int percent);
    // The same with each source pixel's own alpha.
    static void AlphaBlendByAlpha(QImage& dst, int x, int y, int cx, int cy, const QImage& src, int sx,
                                  int sy);

    // A copy of the top-left cx x cy of src with the effects applied in their
    // order: 0x0001 grey, 0x0002 darker, 0x0004 lighter, 0x0008 one colour,
    // 0x8000 inverted (transparent pixels included). With useTransparent a
    // pixel of the transparent colour becomes 0 and takes no other effect.
    QImage CreateEffectBitmap(const QImage& src, int cx, int cy, std::uint16_t effects, bool useTransparent,
                              QRgb transparent, QRgb color);
    bool HasAlpha() const { return m_bHasAlpha; }

    // Darkens dst under a mask (white: no shadow): each pixel x blue(mask)/255;
    // with gradient the mask is shrunk by the depths and blurred over a
    // depthX x depthY box first.
    static void DrawShadow(QImage& dst, int x, int y, int cx, int cy, const QImage& mask, bool gradient,
                           int depthX, int depthY);

    // Copies of the tile from the rectangle's top-left, clipped at its right and bottom.
    static void TileBlt(QPainter& dst, int x, int y, int cx, int cy, const QImage& src, int sx, int sy,
                        int tileWidth, int tileHeight);

private:
    bool m_bHasAlpha = false;
};
