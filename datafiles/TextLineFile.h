// Builds a text table line by line, column by column, and writes it in one
// go (GBK, CRLF line ends), as the result exports need.
#pragma once

#include <string>
#include <vector>

class CTextLineFile {
public:
    CTextLineFile() = default;
    virtual ~CTextLineFile() = default;

    void SetLineCount(int count);
    // Appends column[i] and a tab to line i; entries beyond the lines are ignored.
    void AppendColumn(const std::vector<std::string>& column);
    void AppendSeparator();
    void SetFileName(const std::string& name) { m_fileName = name; }
    // Ends every line and writes the file; nothing without a file name.
    void Save();

    const std::vector<std::string>& Lines() const { return m_lines; }

private:
    std::vector<std::string> m_lines;
    std::string m_fileName;
};
