// The settings files and rules of a test's set-up: sensor matching
// ("coe.ini"), fouling parameters ("rezu.ini"), theory values (".try") and
// the key-point window's decimals.
#include <gtest/gtest.h>

#include "ProjectTestSupport.h"
#include "model/KeyPointDecimals.h"
#include "model/SensorMatch.h"
#include "platform/Profile.h"
#include "project/FoulingParams.h"
#include "project/TheoryValueFile.h"

#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace {

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

TEST(SensorMatchTest, CoeIniIsWrittenInKeyOrderAndReadBack) {
    ProjectScratchFolder folder;
    const std::string path = folder.Path() + "/coe.ini";
    SensorMatchTables tables;
    for (int s = 0; s < SENSOR_MATCH_COUNT; ++s) {
        tables.sel[std::size_t(s)] = s;
        tables.id[std::size_t(s)] = 16 + s;
        tables.coef[std::size_t(s)] = {0.0, 1.5, -2.0};
    }
    tables.coef[7] = {0.25, 0.0, 100.0};
    ASSERT_TRUE(SaveSensorMatch(path, tables));
    platform::FlushProfileCache();

    std::string expected = "[Coefficient]\r\n";
    for (int s = 1; s <= 8; ++s) {
        const char* values[3] = {"0.000000", "1.500000", "-2.000000"};
        const char* last[3] = {"0.250000", "0.000000", "100.000000"};
        for (int c = 1; c <= 3; ++c)
            expected += "coe" + std::to_string(s) + std::to_string(c) + "=" +
                        (s == 8 ? last : values)[c - 1] + "\r\n";
    }
    expected += "[Map]\r\n";
    for (int s = 1; s <= 8; ++s)
        expected += "MapSel" + std::to_string(s) + "=" + std::to_string(s - 1) + "\r\nMapID" +
                    std::to_string(s) + "=" + std::to_string(15 + s) + "\r\n";
    EXPECT_EQ(ReadBytes(path), expected);

    const SensorMatchTables back = LoadSensorMatch(path);
    EXPECT_EQ(back.sel, tables.sel);
    EXPECT_EQ(back.id, tables.id);
    EXPECT_EQ(back.coef, tables.coef);
}

TEST(SensorMatchTest, MissingKeysAndFilesGiveTheDefaults) {
    ProjectScratchFolder folder;
    const std::string path = folder.Path() + "/coe.ini";
    const SensorMatchTables none = LoadSensorMatch(path);
    EXPECT_EQ(none.sel[0], -1);
    EXPECT_EQ(none.id[7], -1);
    EXPECT_EQ(none.coef[3][1], 0.0);
    WriteBytes(path, "[Map]\r\nMapSel2=4\r\n[Coefficient]\r\ncoe21=abc\r\ncoe22=3.5x\r\n");
    const SensorMatchTables some = LoadSensorMatch(path);
    EXPECT_EQ(some.sel[1], 4);
    EXPECT_EQ(some.sel[0], -1);
    EXPECT_EQ(some.id[1], -1);
    EXPECT_EQ(some.coef[1][0], 0.0) << "no number reads as 0";
    EXPECT_EQ(some.coef[1][1], 3.5) << "the leading number counts";
}

TEST(SensorMatchTest, SelectionRulesAndCoefficientTexts) {
    struct Case {
        SensorMapList selections;
        SensorSelectionCheck expected;
    };
    const Case cases[] = {
        {{0, 1, 2, 3, 4, 5, 6, 7}, SensorSelectionCheck::Ok},
        {{7, 6, 5, 4, 3, 2, 1, 0}, SensorSelectionCheck::Ok},
        {{0, 1, 2, 3, 4, 5, 6, -1}, SensorSelectionCheck::Incomplete},
        {{3, 1, 2, 0, 4, 5, 6, 3}, SensorSelectionCheck::Duplicate},   // "Ⅰ循进" and "Ⅱ加出" alike
        {{0, 0, -1, 3, 4, 5, 6, 7}, SensorSelectionCheck::Incomplete}, // a gap is reported before a repeat
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckSensorSelections(c.selections), c.expected)
            << c.selections[0] << "," << c.selections[7];

    for (const auto& [value, text] :
         {std::pair{1.5, "1.5"}, {2.0, "2"}, {0.0, ""}, {-0.125, "-0.125"}, {10.0, "10"}})
        EXPECT_EQ(SensorCoefficientText(value), text) << value;

    EXPECT_EQ(SensorMatchChannels({3, 5, 8, 13}, [](int c) { return c % 2 != 0; }),
              (std::vector<int>{3, 5, 13}));
}

