// The program's remote-control and data-forwarding server: clients connect
// over TCP, send plain-text commands that reach the main frame as
// WM_REMOTE_COMMAND, and receive the replies and, during a run, the measured
// data as packets.
//
// No network wait ever happens on the caller's thread: replies and data are
// put in each client's outbox and written by the server's own threads (the
// send thread writes the data, a cycle a millisecond at most while they come,
// the output thread what is left over),
// and commands reach the frame through the server's command thread, so that
// a slow or silent client never holds the user-interface thread.
#pragma once

#include "acquisition/PacketQueue.h"
#include "acquisition/RemotePacket.h"
#include "platform/Message.h"
#include "platform/Socket.h"
#include "platform/Sync.h"
#include "platform/WakeSignal.h"
#include "platform/WorkerThread.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class CDataForwardServer {
public:
    static constexpr std::uint16_t kDefaultPort = 2501;
    static constexpr int kMaxQueuedBlocks = 300;
    // Clients served at once. When all places are taken, the client idle
    // longest (no command since it connected or since its last command, for
    // at least kIdleGraceMs) gives its place to the new one, whatever it
    // once sent; when every client is newer or has just spoken, the new one
    // is closed as soon as it is accepted, so that a flood of connections
    // can neither exhaust threads nor lock out real clients.
    static constexpr int kMaxClients = 64;
    static constexpr int kIdleGraceMs = 2000;
    static constexpr int kReceiveSize = 4096;
    // A client that has not taken a whole packet within this time is removed.
    static constexpr int kSendTimeoutMs = 3000;
    // Bytes a client may have waiting in its outbox before it is removed.
    static constexpr std::size_t kMaxOutboxBytes = 4u << 20;
    // Commands of one client waiting for the frame; more are ignored.
    static constexpr int kMaxPendingCommands = 4;

    // floatData selects float32 (1) or 16-bit (0) values in data packets, and
    // whether a new client is greeted (1).
    explicit CDataForwardServer(std::uint16_t port = kDefaultPort, int floatData = 1);
    ~CDataForwardServer();
    CDataForwardServer(const CDataForwardServer&) = delete;
    CDataForwardServer& operator=(const CDataForwardServer&) = delete;

    // The window that receives WM_REMOTE_COMMAND.
    void SetOwner(platform::HWND owner);
    // Opens the port and starts accepting clients; 1 when listening (also
    // when already listening), 0 when the port cannot be opened.
    int StartListenThread();
    // Starts the sender of queued data blocks; 1 when running.
    int StartSendThread();
    // Drops every client and stops accepting; waits only for the server's
    // own threads, which never wait for the caller.
    void Stop();
    // Stops the sender after it has sent what was already queued.
    void StopSendThread();

    // Puts header + payload (any length) in every client's outbox and
    // returns at once; a client that cannot take it in time is removed.
    void BroadcastPacket(std::uint32_t type, std::uint32_t length, const void* payload);
    // Queues one block per module: first channel = module number x 16, 16
    // channels, sampleCount samples copied from values + module index x 16
    // (the caller's array holds at least (modules - 1) x 16 + sampleCount x
    // 16 values). 0 when the sender is not running or more than 300 blocks
    // wait; 1 otherwise, also when there is nothing to queue or no client to
    // send to (then nothing is copied). A block of more than 4,096 values
    // could never be sent and is not queued. The blocks of one call are
    // copied together and made into packets on the sender's thread.
    int QueueDataBlocks(int nModules, const std::int32_t* pModules, int nSampleCount, const float* pValues);
    // Keeps the two values and empties the block queue.
    void SetForwardFormat(std::int32_t nFirst, std::int32_t nSecond);
    // Shuts down every client connection; their threads then remove them.
    void DropAllClients();

    int IsFloatData() const { return m_bFloatData; }
    int IsSendRunning() const { return m_bSendRun.load(); }
    // The port being listened on (the chosen one when constructed with 0).
    std::uint16_t GetListenPort() const { return m_nListenPort.load(); }
    // Connected clients that have not been dropped.
    int GetClientCount();
    int GetQueuedBlockCount() const { return m_nQueuedBlocks.load(); }

private:
    // Tests hold the client-list lock to keep the sender from taking blocks.
    friend struct DataForwardServerProbe;
    struct Client;
    struct CommandRelay;
    // The blocks of one QueueDataBlocks call, in one allocation.
    struct ForwardSet {
        std::vector<std::int32_t> modules;
        std::int32_t nSampleCount = 0;
        std::vector<float> values; // (modules - 1) x 16 + samples x 16
    };
    using ClientPtr = std::shared_ptr<Client>;

    void ListenLoop();
    void ClientLoop(const ClientPtr& client);
    void OutputLoop();
    void SendLoop();

    void AddClient(platform::TcpStream&& stream, const platform::SocketAddress& peer);
    // With every place taken, drops the longest idle client; false when
    // every client has been active within the grace time.
    bool MakeRoomForClient();
    void RemoveClient(const ClientPtr& client);
    void ReapFinishedClients();
    void JoinAllClients();
    void PassCommand(Client& client, int code);
    void Enqueue(const std::shared_ptr<const RemotePacket>& packet);
    // Puts the packet in every outbox and writes what the sockets take now;
    // the output thread is woken only for what they did not take.
    void EnqueueAndFlush(const std::shared_ptr<const RemotePacket>& packet);
    // Writes what each client's socket takes now; true when some client
    // still has bytes waiting.
    bool FlushClients();
    // Sends every queued block; false when there was none.
    bool SendQueuedBlocks();

    const std::uint16_t m_nPort;
    const int m_bFloatData;
    std::atomic<std::int32_t> m_bListenRun{1};
    std::atomic<std::int32_t> m_bSendRun{0};
    std::atomic<std::uint16_t> m_nListenPort{0};
    std::int32_t m_nForwardFormat[2] = {0, 0};

    platform::TcpListener m_listener; // used by the listening thread only while it runs
    platform::WakeSignal m_listenWake; // the stop, or a client's thread ended
    std::thread m_listenThread;
    std::thread m_outputThread;
    std::thread m_sendThread;
    platform::Event m_outputWake; // something was put in an outbox
    platform::Event m_blockWake;  // a block was queued, or the sender is to stop

    platform::CriticalSection m_cs; // guards m_clients
    std::vector<ClientPtr> m_clients;
    std::atomic<int> m_nClients{0};       // m_clients.size(), read without the lock
    std::mutex m_threadsMutex;            // guards m_clientThreads
    std::list<ClientPtr> m_clientThreads; // clients whose thread is not yet joined

    CPacketQueue<ForwardSet> m_blockQueue;
    // Sets the sender has made into packets, for the next calls to fill
    // again: a run queues thousands a second.
    std::mutex m_spareMutex;
    std::vector<std::unique_ptr<ForwardSet>> m_spareSets;
    std::atomic<int> m_nQueuedBlocks{0}; // module blocks in m_blockQueue
    std::shared_ptr<CommandRelay> m_relay;
    platform::WorkerThread m_commandThread;
};
