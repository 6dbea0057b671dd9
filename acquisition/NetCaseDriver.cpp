// Network case driver: listening, links, settings handed to the links and
// the management threads.
#include "acquisition/NetCaseDriver.h"

#include "platform/DebugLog.h"
#include "platform/Profile.h"
#include "platform/Time.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>

#include <poll.h>
#include <sys/socket.h>

std::atomic<std::int32_t> g_bLinkWatchEnabled{1};
std::atomic<std::int32_t> g_bStopProcessing{0};

namespace {

std::string TimeText() {
    return platform::FormatLogTimeStamp();
}

} // namespace

CNetCaseDriver::CNetCaseDriver(CCaseProtocol3* encoder, CaseLinkHost* host)
    : m_pEncoder(encoder), m_pHost(host) {}

CNetCaseDriver::~CNetCaseDriver() {
    StopProcessingThread();
    StopWatchdog();
    m_bNetworkRun = false;
    if (m_networkThread.joinable())
        m_networkThread.join();
    m_listener.Close();
    std::vector<std::shared_ptr<CCaseLink>> links;
    {
        std::lock_guard<platform::CriticalSection> lock(m_csLinks);
        links.swap(m_links);
    }
    for (auto& link : links) {
        link->SetReceiving(0);
        link->ShutdownSocket();
    }
    m_startThreads.clear();
}

void CNetCaseDriver::Trace(const std::string& logName, const std::string& text) {
    m_pHost->WriteLogFile(logName, text);
}

platform::LRESULT CNetCaseDriver::WindowProc(platform::UINT message, platform::WPARAM wParam,
                                             platform::LPARAM lParam) {
    switch (message) {
    case kLinkNotify:
        OnLinkNotify();
        return 0;
    case kReceiveNotify:
        // Receiving data never opens a message box: the data is read by its link.
        return 0;
    case kBlockReceived:
        OnBlockReceived(static_cast<int>(wParam), reinterpret_cast<const std::uint8_t*>(lParam));
        return 0;
    case platform::WM_TIMER:
        OnTimer(static_cast<int>(wParam));
        return 0;
    default:
        return 0;
    }
}

int CNetCaseDriver::Listen(std::uint16_t port, platform::HWND owner) {
    m_hOwner = owner;
    if (m_bNetworkRun.load())
        return 1; // already listening; a new owner takes the messages from now on
    if (!m_listener.Listen("", port, 10))
        return 0;
    platform::SocketAddress local;
    m_listener.LocalAddress(local);
    m_nListenPort = local.port;
    m_bNetworkRun = true;
    m_networkThread = std::thread([this] { NetworkThread(); });
    platform::SendMessage(m_hOwner, kListening, 0, 0);
    return 1;
}

// Watches the listener and the idle links; a pending connection is accepted
// on the user-interface thread, as the original socket notification was.
void CNetCaseDriver::NetworkThread() {
    constexpr int kSilentCheckRounds = 25; // about half a second
    constexpr int kRunLookMs = 250;
    int round = 0;
    while (m_bNetworkRun.load()) {
        if (++round >= kSilentCheckRounds) {
            round = 0;
            if (CloseSilentLinks() > 0)
                RemoveClosedLinks();
        }
        std::vector<pollfd> fds{{m_listener.Handle(), POLLIN, 0}};
        std::vector<std::shared_ptr<CCaseLink>> idle;
        for (auto& link : SnapshotLinks()) {
            if (!link->IsReceiving() && !link->IsPeerClosed() && link->GetSocket().IsOpen()) {
                fds.push_back({link->GetSocket().Handle(), POLLIN, 0});
                idle.push_back(link);
            }
        }
        // Idle links are looked at every 20 ms. During a run, when every
        // link reads its own stream (and none can be silent), only a
        // connection wakes the thread, and a link that has ended its run
        // joins the look within a quarter second.
        if (::poll(fds.data(), fds.size(), idle.empty() ? kRunLookMs : 20) <= 0)
            continue;
        if ((fds[0].revents & POLLIN) && !m_bAcceptPosted.exchange(true)) {
            if (!platform::PostMessage(GetSafeHwnd(), kLinkNotify))
                m_bAcceptPosted = false;
        }
        bool readable = false;
        bool closed = false;
        for (std::size_t i = 0; i < idle.size(); ++i) {
            if (fds[i + 1].revents & (POLLIN | POLLHUP | POLLERR)) {
                idle[i]->OnReceive(0);
                readable = true;
                closed = closed || idle[i]->IsPeerClosed();
            }
        }
        idle.clear();
        if (closed)
            RemoveClosedLinks();
        if (readable)
            platform::Sleep(5); // a link busy with an operation reads its own bytes
    }
}

