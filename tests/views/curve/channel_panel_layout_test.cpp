// The channel-value painter's geometry with fixed text metrics: scale labels
// with their precision, zero rule and skip rules, the distribution stride,
// the label of each channel class, and the curve envelope a repaint draws.
#include "views/curve/ChannelPanelLayout.h"
#include "views/curve/CurveWorld.h"
#include "views/shared/CurveEnvelope.h"

#include "model/ChannelNaming.h"

#include "model/CaseSampleBlock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

namespace {

// Every character 6 pixels wide, every line 12 high.
class FixedMetrics : public IPanelMetrics {
public:
    int TextWidth(int, const std::string& text) const override { return 6 * int(text.size()); }
    int TextHeight(int) const override { return 12; }
    int AverageCharWidth(int) const override { return 6; }
};

class PanelLayoutTest : public ::testing::Test {
protected:
    PanelLayoutTest() {
        fields.rcClient = {0, 0, 500, 400};
        fields.rcPlot = {90, 30, 470, 370};
        options.m_fYmax = 1.0f;
        options.m_fYmin = -1.0f;
        options.m_nYGridCount = 4;
        options.m_nYPrecision = 1;
        world.channels[17].strDescription = "梁";
        world.virtualChannels = {{"合力", "kN"}};
        world.digitalChannels = {{"转速", "rpm"}, {"", "V"}};
    }

    std::vector<std::string> Texts(int font) const {
        std::vector<std::string> texts;
        for (const PanelText& t : LayoutChannelPanel(fields, options, FixedMetrics(), world).texts)
            if (t.font == font)
                texts.push_back(t.text);
        return texts;
    }

