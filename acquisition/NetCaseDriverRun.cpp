// Network case driver: start and stop of runs, the processing thread that
// assembles sample sets from all links, and the link watchdog.
#include "acquisition/NetCaseDriver.h"

#include "platform/DebugLog.h"
#include "platform/Time.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

namespace {

std::string TimeText() {
    return platform::FormatLogTimeStamp();
}

// Waits for a worker that may be sending to the user-interface thread: the
// waiter keeps delivering messages meanwhile, and a send still waiting after
// the time is cancelled by closing the worker's relay.
void JoinDelivering(std::thread& thread, const std::atomic<bool>& finished, COwnerRelaySlot& relay) {
    if (!thread.joinable())
        return;
    for (int waited = 0; waited < 2000 && !finished.load(); waited += 5) {
        platform::PumpMessages();
        platform::Sleep(5);
    }
    relay.Close();
    thread.join();
}

} // namespace

// ---- Runs --------------------------------------------------------------------

int CNetCaseDriver::CreateSampleDataFile() {
    Trace("Sample", "创建采样数据文件");
    const int mode = m_nSampleMode.load();
    const auto links = SnapshotLinks();
    if (mode == 2 || mode == 7) {
        for (auto& link : links)
            link->OpenCaseFiles();
    }
    g_bStartGate = 0;
    {
        std::lock_guard<std::mutex> lock(m_stopMutex);
        m_startThreads = StartCaseThreads(CManageThread::kStartSampling, 10);
    }
    g_bStopProcessing = 1;
    m_pSampleSignal->Notify();
    return 1;
}

int CNetCaseDriver::StopSampling() {
    // The stop goes out first and the links keep receiving until their case
    // has gone quiet: every sample a case measured before the stop reached it
    // is still on its way, and is stored.
    std::lock_guard<std::mutex> stopping(m_stopMutex);
    Trace("Sample", "发送停止命令 " + TimeText());
    std::vector<CCaseLink*> stopped;
    {
        std::lock_guard<platform::CriticalSection> lock(m_csLinks);
        for (auto& link : m_links) {
            if (link->SendStopWhileReceiving())
                stopped.push_back(link.get());
        }
    }
    auto links = SnapshotLinks();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStreamEndMs);
    for (auto& link : links)
        link->WaitStreamEnd(deadline);
    Trace("Sample", "设置停止接收标志 " + TimeText());
    for (auto& link : links)
        link->SetReceiving(0);
    WaitCaseThreads(m_startThreads, 0, 20);
    // The receive loops have ended: what they queued during their raw
    // worker's last pause is parsed and stored before the files close.
    for (auto& link : links)
        link->ProcessRawQueue();
    Trace("Sample", "设置停止处理标志 " + TimeText());
    g_bStopProcessing = 0;
    Trace("Sample", "关闭采样数据文件");
    const int mode = m_nSampleMode.load();
    if (mode == 2 || mode == 7) {
        for (auto& link : links)
            link->CloseCaseFiles();
    }
    {
        std::lock_guard<platform::CriticalSection> lock(m_csLinks);
        for (auto& link : m_links) {
            if (std::find(stopped.begin(), stopped.end(), link.get()) == stopped.end())
                link->SendSampleStopCmd();
        }
    }
    platform::Sleep(500);
    return 1;
}

int CNetCaseDriver::FlushCaseData(int close) {
    for (auto& link : SnapshotLinks()) {
        if (close)
            link->CloseCaseFiles();
        else
            link->WriteGatheredSamples();
    }
    return 1;
}

void CNetCaseDriver::PauseSampling() {
    for (auto& link : SnapshotLinks())
        link->ClearLatestSamples();
}

void CNetCaseDriver::RequestSampleData() {
    for (auto& link : SnapshotLinks())
        link->ClearLatestSamples();
}

bool CNetCaseDriver::PollSampleData(CaseSampleBlock blocks[kModuleCount]) {
    bool all = true;
    for (auto& link : SnapshotLinks()) {
        if (link->GetModuleCount() == 0)
            continue;
        const int caseNo = link->GetCaseNo();
        if (caseNo < 0 || caseNo > CCaseLink::kMaxCaseNo)
            continue;
        CaseSampleBlock latest[8];
        if (!link->GetLatestSample(latest))
            all = false;
        std::int32_t list[CCaseLink::kMaxModules];
        const int modules = link->CopyModuleList(list);
        for (int k = 0; k < modules; ++k)
            blocks[caseNo * 8 + list[k]] = latest[list[k]];
    }
    return all;
}

