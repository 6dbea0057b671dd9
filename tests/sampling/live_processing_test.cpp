// Live processing without cases: conversion into frame order, storage of the
// set, live virtual channels, the alarm check, the trigger of continuous
// trigger mode and the batches the handlers ignore.
#include "SamplingFixture.h"

#include "datafiles/VirtualChannelValueFiles.h"
#include "model/ChannelDefaults.h"
#include "platform/Files.h"
#include "platform/Time.h"

#include <atomic>
#include <cmath>
#include <fstream>
#include <iterator>
#include <optional>
#include <thread>

namespace {

using namespace sampling_msg;

struct FormulaHost : RecordingHost {
    std::vector<std::string> formulas;
    bool everySetDrawn = true;
    bool ViewsDrawEverySet() override { return everySetDrawn; }
    std::optional<std::vector<int>> drawnPlaces; // every place when not given
    std::vector<int> EverySetPlaces() override {
        return drawnPlaces ? *drawnPlaces : RecordingHost::EverySetPlaces();
    }
    std::vector<std::vector<std::vector<float>>> spectrumFeeds;
    std::vector<std::string> GetVirtualChannelFormulas() override { return formulas; }
    bool HasSpectrumGraph() override { return true; }
    void FeedSpectrum(int, const std::vector<std::vector<float>>& buffers, bool) override {
        spectrumFeeds.push_back(buffers);
    }
};

// Units 2 and 5 online; every channel a voltage channel.
class LiveProcessingTest : public ::testing::Test {
protected:
    FormulaHost host;
    RecordingFrame frame;
    std::unique_ptr<CSamplingControl> control;
    ScratchFolder scratch;
    std::string folder = scratch.Path();

