// Golden bytes of every command the network-case encoder builds.
#include "acquisition/CaseProtocol3.h"

#include "FakeChannelSource.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

class CaseProtocol3Test : public ::testing::Test {
protected:
    FakeChannelSource source;
    CCaseProtocol3 encoder{&source};

    Bytes Last(int length) const {
        const std::uint8_t* b = encoder.GetCommandBuffer();
        return Bytes(b, b + length);
    }
    Bytes Build(const std::function<int(CCaseProtocol3&)>& build) { return Last(build(encoder)); }
};

TEST_F(CaseProtocol3Test, FixedCommands) {
    const std::uint8_t f1[21] = {0xEE, 0xEE, 102, 103, 104, 105, 106, 107, 108, 109, 110,
                                 111,  112,  113, 114, 115, 116, 117, 118, 119, 120};
    const std::uint8_t f2[13] = {0xEE, 0xEE, 102, 103, 104, 105, 106, 107, 108, 109, 110, 111, 112};
    struct Case {
        const char* name;
        std::function<int(CCaseProtocol3&)> build;
        Bytes bytes;
    } cases[] = {
        {"sample param 1",
         [](auto& e) { return e.BuildSampleParamCmd(1); },
         {0x55, 0xAA, 0, 0, 0, 0, 0, 4, 0x10, 1, 0, 0, 0x15}},
        {"sample param 2",
         [](auto& e) { return e.BuildSampleParamCmd(2); },
         {0x55, 0xAA, 0, 0, 0, 0, 0, 4, 0x10, 1, 1, 0, 0x14}},
        {"sample param 3",
         [](auto& e) { return e.BuildSampleParamCmd(3); },
         {0x55, 0xAA, 0, 0, 0, 0, 0, 4, 0x10, 1, 1, 1, 0x15}},
        {"module on",
         [](auto& e) { return e.BuildModuleSwitchCmd(1); },
         {0x55, 0xAA, 0, 0, 0, 0, 0, 6, 3, 0xF0, 0, 0, 1, 0xF1, 0x05}},
        {"module off",
         [](auto& e) { return e.BuildModuleSwitchCmd(0); },
         {0x55, 0xAA, 0, 0, 0, 0, 0, 6, 3, 0xF0, 0, 0, 1, 0xF0, 0x04}},
        {"case info",
         [](auto& e) { return e.BuildCaseInfoRequest(); },
         {0x55, 0xAA, 0, 0, 0, 0, 0, 2, 2, 0x0B, 0x0B}},
        {"stop",
         [](auto& e) { return e.BuildSampleStopCmd(); },
         {0x55, 0xAA, 0, 0, 0, 0, 0, 2, 0x0B, 1, 0x08}},
        {"channel info",
         [](auto& e) { return e.BuildChannelInfoRequest(); },
         {0x55, 0xAA, 0, 0, 0, 0, 0, 2, 2, 3, 3}},
        {"module channel 37",
         [](auto& e) { return e.BuildModuleChannelCmd(37); },
         {0x55, 0xAA, 0, 0, 0, 0, 0, 5, 6, 3, 2, 5, 0, 0x07}},
        {"module channel wraps modules",
         [](auto& e) { return e.BuildModuleChannelCmd(128 + 37); },
         {0x55, 0xAA, 0, 0, 0, 0, 0, 5, 6, 3, 2, 5, 0, 0x07}},
        {"cmd 37", [](auto& e) { return e.BuildCmd37(2); }, {0x55, 0xAA, 0, 0, 0, 0, 0, 3, 6, 5, 2, 0x02}},
        {"F0", [](auto& e) { return e.BuildModuleCmdF0(); }, {0x55, 0xAA, 0, 0, 0, 0, 0, 2, 2, 0xF0, 0xF0}},
        {"F1 takes bytes 2..20",
         [&](auto& e) { return e.BuildModuleCmdF1(f1); },
         {0x55, 0xAA, 0,   0,   0,   0,   0,   0x15, 2,   0xF1, 102, 103, 104, 105, 106,
          107,  108,  109, 110, 111, 112, 113, 114,  115, 116,  117, 118, 119, 120, 0x9F}},
        {"F2 takes bytes 2..12",
         [&](auto& e) { return e.BuildModuleCmdF2(f2); },
         {0x55, 0xAA, 0,   0,   0,   0,   0,   0x0D, 2,   0xF2, 102,
          103,  104,  105, 106, 107, 108, 109, 110,  111, 112,  0x8C}},
        {"lead-wire request",
         [](auto& e) { return e.BuildLeadDataRequest(); },
         {0x55, 0xAA, 0, 0, 0, 0, 0, 2, 8, 0, 0x0A}},
        {"self-test request",
         [](auto& e) { return e.BuildSelfTestRequest(); },
         {0x55, 0xAA, 0, 0, 0, 0, 0, 2, 8, 5, 0x0F}},
        {"correction value high byte first",
         [](auto& e) { return e.BuildCorrectionCoefCmd(37, 7, 9, 0x01020304); },
         {0x55, 0xAA, 0, 0, 0, 0, 0, 0x0B, 2, 2, 2, 5, 1, 7, 9, 1, 2, 3, 4, 0x07}},
        {"correction of a second-case channel carries its place in the case",
         [](auto& e) { return e.BuildCorrectionCoefCmd(128 + 37, 7, 9, 0x01020304); },
         {0x55, 0xAA, 0, 0, 0, 0, 0, 0x0B, 2, 2, 2, 5, 1, 7, 9, 1, 2, 3, 4, 0x07}},
        {"channel setting of level 0",
         [](auto& e) { return e.BuildChannelSettingCmd(0); },
         {0x55, 0xAA, 0, 0, 0, 0, 0, 9, 8, 3, 0, 0, 0x12, 0x12, 0, 3, 4, 0x05}},
    };
    for (auto& c : cases)
        EXPECT_EQ(Build(c.build), c.bytes) << c.name;
}

