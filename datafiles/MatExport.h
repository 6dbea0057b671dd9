// MATLAB export of stored samples: the values of the chosen measurement
// channels go to ".mat" files through the run-time library, one file per
// channel or all channels in one file. The library writes each file in
// pieces of samples, so memory does not grow with the run's length; a
// stored marker becomes NaN, never a number a reader would take for a value.
#pragma once

#include "datafiles/ExportContext.h"
#include "datafiles/SaveDataOptions.h"

// The entry points of the library.
using CreateMatFileExFn = int (*)(const char* path, double frequency, const double* values, int count,
                                  int channels);
using MatFileCreateFn = void* (*)(const char* path, double frequency, int count, int channels);
using MatFileAppendRowsFn = int (*)(void* file, const double* values, int rows);
using MatFileEndFn = int (*)(void* file);

// 1 done; 0 when the library or its entry points are missing, the dialog is
// cancelled, the folder cannot be made, no measurement channel is chosen or
// a file is not written (reported by name; nothing is left of it).
int ExportMatlabFile(const ExportContext& context, const SaveDataOptions& options, int first, int count);
int SaveMatFile(const ExportContext& context, const SaveDataOptions& options, int first, int count);
