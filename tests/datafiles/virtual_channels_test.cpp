// Recomputation of virtual-channel files from stored runs in both arrangements.
#include "RunWriter.h"
#include "datafiles/VirtualChannels.h"

#include <cmath>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>

using namespace testrun;

namespace {

std::vector<float> ReadFloats(const std::string& path) {
    const std::vector<char> bytes = ReadBytes(path);
    std::vector<float> values(bytes.size() / 4);
    std::memcpy(values.data(), bytes.data(), values.size() * 4);
    return values;
}

} // namespace

TEST(VirtualChannels, FilesFromBothArrangements) {
    for (bool perCase : {false, true}) {
        SCOPED_TRACE(perCase);
        TempDir dir;
        RunSpec spec{dir.Path(), "run", {1, 2}, 2050, perCase};
        spec.overrides[{2, 1024}] = {{0, kNotBalanced}};
        RunWriter run(spec);
        run.Write();
        const OnlineLayout layout = run.Layout();
        HalfChannelTable table;
        VirtualChannelRun vrun{layout, table, run.DataPath(), 2050, 2};
        std::vector<FormulaProgram::Status> statuses;
        // ch17 is channel 16 (unit 1, channel 0), ch33 channel 32 (unit 2, channel 0).
        ASSERT_EQ(ComputeVirtualChannels(vrun, {"ch33-ch17", "2*(3", "ch17/0"}, 3, &statuses), 1);
        EXPECT_EQ(statuses, (std::vector<FormulaProgram::Status>{FormulaProgram::Status::Ok,
                                                                 FormulaProgram::Status::Unbalanced,
                                                                 FormulaProgram::Status::Ok}));
        EXPECT_EQ(VirtualChannelFileName(run.DataPath(), 2), dir.Path() + "/run2.vit");
        const std::vector<float> first = ReadFloats(dir.Path() + "/run1.vit");
        ASSERT_EQ(first.size(), 2050u);
        for (int k = 0; k < 2050; ++k) {
            const float expected = k == 1024 ? kNoValue : (RawValue(2, 0, k) - RawValue(1, 0, k)) * 0.5f;
            ASSERT_EQ(first[k], expected) << k;
        }
        EXPECT_EQ(ReadFloats(dir.Path() + "/run2.vit"), std::vector<float>(2050, 0.0f));
        EXPECT_EQ(ReadFloats(dir.Path() + "/run3.vit"), std::vector<float>(2050, 0.0f));
    }
}

TEST(VirtualChannels, RefusalsAndFailures) {
    TempDir dir;
    RunWriter run({dir.Path(), "run", {1}, 10, true});
    run.Write();
    const OnlineLayout layout = run.Layout();
    HalfChannelTable table;
    VirtualChannelRun vrun{layout, table, run.DataPath(), 10, 1};
    EXPECT_EQ(ComputeVirtualChannels(vrun, {"1"}, 1), 0); // no stored data
    vrun.projectState = 3;
    EXPECT_EQ(ComputeVirtualChannels(vrun, {"1"}, 0), 0);
    // The second file cannot be created: the first is complete, no further one.
    std::filesystem::create_directory(dir.Path() + "/run2.vit");
    EXPECT_EQ(ComputeVirtualChannels(vrun, {"ch17+1", "2", "3"}, 3), 0);
    EXPECT_EQ(ReadFloats(dir.Path() + "/run1.vit").size(), 10u);
    EXPECT_FALSE(std::filesystem::exists(dir.Path() + "/run3.vit"));
    // A run stored in one file that is missing.
    const OnlineLayout single = OnlineLayout::FromUnits({1}, false);
    VirtualChannelRun missing{single, table, dir.Path() + "/none.dat", 10, 3};
    EXPECT_EQ(ComputeVirtualChannels(missing, {"ch17"}, 1), 0);
}

TEST(VirtualChannels, TwoOperandForm) {
    TempDir dir;
    RunWriter run({dir.Path(), "run", {0}, 3});
    run.Write();
    const OnlineLayout layout = run.Layout();
    HalfChannelTable table;
    VirtualChannelRun vrun{layout, table, run.DataPath(), 3, 2};
    std::vector<OperatorVirtualChannel> defs(3);
    defs[0] = {1, 4, 3, 2.0f, 1.0f, "", ""};   // 2a - b
    defs[1] = {3, 0, 5, 1.0f, 1.0f, "", ""};   // a / b, b is 0 at sample 0
    defs[2] = {0, 3, 4, 1.0f, 1.0f, "^", "^"}; // sqrt(a^2 + b^2)
    ASSERT_EQ(ComputeOperatorVirtualChannels(vrun, defs, 3), 1);
    const auto v = [](int ch, int k) { return double(RawValue(0, ch, k)) * 0.5; };
    const std::vector<float> first = ReadFloats(dir.Path() + "/run1.vit");
    EXPECT_EQ(first[1], float(2 * v(4, 1) - v(3, 1)));
    EXPECT_EQ(ReadFloats(dir.Path() + "/run2.vit")[0], 0.0f);
    EXPECT_EQ(ReadFloats(dir.Path() + "/run3.vit")[2],
              float(std::sqrt(v(3, 2) * v(3, 2) + v(4, 2) * v(4, 2))));
}
