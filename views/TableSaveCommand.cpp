// The table view's data exports.
#include "views/TableSaveCommand.h"

#include "datafiles/ExportSampleData.h"
#include "datafiles/MatExport.h"
#include "datafiles/ResultExport.h"
#include "platform/MessageBox.h"

#include <algorithm>

TableSavePreset MakeTableSavePreset(const CTableData& table) {
    TableSavePreset preset;
    const TableWorld& world = table.World();
    auto numbers = [&](std::size_t count) {
        for (std::size_t i = 1; i <= count; ++i)
            preset.items.push_back(int(i));
    };
    switch (table.m_nShowDataType) {
    case TABLE_ROSETTE:
        preset.nItemKind = 2;
        numbers(world.rosetteGroups.size());
        break;
    case TABLE_RESIDUAL_STRESS:
        preset.nItemKind = 4;
        numbers(world.residualGroups.size());
        break;
    case TABLE_DIGITAL_HISTORY:
        preset.nItemKind = 3;
        for (const TableDigitalChannel& digital : world.digitalChannels)
            preset.items.push_back(digital.nId);
        break;
    default:
        preset.nItemKind = 1;
        preset.items = table.HistoryChannels();
        break;
    }
    return preset;
}

TableSaveRange MakeTableSaveRange(const CTableData& table, TableSaveKind kind, int rangeChoice) {
    const int stored = table.World().nStoredCount;
    const int position = table.m_nPosition;
    TableSaveRange range;
    if (rangeChoice == 0) {
        range.count = stored;
        return range;
    }
    if (rangeChoice != 1)
        return range;
    switch (table.m_nShowDataType) {
    case TABLE_MEASURED:
    case TABLE_ROSETTE:
    case TABLE_RESIDUAL_STRESS:
        // The sample the table shows; results of every kind of file, so that a
        // text file of results holds the shown sample as a spreadsheet does.
        range.first = position >= 0 && position < stored ? position : 0;
        range.count = stored > 0 ? 1 : 0;
        break;
    case TABLE_HISTORY:
        range.count = std::min(stored, table.m_nRowLimit);
        range.first = std::clamp(position, 0, std::max(0, stored - range.count));
        break;
    case TABLE_DIGITAL_HISTORY:
        range.count = std::min(stored, table.m_nRowLimit);
        range.first = std::clamp(position, 0, std::max(0, stored - range.count));
        break;
    default:
        break;
    }
    return range;
}

void CTableSaveCommand::Report(const char* text) const {
    platform::MessageBox(text, m_context.strAppTitle, platform::MB_OK);
}

int CTableSaveCommand::Run(TableSaveKind kind) {
    if (!runOptionsDialog || !runOptionsDialog(MakeTableSavePreset(m_table), kind, m_options))
        return 0;
    const TableSaveRange range = MakeTableSaveRange(m_table, kind, m_options.nDataRange);
    // The exporters ask for the file themselves; a cancel there is no failure.
    ExportContext context = m_context;
    m_bCancelled = false;
    context.askExportFileName = [this, ask = m_context.askExportFileName](int type, std::string& folder,
                                                                          std::string& title,
                                                                          std::string& extension) {
        const int answer = ask ? ask(type, folder, title, extension) : 0;
        m_bCancelled = answer == 0;
        return answer;
    };
    switch (kind) {
    case TableSaveKind::Text:
        return RunText(context, range);
    case TableSaveKind::Spreadsheet:
        return RunSpreadsheet(context, range);
    case TableSaveKind::Matlab:
        return SaveMatFile(context, m_options, range.first, range.count);
    }
    return 0;
}

bool CTableSaveCommand::AskTextFile(const ExportContext& context, std::string& path) {
    std::string folder, title, extension;
    if (!context.askExportFileName(0, folder, title, extension))
        return false;
    path = folder + "/" + title + "." + extension;
    return true;
}

int CTableSaveCommand::RunText(const ExportContext& context, const TableSaveRange& range) {
    const int decimals = m_table.m_nDataPrecision;
    const TableWorld& world = m_table.World();
    int result = 0;
    const char* failure = "另存为文本文件失败!";
    std::string path;
    switch (m_table.m_nShowDataType) {
    case TABLE_ROSETTE:
        if (!AskTextFile(context, path))
            return 0;
        failure = "另存应变花为文本失败!";
        result = ExportRosetteText(context, m_options, world.dataPath, world.statusPath, 0, decimals,
                                   range.count, range.first, path);
        break;
    case TABLE_RESIDUAL_STRESS:
        if (!AskTextFile(context, path))
            return 0;
        failure = "另存焊接残余应力为文本失败!";
        result = ExportResidualStressText(context, m_options, world.dataPath, world.statusPath, 0, decimals,
                                          range.count, range.first, path);
        break;
    case TABLE_DIGITAL_HISTORY:
        if (world.digitalPath.empty()) {
            Report("当前数字量数据文件不存在!");
            return 0;
        }
        if (!AskTextFile(context, path))
            return 0;
        result = ExportDigitalData(context, m_options, world.digitalPath, world.statusPath, decimals,
                                   range.count, range.first, path);
        break;
    default:
        result = ExportSampleData(context, 0, m_options, range.first, range.count, decimals);
        if (!result && m_bCancelled)
            return 0;
        break;
    }
    if (!result)
        Report(failure);
    return result;
}

int CTableSaveCommand::RunSpreadsheet(const ExportContext& context, const TableSaveRange& range) {
    if (m_options.nFileLayout == 1 && m_options.ChannelCount() >= 256) {
        Report("另存为Excel,所有测点存于同一文件时,选择要保存的测点数不能大于256个,请重新选择要保存的测点!");
        return 0;
    }
    const int decimals = m_table.m_nDataPrecision;
    switch (m_table.m_nShowDataType) {
    case TABLE_ROSETTE:
        return SaveRosetteResults(context, m_options, range.first, range.count, decimals);
    case TABLE_RESIDUAL_STRESS:
        return SaveResidualStressResults(context, m_options, range.first, range.count, decimals);
    default:
        return SaveSampleDataXls(context, m_options, range.first, range.count, decimals);
    }
}
