// Background fills of tips and table cells (solid, band gradients, palette
// textures with grain) and the border lines, as arithmetic over a canvas.
#pragma once

#include "tooltip/TipCanvas.h"

#include <cstdint>

// The textures' random source: any uniform generator over 0..32767 does;
// this one is seeded so that a tip looks the same every time.
class TipRandom {
public:
    explicit TipRandom(std::uint32_t seed = 1) : m_state(seed) {}
    int Next() {
        m_state = m_state * 1103515245u + 12345u;
        return static_cast<int>((m_state >> 16) & 0x7FFF);
    }

private:
    std::uint32_t m_state;
};

// Textures larger than this (per side) are computed for their top-left part only.
inline constexpr int kTipMaxTextureSide = 1024;

void TipFillGradient(ITipCanvas& canvas, const TipRect& r, TipColor from, TipColor to, bool horizontal);
void TipFillEffect(ITipCanvas& canvas, int effect, const TipRect& r, TipColor background, TipColor middle,
                   TipColor end, int grain, int tint, TipRandom& random);
TipIndexedImage TipMakeEffectBitmap(int width, int height, int effect, int grain, int tint,
                                    TipColor background, TipColor middle, TipColor end, TipRandom& random);

void TipDrawRectBorder(ITipCanvas& canvas, const TipRect& r, TipColor topLeft, TipColor bottomRight,
                       int style, int width);
void TipDrawLine(ITipCanvas& canvas, int x1, int y1, int x2, int y2, TipColor color, int style, int width);
