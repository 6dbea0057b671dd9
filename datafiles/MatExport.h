// MATLAB export of stored samples: the values of the chosen measurement
// channels go to ".mat" files through the run-time library's
// CreateMatFileEx, one file per channel or all channels in one file.
#pragma once

#include "datafiles/ExportContext.h"
#include "datafiles/SaveDataOptions.h"

// The entry point signature of the library.
using CreateMatFileExFn = int (*)(const char* path, double frequency, const double* values, int count,
                                  int channels);

// 1 done; 0 when the library or its entry point is missing, the dialog is
// cancelled, the folder cannot be made, no measurement channel is chosen,
// the values do not fit in memory or a file is not written.
int ExportMatlabFile(const ExportContext& context, const SaveDataOptions& options, int first, int count);
int SaveMatFile(const ExportContext& context, const SaveDataOptions& options, int first, int count);
