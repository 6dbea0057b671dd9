// Exports of rosette and residual-stress results to ".xls" tables and to
// fixed-width text files, and the result column names.
#include "ExportTestSupport.h"
#include "SmallDisk.h"
#include "datafiles/ResultColumnNames.h"
#include "datafiles/ResultExport.h"

#include <cstring>
#include <sstream>

using namespace exporttest;
using namespace testrun;

namespace {

TEST(ResultColumnNames, KnownAndUnknownIndexes) {
    EXPECT_EQ(GetRosetteShortColumnName(5), "ψ");
    EXPECT_EQ(GetRosetteColumnName(5), "方向角");
    EXPECT_EQ(GetResidualShortColumnName(3), "γ");
    EXPECT_EQ(GetResidualColumnName(3), "方向角");
    EXPECT_EQ(GetResidualColumnName(8), "综合残余应力");
    const std::pair<std::string (*)(int), int> outside[] = {
        {GetRosetteShortColumnName, 6}, {GetRosetteColumnName, -1}, {GetResidualShortColumnName, 9},
        {GetResidualColumnName, -1},    {GetResidualColumnName, 9},
    };
    for (const auto& [name, index] : outside)
        EXPECT_EQ(name(index), "未 定 义") << index;
}

class ResultExport : public ExportFixture {
protected:
    // Value j of sample k of group n is n * 1000 + k * 10 + j.
    static float Value(int n, int k, int j) { return float(n * 1000 + k * 10 + j); }

    void WriteResults(const ResultKind& kind, int group, int samples) const {
        std::vector<char> bytes(std::size_t(kind.headerSize), 0);
        for (int k = 0; k < samples; ++k)
            for (int j = 0; j < kind.valueCount; ++j) {
                const float v = Value(group, k, j);
                const char* p = reinterpret_cast<const char*>(&v);
                bytes.insert(bytes.end(), p, p + 4);
            }
        std::FILE* f = std::fopen(ResultFileName(kind, context->dataPath, group).c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }

    ExportContext& Run(std::vector<int> groups, const ResultKind& kind = ResidualStressResults()) {
        ExportContext& ctx = Context(RunSpec{dir.Path(), "Beam", {0}, 12});
        ctx.residualGroupNames = {"焊缝A", "焊缝B", "焊缝C"};
        ctx.rosetteGroupTypes = {2, 0, 4};
        for (int group : groups)
            WriteResults(kind, group, 12);
        return ctx;
    }

    static std::string Repeat(const std::string& text, int n) {
        std::string out;
        for (int i = 0; i < n; ++i)
            out += text;
        return out;
    }

    int Text(const SaveDataOptions& options, int count, int first,
             const ResultKind& kind = ResidualStressResults()) {
        const auto call = kind.IsRosette() ? ExportRosetteText : ExportResidualStressText;
        return call(*context, options, context->dataPath, context->statusPath, 0, 1, count, first,
                    Out("res.txt"));
    }
};

TEST_F(ResultExport, SpreadsheetOneFileForTwoResidualGroups) {
    ExportContext& ctx = Run({1, 3});
    ctx.fSamplingFrequency = 2.0f;
    SaveDataOptions options = Options({0, 2});
    options.bRelativeTime = options.bChannelMark = 1;
    ASSERT_EQ(SaveResidualStressResults(ctx, options, 1, 2, 1), 1);
    EXPECT_EQ(lastType, 1);
    const std::string names = "ε1\tε2\tε3\tγ\tσmax\tσmin\tσx\tσy\tσr\t";
    EXPECT_EQ(
        ReadLines(Out("exp.xls")),
        (std::vector<std::string>{
            "\t组1(焊缝A)\t" + Repeat("\t", 8) + "组3(焊缝C)\t" + Repeat("\t", 8), Repeat("\t", 19),
            "相对时间\t" + names + names,
            "0.0                 \t1010.0\t1011.0\t1012.0\t1013.0\t1014.0\t1015.0\t1016.0\t1017.0\t1018.0\t"
            "3010.0\t3011.0\t3012.0\t3013.0\t3014.0\t3015.0\t3016.0\t3017.0\t3018.0\t",
            "0.5                 \t1020.0\t1021.0\t1022.0\t1023.0\t1024.0\t1025.0\t1026.0\t1027.0\t1028.0\t"
            "3020.0\t3021.0\t3022.0\t3023.0\t3024.0\t3025.0\t3026.0\t3027.0\t3028.0\t"}));
}

TEST_F(ResultExport, SpreadsheetHeadingDepthFollowsMarksAndDescriptions) {
    ExportContext& ctx = Run({1}, RosetteResults());
    SaveDataOptions options = Options({0});
    options.bSampleStatus = options.bAbsoluteTime = 1;
    // Neither marks nor descriptions: three heading lines, the third empty under the results.
    ASSERT_EQ(SaveRosetteResults(ctx, options, 0, 1, 0), 1);
    std::vector<std::string> lines = ReadLines(Out("exp.xls"));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "\t\t组1(等    角)\t\t\t\t\t\t");
    EXPECT_EQ(lines[2], "绝对时间\t采样状态\t\t\t\t\t\t\t");
    EXPECT_EQ(lines[3], "2025-12-9 12:00:00  \tbatch-0000000000000\t1000\t1001\t1002\t1003\t1004\t1005\t");

