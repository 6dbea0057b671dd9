// Channel and module texts, their parsers and the channel-kind tests.
#include "model/ChannelNaming.h"

#include <gtest/gtest.h>

namespace {

TEST(ChannelNamingTest, FormatsChannelsAndModules) {
    struct Case {
        int channel;
        const char *text, *file, *module;
    } cases[] = {
        {0, "01-01-01", "01_01_01", "01-01"},
        {163, "02-03-04", "02_03_04", "02-03"},
        {4095, "32-08-16", "32_08_16", "32-08"},
        {-1, "无", "无", "无"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.text, FormatChannelName(c.channel));
        EXPECT_EQ(c.file, FormatChannelNameForFile(c.channel));
        EXPECT_EQ(c.module, FormatModuleName(c.channel < 0 ? -1 : GetModuleOfChannel(c.channel)));
        if (c.channel >= 0) {
            EXPECT_EQ(c.channel, ParseChannelName(c.text));
        }
    }
    EXPECT_EQ("01-05-01", FormatChannelNameEx(64, 8));
    EXPECT_EQ("02-01-01", FormatChannelNameEx(64, 4));
}

TEST(ChannelNamingTest, ParsersReadMalformedTextsAsTheyCome) {
    struct Case {
        const char* text;
        int channel;
    } cases[] = {
        {"01-01", -1}, // one dash
        {"", -1},
        {"aa-bb-cc", ((0 - 1) * 8 - 1) * 16 - 1}, // digits are not checked
        {"02-03-04xyz", 163},
        {"2-3-4", 163},
        {"99999999999999999999-01-01", -1}, // far outside int: malformed, not wrapped
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.channel, ParseChannelName(c.text)) << c.text;
    EXPECT_EQ(-1, ParseModuleName("0203"));
    EXPECT_EQ(10, ParseModuleName("02-03"));
    EXPECT_EQ(6, ParseModuleName("02-03", 4));
}

TEST(ChannelNamingTest, ChannelKindsAndSizes) {
    struct Case {
        int n;
        bool isVirtual, isDigital;
    } cases[] = {{4095, false, false}, {4096, true, false}, {4223, true, false},
                 {4224, false, true},  {4231, false, true}, {4232, false, false}};
    for (const Case& c : cases) {
        EXPECT_EQ(c.isVirtual, IsVirtualChannel(c.n)) << c.n;
        EXPECT_EQ(c.isDigital, IsDigitalChannel(c.n)) << c.n;
    }
    EXPECT_EQ(32, GetChannelsPerCaseVersion(4));
    EXPECT_EQ(16, GetChannelsPerCaseVersion(3));
}

} // namespace