TEST_F(CaseProtocol3Test, CommandsItDoesNotSupplyHaveLengthZero) {
    CCaseProtocol& e = encoder;
    EXPECT_EQ(e.BuildSampleParamCmd(0), 0);
    EXPECT_EQ(e.BuildSampleParamCmd(4), 0);
    const int lengths[] = {e.BuildCmd1(0, 0, 0),
                           e.BuildCmd2(0),
                           e.BuildCmd3(0),
                           e.BuildCmd4(0),
                           e.BuildPackedCmd5(0, 0, 0, 0, "a", "b"),
                           e.BuildPackedCmd6(0, 0, 0, 0),
                           e.BuildPackedCmd7(0, 0, 0, 0),
                           e.BuildCmd8(0),
                           e.ReservedSlot9(),
                           e.BuildCmd10(0),
                           e.BuildReadDataCmd(0),
                           e.BuildFindCaseCmd(0),
                           e.BuildCmd13(0),
                           e.BuildMeasureCmd(0),
                           e.BuildCmd15(0),
                           e.BuildSingleChannelCmdA(0, 0),
                           e.BuildSingleChannelReadCmd(0, 0),
                           e.BuildSingleChannelCmdB(0, 0),
                           e.BuildCmd19(0),
                           e.BuildCmd20(0),
                           e.BuildChannelSetupCmd(0),
                           e.BuildChannelPrepareCmd(0),
                           e.BuildMeasureCmdAgain(0),
                           e.BuildCmd24(0),
                           e.BuildSetupBroadcastCmd(0),
                           e.BuildCmd26(0),
                           e.BuildCmd27(0),
                           e.BuildCmd28(0)};
    for (int length : lengths)
        EXPECT_EQ(length, 0);
}

TEST_F(CaseProtocol3Test, OneChannelParameters) {
    CaseChannelSettings strain;
    strain.nMeasureType = 0;
    strain.nBridgeType = 1; // input code 2
    strain.fGaugeResistance = 350.0f;
    source.settings[37] = strain;
    EXPECT_EQ(Build([](auto& e) { return e.BuildChannelParamCmd(37); }),
              (Bytes{0x55, 0xAA, 0,  0, 0, 0, 0,  0x12, 3,  1, 2,    5, 1,   6,
                     0,    4,    15, 2, 5, 3, 12, 1,    14, 1, 0x90, 2, 0x8F}));

    strain.fGaugeResistance = 120.0f;
    source.settings[37] = strain;
    const Bytes low = Build([](auto& e) { return e.BuildChannelParamCmd(37); });
    ASSERT_EQ(low.size(), 27u);
    EXPECT_EQ(low[24], 0x90);
    EXPECT_EQ(low[25], 1);

    CaseChannelSettings voltage;
    voltage.nMeasureType = 5; // input code of index 6
    source.settings[37] = voltage;
    EXPECT_EQ(
        Build([](auto& e) { return e.BuildChannelParamCmd(37); }),
        (Bytes{0x55, 0xAA, 0, 0, 0, 0, 0, 0x10, 3, 1, 2, 5, 1, 5, 0, 4, 15, 7, 5, 3, 12, 1, 14, 1, 0x19}));

    source.typeFullCount = 1; // type-specific full scale
    EXPECT_EQ(Build([](auto& e) { return e.BuildChannelParamCmd(37); }),
              (Bytes{0x55, 0xAA, 0, 0, 0, 0, 0, 0x0A, 3, 1, 2, 5, 1, 2, 2, 1, 0, 9, 0x06}));
    source.subVersionMatches = false;
    EXPECT_EQ(encoder.BuildChannelParamCmd(37), 25)
        << "a sub-version that does not match is not type-specific";
}

