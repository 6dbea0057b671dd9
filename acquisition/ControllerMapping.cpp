// Loading, choosing and saving the controllers' machine numbers.
#include "acquisition/ControllerMapping.h"

#include "model/DebugLogFiles.h"
#include "platform/Profile.h"

#include <cstdlib>

void CControllerMapping::Load(const std::vector<std::string>& controllers) {
    for (const std::string& address : controllers) {
        std::string value = platform::GetPrivateProfileString(address, "MapID", "", m_strPath);
        if (value.empty())
            value = platform::GetPrivateProfileString("MapID", address, "", m_strPath);
        if (value.empty())
            continue;
        const int index = std::atoi(value.c_str());
        if (index >= 0 && index < kMachineCount)
            m_map[address] = index;
        else
            m_map.erase(address);
    }
}

void CControllerMapping::Save(const std::vector<std::string>& controllers) const {
    ClearReadOnlyAttribute(m_strPath);
    for (const std::string& address : controllers) {
        const auto it = m_map.find(address);
        if (it != m_map.end())
            platform::WritePrivateProfileString(address, "MapID", std::to_string(it->second), m_strPath);
    }
}

int CControllerMapping::Find(const std::string& address) const {
    const auto it = m_map.find(address);
    return it == m_map.end() ? -1 : it->second;
}

bool CControllerMapping::Assign(const std::string& address, int index,
                                const std::vector<std::string>& controllers) {
    if (index < 0 || index >= kMachineCount)
        return false;
    for (const std::string& other : controllers) {
        if (other != address && Find(other) == index)
            return false;
    }
    m_map[address] = index;
    return true;
}

void CControllerMapping::AutoAssign(const std::vector<std::string>& controllers) {
    m_map.clear();
    for (std::size_t i = 0; i < controllers.size() && i < kMachineCount; ++i)
        m_map[controllers[i]] = static_cast<int>(i);
}

std::string CControllerMapping::ListText(const std::string& address) const {
    const int index = Find(address);
    return index < 0 ? address : address + "  -- " + std::to_string(index + 1);
}
