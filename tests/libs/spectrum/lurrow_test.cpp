// The graph-interface object without windows: its tables, the hand-over to
// the worker, the spectra it keeps, the ".fft" saves and its calls on the
// registered views.
#include "SpectrumTestSupport.h"

#include "libs/spectrum/Lurrow.h"
#include "libs/spectrum/SpectrumFile.h"
#include "libs/spectrum/SpectrumViewHost.h"
#include "platform/Profile.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace lurrow;

namespace {

class RecordingView : public ISpectrumView {
public:
    RecordingView() { Tables().AddView(this); }
    ~RecordingView() override { Tables().RemoveView(this); }
    void ResetGraphView() override { calls += "reset "; }
    void SetGraphDraw() override { calls += "draw "; }
    void RefreshSpectrumGraph() override { calls += "redraw "; }
    void RefreshFFTSpectrumView() override { calls += "refresh "; }
    void SaveLayout(const std::string&, int index) override { calls += "save" + std::to_string(index) + " "; }
    void ReadLayout(int index) override { calls += "read" + std::to_string(index) + " "; }
    std::string calls;
};

class LurrowTest : public ::testing::Test {
protected:
    void SetUp() override {
        const int units[] = {0, 3};
        m_graph.SetCaseParam(2, units);
        m_graph.SetSampleParam(1000.0f, kN);
    }
    // One block for every online channel; channel c gets a sine on bin c % 50 + 1.
    void HandOver(float amplitude = 1.0f) {
        const std::vector<int>& table = Tables().channelIds;
        m_blocks.clear();
        for (int channel : table)
            m_blocks.push_back(SineOnBin(kN, channel % 50 + 1, amplitude));
        std::vector<float*> buffers;
        for (auto& block : m_blocks)
            buffers.push_back(block.data());
        m_graph.SetSampleDataBuffer(kN, buffers.data());
    }
    static int PeakBin(const Spectrum& spectrum) {
        std::vector<float> amplitude(spectrum.size());
        SpectrumToDisplay(spectrum.data(), static_cast<int>(spectrum.size()), amplitude.data(), 0);
        return static_cast<int>(std::max_element(amplitude.begin(), amplitude.end()) - amplitude.begin());
    }

