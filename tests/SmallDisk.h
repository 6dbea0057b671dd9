// A small file system of the test's own, for full-disk tests: a tmpfs of a
// given size mounted in a private mount namespace. The namespace is entered
// at program start, before any thread exists (as unsharing requires); where
// the system refuses, IsMounted() is false and the test skips.
#pragma once

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace small_disk {

inline bool WriteProcFile(const char* path, const std::string& text) {
    const int fd = ::open(path, O_WRONLY);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    return ok;
}

// A mount namespace of our own; a user namespace too when only that allows it.
inline bool EnterPrivateMounts() {
    if (::unshare(CLONE_NEWNS) != 0) {
        const uid_t uid = ::getuid();
        const gid_t gid = ::getgid();
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
            return false;
        WriteProcFile("/proc/self/setgroups", "deny");
        if (!WriteProcFile("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") ||
            !WriteProcFile("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1"))
            return false;
    }
    return ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

inline const bool g_bPrivateMounts = EnterPrivateMounts();

} // namespace small_disk

class SmallDisk {
public:
    explicit SmallDisk(std::size_t bytes) {
        std::string pattern = (std::filesystem::temp_directory_path() / "qv_small_disk_XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            return;
        m_folder = pattern;
        const std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
        m_bMounted = small_disk::g_bPrivateMounts &&
                     ::mount("tmpfs", m_folder.c_str(), "tmpfs", 0, options.c_str()) == 0;
    }
    ~SmallDisk() {
        if (m_bMounted)
            ::umount2(m_folder.c_str(), MNT_DETACH);
        if (!m_folder.empty())
            ::rmdir(m_folder.c_str());
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool IsMounted() const { return m_bMounted; }
    std::string File(const std::string& name) const { return m_folder + "/" + name; }

    std::int64_t FreeBytes() const {
        struct statvfs info {};
        if (::statvfs(m_folder.c_str(), &info) != 0)
            return -1;
        return static_cast<std::int64_t>(info.f_bavail) * static_cast<std::int64_t>(info.f_frsize);
    }
    // Takes up space with a filler file until at most `left` bytes are free.
    bool FillLeaving(std::int64_t left) {
        const int fd = ::open(File("filler").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (fd < 0)
            return false;
        const std::vector<char> chunk(4096, 'x');
        while (FreeBytes() > left) {
            const std::int64_t over = FreeBytes() - left;
            const auto size = static_cast<std::size_t>(std::min<std::int64_t>(over, 4096));
            if (::write(fd, chunk.data(), size) <= 0)
                break;
        }
        ::close(fd);
        return FreeBytes() <= left;
    }

private:
    std::string m_folder;
    bool m_bMounted = false;
};
