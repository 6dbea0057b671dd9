// The table is filled by splicing: the reader finds where the first table's
// rows and cells lie in the text, and only those stretches are replaced, so
// everything else the template holds (styles, namespaces, other content)
// stays as the user saved it.
#include "calibrator/dialogs/DocxTableFill.h"

#include <QString>
#include <QXmlStreamReader>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

const QString kMainNamespace = QStringLiteral("http://schemas.openxmlformats.org/wordprocessingml/2006/main");
// A4 in twentieths of a point (595.3 × 841.9 points).
constexpr const char* kA4PageSize = R"(<w:pgSz w:w="11906" w:h="16838"/>)";
// A new cell's width: the A4 text width (1 cm margins) shared by the grid's 23 columns.
constexpr int kNewCellWidth = 468;

struct Splice {
    qsizetype start;
    qsizetype end;
    QString text;
};

// Text as XML character data: markup escaped, characters XML cannot hold dropped.
QString XmlText(const std::string& text) {
    QString out = QString::fromStdString(text).toHtmlEscaped();
    out.removeIf([](QChar c) { return c.unicode() < 0x20; });
    return out;
}

class TableFiller {
public:
    TableFiller(const QString& xml, const DocxCells& cells) : m_xml(xml), m_cells(cells) {
        for (const auto& [place, text] : cells) {
            m_lastRow = std::max(m_lastRow, place.first);
            m_lastCol[place.first] = std::max(m_lastCol[place.first], place.second);
        }
    }

    bool Fill(QString& result) {
        QXmlStreamReader reader(m_xml);
        while (!reader.atEnd()) {
            const auto token = reader.readNext();
            if (token == QXmlStreamReader::StartElement)
                OnStart(reader);
            else if (token == QXmlStreamReader::EndElement)
                OnEnd(reader);
        }
        if (reader.hasError() || m_tableDepth == 0)
            return false;
        std::sort(m_splices.begin(), m_splices.end(),
                  [](const Splice& a, const Splice& b) { return a.start > b.start; });
        result = m_xml;
        for (const Splice& s : m_splices)
            result.replace(s.start, s.end - s.start, s.text);
        return true;
    }

private:
    bool IsMain(const QXmlStreamReader& reader, const char* name) const {
        return reader.name() == QLatin1String(name) && reader.namespaceUri() == kMainNamespace;
    }

    // Where the tag ending at `end` begins. The reader's offset after a tag
    // is exact, its offset before one is not (it reads ahead past text);
    // a tag holds no '<' of its own, not even in an attribute value.
    qsizetype TagStart(qsizetype end) const { return m_xml.lastIndexOf('<', end - 1); }

    void OnStart(const QXmlStreamReader& reader) {
        const qsizetype start = TagStart(reader.characterOffset());
        m_startEnds.push_back(reader.characterOffset());
        ++m_depth;
        if (IsMain(reader, "pgSz")) {
            m_pageSizeStart = start;
            m_pageSizeDepth = m_depth;
        } else if (IsMain(reader, "tbl") && m_tableDepth == 0) {
            m_tableDepth = m_depth;
            // New markup uses "w:"; declare it where the document names the namespace otherwise.
            if (reader.prefix() != QLatin1String("w"))
                m_declaration = QStringLiteral(" xmlns:w=\"%1\"").arg(kMainNamespace);
        } else if (InTable() && m_depth == m_tableDepth + 1 && IsMain(reader, "tr")) {
            ++m_row;
            m_col = 0;
        } else if (InTable() && m_depth == m_tableDepth + 2 && IsMain(reader, "tc")) {
            ++m_col;
            m_cellStart = start;
            m_contentStart = reader.characterOffset();
        }
    }

