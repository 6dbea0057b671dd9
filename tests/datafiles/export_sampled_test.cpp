// Exports of stored samples: layouts, columns, decimation and markers,
// checked byte for byte on the files written (GBK, CRLF).
#include "ExportTestSupport.h"
#include "datafiles/ExportSampleData.h"

#include <algorithm>
#include <cstring>
#include <fstream>

using namespace exporttest;
using namespace testrun;

namespace {

class SampledExport : public ExportFixture {
protected:
    // Ten samples of units 0 and 1, one second apart, with two markers.
    RunSpec Spec(bool perCase = false) const {
        RunSpec spec{dir.Path(), "run", {0, 1}, 10, perCase};
        spec.overrides[{0, 2}] = {{1, kNotBalanced}};
        spec.overrides[{1, 3}] = {{1, kNoValue}};
        return spec;
    }
    // Cells of column c of the rows below the two heading lines.
    static std::vector<std::string> Column(const std::vector<std::string>& lines, std::size_t c) {
        std::vector<std::string> column;
        for (std::size_t i = 2; i < lines.size(); ++i)
            column.push_back(Cells(lines[i]).at(c));
        return column;
    }
};

TEST_F(SampledExport, AllChannelsInOneFileWithEveryColumnInBothArrangements) {
    const std::vector<std::string> golden = {
        "相对时间            \t绝对时间            \t采样状态                 \t01_01_02       \t01_02_02    "
        "   \t虚拟1"
        "          \t",
        "                         \t                    \t                    \t测点1          \t测点17      "
        "   \t虚拟"
        "标签1      \t压力           \t               \t",
        "0.50                \t2025-12-9 12:00:01  \tbatch-0000000000001      \t500.50         \t8500.50     "
        "   \t2.50"
        "           \t11.00          \t",
        "1.00                \t2025-12-9 12:00:02  \tbatch-0000000000002      \t未平衡         \t8501.00     "
        "   \t3.50"
        "           \t12.00          \t",
        "1.50                \t2025-12-9 12:00:03  \tbatch-0000000000003      \t501.50         \t------      "
        "   \t"
        "               \t0.00           \t",
    };
    for (bool perCase : {false, true}) {
        SCOPED_TRACE(perCase ? "per unit" : "single file");
        ExportContext& ctx = Context(Spec(perCase));
        ctx.nSamplingMode = 2; // continuous at 2 Hz: times count from the run's first sample
        ctx.fSamplingFrequency = 2.0f;
        ctx.digitalChannels = {{5, "压力"}};
        WriteFloats(dir.Path() + "/run1.vit", {1.5f, 2.5f, 3.5f}); // one value short of the range
        WriteFloats(ctx.digitalPath,
                    {0, 0, 0, 0, 0, 0, 0, 0, 11, 0, 0, 0, 0, 0, 0, 0, 12, 0, 0, 0, 0, 0, 0, 0});
        SaveDataOptions options = Options({1, 17, 4096}, 1);
        options.bRelativeTime = options.bAbsoluteTime = options.bSampleStatus = 1;
        options.bChannelMark = options.bDescription = 1;
        options.nDigitalChannels[0] = 5;
        options.nDigitalChannels[1] = 9; // not in the digital channel table
        options.nDigitalCount = 2;

        ASSERT_EQ(ExportSampleData(ctx, 0, options, 1, 3, 2), 1);
        EXPECT_EQ(ReadLines(Out("exp.txt")), golden);
        // The spreadsheet type differs only in its extension.
        ASSERT_EQ(SaveSampleDataXls(ctx, options, 1, 3, 2), 1);
        EXPECT_EQ(lastType, 1);
        EXPECT_EQ(ReadBytes(Out("exp.xls")), ReadBytes(Out("exp.txt")));
    }
}

TEST_F(SampledExport, OneFilePerChannelWithElapsedSecondsOfATimedRun) {
    ExportContext& ctx = Context(Spec());
    WriteFloats(dir.Path() + "/run1.vit", {1.5f, 2.5f, 3.5f});
    SaveDataOptions options = Options({1, 4096}, 0);
    options.bRelativeTime = 1;
    ASSERT_EQ(ExportSampleData(ctx, 0, options, 2, 2, 1), 1);
    EXPECT_EQ(Files(OutFolder()), (std::vector<std::string>{"exp_01-01-02.txt", "exp_虚拟1.txt"}));
    EXPECT_EQ(
        ReadLines(Out("exp_01-01-02.txt")),
        (std::vector<std::string>{"相对时间            \t", "", "0.00                \t未平衡         \t",
                                  "1.00                \t501.5          \t"}));
    EXPECT_EQ(
        ReadLines(Out("exp_虚拟1.txt")),
        (std::vector<std::string>{"相对时间            \t", "", "0.00                \t3.5            \t",
                                  "1.00                \t               \t"}));
}

TEST_F(SampledExport, MarksAndDescriptionsOfOneChannel) {
    ExportContext& ctx = Context(Spec());
    SaveDataOptions options = Options({17}, 0);
    options.bChannelMark = options.bDescription = options.bAbsoluteTime = 1;
    ASSERT_EQ(ExportSampleData(ctx, 0, options, 0, 1, 3), 1);
    EXPECT_EQ(ReadLines(Out("exp_01-02-02.txt")),
              (std::vector<std::string>{"绝对时间            \t_01-02-02           \t",
                                        "                    \t测点17              \t",
                                        "2025-12-9 12:00:00  \t8500.000       \t"}));
}

TEST_F(SampledExport, ChosenPerChannelFileGivesItsBaseTitleAndIsNotDeleted) {
    struct Case {
        const char* title;
        std::vector<std::string> files;
    };
    const Case cases[] = {
        {"exp_01-01-02", {"exp_01-01-02.txt", "exp_01-02-02.txt"}},
        {"a_01-01-02b", {"a_01-01-02b_01-02-02.txt", "exp_01-01-02.txt"}},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(OutFolder());
        std::filesystem::create_directories(OutFolder());
        ExportContext& ctx = Context(Spec());
        WriteFloats(Out("exp_01-01-02.txt"), {1.0f}); // a file the export did not write
        chosenTitle = c.title;
        ASSERT_EQ(ExportSampleData(ctx, 0, Options({17}, 0), 0, 1, 2), 1) << c.title;
        EXPECT_EQ(Files(OutFolder()), c.files) << c.title;
        EXPECT_EQ(ReadBytes(Out("exp_01-01-02.txt")).size(), 4u) << c.title;
    }
}

TEST_F(SampledExport, DecimationPicksOrAveragesGroups) {
    struct Case {
        int layout;
        int count;
        int step;
        int average;
        std::vector<std::string> values;
    };
    // Channel 2 holds 1000 + sample / 2.
    const Case cases[] = {
        {0, 10, 4, 0, {"1000.00", "1002.00"}},
        {0, 10, 4, 1, {"1000.75", "1002.75"}},
        {1, 10, 4, 0, {"1000.00", "1002.00", "1004.00"}},
        {1, 10, 4, 1, {"1000.75", "1002.75", "1004.25"}},
        {1, 3, 4, 1, {"1000.50"}},
        {1, 3, 1, 0, {"1000.00", "1000.50", "1001.00"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "layout " << c.layout << " count " << c.count << " step "
                                          << c.step << " average " << c.average);
        ExportContext& ctx = Context(Spec());
        SaveDataOptions options = Options({2}, c.layout);
        options.bDecimate = 1;
        options.nStep = c.step;
        options.bAverage = c.average;
        ASSERT_EQ(ExportSampleData(ctx, 0, options, 0, c.count, 2), 1);
        EXPECT_EQ(Column(ReadLines(Out(c.layout ? "exp.txt" : "exp_01-01-03.txt")), 0), c.values);
    }
}

TEST_F(SampledExport, DecimatedRowsShowOneDecimalTimesAndNumbersOnly) {
    ExportContext& ctx = Context(Spec());
    ctx.nSamplingMode = 2;
    ctx.fSamplingFrequency = 4.0f;
    SaveDataOptions options = Options({1}, 1);
    options.bDecimate = options.bRelativeTime = options.bAbsoluteTime = options.bSampleStatus = 1;
    options.nStep = 2;
    ASSERT_EQ(ExportSampleData(ctx, 0, options, 2, 4, 1), 1);
    const std::vector<std::string> lines = ReadLines(Out("exp.txt"));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[2],
              "0.5                 \t2025-12-9 12:00:02  \t                         \t8388609.0      \t");
    EXPECT_EQ(lines[3],
              "1.0                 \t2025-12-9 12:00:04  \t                         \t502.0          \t");
}

TEST_F(SampledExport, NoDecimationGroupStopsTheExport) {
    ExportContext& ctx = Context(Spec());
    SaveDataOptions options = Options({2, 3}, 0);
    options.bDecimate = 1;
    options.nStep = 4;
    EXPECT_EQ(ExportSampleData(ctx, 0, options, 0, 3, 2), 0);
    EXPECT_EQ(Messages(), std::vector<std::string>{"抽点个数为零!"});
    EXPECT_EQ(Files(OutFolder()), std::vector<std::string>{"exp_01-01-03.txt"});
    EXPECT_EQ(ReadLines(Out("exp_01-01-03.txt")).size(), 2u);
}

TEST_F(SampledExport, OverflowTextOnlyForStrainChannels) {
    RunSpec spec = Spec();
    spec.overrides[{0, 0}] = {{3, 9000000.0f}, {4, 9000000.0f}, {5, kThirdMarker}};
    ExportContext& ctx = Context(spec);
    table.params[4].nMeasureType = 2;
    ASSERT_EQ(ExportSampleData(ctx, 0, Options({3, 4, 5}, 1), 0, 1, 2), 1);
    EXPECT_EQ(Cells(ReadLines(Out("exp.txt")).at(2)),
              (std::vector<std::string>{"溢出", "4500000.00", "溢出"}));
}

TEST_F(SampledExport, TheRunsFirstSampleIsARowLikeAnyOtherInBothArrangements) {
    for (bool perCase : {false, true}) {
        SCOPED_TRACE(perCase ? "per unit" : "single file");
        ExportContext& ctx = Context(Spec(perCase));
        ASSERT_EQ(ExportSampleData(ctx, 0, Options({1, 17}, 1), 0, 2, 1), 1);
        const std::vector<std::string> lines = ReadLines(Out("exp.txt"));
        ASSERT_EQ(lines.size(), 4u);
        EXPECT_EQ(Cells(lines[2]), (std::vector<std::string>{"500.0", "8500.0"}));
        EXPECT_EQ(Cells(lines[3]), (std::vector<std::string>{"500.5", "8500.5"}));
    }
}

TEST_F(SampledExport, SamplesBeyondTheRunAreNoValuesWithoutTimes) {
    for (bool perCase : {false, true}) {
        RunSpec spec = Spec(perCase);
        spec.unitSamples[1] = 9; // per unit: unit 1 stored one sample less
        ExportContext& ctx = Context(spec);
        SaveDataOptions options = Options({1, 17}, 1);
        options.bAbsoluteTime = 1;
        ASSERT_EQ(ExportSampleData(ctx, 0, options, 8, 3, 1), 1);
        const std::vector<std::string> lines = ReadLines(Out("exp.txt"));
        ASSERT_EQ(lines.size(), 5u);
        EXPECT_EQ(Cells(lines[3]),
                  (std::vector<std::string>{"2025-12-9 12:00:09", "504.5", perCase ? "------" : "8504.5"}));
        EXPECT_EQ(Cells(lines[4]), (std::vector<std::string>{"", "------", "------"}));
    }
}

TEST_F(SampledExport, FailuresWriteNothingAndReturnZero) {
    struct Case {
        const char* name;
        std::function<void(SaveDataOptions&)> setUp;
        int result;
        std::vector<std::string> files;
    };
    const Case cases[] = {
        {"cancelled", [this](SaveDataOptions&) { cancel = true; }, 0, {}},
        {"folder exists",
         [this](SaveDataOptions& o) {
             o.bMakeFolder = 1;
             std::filesystem::create_directories(Out("exp"));
         },
         0,
         {"exp"}},
        {"unknown layout", [](SaveDataOptions& o) { o.nFileLayout = 2; }, 1, {}},
        {"output cannot be created", [this](SaveDataOptions&) { chosenTitle = "missing/exp"; }, 0, {}},
        {"data file missing",
         [this](SaveDataOptions&) { std::filesystem::remove(writer->DataPath()); },
         0,
         {}},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(OutFolder());
        std::filesystem::create_directories(OutFolder());
        cancel = false;
        chosenTitle = "exp";
        ExportContext& ctx = Context(Spec());
        SaveDataOptions options = Options({1}, 1);
        c.setUp(options);
        EXPECT_EQ(ExportSampleData(ctx, 0, options, 0, 2, 2), c.result) << c.name;
        EXPECT_EQ(Files(OutFolder()), c.files) << c.name;
        if (c.files.size() == 1) {
            EXPECT_TRUE(Files(Out("exp")).empty()) << c.name;
        }
    }
}

TEST_F(SampledExport, MadeFolderTakesTheFiles) {
    ExportContext& ctx = Context(Spec());
    SaveDataOptions options = Options({1}, 1);
    options.bMakeFolder = 1;
    ASSERT_EQ(ExportSampleData(ctx, 0, options, 0, 2, 2), 1);
    EXPECT_EQ(Files(Out("exp")), std::vector<std::string>{"exp.txt"});
}

} // namespace

