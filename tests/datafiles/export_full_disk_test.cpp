// Every export onto a file system with no room left: it fails, says which
// file it could not write, and leaves no empty or cut-short file behind
// (nor its temporary file).
#include "ExportTestSupport.h"
#include "SmallDisk.h"
#include "datafiles/ExportSampleData.h"
#include "datafiles/MatExport.h"

#include <fstream>
#include <functional>

using namespace exporttest;
using namespace testrun;

namespace {

constexpr int kSamples = 3000;

class ExportFullDisk : public ExportFixture {};

TEST_F(ExportFullDisk, EveryExportFailsByNameAndLeavesNoFile) {
    SmallDisk disk(1 << 20);
    if (!disk.IsMounted())
        GTEST_SKIP() << "no private tmpfs here";
    ExportContext& ctx = Context(RunSpec{dir.Path(), "run", {0, 1}, kSamples});
    ctx.fSamplingFrequency = 50.0f;
    ctx.digitalChannels = {{5, "力"}};
    WriteFloats(ctx.digitalPath, std::vector<float>(std::size_t(kSamples) * 8, 1.5f));
    const std::string folder = disk.File("out");
    ASSERT_TRUE(std::filesystem::create_directory(folder));
    ctx.askExportFileName = [&](int type, std::string& out, std::string& title, std::string& ext) {
        out = folder;
        title = "exp";
        ext = type == 0 ? "txt" : type == 1 ? "xls" : "mat";
        return 1;
    };
    ASSERT_TRUE(disk.FillLeaving(16 * 1024));

    SaveDataOptions digital;
    digital.nFileLayout = 1;
    digital.nDigitalChannels[0] = 5;
    digital.nDigitalCount = 1;
    const struct {
        const char* name;
        std::function<int()> run;
    } exports[] = {
        {"text, one file",
         [&] {
             return ExportSampleData(ctx, 0, Options({1, 2, 17}, 1), 0, kSamples, 3);
         }},
        {"text, per channel",
         [&] {
             return ExportSampleData(ctx, 0, Options({1, 2}, 0), 0, kSamples, 3);
         }},
        {"xls",
         [&] {
             return SaveSampleDataXls(ctx, Options({1, 2, 17}, 1), 0, kSamples, 3);
         }},
        {"digital",
         [&] {
             return ExportDigitalData(ctx, digital, ctx.digitalPath, ctx.statusPath, 3, kSamples, 0,
                                      folder + "/dig.txt");
         }},
        {"MATLAB, one file",
         [&] {
             return SaveMatFile(ctx, Options({1, 2, 17}, 1), 0, kSamples);
         }},
        {"MATLAB, per channel",
         [&] {
             return SaveMatFile(ctx, Options({1, 2}, 0), 0, kSamples);
         }},
    };
    for (const auto& e : exports) {
        SCOPED_TRACE(e.name);
        const std::size_t before = boxes.Records().size();
        EXPECT_EQ(e.run(), 0);
        const auto records = boxes.Records();
        ASSERT_EQ(records.size(), before + 1) << "one message";
        EXPECT_NE(records.back().text.find(folder + "/"), std::string::npos) << records.back().text;
        EXPECT_NE(records.back().text.find("写入失败"), std::string::npos) << records.back().text;
        EXPECT_TRUE(Files(folder).empty()) << Files(folder).front();
    }
}

// A failed export keeps the file it would have replaced.
TEST_F(ExportFullDisk, AFailedExportKeepsTheOlderFile) {
    SmallDisk disk(1 << 20);
    if (!disk.IsMounted())
        GTEST_SKIP() << "no private tmpfs here";
    ExportContext& ctx = Context(RunSpec{dir.Path(), "run", {0, 1}, kSamples});
    ctx.askExportFileName = [&](int, std::string& out, std::string& title, std::string& ext) {
        out = disk.File("");
        out.pop_back();
        title = "exp";
        ext = "txt";
        return 1;
    };
    std::ofstream(disk.File("exp.txt")) << "older export";
    ASSERT_TRUE(disk.FillLeaving(16 * 1024));
    EXPECT_EQ(ExportSampleData(ctx, 0, Options({1, 2, 17}, 1), 0, kSamples, 3), 0);
    EXPECT_EQ(ReadText(disk.File("exp.txt")), "older export");
    EXPECT_EQ(Files(disk.File("")), (std::vector<std::string>{"exp.txt", "filler"}));
}

} // namespace
