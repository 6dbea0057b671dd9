// Runs read_workbook.py on a workbook and parses its JSON.
#include "WorkbookReader.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

const ReadSheet* ReadWorkbook::Sheet(const std::string& name) const {
    for (const ReadSheet& sheet : sheets) {
        if (sheet.name == name) {
            return &sheet;
        }
    }
    return nullptr;
}

ReadWorkbook ReadBack(const std::string& path) {
    ReadWorkbook book;
    QProcess reader;
    reader.start("/usr/bin/python3", {QStringLiteral(QV_READ_WORKBOOK_PY), QString::fromStdString(path)});
    if (!reader.waitForFinished(60000) || reader.exitCode() != 0) {
        book.error = reader.readAllStandardError().toStdString();
        return book;
    }
    const QJsonObject root = QJsonDocument::fromJson(reader.readAllStandardOutput()).object();
    book.active = root.value("active").toString().toStdString();
    for (const QJsonValue& s : root.value("sheets").toArray()) {
        ReadSheet sheet;
        sheet.name = s.toObject().value("name").toString().toStdString();
        const QJsonObject cells = s.toObject().value("cells").toObject();
        for (auto it = cells.begin(); it != cells.end(); ++it) {
            const QJsonObject c = it.value().toObject();
            ReadCell cell;
            cell.kind = c.value("kind").toString().toStdString()[0];
            if (cell.kind == 's') {
                cell.text = c.value("value").toString().toStdString();
            } else {
                cell.number = c.value("value").toDouble();
            }
            cell.format = c.value("format").toString().toStdString();
            sheet.cells[it.key().toStdString()] = cell;
        }
        book.sheets.push_back(std::move(sheet));
    }
    book.ok = true;
    return book;
}

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> FolderNames(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}