int CNetCaseDriver::RemoveClosedLinks() {
    std::vector<std::shared_ptr<CCaseLink>> closed;
    int count = 0;
    {
        std::lock_guard<platform::CriticalSection> lock(m_csLinks);
        const auto gone = std::stable_partition(m_links.begin(), m_links.end(), [](const auto& link) {
            return !(link->IsPeerClosed() && !link->IsReceiving() && link->GetModuleCount() == 0);
        });
        closed.assign(std::make_move_iterator(gone), std::make_move_iterator(m_links.end()));
        m_links.erase(gone, m_links.end());
        count = static_cast<int>(m_links.size());
    }
    if (closed.empty())
        return 0;
    m_pSampleSignal->Notify();
    for (auto& link : closed) {
        Trace(link->GetAddress(), TimeText() + " Closed");
        link->ShutdownSocket();
    }
    // The owner keeps the connection count; posted, so that the network
    // thread never waits for the user-interface thread.
    platform::PostMessage(m_hOwner, kLinkCount, static_cast<platform::WPARAM>(count), 0);
    const int freed = static_cast<int>(closed.size());
    closed.clear(); // the last reference but an operation's frees the link, its threads and buffers
    return freed;
}

int CNetCaseDriver::CloseSilentLinks() {
    const auto nowMs = static_cast<std::int64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                                     std::chrono::steady_clock::now().time_since_epoch())
                                                     .count());
    std::vector<std::shared_ptr<CCaseLink>> silent;
    for (auto& link : SnapshotLinks()) {
        if (!link->HasAnswered() && !link->IsReceiving() && !link->IsPeerClosed())
            silent.push_back(link);
    }
    std::vector<std::shared_ptr<CCaseLink>> closing;
    std::erase_if(silent, [&](const auto& link) {
        const std::int64_t asked = link->GetUnansweredSinceMs();
        if (asked == 0 || nowMs - asked < m_nSilentTimeoutMs.load())
            return false;
        closing.push_back(link);
        return true;
    });
    if (static_cast<int>(silent.size()) > kMaxSilentLinks) {
        std::stable_sort(silent.begin(), silent.end(), [](const auto& a, const auto& b) {
            return a->GetConnectedAtMs() < b->GetConnectedAtMs();
        });
        closing.insert(closing.end(), silent.begin(), silent.end() - kMaxSilentLinks);
    }
    for (auto& link : closing) {
        Trace(link->GetAddress(), TimeText() + " Silent");
        link->ShutdownSocket();
    }
    return static_cast<int>(closing.size());
}

std::vector<std::shared_ptr<CCaseLink>> CNetCaseDriver::SnapshotLinks() {
    std::lock_guard<platform::CriticalSection> lock(m_csLinks);
    return m_links;
}

std::vector<std::shared_ptr<CCaseLink>> CNetCaseDriver::SnapshotLiveLinks() {
    std::vector<std::shared_ptr<CCaseLink>> live = SnapshotLinks();
    std::erase_if(live, [](const auto& link) { return link->IsPeerClosed(); });
    return live;
}

void CNetCaseDriver::SendAddress(platform::UINT message, const std::string& address) {
    const std::string copy = address; // the owner reads it during the call
    platform::SendMessage(m_hOwner, message, 0, reinterpret_cast<platform::LPARAM>(&copy));
}

void CNetCaseDriver::OnLinkNotify() {
    m_bAcceptPosted = false;
    for (;;) {
        platform::TcpStream stream;
        platform::SocketAddress peer;
        if (m_listener.Accept(stream, 0, &peer) != 1)
            return;
        auto link = std::make_shared<CCaseLink>(m_pEncoder, m_pHost);
        link->Attach(std::move(stream), peer.ip);
        link->LoadMapId();
        link->SetAlive(1);
        link->SetSilenceLimit(m_nWatchPeriodMs.load());
        link->SetLinkEvents(m_pLinkEvents);
        AddLink(link);
        // A flood of connections that never answer stays bounded.
        if (CloseSilentLinks() > 0)
            RemoveClosedLinks();
    }
}