    options.bChannelMark = options.bDescription = 1;
    ASSERT_EQ(SaveRosetteResults(ctx, options, 0, 0, 0), 1);
    lines = ReadLines(Out("exp.xls"));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[2], "绝对时间\t采样状态\tε1\tε2\tσ1\tσ2\tτ_Max\tψ\t");
    EXPECT_EQ(lines[3], "\t\t主应变\t次应变\t主应力\t次应力\t最大剪切力\t方向角\t");
}

TEST_F(ResultExport, SpreadsheetPerGroupSkipsAMissingResultFileAndSaysSo) {
    ExportContext& ctx = Run({1, 3}, RosetteResults());
    ctx.rosetteGroupTypes = {2, 0, 4};
    SaveDataOptions options = Options({0, 1, 2}, 0);
    options.bRelativeTime = options.bChannelMark = 1;
    EXPECT_EQ(SaveRosetteResults(ctx, options, 0, 1, 2), 0);
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(Files(OutFolder()), (std::vector<std::string>{"组1(等    角).xls", "组3(扇    形).xls"}));
    EXPECT_EQ(ReadLines(Out("组3(扇    形).xls")),
              (std::vector<std::string>{
                  "相对时间\tε1\tε2\tσ1\tσ2\tτ_Max\tψ\t", "        \t\t\t\t\t\t\t",
                  "0.0                 \t3000.00\t3001.00\t3002.00\t3003.00\t3004.00\t3005.00\t"}));
}

TEST_F(ResultExport, SpreadsheetGroupNamesCannotLeaveTheFolder) {
    ExportContext& ctx = Run({1});
    ctx.residualGroupNames = {"../../x"};
    ASSERT_EQ(SaveResidualStressResults(ctx, Options({0}, 0), 0, 1, 0), 1);
    EXPECT_EQ(Files(OutFolder()), std::vector<std::string>{"组1(.._.._x).xls"});
}

TEST_F(ResultExport, SpreadsheetFailures) {
    struct Case {
        const char* name;
        std::function<void(SaveDataOptions&)> setUp;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {"cancelled", [this](SaveDataOptions&) { cancel = true; }, {}},
        {"folder exists",
         [this](SaveDataOptions& o) {
             o.bMakeFolder = 1;
             std::filesystem::create_directories(Out("exp"));
         },
         {}},
        {"no group", [](SaveDataOptions& o) { o.nChannelCount = 0; }, {}},
        {"data file missing",
         [this](SaveDataOptions&) { std::filesystem::remove(context->dataPath); },
         {"数据文件 " + dir.Path() + "/Beam.dat 不存在，无法继续完成该操作"}},
        {"result file short", [](SaveDataOptions& o) { o.nChannels[0] = 1; }, {"另存为Excel文件失败"}},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(OutFolder());
        std::filesystem::create_directories(OutFolder());
        cancel = false;
        platform::MessageBoxRecorder recorder;
        ExportContext& ctx = Run({1});
        WriteResults(ResidualStressResults(), 2, 3);
        SaveDataOptions options = Options({0});
        c.setUp(options);
        EXPECT_EQ(SaveResidualStressResults(ctx, options, 0, 4, 1), 0) << c.name;
        std::vector<std::string> texts;
        for (const auto& record : recorder.Records())
            texts.push_back(record.text);
        EXPECT_EQ(texts, c.messages) << c.name;
        for (const std::string& name : Files(OutFolder()))
            EXPECT_EQ(name, "exp") << c.name;
    }
}

TEST_F(ResultExport, TextLinesAreSamplesThenGroups) {
    ExportContext& ctx = Run({1, 3});
    ctx.nSamplingMode = 2;
    ctx.fSamplingFrequency = 4.0f;
    SaveDataOptions options = Options({2, 0});
    options.bRelativeTime = options.bAbsoluteTime = 1;
    ASSERT_EQ(Text(options, 3, 10 - 10 + 2), 1);
    const std::vector<std::string> lines = ReadLines(Out("res.txt"));
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0],
              "相对时间            绝对时间            γ                  ε1                 ε2      "
              "           ε3                 σmax               σmin               σx                 "
              "σy                 σr                 ");
    EXPECT_EQ(lines[1],
              "0.5                 2025-12-9 12:00:02  3023.0              3020.0              3021.0      "
              "        3022.0              3024.0              3025.0              3026.0              "
              "3027.0              3028.0              ");
    EXPECT_EQ(lines[2].substr(40, 20), "1023.0              ");
    EXPECT_EQ(lines[5].substr(0, 60), "1.0                 2025-12-9 12:00:04  3043.0              ");
}

