// The kinds of the table view's data exports and the options-dialog preset,
// apart from the exporters so that window headers need not include them.
#pragma once

#include "datafiles/SaveDataOptions.h"

#include <functional>
#include <vector>

enum class TableSaveKind { Text, Spreadsheet, Matlab };

// The options dialog's preset: its item kind (1 channels, 2 rosette groups,
// 3 digital channels, 4 residual-stress groups) and the listed entries
// (channel ids, digital identifiers, or group numbers from 1).
struct TableSavePreset {
    int nItemKind = 1;
    std::vector<int> items;
};

// The samples an export covers: first and count (count 0: nothing).
struct StoredSaveRange {
    int first = 0;
    int count = 0;
};

// Runs the options dialog: true after OK with the options filled in.
using RunSaveOptionsDialogFn =
    std::function<bool(const TableSavePreset& preset, TableSaveKind kind, SaveDataOptions& options)>;
