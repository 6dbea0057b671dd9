#include "libs/transfer/ProgrammedLink.h"

#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <climits>

namespace vetchel_detail {

namespace {
constexpr int kSendTimeoutMs = 3000;
constexpr int kConnectTimeoutMs = 3000;
constexpr int kAcceptPollMs = 100;
constexpr std::size_t kReceiveChunk = 1024;
} // namespace

// Both classes' SendNetData.
int SendNetData(unsigned socket, const char* data, int length) {
    if (data == nullptr || length <= 0 || socket > static_cast<unsigned>(INT_MAX))
        return 0;
    pollfd p{static_cast<int>(socket), POLLOUT, 0};
    int ready = 0;
    do
        ready = ::poll(&p, 1, kSendTimeoutMs);
    while (ready < 0 && errno == EINTR);
    if (ready != 1 || (p.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0 || (p.revents & POLLOUT) == 0)
        return 0;
    // Never blocks: what the socket cannot take now is a partial send.
    const ssize_t sent =
        ::send(static_cast<int>(socket), data, static_cast<std::size_t>(length), MSG_NOSIGNAL | MSG_DONTWAIT);
    return sent == length ? 1 : 0;
}

// The window and message that packets go to; shared with the relays, so
// that a receive thread left to finish alone never reaches a freed endpoint.
struct LinkWindow {
    std::atomic<platform::HWND> hWnd{0};
    std::atomic<platform::UINT> nMsg{0};
};

// The connection currently delivering on this thread, if any.
thread_local const LinkConnection* tls_delivering = nullptr;

// Receive threads send each packet here; the relay passes it on to the
// attached window on the user-interface thread. Destroying the relay cancels
// a send still queued, so that closing from the user-interface thread can
// wait for the receive thread without waiting on itself.
class LinkRelay : public platform::MessageTarget {
public:
    LinkRelay(std::shared_ptr<LinkWindow> window, LinkConnection* connection)
        : m_window(std::move(window)), m_connection(connection) {}
    ~LinkRelay() override { UnregisterTarget(); }
    platform::LRESULT WindowProc(platform::UINT, platform::WPARAM wParam, platform::LPARAM lParam) override;

private:
    std::shared_ptr<LinkWindow> m_window;
    LinkConnection* m_connection;
};

struct LinkConnection {
    // Closed only when the last user has let go. The receive thread and the
    // closers use the descriptor directly; only senders, one at a time under
    // sendMutex, go through the stream object.
    platform::TcpStream stream;
    std::mutex sendMutex;
    std::atomic<bool> open{true};
    std::unique_ptr<LinkRelay> relay;
    platform::HWND relayHwnd = 0; // set before the receive thread starts
    std::mutex threadMutex;       // guards thread
    std::thread thread;

    // Ends the connection without closing the descriptor: a thread waiting
    // on it wakes up, and no newer socket can take its number meanwhile.
    void Drop() {
        open.store(false);
        ::shutdown(stream.Handle(), SHUT_RDWR);
    }

    // Bytes received (> 0); 0 when the peer closed or the link failed.
    int Receive(std::uint8_t* buffer, std::size_t length) {
        for (;;) {
            pollfd p{stream.Handle(), POLLIN, 0};
            const int ready = ::poll(&p, 1, -1);
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready < 0)
                return 0;
            const ssize_t n = ::recv(stream.Handle(), buffer, length, 0);
            if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK))
                continue;
            return n > 0 ? static_cast<int>(n) : 0;
        }
    }
};

platform::LRESULT LinkRelay::WindowProc(platform::UINT, platform::WPARAM wParam, platform::LPARAM lParam) {
    if (!m_connection->open.load())
        return 0;
    const LinkConnection* outer = tls_delivering;
    tls_delivering = m_connection;
    const platform::LRESULT result =
        platform::SendMessage(m_window->hWnd.load(), m_window->nMsg.load(), wParam, lParam);
    tls_delivering = outer;
    return result;
}

class LinkEndpoint {
public:
    LinkEndpoint() : m_window(std::make_shared<LinkWindow>()) {}

    void Attach(platform::MessageTarget* pWnd) { m_window->hWnd.store(pWnd ? pWnd->GetSafeHwnd() : 0); }
    void AttachMsg(platform::UINT nMsg) { m_window->nMsg.store(nMsg); }

    std::shared_ptr<LinkConnection> MakeConnection(platform::TcpStream&& stream) {
        auto connection = std::make_shared<LinkConnection>();
        connection->stream = std::move(stream);
        connection->relay = std::make_unique<LinkRelay>(m_window, connection.get());
        connection->relayHwnd = connection->relay->GetSafeHwnd();
        return connection;
    }

