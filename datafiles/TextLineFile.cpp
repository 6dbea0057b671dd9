// Text table file of the result exports.
#include "datafiles/TextLineFile.h"

#include "platform/Text.h"

#include <algorithm>
#include <cstdio>

void CTextLineFile::SetLineCount(int count) {
    m_lines.assign(std::size_t(std::max(count, 0)), std::string());
}

void CTextLineFile::AppendColumn(const std::vector<std::string>& column) {
    const std::size_t n = std::min(column.size(), m_lines.size());
    for (std::size_t i = 0; i < n; ++i)
        m_lines[i] += column[i] + "\t";
}

void CTextLineFile::AppendSeparator() {
    for (std::string& line : m_lines)
        line += "\t";
}

void CTextLineFile::Save() {
    if (m_fileName.empty())
        return;
    for (std::string& line : m_lines)
        line += "\n";
    std::FILE* file = std::fopen(m_fileName.c_str(), "wb");
    if (!file)
        return;
    for (const std::string& line : m_lines) {
        std::string gbk = platform::Utf8ToGbk(line.substr(0, line.size() - 1));
        gbk += "\r\n";
        std::fwrite(gbk.data(), 1, gbk.size(), file);
    }
    std::fclose(file);
}
