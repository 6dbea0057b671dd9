// The tip renderer's painter canvas.
#include "tooltip/TipQtCanvas.h"

#include "tooltip/TipDrawHelper.h"
#include "tooltip/TipPictureStore.h"

#include <QFontMetrics>
#include <QPaintDevice>
#include <QPainter>

#include <algorithm>
#include <map>
#include <mutex>
#include <tuple>

namespace {

struct CachedFont {
    QFont font;
    QFontMetrics fm;
    TipTextMetrics tm;
};

// Fonts by style: finding the pixel size whose cell height is the asked
// height costs a few metric look-ups, once per style.
const CachedFont& FontFor(const TipFont& f) {
    static std::mutex
        mutex; // guards the cache: tips are painted on the user-interface thread only, tests too
    static std::map<std::tuple<std::string, int, int, bool, bool, bool>, CachedFont> cache;
    const std::lock_guard<std::mutex> lock(mutex);
    const int height = f.height > 0 ? std::min(f.height, 400) : 16;
    const auto key = std::make_tuple(f.family, height, f.weight, f.italic, f.underline, f.strikeOut);
    const auto it = cache.find(key);
    if (it != cache.end())
        return it->second;
    QFont font(QString::fromStdString(f.family));
    font.setWeight(static_cast<QFont::Weight>(std::clamp(f.weight, 1, 1000)));
    font.setItalic(f.italic);
    font.setUnderline(f.underline);
    font.setStrikeOut(f.strikeOut);
    font.setPixelSize(height);
    const QFontMetrics probe(font);
    const int cell = std::max(probe.ascent() + probe.descent(), 1);
    font.setPixelSize(std::max(1, height * height / cell));
    const QFontMetrics fm(font);
    CachedFont entry{font, fm, {fm.ascent() + fm.descent(), fm.ascent(), fm.descent()}};
    return cache.emplace(key, entry).first->second;
}

Qt::PenStyle QtPen(TipPenStyle style) {
    switch (style) {
    case TipPenStyle::Dash:
        return Qt::DashLine;
    case TipPenStyle::Dot:
        return Qt::DotLine;
    case TipPenStyle::DashDot:
        return Qt::DashDotLine;
    case TipPenStyle::DashDotDot:
        return Qt::DashDotDotLine;
    default:
        return Qt::SolidLine;
    }
}

} // namespace

QColor CTipQtCanvas::ToQColor(TipColor c) {
    return QColor(TipRed(c), TipGreen(c), TipBlue(c));
}

CTipQtCanvas::CTipQtCanvas(QPainter* painter, QPaintDevice* device) : m_pPainter(painter), m_fm(QFont()) {
    if (device != nullptr && device->logicalDpiY() > 0)
        m_nDpi = device->logicalDpiY();
    SelectFont(TipFont());
}

void CTipQtCanvas::SelectFont(const TipFont& font) {
    if (m_bFontSelected && font == m_selected)
        return;
    const CachedFont& cached = FontFor(font);
    m_selected = font;
    m_bFontSelected = true;
    m_font = cached.font;
    m_fm = cached.fm;
    m_tm = cached.tm;
}

TipSize CTipQtCanvas::GetTextExtent(std::string_view text) {
    const QString s = QString::fromUtf8(text.data(), static_cast<int>(text.size()));
    int width = m_fm.horizontalAdvance(s);
    if (m_nBreaks > 0) {
        const int blanks = static_cast<int>(s.count(QLatin1Char(' ')));
        const int used = std::min(blanks, m_nBreaks);
        width += m_nExtra / m_nBreaks * used + std::min(used, m_nExtra % m_nBreaks);
    }
    return {width, m_tm.height};
}

void CTipQtCanvas::SetTextJustification(int extra, int breaks) {
    m_nBreaks = std::max(breaks, 0);
    m_nExtra = m_nBreaks > 0 ? std::max(extra, 0) : 0;
}

