// Reading and appending ".fft" blocks.
#include "libs/spectrum/SpectrumFile.h"

#include "platform/Profile.h"
#include "platform/Text.h"

#include <bit>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <new>

static_assert(std::endian::native == std::endian::little, "records are stored as the machine holds them");
static_assert(sizeof(lurrow::SpectrumValue) == 8, "one record is two 32-bit floats");

namespace lurrow {

namespace {

constexpr std::uintmax_t kRecordBytes = 8;
const char kLineCountSection[] = "FFTSpectrum";

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::string ProjectFile(const std::string& path, const std::string& name) {
    return path + "/" + name + ".dap";
}

} // namespace

std::string FftFileName(const std::string& path, const std::string& name, int channel) {
    return path + "/" + name + platform::Format("_%d", channel) + ".fft";
}

int CountFftBlocks(const std::string& file, int lines) {
    if (lines < 1)
        return 0;
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    if (error)
        return 0;
    return static_cast<int>(size / kRecordBytes / static_cast<std::uintmax_t>(lines));
}

bool ReadFftBlock(const std::string& file, int lines, int block, Spectrum& out) {
    if (block < 0 || block >= CountFftBlocks(file, lines))
        return false;
    File f(std::fopen(file.c_str(), "rb"));
    if (!f)
        return false;
    try {
        Spectrum values(static_cast<std::size_t>(lines));
        const auto offset = static_cast<long>(block) * lines * static_cast<long>(kRecordBytes);
        if (std::fseek(f.get(), offset, SEEK_SET) != 0 ||
            std::fread(values.data(), kRecordBytes, values.size(), f.get()) != values.size())
            return false;
        out = std::move(values);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

AppendResult AppendFftBlock(const std::string& file, const Spectrum& spectrum) {
    if (spectrum.empty())
        return AppendResult::Failed;
    std::error_code error;
    const std::uintmax_t size =
        std::filesystem::exists(file, error) ? std::filesystem::file_size(file, error) : 0;
    if (error)
        return AppendResult::Failed;
    if (size % (spectrum.size() * kRecordBytes) != 0)
        return AppendResult::PartialBlock;
    File f(std::fopen(file.c_str(), "ab"));
    if (!f)
        return AppendResult::Failed;
    if (std::fwrite(spectrum.data(), kRecordBytes, spectrum.size(), f.get()) != spectrum.size())
        return AppendResult::Failed;
    return std::fflush(f.get()) == 0 ? AppendResult::Appended : AppendResult::Failed;
}

int RecordedLineCount(const std::string& path, const std::string& name) {
    return platform::GetPrivateProfileInt(kLineCountSection, "LineCount", 0, ProjectFile(path, name));
}

void RecordLineCount(const std::string& path, const std::string& name, int lines) {
    platform::WritePrivateProfileString(kLineCountSection, "LineCount", platform::Format("%d", lines),
                                        ProjectFile(path, name));
}

} // namespace lurrow
