// The tip's pixel work on 32-bit images.
#include "tooltip/TipDrawHelper.h"

#include <QPainter>

#include <algorithm>
#include <vector>

namespace {

int Channel(double v) {
    return std::clamp(static_cast<int>(v), 0, 255);
}

QRgb* Row(QImage& image, int y) {
    return reinterpret_cast<QRgb*>(image.scanLine(y));
}
const QRgb* Row(const QImage& image, int y) {
    return reinterpret_cast<const QRgb*>(image.constScanLine(y));
}

// The part of (x, y, cx, cy) inside dst whose source (sx, sy) lies inside src.
bool Clip(const QImage& dst, int& x, int& y, int& cx, int& cy, const QImage& src, int& sx, int& sy) {
    if (x < 0) {
        sx -= x;
        cx += x;
        x = 0;
    }
    if (y < 0) {
        sy -= y;
        cy += y;
        y = 0;
    }
    if (sx < 0) {
        x -= sx;
        cx += sx;
        sx = 0;
    }
    if (sy < 0) {
        y -= sy;
        cy += sy;
        sy = 0;
    }
    cx = std::min({cx, dst.width() - x, src.width() - sx});
    cy = std::min({cy, dst.height() - y, src.height() - sy});
    return cx > 0 && cy > 0;
}

} // namespace

QRgb CTipDrawHelper::Grey(QRgb p) {
    const int g = static_cast<int>(0.299 * qRed(p) + 0.587 * qGreen(p) + 0.114 * qBlue(p));
    return qRgba(g, g, g, qAlpha(p));
}

QRgb CTipDrawHelper::Darker(QRgb p, double f) {
    if (f < 0 || f >= 1)
        return p;
    return qRgba(Channel(qRed(p) * f), Channel(qGreen(p) * f), Channel(qBlue(p) * f), qAlpha(p));
}

QRgb CTipDrawHelper::Lighter(QRgb p, double f) {
    if (f <= 0 || f > 1)
        return p;
    return qRgba(Channel(qRed(p) * (1 + f)), Channel(qGreen(p) * (1 + f)), Channel(qBlue(p) * (1 + f)),
                 qAlpha(p));
}

QRgb CTipDrawHelper::Invert(QRgb p) {
    return qRgba(255 - qRed(p), 255 - qGreen(p), 255 - qBlue(p), qAlpha(p));
}

QRgb CTipDrawHelper::Mix(QRgb a, double fa, QRgb b, double fb) {
    return qRgba(Channel(qRed(a) * fa + qRed(b) * fb), Channel(qGreen(a) * fa + qGreen(b) * fb),
                 Channel(qBlue(a) * fa + qBlue(b) * fb), qAlpha(b));
}

void CTipDrawHelper::AlphaBlend(QImage& dst, int x, int y, int cx, int cy, const QImage& srcImage, int sx,
                                int sy, int percent) {
    const QImage src = srcImage.convertToFormat(QImage::Format_RGB32);
    if (dst.format() != QImage::Format_RGB32 && dst.format() != QImage::Format_ARGB32)
        dst = dst.convertToFormat(QImage::Format_ARGB32);
    if (!Clip(dst, x, y, cx, cy, src, sx, sy))
        return;
    const double f = std::clamp(percent, 0, 100) * 0.01;
    for (int row = 0; row < cy; ++row) {
        QRgb* d = Row(dst, y + row) + x;
        const QRgb* s = Row(src, sy + row) + sx;
        for (int col = 0; col < cx; ++col)
            d[col] = percent >= 100 ? qRgba(qRed(s[col]), qGreen(s[col]), qBlue(s[col]), qAlpha(d[col]))
                                    : Mix(s[col], f, d[col], 1 - f);
    }
}

void CTipDrawHelper::AlphaBlendByAlpha(QImage& dst, int x, int y, int cx, int cy, const QImage& srcImage,
                                       int sx, int sy) {
    const QImage src = srcImage.convertToFormat(QImage::Format_ARGB32);
    if (dst.format() != QImage::Format_RGB32 && dst.format() != QImage::Format_ARGB32)
        dst = dst.convertToFormat(QImage::Format_ARGB32);
    if (!Clip(dst, x, y, cx, cy, src, sx, sy))
        return;
    for (int row = 0; row < cy; ++row) {
        QRgb* d = Row(dst, y + row) + x;
        const QRgb* s = Row(src, sy + row) + sx;
        for (int col = 0; col < cx; ++col) {
            const double f = qAlpha(s[col]) / 255.0;
            d[col] = Mix(s[col], f, d[col], 1 - f);
        }
    }
}