    // Starts the receive thread; false when it cannot be created.
    static bool Start(const std::shared_ptr<LinkConnection>& connection) {
        std::lock_guard<std::mutex> lock(connection->threadMutex);
        if (!connection->open.load())
            return true; // dropped before it began: nothing to receive
        try {
            connection->thread = std::thread(Receive, connection);
        } catch (const std::system_error&) {
            return false;
        }
        return true;
    }

    // Drops the connection and waits for its receive thread, unless the
    // call comes from that thread's own delivery, which it would wait on:
    // then the thread finishes alone with what it holds.
    static void Stop(const std::shared_ptr<LinkConnection>& connection) {
        if (!connection)
            return;
        connection->Drop();
        std::thread thread;
        {
            std::lock_guard<std::mutex> lock(connection->threadMutex);
            thread = std::move(connection->thread);
        }
        if (!thread.joinable())
            return;
        if (tls_delivering == connection.get() || thread.get_id() == std::this_thread::get_id()) {
            thread.detach();
            return;
        }
        connection->relay.reset(); // cancels a delivery queued for the user-interface thread
        thread.join();
    }

    static int Send(const std::shared_ptr<LinkConnection>& connection, const char* data, int length) {
        if (!connection || !connection->open.load() || data == nullptr || length <= 0)
            return 0;
        std::lock_guard<std::mutex> lock(connection->sendMutex);
        if (SendNetData(static_cast<unsigned>(connection->stream.Handle()), data, length))
            return 1;
        connection->Drop(); // a stuck or failed send leaves the stream in an unknown state
        return 0;
    }

private:
    static void Receive(std::shared_ptr<LinkConnection> connection) {
        CLinkPacketAssembler assembler;
        const platform::HWND relay = connection->relayHwnd;
        std::uint8_t chunk[kReceiveChunk];
        auto deliver = [&](const std::uint8_t* packet, std::size_t length) {
            if (connection->open.load())
                platform::SendMessage(relay, 0, length, reinterpret_cast<platform::LPARAM>(packet));
        };
        while (connection->open.load()) {
            const int received = connection->Receive(chunk, sizeof chunk);
            if (received <= 0 || !assembler.Feed(chunk, static_cast<std::size_t>(received), deliver))
                break;
        }
        connection->Drop();
    }

    std::shared_ptr<LinkWindow> m_window;
};

} // namespace vetchel_detail

using vetchel_detail::kAcceptPollMs;
using vetchel_detail::kConnectTimeoutMs;
using vetchel_detail::LinkEndpoint;

// ---------------------------------------------------------------- client

CProgrammedClient::CProgrammedClient() : m_endpoint(std::make_unique<LinkEndpoint>()) {}

CProgrammedClient::~CProgrammedClient() {
    Close();
}

int CProgrammedClient::InitClient() {
    return 1; // POSIX sockets need no start-up
}

void CProgrammedClient::AttachWnd(platform::MessageTarget* pWnd) {
    m_endpoint->Attach(pWnd);
}

void CProgrammedClient::AttachMsg(platform::UINT nMsg) {
    m_endpoint->AttachMsg(nMsg);
}

int CProgrammedClient::SendNetData(unsigned& socket, const char* data, int length) {
    return vetchel_detail::SendNetData(socket, data, length);
}

int CProgrammedClient::StartConnect(const char* host, int port) {
    if (m_bConnected.load())
        Close();
    if (host == nullptr || port <= 0 || port > 65535)
        return 0;
    std::string ip = host;
    if (ip == "localhost")
        ip = "127.0.0.1";
    std::uint32_t address = 0;
    if (ip.empty() || !platform::ParseIPv4(ip, address))
        return 0;
    platform::TcpStream stream;
    if (!stream.Connect(ip, static_cast<std::uint16_t>(port), kConnectTimeoutMs)) {
        m_nLastError.store(stream.LastError());
        return 0;
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_connection = m_endpoint->MakeConnection(std::move(stream));
    }
    m_bReceiving.store(false);
    m_bConnected.store(true);
    return 1;
}

int CProgrammedClient::IsConnectServer() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_bConnected.load() && m_connection && m_connection->open.load() ? 1 : 0;
}

int CProgrammedClient::StartClient() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_bConnected.load() || !m_connection || m_bReceiving.load())
        return 0;
    if (!LinkEndpoint::Start(m_connection)) {
        m_nLastError.store(EAGAIN);
        return 0;
    }
    m_bReceiving.store(true);
    return 1;
}

int CProgrammedClient::SendNetworkCommand(const char* data, int length) {
    std::shared_ptr<vetchel_detail::LinkConnection> connection;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        connection = m_connection;
    }
    return LinkEndpoint::Send(connection, data, length);
}

void CProgrammedClient::Close() {
    std::shared_ptr<vetchel_detail::LinkConnection> connection;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        connection = std::move(m_connection);
    }
    m_bConnected.store(false);
    m_bReceiving.store(false);
    LinkEndpoint::Stop(connection);
}

