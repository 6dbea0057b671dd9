// The network case driver: listens for the acquisition cases, keeps one case
// link per connected case (replacing it when the case connects again), runs
// long case operations on management threads, starts and stops sampling,
// watches the links, and assembles the sample sets of all cases for the
// main frame.
#pragma once

#include "acquisition/CaseLink.h"
#include "acquisition/CaseLinkHost.h"
#include "acquisition/ManageThread.h"
#include "acquisition/OwnerRelay.h"
#include "model/RunFlags.h"
#include "platform/Message.h"
#include "platform/Socket.h"
#include "platform/Sync.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// One link as the case search sees it.
struct CaseTableRecord {
    std::int32_t nCaseNo = 0;
    std::int32_t nModules = 0;
    std::int32_t nModuleSlot[8] = {};
    std::string strAddress;
};

// A link reported by the watchdog as not alive (0x8FD).
struct DeadLinkEntry {
    std::string strAddress;
    std::int32_t nCaseNo = 0;
};

class CNetCaseDriver : public platform::MessageTarget {
public:
    // Messages of the driver's own window.
    static constexpr platform::UINT kLinkNotify = 0x5F5;
    static constexpr platform::UINT kReceiveNotify = 0x5F4;
    static constexpr platform::UINT kBlockReceived = 0x876;
    // Messages to the owner.
    static constexpr platform::UINT kLinkStatesChanged = 0x85E;
    static constexpr platform::UINT kListening = 0x85F;
    static constexpr platform::UINT kCaseLinked = 0x860;
    static constexpr platform::UINT kLinkCount = 0x861;
    static constexpr platform::UINT kModuleReply = 0x872;
    static constexpr platform::UINT kDeadLinks = 0x8FD;
    static constexpr int kAddressTimer = 123;
    // Longest wait at a stop for the cases' last samples to arrive.
    static constexpr int kStreamEndMs = 2000;
    static constexpr int kBlockQueueLimit = 1000;
    static constexpr int kSystemChannels = 4096;
    static constexpr int kMaxSetsPerCycle = 50;
    static constexpr int kModuleCount = 512;
    // Connections that have not answered as a case (a port scanner, a health
    // probe, a case not searched yet): at most this many are kept, the
    // longest connected giving way to a new one, and one that leaves a case
    // search unanswered is closed after kSilentLinkTimeoutMs.
    static constexpr int kMaxSilentLinks = 64;
    static constexpr int kSilentLinkTimeoutMs = 10000;

    // The host must outlive the driver.
    CNetCaseDriver(CCaseProtocol3* encoder, CaseLinkHost* host);
    ~CNetCaseDriver() override;

    platform::LRESULT WindowProc(platform::UINT message, platform::WPARAM wParam,
                                 platform::LPARAM lParam) override;

    void SetOwner(platform::HWND owner) { m_hOwner = owner; }
    // The communication object's encoder, which every link builds its commands with.
    void SetEncoder(CCaseProtocol3* encoder) { m_pEncoder = encoder; }
    // Listens on the port (0: any free port, see GetListenPort) on every address.
    int Listen(std::uint16_t port, platform::HWND owner);
    std::uint16_t GetListenPort() const { return m_nListenPort; }
    void OnLinkNotify();
    void OnBlockReceived(int length, const std::uint8_t* bytes);
    void OnTimer(int id);
    int GetReceivedBlockCount() { return static_cast<int>(m_blockQueue.GetCount()); }
    // Adds a connected link, or lets it replace the link of the same address
    // (a case that connected again). True when it replaced one.
    bool AddLink(const std::shared_ptr<CCaseLink>& link);

