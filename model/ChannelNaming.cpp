// Channel and module texts and their parsers.
#include "model/ChannelNaming.h"

#include "platform/Text.h"

#include <algorithm>
#include <cstdlib>

namespace {

const char* const kNone = "无";

// The number at the start of a text, as atoi reads it, but without
// overflow: a huge case number cannot wrap into a valid channel.
long long Number(const std::string& strText) {
    return std::strtoll(strText.c_str(), nullptr, 10);
}

// The number in the (at most) two characters after position p.
long long TwoDigitsAfter(const std::string& strText, std::size_t p) {
    return Number(strText.substr(std::min(p + 1, strText.size()), 2));
}

// Unit number of "case-module" with the first '-' at p; false when the case
// number is too large for any channel (the arithmetic could overflow).
bool ModuleNumber(const std::string& strText, std::size_t p, int nModulesPerCase, long long& nUnit) {
    // Within these limits every result fits in int.
    constexpr long long kCaseLimit = 100000, kModuleLimit = 1000;
    long long nCase = Number(strText.substr(0, p));
    if (nCase < -kCaseLimit || nCase > kCaseLimit || nModulesPerCase < -kModuleLimit ||
        nModulesPerCase > kModuleLimit)
        return false;
    nUnit = (nCase - 1) * nModulesPerCase + TwoDigitsAfter(strText, p) - 1;
    return true;
}

} // namespace

std::string FormatModuleChannel(int nUnit, int nModulesPerCase) {
    if (nUnit < 0 || nModulesPerCase <= 0)
        return kNone;
    return platform::Format("%02d-%02d", nUnit / nModulesPerCase + 1, nUnit % nModulesPerCase + 1);
}

std::string FormatModuleName(int nUnit) {
    return FormatModuleChannel(nUnit, kModulesPerCase);
}

int ParseModuleName(const std::string& strText, int nModulesPerCase) {
    std::size_t p = strText.find('-');
    if (p == std::string::npos)
        return -1;
    long long nUnit = 0;
    return ModuleNumber(strText, p, nModulesPerCase, nUnit) ? static_cast<int>(nUnit) : -1;
}

int ParseModuleName(const std::string& strText) {
    return ParseModuleName(strText, kModulesPerCase);
}

std::string FormatChannelNameEx(int nChannel, int nModulesPerCase) {
    if (nChannel < 0 || nModulesPerCase <= 0)
        return kNone;
    int nUnit = nChannel / kChannelsPerModule;
    return platform::Format("%02d-%02d-%02d", nUnit / nModulesPerCase + 1, nUnit % nModulesPerCase + 1,
                            nChannel % kChannelsPerModule + 1);
}

std::string FormatChannelName(int nChannel) {
    return FormatChannelNameEx(nChannel, kModulesPerCase);
}

int ParseChannelNameEx(const std::string& strText, int nModulesPerCase) {
    std::size_t p = strText.find('-');
    if (p == std::string::npos)
        return -1;
    std::size_t q = strText.find('-', p + 1);
    if (q == std::string::npos)
        return -1;
    long long nUnit = 0;
    if (!ModuleNumber(strText, p, nModulesPerCase, nUnit))
        return -1;
    return static_cast<int>(nUnit * kChannelsPerModule + TwoDigitsAfter(strText, q) - 1);
}

int ParseChannelName(const std::string& strText) {
    return ParseChannelNameEx(strText, kModulesPerCase);
}

std::string FormatChannelNameForFile(int nChannel) {
    std::string strName = FormatChannelName(nChannel);
    std::replace(strName.begin(), strName.end(), '-', '_');
    return strName;
}
