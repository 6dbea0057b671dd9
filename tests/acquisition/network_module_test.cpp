// The network module set-up protocol's frames and values, byte for byte.
#include "acquisition/NetworkModuleSetup.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace netmodule;

const Address kAddress = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};

std::string Bytes(const Frame& frame) {
    return std::string(frame.begin(), frame.end());
}

std::string Led(const std::string& text) {
    return std::string(kAddress.begin(), kAddress.end()) + text + "\r";
}

TEST(NetworkModuleFrames, GoldenBytes) {
    EXPECT_EQ(Bytes(ScanFrame()), "SETUP");
    const char* queries[] = {"ATIP", "ATPT", "ATGA", "ATSM", "ATDA", "ATDP"};
    for (int field = 0; field < kFieldCount; ++field) {
        EXPECT_EQ(Bytes(QueryFrame(kAddress, field)), Led(queries[field]));
        EXPECT_EQ(QueryFrame(kAddress, field).size(), 11u);
    }
    EXPECT_EQ(Bytes(EnterSettingFrame(kAddress)), Led("ATSR=1"));
    EXPECT_EQ(EnterSettingFrame(kAddress).size(), 13u);
    EXPECT_EQ(Bytes(EndFrame(kAddress)), Led("END"));
    EXPECT_EQ(EndFrame(kAddress).size(), 10u);

    Frame frame;
    ASSERT_TRUE(SetFrame(kAddress, kFieldDeviceIp, "192.168.1.10", frame));
    EXPECT_EQ(Bytes(frame), Led("ATIP=192.168.001.010"));
    EXPECT_EQ(frame.size(), 27u);
    ASSERT_TRUE(SetFrame(kAddress, kFieldPort, "6000", frame));
    EXPECT_EQ(Bytes(frame), Led("ATPT=06000"));
    EXPECT_EQ(frame.size(), 17u);
    ASSERT_TRUE(SetFrame(kAddress, kFieldDestPort, "5001", frame));
    EXPECT_EQ(Bytes(frame), Led("ATDP=05001"));
}

TEST(NetworkModuleFrames, FieldTextsThatCannotGoOut) {
    struct Case {
        int field;
        const char* text;
        const char* wire; // nullptr: refused
    };
    const Case cases[] = {
        {kFieldGateway, "192.168.001.010", "192.168.001.010"},
        {kFieldSubnetMask, "255.255.255.0", "255.255.255.000"},
        {kFieldDestIp, "0.0.0.0", "000.000.000.000"},
        {kFieldDeviceIp, "", nullptr},
        {kFieldDeviceIp, "192.168.0001.10", nullptr}, // 16 characters
        {kFieldDeviceIp, "192.168.1", nullptr},
        {kFieldDeviceIp, "192.168.1.256", nullptr},
        {kFieldDeviceIp, "192.168.1.1.", nullptr},
        {kFieldDeviceIp, "a.b.c.d", nullptr},
        {kFieldPort, "65535", "65535"},
        {kFieldPort, "0", "00000"},
        {kFieldPort, "", nullptr},
        {kFieldPort, "123456", nullptr},
        {kFieldPort, "65536", nullptr},
        {kFieldPort, "60a0", nullptr},
    };
    for (const Case& c : cases) {
        Frame frame;
        const bool built = SetFrame(kAddress, c.field, c.text, frame);
        EXPECT_EQ(built, c.wire != nullptr) << c.text;
        if (built && c.wire) {
            EXPECT_EQ(Bytes(frame), Led(std::string(FieldCommand(c.field)) + "=" + c.wire)) << c.text;
        }
    }
}

TEST(NetworkModuleFrames, ReplyValues) {
    struct Case {
        int field;
        std::string reply;
        const char* value; // nullptr: no value
    };
    const Case cases[] = {
        {kFieldDeviceIp, "=192.168.001.010\r\n", "192.168.001.010"},
        {kFieldGateway, "x010.000.000.001", "010.000.000.001"},
        {kFieldDeviceIp, "=192.168.1.10\r\n\r\n\r\n", nullptr}, // the 15 bytes are not four octets
        {kFieldDeviceIp, "=192.168.001.01", nullptr},           // too short
        {kFieldDeviceIp, "=192.168.001.9x9\r\n", nullptr},
        {kFieldPort, "=06000\r\n", "6000"},
        {kFieldDestPort, "=5\r\n", "5"},
        {kFieldPort, "=06a00\r\n", nullptr},
        {kFieldPort, "=\r\n", nullptr},
    };
    for (const Case& c : cases) {
        std::string value;
        const bool read = ReadReplyValue(c.field, reinterpret_cast<const std::uint8_t*>(c.reply.data()),
                                         static_cast<int>(c.reply.size()), value);
        EXPECT_EQ(read, c.value != nullptr) << c.reply;
        if (read && c.value) {
            EXPECT_EQ(value, c.value);
        }
    }
    const std::uint8_t reply[] = {0x00, 0x1a, 0xff, 0x01};
    EXPECT_EQ(ReplyText(reply, 4), "001AFF01");
}

} // namespace
