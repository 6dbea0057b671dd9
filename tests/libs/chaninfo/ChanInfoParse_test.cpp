// Channel information parser: packets of every module length into the info,
// serial-number and type-definition files, and the lookups on them.
#include "libs/chaninfo/ChanInfoParse.h"

#include "platform/Profile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct CodeItem {
    int kind;
    std::vector<int> codes;
};
struct CoiefItem {
    int kind;
    std::vector<float> coiefs;
};

using Bytes = std::vector<std::uint8_t>;

// Builds a packet of len bytes; coefficients most significant byte first
// when bigEndian (the main program's module type), else little-endian.
Bytes MakePacket(int len, int acqType, int subVersion, const std::vector<CodeItem>& codeItems,
                 const std::vector<CoiefItem>& coiefItems, bool bigEndian = true) {
    Bytes b(len, 0);
    b.at(2) = static_cast<std::uint8_t>(acqType);
    b.at(3) = static_cast<std::uint8_t>(subVersion);
    std::size_t p = 12;
    b.at(p++) = static_cast<std::uint8_t>(codeItems.size());
    for (const CodeItem& item : codeItems) {
        b.at(p++) = static_cast<std::uint8_t>(item.kind);
        b.at(p++) = static_cast<std::uint8_t>(item.codes.size());
        for (int code : item.codes)
            b.at(p++) = static_cast<std::uint8_t>(code);
    }
    b.at(p++) = static_cast<std::uint8_t>(coiefItems.size());
    for (const CoiefItem& item : coiefItems) {
        b.at(p++) = static_cast<std::uint8_t>(item.kind);
        b.at(p++) = static_cast<std::uint8_t>(item.coiefs.size());
        for (float f : item.coiefs) {
            std::uint8_t raw[4];
            std::memcpy(raw, &f, 4);
            if (bigEndian)
                std::reverse(raw, raw + 4);
            for (std::uint8_t byte : raw)
                b.at(p++) = byte;
        }
    }
    return b;
}

Bytes Concat(const std::vector<Bytes>& packets) {
    Bytes all;
    for (const Bytes& p : packets)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

class ChanInfoParseTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_dir = fs::temp_directory_path() / ("chaninfo_" + std::to_string(::getpid()) + "_" + info->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        m_file = (m_dir / "ChanInfo.dat").string();
        m_parse.SetParamFileName(m_file, -1, 16, false);
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(m_dir, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(m_dir, ec);
    }
    std::string Read(const std::string& section, const std::string& key, const std::string& file = "") {
        return platform::GetPrivateProfileString(section, key, "<none>", file.empty() ? m_file : file);
    }
    void Write(const std::string& section, const std::string& key, const std::string& value,
               const std::string& file = "") {
        platform::WritePrivateProfileString(section, key, value, file.empty() ? m_file : file);
    }

    fs::path m_dir;
    std::string m_file;
    CChanInfoParse m_parse;
};

TEST_F(ChanInfoParseTest, TypeInfoStoresTypesAndTheValidAmplifierOnly) {
    struct Case {
        int acq, sub, ampOffset, ampLength, ampByte;
        const char *wantAcq, *wantSub, *wantAmp;
    } cases[] = {
        {7, 3, 100, 4, 42, "7", "3", "42"},
        {255, 9, 100, 4, 42, "1", "0", "42"}, // no acquisition information
        {7, 3, 100, 0, 42, "7", "3", "0"},    // empty amplifier block
        {7, 3, 250, 6, 42, "7", "3", "0"},    // block beyond the packet
        {7, 3, 100, 4, 255, "7", "3", "0"},   // no amplifier
    };
    int channel = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(channel);
        Bytes b = MakePacket(256, c.acq, c.sub, {}, {});
        b[0] = static_cast<std::uint8_t>(c.ampOffset);
        b[1] = static_cast<std::uint8_t>(c.ampLength);
        b[std::min(c.ampOffset + 1, 255)] = static_cast<std::uint8_t>(c.ampByte);
        EXPECT_EQ(1, m_parse.GetAcqAndAmpTypeInfo(channel, 1, b.data(), b.size()));
        std::string id = std::to_string(channel);
        EXPECT_EQ(c.wantAcq, Read("ChannelID" + id, "ACQType"));
        EXPECT_EQ(c.wantSub, Read("ChannelID" + id, "ACQSubVersion"));
        EXPECT_EQ(c.wantAmp, Read("AmpliferID" + id, "AMPType"));
        EXPECT_EQ(std::atoi(c.wantAcq), m_parse.GetAcqChannelTypeID(channel));
        EXPECT_EQ(std::atoi(c.wantSub), m_parse.GetChannelSubVersion(channel));
        EXPECT_EQ(std::atoi(c.wantAmp), m_parse.GetAmpChannelTypeID(channel));
        ++channel;
    }
    // A channel whose packet never arrived reads the defaults.
    EXPECT_EQ(1, m_parse.GetAcqChannelTypeID(99));
    EXPECT_EQ(0, m_parse.GetChannelSubVersion(99));
    EXPECT_FLOAT_EQ(1.0f, m_parse.GetChannelFullCoief(99, 1));
}

