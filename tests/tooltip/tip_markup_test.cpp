// The tip markup's scanning, vocabulary, style sheet and value parsers.
#include "tooltip/TipMarkup.h"
#include "tooltip/TipRecordingCanvas.h"
#include "tooltip/TipStyleSheet.h"
#include "tooltip/TipVocabulary.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tipmarkup;

namespace {

struct Chunk {
    std::string text;
    std::string tag;
};

std::vector<Chunk> Chunks(const std::string& text) {
    std::vector<Chunk> out;
    std::size_t pos = 0;
    while (pos < text.size()) {
        Chunk c;
        c.text = NextChunk(text, &pos, &c.tag);
        out.push_back(c);
    }
    return out;
}

} // namespace

TEST(TipMarkup, ChunksEscapesAndStrayBrackets) {
    const auto a = Chunks("a<<b<i>c");
    ASSERT_EQ(a.size(), 2u);
    EXPECT_EQ(a[0].text, "a<b");
    EXPECT_EQ(a[0].tag, "i");
    EXPECT_EQ(a[1].text, "c");
    EXPECT_EQ(a[1].tag, "");

    // "< y>" is a tag with an empty name that swallows its text.
    const auto b = Chunks("x< y>z");
    ASSERT_EQ(b.size(), 2u);
    EXPECT_EQ(b[0].text, "x");
    EXPECT_EQ(b[0].tag, " y");
    EXPECT_EQ(b[1].text, "z");

    // Without a later ">" only the "<" goes; a final "<" is literal.
    EXPECT_EQ(Chunks("a<b")[0].text, "ab");
    EXPECT_EQ(Chunks("ab<")[0].text, "ab<");
}

TEST(TipMarkup, TagNamesAndAttributes) {
    struct Case {
        std::string tag, name, params;
    } cases[] = {
        {"br=3", "br", "=3"}, {"br 3", "br", "3"}, {"font  color=red", "font", "color=red"}, {"b", "b", ""}};
    for (const Case& c : cases) {
        std::string tag = c.tag;
        EXPECT_EQ(SplitTagName(&tag), c.params) << c.tag;
        EXPECT_EQ(tag, c.name) << c.tag;
    }

    const std::string params = "a=1 b='x y' c=\"q\" d  e = 5";
    std::vector<std::pair<std::string, std::string>> got;
    std::size_t pos = 0;
    while (true) {
        std::string name;
        const std::string value = NextAttribute(params, &pos, &name);
        if (name.empty())
            break;
        got.push_back({name, value});
    }
    const std::vector<std::pair<std::string, std::string>> want = {
        {"a", "1"}, {"b", "x y"}, {"c", "q"}, {"d", ""}, {"e", "5"}};
    EXPECT_EQ(got, want);
}

TEST(TipMarkup, FindTagAndLevelEnds) {
    std::size_t pos = 0;
    EXPECT_TRUE(FindTag("x<<table<tablex", &pos, "table"));
    EXPECT_EQ(pos, 8u); // the escape is skipped; the match is a prefix match

    const std::string t = "<table><tr><td><table><tr><td>in</td></tr></table></td></tr></table>";
    EXPECT_EQ(FindTableEnd(t, 1), t.rfind("</table"));
    EXPECT_EQ(FindRowEnd(t, 8), t.rfind("</tr"));
    EXPECT_EQ(FindCellEnd(t, 12), t.rfind("</td"));
    EXPECT_EQ(FindCellEnd("<td>open", 1), 8u);
}

TEST(TipVocabulary, TagsEntitiesAndColours) {
    CTipVocabulary v;
    std::string style;
    bool closing = false;
    EXPECT_EQ(v.LookupTag("/b", &style, &closing), 1);
    EXPECT_TRUE(closing);
    EXPECT_EQ(style, "bold");
    EXPECT_EQ(v.LookupTag("B", &style, &closing), 0);
    EXPECT_EQ(v.LookupTag("bottom", &style, &closing), 16);
    EXPECT_EQ(style, "vcenter");
    EXPECT_EQ(v.LookupTag("h3", &style, &closing), 21);
    EXPECT_EQ(style, "h3");

    EXPECT_EQ(v.PrepareText("&amp;lt;&AMP;", true), "<<&AMP;");
    EXPECT_EQ(v.PrepareText("a\r\nb\tc", true), "a<br>b<t>c");
    EXPECT_EQ(v.PrepareText("a\r\nb\tc", false), "abc");
    EXPECT_EQ(v.PrepareText("&euro;&bull;&copy;&trade;", true), "\u20AC\u2022\u00A9\u2122");

    EXPECT_EQ(v.GetColorByName("red", 1), 0x0000FFu);
    EXPECT_EQ(v.GetColorByName("grey", 7), 7u);
    EXPECT_EQ(ParseColor("#ff9900", 1, v), 0x0099FFu);
    EXPECT_EQ(ParseColor("255", 1, v), 0x0000FFu);
    EXPECT_EQ(ParseColor("#fff", 5, v), 5u);
    EXPECT_EQ(ParseColor("", 5, v), 5u);
    v.SetDisabledColor(0x123456);
    v.EnableColors(false);
    EXPECT_EQ(v.GetColorByName("red", 1), 0x123456u);
    EXPECT_EQ(v.ColorValue("#ff0000", 1), 0x123456u);
}

