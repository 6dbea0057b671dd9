// Exports of the rosette and residual-stress results of chosen groups over a
// range of samples: tab-separated ".xls" tables and fixed-width text files.
// The options' channel list holds group indexes (group number = entry + 1).
#pragma once

#include "datafiles/ExportContext.h"
#include "datafiles/ResultFiles.h"
#include "datafiles/SaveDataOptions.h"

#include <string>

// Spreadsheet tables; 1 when the export ran to its end, 0 when it stopped
// (cancel, folder, no group, data file missing) or a result file was
// missing, short or an output could not be written.
int SaveResidualStressResults(const ExportContext& context, const SaveDataOptions& options, int first,
                              int count, int decimals);
int SaveRosetteResults(const ExportContext& context, const SaveDataOptions& options, int first, int count,
                       int decimals);

// Text files; the reserved argument is not read. 0 when a result file does
// not hold the range or the output cannot be written, else 1.
int ExportResidualStressText(const ExportContext& context, const SaveDataOptions& options,
                             const std::string& dataPath, const std::string& statusPath, int reserved,
                             int decimals, int count, int first, const std::string& outputPath);
int ExportRosetteText(const ExportContext& context, const SaveDataOptions& options,
                      const std::string& dataPath, const std::string& statusPath, int reserved, int decimals,
                      int count, int first, const std::string& outputPath);

// The heading line of the text export and one row (without line ends).
// The row's relative time is given in seconds; not a number leaves it blank.
std::string FormatResidualStressTextHeader(const SaveDataOptions& options);
std::string FormatRosetteTextHeader(const SaveDataOptions& options);
std::string FormatResultTextHeader(const ResultKind& kind, const SaveDataOptions& options);
std::string FormatResultTextRow(const ResultKind& kind, const SaveDataOptions& options, int decimals,
                                double relativeSeconds, const std::string& timeText,
                                const std::string& statusText, const float* record);
