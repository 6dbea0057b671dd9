// The fixed-metrics recording canvas.
#include "tooltip/TipRecordingCanvas.h"

#include <algorithm>

void CTipRecordingCanvas::SelectFont(const TipFont& f) {
    font = f;
}

static int CellHeight(const TipFont& font) {
    return font.height > 0 ? std::min(font.height, 100000) : 16;
}

TipTextMetrics CTipRecordingCanvas::GetTextMetrics() {
    const int h = CellHeight(font);
    return {h, h - h / 4, h / 4};
}

int CTipRecordingCanvas::CharWidth() const {
    return std::max(CellHeight(font) / 2, 1);
}

TipSize CTipRecordingCanvas::GetTextExtent(std::string_view text) {
    long long width = 0;
    int blanks = 0;
    for (const char ch : text) {
        if ((static_cast<unsigned char>(ch) & 0xC0) == 0x80)
            continue; // one advance per character
        width += CharWidth();
        if (ch == ' ' && m_nBreaks > 0) {
            width += m_nExtra / m_nBreaks + (blanks < m_nExtra % m_nBreaks ? 1 : 0);
            ++blanks;
        }
    }
    return {static_cast<int>(std::min<long long>(width, 1 << 30)), GetTextMetrics().height};
}

void CTipRecordingCanvas::SetTextJustification(int extra, int breaks) {
    m_nExtra = breaks > 0 ? std::max(extra, 0) : 0;
    m_nBreaks = std::max(breaks, 0);
}

void CTipRecordingCanvas::Record(Op op) {
    if (static_cast<int>(ops.size()) < maxOps)
        ops.push_back(std::move(op));
}

void CTipRecordingCanvas::TextOut(int x, int y, std::string_view text) {
    const TipSize s = GetTextExtent(text);
    Op op;
    op.kind = "text";
    op.rect = {x, y, x + s.cx, y + s.cy};
    op.text = std::string(text);
    op.color = m_textColor;
    op.font = font;
    Record(std::move(op));
}

void CTipRecordingCanvas::Polyline(const std::vector<TipPoint>& points, TipColor color, TipPenStyle style,
                                   int width) {
    Op op;
    op.kind = "line";
    op.points = points;
    op.color = color;
    op.style = static_cast<int>(style);
    op.width = width;
    Record(std::move(op));
}

void CTipRecordingCanvas::FillSolid(const TipRect& rect, TipColor color) {
    Op op;
    op.kind = "fill";
    op.rect = rect;
    op.color = color;
    Record(std::move(op));
}

void CTipRecordingCanvas::DrawIndexedImage(int x, int y, const TipIndexedImage& image) {
    Op op;
    op.kind = "texture";
    op.rect = {x, y, x + image.width, y + image.height};
    Record(std::move(op));
}

TipPicture CTipRecordingCanvas::Open(bool found, TipSize size) {
    if (!found)
        return {};
    ++opened;
    return {1, size, true};
}

TipPicture CTipRecordingCanvas::LoadBitmapResource(int id) {
    const auto it = bitmaps.find(id);
    return Open(it != bitmaps.end(), it != bitmaps.end() ? it->second : TipSize());
}

TipPicture CTipRecordingCanvas::LoadBitmapFile(const std::string& path) {
    const auto it = files.find(path);
    return Open(it != files.end(), it != files.end() ? it->second : TipSize());
}

TipPicture CTipRecordingCanvas::LoadIconResource(int id, int cx, int cy) {
    return Open(icons.count(id) != 0, {cx, cy});
}

TipPicture CTipRecordingCanvas::LoadIconFile(const std::string& path, int cx, int cy) {
    return Open(files.count(path) != 0, {cx, cy});
}

TipPicture CTipRecordingCanvas::FindRegisteredPicture(int handle) {
    const auto it = registered.find(handle);
    if (it == registered.end())
        return {};
    return {handle, it->second, false};
}

void CTipRecordingCanvas::ReleasePicture(const TipPicture& picture) {
    if (picture.owned && picture.id != 0)
        --opened;
}

std::string CTipRecordingCanvas::LoadResourceString(int id) {
    const auto it = strings.find(id);
    return it == strings.end() ? std::string() : it->second;
}

void CTipRecordingCanvas::RecordPicture(const char* kind, int x, int y, int cx, int cy, int picture,
                                        int style) {
    Op op;
    op.kind = kind;
    op.rect = {x, y, x + cx, y + cy};
    op.style = style;
    op.picture = picture;
    Record(std::move(op));
}

void CTipRecordingCanvas::DrawBitmap(int x, int y, int cx, int cy, const TipPicture& picture,
                                     const TipPaintOptions& options) {
    RecordPicture("bitmap", x, y, cx, cy, picture.id, options.effects);
}

void CTipRecordingCanvas::DrawIcon(int x, int y, int cx, int cy, const TipPicture& picture,
                                   const TipPaintOptions& options) {
    RecordPicture("icon", x, y, cx, cy, picture.id, options.effects);
}

void CTipRecordingCanvas::DrawStripFrame(int x, int y, int cx, int cy, const TipPicture& strip, int index,
                                         int, int, const TipPaintOptions&) {
    RecordPicture("frame", x, y, cx, cy, strip.id, index);
}

void CTipRecordingCanvas::TilePicture(const TipRect& rect, const TipPicture& picture) {
    Op op;
    op.kind = "tile";
    op.rect = rect;
    op.picture = picture.id;
    Record(std::move(op));
}

std::vector<CTipRecordingCanvas::Op> CTipRecordingCanvas::Ops(const std::string& kind) const {
    std::vector<Op> out;
    for (const Op& op : ops)
        if (op.kind == kind)
            out.push_back(op);
    return out;
}
