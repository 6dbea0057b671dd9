// Many key writes to one INI profile file applied in one load-edit-store
// cycle: the same result as writing the keys one by one in that order, but
// the file is parsed and replaced once (a project file has some 600 keys).
#pragma once

#include <string>
#include <tuple>
#include <vector>

class CProfileWriteBatch {
public:
    explicit CProfileWriteBatch(std::string path) : m_path(std::move(path)) {}

    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInt(const std::string& section, const std::string& key, int value);
    // Applies every write; false when the file could not be read or stored
    // (it is then left as it was).
    bool Commit();

private:
    std::string m_path;
    std::vector<std::tuple<std::string, std::string, std::string>> m_writes;
};