    ChannelPanelFields fields;
    CGraphDisplayOptions options;
    CurveWorld world;
};

TEST_F(PanelLayoutTest, YLabelsRunFromTopToBottomWithThePrecision) {
    EXPECT_EQ(Texts(kFontYScale), (std::vector<std::string>{"1.0", "0.5", "0.0", "-0.5", "-1.0"}));
    options.m_fYmax = 1.0000004f;
    options.m_fYmin = -0.9999996f;
    EXPECT_EQ(Texts(kFontYScale)[2], "0.0"); // a computed 0.0000004 shows as 0
}

TEST_F(PanelLayoutTest, GridCountsDecideGridAndLabels) {
    options.m_nYGridCount = 0;
    const ChannelPanelDrawing none = LayoutChannelPanel(fields, options, FixedMetrics(), world);
    EXPECT_TRUE(Texts(kFontYScale).empty());
    for (const PanelLine& line : none.grid)
        EXPECT_TRUE(line.vertical);
    options.m_nYGridCount = 1;
    EXPECT_EQ(Texts(kFontYScale), (std::vector<std::string>{"1.0", "-1.0"}));
    // A low plot leaves out the middle labels that would overlap.
    options.m_nYGridCount = 10;
    fields.rcPlot.bottom = 90;
    const std::vector<std::string> crowded = Texts(kFontYScale);
    EXPECT_EQ(crowded.front(), "1.0");
    EXPECT_EQ(crowded.back(), "-1.0");
    EXPECT_LT(crowded.size(), 11u);
}

// Wide values: every Y label stands between the unit column and the plot,
// whole (sign and leading digits kept), reading its tick's value.
TEST_F(PanelLayoutTest, YLabelsFitBetweenTheUnitAndThePlot) {
    fields.bUnitYShown = true;
    fields.strUnitY = "με";
    const int unitRight = fields.rcClient.left + 2 + 12;
    struct Case {
        float top, bottom;
        int precision;
    } cases[] = {{-10213090.0f, -12614920.0f, 3},
                 {-1021809.0f, -1261492.0f, 3},
                 {2.5e12f, -2.5e12f, 2},
                 {1.0f, -1.0f, 1}};
    for (const Case& c : cases) {
        options.m_fYmax = c.top;
        options.m_fYmin = c.bottom;
        options.m_nYPrecision = c.precision;
        const ChannelPanelDrawing d = LayoutChannelPanel(fields, options, FixedMetrics(), world);
        int labels = 0;
        for (const PanelText& t : d.texts) {
            if (t.font != kFontYScale)
                continue;
            ++labels;
            EXPECT_GT(t.x, unitRight) << t.text;
            EXPECT_LE(t.x + int(6 * int(t.text.size()) * t.scale), fields.rcPlot.left) << t.text;
            EXPECT_GE(t.scale, 0.7) << t.text;
            if (labels == 1) {
                EXPECT_NEAR(std::stod(t.text), c.top, std::fabs(c.top) * 0.01) << t.text;
            }
        }
        EXPECT_GE(labels, 2) << c.top;
    }
    // Values that fit keep the view's precision.
    options.m_fYmax = 1.0f;
    options.m_fYmin = -1.0f;
    options.m_nYPrecision = 1;
    EXPECT_EQ(Texts(kFontYScale), (std::vector<std::string>{"1.0", "0.5", "0.0", "-0.5", "-1.0"}));
}

// The X unit never covers a label: below them when the margin holds two
// lines, beside the last one in the right margin, else in place of the
// middle labels it would cover.
TEST_F(PanelLayoutTest, XUnitStandsClearOfTheLabels) {
    options.m_fXmin = 0.0f;
    options.m_fXmax = 256.0f;
    options.m_nXGridCount = 2;
    options.m_nXShowType = 0;
    fields.bUnitXShown = true;
    fields.strUnitX = "次";
    struct Case {
        const char* what;
        int clientBottom, clientRight;
        bool below, beside;
    } cases[] = {{"room below", 400, 500, true, false},
                 {"room at the right", 390, 500, false, true},
                 {"no room", 390, 472, false, false}};
    for (const Case& c : cases) {
        fields.rcClient.bottom = c.clientBottom;
        fields.rcClient.right = c.clientRight;
        const ChannelPanelDrawing d = LayoutChannelPanel(fields, options, FixedMetrics(), world);
        const auto unit = std::find_if(d.texts.begin(), d.texts.end(),
                                       [](const PanelText& t) { return t.font == kFontUnitX; });
        ASSERT_NE(unit, d.texts.end()) << c.what;
        const int unitWidth = 6 * int(unit->text.size());
        EXPECT_LE(unit->y + 12, fields.rcClient.bottom) << c.what;
        EXPECT_LE(unit->x + unitWidth, fields.rcClient.right) << c.what;
        EXPECT_EQ(unit->y > fields.rcPlot.bottom + 12, c.below) << c.what;
        EXPECT_EQ(unit->x >= fields.rcPlot.right, c.beside) << c.what;
        std::vector<std::string> labels;
        for (const PanelText& t : d.texts) {
            if (t.font != kFontXScale)
                continue;
            labels.push_back(t.text);
            const bool apart = t.x + 6 * int(t.text.size()) <= unit->x || unit->x + unitWidth <= t.x ||
                               t.y + 12 <= unit->y || unit->y + 12 <= t.y;
            EXPECT_TRUE(apart) << c.what << ": " << t.text;
        }
        EXPECT_EQ(labels.front(), "0") << c.what;
        EXPECT_EQ(labels.back(), "256") << c.what;
    }
}

TEST_F(PanelLayoutTest, XLabelsCountSamplesOrSeconds) {
    options.m_fXmin = 0.0f;
    options.m_fXmax = 100.0f;
    options.m_nXGridCount = 4;
    options.m_nXPrecision = 2;
    options.m_nXShowType = 0;
    EXPECT_EQ(Texts(kFontXScale), (std::vector<std::string>{"0", "25", "50", "75", "100"}));
    options.m_nXShowType = 1;
    fields.fXStep = 0.01f;
    EXPECT_EQ(Texts(kFontXScale), (std::vector<std::string>{"0.00", "0.25", "0.50", "0.75", "1.00"}));
}

TEST_F(PanelLayoutTest, CrowdedXLabelsKeepABlankBetweenThem) {
    options.m_fXmin = 0.0f;
    options.m_fXmax = 25.5f;
    options.m_nXPrecision = 2;
    options.m_nXShowType = 0;
    fields.nGraphKind = 0;
    for (int grid = 2; grid <= 40; ++grid) {
        options.m_nXGridCount = grid;
        std::vector<const PanelText*> labels;
        const ChannelPanelDrawing d = LayoutChannelPanel(fields, options, FixedMetrics(), world);
        for (const PanelText& t : d.texts)
            if (t.font == kFontXScale)
                labels.push_back(&t);
        ASSERT_GE(labels.size(), 2u) << grid << " grid lines";
        for (std::size_t i = 1; i < labels.size(); ++i)
            EXPECT_GE(labels[i]->x - (labels[i - 1]->x + 6 * int(labels[i - 1]->text.size())), 6)
                << grid << " grid lines: " << labels[i - 1]->text << " and " << labels[i]->text;
    }
}

TEST_F(PanelLayoutTest, DistributionLabelsTakeAStrideAndShortVirtualNames) {
    fields.nGraphKind = 2;
    for (int j = 0; j < 20; ++j)
        fields.distributionIds.push_back(j < 19 ? j : 4096);
    fields.rcPlot.right = 2000; // room for every label
    fields.rcClient.right = 2100;
    const std::vector<std::string> texts = Texts(kFontXScale);
    ASSERT_EQ(texts.size(), 7u); // points 0, 3, 6, 9, 12, 15, 18
    EXPECT_EQ(texts[1], FormatChannelName(3));
    fields.distributionIds = {0, 4096, 4224};
    EXPECT_EQ(Texts(kFontXScale), (std::vector<std::string>{FormatChannelName(0), "虚拟:1", "数字:1"}));
    fields.distributionIds = {4096, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    EXPECT_EQ(Texts(kFontXScale).front(), "虚:1");
}

TEST_F(PanelLayoutTest, ChannelLabelNamesEachClassInItsColour) {
    options.m_clrChannelID = 0x123456;
    struct Case {
        int id, kind, active;
        std::string text;
        COLORREF colour;
    } cases[] = {
        {17, 1, 2, FormatChannelName(17) + "[梁]", options.m_Line[2]},
        {4096, 1, 9, "虚拟:1[合力]", 0x123456},
        {4224, 1, 0, "数字:1[转速]", options.m_Line[0]},
        {4225, 1, 0, "数字:2", options.m_Line[0]},
        {3, 2, 0, "应变花组_3", options.m_Line[0]},
        {2, 4, 0, "残余应力组_2", options.m_Line[0]},
    };
    for (const Case& c : cases) {
        fields.nLabelChannel = c.id;
        fields.nSignalKind = c.kind;
        fields.nActiveIndex = c.active;
        const ChannelPanelDrawing d = LayoutChannelPanel(fields, options, FixedMetrics(), world);
        const auto it = std::find_if(d.texts.begin(), d.texts.end(),
                                     [](const PanelText& t) { return t.font == kFontChannelId; });
        ASSERT_NE(it, d.texts.end());
        EXPECT_EQ(it->text, c.text);
        EXPECT_EQ(it->colour, c.colour) << c.text;
        EXPECT_EQ(it->y + 12, fields.rcPlot.top);
    }
    // XY: the X channel in the X scale's colour, the Y channel after it in the curve's.
    fields.nGraphKind = 3;
    fields.nLabelChannel = 17;
    fields.nSecondChannel = 4096;
    fields.nSignalKind = 1;
    fields.nActiveIndex = 0;
    options.m_clrXScale = 0x654321;
    std::vector<PanelText> names;
    for (const PanelText& t : LayoutChannelPanel(fields, options, FixedMetrics(), world).texts)
        if (t.font == kFontChannelId)
            names.push_back(t);
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0].text + names[1].text, FormatChannelName(17) + "[梁]  虚拟:1");
    EXPECT_EQ(names[0].colour, 0x654321u);
    EXPECT_EQ(names[1].colour, options.m_Line[0]);
    EXPECT_EQ(names[1].x, names[0].x + 6 * int(names[0].text.size()));
    EXPECT_EQ(CurveChannelUnit(4096, world), "kN");
    EXPECT_EQ(CurveChannelUnit(4225, world), "V");
    EXPECT_EQ(CurveChannelUnit(4300, world), "");
}

