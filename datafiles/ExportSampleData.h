// Exports of stored samples to text and tab-separated ".xls" files: one file
// per channel or all channels in one file, optionally decimated, and the
// export of digital channels alone. 1 done, 0 not done.
#pragma once

#include "datafiles/ExportContext.h"
#include "datafiles/SaveDataOptions.h"

#include <string>

// File type 0 writes ".txt", 1 ".xls"; the content is the same.
int ExportSampleData(const ExportContext& context, int fileType, const SaveDataOptions& options, int first,
                     int count, int decimals);
int SaveSampleDataXls(const ExportContext& context, const SaveDataOptions& options, int first, int count,
                      int decimals);
// Digital channels from the run's ".dst" file into files beside outputPath.
int ExportDigitalData(const ExportContext& context, const SaveDataOptions& options,
                      const std::string& digitalPath, const std::string& statusPath, int decimals, int count,
                      int first, const std::string& outputPath);
