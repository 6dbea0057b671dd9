// Threads of the remote-control server: the listening thread accepts, one
// thread per client reads its commands, the output thread writes every
// client's outbox without blocking, the send thread turns queued data blocks
// into packets and writes what the sockets take at once, and the command
// thread hands commands to the frame.
#include "acquisition/DataForwardServer.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <deque>
#include <string>
#include <sys/socket.h>
#include <system_error>

namespace {

using Clock = std::chrono::steady_clock;

// A connection, the stop and a client's end wake the listening thread; the
// bound only keeps it from sleeping for ever (and paces it when no wake
// signal could be made).
constexpr int kListenIdleWaitMs = 1000;
constexpr int kListenNapMs = 100;
constexpr int kReceiveWaitMs = 200;
// A queued block and the stop wake the send thread; the wait's bound only
// keeps an idle sender from sleeping for ever.
constexpr int kSendIdleWaitMs = 1000;
// The send thread's rest after a cycle that sent something. While a run
// queues sets it then takes what came meanwhile in one go, instead of being
// woken for each set; the bound on waiting blocks decides what is forwarded.
constexpr auto kSendCyclePause = std::chrono::milliseconds(1);
// Whatever is put in an outbox wakes the output thread; an idle one looks
// again after this long only.
constexpr int kOutputIdleWaitMs = 1000;
constexpr int kOutputBusyWaitMs = 1;
constexpr std::size_t kSpareSets = 4;
constexpr std::uint32_t kCommandStopWaitMs = 200;

// One command on its way to the frame; frees its client's slot when done.
struct PendingCommand {
    std::shared_ptr<std::atomic<int>> pCount;
};

} // namespace

struct CDataForwardServer::CommandRelay {
    std::atomic<platform::HWND> hOwner{0};
    std::atomic<bool> bStopping{false};
};

struct CDataForwardServer::Client {
    std::string strIp;
    std::uint16_t nPort = 0;
    // Its methods are used by the client's own thread only; the others use
    // the descriptor, which stays open until the last holder lets go.
    platform::TcpStream socket;
    std::thread thread;
    std::atomic<bool> bDropped{false};
    std::atomic<bool> bFinished{false};
    // When it connected or last sent a command (steady clock ticks): the
    // client idle longest may give its place to a new client.
    std::atomic<Clock::rep> nLastActive{Clock::now().time_since_epoch().count()};
    std::shared_ptr<std::atomic<int>> pPendingCommands = std::make_shared<std::atomic<int>>(0);

    std::mutex outMutex; // guards outbox, nHeadOffset, nOutboxBytes and headSince
    std::deque<std::shared_ptr<const RemotePacket>> outbox;
    std::size_t nHeadOffset = 0;
    std::size_t nOutboxBytes = 0;
    Clock::time_point headSince;

    // Shutting down wakes the client's thread, which then removes it.
    void Drop() {
        if (!bDropped.exchange(true))
            ::shutdown(socket.Handle(), SHUT_RDWR);
    }

    void Push(const std::shared_ptr<const RemotePacket>& packet) {
        std::lock_guard<std::mutex> lock(outMutex);
        if (bDropped.load())
            return;
        if (nOutboxBytes + packet->size() > kMaxOutboxBytes) {
            Drop();
            return;
        }
        if (outbox.empty())
            headSince = Clock::now();
        outbox.push_back(packet);
        nOutboxBytes += packet->size();
    }

    // Writes what the socket takes now; true when bytes are still waiting.
    bool Flush() {
        std::lock_guard<std::mutex> lock(outMutex);
        while (!outbox.empty() && !bDropped.load()) {
            const RemotePacket& head = *outbox.front();
            const ssize_t n = ::send(socket.Handle(), head.data() + nHeadOffset, head.size() - nHeadOffset,
                                     MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
                Drop();
                break;
            }
            if (n < 0) {
                if (Clock::now() - headSince > std::chrono::milliseconds(kSendTimeoutMs))
                    Drop();
                break;
            }
            nHeadOffset += static_cast<std::size_t>(n);
            if (nHeadOffset == head.size()) {
                nOutboxBytes -= head.size();
                nHeadOffset = 0;
                outbox.pop_front();
                headSince = Clock::now();
            }
        }
        if (bDropped.load()) {
            outbox.clear();
            nOutboxBytes = 0;
        }
        return !outbox.empty();
    }
};

