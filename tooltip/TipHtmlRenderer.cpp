// The tip renderer's passes: blocks, text flow and lines, tables, pictures.
#include "tooltip/TipHtmlRenderer.h"

#include "platform/MulDiv.h"
#include "tooltip/TipMarkup.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>

using namespace tipmarkup;

namespace {

// Coordinates saturate well inside int.
constexpr long long kMaxCoord = 1LL << 28;
int Sat(long long v) {
    return static_cast<int>(std::clamp(v, -kMaxCoord, kMaxCoord));
}

bool IsUtf8Continuation(char ch) {
    return (static_cast<unsigned char>(ch) & 0xC0) == 0x80;
}

std::size_t NextCodePoint(const std::string& text, std::size_t i) {
    ++i;
    while (i < text.size() && IsUtf8Continuation(text[i]))
        ++i;
    return i;
}

void TrimRight(std::string& s) {
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
}

void TrimLeft(std::string& s) {
    s.erase(0, std::min(s.find_first_not_of(' '), s.size()));
}

// Only ASCII letters change case: a multi-byte character is never split.
void Transform(std::string& text, int mode) {
    if (mode < 1 || mode > 3)
        return;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char& ch = text[i];
        if (mode == 1) {
            if (ch >= 'a' && ch <= 'z')
                ch = static_cast<char>(ch - 'a' + 'A');
        } else if (ch >= 'A' && ch <= 'Z') {
            ch = static_cast<char>(ch - 'A' + 'a');
        }
        if (mode == 3 && ch >= 'a' && ch <= 'z' && (i == 0 || text[i - 1] == ' '))
            ch = static_cast<char>(ch - 'a' + 'A');
    }
}

const TipLineInfo kEmptyLine{};

} // namespace

CTipHtmlRenderer::CTipHtmlRenderer() {
    SetImageShadow(4, 4, 50, true, 7, 7);
}

void CTipHtmlRenderer::EnableColors(bool enable) {
    m_vocabulary.EnableColors(enable);
    m_bStale = true;
}

void CTipHtmlRenderer::SetStyleSheet(const char* text) {
    m_sheet.SetStyleSheet(text);
    m_bStale = true;
}

void CTipHtmlRenderer::SetImageShadow(int offsetX, int offsetY, int darkness, bool gradient, int depthX,
                                      int depthY) {
    m_shadow = {offsetX, offsetY, std::min(darkness & 0xFF, 100), gradient, depthX, depthY};
}

TipSize CTipHtmlRenderer::Measure(ITipCanvas& canvas, const std::string& markup) {
    m_pCanvas = &canvas;
    canvas.SetTextJustification(0, 0);
    m_text = m_vocabulary.PrepareText(markup, m_bLineBreakTags);
    TipSize out;
    if (!m_text.empty()) {
        m_nMode = 1;
        m_tables.clear();
        out = RenderBlocks({0, 0, m_nMaxWidth, 0});
        if (out.cx == 0 && out.cy == 0)
            m_text.clear();
        if (m_nMaxWidth > 0 && out.cx > m_nMaxWidth)
            out.cx = m_nMaxWidth;
        out.cx += 1;
        out.cy += 1;
    }
    m_nMeasuredHover = m_nHoverLink;
    m_bStale = false;
    m_pCanvas = nullptr;
    return out;
}

void CTipHtmlRenderer::Draw(ITipCanvas& canvas, const TipRect& area) {
    if (m_text.empty())
        return;
    m_pCanvas = &canvas;
    // The drawing pass reads only records made over this document in this
    // hover state: otherwise measure again first.
    if (m_bStale || m_nMeasuredHover != m_nHoverLink) {
        m_nMode = 1;
        m_tables.clear();
        RenderBlocks({0, 0, m_nMaxWidth, 0});
        m_nMeasuredHover = m_nHoverLink;
        m_bStale = false;
    }
    m_nMode = 0;
    RenderBlocks(area);
    m_pCanvas = nullptr;
}

TipSize CTipHtmlRenderer::RenderBlocks(const TipRect& area) {
    m_links.clear(); // every pass rebuilds the link areas
    if (Measuring()) {
        m_lines.clear();
        m_anims.clear();
    }
    m_nLine = 0;
    m_nTable = -1;
    m_nTableDepth = 0;
    m_nLink = -1;
    m_nAnim = -1;
    m_styles.clear();
    ResetStyle();
    ApplyClassStyle("body");
    SelectStyleFont();

    const TipSize out = RenderCellContent(m_text, 0, area);
    m_styles.clear();
    return out;
}

// ---- style state ----

void CTipHtmlRenderer::ResetStyle() {
    const int boxWidth = m_style.boxWidth;
    const int boxHeight = m_style.boxHeight;
    m_style = TipStyle();
    m_style.boxWidth = boxWidth;
    m_style.boxHeight = boxHeight;
}

void CTipHtmlRenderer::PushPopStyle(bool closing) {
    if (!closing) {
        m_styles.push_back(m_style);
    } else if (!m_styles.empty() && m_styles.back().name == m_style.name) {
        m_style = std::move(m_styles.back());
        m_styles.pop_back();
    }
    m_style.name.clear();
}

void CTipHtmlRenderer::SelectStyleFont() {
    TipFont font;
    font.height = m_style.fontSize;
    font.weight = m_style.weight;
    font.italic = m_style.italic != 0;
    font.underline = m_style.underline != 0;
    font.strikeOut = m_style.strikeOut != 0;
    font.family = m_style.family;
    m_pCanvas->SelectFont(font);
    m_tm = m_pCanvas->GetTextMetrics();
    m_pCanvas->SetBackMode(m_style.backMode);
    m_pCanvas->SetTextColor(m_style.textColor);
    m_pCanvas->SetBackColor(m_style.backColor);
}

TipUnits CTipHtmlRenderer::Units() const {
    TipUnits units;
    units.dpi = m_pCanvas ? m_pCanvas->GetDpiY() : 96;
    units.fontHeight = m_tm.height;
    units.canvas = m_pCanvas;
    return units;
}

