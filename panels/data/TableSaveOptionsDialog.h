// The save-options dialog as the table view runs it: a runner for the
// view's save commands, kept apart so that the view builds without the
// settings-dialog library.
#pragma once

#include "views/shared/TableSaveTypes.h"

class QWidget;
struct SaveOptionSources;

// Runs the save-options dialog over the sources, preset for the export kind
// and the view's items; the sources must outlive the runner.
RunSaveOptionsDialogFn MakeTableSaveOptionsDialogRunner(const SaveOptionSources& sources, QWidget* parent);
