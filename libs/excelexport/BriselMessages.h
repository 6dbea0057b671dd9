// The failure reports both spreadsheet libraries show.
#pragma once

#include <cstdint>
#include <functional>
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

// Runs an export's body so that no exception leaves the library: an
// allocation failure (or any other) is reported and the result is 0.
int Guarded(const std::function<int()>& body);

} // namespace excelexport