int CTipHtmlRenderer::Length(const std::string& value, int old, bool sizeKeywords) const {
    return ParseLength(value, old, sizeKeywords, Units());
}

void CTipHtmlRenderer::ApplyClassStyle(const std::string& name, TipStyle* style) {
    const std::string declarations = m_sheet.FindStyleRule(name);
    if (!declarations.empty())
        ApplyDeclarations(declarations, style, Units(), m_vocabulary);
}

// ---- lines ----

int CTipHtmlRenderer::BeginLine(int x) {
    if (Measuring()) {
        m_line.align = m_style.hAlign;
        m_line.width = m_line.height = m_line.descent = m_line.extraPercent = m_line.breaks = 0;
        m_nLineBeginX = x;
        return x;
    }
    m_line = m_nLine >= 0 && m_nLine < static_cast<int>(m_lines.size()) ? m_lines[m_nLine] : kEmptyLine;
    const int w = m_rc.Width();
    if (m_line.extraPercent != 0)
        m_line.width = Sat(m_line.width + static_cast<long long>(w) * m_line.extraPercent / 100);
    if (m_line.align == 3 && m_line.wrapped)
        m_pCanvas->SetTextJustification(w - m_line.width, m_line.breaks);
    else
        m_pCanvas->SetTextJustification(0, 0);
    if (m_line.align == 1)
        x = m_rc.left + (w - m_line.width) / 2;
    else if (m_line.align == 2)
        x = m_rc.left + w - m_line.width;
    else
        x = m_rc.left;
    m_nLineBeginX = x;
    return x;
}

void CTipHtmlRenderer::NewLine(int count, int& x, int& y, int& widest) {
    if (Measuring()) {
        if (m_line.height == 0)
            m_line.height = m_tm.height;
        widest = std::max(widest, x - m_rc.left);
        m_line.width = x - m_rc.left;
        m_line.height = Sat(static_cast<long long>(m_line.height) + m_line.descent);
        if (m_nLine < static_cast<int>(m_lines.size()))
            m_lines[m_nLine] = m_line;
        else
            m_lines.push_back(m_line);
    }
    y = Sat(y + static_cast<long long>(m_line.height) * std::max(count, 1));
    ++m_nLine;
    x = BeginLine(m_rc.left);
}

int CTipHtmlRenderer::AlignTextInLine(int y, int textHeight) {
    if (Measuring()) {
        m_line.descent = std::max(m_line.descent, textHeight - m_tm.ascent);
        m_line.height = std::max(m_line.height, m_tm.ascent);
        return y;
    }
    switch (m_style.vAlign) {
    case 1:
        return y + (m_line.height - m_tm.height) / 2;
    case 2:
        return y + m_line.height - m_tm.ascent;
    case 3:
        return y + m_line.height - m_line.descent - m_tm.ascent;
    default:
        return y;
    }
}

int CTipHtmlRenderer::AlignImageInLine(int y, int imageHeight) {
    if (Measuring()) {
        m_line.height = std::max(m_line.height, imageHeight);
        return y;
    }
    switch (m_style.vAlign) {
    case 1:
        return y + (m_line.height - imageHeight) / 2;
    case 2:
        return y + m_line.height - imageHeight;
    case 3:
        return y + m_line.height - m_line.descent - imageHeight;
    default:
        return y;
    }
}

int CTipHtmlRenderer::AdvanceTab(int x, int count) const {
    const int t = m_nTabWidth;
    int c = std::max(count, 1);
    const int rel = x - m_rc.left;
    if (rel % t != 0) {
        x = m_rc.left + (rel >= 0 ? rel / t + 1 : rel / t) * t;
        --c;
    }
    return Sat(x + static_cast<long long>(c) * t);
}

void CTipHtmlRenderer::AddLinkArea(int left, int top, int right, int bottom) {
    if (m_style.linkKind != 0)
        m_links.push_back({{left, top, right, bottom}, m_style.linkKind, m_nLink, m_style.linkTarget});
}

// ---- text flow ----

TipSize CTipHtmlRenderer::RenderText(const std::string& run, const TipRect& area) {
    const std::string text = "<body>" + run + "</body>";
    m_rc = area;
    int y = area.top;
    const int firstLine = m_nLine;
    int widest = 0;
    int x = BeginLine(area.left);
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::string tag;
        std::string chunk = NextChunk(text, &pos, &tag);
        if (!chunk.empty()) {
            Transform(chunk, m_style.textTransform);
            LayOutText(std::move(chunk), x, y, widest);
        }
        if (!tag.empty()) {
            const std::string params = SplitTagName(&tag);
            HandleTag(tag, params, x, y, widest);
        }
    }
    if (x != m_nLineBeginX) {
        m_line.wrapped = 0;
        NewLine(1, x, y, widest);
    }
    m_pCanvas->SetTextJustification(0, 0);
    TipSize size;
    size.cy = y - area.top;
    for (int i = firstLine; i < m_nLine && i < static_cast<int>(m_lines.size()); ++i) {
        const TipLineInfo& line = m_lines[i];
        int w = line.width;
        if (line.extraPercent != 0)
            w = Sat(w +
                    static_cast<long long>(std::max(platform::MulDiv(widest, line.extraPercent, 100), 0)));
        size.cx = std::max(size.cx, w);
    }
    return size;
}

