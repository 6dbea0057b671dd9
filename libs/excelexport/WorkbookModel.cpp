// The in-memory workbook: adding and naming sheets, and writing it whole.
#include "libs/excelexport/WorkbookModel.h"

#include "libs/excelexport/XlsxCommon.h"

#include <QString>

#include <xlsxwriter.h>

namespace excelexport {

std::unique_ptr<WorkbookModel> WorkbookModel::New() {
    auto model = std::make_unique<WorkbookModel>();
    model->m_sheets.push_back(std::make_unique<WorkbookSheet>());
    model->m_sheets.back()->name = "Sheet1";
    return model;
}

WorkbookSheet* WorkbookModel::AddSheetBeforeActive() {
    auto sheet = std::make_unique<WorkbookSheet>();
    for (std::size_t n = m_sheets.size() + 1;; ++n) {
        sheet->name = "Sheet" + std::to_string(n);
        if (NameAllowed(sheet->name, nullptr)) {
            break;
        }
    }
    const std::size_t at = m_sheets.empty() ? 0 : m_active;
    m_sheets.insert(m_sheets.begin() + static_cast<std::ptrdiff_t>(at), std::move(sheet));
    m_active = at;
    return m_sheets[at].get();
}

bool WorkbookModel::NameAllowed(const std::string& name, const WorkbookSheet* sheet) const {
    const QString text = QString::fromStdString(name);
    if (text.isEmpty() || text.size() > 31 || text.startsWith('\'') || text.endsWith('\'') ||
        text.toStdString() != name) {
        return false;
    }
    for (QChar c : {':', '\\', '/', '?', '*', '[', ']'}) {
        if (text.contains(c)) {
            return false;
        }
    }
    for (const auto& other : m_sheets) {
        if (other.get() != sheet &&
            QString::fromStdString(other->name).compare(text, Qt::CaseInsensitive) == 0) {
            return false;
        }
    }
    return true;
}

bool WorkbookModel::WriteTo(XlsxFile& file) const {
    for (std::size_t i = 0; i < m_sheets.size(); ++i) {
        const WorkbookSheet& model = *m_sheets[i];
        lxw_worksheet* sheet = file.AddSheet(model.name);
        if (sheet == nullptr) {
            return false;
        }
        if (i == m_active) {
            worksheet_activate(sheet);
        }
        for (const auto& [key, cell] : model.cells) {
            const std::int64_t row0 = static_cast<std::int64_t>(key >> 16);
            const std::int64_t column0 = static_cast<std::int64_t>(key & 0xFFFF);
            lxw_format* format = !cell.formatCode.empty() ? file.FormatByCode(cell.formatCode)
                                 : cell.formatIndex != 0  ? file.FormatByIndex(cell.formatIndex)
                                                          : nullptr;
            bool ok = true;
            switch (cell.kind) {
            case WorkbookCell::Number:
                ok = file.WriteNumber(sheet, row0, column0, cell.number, format);
                break;
            case WorkbookCell::Boolean:
                ok = file.WriteBoolean(sheet, row0, column0, cell.number != 0, format);
                break;
            case WorkbookCell::Text:
                ok = file.WriteText(sheet, row0, column0, cell.text, format);
                break;
            }
            if (!ok) {
                return false;
            }
        }
    }
    return true;
}

} // namespace excelexport
