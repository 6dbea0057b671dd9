// Settings files that are not what they claim to be.
#include "project/SettingsFileCheck.h"

#include "platform/Files.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace {
// A settings file is a few kilobytes; beyond this it is not one.
constexpr std::size_t kMaxSettingsBytes = 16u << 20;
} // namespace

bool IsProfileTextFile(const std::string& path) {
    const std::int64_t size = platform::FileSize(path);
    if (size <= 0)
        return true;
    if (static_cast<std::uint64_t>(size) > kMaxSettingsBytes)
        return false;
    std::ifstream file(path, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (text.find('\0') != std::string::npos)
        return false;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        line.erase(0, line.find_first_not_of(" \t"));
        line.erase(line.find_last_not_of(" \t\r") + 1);
        if (line.size() >= 3 && line.front() == '[' && line.back() == ']')
            return true;
        start = end + 1;
    }
    return false;
}

std::string KeepFileAside(const std::string& path) {
    for (int n = 0; n < 100; ++n) {
        const std::string aside = path + ".bad" + (n == 0 ? std::string() : std::to_string(n));
        if (platform::FileExists(aside))
            continue;
        return platform::MoveFile(path, aside) ? aside : std::string();
    }
    return {};
}
