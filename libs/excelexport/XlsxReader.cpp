// Reading an existing workbook: the package's parts by minizip, their XML by
// QXmlStreamReader (local names only, so any namespace prefix reads alike).
#include "libs/excelexport/XlsxReader.h"

#include "libs/excelexport/XlsxCommon.h"

#include <QByteArray>
#include <QString>
#include <QXmlStreamReader>

#include <minizip/unzip.h>

#include <map>
#include <optional>

namespace excelexport {

namespace {

// Parts larger than this are not read (QByteArray's own limit is 2 GiB).
constexpr std::uint64_t kMaxPartBytes = 1536ull << 20;

// Package folders and parts holding what the model cannot carry over.
struct ForbiddenPart {
    const char* prefix; // lower case
    const char* reason;
};
constexpr ForbiddenPart kForbidden[] = {
    {"xl/charts/", "文件含有图表"},         {"xl/chartsheets/", "文件含有图表工作表"},
    {"xl/drawings/", "文件含有图片或图形"}, {"xl/media/", "文件含有图片"},
    {"xl/embeddings/", "文件含有嵌入对象"}, {"xl/vbaproject.bin", "文件含有宏"},
    {"xl/macrosheets/", "文件含有宏表"},    {"xl/dialogsheets/", "文件含有对话框工作表"},
    {"xl/activex/", "文件含有控件"},
};

class Package {
public:
    explicit Package(const std::string& path) : m_zip(unzOpen64(path.c_str())) {}
    ~Package() {
        if (m_zip != nullptr) {
            unzClose(m_zip);
        }
    }
    Package(const Package&) = delete;
    Package& operator=(const Package&) = delete;

    bool IsOpen() const { return m_zip != nullptr; }

