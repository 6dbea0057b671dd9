// The table view's data exports.
#include "views/table/TableSaveCommand.h"

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

int CTableSaveCommand::Run(TableSaveKind kind) {
    const TableWorld& world = m_table.World();
    StoredSaveJob job;
    switch (m_table.m_nShowDataType) {
    case TABLE_ROSETTE:
        job.values = SavedValues::Rosette;
        break;
    case TABLE_RESIDUAL_STRESS:
        job.values = SavedValues::ResidualStress;
        break;
    case TABLE_DIGITAL_HISTORY:
        job.values = SavedValues::Digital;
        break;
    default:
        break;
    }
    job.preset = MakeTableSavePreset(m_table);
    job.decimals = m_table.m_nDataPrecision;
    job.dataPath = world.dataPath;
    job.statusPath = world.statusPath;
    job.digitalPath = world.digitalPath;
    job.range = [this, kind](int choice) { return MakeTableSaveRange(m_table, kind, choice); };
    CStoredDataSave save(m_context, m_options);
    save.runOptionsDialog = runOptionsDialog;
    return save.Run(kind, job);
}
