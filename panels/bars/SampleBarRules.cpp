// Lists, control states and input checks of the sampling-parameter bar.
#include "panels/bars/SampleBarRules.h"

#include <cstdlib>

#include "model/AppSettings.h"
#include "model/GbkTextCut.h"
#include "model/NumberTexts.h"
#include "platform/MessageBox.h"
#include "platform/Text.h"

namespace {

constexpr int MODEL_FIRST_ITEM = 4;
constexpr int MODEL_NO_CONTINUOUS = 2;
constexpr int PROJECT_HOLDING_DATA = 2;
constexpr int PROJECT_CONFIRMED = 3;
constexpr int FIRST_TIME_POINTS = 64;
constexpr int LAST_TIME_POINTS = 32768;
constexpr double LINES_PER_POINT = 0.390625;

void Warn(bool show, const std::string& text) {
    if (show) {
        platform::MessageBox(text, g_strAppTitle, platform::MB_ICONEXCLAMATION);
    }
}

int FirstItemBeginningWith(const std::vector<std::string>& items, const std::string& start) {
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i].rfind(start, 0) == 0) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int ToInt(const std::string& text) {
    return std::atoi(text.c_str());
}

} // namespace

std::vector<std::string> BuildFrequencyItems(const CInstrumentIni& ini) {
    std::vector<std::string> items;
    const int count = ini.GetFrequencyLevelCount();
    for (int i = 0; i < count; ++i) {
        std::string text;
        ini.GetFrequencyText(i, text);
        items.push_back(FormatFrequencyText(std::atof(text.c_str())));
    }
    return items;
}

int FixedModeFrequencyItem(const std::vector<std::string>& items, int modelType) {
    if (items.empty()) {
        return -1;
    }
    return modelType == MODEL_FIRST_ITEM ? 0 : static_cast<int>(items.size()) - 1;
}

int SelectFrequencyItem(const std::vector<std::string>& items, float frequency, int modelType) {
    int index = FirstItemBeginningWith(items, FormatFrequencyText(frequency));
    if (index < 0) {
        index = FirstItemBeginningWith(items, "10Hz");
    }
    return index >= 0 ? index : FixedModeFrequencyItem(items, modelType);
}

std::vector<int> BuildTimePoints(int projectState, int sampleBlockSize) {
    const bool holdsData = projectState == PROJECT_HOLDING_DATA || projectState == PROJECT_CONFIRMED;
    std::vector<int> points;
    for (int n = FIRST_TIME_POINTS; n <= LAST_TIME_POINTS; n *= 2) {
        if (holdsData && n > sampleBlockSize) {
            break;
        }
        points.push_back(n);
    }
    return points;
}

int FrequencyLinesOf(int timePoints) {
    return static_cast<int>(timePoints * LINES_PER_POINT);
}

int SelectTimePoints(const std::vector<int>& points, int timePoints) {
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (points[i] == timePoints) {
            return static_cast<int>(i);
        }
    }
    return static_cast<int>(points.size()) - 1;
}

std::string FormatAnalysisResult(int timePoints, double frequency) {
    if (frequency <= 0.0 || timePoints <= 0) {
        return "";
    }
    return platform::Format("  T :%.4fs\n△F :%.4fHz\n△T :%.4fms", timePoints / frequency,
                            frequency / timePoints, 1000.0 / frequency);
}

SampleControlStates ComputeSampleControlStates(int mode, int interfaceMode, int modelType, int projectState,
                                               bool timedCountSet) {
    SampleControlStates s;
    const bool editable = projectState != PROJECT_HOLDING_DATA;
    bool continuousByInterface = true;
    if (interfaceMode == INTERFACE_SERIAL) {
        continuousByInterface = false;
    } else if (interfaceMode == INTERFACE_NETWORK) {
        continuousByInterface = modelType >= 3 && modelType <= 5;
    }
    s.continuousUnchecked = !continuousByInterface;
    s.timedEnabled = s.singleEnabled = s.eventEnabled = editable;
    s.continuousEnabled = editable && continuousByInterface && modelType != MODEL_NO_CONTINUOUS;
    if (!editable) {
        return s;
    }
    s.singleCountEnabled = mode == SAMPLE_MODE_SINGLE;
    s.intervalEnabled = mode == SAMPLE_MODE_TIMED;
    s.timedCountEnabled = mode == SAMPLE_MODE_TIMED && timedCountSet;
    s.frequencyEnabled = mode == SAMPLE_MODE_CONTINUOUS || mode == SAMPLE_MODE_EVENT;
    s.analysisEnabled = mode == SAMPLE_MODE_CONTINUOUS;
    return s;
}

int ValidateSampleInputs(SampleInputs& in, SampleSettings& settings, bool showMessages) {
    if (in.mode < SAMPLE_MODE_TIMED || in.mode > SAMPLE_MODE_EVENT) {
        in.mode = SAMPLE_MODE_SINGLE;
    }
    settings.nSampleMode = in.mode;
    if (in.mode == SAMPLE_MODE_TIMED) {
        if (!IsValidNumberText(2, in.intervalText)) {
            Warn(showMessages, MSG_INTERVAL_INVALID);
            return 0;
        }
        const int interval = ToInt(in.intervalText);
        if (interval < MIN_SAMPLE_INTERVAL) {
            Warn(showMessages, platform::Format(MSG_INTERVAL_TOO_SMALL, MIN_SAMPLE_INTERVAL));
            return 0;
        }
        if (!IsValidNumberText(2, in.countText)) {
            Warn(showMessages, MSG_COUNT_INVALID);
            return 0;
        }
        settings.nSampleInterval = interval;
        settings.nTimerCount = ToInt(in.countText);
        settings.bSetTimerCount = in.bSetCount ? 1 : 0;
    }
    // The record keeps the label in its in-memory form, which may be
    // longer than its GBK form: it must fit both.
    const bool fitsRecord = in.label.size() < sizeof(settings.szSampleStatus);
    if (platform::GbkLength(in.label) > static_cast<std::size_t>(SAMPLE_LABEL_MAX_BYTES) || !fitsRecord) {
        SetSampleStatusText(settings, CutToGbkLength(in.label, SAMPLE_LABEL_MAX_BYTES));
        in.label = SampleStatusText(settings);
        Warn(showMessages, MSG_LABEL_TOO_LONG);
        return 0;
    }
    SetSampleStatusText(settings, in.label);
    settings.bSingleCount = in.bNumbering ? 1 : 0;
    settings.nCountStart = ToInt(in.countStartText);
    settings.nAveragePointCount = ToInt(in.averageText);
    settings.bEliminateMaxMin = in.bEliminate ? 1 : 0;
    return 1;
}

int CheckAverageCount(const std::string& text, bool showMessage) {
    const int count = ToInt(text);
    if (!text.empty() && IsValidNumberText(2, text) && count >= 1 && count <= MAX_AVERAGE_POINTS) {
        return count;
    }
    Warn(showMessage, MSG_AVERAGE_COUNT);
    return 1;
}
