// Small owning wrappers on POSIX IPv4 sockets in place of Winsock: a TCP
// listener, a TCP stream and a UDP socket. Nothing here throws; every call
// reports its result, and a send never raises SIGPIPE.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

class WakeSignal;

// Results of the waiting calls besides a byte count (> 0) or 0 for a
// stream the peer has closed.
constexpr int kSocketError = -1;
constexpr int kSocketTimeout = -2;
// A wait ended by its wake signal (see WakeSignal).
constexpr int kSocketWoken = -3;

// An IPv4 address in dotted text with a port.
struct SocketAddress {
    std::string ip;
    std::uint16_t port = 0;
};

// Dotted text to an address in network order; false for anything but four
// decimal parts of 0..255. An empty text is the any-address.
bool ParseIPv4(const std::string& text, std::uint32_t& networkOrder);
std::string FormatIPv4(std::uint32_t networkOrder);

// Owns one socket descriptor; closed on destruction.
class Socket {
public:
    Socket() = default;
    ~Socket() { Close(); }
    Socket(Socket&& other) noexcept : m_fd(other.Release()) {}
    Socket& operator=(Socket&& other) noexcept;
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    bool IsOpen() const { return m_fd >= 0; }
    int Handle() const { return m_fd; }
    void Close();
    // how: SHUT_RD, SHUT_WR or SHUT_RDWR. Shutting down wakes a thread that
    // waits on the socket (accept or receive), so a server stops its
    // threads this way and closes only once they have left: closing a socket
    // another thread still waits on is not safe.
    bool Shutdown(int how);
    // 1 when ready within the time (0 polls), 0 when not, kSocketError on failure.
    int WaitReadable(int timeoutMs) const;
    int WaitWritable(int timeoutMs) const;
    // The same wait, ended early when the signal is set: kSocketWoken then
    // (also when the socket is readable as well), so that a thread blocked on
    // a quiet connection is stopped at once. A negative time waits without limit.
    int WaitReadable(int timeoutMs, const WakeSignal& wake) const;
    bool IsReadable() const { return WaitReadable(0) == 1; }
    bool SetNonBlocking(bool on);
    bool LocalAddress(SocketAddress& address) const;
    // errno of the last failed call on this socket.
    int LastError() const { return m_lastError; }

protected:
    bool Create(int type);
    bool Bind(const std::string& ip, std::uint16_t port, bool reuseAddress);
    // 1 when readable within the time, else what a read returns for it:
    // kSocketTimeout, or kSocketError with the error recorded.
    int ReadyToRead(int timeoutMs);
    int Fail();    // records errno, returns kSocketError
    bool Failed(); // records errno, returns false
    void Adopt(int fd);
    int Release();

    int m_fd = -1;
    int m_lastError = 0;
};

class TcpStream : public Socket {
public:
    // Binds localIp first when given (so that a simulator can speak from
    // 127.0.0.2), then connects within the time.
    bool Connect(const std::string& ip, std::uint16_t port, int timeoutMs, const std::string& localIp = "");
    // Sends every byte, waiting at most timeoutMs in all; false when the
    // time runs out or the connection fails.
    bool SendAll(const void* data, std::size_t length, int timeoutMs = 3000);
    // One send call: bytes sent or kSocketError.
    int Send(const void* data, std::size_t length);
    // Bytes received (> 0), 0 when the peer closed, kSocketTimeout when nothing
    // came within the time (0 polls), kSocketError on failure.
    int Receive(void* buffer, std::size_t length, int timeoutMs);
    bool PeerAddress(SocketAddress& address) const;
    // A wait for readable bytes ends only once this many are waiting (or the
    // peer closed, or the wait's time ran out); the kernel grows the receive
    // buffer to hold them. 1 is the ordinary wait. A receive that does not
    // wait still takes what is there.
    bool SetReceiveLowWater(int bytes);

private:
    friend class TcpListener;
};

class TcpListener : public Socket {
public:
    // Binds (empty ip = any address; port 0 = a free port) with SO_REUSEADDR
    // and listens.
    bool Listen(const std::string& ip, std::uint16_t port, int backlog = 10);
    // 1 with a connection (and the peer's address when asked), kSocketTimeout
    // when none came within the time, kSocketError on failure.
    int Accept(TcpStream& stream, int timeoutMs, SocketAddress* peer = nullptr);
};

class UdpSocket : public Socket {
public:
    bool Open();
    // Opens when needed; empty ip = any address.
    bool Bind(const std::string& ip, std::uint16_t port, bool reuseAddress = true);
    bool SetBroadcast(bool on);
    // Joins a multicast group on the interface of localIp (empty = any).
    bool JoinMulticast(const std::string& group, const std::string& localIp = "");
    bool LeaveMulticast(const std::string& group, const std::string& localIp = "");
    // Hops of the datagrams sent to a group, and whether they come back to
    // this host's own members.
    bool SetMulticastTtl(int ttl);
    bool SetMulticastLoop(bool on);
    // Bytes sent or kSocketError.
    int SendTo(const void* data, std::size_t length, const std::string& ip, std::uint16_t port);
    // Bytes received, kSocketTimeout or kSocketError; from gets the sender.
    int ReceiveFrom(void* buffer, std::size_t length, int timeoutMs, SocketAddress* from = nullptr);
};

} // namespace platform
