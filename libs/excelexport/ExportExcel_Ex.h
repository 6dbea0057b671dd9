// The workbook writer: opens the workbook at a file name (".xlsx" appended),
// or starts a new one, lets the caller choose and name worksheets and fill
// rows or columns of texts, and saves the whole workbook over the file at
// Quit. The workbook is held in memory; an existing file's sheets and cell
// values are read first and written back with it. A file whose content the
// writer cannot carry over (formulas, charts, pictures) is refused and left
// as it is. Texts are UTF-8.
#pragma once

#include "libs/excelexport/BriselRApi.h"

#include <memory>
#include <string>
#include <vector>

namespace excelexport {
class WorkbookModel;
struct WorkbookSheet;
} // namespace excelexport

enum eFillGridType {
    eFillRow = 0,    // along a row: the column advances
    eFillColumn = 1, // down a column: the row advances
};

class BRISEL_R_API CExportExcel_Ex {
public:
    CExportExcel_Ex();
    virtual ~CExportExcel_Ex();
    CExportExcel_Ex(const CExportExcel_Ex&) = delete;
    CExportExcel_Ex& operator=(const CExportExcel_Ex&) = delete;

    // The file name without its ".xlsx" (default "excel", in the current folder).
    void SetFileName(const std::string& strFileName);
    // Starts the writer; 1.
    int Initial();
    // Makes sheet n current, opening the workbook first. Sheets count from
    // the last tab: sheet n is tab (count - n + 1); while there are fewer
    // than n sheets a new one is added before the active sheet and becomes
    // current. 0 when n < 1 or the workbook could not be opened (reported).
    int SetActiveSheet(int n);
    // Does nothing; 0.
    int SetSheetCount(int nCount);
    // Makes sheet n current and names it. 0 when there is no sheet n
    // ("所设置的Sheet超出范围!") or the name is not allowed or taken.
    int SetSheetName(int n, const std::string& strName);
    // The cell name of row and column (1-based): "Z5", "AB5", "AAA1"; empty
    // outside the sheet.
    void IndexToString(int nRow, int nColumn, std::string& strOut);
    // Writes the texts into the current sheet from (nRow, nColumn) along the
    // row or down the column; an empty text clears its cell. 0 for no texts,
    // no current sheet, or cells outside the sheet (nothing is written).
    int FillGridContent(int nRow, int nColumn, const std::vector<std::string>& vecContent,
                        eFillGridType eType);
    // Saves the workbook under the file name + "Temp" (+ "Temp" again while
    // taken) + ".xlsx" and moves that over the file name + ".xlsx"; closes the
    // workbook. 0 (reported) when there was nothing to save or saving
    // failed; the file is then as it was.
    int Quit();

private:
    bool OpenWorkbook();

    std::string m_strFileName = "excel";
    std::unique_ptr<excelexport::WorkbookModel> m_pWorkbook;
    excelexport::WorkbookSheet* m_pSheet = nullptr; // the current worksheet
};
