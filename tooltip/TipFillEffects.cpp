// Fill effects and border lines of the tip renderer.
#include "tooltip/TipFillEffects.h"

#include <algorithm>

namespace {

TipColor MixChannels(TipColor a, int wa, TipColor b, int wb, int shiftOrDiv, bool shift) {
    auto mix = [&](int ca, int cb) {
        const int sum = ca * wa + cb * wb;
        return shift ? sum >> shiftOrDiv : sum / shiftOrDiv;
    };
    return TipRgb(mix(TipRed(a), TipRed(b)), mix(TipGreen(a), TipGreen(b)), mix(TipBlue(a), TipBlue(b)));
}

int Cube(int t) {
    return t * t * t / 128 / 128;
}

TipPenStyle PenStyle(int style) {
    switch (style) {
    case 2:
        return TipPenStyle::Dash;
    case 3:
        return TipPenStyle::Dot;
    case 4:
        return TipPenStyle::DashDot;
    case 5:
        return TipPenStyle::DashDotDot;
    default:
        return TipPenStyle::Solid;
    }
}

} // namespace

void TipFillGradient(ITipCanvas& canvas, const TipRect& r, TipColor from, TipColor to, bool horizontal) {
    const int start = horizontal ? r.left : r.top;
    const long long length = horizontal ? r.Width() : r.Height();
    for (int i = 0; i < 64; ++i) {
        const int a = start + static_cast<int>((length * i) >> 6);
        const int b = start + static_cast<int>((length * (i + 1)) >> 6);
        if (a == b)
            continue;
        const TipColor c = MixChannels(from, 64 - i, to, i, 6, true);
        canvas.FillSolid(horizontal ? TipRect{a, r.top, b, r.bottom} : TipRect{r.left, a, r.right, b}, c);
    }
}

void TipFillEffect(ITipCanvas& canvas, int effect, const TipRect& r, TipColor background, TipColor middle,
                   TipColor end, int grain, int tint, TipRandom& random) {
    if (effect < 0 || r.Width() <= 0 || r.Height() <= 0)
        return;
    const int midX = r.left + r.Width() / 2;
    const int midY = r.top + r.Height() / 2;
    switch (effect) {
    case 1:
    case 2:
        TipFillGradient(canvas, r, background, end, effect == 1);
        break;
    case 3:
        TipFillGradient(canvas, {r.left, r.top, midX, r.bottom}, background, end, true);
        TipFillGradient(canvas, {midX, r.top, r.right, r.bottom}, end, background, true);
        break;
    case 4:
        TipFillGradient(canvas, {r.left, r.top, r.right, midY}, background, end, false);
        TipFillGradient(canvas, {r.left, midY, r.right, r.bottom}, end, background, false);
        break;
    case 5:
        TipFillGradient(canvas, {r.left, r.top, midX, r.bottom}, background, middle, true);
        TipFillGradient(canvas, {midX, r.top, r.right, r.bottom}, middle, end, true);
        break;
    case 6:
        TipFillGradient(canvas, {r.left, r.top, r.right, midY}, background, middle, false);
        TipFillGradient(canvas, {r.left, midY, r.right, r.bottom}, middle, end, false);
        break;
    default:
        if (effect >= 7 && effect <= 15) {
            canvas.DrawIndexedImage(r.left, r.top,
                                    TipMakeEffectBitmap(r.Width(), r.Height(), effect, grain, tint,
                                                        background, middle, end, random));
        } else {
            canvas.FillSolid(r, background);
        }
        break;
    }
}

