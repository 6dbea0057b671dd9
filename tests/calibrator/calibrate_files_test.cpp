// The calibrator's files: result names and their exclusive creation, the
// ".xls" result, correct.txt, CalibrateParam.ini and the lists and run
// settings read from QV7416.INI.
#include "CalibratorTestSupport.h"
#include "calibrator/CalibrateFiles.h"
#include "platform/Files.h"
#include "platform/Profile.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteAll(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

const platform::LocalDateTime kFinished{2024, 5, 6, 7, 8, 9};

} // namespace

TEST(CalibrateFilesTest, ResultNamesFollowTheOptions) {
    const struct {
        const char* what;
        DataFileOption option;
        const char* name;
    } cases[] = {
        {"date and time when no name", {}, "/prog/2024-05-06 070809.xls"},
        {"the name alone", {.FileName = "run", .DateStoring = true, .NumStoring = true}, "/prog/run.xls"},
        {"number with date",
         {.FileName = "run", .Multifile = true, .DateStoring = true, .NumStoring = true, .StartNum = 7},
         "/prog/run_2024_05_06_0007.xls"},
        {"number alone, over time",
         {.FileName = "run", .Multifile = true, .TimeStoring = true, .NumStoring = true, .StartNum = 12},
         "/prog/run_0012.xls"},
        {"date and time",
         {.FileName = "run",
          .Multifile = true,
          .DateStoring = true,
          .DateIndex = 1,
          .TimeStoring = true,
          .TimeIndex = 2},
         "/prog/run_20240506_090807.xls"},
        {"time alone",
         {.FileName = "run", .Multifile = true, .TimeStoring = true, .TimeIndex = 1},
         "/prog/run_07_08_09.xls"},
        {"day first",
         {.FileName = "run", .Multifile = true, .DateStoring = true, .DateIndex = 4},
         "/prog/run_06_05_2024.xls"},
        {"month first",
         {.FileName = "run", .Multifile = true, .DateStoring = true, .DateIndex = 3},
         "/prog/run_05062024.xls"},
        {"no part ticked", {.FileName = "run", .Multifile = true}, "/prog/run.xls"},
        {"Word result in a folder",
         {.FileName = "run", .FilePath = "/data/out", .SaveType = 1},
         "/data/out/run.docx"},
        {"a name is never a path", {.FileName = "../x"}, "/prog/.._x.xls"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ResultFilePath(c.option, "/prog", kFinished), c.name) << c.what;
}

TEST(CalibrateFilesTest, ResultFilesAreCreatedWithoutOverwriting) {
    ScratchFolder folder;
    const std::string wanted = folder.File("2024-05-06 070809.xls");
    const std::string expected[] = {wanted, folder.File("2024-05-06 0708092024-05-06 070809.xls"),
                                    folder.File("2024-05-06 0708092024-05-06 070809_1.xls")};
    for (const std::string& name : expected) {
        std::string created;
        std::FILE* file = CreateResultFile(wanted, kFinished, created);
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(created, name);
        std::fputs("mine", file);
        std::fclose(file);
    }
    EXPECT_EQ(ReadAll(wanted), "mine");
    std::string created;
    EXPECT_EQ(CreateResultFile(folder.File("missing/run.xls"), kFinished, created), nullptr);
    EXPECT_TRUE(created.empty());
}

TEST(CalibrateFilesTest, XlsResultIsTabSeparatedGbkText) {
    CalibrateData data;
    data.SetPointTable(0, {{5, 1000.0f}, {15, -1000.0f}});
    data.SetChannelList({0, 1});
    data.SetRun(0, 2, 20);
    data.ResetForRun();
    CaseSampleBlock block;
    block.fValues[0] = 1001.4f;
    block.fValues[1] = -999.6f;
    data.SetCurrent(5, 0);
    data.StoreReading(block);
    data.SetCurrent(15, 1);
    data.StoreReading(block);
    CalibrateChannelParam param;
    param.nCase = 1;
    param.nModule = 0;
    param.BridgeType = BRIDGE_QUARTER;
    param.MeasureRange = 20;
    param.BridgeVoltage = 2;
    param.UserDefined = 1;
    param.LeadR = 1.5f;
    DetectParam detect{"桥", "Q-1", "QV", "N7", "张", "李", "王", "2024-05-06"};

    ScratchFolder folder;
    std::string path;
    std::FILE* file = CreateResultFile(folder.File("r.xls"), kFinished, path);
    ASSERT_NE(file, nullptr);
    ASSERT_TRUE(WriteResultRows(file, ResultSheetRows(detect, param, ResultGridTexts(data, 0))));
    std::fclose(file);
    const std::string bytes = ReadAll(path);
    EXPECT_NE(bytes.find("\xA6\xCC\xA6\xC5"), std::string::npos) << "με in GBK";

    std::string expected =
        "被检设备名称\t桥\t被检设备编号\tQ-1\t被检仪器名称\tQV\t被检仪器编号\tN7\t检定人员\t张\t"
        "校对\t李\t审核\t王\t日期\t2024-05-06\t\n"
        "机号\t2\t模块\t1\t通道类型\t应变\t桥路方式\t1/4桥\t量程范围\t20000με\t激励电压\t2V\t"
        "自定义信号线\t是\t导线电阻\t1.50Ω\t\n";
    // Heading: the point values of the table, empty for the others.
    expected += "\t";
    for (int p = 0; p < 21; ++p)
        expected += std::string(p == 5 ? "1000" : p == 10 ? "0" : p == 15 ? "-1000" : "") + "\t";
    expected += "最大误差\t\n";
    for (int c = 1; c <= 16; ++c) {
        expected += std::to_string(c) + "\t";
        for (int p = 0; p < 21; ++p)
            expected += std::string(c == 1 && p == 5 ? "1001" : c == 2 && p == 15 ? "-1000" : "") + "\t";
        expected += std::string(c == 1 ? "0.0070" : c == 2 ? "0.0020" : c <= 16 ? "0.0000" : "") + "\t\n";
    }
    EXPECT_EQ(platform::GbkToUtf8(bytes), expected);
}

TEST(CalibrateFilesTest, CorrectFileRoundTripsAndReadsWhatATruncatedFileHolds) {
    ScratchFolder folder;
    const std::string path = folder.File(kCorrectFile);
    CorrectFileContent written;
    written.nCase = 2;
    written.nModule = 5;
    for (int c = 0; c < 16; ++c) {
        written.coefs[static_cast<std::size_t>(c)] = 1.0f + c / 1000.0f;
        written.errors[static_cast<std::size_t>(c)] = c / 100.0f;
    }
    written.hasErrors = true;
    ASSERT_TRUE(WriteCorrectFile(path, written));
    const std::string bytes = ReadAll(path);
    EXPECT_EQ(bytes.substr(0, 13), "\xBB\xFA\xBA\xC5\r\n3\r\n\xC4\xA3\xBF\xE9") << "GBK lines with CRLF";
    EXPECT_NE(bytes.find("1.015000\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("0.1500\r\n"), std::string::npos);

    CorrectFileContent read;
    ASSERT_TRUE(ReadCorrectFile(path, read));
    EXPECT_EQ(read.nCase, 2);
    EXPECT_EQ(read.nModule, 5);
    EXPECT_EQ(read.coefs, written.coefs);
    EXPECT_TRUE(read.hasErrors);
    EXPECT_NEAR(read.errors[15], 0.15f, 1e-6);

    // Cut off after the tenth coefficient line.
    std::size_t at = 0;
    for (int line = 0; line < 5 + 10; ++line)
        at = bytes.find("\r\n", at) + 2;
    WriteAll(path, bytes.substr(0, at));
    CorrectFileContent truncated;
    truncated.coefs.fill(7.0f);
    truncated.errors.fill(9.0f);
    ASSERT_TRUE(ReadCorrectFile(path, truncated));
    EXPECT_FLOAT_EQ(truncated.coefs[9], 1.009f);
    EXPECT_EQ(truncated.coefs[10], 7.0f);
    EXPECT_EQ(truncated.errors[0], 9.0f);
    EXPECT_FALSE(truncated.hasErrors);

    EXPECT_FALSE(ReadCorrectFile(folder.File("none.txt"), truncated));
}

TEST(CalibrateFilesTest, PointTablesComeFromTheSettingsFile) {
    ScratchFolder folder;
    const std::string path = folder.File(kCalibrateParamFile);
    CalibrateData data;
    data.SetPointTable(0, {});
    LoadPointTables(path, data);
    EXPECT_EQ(data.PointTable(0), DefaultStrainPointTable()) << "no file: the default table";

    WriteAll(path, "[StrainCalibrateParam]\r\nStrainCalibrateCount=0\r\n"
                   "[VoltageCalibrateParam]\r\nVoltageCalibrateCount=4\r\n"
                   "VoltageCalibrateIndex0=3\r\nVoltageCalibrateValue0=10\r\n"
                   "VoltageCalibrateIndex1=3\r\nVoltageCalibrateValue1=12\r\n"
                   "VoltageCalibrateIndex2=30\r\nVoltageCalibrateValue2=5\r\n"
                   "VoltageCalibrateIndex3=12\r\n");
    platform::FlushProfileCache();
    LoadPointTables(path, data);
    EXPECT_EQ(data.PointTable(0), (CalibratePointTable{{10, 0.0f}})) << "count 0: the zero point only";
    EXPECT_EQ(data.PointTable(1), (CalibratePointTable{{3, 12.0f}, {10, 0.0f}, {12, 0.0f}}));

    SavePointTable(path, 0, {{0, 20000.4f}, {10, 0.0f}, {20, -20000.0f}});
    EXPECT_EQ(platform::GetPrivateProfileString("StrainCalibrateParam", "StrainCalibrateValue0", "", path),
              "20000");
    LoadPointTables(path, data);
    EXPECT_EQ(data.PointTable(0), (CalibratePointTable{{0, 20000.0f}, {10, 0.0f}, {20, -20000.0f}}));
    EXPECT_EQ(data.PointTable(1).size(), 3u) << "the other section stays";
}

TEST(CalibrateFilesTest, ParametersAndOptionsRoundTrip) {
    ScratchFolder folder;
    const std::string path = folder.File(kCalibrateParamFile);
    CalibrateChannelParam block;
    DataFileOption option;
    int port = 0, baud = 0;
    LoadCalibrateParam(path, block);
    LoadDataFileOption(path, option);
    LoadComParam(path, port, baud);
    EXPECT_EQ(block.BridgeVoltage, 2);
    EXPECT_EQ(port, 1);
    EXPECT_EQ(baud, 19200);

    block = {};
    block.ChanType = 1;
    block.BridgeType = 2;
    block.MeasureRange = 20;
    block.BridgeVoltage = 5;
    block.UserDefined = 1;
    block.LeadR = 2.25f;
    option = {.FileName = "标定",
              .FilePath = "/data",
              .SaveMode = 1,
              .Multifile = true,
              .NumStoring = true,
              .StartNum = 42};
    SaveCalibrateParam(path, block);
    SaveDataFileOption(path, option);
    SaveComParam(path, 3, 9600);
    DetectParam detect{"a", "b", "c", "d", "e", "f", "g", "h"};
    SaveDetectParam(path, detect);
    EXPECT_EQ(platform::GetPrivateProfileString("CalibrateParam", "LeadR", "", path), "2.250");

    CalibrateChannelParam readBlock;
    DataFileOption readOption;
    DetectParam readDetect;
    LoadCalibrateParam(path, readBlock);
    LoadDataFileOption(path, readOption);
    LoadComParam(path, port, baud);
    LoadDetectParam(path, readDetect);
    EXPECT_EQ(std::memcmp(&readBlock, &block, sizeof block), 0);
    EXPECT_EQ(readOption.FileName, "标定");
    EXPECT_EQ(readOption.FilePath, "/data");
    EXPECT_EQ(readOption.SaveMode, 1);
    EXPECT_TRUE(readOption.Multifile && readOption.NumStoring);
    EXPECT_EQ(readOption.StartNum, 42);
    EXPECT_EQ(port, 3);
    EXPECT_EQ(baud, 9600);
    EXPECT_EQ(readDetect.Date, "h");
}

TEST(CalibrateFilesTest, InstrumentListsAndRunSettings) {
    ScratchFolder folder;
    const std::string path = folder.File(kInstrumentSettingsFile);
    WriteAll(path,
             "[SampleChanParams]\r\nFullValueCount=4\r\nFullValue0=5,x\r\nFullValue1=20\r\n"
             "FullValue2=30,y\r\n"
             "[BridgeVoltage]\r\nBridgeVoltageCount=3\r\nBridgeVoltage0=2,V\r\nBridgeVoltage1=10\r\n"
             "BridgeVoltage2=,5\r\n"
             "[Calibration]\r\nStandardLeadR=1.25\r\nSteadySleep=200\r\nStanding=3\r\nErrorPercent=0.1\r\n"
             "CalibrateType=0\r\n");
    EXPECT_EQ(ReadFullValues(path), (std::vector<int>{5, 0, 30})) << "no comma reads 0; stops at the gap";
    EXPECT_EQ(ReadBridgeVoltages(path), (std::vector<int>{2, 10, 0}));
    const CalibrationSettings settings = ReadCalibrationSettings(path);
    EXPECT_FLOAT_EQ(settings.StandardLeadR, 1.25f);
    EXPECT_EQ(settings.SteadySleep, 200);
    EXPECT_EQ(settings.Standing, 3);
    EXPECT_FLOAT_EQ(settings.ErrorPercent, 0.1f);
    EXPECT_EQ(settings.CalibrateType, 0);
    EXPECT_EQ(settings.ErrorGetTimes, 3);
    EXPECT_EQ(settings.ExceptionPercent, 20);

    const CalibrationSettings defaults = ReadCalibrationSettings(folder.File("none.ini"));
    EXPECT_EQ(defaults.SteadySleep, 1000);
    EXPECT_EQ(defaults.Standing, -1);
    EXPECT_FLOAT_EQ(defaults.ErrorPercent, 0.05f);
    EXPECT_EQ(defaults.CalibrateType, 1);
}
