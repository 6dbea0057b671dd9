// The shared data exports of the views.
#include "views/shared/StoredDataSave.h"

#include "datafiles/ExportSampleData.h"
#include "datafiles/MatExport.h"
#include "datafiles/ResultExport.h"
#include "platform/MessageBox.h"
#include "platform/MessageBoxCount.h"

void CStoredDataSave::Report(const char* text) const {
    platform::MessageBox(text, m_context.strAppTitle, platform::MB_OK);
}

int CStoredDataSave::Run(TableSaveKind kind, const StoredSaveJob& job) {
    SaveDataOptions chosen = m_options;
    if (!runOptionsDialog || !runOptionsDialog(job.preset, kind, chosen))
        return 0;
    if (kind == TableSaveKind::Spreadsheet && chosen.nFileLayout == 1 && chosen.ChannelCount() >= 256) {
        Report("另存为Excel,所有测点存于同一文件时,选择要保存的测点数不能大于256个,请重新选择要保存的测点!");
        return 0;
    }
    m_options = chosen;
    const StoredSaveRange range = job.range ? job.range(m_options.nDataRange) : StoredSaveRange{};
    // The exporters ask for the file themselves; a cancel there is no failure.
    ExportContext context = m_context;
    m_bCancelled = false;
    std::string chosenPath;
    context.askExportFileName =
        [this, &chosenPath, ask = m_context.askExportFileName](int type, std::string& folder,
                                                               std::string& title, std::string& extension) {
            const int answer = ask ? ask(type, folder, title, extension) : 0;
            m_bCancelled = answer == 0;
            if (answer != 0)
                chosenPath = folder + "/" + title + "." + extension;
            return answer;
        };
    const std::size_t boxesBefore = platform::MessageBoxesShown();
    int result = 0;
    const char* what = "";
    const char* failure = "";
    switch (kind) {
    case TableSaveKind::Text:
        result = RunText(context, job, range);
        what = "文本文件";
        break;
    case TableSaveKind::Spreadsheet:
        result = RunSpreadsheet(context, job, range);
        what = "Excel文件";
        failure = "另存为Excel文件失败!";
        break;
    case TableSaveKind::Matlab:
        result = SaveMatFile(context, m_options, range.first, range.count);
        what = "Matlab文件";
        failure = "另存为Matlab文件失败!";
        break;
    }
    if (result != 0) {
        if (m_context.reportWritten && !chosenPath.empty())
            m_context.reportWritten(what, chosenPath);
    } else if (!m_bCancelled && *failure != '\0' && platform::MessageBoxesShown() == boxesBefore) {
        // A failure the exporter did not report itself still reaches the user.
        Report(failure);
    }
    return result;
}

bool CStoredDataSave::AskTextFile(const ExportContext& context, std::string& path) {
    std::string folder, title, extension;
    if (!context.askExportFileName(0, folder, title, extension) || title.empty())
        return false;
    path = folder + "/" + title + "." + extension;
    return true;
}

int CStoredDataSave::RunText(const ExportContext& context, const StoredSaveJob& job,
                             const StoredSaveRange& range) {
    int result = 0;
    const char* failure = "另存为文本文件失败!";
    std::string path;
    switch (job.values) {
    case SavedValues::Rosette:
        if (!AskTextFile(context, path))
            return 0;
        failure = "另存应变花为文本失败!";
        result = ExportRosetteText(context, m_options, job.dataPath, job.statusPath, 0, job.decimals,
                                   range.count, range.first, path);
        break;
    case SavedValues::ResidualStress:
        if (!AskTextFile(context, path))
            return 0;
        failure = "另存焊接残余应力为文本失败!";
        result = ExportResidualStressText(context, m_options, job.dataPath, job.statusPath, 0, job.decimals,
                                          range.count, range.first, path);
        break;
    case SavedValues::Digital:
        if (job.digitalPath.empty()) {
            Report("当前数字量数据文件不存在!");
            return 0;
        }
        if (!AskTextFile(context, path))
            return 0;
        result = ExportDigitalData(context, m_options, job.digitalPath, job.statusPath, job.decimals,
                                   range.count, range.first, path);
        break;
    case SavedValues::Samples:
        result = ExportSampleData(context, 0, m_options, range.first, range.count, job.decimals);
        if (!result && m_bCancelled)
            return 0;
        break;
    }
    if (!result)
        Report(failure);
    return result;
}

int CStoredDataSave::RunSpreadsheet(const ExportContext& context, const StoredSaveJob& job,
                                    const StoredSaveRange& range) {
    switch (job.values) {
    case SavedValues::Rosette:
        return SaveRosetteResults(context, m_options, range.first, range.count, job.decimals);
    case SavedValues::ResidualStress:
        return SaveResidualStressResults(context, m_options, range.first, range.count, job.decimals);
    default:
        return SaveSampleDataXls(context, m_options, range.first, range.count, job.decimals);
    }
}