void CTipQtCanvas::TextOut(int x, int y, std::string_view text) {
    if (m_pPainter == nullptr)
        return;
    const TipSize extent = GetTextExtent(text);
    if (m_nBackMode == 2)
        m_pPainter->fillRect(x, y, extent.cx, extent.cy, ToQColor(m_backColor));
    m_pPainter->setFont(m_font);
    m_pPainter->setPen(ToQColor(m_textColor));
    const QString s = QString::fromUtf8(text.data(), static_cast<int>(text.size()));
    if (m_nBreaks == 0) {
        m_pPainter->drawText(x, y + m_tm.ascent, s);
        return;
    }
    // Justified: each blank carries its share of the extra width.
    const QFontMetrics& fm = m_fm;
    int px = x;
    int blanks = 0;
    const QStringList words = s.split(QLatin1Char(' '));
    for (int i = 0; i < words.size(); ++i) {
        m_pPainter->drawText(px, y + m_tm.ascent, words[i]);
        px += fm.horizontalAdvance(words[i]);
        if (i + 1 < words.size()) {
            px += fm.horizontalAdvance(QLatin1Char(' '));
            if (blanks < m_nBreaks)
                px += m_nExtra / m_nBreaks + (blanks < m_nExtra % m_nBreaks ? 1 : 0);
            ++blanks;
        }
    }
}

void CTipQtCanvas::Polyline(const std::vector<TipPoint>& points, TipColor color, TipPenStyle style,
                            int width) {
    if (m_pPainter == nullptr || points.size() < 2)
        return;
    QPen pen(ToQColor(color), width, QtPen(style), Qt::FlatCap, Qt::MiterJoin);
    pen.setCosmetic(width <= 1); // thin lines take the painter's fast path
    m_pPainter->setPen(pen);
    QPolygon polygon;
    for (const TipPoint& p : points)
        polygon << QPoint(p.x, p.y);
    m_pPainter->drawPolyline(polygon);
}

void CTipQtCanvas::FillSolid(const TipRect& r, TipColor color) {
    if (m_pPainter != nullptr && r.Width() > 0 && r.Height() > 0)
        m_pPainter->fillRect(QRect(r.left, r.top, r.Width(), r.Height()), ToQColor(color));
}

void CTipQtCanvas::DrawIndexedImage(int x, int y, const TipIndexedImage& image) {
    if (m_pPainter == nullptr || image.width <= 0 || image.height <= 0)
        return;
    QImage q(image.width, image.height, QImage::Format_Indexed8);
    QList<QRgb> table;
    for (const TipColor c : image.palette)
        table << qRgb(TipRed(c), TipGreen(c), TipBlue(c));
    q.setColorTable(table);
    for (int row = 0; row < image.height; ++row) // stored bottom-up
        std::copy_n(image.bits.data() + static_cast<std::size_t>(image.height - 1 - row) * image.width,
                    image.width, q.scanLine(row));
    m_pPainter->drawImage(x, y, q);
}

TipPicture CTipQtCanvas::Open(const QImage& image, bool owned) {
    if (image.isNull())
        return {};
    const int id = m_nNextPicture++;
    m_open[id] = image;
    return {id, {image.width(), image.height()}, owned};
}

QImage CTipQtCanvas::PictureOf(const TipPicture& picture) const {
    const auto it = m_open.find(picture.id);
    return it == m_open.end() ? QImage() : it->second;
}