TEST_F(ChanInfoParseTest, PacketsLieAtTheModuleTypesLengthAndByteOrder) {
    struct Case {
        int moduleType, length;
    } cases[] = {{-1, 256}, {9, 128}, {12, 128}, {19, 128}, {13, 64}, {15, 32}, {3, 256}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.moduleType);
        EXPECT_EQ(c.length, CChanInfoParse::GetChanInfoPacketLenth(c.moduleType));
        fs::remove(m_file);
        m_parse.SetParamFileName(m_file, c.moduleType, 16, false);
        bool bigEndian = c.moduleType == -1;
        std::vector<Bytes> packets;
        for (int i = 0; i < 3; ++i)
            packets.push_back(MakePacket(c.length, 2, 5, {{0, {1, 4}}}, {{0, {1.0f + i, -0.5f}}}, bigEndian));
        Bytes all = Concat(packets);
        EXPECT_EQ(1, m_parse.GetFullVoltageCoiefInfo(10, 3, all.data(), all.size()));
        for (int i = 0; i < 3; ++i) {
            EXPECT_FLOAT_EQ(1.0f + i, m_parse.GetChannelFullCoief(10 + i, 1));
            EXPECT_FLOAT_EQ(-0.5f, m_parse.GetChannelFullCoief(10 + i, 4));
            EXPECT_EQ(5, m_parse.GetChannelSubVersion(10 + i));
        }
        EXPECT_EQ("1.000000", Read("ChannelID10", "FullVltParaCode1"));
        // One byte short of the third packet: the call is refused whole.
        fs::remove(m_file);
        EXPECT_EQ(0, m_parse.GetFullVoltageCoiefInfo(10, 3, all.data(), all.size() - 1));
        EXPECT_FALSE(fs::exists(m_file));
    }
}