TEST(SensorMatchTest, SettingsFilesAreReadWhereTheyAreWritten) {
    ProjectScratchFolder program, project;
    EXPECT_EQ(SettingsFileForWriting("", program.Path(), "coe.ini"), program.Path() + "/coe.ini");
    EXPECT_EQ(SettingsFileForWriting(project.Path(), program.Path(), "coe.ini"), project.Path() + "/coe.ini");
    EXPECT_EQ(SettingsFileForReading(project.Path(), program.Path(), "coe.ini"), program.Path() + "/coe.ini")
        << "a project without its own file reads the program's";
    WriteBytes(project.Path() + "/coe.ini", "");
    EXPECT_EQ(SettingsFileForReading(project.Path(), program.Path(), "coe.ini"), project.Path() + "/coe.ini");
}

TEST(FoulingParamsTest, RezuIniRoundTripsWithItsDefaults) {
    ProjectScratchFolder folder;
    const std::string path = folder.Path() + "/rezu.ini";
    const FoulingFileValues none = LoadFoulingFile(path);
    for (float value : {none.fArea, none.fMassFlow, none.fSpecificHeat, none.fFlow, none.fDensity})
        EXPECT_EQ(value, FOULING_NOT_SET);

    ASSERT_TRUE(SaveFoulingFile(path, {2.5f, 0.277778f, 4186.0f, 1000.0f, -3.0f}));
    platform::FlushProfileCache();
    EXPECT_EQ(ReadBytes(path), "[param]\r\nA=2.500000\r\nMc=0.277778\r\nCpc=4186.000000\r\nQ=1000.000000\r\n"
                               "P=-3.000000\r\n");
    const FoulingFileValues back = LoadFoulingFile(path);
    EXPECT_FLOAT_EQ(back.fMassFlow, 0.277778f);
    EXPECT_EQ(back.fDensity, -3.0f);
}

