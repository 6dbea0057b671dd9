// A canvas with fixed metrics that records what is drawn: the layout's
// numbers become exact in tests, and the fuzz target runs without Qt.
// Metrics: a font's height is its cell height (16 when not positive),
// ascent three quarters of it, every character half the height wide.
#pragma once

#include "tooltip/TipCanvas.h"

#include <map>
#include <string>
#include <vector>

class CTipRecordingCanvas : public ITipCanvas {
public:
    struct Op {
        std::string kind; // "text", "line", "fill", "texture", "bitmap", "icon", "frame", "tile"
        TipRect rect;     // text: its extent; pictures: position and size
        std::string text;
        TipColor color = 0;
        int style = 0; // pen style; frame index; picture effects
        int width = 0; // pen width
        std::vector<TipPoint> points;
        int picture = 0;
        TipFont font; // text: the font it was drawn in
    };

    std::vector<Op> ops;
    std::map<int, TipSize> bitmaps; // program bitmaps by resource id
    std::map<int, TipSize> icons;   // program icons by resource id (natural size)
    std::map<std::string, TipSize> files;
    std::map<int, TipSize> registered; // caller's pictures by registry id
    std::map<int, std::string> strings;
    int dpi = 96;
    int opened = 0;      // pictures opened and not yet released
    int maxOps = 100000; // recording stops here (the fuzz target draws on)

    void SelectFont(const TipFont& font) override;
    TipTextMetrics GetTextMetrics() override;
    TipSize GetTextExtent(std::string_view text) override;
    void SetTextJustification(int extra, int breaks) override;
    int GetDpiY() override { return dpi; }
    void SetTextColor(TipColor color) override { m_textColor = color; }
    void SetBackMode(int) override {}
    void SetBackColor(TipColor) override {}
    void TextOut(int x, int y, std::string_view text) override;
    void Polyline(const std::vector<TipPoint>& points, TipColor color, TipPenStyle style, int width) override;
    void FillSolid(const TipRect& rect, TipColor color) override;
    void DrawIndexedImage(int x, int y, const TipIndexedImage& image) override;
    TipPicture LoadBitmapResource(int id) override;
    TipPicture LoadBitmapFile(const std::string& path) override;
    TipPicture LoadIconResource(int id, int cx, int cy) override;
    TipPicture LoadIconFile(const std::string& path, int cx, int cy) override;
    TipPicture FindRegisteredPicture(int handle) override;
    void ReleasePicture(const TipPicture& picture) override;
    TipSize GetSystemIconSize() override { return {32, 32}; }
    std::string LoadResourceString(int id) override;
    void DrawBitmap(int x, int y, int cx, int cy, const TipPicture& picture,
                    const TipPaintOptions& options) override;
    void DrawIcon(int x, int y, int cx, int cy, const TipPicture& picture,
                  const TipPaintOptions& options) override;
    void DrawStripFrame(int x, int y, int cx, int cy, const TipPicture& strip, int index, int frameWidth,
                        int frameHeight, const TipPaintOptions& options) override;
    void TilePicture(const TipRect& rect, const TipPicture& picture) override;

    // The texts drawn, in order.
    std::vector<Op> Ops(const std::string& kind) const;
    TipFont font; // the selected font

private:
    void Record(Op op);
    void RecordPicture(const char* kind, int x, int y, int cx, int cy, int picture, int style);
    TipPicture Open(bool found, TipSize size);
    int CharWidth() const;

    TipColor m_textColor = 0;
    int m_nExtra = 0;
    int m_nBreaks = 0;
};