void CTipHtmlRenderer::LayOutText(std::string text, int& x, int& y, int& widest) {
    while (!text.empty()) {
        m_pCanvas->SetTextJustification(0, 0);
        const TipSize extent = m_pCanvas->GetTextExtent(text);
        const int yText = AlignTextInLine(y, extent.cy);
        int pieceWidth = m_rc.right - x;
        std::string piece;
        if (m_nMaxWidth > 0 && extent.cx > pieceWidth && m_rc.right > m_rc.left) {
            piece = BreakLine(&text, &pieceWidth, x == m_nLineBeginX);
        } else {
            piece = std::move(text);
            text.clear();
            pieceWidth = extent.cx;
        }
        if (Measuring()) {
            m_line.align = m_style.hAlign;
            m_line.breaks += CountChar(piece, ' ');
        } else if (pieceWidth > 0) {
            if (pieceWidth == m_line.width && piece.back() == ' ') {
                TrimRight(piece);
                const int trimmed = m_pCanvas->GetTextExtent(piece).cx;
                m_line.breaks = CountChar(piece, ' ');
                m_line.width -= pieceWidth - trimmed;
                pieceWidth = trimmed;
            }
            if (m_line.align == 3 && m_line.wrapped)
                m_pCanvas->SetTextJustification((m_rc.right - x) - m_line.width, m_line.breaks);
            m_line.width -= pieceWidth;
            const TipSize drawn = m_pCanvas->GetTextExtent(piece);
            AddLinkArea(x, yText, x + drawn.cx, yText + drawn.cy);
            m_pCanvas->TextOut(x, yText, piece);
            m_line.breaks -= CountChar(piece, ' ');
            if (m_style.overline)
                TipDrawLine(*m_pCanvas, x, yText, x + drawn.cx, yText, m_style.textColor, 1,
                            m_style.weight >= 700 ? 2 : 1);
            pieceWidth = drawn.cx;
        }
        x = Sat(static_cast<long long>(x) + pieceWidth);
        if (!text.empty()) {
            m_line.wrapped = 1;
            NewLine(1, x, y, widest);
        }
    }
}

std::string CTipHtmlRenderer::BreakLine(std::string* text, int* avail, bool lineEmpty) {
    static const char kBreaks[] = " -.,!:;)}]?";
    std::size_t keep = 0;
    for (std::size_t i = 1; i < text->size(); ++i) {
        if (std::strchr(kBreaks, (*text)[i]) == nullptr || (*text)[i] == '\0')
            continue;
        if (m_pCanvas->GetTextExtent(std::string_view(*text).substr(0, i)).cx > *avail)
            break; // longer prefixes fit no better
        keep = i;
    }
    std::string piece;
    if (keep > 0) {
        piece = text->substr(0, keep + 1);
        TrimRight(piece);
        *text = text->substr(keep + 1);
        TrimLeft(*text);
        *avail = m_pCanvas->GetTextExtent(piece).cx;
        return piece;
    }
    if (lineEmpty) {
        std::size_t end = NextCodePoint(*text, 0);
        while (end < text->size()) {
            const std::size_t next = NextCodePoint(*text, end);
            if (m_pCanvas->GetTextExtent(std::string_view(*text).substr(0, next)).cx > *avail)
                break;
            end = next;
        }
        piece = text->substr(0, end);
        *text = text->substr(end);
        *avail = m_pCanvas->GetTextExtent(piece).cx;
        return piece;
    }
    *avail = 0;
    return piece;
}

void CTipHtmlRenderer::HandleTag(const std::string& name, const std::string& params, int& x, int& y,
                                 int& widest) {
    std::string styleName;
    bool closing = false;
    const int kind = m_vocabulary.LookupTag(name, &styleName, &closing);
    if (kind == 0)
        return;
    switch (kind) {
    case 6:
        if (!closing)
            RenderRule(params, x, y);
        return;
    case 7:
    case 8: {
        if (closing)
            return;
        const int count =
            std::clamp(Length(params.empty() ? std::string() : params.substr(1), 1), 0, kMaxRepeat);
        if (kind == 7) {
            m_line.wrapped = 0;
            NewLine(count, x, y, widest);
        } else {
            x = AdvanceTab(x, count);
        }
        return;
    }
    case 17:
    case 18:
    case 19:
    case 20:
        if (!closing)
            RenderPicture(kind, params, x, y, widest);
        return;
    default:
        break;
    }
    m_style.name = styleName;
    PushPopStyle(closing);
    if (!closing)
        ApplyTagEffect(kind, closing ? name.substr(1) : name, params);
    SelectStyleFont();
}

void CTipHtmlRenderer::ApplyTagEffect(int kind, const std::string& name, const std::string& params) {
    TipStyle& s = m_style;
    switch (kind) {
    case 1:
        s.weight = std::min(s.weight * 2, 900);
        break;
    case 2:
        s.italic = !s.italic;
        break;
    case 3:
        s.underline = !s.underline;
        break;
    case 4:
        s.strikeOut = !s.strikeOut;
        break;
    case 5:
        ForEachAttribute(params, [&](const std::string& attr, const std::string& value) {
            if (attr == "face") {
                if (!value.empty())
                    s.family = value;
            } else if (attr == "size") {
                s.fontSize = Length(value, s.fontSize, true);
            } else if (attr == "color") {
                s.textColor = m_vocabulary.ColorValue(value, s.textColor);
            } else if (attr == "style") {
                ApplyFontStyleLetters(value, &s);
            } else if (attr == "weight") {
                s.weight = ParseFontWeight(value, s.weight);
            } else if (attr == "bkgnd") {
                if (value.empty() || value == "transparent" || !m_vocabulary.ColorsEnabled()) {
                    s.backMode = 1;
                } else {
                    s.backMode = 2;
                    s.backColor = ParseColor(value, s.backColor, m_vocabulary);
                }
            }
        });
        break;
    case 9:
    case 10:
    case 11:
    case 12:
        s.hAlign = kind - 9;
        break;
    case 13:
        s.vAlign = 3;
        break;
    case 14:
        s.vAlign = 0;
        break;
    case 15:
        s.vAlign = 1;
        break;
    case 16:
        s.vAlign = 2;
        break;
    case 21:
        ApplyClassStyle(name);
        break;
    case 22:
        ForEachAttribute(params, [&](const std::string& attr, const std::string& value) {
            if (attr == "class")
                ApplyClassStyle("." + value);
        });
        break;
    case 23:
        s.linkKind = 2;
        s.linkTarget.clear();
        ForEachAttribute(params, [&](const std::string& attr, const std::string& value) {
            if (attr == "href") {
                s.linkKind = 1;
                s.linkTarget = value;
            } else if (attr == "msg") {
                s.linkKind = 2;
                s.linkTarget = value;
            }
        });
        ++m_nLink;
        ApplyClassStyle(m_nLink == m_nHoverLink ? "a:hover" : "a:link");
        break;
    default:
        break;
    }
}

