// The wake signal on Linux's eventfd: its counter above zero reads as readable.
#include "platform/WakeSignal.h"

#include <cerrno>
#include <cstdint>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace platform {

WakeSignal::~WakeSignal() {
    const int fd = m_fd.exchange(-1);
    if (fd >= 0)
        ::close(fd);
}

bool WakeSignal::Open() {
    if (m_fd.load() >= 0)
        return true;
    const int fd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (fd < 0)
        return false;
    int none = -1;
    if (!m_fd.compare_exchange_strong(none, fd))
        ::close(fd); // another thread made it first
    return true;
}

void WakeSignal::Set() {
    const int fd = m_fd.load();
    const std::uint64_t one = 1;
    // A full counter (never reached by ones) would only mean it is set already.
    while (fd >= 0 && ::write(fd, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

void WakeSignal::Reset() {
    const int fd = m_fd.load();
    std::uint64_t count = 0;
    while (fd >= 0 && ::read(fd, &count, sizeof count) < 0 && errno == EINTR) {
    }
}

bool WakeSignal::Wait(int timeoutMs) const {
    pollfd p{m_fd.load(), POLLIN, 0};
    for (;;) {
        const int r = ::poll(&p, 1, timeoutMs < 0 ? -1 : timeoutMs);
        if (r < 0 && errno == EINTR)
            continue;
        return r > 0 && (p.revents & POLLIN) != 0;
    }
}

} // namespace platform
