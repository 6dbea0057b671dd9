// The settings file that ships with the program: every list it describes is
// complete, and the values the channel model relies on are there.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "ChannelModelTestSupport.h"
#include "model/InstrumentIni.h"

namespace {

std::string ShippedSettingsPath() {
    return (std::filesystem::path(QV_SOURCE_DIR) / "data/QV7416.INI").string();
}

class DefaultSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_path = ShippedSettingsPath();
        m_ini.SetFilePath(m_path);
    }
    std::string m_path;
    CInstrumentIni m_ini;
};

TEST_F(DefaultSettingsTest, FileIsGbkWithCrlfLinesAndACommentFirst) {
    std::ifstream in(m_path, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(bytes[0], ';');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << "line feed without carriage return at " << i;
        }
    }
    EXPECT_EQ(platform::Utf8ToGbk(platform::GbkToUtf8(bytes)), bytes);
    EXPECT_NE(platform::GbkToUtf8(bytes).find("方式1(120R)"), std::string::npos);
}

TEST_F(DefaultSettingsTest, EveryListedItemHasAValueAndACode) {
    std::string text;
    ASSERT_GT(m_ini.GetFrequencyLevelCount(), 0);
    for (int i = 0; i < m_ini.GetFrequencyLevelCount(); ++i) {
        EXPECT_EQ(m_ini.GetFrequencyText(i, text), 1);
        EXPECT_GT(std::atof(text.c_str()), 0.0) << i;
        EXPECT_EQ(m_ini.FindFrequencyLevel(std::atof(text.c_str())), i);
        EXPECT_GT(m_ini.GetParaCode(i), 0);
        EXPECT_GT(m_ini.GetDataRatio(i), 0);
    }
    ASSERT_GT(m_ini.GetFullValueCount(), 2); // strain channels take level 2
    for (int i = 0; i < m_ini.GetFullValueCount(); ++i) {
        EXPECT_GT(m_ini.GetFullValue(i), 0.0f) << i;
        EXPECT_GT(m_ini.GetFullValueCode(i), 0) << i;
    }
    EXPECT_EQ(m_ini.GetFullValue(2), 20.0f); // the factory full scale of a strain channel
    ASSERT_GT(m_ini.GetInputModeCount(), 7); // bridge sensors use modes 4, 6 and 7
    for (int i = 0; i < m_ini.GetInputModeCount(); ++i) {
        EXPECT_EQ(m_ini.GetInputModeText(i, text), 1);
        EXPECT_FALSE(text.empty()) << i;
    }
    ASSERT_GT(m_ini.GetBridgeVoltageCount(), 0);
    EXPECT_NE(m_ini.FindBridgeVoltageCode(2.0), 0); // the factory bridge voltage
    ASSERT_EQ(m_ini.GetMeasureSelCount(), 7);
    for (int type : {1, 2}) {
        EXPECT_TRUE(m_ini.MatchesSubVersion(type, 1));
        EXPECT_GT(m_ini.GetTypeMeasureSelCount(type), 0);
        EXPECT_GT(m_ini.GetTypeFullValueCount(type, m_ini.GetTypeMeasureSel(type, 0)), 0);
    }
}

TEST_F(DefaultSettingsTest, StartUpSettingsAreThere) {
    EXPECT_EQ(platform::GetPrivateProfileInt("System", "ADBASE", 0, m_path), 20000);
    EXPECT_EQ(platform::GetPrivateProfileInt("System", "RefrenceChanOffset", 0, m_path), -1);
    EXPECT_EQ(platform::GetPrivateProfileString("System", "SlaveCase511", "missing", m_path), "0");
    EXPECT_EQ(platform::GetPrivateProfileString("System", "SlaveCase512", "missing", m_path), "missing");
    EXPECT_EQ(platform::GetPrivateProfileString("Calibration", "ErrorPercent", "", m_path), "0.05");
}

} // namespace
