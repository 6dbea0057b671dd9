// The sampling bar's lists, control states and input checks.
#include "panels/bars/SampleBarRules.h"

#include <gtest/gtest.h>

#include "model/ChannelModelTestSupport.h"
#include "platform/MessageBox.h"

namespace {

SampleInputs TimedInputs(const char* interval, const char* count = "5") {
    SampleInputs in;
    in.mode = SAMPLE_MODE_TIMED;
    in.intervalText = interval;
    in.countText = count;
    in.bSetCount = true;
    in.label = "状态1";
    in.countStartText = "3";
    in.averageText = "8";
    return in;
}

TEST(SampleBarRulesTest, ValidationOfTheInputs) {
    struct Case {
        SampleInputs in;
        int result;
        std::string message;
    } cases[] = {
        {TimedInputs("10"), 1, ""},
        {TimedInputs("5"), 0, "采样间隔不得小于 10 秒!"},
        {TimedInputs("1.5"), 0, MSG_INTERVAL_INVALID},
        {TimedInputs(""), 0, "采样间隔不得小于 10 秒!"},
        {TimedInputs("20", "2x"), 0, MSG_COUNT_INVALID},
    };
    for (Case& c : cases) {
        platform::MessageBoxRecorder boxes;
        SampleSettings s;
        EXPECT_EQ(ValidateSampleInputs(c.in, s, true), c.result) << c.in.intervalText;
        ASSERT_EQ(boxes.Records().size(), c.message.empty() ? 0u : 1u) << c.in.intervalText;
        if (!c.message.empty()) {
            EXPECT_EQ(boxes.Records()[0].text, c.message);
        }
    }
    // Without messages the same refusal is silent; a single run skips the timed checks.
    platform::MessageBoxRecorder boxes;
    SampleSettings s;
    SampleInputs bad = TimedInputs("5");
    EXPECT_EQ(ValidateSampleInputs(bad, s, false), 0);
    bad.mode = -1;
    EXPECT_EQ(ValidateSampleInputs(bad, s, false), 1);
    EXPECT_EQ(s.nSampleMode, SAMPLE_MODE_SINGLE);
    EXPECT_TRUE(boxes.Records().empty());

    SampleInputs ok = TimedInputs("30");
    EXPECT_EQ(ValidateSampleInputs(ok, s, true), 1);
    EXPECT_EQ(s.nSampleInterval, 30);
    EXPECT_EQ(s.nTimerCount, 5);
    EXPECT_EQ(s.bSetTimerCount, 1);
    EXPECT_EQ(SampleStatusText(s), "状态1");
    EXPECT_EQ(s.nCountStart, 3);
    EXPECT_EQ(s.nAveragePointCount, 8);
}

TEST(SampleBarRulesTest, OverLongLabelIsCutAndRefusedOnce) {
    platform::MessageBoxRecorder boxes;
    SampleSettings s;
    SampleInputs in;
    in.label = "abc一二三四五六七八九十壹"; // 25 GBK bytes
    EXPECT_EQ(ValidateSampleInputs(in, s, true), 0);
    // Cut to what both the GBK limit and the record's field hold.
    EXPECT_EQ(in.label, "abc一二三四五六");
    EXPECT_EQ(SampleStatusText(s), in.label);
    ASSERT_EQ(boxes.Records().size(), 1u);
    EXPECT_EQ(boxes.Records()[0].text, MSG_LABEL_TOO_LONG);
    EXPECT_EQ(ValidateSampleInputs(in, s, true), 1);
}

TEST(SampleBarRulesTest, FrequencyItems) {
    const std::vector<std::string> items{"1Hz", "10Hz", "100Hz", "1kHz"};
    EXPECT_EQ(SelectFrequencyItem(items, 100.0f, 3), 2);
    EXPECT_EQ(SelectFrequencyItem(items, 1000.0f, 3), 3);
    EXPECT_EQ(SelectFrequencyItem(items, 30.0f, 3), 1); // falls back to 10Hz
    const std::vector<std::string> no10{"1Hz", "2Hz", "5Hz"};
    EXPECT_EQ(SelectFrequencyItem(no10, 30.0f, 3), 2);
    EXPECT_EQ(SelectFrequencyItem(no10, 30.0f, 4), 0);
    EXPECT_EQ(FixedModeFrequencyItem(items, 3), 3);
    EXPECT_EQ(FixedModeFrequencyItem({}, 3), -1);

    ScratchFolder folder;
    WriteIniFile(folder.File("Q.INI"), "[SampleFrequency]\nFrequencyLevelCount=2\nFrequency0=0.5,0.5Hz,001\n"
                                       "Frequency1=2000,2kHz,002\n");
    CInstrumentIni ini;
    ini.SetFilePath(folder.File("Q.INI"));
    EXPECT_EQ(BuildFrequencyItems(ini), (std::vector<std::string>{"0.5Hz", "2kHz"}));
}

TEST(SampleBarRulesTest, AnalysisLists) {
    const std::vector<int> all = BuildTimePoints(1, 256);
    EXPECT_EQ(all.front(), 64);
    EXPECT_EQ(all.back(), 32768);
    EXPECT_EQ(all.size(), 10u);
    EXPECT_EQ(BuildTimePoints(2, 256).back(), 256);
    EXPECT_EQ(BuildTimePoints(3, 1000).back(), 512);
    EXPECT_EQ(FrequencyLinesOf(64), 25);
    EXPECT_EQ(FrequencyLinesOf(32768), 12800);
    EXPECT_EQ(SelectTimePoints(all, 1024), 4);
    EXPECT_EQ(SelectTimePoints(all, 1000), 9);
    EXPECT_EQ(FormatAnalysisResult(1024, 100.0), "  T :10.2400s\n△F :0.0977Hz\n△T :10.0000ms");
    EXPECT_EQ(FormatAnalysisResult(1024, 0.0), "");
}

TEST(SampleBarRulesTest, ControlStatesByModeInterfaceAndProject) {
    struct Case {
        int mode, interfaceMode, model, project;
        bool setCount;
        SampleControlStates expected;
    };
    auto states = [](bool cont, bool unchecked, bool single, bool interval, bool count, bool freq,
                     bool analysis) {
        SampleControlStates s;
        s.continuousEnabled = cont;
        s.continuousUnchecked = unchecked;
        s.singleCountEnabled = single;
        s.intervalEnabled = interval;
        s.timedCountEnabled = count;
        s.frequencyEnabled = freq;
        s.analysisEnabled = analysis;
        return s;
    };
    const Case cases[] = {
        {SAMPLE_MODE_SINGLE, INTERFACE_NETWORK, 3, 1, false,
         states(true, false, true, false, false, false, false)},
        {SAMPLE_MODE_TIMED, INTERFACE_NETWORK, 3, 1, true,
         states(true, false, false, true, true, false, false)},
        {SAMPLE_MODE_TIMED, INTERFACE_NETWORK, 3, 1, false,
         states(true, false, false, true, false, false, false)},
        {SAMPLE_MODE_CONTINUOUS, INTERFACE_USB, 1, 0, false,
         states(true, false, false, false, false, true, true)},
        {SAMPLE_MODE_EVENT, INTERFACE_USB, 1, 0, false,
         states(true, false, false, false, false, true, false)},
        {SAMPLE_MODE_SINGLE, INTERFACE_SERIAL, 3, 1, false,
         states(false, true, true, false, false, false, false)},
        {SAMPLE_MODE_SINGLE, INTERFACE_NETWORK, 1, 1, false,
         states(false, true, true, false, false, false, false)},
        {SAMPLE_MODE_SINGLE, INTERFACE_USB, 2, 1, false,
         states(false, false, true, false, false, false, false)},
        {SAMPLE_MODE_CONTINUOUS, INTERFACE_USB, 3, 2, false,
         states(false, false, false, false, false, false, false)},
    };
    for (const Case& c : cases) {
        const SampleControlStates s =
            ComputeSampleControlStates(c.mode, c.interfaceMode, c.model, c.project, c.setCount);
        const SampleControlStates& e = c.expected;
        const auto row = testing::Message()
                         << c.mode << "/" << c.interfaceMode << "/" << c.model << "/" << c.project;
        EXPECT_EQ(s.continuousEnabled, e.continuousEnabled) << row;
        EXPECT_EQ(s.continuousUnchecked, e.continuousUnchecked) << row;
        EXPECT_EQ(s.singleCountEnabled, e.singleCountEnabled) << row;
        EXPECT_EQ(s.intervalEnabled, e.intervalEnabled) << row;
        EXPECT_EQ(s.timedCountEnabled, e.timedCountEnabled) << row;
        EXPECT_EQ(s.frequencyEnabled, e.frequencyEnabled) << row;
        EXPECT_EQ(s.analysisEnabled, e.analysisEnabled) << row;
        EXPECT_EQ(s.timedEnabled, c.project != 2) << row;
    }
}

TEST(SampleBarRulesTest, AverageCount) {
    platform::MessageBoxRecorder boxes;
    for (auto [text, count] : {std::pair{"1", 1}, {"256", 256}, {"0", 1}, {"257", 1}, {"", 1}, {"3x", 1}}) {
        EXPECT_EQ(CheckAverageCount(text, true), count) << text;
    }
    EXPECT_EQ(boxes.Records().size(), 4u);
    EXPECT_EQ(boxes.Records()[0].text, MSG_AVERAGE_COUNT);
}

} // namespace
