// The renderer's style sheet and value parsers.
#include "tooltip/TipStyleSheet.h"

#include "platform/MulDiv.h"
#include "tooltip/TipCanvas.h"
#include "tooltip/TipMarkup.h"
#include "tooltip/TipVocabulary.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <utility>

using tipmarkup::IsBlank;
using tipmarkup::IsWordChar;

namespace {

std::string Lower(std::string text) {
    for (char& ch : text)
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return text;
}

int Clamp(long long v) {
    return static_cast<int>(std::clamp<long long>(v, -kTipMaxLength, kTipMaxLength));
}

// The leading decimal number of a text (0 when there is none), bounded.
long long LeadingNumber(const std::string& text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long long n = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        n = std::min<long long>(n * 10 + (text[i] - '0'), 1LL << 40);
    return negative ? -n : n;
}

template <std::size_t N>
int Keyword(const std::string& value, int old, const std::pair<const char*, int> (&table)[N]) {
    if (value.empty())
        return table[0].second;
    for (const auto& [word, result] : table)
        if (value == word)
            return result;
    return old;
}

} // namespace

bool EndsWithPercent(const std::string& value) {
    return !value.empty() && value.back() == '%';
}

int ParseLength(const std::string& value, int old, bool sizeKeywords, const TipUnits& units) {
    if (value.empty())
        return old;
    if (EndsWithPercent(value))
        return Clamp(platform::MulDiv(old, Clamp(LeadingNumber(value)), 100));
    std::string v = value;
    if (v[0] == '+' || v[0] == '-')
        v.erase(0, 1);
    const long long n = LeadingNumber(v);
    const std::string unit = v.size() >= 2 ? v.substr(v.size() - 2) : std::string();
    const long long dpi = units.dpi;
    if (unit == "px")
        return Clamp(n);
    if (unit == "ex") {
        const int ex = units.canvas ? units.canvas->GetTextExtent("x").cy : units.fontHeight / 2;
        return Clamp(n * ex);
    }
    if (unit == "em")
        return Clamp(n * units.fontHeight);
    if (unit == "in")
        return Clamp(n * dpi);
    if (unit == "cm")
        return Clamp(static_cast<long long>(static_cast<double>(n * dpi) * 0.39370078740157477));
    if (unit == "mm")
        return Clamp(static_cast<long long>(static_cast<double>(n * dpi) * 0.03937007874015748));
    if (unit == "pt")
        return Clamp(n * dpi / 72);
    if (unit == "pc")
        return Clamp(n * dpi / 6);
    const unsigned long long u = std::strtoull(v.c_str(), nullptr, 0);
    static const int kSizes[] = {8, 10, 12, 14, 18, 24, 36};
    if (sizeKeywords && u >= 1 && u <= 7)
        return kSizes[u - 1];
    return Clamp(static_cast<long long>(std::min<unsigned long long>(u, kTipMaxLength)));
}

int ParseFontStyle(const std::string& value, int old) {
    static const std::pair<const char*, int> k[] = {{"normal", 0}, {"italic", 1}, {"oblique", 1}};
    return Keyword(value, old, k);
}

int ParseFontWeight(const std::string& value, int old) {
    static const std::pair<const char*, int> k[] = {
        {"normal", 400}, {"bold", 700}, {"bolder", 900}, {"lighter", 100}};
    for (const auto& [word, result] : k)
        if (value == word)
            return result;
    if (value.empty())
        return 400;
    return Clamp(value[0] >= '0' && value[0] <= '9' ? LeadingNumber(value) : 0);
}

int ParseTextAlign(const std::string& value, int old) {
    static const std::pair<const char*, int> k[] = {{"left", 0}, {"center", 1}, {"right", 2}};
    return Keyword(value, old, k);
}

int ParseVerticalAlign(const std::string& value, int old) {
    static const std::pair<const char*, int> k[] = {
        {"baseline", 3}, {"middle", 1}, {"vcenter", 1}, {"top", 0}, {"bottom", 2}};
    return Keyword(value, old, k);
}

int ParseTextTransform(const std::string& value, int old) {
    static const std::pair<const char*, int> k[] = {
        {"none", 0}, {"uppercase", 1}, {"lowercase", 2}, {"capitalize", 3}};
    return Keyword(value, old, k);
}

