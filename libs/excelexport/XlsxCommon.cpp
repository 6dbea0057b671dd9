// Cell names, rounding, safe texts and the temporary-name workbook file.
#include "libs/excelexport/XlsxCommon.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace excelexport {

std::string ColumnName(std::int64_t column) {
    std::string name;
    for (std::int64_t n = column; n > 0; n = (n - 1) / 26) {
        name.insert(name.begin(), static_cast<char>('A' + (n - 1) % 26));
    }
    return name;
}

std::string CellName(std::int64_t row, std::int64_t column) {
    if (row < 1 || row > kMaxRows || column < 1 || column > kMaxColumns) {
        return {};
    }
    return ColumnName(column) + std::to_string(row);
}

namespace {

constexpr double kPow10[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10};

} // namespace

std::string FormatFixed(double value, int decimals) {
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return buffer;
}

double RoundedValue(double value, int decimals) {
    // Fast path: scale, round to an integer N and divide back. The division
    // is correctly rounded, so N / 10^d is the double nearest the printed
    // decimal, which is what reading the printed text gives. Only when the
    // scaled value lies too near a half for its own rounding error to be
    // ruled out does the printed text decide.
    if (decimals >= 0 && decimals <= 10) {
        const double scale = kPow10[decimals];
        const double x = value * scale;
        if (std::fabs(x) < 0x1p50) {
            const double whole = std::floor(x);
            const double fraction = x - whole;
            const double margin = std::ldexp(std::fabs(x), -49) + 0x1p-60;
            if (std::fabs(fraction - 0.5) > margin) {
                const double n = fraction < 0.5 ? whole : whole + 1.0;
                return std::copysign(n / scale, value);
            }
        }
    }
    return std::strtod(FormatFixed(value, decimals).c_str(), nullptr);
}

std::string FixedNumberFormat(int decimals) {
    return decimals <= 0 ? std::string("0") : "0." + std::string(static_cast<std::size_t>(decimals), '0');
}

std::string ChannelStrID(int channel, int n) {
    if (n < 1) {
        return {};
    }
    char text[32];
    std::snprintf(text, sizeof text, "%d_%d", channel / n + 1, channel % n + 1);
    return text;
}

namespace {

// Length of the well-formed UTF-8 sequence at p (at most n bytes), or 0.
std::size_t Utf8SequenceLength(const unsigned char* p, std::size_t n, char32_t& code) {
    const unsigned char c = p[0];
    std::size_t length = 0;
    char32_t min = 0;
    if (c < 0x80) {
        code = c;
        return 1;
    } else if ((c & 0xE0) == 0xC0) {
        length = 2, code = c & 0x1F, min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
        length = 3, code = c & 0x0F, min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
        length = 4, code = c & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (length > n) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((p[i] & 0xC0) != 0x80) {
            return 0;
        }
        code = (code << 6) | (p[i] & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return 0;
    }
    return length;
}

bool XmlCarries(char32_t code) {
    if (code < 0x20) {
        return code == '\t' || code == '\n' || code == '\r';
    }
    return code != 0xFFFE && code != 0xFFFF;
}

} // namespace

std::string CellText(const char* text) {
    if (text == nullptr) {
        return {};
    }
    const std::size_t n = std::strlen(text);
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    std::string out;
    bool changed = false;
    for (std::size_t i = 0; i < n;) {
        char32_t code = 0;
        const std::size_t length = Utf8SequenceLength(p + i, n - i, code);
        if (length == 0) {
            out += "\xEF\xBF\xBD";
            changed = true;
            ++i;
            continue;
        }
        if (XmlCarries(code)) {
            out.append(text + i, length);
        } else {
            changed = true;
        }
        i += length;
    }
    return changed ? out : std::string(text, n);
}

namespace {

// A fresh name beside the target, claimed by creating it empty.
std::string ClaimTempBeside(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    const std::size_t slash = target.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = folder + "." + base + "." + std::to_string(::getpid()) + "." +
                           std::to_string(counter.fetch_add(1)) + ".tmp";
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            return name;
        }
        if (errno != EEXIST) {
            return {};
        }
    }
    return {};
}

} // namespace

XlsxFile::XlsxFile(std::string target, bool constantMemory, std::string tempPath)
    : m_target(std::move(target)), m_temp(std::move(tempPath)), m_constantMemory(constantMemory) {}

XlsxFile::~XlsxFile() {
    Discard();
}

bool XlsxFile::Open() {
    if (m_target.empty()) {
        m_error = "no file name";
        return false;
    }
    if (m_temp.empty()) {
        m_temp = ClaimTempBeside(m_target);
        if (m_temp.empty()) {
            m_error = std::strerror(errno);
            return false;
        }
        m_ownsTempName = true;
    } else {
        // The caller's temporary name must be free; claim it so that a
        // failure before the library writes it still removes only our file.
        const int fd = ::open(m_temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            m_error = std::strerror(errno);
            return false;
        }
        ::close(fd);
        m_ownsTempName = true;
    }
    lxw_workbook_options options{};
    options.constant_memory = m_constantMemory ? LXW_TRUE : LXW_FALSE;
    options.use_zip64 = LXW_TRUE;
    m_workbook = workbook_new_opt(m_temp.c_str(), &options);
    if (m_workbook == nullptr) {
        m_error = "cannot start the workbook";
        Discard();
        return false;
    }
    return true;
}

