// Pseudo-terminal pair on posix_openpt.
#include "platform/PseudoTerminal.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace platform {

bool PseudoTerminal::Open() {
    Close();
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    char name[128] = {};
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0 ||
        ::ptsname_r(m_master, name, sizeof name) != 0) {
        Close();
        return false;
    }
    m_slavePath = name;
    m_slaveKeeper = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios tio{};
    if (m_slaveKeeper < 0 || ::tcgetattr(m_slaveKeeper, &tio) != 0) {
        Close();
        return false;
    }
    cfmakeraw(&tio);
    ::tcsetattr(m_slaveKeeper, TCSANOW, &tio);
    return true;
}

void PseudoTerminal::Close() {
    if (m_slaveKeeper >= 0)
        ::close(m_slaveKeeper);
    if (m_master >= 0)
        ::close(m_master);
    m_slaveKeeper = m_master = -1;
    m_slavePath.clear();
}

int PseudoTerminal::Read(void* buffer, std::size_t length, int timeoutMs) {
    if (m_master < 0)
        return -1;
    pollfd p{m_master, POLLIN, 0};
    int r = 0;
    while ((r = ::poll(&p, 1, timeoutMs)) < 0 && errno == EINTR) {
    }
    if (r <= 0)
        return r;
    const ssize_t n = ::read(m_master, buffer, length);
    return n >= 0 ? static_cast<int>(n) : -1;
}

std::size_t PseudoTerminal::ReadExactly(void* buffer, std::size_t length, int timeoutMs) {
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + milliseconds(timeoutMs);
    std::size_t done = 0;
    while (done < length) {
        const auto left = duration_cast<milliseconds>(deadline - steady_clock::now()).count();
        const int n =
            Read(static_cast<char*>(buffer) + done, length - done, left > 0 ? static_cast<int>(left) : 0);
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

bool PseudoTerminal::Write(const void* data, std::size_t length) {
    const char* p = static_cast<const char*>(data);
    while (length > 0 && m_master >= 0) {
        const ssize_t n = ::write(m_master, p, length);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        length -= static_cast<std::size_t>(n);
    }
    return m_master >= 0;
}

} // namespace platform
