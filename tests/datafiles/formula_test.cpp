// The formula language: accepted and refused texts with their values, through
// both the node-list evaluator and the compiled program.
#include "RunWriter.h"
#include "datafiles/Formula.h"
#include "datafiles/FormulaProgram.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <random>

using namespace testrun;

namespace {

enum Outcome { Value, Refused, Unbalanced, BadChannel };

struct FormulaCase {
    const char* text;
    Outcome outcome;
    double value;
};

const FormulaCase kCases[] = {
    {"(ch1+ch2)/2", Value, 3.5},
    {"ch1*2+3", Value, 9.0},
    {"2+3*4", Value, 14.0},
    {"-2+3", Value, 1.0},
    {"10/4/5", Value, 0.5},
    {"6/2*3", Value, 9.0},
    {"2-3*4", Value, -10.0},
    {"1-6/2/3", Value, 0.0},
    {"-2^2", Value, -4.0},
    {"sqrt(ch1^(2)+ch2^(2))", Value, 5.0},
    {"2^(3)^(2)", Value, 64.0},
    {"2^3", Value, 8.0},
    {"log(100)", Value, 2.0},
    {"cot(1)", Value, std::cos(1.0) / std::sin(1.0)},
    {"sin2", Value, std::sin(2.0)},
    {"2*sin(1)-cos(0)", Value, 2 * std::sin(1.0) - 1.0},
    {"tan(ch1/4)", Value, std::tan(0.75)},
    {"((1+2)*3)", Value, 9.0},
    {"2*(-3)", Value, -6.0},
    {".5+1.25", Value, 1.75},
    {" 2 * ( ch2 + 4 ) ", Value, 16.0},
    {"2+3=", Value, 5.0},
    {"(2)*3=", Value, 6.0},
    {"ch16-ch1", Value, 15.0},
    {"2(3)", Refused, 0},
    {"ch1ch2", Refused, 0},
    {"2*-3", Refused, 0},
    {"sin*2", Refused, 0},
    {"3+", Refused, 0},
    {"*2", Refused, 0},
    {"2.5.1", Refused, 0},
    {"2*.5", Refused, 0},
    {"ch0", Refused, 0},
    {"ch1.5", Refused, 0},
    {"(2)3", Refused, 0},
    {"2+3=4", Refused, 0},
    {"2+=", Refused, 0},
    {"=", Refused, 0},
    {"2#3", Refused, 0},
    {"", Refused, 0},
    {"sin", Refused, 0},
    {"exp(1)", Refused, 0},
    {"(2", Unbalanced, 0},
    {"2)", Unbalanced, 0},
    {"ch17+1", BadChannel, 0},
};

// Channel c holds 3 + c; one unit online (channels 0..15).
struct Inputs {
    Inputs() {
        for (int c = 0; c < 4096; ++c)
            current[c] = float(3 + c);
    }
    float current[4096];
    OnlineLayout layout = OnlineLayout::FromUnits({0}, false);
    float* columns[16] = {&current[0],  &current[1],  &current[2],  &current[3], &current[4],  &current[5],
                          &current[6],  &current[7],  &current[8],  &current[9], &current[10], &current[11],
                          &current[12], &current[13], &current[14], &current[15]};
};

} // namespace

TEST(Formula, TableOfTextsThroughBothEvaluators) {
    Inputs in;
    for (const FormulaCase& c : kCases) {
        SCOPED_TRACE(c.text);
        FormulaNode* list = reinterpret_cast<FormulaNode*>(1);
        const int parsed = ParseFormula(c.text, &list);
        EXPECT_EQ(parsed, c.outcome != Refused);
        if (!parsed) {
            EXPECT_EQ(list, nullptr);
        } else {
            int parens = 0;
            FormulaNode* result = EvaluateFormulaLive(list, nullptr, in.current, in.layout, parens);
            EXPECT_EQ(result != nullptr, c.outcome != BadChannel);
            if (c.outcome == Value) {
                EXPECT_EQ(parens, 0);
                EXPECT_NEAR(result->value, c.value, 1e-12);
                // The stored-run form: values by position in the channel list.
                FreeFormula(list);
                ASSERT_EQ(ParseFormula(c.text, &list), 1);
                parens = 0;
                result = EvaluateFormula(list, nullptr, in.columns, 0, in.layout, parens);
                ASSERT_NE(result, nullptr);
                EXPECT_NEAR(result->value, c.value, 1e-12);
            }
            if (c.outcome == Unbalanced) {
                EXPECT_NE(parens, 0);
            }
            FreeFormula(list);
        }
        FormulaProgram program;
        const FormulaProgram::Status status = program.Compile(c.text, in.layout);
        const FormulaProgram::Status expected[] = {
            FormulaProgram::Status::Ok, FormulaProgram::Status::BadText, FormulaProgram::Status::Unbalanced,
            FormulaProgram::Status::BadChannel};
        EXPECT_EQ(status, expected[c.outcome]);
        EXPECT_EQ(program.EvaluateLive(in.current), float(c.outcome == Value ? c.value : 0.0));
    }
}

