// POSIX implementation of the IPv4 socket wrappers.
#include "platform/Socket.h"

#include "platform/WakeSignal.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {

namespace {

bool MakeSockaddr(const std::string& ip, std::uint16_t port, sockaddr_in& addr) {
    std::uint32_t host = 0;
    if (!ParseIPv4(ip, host))
        return false;
    addr = sockaddr_in{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = host;
    return true;
}

SocketAddress FromSockaddr(const sockaddr_in& addr) {
    return SocketAddress{FormatIPv4(addr.sin_addr.s_addr), ntohs(addr.sin_port)};
}

// One end of a socket (getsockname or getpeername); false without one.
bool EndpointAddress(int fd, int (*query)(int, sockaddr*, socklen_t*), SocketAddress& address) {
    sockaddr_in addr{};
    socklen_t len = sizeof addr;
    if (fd < 0 || query(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
        return false;
    address = FromSockaddr(addr);
    return true;
}

// poll() on one descriptor, retried on EINTR: 1 ready, 0 time-out, -1 error.
int PollOne(int fd, short events, int timeoutMs) {
    pollfd p{fd, events, 0};
    for (;;) {
        const int r = ::poll(&p, 1, timeoutMs < 0 ? -1 : timeoutMs);
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return r;
        // An error or hang-up counts as ready: the next call reports it.
        return 1;
    }
}

int ClampLength(std::size_t length) {
    return length > INT_MAX ? INT_MAX : static_cast<int>(length);
}

int RemainingMs(std::chrono::steady_clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

} // namespace

bool ParseIPv4(const std::string& text, std::uint32_t& networkOrder) {
    if (text.empty()) {
        networkOrder = htonl(INADDR_ANY);
        return true;
    }
    in_addr addr{};
    // inet_pton accepts exactly four decimal parts of 0..255.
    if (inet_pton(AF_INET, text.c_str(), &addr) != 1)
        return false;
    networkOrder = addr.s_addr;
    return true;
}

std::string FormatIPv4(std::uint32_t networkOrder) {
    in_addr addr{};
    addr.s_addr = networkOrder;
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &addr, text, sizeof text);
    return text;
}

// ---- Socket ----

Socket& Socket::operator=(Socket&& other) noexcept {
    if (this != &other) {
        Close();
        m_fd = other.Release();
    }
    return *this;
}

void Socket::Close() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool Socket::Shutdown(int how) {
    if (m_fd < 0) {
        m_lastError = EBADF;
        return false;
    }
    if (::shutdown(m_fd, how) != 0)
        return Failed();
    return true;
}

int Socket::WaitReadable(int timeoutMs) const {
    return m_fd < 0 ? kSocketError : PollOne(m_fd, POLLIN, timeoutMs);
}

int Socket::WaitReadable(int timeoutMs, const WakeSignal& wake) const {
    if (m_fd < 0)
        return kSocketError;
    pollfd p[2] = {{m_fd, POLLIN, 0}, {wake.Handle(), POLLIN, 0}};
    for (;;) {
        const int r = ::poll(p, 2, timeoutMs < 0 ? -1 : timeoutMs);
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0)
            return kSocketError;
        if (r == 0)
            return 0;
        // The wake is looked at first: a stop ends the wait even on a busy stream.
        if (p[1].revents & POLLIN)
            return kSocketWoken;
        return 1; // readable, or an error or hang-up the next read reports
    }
}

int Socket::ReadyToRead(int timeoutMs) {
    const int ready = WaitReadable(timeoutMs);
    if (ready < 0)
        return Fail();
    return ready == 0 ? kSocketTimeout : 1;
}

int Socket::WaitWritable(int timeoutMs) const {
    return m_fd < 0 ? kSocketError : PollOne(m_fd, POLLOUT, timeoutMs);
}

bool Socket::SetNonBlocking(bool on) {
    const int flags = m_fd < 0 ? -1 : ::fcntl(m_fd, F_GETFL);
    if (flags < 0 || ::fcntl(m_fd, F_SETFL, on ? flags | O_NONBLOCK : flags & ~O_NONBLOCK) != 0)
        return Failed();
    return true;
}

bool Socket::LocalAddress(SocketAddress& address) const {
    return EndpointAddress(m_fd, ::getsockname, address);
}

bool Socket::Create(int type) {
    Close();
    // Close-on-exec, so that a started program does not keep our ports.
    m_fd = ::socket(AF_INET, type | SOCK_CLOEXEC, 0);
    return m_fd >= 0 || Failed();
}

bool Socket::Bind(const std::string& ip, std::uint16_t port, bool reuseAddress) {
    sockaddr_in addr{};
    if (!MakeSockaddr(ip, port, addr)) {
        m_lastError = EINVAL;
        return false;
    }
    const int one = 1;
    if (reuseAddress)
        ::setsockopt(m_fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (::bind(m_fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0)
        return Failed();
    return true;
}

int Socket::Fail() {
    m_lastError = errno;
    return kSocketError;
}

bool Socket::Failed() {
    m_lastError = errno;
    return false;
}

void Socket::Adopt(int fd) {
    Close();
    m_fd = fd;
}

int Socket::Release() {
    const int fd = m_fd;
    m_fd = -1;
    return fd;
}

// ---- TcpStream ----

bool TcpStream::Connect(const std::string& ip, std::uint16_t port, int timeoutMs,
                        const std::string& localIp) {
    sockaddr_in addr{};
    if (!MakeSockaddr(ip, port, addr)) {
        m_lastError = EINVAL;
        return false;
    }
    if (!Create(SOCK_STREAM))
        return false;
    if (!localIp.empty() && !Bind(localIp, 0, false)) {
        Close();
        return false;
    }
    // Connect without blocking so that the wait has a limit.
    SetNonBlocking(true);
    if (::connect(m_fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
        if (errno != EINPROGRESS || WaitWritable(timeoutMs) != 1) {
            Fail();
            if (m_lastError == 0 || m_lastError == EINPROGRESS)
                m_lastError = ETIMEDOUT;
            Close();
            return false;
        }
        int error = 0;
        socklen_t len = sizeof error;
        ::getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &error, &len);
        if (error != 0) {
            m_lastError = error;
            Close();
            return false;
        }
    }
    SetNonBlocking(false);
    return true;
}

int TcpStream::Send(const void* data, std::size_t length) {
    if (m_fd < 0)
        return kSocketError;
    for (;;) {
        const ssize_t n = ::send(m_fd, data, static_cast<std::size_t>(ClampLength(length)), MSG_NOSIGNAL);
        if (n >= 0)
            return static_cast<int>(n);
        if (errno != EINTR)
            return Fail();
    }
}

bool TcpStream::SendAll(const void* data, std::size_t length, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    const char* p = static_cast<const char*>(data);
    while (length > 0) {
        if (WaitWritable(RemainingMs(deadline)) != 1)
            return false;
        const ssize_t n = ::send(m_fd, p, length, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)
                continue;
            Fail();
            return false;
        }
        p += n;
        length -= static_cast<std::size_t>(n);
    }
    return true;
}

int TcpStream::Receive(void* buffer, std::size_t length, int timeoutMs) {
    // Without a wait the non-blocking receive answers alone (EAGAIN: nothing yet); a
    // poll first would only double the calls of a link that reads all that is there.
    if (timeoutMs != 0) {
        if (const int ready = ReadyToRead(timeoutMs); ready != 1)
            return ready;
    }
    for (;;) {
        const ssize_t n = ::recv(m_fd, buffer, static_cast<std::size_t>(ClampLength(length)), MSG_DONTWAIT);
        if (n >= 0)
            return static_cast<int>(n);
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return kSocketTimeout;
        if (errno != EINTR)
            return Fail();
    }
}

bool TcpStream::SetReceiveLowWater(int bytes) {
    const int value = bytes < 1 ? 1 : bytes;
    if (m_fd < 0 || ::setsockopt(m_fd, SOL_SOCKET, SO_RCVLOWAT, &value, sizeof value) != 0)
        return Failed();
    return true;
}

bool TcpStream::PeerAddress(SocketAddress& address) const {
    return EndpointAddress(m_fd, ::getpeername, address);
}

// ---- TcpListener ----

bool TcpListener::Listen(const std::string& ip, std::uint16_t port, int backlog) {
    if (!Create(SOCK_STREAM))
        return false;
    const bool ok = Bind(ip, port, true) && (::listen(m_fd, backlog) == 0 || Failed());
    if (!ok)
        Close();
    return ok;
}

int TcpListener::Accept(TcpStream& stream, int timeoutMs, SocketAddress* peer) {
    if (const int ready = ReadyToRead(timeoutMs); ready != 1)
        return ready;
    sockaddr_in addr{};
    socklen_t len = sizeof addr;
    // Non-blocking accept: a client that gave up between poll and accept
    // must not leave us blocked.
    const int fd = ::accept4(m_fd, reinterpret_cast<sockaddr*>(&addr), &len, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0)
        return errno == EAGAIN || errno == EWOULDBLOCK || errno == ECONNABORTED ? kSocketTimeout : Fail();
    stream.Adopt(fd);
    stream.SetNonBlocking(false);
    if (peer)
        *peer = FromSockaddr(addr);
    return 1;
}

// ---- UdpSocket ----

bool UdpSocket::Open() {
    return Create(SOCK_DGRAM);
}

bool UdpSocket::Bind(const std::string& ip, std::uint16_t port, bool reuseAddress) {
    if (!IsOpen() && !Open())
        return false;
    return Socket::Bind(ip, port, reuseAddress);
}

bool UdpSocket::SetBroadcast(bool on) {
    const int value = on ? 1 : 0;
    if (!IsOpen() && !Open())
        return false;
    return ::setsockopt(m_fd, SOL_SOCKET, SO_BROADCAST, &value, sizeof value) == 0 || Failed();
}

namespace {

bool MakeMembership(const std::string& group, const std::string& localIp, ip_mreq& req) {
    std::uint32_t groupAddr = 0, localAddr = 0;
    if (group.empty() || !ParseIPv4(group, groupAddr) || !ParseIPv4(localIp, localAddr))
        return false;
    req.imr_multiaddr.s_addr = groupAddr;
    req.imr_interface.s_addr = localAddr;
    return true;
}

} // namespace

bool UdpSocket::JoinMulticast(const std::string& group, const std::string& localIp) {
    ip_mreq req{};
    if (!MakeMembership(group, localIp, req)) {
        m_lastError = EINVAL;
        return false;
    }
    if (!IsOpen() && !Open())
        return false;
    return ::setsockopt(m_fd, IPPROTO_IP, IP_ADD_MEMBERSHIP, &req, sizeof req) == 0 || Failed();
}

bool UdpSocket::LeaveMulticast(const std::string& group, const std::string& localIp) {
    ip_mreq req{};
    if (!IsOpen() || !MakeMembership(group, localIp, req)) {
        m_lastError = EINVAL;
        return false;
    }
    return ::setsockopt(m_fd, IPPROTO_IP, IP_DROP_MEMBERSHIP, &req, sizeof req) == 0 || Failed();
}

bool UdpSocket::SetMulticastTtl(int ttl) {
    const unsigned char value = static_cast<unsigned char>(ttl);
    if (!IsOpen() && !Open())
        return false;
    return ::setsockopt(m_fd, IPPROTO_IP, IP_MULTICAST_TTL, &value, sizeof value) == 0 || Failed();
}

bool UdpSocket::SetMulticastLoop(bool on) {
    const unsigned char value = on ? 1 : 0;
    if (!IsOpen() && !Open())
        return false;
    return ::setsockopt(m_fd, IPPROTO_IP, IP_MULTICAST_LOOP, &value, sizeof value) == 0 || Failed();
}

int UdpSocket::SendTo(const void* data, std::size_t length, const std::string& ip, std::uint16_t port) {
    sockaddr_in addr{};
    if (!MakeSockaddr(ip, port, addr)) {
        m_lastError = EINVAL;
        return kSocketError;
    }
    if (!IsOpen() && !Open())
        return kSocketError;
    const ssize_t n =
        ::sendto(m_fd, data, length, MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
    return n >= 0 ? static_cast<int>(n) : Fail();
}

int UdpSocket::ReceiveFrom(void* buffer, std::size_t length, int timeoutMs, SocketAddress* from) {
    if (const int ready = ReadyToRead(timeoutMs); ready != 1)
        return ready;
    sockaddr_in addr{};
    socklen_t len = sizeof addr;
    const ssize_t n = ::recvfrom(m_fd, buffer, static_cast<std::size_t>(ClampLength(length)), MSG_DONTWAIT,
                                 reinterpret_cast<sockaddr*>(&addr), &len);
    if (n < 0)
        return errno == EAGAIN || errno == EWOULDBLOCK ? kSocketTimeout : Fail();
    if (from)
        *from = FromSockaddr(addr);
    return static_cast<int>(n);
}

} // namespace platform