TEST_F(ChanInfoParseTest, EachKindParsesUnderItsPrefixAndLooksUpAlike) {
    using Parse = int (CChanInfoParse::*)(int, int, const std::uint8_t*, std::size_t);
    using Lookup = float (CChanInfoParse::*)(int, int);
    struct Case {
        int kind;
        Parse parse;
        Lookup lookup;
        const char* key;
        int resultWithoutItems;
    } cases[] = {
        {0, &CChanInfoParse::GetFullVoltageCoiefInfo, &CChanInfoParse::GetChannelFullCoief,
         "FullVltParaCode7", 1},
        {1, &CChanInfoParse::GetChannelIntegrateCoiefInfo, &CChanInfoParse::GetChannelIntegrateCoief,
         "IntegrateParaCode7", 0},
        {2, &CChanInfoParse::GetChannelInputModeCoiefInfo, &CChanInfoParse::GetChannelInputModePolarityCoief,
         "InputModeParaCode7", 0},
        {3, &CChanInfoParse::GetChannelFilterCoiefInfo, &CChanInfoParse::GetChannelFilterCoief,
         "FilterParaCode7", 0},
        {5, &CChanInfoParse::GetChannelBridgeVltCoiefInfo, &CChanInfoParse::GetChannelBrdgeVltCoief,
         "BrdgeVltParaCode7", 0},
        {6, &CChanInfoParse::GetChannelChargePulsCoiefInfo, nullptr, "ChargePulsParmCode7", 1},
        {8, &CChanInfoParse::GetChannelVltPulsCoiefInfo, nullptr, "VltPulsParmCode7", 1},
        {9, &CChanInfoParse::GetChannelSensorCoiefInfo, nullptr, "SensorCoief7", 0},
        {17, &CChanInfoParse::GetChannelCurrentPulsCoiefInfo, &CChanInfoParse::GetChannelCurrentPulsCoief,
         "CurrentParmCode7", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        Bytes b = MakePacket(256, 1, 0, {{c.kind, {7}}}, {{c.kind, {2.5f}}});
        EXPECT_EQ(1, (m_parse.*c.parse)(c.kind, 1, b.data(), b.size()));
        std::string section = "ChannelID" + std::to_string(c.kind);
        EXPECT_EQ("2.500000", Read(section, c.key));
        if (c.lookup) {
            EXPECT_FLOAT_EQ(2.5f, (m_parse.*c.lookup)(c.kind, 7));
        }
        // A packet without the kind writes no coefficient.
        Bytes other = MakePacket(256, 1, 0, {{c.kind + 1, {7}}}, {{c.kind + 1, {2.5f}}});
        EXPECT_EQ(c.resultWithoutItems, (m_parse.*c.parse)(100, 1, other.data(), other.size()));
        EXPECT_EQ("<none>", Read("ChannelID100", c.key));
        EXPECT_EQ(1, (m_parse.*c.parse)(100, 0, nullptr, 0));
    }
    EXPECT_FLOAT_EQ(2.5f, m_parse.GetChannelPulsCoief(8, 1, 7));
    EXPECT_FLOAT_EQ(2.5f, m_parse.GetChannelPulsCoief(6, 2, 7));
    EXPECT_FLOAT_EQ(2.5f, m_parse.GetChannelSensorCoief(9, 7));
}

TEST_F(ChanInfoParseTest, ItemSearchTakesTheLastCodeItemAndTheFirstCoefficientItem) {
    Bytes b = MakePacket(256, 1, 0, {{0, {1, 2}}, {3, {9}}, {0, {5, 6}}},
                         {{3, {9.0f}}, {0, {10.0f, 20.0f}}, {0, {30.0f, 40.0f}}});
    ASSERT_EQ(1, m_parse.GetFullVoltageCoiefInfo(0, 1, b.data(), b.size()));
    EXPECT_EQ("10.000000", Read("ChannelID0", "FullVltParaCode5"));
    EXPECT_EQ("20.000000", Read("ChannelID0", "FullVltParaCode6"));
    EXPECT_EQ("<none>", Read("ChannelID0", "FullVltParaCode1"));
}

TEST_F(ChanInfoParseTest, CurrentPulseWithoutCodeItemKeepsTheLastCoefficient) {
    Bytes b = MakePacket(256, 1, 0, {}, {{17, {1.5f, 2.5f, 3.5f}}});
    EXPECT_EQ(1, m_parse.GetChannelCurrentPulsCoiefInfo(4, 1, b.data(), b.size()));
    EXPECT_EQ("3.500000", Read("ChannelID4", "CurrentParmCode1"));
    EXPECT_FLOAT_EQ(3.5f, m_parse.GetChannelCurrentPulsCoief(4, 1));
    // Other kinds need their code item.
    Bytes bridge = MakePacket(256, 1, 0, {}, {{5, {1.5f}}});
    EXPECT_EQ(0, m_parse.GetChannelBridgeVltCoiefInfo(4, 1, bridge.data(), bridge.size()));
    EXPECT_EQ("<none>", Read("ChannelID4", "BrdgeVltParaCode1"));
}

TEST_F(ChanInfoParseTest, MalformedItemsNeverReadPastThePacket) {
    // Each packet is exactly 32 bytes (module type 15), so a read past it is
    // an address-sanitizer report.
    m_parse.SetParamFileName(m_file, 15, 16, false);
    struct Case {
        const char* what;
        Bytes bytes;
        const char* wantCode3;
    } cases[] = {
        {"code item runs past the end", {}, "<none>"},
        {"coefficient item runs past the end", {}, "<none>"},
        {"more codes than coefficients", {}, "<none>"},
    };
    cases[0].bytes = MakePacket(32, 1, 0, {{0, {3}}}, {});
    cases[0].bytes[14] = 200; // kind 0 claims 200 codes
    cases[1].bytes = MakePacket(32, 1, 0, {{0, {3}}}, {{0, {1.0f}}});
    cases[1].bytes[18] = 5; // 5 coefficients of 4 bytes do not fit
    cases[2].bytes = MakePacket(32, 1, 0, {{0, {1, 3}}}, {{0, {2.0f}}}, false);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto heap = std::make_unique<std::uint8_t[]>(c.bytes.size());
        std::memcpy(heap.get(), c.bytes.data(), c.bytes.size());
        m_parse.GetFullVoltageCoiefInfo(0, 1, heap.get(), c.bytes.size());
        m_parse.GetGainZeroInfo(0, 1, heap.get(), c.bytes.size());
        m_parse.GetFullVoltageCoiefInfo_8808F(0, 16, heap.get(), c.bytes.size());
        EXPECT_EQ(c.wantCode3, Read("ChannelID0", "FullVltParaCode3"));
    }
    EXPECT_EQ("2.000000", Read("ChannelID0", "FullVltParaCode1"));
}

