// flock-based single-instance lock.
#include "platform/InstanceLock.h"

#include "platform/Files.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

std::string FileNamePart(const std::string& text) {
    std::string name;
    for (const char c : text)
        name += c == '/' || c == '\0' ? '_' : c;
    return name;
}

std::string ErrorText(const std::string& what, int error) {
    return what + ": " + std::strerror(error);
}

// The runtime folder must be the user's own and closed to others: a folder
// another user made (or could write in) would let them hold or swap the lock.
// The folder of the fallback is made here when missing.
std::string CheckRuntimeFolder(const std::string& folder) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if ((runtime == nullptr || *runtime == '\0') && ::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return ErrorText(folder, errno);
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0)
        return ErrorText(folder, errno);
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::getuid() || (st.st_mode & 0022) != 0)
        return folder + ": not a private folder of this user";
    return {};
}

} // namespace

std::string InstanceLock::DesktopLoginName() {
    const char* x = std::getenv("DISPLAY");
    if (x != nullptr && *x != '\0') {
        // ":0" and ":0.1" are screens of one display.
        std::string display = x;
        const std::size_t colon = display.rfind(':');
        const std::size_t dot = display.find('.', colon == std::string::npos ? 0 : colon);
        if (colon != std::string::npos && dot != std::string::npos)
            display.erase(dot);
        return display;
    }
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return wayland != nullptr ? wayland : "";
}

std::string InstanceLock::LockFilePath(const std::string& mutexName) {
    const std::string login = DesktopLoginName();
    return JoinPath(RuntimeFolder(),
                    FileNamePart(mutexName) + (login.empty() ? "" : "-" + FileNamePart(login)) + ".lock");
}

bool InstanceLock::Acquire(const std::string& mutexName) {
    Release();
    m_strError.clear();
    m_nHolderPid = 0;
    m_strHolderProgram.clear();
    if (mutexName.empty()) {
        m_strError = "no lock name";
        return false;
    }
    const std::string folder = RuntimeFolder();
    m_strError = CheckRuntimeFolder(folder);
    if (!m_strError.empty())
        return false;
    const std::string path = LockFilePath(mutexName);
    // Close-on-exec, so that a program we start does not inherit the lock;
    // no-follow, so that the name cannot lead elsewhere.
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        m_strError = ErrorText(path, errno);
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if (error == EWOULDBLOCK)
            ReadHolder(fd);
        else
            m_strError = ErrorText(path, error);
        ::close(fd);
        return false;
    }
    m_fd = fd;
    WriteHolder();
    return true;
}

void InstanceLock::WriteHolder() const {
    // "pid program" on one line, for the message of a refused second start.
    char program[4096] = {};
    const ssize_t length = ::readlink("/proc/self/exe", program, sizeof program - 1);
    const std::string line = std::to_string(::getpid()) + " " +
                             (length > 0 ? std::string(program, std::size_t(length)) : "") + "\n";
    if (::ftruncate(m_fd, 0) == 0)
        (void)!::pwrite(m_fd, line.data(), line.size(), 0);
}

void InstanceLock::ReadHolder(int fd) {
    char buffer[4200] = {};
    const ssize_t length = ::pread(fd, buffer, sizeof buffer - 1, 0);
    if (length <= 0)
        return;
    std::string line(buffer, std::size_t(length));
    line = line.substr(0, line.find('\n'));
    const std::size_t space = line.find(' ');
    m_nHolderPid = std::atoi(line.substr(0, space).c_str());
    if (space != std::string::npos)
        m_strHolderProgram = line.substr(space + 1);
}

void InstanceLock::Release() {
    // The file stays: removing it would let a third process lock a fresh
    // file while a second one still holds the old one.
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

} // namespace platform
