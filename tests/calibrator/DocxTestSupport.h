// Reads back what the Word result holds: the texts of the first table's
// cells, as a word processor reads them, and the page size.
#pragma once

#include "calibrator/dialogs/DocxPackage.h"

#include <QString>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Table = std::vector<std::vector<std::string>>;

// The texts of the first table's cells, row by row, as a word processor reads them.
inline Table FirstTable(const std::string& docx, std::string* pageSize = nullptr) {
    DocxPackage package;
    EXPECT_TRUE(package.Read(docx));
    const std::string* xml = package.Find("word/document.xml");
    if (xml == nullptr)
        return {};
    QXmlStreamReader reader(QString::fromStdString(*xml));
    Table table;
    int tables = 0;
    int depth = 0;
    int tableDepth = -1;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            ++depth;
            if (reader.name() == QLatin1String("tbl") && ++tables == 1)
                tableDepth = depth;
            else if (tables == 1 && reader.name() == QLatin1String("tr") && depth == tableDepth + 1)
                table.emplace_back();
            else if (tables == 1 && reader.name() == QLatin1String("tc") && depth == tableDepth + 2)
                table.back().emplace_back();
            else if (tables == 1 && reader.name() == QLatin1String("t") && depth > tableDepth &&
                     tableDepth > 0) {
                table.back().back() += reader.readElementText().toStdString();
                --depth; // its end was read with its text
            } else if (reader.name() == QLatin1String("pgSz") && pageSize != nullptr)
                *pageSize = (reader.attributes().value("w:w").toString() + "x" +
                             reader.attributes().value("w:h").toString())
                                .toStdString();
        } else if (reader.isEndElement()) {
            if (depth == tableDepth)
                tableDepth = -2;
            --depth;
        }
    }
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
    return table;
}
