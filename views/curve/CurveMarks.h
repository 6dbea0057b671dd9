// The marks a curve view steps through on the stored run: the sample marks
// of the project's mark file and the view's own bookmarks; the window that
// centres a mark; and the zero-time values confirmed at the cursor.
#pragma once

#include <array>
#include <string>
#include <vector>

// The window start that puts the mark in the middle of a window of
// windowCount samples, kept within the total stored samples.
int CentredWindowStart(int mark, int windowCount, int total);

// The bookmarks of one view, in the order they were set.
class CCurveBookmarks {
public:
    static constexpr int kMaxBookmarks = 64;

    // A bookmark within 2 samples of sample is removed; else one is set
    // there and becomes the current one. True when one was set.
    bool Toggle(int sample);
    bool CanAdd() const { return int(m_marks.size()) < kMaxBookmarks; }
    bool HasNext() const { return !m_marks.empty() && m_nCurrent < int(m_marks.size()) - 1; }
    bool HasPrevious() const { return !m_marks.empty() && m_nCurrent > 0; }
    // Moves to the next or previous one; its sample.
    int Next();
    int Previous();
    int CurrentSample() const { return m_marks.empty() ? 0 : m_marks[std::size_t(m_nCurrent)]; }
    void Clear();
    const std::vector<int>& Samples() const { return m_marks; }

private:
    std::vector<int> m_marks;
    int m_nCurrent = 0;
};

// The sample marks with every bookmark not among them appended.
std::vector<int> MergeBookmarks(const std::vector<int>& marks, const std::vector<int>& bookmarks);
// Rewrites the mark file's list: SampleMarkCount and SampleMark0.. (the notes stay).
void WriteSampleMarkList(const std::string& markPath, const std::vector<int>& samples);

// The zero-time values of the eight matched sensor channels (-1: none).
struct ZeroTimeTable {
    std::array<int, 8> channels{-1, -1, -1, -1, -1, -1, -1, -1};
    std::array<float, 8> values{};
};
// The process's table.
ZeroTimeTable& ZeroTimeValues();
// Takes each non-negative curve value whose channel is matched as that
// channel's zero-time value and records it as "T0_<n>" of section "T0" of
// the file. The number of values taken.
int ConfirmZeroTimeValues(ZeroTimeTable& table, const std::vector<int>& channels,
                          const std::vector<float>& values, const std::string& path);