TipIndexedImage TipMakeEffectBitmap(int width, int height, int effect, int grain, int tint,
                                    TipColor background, TipColor middle, TipColor end, TipRandom& random) {
    TipIndexedImage img;
    const int w = std::clamp(width, 0, kTipMaxTextureSide);
    const int h = std::clamp(height, 0, kTipMaxTextureSide);
    img.width = w;
    img.height = h;
    img.palette.assign(256, 0);
    for (int i = 0; i <= 128; ++i)
        img.palette[i] = MixChannels(end, 128 - i, middle, i, 128, false);
    for (int j = 1; j <= 128; ++j)
        img.palette[127 + j] = MixChannels(middle, 128 - j, background, j, 128, false);
    const int p = std::clamp(tint, 0, 100);
    if (p != 0)
        for (TipColor& c : img.palette)
            c = MixChannels(c, 100 - p, background, p, 100, false);
    if (w == 0 || h == 0)
        return img;
    img.bits.assign(static_cast<std::size_t>(w) * h, 0);

    const int g = grain & 0xFF;
    const int lo = g;
    const int hi = 255 - g;
    const int d = 32767 / std::max(2 * g, 1);
    auto noise = [&] { return random.Next() / d - g; };
    // y counts rows from the bottom edge, as the rows are stored.
    auto at = [&](int x, int y) -> std::uint8_t& { return img.bits[static_cast<std::size_t>(y) * w + x]; };
    auto put = [&](int x, int y, int index) { at(x, y) = static_cast<std::uint8_t>(index); };

    switch (effect) {
    case 7:
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                put(x, y, 128 + noise());
        break;
    case 8:
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                put(x, y, y * ((hi - lo) / 2) / h + (w - x) * ((hi - lo) / 2) / w + g + noise());
        break;
    case 9:
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                put(x, y, y * (hi - lo) / h + g + noise());
        break;
    case 10:
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                put(x, y, (w - x) * (hi - lo) / w + g + noise());
        break;
    case 11:
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                put(x, y, 128 + Cube(y * 255 / h - 127) * (128 - g) / 128 + noise());
        break;
    case 12:
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                put(x, y, 128 + Cube((w - x) * 255 / w - 127) * (128 - g) / 128 + noise());
        break;
    case 13:
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const int v =
                    128 + (Cube(y * 255 / h - 127) + Cube((w - x) * 255 / w - 127)) * (128 - g) / 128;
                put(x, y, std::clamp(v, lo, hi) + noise());
            }
        break;
    case 14: {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                put(x, y, 128 + Cube(y * 255 / h - 127) * (64 - g) * 2 / 128 + noise());
        // The bevel divides by h * h / 4 and by w / 6: a smaller tip keeps the first pass.
        const int k = std::min(16, w / 6);
        if (h < 2 || k < 1)
            break;
        const long long quarter = static_cast<long long>(h) * h / 4;
        for (int j = 0; j < h; ++j) {
            const long long b =
                (static_cast<long long>(j * k - (h / 2) * k) * (j - h / 2)) / quarter - k + w / 2;
            for (int x = 0; x < w; ++x) {
                const int dx = x - w / 2;
                int v = at(x, j);
                if (b < dx)
                    v = (w * 128 - 128 * x) / k + g;
                if (b + dx < 0)
                    v = hi - (128 * x) / k;
                put(x, j, v + noise());
            }
        }
        break;
    }
    case 15: {
        const int strokeDiv = std::max(32767 / std::max(std::min(w, h), 1), 1);
        for (int s = 0; s < 200; ++s) {
            const int x0 = random.Next() % w;
            const int y0 = random.Next() % h;
            const int len = random.Next() / strokeDiv;
            const int v = random.Next() / 819;
            // Stroke pixels address rows from the top; points outside are ignored.
            auto set = [&](int x, int yTop, int value) {
                if (x >= 0 && x < w && yTop >= 0 && yTop < h)
                    put(x, h - 1 - yTop, value);
            };
            for (int k = 0; k < len / 2; ++k) {
                if (x0 - k >= 1 && y0 + k < h)
                    set(x0 - k, y0 + k, v);
                if (x0 + k < w && y0 - k > 0)
                    set(w - x0 + k, y0 - k, v);
            }
        }
        const int kk = (215 - 2 * g) / 2;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                put(x, y, at(x, y) + (((kk * (w - x)) / w + (kk * y) / h) & 255) + random.Next() / d);
        break;
    }
    default:
        break;
    }
    return img;
}

void TipDrawRectBorder(ITipCanvas& canvas, const TipRect& r, TipColor topLeft, TipColor bottomRight,
                       int style, int width) {
    if (style == 0 || width < 1)
        return;
    const TipPenStyle pen = PenStyle(style);
    auto frame = [&](int inset) {
        const int x1 = r.left + width / 2 + inset;
        const int y1 = r.top + width / 2 + inset;
        const int x2 = r.right - width / 2 - inset;
        const int y2 = r.bottom - width / 2 - inset;
        canvas.Polyline({{x1, y2}, {x1, y1}, {x2, y1}}, topLeft, pen, width);
        canvas.Polyline({{x2, y1}, {x2, y2}, {x1, y2}}, bottomRight, pen, width);
    };
    frame(0);
    if (style == 6)
        frame(2 * width);
}

void TipDrawLine(ITipCanvas& canvas, int x1, int y1, int x2, int y2, TipColor color, int style, int width) {
    if (style == 0 || width < 1)
        return;
    const TipPenStyle pen = PenStyle(style);
    canvas.Polyline({{x1, y1}, {x2, y2}}, color, pen, width);
    if (style == 6) {
        const int dy = x1 != x2 ? 2 * width : 0;
        const int dx = y1 != y2 ? 2 * width : 0;
        canvas.Polyline({{x1 + dx, y1 + dy}, {x2 + dx, y2 + dy}}, color, pen, width);
    }
}