void CNetCaseDriver::DisconnectAll() {
    for (auto& link : SnapshotLinks())
        link->ShutdownSocket();
}

// ---- Processing thread -------------------------------------------------------

void CNetCaseDriver::StartProcessingThread() {
    if (m_processing.joinable())
        return;
    m_bStopProcessingThread = 0;
    m_bProcessingDone = false;
    m_processingRelay.Open(m_hOwner);
    m_processing = std::thread([this] { ProcessingThread(); });
}

void CNetCaseDriver::StopProcessingThread() {
    m_bStopProcessingThread = 1;
    m_pSampleSignal->Notify();
    JoinDelivering(m_processing, m_bProcessingDone, m_processingRelay);
}

void CNetCaseDriver::ProcessingThread() {
    // The thread sleeps until a link tells it that a set may be ready (or
    // the run's processing begins, or the thread is stopped). Cycles are
    // spaced by the time the run takes for a cycle's 50 sets, 10 to 100 ms
    // (a live view repaints ten times a second at most), so that a set is
    // delivered with the others of its time rather than one call each, and
    // the links' batches, which come at their own times, wake the thread
    // once a spacing rather than one by one. A cycle that took the most sets
    // may have left more waiting, and the next one follows at once. A change
    // that reaches the thread by no call is looked at within a second.
    using Clock = std::chrono::steady_clock;
    constexpr auto kLongestSleep = std::chrono::seconds(1);
    Clock::time_point lastSkipLog = Clock::now() - std::chrono::seconds(1);
    std::int64_t loggedSkipped = 0;
    std::uint64_t seen = m_pSampleSignal->Generation();
    while (!m_bStopProcessingThread.load()) {
        if (g_bStopProcessing.load() != 1) {
            seen = m_pSampleSignal->WaitPast(seen, Clock::now() + kLongestSleep);
            continue;
        }
        const Clock::time_point cycleStart = Clock::now();
        seen = m_pSampleSignal->Generation();
        const int delivered = ProcessCycle();
        const Clock::time_point now = Clock::now();
        const std::int64_t skipped = GetSkippedSets();
        if (skipped < loggedSkipped)
            loggedSkipped = 0; // a new run
        if (skipped > loggedSkipped && now - lastSkipLog >= std::chrono::seconds(1)) {
            char line[128];
            std::snprintf(line, sizeof line, "实时处理跳过%lld组采样数据(共%lld组) %s",
                          static_cast<long long>(skipped - loggedSkipped), static_cast<long long>(skipped),
                          TimeText().c_str());
            Trace("Sample", line);
            loggedSkipped = skipped;
            lastSkipLog = now;
        }
        if (delivered >= kMaxSetsPerCycle)
            continue;
        // The spacing first: the calls that come meanwhile (and during the
        // cycle) end the wait at once, so a busy run wakes once a cycle.
        std::this_thread::sleep_until(cycleStart + CycleSpacing());
        seen = m_pSampleSignal->WaitPast(seen, Clock::now() + kLongestSleep);
    }
    m_bProcessingDone = true;
}

std::chrono::milliseconds CNetCaseDriver::CycleSpacing() const {
    const double ms = 1000.0 * kMaxSetsPerCycle / std::max(1.0f, m_fFactor.load());
    return std::chrono::milliseconds(static_cast<int>(std::clamp(ms, 10.0, 100.0)));
}

int CNetCaseDriver::ProcessCycle() {
    const auto links = SnapshotLinks();
    const int sets = CountReadySets(links);
    if (sets <= 0)
        return 0;
    PeekCycle(links, sets);
    DeliverCycle();
    return sets;
}

std::int64_t CNetCaseDriver::GetSkippedSets() {
    std::int64_t most = 0;
    for (auto& link : SnapshotLinks())
        most = std::max(most, link->SkippedSampleCount());
    return most;
}