// ---------------------------------------------------------------- server

CProgrammedServer::CProgrammedServer() : m_endpoint(std::make_unique<LinkEndpoint>()) {}

CProgrammedServer::~CProgrammedServer() {
    CloseServer();
    CloseClient();
    if (m_transmitThread.joinable())
        m_transmitThread.join();
}

int CProgrammedServer::SendNetData(unsigned& socket, const char* data, int length) {
    return vetchel_detail::SendNetData(socket, data, length);
}

int CProgrammedServer::StartTransmission() {
    if (m_transmitThread.joinable())
        m_transmitThread.join(); // the last one has long ended
    m_bTransmission.store(true);
    try {
        m_transmitThread = std::thread(&CProgrammedServer::TransmitProc, this);
    } catch (const std::system_error& e) {
        m_bTransmission.store(false);
        m_nLastError.store(e.code().value());
        return 0;
    }
    return 1;
}

void CProgrammedServer::TransmitProc(CProgrammedServer*) {}

int CProgrammedServer::InitServer() {
    return 1;
}

void CProgrammedServer::AttachWnd(platform::MessageTarget* pWnd) {
    m_endpoint->Attach(pWnd);
}

void CProgrammedServer::AttachMsg(platform::UINT nMsg) {
    m_endpoint->AttachMsg(nMsg);
}

int CProgrammedServer::CreateServer(int port, int backlog) {
    if (m_bListening.load() || m_acceptThread.joinable())
        CloseServer();
    if (port < 0 || port > 65535)
        return 0;
    auto listener = std::make_unique<platform::TcpListener>();
    // The link is between programs of one machine: never reachable from outside.
    if (!listener->Listen("127.0.0.1", static_cast<std::uint16_t>(port), backlog > 0 ? backlog : 1)) {
        m_nLastError.store(listener->LastError());
        return 0;
    }
    platform::SocketAddress local;
    m_nPort.store(listener->LocalAddress(local) ? local.port : port);
    m_listener = std::move(listener);
    m_bListening.store(true);
    return 1;
}

int CProgrammedServer::StartServer() {
    if (!m_bListening.load() || m_acceptThread.joinable())
        return 0;
    CloseClient();
    try {
        m_acceptThread = std::thread(&CProgrammedServer::AcceptLoop, this);
    } catch (const std::system_error&) {
        m_nLastError.store(EAGAIN);
        return 0;
    }
    return 1;
}

void CProgrammedServer::AcceptLoop() {
    while (m_bListening.load()) {
        platform::TcpStream stream;
        platform::SocketAddress peer;
        const int accepted = m_listener->Accept(stream, kAcceptPollMs, &peer);
        if (accepted == platform::kSocketTimeout)
            continue;
        if (accepted != 1)
            break;
        auto connection = m_endpoint->MakeConnection(std::move(stream));
        std::shared_ptr<vetchel_detail::LinkConnection> previous;
        {
            // The new peer is in place before its first packet can arrive,
            // so that a reply to it goes to it.
            std::lock_guard<std::mutex> lock(m_mutex);
            previous = std::move(m_peer);
            m_peer = connection;
            m_strPeerAddress = peer.ip;
        }
        // The suite has one peer: a new connection replaces the old one.
        LinkEndpoint::Stop(previous);
        if (!LinkEndpoint::Start(connection)) {
            CloseClient();
            break;
        }
    }
}

int CProgrammedServer::SendNetworkCommand(const char* data, int length) {
    std::shared_ptr<vetchel_detail::LinkConnection> connection;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        connection = m_peer;
    }
    return LinkEndpoint::Send(connection, data, length);
}

int CProgrammedServer::IsPeerConnected() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_peer && m_peer->open.load() ? 1 : 0;
}

std::string CProgrammedServer::GetPeerAddress() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_strPeerAddress;
}

void CProgrammedServer::CloseClient() {
    std::shared_ptr<vetchel_detail::LinkConnection> connection;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        connection = std::move(m_peer);
    }
    LinkEndpoint::Stop(connection);
}

void CProgrammedServer::JoinAcceptThread() {
    if (!m_acceptThread.joinable())
        return;
    if (m_acceptThread.get_id() == std::this_thread::get_id())
        m_acceptThread.detach();
    else
        m_acceptThread.join();
}

void CProgrammedServer::CloseServer() {
    m_bListening.store(false);
    if (m_listener)
        m_listener->Shutdown(SHUT_RDWR);
    // The accept thread may be waiting for a replaced peer's receive thread,
    // which may be waiting to deliver: drop the peer first so that nothing
    // waits on the caller.
    CloseClient();
    JoinAcceptThread();
    CloseClient(); // a peer accepted while closing
    m_listener.reset();
}
