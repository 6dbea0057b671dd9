// The mark file and the mark list.
#include "project/SampleMarks.h"

#include <algorithm>

#include "platform/Profile.h"
#include "platform/Text.h"

namespace {

constexpr const char* MARK_SECTION = "SampleMark";
constexpr const char* INFO_SECTION = "SampleMarkInfo";
constexpr std::size_t MARK_TEXT_READ_SIZE = 128; // 127 bytes and the terminator

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t pos = text.find(from); pos != std::string::npos;
         pos = text.find(from, pos + to.size())) {
        text.replace(pos, from.size(), to);
    }
    return text;
}

} // namespace

std::string MarkTextOnOneLine(const std::string& text) {
    // One line a key: a lone "\n" or "\r" must not end the value either.
    return ReplaceAll(ReplaceAll(ReplaceAll(text, "\r\n", "||"), "\n", "||"), "\r", "||");
}

int GetSampleMarkCount(const std::string& markPath) {
    return std::clamp(platform::GetPrivateProfileInt(MARK_SECTION, "SampleMarkCount", 0, markPath), 0,
                      MAX_SAMPLE_MARK_COUNT);
}

std::vector<int> ReadSampleMarkIndexes(const std::string& markPath, int count) {
    std::vector<int> indexes;
    for (int i = 0; i < std::min(count, MAX_SAMPLE_MARK_COUNT); ++i) {
        indexes.push_back(
            platform::GetPrivateProfileInt(MARK_SECTION, platform::Format("SampleMark%d", i), 0, markPath));
    }
    return indexes;
}

std::string ReadSampleMarkText(const std::string& markPath, int sampleIndex) {
    char buffer[MARK_TEXT_READ_SIZE] = {};
    platform::GetPrivateProfileString(INFO_SECTION, platform::Format("SampleMarkInfo%d", sampleIndex), "",
                                      buffer, sizeof(buffer), markPath);
    return ReplaceAll(buffer, "||", "\r\n");
}

void SaveSampleMarks(const std::string& markPath, int count, int sampleIndex, const std::string* text) {
    platform::WritePrivateProfileString(MARK_SECTION, "SampleMarkCount", platform::Format("%d", count),
                                        markPath);
    platform::WritePrivateProfileString(MARK_SECTION, platform::Format("SampleMark%d", count - 1),
                                        platform::Format("%d", sampleIndex), markPath);
    if (text) {
        platform::WritePrivateProfileString(INFO_SECTION, platform::Format("SampleMarkInfo%d", sampleIndex),
                                            MarkTextOnOneLine(*text), markPath);
    }
}

std::vector<SampleMarkEntry> LoadSampleMarks(const std::string& markPath) {
    std::vector<SampleMarkEntry> marks;
    for (const int index : ReadSampleMarkIndexes(markPath, GetSampleMarkCount(markPath))) {
        marks.push_back({index, ReadSampleMarkText(markPath, index)});
    }
    return marks;
}

void CSampleMarkRecorder::StartRun(const std::string& markPath, bool append) {
    m_nMarkCount = append ? GetSampleMarkCount(markPath) : 0;
    m_nLastMarkedIndex = -1;
}

int CSampleMarkRecorder::AddSampleMark(const std::string& markPath, const std::string& text) {
    if (m_nMarkCount > 0 && m_nPendingIndex == m_nLastMarkedIndex) {
        // The file keeps one text a sample: a second mark on the sample
        // just marked adds its text on a line of its own.
        const std::string both = ReadSampleMarkText(markPath, m_nPendingIndex) + "\r\n" + text;
        platform::WritePrivateProfileString(INFO_SECTION,
                                            platform::Format("SampleMarkInfo%d", m_nPendingIndex),
                                            MarkTextOnOneLine(both), markPath);
        return 1;
    }
    if (m_nMarkCount < MAX_SAMPLE_MARK_COUNT) {
        ++m_nMarkCount;
    }
    SaveSampleMarks(markPath, m_nMarkCount, m_nPendingIndex, &text);
    m_nLastMarkedIndex = m_nPendingIndex;
    return 1;
}

void CSampleMarkList::RemoveAt(int index) {
    if (IsValidIndex(index)) {
        m_marks.erase(m_marks.begin() + index);
    }
}

int CSampleMarkList::GetAt(int index, SampleMark& mark) const {
    if (!IsValidIndex(index)) {
        return 0;
    }
    mark = m_marks[static_cast<std::size_t>(index)];
    return 1;
}

int CSampleMarkList::SetAt(int index, const SampleMark& mark) {
    if (!IsValidIndex(index)) {
        return 0;
    }
    m_marks[static_cast<std::size_t>(index)] = mark;
    return 1;
}
