// The alarm watch of a continuous run against two simulated cases while the
// window thread stalls: every set the cases streamed is checked and logged,
// whatever the windows are busy with.
#include "FrameRunFixture.h"

#include "datafiles/SampleFileFormat.h"

#include <chrono>
#include <cstdlib>
#include <thread>

namespace {

constexpr int ID_START_SAMPLE = 32788;
constexpr int ID_STOP_SAMPLE = 32791;

// Channel 2 of unit 0 reads 1024 k + 2 in sample n (k = n mod 1024): its
// engineering value 0.512 k - 0.049 reaches the limit from k = 512 on, and
// falls below it again with the next cycle.
constexpr int kWatched = 2;
constexpr float kUpper = 0.512f * 511.5f - 0.049f;

class FrameLiveAlarmTest : public FrameRunTest {
protected:
    // Fast enough that a stall of the window thread outlasts the cases' queues.
    double StreamRate() const override { return 1000.0; }

    // The watched channel's value in each line of the alarm log.
    static std::vector<double> LoggedValues(const std::vector<std::string>& lines) {
        std::vector<double> values;
        for (std::size_t i = 1; i < lines.size(); ++i) {
            const std::size_t tab = lines[i].find('\t');
            if (tab != std::string::npos)
                values.push_back(std::strtod(lines[i].c_str() + tab + 1, nullptr));
        }
        return values;
    }
};

TEST_F(FrameLiveAlarmTest, EverySetIsCheckedAndLoggedInOrderWhileTheWindowThreadStalls) {
    FindCasesAndPrepareProject();
    g_AlarmTable[kWatched] = {kWatched, 0, 1, kUpper, -1e9f};
    // The run's rate is the cases' own: cases that start apart stay within its bound.
    SetRunSettings(SAMPLE_MODE_CONTINUOUS, 1, 0, static_cast<float>(StreamRate()));
    ASSERT_TRUE(m_frame->RunCommand(ID_START_SAMPLE));
    const std::string data = m_scratch.File("Projects/Run/Run_0.dat");
    constexpr auto kBlock = static_cast<std::int64_t>(sizeof(CaseSampleBlock));
    ASSERT_TRUE(ProcessEventsUntil([&] { return platform::FileSize(data) >= 300 * kBlock; }));
    // The window thread is busy for three seconds, as while a dialog builds its lists.
    std::this_thread::sleep_for(std::chrono::seconds(3));
    const std::int64_t storedByWake = platform::FileSize(data) / kBlock;
    ProcessEventsUntil([] { return false; }, 500);
    ASSERT_TRUE(m_frame->RunCommand(ID_STOP_SAMPLE));
    ASSERT_TRUE(WaitRunCompleted());

    // The stored run says which sets were over the limit, in their order.
    std::vector<double> alarming;
    std::size_t alarmingByWake = 0;
    const std::vector<CaseSampleBlock> blocks = ReadBlocks(data);
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        const float stored = blocks[i].fValues[kWatched];
        if (IsSpecialValue(stored) || stored * 0.001f < kUpper)
            continue;
        alarming.push_back(stored * 0.001);
        if (static_cast<std::int64_t>(i) < storedByWake)
            ++alarmingByWake;
    }
    ASSERT_GT(alarmingByWake, 1000u) << "the run crossed the limit during the stall: " << storedByWake
                                     << " sets stored by its end, " << blocks.size() << " in all";
    const std::vector<double> logged = LoggedValues(GbkLines(m_scratch.File("Projects/Run/Run.xls")));
    EXPECT_GE(logged.size(), alarmingByWake) << "every set stored by the stall's end was checked";
    ASSERT_LE(logged.size(), alarming.size());
    for (std::size_t i = 0; i < logged.size(); ++i)
        ASSERT_NEAR(logged[i], alarming[i], 5e-4) << "line " << i + 1 << " of " << logged.size();
}

} // namespace