void CTipHtmlRenderer::RenderRule(const std::string& params, int& x, int y) {
    TipStyle rule = m_style;
    ApplyClassStyle("hr", &rule);
    bool percent = true;
    int width = 100;
    int thickness = rule.borderWidth;
    ForEachAttribute(params, [&](const std::string& attr, const std::string& value) {
        if (attr == "width") {
            percent = EndsWithPercent(value);
            width = Length(value, percent ? 100 : 0);
        } else if (attr == "size") {
            thickness = Length(value, thickness);
        } else if (attr == "color") {
            rule.textColor = m_vocabulary.ColorValue(value, rule.textColor);
        }
    });
    width = std::clamp(width, 0, percent ? 10000 : kTipMaxLength);
    thickness = std::clamp(thickness, 0, kMaxPicture);
    if (Measuring()) {
        if (percent)
            m_line.extraPercent = std::min(m_line.extraPercent + width, 1000000);
        x = Sat(static_cast<long long>(x) + (percent ? 1 : width));
        m_line.height = std::max(m_line.height, thickness + 8);
        m_line.align = m_style.hAlign;
        return;
    }
    const int length = percent ? std::max(platform::MulDiv(m_rc.Width(), width, 100), 0) : width;
    const int ly = y + m_line.height / 2;
    if (thickness >= 1)
        TipDrawLine(*m_pCanvas, x, ly, x + length, ly, rule.textColor, 1, thickness);
    x = Sat(static_cast<long long>(x) + length);
}

// ---- pictures and resource strings ----

TipImageAttrs CTipHtmlRenderer::ParseImageAttributes(const std::string& params) {
    TipImageAttrs a;
    ForEachAttribute(params, [&](const std::string& attr, const std::string& value) {
        if (attr == "index")
            a.index = Length(value, a.index);
        else if (attr == "idres")
            a.idRes = Length(value, a.idRes);
        else if (attr == "iddll")
            a.idDll = Length(value, a.idDll);
        else if (attr == "handle")
            a.handle = Length(value, a.handle);
        else if (attr == "cx")
            a.cx = Length(value, a.cx);
        else if (attr == "cy")
            a.cy = Length(value, a.cy);
        else if (attr == "width") {
            a.width = Length(value, a.width);
            a.widthPercent = EndsWithPercent(value);
        } else if (attr == "height") {
            a.height = Length(value, a.height);
            a.heightPercent = EndsWithPercent(value);
        } else if (attr == "speed")
            a.speed = Length(value, a.speed);
        else if (attr == "style")
            a.style = a.hotStyle = ParseImageStyle(value);
        else if (attr == "hotstyle")
            a.hotStyle = ParseImageStyle(value);
        else if (attr == "mask") {
            a.maskGiven = 1;
            a.mask = ParseColor(value, a.mask, m_vocabulary);
        } else if (attr == "file") {
            if (!value.empty())
                a.file = value;
        } else if (attr == "srcdll") {
            if (!value.empty())
                a.srcDll = value;
        }
    });
    return a;
}

std::uint16_t CTipHtmlRenderer::ParseImageStyle(const std::string& letters) const {
    std::uint16_t style = 0;
    for (const char ch : letters) {
        if (ch == 'g')
            style |= 0x0001;
        else if (ch == 'd')
            style |= 0x0002;
        else if (ch == 'l')
            style |= 0x0004;
        else if (ch == 's' && (m_shadow.dx != 0 || m_shadow.dy != 0))
            style |= m_shadow.gradient ? 0x0200 : 0x0100;
    }
    return style;
}

bool CTipHtmlRenderer::ImageHasShadow(const TipImageAttrs& attrs) {
    return ((attrs.style | attrs.hotStyle) & 0x0300) != 0;
}

// Sources in their order; a module path loads nothing, and a handle is an
// id in the canvas's picture registry.
TipPicture CTipHtmlRenderer::OpenPicture(const TipImageAttrs& a, bool icon, TipSize request) {
    TipPicture pic;
    if (a.idRes != 0)
        pic = icon ? m_pCanvas->LoadIconResource(a.idRes, request.cx, request.cy)
                   : m_pCanvas->LoadBitmapResource(a.idRes);
    if (pic.id == 0 && !a.file.empty())
        pic = icon ? m_pCanvas->LoadIconFile(a.file, request.cx, request.cy)
                   : m_pCanvas->LoadBitmapFile(a.file);
    if (pic.id == 0 && a.handle != 0)
        pic = m_pCanvas->FindRegisteredPicture(a.handle);
    return pic;
}

int CTipHtmlRenderer::PlaceInline(int& x, int& y, int& widest, int w, int h, bool picture) {
    // A picture that does not fit ends the line, unless it starts the line.
    if (picture && m_nMaxWidth > 0 && m_rc.right > m_rc.left && m_rc.right - x < w && x != m_nLineBeginX) {
        m_line.wrapped = 1;
        NewLine(1, x, y, widest);
    }
    if (Measuring())
        m_line.align = m_style.hAlign;
    return picture ? AlignImageInLine(y, h) : AlignTextInLine(y, h);
}