CCurveSeries MakeCurve(int count) {
    CCurveSeries curve;
    curve.m_nCount = count;
    curve.AllocBuffers();
    curve.m_rcPlot = {10, 0, 110, 100};
    for (int i = 0; i < count; ++i)
        curve.m_Values[std::size_t(i)] = float(i % 10);
    return curve;
}

TEST(CurveEnvelope, ADenseCurveTakesOneSpanAPixelColumn) {
    const CCurveSeries curve = MakeCurve(1000);
    CCurveEnvelope envelope;
    envelope.Build(curve, 1000);
    int spans = 0;
    envelope.Walk(
        [&](int x, const CCurveEnvelope::Column& column) {
            ++spans;
            EXPECT_GE(x, 10);
            EXPECT_LE(x, 110);
            EXPECT_LE(column.fMin, column.fMax);
        },
        [](int, float, int, float) {}, 10, 110);
    EXPECT_EQ(spans, 101);
    EXPECT_FLOAT_EQ(envelope.Columns().front().fMin, 0.0f);
    EXPECT_FLOAT_EQ(envelope.Columns().front().fMax, 4.0f); // points 0..4 round into column 0

    // Added one by one (live) the columns come out the same.
    CCurveEnvelope grown;
    for (int i = 0; i < 1000; ++i)
        grown.Add(curve, i);
    ASSERT_EQ(grown.Columns().size(), envelope.Columns().size());
    for (std::size_t c = 0; c < grown.Columns().size(); ++c)
        EXPECT_EQ(grown.Columns()[c].fMax, envelope.Columns()[c].fMax);
}