CDataForwardServer::CDataForwardServer(std::uint16_t port, int floatData)
    : m_nPort(port), m_bFloatData(floatData ? 1 : 0), m_relay(std::make_shared<CommandRelay>()) {
    // The handlers hold only the relay, so that a command thread still
    // waiting on the frame after Stop can finish alone.
    auto relay = m_relay;
    m_commandThread.SetMessageHandler(
        [relay](platform::UINT, platform::WPARAM code, platform::LPARAM lParam) {
            std::unique_ptr<PendingCommand> command(reinterpret_cast<PendingCommand*>(lParam));
            if (!relay->bStopping.load())
                platform::SendMessage(relay->hOwner.load(), WM_REMOTE_COMMAND, code, 0);
            --*command->pCount;
        });
    m_commandThread.SetDrainHandler([](const platform::ThreadMessage& msg) {
        std::unique_ptr<PendingCommand> command(reinterpret_cast<PendingCommand*>(msg.lParam));
        --*command->pCount;
    });
}

CDataForwardServer::~CDataForwardServer() {
    StopSendThread();
    Stop();
}

void CDataForwardServer::SetOwner(platform::HWND owner) {
    m_relay->hOwner.store(owner);
}

int CDataForwardServer::StartListenThread() {
    if (m_listenThread.joinable())
        return 1;
    if (!m_listener.Listen("", m_nPort, INT_MAX))
        return 0;
    platform::SocketAddress local;
    m_listener.LocalAddress(local);
    m_nListenPort.store(local.port);
    m_bListenRun.store(1);
    m_listenWake.Open();
    m_listenWake.Reset();
    m_relay->bStopping.store(false);
    m_commandThread.Start();
    try {
        m_outputThread = std::thread(&CDataForwardServer::OutputLoop, this);
        m_listenThread = std::thread(&CDataForwardServer::ListenLoop, this);
    } catch (const std::system_error&) {
        Stop();
        return 0;
    }
    return 1;
}

int CDataForwardServer::StartSendThread() {
    if (m_sendThread.joinable())
        return 1;
    m_bSendRun.store(1);
    try {
        m_sendThread = std::thread(&CDataForwardServer::SendLoop, this);
    } catch (const std::system_error&) {
        m_bSendRun.store(0);
        return 0;
    }
    return 1;
}

void CDataForwardServer::Stop() {
    m_bListenRun.store(0);
    m_listenWake.Set();
    DropAllClients();
    if (m_listenThread.joinable())
        m_listenThread.join();
    JoinAllClients();
    m_outputWake.Set();
    if (m_outputThread.joinable())
        m_outputThread.join();
    m_listener.Close();
    // The command thread may be waiting for the frame, which may be the
    // caller: wait a little, then let it finish alone.
    m_relay->bStopping.store(true);
    if (!m_commandThread.Stop(kCommandStopWaitMs))
        m_commandThread.Detach();
}

void CDataForwardServer::StopSendThread() {
    m_bSendRun.store(0);
    m_blockWake.Set();
    if (m_sendThread.joinable())
        m_sendThread.join();
}

void CDataForwardServer::BroadcastPacket(std::uint32_t type, std::uint32_t length, const void* payload) {
    Enqueue(std::make_shared<const RemotePacket>(BuildReplyPacket(type, payload, length)));
}

int CDataForwardServer::QueueDataBlocks(int nModules, const std::int32_t* pModules, int nSampleCount,
                                        const float* pValues) {
    if (!m_bSendRun.load() || m_nQueuedBlocks.load() > kMaxQueuedBlocks)
        return 0;
    if (nModules < 1 || !pModules || !pValues || nSampleCount < 1 ||
        nSampleCount > kForwardMaxValues / kForwardChansPerBlock)
        return 1;
    if (m_nClients.load() == 0)
        return 1; // nobody to send to: no copy, no packet
    const std::size_t values = static_cast<std::size_t>(nModules - 1 + nSampleCount) * kForwardChansPerBlock;
    std::unique_ptr<ForwardSet> set;
    {
        std::lock_guard<std::mutex> lock(m_spareMutex);
        if (!m_spareSets.empty()) {
            set = std::move(m_spareSets.back());
            m_spareSets.pop_back();
        }
    }
    if (!set)
        set = std::make_unique<ForwardSet>();
    set->modules.assign(pModules, pModules + nModules);
    set->nSampleCount = nSampleCount;
    set->values.assign(pValues, pValues + values);
    m_nQueuedBlocks += nModules;
    m_blockQueue.AddTail(std::move(set));
    m_blockWake.Set();
    return 1;
}

void CDataForwardServer::SetForwardFormat(std::int32_t nFirst, std::int32_t nSecond) {
    m_nForwardFormat[0] = nFirst;
    m_nForwardFormat[1] = nSecond;
    CPacketQueue<ForwardSet>::EntryList dropped;
    m_blockQueue.TakeAll(dropped);
    for (const auto& set : dropped)
        m_nQueuedBlocks -= static_cast<int>(set->modules.size());
}

