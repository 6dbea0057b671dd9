// The renderer's vocabulary: tags, entities, colour names, text preparation.
#include "tooltip/TipVocabulary.h"

#include <cstdlib>
#include <utility>

namespace {

struct NamedRgb {
    const char* name;
    unsigned rgb; // 0xRRGGBB
};

constexpr TipColor FromRgb(unsigned rgb) {
    return TipRgb(static_cast<int>((rgb >> 16) & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                  static_cast<int>(rgb & 0xFF));
}

const NamedRgb kNamedColors[] = {
    {"aqua", 0x00FFFF},
    {"black", 0x000000},
    {"blue", 0x0000FF},
    {"brown", 0xA52A2A},
    {"cyan", 0x00FFFF},
    {"gold", 0xFFD700},
    {"gray", 0x808080},
    {"green", 0x008000},
    {"magenta", 0xFF00FF},
    {"maroon", 0x800000},
    {"navy", 0x000080},
    {"olive", 0x808000},
    {"orange", 0xFFA500},
    {"pink", 0xFFC0CB},
    {"purple", 0x800080},
    {"red", 0xFF0000},
    {"silver", 0xC0C0C0},
    {"snow", 0xFFFAFA},
    {"violet", 0xEE82EE},
    {"white", 0xFFFFFF},
    {"yellow", 0xFFFF00},
    {"aliceblue", 0xF0F8FF},
    {"antiquewhite", 0xFAEBD7},
    {"aquamarine", 0x7FFFD4},
    {"azure", 0xF0FFFF},
    {"beige", 0xF5F5DC},
    {"bisque", 0xFFE4C4},
    {"blanchedalmond", 0xFFEBCD},
    {"blueviolet", 0x8A2BE2},
    {"burlywood", 0xDEB887},
    {"cadetblue", 0x5F9EA0},
    {"chartreuse", 0x7FFF00},
    {"chocolate", 0xD2691E},
    {"coral", 0xFF7F50},
    {"cornflowerblue", 0x6495ED},
    {"cornsilk", 0xFFF8DC},
    {"crimson", 0xDC143C},
    {"darkblue", 0x00008B},
    {"darkcyan", 0x008B8B},
    {"darkgoldenrod", 0xB8860B},
    {"darkgray", 0xA9A9A9},
    {"darkgreen", 0x006400},
    {"darkkhaki", 0xBDB76B},
    {"darkmagenta", 0x8B008B},
    {"darkolivegreen", 0x556B2F},
    {"darkorange", 0xFF8C00},
    {"darkorchid", 0x9932CC},
    {"darkred", 0x8B0000},
    {"darksalmon", 0xE9967A},
    {"darkseagreen", 0x8FBC8B},
    {"darkslateblue", 0x483D8B},
    {"darkslategray", 0x2F4F4F},
    {"darkturquoise", 0x00CED1},
    {"darkviolet", 0x9400D3},
    {"deeppink", 0xFF1493},
    {"deepskyblue", 0x00BFFF},
    {"dimgray", 0x696969},
    {"dodgerblue", 0x1E90FF},
    {"firebrick", 0xB22222},
    {"floralwhite", 0xFFFAF0},
    {"forestgreen", 0x228B22},
    {"fuchsia", 0xFF00FF},
    {"gainsboro", 0xDCDCDC},
    {"ghostwhite", 0xF8F8FF},
    {"goldenrod", 0xDAA520},
    {"greenyellow", 0xADFF2F},
    {"honeydew", 0xF0FFF0},
    {"hotpink", 0xFF69B4},
    {"indianred", 0xCD5C5C},
    {"indigo", 0x4B0082},
    {"ivory", 0xFFFFF0},
    {"khaki", 0xF0E68C},
    {"lavender", 0xE6E6FA},
    {"lavenderblush", 0xFFF0F5},
    {"lawngreen", 0x7CFC00},
    {"lemonchiffon", 0xFFFACD},
    {"lightblue", 0xADD8E6},
    {"lightcoral", 0xF08080},
    {"lightcyan", 0xE0FFFF},
    {"lightgoldenrodyellow", 0xFAFAD2},
    {"lightgreen", 0x90EE90},
    {"lightgrey", 0xD3D3D3},
    {"lightpink", 0xFFB6C1},
    {"lightsalmon", 0xFFA07A},
    {"lightseagreen", 0x20B2AA},
    {"lightskyblue", 0x87CEFA},
    {"lightslategray", 0x778899},
    {"lightsteelblue", 0xB0C4DE},
    {"lightyellow", 0xFFFFE0},
    {"lime", 0x00FF00},
    {"limegreen", 0x32CD32},
    {"linen", 0xFAF0E6},
    {"mediumaquamarine", 0x66CDAA},
    {"mediumblue", 0x0000CD},
    {"mediumorchid", 0xBA55D3},
    {"mediumpurple", 0x9370DB},
    {"mediumseagreen", 0x3CB371},
    {"mediumslateblue", 0x7B68EE},
    {"mediumspringgreen", 0x00FA9A},
    {"mediumturquoise", 0x48D1CC},
    {"mediumvioletred", 0xC71585},
    {"midnightblue", 0x191970},
    {"mintcream", 0xF5FFFA},
    {"mistyrose", 0xFFE4E1},
    {"moccasin", 0xFFE4B5},
    {"navajowhite", 0xFFDEAD},
    {"oldlace", 0xFDF5E6},
    {"olivedrab", 0x6B8E23},
    {"orangered", 0xFF4500},
    {"orchid", 0xDA70D6},
    {"palegoldenrod", 0xEEE8AA},
    {"palegreen", 0x98FB98},
    {"paleturquoise", 0xAFEEEE},
    {"palevioletred", 0xDB7093},
    {"papayawhip", 0xFFEFD5},
    {"peachpuff", 0xFFDAB9},
    {"peru", 0xCD853F},
    {"plum", 0xDDA0DD},
    {"powderblue", 0xB0E0E6},
    {"rosybrown", 0xBC8F8F},
    {"royalblue", 0x4169E1},
    {"saddlebrown", 0x8B4513},
    {"salmon", 0xFA8072},
    {"sandybrown", 0xF4A460},
    {"seagreen", 0x2E8B57},
    {"seashell", 0xFFF5EE},
    {"sienna", 0xA0522D},
    {"skyblue", 0x87CEEB},
    {"slateblue", 0x6A5ACD},
    {"slategray", 0x708090},
    {"springgreen", 0x00FF7F},
    {"steelblue", 0x4682B4},
    {"tan", 0xD2B48C},
    {"teal", 0x008080},
    {"thistle", 0xD8BFD8},
    {"tomato", 0xFF6347},
    {"turquoise", 0x40E0D0},
    {"wheat", 0xF5DEB3},
    {"whitesmoke", 0xF5F5F5},
    {"yellowgreen", 0x9ACD32},
};

// Until the program hands over its palette: the classic desktop colours.
const NamedRgb kSystemColors[] = {
    {"activeborder", 0xB4B4B4},   {"activecaption", 0x99B4D1},   {"appworkspace", 0xABABAB},
    {"background", 0x000000},     {"buttonface", 0xF0F0F0},      {"buttonhighlight", 0xFFFFFF},
    {"buttonshadow", 0xA0A0A0},   {"buttontext", 0x000000},      {"captiontext", 0x000000},
    {"graytext", 0x6D6D6D},       {"highlight", 0x3399FF},       {"highlighttext", 0xFFFFFF},
    {"inactiveborder", 0xF4F7FC}, {"inactivecaption", 0xBFCDDB}, {"inactivecaptiontext", 0x434E54},
    {"infobackground", 0xFFFFE1}, {"infotext", 0x000000},        {"menu", 0xF0F0F0},
    {"menutext", 0x000000},       {"scrollbar", 0xC8C8C8},       {"threeddarkshadow", 0x696969},
    {"threedface", 0xF0F0F0},     {"threedhighlight", 0xFFFFFF}, {"threedlightshadow", 0xE3E3E3},
    {"threedshadow", 0xA0A0A0},   {"window", 0xFFFFFF},          {"windowframe", 0x646464},
    {"windowtext", 0x000000},
};

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    std::string out;
    std::size_t pos = 0;
    for (std::size_t hit = text.find(from); hit != std::string::npos; hit = text.find(from, pos)) {
        out.append(text, pos, hit - pos);
        out += to;
        pos = hit + from.size();
    }
    if (pos == 0)
        return;
    out.append(text, pos, std::string::npos);
    text = std::move(out);
}

} // namespace