    static constexpr int kN = 256;
    SpectrumScratch m_scratch;
    Lurrow m_graph;
    std::vector<std::vector<float>> m_blocks;
};

TEST_F(LurrowTest, CaseParamBuildsTheChannelTableAndSkipsUnitsPastIt) {
    EXPECT_EQ(Tables().channelIds.size(), 32u);
    EXPECT_EQ(Tables().channelIds[15], 15);
    EXPECT_EQ(Tables().channelIds[16], 48);
    EXPECT_EQ(Tables().channelIds[31], 63);
    const int units[] = {255, 256, -1, 1000};
    m_graph.SetCaseParam(4, units);
    EXPECT_EQ(m_graph.GetOnlineUnitCount(), 4);
    ASSERT_EQ(Tables().channelIds.size(), 16u);
    EXPECT_EQ(Tables().channelIds.back(), 4095);
    m_graph.SetCaseParam(100000, nullptr);
    EXPECT_TRUE(Tables().channelIds.empty());
}

TEST_F(LurrowTest, ChannelUnitsAreCopiedUpToTheTablesEnd) {
    std::vector<std::string> texts(5000, "με");
    texts[4095] = "kN";
    m_graph.SetChannelEU(5000, texts.data());
    EXPECT_EQ(Tables().unitTexts[4095], "kN");
    const std::string none[] = {"V"};
    m_graph.SetChannelEU(0, none);
    EXPECT_EQ(Tables().unitTexts[0], "με");
    m_graph.SetChannelEU(1, none);
    EXPECT_EQ(Tables().unitTexts[0], "V");
}

TEST_F(LurrowTest, EachHandedOverChannelGetsItsSpectrum) {
    HandOver(2.0f);
    ASSERT_TRUE(m_graph.FlushSpectra());
    const SpectrumMap& spectra = m_graph.GetSpectra();
    ASSERT_EQ(spectra.size(), 32u);
    for (const auto& [channel, spectrum] : spectra) {
        ASSERT_EQ(spectrum.size(), 101u);
        EXPECT_EQ(PeakBin(spectrum), channel % 50 + 1) << "channel " << channel;
        EXPECT_NEAR(std::abs(spectrum[static_cast<std::size_t>(channel % 50 + 1)]), 2.0f, 1e-3);
    }
    // The caller's buffers are copied, not kept.
    for (auto& block : m_blocks)
        std::fill(block.begin(), block.end(), 0.0f);
    EXPECT_EQ(m_graph.GetTimeData().at(48)[1], SineOnBin(kN, 49, 2.0f)[1]);
}

TEST_F(LurrowTest, ShortBlocksAndSizesOutsideTheBarGiveNoSpectrum) {
    std::map<int, std::vector<float>> data{{0, SineOnBin(kN, 3, 1.0f)},
                                           {1, std::vector<float>(kN - 1, 1.0f)},
                                           {7, {}},
                                           {999, SineOnBin(kN, 3, 1.0f)}}; // not an online channel
    m_graph.SetSampleDataBuffer(data);
    ASSERT_TRUE(m_graph.FlushSpectra());
    EXPECT_EQ(m_graph.GetSpectra().size(), 1u);
    EXPECT_EQ(m_graph.GetSpectra().count(0), 1u);
    EXPECT_EQ(m_graph.GetTimeData().count(999), 0u);

    // Channels the map leaves out keep their samples.
    std::map<int, std::vector<float>> second{{1, SineOnBin(kN, 5, 1.0f)}};
    m_graph.SetSampleDataBuffer(second);
    ASSERT_TRUE(m_graph.FlushSpectra());
    EXPECT_EQ(m_graph.GetSpectra().size(), 2u);

    m_graph.SetSampleParam(1000.0f, 100);
    m_graph.SetSampleDataBuffer(second);
    ASSERT_TRUE(m_graph.FlushSpectra());
    EXPECT_TRUE(m_graph.GetSpectra().empty());
}

TEST_F(LurrowTest, SavesAppendOneBlockPerHandOverInCallOrder) {
    EXPECT_FALSE(m_graph.SaveFFTSpectrumData()); // no project yet
    m_graph.SetProjectPathName(m_scratch.Path(), "Run");
    EXPECT_FALSE(m_graph.SaveFFTSpectrumData()); // no block yet
    for (int b = 1; b <= 3; ++b) {
        HandOver(static_cast<float>(b));
        EXPECT_TRUE(m_graph.SaveFFTSpectrumData());
    }
    ASSERT_TRUE(m_graph.FlushSpectra());
    const std::string file = FftFileName(m_scratch.Path(), "Run", 50);
    EXPECT_EQ(std::filesystem::file_size(file), 3u * 101 * 8);
    CAnalysisDataInterface& record = *m_graph.GetAnalysisData();
    EXPECT_EQ(record.GetBlockCount(50), 3);
    for (int b = 0; b < 3; ++b) {
        ASSERT_TRUE(record.ReadBlock(50, b));
        EXPECT_NEAR(std::abs(m_graph.GetSpectra().at(50)[1]), static_cast<float>(b + 1), 1e-3)
            << "block " << b;
    }
    EXPECT_FALSE(record.ReadBlock(50, 3));
    EXPECT_FALSE(record.ReadBlock(1000, 0));
}

TEST_F(LurrowTest, AnEmptyProjectNameWritesNothing) {
    m_graph.SetProjectPathName(m_scratch.Path(), "");
    HandOver();
    EXPECT_FALSE(m_graph.SaveFFTSpectrumData());
    ASSERT_TRUE(m_graph.FlushSpectra());
    EXPECT_TRUE(std::filesystem::is_empty(m_scratch.Path()));
}

TEST_F(LurrowTest, ABlockSizeChangeDoesNotMixLineCountsInAProject) {
    m_graph.SetProjectPathName(m_scratch.Path(), "Run");
    HandOver();
    ASSERT_TRUE(m_graph.SaveFFTSpectrumData());
    ASSERT_TRUE(m_graph.FlushSpectra());
    m_graph.SetSampleParam(1000.0f, 512);
    std::map<int, std::vector<float>> data{{0, SineOnBin(512, 3, 1.0f)}};
    m_graph.SetSampleDataBuffer(data);
    EXPECT_FALSE(m_graph.SaveFFTSpectrumData());
    ASSERT_TRUE(m_graph.FlushSpectra());
    EXPECT_EQ(std::filesystem::file_size(FftFileName(m_scratch.Path(), "Run", 0)), 101u * 8);
    EXPECT_EQ(m_graph.GetRefusedSaveCount(), 1u);
    EXPECT_FALSE(m_graph.TakeReports().empty());
}

// However far the worker falls behind, every save that was accepted lands
// in the files and every block it dropped is counted, not saved.
TEST_F(LurrowTest, AWorkerThatFallsBehindDropsWholeBlocks) {
    const int n = 32768;
    m_graph.SetSampleParam(1000.0f, n);
    m_graph.SetProjectPathName(m_scratch.Path(), "Run");
    std::vector<std::vector<float>> blocks(Tables().channelIds.size(), RandomSamples(n, 5));
    std::vector<float*> buffers;
    for (auto& block : blocks)
        buffers.push_back(block.data());
    int accepted = 0;
    constexpr int kHandOvers = 30;
    for (int b = 0; b < kHandOvers; ++b) {
        m_graph.SetSampleDataBuffer(n, buffers.data());
        accepted += m_graph.SaveFFTSpectrumData() ? 1 : 0;
    }
    ASSERT_TRUE(m_graph.FlushSpectra(60000));
    EXPECT_EQ(static_cast<std::uint64_t>(accepted) + m_graph.GetDroppedBlockCount(),
              static_cast<std::uint64_t>(kHandOvers));
    EXPECT_EQ(CountFftBlocks(FftFileName(m_scratch.Path(), "Run", 63), SpectralLineCount(n)), accepted);
}

TEST_F(LurrowTest, ViewCallsReachEveryRegisteredView) {
    RecordingView first, second;
    m_graph.ResetGraphView();
    m_graph.SetGraphDraw();
    m_graph.UpdateGraphView();
    m_graph.RefreshGraphView();
    EXPECT_EQ(first.calls, "reset draw redraw refresh ");
    EXPECT_EQ(second.calls, first.calls);

    SpectrumScratch scratch;
    const std::string file = scratch.File("QV7416.LYT");
    m_graph.SaveSpectrumLayout(file); // the held count is still 0
    EXPECT_EQ(platform::GetPrivateProfileInt("WindowLayout", "SpectrumViewCount", -1, file), 0);
    first.calls.clear();
    second.calls.clear();
    m_graph.GetViewObject();
    m_graph.SaveSpectrumLayout(file);
    EXPECT_EQ(platform::GetPrivateProfileInt("WindowLayout", "SpectrumViewCount", -1, file), 2);
    m_graph.OpenSpectrumLayout(file);
    EXPECT_EQ(first.calls, "save1 read1 ");
    EXPECT_EQ(second.calls, "save2 read2 ");
}

TEST(SpectrumChannelsTest, NamesAndTheirParse) {
    EXPECT_EQ(FormatChannelName(130), "02-01-03");
    EXPECT_EQ(FormatChannelName(0), "01-01-01");
    EXPECT_EQ(FormatChannelName(4095), "32-08-16");
    EXPECT_EQ(FormatChannelName(-1), "无");
    EXPECT_EQ(ParseChannelName("02-01-03"), 130);
    EXPECT_EQ(ParseChannelName("32-08-16"), 4095);
    EXPECT_EQ(ParseChannelName("02-01"), -1);
    EXPECT_EQ(ParseChannelName("无"), -1);
    EXPECT_EQ(ParseChannelName("99999999999999-01-01"), 1000000 * 128 + 16 + 1 - 145);
}

TEST(SpectrumChannelsTest, TheRegistryHoldsSixteenViews) {
    std::vector<std::unique_ptr<RecordingView>> views;
    for (int i = 0; i < kMaxSpectrumViews; ++i)
        views.push_back(std::make_unique<RecordingView>());
    EXPECT_EQ(Tables().viewCount, kMaxSpectrumViews);
    RecordingView extra; // refused: not registered
    EXPECT_EQ(Tables().IndexOfView(&extra), -1);
    views.erase(views.begin() + 3);
    EXPECT_EQ(Tables().viewCount, kMaxSpectrumViews - 1);
    EXPECT_EQ(Tables().IndexOfView(views[3].get()), 3);
}

} // namespace
