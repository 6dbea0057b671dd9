// The application's registry profile (the framework's SetRegistryKey and
// Get/WriteProfileInt, String and Binary) kept as an INI file in the user's
// configuration folder: <root>/<registry key>/<profile name>.ini, where root
// is $XDG_CONFIG_HOME, else ~/.config, read at each call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

class CRegistryProfile {
public:
    CRegistryProfile() = default;
    CRegistryProfile(const std::string& registryKey, const std::string& profileName);

    // Folder name under the root, e.g. "QV静态测试系统".
    void SetRegistryKey(const std::string& registryKey);
    // File name without ".ini", e.g. "QV74xx".
    void SetProfileName(const std::string& profileName);
    // Replaces the configuration root (tests); empty goes back to the default.
    void SetRootFolder(const std::string& rootFolder);
    // Owner-only: the file is created, and kept, with mode 0600 (it holds
    // the operator codes); the folder is always created with mode 0700.
    void SetOwnerOnly(bool ownerOnly);

    std::string GetFolder() const;
    std::string GetPath() const;

    // Integer and string values follow the INI profile rules (Profile.h).
    int GetProfileInt(const std::string& section, const std::string& entry, int nDefault) const;
    std::string GetProfileString(const std::string& section, const std::string& entry,
                                 const std::string& strDefault = std::string()) const;
    // Binary values are stored like the profile structure form: upper-case
    // hex of the bytes followed by their byte sum modulo 256 as one more hex
    // byte. False (and data cleared) when missing or malformed.
    bool GetProfileBinary(const std::string& section, const std::string& entry,
                          std::vector<std::uint8_t>& data) const;

    // Writes create the folder and the file when missing; true on success.
    bool WriteProfileInt(const std::string& section, const std::string& entry, int nValue);
    bool WriteProfileString(const std::string& section, const std::string& entry, const std::string& value);
    bool WriteProfileBinary(const std::string& section, const std::string& entry, const void* data,
                            std::size_t size);
    // The framework's WriteProfileString with a null value or a null entry.
    bool DeleteProfileEntry(const std::string& section, const std::string& entry);
    bool DeleteProfileSection(const std::string& section);

private:
    bool PrepareFile(const std::string& path) const;

    mutable std::mutex m_mutex; // guards the four settings below
    std::string m_strRegistryKey;
    std::string m_strProfileName;
    std::string m_strRootFolder;
    bool m_bOwnerOnly = false;
};

} // namespace platform
