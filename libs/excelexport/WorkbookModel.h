// A workbook held in memory while the workbook writer edits it: its sheets
// in tab order with their names and cells, and the active sheet. Loaded
// from an existing file first (XlsxReader) and written whole at the end.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace excelexport {

class XlsxFile;

struct WorkbookCell {
    enum Kind : std::uint8_t { Number, Text, Boolean };
    Kind kind = Text;
    double number = 0;   // Number, Boolean (0 or 1)
    std::string text;    // Text
    int formatIndex = 0; // built-in number format, when formatCode is empty
    std::string formatCode;
};

struct WorkbookSheet {
    std::string name;
    // By CellKey: rows then columns, as the sheet's XML lists them.
    std::map<std::uint64_t, WorkbookCell> cells;
};

// Row and column 0-based.
inline std::uint64_t CellKey(std::uint32_t row0, std::uint32_t column0) {
    return (static_cast<std::uint64_t>(row0) << 16) | column0;
}

class WorkbookModel {
public:
    // A new workbook: one sheet "Sheet1", active.
    static std::unique_ptr<WorkbookModel> New();

    std::vector<std::unique_ptr<WorkbookSheet>>& Sheets() { return m_sheets; }
    const std::vector<std::unique_ptr<WorkbookSheet>>& Sheets() const { return m_sheets; }
    std::size_t ActiveIndex() const { return m_active; }
    void SetActiveIndex(std::size_t index) { m_active = index < m_sheets.size() ? index : 0; }

    // Adds a sheet before the active one, as a spreadsheet program adds one,
    // named "Sheet<n>" with the first n from the new count that is free; the
    // new sheet becomes the active one.
    WorkbookSheet* AddSheetBeforeActive();
    // Whether the name may be given to `sheet` (empty, over 31 characters,
    // one of : \ / ? * [ ], an apostrophe at either end, or another sheet's
    // name in any case are refused).
    bool NameAllowed(const std::string& name, const WorkbookSheet* sheet) const;

    // Writes every sheet and cell; false on a library error (file.Error()).
    bool WriteTo(XlsxFile& file) const;

private:
    std::vector<std::unique_ptr<WorkbookSheet>> m_sheets;
    std::size_t m_active = 0;
};

} // namespace excelexport
