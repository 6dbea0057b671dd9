// The list of recently used projects (ten entries, newest first), kept in
// the registry profile as the framework keeps its recent-file list.
#pragma once

#include <string>
#include <vector>

#include "platform/RegistryProfile.h"

constexpr int RECENT_PROJECT_COUNT = 10;
// Recent-file commands, one per entry from the first.
constexpr int ID_FILE_MRU_FIRST = 57616;
constexpr int ID_FILE_MRU_LAST = 57631;

class CRecentProjectList {
public:
    explicit CRecentProjectList(int size = RECENT_PROJECT_COUNT) : m_nSize(size) {}

    void ReadList(const platform::CRegistryProfile& profile);
    void WriteList(platform::CRegistryProfile& profile) const;
    // Puts the path in front (an equal entry moves there); the oldest falls off.
    void Add(const std::string& path);
    void Remove(int index);
    int GetCount() const { return static_cast<int>(m_entries.size()); }
    const std::string& operator[](int index) const { return m_entries[static_cast<std::size_t>(index)]; }

private:
    int m_nSize;
    std::vector<std::string> m_entries;
};

// The project file of a recent entry: a ".dat" suffix (any case) becomes
// ".dap"; ".dat" elsewhere in the path is left alone.
std::string RecentEntryProjectPath(const std::string& path);
