// The table view's three data exports: what the save-options dialog is
// preset with for the display mode, which samples go out, which exporter
// runs and which message reports a failure.
#pragma once

#include "datafiles/ExportContext.h"
#include "datafiles/SaveDataOptions.h"
#include "views/shared/StoredDataSave.h"
#include "views/shared/TableSaveTypes.h"
#include "views/table/TableData.h"

#include <functional>
#include <string>
#include <vector>

TableSavePreset MakeTableSavePreset(const CTableData& table);

// The samples an export covers: first and count (count 0: nothing).
using TableSaveRange = StoredSaveRange;
TableSaveRange MakeTableSaveRange(const CTableData& table, TableSaveKind kind, int rangeChoice);

class CTableSaveCommand {
public:
    CTableSaveCommand(const CTableData& table, const ExportContext& context, SaveDataOptions& options)
        : m_table(table), m_context(context), m_options(options) {}

    RunSaveOptionsDialogFn runOptionsDialog;
    // 1 written, 0 not written (cancelled, refused or failed). A failure of a
    // text export is reported with its message; a cancel reports nothing.
    int Run(TableSaveKind kind);

private:
    const CTableData& m_table;
    const ExportContext& m_context;
    SaveDataOptions& m_options;
};
