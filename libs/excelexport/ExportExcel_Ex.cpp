// The workbook writer over the in-memory workbook.
#include "libs/excelexport/ExportExcel_Ex.h"

#include "libs/excelexport/BriselMessages.h"
#include "libs/excelexport/WorkbookModel.h"
#include "libs/excelexport/XlsxCommon.h"
#include "libs/excelexport/XlsxReader.h"

#include "platform/MessageBox.h"

#include <sys/stat.h>

using excelexport::WorkbookModel;

namespace {

// More sheets than anyone fills; a larger number is a caller's mistake.
constexpr int kMaxSheets = 4096;

bool PathExists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

} // namespace

CExportExcel_Ex::CExportExcel_Ex() = default;

CExportExcel_Ex::~CExportExcel_Ex() = default;

void CExportExcel_Ex::SetFileName(const std::string& strFileName) {
    m_strFileName = strFileName;
}

int CExportExcel_Ex::Initial() {
    return 1;
}

bool CExportExcel_Ex::OpenWorkbook() {
    if (m_pWorkbook) {
        return true;
    }
    const std::string path = m_strFileName + excelexport::kWorkbookExtension;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || info.st_size == 0) {
        // No workbook there yet (or the empty file an earlier writer left).
        m_pWorkbook = WorkbookModel::New();
        return true;
    }
    return excelexport::Guarded([&] {
               std::string error;
               m_pWorkbook = excelexport::ReadWorkbook(path, error);
               if (!m_pWorkbook) {
                   excelexport::ReportUnreadable(path, error);
                   return 0;
               }
               return 1;
           }) != 0;
}

int CExportExcel_Ex::SetActiveSheet(int n) {
    if (n < 1 || n > kMaxSheets || !OpenWorkbook()) {
        return 0;
    }
    auto& sheets = m_pWorkbook->Sheets();
    if (sheets.size() < static_cast<std::size_t>(n)) {
        while (sheets.size() < static_cast<std::size_t>(n)) {
            m_pSheet = m_pWorkbook->AddSheetBeforeActive();
        }
    } else {
        m_pSheet = sheets[sheets.size() - static_cast<std::size_t>(n)].get();
    }
    return 1;
}

int CExportExcel_Ex::SetSheetCount(int) {
    return 0;
}

int CExportExcel_Ex::SetSheetName(int n, const std::string& strName) {
    if (!SetActiveSheet(n)) {
        platform::MessageBox("所设置的Sheet超出范围!", excelexport::kCaption);
        return 0;
    }
    if (!m_pWorkbook->NameAllowed(strName, m_pSheet)) {
        platform::MessageBox("工作表名称“" + strName + "”无效或已被使用。", excelexport::kCaption,
                             platform::MB_ICONERROR);
        return 0;
    }
    m_pSheet->name = strName;
    return 1;
}

void CExportExcel_Ex::IndexToString(int nRow, int nColumn, std::string& strOut) {
    strOut = excelexport::CellName(nRow, nColumn);
}

int CExportExcel_Ex::FillGridContent(int nRow, int nColumn, const std::vector<std::string>& vecContent,
                                     eFillGridType eType) {
    if (vecContent.empty() || m_pSheet == nullptr || (eType != eFillRow && eType != eFillColumn)) {
        return 0;
    }
    const auto count = static_cast<std::int64_t>(vecContent.size());
    const std::int64_t lastRow = eType == eFillColumn ? nRow + count - 1 : nRow;
    const std::int64_t lastColumn = eType == eFillRow ? nColumn + count - 1 : nColumn;
    if (nRow < 1 || nColumn < 1 || lastRow > excelexport::kMaxRows || lastColumn > excelexport::kMaxColumns) {
        return 0;
    }
    std::uint32_t row0 = static_cast<std::uint32_t>(nRow - 1);
    std::uint32_t column0 = static_cast<std::uint32_t>(nColumn - 1);
    for (const std::string& content : vecContent) {
        const std::uint64_t key = excelexport::CellKey(row0, column0);
        std::string text = excelexport::CellText(content.c_str());
        if (text.empty()) {
            m_pSheet->cells.erase(key);
        } else {
            // The cell keeps its number format, as a typed-over cell does.
            excelexport::WorkbookCell& cell = m_pSheet->cells[key];
            cell.kind = excelexport::WorkbookCell::Text;
            cell.number = 0;
            cell.text = std::move(text);
        }
        (eType == eFillRow ? column0 : row0) += 1;
    }
    return 1;
}

int CExportExcel_Ex::Quit() {
    std::unique_ptr<WorkbookModel> workbook = std::move(m_pWorkbook);
    m_pSheet = nullptr;
    if (!workbook) {
        return 0;
    }
    std::string temp = m_strFileName + "Temp";
    while (PathExists(temp + excelexport::kWorkbookExtension)) {
        temp += "Temp";
    }
    const std::string path = m_strFileName + excelexport::kWorkbookExtension;
    return excelexport::Guarded([&] {
        excelexport::XlsxFile file(path, false, temp + excelexport::kWorkbookExtension);
        if (!file.Open() || !workbook->WriteTo(file) || !file.Commit()) {
            excelexport::ReportSaveFailure(path, file.Error());
            return 0;
        }
        return 1;
    });
}
