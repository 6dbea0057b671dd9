// Instrument description file: item values and codes, level look-ups, and
// the fallbacks from a channel type's measure-specific lists to its own and
// then to the general lists.
#include <gtest/gtest.h>

#include "ChannelModelTestSupport.h"
#include "model/InstrumentIni.h"

namespace {

const char* const DESCRIPTION = R"([SampleFrequency]
FrequencyLevelCount=3
Frequency0=1,001
Frequency1=10,002
Frequency2=50,003
ParaCode1=12,x
DataRatio1=4
PackageRatio1=2
DataThrow1=7
[SampleChanParams]
FullValueCount=2
FullValue0=20000,001
FullValue1=5000,00x
[BridgeInputMode]
InputModeCount=2
InputMode0=方式1(120R),100
InputMode1=nocomma
[BridgeVoltage]
BridgeVoltageCount=2
BridgeVoltage0=2,002
BridgeVoltage1=5,005
[System]
MeasureSelCount=2
MeasureSel0=0
MeasureSel1=5
[ChannelType007]
ACQSubVersion=2
FullValueCount=1
FullValue0=1000,011
FullValueCount_Measure5=2
FullValue_Measure5_0=50,021
FullValue_Measure5_1=100,022
BridgeVoltageCount=2
BridgeVoltage0=1,031
BridgeVoltage1=10,032
BridgeVoltageCount_Measure0=1
BridgeVoltage_Measure0_0=,
MeasureSelCount=1
MeasureSel0=5
[ChannelType008]
MeasureSelCount=0
)";

class InstrumentIniTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_path = m_folder.File("QV7416.INI");
        WriteIniFile(m_path, DESCRIPTION);
        m_ini.SetFilePath(m_path);
    }

    ScratchFolder m_folder;
    std::string m_path;
    CInstrumentIni m_ini;
};

TEST_F(InstrumentIniTest, ItemTextNeedsACommaWhileBeforeCommaTakesAll) {
    const struct {
        const char* text;
        const char* before;
    } texts[] = {{"5,005", "5"}, {"nocomma", "nocomma"}, {",lead", ",lead"}, {"", ""}};
    for (const auto& t : texts) {
        EXPECT_EQ(CInstrumentIni::ReadValueBeforeComma(t.text), t.before) << t.text;
    }
    std::string out = "stale";
    EXPECT_EQ(m_ini.GetInputModeText(1, out), 1);
    EXPECT_EQ(out, "");
    EXPECT_EQ(m_ini.GetInputModeText(0, out), 1);
    EXPECT_EQ(out, "方式1(120R)");
    EXPECT_EQ(m_ini.GetInputModeText(5, out), 0);
}

TEST_F(InstrumentIniTest, CodesAreTheLastThreeCharacters) {
    EXPECT_EQ(m_ini.GetInputModeCode(0), 100);
    EXPECT_EQ(m_ini.GetFullValueCode(0), 1);
    EXPECT_EQ(m_ini.GetFullValueCode(1), 0); // "00x": atoi stops at the x
    EXPECT_EQ(m_ini.GetInputModeCode(1), 0); // "mma"
    EXPECT_EQ(m_ini.GetFullValueCode(9), 0); // empty
}

TEST_F(InstrumentIniTest, FrequencyLevels) {
    EXPECT_EQ(m_ini.GetFrequencyLevelCount(), 3);
    std::string text;
    EXPECT_EQ(m_ini.GetFrequencyText(1, text), 1);
    EXPECT_EQ(text, "10");
    EXPECT_EQ(m_ini.FindFrequencyLevel(50.0), 2);
    EXPECT_EQ(m_ini.FindFrequencyLevel(33.0), 0); // the same as a match at level 0
    EXPECT_EQ(m_ini.GetParaCode(1), 12);
    EXPECT_EQ(m_ini.GetDataRatio(1), 4);
    EXPECT_EQ(m_ini.GetPackageRatio(1), 2);
    EXPECT_EQ(m_ini.GetDataThrow(1), 7);
}

