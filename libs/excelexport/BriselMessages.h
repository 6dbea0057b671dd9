// The failure reports both spreadsheet libraries show.
#pragma once

#include <cstdint>
#include <string>

namespace excelexport {

// Caption of the libraries' message boxes.
inline constexpr const char* kCaption = "Excel";

void ReportBadArguments();
// A table of that many rows and columns does not fit a worksheet.
void ReportTooLarge(std::int64_t rows, std::int64_t columns);
void ReportSaveFailure(const std::string& fileName, const std::string& reason);
// An existing workbook the writer cannot carry over; it is left as it is.
void ReportUnreadable(const std::string& fileName, const std::string& reason);

} // namespace excelexport