int CNetCaseDriver::CountReadySets(const std::vector<std::shared_ptr<CCaseLink>>& links) {
    std::vector<int> counts;
    for (auto& link : links) {
        const int count = link->QueuedSampleCount();
        if (count == 0 && link->IsReceiving() && link->IsAlive())
            return 0; // a live case has not delivered yet
        counts.push_back(count);
    }
    if (counts.empty())
        return 0;
    const int maximum = *std::max_element(counts.begin(), counts.end());
    if (maximum == 0)
        return 0;
    int minimum = *std::min_element(counts.begin(), counts.end());
    if (minimum == 0) {
        minimum = maximum;
        for (int count : counts) {
            if (count > 0)
                minimum = std::min(minimum, count);
        }
    }
    const int threshold = static_cast<int>(std::min(2.0f * m_fFactor.load(), 1.0e9f));
    if (maximum > minimum + threshold) {
        // Cases that ran ahead drop their oldest sets to line up again; the
        // cases that did not run ahead keep theirs, so no set loses a case.
        for (std::size_t i = 0; i < links.size(); ++i) {
            if (counts[i] > minimum + threshold)
                links[i]->DropOldestSamples(threshold);
        }
    }
    return std::min(minimum, kMaxSetsPerCycle);
}

void CNetCaseDriver::PeekCycle(const std::vector<std::shared_ptr<CCaseLink>>& links, int sets) {
    // The cycle's sets are read where the links queued them; the links' runs
    // stay queued (and their storage held) until the sets are delivered.
    if (m_MissingRun.empty())
        m_MissingRun.assign(kMaxSetsPerCycle, CCaseLink::MissingBlock());
    m_nCycleLinks = 0;
    m_Cuts.assign({0, sets});
    for (auto& link : links) {
        const int modules = link->GetModuleCount();
        const int caseNo = link->GetCaseNo();
        if (modules == 0 || caseNo < 0 || caseNo > CCaseLink::kMaxCaseNo)
            continue;
        if (m_CycleLinks.size() <= m_nCycleLinks)
            m_CycleLinks.emplace_back();
        CycleLink& cycle = m_CycleLinks[m_nCycleLinks++];
        cycle.link = link.get();
        cycle.modules = std::min(modules, static_cast<int>(cycle.units.size()));
        std::int32_t list[CCaseLink::kMaxModules];
        link->CopyModuleList(list);
        for (int k = 0; k < cycle.modules; ++k)
            cycle.units[k] = list[k] >= 0 && list[k] < 8 ? caseNo * 8 + list[k] : -1;
        cycle.runs.clear();
        int s = 0;
        const auto take = [&](const CaseSampleQueue::Run& run, const CaseSampleQueue::Storage& storage) {
            cycle.runs.push_back(CycleRun{run, s});
            m_HeldStorage.push_back(storage);
            m_Cuts.push_back(s);
            s += run.samples;
        };
        cycle.peeked = link->PeekSampleRuns(sets, take, cycle.generation);
        m_Cuts.push_back(s); // a set the queue lacks has no readings of this case
    }
    std::sort(m_Cuts.begin(), m_Cuts.end());
    m_Cuts.erase(std::unique(m_Cuts.begin(), m_Cuts.end()), m_Cuts.end());
    while (!m_Cuts.empty() && m_Cuts.back() > sets)
        m_Cuts.pop_back();
}

void CNetCaseDriver::DeliverCycle() {
    // A continuous run takes the cycle in stretches that each lie within one
    // queued batch of every case: the modules' blocks are handed where they
    // are. The other modes average or pick from the cycle's sets as a
    // whole, so they get them in one piece, gathered.
    const platform::UINT message = SetsMessage();
    const platform::HWND target = m_processingRelay.Target(m_hOwner);
    const CaseSampleBlock* arrays[kModuleCount];
    m_NextRun.assign(m_nCycleLinks, 0);
    const bool whole = message != kContinuousSetsMessage && m_Cuts.size() > 2;
    if (whole && m_SetStorage.empty())
        m_SetStorage.resize(static_cast<std::size_t>(kModuleCount) * kMaxSetsPerCycle);
    for (std::size_t cut = 0; message != 0 && cut + 1 < m_Cuts.size(); ++cut) {
        const int from = m_Cuts[cut];
        const int count = m_Cuts[cut + 1] - from;
        StretchArrays(from, arrays);
        if (!whole) {
            platform::SendMessage(target, message, static_cast<platform::WPARAM>(count),
                                  reinterpret_cast<platform::LPARAM>(arrays));
            continue;
        }
        for (int i = 0; i < kModuleCount; ++i)
            std::copy_n(arrays[i], count,
                        m_SetStorage.data() + static_cast<std::size_t>(i) * kMaxSetsPerCycle + from);
    }
    if (whole && message != 0) {
        for (int i = 0; i < kModuleCount; ++i)
            arrays[i] = m_SetStorage.data() + static_cast<std::size_t>(i) * kMaxSetsPerCycle;
        platform::SendMessage(target, message, static_cast<platform::WPARAM>(m_Cuts.back()),
                              reinterpret_cast<platform::LPARAM>(arrays));
    }
    for (std::size_t i = 0; i < m_nCycleLinks; ++i)
        m_CycleLinks[i].link->DropPeekedSamples(m_CycleLinks[i].peeked, m_CycleLinks[i].generation);
    m_HeldStorage.clear();
}

