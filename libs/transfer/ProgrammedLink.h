// The programmed-transfer link: a TCP link between two programs of the
// suite. The server listens on 127.0.0.1 and serves one peer at a time (a
// new peer replaces the old one); the client connects to a host and port.
// Each receiving side rebuilds whole packets from the stream and sends each
// one to the attached window as the attached message, synchronously, with
// wParam = the packet's length and lParam = its bytes (valid only during the
// call). A broken stream (see CLinkPacketAssembler) or a send that has not
// gone out whole within 3 s drops the connection. Results are 1 for success
// and 0 for failure.
#pragma once

#include "libs/transfer/LinkPacket.h"
#include "platform/Message.h"
#include "platform/Socket.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace vetchel_detail {
struct LinkConnection;
class LinkEndpoint;
} // namespace vetchel_detail

class VETCHEL_API CProgrammedClient {
public:
    CProgrammedClient();
    // Closes the link and waits for its receive thread.
    ~CProgrammedClient();
    CProgrammedClient(const CProgrammedClient&) = delete;
    CProgrammedClient& operator=(const CProgrammedClient&) = delete;

    int InitClient();
    void AttachWnd(platform::MessageTarget* pWnd);
    void AttachMsg(platform::UINT nMsg);
    // Closes a current link first; connects within 3 s.
    int StartConnect(const char* host, int port);
    // 1 while connected and the link has not been lost.
    int IsConnectServer() const;
    // Starts the receive thread of the connection made by StartConnect.
    int StartClient();
    int SendNetworkCommand(const char* data, int length);
    void Close();
    int GetLastError() const { return m_nLastError.load(); }

protected:
    // Waits at most 3 s for the socket to take data, then sends it with one
    // call: 1 only when all length bytes went. A time-out, an error or a
    // partial send gives 0; nothing is retried or queued.
    static int SendNetData(unsigned& socket, const char* data, int length);

private:
    std::unique_ptr<vetchel_detail::LinkEndpoint> m_endpoint;
    std::shared_ptr<vetchel_detail::LinkConnection> m_connection; // guarded by m_mutex
    mutable std::mutex m_mutex;
    std::atomic<bool> m_bConnected{false};
    std::atomic<bool> m_bReceiving{false};
    std::atomic<int> m_nLastError{0};
};

class VETCHEL_API CProgrammedServer {
public:
    CProgrammedServer();
    // Closes the peer and the listening socket and waits for every thread.
    ~CProgrammedServer();
    CProgrammedServer(const CProgrammedServer&) = delete;
    CProgrammedServer& operator=(const CProgrammedServer&) = delete;

    int InitServer();
    void AttachWnd(platform::MessageTarget* pWnd);
    void AttachMsg(platform::UINT nMsg);
    // Listens on 127.0.0.1:port (closing a current listener first).
    int CreateServer(int port, int backlog);
    // Starts accepting peers.
    int StartServer();
    // Sends on the current peer's connection.
    int SendNetworkCommand(const char* data, int length);
    void CloseServer();
    int IsListening() const { return m_bListening.load() ? 1 : 0; }
    // 1 while a peer is connected and its link has not been lost.
    int IsPeerConnected() const;
    int GetPort() const { return m_nPort.load(); }
    std::string GetPeerAddress() const;
    int GetLastError() const { return m_nLastError.load(); }
    // Starts the transmission thread, which has nothing to do and ends at
    // once; 0 with the error kept when it cannot be started.
    int StartTransmission();

protected:
    // Drops the current peer.
    void CloseClient();
    // As the client's.
    static int SendNetData(unsigned& socket, const char* data, int length);

private:
    void AcceptLoop();
    void JoinAcceptThread();
    static void TransmitProc(CProgrammedServer* server);

    std::unique_ptr<vetchel_detail::LinkEndpoint> m_endpoint;
    std::unique_ptr<platform::TcpListener> m_listener;      // replaced only with the accept thread stopped
    std::shared_ptr<vetchel_detail::LinkConnection> m_peer; // guarded by m_mutex
    std::string m_strPeerAddress;                           // guarded by m_mutex
    mutable std::mutex m_mutex;
    std::thread m_acceptThread;
    std::thread m_transmitThread; // started and joined by the owner's thread
    std::atomic<bool> m_bListening{false};
    std::atomic<bool> m_bTransmission{false};
    std::atomic<int> m_nPort{-1};
    std::atomic<int> m_nLastError{0};
};
