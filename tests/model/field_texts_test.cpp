// The settings dialogs' field checks: what passes as an address, a port, a
// whole number and a positive coefficient, and what is refused.
#include "model/FieldTexts.h"

#include <gtest/gtest.h>

namespace {

TEST(FieldTexts, AddressesAreFourOctetsOf0To255) {
    const struct {
        const char* text;
        bool valid;
    } cases[] = {
        {"192.168.1.30", true},
        {"0.0.0.0", true},
        {"255.255.255.255", true},
        {"192.168.1.300", false},
        {"999.1.1.1", false},
        {"abc", false},
        {"", false},
        {"1.2.3", false},
        {"1.2.3.4.5", false},
        {"1..2.3", false},
        {"1.2.3.", false},
        {" 1.2.3.4", false},
        {"1.2.3.4 ", false},
        {"01.2.3.4", false},
        {"1.2.3.-4", false},
        {"1.2.3.+4", false},
        {"1.2.3.0x4", false},
        {"1.2.3.4294967297", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsIPv4Text(c.text), c.valid) << '"' << c.text << '"';
}

TEST(FieldTexts, PortsWholeNumbersAndCoefficients) {
    int port = -1;
    EXPECT_TRUE(ParsePortText("1", port));
    EXPECT_EQ(port, 1);
    EXPECT_TRUE(ParsePortText("65535", port));
    EXPECT_EQ(port, 65535);
    for (const char* refused : {"0", "65536", "70000", "abc", "", "-1", "80 ", "99999999999999999999999"})
        EXPECT_FALSE(ParsePortText(refused, port)) << refused;
    EXPECT_EQ(port, 65535) << "a refused text leaves the value";

    long long n = 0;
    EXPECT_TRUE(ParseWholeNumberText("0100", 100, n));
    EXPECT_EQ(n, 100);
    EXPECT_FALSE(ParseWholeNumberText("101", 100, n));
    EXPECT_FALSE(ParseWholeNumberText("1a", 100, n));

    float coef = 0.0f;
    EXPECT_TRUE(ParsePositiveNumberText(" 1.25 ", coef));
    EXPECT_FLOAT_EQ(coef, 1.25f);
    EXPECT_TRUE(ParsePositiveNumberText("2e-3", coef));
    EXPECT_FLOAT_EQ(coef, 0.002f);
    for (const char* refused :
         {"abc", "0", "0.0", "-1.5", "", "  ", "inf", "nan", "1e39", "1e-50", "0x10", "1.5x", "1,5"})
        EXPECT_FALSE(ParsePositiveNumberText(refused, coef)) << refused;
}

} // namespace
