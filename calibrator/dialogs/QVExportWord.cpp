// The document is built beside its destination and moved onto it only when
// complete, so a failed save leaves whatever was at the destination.
#include "calibrator/dialogs/QVExportWord.h"

#include "platform/MessageBox.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cstdio>

namespace {

constexpr const char* kDocumentPart = "word/document.xml";

void ReportStartFailure() {
    platform::MessageBox(CQVExportWord::kStartFailed, "Kelvane", platform::MB_OK | platform::MB_ICONERROR);
}

} // namespace

bool CQVExportWord::Open(const std::string& templatePath) {
    m_cells.clear();
    m_bOpen = false;
    if (!m_package.Read(templatePath) || m_package.Find(kDocumentPart) == nullptr) {
        ReportStartFailure();
        return false;
    }
    // A template whose table cannot be filled is found now, not at the save.
    std::string probe = *m_package.Find(kDocumentPart);
    if (!FillFirstTable(probe, {})) {
        ReportStartFailure();
        return false;
    }
    m_bOpen = true;
    return true;
}

void CQVExportWord::SetCell(int row, int col, const std::string& text) {
    if (row >= 1 && col >= 1)
        m_cells[{row, col}] = text;
}

int CQVExportWord::SaveAs(const std::string& path) {
    if (!m_bOpen)
        return 0;
    const std::string target = path.empty() ? kDefaultName : path;
    DocxPackage document = m_package;
    if (!FillFirstTable(*document.Find(kDocumentPart), m_cells))
        return 0;
    const QString folder = QFileInfo(QString::fromStdString(target)).absolutePath();
    QTemporaryFile part(QDir(folder).filePath(".QVWord-XXXXXX"));
    if (!part.open())
        return 0;
    part.close();
    const std::string partPath = part.fileName().toStdString();
    if (!document.Write(partPath) || std::rename(partPath.c_str(), target.c_str()) != 0)
        return 0;
    part.setAutoRemove(false);
    return 1;
}