    int GetLinkCount();
    // Frees the idle links whose peer has closed and that hold no modules (a
    // port check, a scanner, a case that went away before or during a
    // search); returns how many were freed. A link that is receiving a run
    // stays for the relink and the watchdog.
    int RemoveClosedLinks();
    // Closes the connections that have not answered beyond the bounds above;
    // returns how many it closed.
    int CloseSilentLinks();
    void SetSilentLinkTimeout(int milliseconds) { m_nSilentTimeoutMs = std::max(1, milliseconds); }
    int FindLinkByAddress(const std::string& address);
    std::shared_ptr<CCaseLink> GetLink(int index);
    int CountPresentModules(std::int32_t present[kModuleCount]);
    std::vector<CaseTableRecord> GetCaseTable();
    std::vector<std::string> GetLinkedCaseIps();
    int CheckDuplicateCaseNumbers();
    int GetModuleVersionRange(int& highest);

    void SetCaseDataFile(const std::string& folder, const std::string& name);
    void SetCaseOption(std::uint8_t flag, std::int32_t value);
    void SetCaseDataSaving(int flag);
    void SetSampleMode(int mode);
    void SetSampleParams(const std::int32_t params[20]);
    void SetProjectState(int state) { m_nProjectState = state; }
    int SetDataMode(int mode);
    int SendModuleCmdF0(const std::string& address, platform::HWND window);
    int SendModuleCmdF1(const std::string& address, platform::HWND window, const std::uint8_t block[21]);
    int SendModuleCmdF2(const std::string& address, platform::HWND window, const std::uint8_t block[13]);
    int SetChannelParams(const std::vector<int>& channels);
    int SendCaseCommand36(int channelId);
    // The parameters of one channel, to the link that holds it.
    int SetSingleChannelParams(int channel);
    int SendCorrectionCoef(int channel, int b1, int b2, std::int32_t value);
    int RequestLeadData();
    int RequestSelfTestData();
    int ReadLeadData(CaseSampleBlock* first, CaseSampleBlock* second);
    int ReadSelfTestData(CaseSampleBlock* first, CaseSampleBlock* second);

    int ReadChannelInfo();
    int StartFindCaseThreads();
    int CreateSampleDataFile();
    int StopSampling();
    void PauseSampling();
    void RequestSampleData();
    bool PollSampleData(CaseSampleBlock blocks[kModuleCount]);
    void DisconnectAll();
    int FlushCaseData(int close);

    void StartWatchdog();
    void StopWatchdog();
    // How often the watchdog looks at the links, and how long a link may be
    // silent before it counts as dead (5 s each by default).
    void SetWatchdogPeriod(int milliseconds);
    void StartProcessingThread();
    void StopProcessingThread();
    // One cycle of the processing thread; returns the sets delivered.
    int ProcessCycle();
    // Sets of the run that a case could not queue for live processing (its
    // queue was full): the most any case has skipped.
    std::int64_t GetSkippedSets();

private:
    using ManageList = std::vector<std::unique_ptr<CManageThread>>;

    void Trace(const std::string& logName, const std::string& text);
    std::vector<std::shared_ptr<CCaseLink>> SnapshotLinks();
    // The links whose peer has not closed: the live connections a search and
    // its duplicate check look at.
    std::vector<std::shared_ptr<CCaseLink>> SnapshotLiveLinks();
    void RelinkCase(std::size_t index, const std::shared_ptr<CCaseLink>& link);
    void SendAddress(platform::UINT message, const std::string& address);
    ManageList StartCaseThreads(platform::UINT message, std::uint32_t firstPostDelay);
    void WaitCaseThreads(ManageList& threads, std::uint32_t maximum, std::uint32_t step);
    void NetworkThread();
    void ProcessingThread();
    std::chrono::milliseconds CycleSpacing() const;
    void WatchdogThread();
    void WatchCheck();
    int CountReadySets(const std::vector<std::shared_ptr<CCaseLink>>& links);
    // Lists the queued runs that hold the cycle's sets, and where the sets
    // must be cut so that each stretch lies within one run of every case.
    void PeekCycle(const std::vector<std::shared_ptr<CCaseLink>>& links, int sets);
    // Hands the listed sets to the owner and takes them from the links' queues.
    void DeliverCycle();
    // Points arrays (kModuleCount) at the modules' blocks of the stretch
    // that begins at set from (the stretches taken in order).
    void StretchArrays(int from, const CaseSampleBlock** arrays);
    static constexpr platform::UINT kContinuousSetsMessage = 0x868;
    platform::UINT SetsMessage() const; // 0 in a mode that takes no sets

