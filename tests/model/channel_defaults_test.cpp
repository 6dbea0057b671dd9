// Channel defaults and the hardware-configuration correction against a
// description file, with channel types given by a test source.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <vector>

#include "ChannelModelTestSupport.h"
#include "model/ChannelDefaults.h"
#include "model/ChannelTypeSource.h"
#include "platform/MessageBox.h"

namespace {

// Channel types by channel id; every other channel has type 0, sub-version 1.
class FakeTypeSource : public IChannelTypeSource {
public:
    int GetAcqChannelTypeID(int channel) override { return types.count(channel) ? types[channel] : 0; }
    int GetChannelSubVersion(int channel) override { return 1; }
    std::map<int, int> types;
};

std::string Unit(int id) {
    return platform::GbkToUtf8(g_ChannelParams[id].szUnit);
}

const char* const DESCRIPTION = R"([SampleChanParams]
FullValueCount=4
FullValue0=1000,001
FullValue1=2000,002
FullValue2=20000,003
FullValue3=50000,004
[BridgeVoltage]
BridgeVoltageCount=0
BridgeVoltage0=10,010
[ChannelType005]
FullValueCount_Measure5=2
FullValue_Measure5_0=100,021
FullValue_Measure5_1=500,022
MeasureSelCount=1
MeasureSel0=5
[ChannelType006]
ACQSubVersion=3
FullValueCount=1
FullValue0=7,031
)";

class ChannelDefaultsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetChannelModel();
        SetChannelTypeSource(&m_types);
        m_path = m_folder.File("QV7416.INI");
        WriteIniFile(m_path, DESCRIPTION);
    }
    void TearDown() override { SetChannelTypeSource(nullptr); }

    // Runs the correction over case 0 and returns the messages it showed.
    std::vector<std::string> Correct(const std::string& path) {
        std::vector<std::string> messages;
        CHardwareParamCorrect correct(g_ChannelParams, g_ChannelState, path, 3);
        correct.SetMessageReporter([&](const std::string& text) { messages.push_back(text); });
        correct.CorrectAllChannels();
        correct.CorrectAllChannels();
        return messages;
    }

    FakeTypeSource m_types;
    ScratchFolder m_folder;
    std::string m_path;
};

TEST_F(ChannelDefaultsTest, ResetGivesFactoryRecords) {
    const ChannelParamRecord& p = g_ChannelParams[11];
    EXPECT_EQ(p.nChannelId, 11);
    EXPECT_EQ(Unit(11), "με");
    EXPECT_EQ(platform::GbkToUtf8(p.szDescription), "描述12");
    EXPECT_EQ(p.bShown, 1);
    EXPECT_EQ(p.fReserved56, 10000.0f);
    EXPECT_EQ(p.nBridgeVoltage, 2);
    EXPECT_EQ(p.nBridgeType, 2);
    EXPECT_FLOAT_EQ(p.fPoissonRatio, 0.28f);
    EXPECT_FLOAT_EQ(p.fSensitivity, 0.001f); // 1 / (bridge factor 1 x 1000)
    EXPECT_FLOAT_EQ(p.fScaleDivisor, 0.001f);
    const ChannelStateRecord& s = g_ChannelState[11];
    EXPECT_EQ(s.fFullScale, 20.0f);
    EXPECT_EQ(s.nCompChannel, -1);
    EXPECT_EQ(s.fScale, 1.0f); // until the next recomputation
    std::uint32_t bits;
    std::memcpy(&bits, &s.fStrainFactor, sizeof(bits));
    EXPECT_EQ(bits, 0x41055555u);
    EXPECT_EQ(g_AlarmTable[11].nChannelId, 11);
    EXPECT_EQ(g_AlarmTable[11].bEnabled, 0);
}

TEST_F(ChannelDefaultsTest, MeasureTypeDefaults) {
    const struct {
        int type;
        const char* unit;
        float sensitivity;
        int compChannel;
        float coefficient;
    } cases[] = {
        {0, "με", 0.001f, -1, 3.0f}, {1, "με", 0.001f, -1, 1.0f},  {2, "℃", 0.001f, 9, 1.0f},
        {3, "℃", 0.001f, -1, 1.0f},  {4, "RPM", 0.001f, -1, 1.0f}, {5, "mV", 1.0f, -1, 1.0f},
        {6, "Ω", 1.0f, -1, 1.0f},    {20, "Ω", 0.001f, -1, 1.0f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        ResetChannelRecords();
        g_ChannelState[1].nCompChannel = 9;
        g_ChannelParams[1].fCoefficient = 3.0f;
        ApplyMeasureTypeDefaults(c.type, 1);
        EXPECT_EQ(Unit(1), c.unit);
        EXPECT_FLOAT_EQ(g_ChannelParams[1].fSensitivity, c.sensitivity);
        EXPECT_EQ(g_ChannelState[1].nCompChannel, c.compChannel);
        EXPECT_EQ(g_ChannelParams[1].fCoefficient, c.coefficient);
    }
    EXPECT_EQ(g_ChannelState[1].fFullScale, 500.0f);
    EXPECT_EQ(g_ChannelState[1].nFullScaleLevel, 1);
}

TEST_F(ChannelDefaultsTest, NothingIsCorrectedWithoutOnlineCasesOrWithoutFile) {
    g_ChannelState[0].fFullScale = 1.5f;
    EXPECT_TRUE(Correct(m_path).empty());
    EXPECT_EQ(g_ChannelState[0].fFullScale, 1.5f);

    SetOnlineCases({0});
    const std::vector<std::string> messages = Correct("");
    ASSERT_EQ(messages.size(), 1u); // once, not at every correction
    EXPECT_EQ(messages[0], "未查找到硬件配置文件，不能进行参数的正确性修正！");
    EXPECT_EQ(g_ChannelState[0].fFullScale, 1.5f);
}

TEST_F(ChannelDefaultsTest, MissingFileMessageIsAnApplicationMessageBox) {
    platform::MessageBoxRecorder recorder;
    SetOnlineCases({0});
    CHardwareParamCorrect(g_ChannelParams, g_ChannelState, "", 3).CorrectAllChannels();
    const auto records = recorder.Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].text, CHardwareParamCorrect::MSG_NO_DESCRIPTION_FILE);
    EXPECT_EQ(records[0].caption, "QV7416准静态应变测试采集系统");
    EXPECT_EQ(records[0].flags & platform::MB_ICONMASK, platform::MB_ICONEXCLAMATION);
}