TEST_F(ChanInfoParseTest, ShortBuffersAreRefusedByEveryPacketOperation) {
    Bytes b(255, 0); // one byte short of a 256-byte packet
    EXPECT_EQ(0, m_parse.GetAcqAndAmpTypeInfo(0, 1, b.data(), b.size()));
    EXPECT_EQ(0, m_parse.GetChannelIntegrateCoiefInfo(0, 1, b.data(), b.size()));
    EXPECT_EQ(0, m_parse.Get8807AcqAndAmpTypeInfo(0, 1, b.data(), b.size()));
    EXPECT_EQ(0, m_parse.Get8807AcqAndAmpTypeInfo_8808(0, 16, b.data(), b.size()));
    EXPECT_EQ(0, m_parse.Get8810AmpTypeInfo(0, 1, b.data(), b.size()));
    EXPECT_EQ(0, m_parse.Get8839AcqAndAmpTypeInfo(0, 4, b.data(), 255));
    EXPECT_EQ(0, m_parse.GetFullVoltageCoiefInfo_8808F(0, 16, b.data(), b.size()));
    EXPECT_EQ(0, m_parse.GetGainZeroInfo(0, 1, b.data(), b.size()));
    EXPECT_EQ(0, m_parse.VerifyChannelInfo(0, 1, b.data(), b.size()));
    EXPECT_EQ(0, m_parse.GetChannelSerialNumber(0, b.data(), 63));
    EXPECT_FALSE(fs::exists(m_file));
    EXPECT_FALSE(fs::exists(m_file + ".Cfg"));
}