namespace {

// A batch label as the program stores it: GBK bytes in the status record.
void WriteGbkLabel(const std::string& statusPath, std::int64_t sample, const std::string& utf8) {
    const std::string gbk = platform::Utf8ToGbk(utf8);
    std::fstream file(statusPath, std::ios::binary | std::ios::in | std::ios::out);
    SampleStatusRecord record{};
    file.seekg(sample * std::int64_t(sizeof record));
    file.read(reinterpret_cast<char*>(&record), sizeof record);
    std::memset(record.szLabel, 0, sizeof record.szLabel);
    std::memcpy(record.szLabel, gbk.data(), std::min(gbk.size(), sizeof record.szLabel - 1));
    file.seekp(sample * std::int64_t(sizeof record));
    file.write(reinterpret_cast<const char*>(&record), sizeof record);
}

TEST_F(SampledExport, ChineseBatchLabelsReachTheTextAndSpreadsheetFilesIntact) {
    ExportContext& ctx = Context(Spec());
    WriteGbkLabel(ctx.statusPath, 1, "试验批次2");
    SaveDataOptions options = Options({1}, 1);
    options.bSampleStatus = 1;
    ASSERT_EQ(ExportSampleData(ctx, 0, options, 1, 2, 2), 1);
    ASSERT_EQ(SaveSampleDataXls(ctx, options, 1, 2, 2), 1);
    for (const char* file : {"exp.txt", "exp.xls"}) {
        const std::vector<std::string> lines = ReadLines(Out(file));
        ASSERT_EQ(lines.size(), 4u) << file;
        EXPECT_EQ(Cells(lines[2]).at(0), "试验批次2") << file;
        EXPECT_EQ(Cells(lines[3]).at(0), "batch-0000000000002") << file;
    }
}

} // namespace
