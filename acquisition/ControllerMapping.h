// The fixed machine number of each network controller, kept in "MapCfg.ini"
// in the program folder: the section is the controller's address and its key
// "MapID" the 0-based machine number, as the case links read it when they
// connect. The older form (section "MapID", one key per address) is read too.
#pragma once

#include <map>
#include <string>
#include <vector>

class CControllerMapping {
public:
    static constexpr int kMachineCount = 32;

    explicit CControllerMapping(std::string path) : m_strPath(std::move(path)) {}
    const std::string& GetPath() const { return m_strPath; }

    // The listed controllers' numbers from the file; a number outside 0-31
    // leaves its controller unmapped.
    void Load(const std::vector<std::string>& controllers);
    // Writes the listed controllers' numbers; other keys of the file stay.
    void Save(const std::vector<std::string>& controllers) const;

    // -1 when the controller has no number.
    int Find(const std::string& address) const;
    // Gives the controller the number; false (nothing changes) when another
    // listed controller holds it.
    bool Assign(const std::string& address, int index, const std::vector<std::string>& controllers);
    // The i-th controller of the list gets number i.
    void AutoAssign(const std::vector<std::string>& controllers);
    void Clear() { m_map.clear(); }

    // "192.168.0.101  -- 3" for a mapped controller, the address alone otherwise.
    std::string ListText(const std::string& address) const;

private:
    std::string m_strPath;
    std::map<std::string, int> m_map;
};