bool CNetCaseDriver::AddLink(const std::shared_ptr<CCaseLink>& link) {
    bool relinked = false;
    int count = 0;
    link->SetSampleSignal(m_pSampleSignal);
    {
        std::lock_guard<platform::CriticalSection> lock(m_csLinks);
        const int index = FindLinkByAddress(link->GetAddress());
        if (index >= 0) {
            RelinkCase(static_cast<std::size_t>(index), link);
            relinked = true;
        } else {
            m_links.push_back(link);
        }
        count = static_cast<int>(m_links.size());
    }
    m_pSampleSignal->Notify(); // a set may wait no longer for the link this one replaced
    Trace(link->GetAddress(), TimeText() + (relinked ? " Relink" : " Link"));
    SendAddress(kCaseLinked, link->GetAddress());
    if (!relinked)
        platform::SendMessage(m_hOwner, kLinkCount, static_cast<platform::WPARAM>(count), 0);
    return relinked;
}

// Called under m_csLinks: the new link takes the dropped one's place and state.
void CNetCaseDriver::RelinkCase(std::size_t index, const std::shared_ptr<CCaseLink>& link) {
    std::shared_ptr<CCaseLink> old = m_links[index];
    link->CopyStateFrom(*old);
    // A machine number set since the first connection takes effect now.
    link->LoadMapId();
    old->SetReceiving(0);
    // The run's files go on with the new connection, behind the gap.
    if (link->IsReceiving())
        link->TakeRunFrom(*old);
    old->ShutdownSocket();
    m_links[index] = link;
    link->MarkRelink();
    m_pLinkEvents->Signal();
    if (link->IsReceiving()) {
        // Not alive until it is started again and sends: the watchdog
        // reports the case meanwhile, and no set waits for it.
        link->SetAlive(0);
        auto thread = std::make_unique<CManageThread>();
        if (thread->Start()) {
            auto* block = new CManageThread::Block{link};
            if (thread->PostOperation(CManageThread::kStartSampling, block))
                m_startThreads.push_back(std::move(thread));
            else
                delete block;
        }
    }
}

void CNetCaseDriver::OnBlockReceived(int length, const std::uint8_t* bytes) {
    if (length <= 0 || length > CCaseLink::kBufferSize || bytes == nullptr)
        return;
    CaseLinkQueue::Packet packet;
    packet.data.assign(bytes, bytes + length);
    m_blockQueue.AddTail(std::move(packet), kBlockQueueLimit);
}

void CNetCaseDriver::OnTimer(int id) {
    if (id != kAddressTimer)
        return;
    // Announces every linked case again, one at a time.
    for (const std::string& address : GetLinkedCaseIps()) {
        SendAddress(kCaseLinked, address);
        platform::Sleep(100);
    }
}

int CNetCaseDriver::SetSingleChannelParams(int channel) {
    if (channel < 0 || channel >= kSystemChannels)
        return 0;
    for (auto& link : SnapshotLinks()) {
        if (link->HasModule(channel / 16))
            return link->SendSingleChannelParam(channel);
    }
    return 0;
}

int CNetCaseDriver::GetLinkCount() {
    std::lock_guard<platform::CriticalSection> lock(m_csLinks);
    return static_cast<int>(m_links.size());
}

int CNetCaseDriver::FindLinkByAddress(const std::string& address) {
    std::lock_guard<platform::CriticalSection> lock(m_csLinks);
    for (std::size_t i = 0; i < m_links.size(); ++i) {
        if (m_links[i]->GetAddress() == address)
            return static_cast<int>(i);
    }
    return -1;
}

std::shared_ptr<CCaseLink> CNetCaseDriver::GetLink(int index) {
    std::lock_guard<platform::CriticalSection> lock(m_csLinks);
    if (index < 0 || index >= static_cast<int>(m_links.size()))
        return nullptr;
    return m_links[static_cast<std::size_t>(index)];
}

int CNetCaseDriver::CountPresentModules(std::int32_t present[kModuleCount]) {
    int count = 0;
    for (auto& link : SnapshotLiveLinks()) {
        for (int i = 0; i < kModuleCount; ++i) {
            if (link->HasModule(i) && !present[i]) {
                present[i] = 1;
                ++count;
            }
        }
    }
    return count;
}

std::vector<CaseTableRecord> CNetCaseDriver::GetCaseTable() {
    std::vector<CaseTableRecord> table;
    for (auto& link : SnapshotLiveLinks()) {
        CaseTableRecord record;
        record.nCaseNo = link->GetCaseNo();
        std::int32_t list[CCaseLink::kMaxModules];
        record.nModules = std::min(8, link->CopyModuleList(list));
        std::copy(list, list + record.nModules, record.nModuleSlot);
        record.strAddress = link->GetAddress();
        table.push_back(record);
    }
    return table;
}

std::vector<std::string> CNetCaseDriver::GetLinkedCaseIps() {
    std::vector<std::string> ips;
    for (auto& link : SnapshotLinks())
        ips.push_back(link->GetAddress());
    return ips;
}

