// Helpers both spreadsheet libraries share: the sheet's limits, cell names,
// numbers rounded as their printf format prints them, texts made safe for
// the workbook's XML, and the workbook file written under a temporary name
// and moved over its target only when it is whole.
#pragma once

#include <cstdint>
#include <map>
#include <string>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

namespace excelexport {

// A worksheet holds rows 1 … kMaxRows and columns 1 … kMaxColumns.
constexpr std::int64_t kMaxRows = 1048576;
constexpr std::int64_t kMaxColumns = 16384;

// Column letters, general base 26 (1 "A", 26 "Z", 27 "AA", 703 "AAA",
// 16384 "XFD"); empty below 1.
std::string ColumnName(std::int64_t column);
// Column letters followed by the row number ("C2"); empty outside the sheet.
std::string CellName(std::int64_t row, std::int64_t column);

// The value printf("%.<decimals>f") prints, read back as a double: what a
// cell holds when the number is written with that many decimals. For a
// finite value only.
double RoundedValue(double value, int decimals);
// "%.<decimals>f" of the value.
std::string FormatFixed(double value, int decimals);
// The cell format showing that many decimals ("0", "0.000").
std::string FixedNumberFormat(int decimals);

// A channel's name in a header: "<group>_<unit>", "%d_%d" of channel / n + 1
// and channel % n + 1; empty for n < 1.
std::string ChannelStrID(int channel, int n);

// The text with every malformed UTF-8 sequence replaced by U+FFFD and the
// characters XML cannot carry (control characters but tab, line feed and
// carriage return) dropped; the text itself when it needs neither.
std::string CellText(const char* text);

// The workbooks are zipped (".xlsx") workbooks: the name they are written
// under. A caller's name ending in ".xls" (any case) takes ".xlsx" in its
// place, as a reader trusting the extension needs; any other name is kept.
constexpr const char* kWorkbookExtension = ".xlsx";
std::string WorkbookFileName(const std::string& fileName);

// One workbook being written: the file goes to a temporary name and becomes
// the target only at Commit, so a failure never leaves half a file or
// touches a file already at the target.
class XlsxFile {
public:
    // tempPath empty: a fresh name beside the target.
    XlsxFile(std::string target, bool constantMemory, std::string tempPath = {});
    ~XlsxFile();
    XlsxFile(const XlsxFile&) = delete;
    XlsxFile& operator=(const XlsxFile&) = delete;

    // False (and Error() says why) when the workbook cannot be started.
    bool Open();
    // A worksheet; name empty: the library's default name.
    lxw_worksheet* AddSheet(const std::string& name = {});
    lxw_workbook* Workbook() const { return m_workbook; }

    // The value as a number cell with the decimals and the matching format;
    // a non-finite value as its printed text. False on a library error.
    bool WriteFixed(lxw_worksheet* sheet, std::int64_t row0, std::int64_t column0, double value,
                    int decimals);
    bool WriteNumber(lxw_worksheet* sheet, std::int64_t row0, std::int64_t column0, double value,
                     lxw_format* format = nullptr);
    // Empty texts write nothing.
    bool WriteText(lxw_worksheet* sheet, std::int64_t row0, std::int64_t column0, const std::string& text,
                   lxw_format* format = nullptr);
    bool WriteBoolean(lxw_worksheet* sheet, std::int64_t row0, std::int64_t column0, bool value,
                      lxw_format* format = nullptr);
    // The format with that number format code / built-in format index, made once.
    lxw_format* FormatByCode(const std::string& code);
    lxw_format* FormatByIndex(int index);

    // Writes the file and moves it over the target. False (Error() says
    // why) leaves the target as it was and removes the temporary file.
    bool Commit();
    const std::string& Error() const { return m_error; }
    const std::string& TempPath() const { return m_temp; }

private:
    bool Fail(int lxwError);
    void Discard();

    std::string m_target;
    std::string m_temp;
    bool m_constantMemory;
    bool m_ownsTempName = false;
    lxw_workbook* m_workbook = nullptr;
    std::map<std::string, lxw_format*> m_formats; // by "code" or "#index"
    std::string m_error;
};

} // namespace excelexport