TEST_F(ChanInfoParseTest, CoefficientLookupTurnsZeroAndUnreadableIntoOne) {
    struct Case {
        const char* stored;
        float lookup, pulse;
    } cases[] = {
        {"0.000000", 1.0f, 0.0f},    {"-1.#QNAN0", 1.0f, -1.0f}, {"nan", 1.0f, 0.0f},
        {"1e-12", 1.0f, 1e-12f},     {"-2.25", -2.25f, -2.25f},  {nullptr, 1.0f, 1.0f},
        {"1e300", FLT_MAX, FLT_MAX}, // beyond float: saturated
    };
    int code = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(code);
        if (c.stored) {
            Write("ChannelID0", "FullVltParaCode" + std::to_string(code), c.stored);
            Write("ChannelID0", "VltPulsParmCode" + std::to_string(code), c.stored);
            Write("ChannelID0", "SensorCoief" + std::to_string(code), c.stored);
        }
        EXPECT_FLOAT_EQ(c.lookup, m_parse.GetChannelFullCoief(0, code));
        EXPECT_FLOAT_EQ(c.lookup, m_parse.GetChannelSensorCoief(0, code));
        float pulse = m_parse.GetChannelPulsCoief(0, 1, code);
        if (std::isnan(pulse)) {
            EXPECT_STREQ("nan", c.stored);
        } else {
            EXPECT_FLOAT_EQ(c.pulse, pulse);
        }
        ++code;
    }
    EXPECT_FLOAT_EQ(1.0f, m_parse.GetChannelPulsCoief(0, 3, 0)); // "UnknownType" is missing
    fs::remove(m_file);
    EXPECT_FLOAT_EQ(1.0f, m_parse.GetChannelPulsCoief(0, 1, 0));
    EXPECT_FLOAT_EQ(1.0f, m_parse.GetChannelSensorCoief(0));
}

