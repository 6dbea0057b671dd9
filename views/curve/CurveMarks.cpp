// The curve view's marks, bookmarks and zero-time values.
#include "views/curve/CurveMarks.h"

#include "platform/Profile.h"
#include "platform/Text.h"

#include <algorithm>
#include <cstdlib>

int CentredWindowStart(int mark, int windowCount, int total) {
    int start = std::max(mark - windowCount / 2, 0);
    if (start + windowCount > total)
        start = std::max(total - windowCount, 0);
    return start;
}

bool CCurveBookmarks::Toggle(int sample) {
    const auto near =
        std::find_if(m_marks.begin(), m_marks.end(), [sample](int m) { return std::abs(m - sample) < 3; });
    if (near != m_marks.end()) {
        m_marks.erase(near);
        m_nCurrent = std::clamp(m_nCurrent, 0, std::max(int(m_marks.size()) - 1, 0));
        return false;
    }
    if (!CanAdd())
        return false;
    m_marks.push_back(sample);
    m_nCurrent = int(m_marks.size()) - 1;
    return true;
}

int CCurveBookmarks::Next() {
    if (HasNext())
        ++m_nCurrent;
    return CurrentSample();
}

int CCurveBookmarks::Previous() {
    if (HasPrevious())
        --m_nCurrent;
    return CurrentSample();
}

void CCurveBookmarks::Clear() {
    m_marks.clear();
    m_nCurrent = 0;
}

std::vector<int> MergeBookmarks(const std::vector<int>& marks, const std::vector<int>& bookmarks) {
    std::vector<int> merged = marks;
    for (int sample : bookmarks)
        if (std::find(merged.begin(), merged.end(), sample) == merged.end())
            merged.push_back(sample);
    return merged;
}

void WriteSampleMarkList(const std::string& markPath, const std::vector<int>& samples) {
    platform::WritePrivateProfileString("SampleMark", "SampleMarkCount",
                                        platform::Format("%d", int(samples.size())), markPath);
    for (std::size_t i = 0; i < samples.size(); ++i)
        platform::WritePrivateProfileString("SampleMark", platform::Format("SampleMark%d", int(i)),
                                            platform::Format("%d", samples[i]), markPath);
}

ZeroTimeTable& ZeroTimeValues() {
    static ZeroTimeTable table;
    return table;
}

int ConfirmZeroTimeValues(ZeroTimeTable& table, const std::vector<int>& channels,
                          const std::vector<float>& values, const std::string& path) {
    int taken = 0;
    for (std::size_t i = 0; i < channels.size() && i < values.size(); ++i) {
        const float v = values[i];
        if (!(v >= 0.0f))
            continue;
        const auto match = std::find(table.channels.begin(), table.channels.end(), channels[i]);
        if (channels[i] < 0 || match == table.channels.end())
            continue;
        const int j = int(match - table.channels.begin());
        table.values[std::size_t(j)] = v;
        if (!path.empty())
            platform::WritePrivateProfileString("T0", platform::Format("T0_%d", j + 1),
                                                platform::Format("%f", double(v)), path);
        ++taken;
    }
    return taken;
}