void CDataForwardServer::DropAllClients() {
    std::lock_guard<platform::CriticalSection> lock(m_cs);
    for (const ClientPtr& client : m_clients)
        client->Drop();
}

int CDataForwardServer::GetClientCount() {
    std::lock_guard<platform::CriticalSection> lock(m_cs);
    int count = 0;
    for (const ClientPtr& client : m_clients)
        count += client->bDropped.load() ? 0 : 1;
    return count;
}

// ---- listening and clients ----

void CDataForwardServer::ListenLoop() {
    while (m_bListenRun.load()) {
        ReapFinishedClients();
        const bool wakeable = m_listenWake.Handle() >= 0;
        const int ready = m_listener.WaitReadable(wakeable ? kListenIdleWaitMs : kListenNapMs, m_listenWake);
        if (ready == platform::kSocketWoken) {
            m_listenWake.Reset();
            continue;
        }
        if (ready == 0)
            continue;
        platform::TcpStream stream;
        platform::SocketAddress peer;
        const int result = ready == 1 ? m_listener.Accept(stream, 0, &peer) : platform::kSocketError;
        if (result == 1)
            AddClient(std::move(stream), peer);
        else if (result == platform::kSocketError)
            std::this_thread::sleep_for(std::chrono::milliseconds(10)); // e.g. out of descriptors
    }
}

void CDataForwardServer::AddClient(platform::TcpStream&& stream, const platform::SocketAddress& peer) {
    ReapFinishedClients();
    std::lock_guard<std::mutex> threadsLock(m_threadsMutex);
    // Served clients count; the threads of those that left are ending.
    if (m_clientThreads.size() >= static_cast<std::size_t>(2 * kMaxClients) || !MakeRoomForClient())
        return; // the stream closes here
    auto client = std::make_shared<Client>();
    client->strIp = peer.ip;
    client->nPort = peer.port;
    client->socket = std::move(stream);
    client->socket.SetNonBlocking(true);
    if (m_bFloatData)
        client->Push(std::make_shared<const RemotePacket>(BuildGreetingPacket()));
    {
        std::lock_guard<platform::CriticalSection> lock(m_cs);
        m_clients.push_back(client);
        m_nClients.store(static_cast<int>(m_clients.size()));
    }
    try {
        client->thread = std::thread(&CDataForwardServer::ClientLoop, this, client);
    } catch (const std::system_error&) {
        RemoveClient(client);
        return;
    }
    m_clientThreads.push_back(client);
    m_outputWake.Set();
}

bool CDataForwardServer::MakeRoomForClient() {
    std::lock_guard<platform::CriticalSection> lock(m_cs);
    int live = 0;
    Client* oldestIdle = nullptr;
    Clock::rep oldest = 0;
    const Clock::rep idleBefore =
        (Clock::now() - std::chrono::milliseconds(kIdleGraceMs)).time_since_epoch().count();
    for (const ClientPtr& client : m_clients) {
        if (client->bDropped.load())
            continue;
        ++live;
        const Clock::rep active = client->nLastActive.load();
        if (active <= idleBefore && (!oldestIdle || active < oldest)) {
            oldestIdle = client.get();
            oldest = active;
        }
    }
    if (live < kMaxClients)
        return true;
    if (!oldestIdle)
        return false;
    oldestIdle->Drop(); // its thread removes it from the list
    return true;
}

void CDataForwardServer::ClientLoop(const ClientPtr& client) {
    std::uint8_t buffer[kReceiveSize];
    while (m_bListenRun.load() && !client->bDropped.load()) {
        const int n = client->socket.Receive(buffer, sizeof buffer, kReceiveWaitMs);
        if (n == platform::kSocketTimeout)
            continue;
        if (n <= 0)
            break; // the client went away
        const int code = MatchRemoteCommand(buffer, static_cast<std::size_t>(n));
        if (code != 0) {
            client->nLastActive.store(Clock::now().time_since_epoch().count());
            PassCommand(*client, code);
        }
    }
    RemoveClient(client);
    client->bFinished.store(true);
    m_listenWake.Set(); // its thread is joined now, not at the next connection
}

void CDataForwardServer::RemoveClient(const ClientPtr& client) {
    std::lock_guard<platform::CriticalSection> lock(m_cs);
    client->Drop();
    for (auto it = m_clients.begin(); it != m_clients.end(); ++it) {
        if (*it == client) {
            m_clients.erase(it);
            break;
        }
    }
    m_nClients.store(static_cast<int>(m_clients.size()));
}

