// Buffered writer of the text exports: lines are UTF-8 in memory and reach
// the file in GBK with CRLF ends; the cell helpers pad by GBK width. The
// file is written under a temporary name and takes its own name at Close,
// only when every write went through; a failure is reported by name.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

class CExportTextWriter {
public:
    CExportTextWriter() = default;
    ~CExportTextWriter();
    CExportTextWriter(const CExportTextWriter&) = delete;
    CExportTextWriter& operator=(const CExportTextWriter&) = delete;

    // Starts the file; false (reported under caption) when it cannot be made.
    bool Open(const std::string& path, const std::string& caption);
    // The line and CRLF.
    void WriteLine(std::string_view line);
    // Flushes, closes and puts the file in place; false (reported, nothing
    // left behind, an older file of the name kept) when any write failed.
    bool Close();

private:
    void Flush();

    std::FILE* m_file = nullptr;
    std::string m_strPath;
    std::string m_strTempPath;
    std::string m_strCaption;
    std::string m_buffer;
    bool m_bFailed = false;
};

// The text, then blanks up to width GBK bytes (a longer text is kept whole).
void AppendPadded(std::string& out, std::string_view text, int width);
// The padded text and a tab.
void AppendCell(std::string& out, std::string_view text, int width);
// The value as "%.*f" with decimals clamped to 0..15.
void AppendFixed(std::string& out, double value, int decimals);
std::string FixedText(double value, int decimals);
// A value cell of the exports: fixed text padded as a "%-15s\t" column.
void AppendValueCell(std::string& out, double value, int decimals);
