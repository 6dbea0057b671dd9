// Reading and writing the package with minizip. A part's size in the zip
// directory is only a claim: the part is read until its end and refused when
// it grows past the claim or the limit.
#include "calibrator/dialogs/DocxPackage.h"

#include <minizip/unzip.h>
#include <minizip/zip.h>

#include <ctime>

namespace {

bool ReadCurrentPart(unzFile zip, std::uint64_t claimed, std::string& bytes) {
    if (claimed > DocxPackage::kMaxPartBytes || unzOpenCurrentFile(zip) != UNZ_OK)
        return false;
    bool ok = true;
    char chunk[1 << 15];
    for (;;) {
        const int got = unzReadCurrentFile(zip, chunk, sizeof chunk);
        if (got < 0 || bytes.size() + static_cast<std::size_t>(got) > claimed) {
            ok = false;
            break;
        }
        if (got == 0)
            break;
        bytes.append(chunk, static_cast<std::size_t>(got));
    }
    // unzCloseCurrentFile checks the part's CRC.
    return unzCloseCurrentFile(zip) == UNZ_OK && ok && bytes.size() == claimed;
}

bool WritePart(zipFile zip, const DocxPart& part) {
    zip_fileinfo info{};
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    info.tmz_date.tm_sec = static_cast<uInt>(local.tm_sec);
    info.tmz_date.tm_min = static_cast<uInt>(local.tm_min);
    info.tmz_date.tm_hour = static_cast<uInt>(local.tm_hour);
    info.tmz_date.tm_mday = static_cast<uInt>(local.tm_mday);
    info.tmz_date.tm_mon = static_cast<uInt>(local.tm_mon);
    info.tmz_date.tm_year = static_cast<uInt>(local.tm_year + 1900);
    if (zipOpenNewFileInZip64(zip, part.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                              Z_DEFAULT_COMPRESSION, 0) != ZIP_OK)
        return false;
    const bool written =
        part.bytes.empty() ||
        zipWriteInFileInZip(zip, part.bytes.data(), static_cast<unsigned>(part.bytes.size())) == ZIP_OK;
    return zipCloseFileInZip(zip) == ZIP_OK && written;
}

} // namespace

bool DocxPackage::Read(const std::string& path) {
    m_parts.clear();
    unzFile zip = unzOpen64(path.c_str());
    if (zip == nullptr)
        return false;
    bool ok = true;
    std::size_t total = 0;
    int rc = unzGoToFirstFile(zip);
    for (; rc == UNZ_OK && ok; rc = unzGoToNextFile(zip)) {
        char name[1024];
        unz_file_info64 info{};
        if (unzGetCurrentFileInfo64(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK ||
            info.uncompressed_size > kMaxPackageBytes - total) {
            ok = false;
            break;
        }
        DocxPart part{name, {}};
        ok = ReadCurrentPart(zip, info.uncompressed_size, part.bytes);
        total += part.bytes.size();
        m_parts.push_back(std::move(part));
    }
    ok = ok && rc == UNZ_END_OF_LIST_OF_FILE;
    unzClose(zip);
    if (!ok)
        m_parts.clear();
    return ok;
}

bool DocxPackage::Write(const std::string& path) const {
    zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    if (zip == nullptr)
        return false;
    bool ok = true;
    for (const DocxPart& part : m_parts)
        ok = ok && WritePart(zip, part);
    return zipClose(zip, nullptr) == ZIP_OK && ok;
}

std::string* DocxPackage::Find(const std::string& name) {
    for (DocxPart& part : m_parts)
        if (part.name == name)
            return &part.bytes;
    return nullptr;
}
