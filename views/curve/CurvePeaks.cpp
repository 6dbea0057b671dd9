// Peak search and ordering.
#include "views/curve/CurvePeaks.h"

#include "datafiles/SampleFileFormat.h"
#include "platform/Text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <queue>

namespace {

bool IsMarker(float value) {
    return !std::isfinite(value) || IsSpecialValue(value) != 0;
}

std::string Fixed(int precision, double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", std::clamp(precision, 0, 12), value);
    return text;
}

std::string Column(const std::string& text) {
    char cell[256];
    std::snprintf(cell, sizeof cell, "%-20s", text.c_str());
    return cell;
}

} // namespace

std::vector<PeakRecord> FindPeaks(int count, const double* times, const float* values, int limit) {
    std::vector<PeakRecord> peaks;
    bool rising = true;
    int previous = -1; // the last point that is a value
    for (int i = 0; i < count; ++i) {
        if (IsMarker(values[i]))
            continue;
        if (previous >= 0) {
            if (values[i] < values[previous] && rising) {
                peaks.push_back({previous, float(times[previous]), values[previous]});
                rising = false;
            } else if (values[previous] < values[i]) {
                rising = true;
            }
        }
        previous = i;
    }
    if (peaks.empty()) {
        for (int i = 0; i < count && int(peaks.size()) < limit; ++i)
            if (!IsMarker(values[i]))
                peaks.push_back({i, float(times[i]), values[i]});
    }
    return peaks;
}

void SortPeaksByValue(std::vector<PeakRecord>& records, int shown) {
    shown = std::min(shown, int(records.size()));
    if (shown <= 0)
        return;
    // Only entries at or above the shown-th largest value can reach the first
    // `shown` positions, and the passes keep their relative order whatever
    // the smaller entries do: the passes run over those candidates alone.
    std::priority_queue<float, std::vector<float>, std::greater<float>> largest;
    for (const PeakRecord& record : records) {
        if (int(largest.size()) < shown) {
            largest.push(record.fValue);
        } else if (record.fValue > largest.top()) {
            largest.pop();
            largest.push(record.fValue);
        }
    }
    const float threshold = largest.top();
    const auto end = std::stable_partition(
        records.begin(), records.end(), [threshold](const PeakRecord& r) { return r.fValue >= threshold; });
    const int count = int(end - records.begin());
    for (int i = 0; i < shown; ++i)
        for (int j = i + 1; j < count; ++j)
            if (records[std::size_t(i)].fValue <= records[std::size_t(j)].fValue)
                std::swap(records[std::size_t(i)], records[std::size_t(j)]);
}

PeakList BuildPeakList(int K, int count, const double* times, const float* values) {
    PeakList list;
    K = std::max(K, 0);
    list.entries.assign(std::size_t(K), PeakRecord{});
    if (count <= 0 || times == nullptr || values == nullptr)
        return list;
    std::vector<PeakRecord> peaks = FindPeaks(count, times, values, K);
    SortPeaksByValue(peaks, K);
    list.found = std::min<int>(K, int(peaks.size()));
    std::copy_n(peaks.begin(), list.found, list.entries.begin());
    return list;
}

std::vector<std::string> PeakListBoxLines(const PeakList& list, int pointCount, int xPrecision,
                                          int yPrecision, bool storedData) {
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < list.entries.size(); ++i) {
        char number[16];
        std::snprintf(number, sizeof number, "%02d", int(i) + 1);
        const PeakRecord& entry = list.entries[i];
        const std::string time = Fixed(xPrecision, storedData ? double(entry.fTime) : 0.0);
        if (time.size() >= 9 || int(i) >= pointCount)
            lines.push_back(std::string(number) + "   No Peak");
        else
            lines.push_back(std::string(number) + "   " + time + "   " +
                            Fixed(yPrecision, double(entry.fValue)));
    }
    return lines;
}

std::string PeakFileText(const PeakList& list, int xPrecision, int yPrecision) {
    // The columns are counted in the file's own (GBK) bytes.
    std::string text = Column(platform::Utf8ToGbk("序号")) + Column(platform::Utf8ToGbk("数据位置")) +
                       Column(platform::Utf8ToGbk("峰值数据")) + "\n";
    for (std::size_t i = 0; i < list.entries.size(); ++i) {
        const PeakRecord& entry = list.entries[i];
        text += Column(std::to_string(i)) + Column(Fixed(xPrecision, double(entry.fTime))) +
                Column(Fixed(yPrecision, double(entry.fValue))) + "\n";
    }
    return text;
}
