// Face names cross between UTF-8 and the record's GBK bytes here.
#include "model/LogFont.h"

#include "platform/Text.h"

#include <cstring>

void LOGFONT::SetFaceName(const std::string& strUtf8) {
    std::memset(lfFaceName, 0, sizeof(lfFaceName));
    std::string gbk;
    // Add whole characters while they fit, so no GBK pair is split.
    for (std::size_t i = 0; i < strUtf8.size();) {
        std::size_t n = 1;
        unsigned char c = static_cast<unsigned char>(strUtf8[i]);
        if (c >= 0xF0)
            n = 4;
        else if (c >= 0xE0)
            n = 3;
        else if (c >= 0xC0)
            n = 2;
        std::string ch = platform::Utf8ToGbk(strUtf8.substr(i, n));
        if (gbk.size() + ch.size() > sizeof(lfFaceName) - 1)
            break;
        gbk += ch;
        i += n;
    }
    std::memcpy(lfFaceName, gbk.data(), gbk.size());
}

std::string LOGFONT::GetFaceName() const {
    return platform::GbkToUtf8(std::string(lfFaceName, strnlen(lfFaceName, sizeof(lfFaceName))));
}
