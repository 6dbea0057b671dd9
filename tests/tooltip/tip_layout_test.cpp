// Layout of the tip renderer on the fixed-metrics canvas. The body font is
// 10pt at 96 dpi: 13 units high (ascent 10, descent 3), 6 units a character.
#include "tooltip/TipHtmlRenderer.h"
#include "tooltip/TipRecordingCanvas.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Tip {
    CTipHtmlRenderer renderer;
    CTipRecordingCanvas canvas;

    explicit Tip(int maxWidth = 0) {
        renderer.SetMaxWidth(maxWidth);
        canvas.bitmaps = {{101, {40, 20}}, {200, {64, 16}}};
        canvas.icons = {{5, {32, 32}}};
        canvas.strings = {{9, "nine"}};
        canvas.registered = {{3, {16, 8}}};
    }
    TipSize Measure(const std::string& markup) { return renderer.Measure(canvas, markup); }
    void Draw(const TipRect& area) {
        canvas.ops.clear();
        renderer.Draw(canvas, area);
    }
    std::vector<CTipRecordingCanvas::Op> Texts() const { return canvas.Ops("text"); }
};

} // namespace

TEST(TipLayout, SizesOfSimpleDocuments) {
    struct Case {
        const char* markup;
        int maxWidth;
        TipSize want;
    } cases[] = {
        {"", 0, {0, 0}},
        {"<b></b><i>", 0, {1, 1}}, // only tags: emptied
        {"ab", 0, {13, 14}},
        {"aaaa bbbb cccc", 60, {55, 27}},      // breaks after the second word
        {"abcdefgh", 30, {31, 27}},            // a word longer than the line breaks inside
        {"ab<b>cdefghijkl</b>", 60, {61, 27}}, // ... but moves whole when text precedes it
        {"a<br=3>b", 0, {7, 53}},
        {"a<br=0>b", 0, {7, 27}},
        {"a<br 3>b", 0, {7, 27}},
        {"<hr width=40><t>x", 0, {71, 14}}, // the tab from 40 goes to 64
        {"<t=2>x", 0, {71, 14}},
        {"<hr>", 0, {3, 9}}, // a plain rule takes 8 units of height
        {"<bmp idres=101 width=350>", 200, {201, 21}},
    };
    for (const Case& c : cases) {
        Tip tip(c.maxWidth);
        EXPECT_EQ(tip.Measure(c.markup), c.want) << c.markup;
    }
}

TEST(TipLayout, EmptiedDocumentDrawsNothing) {
    Tip tip;
    tip.Measure("<b></b>");
    tip.Draw({0, 0, 100, 100});
    EXPECT_TRUE(tip.canvas.ops.empty());
}

TEST(TipLayout, WrappedLinesAndJustification) {
    Tip tip(40);
    tip.Measure("<justify>aa bb cc dd gg</justify>");
    tip.Draw({0, 0, 40, 100});
    const auto texts = tip.Texts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0].text, "aa bb");
    EXPECT_EQ(texts[0].rect, (TipRect{0, 0, 40, 13})); // stretched to the line
    EXPECT_EQ(texts[1].rect, (TipRect{0, 13, 40, 26}));
    EXPECT_EQ(texts[2].text, "gg"); // the last line stays left-aligned
    EXPECT_EQ(texts[2].rect, (TipRect{0, 26, 12, 39}));
}

TEST(TipLayout, AlignmentAndVerticalPlacement) {
    Tip tip;
    tip.Measure("<center>ab</center><br><right>cd</right><br><font size=6>X</font><top>y</top>");
    tip.Draw({0, 0, 100, 200});
    const auto t = tip.Texts();
    ASSERT_EQ(t.size(), 4u);
    EXPECT_EQ(t[0].rect.left, 44); // (100 - 12) / 2
    EXPECT_EQ(t[1].rect.left, 88);
    // A 24-unit font makes the third line 24 high (ascent 18, descent 6):
    // baseline text sits on the line's baseline, top text at its top.
    EXPECT_EQ(t[2].rect.top, 26);
    EXPECT_EQ(t[3].rect.top, 26);
    Tip base;
    base.Measure("<font size=6>X</font>y");
    base.Draw({0, 0, 100, 100});
    EXPECT_EQ(base.Texts()[1].rect.top, 18 - 10); // ascents aligned on the baseline
}