    void SetUp() override {
        platform::SetUiThread();
        ResetRunFlags();
        ResetCaseTables();
        ResetChannelRecords();
        host.project.SetProjectFolderAndName(folder, "run");
        control = std::make_unique<CSamplingControl>(&host, frame.GetSafeHwnd());
        frame.control = control.get();
        const int units[] = {2, 5};
        g_nCaseCount = 2;
        for (int slot = 0; slot < 2; ++slot) {
            g_CaseList[slot] = units[slot];
            g_CaseSlot[units[slot]] = slot;
            for (int c = 0; c < 16; ++c) {
                const int id = units[slot] * 16 + c;
                g_ChannelList[g_nChannelCount++] = id;
                g_ChannelState[id].bPresent = 1;
                g_ChannelParams[id].nMeasureType = MEASURE_VOLTAGE;
                ApplyMeasureTypeDefaults(MEASURE_VOLTAGE, id);
                UpdateChannelScale(id);
            }
        }
        g_bSampling = 1;
    }
    void TearDown() override {
        ResetRunFlags();
        control.reset();
        ResetCaseTables();
        ResetChannelRecords();
    }
    void SetRaw(int id, float raw) { control->GetCurrentSet()[id / 16].fValues[id % 16] = raw; }
    float Buffered(int id) const { return control->GetValueBuffer()[g_CaseSlot[id / 16] * 16 + id % 16]; }
};

TEST_F(LiveProcessingTest, ASetIsConvertedStoredEvaluatedAndAnnounced) {
    host.formulas = {"ch81+ch33", "1/(ch81-ch81)", "ch81+"};
    host.project.m_VirtualChannels.resize(3);
    g_AlarmTable[80] = {80, 0, 1, -1e9f, 0.0f}; // always over its limit
    control->GetAlarms().BuildAlarmChannelList();
    control->GetAlarms().SetLogTarget(folder, "run", false, nullptr);
    control->OnOpenSampleFiles();
    control->OpenVirtualChannels();
    for (int unit : {5, 2}) {
        control->GetCurrentSet()[unit].nHeader = unit;
        for (int c = 0; c < 16; ++c)
            SetRaw(unit * 16 + c, static_cast<float>(unit * 1000 + c * 10));
    }
    SetRaw(83, std::numeric_limits<float>::infinity());
    SetRaw(34, std::numeric_limits<float>::quiet_NaN());
    control->ProcessSampleSet(true);
    control->ProcessSampleSet(true);
    control->OnCloseSampleFiles();
    control->CloseVirtualChannels();

    EXPECT_EQ(Buffered(80), static_cast<float>(ConvertRawToValue(80, 5000.0f)));
    EXPECT_EQ(control->GetValueBuffer()[16], Buffered(80)) << "unit 5 is in slot 1";
    EXPECT_EQ(Buffered(33), static_cast<float>(ConvertRawToValue(33, 2010.0f)));
    EXPECT_EQ(Buffered(83), 0.0f) << "a reading that is not a number converts to 0";
    EXPECT_EQ(Buffered(34), 0.0f);
    EXPECT_EQ(control->GetChannelValues()[33], Buffered(33));

    // Virtual channels: chN reads channel N - 1.
    const auto& results = control->GetVirtualResults();
    ASSERT_EQ(results.size(), 2u) << "the formula that does not parse is left out";
    EXPECT_FLOAT_EQ(results.at(0), Buffered(80) + Buffered(32));
    EXPECT_EQ(results.at(1), 0.0f) << "a division by zero stores 0";
    EXPECT_EQ(platform::FileSize(VirtualChannelValueFilePath(host.project, 1)), 8);

    for (int unit : {5, 2}) {
        EXPECT_EQ(platform::FileSize(folder + "/run_" + std::to_string(unit) + ".dat"), 2 * 68);
        EXPECT_EQ(platform::FileSize(folder + "/run_" + std::to_string(unit) + ".stu"), 2 * 32);
    }
    EXPECT_EQ(control->m_nRunStoredCount, 2);
    EXPECT_EQ(frame.Count(kNewSampleSet), 2);
    EXPECT_EQ(frame.Count(kAlarmCheck), 2);
    EXPECT_TRUE(control->GetAlarms().GetAlarmState());
    EXPECT_TRUE(platform::FileExists(folder + "/run.xls"));
}

TEST_F(LiveProcessingTest, TheTriggerStoresOneSampleForEachRiseToTheLevel) {
    const float level = static_cast<float>(ConvertRawToValue(80, 10.0f));
    ASSERT_LT(ConvertRawToValue(80, 9.0f), level);
    struct Case {
        std::vector<float> raw;
        int stored;
    };
    const Case cases[] = {
        {{5, 12, 15, 8, 11, 10}, 2},
        {{12, 13, 14}, 1}, // at the level from the start: the armed flag stores one
        {{10, 9, 9}, 1},   // equality counts as reached
        {{1, 2, 3}, 0},
    };
    host.project.m_SampleSettings.nSampleMode = SAMPLE_MODE_CONTINUOUS;
    control->m_bTriggerMode = 1;
    control->m_nTriggerChannel = 80;
    control->m_fTriggerLevel = level;
    for (const Case& c : cases) {
        control->m_bTriggerArmed = 1;
        control->m_nRunStoredCount = 0;
        std::vector<CaseSampleBlock> unit5(c.raw.size()), unit2(c.raw.size());
        for (std::size_t i = 0; i < c.raw.size(); ++i)
            unit5[i].fValues[0] = c.raw[i];
        std::vector<CaseSampleBlock*> perUnit(512, nullptr);
        perUnit[5] = unit5.data();
        perUnit[2] = unit2.data();
        platform::LRESULT result = 0;
        control->HandleMessage(kSampleBatch, c.raw.size(), reinterpret_cast<platform::LPARAM>(perUnit.data()),
                               result);
        EXPECT_EQ(control->m_nRunStoredCount, c.stored) << c.raw.size() << " samples from " << c.raw[0];
    }
}

TEST_F(LiveProcessingTest, TheSpectrumGetsOneBlockOfEveryChannelPerAnalysisBlock) {
    g_bSoftwareSpectrum = true;
    host.project.m_SampleSettings.nSampleMode = SAMPLE_MODE_CONTINUOUS;
    host.project.m_SampleSettings.nAnalysisMode = 1;
    host.project.m_SampleSettings.nAnalysisBlockSize = 2;
    std::vector<CaseSampleBlock> unit2(5), unit5(5);
    for (int i = 0; i < 5; ++i)
        unit2[static_cast<std::size_t>(i)].fValues[1] = static_cast<float>(100 * i);
    std::vector<CaseSampleBlock*> perUnit(512, nullptr);
    perUnit[2] = unit2.data();
    perUnit[5] = unit5.data();
    platform::LRESULT result = 0;
    control->HandleMessage(kSampleBatch, 5, reinterpret_cast<platform::LPARAM>(perUnit.data()), result);
    g_bSoftwareSpectrum = false;
    ASSERT_EQ(host.spectrumFeeds.size(), 2u) << "after the second and the fourth sample";
    ASSERT_EQ(host.spectrumFeeds[1].size(), 32u);
    EXPECT_EQ(host.spectrumFeeds[1][1],
              (std::vector<float>{static_cast<float>(ConvertRawToValue(33, 200.0f)),
                                  static_cast<float>(ConvertRawToValue(33, 300.0f))}));
    EXPECT_EQ(frame.Count(kContinuousSample), 5);
}

TEST_F(LiveProcessingTest, ABatchFromTheDriversThreadIsCheckedThereAndDrawnWhenTheWindowsPump) {
    host.project.m_SampleSettings.nSampleMode = SAMPLE_MODE_CONTINUOUS;
    const float level = static_cast<float>(ConvertRawToValue(80, 10.0f));
    g_AlarmTable[80] = {80, 0, 1, level, -1e9f};
    control->GetAlarms().BuildAlarmChannelList();
    control->GetAlarms().SetLogTarget(folder, "run", false, nullptr);
    platform::TakeOnSendingThread(frame.GetSafeHwnd(), {kSampleBatch});
    // More sets than the views keep; every other one over the limit.
    const int n = static_cast<int>(CLiveSetQueue::kShownLimit) + 6;
    std::vector<CaseSampleBlock> unit5(static_cast<std::size_t>(n)), unit2(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        unit5[static_cast<std::size_t>(i)].fValues[0] = i % 2 == 0 ? 20.0f : 5.0f;
    std::vector<CaseSampleBlock*> perUnit(512, nullptr);
    perUnit[5] = unit5.data();
    perUnit[2] = unit2.data();

    std::atomic<bool> done{false};
    std::thread driver([&] {
        platform::SendMessage(frame.GetSafeHwnd(), kSampleBatch, static_cast<platform::WPARAM>(n),
                              reinterpret_cast<platform::LPARAM>(perUnit.data()));
        done = true;
    });
    for (int waited = 0; waited < 20000 && !done.load(); waited += 5)
        platform::Sleep(5);
    EXPECT_TRUE(done.load()) << "the batch waits for no window";
    if (!done.load())
        platform::PumpMessagesFor(20000, [&] { return done.load(); });
    driver.join();

    EXPECT_EQ(control->m_nContinuousCount, n);
    EXPECT_EQ(control->m_nRunStoredCount, n);
    // The log: its header and a line for each set over the limit.
    std::ifstream log(folder + "/run.xls");
    const auto lines =
        std::count(std::istreambuf_iterator<char>(log), std::istreambuf_iterator<char>(), '\n');
    EXPECT_EQ(lines, 1 + n / 2);
    EXPECT_EQ(frame.Count(kContinuousSample), 0) << "nothing is drawn before the windows pump";

    platform::PumpMessages();
    EXPECT_EQ(frame.Count(kContinuousSample), static_cast<int>(CLiveSetQueue::kShownLimit))
        << "the views skip the oldest sets they fell behind with";
    EXPECT_EQ(Buffered(80), static_cast<float>(ConvertRawToValue(80, 5.0f))) << "the last set is shown";
}

TEST_F(LiveProcessingTest, WithoutAViewDrawingEverySetTheWindowsTakeEachBatchsLastSet) {
    host.project.m_SampleSettings.nSampleMode = SAMPLE_MODE_CONTINUOUS;
    const float level = static_cast<float>(ConvertRawToValue(80, 10.0f));
    g_AlarmTable[80] = {80, 0, 1, level, -1e9f};
    control->GetAlarms().BuildAlarmChannelList();
    control->GetAlarms().SetLogTarget(folder, "run", false, nullptr);
    std::vector<int> announced;
    frame.onMessage = [&](platform::UINT message, platform::WPARAM wParam) {
        if (message == kContinuousSample)
            announced.push_back(reinterpret_cast<const std::int32_t*>(wParam)[0]);
    };
    const auto batch = [&](int n, float first) {
        std::vector<CaseSampleBlock> unit5(static_cast<std::size_t>(n)), unit2(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i)
            unit5[static_cast<std::size_t>(i)].fValues[0] = first + static_cast<float>(i);
        std::vector<CaseSampleBlock*> perUnit(512, nullptr);
        perUnit[5] = unit5.data();
        perUnit[2] = unit2.data();
        platform::LRESULT result = 0;
        control->HandleMessage(kSampleBatch, static_cast<platform::WPARAM>(n),
                               reinterpret_cast<platform::LPARAM>(perUnit.data()), result);
    };
    host.everySetDrawn = false;
    control->UpdateLiveViewDemand();
    batch(5, 8.0f); // 8 and 9 under the level, 10, 11 and 12 over it

    EXPECT_EQ(announced, std::vector<int>{5}) << "one announcement, of the batch's last set";
    EXPECT_EQ(Buffered(80), static_cast<float>(ConvertRawToValue(80, 12.0f)));
    EXPECT_EQ(control->GetCurrentSet()[5].fValues[0], 12.0f);
    EXPECT_EQ(control->GetCurrentSet()[5].nHeader, 5);
    EXPECT_EQ(control->m_nContinuousCount, 5);
    EXPECT_EQ(control->m_nRunStoredCount, 5) << "every set is counted";
    std::ifstream log(folder + "/run.xls");
    EXPECT_EQ(std::count(std::istreambuf_iterator<char>(log), std::istreambuf_iterator<char>(), '\n'), 1 + 3)
        << "every set is checked";

    // A view that draws every set opens: once the windows have taken a
    // batch, every set is handed to them again.
    host.everySetDrawn = true;
    batch(2, 20.0f);
    batch(3, 30.0f);
    EXPECT_EQ(announced, (std::vector<int>{5, 7, 8, 9, 10}));
    EXPECT_EQ(Buffered(80), static_cast<float>(ConvertRawToValue(80, 32.0f)));
}

TEST_F(LiveProcessingTest, TheSetsBeforeABatchsLastCarryThePlacesTheViewsDrawAndTheLastCarriesAll) {
    host.project.m_SampleSettings.nSampleMode = SAMPLE_MODE_CONTINUOUS;
    platform::TakeOnSendingThread(frame.GetSafeHwnd(), {kSampleBatch});
    // Unit 5 is in slot 1: channel 80 at place 16, channel 81 at place 17.
    host.drawnPlaces = std::vector<int>{16, 4100, 16, -1, 99999};
    control->UpdateLiveViewDemand();
    struct Seen {
        int counter;
        float drawn, other;
    };
    std::vector<Seen> seen;
    frame.onMessage = [&](platform::UINT message, platform::WPARAM wParam) {
        if (message == kContinuousSample)
            seen.push_back({reinterpret_cast<const std::int32_t*>(wParam)[0], Buffered(80), Buffered(81)});
    };
    // A batch from the driver's thread, drawn when the windows pump.
    const auto batchFromDriver = [&](int n, float first) {
        std::vector<CaseSampleBlock> unit5(static_cast<std::size_t>(n)), unit2(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) {
            unit5[static_cast<std::size_t>(i)].fValues[0] = first + static_cast<float>(i);
            unit5[static_cast<std::size_t>(i)].fValues[1] = 100.0f + first + static_cast<float>(i);
        }
        std::vector<CaseSampleBlock*> perUnit(512, nullptr);
        perUnit[5] = unit5.data();
        perUnit[2] = unit2.data();
        std::thread driver([&] {
            platform::SendMessage(frame.GetSafeHwnd(), kSampleBatch, static_cast<platform::WPARAM>(n),
                                  reinterpret_cast<platform::LPARAM>(perUnit.data()));
        });
        driver.join();
    };
    const auto value = [](int id, float raw) { return static_cast<float>(ConvertRawToValue(id, raw)); };

    batchFromDriver(3, 10.0f);
    platform::PumpMessages();
    ASSERT_EQ(seen.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(seen[std::size_t(i)].counter, i + 1);
        EXPECT_EQ(seen[std::size_t(i)].drawn, value(80, 10.0f + static_cast<float>(i))) << "set " << i;
    }
    EXPECT_EQ(seen[2].other, value(81, 112.0f)) << "the batch's last set is whole";

    // The views change while a batch waits for them: its sets made for the
    // views as they were are passed over, its last (whole) set is shown.
    batchFromDriver(3, 20.0f);
    host.drawnPlaces = std::vector<int>{17};
    seen.clear();
    platform::PumpMessages();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].counter, 6);
    EXPECT_EQ(seen[0].drawn, value(80, 22.0f));
    EXPECT_EQ(seen[0].other, value(81, 122.0f));