void CTipHtmlRenderer::RenderPicture(int kind, const std::string& params, int& x, int& y, int& widest) {
    TipImageAttrs a = ParseImageAttributes(params);
    auto scaled = [](int natural, int value, bool percent) {
        return std::clamp(percent ? platform::MulDiv(natural, value, 100) : value, 0, kMaxPicture);
    };
    if (kind == 20) {
        const std::string text = m_pCanvas->LoadResourceString(a.idRes != 0 ? a.idRes : a.idDll);
        if (text.empty())
            return;
        const TipSize s = m_pCanvas->GetTextExtent(text);
        const int yy = PlaceInline(x, y, widest, s.cx, s.cy, false);
        if (!Measuring()) {
            AddLinkArea(x, yy, x + s.cx, yy + s.cy);
            m_pCanvas->TextOut(x, yy, text);
        }
        x = Sat(static_cast<long long>(x) + s.cx);
        return;
    }
    const bool icon = kind == 18;
    TipSize request;
    if (icon) {
        const TipSize sys = m_pCanvas->GetSystemIconSize();
        request = {scaled(sys.cx, a.width, a.widthPercent), scaled(sys.cy, a.height, a.heightPercent)};
    }
    if (kind == 19 && a.idRes == 0 && a.file.empty() && a.idDll == 0 && a.handle == 0)
        return; // no image list in this program
    const TipPicture pic = OpenPicture(a, icon, request);
    if (pic.id == 0)
        return;
    int w = 0;
    int h = 0;
    int frameW = 0;
    int frameH = 0;
    int across = 0;
    int down = 0;
    if (kind == 19) {
        frameW = std::clamp(a.cx, 0, kMaxPicture);
        frameH = std::clamp(a.cy, 0, kMaxPicture);
        if (frameW == 0 && frameH == 0)
            frameW = frameH = std::min(pic.size.cx, pic.size.cy);
        else if (frameH == 0)
            frameH = frameW;
        else if (frameW == 0)
            frameW = frameH;
        w = scaled(frameW, a.width, a.widthPercent);
        h = scaled(frameH, a.height, a.heightPercent);
        across = frameW > 0 ? pic.size.cx / frameW : 0;
        down = frameH > 0 ? pic.size.cy / frameH : 0;
    } else if (icon) {
        w = std::clamp(pic.size.cx, 0, kMaxPicture);
        h = std::clamp(pic.size.cy, 0, kMaxPicture);
    } else {
        w = scaled(pic.size.cx, a.width, a.widthPercent);
        h = scaled(pic.size.cy, a.height, a.heightPercent);
    }
    const int imageW = w;
    const int imageH = h;
    const bool shadow = ImageHasShadow(a);
    if (shadow) {
        w = std::clamp(w + m_shadow.dx, 0, 2 * kMaxPicture);
        h = std::clamp(h + m_shadow.dy, 0, 2 * kMaxPicture);
    }
    const long long frameCount = static_cast<long long>(across) * down;
    int frame = a.index;
    if (kind == 19 && a.speed != 0) {
        if (Measuring()) {
            m_anims.push_back(
                {a.index, static_cast<int>(std::min<long long>(frameCount, INT_MAX)), 0, a.speed});
        } else {
            ++m_nAnim;
            if (m_nAnim < static_cast<int>(m_anims.size()))
                frame = m_anims[m_nAnim].frame;
        }
    }
    const int yy = PlaceInline(x, y, widest, w, h, true);
    if (!Measuring() && w != 0 && h != 0) {
        AddLinkArea(x, yy, x + w, yy + h);
        const bool hot = m_style.linkKind != 0 && m_nLink == m_nHoverLink;
        TipPaintOptions o;
        o.effects = hot ? a.hotStyle : a.style;
        if (!m_vocabulary.ColorsEnabled())
            o.effects = static_cast<std::uint16_t>((o.effects & 0xFF00) | 0x0008);
        o.useMask = a.maskGiven != 0;
        o.mask = a.mask;
        o.shadow = shadow;
        o.dx = m_shadow.dx;
        o.dy = m_shadow.dy;
        o.depthX = m_shadow.depthX;
        o.depthY = m_shadow.depthY;
        const int grey = platform::MulDiv(255, 100 - m_shadow.darkness, 100);
        o.shadowColor = TipRgb(grey, grey, grey);
        if (kind == 17)
            m_pCanvas->DrawBitmap(x, yy, imageW, imageH, pic, o);
        else if (kind == 18)
            m_pCanvas->DrawIcon(x, yy, imageW, imageH, pic, o);
        else if (frame >= 0 && frame < frameCount && across != 0 && down != 0)
            m_pCanvas->DrawStripFrame(x, yy, imageW, imageH, pic, frame, frameW, frameH, o);
    }
    x = Sat(static_cast<long long>(x) + w);
    if (pic.owned)
        m_pCanvas->ReleasePicture(pic);
}

bool CTipHtmlRenderer::AdvanceAnimations() {
    bool changed = false;
    for (TipAnimState& a : m_anims) {
        if (a.frameCount <= 0)
            continue;
        if (++a.tick >= a.ticksPerFrame) {
            a.tick = 0;
            a.frame = (a.frame + 1) % a.frameCount;
            changed = true;
        }
    }
    return changed;
}

// ---- links ----

int CTipHtmlRenderer::FindLinkAt(TipPoint p) const {
    for (std::size_t i = 0; i < m_links.size(); ++i) {
        const TipRect& r = m_links[i].rect;
        if (p.x >= r.left && p.x <= r.right && p.y >= r.top && p.y <= r.bottom)
            return static_cast<int>(i);
    }
    return -1;
}

bool CTipHtmlRenderer::OnSetCursor(TipPoint point) {
    const int i = FindLinkAt(point);
    if (i < 0) {
        if (m_nHoverLink != -2) {
            m_nHoverLink = -2;
            if (m_hoverNotify)
                m_hoverNotify(-2);
        }
        return false;
    }
    const TipLinkArea area = m_links[i];
    if (area.index != m_nHoverLink) {
        m_nHoverLink = area.index;
        if (m_hoverNotify)
            m_hoverNotify(area.index);
    }
    return !area.target.empty();
}

void CTipHtmlRenderer::OnLButtonDown(TipPoint point) {
    const int i = FindLinkAt(point);
    if (i < 0 || m_links[i].target.empty())
        return;
    // Message links have no receiver in this program.
    if (m_links[i].kind == 1 && m_linkOpener)
        m_linkOpener(m_links[i].target);
}

// ---- tables ----