int ParseBorderStyle(const std::string& value, int old) {
    static const std::pair<const char*, int> k[] = {
        {"none", 0}, {"solid", 1}, {"dotted", 3}, {"dashed", 2}, {"double", 6}};
    return Keyword(value, old, k);
}

int ParseBorderWidth(const std::string& value, int old, const TipUnits& units) {
    if (value.empty() || value == "medium")
        return old;
    if (value == "thin")
        return platform::MulDiv(old, 75, 100);
    if (value == "thick")
        return Clamp(platform::MulDiv(old, 125, 100));
    return ParseLength(value, old, false, units);
}

int ParseFillEffect(const std::string& value, int old, const TipUnits& units) {
    static const char* const kNames[] = {"solid",      "hgradient",  "vgradient",  "hcgradient",
                                         "vcgradient", "3hgradient", "3vgradient", "noise",
                                         "diagshade",  "hshade",     "vshade",     "hbump",
                                         "vbump",      "softbump",   "hardbump",   "metal"};
    if (value.empty())
        return old;
    if (value == "transparent")
        return -1;
    for (int i = 0; i < 16; ++i)
        if (value == kNames[i])
            return i;
    return ParseLength(value, old, false, units);
}

void ParseTextDecoration(const std::string& value, TipStyle* style) {
    const std::string text = value.empty() ? std::string("none") : value;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = std::min(text.find_first_of(" ,", pos), text.size());
        const std::string word = text.substr(pos, end - pos);
        if (word == "none")
            style->underline = style->strikeOut = style->overline = 0;
        else if (word == "underline")
            style->underline = 1;
        else if (word == "line-through")
            style->strikeOut = 1;
        else if (word == "overline")
            style->overline = 1;
        pos = end + 1;
    }
}

void ApplyFontStyleLetters(const std::string& letters, TipStyle* style) {
    bool on = true;
    for (const char ch : letters) {
        switch (ch) {
        case '-':
            on = false;
            continue;
        case '+':
            on = true;
            continue;
        case 'b':
            style->weight = on ? 700 : 400;
            break;
        case 'i':
            style->italic = on;
            break;
        case 'u':
            style->underline = on;
            break;
        case 's':
            style->strikeOut = on;
            break;
        case 'o':
            style->overline = on;
            break;
        default:
            continue;
        }
        on = true;
    }
}

const char* CTipStyleSheet::DefaultText() {
    return "body {font-size: 10pt; color:black; font-family:Verdana}\r\n"
           "p {font-size: 10pt; color:black; font-family:Verdana; font-weight:bold}\r\n"
           "h1 {font-size: 14pt; color:black; font-family:Verdana; font-weight:bold}\r\n"
           "h2 {font-size: 13pt; color:#ff9900; font-family:Verdana; font-weight:bold}\r\n"
           "h3 {font-size: 12pt; color:#ff9900; font-family:Arial; font-weight:bold}\r\n"
           "h4 {font-size: 10pt; color:black; font-family:Verdana; font-weight:bold}\r\n"
           "h5 {font-size: 9pt; color:#ff9900; font-family:Verdana; font-weight:bold}\r\n"
           "h6 {font-size: 65%; color:#626262; font-family:Verdana; font-weight:normal}\r\n"
           "pre {font-size: 9pt; font-family:\"Courier\"; background-color:#fbedbb}\r\n"
           "code {color:#990000; font-family:Arial}\r\n"
           "a:link {text-decoration:none; color:blue}\r\n"
           "a:hover {text-decoration:underline; color:blue}\r\n"
           "sub {font-size:65%; vertical-align:bottom}\r\n"
           "sup {font-size:65%; vertical-align:top}\r\n"
           "big {font-size:125%}\r\n"
           "small {font-size:75%}\r\n"
           ".cpp-comment {color:green; font-style:italic}\r\n";
}

void CTipStyleSheet::SetStyleSheet(const char* text) {
    m_rules.clear();
    m_text = text ? text : DefaultText();
    const std::string& s = m_text;
    std::size_t pos = 0;
    while (pos < s.size()) {
        while (pos < s.size() && !IsWordChar(s[pos]))
            ++pos;
        if (pos >= s.size())
            break;
        const std::size_t start = pos;
        while (pos < s.size() && !IsBlank(s[pos]) && s[pos] != '{')
            ++pos;
        const std::string selector = s.substr(start, pos - start);
        const std::size_t open = s.find('{', pos);
        if (open == std::string::npos)
            break;
        const std::size_t close = s.find('}', open + 1);
        if (close == std::string::npos)
            break;
        SetStyleRule(selector, s.substr(open + 1, close - open - 1));
        pos = close + 1;
    }
}