QImage CTipDrawHelper::CreateEffectBitmap(const QImage& srcImage, int cx, int cy, std::uint16_t effects,
                                          bool useTransparent, QRgb transparent, QRgb color) {
    m_bHasAlpha = false;
    QImage out(std::max(cx, 0), std::max(cy, 0), QImage::Format_ARGB32);
    out.fill(0);
    const QImage src = srcImage.convertToFormat(QImage::Format_ARGB32);
    const int w = std::min(cx, src.width());
    const int h = std::min(cy, src.height());
    for (int row = 0; row < h; ++row) {
        const QRgb* s = Row(src, row);
        QRgb* d = Row(out, row);
        for (int col = 0; col < w; ++col) {
            QRgb p = s[col];
            const bool alpha = qAlpha(p) != 0 && qAlpha(p) != 255;
            if (alpha)
                m_bHasAlpha = true; // such pixels never match the transparent colour
            if (useTransparent && !alpha && (p & 0xFFFFFF) == (transparent & 0xFFFFFF)) {
                d[col] = 0;
                continue;
            }
            if (effects & 0x0001)
                p = Grey(p);
            if (effects & 0x0002)
                p = Darker(p, 0.75);
            if (effects & 0x0004)
                p = Lighter(p, 0.25);
            if (effects & 0x0008)
                p = qRgba(qRed(color), qGreen(color), qBlue(color), qAlpha(p));
            d[col] = p;
        }
    }
    if (effects & 0x8000)
        for (int row = 0; row < out.height(); ++row) {
            QRgb* d = Row(out, row);
            for (int col = 0; col < out.width(); ++col)
                d[col] = Invert(d[col]);
        }
    return out;
}

void CTipDrawHelper::DrawShadow(QImage& dst, int x, int y, int cx, int cy, const QImage& maskImage,
                                bool gradient, int depthX, int depthY) {
    if (cx <= 0 || cy <= 0)
        return;
    if (dst.format() != QImage::Format_RGB32 && dst.format() != QImage::Format_ARGB32)
        dst = dst.convertToFormat(QImage::Format_ARGB32);
    // The blue channel of the mask, as drawn over white at the tip's size.
    std::vector<int> blue(static_cast<std::size_t>(cx) * cy, 255);
    const QImage mask = maskImage.convertToFormat(QImage::Format_RGB32);
    if (!gradient) {
        for (int row = 0; row < std::min(cy, mask.height()); ++row)
            for (int col = 0; col < std::min(cx, mask.width()); ++col)
                blue[static_cast<std::size_t>(row) * cx + col] = qBlue(Row(mask, row)[col]);
    } else {
        depthX = std::max(depthX, 1) | 1; // an even depth + 1
        depthY = std::max(depthY, 1) | 1;
        const int sw = cx - depthX;
        const int sh = cy - depthY;
        if (sw > 0 && sh > 0) {
            const QImage shrunk = mask.scaled(sw, sh, Qt::IgnoreAspectRatio, Qt::FastTransformation);
            for (int row = 0; row < sh; ++row)
                for (int col = 0; col < sw; ++col)
                    blue[static_cast<std::size_t>(row + depthY / 2) * cx + col + depthX / 2] =
                        qBlue(Row(shrunk, row)[col]);
        }
        // Box sums with running sums, rows then columns; outside counts 255.
        std::vector<int> across(blue.size());
        const int rx = depthX / 2;
        const int ry = depthY / 2;
        for (int row = 0; row < cy; ++row) {
            const int* b = blue.data() + static_cast<std::size_t>(row) * cx;
            int sum = 0;
            for (int k = -rx; k <= rx; ++k)
                sum += k >= 0 && k < cx ? b[k] : 255;
            for (int col = 0; col < cx; ++col) {
                across[static_cast<std::size_t>(row) * cx + col] = sum;
                const int out = col - rx;
                const int in = col + rx + 1;
                sum += (in < cx ? b[in] : 255) - (out >= 0 ? b[out] : 255);
            }
        }
        for (int col = 0; col < cx; ++col) {
            int sum = 0;
            for (int k = -ry; k <= ry; ++k)
                sum += k >= 0 && k < cy ? across[static_cast<std::size_t>(k) * cx + col] : 255 * depthX;
            for (int row = 0; row < cy; ++row) {
                blue[static_cast<std::size_t>(row) * cx + col] = sum;
                const int out = row - ry;
                const int in = row + ry + 1;
                sum += (in < cy ? across[static_cast<std::size_t>(in) * cx + col] : 255 * depthX) -
                       (out >= 0 ? across[static_cast<std::size_t>(out) * cx + col] : 255 * depthX);
            }
        }
    }
    const double denominator = gradient ? static_cast<double>(depthX) * depthY * 255 : 255.0;
    for (int row = 0; row < cy; ++row) {
        if (y + row < 0 || y + row >= dst.height())
            continue;
        QRgb* d = Row(dst, y + row);
        for (int col = 0; col < cx; ++col) {
            if (x + col < 0 || x + col >= dst.width())
                continue;
            d[x + col] = Darker(d[x + col], blue[static_cast<std::size_t>(row) * cx + col] / denominator);
        }
    }
}

void CTipDrawHelper::TileBlt(QPainter& dst, int x, int y, int cx, int cy, const QImage& src, int sx, int sy,
                             int tileWidth, int tileHeight) {
    if (tileWidth <= 0 || tileHeight <= 0)
        return;
    for (int ty = 0; ty < cy; ty += tileHeight)
        for (int tx = 0; tx < cx; tx += tileWidth)
            dst.drawImage(x + tx, y + ty, src, sx, sy, std::min(tileWidth, cx - tx),
                          std::min(tileHeight, cy - ty));
}
