// The sampling settings sections of a project file: reader defaults, what
// survives a save and a load, and the display-precision map.
#include <gtest/gtest.h>

#include "datafiles/SampleBuffers.h"
#include "model/SampleSettings.h"
#include "project/ProjectTestSupport.h"

namespace {

class SamplingSettingsTest : public ::testing::Test {
protected:
    SampleSettings Load(const std::string& content, bool spectrum = true) {
        WriteTextFile(m_path, content);
        SampleSettings settings;
        m_precision.clear();
        LoadSystemParam(m_path, spectrum, settings, m_precision);
        return settings;
    }

    ProjectScratchFolder m_folder;
    std::string m_path = m_folder.File("p.dap");
    std::map<int, int> m_precision;
};

TEST_F(SamplingSettingsTest, MissingSectionTakesTheReaderDefaults) {
    const SampleSettings s = Load("[Other]\nx=1\n");
    EXPECT_EQ(s.nSampleMode, SAMPLE_MODE_SINGLE);
    EXPECT_EQ(s.nSampleInterval, 10);
    EXPECT_EQ(s.nTimerCount, 10);
    EXPECT_EQ(s.bSetTimerCount, 0);
    EXPECT_EQ(s.fSampleFreq, 0.0f);
    EXPECT_EQ(s.nAverageMode, 0);
    EXPECT_EQ(s.nAveragePointCount, 3);
    EXPECT_EQ(SampleStatusText(s), "采样状态1");
    EXPECT_EQ(s.nAnalysisBlockSize, 256);
    const std::map<int, int> defaults{{0, 0}, {1, 3}, {2, 3}, {3, 3}, {5, 3}};
    EXPECT_EQ(m_precision, defaults);
}

TEST_F(SamplingSettingsTest, SaveAndLoadKeepEveryStoredField) {
    SampleSettings out;
    out.nSampleMode = SAMPLE_MODE_CONTINUOUS;
    out.nSampleInterval = 7;
    out.nTimerCount = 42;
    out.bSetTimerCount = 1;
    SetSampleStatusText(out, "第二批");
    out.nSampleRate = 5;
    out.fSampleFreq = 2.5f;
    out.nAnalysisMode = 1;
    out.nAnalysisBlockSize = 1024;
    out.nSampleBlockSize = 512;
    out.nAverageMode = 1;
    out.nAveragePointCount = 16;
    out.bEliminateMaxMin = 1;
    StoredWithSampleSettings stored;
    stored.precision = {{4, 1}};
    SaveSystemParam(m_path, out, stored);
    platform::FlushProfileCache();

    SampleSettings in;
    std::map<int, int> precision;
    LoadSystemParam(m_path, true, in, precision);
    EXPECT_EQ(in.nSampleMode, out.nSampleMode);
    EXPECT_EQ(in.nSampleInterval, 7);
    EXPECT_EQ(in.nTimerCount, 42);
    EXPECT_EQ(in.bSetTimerCount, 1);
    EXPECT_EQ(SampleStatusText(in), "第二批");
    EXPECT_EQ(in.nSampleRate, 5);
    EXPECT_EQ(in.fSampleFreq, 2.5f); // the fraction is kept
    EXPECT_EQ(in.nAnalysisMode, 1);
    EXPECT_EQ(in.nAnalysisBlockSize, 1024);
    EXPECT_EQ(in.nSampleBlockSize, 512);
    EXPECT_EQ(in.nAverageMode, 1);
    EXPECT_EQ(in.nAveragePointCount, 16);
    EXPECT_EQ(in.bEliminateMaxMin, 1);
    EXPECT_EQ(precision, (std::map<int, int>{{4, 1}})); // a single stored entry stays single
    EXPECT_EQ(GetSampleTimeStep(in), 1.0 / 2.5f);

    EXPECT_EQ(platform::GetPrivateProfileString("SystemParam", "SampleFreq", "", m_path), "2.5");
    out.fSampleFreq = 30.0f;
    SaveSystemParam(m_path, out, stored);
    EXPECT_EQ(platform::GetPrivateProfileString("SystemParam", "SampleFreq", "", m_path), "30");
}

TEST_F(SamplingSettingsTest, ReaderRules) {
    SampleSettings s = Load("[SystemParam]\nSetTimerCount=2\nEliminateMaxMin=5\nAveragePointCount=100000\n"
                            "SampleStatus=一二三四五六七八九十\nAnalysisBlockSize=-4\n");
    EXPECT_EQ(s.bSetTimerCount, 0);       // only exactly 1 switches it on
    EXPECT_EQ(s.bEliminateMaxMin, 1);     // any non-zero value
    EXPECT_EQ(s.nAveragePointCount, 256); // a count is bounded before use
    EXPECT_EQ(s.nAnalysisBlockSize, 1);
    EXPECT_EQ(SampleStatusText(s), "一二三四五六七"); // cut to the field at a character boundary

    s = Load("[SystemParam]\nAnalysisMode=3\nAnalysisBlockSize=64\n", false);
    EXPECT_EQ(s.nAnalysisMode, 0); // the analysis keys are not read without the spectrum option
    EXPECT_EQ(s.nAnalysisBlockSize, 256);
}

TEST_F(SamplingSettingsTest, StoredWithSettingsRoundTripAndBounds) {
    StoredWithSampleSettings out;
    out.nMonitorCaseId = 3;
    out.nMonitorChanId = 9;
    out.bAutoTrigger = 0;
    out.fMonitorLevel = 1.25f;
    out.bStrainRefUsed = 1;
    out.nStrainRefChan = 77;
    out.bPerCaseFiles = 1;
    out.nControllerCount = 4;
    SaveSystemParam(m_path, SampleSettings{}, out);
    StoredWithSampleSettings in;
    LoadStoredWithSampleSettings(m_path, in);
    EXPECT_EQ(in.nMonitorCaseId, 3);
    EXPECT_EQ(in.nMonitorChanId, 9);
    EXPECT_EQ(in.bAutoTrigger, 0);
    EXPECT_EQ(in.bMultiTrigger, 1);
    EXPECT_EQ(in.fMonitorLevel, 1.25f);
    EXPECT_EQ(in.bStrainRefUsed, 1);
    EXPECT_EQ(in.nStrainRefChan, 77);
    EXPECT_EQ(in.bPerCaseFiles, 1);
    EXPECT_EQ(in.nControllerCount, 4);

    WriteTextFile(m_path, "[ControllerModule]\nControllerNumber=9999\n");
    LoadStoredWithSampleSettings(m_path, in);
    EXPECT_EQ(in.nControllerCount, MAX_CONTROLLER_COUNT);
}

TEST(SampleBuffersTest, AllocatedBuffersAreKeptUntilFreed) {
    CSampleBuffers buffers;
    SampleSettings settings;
    settings.nAnalysisBlockSize = 64;
    buffers.CurrentSet()[3].nHeader = 9;
    ASSERT_EQ(buffers.Alloc(settings, 32, false), 1);
    EXPECT_EQ(buffers.CurrentSet()[3].nHeader, -1); // marked unused
    EXPECT_EQ(buffers.FrameBuffer().size(), SAMPLE_FRAME_BUFFER_SIZE);
    ASSERT_EQ(buffers.ChannelBuffers().size(), 32u);
    EXPECT_EQ(buffers.ChannelBuffers()[31].size(), 64u);
    EXPECT_TRUE(buffers.SpectrumBuffers().empty());

    const float* kept = buffers.ChannelBuffers()[0].data();
    settings.nAnalysisBlockSize = 128;
    ASSERT_EQ(buffers.Alloc(settings, 48, true), 1);
    EXPECT_EQ(buffers.ChannelBuffers()[0].data(), kept); // an existing table stays
    EXPECT_EQ(buffers.SpectrumBuffers().size(), 48u);
    EXPECT_EQ(buffers.SpectrumBuffers()[0].size(), 128u);

    buffers.Free();
    EXPECT_TRUE(buffers.FrameBuffer().empty());
    EXPECT_TRUE(buffers.ChannelBuffers().empty());
    EXPECT_TRUE(buffers.SpectrumBuffers().empty());
}

} // namespace