TEST(FoulingParamsTest, MassFlowAndInputChecks) {
    double mc = -1.0;
    ASSERT_TRUE(ComputeMassFlow(1000.0, 1000.0, mc));
    EXPECT_EQ(FoulingFieldText(float(mc)), "0.277778");
    for (const auto& [flow, density] : {std::pair{0.0, 1000.0}, {1000.0, -1.0}, {-5.0, -5.0}})
        EXPECT_FALSE(ComputeMassFlow(flow, density, mc)) << flow << "," << density;

    struct Case {
        double a, mc, cpc;
        const char* message;
    };
    const Case cases[] = {
        {1.0, 1.0, 1.0, ""},
        {0.0, 1.0, 1.0, "换热面积有误!"},
        {0.0, 0.0, 0.0, "换热面积有误!"}, // the first failure only
        {1.0, -0.1, 1.0, "质量流量有误!"},
        {1.0, 1.0, 0.0, "循环冷却水定压比热容有误!"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckFoulingInputs(c.a, c.mc, c.cpc), c.message) << c.a << "," << c.mc << "," << c.cpc;
    EXPECT_EQ(FoulingFieldText(FOULING_NOT_SET), "");
    EXPECT_EQ(FoulingFieldText(0.0f), "");
}

TEST(TheoryValueFileTest, WritesTheGoldenFileAndReadsItBack) {
    ProjectScratchFolder folder;
    const std::string path = folder.Path() + "/Theory.try";
    const TheoryValueTable table = {{-1, {1.0f, 2.5f}}, {17, {-0.1234f}}};
    const std::vector<std::string> descriptions = {"加载一级", ""};
    ASSERT_TRUE(WriteTheoryFile(path, table, descriptions));
    EXPECT_EQ(ReadBytes(path), "2\r\n-1\r\n2\r\n1.000\r\n2.500\r\n17\r\n1\r\n-0.123\r\n2\r\n"
                               "\xBC\xD3\xD4\xD8\xD2\xBB\xBC\xB6\r\n\r\n");
    struct stat info {};
    EXPECT_NE(::stat((path + ".tmp").c_str(), &info), 0) << "no temporary file stays behind";

    TheoryValueTable back = {{5, {9.0f}}};
    std::vector<std::string> backDescriptions;
    ASSERT_TRUE(ReadTheoryFile(path, back, backDescriptions));
    EXPECT_EQ(back, (TheoryValueTable{{-1, {1.0f, 2.5f}}, {5, {9.0f}}, {17, {-0.123f}}}));
    EXPECT_EQ(backDescriptions, descriptions);
}

TEST(TheoryValueFileTest, ReadingIsBoundedAndAFailedOpenChangesNothing) {
    ProjectScratchFolder folder;
    TheoryValueTable table = {{3, {1.0f}}};
    std::vector<std::string> descriptions = {"keep"};
    EXPECT_FALSE(ReadTheoryFile(folder.Path() + "/missing.try", table, descriptions));
    EXPECT_EQ(table, (TheoryValueTable{{3, {1.0f}}}));
    EXPECT_EQ(descriptions, std::vector<std::string>{"keep"});

    struct Case {
        const char* name;
        std::string bytes;
        TheoryValueTable expected;
        std::vector<std::string> descriptions;
    };
    const Case cases[] = {
        {"counts larger than the lines stop at the end", "2\n4\n1000000000\n1.5\n", {{4, {1.5f}}}, {}},
        {"a channel out of range is skipped", "2\n9999\n1\n7\n-2\n1\n8\n0\n", {}, {}},
        {"negative counts read as none", "1\n6\n-5\n-3\nx\ny\n", {{6, {}}}, {}},
        {"LF lines and junk numbers", "1\n2\n2\nabc\n3.25\n1\nend\n", {{2, {0.0f, 3.25f}}}, {"end"}},
        {"an empty file", "", {}, {}},
    };
    for (const Case& c : cases) {
        const std::string path = folder.Path() + "/case.try";
        WriteBytes(path, c.bytes);
        TheoryValueTable read;
        std::vector<std::string> readDescriptions;
        EXPECT_TRUE(ReadTheoryFile(path, read, readDescriptions)) << c.name;
        EXPECT_EQ(read, c.expected) << c.name;
        EXPECT_EQ(readDescriptions, c.descriptions) << c.name;
    }
}

TEST(TheoryValueFileTest, AFileThatCannotBeWrittenIsAFailure) {
    ProjectScratchFolder folder;
    EXPECT_FALSE(WriteTheoryFile(folder.Path() + "/none/x.try", {}, {}));
}

TEST(TheoryValueFileTest, AChannelTakesItsOwnValuesElseThoseOfAll) {
    const TheoryValueTable table = {{-1, {1.0f}}, {4, {2.0f}}, {5, {}}};
    EXPECT_EQ(*TheoryValuesOfChannel(table, 4), std::vector<float>{2.0f});
    EXPECT_EQ(*TheoryValuesOfChannel(table, 5), std::vector<float>{1.0f}) << "an empty group counts as none";
    EXPECT_EQ(*TheoryValuesOfChannel(table, 9), std::vector<float>{1.0f});
    EXPECT_EQ(TheoryValuesOfChannel({{4, {2.0f}}}, 9), nullptr);
}

TEST(KeyPointDecimalsTest, DecimalsFollowTheMeasurementType) {
    const std::map<int, int> byType = {{0, 1}, {2, 0}, {5, 4}};
    const auto typeOf = [](int channel) {
        return channel == 16 ? 0 : channel == 17 ? 2 : channel == 18 ? 5 : 6;
    };
    const std::map<int, int> decimals = KeyPointDecimals({16, 17, 18, 19, 4096}, typeOf, byType);
    EXPECT_EQ(decimals, (std::map<int, int>{{16, 1}, {17, 0}, {18, 4}, {19, 3}, {4096, 3}}));

    struct Case {
        int point;
        float value;
        const char* text;
    };
    const Case cases[] = {{16, 12.345f, "12.3"}, {17, -2.6f, "-3"},      {18, 0.5f, "0.5000"},
                          {19, 1.0f, "1.000"},   {4096, 7.25f, "7.250"}, {99, 1.0f, "1.000"}};
    for (const Case& c : cases)
        EXPECT_EQ(KeyPointValueText(decimals, c.point, c.value), c.text) << c.point;
}

} // namespace
