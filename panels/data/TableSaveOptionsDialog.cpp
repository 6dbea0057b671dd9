// The table view's runner of the save-options dialog.
#include "panels/data/TableSaveOptionsDialog.h"

#include "panels/data/DlgSaveDataOption.h"

RunSaveOptionsDialogFn MakeTableSaveOptionsDialogRunner(const SaveOptionSources& sources, QWidget* parent) {
    return [&sources, parent](const TableSavePreset& preset, TableSaveKind kind, SaveDataOptions& options) {
        CDlgSaveDataOption dialog(sources, parent);
        dialog.SetExportKind(kind == TableSaveKind::Text          ? CDlgSaveDataOption::kText
                             : kind == TableSaveKind::Spreadsheet ? CDlgSaveDataOption::kSpreadsheet
                                                                  : CDlgSaveDataOption::kMatlab);
        dialog.SetItemKind(preset.nItemKind);
        if (preset.nItemKind == CDlgSaveDataOption::kPoints ||
            preset.nItemKind == CDlgSaveDataOption::kDigitalChannels)
            dialog.SetDisplayedPoints(preset.items);
        else
            dialog.SetPreselectedGroups(preset.items);
        dialog.SetOptions(options);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        options = dialog.GetOptions();
        return true;
    };
}