CTipVocabulary::CTipVocabulary() {
    const std::pair<const char*, TagEntry> tags[] = {
        {"b", {1, "bold"}},
        {"i", {2, "italic"}},
        {"em", {2, "italic"}},
        {"u", {3, "underline"}},
        {"s", {4, "strikeout"}},
        {"strike", {4, "strikeout"}},
        {"font", {5, "font"}},
        {"hr", {6, ""}},
        {"br", {7, ""}},
        {"\n", {7, ""}},
        {"t", {8, ""}},
        {"\t", {8, ""}},
        {"left", {9, "left"}},
        {"center", {10, "center"}},
        {"right", {11, "right"}},
        {"justify", {12, "justify"}},
        {"baseline", {13, "baseline"}},
        {"top", {14, "top"}},
        {"vcenter", {15, "vcenter"}},
        {"middle", {15, "vcenter"}},
        {"bottom", {16, "vcenter"}},
        {"bmp", {17, ""}},
        {"icon", {18, ""}},
        {"ilst", {19, ""}},
        {"string", {20, ""}},
        {"span", {22, "span"}},
        {"a", {23, "link"}},
    };
    for (const auto& [name, entry] : tags)
        m_tags[name] = entry;
    for (const char* name :
         {"body", "h1", "h2", "h3", "h4", "h5", "h6", "code", "pre", "big", "small", "sub", "sup"})
        m_tags[name] = {21, name};

    // Entities decode to the characters they name (the text is UTF-8).
    m_entities = {{"&amp;", "&"},       {"&bull;", "\u2022"},   {"&copy;", "\u00A9"}, {"&euro;", "\u20AC"},
                  {"&gt;", ">"},        {"&iquest;", "\u00BF"}, {"&lt;", "<<"},       {"&nbsp;", " "},
                  {"&para;", "\u00B6"}, {"&pound;", "\u00A3"},  {"&quot;", "\""},     {"&reg;", "\u00AE"},
                  {"&trade;", "\u2122"}};

    for (const NamedRgb& c : kNamedColors)
        m_colors[c.name] = FromRgb(c.rgb);
    for (const NamedRgb& c : kSystemColors)
        m_colors[c.name] = FromRgb(c.rgb);
    m_disabledColor = m_colors["buttonshadow"];
}