    CCaseProtocol3* m_pEncoder;
    CaseLinkHost* m_pHost;
    platform::HWND m_hOwner = 0;

    platform::TcpListener m_listener;
    std::uint16_t m_nListenPort = 0;
    std::atomic<bool> m_bNetworkRun{false};
    std::atomic<bool> m_bAcceptPosted{false};
    std::thread m_networkThread;

    platform::CriticalSection m_csLinks; // guards m_links and every walk over it
    std::vector<std::shared_ptr<CCaseLink>> m_links;
    ManageList m_startThreads; // guarded by m_stopMutex
    // One stop at a time: the user's stop and the run loop's own end may
    // meet, and both walk the start threads and close the same files.
    std::mutex m_stopMutex;

    std::atomic<std::int32_t> m_nSampleMode{2};
    std::atomic<std::int32_t> m_nProjectState{0};
    // The sampling frequency of the run: the run-ahead bound and the
    // processing thread's spacing.
    std::atomic<float> m_fFactor{1.0f};

    std::atomic<std::int32_t> m_nSilentTimeoutMs{kSilentLinkTimeoutMs};
    // Raised by the links when a connection drops during a run or a case
    // comes back, and by a relink: the watchdog then looks at once.
    std::shared_ptr<CLinkEvents> m_pLinkEvents = std::make_shared<CLinkEvents>();
    // Told by the links when a set may have become ready, by the start of a
    // run and by the processing thread's stop: the thread sleeps on it.
    std::shared_ptr<SampleReadySignal> m_pSampleSignal = std::make_shared<SampleReadySignal>();

    std::atomic<std::int32_t> m_bWatchRun{0};
    std::atomic<std::int32_t> m_nWatchPeriodMs{5000};
    std::atomic<bool> m_bWatchdogDone{true};
    std::atomic<bool> m_bProcessingDone{true};
    COwnerRelaySlot m_processingRelay; // the processing thread's way to the owner
    COwnerRelaySlot m_watchRelay;      // the watchdog's way to the owner
    std::thread m_watchdog;
    std::map<std::string, std::int32_t>
        m_LinkStates; // address -> last-known alive flag; watchdog thread only

    std::atomic<std::int32_t> m_bStopProcessingThread{0};
    std::thread m_processing;
    // One cycle's runs of each case (processing thread only): run r's sets
    // begin at the cycle's set runs[r].start.
    struct CycleRun {
        CaseSampleQueue::Run run;
        int start = 0;
    };
    struct CycleLink {
        CCaseLink* link = nullptr;
        int modules = 0;
        std::array<int, 8> units{}; // module k's system index, -1 for none (a case has eight slots)
        std::vector<CycleRun> runs;
        int peeked = 0;
        std::uint64_t generation = 0;
    };
    std::vector<CycleLink> m_CycleLinks; // the first m_nCycleLinks are this cycle's
    std::size_t m_nCycleLinks = 0;
    std::vector<CaseSampleQueue::Storage> m_HeldStorage; // the runs' storage, until delivered
    std::vector<int> m_Cuts;                             // the stretches' first sets, and the end
    std::vector<CaseSampleBlock> m_MissingRun;           // a cycle's sets without readings
    std::vector<std::size_t> m_NextRun;                  // by cycle link: the run of the stretch
    // A cycle's sets in one piece (module i's at i × kMaxSetsPerCycle), for
    // the modes that take them whole.
    std::vector<CaseSampleBlock> m_SetStorage;
    CaseLinkQueue m_blockQueue; // blocks handed to the driver window (0x876)
};
