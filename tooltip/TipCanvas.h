// The surface the tip renderer measures and draws on: fonts and extents,
// text, lines, solid fills, palettised textures and pictures. The program
// draws with a painter (CTipQtCanvas); tests and the fuzz target use fixed
// metrics that record what is drawn (CTipRecordingCanvas).
#pragma once

#include "tooltip/TipTypes.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct TipFont {
    int height = 16; // cell height: ascent plus descent
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    std::string family;
    bool operator==(const TipFont&) const = default;
};

struct TipTextMetrics {
    int height = 0;
    int ascent = 0;
    int descent = 0;
};

// An 8-bit palettised picture, rows stored bottom-up, as the textures are
// computed.
struct TipIndexedImage {
    int width = 0;
    int height = 0;
    std::vector<TipColor> palette;  // 256 entries
    std::vector<std::uint8_t> bits; // width * height, bottom row first
};

// A picture the canvas has opened; id 0 is none.
struct TipPicture {
    int id = 0;
    TipSize size;
    bool owned = true; // false for a caller's picture (handle=): not released
};

// How a picture is painted: the style word's effects, the mask colour and
// the shadow.
struct TipPaintOptions {
    std::uint16_t effects = 0;
    bool useMask = false;
    TipColor mask = 0xFF00FF;
    bool shadow = false;
    int dx = 0;
    int dy = 0;
    int depthX = 0;
    int depthY = 0;
    TipColor shadowColor = 0;
};

enum class TipPenStyle { Solid = 1, Dash = 2, Dot = 3, DashDot = 4, DashDotDot = 5 };

class ITipCanvas {
public:
    virtual ~ITipCanvas() = default;

    virtual void SelectFont(const TipFont& font) = 0;
    virtual TipTextMetrics GetTextMetrics() = 0;
    // Extent of UTF-8 text in the selected font, with the justification set.
    virtual TipSize GetTextExtent(std::string_view text) = 0;
    // Spreads extra units over the next `breaks` blanks, as text is measured and drawn.
    virtual void SetTextJustification(int extra, int breaks) = 0;
    virtual int GetDpiY() = 0;
    virtual void SetTextColor(TipColor color) = 0;
    virtual void SetBackMode(int mode) = 0;
    virtual void SetBackColor(TipColor color) = 0;
    virtual void TextOut(int x, int y, std::string_view text) = 0;

    virtual void Polyline(const std::vector<TipPoint>& points, TipColor color, TipPenStyle style,
                          int width) = 0;
    virtual void FillSolid(const TipRect& rect, TipColor color) = 0;
    virtual void DrawIndexedImage(int x, int y, const TipIndexedImage& image) = 0;

    // Pictures by program resource id, by file, or a caller's registered picture.
    virtual TipPicture LoadBitmapResource(int id) = 0;
    virtual TipPicture LoadBitmapFile(const std::string& path) = 0;
    virtual TipPicture LoadIconResource(int id, int cx, int cy) = 0;
    virtual TipPicture LoadIconFile(const std::string& path, int cx, int cy) = 0;
    virtual TipPicture FindRegisteredPicture(int handle) = 0;
    virtual void ReleasePicture(const TipPicture& picture) = 0;
    virtual TipSize GetSystemIconSize() = 0;
    virtual std::string LoadResourceString(int id) = 0;
    virtual void DrawBitmap(int x, int y, int cx, int cy, const TipPicture& picture,
                            const TipPaintOptions& options) = 0;
    virtual void DrawIcon(int x, int y, int cx, int cy, const TipPicture& picture,
                          const TipPaintOptions& options) = 0;
    // Frame `index` of a strip cut in frames of frameWidth x frameHeight, row by row.
    virtual void DrawStripFrame(int x, int y, int cx, int cy, const TipPicture& strip, int index,
                                int frameWidth, int frameHeight, const TipPaintOptions& options) = 0;
    // A picture repeated over a rectangle from its top-left (table backgrounds).
    virtual void TilePicture(const TipRect& rect, const TipPicture& picture) = 0;
};
