// Recent projects in the registry profile.
#include "project/RecentProjectList.h"

#include "platform/Text.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr const char* kSection = "Recent File List";

std::string EntryKey(int index) {
    return platform::Format("File%d", index + 1);
}

bool EndsWithNoCase(const std::string& text, const std::string& suffix) {
    if (text.size() < suffix.size()) {
        return false;
    }
    return std::equal(suffix.rbegin(), suffix.rend(), text.rbegin(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    });
}

} // namespace

void CRecentProjectList::ReadList(const platform::CRegistryProfile& profile) {
    m_entries.clear();
    for (int n = 0; n < m_nSize; ++n) {
        const std::string path = profile.GetProfileString(kSection, EntryKey(n));
        if (!path.empty()) {
            m_entries.push_back(path);
        }
    }
}

void CRecentProjectList::WriteList(platform::CRegistryProfile& profile) const {
    profile.DeleteProfileSection(kSection);
    for (int n = 0; n < GetCount(); ++n) {
        profile.WriteProfileString(kSection, EntryKey(n), m_entries[static_cast<std::size_t>(n)]);
    }
}

void CRecentProjectList::Add(const std::string& path) {
    if (path.empty()) {
        return;
    }
    m_entries.erase(std::remove(m_entries.begin(), m_entries.end(), path), m_entries.end());
    m_entries.insert(m_entries.begin(), path);
    if (GetCount() > m_nSize) {
        m_entries.resize(static_cast<std::size_t>(m_nSize));
    }
}

void CRecentProjectList::Remove(int index) {
    if (index >= 0 && index < GetCount()) {
        m_entries.erase(m_entries.begin() + index);
    }
}

std::string RecentEntryProjectPath(const std::string& path) {
    if (EndsWithNoCase(path, ".dat")) {
        return path.substr(0, path.size() - 4) + ".dap";
    }
    return path;
}
