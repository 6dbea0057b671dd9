// Brisel_R: the workbook writer CExportExcel_Ex, the progress window
// CDlgProgress, and BriselEx, which writes a samples-by-channels table into
// a new workbook while the progress window runs.
#pragma once

#include "libs/excelexport/BriselRApi.h"
#include "libs/excelexport/DlgProgress.h"
#include "libs/excelexport/ExportExcel_Ex.h"

class QCoreApplication;

// Writes one row a sample: with nTimeColumn the sample's time (decimals
// nTimePrecision + 3) in column 1 and the channels' values from column 2
// with four decimals, else the values from column 1 with three; numbers are
// number cells shown with those decimals, values that are not finite are
// their text. With nHeader, row 1 first holds each channel's name
// "<group>_<unit>" (nUnitsPerGroup units a group; the title above the time
// column). The value of channel k at sample s is pValues[s + k * nSamples].
// With a running Qt application (pApp, on its thread) the progress window
// shows and Esc, "退出" or a quit stop the export, keeping the rows written;
// without one it writes without a window. Returns 1 when the workbook is
// written whole, 0 when stopped (the rows so far are saved) or when nothing
// could be written (bad arguments, a table larger than a sheet, a file that
// cannot be written; reported).
extern "C" BRISEL_R_API int BriselEx(int nUnitsPerGroup, const char* pTitle, int nTimeColumn,
                                     const float* pTimes, int nTimePrecision, int nHeader,
                                     const int* pChannels, const double* pValues, int nSamples, int nChannels,
                                     const char* pFileName, QCoreApplication* pApp);