TipPicture CTipQtCanvas::LoadBitmapResource(int id) {
    return Open(CTipPictureStore::Instance().LoadBitmap(id), true);
}
TipPicture CTipQtCanvas::LoadBitmapFile(const std::string& path) {
    return Open(CTipPictureStore::LoadFile(path), true);
}
TipPicture CTipQtCanvas::LoadIconResource(int id, int cx, int cy) {
    return Open(CTipPictureStore::Instance().LoadIcon(id, cx, cy), true);
}
TipPicture CTipQtCanvas::LoadIconFile(const std::string& path, int cx, int cy) {
    QImage image = CTipPictureStore::LoadFile(path);
    if (!image.isNull() && cx > 0 && cy > 0)
        image = image.scaled(cx, cy, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return Open(image, true);
}
TipPicture CTipQtCanvas::FindRegisteredPicture(int handle) {
    return Open(CTipPictureStore::Instance().Find(handle), false);
}

void CTipQtCanvas::ReleasePicture(const TipPicture& picture) {
    m_open.erase(picture.id);
}

std::string CTipQtCanvas::LoadResourceString(int id) {
    return CTipPictureStore::Instance().LoadResourceString(id);
}

// Effects of the style word (grey, darker, lighter, one colour), the mask
// colour made transparent, and a shadow: of the picture's shape (soft with
// 0x0200) or a copy of the picture itself.
void CTipQtCanvas::PaintImage(int x, int y, int cx, int cy, QImage image, const TipPaintOptions& o) {
    if (m_pPainter == nullptr || image.isNull() || cx <= 0 || cy <= 0)
        return;
    if (image.width() != cx || image.height() != cy)
        image = image.scaled(cx, cy, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if ((o.effects & 0x800F) == 0 && !o.useMask && !o.shadow) {
        m_pPainter->drawImage(x, y, image);
        return;
    }
    const QRgb transparent = qRgb(TipRed(o.mask), TipGreen(o.mask), TipBlue(o.mask));
    const QRgb colour = qRgb(TipRed(o.shadowColor), TipGreen(o.shadowColor), TipBlue(o.shadowColor));
    CTipDrawHelper helper;
    const QImage painted =
        helper.CreateEffectBitmap(image, cx, cy, o.effects, o.useMask, transparent, colour);
    if (o.shadow) {
        if (o.effects & 0x0300) {
            // The shape in the shadow's grey on white; the darkening it
            // makes becomes black of that much alpha.
            const QImage mask = helper.CreateEffectBitmap(image, cx, cy, 0x8008, o.useMask, transparent,
                                                          CTipDrawHelper::Invert(colour));
            QImage factor(cx, cy, QImage::Format_RGB32);
            factor.fill(Qt::white);
            CTipDrawHelper::DrawShadow(factor, 0, 0, cx, cy, mask, (o.effects & 0x0200) != 0, o.depthX,
                                       o.depthY);
            QImage shade(cx, cy, QImage::Format_ARGB32);
            for (int row = 0; row < cy; ++row) {
                const QRgb* f = reinterpret_cast<const QRgb*>(factor.constScanLine(row));
                QRgb* d = reinterpret_cast<QRgb*>(shade.scanLine(row));
                for (int col = 0; col < cx; ++col)
                    d[col] = qRgba(0, 0, 0, 255 - qBlue(f[col]));
            }
            m_pPainter->drawImage(x + o.dx, y + o.dy, shade);
        } else {
            m_pPainter->drawImage(x + o.dx, y + o.dy, painted);
        }
    }
    m_pPainter->drawImage(x, y, painted);
}

void CTipQtCanvas::DrawBitmap(int x, int y, int cx, int cy, const TipPicture& picture,
                              const TipPaintOptions& o) {
    PaintImage(x, y, cx, cy, PictureOf(picture), o);
}

void CTipQtCanvas::DrawIcon(int x, int y, int cx, int cy, const TipPicture& picture,
                            const TipPaintOptions& o) {
    PaintImage(x, y, cx, cy, PictureOf(picture), o);
}

void CTipQtCanvas::DrawStripFrame(int x, int y, int cx, int cy, const TipPicture& strip, int index,
                                  int frameWidth, int frameHeight, const TipPaintOptions& o) {
    const QImage image = PictureOf(strip);
    if (image.isNull() || frameWidth <= 0 || frameHeight <= 0)
        return;
    const int across = image.width() / frameWidth;
    const int down = image.height() / frameHeight;
    if (across == 0 || index < 0 || index >= across * down)
        return;
    PaintImage(
        x, y, cx, cy,
        image.copy((index % across) * frameWidth, (index / across) * frameHeight, frameWidth, frameHeight),
        o);
}

void CTipQtCanvas::TilePicture(const TipRect& r, const TipPicture& picture) {
    const QImage image = PictureOf(picture);
    if (m_pPainter != nullptr && !image.isNull() && r.Width() > 0 && r.Height() > 0)
        m_pPainter->drawTiledPixmap(QRect(r.left, r.top, r.Width(), r.Height()), QPixmap::fromImage(image));
}
