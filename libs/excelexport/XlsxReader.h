// Reads an existing workbook's sheet names, cell values and their number
// formats into a WorkbookModel (minizip for the package, Qt's XML streams
// for its parts). A workbook holding what the model cannot carry over
// (formulas, charts, pictures, macros, chart sheets, error values) is
// refused, so that writing it back never silently drops them.
#pragma once

#include "libs/excelexport/WorkbookModel.h"

#include <memory>
#include <string>

namespace excelexport {

// The workbook at path, or null with the reason in `error`.
std::unique_ptr<WorkbookModel> ReadWorkbook(const std::string& path, std::string& error);

} // namespace excelexport
