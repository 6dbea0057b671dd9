// The samples-by-channels export with its progress window. Rows come in
// order, so the workbook is written in the library's constant-memory mode.
#include "libs/excelexport/Brisel_R.h"

#include "libs/excelexport/BriselMessages.h"
#include "libs/excelexport/XlsxCommon.h"

#include <QApplication>
#include <QThread>

#include <algorithm>
#include <memory>

using excelexport::XlsxFile;

namespace {

bool ArgumentsValid(int nUnitsPerGroup, int nTimeColumn, const float* pTimes, int nHeader,
                    const int* pChannels, const double* pValues, int nSamples, int nChannels,
                    const char* pFileName) {
    if (pFileName == nullptr || *pFileName == '\0' || nSamples < 0 || nChannels < 0) {
        return false;
    }
    if (nSamples > 0 && ((nChannels > 0 && pValues == nullptr) || (nTimeColumn && pTimes == nullptr))) {
        return false;
    }
    return !nHeader || nChannels == 0 || (pChannels != nullptr && nUnitsPerGroup >= 1);
}

// The progress window, when a Qt application runs on this thread.
std::unique_ptr<CDlgProgress> ProgressWindow(QCoreApplication* pApp, int nSamples) {
    if (pApp == nullptr || qobject_cast<QApplication*>(pApp) == nullptr ||
        QThread::currentThread() != pApp->thread()) {
        return nullptr;
    }
    auto dialog = std::make_unique<CDlgProgress>();
    dialog->SetRange(nSamples);
    dialog->show();
    return dialog;
}

int ExportTable(int nUnitsPerGroup, const char* pTitle, int nTimeColumn, const float* pTimes,
                int nTimePrecision, int nHeader, const int* pChannels, const double* pValues, int nSamples,
                int nChannels, const char* pFileName, QCoreApplication* pApp) {
    if (!ArgumentsValid(nUnitsPerGroup, nTimeColumn, pTimes, nHeader, pChannels, pValues, nSamples, nChannels,
                        pFileName)) {
        excelexport::ReportBadArguments();
        return 0;
    }
    const std::int64_t rowsUsed = std::int64_t{nSamples} + (nHeader ? 1 : 0);
    const std::int64_t firstValueColumn = nTimeColumn ? 1 : 0;
    const std::int64_t columnsUsed = firstValueColumn + nChannels;
    if (rowsUsed > excelexport::kMaxRows || columnsUsed > excelexport::kMaxColumns) {
        excelexport::ReportTooLarge(rowsUsed, columnsUsed);
        return 0;
    }
    const int timeDecimals = std::clamp(nTimePrecision + 3, 0, 15);
    const int valueDecimals = nTimeColumn ? 4 : 3;

    const std::string name = excelexport::WorkbookFileName(pFileName);
    XlsxFile file(name, true);
    lxw_worksheet* sheet = nullptr;
    if (!file.Open() || (sheet = file.AddSheet()) == nullptr) {
        excelexport::ReportSaveFailure(name, file.Error());
        return 0;
    }
    std::unique_ptr<CDlgProgress> progress = ProgressWindow(pApp, nSamples);
    bool stopped = false;
    bool written = true;
    const std::int64_t firstRow = nHeader ? 1 : 0;
    for (std::int64_t s = 0; s < nSamples && written; ++s) {
        if (progress) {
            progress->SetProgress(static_cast<int>(s));
            if (!progress->JudgeExit(pApp)) {
                stopped = true;
                break;
            }
        }
        if (s == 0 && nHeader) {
            if (nTimeColumn) {
                written = file.WriteText(sheet, 0, 0, excelexport::CellText(pTitle));
            }
            for (int k = 0; k < nChannels && written; ++k) {
                const std::string name = excelexport::ChannelStrID(pChannels[k], nUnitsPerGroup);
                written = file.WriteText(sheet, 0, firstValueColumn + k, name);
            }
        }
        const std::int64_t row0 = firstRow + s;
        if (nTimeColumn && written) {
            written = file.WriteFixed(sheet, row0, 0, pTimes[s], timeDecimals);
        }
        for (std::int64_t k = 0; k < nChannels && written; ++k) {
            // 64-bit offsets: samples × channels may pass 2^31.
            const double value = pValues[s + k * std::int64_t{nSamples}];
            written = file.WriteFixed(sheet, row0, firstValueColumn + k, value, valueDecimals);
        }
    }
    if (progress) {
        progress->hide();
        progress.reset();
    }
    if (!written || !file.Commit()) {
        excelexport::ReportSaveFailure(name, file.Error());
        return 0;
    }
    return stopped ? 0 : 1;
}

} // namespace

extern "C" int BriselEx(int nUnitsPerGroup, const char* pTitle, int nTimeColumn, const float* pTimes,
                        int nTimePrecision, int nHeader, const int* pChannels, const double* pValues,
                        int nSamples, int nChannels, const char* pFileName, QCoreApplication* pApp) {
    return excelexport::Guarded([&] {
        return ExportTable(nUnitsPerGroup, pTitle, nTimeColumn, pTimes, nTimePrecision, nHeader, pChannels,
                           pValues, nSamples, nChannels, pFileName, pApp);
    });
}
