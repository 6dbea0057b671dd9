// Reading and writing the digital parameter file.
#include "acquisition/DigitalParamFile.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

int g_nDigitalChanCount = 0;
DigitalChannelTable g_DigitalChanTable{};

bool LoadDigitalParamFile(const std::string& path, int& count, DigitalChannelTable& table) {
    count = 0;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    std::int32_t stored = 0;
    const bool ok = std::fread(&stored, sizeof stored, 1, f) == 1;
    if (ok) {
        const int wanted = std::clamp<std::int32_t>(stored, 0, kMaxDigitalChannels);
        DigitalChannelTable read{};
        const std::size_t whole =
            std::fread(read.data(), sizeof(DigitalChannelRecord), static_cast<std::size_t>(wanted), f);
        std::copy(read.begin(), read.begin() + static_cast<std::ptrdiff_t>(whole), table.begin());
        count = static_cast<int>(whole);
    }
    std::fclose(f);
    return ok;
}

bool SaveDigitalParamFile(const std::string& path, int count, const DigitalChannelTable& table) {
    const std::int32_t n = std::clamp(count, 0, kMaxDigitalChannels);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(&n, sizeof n, 1, f) == 1 &&
              std::fwrite(table.data(), sizeof(DigitalChannelRecord), static_cast<std::size_t>(n), f) ==
                  static_cast<std::size_t>(n);
    ok = std::fclose(f) == 0 && ok;
    return ok;
}
