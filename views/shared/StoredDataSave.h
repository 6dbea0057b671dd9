// The data exports a view runs on the stored run: the save-options dialog
// over the view's kept options, the sample range the chosen data range
// gives, the exporter for the kind of values shown and the message that
// reports its failure. The table and the curve view share it.
#pragma once

#include "datafiles/ExportContext.h"
#include "datafiles/SaveDataOptions.h"
#include "views/shared/TableSaveTypes.h"

#include <functional>
#include <string>

// The kind of values a view shows and exports.
enum class SavedValues { Samples, Rosette, ResidualStress, Digital };

struct StoredSaveJob {
    SavedValues values = SavedValues::Samples;
    TableSavePreset preset;
    int decimals = 3;
    std::string dataPath, statusPath, digitalPath;
    // The samples of a data-range choice (0 all, 1 displayed, 2 between the cursors).
    std::function<StoredSaveRange(int rangeChoice)> range;
};

class CStoredDataSave {
public:
    CStoredDataSave(const ExportContext& context, SaveDataOptions& options)
        : m_context(context), m_options(options) {}

    RunSaveOptionsDialogFn runOptionsDialog;
    // 1 written, 0 not written (cancelled, refused or failed). The options
    // are kept only when the dialog was confirmed and its choice accepted; a
    // failure of a text export is reported with its message, a cancel is not.
    int Run(TableSaveKind kind, const StoredSaveJob& job);

private:
    int RunText(const ExportContext& context, const StoredSaveJob& job, const StoredSaveRange& range);
    int RunSpreadsheet(const ExportContext& context, const StoredSaveJob& job, const StoredSaveRange& range);
    bool AskTextFile(const ExportContext& context, std::string& path);
    void Report(const char* text) const;

    const ExportContext& m_context;
    SaveDataOptions& m_options;
    bool m_bCancelled = false;
};
