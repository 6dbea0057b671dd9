// The renderer's vocabulary: tag kinds, character entities and colour
// names, and the preparation of a document text before layout.
#pragma once

#include "tooltip/TipTypes.h"

#include <map>
#include <string>

class CTipVocabulary {
public:
    CTipVocabulary();

    // Kind of a tag (0 unknown) and the name its style level carries; a
    // leading "/" marks a closing tag.
    int LookupTag(const std::string& name, std::string* styleName, bool* closing) const;
    TipColor GetColorByName(const std::string& name, TipColor fallback) const;
    // A colour attribute or property: with colours disabled, the disabled colour.
    TipColor ColorValue(const std::string& value, TipColor old) const;

    void EnableColors(bool enable) { m_bColors = enable; }
    bool ColorsEnabled() const { return m_bColors; }
    void SetDisabledColor(TipColor color) { m_disabledColor = color; }
    TipColor GetDisabledColor() const { return m_disabledColor; }
    // System colour names ("infobackground", ...) take the platform's colours.
    void SetSystemColor(const std::string& name, TipColor color) { m_colors[name] = color; }

    // Entities decoded, carriage returns removed, line breaks and tabs turned
    // into tags (or removed).
    std::string PrepareText(std::string text, bool lineBreakTags) const;

private:
    struct TagEntry {
        int kind;
        std::string styleName;
    };
    std::map<std::string, TagEntry> m_tags;
    std::map<std::string, std::string> m_entities; // iterated in byte order of the names
    std::map<std::string, TipColor> m_colors;
    bool m_bColors = true;
    TipColor m_disabledColor = 0x808080;
};

// ParseColor of the value parsers: "#rrggbb", a number, or a colour name.
TipColor ParseColor(const std::string& value, TipColor old, const CTipVocabulary& vocabulary);
