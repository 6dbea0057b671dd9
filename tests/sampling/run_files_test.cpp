// The run's per-unit files: created or appended to, written per set, and
// brought to equal length at the end of the run.
#include "SamplingFixture.h"

#include "platform/Files.h"

namespace {

class RunFilesTest : public ::testing::Test {
protected:
    RecordingHost host;
    RecordingFrame frame;
    std::unique_ptr<CSamplingControl> control;
    ScratchFolder scratch;
    std::string folder = scratch.Path();

    void SetUp() override {
        platform::SetUiThread();
        ResetCaseTables();
        host.project.SetProjectFolderAndName(folder, "run");
        control = std::make_unique<CSamplingControl>(&host, frame.GetSafeHwnd());
        g_nCaseCount = 2;
        g_CaseList[0] = 4;
        g_CaseList[1] = 9;
    }
    void TearDown() override { ResetCaseTables(); }
    std::string File(int unit, const char* extension) const {
        return folder + "/run_" + std::to_string(unit) + extension;
    }
    // Writes count sets in which only the units listed have their files open.
    void Store(int count) {
        SampleStatusRecord status{};
        for (int i = 0; i < count; ++i) {
            for (int unit : {4, 9}) {
                control->GetCurrentSet()[unit].nHeader = 1000 + i;
                control->GetCurrentSet()[unit].fValues[0] = static_cast<float>(i);
            }
            control->OnStoreSampleSet(&status, control->GetCurrentSet());
        }
    }
};

TEST_F(RunFilesTest, AFreshRunEmptiesTheFilesAndAnAppendingRunKeepsThem) {
    control->OnOpenSampleFiles();
    Store(2);
    control->OnCloseSampleFiles();
    EXPECT_EQ(platform::FileSize(File(4, ".dat")), 2 * 68);
    EXPECT_EQ(platform::FileSize(File(9, ".stu")), 2 * 32);

    host.project.m_bAppendData = true;
    control->OnOpenSampleFiles();
    Store(1);
    control->OnCloseSampleFiles();
    EXPECT_EQ(platform::FileSize(File(4, ".dat")), 3 * 68);
    EXPECT_TRUE(platform::FileExists(File(4, ".dat"))) << "closing keeps the files";

    host.project.m_bAppendData = false;
    control->OnOpenSampleFiles();
    control->OnCloseSampleFiles();
    EXPECT_EQ(platform::FileSize(File(4, ".dat")), 0);
}

TEST_F(RunFilesTest, TheShorterUnitIsPaddedWithItsUnitNumberAndNoValues) {
    control->OnOpenSampleFiles();
    Store(3);
    control->OnCloseSampleFiles();
    std::filesystem::resize_file(File(9, ".dat"), 68);
    std::filesystem::resize_file(File(9, ".stu"), 32);

    std::int32_t count = 0;
    control->GetMaxUnitSampleCount(count);
    EXPECT_EQ(count, 3);
    host.project.m_nTotalDataCount = count;
    EXPECT_EQ(control->PadPerUnitFiles(), 1);
    control->EnsureSampleDataFiles();

    EXPECT_EQ(platform::FileSize(File(4, ".dat")), 3 * 68) << "the longest stays as it is";
    EXPECT_EQ(platform::FileSize(File(9, ".stu")), 3 * 32);
    std::ifstream file(File(9, ".dat"), std::ios::binary);
    CaseSampleBlock blocks[3];
    ASSERT_TRUE(file.read(reinterpret_cast<char*>(blocks), sizeof blocks));
    EXPECT_EQ(blocks[0].nHeader, 9) << "a stored block is headed by its unit, not the set's word";
    EXPECT_EQ(blocks[0].fValues[0], 0.0f);
    for (int i = 1; i < 3; ++i) {
        EXPECT_EQ(blocks[i].nHeader, 9);
        for (float v : blocks[i].fValues)
            EXPECT_EQ(v, kNoValue) << "never measured, never a number";
    }
    std::ifstream statusFile(File(9, ".stu"), std::ios::binary);
    SampleStatusRecord status[3];
    ASSERT_TRUE(statusFile.read(reinterpret_cast<char*>(status), sizeof status));
    EXPECT_EQ(status[2].nStatus, 1) << "no sample was taken at that time";
    EXPECT_EQ(platform::FileSize(folder + "/run.dat"), 0);
    EXPECT_EQ(platform::FileSize(folder + "/run.stu"), 0);
}

} // namespace