TEST_F(ResultExport, TextRelativeTimeUsesTheRunsSamplingInterval) {
    struct Case {
        int mode;
        float frequency;
        const char* time;
    };
    // A continuous run at 4 Hz, and a timed run one second a sample.
    for (const Case& c : {Case{2, 4.0f, "2.5"}, Case{0, 4.0f, "10.0"}}) {
        ExportContext& ctx = Run({1});
        ctx.nSamplingMode = c.mode;
        ctx.fSamplingFrequency = c.frequency;
        SaveDataOptions options = Options({0});
        options.bRelativeTime = 1;
        ASSERT_EQ(Text(options, 1, 10), 1);
        EXPECT_EQ(ReadLines(Out("res.txt")).at(1).substr(0, 20),
                  std::string(c.time) + std::string(20 - std::strlen(c.time), ' '));
    }
}

TEST_F(ResultExport, TextDecimationAveragesWholeSteps) {
    struct Case {
        int count;
        int step;
        int average;
        std::vector<std::string> first; // first value column (γ) of each line
    };
    const Case cases[] = {
        {10, 4, 1, {"1018.0", "1058.0"}},
        {10, 4, 0, {"1003.0", "1043.0"}},
        {3, 4, 1, {}},
        {2, 1, 0, {"1003.0", "1013.0"}},
    };
    for (const Case& c : cases) {
        ExportContext& ctx = Run({1});
        ctx.nSamplingMode = 2;
        ctx.fSamplingFrequency = 2.0f;
        SaveDataOptions options = Options({0});
        options.bDecimate = 1;
        options.bAverage = c.average;
        options.nStep = c.step;
        options.bSampleStatus = 1;
        ASSERT_EQ(Text(options, c.count, 0), 1);
        const std::vector<std::string> lines = ReadLines(Out("res.txt"));
        ASSERT_EQ(lines.size(), c.first.size() + 1) << c.count << "/" << c.step;
        for (std::size_t i = 0; i < c.first.size(); ++i) {
            // The status text of a step ("  " and the label) is wider than its column and kept whole.
            std::istringstream fields(lines[i + 1]);
            std::string status, value;
            fields >> status >> value;
            EXPECT_EQ(status, platform::Format("batch-%013d", c.step * int(i)));
            EXPECT_EQ(value, c.first[i]);
        }
    }
}

TEST_F(ResultExport, RosetteTextBeginsWithTheDirectionAngle) {
    Run({2}, RosetteResults());
    ASSERT_EQ(Text(Options({1}), 1, 0, RosetteResults()), 1);
    EXPECT_EQ(ReadLines(Out("res.txt")),
              (std::vector<std::string>{
                  "ψ                  ε1                 ε2                 σ1                 "
                  "σ2                 τ_Max              ",
                  "2005.0              2000.0              2001.0              2002.0              "
                  "2003.0              2004.0              "}));
}

TEST_F(ResultExport, TextWritesNothingForAnotherLayoutOrMissingResults) {
    Run({1});
    EXPECT_EQ(Text(Options({0}, 0), 2, 0), 1);
    EXPECT_EQ(Text(Options({0, 1}), 2, 0), 0); // group 2 has no results
    EXPECT_EQ(Text(Options({0}), 13, 0), 0);   // beyond the stored results
    EXPECT_TRUE(Files(OutFolder()).empty());
}

TEST_F(ResultExport, TextMadeFolderFallsBackToTheChosenPath) {
    Run({1});
    SaveDataOptions options = Options({0});
    options.bMakeFolder = 1;
    ASSERT_EQ(Text(options, 1, 0), 1);
    EXPECT_EQ(Files(Out("res")), std::vector<std::string>{"res.txt"});
    ASSERT_EQ(Text(options, 1, 0), 1); // the folder exists now
    EXPECT_EQ(Messages(), std::vector<std::string>{"创建目录" + Out("res") + "失败!"});
    EXPECT_EQ(Files(OutFolder()), (std::vector<std::string>{"res", "res.txt"}));
}

TEST_F(ResultExport, AWriteFailureIsReported) {
    SmallDisk disk(1 << 20);
    if (!disk.IsMounted())
        GTEST_SKIP() << "no private tmpfs here";
    ExportContext& ctx = Run({1});
    // The output folder lies on a file system with no room left.
    std::filesystem::remove_all(OutFolder());
    std::filesystem::create_directory(disk.File("out"));
    std::filesystem::create_directory_symlink(disk.File("out"), OutFolder());
    ASSERT_TRUE(disk.FillLeaving(0));
    EXPECT_EQ(SaveResidualStressResults(ctx, Options({0}), 0, 12, 1), 0);
    const std::vector<std::string> messages = Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_NE(messages[0].find(Out("exp.xls")), std::string::npos) << messages[0];
    EXPECT_EQ(messages[1], "另存为Excel文件失败");
    EXPECT_EQ(Text(Options({0}), 12, 0), 0);
    EXPECT_NE(Messages().back().find(Out("res.txt")), std::string::npos) << Messages().back();
    EXPECT_TRUE(Files(OutFolder()).empty());
}

} // namespace