    void OnEnd(const QXmlStreamReader& reader) {
        const qsizetype end = reader.characterOffset();
        // An element closed in its own tag has no end tag of its own.
        const bool selfClosed = m_startEnds.back() == end;
        m_startEnds.pop_back();
        const qsizetype start = selfClosed ? end : TagStart(end);
        if (m_depth == m_pageSizeDepth) {
            m_splices.push_back({m_pageSizeStart, end, Declared(kA4PageSize)});
            m_pageSizeDepth = -1;
        } else if (InTable() && m_depth == m_tableDepth + 3 && IsMain(reader, "tcPr")) {
            m_contentStart = end;
        } else if (InTable() && m_depth == m_tableDepth + 2 && IsMain(reader, "tc")) {
            EndCell(start, end, selfClosed);
        } else if (InTable() && m_depth == m_tableDepth + 1 && IsMain(reader, "tr")) {
            if (!selfClosed) // nothing goes into a row closed in its own tag
                m_splices.push_back({start, start, NewCells(m_row, m_col + 1)});
        } else if (InTable() && m_depth == m_tableDepth) {
            QString rows;
            for (int r = m_row + 1; r <= m_lastRow && !selfClosed; ++r)
                rows += "<w:tr" + m_declaration + ">" + NewCells(r, 1, false) + "</w:tr>";
            m_splices.push_back({start, start, rows});
            m_tableDone = true;
        }
        --m_depth;
    }

    void EndCell(qsizetype start, qsizetype end, bool selfClosed) {
        const auto found = m_cells.find({m_row, m_col});
        if (found == m_cells.end())
            return;
        if (selfClosed) // the whole element goes
            Replace(m_cellStart, end, NewCell(found->second, true));
        else
            Replace(m_contentStart, start, Paragraph(found->second, true));
    }

    // A stretch replaced whole takes with it any change found inside it
    // (a page size a cell held): splices must never overlap.
    void Replace(qsizetype start, qsizetype end, QString text) {
        std::erase_if(m_splices, [&](const Splice& s) { return s.start >= start && s.end <= end; });
        m_splices.push_back({start, end, std::move(text)});
    }

    bool InTable() const { return m_tableDepth > 0 && !m_tableDone; }

    QString Declared(const QString& element) const {
        QString text = element;
        return text.insert(text.indexOf(' '), m_declaration);
    }

    QString Paragraph(const std::string& text, bool declare) const {
        QString p =
            "<w:p" + (declare ? m_declaration : QString()) + "><w:pPr><w:jc w:val=\"center\"/></w:pPr>";
        if (!text.empty())
            p += "<w:r><w:rPr><w:rFonts w:ascii=\"Arial\" w:hAnsi=\"Arial\" w:eastAsia=\"宋体\"/></w:rPr>"
                 "<w:t xml:space=\"preserve\">" +
                 XmlText(text) + "</w:t></w:r>";
        return p + "</w:p>";
    }

    QString NewCell(const std::string& text, bool declare) const {
        return "<w:tc" + (declare ? m_declaration : QString()) + "><w:tcPr><w:tcW w:w=\"" +
               QString::number(kNewCellWidth) + "\" w:type=\"dxa\"/></w:tcPr>" + Paragraph(text, false) +
               "</w:tc>";
    }

    // Cells `from` to the row's last wanted column (empty where none is wanted).
    QString NewCells(int row, int from, bool declare = true) const {
        const auto last = m_lastCol.find(row);
        QString cells;
        for (int c = from; last != m_lastCol.end() && c <= last->second; ++c) {
            const auto found = m_cells.find({row, c});
            cells += NewCell(found == m_cells.end() ? std::string() : found->second, declare);
        }
        return cells;
    }

    const QString& m_xml;
    const DocxCells& m_cells;
    int m_lastRow = 0;
    std::map<int, int> m_lastCol; // row -> its last wanted column
    QString m_declaration;
    std::vector<Splice> m_splices;
    std::vector<qsizetype> m_startEnds; // where each open element's start tag ends
    int m_depth = 0;
    int m_tableDepth = 0;
    bool m_tableDone = false;
    int m_row = 0;
    int m_col = 0;
    qsizetype m_cellStart = 0;
    qsizetype m_contentStart = 0;
    qsizetype m_pageSizeStart = 0;
    int m_pageSizeDepth = -1;
};

} // namespace

bool FillFirstTable(std::string& documentXml, const DocxCells& cells) {
    const QString xml = QString::fromStdString(documentXml);
    QString filled;
    if (!TableFiller(xml, cells).Fill(filled))
        return false;
    documentXml = filled.toStdString();
    return true;
}