TEST(TipStyleSheet, Lengths) {
    TipUnits units;
    units.dpi = 96;
    units.fontHeight = 13;
    struct Case {
        const char* value;
        int old;
        bool keywords;
        int want;
    } cases[] = {
        {"10pt", 0, true, 13}, {"14pt", 0, true, 18}, {"9pt", 0, true, 12},
        {"3", 0, true, 12},    {"9", 0, true, 9},     {"+2", 0, true, 10},
        {"-2", 0, false, 2},   {"65%", 20, true, 13}, {"2em", 0, false, 26},
        {"1in", 0, false, 96}, {"1cm", 0, false, 37}, {"10mm", 0, false, 37},
        {"2pc", 0, false, 32}, {"7px", 0, true, 7},   {"0x10", 0, false, 16},
        {"010", 0, false, 8},  {"", 42, false, 42},   {"99999999999", 0, false, kTipMaxLength},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseLength(c.value, c.old, c.keywords, units), c.want) << c.value;

    // "ex" is the height of the extent of "x" (16 on this canvas), neither its
    // width (8) nor the font height the units carry.
    CTipRecordingCanvas canvas;
    units.canvas = &canvas;
    EXPECT_EQ(ParseLength("2ex", 0, false, units), 32);
    EXPECT_EQ(ParseLength("-1ex", 0, false, units), 16);
}

TEST(TipStyleSheet, Keywords) {
    EXPECT_EQ(ParseFontWeight("bold", 1), 700);
    EXPECT_EQ(ParseFontWeight("bolder", 1), 900);
    EXPECT_EQ(ParseFontWeight("heavy", 1), 0);
    EXPECT_EQ(ParseFontWeight("600", 1), 600);
    EXPECT_EQ(ParseFontWeight("", 1), 400);
    EXPECT_EQ(ParseFontStyle("oblique", 0), 1);
    EXPECT_EQ(ParseFontStyle("odd", 1), 1);
    EXPECT_EQ(ParseTextAlign("right", 0), 2);
    EXPECT_EQ(ParseTextAlign("", 2), 0);
    EXPECT_EQ(ParseVerticalAlign("vcenter", 0), 1);
    EXPECT_EQ(ParseVerticalAlign("", 0), 3);
    EXPECT_EQ(ParseTextTransform("capitalize", 0), 3);
    EXPECT_EQ(ParseBorderStyle("double", 0), 6);
    EXPECT_EQ(ParseBorderStyle("groove", 2), 2);
    TipUnits units;
    EXPECT_EQ(ParseBorderWidth("", 8, units), 8);
    EXPECT_EQ(ParseBorderWidth("thin", 8, units), 6);
    EXPECT_EQ(ParseBorderWidth("thick", 8, units), 10);
    EXPECT_EQ(ParseFillEffect("metal", -1, units), 15);
    EXPECT_EQ(ParseFillEffect("transparent", 3, units), -1);
    EXPECT_EQ(ParseFillEffect("", 3, units), 3);
    EXPECT_EQ(ParseFillEffect("4", 3, units), 4);

    TipStyle s;
    ApplyFontStyleLetters("b-iu+s", &s);
    EXPECT_EQ(s.weight, 700);
    EXPECT_EQ(s.italic, 0);
    EXPECT_EQ(s.underline, 1);
    EXPECT_EQ(s.strikeOut, 1);
}

TEST(TipStyleSheet, DeclarationsAndRules) {
    CTipVocabulary v;
    TipUnits units;
    TipStyle s;
    ApplyDeclarations("Text-Decoration: underline, overline; COLOR: Red; background-color: transparent", &s,
                      units, v);
    EXPECT_EQ(s.underline, 1);
    EXPECT_EQ(s.overline, 1);
    EXPECT_EQ(s.textColor, 0x0000FFu);
    EXPECT_EQ(s.backMode, 1);
    ApplyDeclarations("text-decoration:", &s, units, v);
    ApplyDeclarations("background-color: #00ff00", &s, units, v);
    EXPECT_EQ(s.underline + s.overline + s.strikeOut, 0);
    EXPECT_EQ(s.backMode, 2);
    EXPECT_EQ(s.backColor, 0x00FF00u);

    TipStyle b;
    ApplyDeclarations("border-style: dashed", &b, units, v);
    EXPECT_EQ(b.borderWidth, 1);
    ApplyDeclarations("border-width: 0", &b, units, v);
    EXPECT_EQ(b.borderStyle, 0);
    ApplyDeclarations("font-family: \"Courier New\"; font-size: 3; font-size: 150%", &b, units, v);
    EXPECT_EQ(b.family, "courier new");
    EXPECT_EQ(b.fontSize, 18);

    CTipStyleSheet sheet;
    EXPECT_EQ(sheet.FindStyleRule("BODY"), "font-size: 10pt; color:black; font-family:Verdana");
    EXPECT_EQ(sheet.FindStyleRule("p"),
              "font-size: 10pt; color:black; font-family:Verdana; font-weight:bold");
    sheet.SetStyleSheet("H1 {color:red}\ntd{margin:1} td {margin:5}\n.x {color:blue} broken {");
    EXPECT_EQ(sheet.FindStyleRule("h1"), "color:red");
    EXPECT_EQ(sheet.FindStyleRule("td"), "margin:5");
    EXPECT_EQ(sheet.FindStyleRule(".x"), "color:blue");
    EXPECT_EQ(sheet.FindStyleRule("body"), "");
}