    // The names of every part, or an empty list for a damaged directory.
    std::vector<std::string> PartNames() {
        std::vector<std::string> names;
        for (int rc = unzGoToFirstFile(m_zip); rc == UNZ_OK; rc = unzGoToNextFile(m_zip)) {
            char name[1024];
            unz_file_info64 info{};
            if (unzGetCurrentFileInfo64(m_zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK) {
                return {};
            }
            names.emplace_back(name);
        }
        return names;
    }

    // The part's bytes (names compare without case, as the package format
    // says); nullopt when missing or unreadable, with `damaged` set for the
    // latter.
    std::optional<QByteArray> Read(const std::string& name, bool& damaged) {
        damaged = false;
        if (unzLocateFile(m_zip, name.c_str(), 2) != UNZ_OK) {
            return std::nullopt;
        }
        unz_file_info64 info{};
        if (unzGetCurrentFileInfo64(m_zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK ||
            info.uncompressed_size > kMaxPartBytes || unzOpenCurrentFile(m_zip) != UNZ_OK) {
            damaged = true;
            return std::nullopt;
        }
        // The directory's size is only a claim: the buffer grows with what
        // the part really holds, and a part longer than its claim is damaged.
        const auto claimed = static_cast<qsizetype>(info.uncompressed_size);
        QByteArray bytes;
        bytes.reserve(std::min<qsizetype>(claimed, 64 << 20));
        qsizetype filled = 0;
        char chunk[1 << 16];
        for (;;) {
            const int got = unzReadCurrentFile(m_zip, chunk, sizeof chunk);
            if (got < 0 || filled + got > claimed) {
                damaged = true;
                break;
            }
            if (got == 0) {
                break;
            }
            bytes.append(chunk, got);
            filled += got;
        }
        if (unzCloseCurrentFile(m_zip) != UNZ_OK || filled != claimed) {
            damaged = true;
        }
        if (damaged) {
            return std::nullopt;
        }
        return bytes;
    }

private:
    unzFile m_zip;
};

QString Lower(const std::string& text) {
    return QString::fromStdString(text).toLower();
}

// "_xHHHH_" escapes of characters XML cannot hold, back to the characters.
QString Unescape(const QString& text) {
    if (!text.contains(QLatin1String("_x"))) {
        return text;
    }
    QString out;
    for (qsizetype i = 0; i < text.size();) {
        if (i + 7 <= text.size() && text[i] == '_' && text[i + 1] == 'x' && text[i + 6] == '_') {
            bool ok = false;
            const uint code = QStringView(text).mid(i + 2, 4).toUInt(&ok, 16);
            if (ok) {
                if (code != 0x5F) { // "_x005F_" protects a literal "_x"
                    out += QChar(static_cast<char16_t>(code));
                    i += 7;
                    continue;
                }
                out += '_';
                i += 7;
                continue;
            }
        }
        out += text[i++];
    }
    return out;
}

// The text of a string item (<si>, <is>): its <t>, or its runs' <t>s;
// phonetic runs (<rPh>) are not part of the text.
QString ReadStringItem(QXmlStreamReader& xml) {
    const QString end = xml.name().toString();
    QString text;
    int phonetic = 0;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (xml.name() == QLatin1String("rPh")) {
                ++phonetic;
            } else if (xml.name() == QLatin1String("t") && phonetic == 0) {
                text += xml.readElementText(QXmlStreamReader::IncludeChildElements);
            }
        } else if (token == QXmlStreamReader::EndElement) {
            if (xml.name() == QLatin1String("rPh")) {
                --phonetic;
            } else if (xml.name() == end) {
                break;
            }
        }
    }
    return Unescape(text);
}

// Target of a relationship, as a part name: relative to the folder `base`
// ("xl/") unless it starts with '/'.
std::string ResolveTarget(const QString& target, const std::string& base) {
    std::string name = target.toStdString();
    if (!name.empty() && name[0] == '/') {
        return name.substr(1);
    }
    std::string folder = base;
    while (name.rfind("../", 0) == 0) {
        name.erase(0, 3);
        const std::size_t slash = folder.find_last_of('/', folder.size() >= 2 ? folder.size() - 2 : 0);
        folder = slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
    }
    return folder + name;
}

// 'A1'-style reference to 0-based row and column.
bool ParseReference(const QStringView ref, std::int64_t& row0, std::int64_t& column0) {
    qsizetype i = 0;
    std::int64_t column = 0;
    for (; i < ref.size() && ref[i] >= 'A' && ref[i] <= 'Z'; ++i) {
        column = column * 26 + (ref[i].unicode() - 'A' + 1);
        if (column > kMaxColumns) {
            return false;
        }
    }
    if (i == 0 || i == ref.size()) {
        return false;
    }
    bool ok = false;
    const qlonglong row = ref.mid(i).toLongLong(&ok);
    if (!ok || row < 1 || row > kMaxRows) {
        return false;
    }
    row0 = row - 1;
    column0 = column - 1;
    return true;
}

struct Styles {
    std::map<int, QString> customFormats; // numFmtId -> formatCode
    std::vector<int> cellFormats;         // cellXfs index -> numFmtId
};

Styles ReadStyles(const QByteArray& bytes) {
    Styles styles;
    QXmlStreamReader xml(bytes);
    bool inCellXfs = false;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (xml.name() == QLatin1String("numFmt")) {
                styles.customFormats[xml.attributes().value("numFmtId").toInt()] =
                    xml.attributes().value("formatCode").toString();
            } else if (xml.name() == QLatin1String("cellXfs")) {
                inCellXfs = true;
            } else if (inCellXfs && xml.name() == QLatin1String("xf")) {
                styles.cellFormats.push_back(xml.attributes().value("numFmtId").toInt());
            }
        } else if (token == QXmlStreamReader::EndElement && xml.name() == QLatin1String("cellXfs")) {
            inCellXfs = false;
        }
    }
    return styles;
}

class SheetParser {
public:
    SheetParser(const std::vector<QString>& strings, const Styles& styles)
        : m_strings(strings), m_styles(styles) {}

