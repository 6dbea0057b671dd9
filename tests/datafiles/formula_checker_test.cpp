// The virtual-channel formula checker: every message it gives, the formulas
// it passes, brackets and token lengths.
#include "datafiles/FormulaChecker.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(FormulaCheckerTest, EveryRuleGivesItsMessage) {
    FormulaChannelRange range;
    range.nFirst = 0;
    range.nLast = 3;
    range.isShown = [](int channel) { return channel != 2; };
    struct Case {
        const char* text;
        const char* message; // "" passes
    };
    const Case cases[] = {
        {"2*-3", "+ - * / ^不能跟+ - * / ^ )"},
        {"2*(-3)", ""},
        {"2(3)", "数字后不能立即跟'(' sin cos tan cot sqrt log"},
        {"2sin(1)", "数字后不能立即跟'(' sin cos tan cot sqrt log"},
        {"(1)2", "')'和数字间应含有运算符"},
        {"sin2", ""},
        {"sin-2", "sin cos tan cot sqrt log '^'后有复合表达式请使用括号"},
        {"2^-3", "sin cos tan cot sqrt log '^'后有复合表达式请使用括号"},
        {"2^3", ""},
        {"2^(3)", ""},
        {"ch1+", "表达式末尾含有多余的运算符"},
        {"ch1+ch2=", ""},
        {"ch1*(ch2)", ""},
        {"ch3+1", "通道选择错误"},
        {"ch5", "通道选择错误"},
        {"ch0", "通道选择错误"},
        {"1..2", "一个数不能有多个小数点"},
        {".5", ""},
        {"1+.5", "运算符之后不能有小数点"},
        {"((1)", ""},
        {"*2", "开始的运算符出错"},
        {"x", "开始的运算符出错"},
        {"1+x+2", "表达式含未定义的符号"},
        {"(*2)", "'('后不能跟 '*' '/' '^' ')'"},
        {"()", "'('后不能跟 '*' '/' '^' ')'"},
        {"(1)sin(2)", "')'符号后不能跟'(' sin cos tan cot sqrt log"},
        {"(1)(2)", "')'符号后不能跟'(' sin cos tan cot sqrt log"},
        {"-sqrt(4)+cot(1)*log(2)/tan(3)-cos(1)", ""},
        {"1 + 2", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ScanExpression(c.text, range), c.message) << c.text;
}

TEST(FormulaCheckerTest, LengthLimitBracketsAndTokens) {
    FormulaChannelRange range;
    std::string message = "x";
    EXPECT_FALSE(CheckExpression(std::string(513, '1'), range, message));
    EXPECT_EQ(message, "") << "an over-long formula is refused without a message";
    EXPECT_TRUE(CheckExpression(std::string(512, '1'), range, message));
    EXPECT_FALSE(CheckExpression("1+", range, message));
    EXPECT_EQ(message, "表达式末尾含有多余的运算符");

    EXPECT_FALSE(CheckBrackets("((1)"));
    EXPECT_FALSE(CheckBrackets(")1("));
    EXPECT_TRUE(CheckBrackets("(1)*(2)"));

    struct Token {
        const char* text;
        int length;
    };
    const Token tokens[] = {{"(", 1},   {"^", 1},  {"cot(", 3}, {"log", 3}, {"sqrt", 4},
                            {"ch7", 2}, {"ch", 0}, {"chx", 0},  {"sq", 0},  {"", 0}};
    for (const Token& t : tokens)
        EXPECT_EQ(GetTokenLength(t.text), t.length) << t.text;
}

} // namespace
