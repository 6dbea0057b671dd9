// The tool bar's 实时数据不存盘 and 实时数据存盘 during a continuous run: the
// unit files stop growing while the run goes on, and grow again.
#include "FrameRunFixture.h"

#include <filesystem>

namespace {

constexpr int ID_START_SAMPLE = 32788;
constexpr int ID_STOP_SAMPLE = 32791;
constexpr int ID_SAVE_REALTIME_DATA = 32866;
constexpr int ID_NO_SAVE_REALTIME_DATA = 32868;

class FrameSavingSwitchTest : public FrameRunTest {};

TEST_F(FrameSavingSwitchTest, NotStoringHoldsTheUnitFilesAndStoringGrowsThemAgain) {
    ASSERT_NO_FATAL_FAILURE(FindCasesAndPrepareProject());
    SetRunSettings(SAMPLE_MODE_CONTINUOUS, 1, 0);
    const std::string unit8 = m_scratch.File("Projects/Run/Run_8.dat");
    const auto size = [&unit8] {
        std::error_code error;
        const auto bytes = std::filesystem::file_size(unit8, error);
        return error ? std::uintmax_t(0) : bytes;
    };
    CSamplingControl& sampling = m_frame->GetSampling();

    ASSERT_TRUE(m_frame->RunCommand(ID_START_SAMPLE));
    ASSERT_TRUE(ProcessEventsUntil([&] { return size() >= 20 * 68; }, 15000));
    ASSERT_TRUE(m_frame->RunCommand(ID_NO_SAVE_REALTIME_DATA));
    ProcessEventsUntil([] { return false; }, 400); // a batch on its way as the switch went
    const std::uintmax_t whenOff = size();
    const std::int32_t setsWhenOff = sampling.m_nContinuousCount.load();
    ASSERT_TRUE(
        ProcessEventsUntil([&] { return sampling.m_nContinuousCount.load() >= setsWhenOff + 50; }, 15000))
        << "the run goes on";
    EXPECT_EQ(size(), whenOff);

    ASSERT_TRUE(m_frame->RunCommand(ID_SAVE_REALTIME_DATA));
    EXPECT_TRUE(ProcessEventsUntil([&] { return size() >= whenOff + 20 * 68; }, 15000));
    ASSERT_TRUE(m_frame->RunCommand(ID_STOP_SAMPLE));
    ASSERT_TRUE(WaitRunCompleted());
}

} // namespace
