// The rules of the sampling-parameter bar: the frequency and analysis lists,
// which controls each sample mode enables, and the checks that the bar's
// inputs pass before a run may start with them.
#pragma once

#include <string>
#include <vector>

#include "model/InstrumentIni.h"
#include "model/SampleSettings.h"

constexpr int MIN_SAMPLE_INTERVAL = 10; // seconds
constexpr int SAMPLE_LABEL_MAX_BYTES = 19;
constexpr int INTERFACE_USB = 0;
constexpr int INTERFACE_SERIAL = 1;
constexpr int INTERFACE_NETWORK = 2;

constexpr const char* MSG_INTERVAL_INVALID = "采样间隔输入无效!";
constexpr const char* MSG_INTERVAL_TOO_SMALL = "采样间隔不得小于 %d 秒!";
constexpr const char* MSG_COUNT_INVALID = "定时次数输入无效!";
constexpr const char* MSG_LABEL_TOO_LONG = "采样状态不得超过19个字节，已截短，请确认后重试!";
constexpr const char* MSG_AVERAGE_COUNT = "平均点数设置错误，请输入一个在1和256之间的整数！";

// Frequency texts of the description file's levels.
std::vector<std::string> BuildFrequencyItems(const CInstrumentIni& ini);
// Item for a frequency: the first beginning with its text, else the first
// beginning with "10Hz", else the last (the first for instrument model 4).
int SelectFrequencyItem(const std::vector<std::string>& items, float frequency, int modelType);
// Item a timed, single or event run samples at: the last (the first for model 4).
int FixedModeFrequencyItem(const std::vector<std::string>& items, int modelType);

// 64, 128, ... 32768; no more than the sample block size while the project holds data.
std::vector<int> BuildTimePoints(int projectState, int sampleBlockSize);
int FrequencyLinesOf(int timePoints);
// Position of the kept time points in the list; the last when absent.
int SelectTimePoints(const std::vector<int>& points, int timePoints);
std::string FormatAnalysisResult(int timePoints, double frequency);

// What each control of the bar allows in a state.
struct SampleControlStates {
    bool timedEnabled = true;
    bool singleEnabled = true;
    bool continuousEnabled = true;
    bool continuousUnchecked = false; // a continuous choice is taken away
    bool eventEnabled = true;
    bool singleCountEnabled = false; // the numbering box and its start value
    bool intervalEnabled = false;    // the interval and the timed-count box
    bool timedCountEnabled = false;
    bool frequencyEnabled = false;
    bool analysisEnabled = false; // analysis lists and averaging controls
};
SampleControlStates ComputeSampleControlStates(int mode, int interfaceMode, int modelType, int projectState,
                                               bool timedCountSet);

// The controls' texts and states as the user left them.
struct SampleInputs {
    int mode = SAMPLE_MODE_SINGLE; // -1 when no mode button is checked
    std::string intervalText;
    std::string countText;
    bool bSetCount = false;
    std::string label;
    bool bNumbering = false;
    std::string countStartText;
    std::string averageText;
    bool bEliminate = false;
};

// Checks the inputs and stores them into the record as far as they pass. 1
// when every check passed; 0 after the first failure, with its message when
// asked. An over-long label is cut into inputs.label (so the bar can show
// it) and refused.
int ValidateSampleInputs(SampleInputs& inputs, SampleSettings& settings, bool showMessages);

// A count of 1..256 is kept; any other shows the message and gives 1.
int CheckAverageCount(const std::string& text, bool showMessage);
