// Cutting texts to GBK byte lengths.
#include "model/GbkTextCut.h"

#include <cstring>

#include "platform/Text.h"

namespace {
std::size_t Utf8Length(unsigned char lead) {
    if (lead < 0x80) {
        return 1;
    }
    if ((lead & 0xE0) == 0xC0) {
        return 2;
    }
    if ((lead & 0xF0) == 0xE0) {
        return 3;
    }
    return (lead & 0xF8) == 0xF0 ? 4 : 1;
}
} // namespace

std::string CutToGbkLength(const std::string& utf8, std::size_t maxBytes) {
    std::size_t used = 0;
    std::size_t i = 0;
    while (i < utf8.size()) {
        const std::size_t n = std::min(Utf8Length(static_cast<unsigned char>(utf8[i])), utf8.size() - i);
        const std::size_t width = platform::GbkLength(std::string_view(utf8).substr(i, n));
        if (used + width > maxBytes) {
            break;
        }
        used += width;
        i += n;
    }
    return utf8.substr(0, i);
}

void StoreGbkField(char* field, std::size_t size, const std::string& utf8) {
    if (size == 0) {
        return;
    }
    const std::string gbk = platform::Utf8ToGbk(CutToGbkLength(utf8, size - 1));
    std::memset(field, 0, size);
    std::memcpy(field, gbk.data(), std::min(gbk.size(), size - 1));
}
