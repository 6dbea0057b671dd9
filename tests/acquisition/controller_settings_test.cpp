// The controllers' network-parameter blocks and their machine-number file.
#include <gtest/gtest.h>

#include "acquisition/ControllerMapping.h"
#include "acquisition/ControllerNetParams.h"
#include "platform/Profile.h"
#include "project/ProjectTestSupport.h"

#include <fstream>
#include <vector>

namespace {

TEST(ControllerNetParams, TheReportedBlockShowsAndGoesBackByteForByte) {
    std::uint8_t block[kControllerBlockSize] = {};
    const std::uint8_t gateway[] = {192, 168, 1, 254}, mask[] = {255, 255, 0, 0},
                       mac[] = {0, 0x1A, 0xAB, 3, 4, 0xFF};
    const std::uint8_t address[] = {10, 0, 0, 7}, dest[] = {10, 0, 0, 1};
    std::copy(std::begin(gateway), std::end(gateway), block + 0);
    std::copy(std::begin(mask), std::end(mask), block + 4);
    std::copy(std::begin(mac), std::end(mac), block + 8);
    std::copy(std::begin(address), std::end(address), block + 14);
    block[18] = 0x17, block[19] = 0x70;
    std::copy(std::begin(dest), std::end(dest), block + 34);
    block[66] = 0x13, block[67] = 0x89;
    block[82] = 2;
    const ControllerNetFields f = ReadControllerBlock(block);
    EXPECT_EQ(f.strGateway, "192.168.1.254");
    EXPECT_EQ(f.strSubnetMask, "255.255.0.0");
    EXPECT_EQ(f.strMac, "001AAB0304FF");
    EXPECT_EQ(f.strAddress, "10.0.0.7");
    EXPECT_EQ(f.strPort, "6000");
    EXPECT_EQ(f.strDestAddress, "10.0.0.1");
    EXPECT_EQ(f.strDestPort, "5001");
    EXPECT_EQ(f.nWorkMode, 2);

    std::uint8_t first[kControllerSetBlock1Size], second[kControllerSetBlock2Size];
    BuildControllerSetBlock1(f, first);
    BuildControllerSetBlock2(f, second);
    const std::vector<std::uint8_t> expectFirst = {0, 0,    0,    192, 168, 1,    254, 255, 255, 0, 0,
                                                   0, 0x1A, 0xAB, 3,   4,   0xFF, 10,  0,   0,   7};
    const std::vector<std::uint8_t> expectSecond = {0, 0, 0, 0, 0x17, 0x70, 10, 0, 0, 1, 0x13, 0x89, 2};
    EXPECT_EQ(std::vector<std::uint8_t>(first, first + 21), expectFirst);
    EXPECT_EQ(std::vector<std::uint8_t>(second, second + 13), expectSecond);
}

TEST(ControllerNetParams, EditedTextsBuildTheirBytes) {
    struct Case {
        const char* mac;
        std::vector<std::uint8_t> bytes; // 11..16 of the first block
    };
    const Case macs[] = {
        {"00112233445", {0x00, 0x11, 0x22, 0x33, 0x44, 0}}, // 11 characters: five bytes
        {"0011223344556677", {0x00, 0x11, 0x22, 0x33, 0x44, 0x55}},
        {"", {0, 0, 0, 0, 0, 0}},
    };
    for (const Case& c : macs) {
        ControllerNetFields f;
        f.strMac = c.mac;
        std::uint8_t first[kControllerSetBlock1Size];
        BuildControllerSetBlock1(f, first);
        EXPECT_EQ(std::vector<std::uint8_t>(first + 11, first + 17), c.bytes) << c.mac;
    }
    const std::pair<const char*, std::vector<std::uint8_t>> dotted[] = {
        {"1.2.3.4", {1, 2, 3, 4}}, {"1.2", {1, 2, 0, 0}}, {"", {0, 0, 0, 0}}, {"300.2.3.4.5", {44, 2, 3, 4}}};
    for (const auto& [text, bytes] : dotted) {
        std::uint8_t out[4];
        ParseDottedOctets(text, out);
        EXPECT_EQ(std::vector<std::uint8_t>(out, out + 4), bytes) << text;
    }
}

TEST(ControllerMapping, NumbersLoadChooseAndSave) {
    ProjectScratchFolder folder;
    const std::string path = folder.File("MapCfg.ini");
    // The links' form, the older [MapID] form, a number out of range, "abc"
    // (atoi: 0) and a controller that is not listed.
    std::ofstream(path) << "[10.0.0.1]\r\nMapID=4\r\n[10.0.0.3]\r\nMapID=40\r\n[10.0.0.9]\r\nMapID=7\r\n"
                           "[MapID]\r\n10.0.0.2=abc\r\n10.0.0.4=-1\r\n";
    const std::vector<std::string> list = {"10.0.0.1", "10.0.0.2", "10.0.0.3", "10.0.0.4"};
    CControllerMapping mapping(path);
    mapping.Load(list);
    EXPECT_EQ(mapping.Find("10.0.0.1"), 4);
    EXPECT_EQ(mapping.Find("10.0.0.2"), 0);
    EXPECT_EQ(mapping.Find("10.0.0.3"), -1);
    EXPECT_EQ(mapping.Find("10.0.0.4"), -1);
    EXPECT_EQ(mapping.ListText("10.0.0.1"), "10.0.0.1  -- 5");
    EXPECT_EQ(mapping.ListText("10.0.0.3"), "10.0.0.3");

    EXPECT_FALSE(mapping.Assign("10.0.0.3", 4, list)) << "another controller holds it";
    EXPECT_EQ(mapping.Find("10.0.0.3"), -1);
    EXPECT_TRUE(mapping.Assign("10.0.0.1", 4, list)) << "its own number again";
    EXPECT_FALSE(mapping.Assign("10.0.0.3", 32, list));
    EXPECT_TRUE(mapping.Assign("10.0.0.3", 31, list));
    mapping.Save(list);
    EXPECT_EQ(platform::GetPrivateProfileString("10.0.0.3", "MapID", "", path), "31");
    EXPECT_EQ(platform::GetPrivateProfileString("10.0.0.9", "MapID", "", path), "7") << "others stay";
    EXPECT_EQ(platform::GetPrivateProfileString("10.0.0.4", "MapID", "", path), "") << "unmapped: no key";

    mapping.AutoAssign({"10.0.0.1", "10.0.0.2", "10.0.0.3"});
    mapping.Save(list);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(platform::GetPrivateProfileString(list[i], "MapID", "", path), std::to_string(i));
    CControllerMapping reread(path);
    reread.Load(list);
    EXPECT_EQ(reread.Find("10.0.0.2"), 1) << "the links' form wins over the older one";
}

} // namespace