TEST(TipLayout, StyleStackAndWeights) {
    Tip tip;
    tip.Measure("<i><b>x</i>y</b>z<b><b>w</b><b>v</b></b>");
    tip.Draw({0, 0, 200, 50});
    const auto t = tip.Texts();
    ASSERT_EQ(t.size(), 5u);
    EXPECT_TRUE(t[1].font.italic); // the mis-nested </i> is ignored
    EXPECT_EQ(t[1].font.weight, 800);
    EXPECT_TRUE(t[2].font.italic);
    EXPECT_EQ(t[2].font.weight, 400);
    EXPECT_EQ(t[3].font.weight, 1600 > 900 ? 900 : 0); // 400 -> 800 under <b><b>, then 900
    EXPECT_EQ(t[4].font.weight, 900);
}

TEST(TipLayout, RulesDrawInTheirColourAndLength) {
    Tip tip;
    tip.Measure("<hr width=50% size=1 color=red><br><hr width=50%>");
    tip.Draw({0, 0, 300, 100});
    const auto lines = tip.canvas.Ops("line");
    ASSERT_EQ(lines.size(), 1u); // the rule without size draws nothing
    EXPECT_EQ(lines[0].points, (std::vector<TipPoint>{{0, 4}, {150, 4}}));
    EXPECT_EQ(lines[0].color, 0x0000FFu);
    EXPECT_EQ(lines[0].width, 1);
}

TEST(TipLayout, LinksAndHover) {
    Tip tip;
    std::vector<int> notices;
    tip.renderer.SetHoverNotify([&](int index) { notices.push_back(index); });
    std::vector<std::string> opened;
    tip.renderer.SetLinkOpener([&](const std::string& target) {
        opened.push_back(target);
        return 42;
    });
    tip.Measure("<a href=\"http://x/\">ab</a> <a>cd</a><br><a href=y>e f</a>");
    tip.Draw({0, 0, 200, 100});
    tip.Draw({0, 0, 200, 100}); // repaints do not grow the list
    const auto& links = tip.renderer.GetLinkAreas();
    ASSERT_EQ(links.size(), 3u);
    EXPECT_EQ(links[0].rect, (TipRect{0, 0, 12, 13}));
    EXPECT_EQ(links[0].kind, 1);
    EXPECT_EQ(links[1].kind, 2);
    EXPECT_EQ(links[1].index, 1);
    EXPECT_EQ(links[2].index, 2);
    EXPECT_FALSE(tip.Texts()[0].font.underline);

    EXPECT_TRUE(tip.renderer.OnSetCursor({1, 1}));
    EXPECT_TRUE(tip.renderer.OnSetCursor({12, 13})); // edges included, same link: no notice
    EXPECT_FALSE(tip.renderer.OnSetCursor({20, 5})); // empty target: no link cursor
    EXPECT_FALSE(tip.renderer.OnSetCursor({150, 90}));
    EXPECT_FALSE(tip.renderer.OnSetCursor({151, 90}));
    EXPECT_EQ(notices, (std::vector<int>{0, 1, -2}));

    tip.renderer.OnSetCursor({1, 1});
    tip.Draw({0, 0, 200, 100}); // measured again in the hover state
    EXPECT_TRUE(tip.Texts()[0].font.underline);
    EXPECT_FALSE(tip.Texts()[1].font.underline);

    tip.renderer.OnLButtonDown({20, 5});
    tip.renderer.OnLButtonDown({2, 2});
    EXPECT_EQ(opened, (std::vector<std::string>{"http://x/"}));
}

TEST(TipLayout, TextTransformKeepsMultiByteCharacters) {
    Tip tip(18);
    tip.renderer.GetStyleSheet().SetStyleRule(".u", "text-transform: capitalize");
    tip.Measure("<span class=u>ab \u00e9t\u00e9 x \u00e9\u00e9\u00e9\u00e9</span>");
    tip.Draw({0, 0, 18, 100});
    std::string all;
    for (const auto& t : tip.Texts())
        all += t.text + "|";
    // No byte of a character is cut or changed: the long word breaks between characters.
    EXPECT_EQ(all, "Ab|\u00e9t\u00e9|X|\u00e9\u00e9\u00e9|\u00e9|");
}

