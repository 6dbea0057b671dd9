// Number texts, axis-limit rounding and the small shared helpers.
#include "model/NumberTexts.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(NumberTextsTest, ValidNumberTextsByKind) {
    struct Case {
        int kind;
        const char* text;
        bool valid;
    } cases[] = {
        {1, "12.5", true}, {1, ".", true}, {1, "", false},    {1, "-1", false}, {1, "1e3", false},
        {2, "123", true},  {2, "", true},  {2, "1.5", false}, {0, "abc", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.valid, IsValidNumberText(c.kind, c.text)) << c.kind << " '" << c.text << "'";
}

TEST(NumberTextsTest, DecimalsAndTrimming) {
    struct Case {
        double value;
        int decimals;
        const char* text;
    } cases[] = {
        {1.2500, 4, "1.25"}, {2.0, 3, "2"}, {100.0, 0, "100"}, {-0.5, 2, "-0.5"}, {1230.0, 1, "1230"}};
    for (const Case& c : cases)
        EXPECT_EQ(c.text, FormatValueDecimals(c.value, c.decimals)) << c.value;
    EXPECT_EQ("100", TrimTrailingZeros("100"));
    EXPECT_EQ("10", TrimTrailingZeros("10.000"));
    EXPECT_EQ("0.01", TrimTrailingZeros("0.0100"));
}

TEST(NumberTextsTest, FormatsByMagnitude) {
    struct Case {
        double value;
        const char* format;
    } cases[] = {{-12345, "%.f"}, {1000, "%.2f"},  {100, "%.3f"},    {10, "%.4f"}, {1, "%.1f"},
                 {-0.5, "%.3f"},  {0.001, "%.3f"}, {0.0005, "%.2e"}, {0, "%.2e"}};
    for (const Case& c : cases)
        EXPECT_STREQ(c.format, GetValueFormatByMagnitude(c.value)) << c.value;
}

TEST(NumberTextsTest, FrequencyTexts) {
    struct Case {
        double hz;
        const char* text;
    } cases[] = {{2500000, "2.5MHz"}, {1000000, "1.0MHz"}, {1500, "1.5kHz"},  {1000, "1kHz"},
                 {10, "10Hz"},        {0.5, "0.5Hz"},      {12.25, "12.25Hz"}};
    for (const Case& c : cases)
        EXPECT_EQ(c.text, FormatFrequencyText(c.hz)) << c.hz;
    EXPECT_DOUBLE_EQ(1500.0, ParseFrequencyText("1.5kHz"));
    EXPECT_DOUBLE_EQ(1500.0, ParseFrequencyText("1.5K"));
    EXPECT_DOUBLE_EQ(2e6, ParseFrequencyText("2MHz"));
    EXPECT_DOUBLE_EQ(50.0, ParseFrequencyText("50Hz"));
}

TEST(NumberTextsTest, SmallHelpers) {
    EXPECT_EQ(0xAF, HexPairToByte("aF"));
    EXPECT_EQ(0x09, HexPairToByte("09xyz"));
    EXPECT_EQ(-1, HexPairToByte("g0"));
    EXPECT_EQ(-1, HexPairToByte("0"));

    EXPECT_EQ(std::string(64, 'a'), TruncateTo64Chars(std::string(70, 'a')));
    EXPECT_EQ("short", TruncateTo64Chars("short"));
    std::string wide;
    for (int i = 0; i < 40; ++i)
        wide += "应";
    EXPECT_EQ(32u * 3, TruncateTo64Chars(wide).size()); // 32 characters of 2 GBK bytes

    const std::string texts[] = {"ab", "应变", "abc"};
    EXPECT_EQ(4, GetMaxTextLength(3, texts));
    EXPECT_EQ(0, GetMaxTextLength(0, texts));
    EXPECT_EQ(0, GetMaxTextLength(3, nullptr));

    EXPECT_EQ("三片直角", GetRosetteTypeName(1));
    EXPECT_EQ("扇    形", GetRosetteTypeName(4));
    EXPECT_EQ("未 定 义", GetRosetteTypeName(5));
    EXPECT_EQ("未 定 义", GetRosetteTypeName(-1));

    EXPECT_DOUBLE_EQ(-1.0, ApplyArithmeticOp(1, 2, 1));
    EXPECT_DOUBLE_EQ(6.0, ApplyArithmeticOp(2, 3, 2));
    EXPECT_DOUBLE_EQ(0.5, ApplyArithmeticOp(1, 2, 3));
    EXPECT_DOUBLE_EQ(0.0, ApplyArithmeticOp(1, 0, 3));
    EXPECT_DOUBLE_EQ(0.0, ApplyArithmeticOp(1, 1e-7, 3));
    EXPECT_DOUBLE_EQ(3.0, ApplyArithmeticOp(1, 2, 7));
}

TEST(NumberTextsTest, AxisLimitsRoundByHalfSteps) {
    struct Case {
        double value;
        double up, down;
    } cases[] = {
        {37, 40, 35},
        {3.7, 5, 0},
        {-3.7, -0.0, -5},
        {-37, -35, -40},
        {7, 10, 5},
        {-7, -5, -10},
        {0.42, 0.5, 0},
        {0.0, 0, 0},
        {1234, 1500, 1000},
        {1750, 2000, 1500},
        {-5.5, -5, -10},
        {5.5, 10, 5},
        // A limit towards zero never passes the value: 4.2 and 34 go down
        // to 0 and 30, not to 5 and 35.
        {4.2, 5, 0},
        {34, 35, 30},
        {-4.2, -0.0, -5},
        {-34, -30, -35},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(c.up, RoundAxisLimit(c.value, true)) << c.value;
        EXPECT_DOUBLE_EQ(c.down, RoundAxisLimit(c.value, false)) << c.value;
    }
    EXPECT_TRUE(std::isinf(RoundAxisLimit(INFINITY, true)));
    EXPECT_TRUE(std::isnan(RoundAxisLimit(NAN, false)));
}

TEST(NumberTextsTest, SortRecordsDescendingSwapsEqualValues) {
    ValueRecord records[] = {{1, 0, 2.0f}, {2, 0, 5.0f}, {3, 0, 2.0f}, {4, 0, 9.0f}};
    SortRecordsByValueDesc(records, 4);
    const float want[] = {9.0f, 5.0f, 2.0f, 2.0f};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(want[i], records[i].fValue) << i;
    // Equal values trade places: the later record comes first.
    EXPECT_EQ(3, records[2].n1);
    EXPECT_EQ(1, records[3].n1);
}

} // namespace