void CTipStyleSheet::SetStyleRule(const std::string& selector, const std::string& declarations) {
    m_rules[Lower(selector)] = declarations;
}

std::string CTipStyleSheet::FindStyleRule(const std::string& name) const {
    const auto it = m_rules.find(Lower(name));
    return it == m_rules.end() ? std::string() : it->second;
}

// The value behind a property name: after ":", blanks and ";" skipped; a
// quoted value runs to its closing quote, any other to the next ";".
static std::string ReadPropertyValue(const std::string& text, std::size_t* pos) {
    std::size_t p = *pos;
    while (p < text.size() && IsBlank(text[p]))
        ++p;
    if (p >= text.size() || text[p] != ':') {
        *pos = p;
        return {};
    }
    ++p;
    while (p < text.size() && (IsBlank(text[p]) || text[p] == ';'))
        ++p;
    std::string value;
    if (p < text.size() && text[p] == '"') {
        const std::size_t end = text.find('"', p + 1);
        const std::size_t stop = end == std::string::npos ? text.size() : end;
        value = text.substr(p + 1, stop - p - 1);
        p = end == std::string::npos ? text.size() : end + 1;
    } else {
        const std::size_t end = std::min(text.find(';', p), text.size());
        value = text.substr(p, end - p);
        p = end;
    }
    *pos = p;
    return value;
}

void ApplyDeclarations(const std::string& declarations, TipStyle* style, const TipUnits& units,
                       const CTipVocabulary& vocabulary) {
    const std::string text = Lower(declarations);
    std::size_t pos = 0;
    while (true) {
        while (pos < text.size() && !IsWordChar(text[pos]))
            ++pos;
        if (pos >= text.size())
            break;
        const std::size_t start = pos;
        while (pos < text.size() && !IsBlank(text[pos]) && text[pos] != ':')
            ++pos;
        const std::string property = text.substr(start, pos - start);
        const std::string value = ReadPropertyValue(text, &pos);
        if (property == "font-size") {
            TipUnits fontUnits = units;
            fontUnits.fontHeight = style->fontSize;
            style->fontSize = ParseLength(value, style->fontSize, true, fontUnits);
        } else if (property == "font-family") {
            if (!value.empty())
                style->family = value;
        } else if (property == "font-style") {
            style->italic = ParseFontStyle(value, style->italic);
        } else if (property == "font-weight") {
            style->weight = ParseFontWeight(value, style->weight);
        } else if (property == "text-align") {
            style->hAlign = ParseTextAlign(value, style->hAlign);
        } else if (property == "text-transform") {
            style->textTransform = ParseTextTransform(value, style->textTransform);
        } else if (property == "color") {
            style->textColor = vocabulary.ColorValue(value, style->textColor);
        } else if (property == "background-color") {
            if (value.empty() || value == "transparent" || !vocabulary.ColorsEnabled()) {
                style->backMode = 1;
            } else {
                style->backMode = 2;
                style->backColor = ParseColor(value, style->backColor, vocabulary);
            }
        } else if (property == "text-decoration") {
            ParseTextDecoration(value, style);
        } else if (property == "vertical-align") {
            style->vAlign = ParseVerticalAlign(value, style->vAlign);
        } else if (property == "border-color") {
            style->borderLight = style->borderDark = vocabulary.ColorValue(value, style->borderLight);
        } else if (property == "border-width" || property == "size") {
            style->borderWidth = ParseBorderWidth(value, style->borderWidth, units);
            if (style->borderWidth > 0 && style->borderStyle == 0)
                style->borderStyle = 1;
            else if (style->borderWidth == 0)
                style->borderStyle = 0;
        } else if (property == "border-style") {
            style->borderStyle = ParseBorderStyle(value, style->borderStyle);
            if (style->borderStyle != 0 && style->borderWidth == 0)
                style->borderWidth = 1;
        } else if (property == "margin") {
            style->margin = ParseLength(value, style->margin, false, units);
        } else if (property == "padding") {
            style->padding = ParseLength(value, style->padding, false, units);
        }
    }
}