TEST_F(ChanInfoParseTest, SetParamFileNameLeavesOnlyTheBackupOfAnOldFile) {
    Write("ChannelID0", "ACQType", "4");
    fs::permissions(m_file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    { std::ofstream(m_file + ".bak") << "older copy"; }
    CChanInfoParse fresh;
    fresh.SetParamFileName(m_file, -1, 16, false);
    EXPECT_FALSE(fs::exists(m_file));
    EXPECT_EQ("4", Read("ChannelID0", "ACQType", m_file + ".bak"));
    EXPECT_EQ(1, fresh.GetAcqChannelTypeID(0));
}

TEST_F(ChanInfoParseTest, VerifyFlagStaysSetForTheRestOfTheCall) {
    Bytes good(256, 0), bad(256, 0);
    good[0] = 10, good[1] = 5; // bytes 14 and 15 are not 255
    bad[0] = 10, bad[1] = 5, bad[15] = 255;
    Bytes zeroOffset(256, 0); // p = 0 has no byte before it
    Bytes all = Concat({bad, good, bad, zeroOffset});
    ASSERT_EQ(1, m_parse.VerifyChannelInfo(0, 2, Concat({bad, zeroOffset}).data(), 512));
    EXPECT_EQ(0, m_parse.GetChannelVerifyInfo(0));
    EXPECT_EQ(0, m_parse.GetChannelVerifyInfo(1));
    ASSERT_EQ(1, m_parse.VerifyChannelInfo(10, 4, all.data(), all.size()));
    int want[] = {0, 1, 1, 1};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(want[i], m_parse.GetChannelVerifyInfo(10 + i)) << i;
}

TEST_F(ChanInfoParseTest, SerialNumberModeKeepsAcquisitionDataUnderTheSerialNumber) {
    m_parse.SetParamFileName(m_file, -1, 16, true);
    std::string cfg = m_file + ".Cfg";
    Bytes serials(64, 0);
    serials[0] = 0x12, serials[1] = 0x34, serials[2] = 7, serials[3] = 255; // channel 16
    serials[4] = 0xFF, serials[5] = 0xFF, serials[6] = 1, serials[7] = 9;   // channel 17
    ASSERT_EQ(1, m_parse.GetChannelSerialNumber(1, serials.data(), serials.size()));
    EXPECT_EQ("4660", Read("CombinedChannel16", "ACQSerialNo", cfg));
    EXPECT_EQ("0", Read("CombinedChannel16", "AMPType", cfg));
    EXPECT_EQ("9", Read("CombinedChannel17", "AMPType", cfg));
    EXPECT_EQ(1, m_parse.GetChannelOnlineFlag(16));
    EXPECT_EQ(0, m_parse.GetChannelOnlineFlag(17)); // 65535 is no serial number
    EXPECT_EQ(0, m_parse.GetChannelOnlineFlag(18)); // 0 neither
    EXPECT_EQ(7, m_parse.GetChannelSubVersion(16));

    Bytes coef = MakePacket(256, 3, 7, {{0, {2}}}, {{0, {4.0f}}});
    coef[0] = 20, coef[1] = 2; // qualifies for the verify flag
    ASSERT_EQ(1, m_parse.GetFullVoltageCoiefInfo(16, 1, coef.data(), coef.size()));
    ASSERT_EQ(1, m_parse.VerifyChannelInfo(16, 1, coef.data(), coef.size()));
    EXPECT_EQ("4.000000", Read("ACQSerialNO4660", "FullVltParaCode2", cfg));
    EXPECT_FLOAT_EQ(4.0f, m_parse.GetChannelFullCoief(16, 2));
    EXPECT_EQ(1, m_parse.CheckChannelInfoPerfect(16));
    Write("ACQSerialNO4660", "ACQSubVersion", "8", cfg);
    EXPECT_EQ(0, m_parse.CheckChannelInfoPerfect(16));
    EXPECT_FALSE(fs::exists(m_file)); // nothing in the info file

    CChanInfoParse plain;
    plain.SetParamFileName(m_file, -1, 16, false);
    EXPECT_EQ(0, plain.GetChannelOnlineFlag(16));
}

TEST_F(ChanInfoParseTest, ModuleSpecificFormsWriteTheInfoFile) {
    m_parse.SetParamFileName(m_file, 13, 8, true); // 64-byte packets, stride 8
    Bytes p0 = MakePacket(64, 255, 255, {}, {}), p1 = MakePacket(64, 6, 2, {}, {});
    p1[0] = 40, p1[1] = 3, p1[41] = 150, p1[42] = 4; // valid amplifier block
    Bytes both = Concat({p0, p1});

    ASSERT_EQ(1, m_parse.Get8807AcqAndAmpTypeInfo(0, 2, both.data(), both.size()));
    EXPECT_EQ("1", Read("ChannelID0", "ACQType"));
    EXPECT_EQ("0", Read("AmpliferID0", "AMPType"));
    EXPECT_EQ("6", Read("ChannelID1", "ACQType"));
    EXPECT_EQ("2", Read("AmpliferID1", "AMPType"));

    ASSERT_EQ(1, m_parse.Get8810AmpTypeInfo(0, 2, both.data(), both.size()));
    EXPECT_EQ("0", Read("AmpliferID0", "AmpVersion"));
    EXPECT_EQ("150", Read("AmpliferID1", "AMPType"));
    EXPECT_EQ("4", Read("AmpliferID1", "AmpVersion"));

    ASSERT_EQ(1, m_parse.Get8807AcqAndAmpTypeInfo_8808(2, 3, p1.data(), p1.size()));
    for (int ch = 16; ch < 19; ++ch) {
        EXPECT_EQ("6", Read("ChannelID" + std::to_string(ch), "ACQType"));
        EXPECT_EQ("2", Read("AmpliferID" + std::to_string(ch), "AMPType"));
    }
    EXPECT_EQ("<none>", Read("ChannelID19", "ACQType"));

    Bytes own(64, 0), foreign(64, 0);
    own[0] = 1, own[3] = 0xFE; // packet 1 names itself: type -2
    foreign[0] = 5, foreign[3] = 9;
    Bytes pair = Concat({foreign, own});
    ASSERT_EQ(1, m_parse.Get8839AcqAndAmpTypeInfo(3, 2, pair.data(), pair.size()));
    EXPECT_EQ("1", Read("ChannelID6", "ACQType"));
    EXPECT_EQ("-1", Read("AmpliferID6", "AMPType"));
    EXPECT_EQ("-2", Read("AmpliferID7", "AMPType"));

    Bytes full = MakePacket(64, 1, 0, {{0, {4, 5}}}, {{0, {1.25f, 2.5f}}}, false);
    ASSERT_EQ(1, m_parse.GetFullVoltageCoiefInfo_8808F(1, 0, full.data(), full.size()));
    EXPECT_EQ("1.250000", Read("ChannelID8", "FullVltParaCode4"));
    EXPECT_EQ("2.500000", Read("ChannelID9", "FullVltParaCode5"));

    m_parse.SaveAcqAndAmpTypeInfo_MGTD(30, 4, 77);
    m_parse.SaveFullVoltageCoiefInfo_1307(30, 0.125f);
    EXPECT_EQ("4", Read("ChannelID30", "ACQType"));
    EXPECT_EQ("77", Read("AmpliferID30", "AMPType"));
    EXPECT_EQ("0.125000", Read("ChannelID30", "FullVltParaCode1"));
}

TEST_F(ChanInfoParseTest, GainZeroUsesMachineByteOrder) {
    Bytes b = MakePacket(256, 1, 6, {{11, {2}}}, {{11, {0.75f}}}, false);
    ASSERT_EQ(1, m_parse.GetGainZeroInfo(5, 1, b.data(), b.size()));
    EXPECT_EQ("6", Read("ChannelID5", "ACQSubVersion"));
    EXPECT_FLOAT_EQ(0.75f, m_parse.GetChannelGainZeroCoief(5, 2));
}

TEST_F(ChanInfoParseTest, CombinedTypeLooksUpBothIndexes) {
    std::string types = m_file + ".INI";
    m_parse.SetChannelDefaultType(0, 305); // no type-definition file yet: nothing
    EXPECT_FALSE(fs::exists(types));
    Write("Channel", "ACQChannelTypeCount", "2", types);
    Write("Channel", "AMPChannelTypeCount", "3", types);
    Write("AcquisitionChannelType1", "AcqTypeID", "1", types);
    Write("AcquisitionChannelType2", "AcqTypeID", "3", types);
    Write("AmplifierChannelType1", "AmpTypeID", "150", types);
    Write("AmplifierChannelType1", "AmpVersion", "1", types);
    Write("AmplifierChannelType2", "AmpTypeID", "150", types);
    Write("AmplifierChannelType2", "AmpVersion", "2", types);
    Write("AmplifierChannelType3", "AmpTypeID", "20", types);

    m_parse.SetChannelDefaultType(0, 305);
    EXPECT_EQ("0305", Read("Channel", "ChannelType0", types));

    struct Case {
        int moduleType, acq, amp, ampVersion;
        const char* want;
    } cases[] = {
        {-1, 3, 150, 2, "0202"}, // amplifier types of 144 and more also match the version
        {12, 3, 20, 7, "0103"},  // module type 12 folds acquisition types 1..3 into 1
        {8, 2, 99, 0, "0100"},   // unknown amplifier: index 0
        {-1, 9, 150, 3, "0100"}, // unknown acquisition type: index 1
        {14, 0, 99, 0, "0101"},  {21, 0, 99, 0, "0101"}, {25, 5, 99, 0, "0100"},
    };
    int channel = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(channel);
        m_parse.SetParamFileName(m_file, c.moduleType, 16, false);
        std::string id = std::to_string(channel);
        Write("ChannelID" + id, "ACQType", std::to_string(c.acq));
        Write("AmpliferID" + id, "AMPType", std::to_string(c.amp));
        Write("AmpliferID" + id, "AmpVersion", std::to_string(c.ampVersion));
        m_parse.SetChannelCombinedType(channel);
        EXPECT_EQ(c.want, Read("Channel", "ChannelType" + id, types));
        ++channel;
    }
}

TEST_F(ChanInfoParseTest, CopiesCarryEverySetting) {
    m_parse.SetParamFileName(m_file, 15, 4, true);
    CChanInfoParse copy(m_parse);
    CChanInfoParse assigned;
    assigned = m_parse;
    EXPECT_EQ(m_file + ".Cfg", copy.GetInfoFileName());
    EXPECT_EQ("CombinedChannel3", assigned.GetAmpInfoSectionName(3));
    Bytes b = MakePacket(32, 4, 1, {}, {});
    ASSERT_EQ(1, copy.Get8807AcqAndAmpTypeInfo_8808(1, 1, b.data(), b.size()));
    EXPECT_EQ("4", Read("ChannelID4", "ACQType")); // stride 4 came along
}

} // namespace