void CDataForwardServer::ReapFinishedClients() {
    std::lock_guard<std::mutex> lock(m_threadsMutex);
    for (auto it = m_clientThreads.begin(); it != m_clientThreads.end();) {
        if ((*it)->bFinished.load()) {
            (*it)->thread.join();
            it = m_clientThreads.erase(it);
        } else {
            ++it;
        }
    }
}

void CDataForwardServer::JoinAllClients() {
    std::lock_guard<std::mutex> lock(m_threadsMutex);
    for (const ClientPtr& client : m_clientThreads) {
        client->Drop();
        client->thread.join();
    }
    m_clientThreads.clear();
}

void CDataForwardServer::PassCommand(Client& client, int code) {
    if (client.pPendingCommands->load() >= kMaxPendingCommands)
        return;
    ++*client.pPendingCommands;
    auto* command = new PendingCommand{client.pPendingCommands};
    if (!m_commandThread.PostThreadMessage(WM_REMOTE_COMMAND, static_cast<platform::WPARAM>(code),
                                           reinterpret_cast<platform::LPARAM>(command))) {
        delete command;
        --*client.pPendingCommands;
    }
}

// ---- output ----

void CDataForwardServer::Enqueue(const std::shared_ptr<const RemotePacket>& packet) {
    {
        std::lock_guard<platform::CriticalSection> lock(m_cs);
        for (const ClientPtr& client : m_clients)
            client->Push(packet);
    }
    m_outputWake.Set();
}

void CDataForwardServer::EnqueueAndFlush(const std::shared_ptr<const RemotePacket>& packet) {
    // Written here rather than by the output thread: the data of a run come
    // thousands of times a second, and a wake of that thread for each costs
    // more than the writes, which never wait.
    std::vector<ClientPtr> clients;
    {
        std::lock_guard<platform::CriticalSection> lock(m_cs);
        for (const ClientPtr& client : m_clients)
            client->Push(packet);
        clients = m_clients;
    }
    bool waiting = false;
    for (const ClientPtr& client : clients)
        waiting = client->Flush() || waiting;
    if (waiting)
        m_outputWake.Set();
}

bool CDataForwardServer::FlushClients() {
    std::vector<ClientPtr> clients;
    {
        std::lock_guard<platform::CriticalSection> lock(m_cs);
        clients = m_clients;
    }
    bool waiting = false;
    for (const ClientPtr& client : clients)
        waiting = client->Flush() || waiting;
    return waiting;
}

void CDataForwardServer::OutputLoop() {
    while (m_bListenRun.load()) {
        const bool waiting = FlushClients();
        m_outputWake.Wait(waiting ? kOutputBusyWaitMs : kOutputIdleWaitMs);
    }
}

bool CDataForwardServer::SendQueuedBlocks() {
    CPacketQueue<ForwardSet>::EntryList sets;
    m_blockQueue.TakeAll(sets);
    if (sets.empty())
        return false;
    // The packets of everything taken go out back to back: one buffer, one
    // pass over the clients and one wake of the output thread.
    std::size_t bytes = 0;
    for (const auto& set : sets)
        bytes += set->modules.size() * (sizeof(RemotePacketHeader) + sizeof(ForwardBlockHead) +
                                        std::size_t(kForwardChansPerBlock) * set->nSampleCount * 4);
    auto packets = std::make_shared<RemotePacket>();
    packets->reserve(bytes);
    for (const auto& set : sets) {
        const std::int64_t values = static_cast<std::int64_t>(kForwardChansPerBlock) * set->nSampleCount;
        for (std::size_t i = 0; i < set->modules.size() && values <= kForwardMaxValues; ++i) {
            const ForwardBlockHead head{
                static_cast<std::int32_t>(static_cast<std::uint32_t>(set->modules[i]) * 16u),
                kForwardChansPerBlock, set->nSampleCount};
            AppendDataPacket(*packets, head, set->values.data() + i * kForwardChansPerBlock,
                             static_cast<std::size_t>(values), m_bFloatData != 0);
        }
        m_nQueuedBlocks -= static_cast<int>(set->modules.size());
    }
    {
        std::lock_guard<std::mutex> lock(m_spareMutex);
        for (auto& set : sets) {
            if (m_spareSets.size() >= kSpareSets)
                break;
            m_spareSets.push_back(std::move(set));
        }
    }
    if (!packets->empty())
        EnqueueAndFlush(packets);
    return true;
}

void CDataForwardServer::SendLoop() {
    while (m_bSendRun.load()) {
        if (m_nQueuedBlocks.load() == 0)
            m_blockWake.Wait(kSendIdleWaitMs);
        if (SendQueuedBlocks() && m_bSendRun.load())
            std::this_thread::sleep_for(kSendCyclePause);
    }
    // What was accepted before the stop still goes out.
    SendQueuedBlocks();
}
