// Fuzzes the existing-workbook reader: the input is the workbook's parts
// (workbook, its relationships, shared strings, styles, then the sheets)
// separated by lines "----", packed into a real package on /dev/shm and read.
#include "libs/excelexport/XlsxReader.h"

#include <minizip/zip.h>

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

std::vector<std::string> SplitParts(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string separator = "\n----\n";
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(separator, start)) != std::string::npos;
         start = at + separator.size()) {
        parts.push_back(text.substr(start, at - start));
    }
    parts.push_back(text.substr(start));
    return parts;
}

std::string PartName(std::size_t i) {
    static const char* const kFixed[] = {"xl/workbook.xml", "xl/_rels/workbook.xml.rels",
                                         "xl/sharedStrings.xml", "xl/styles.xml"};
    return i < 4 ? kFixed[i] : "xl/worksheets/sheet" + std::to_string(i - 3) + ".xml";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = "/dev/shm/fuzz_workbook_reader." + std::to_string(::getpid()) + ".xlsx";
    const std::vector<std::string> parts = SplitParts(data, size);
    zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    if (zip == nullptr) {
        return 0;
    }
    for (std::size_t i = 0; i < parts.size() && i < 16; ++i) {
        zipOpenNewFileInZip64(zip, PartName(i).c_str(), nullptr, nullptr, 0, nullptr, 0, nullptr, 0, 0, 0);
        zipWriteInFileInZip(zip, parts[i].data(), static_cast<unsigned>(parts[i].size()));
        zipCloseFileInZip(zip);
    }
    zipClose(zip, nullptr);
    std::string error;
    excelexport::ReadWorkbook(path, error);
    ::unlink(path.c_str());
    return 0;
}