int CTipVocabulary::LookupTag(const std::string& name, std::string* styleName, bool* closing) const {
    *closing = !name.empty() && name[0] == '/';
    const auto it = m_tags.find(*closing ? name.substr(1) : name);
    if (it == m_tags.end()) {
        styleName->clear();
        return 0;
    }
    *styleName = it->second.styleName;
    return it->second.kind;
}

TipColor CTipVocabulary::GetColorByName(const std::string& name, TipColor fallback) const {
    if (!m_bColors)
        return m_disabledColor;
    const auto it = m_colors.find(name);
    return it == m_colors.end() ? fallback : it->second;
}

TipColor CTipVocabulary::ColorValue(const std::string& value, TipColor old) const {
    return m_bColors ? ParseColor(value, old, *this) : m_disabledColor;
}

std::string CTipVocabulary::PrepareText(std::string text, bool lineBreakTags) const {
    for (const auto& [entity, replacement] : m_entities)
        ReplaceAll(text, entity, replacement);
    ReplaceAll(text, "\r", "");
    ReplaceAll(text, "\n", lineBreakTags ? "<br>" : "");
    ReplaceAll(text, "\t", lineBreakTags ? "<t>" : "");
    return text;
}

static bool IsHex(char ch) {
    return (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'f') || (ch >= 'A' && ch <= 'F');
}

TipColor ParseColor(const std::string& value, TipColor old, const CTipVocabulary& vocabulary) {
    if (value.empty())
        return old;
    if (value[0] == '#') {
        if (value.size() != 7)
            return old;
        for (std::size_t i = 1; i < 7; ++i)
            if (!IsHex(value[i]))
                return old;
        const unsigned rgb = static_cast<unsigned>(std::strtoul(value.c_str() + 1, nullptr, 16));
        return FromRgb(rgb);
    }
    if (value[0] >= '0' && value[0] <= '9')
        return static_cast<TipColor>(std::strtoull(value.c_str(), nullptr, 0));
    return vocabulary.GetColorByName(value, old);
}