TEST_F(ChannelDefaultsTest, ChannelsWithoutTypeSectionTakeTheGeneralRanges) {
    SetOnlineCases({0});
    const struct {
        int type, level, displayType;
        int wantLevel;
        float wantFullScale;
        const char* wantUnit;
    } cases[] = {
        {0, 0, 0, 2, 20000.0f, "με"},                              // strain always at level 2
        {0, 3, 1, 2, 20000.0f, "MPa"},                             // strain shown as stress
        {5, 3, 0, 0, 1000.0f, "mV"},                               // voltage at level 2 or above falls back
        {5, 1, 0, 1, 2000.0f, "mV"},   {6, 7, 0, 0, 1000.0f, "Ω"}, // level past the list
        {20, 3, 0, 1, 500.0f, "Ω"},
    };
    for (int i = 0; i < 6; ++i) {
        g_ChannelParams[i].nMeasureType = cases[i].type;
        g_ChannelParams[i].nDisplayType = cases[i].displayType;
        g_ChannelState[i].nFullScaleLevel = cases[i].level;
    }
    Correct(m_path);
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(g_ChannelState[i].nFullScaleLevel, cases[i].wantLevel);
        EXPECT_EQ(g_ChannelState[i].fFullScale, cases[i].wantFullScale);
        EXPECT_EQ(Unit(i), cases[i].wantUnit);
        EXPECT_EQ(g_ChannelParams[i].nBridgeVoltage, 10); // no bridge-voltage list: BridgeVoltage0
    }
}

TEST_F(ChannelDefaultsTest, TypeSectionDecidesRangeAndAllowedType) {
    SetOnlineCases({0});
    m_types.types = {{0, 5}, {1, 5}, {2, 6}};
    g_ChannelParams[0].nMeasureType = 5;
    g_ChannelState[0].nFullScaleLevel = 1;
    g_ChannelParams[1].nMeasureType = 6; // no list for type 6 in section 5
    g_ChannelState[1].nFullScaleLevel = 3;
    g_ChannelState[2].nFullScaleLevel = 0; // section 6 is for sub-version 3 only
    Correct(m_path);
    EXPECT_EQ(g_ChannelState[0].fFullScale, 500.0f);
    EXPECT_EQ(g_ChannelState[0].nFullScaleLevel, 1);
    EXPECT_EQ(g_ChannelParams[1].nMeasureType, 6); // section 5 has no range for it: general rule
    EXPECT_EQ(g_ChannelState[1].fFullScale, 50000.0f);
    EXPECT_EQ(g_ChannelState[2].fFullScale, 20000.0f);
    EXPECT_EQ(g_ChannelState[2].nFullScaleLevel, 2);
}

TEST_F(ChannelDefaultsTest, TypeNotOfferedByTheHardwareBecomesTheFirstOffered) {
    WriteIniFile(m_path, "[ChannelType005]\nFullValueCount=2\nFullValue0=100,021\nFullValue1=500,022\n"
                         "MeasureSelCount=1\nMeasureSel0=5\n[BridgeVoltage]\nBridgeVoltageCount=2\n");
    SetOnlineCases({0});
    m_types.types = {{4, 5}};
    g_ChannelParams[4].nMeasureType = 0;
    g_ChannelParams[4].fCoefficient = 2.0f;
    g_ChannelParams[4].nBridgeVoltage = 5;
    g_ChannelState[4].nFullScaleLevel = 9;
    Correct(m_path);
    EXPECT_EQ(g_ChannelParams[4].nMeasureType, 5);
    EXPECT_EQ(Unit(4), "mV");
    EXPECT_EQ(g_ChannelParams[4].fCoefficient, 1.0f);
    EXPECT_EQ(g_ChannelState[4].nFullScaleLevel, 0);
    EXPECT_EQ(g_ChannelState[4].fFullScale, 100.0f);
    EXPECT_EQ(g_ChannelParams[4].nBridgeVoltage, 5);  // a bridge-voltage list leaves it alone
    EXPECT_EQ(g_ChannelState[0].fFullScale, 5000.0f); // no ranges at all
}

} // namespace