    // The next batch carries the places the views read now.
    batchFromDriver(3, 30.0f);
    seen.clear();
    platform::PumpMessages();
    ASSERT_EQ(seen.size(), 3u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(seen[std::size_t(i)].other, value(81, 130.0f + static_cast<float>(i))) << "set " << i;
    EXPECT_EQ(control->m_nContinuousCount, 9) << "every set is processed";
}

TEST_F(LiveProcessingTest, AVirtualChannelOfABatchReadsEachSetsOwnValues) {
    host.project.m_SampleSettings.nSampleMode = SAMPLE_MODE_CONTINUOUS;
    host.formulas = {"ch81*2"}; // chN reads channel N - 1
    host.project.m_VirtualChannels.resize(1);
    control->OpenVirtualChannels();
    std::vector<float> results;
    frame.onMessage = [&](platform::UINT message, platform::WPARAM) {
        if (message == kContinuousSample)
            results.push_back(control->GetVirtualResults().at(0));
    };
    constexpr int n = 4;
    std::vector<CaseSampleBlock> unit5(n), unit2(n);
    for (int i = 0; i < n; ++i)
        unit5[std::size_t(i)].fValues[0] = 10.0f * static_cast<float>(i + 1);
    std::vector<CaseSampleBlock*> perUnit(512, nullptr);
    perUnit[5] = unit5.data();
    perUnit[2] = unit2.data();
    platform::LRESULT result = 0;
    control->HandleMessage(kSampleBatch, n, reinterpret_cast<platform::LPARAM>(perUnit.data()), result);
    control->CloseVirtualChannels();

    ASSERT_EQ(results.size(), std::size_t(n));
    for (int i = 0; i < n; ++i)
        EXPECT_FLOAT_EQ(results[std::size_t(i)],
                        2.0f * static_cast<float>(ConvertRawToValue(80, 10.0f * static_cast<float>(i + 1))))
            << "set " << i;
}

TEST_F(LiveProcessingTest, HandlersIgnoreEmptyBatchesAndBatchesOutsideARun) {
    std::vector<CaseSampleBlock> unit5(2), unit2(2);
    unit5[0].fValues[3] = 10.0f;
    unit5[1].fValues[3] = 30.0f;
    std::vector<CaseSampleBlock*> perUnit(512, nullptr);
    perUnit[5] = unit5.data();
    perUnit[2] = unit2.data();
    const auto lParam = reinterpret_cast<platform::LPARAM>(perUnit.data());
    platform::LRESULT result = 0;
    host.project.m_SampleSettings.nSampleMode = SAMPLE_MODE_EVENT;
    control->HandleMessage(kSampleDigital, 0, lParam, result);
    g_bSamplePaused = 1;
    control->HandleMessage(kSampleDigital, 2, lParam, result);
    g_bSamplePaused = 0;
    EXPECT_EQ(frame.Count(kContinuousSample), 0);
    control->HandleMessage(kSampleDigital, 2, lParam, result);
    EXPECT_EQ(frame.Count(kContinuousSample), 2); // each set of the batch is announced

    // The average of a single-sample batch becomes the current set.
    control->HandleMessage(kSampleSingle, 2, lParam, result);
    EXPECT_EQ(control->GetCurrentSet()[5].nHeader, 5);
    EXPECT_EQ(control->GetCurrentSet()[5].fValues[3], 20.0f);
    EXPECT_EQ(frame.Count(kNewSampleSet), 1);
    g_bSampling = 0;
    control->HandleMessage(kSampleSingle, 2, lParam, result);
    EXPECT_EQ(frame.Count(kNewSampleSet), 1);
}

} // namespace

namespace {

TEST(BatchRowsTest, RowsOfTheCurveViewsInBlocksOfTheAnalysisSize) {
    struct Case {
        int first, last, block;
        bool marked;
        int from, to;
    };
    const Case cases[] = {
        {3, 7, 10, true, 1, 6},   // inside one block: from the batch's own row
        {8, 14, 10, true, 0, 3},  // into the next block: from its start
        {1, 5, 10, false, 0, 0},  // the batch starts a block
        {5, 11, 10, false, 0, 0}, // the batch ends on a block's first row
        {3, 7, 0, false, 0, 0},
    };
    for (const Case& c : cases) {
        int from = 0, to = 0;
        EXPECT_EQ(CSamplingControl::BatchRows(c.first, c.last, c.block, from, to), c.marked) << c.first;
        if (c.marked) {
            EXPECT_EQ(from, c.from) << c.first;
            EXPECT_EQ(to, c.to) << c.first;
        }
    }
}

} // namespace
