// The renderer's style sheet (selector -> declarations) and the value
// parsers that the sheet and the tag attributes share.
#pragma once

#include "tooltip/TipTypes.h"

#include <map>
#include <string>

class CTipVocabulary;
class ITipCanvas;

// Lengths are bounded so that no markup makes the layout overflow.
inline constexpr int kTipMaxLength = 100000;

// What lengths in font and device units need: the vertical resolution and
// the current font (em from its height, ex from the extent of "x").
struct TipUnits {
    int dpi = 96;
    int fontHeight = 16;
    ITipCanvas* canvas = nullptr; // for "ex"; null counts ex as half the font height
};

int ParseLength(const std::string& value, int old, bool sizeKeywords, const TipUnits& units);
int ParseFontStyle(const std::string& value, int old);
int ParseFontWeight(const std::string& value, int old);
int ParseTextAlign(const std::string& value, int old);
int ParseVerticalAlign(const std::string& value, int old);
int ParseTextTransform(const std::string& value, int old);
int ParseBorderStyle(const std::string& value, int old);
int ParseBorderWidth(const std::string& value, int old, const TipUnits& units);
int ParseFillEffect(const std::string& value, int old, const TipUnits& units);
void ParseTextDecoration(const std::string& value, TipStyle* style);
void ApplyFontStyleLetters(const std::string& letters, TipStyle* style);
bool EndsWithPercent(const std::string& value);

class CTipStyleSheet {
public:
    static const char* DefaultText();

    CTipStyleSheet() { SetDefaultStyleSheet(); }
    void SetDefaultStyleSheet() { SetStyleSheet(nullptr); }
    // Null means the built-in sheet.
    void SetStyleSheet(const char* text);
    void SetStyleRule(const std::string& selector, const std::string& declarations);
    std::string FindStyleRule(const std::string& name) const;
    const std::string& GetText() const { return m_text; }

private:
    std::map<std::string, std::string> m_rules;
    std::string m_text;
};

// Applies declarations ("font-size: 10pt; color: red") to a style.
void ApplyDeclarations(const std::string& declarations, TipStyle* style, const TipUnits& units,
                       const CTipVocabulary& vocabulary);
