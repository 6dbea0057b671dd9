// flock-based single-instance lock.
#include "platform/InstanceLock.h"

#include "platform/Files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform {

std::string InstanceLock::LockFilePath(const std::string& mutexName) {
    std::string name;
    for (const char c : mutexName)
        name += c == '/' || c == '\0' ? '_' : c;
    return JoinPath(RuntimeFolder(), name + ".lock");
}

bool InstanceLock::Acquire(const std::string& mutexName) {
    Release();
    if (mutexName.empty())
        return false;
    // Close-on-exec, so that a program we start does not inherit the lock.
    const int fd = ::open(LockFilePath(mutexName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

void InstanceLock::Release() {
    // The file stays: removing it would let a third process lock a fresh
    // file while a second one still holds the old one.
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

} // namespace platform