std::pair<int, int> CTipHtmlRenderer::ParseBoxAttributes(const std::string& params, Box box) {
    int colSpan = 1;
    int rowSpan = 1;
    TipStyle& s = m_style;
    const bool colors = m_vocabulary.ColorsEnabled();
    ForEachAttribute(params, [&](const std::string& attr, const std::string& value) {
        if (box == Box::Table && attr == "cellpadding")
            s.margin = Length(value, s.margin);
        else if (box == Box::Table && attr == "cellspacing")
            s.padding = Length(value, s.padding);
        else if (box == Box::Table && attr == "background")
            s.backPicture = value;
        else if (attr == "rowspan")
            rowSpan = Length(value, rowSpan);
        else if (attr == "colspan")
            colSpan = Length(value, colSpan);
        else if (attr == "border") {
            s.borderWidth = Length(value, s.borderWidth);
            if (s.borderWidth == 0)
                s.borderStyle = 0;
            else if (s.borderStyle == 0)
                s.borderStyle = 1;
        } else if (attr == "borderstyle") {
            s.borderStyle = ParseBorderStyle(value, s.borderStyle);
            if (s.borderStyle != 0 && s.borderWidth == 0)
                s.borderWidth = 1;
        } else if (attr == "bordercolor") {
            s.borderLight = s.borderDark = m_vocabulary.ColorValue(value, s.borderLight);
        } else if (attr == "bordercolorlight") {
            s.borderLight = m_vocabulary.ColorValue(value, s.borderLight);
        } else if (attr == "bordercolordark") {
            s.borderDark = m_vocabulary.ColorValue(value, s.borderDark);
        } else if (colors && attr == "bgcolor") {
            s.backColor = ParseColor(value, s.backColor, m_vocabulary);
            if (s.fillEffect < 0)
                s.fillEffect = 0;
        } else if (colors && attr == "bgmidcolor") {
            s.backMiddle = ParseColor(value, s.backMiddle, m_vocabulary);
        } else if (colors && attr == "bgendcolor") {
            s.backEnd = ParseColor(value, s.backEnd, m_vocabulary);
        } else if (colors && attr == "bgeffect") {
            s.fillEffect = std::clamp(ParseFillEffect(value, s.fillEffect, Units()), -1, 15);
        } else if (attr == "align") {
            if (value == "left" || value == "center" || value == "right")
                s.hAlign = ParseTextAlign(value, s.hAlign);
        } else if (attr == "valign") {
            s.vAlign = ParseVerticalAlign(value, s.vAlign);
        } else if (attr == "width") {
            s.boxWidth = std::clamp(Length(value, s.boxWidth), 0, kTipMaxLength);
        } else if (attr == "height") {
            s.boxHeight = std::clamp(Length(value, s.boxHeight), 0, kTipMaxLength);
        }
    });
    s.borderWidth = std::clamp(s.borderWidth, 0, kMaxPicture);
    if (s.borderStyle == 0 || s.borderWidth == 0)
        s.borderStyle = s.borderWidth = 0;
    else if (s.borderStyle != 1)
        s.borderWidth = 1;
    if (box != Box::Table && s.borderWidth != 0)
        s.borderWidth = 1;
    return {colSpan, rowSpan};
}

// A table, row or cell level: its style pushed under its name, its rule and
// its tag's attributes applied; *behind is the index after the tag.
std::pair<int, int> CTipHtmlRenderer::OpenBox(const std::string& text, const char* name, Box box,
                                              std::size_t* behind) {
    m_style.name = name;
    PushPopStyle(false);
    ApplyClassStyle(name);
    if (box == Box::Cell)
        m_style.boxWidth = m_style.boxHeight = 0;
    const std::pair<int, int> spans = ParseBoxAttributes(TagParams(text, 0, behind), box);
    SelectStyleFont();
    return spans;
}

void CTipHtmlRenderer::CloseBox(const char* name) {
    m_style.name = name;
    PushPopStyle(true);
    SelectStyleFont();
}

std::pair<int, int> CTipHtmlRenderer::CountTableGrid(const std::string& tableText) {
    int rows = 0;
    int columns = 0;
    std::size_t pos = 0;
    TipStyle saved = m_style;
    while (rows < kMaxRows) {
        std::size_t rowStart = pos;
        if (!FindTag(tableText, &rowStart, "tr"))
            break;
        const std::size_t rowEnd = FindRowEnd(tableText, rowStart + 1);
        const std::string row = tableText.substr(rowStart, rowEnd - rowStart);
        int sum = 0;
        std::size_t p = 0;
        while (true) {
            std::size_t cell = p;
            if (!FindTag(row, &cell, "td"))
                break;
            std::size_t behind = 0;
            const std::string params = TagParams(row, cell, &behind);
            std::size_t ap = 0;
            int span = 1;
            while (ap < params.size()) {
                std::string attr;
                const std::string value = NextAttribute(params, &ap, &attr);
                if (attr.empty())
                    break;
                if (attr == "colspan")
                    span = Length(value, span);
            }
            sum = std::min(sum + std::max(span, 1), kMaxColumns);
            const std::size_t cellEnd = FindCellEnd(row, cell + 1);
            p = cellEnd >= row.size() ? row.size() : cellEnd + 1;
        }
        columns = std::max(columns, sum);
        ++rows;
        pos = rowEnd >= tableText.size() ? tableText.size() : rowEnd + 1;
    }
    m_style = std::move(saved);
    return {columns, rows};
}

void CTipHtmlRenderer::DrawBackgroundPicture(const std::string& ref, const TipRect& box) {
    if (!m_vocabulary.ColorsEnabled() || ref.size() <= 5)
        return;
    const std::size_t colon = ref.find(':');
    if (colon == std::string::npos)
        return;
    const std::string kind = ref.substr(0, colon);
    const std::string value = ref.substr(colon + 1);
    TipPicture pic;
    if (kind == "idres")
        pic = m_pCanvas->LoadBitmapResource(std::atoi(value.c_str()));
    else if (kind == "file")
        pic = m_pCanvas->LoadBitmapFile(value);
    if (pic.id == 0)
        return;
    m_pCanvas->TilePicture(box, pic);
    if (pic.owned)
        m_pCanvas->ReleasePicture(pic);
}

