// Rules the rosette and residual-stress group tables share.
#include "datafiles/ResultGroupRules.h"

#include "platform/Text.h"

#include <algorithm>
#include <cstring>

void SetGroupName(char (&name)[20], const std::string& utf8) {
    const std::string gbk = platform::Utf8ToGbk(platform::CutToGbkLength(utf8, sizeof name - 1));
    std::memset(name, 0, sizeof name);
    std::memcpy(name, gbk.data(), std::min(gbk.size(), sizeof name - 1));
}

std::string GroupNameText(const char (&name)[20]) {
    return platform::GbkToUtf8(std::string(name, strnlen(name, sizeof name)));
}

bool HasSameChannel(const std::vector<int>& channels) {
    return std::set<int>(channels.begin(), channels.end()).size() != channels.size();
}

bool ChannelsWithin(const std::vector<int>& channels, int lastChannel) {
    return std::all_of(channels.begin(), channels.end(), [lastChannel](int c) { return c <= lastChannel; });
}
