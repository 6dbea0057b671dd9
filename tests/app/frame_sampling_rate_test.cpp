// Cases that stream at the rate the program commands, as real ones do: a
// continuous run stores as many sets a second as its sampling frequency
// says, so that every time axis is true.
#include "FrameRunFixture.h"

#include <QElapsedTimer>

namespace {

constexpr int ID_START_SAMPLE = 32788;
constexpr int ID_STOP_SAMPLE = 32791;

class FrameSamplingRateTest : public FrameRunTest {
protected:
    // Three frequency levels as the shipped instrument description has them.
    const char* ExtraSettings() const override {
        return "[SampleFrequency]\nFrequencyLevelCount=3\n"
               "Frequency0=1,1Hz,001\nParaCode0=1\nDataRatio0=100\nPackageRatio0=1\nDataThrow0=2\n"
               "Frequency1=10,10Hz,004\nParaCode1=4\nDataRatio1=10\nPackageRatio1=1\nDataThrow1=2\n"
               "Frequency2=50,50Hz,006\nParaCode2=6\nDataRatio2=2\nPackageRatio2=5\nDataThrow2=4\n";
    }
    bool FollowCommandedRate() const override { return true; }
};

TEST_F(FrameSamplingRateTest, AContinuousRunStoresTheCommandedRate) {
    Search();
    for (const float hz : {1.0f, 10.0f, 50.0f}) {
        SCOPED_TRACE(hz);
        const std::string name = "Rate" + std::to_string(static_cast<int>(hz));
        ASSERT_EQ(m_frame->GetProjectHandler().PrepareProject(
                      m_scratch.File("Projects/" + name + "/" + name + ".dap")),
                  1);
        SampleSettings settings = m_frame->GetProjectState().m_SampleSettings;
        settings.nSampleMode = SAMPLE_MODE_CONTINUOUS;
        settings.fSampleFreq = hz;
        m_frame->GetProjectState().m_SampleSettings = settings;
        m_frame->GetSampleParamBar()->SetSampleSettings(settings);
        m_frame->GetSampleParamBar()->InitControls();

        ASSERT_TRUE(m_frame->RunCommand(ID_START_SAMPLE));
        ASSERT_TRUE(ProcessEventsUntil([&] { return m_frame->GetSampling().m_nRunStoredCount >= 1; }));
        QElapsedTimer clock;
        clock.start();
        const int first = m_frame->GetSampling().m_nRunStoredCount;
        ProcessEventsUntil([] { return false; }, 3000);
        const int stored = m_frame->GetSampling().m_nRunStoredCount - first;
        const double seconds = static_cast<double>(clock.elapsed()) / 1000.0;
        ASSERT_TRUE(m_frame->RunCommand(ID_STOP_SAMPLE));
        ASSERT_TRUE(WaitRunCompleted());
        for (const auto& simulator : m_simulators)
            EXPECT_EQ(simulator->GetStreamRate(), std::max(hz, 10.0f)) << "the cases' lowest rate is 10 Hz";
        // A case streaming at its own 100 Hz would store ten times too many;
        // below 10 Hz the program keeps every step-th set of the 10 Hz stream.
        const double expected = hz * seconds;
        EXPECT_GE(stored, expected * 0.6 - 1.0) << stored << " sets in " << seconds << " s";
        EXPECT_LE(stored, expected * 1.4 + 1.0) << stored << " sets in " << seconds << " s";
    }
}

} // namespace
