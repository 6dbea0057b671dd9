// Command bits and their masks.
#include "acquisition/DigitalCommandBits.h"

#include <cerrno>
#include <cstdlib>

int CommandBitFromText(const std::string& text) {
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    const long n = std::strtol(begin, &end, 10);
    while (end && (*end == ' ' || *end == '\t'))
        ++end;
    if (end == begin || !end || *end != '\0' || errno == ERANGE || n < 1 || n > 31)
        return 0;
    return static_cast<int>(n);
}

std::vector<std::uint32_t> CommandPulseMasks(int bit) {
    if (bit < 1 || bit > 31)
        return {0u};
    return {1u << (bit - 1), 1u << bit, 0u};
}

std::uint32_t ContinuousCommandMask(int bit) {
    if (bit < 1 || bit > 31)
        return 0u;
    return (1u << (bit - 1)) + (1u << bit);
}
