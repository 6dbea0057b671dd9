// Reading and building the controller network-parameter blocks.
#include "acquisition/ControllerNetParams.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

std::string Dotted(const std::uint8_t* b) {
    char text[20];
    std::snprintf(text, sizeof text, "%d.%d.%d.%d", b[0], b[1], b[2], b[3]);
    return text;
}

void PutBigEndian16(std::uint8_t* out, const std::string& decimal) {
    const int value = std::atoi(decimal.c_str());
    out[0] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
    out[1] = static_cast<std::uint8_t>(value & 0xFF);
}

} // namespace

ControllerNetFields ReadControllerBlock(const std::uint8_t block[kControllerBlockSize]) {
    ControllerNetFields f;
    f.strGateway = Dotted(block + 0);
    f.strSubnetMask = Dotted(block + 4);
    char hex[4];
    for (int i = 0; i < 6; ++i) {
        std::snprintf(hex, sizeof hex, "%02X", block[8 + i]);
        f.strMac += hex;
    }
    f.strAddress = Dotted(block + 14);
    f.strPort = std::to_string(block[18] * 256 + block[19]);
    f.strDestAddress = Dotted(block + 34);
    f.strDestPort = std::to_string(block[66] * 256 + block[67]);
    f.nWorkMode = block[82];
    return f;
}

void ParseDottedOctets(const std::string& text, std::uint8_t out[4]) {
    std::size_t start = 0;
    for (int i = 0; i < 4; ++i) {
        out[i] = 0;
        if (start > text.size())
            continue;
        const std::size_t dot = text.find('.', start);
        const std::string part =
            text.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
        out[i] = static_cast<std::uint8_t>(std::atoi(part.c_str()) & 0xFF);
        start = dot == std::string::npos ? text.size() + 1 : dot + 1;
    }
}

void BuildControllerSetBlock1(const ControllerNetFields& f, std::uint8_t out[kControllerSetBlock1Size]) {
    std::memset(out, 0, kControllerSetBlock1Size);
    ParseDottedOctets(f.strGateway, out + 3);
    ParseDottedOctets(f.strSubnetMask, out + 7);
    // Two characters a byte, at most six, until fewer than two remain.
    for (std::size_t i = 0; i < 6 && 2 * i + 2 <= f.strMac.size(); ++i)
        out[11 + i] = static_cast<std::uint8_t>(std::strtoul(f.strMac.substr(2 * i, 2).c_str(), nullptr, 16));
    ParseDottedOctets(f.strAddress, out + 17);
}

void BuildControllerSetBlock2(const ControllerNetFields& f, std::uint8_t out[kControllerSetBlock2Size]) {
    std::memset(out, 0, kControllerSetBlock2Size);
    PutBigEndian16(out + 4, f.strPort);
    ParseDottedOctets(f.strDestAddress, out + 6);
    PutBigEndian16(out + 10, f.strDestPort);
    out[12] = static_cast<std::uint8_t>(f.nWorkMode & 0xFF);
}
