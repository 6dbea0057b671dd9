// Sample marks: short texts the user attaches to samples during or after a
// run, kept per project in an INI-format ".mrk" file, and the list of mark
// labels a curve window shows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int MAX_SAMPLE_MARK_COUNT = 65536;
constexpr int SAMPLE_MARK_TEXT_SIZE = 100;

// A mark's text as it is stored and sent: every line break becomes "||".
std::string MarkTextOnOneLine(const std::string& text);
// SampleMarkCount of the file, bounded to 0..MAX_SAMPLE_MARK_COUNT.
int GetSampleMarkCount(const std::string& markPath);
// SampleMark%d for 0..count-1.
std::vector<int> ReadSampleMarkIndexes(const std::string& markPath, int count);
// The text of the mark on a sample, "||" turned back into line breaks.
std::string ReadSampleMarkText(const std::string& markPath, int sampleIndex);
// Writes the count, the index of mark count-1 and, when text is given, the
// text under the sample index (line breaks stored as "||").
void SaveSampleMarks(const std::string& markPath, int count, int sampleIndex, const std::string* text);

struct SampleMarkEntry {
    int nSampleIndex = 0;
    std::string text;
};
// Every mark of the file in file order, as a curve window loads them.
std::vector<SampleMarkEntry> LoadSampleMarks(const std::string& markPath);

// The main frame's side of adding marks during a run.
class CSampleMarkRecorder {
public:
    // A new run starts counting at 0; a run appended to a project continues
    // after the file's marks, so the earlier runs' marks stay.
    void StartRun(const std::string& markPath, bool append);
    // The add-mark command: the sample to mark.
    void BeginMark(int sampleIndex) { m_nPendingIndex = sampleIndex; }
    // The text arrived: count the mark and write it (a second mark on the
    // sample just marked adds its text to that mark). Always 1.
    int AddSampleMark(const std::string& markPath, const std::string& text);
    int GetMarkCount() const { return m_nMarkCount; }
    int GetPendingIndex() const { return m_nPendingIndex; }

private:
    int m_nMarkCount = 0;
    int m_nPendingIndex = 0;
    int m_nLastMarkedIndex = -1; // the sample of this run's last mark
};

// The box of a mark's label on the screen.
struct MarkRect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};

struct SampleMark {
    std::int32_t nValue = 0;
    MarkRect rcTracker;
    char szText[SAMPLE_MARK_TEXT_SIZE] = {};
};

// The labels of one curve window, in order.
class CSampleMarkList {
public:
    void Add(const SampleMark& mark) { m_marks.push_back(mark); }
    void RemoveAt(int index);
    void RemoveAll() { m_marks.clear(); }
    int GetCount() const { return static_cast<int>(m_marks.size()); }
    // FALSE (and mark untouched) when the index is outside the list.
    int GetAt(int index, SampleMark& mark) const;
    int SetAt(int index, const SampleMark& mark);

private:
    bool IsValidIndex(int index) const { return index >= 0 && index < GetCount(); }
    std::vector<SampleMark> m_marks;
};