int CNetCaseDriver::CheckDuplicateCaseNumbers() {
    // Only cases that answered the search count: a connection that said
    // nothing holds no modules, whatever number its address maps to.
    auto links = SnapshotLiveLinks();
    std::erase_if(links, [](const auto& link) { return link->GetModuleCount() == 0; });
    for (std::size_t i = 0; i < links.size(); ++i) {
        for (std::size_t j = i + 1; j < links.size(); ++j) {
            if (links[i]->GetCaseNo() == links[j]->GetCaseNo()) {
                char text[128];
                std::snprintf(text, sizeof text, "检测到多个%d号机，请检查控制器设置。",
                              links[i]->GetCaseNo() + 1);
                m_pHost->ShowMessage(text);
                return 0;
            }
        }
    }
    return 1;
}

int CNetCaseDriver::GetModuleVersionRange(int& highest) {
    highest = 1;
    int result = 2;
    for (auto& link : SnapshotLiveLinks()) {
        if (link->GetModuleCount() == 0)
            continue;
        const int version = link->FirstModuleVersion();
        if (version == 1)
            result = 1;
        highest = std::max(highest, version);
    }
    return result;
}

// ---- Settings handed to every link -----------------------------------------

void CNetCaseDriver::SetCaseDataFile(const std::string& folder, const std::string& name) {
    for (auto& link : SnapshotLinks())
        link->SetCaseDataFile(folder, name);
}

void CNetCaseDriver::SetCaseOption(std::uint8_t flag, std::int32_t value) {
    for (auto& link : SnapshotLinks())
        link->SetCaseOption(flag, value);
}

void CNetCaseDriver::SetCaseDataSaving(int flag) {
    for (auto& link : SnapshotLinks())
        link->SetCaseDataSaving(flag);
}

void CNetCaseDriver::SetSampleMode(int mode) {
    m_nSampleMode = mode;
    for (auto& link : SnapshotLinks())
        link->SetSampleMode(mode);
}

void CNetCaseDriver::SetSampleParams(const std::int32_t params[20]) {
    // The sampling frequency bounds how far a case may run ahead: two
    // seconds of samples before the cases are realigned.
    float rate = 0.0f;
    std::memcpy(&rate, &params[12], sizeof rate);
    m_fFactor = std::isfinite(rate) && rate > 0.0f ? rate : 1.0f;
    const auto links = SnapshotLinks();
    for (auto& link : links)
        link->SetSampleParams(params);
    // Each case gets 200 ms to take its parameters before the next command
    // that depends on them. The cases take them on their own, so their
    // pauses overlap: without clock synchronisation every case is sent its
    // parameters at once; with it the clock followers first, all together,
    // and the clock master once their pause is over.
    const bool clockSync = m_pHost->IsClkSyncMode();
    for (std::size_t i = 0; i < links.size(); ++i) {
        const bool clockMaster = !clockSync || i + 1 == links.size();
        if (clockMaster && clockSync && i > 0)
            platform::Sleep(200);
        links[i]->SendSampleParam(clockMaster ? 1 : 2);
    }
}

int CNetCaseDriver::SetDataMode(int mode) {
    int result = 0;
    for (auto& link : SnapshotLinks()) {
        link->SetDataMode(mode);
        result = link->SendCmd37(mode);
    }
    return result;
}

int CNetCaseDriver::SendModuleCmdF0(const std::string& address, platform::HWND window) {
    auto link = GetLink(FindLinkByAddress(address));
    return link ? link->SendModuleCmdF0(window) : 0;
}

int CNetCaseDriver::SendModuleCmdF1(const std::string& address, platform::HWND window,
                                    const std::uint8_t block[21]) {
    auto link = GetLink(FindLinkByAddress(address));
    return link ? link->SendModuleCmdF1(window, block) : 0;
}

int CNetCaseDriver::SendModuleCmdF2(const std::string& address, platform::HWND window,
                                    const std::uint8_t block[13]) {
    auto link = GetLink(FindLinkByAddress(address));
    return link ? link->SendModuleCmdF2(window, block) : 0;
}

int CNetCaseDriver::SetChannelParams(const std::vector<int>& channels) {
    // Each link gets the channels of its case, numbered within the case.
    int result = 1;
    for (auto& link : SnapshotLinks()) {
        std::vector<int> own;
        for (int c : channels) {
            if (c / 128 == link->GetCaseNo())
                own.push_back(c % 128);
        }
        if (!own.empty() && !link->SendChannelParamCmd(own))
            result = 0;
    }
    return result;
}

