// Coefficient lists of the instrument description file and the writing of
// marked rows to the channel's case.
#include <gtest/gtest.h>

#include "acquisition/CoefficientWrite.h"
#include "acquisition/CommBase.h"
#include "model/ChannelModelTestSupport.h"
#include "model/InstrumentIni.h"
#include "platform/Profile.h"
#include "platform/Text.h"

#include <bit>

namespace {

TEST(CoefficientItem, ParsesNameAndCode) {
    struct Case {
        const char* value;
        bool requireEquals;
        bool ok;
        const char* name;
        int code;
    } cases[] = {
        {"5000,±5V=001", true, true, "5000", 1}, {"10,10V=010", false, true, "10", 10},
        {"500,±500mV,002", true, false, "", 0}, // a range needs its "="
        {"2,002", false, true, "2", 2},         // a voltage reads the whole rest
        {"2,a=b=7", true, true, "2", 0},        // after the first "=" only
        {"nocomma=3", false, false, "", 0},      {"", false, false, "", 0},
    };
    for (const Case& c : cases) {
        CoefficientEntry entry;
        EXPECT_EQ(ParseCoefficientItem(c.value, c.requireEquals, entry), c.ok) << c.value;
        if (c.ok) {
            EXPECT_EQ(entry.strName, c.name) << c.value;
            EXPECT_EQ(entry.nCode, c.code) << c.value;
        }
    }
}

// The shipped description file gives every range and voltage item the same
// code whether it is read by its last three digits or after its "=".
TEST(CoefficientItem, ShippedItemsAgreeWithTheCodeReader) {
    const std::string file = std::string(QV_SOURCE_DIR) + "/data/QV7416.INI";
    const struct {
        const char* section;
        const char* countKey;
        const char* itemFormat;
    } lists[] = {{"SampleChanParams", "FullValueCount", "FullValue%d"},
                 {"BridgeVoltage", "BridgeVoltageCount", "BridgeVoltage%d"},
                 {"ChannelType001", "FullValueCount", "FullValue%d"},
                 {"ChannelType001", "BridgeVoltageCount", "BridgeVoltage%d"},
                 {"ChannelType002", "FullValueCount", "FullValue%d"}};
    int items = 0;
    for (const auto& list : lists) {
        const int count = platform::GetPrivateProfileInt(list.section, list.countKey, 0, file);
        for (int i = 0; i < count; ++i, ++items) {
            const std::string key = platform::Format(list.itemFormat, i);
            char value[128];
            platform::GetPrivateProfileString(list.section, key, "", value, sizeof value, file);
            CoefficientEntry entry;
            ASSERT_TRUE(ParseCoefficientItem(value, true, entry)) << list.section << " " << key;
            EXPECT_EQ(entry.nCode, CInstrumentIni::ReadValueCode(list.section, key, file))
                << list.section << " " << key;
        }
    }
    EXPECT_GT(items, 0);
}

class FakeCoefficientSource : public ICoefficientSource {
public:
    int type = 7;
    int subVersion = 2;
    int GetAcqChannelTypeID(int) override { return type; }
    int GetChannelSubVersion(int) override { return subVersion; }
    float GetChannelFullCoief(int channel, int code) override { return float(channel) + code / 100.0f; }
    float GetChannelBrdgeVltCoief(int, int code) override { return 1.0f + code / 1000.0f; }
    float GetChannelCurrentPulsCoief(int, int index) override { return index == 1 ? 0.95f : 0.0f; }
};

const char* const kDescription = "[SampleChanParams]\r\n"
                                 "FullValueCount=2\r\n"
                                 "FullValue0=5000,a=001\r\n"
                                 "FullValue1=500,b=002\r\n"
                                 "[BridgeVoltage]\r\n"
                                 "BridgeVoltageCount=1\r\n"
                                 "BridgeVoltage0=2,2V=002\r\n"
                                 "[ChannelType007]\r\n"
                                 "ACQSubVersion=2\r\n"
                                 "FullValueCount=3\r\n"
                                 "FullValue0=50,x=021\r\n"
                                 "FullValue1=100,no code\r\n"
                                 "FullValue2=200,y=023\r\n"
                                 "BridgeVoltageCount=3\r\n"
                                 "BridgeVoltage0=1,031\r\n"
                                 "BridgeVoltage1=nocomma\r\n"
                                 "BridgeVoltage2=10,10V=032\r\n"
                                 "[ChannelType009]\r\n"
                                 "ACQSubVersion=1\r\n"
                                 "FullValueCount=0\r\n"
                                 "BridgeVoltageCount=0\r\n";

class CoefficientListTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_file = m_folder.File("QV7416.INI");
        WriteIniFile(m_file, kDescription);
    }
    static std::vector<int> Codes(const std::vector<CoefficientEntry>& list) {
        std::vector<int> codes;
        for (const CoefficientEntry& e : list)
            codes.push_back(e.nCode);
        return codes;
    }
    ScratchFolder m_folder;
    std::string m_file;
    FakeCoefficientSource m_source;
    ChannelCoefficients m_lists;
};