// Cells of one column (row) first, then each wider span shares its surplus
// over the columns (rows) it spans, the remainder to the last.
static void ShareSpans(TipTableLayout& layout, bool columns) {
    std::map<int, std::vector<std::pair<int, int>>> bySpan;
    for (int r = 0; r < layout.rows; ++r)
        for (int c = 0; c < layout.columns; ++c) {
            const TipCellInfo& cell = layout.Cell(r, c);
            const int span = columns ? cell.colSpan : cell.rowSpan;
            if (span >= 1)
                bySpan[span].push_back({r, c});
        }
    std::vector<int>& sizes = columns ? layout.columnWidths : layout.rowHeights;
    const int limit = columns ? layout.columns : layout.rows;
    for (const auto& [span, cells] : bySpan)
        for (const auto& [r, c] : cells) {
            const TipCellInfo& cell = layout.Cell(r, c);
            const int first = columns ? c : r;
            const int s = std::min(span, limit - first);
            const int need = columns ? cell.cellWidth : cell.cellHeight;
            long long sum = 0;
            for (int j = first; j < first + s; ++j) {
                sum += sizes[j];
                if (columns && cell.fixedWidth)
                    layout.columnFixed[j] = 1;
            }
            if (sum < need) {
                const int d = static_cast<int>(need - sum);
                for (int j = first; j < first + s; ++j)
                    sizes[j] += d / s;
                sizes[first + s - 1] += d % s;
            }
        }
}

TipSize CTipHtmlRenderer::RenderTable(const std::string& text, const TipRect& area) {
    if (m_nTableDepth >= kMaxTableDepth)
        return {};
    ++m_nTableDepth;
    const int number = ++m_nTable;
    TipTableLayout missing;
    TipTableLayout* layout = &missing;
    if (Measuring()) {
        const auto [columns, rows] = CountTableGrid(text);
        while (static_cast<int>(m_tables.size()) <= number)
            m_tables.emplace_back();
        layout = &m_tables[number];
        *layout = TipTableLayout();
        layout->columns = columns;
        layout->rows = rows;
        layout->grid.assign(static_cast<std::size_t>(columns) * rows, TipCellInfo());
        layout->columnWidths.assign(columns, 0);
        layout->rowHeights.assign(rows, 0);
        layout->columnFixed.assign(columns, 0);
    } else if (number < static_cast<int>(m_tables.size())) {
        layout = &m_tables[number];
    }
    const int columns = layout->columns;
    const int rows = layout->rows;

    std::size_t behind = 0;
    OpenBox(text, "table", Box::Table, &behind);

    const int cs = m_style.padding;
    const int bw = m_style.borderWidth;
    const bool dbl = m_style.borderStyle == 6;
    std::vector<int> widths = layout->columnWidths;
    std::vector<int> heights = layout->rowHeights;
    TipRect inner = area;
    TipSize result;
    auto outer = [&](const std::vector<int>& sizes, int count, int border) {
        long long sum = 0;
        for (const int v : sizes)
            sum += v;
        return Sat(std::max(sum + static_cast<long long>(count + 1) * cs + (count - 1) + border, 0LL));
    };
    if (!Measuring()) {
        const int b = dbl ? 6 : 2 * bw;
        int W = outer(widths, columns, b);
        const int H = outer(heights, rows, b);
        if (W < area.Width()) {
            int diff = area.Width() - W;
            int loose =
                static_cast<int>(std::count(layout->columnFixed.begin(), layout->columnFixed.end(), 0));
            for (int c = 0; c < columns && loose > 0; ++c) {
                if (layout->columnFixed[c] != 0)
                    continue;
                const int add = diff / loose;
                widths[c] += add;
                W += add;
                diff -= add;
                --loose;
            }
        }
        int left = area.left;
        if (W < area.Width()) {
            if (m_style.hAlign == 1)
                left = area.left + (area.Width() - W) / 2;
            else if (m_style.hAlign == 2)
                left = area.right - W;
        }
        const TipRect box{left, area.top, Sat(static_cast<long long>(left) + W),
                          Sat(static_cast<long long>(area.top) + H)};
        if (m_style.fillEffect < 0) {
            if (!m_style.backPicture.empty())
                DrawBackgroundPicture(m_style.backPicture, box);
        } else {
            TipFillEffect(*m_pCanvas, m_style.fillEffect, box, m_style.backColor, m_style.backMiddle,
                          m_style.backEnd, 5, 0, m_random);
        }
        if (bw > 0) {
            const bool colors = m_vocabulary.ColorsEnabled();
            const TipColor def = m_vocabulary.GetDisabledColor();
            TipDrawRectBorder(*m_pCanvas, box, colors ? m_style.borderLight : def,
                              colors ? m_style.borderDark : def, m_style.borderStyle, bw);
        }
        const int shrink = dbl ? 3 : bw;
        inner = {box.left + shrink, box.top + shrink, box.right - shrink, box.bottom - shrink};
        result = {W, H};
    }

    if (columns > 0 && rows > 0) {
        std::size_t pos = behind;
        for (int r = 0; r < rows; ++r) {
            std::size_t rowStart = pos;
            if (!FindTag(text, &rowStart, "tr"))
                break;
            const std::size_t rowEnd = FindRowEnd(text, rowStart + 1);
            RenderTableRow(text.substr(rowStart, rowEnd - rowStart), inner, r, cs, *layout, widths, heights);
            pos = rowEnd >= text.size() ? text.size() : rowEnd + 1;
        }
    }

    if (Measuring()) {
        ShareSpans(*layout, true);
        ShareSpans(*layout, false);
        const int b = 2 * bw * (dbl ? 3 : 1);
        result = {outer(layout->columnWidths, columns, b), outer(layout->rowHeights, rows, b)};
    }

    CloseBox("table");
    --m_nTableDepth;
    return result;
}