int CNetCaseDriver::SendCaseCommand36(int channelId) {
    for (auto& link : SnapshotLinks()) {
        if (link->HasModule(channelId / 16)) {
            link->SetModuleChannel(channelId);
            return link->SendModuleChannelCmd(channelId);
        }
    }
    return 0;
}

int CNetCaseDriver::SendCorrectionCoef(int channel, int b1, int b2, std::int32_t value) {
    // Only the link of the channel's own case may take it; a case that has
    // gone takes nothing, and the caller hears of it.
    for (auto& link : SnapshotLiveLinks()) {
        if (link->HasModule(channel / 16))
            return link->SendCorrectionCoef(channel, b1, b2, value);
    }
    return 0;
}

int CNetCaseDriver::RequestLeadData() {
    int result = 1;
    for (auto& link : SnapshotLinks())
        result &= link->RequestLeadData();
    return result;
}

int CNetCaseDriver::RequestSelfTestData() {
    int result = 1;
    for (auto& link : SnapshotLinks())
        result &= link->RequestSelfTestData();
    return result;
}

int CNetCaseDriver::ReadLeadData(CaseSampleBlock* first, CaseSampleBlock* second) {
    for (auto& link : SnapshotLinks())
        link->ReadLeadData(first, second);
    return 1;
}

int CNetCaseDriver::ReadSelfTestData(CaseSampleBlock* first, CaseSampleBlock* second) {
    for (auto& link : SnapshotLinks())
        link->ReadSelfTestData(first, second);
    return 1;
}

// ---- Management threads ------------------------------------------------------

CNetCaseDriver::ManageList CNetCaseDriver::StartCaseThreads(platform::UINT message,
                                                            std::uint32_t firstPostDelay) {
    ManageList threads;
    std::string indices;
    {
        std::lock_guard<platform::CriticalSection> lock(m_csLinks);
        char line[96];
        std::snprintf(line, sizeof line, "启动%d线程%d %s", static_cast<int>(m_links.size()), message,
                      TimeText().c_str());
        Trace("Sample", line);
        for (std::size_t i = 0; i < m_links.size(); ++i) {
            indices += std::to_string(i + 1) + " ";
            auto thread = std::make_unique<CManageThread>();
            if (!thread->Start())
                continue; // this case gets no operation
            platform::Sleep(firstPostDelay);
            auto* block = new CManageThread::Block{m_links[i]};
            bool posted = false;
            for (int attempt = 0; attempt < 50 && !posted; ++attempt) {
                posted = thread->PostOperation(message, block);
                if (!posted)
                    platform::Sleep(100);
            }
            if (!posted) {
                delete block;
                continue;
            }
            threads.push_back(std::move(thread));
        }
    }
    platform::Sleep(100);
    g_bStartGate = 1;
    Trace("Sample", "...... " + TimeText() + " _ " + indices);
    return threads;
}

void CNetCaseDriver::WaitCaseThreads(ManageList& threads, std::uint32_t maximum, std::uint32_t step) {
    char line[96];
    std::snprintf(line, sizeof line, "等待%d线程退出 %s", static_cast<int>(threads.size()),
                  TimeText().c_str());
    Trace("Sample", line);
    const std::uint32_t limit = maximum > 0 ? maximum : 5000;
    step = std::max<std::uint32_t>(step, 1);
    for (auto& thread : threads) {
        for (std::uint32_t waited = 0; thread->IsBusy() && waited < limit; waited += step)
            platform::Sleep(step);
        if (!thread->Quit(5000))
            Trace("Sample", "management thread did not end in time; left to finish alone " + TimeText());
    }
    threads.clear();
    Trace("Sample", "...... " + TimeText());
}

int CNetCaseDriver::StartFindCaseThreads() {
    Trace("Detect", "启动查找机箱线程 " + TimeText());
    // No pause between the cases: each answers on its own thread, so their
    // waits overlap and 32 cases take about as long as one.
    ManageList threads = StartCaseThreads(CManageThread::kReadCaseInfo, 0);
    WaitCaseThreads(threads, 6000, 20);
    // A case that went away answered nothing; its link leaves the list.
    RemoveClosedLinks();
    return 1;
}

int CNetCaseDriver::ReadChannelInfo() {
    // Every case's channel information goes to one file: kept in memory
    // while the cases answer, and written once when all have, instead of
    // once for every channel.
    platform::ProfileWriteDeferral oneWrite;
    ManageList threads = StartCaseThreads(CManageThread::kReadChannelInfo, 0);
    WaitCaseThreads(threads, static_cast<std::uint32_t>(m_pHost->GetDelayChanInfo()) * 2, 20);
    return 1;
}