    // Fills `sheet` from the worksheet's XML; false with the reason in error.
    bool Parse(const QByteArray& bytes, WorkbookSheet& sheet, std::string& error) {
        QXmlStreamReader xml(bytes);
        std::int64_t row0 = -1;
        std::int64_t column0 = -1;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement) {
                continue;
            }
            if (xml.name() == QLatin1String("row")) {
                const auto r = xml.attributes().value("r");
                row0 = r.isEmpty() ? row0 + 1 : r.toLongLong() - 1;
                column0 = -1;
                if (row0 < 0 || row0 >= kMaxRows) {
                    error = "文件已损坏";
                    return false;
                }
            } else if (xml.name() == QLatin1String("c")) {
                const auto r = xml.attributes().value("r");
                if (r.isEmpty()) {
                    ++column0;
                } else if (!ParseReference(r, row0, column0)) {
                    error = "文件已损坏";
                    return false;
                }
                if (row0 < 0 || column0 < 0 || column0 >= kMaxColumns) {
                    error = "文件已损坏";
                    return false;
                }
                if (!ReadCell(xml, sheet, static_cast<std::uint32_t>(row0),
                              static_cast<std::uint32_t>(column0), error)) {
                    return false;
                }
            } else if (xml.name() == QLatin1String("f")) {
                error = "文件含有公式";
                return false;
            }
        }
        if (xml.hasError()) {
            error = "文件已损坏";
            return false;
        }
        return true;
    }

private:
    bool ReadCell(QXmlStreamReader& xml, WorkbookSheet& sheet, std::uint32_t row0, std::uint32_t column0,
                  std::string& error) {
        const QString type = xml.attributes().value("t").toString();
        const int style = xml.attributes().value("s").toInt();
        QString value;
        bool hasValue = false;
        while (!xml.atEnd()) {
            const auto token = xml.readNext();
            if (token == QXmlStreamReader::EndElement && xml.name() == QLatin1String("c")) {
                break;
            }
            if (token != QXmlStreamReader::StartElement) {
                continue;
            }
            if (xml.name() == QLatin1String("f")) {
                error = "文件含有公式";
                return false;
            }
            if (xml.name() == QLatin1String("v")) {
                value = xml.readElementText();
                hasValue = true;
            } else if (xml.name() == QLatin1String("is")) {
                value = ReadStringItem(xml);
                hasValue = true;
            }
        }
        if (!hasValue) {
            return true; // a formatted empty cell: nothing to carry
        }
        WorkbookCell cell;
        if (type.isEmpty() || type == QLatin1String("n")) {
            bool ok = false;
            cell.kind = WorkbookCell::Number;
            cell.number = value.toDouble(&ok);
            if (!ok) {
                error = "文件已损坏";
                return false;
            }
        } else if (type == QLatin1String("s")) {
            bool ok = false;
            const qulonglong index = value.toULongLong(&ok);
            if (!ok || index >= m_strings.size()) {
                error = "文件已损坏";
                return false;
            }
            cell.text = m_strings[index].toStdString();
        } else if (type == QLatin1String("b")) {
            cell.kind = WorkbookCell::Boolean;
            cell.number = value.trimmed() == QLatin1String("1") ? 1 : 0;
        } else if (type == QLatin1String("e")) {
            error = "文件含有错误值";
            return false;
        } else {
            cell.text = (type == QLatin1String("inlineStr") ? value : Unescape(value)).toStdString();
        }
        if (style >= 0 && static_cast<std::size_t>(style) < m_styles.cellFormats.size()) {
            const int id = m_styles.cellFormats[static_cast<std::size_t>(style)];
            const auto custom = m_styles.customFormats.find(id);
            if (custom != m_styles.customFormats.end()) {
                cell.formatCode = custom->second.toStdString();
            } else if (id > 0 && id < 164) {
                cell.formatIndex = id;
            }
        }
        if (cell.kind == WorkbookCell::Text && cell.text.empty()) {
            return true;
        }
        sheet.cells[CellKey(row0, column0)] = std::move(cell);
        return true;
    }

    const std::vector<QString>& m_strings;
    const Styles& m_styles;
};

struct Relationship {
    std::string target;
    QString type;
};

