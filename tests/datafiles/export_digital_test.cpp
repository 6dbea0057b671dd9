// Export of the digital channels alone from the run's digital data file.
#include "ExportTestSupport.h"
#include "datafiles/ExportSampleData.h"

using namespace exporttest;
using namespace testrun;

namespace {

class DigitalExport : public ExportFixture {
protected:
    // Three stored digital records over a five-sample run: float p of
    // record k is 10 * k + p.
    ExportContext& Run() {
        ExportContext& ctx = Context(RunSpec{dir.Path(), "run", {0}, 5});
        ctx.digitalChannels = {{7, "位移"}, {5, "压/力"}};
        std::vector<float> values;
        for (int k = 0; k < 3; ++k)
            for (int p = 0; p < 8; ++p)
                values.push_back(float(10 * k + p));
        WriteFloats(ctx.digitalPath, values);
        return ctx;
    }
    SaveDataOptions Options(int layout) const {
        SaveDataOptions options;
        options.nFileLayout = layout;
        options.nChannelCount = 0;
        options.nDigitalChannels[0] = 5;
        options.nDigitalChannels[1] = 7;
        options.nDigitalChannels[2] = 3; // not in the table
        options.nDigitalCount = 3;
        return options;
    }
    int Export(const SaveDataOptions& options, int count) {
        return ExportDigitalData(*context, options, context->digitalPath, context->statusPath, 1, count, 0,
                                 Out("dig.txt"));
    }
};

TEST_F(DigitalExport, AllInOneFileWritesOnlyStoredRecords) {
    Run();
    SaveDataOptions options = Options(1);
    options.bRelativeTime = options.bChannelMark = options.bDescription = 1;
    ASSERT_EQ(Export(options, 5), 1);
    EXPECT_EQ(
        ReadLines(Out("dig.txt")),
        (std::vector<std::string>{"相对时间            \t",
                                  "                    \t压/力          \t位移           \t               \t",
                                  "0.00                \t1.0            \t0.0            \t",
                                  "1.00                \t11.0           \t10.0           \t",
                                  "2.00                \t21.0           \t20.0           \t"}));
}

TEST_F(DigitalExport, DecimatedAllInOneAveragesWithTheRemainder) {
    Run();
    SaveDataOptions options = Options(1);
    options.bDecimate = options.bAverage = 1;
    options.nStep = 2;
    ASSERT_EQ(Export(options, 3), 1);
    const std::vector<std::string> lines = ReadLines(Out("dig.txt"));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(Cells(lines[2]), (std::vector<std::string>{"6.0", "5.0"}));
    EXPECT_EQ(Cells(lines[3]), (std::vector<std::string>{"21.0", "20.0"}));
}

TEST_F(DigitalExport, PerChannelNamesStayInTheChosenFolder) {
    Run();
    ASSERT_EQ(Export(Options(0), 5), 1);
    EXPECT_EQ(Files(OutFolder()), (std::vector<std::string>{"dig.txt", "dig位移.txt", "dig压_力.txt"}));
    EXPECT_EQ(ReadLines(Out("dig压_力.txt")).size(), 5u);
    // The entry missing from the table writes its heading and no rows.
    EXPECT_EQ(ReadLines(Out("dig.txt")).size(), 2u);
}

TEST_F(DigitalExport, MissingInputsReturnZero) {
    Run();
    EXPECT_EQ(ExportDigitalData(*context, Options(1), "", context->statusPath, 1, 3, 0, Out("dig.txt")), 0);
    EXPECT_TRUE(Messages().empty());
    const std::string missing = dir.Path() + "/none.dst";
    EXPECT_EQ(ExportDigitalData(*context, Options(1), missing, context->statusPath, 1, 3, 0, Out("dig.txt")),
              0);
    EXPECT_EQ(Messages(), std::vector<std::string>{"数据文件 " + missing + " 不存在，无法继续完成该操作"});
    EXPECT_TRUE(Files(OutFolder()).empty());
}

} // namespace