TEST_F(CaseProtocol3Test, CoefficientWindows) {
    struct Case {
        float full, bridge, current;
        float wantFull, wantBridge, wantCurrent;
    } cases[] = {
        {1.6f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f},   {1.5f, 1.2f, 0.8f, 1.5f, 1.2f, 0.8f},
        {0.5f, 0.79f, 1.21f, 0.5f, 1.0f, 1.0f}, {-1.2f, -0.9f, 0.0f, -1.2f, -0.9f, 1.0f},
        {0.49f, 1.1f, 1.1f, 1.0f, 1.1f, 1.1f},
    };
    for (auto& c : cases) {
        source.fullCoef = c.full;
        source.bridgeCoef = c.bridge;
        source.currentCoef = c.current;
        encoder.ComputeChannelCoefs(5);
        EXPECT_EQ(source.stored[5].full, c.wantFull) << c.full;
        EXPECT_EQ(source.stored[5].bridge, c.wantBridge) << c.bridge;
        EXPECT_EQ(source.stored[5].current, c.wantCurrent) << c.current;
        EXPECT_FLOAT_EQ(encoder.GetChannelCoef(5, 0, true, true), c.wantFull * c.wantBridge * c.wantCurrent);
        EXPECT_FLOAT_EQ(encoder.GetChannelCoef(5, 0, false, false), c.wantFull);
    }
}

TEST_F(CaseProtocol3Test, ManyChannelsGroupedByModuleInOrderOfFirstAppearance) {
    source.defaultSettings.fGaugeResistance = 350.0f;
    const int length = encoder.BuildChannelParamsCmd({3, 20, 5}, 1);
    const Bytes frame = Last(length);
    const Bytes item3{3, 6, 0, 4, 15, 1, 5, 3, 12, 1, 14, 1, 0x90, 2};
    Bytes payload{3, 14, 2, 0, 2};
    payload.insert(payload.end(), item3.begin(), item3.end());
    Bytes item5 = item3;
    item5[0] = 5;
    payload.insert(payload.end(), item5.begin(), item5.end());
    payload.insert(payload.end(), {1, 1});
    Bytes item20 = item3;
    item20[0] = 4;
    payload.insert(payload.end(), item20.begin(), item20.end());
    ASSERT_EQ(length, static_cast<int>(payload.size()) + 9);
    EXPECT_EQ(Bytes(frame.begin() + 8, frame.end() - 1), payload);
    EXPECT_EQ(frame[5], 0);
    EXPECT_EQ(frame[7], payload.size());
    EXPECT_EQ(source.stored.count(128 + 20), 1u) << "coefficients are stored per channel of the case";

    EXPECT_EQ(encoder.BuildChannelParamsCmd({}, 0), 0);
    EXPECT_EQ(encoder.BuildChannelParamsCmd({-1, 128, 500}, 0), 0) << "no channel of one case";

    std::vector<int> all(128);
    for (int i = 0; i < 128; ++i)
        all[i] = i;
    EXPECT_EQ(encoder.BuildChannelParamsCmd(all, 0), 1811 + 9);
    EXPECT_EQ(encoder.GetCommandBuffer()[5], 1811 >> 8);
    EXPECT_EQ(encoder.GetCommandBuffer()[7], 1811 & 0xFF);
}

TEST_F(CaseProtocol3Test, InputModeOverridesOfTheManyChannelItem) {
    CaseChannelSettings voltage;
    voltage.nMeasureType = 5;
    voltage.nInputFlag = 1;
    source.settings[0] = voltage;
    auto inputCode = [&] {
        encoder.BuildChannelParamsCmd({0}, 0);
        return encoder.GetCommandBuffer()[8 + 5 + 5]; // header, 3 + 2 bytes, then item byte 5
    };
    EXPECT_EQ(inputCode(), 7);
    source.gndInput = true;
    EXPECT_EQ(inputCode(), 1);

    source.settings.clear(); // strain, bridge type 0: code 1 anyway; use type 2
    source.defaultSettings.nBridgeType = 2;
    EXPECT_EQ(inputCode(), 3);
    encoder.SetCommandMode(4);
    EXPECT_EQ(inputCode(), 1);
}

TEST_F(CaseProtocol3Test, EachThreadBuildsIntoItsOwnBuffer) {
    ASSERT_EQ(encoder.BuildCaseInfoRequest(), 11);
    const Bytes mine = Last(11);
    std::thread other([&] { encoder.BuildSampleStopCmd(); });
    other.join();
    EXPECT_EQ(Last(11), mine);
}

} // namespace