std::map<QString, Relationship> ReadRelationships(const QByteArray& bytes, const std::string& base) {
    std::map<QString, Relationship> rels;
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("Relationship")) {
            const auto attributes = xml.attributes();
            rels[attributes.value("Id").toString()] = {
                ResolveTarget(attributes.value("Target").toString(), base),
                attributes.value("Type").toString()};
        }
    }
    return rels;
}

} // namespace

std::unique_ptr<WorkbookModel> ReadWorkbook(const std::string& path, std::string& error) {
    const std::string damaged = "文件已损坏";
    Package package(path);
    if (!package.IsOpen()) {
        error = "不是可以读取的工作簿";
        return nullptr;
    }
    for (const std::string& name : package.PartNames()) {
        const QString lower = Lower(name);
        for (const ForbiddenPart& part : kForbidden) {
            if (lower.startsWith(QLatin1String(part.prefix))) {
                error = part.reason;
                return nullptr;
            }
        }
    }
    bool broken = false;
    const std::optional<QByteArray> workbookXml = package.Read("xl/workbook.xml", broken);
    const std::optional<QByteArray> relsXml = package.Read("xl/_rels/workbook.xml.rels", broken);
    if (!workbookXml || !relsXml) {
        error = broken ? damaged : "不是可以读取的工作簿";
        return nullptr;
    }
    const std::map<QString, Relationship> rels = ReadRelationships(*relsXml, "xl/");

    std::vector<QString> strings;
    Styles styles;
    for (const auto& [id, rel] : rels) {
        if (rel.type.endsWith(QLatin1String("/sharedStrings"))) {
            const std::optional<QByteArray> bytes = package.Read(rel.target, broken);
            if (broken) {
                error = damaged;
                return nullptr;
            }
            QXmlStreamReader xml(bytes.value_or(QByteArray()));
            while (!xml.atEnd()) {
                if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("si")) {
                    strings.push_back(ReadStringItem(xml));
                }
            }
        } else if (rel.type.endsWith(QLatin1String("/styles"))) {
            const std::optional<QByteArray> bytes = package.Read(rel.target, broken);
            if (broken) {
                error = damaged;
                return nullptr;
            }
            styles = ReadStyles(bytes.value_or(QByteArray()));
        }
    }

    auto model = std::make_unique<WorkbookModel>();
    std::size_t activeTab = 0;
    QXmlStreamReader xml(*workbookXml);
    std::vector<std::pair<std::string, QString>> sheets; // name, relationship id
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) {
            continue;
        }
        if (xml.name() == QLatin1String("workbookView")) {
            activeTab = xml.attributes().value("activeTab").toUInt();
        } else if (xml.name() == QLatin1String("sheet")) {
            QString id;
            for (const QXmlStreamAttribute& attribute : xml.attributes()) {
                if (attribute.name() == QLatin1String("id")) {
                    id = attribute.value().toString();
                }
            }
            sheets.emplace_back(xml.attributes().value("name").toString().toStdString(), id);
        }
    }
    if (xml.hasError() || sheets.empty()) {
        error = damaged;
        return nullptr;
    }
    SheetParser parser(strings, styles);
    for (const auto& [name, id] : sheets) {
        const auto rel = rels.find(id);
        if (rel == rels.end()) {
            error = damaged;
            return nullptr;
        }
        if (!rel->second.type.endsWith(QLatin1String("/worksheet"))) {
            error = "文件含有图表或其他非数据工作表";
            return nullptr;
        }
        const std::optional<QByteArray> bytes = package.Read(rel->second.target, broken);
        if (!bytes) {
            error = damaged;
            return nullptr;
        }
        auto sheet = std::make_unique<WorkbookSheet>();
        sheet->name = name;
        if (!model->NameAllowed(name, nullptr) || !parser.Parse(*bytes, *sheet, error)) {
            if (error.empty()) {
                error = damaged;
            }
            return nullptr;
        }
        model->Sheets().push_back(std::move(sheet));
    }
    model->SetActiveIndex(activeTab);
    return model;
}

} // namespace excelexport