void CNetCaseDriver::StretchArrays(int from, const CaseSampleBlock** arrays) {
    std::fill(arrays, arrays + kModuleCount, m_MissingRun.data());
    for (std::size_t i = 0; i < m_nCycleLinks; ++i) {
        const CycleLink& cycle = m_CycleLinks[i];
        std::size_t& r = m_NextRun[i];
        while (r < cycle.runs.size() && cycle.runs[r].start + cycle.runs[r].run.samples <= from)
            ++r;
        if (r == cycle.runs.size())
            continue;
        const CycleRun& run = cycle.runs[r];
        for (int k = 0; k < cycle.modules && k < run.run.modules; ++k) {
            if (cycle.units[k] >= 0)
                arrays[cycle.units[k]] = run.run.Module(k) + (from - run.start);
        }
    }
}

platform::UINT CNetCaseDriver::SetsMessage() const {
    switch (m_nSampleMode.load()) {
    case 4:
    case 5:
        return 0x867;
    case 2:
    case 7:
        return kContinuousSetsMessage;
    case 1:
        return 0x869;
    case 0:
        return 0x86A;
    case 3:
        return 0x86B;
    default:
        return 0;
    }
}

// ---- Watchdog ----------------------------------------------------------------

void CNetCaseDriver::StartWatchdog() {
    if (m_watchdog.joinable())
        return;
    m_bWatchRun = 1;
    m_bWatchdogDone = false;
    m_watchRelay.Open(m_hOwner);
    m_watchdog = std::thread([this] { WatchdogThread(); });
}

void CNetCaseDriver::StopWatchdog() {
    m_bWatchRun = 0;
    m_pLinkEvents->Wake();
    JoinDelivering(m_watchdog, m_bWatchdogDone, m_watchRelay);
}

void CNetCaseDriver::SetWatchdogPeriod(int milliseconds) {
    m_nWatchPeriodMs = std::max(1, milliseconds);
    for (auto& link : SnapshotLinks())
        link->SetSilenceLimit(m_nWatchPeriodMs.load());
}

void CNetCaseDriver::WatchdogThread() {
    // Sleeps until its period ends, a link drops or comes back, or the stop.
    // An event is looked at a moment later, when the link that signalled it
    // has done what goes with it. A changed period counts from the last look.
    using Clock = std::chrono::steady_clock;
    constexpr int kEventSettleMs = 100;
    int events = m_pLinkEvents->Count();
    Clock::time_point periodStart = Clock::now();
    const auto due = [&] { return periodStart + std::chrono::milliseconds(m_nWatchPeriodMs.load()); };
    while (m_bWatchRun.load()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(due() - Clock::now()).count();
        m_pLinkEvents->Wait(static_cast<int>(std::min<long long>(left, m_nWatchPeriodMs.load())));
        if (m_bWatchRun.load() && m_pLinkEvents->Count() != events && Clock::now() < due())
            platform::Sleep(kEventSettleMs);
        if (!m_bWatchRun.load())
            break;
        const int now = m_pLinkEvents->Count();
        if (Clock::now() >= due()) {
            periodStart = Clock::now();
            events = now;
            WatchCheck();
        } else if (now != events) {
            events = now;
            WatchCheck();
        }
    }
    m_bWatchdogDone = true;
}

void CNetCaseDriver::WatchCheck() {
    const auto links = SnapshotLinks();
    if (links.empty() || m_nProjectState.load() == 2 || g_bLinkWatchEnabled.load() != 1)
        return;
    bool changed = false;
    std::vector<DeadLinkEntry> dead;
    for (auto& link : links) {
        const int alive = link->IsAlive();
        auto [it, added] = m_LinkStates.try_emplace(link->GetAddress(), 1);
        if (it->second != alive)
            changed = true;
        it->second = alive;
        if (!alive)
            dead.push_back({link->GetAddress(), link->GetCaseNo()});
    }
    if (!changed)
        return;
    const platform::HWND target = m_watchRelay.Target(m_hOwner);
    platform::SendMessage(target, kDeadLinks, reinterpret_cast<platform::WPARAM>(&dead), 0);
    platform::SendMessage(target, kLinkStatesChanged, 0, 0);
}
