// Fuzz target: any text as the main part of a user's template. Filling its
// first table must either refuse it or give well-formed XML that can be
// filled again.
#include "calibrator/dialogs/DocxTableFill.h"

#include <QString>
#include <QXmlStreamReader>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

bool WellFormed(const std::string& xml) {
    QXmlStreamReader reader(QString::fromStdString(xml));
    while (!reader.atEnd())
        reader.readNext();
    return !reader.hasError();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const DocxCells cells = {
        {{1, 1}, "a<b"},   {{2, 2}, "&amp; \"c\""}, {{2, 8}, "宋体"},
        {{5, 4}, "1.50Ω"}, {{7, 3}, "x\ty"},        {{8, 1}, ""},
    };
    std::string xml(reinterpret_cast<const char*>(data), size);
    if (!FillFirstTable(xml, cells))
        return 0;
    if (!WellFormed(xml) || !FillFirstTable(xml, cells))
        std::abort();
    return 0;
}