TEST(Formula, NullArgumentsAndDisabledChannels) {
    FormulaNode* list = nullptr;
    EXPECT_EQ(ParseFormula(nullptr, &list), 0);
    EXPECT_EQ(ParseFormula("1", nullptr), 0);
    Inputs in;
    HalfChannelTable table;
    table.params[1].bEnabled = 0;
    FormulaProgram program;
    EXPECT_EQ(program.Compile("ch1+ch2", in.layout, &table), FormulaProgram::Status::BadChannel);
    EXPECT_EQ(program.Compile("ch1+ch3", in.layout, &table), FormulaProgram::Status::Ok);
}

TEST(Formula, MarkersAndNonFiniteResultsOverAChunk) {
    Inputs in;
    FormulaProgram modulus, root, quotient;
    ASSERT_TRUE(modulus.Compile("sqrt(ch1^(2)+ch2^(2))", in.layout) == FormulaProgram::Status::Ok);
    ASSERT_TRUE(root.Compile("sqrt(ch1-4)", in.layout) == FormulaProgram::Status::Ok);
    ASSERT_TRUE(quotient.Compile("1/(ch1-ch1)", in.layout) == FormulaProgram::Status::Ok);
    // Three chunks' worth, with markers on either input.
    const int n = 2 * FormulaProgram::kChunk + 5;
    std::vector<float> a(n), b(n), out(n);
    for (int k = 0; k < n; ++k) {
        a[k] = float(3 * (k % 7));
        b[k] = float(4 * (k % 7));
    }
    a[1024] = kNotBalanced;
    b[2048] = kNoValue;
    a[5] = kThirdMarker;
    const float* columns[] = {a.data(), b.data()};
    modulus.Evaluate(columns, n, out.data());
    for (int k = 0; k < n; ++k) {
        const bool marked = k == 1024 || k == 2048 || k == 5;
        ASSERT_EQ(out[k], marked ? kNoValue : float(5 * (k % 7))) << k;
    }
    root.Evaluate(columns, 8, out.data());
    EXPECT_EQ(out[0], 0.0f); // square root of -4
    EXPECT_EQ(out[2], float(std::sqrt(2.0)));
    quotient.Evaluate(columns, 2, out.data());
    EXPECT_EQ(out[1], 0.0f);
}

// Random texts of the language's tokens: whatever parses must give the same
// float through the node evaluator and the compiled program.
TEST(Formula, CompiledProgramMatchesTheEvaluatorOnRandomTexts) {
    const char* tokens[] = {"ch1", "ch2", "ch16", "2",   "0",   ".5",  "3.25", "+",    "-", "*", "/",  "^",
                            "(",   ")",   "sin",  "cos", "tan", "cot", "log",  "sqrt", " ", "=", "10", "7"};
    Inputs in;
    in.current[1] = -2.5f;
    std::mt19937 random(7411);
    int accepted = 0;
    for (int i = 0; i < 20000; ++i) {
        std::string text;
        const int length = 1 + int(random() % 9);
        for (int t = 0; t < length; ++t)
            text += tokens[random() % (sizeof tokens / sizeof *tokens)];
        SCOPED_TRACE(text);
        FormulaNode* list = nullptr;
        FormulaProgram program;
        const bool compiled = program.Compile(text.c_str(), in.layout) == FormulaProgram::Status::Ok;
        if (!ParseFormula(text.c_str(), &list)) {
            ASSERT_FALSE(compiled);
            continue;
        }
        int parens = 0;
        FormulaNode* result = EvaluateFormulaLive(list, nullptr, in.current, in.layout, parens);
        if (!result) { // a channel beyond the online ones
            FreeFormula(list);
            ASSERT_EQ(program.GetStatus(), FormulaProgram::Status::BadChannel);
            continue;
        }
        const bool valid = parens == 0;
        ASSERT_EQ(compiled, valid);
        const double value = valid ? result->value : 0.0;
        const float expected = std::isfinite(value) ? float(value) : 0.0f;
        const float got = program.EvaluateLive(in.current);
        ASSERT_EQ(std::memcmp(&got, &expected, 4), 0) << got << " vs " << expected;
        accepted += valid;
        FreeFormula(list);
    }
    EXPECT_GT(accepted, 1000) << "too few texts parsed to compare";
}
