// The plain exports: each checks its table against the worksheet, writes it
// into a workbook of one sheet and saves it under the caller's file name.
#include "libs/excelexport/Brisel.h"

#include "libs/excelexport/BriselMessages.h"
#include "libs/excelexport/XlsxCommon.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

using excelexport::XlsxFile;

namespace {

constexpr int kValueDecimals = 4;

// The column height, or 0 when the arguments are outside the contract.
std::int64_t ColumnHeight(int count, int columns) {
    if (columns < 1 || count < columns) {
        return 0;
    }
    return count / columns;
}

bool FileNameGiven(const char* fileName) {
    return fileName != nullptr && *fileName != '\0';
}

const char* TextAt(const char* const* texts, std::int64_t i) {
    return texts == nullptr ? nullptr : texts[i];
}

bool FirstTextNotEmpty(const char* const* texts) {
    return texts != nullptr && texts[0] != nullptr && texts[0][0] != '\0';
}

// The channel number of a channel text ("通道 12:应变" is 12): the integer
// after the first blank, ending at the first ':' after it. None when the
// text has no ':' there or no digits before it.
std::optional<int> ChannelOfText(const char* text) {
    if (text == nullptr) {
        return std::nullopt;
    }
    const char* blank = std::strchr(text, ' ');
    const char* start = blank == nullptr ? text : blank + 1;
    const char* colon = std::strchr(start, ':');
    if (colon == nullptr) {
        return std::nullopt;
    }
    const char* p = start;
    while (p < colon && std::isspace(static_cast<unsigned char>(*p))) {
        ++p;
    }
    bool negative = false;
    if (p < colon && (*p == '-' || *p == '+')) {
        negative = *p == '-';
        ++p;
    }
    if (p == colon || !std::isdigit(static_cast<unsigned char>(*p))) {
        return std::nullopt;
    }
    std::int64_t n = 0;
    for (; p < colon && std::isdigit(static_cast<unsigned char>(*p)); ++p) {
        n = n * 10 + (*p - '0');
        if (n > INT32_MAX) {
            return std::nullopt;
        }
    }
    return static_cast<int>(negative ? -n : n);
}

// Writes one sheet with `write` and saves it; 1 on success, 0 with a message
// box otherwise. `columnsUsed` and `rowsUsed` are checked against the sheet
// first, so an oversized table writes nothing.
int WriteWorkbook(const char* fileName, std::int64_t rowsUsed, std::int64_t columnsUsed,
                  const std::function<bool(XlsxFile&, lxw_worksheet*)>& write) {
    if (rowsUsed > excelexport::kMaxRows || columnsUsed > excelexport::kMaxColumns) {
        excelexport::ReportTooLarge(rowsUsed, columnsUsed);
        return 0;
    }
    return excelexport::Guarded([&] {
        const std::string name = excelexport::WorkbookFileName(fileName);
        XlsxFile file(name, false);
        lxw_worksheet* sheet = nullptr;
        if (!file.Open() || (sheet = file.AddSheet()) == nullptr || !write(file, sheet) || !file.Commit()) {
            excelexport::ReportSaveFailure(name, file.Error());
            return 0;
        }
        return 1;
    });
}

std::int64_t ColumnsOfValues(int count, std::int64_t rows) {
    return (count + rows - 1) / rows;
}

// Writes texts[0 … n) down one column from row 0, keeping item i only where
// keep(i); false on a library error.
bool WriteTextColumn(XlsxFile& file, lxw_worksheet* sheet, std::int64_t column, const char* const* texts,
                     std::int64_t n, const std::function<bool(std::int64_t)>& keep) {
    std::int64_t row = 0;
    for (std::int64_t i = 0; i < n; ++i) {
        if (!keep(i)) {
            continue;
        }
        if (!file.WriteText(sheet, row++, column, excelexport::CellText(TextAt(texts, i)))) {
            return false;
        }
    }
    return true;
}

// The texts exports: optional first and second columns, then the values, a
// new column every `rows` values; only rows where keep(i % rows).
int WriteTexts(const char* const* firstColumn, const char* const* secondColumn, const char* const* values,
               int count, int columns, const char* fileName, const std::function<bool(std::int64_t)>& keep) {
    const std::int64_t rows = ColumnHeight(count, columns);
    if (rows == 0 || values == nullptr || !FileNameGiven(fileName)) {
        excelexport::ReportBadArguments();
        return 0;
    }
    const bool withFirst = FirstTextNotEmpty(firstColumn);
    const bool withSecond = FirstTextNotEmpty(secondColumn);
    const std::int64_t columnsUsed =
        (withFirst ? 1 : 0) + (withSecond ? 1 : 0) + ColumnsOfValues(count, rows);
    return WriteWorkbook(fileName, rows, columnsUsed, [&](XlsxFile& file, lxw_worksheet* sheet) {
        std::int64_t column = 0;
        if (withFirst && !WriteTextColumn(file, sheet, column++, firstColumn, rows, keep)) {
            return false;
        }
        if (withSecond && !WriteTextColumn(file, sheet, column++, secondColumn, rows, keep)) {
            return false;
        }
        for (std::int64_t start = 0; start < count; start += rows, ++column) {
            const std::int64_t n = std::min<std::int64_t>(rows, count - start);
            if (!WriteTextColumn(file, sheet, column, values + start, n,
                                 [&](std::int64_t i) { return keep((start + i) % rows); })) {
                return false;
            }
        }
        return true;
    });
}

} // namespace

extern "C" int Brisel(const double* values, int count, int columns, const char* fileName) {
    const std::int64_t rows = ColumnHeight(count, columns);
    if (rows == 0 || values == nullptr || !FileNameGiven(fileName)) {
        excelexport::ReportBadArguments();
        return 0;
    }
    return WriteWorkbook(fileName, rows, ColumnsOfValues(count, rows),
                         [&](XlsxFile& file, lxw_worksheet* sheet) {
                             for (std::int64_t i = 0; i < count; ++i) {
                                 if (!file.WriteFixed(sheet, i % rows, i / rows, values[i], kValueDecimals)) {
                                     return false;
                                 }
                             }
                             return true;
                         });
}

extern "C" int BriselString(const char* const* firstColumn, const char* const* secondColumn,
                            const char* const* values, int count, int columns, const char* fileName) {
    return WriteTexts(firstColumn, secondColumn, values, count, columns, fileName,
                      [](std::int64_t) { return true; });
}

extern "C" int BriselSelectedString(const char* const* firstColumn, const char* const* channelTexts,
                                    const char* const* values, int lowestChannel, int channelLimit, int count,
                                    int columns, const char* fileName) {
    const std::int64_t rows = ColumnHeight(count, columns);
    if (rows == 0 || channelTexts == nullptr) {
        excelexport::ReportBadArguments();
        return 0;
    }
    return excelexport::Guarded([&] {
        std::vector<bool> kept(static_cast<std::size_t>(rows));
        for (std::int64_t i = 0; i < rows; ++i) {
            const std::optional<int> channel = ChannelOfText(channelTexts[i]);
            kept[static_cast<std::size_t>(i)] =
                channel && *channel >= lowestChannel && *channel < channelLimit;
        }
        return WriteTexts(firstColumn, channelTexts, values, count, columns, fileName, [&](std::int64_t i) {
            return static_cast<bool>(kept[static_cast<std::size_t>(i)]);
        });
    });
}