TEST_F(CoefficientListTest, TypeSectionListsWithTheHardwareCoefficients) {
    RefreshChannelCoefficients(m_file, 165, m_source, m_lists);
    EXPECT_EQ(Codes(m_lists.full), (std::vector<int>{21, 23})) << "an item without '=' is left out";
    EXPECT_FLOAT_EQ(m_lists.full[1].fCoef, 165.23f);
    EXPECT_EQ(Codes(m_lists.bridge), (std::vector<int>{31, 32})) << "a voltage without '=' keeps its code";
    EXPECT_EQ(m_lists.nBridgeCount, 3);
    EXPECT_EQ(m_lists.BridgeRows(), 2) << "never more rows than entries";
    EXPECT_FLOAT_EQ(m_lists.bridge[1].fCoef, 1.032f);
    EXPECT_FLOAT_EQ(m_lists.current.fCoef, 0.95f);
}

TEST_F(CoefficientListTest, OtherSubVersionUsesTheGeneralLists) {
    m_source.subVersion = 1;
    RefreshChannelCoefficients(m_file, 3, m_source, m_lists);
    EXPECT_EQ(Codes(m_lists.full), (std::vector<int>{1, 2}));
    EXPECT_EQ(Codes(m_lists.bridge), (std::vector<int>{2}));
}

TEST_F(CoefficientListTest, EmptyListsKeepRangesAndShowNoVoltages) {
    m_source.subVersion = 1;
    RefreshChannelCoefficients(m_file, 3, m_source, m_lists);
    // A type whose own counts are 0 falls back to the general lists.
    m_source.type = 9;
    RefreshChannelCoefficients(m_file, 3, m_source, m_lists);
    EXPECT_EQ(Codes(m_lists.full), (std::vector<int>{1, 2}));
    WriteIniFile(m_file, "[SampleChanParams]\r\nFullValueCount=0\r\n");
    RefreshChannelCoefficients(m_file, 3, m_source, m_lists);
    EXPECT_EQ(Codes(m_lists.full), (std::vector<int>{1, 2})) << "no ranges listed: the old ones stay";
    EXPECT_EQ(m_lists.BridgeRows(), 0);
}

class RecordingComm : public CCommBase {
public:
    struct Sent {
        int channel, kind, code;
        std::int32_t value;
    };
    std::vector<Sent> sent;
    int refuseAt = -1;
    int SendCorrectionCoef(int channel, int kind, int code, std::int32_t value) override {
        if (int(sent.size()) == refuseAt)
            return 0;
        sent.push_back({channel, kind, code, value});
        return 1;
    }
};

TEST(CoefficientWriting, SendsMarkedRowsAsFloatBitsAndStopsAtARefusal) {
    const std::vector<CoefficientRow> rows = {{true, true, 1, 1.25f},
                                              {false, true, 2, 2.0f},
                                              {true, false, 3, 3.0f},
                                              {true, true, 4, 0.5f},
                                              {true, true, 5, 0.75f}};
    RecordingComm comm;
    int pauses = 0;
    EXPECT_EQ(WriteCoefficientRows(comm, 165, COEF_KIND_FULL_SCALE, rows, [&] { ++pauses; }), 1);
    ASSERT_EQ(comm.sent.size(), 3u);
    EXPECT_EQ(comm.sent[0].channel, 165) << "the global channel, so the driver finds its case";
    EXPECT_EQ(comm.sent[0].value, std::bit_cast<std::int32_t>(1.25f));
    EXPECT_EQ(comm.sent[1].code, 4);
    EXPECT_EQ(pauses, 2) << "a pause between two coefficients";

    RecordingComm refusing;
    refusing.refuseAt = 1;
    EXPECT_EQ(WriteCoefficientRows(refusing, 5, COEF_KIND_BRIDGE_VOLTAGE, rows, {}), 0);
    EXPECT_EQ(refusing.sent.size(), 1u) << "nothing after the refused row";

    RecordingComm none;
    EXPECT_EQ(WriteCoefficientRows(none, 5, COEF_KIND_CURRENT, {{false, true, 1, 1.0f}}, {}), 1)
        << "nothing marked is a success";
    EXPECT_TRUE(none.sent.empty());

    CCommBase serial; // the transports without coefficients refuse them
    EXPECT_EQ(WriteCoefficientRows(serial, 5, COEF_KIND_CURRENT, {{true, true, 1, 1.0f}}, {}), 0);
}

} // namespace