TEST(CurveEnvelope, AMarkerBreaksTheLine) {
    CCurveSeries curve = MakeCurve(50);
    curve.m_Values[25] = kNoValue;
    CCurveEnvelope envelope;
    envelope.Build(curve, 50);
    const auto column = [&](int index) {
        return envelope.Columns()[std::size_t(curve.IndexToX(index) - curve.m_rcPlot.left)];
    };
    EXPECT_TRUE(column(24).bJoinPrevious);
    EXPECT_FALSE(column(25).bUsed);
    EXPECT_FALSE(column(26).bJoinPrevious);
    EXPECT_TRUE(column(27).bJoinPrevious);
    EXPECT_FALSE(column(0).bJoinPrevious);
}

// A stretch drawn again (a live segment) gets every span in it and every
// join that reaches into it, across gaps and beyond both ends, nothing else.
TEST(CurveEnvelope, AWalkOverAStretchGivesTheSegmentsTouchingIt) {
    CCurveSeries curve = MakeCurve(30);
    for (const int gap : {8, 9, 20})
        curve.m_Values[std::size_t(gap)] = kNoValue;
    CCurveEnvelope envelope;
    envelope.Build(curve, 30);
    using Segment = std::array<int, 2>; // x1, x2 (a span has x1 == x2)
    const auto walk = [&](int from, int to) {
        std::vector<Segment> segments;
        envelope.Walk(
            [&](int x, const CCurveEnvelope::Column&) {
                segments.push_back({x, x});
            },
            [&](int x1, float, int x2, float) {
                segments.push_back({x1, x2});
            },
            from, to);
        std::sort(segments.begin(), segments.end());
        return segments;
    };
    const std::vector<Segment> all = walk(10, 110);
    for (const auto& [from, to] : {std::array<int, 2>{10, 110},
                                   {11, 13},
                                   {40, 47},
                                   {0, 10},
                                   {60, 60},
                                   {77, 83},
                                   {105, 200},
                                   {50, 40}}) {
        std::vector<Segment> expected;
        for (const Segment& s : all)
            if (s[1] >= from && s[0] <= to)
                expected.push_back(s);
        EXPECT_EQ(walk(from, to), expected) << from << ".." << to;
    }
}

} // namespace