TEST(TipTables, WidthsSpansAndStretching) {
    Tip tip;
    EXPECT_EQ(tip.Measure("<table><tr><td>a</td><td>b</td></tr></table>"), (TipSize{22, 18}));
    tip.Draw({0, 0, 21, 17});
    auto t = tip.Texts();
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[0].rect.left, 2);  // padding 2, no spacing
    EXPECT_EQ(t[1].rect.left, 13); // one unit between the columns
    tip.Draw({0, 0, 41, 17});      // a wider area stretches both columns by 10
    EXPECT_EQ(tip.Texts()[1].rect.left, 23);

    Tip fixed;
    fixed.Measure("<table align=right><tr><td width=6>a</td><td width=6>b</td></tr></table>");
    fixed.Draw({0, 0, 41, 17});
    EXPECT_EQ(fixed.Texts()[0].rect.left, 22); // keeps its width and its alignment

    Tip span;
    span.Measure("<table><tr><td>aa</td><td>bb</td></tr><tr><td colspan=2 width=33></td></tr></table>");
    const auto& layout = span.renderer.GetTables().at(0);
    EXPECT_EQ(layout.columnWidths,
              (std::vector<int>{18, 19})); // a surplus of 5: 2 each, the rest to the last
    EXPECT_EQ(layout.columnFixed, (std::vector<int>{1, 1}));
}

TEST(TipTables, PaddingSpacingBordersAndFills) {
    Tip tip;
    const TipSize s =
        tip.Measure("<table cellpadding=1 cellspacing=2 border=3 borderstyle=dashed bgcolor=red>"
                    "<tr><td bgcolor=#00ff00 border=1>a</td></tr></table>");
    // cell 6+2+2 (padding and its 1-unit border) by 13+4; spacing 2 each side;
    // a dashed border is 1 unit wide.
    EXPECT_EQ(s, (TipSize{10 + 4 + 2 + 1, 17 + 4 + 2 + 1}));
    tip.Draw({0, 0, 16, 23});
    const auto fills = tip.canvas.Ops("fill");
    ASSERT_EQ(fills.size(), 2u);
    EXPECT_EQ(fills[0].rect, (TipRect{0, 0, 16, 23}));
    EXPECT_EQ(fills[0].color, 0x0000FFu);
    EXPECT_EQ(fills[1].rect, (TipRect{3, 3, 13, 20}));
    const auto lines = tip.canvas.Ops("line");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].style, static_cast<int>(TipPenStyle::Dash));
    EXPECT_EQ(lines[0].width, 1);
    EXPECT_EQ(tip.Texts()[0].rect.left, 5);
}

TEST(TipTables, GridClampsAndNesting) {
    CTipHtmlRenderer r;
    EXPECT_EQ(
        r.CountTableGrid("<table><tr><td colspan=0>a</td><td colspan=-4>b</tr><tr><td colspan=3></td></tr>"),
        (std::pair<int, int>{5, 2})); // "-4" loses its sign
    // A cell without its end tag runs to the end of its row.
    EXPECT_EQ(r.CountTableGrid("<table><tr><td>a<td>b</tr>").first, 1);
    EXPECT_EQ(r.CountTableGrid("<table><tr><td colspan=99999></td></tr>").first,
              CTipHtmlRenderer::kMaxColumns);
    EXPECT_EQ(r.CountTableGrid("<table><tr><td><table><tr><td></td><td></td></tr></table></td></tr>"),
              (std::pair<int, int>{1, 1}));

    Tip tip;
    // Spans beyond the grid are cut; the nested table sits inside the cell.
    const TipSize s = tip.Measure(
        "<table><tr><td rowspan=9>a</td></tr><tr><td><table><tr><td>b</td></tr></table></td></tr></table>");
    EXPECT_GT(s.cx, 1);
    tip.Draw({0, 0, s.cx, s.cy});
    const auto t = tip.Texts();
    ASSERT_EQ(t.size(), 1u); // the second row's only column is covered by the first row's span
    EXPECT_EQ(t[0].text, "a");

    Tip nested;
    const TipSize n = nested.Measure("<table><tr><td><table><tr><td>b</td></tr></table></td></tr></table>");
    EXPECT_EQ(n, (TipSize{10 + 4 + 1, 17 + 4 + 1}));
    nested.Draw({0, 0, 14, 21});
    EXPECT_EQ(nested.Texts()[0].rect.left, 4);

    Tip deep;
    std::string markup;
    for (int i = 0; i < 40; ++i)
        markup += "<table><tr><td>";
    markup += "x";
    EXPECT_GT(deep.Measure(markup).cx, 1); // nesting beyond the bound is not laid out, and nothing breaks
}

