// The application's registry profile on an INI file in the user's
// configuration folder.
#include "platform/RegistryProfile.h"

#include "platform/Files.h"
#include "platform/Profile.h"
#include "platform/Text.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

bool EnsureOwnerFolder(const std::string& folder) {
    if (FolderExists(folder))
        return true;
    if (!CreateFolder(FolderOf(folder)))
        return false;
    return ::mkdir(folder.c_str(), 0700) == 0 || FolderExists(folder);
}

} // namespace

CRegistryProfile::CRegistryProfile(const std::string& registryKey, const std::string& profileName)
    : m_strRegistryKey(registryKey), m_strProfileName(profileName) {}

void CRegistryProfile::SetRegistryKey(const std::string& registryKey) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_strRegistryKey = registryKey;
}

void CRegistryProfile::SetProfileName(const std::string& profileName) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_strProfileName = profileName;
}

void CRegistryProfile::SetRootFolder(const std::string& rootFolder) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_strRootFolder = rootFolder;
}

void CRegistryProfile::SetOwnerOnly(bool ownerOnly) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bOwnerOnly = ownerOnly;
}

std::string CRegistryProfile::GetFolder() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    const std::string root = m_strRootFolder.empty() ? UserConfigFolder() : m_strRootFolder;
    return m_strRegistryKey.empty() ? root : JoinPath(root, m_strRegistryKey);
}

std::string CRegistryProfile::GetPath() const {
    const std::string folder = GetFolder();
    std::lock_guard<std::mutex> lock(m_mutex);
    // Without a profile name there is no file: reads give defaults and
    // writes fail.
    return m_strProfileName.empty() ? std::string() : JoinPath(folder, m_strProfileName + ".ini");
}

// Creates the folder (owner-only, as configuration folders are) and, for an
// owner-only profile, the file with mode 0600 before the first value lands in
// it; the profile writer keeps the mode of the file it replaces.
bool CRegistryProfile::PrepareFile(const std::string& path) const {
    if (path.empty())
        return false;
    if (!EnsureOwnerFolder(FolderOf(path)))
        return false;
    bool ownerOnly = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ownerOnly = m_bOwnerOnly;
    }
    if (!ownerOnly)
        return true;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0)
        return ::close(fd) == 0;
    struct stat st {};
    if (errno != EEXIST || ::stat(path.c_str(), &st) != 0)
        return false;
    return (st.st_mode & 077) == 0 || ::chmod(path.c_str(), st.st_mode & 0700) == 0;
}

int CRegistryProfile::GetProfileInt(const std::string& section, const std::string& entry,
                                    int nDefault) const {
    const std::string path = GetPath();
    return path.empty() ? nDefault : GetPrivateProfileInt(section, entry, nDefault, path);
}

std::string CRegistryProfile::GetProfileString(const std::string& section, const std::string& entry,
                                               const std::string& strDefault) const {
    const std::string path = GetPath();
    return path.empty() ? strDefault : GetPrivateProfileString(section, entry, strDefault, path);
}

bool CRegistryProfile::GetProfileBinary(const std::string& section, const std::string& entry,
                                        std::vector<std::uint8_t>& data) const {
    data.clear();
    const std::string path = GetPath();
    if (path.empty())
        return false;
    const std::string hex = GetPrivateProfileString(section, entry, std::string(), path);
    if (hex.size() < 2 || hex.size() % 2 != 0)
        return false;
    std::vector<std::uint8_t> bytes((hex.size() - 2) / 2);
    if (!GetPrivateProfileStruct(section, entry, bytes.data(), bytes.size(), path))
        return false;
    data = std::move(bytes);
    return true;
}

bool CRegistryProfile::WriteProfileInt(const std::string& section, const std::string& entry, int nValue) {
    return WriteProfileString(section, entry, Format("%d", nValue));
}

bool CRegistryProfile::WriteProfileString(const std::string& section, const std::string& entry,
                                          const std::string& value) {
    const std::string path = GetPath();
    return PrepareFile(path) && WritePrivateProfileString(section, entry, value, path);
}

bool CRegistryProfile::WriteProfileBinary(const std::string& section, const std::string& entry,
                                          const void* data, std::size_t size) {
    const std::string path = GetPath();
    return PrepareFile(path) && WritePrivateProfileStruct(section, entry, data, size, path);
}

bool CRegistryProfile::DeleteProfileEntry(const std::string& section, const std::string& entry) {
    const std::string path = GetPath();
    return !path.empty() && DeletePrivateProfileKey(section, entry, path);
}

bool CRegistryProfile::DeleteProfileSection(const std::string& section) {
    const std::string path = GetPath();
    return !path.empty() && DeletePrivateProfileSection(section, path);
}

} // namespace platform
