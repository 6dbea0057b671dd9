// Field checks of the settings dialogs.
#include "model/FieldTexts.h"

#include <cerrno>
#include <cstdlib>
#include <limits>

bool ParseWholeNumberText(const std::string& text, long long max, long long& value) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    long long v = 0;
    for (const char ch : text) {
        v = v * 10 + (ch - '0');
        if (v > max)
            return false;
    }
    value = v;
    return true;
}

bool IsIPv4Text(const std::string& text) {
    std::size_t start = 0;
    for (int part = 0; part < 4; ++part) {
        const std::size_t dot = part < 3 ? text.find('.', start) : text.size();
        if (dot == std::string::npos)
            return false;
        const std::string octet = text.substr(start, dot - start);
        long long value = 0;
        // A leading zero reads as octal to some parsers: refused rather than guessed.
        if (octet.size() > 3 || (octet.size() > 1 && octet[0] == '0') ||
            !ParseWholeNumberText(octet, 255, value))
            return false;
        start = dot + 1;
    }
    return true;
}

bool ParsePortText(const std::string& text, int& port) {
    long long value = 0;
    if (!ParseWholeNumberText(text, 65535, value) || value < 1)
        return false;
    port = static_cast<int>(value);
    return true;
}

bool ParsePositiveNumberText(const std::string& text, float& value) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return false;
    const std::string trimmed = text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
    // Decimal only: strtod would also take "inf", "nan" and hexadecimal.
    if (trimmed.find_first_not_of("0123456789.+-eE") != std::string::npos)
        return false;
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(trimmed.c_str(), &end);
    if (end != trimmed.c_str() + trimmed.size() || errno == ERANGE || !(v > 0.0) ||
        v > std::numeric_limits<float>::max())
        return false;
    const float f = static_cast<float>(v);
    if (!(f > 0.0f)) // below the smallest float
        return false;
    value = f;
    return true;
}

std::string InvalidAddressMessage(const std::string& field) {
    return field + "不正确，请输入以“.”分隔的四个0到255之间的整数！";
}

std::string InvalidPortMessage(const std::string& field) {
    return field + "不正确，请输入1到65535之间的整数！";
}

std::string InvalidPositiveNumberMessage(const std::string& field) {
    return field + "不正确，请输入大于0的数值！";
}
