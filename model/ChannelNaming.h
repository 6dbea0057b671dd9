// Text forms of channel and module numbers ("%02d-%02d-%02d": case, module,
// position) and the tests that tell measured, virtual and digital channels apart.
#pragma once

#include <string>

constexpr int kModulesPerCase = 8;
constexpr int kChannelsPerModule = 16;
constexpr int kFirstVirtualChannel = 4096;
constexpr int kVirtualChannelCount = 128;
constexpr int kFirstDigitalChannel = kFirstVirtualChannel + kVirtualChannelCount;
constexpr int kDigitalChannelCount = 8;

// "%02d-%02d" of case and module; "无" for a negative unit.
std::string FormatModuleChannel(int nUnit, int nModulesPerCase);
std::string FormatModuleName(int nUnit);
// Unit number of a module text; -1 without a '-'. Digits are not checked,
// so callers range-check the result.
int ParseModuleName(const std::string& strText, int nModulesPerCase);
int ParseModuleName(const std::string& strText);

// "%02d-%02d-%02d" of case, module and position; "无" for a negative channel.
std::string FormatChannelNameEx(int nChannel, int nModulesPerCase);
std::string FormatChannelName(int nChannel);
// Channel number of a channel text; -1 with fewer than two '-'. Digits are
// not checked (three non-numeric parts give -145): callers range-check.
int ParseChannelNameEx(const std::string& strText, int nModulesPerCase);
int ParseChannelName(const std::string& strText);
// The channel text with '_' for '-'.
std::string FormatChannelNameForFile(int nChannel);

inline int GetModuleOfChannel(int nChannel) {
    return nChannel / kChannelsPerModule;
}
inline int GetChannelsPerModule() {
    return kChannelsPerModule;
}
inline int GetChannelsPerCaseVersion(int nVersion) {
    return nVersion == 4 ? 32 : 16;
}
inline bool IsVirtualChannel(int n) {
    return n >= kFirstVirtualChannel && n < kFirstDigitalChannel;
}
inline bool IsDigitalChannel(int n) {
    return n >= kFirstDigitalChannel && n < kFirstDigitalChannel + kDigitalChannelCount;
}
