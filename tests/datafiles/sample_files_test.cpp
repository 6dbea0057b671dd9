// Layouts of the stored runs, markers and per-unit names.
#include "RunWriter.h"
#include "datafiles/DataFileAccess.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>

using namespace testrun;

TEST(SampleFiles, SingleFileFrameAndStatusBytes) {
    TempDir dir;
    RunWriter run({dir.Path(), "run", {7, 2, 9}, 12});
    run.Write();
    const std::vector<char> dat = ReadBytes(run.DataPath());
    const std::vector<char> stu = ReadBytes(run.StatusPath());
    ASSERT_EQ(dat.size(), 12u * 204u);
    ASSERT_EQ(stu.size(), 12u * 32u);

    // Sample 10 starts at byte 2,040; its second block is unit 2's.
    std::int32_t unit;
    float value;
    std::memcpy(&unit, &dat[2040 + 68], 4);
    std::memcpy(&value, &dat[2040 + 68 + 4 + 4 * 3], 4);
    EXPECT_EQ(unit, 2);
    EXPECT_EQ(value, RawValue(2, 3, 10));

    double time;
    std::int32_t status;
    std::memcpy(&time, &stu[32 * 5], 8);
    std::memcpy(&status, &stu[32 * 5 + 8], 4);
    EXPECT_EQ(time, RunWriter::Time(5));
    EXPECT_EQ(status, 0);
    EXPECT_EQ(std::string(&stu[32 * 5 + 12]), RunWriter::Label(5));
    EXPECT_EQ(stu[32 * 5 + 31], '\0');

    // Channel 117 (unit 7, channel 5) is float 5 of the first block.
    HalfChannelTable table;
    const OnlineLayout layout = run.Layout();
    CDataFileAccess access(layout, table);
    float out[2];
    ASSERT_EQ(access.ReadChannelRange(run.DataPath(), 117, 10, 11, out), 1);
    EXPECT_EQ(out[0], RawValue(7, 5, 10) * 0.5f);
    EXPECT_EQ(out[1], RawValue(7, 5, 11) * 0.5f);
}

TEST(SampleFiles, MarkersAndTheirTexts) {
    struct Case {
        float value;
        int noOverflow;
        int special;
        int formatted;
        const char* text;
    };
    const Case cases[] = {
        {kNotBalanced, 0, 1, 1, "未平衡"}, {kNoValue, 0, 1, 1, "------"},
        {kNoValue, 1, 1, 1, "------"},     {kThirdMarker, 0, 1, 1, "溢出"},
        {kThirdMarker, 1, 1, 0, ""},       {9000000.0f, 0, 0, 1, "溢出"},
        {9000000.0f, 1, 0, 0, ""},         {-9000000.0f, 0, 0, 1, "溢出"},
        {8388608.0f, 0, 0, 0, ""},         {12.5f, 0, 0, 0, ""},
    };
    std::uint32_t bits;
    std::memcpy(&bits, &kNoValue, 4);
    EXPECT_EQ(bits, 0xCB000001u);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(IsSpecialValue(c.value), c.special);
        std::string text;
        EXPECT_EQ(FormatSpecialValue(c.noOverflow, c.value, text), c.formatted);
        EXPECT_EQ(text, c.text);
    }
}

TEST(SampleFiles, PerUnitNames) {
    const struct {
        const char* path;
        int unit;
        int status;
        const char* name;
    } cases[] = {
        {"/proj/run.dat", 3, 0, "/proj/run_3.dat"},
        {"/proj/run.dat", 3, 1, "/proj/run_3.stu"},
        {"/d/a.b/run.dat", 12, 0, "/d/a.b/run_12.dat"},
        {"/d/a.b/run", 12, 1, "/d/a.b/run_12.stu"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MakeCaseDataFileName(c.path, c.unit, c.status), c.name);
    OnlineLayout single = OnlineLayout::FromUnits({3}, false);
    EXPECT_EQ(MakeCaseStatusFileName(single, "/p/run.stu", 3), "/p/run.stu");
}

TEST(SampleFiles, StatusFileChoiceTakesTheLongestUnit) {
    TempDir dir;
    RunSpec spec{dir.Path(), "run", {4, 5, 6}, 120, true};
    spec.unitSamples[4] = 100;
    RunWriter run(spec);
    run.Write();
    EXPECT_EQ(SelectCaseStatusFile(run.Layout(), run.DataPath()), dir.Path() + "/run_5.stu");
    EXPECT_EQ(SelectCaseStatusFile(OnlineLayout::FromUnits({4}, false), run.DataPath()), run.DataPath());
    // One unit online without a status file: its name all the same.
    EXPECT_EQ(SelectCaseStatusFile(OnlineLayout::FromUnits({9}, true), run.DataPath()),
              dir.Path() + "/run_9.stu");
}