lxw_worksheet* XlsxFile::AddSheet(const std::string& name) {
    if (m_workbook == nullptr) {
        return nullptr;
    }
    lxw_worksheet* sheet = workbook_add_worksheet(m_workbook, name.empty() ? nullptr : name.c_str());
    if (sheet == nullptr) {
        m_error = "cannot add the worksheet \"" + name + "\"";
    }
    return sheet;
}

bool XlsxFile::Fail(int lxwError) {
    m_error = lxw_strerror(static_cast<lxw_error>(lxwError));
    return false;
}

lxw_format* XlsxFile::FormatByCode(const std::string& code) {
    auto [it, added] = m_formats.try_emplace(code, nullptr);
    if (added) {
        it->second = workbook_add_format(m_workbook);
        format_set_num_format(it->second, code.c_str());
    }
    return it->second;
}

lxw_format* XlsxFile::FormatByIndex(int index) {
    auto [it, added] = m_formats.try_emplace("#" + std::to_string(index), nullptr);
    if (added) {
        it->second = workbook_add_format(m_workbook);
        format_set_num_format_index(it->second, static_cast<uint8_t>(index));
    }
    return it->second;
}

bool XlsxFile::WriteNumber(lxw_worksheet* sheet, std::int64_t row0, std::int64_t column0, double value,
                           lxw_format* format) {
    const lxw_error error = worksheet_write_number(sheet, static_cast<lxw_row_t>(row0),
                                                   static_cast<lxw_col_t>(column0), value, format);
    return error == LXW_NO_ERROR || Fail(error);
}

bool XlsxFile::WriteFixed(lxw_worksheet* sheet, std::int64_t row0, std::int64_t column0, double value,
                          int decimals) {
    if (!std::isfinite(value)) {
        return WriteText(sheet, row0, column0, FormatFixed(value, decimals));
    }
    return WriteNumber(sheet, row0, column0, RoundedValue(value, decimals),
                       FormatByCode(FixedNumberFormat(decimals)));
}

bool XlsxFile::WriteText(lxw_worksheet* sheet, std::int64_t row0, std::int64_t column0,
                         const std::string& text, lxw_format* format) {
    if (text.empty()) {
        return true;
    }
    const lxw_error error = worksheet_write_string(sheet, static_cast<lxw_row_t>(row0),
                                                   static_cast<lxw_col_t>(column0), text.c_str(), format);
    return error == LXW_NO_ERROR || Fail(error);
}

bool XlsxFile::WriteBoolean(lxw_worksheet* sheet, std::int64_t row0, std::int64_t column0, bool value,
                            lxw_format* format) {
    const lxw_error error = worksheet_write_boolean(sheet, static_cast<lxw_row_t>(row0),
                                                    static_cast<lxw_col_t>(column0), value ? 1 : 0, format);
    return error == LXW_NO_ERROR || Fail(error);
}

bool XlsxFile::Commit() {
    if (m_workbook == nullptr) {
        if (m_error.empty()) {
            m_error = "the workbook was not started";
        }
        return false;
    }
    const lxw_error error = workbook_close(m_workbook);
    m_workbook = nullptr;
    if (error != LXW_NO_ERROR) {
        Fail(error);
        Discard();
        return false;
    }
    // A file replaced keeps its permissions.
    struct stat target {};
    if (::stat(m_target.c_str(), &target) == 0 && S_ISREG(target.st_mode)) {
        ::chmod(m_temp.c_str(), target.st_mode & 07777);
    }
    if (std::rename(m_temp.c_str(), m_target.c_str()) != 0) {
        m_error = std::strerror(errno);
        Discard();
        return false;
    }
    m_ownsTempName = false;
    return true;
}

void XlsxFile::Discard() {
    if (m_workbook != nullptr) {
        lxw_workbook_free(m_workbook);
        m_workbook = nullptr;
    }
    if (m_ownsTempName) {
        ::unlink(m_temp.c_str());
        m_ownsTempName = false;
    }
}

std::string WorkbookFileName(const std::string& fileName) {
    const std::string old = ".xls";
    if (fileName.size() <= old.size())
        return fileName;
    const std::string tail = fileName.substr(fileName.size() - old.size());
    const bool isOld = std::equal(tail.begin(), tail.end(), old.begin(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == b;
    });
    return isOld ? fileName.substr(0, fileName.size() - old.size()) + kWorkbookExtension : fileName;
}

} // namespace excelexport
