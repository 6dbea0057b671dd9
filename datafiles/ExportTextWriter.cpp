// Buffered GBK/CRLF writer and the padded cells of the text exports.
#include "datafiles/ExportTextWriter.h"

#include "datafiles/ExportFileCommit.h"
#include "platform/Files.h"
#include "platform/Text.h"

#include <algorithm>
#include <charconv>

namespace {

constexpr std::size_t kFlushSize = 1 << 20;

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

CExportTextWriter::~CExportTextWriter() {
    Close();
}

bool CExportTextWriter::Open(const std::string& path, const std::string& caption) {
    Close();
    m_bFailed = false;
    m_buffer.clear();
    m_buffer.reserve(kFlushSize + 4096);
    m_strPath = path;
    m_strCaption = caption;
    m_strTempPath = ClaimExportTempPath(path);
    m_file = m_strTempPath.empty() ? nullptr : std::fopen(m_strTempPath.c_str(), "wb");
    if (m_file == nullptr) {
        if (!m_strTempPath.empty())
            platform::DeleteFile(m_strTempPath);
        ReportExportWriteFailure(path, caption);
        return false;
    }
    return true;
}

void CExportTextWriter::WriteLine(std::string_view line) {
    if (IsAscii(line))
        m_buffer.append(line);
    else
        m_buffer += platform::Utf8ToGbk(line);
    m_buffer += "\r\n";
    if (m_buffer.size() >= kFlushSize)
        Flush();
}

void CExportTextWriter::Flush() {
    if (m_file && !m_buffer.empty() &&
        std::fwrite(m_buffer.data(), 1, m_buffer.size(), m_file) != m_buffer.size())
        m_bFailed = true;
    m_buffer.clear();
}

bool CExportTextWriter::Close() {
    if (!m_file)
        return !m_bFailed;
    Flush();
    if (std::fclose(m_file) != 0)
        m_bFailed = true;
    m_file = nullptr;
    if (m_bFailed)
        platform::DeleteFile(m_strTempPath);
    else if (!CommitExportFile(m_strTempPath, m_strPath))
        m_bFailed = true;
    if (m_bFailed)
        ReportExportWriteFailure(m_strPath, m_strCaption);
    return !m_bFailed;
}

void AppendPadded(std::string& out, std::string_view text, int width) {
    out.append(text);
    const std::size_t length = IsAscii(text) ? text.size() : platform::GbkLength(text);
    if (length < std::size_t(width))
        out.append(std::size_t(width) - length, ' ');
}

void AppendCell(std::string& out, std::string_view text, int width) {
    AppendPadded(out, text, width);
    out += '\t';
}

void AppendFixed(std::string& out, double value, int decimals) {
    char text[400];
    const auto result =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, std::clamp(decimals, 0, 15));
    out.append(text, result.ec == std::errc() ? result.ptr : text);
}

std::string FixedText(double value, int decimals) {
    std::string text;
    AppendFixed(text, value, decimals);
    return text;
}

void AppendValueCell(std::string& out, double value, int decimals) {
    const std::size_t start = out.size();
    AppendFixed(out, value, decimals);
    const std::size_t length = out.size() - start;
    if (length < 15)
        out.append(15 - length, ' ');
    out += '\t';
}