void CTipHtmlRenderer::RenderTableRow(const std::string& rowText, const TipRect& inner, int row, int cs,
                                      TipTableLayout& layout, const std::vector<int>& widths,
                                      const std::vector<int>& heights) {
    std::size_t pos = 0;
    OpenBox(rowText, "tr", Box::Row, &pos);

    const int columns = layout.columns;
    const int rows = layout.rows;
    int c = 0;
    while (true) {
        std::size_t cellStart = pos;
        if (!FindTag(rowText, &cellStart, "td"))
            break;
        const std::size_t cellEnd = FindCellEnd(rowText, cellStart + 1);
        pos = cellEnd >= rowText.size() ? rowText.size() : cellEnd + 1;
        while (c < columns && layout.Cell(row, c).colSpan < 0)
            ++c;
        if (c >= columns)
            break; // beyond the counted grid: not placed
        TipCellInfo& cell = layout.Cell(row, c);
        TipRect rect;
        if (!Measuring()) {
            const int colSpan = std::clamp(cell.colSpan, 1, columns - c);
            const int rowSpan = std::clamp(cell.rowSpan, 1, rows - row);
            long long left = static_cast<long long>(inner.left) + cs;
            for (int j = 0; j < c; ++j)
                left += widths[j] + 1 + cs;
            long long right = left + static_cast<long long>(colSpan - 1) * (cs + 1);
            for (int j = c; j < c + colSpan; ++j)
                right += widths[j];
            long long top = static_cast<long long>(inner.top) + cs;
            for (int i = 0; i < row; ++i)
                top += heights[i] + 1 + cs;
            long long bottom = top + static_cast<long long>(rowSpan - 1) * (cs + 1);
            for (int i = row; i < row + rowSpan; ++i)
                bottom += heights[i];
            rect = {Sat(left), Sat(top), Sat(right), Sat(bottom)};
        }
        RenderTableCell(rowText.substr(cellStart, cellEnd - cellStart), rect, cell, columns - c, rows - row);
        const int span = std::max(cell.colSpan, 1);
        if (Measuring()) {
            for (int j = c + 1; j < c + cell.colSpan; ++j)
                layout.Cell(row, j).colSpan = layout.Cell(row, j).rowSpan = -1;
            for (int i = row + 1; i < row + cell.rowSpan; ++i)
                layout.Cell(i, c).colSpan = layout.Cell(i, c).rowSpan = -1;
        }
        c += span;
    }

    CloseBox("tr");
}

void CTipHtmlRenderer::RenderTableCell(const std::string& cellText, const TipRect& cellRect,
                                       TipCellInfo& cell, int maxColSpan, int maxRowSpan) {
    if (Measuring())
        cell.contentWidth = cell.contentHeight = 0;
    std::size_t behind = 0;
    const auto [colSpan, rowSpan] = OpenBox(cellText, "td", Box::Cell, &behind);
    const int edge = m_style.borderWidth + m_style.margin;

    TipRect content;
    if (Measuring()) {
        cell.colSpan = std::clamp(colSpan, 1, std::max(maxColSpan, 1));
        cell.rowSpan = std::clamp(rowSpan, 1, std::max(maxRowSpan, 1));
        cell.contentWidth = m_style.boxWidth;
        cell.fixedWidth = m_style.boxWidth > 0;
        content = {0, 0, m_style.boxWidth, 0};
    } else {
        if (m_style.fillEffect >= 0)
            TipFillEffect(*m_pCanvas, m_style.fillEffect, cellRect, m_style.backColor, m_style.backMiddle,
                          m_style.backEnd, 5, 0, m_random);
        const bool colors = m_vocabulary.ColorsEnabled();
        const TipColor def = m_vocabulary.GetDisabledColor();
        TipDrawRectBorder(*m_pCanvas, cellRect, colors ? m_style.borderDark : def,
                          colors ? m_style.borderLight : def, m_style.borderStyle, 1);
        content = {cellRect.left + edge, cellRect.top + edge, cellRect.right - edge, cellRect.bottom - edge};
        if (m_style.vAlign == 1)
            content.top += (content.Height() - cell.contentHeight) / 2;
        else if (m_style.vAlign == 2)
            content.top = content.bottom - cell.contentHeight;
    }

    const TipSize size = RenderCellContent(cellText, behind, content);
    if (Measuring()) {
        cell.contentWidth = std::max(cell.contentWidth, size.cx);
        cell.contentHeight = size.cy;
        cell.cellWidth = Sat(std::max(cell.contentWidth, m_style.boxWidth) + 2LL * edge);
        cell.cellHeight = Sat(std::max(cell.contentHeight, m_style.boxHeight) + 2LL * edge);
    }

    CloseBox("td");
}

// A document or a cell's content: text runs and tables, each below the one
// before.
TipSize CTipHtmlRenderer::RenderCellContent(const std::string& text, std::size_t from, const TipRect& area) {
    TipSize out;
    int y = area.top;
    std::size_t pos = from;
    while (pos < text.size()) {
        std::size_t tablePos = pos;
        const bool table = FindTag(text, &tablePos, "table");
        const std::size_t textEnd = table ? tablePos : text.size();
        if (textEnd > pos) {
            const TipSize s =
                RenderText(text.substr(pos, textEnd - pos), {area.left, y, area.right, area.bottom});
            out.cx = std::max(out.cx, s.cx);
            out.cy = Sat(static_cast<long long>(out.cy) + s.cy);
            y = Sat(static_cast<long long>(y) + s.cy);
        }
        if (!table)
            break;
        const std::size_t end = FindTableEnd(text, tablePos + 1);
        const TipSize s =
            RenderTable(text.substr(tablePos, end - tablePos), {area.left, y, area.right, area.bottom});
        out.cx = std::max(out.cx, s.cx);
        out.cy = Sat(static_cast<long long>(out.cy) + s.cy);
        y = Sat(static_cast<long long>(y) + s.cy);
        const std::size_t close = text.find('>', end);
        pos = close == std::string::npos ? text.size() : close + 1;
    }
    return out;
}