TEST_F(InstrumentIniTest, GeneralFullScaleAndBridgeVoltageLists) {
    EXPECT_EQ(m_ini.GetFullValueCount(), 2);
    EXPECT_FLOAT_EQ(m_ini.GetFullValue(1), 5000.0f);
    EXPECT_FLOAT_EQ(m_ini.GetFullValue(7), 0.0f);
    EXPECT_EQ(m_ini.FindFullValueIndex(5000.0), 1);
    EXPECT_EQ(m_ini.FindFullValueIndex(1.0), 0);
    EXPECT_EQ(m_ini.FindBridgeVoltageCode(5.0), 5);
    EXPECT_EQ(m_ini.FindBridgeVoltageCode(3.0), 0);
    EXPECT_EQ(m_ini.GetMeasureSelCount(), 2);
    EXPECT_EQ(m_ini.GetMeasureSel(1), 5);
}

TEST_F(InstrumentIniTest, TypeFullScaleFallsBackFromMeasureToTypeToGeneral) {
    const struct {
        int type, level, measure, count;
        float value;
        int code;
    } cases[] = {
        {7, 1, 5, 2, 100.0f, 22},                              // measure-specific list
        {7, 0, 0, 1, 1000.0f, 11},                             // no list for measure 0: the type's own
        {7, 0, -1, 1, 1000.0f, 11}, {8, 0, 5, 0, 20000.0f, 1}, // no type list: the general one
        {9, 1, -1, 0, 5000.0f, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.type << "/" << c.level << "/" << c.measure);
        EXPECT_EQ(m_ini.GetTypeFullValueCount(c.type, c.measure), c.count);
        EXPECT_FLOAT_EQ(m_ini.GetTypeFullValue(c.type, c.level, c.measure), c.value);
        EXPECT_EQ(m_ini.GetTypeFullValueCode(c.type, c.level, c.measure), c.code);
    }
}

TEST_F(InstrumentIniTest, TypeBridgeVoltages) {
    EXPECT_EQ(m_ini.GetTypeBridgeVoltageCount(7, 0), 1);
    EXPECT_EQ(m_ini.GetTypeBridgeVoltageCount(7, 5), 2);
    std::string text;
    m_ini.GetTypeBridgeVoltageText(7, 0, 0, text); // empty measure item: the type's own
    EXPECT_EQ(text, "1");
    m_ini.GetTypeBridgeVoltageText(7, 1, -1, text);
    EXPECT_EQ(text, "10");
    EXPECT_EQ(m_ini.FindTypeBridgeVoltageCode(7, -1, 10.0), 32);
    EXPECT_EQ(m_ini.FindTypeBridgeVoltageCode(7, 5, 1.0), 31);
    EXPECT_EQ(m_ini.FindTypeBridgeVoltageCode(7, -1, 3.0), 0);
}

TEST_F(InstrumentIniTest, TypeMeasureTypesAndSubVersion) {
    EXPECT_EQ(m_ini.GetTypeMeasureSelCount(7), 1);
    EXPECT_EQ(m_ini.GetTypeMeasureSel(7, 0), 5);
    EXPECT_TRUE(m_ini.MatchesSubVersion(7, 2));
    EXPECT_FALSE(m_ini.MatchesSubVersion(7, 1));
    EXPECT_TRUE(m_ini.MatchesSubVersion(8, 1)); // no ACQSubVersion: 1
}

TEST_F(InstrumentIniTest, MissingFileGivesDefaultsAndEditsShowAtTheNextCall) {
    CInstrumentIni none;
    none.SetFilePath(m_folder.File("absent.INI"));
    std::string text;
    EXPECT_EQ(none.GetFrequencyLevelCount(), 0);
    EXPECT_EQ(none.GetBridgeVoltageText(0, text), 0);
    EXPECT_TRUE(none.MatchesSubVersion(3, 1));

    std::ofstream(m_path, std::ios::binary) << "[SampleFrequency]\r\nFrequencyLevelCount=12\r\n";
    EXPECT_EQ(m_ini.GetFrequencyLevelCount(), 12);
}

} // namespace