TEST(TipPictures, SizesSourcesAndShadows) {
    struct Case {
        const char* markup;
        TipSize want;
    } cases[] = {
        {"<bmp idres=101 width=50% height=50%>", {21, 11}},
        {"<bmp idres=101 width=50% height=50% style=s>", {25, 15}},
        {"<bmp idres=101 width=32>", {33, 21}},
        {"<bmp idres=77>", {1, 1}}, // a missing source is ignored
        {"<bmp handle=3>", {17, 9}},
        {"<bmp handle=4>", {1, 1}},               // an unknown id draws nothing
        {"<bmp iddll=101 srcdll=x.dll>", {1, 1}}, // modules load nothing
        {"<icon>", {1, 1}},
        {"<icon idres=5 width=50% height=50%>", {17, 17}},
        {"<ilst idres=200 cx=16>", {17, 17}},
        {"<string idres=57600>", {1, 1}},
        {"<string idres=9>", {25, 14}},
    };
    for (const Case& c : cases) {
        Tip tip;
        EXPECT_EQ(tip.Measure(c.markup), c.want) << c.markup;
        tip.Draw({0, 0, 100, 100});
        EXPECT_EQ(tip.canvas.opened, 0) << c.markup; // every loaded picture released
    }
}

TEST(TipPictures, StripFramesAndAnimation) {
    Tip tip;
    tip.Measure("<ilst idres=200 cx=16 index=3><ilst idres=200 cx=16 index=4><ilst idres=200 cx=16 speed=5>");
    tip.Draw({0, 0, 100, 100});
    auto frames = tip.canvas.Ops("frame");
    ASSERT_EQ(frames.size(), 2u); // index 4 is past the four frames
    EXPECT_EQ(frames[0].style, 3);
    EXPECT_EQ(frames[1].style, 0);
    EXPECT_EQ(frames[1].rect, (TipRect{32, 0, 48, 16}));
    for (int i = 0; i < 4; ++i)
        EXPECT_FALSE(tip.renderer.AdvanceAnimations());
    EXPECT_TRUE(tip.renderer.AdvanceAnimations());
    for (int i = 0; i < 15; ++i)
        tip.renderer.AdvanceAnimations();
    tip.Draw({0, 0, 100, 100});
    EXPECT_EQ(tip.canvas.Ops("frame")[1].style, 0); // wrapped after the last frame
    for (int i = 0; i < 5; ++i)
        tip.renderer.AdvanceAnimations();
    tip.Draw({0, 0, 100, 100});
    EXPECT_EQ(tip.canvas.Ops("frame")[1].style, 1);
}

TEST(TipPictures, LinkedPictureUsesItsHotStyle) {
    Tip tip;
    tip.Measure("<a href=z><bmp idres=101 style=g hotstyle=d></a>");
    tip.Draw({0, 0, 100, 100});
    EXPECT_EQ(tip.canvas.Ops("bitmap")[0].style, 0x0001);
    tip.renderer.OnSetCursor({5, 5});
    tip.Draw({0, 0, 100, 100});
    EXPECT_EQ(tip.canvas.Ops("bitmap")[0].style, 0x0002);
    tip.renderer.EnableColors(false);
    tip.Draw({0, 0, 100, 100});
    EXPECT_EQ(tip.canvas.Ops("bitmap")[0].style, 0x0008);
}
