// The tip renderer's canvas in the program: fonts and extents from
// QFontMetrics (a font's size is its cell height, ascent plus descent),
// painting with a QPainter, pictures from the tip picture store.
#pragma once

#include "tooltip/TipCanvas.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>

#include <map>

class QPainter;
class QPaintDevice;

class CTipQtCanvas : public ITipCanvas {
public:
    // Without a painter the canvas only measures; the device gives the dpi.
    CTipQtCanvas(QPainter* painter, QPaintDevice* device);

    void SelectFont(const TipFont& font) override;
    TipTextMetrics GetTextMetrics() override { return m_tm; }
    TipSize GetTextExtent(std::string_view text) override;
    void SetTextJustification(int extra, int breaks) override;
    int GetDpiY() override { return m_nDpi; }
    void SetTextColor(TipColor color) override { m_textColor = color; }
    void SetBackMode(int mode) override { m_nBackMode = mode; }
    void SetBackColor(TipColor color) override { m_backColor = color; }
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

    static QColor ToQColor(TipColor color);

private:
    TipPicture Open(const QImage& image, bool owned);
    QImage PictureOf(const TipPicture& picture) const;
    void PaintImage(int x, int y, int cx, int cy, QImage image, const TipPaintOptions& options);

    QPainter* m_pPainter;
    int m_nDpi = 96;
    QFont m_font;
    QFontMetrics m_fm;
    TipFont m_selected;
    bool m_bFontSelected = false;
    TipTextMetrics m_tm;
    int m_nExtra = 0;
    int m_nBreaks = 0;
    TipColor m_textColor = 0;
    TipColor m_backColor = 0xFFFFFF;
    int m_nBackMode = 1;
    std::map<int, QImage> m_open; // pictures opened by this canvas
    int m_nNextPicture = 1;
};
