// The program's end of one TCP connection to one network acquisition case:
// sends the encoder's commands, collects the replies, and during a run turns
// the case's byte stream into case sample blocks for the network case driver.
#pragma once

#include "acquisition/CaseLinkHost.h"
#include "acquisition/CaseLinkQueue.h"
#include "acquisition/CaseProtocol3.h"
#include "acquisition/CaseSampleQueue.h"
#include "acquisition/LinkEvents.h"
#include "acquisition/SampleReadySignal.h"
#include "datafiles/RawFile.h"
#include "datafiles/SampleFileFormat.h"
#include "model/CaseSampleBlock.h"
#include "model/ModuleLinearStage.h"
#include "model/RunFlags.h"
#include "platform/Message.h"
#include "platform/Socket.h"
#include "platform/WakeSignal.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Process-wide flags of long case operations and of the start of a run
// (g_bLinkBusy with the run flags).
extern std::atomic<std::int32_t> g_bStartGate;
extern std::atomic<double> g_fFirstDataTime;

class CCaseLink {
public:
    static constexpr int kBufferSize = 131072;
    // The receive loop's assembly buffer: the bytes of a batch (below), read
    // straight from the socket, with a full receive buffer among them.
    static constexpr int kAssemblySize = 4 * kBufferSize;
    // The receive loop reads once about this long of the case's stream waits
    // in the socket (the socket's low-water mark, set from the run's rate),
    // or half as long again after its last read, and parses what it read at
    // once: one wake-up of the link and one batch of samples for the
    // processing thread every 150 ms, at 100 and at 5,000 samples a second
    // alike. With the processing thread's spacing the live views are at most
    // about 0.2 s behind the stream; at the lowest rates each sample is a
    // batch of its own.
    static constexpr int kBatchPauseMs = 150;
    // The low-water mark's bound, well within the receive buffer the kernel
    // grows to for it.
    static constexpr int kMaxLowWaterBytes = 1 << 20;
    // Without a low-water mark the loop reads after it has let about this
    // many bytes gather (kBatchPauseMs at most), well within the socket's
    // buffer.
    static constexpr int kReceiveBatchBytes = 32768;
    // The per-case files take the samples of this long of the run (or the
    // batches that pass kFileBatchBytes of a unit's data file, 0.19 s at
    // 5,000 samples a second) in one write a file, all the case's unit files
    // one after the other, and what is left when they close. At low rates a
    // piece grows until a unit's data file takes kFilePieceBytes in it, for
    // kFileBatchMaxSeconds at most (2 s at 100 samples a second): a write
    // costs about as much for 3 KiB as for 16, and 32 cases at 100 samples a
    // second would otherwise spend a fifth of their time in them. A file
    // takes five writes a second at 5,000 samples a second, two at 500 and
    // one every two seconds at 100, and a killed run loses at most a piece
    // and a batch. Larger pieces hold a link's reading up for longer when
    // the disk is slow to take them.
    static constexpr double kFileBatchSeconds = 0.5;
    static constexpr double kFileBatchMaxSeconds = 2.0;
    static constexpr std::size_t kFilePieceBytes = 16 * 1024;
    static constexpr std::size_t kFileBatchBytes = 64 * 1024;
    // Gathered pieces written one by one at most; more go in one write.
    static constexpr int kMaxPiecesApart = 4;
    // One module's sample in the stream: its header and 16 values of 3 bytes.
    static constexpr int kUnitSize = 56;
    static constexpr int kMaxModules = 512; // system module index = case x 8 + slot
    static constexpr int kMaxCaseNo = kMaxModules / 8 - 1;
    // Case numbers a MapID may give: 32 cases of 8 units make the 256 units.
    static constexpr int kMaxMappedCaseNo = 31;
    static constexpr int kModuleReplySize = 90;
    // A case that connected again during a run is started after this pause.
    static constexpr int kRelinkPauseMs = 3000;
    static constexpr int kRawQueueLimit = 1000;
    static constexpr int kFrameQueueLimit = 10000;
    // Samples a link holds for live processing: 0.4 s at 5,000 samples a
    // second, more than two of its batches, so that a case whose batch comes
    // late holds the others back without their dropping whole batches.
    static constexpr int kSampleQueueLimit = 2000;
    // Empty samples written for one gap of lost packets at most; a larger gap
    // comes from a corrupt counter, not from the network.
    static constexpr int kMaxLostFill = 16 * 1024;
    // Samples a lost-packet fill may always add beyond what the rate allows.
    static constexpr int kLostFillSlack = 16;
    // Folder of the program folder that holds each case's log file.
    static constexpr const char* kCaseLogFolder = "Log";
    // Labels of the status records of samples that never came: the link
    // was down, or the case's packets were lost on the way.
    static constexpr const char* kLinkLostLabel = "连接中断";
    static constexpr const char* kPacketsLostLabel = "丢包";
    // A gap in the stored time line is filled up to this long at most.
    static constexpr double kMaxGapSeconds = 3600.0;

    // A block that no reading reached: no unit, every value the no-value marker.
    static CaseSampleBlock MissingBlock() {
        CaseSampleBlock block;
        std::fill(std::begin(block.fValues), std::end(block.fValues), kNoValue);
        return block;
    }

    // The host must outlive the link.
    CCaseLink(CCaseProtocol3* encoder, CaseLinkHost* host);
    ~CCaseLink();
    CCaseLink(const CCaseLink&) = delete;
    CCaseLink& operator=(const CCaseLink&) = delete;

    // Takes the accepted connection; the peer's dotted address is the link's identity.
    void Attach(platform::TcpStream&& stream, const std::string& address);
    // The events the link signals when its connection drops during a run and
    // when data come again after a relink, so that the watchdog looks at once.
    void SetLinkEvents(std::shared_ptr<CLinkEvents> events) { m_pLinkEvents = std::move(events); }
    // The peer answered a case-information request (on this connection or,
    // for a relinked case, on the one it replaced): it is a case.
    bool HasAnswered() const { return m_bAnswered.load(); }
    // Steady milliseconds of the first case-information request that has
    // not been answered; 0 when none is waiting for an answer.
    std::int64_t GetUnansweredSinceMs() const { return m_nAskedAtMs.load(); }
    // Steady milliseconds of the connection.
    std::int64_t GetConnectedAtMs() const { return m_nConnectedAtMs; }
    const std::string& GetAddress() const { return m_strAddress; }
    platform::TcpStream& GetSocket() { return m_socket; }
    void ShutdownSocket();
    bool IsPeerClosed() const { return m_bPeerClosed.load(); }

    int LoadMapId();
    std::int32_t GetCaseNo() const { return m_nCaseNo; }
    void SetCaseNo(std::int32_t caseNo) { m_nCaseNo = caseNo; }

    // Commands and replies.
    int SendCommand(int len, const std::uint8_t* bytes);
    void ResetReceive();
    int ReceiveAll();
    void OnReceive(int err);
    int SendSampleParam(int a);
    int SendModuleChannelCmd(int a);
    int SendModuleSwitchCmd(int a);
    int SendCmd37(int a);
    int SendModuleCmdF0(platform::HWND window);
    int SendModuleCmdF1(platform::HWND window, const std::uint8_t block[21]);
    int SendModuleCmdF2(platform::HWND window, const std::uint8_t block[13]);
    int SendChannelParamCmd(const std::vector<int>& channels);
    int SendSingleChannelParam(int channel);
    int SendCorrectionCoef(int channel, int b1, int b2, std::int32_t value);
    int RequestLeadData();
    int RequestSelfTestData();
    int ReadLeadData(CaseSampleBlock* first, CaseSampleBlock* second);
    int ReadSelfTestData(CaseSampleBlock* first, CaseSampleBlock* second);
    int ReadCaseInfo();
    int ReadChannelInfo();
    int SendSampleStartCmd(int firstStart);
    int SendSampleStopCmd();
    // The stop of a run whose receive loop goes on: the samples the case
    // measured before the stop reached it are still on their way. False
    // (nothing sent) when the link is not streaming: it gets the plain stop
    // once its start has ended.
    bool SendStopWhileReceiving();
    // Waits until the stream has gone quiet after SendStopWhileReceiving (or
    // the deadline); the run's receiving is then ended by SetReceiving(0).
    void WaitStreamEnd(std::chrono::steady_clock::time_point deadline);

    // Reply parsers (also fed directly by tests and fuzz targets). The
    // case-information parser adds to the module tables: a new read empties
    // them first.
    void ClearModuleTables();
    int ParseCaseInfoReply(const std::uint8_t* reply, int length);
    int ParseChannelInfoReply(const std::uint8_t* reply, int length);
    int ParseTestDataReply(const std::uint8_t* reply, int length, std::uint8_t kind, CaseSampleBlock* first,
                           CaseSampleBlock* second);
    // Appends received reply bytes (dropping what passes the buffer's size)
    // and, when asked, removes the echo records in front of the reply.
    void AppendReply(const std::uint8_t* bytes, int length, bool trim);
    const std::uint8_t* GetReplyBuffer() const { return m_reply.data(); }
    int GetReplyBytes();
    std::int64_t GetTotalBytes();
    const std::uint8_t* GetModuleReply() const { return m_moduleReply; }

    // Module tables.
    void SetModuleChannel(int id);
    int CopyModuleList(std::int32_t out[kMaxModules]) const;
    int HasModule(int index) const;
    int FirstModuleVersion() const;
    int GetModuleCount() const { return m_nModules; }
    int GetCaseVersion() const { return m_nCaseVersion; }

    // Run state.
    void SetReceiving(int flag);
    int IsReceiving() const { return m_bReceiving.load(); }
    int IsAlive() const { return m_bAlive.load(); }
    void SetAlive(int flag) { m_bAlive = flag; }
    // A receiving link without data for this long is no longer alive (5 s).
    void SetSilenceLimit(int milliseconds) { m_nSilenceLimitMs = std::max(1, milliseconds); }
    // Told whenever this link queued samples or stopped counting as live:
    // the driver's processing thread sleeps on it.
    void SetSampleSignal(std::shared_ptr<SampleReadySignal> signal) { m_pSampleSignal = std::move(signal); }
    void CopyStateFrom(CCaseLink& old);
    // After the receiving flag of the dropped link is cleared: stores what it
    // still held and takes over the run's case files, and where its stored
    // time line ended, so that the samples after the return are stored behind
    // a marked gap.
    void TakeRunFrom(CCaseLink& old);
    void MarkRelink();
    // The oldest queued sample, its modules' blocks one after the other;
    // returns its byte count, 0 when none is queued or it passes size bytes.
    int PopSampleBlock(std::uint8_t* buffer, int size);
    // Hands up to count queued samples, without taking them, to use(const
    // CaseSampleQueue::Run&, const CaseSampleQueue::Storage&) a batch's run
    // at a time; returns how many. DropPeekedSamples takes them once read.
    template <typename Use> int PeekSampleRuns(int count, Use use, std::uint64_t& generation) {
        return m_sampleQueue.Peek(std::max(count, 0), use, generation);
    }
    void DropPeekedSamples(int count, std::uint64_t generation) {
        m_sampleQueue.DropPeeked(static_cast<std::size_t>(std::max(count, 0)), generation);
    }
    void DropOldestSamples(int count) { m_sampleQueue.DropHead(static_cast<std::size_t>(count)); }
    int QueuedSampleCount() { return static_cast<int>(m_sampleQueue.GetCount()); }
    // Samples of this run left out of live processing because the sample
    // queue was full (they are still in the case files).
    std::int64_t SkippedSampleCount() const { return m_nSkippedSamples.load(); }
    // Latest samples for the polled path: one block per slot (8).
    int GetLatestSample(CaseSampleBlock out[8]);
    void ClearLatestSamples();
    // Appends to name + ".log" in the program's case log folder.
    void WriteLog(const std::string& name, const std::string& text);

    void SetSampleParams(const std::int32_t params[20]);
    void SetSampleMode(int mode) { m_nSampleMode = mode; }
    void SetCaseDataFile(const std::string& folder, const std::string& name);
    void SetCaseOption(std::uint8_t flag, std::int32_t value);
    // Off, the run goes on but its samples are not written to the case files.
    void SetCaseDataSaving(int flag) { m_bDataSaving = flag; }
    void SetDataMode(int mode) { m_nDataMode = mode; }
    void OpenCaseFiles();
    // Writes the samples gathered for the per-case files so far.
    void WriteGatheredSamples();
    void CloseCaseFiles();

    // The worker that turns the frames of the frame mode into sample blocks
    // (the block mode's bytes are parsed by the receive loop as it reads them).
    bool StartWorkers();
    void StopWorkers();

    // Receive path, public so that the parsers can be fed without a socket:
    // received bytes are queued, and parsed by ProcessRawQueue, which returns
    // the blocks handled. The end of a run calls it too, so that nothing fed
    // is dropped.
    void PushReceivedBytes(int len, const std::uint8_t* bytes);
    int ProcessRawQueue();
    int ProcessFrameQueue();
    void ParseDataFrame(const std::uint8_t* frame, int length);
    void PrepareRun(); // the reset of a start, without the network

private:
    // Seconds since 1970 with the milliseconds, the time stamp of received data.
    static double NowSeconds();
    static double SteadySeconds();
    // Most samples a gap of lost packets can hold after elapsed seconds.
    int MaxLostSamples(double elapsedSeconds) const;

    // A batch's samples by slot: slot s's blocks are at[s][0..samples), null
    // for a slot without a module; module runs lie stride blocks apart.
    struct SlotRuns {
        std::array<CaseSampleBlock*, 8> at{};
        int samples = 0;
        std::size_t stride = 0;
    };
    // Lays out a batch of samples in storage in the module list's order.
    SlotRuns LayOutRuns(std::vector<CaseSampleBlock>& storage, int samples) const;

    struct FileSet {
        CRawFile dat, stu;
        // Their lengths, kept here rather than asked of the files before each batch
        // (a batch is the only writer): where a failed batch is cut back to.
        std::int64_t datLength = -1, stuLength = -1;
        ~FileSet() {
            dat.Close();
            stu.Close();
        }
    };

    void TraceHex(const char* prefix, const std::uint8_t* bytes, int length);
    void Trace(const std::string& text);
    void TrimReplyBuffer();
    void Drain();
    int SendBuilt(int length);
    int SendModuleCommand(platform::HWND window, int length, int waitMs, int code);
    int SendStopCommand();
    int ReadTestData(std::uint8_t kind, CaseSampleBlock* first, CaseSampleBlock* second);
    void ComputeChannelCoefs();
    void ComputeSamplingRate();
    void ReceiveLoop();
    // Reads what waits in the socket into the assembly buffer and parses it;
    // returns the bytes read (0: none).
    int ReceiveRunBytes();
    // The stream's bytes of kBatchPauseMs at the run's rate.
    int BatchBytes() const;
    // The receive loop's pause after a read without a low-water mark: the
    // time the stream takes to bring kReceiveBatchBytes, at most kBatchPauseMs.
    int ReceivePauseMs() const;
    // Ends the run's receiving and wakes the receive loop's wait.
    void StopReceiving();
    void MarkNotAlive();
    void NotifySampleReady() {
        if (m_pSampleSignal)
            m_pSampleSignal->Notify();
    }
    void AppendAssembly(const std::uint8_t* bytes, int length);
    void ParseAssembly();
    void SplitFrames();
    void ParseSampleBlock();
    // Decodes one unit into its module's block of the sample, converted when
    // its slot is one of linearSlots; returns the slot's bit (0: not a module).
    struct SlotRuns;
    unsigned DecodeUnit(const std::uint8_t* unit, const SlotRuns& runs, int sample, unsigned linearSlots);
    // Reads the linear stages of the batch about to be decoded into
    // m_linearStage; returns the slots that have one (0 when the batch is not
    // converted as it is decoded).
    unsigned PlanLinearSlots();
    void StoreSamples(CaseSampleBlock* blocks, int bytes);
    int CountDiscarded(int samples);
    // convertedSlots: the slots whose samples were converted as they were decoded.
    // storage holds the runs (module k's at k × runs.stride) and goes to the
    // sample queue when the samples are queued.
    void DispatchSamples(SlotRuns& runs, unsigned convertedSlots, CaseSampleQueue::Storage& storage);
    void QueueSampleBlocks(const SlotRuns& runs, CaseSampleQueue::Storage& storage);
    void UpdateLatestSample(const SlotRuns& runs);
    // Gathers the batch (held by storage) for the files; the write, when
    // due, is the caller's.
    void StoreBatch(const SlotRuns& runs, const CaseSampleQueue::Storage& storage);
    // Gathers samples from..to of every module for the files, and writes
    // them when they are due unless told otherwise. The files write them
    // from storage, which they hold until then: the runs lie in it.
    void WriteSamplesToFile(const SlotRuns& runs, int from, int to, const CaseSampleQueue::Storage& storage,
                            const SampleStatusRecord* status = nullptr, bool writeWhenDue = true);
    // The seconds of the run's samples that make a piece at its rate.
    double PieceSeconds() const;
    // Writes the gathered samples that are due (PieceSeconds): whole
    // pieces of the run's rate, all once they pass the byte bound, and less
    // than a piece once it has waited for that long.
    void WriteDueSamples();
    // The status label of the current second ("YYYY-MM-DD hh:mm:ss").
    const char* CurrentLabel();
    // WriteGatheredSamples under m_csDispatch: the first `limit` samples
    // gathered, the rest staying for the next write.
    void WriteGatheredLocked(int limit = kMaxGathered);
    // Lists in m_gatheredParts slot's blocks of the first count gathered
    // samples; returns how many samples they hold.
    int GatheredParts(int slot, int count);
    // Drops the first count gathered samples.
    void DropGathered(int count);
    static constexpr int kMaxGathered = 1 << 30;
    // Appends count samples that never came: every reading the no-value
    // marker, each status record the label (UTF-8) and an invalid time.
    void WriteGapSamples(std::int64_t count, const char* label);
    // After a relink: the samples the case would have sent while its link
    // was down, from where the stored time line ended to the batch of
    // samples now coming.
    void FillLinkGap(int samples);
    void FillLostPackets(std::int32_t header);
    bool ValidModuleIndex(int slot) const;
    void FrameWorker();
    void WakeFrameWorker();

    CCaseProtocol3* m_pEncoder;
    CaseLinkHost* m_pHost;

    std::string m_strAddress;
    platform::TcpStream m_socket;
    std::mutex m_sendMutex; // guards writes to m_socket, so that two commands never interleave
    std::mutex
        m_operationMutex; // held by a command-reply operation; OnReceive stays off the socket meanwhile
    std::atomic<bool> m_bPeerClosed{false};
    std::atomic<std::int32_t> m_nDataMode{1};

    std::mutex m_hMutex; // guards m_reply, m_nReplyBytes, m_nTotalBytes and m_nThirdCount
    std::vector<std::uint8_t> m_reply;
    std::int32_t m_nReplyBytes = 0;
    // Received since the last reset: a run's replies can pass 2 GB.
    std::int64_t m_nTotalBytes = 0;
    std::int32_t m_nThirdCount = 0;
    std::vector<std::uint8_t> m_scratch;
    // The reply buffers are made at the first exchange, the assembly buffer
    // at the first run, so that a connection that never speaks costs little.
    std::once_flag m_buffersMade, m_assemblyMade;
    void MakeBuffers();
    void MakeAssembly();
    std::uint8_t m_moduleReply[kModuleReplySize] = {};

    std::array<std::int32_t, kMaxModules> m_ModulePresent{};
    std::array<std::int32_t, kMaxModules> m_ModuleVersion{};
    std::array<std::int32_t, kMaxModules> m_ModuleSlot{};
    std::int32_t m_nModules = 0;
    std::int32_t m_nCaseVersion = 1;
    std::int32_t m_nCaseNo = 0;
    std::int32_t m_bHasMapId = 0;
    std::int32_t m_nBits = 24;
    std::int32_t m_nHalfRange = 1 << 23;
    std::array<std::array<float, 16>, 8> m_ChannelCoef{};
    std::array<std::atomic<std::int32_t>, 8> m_ModuleChannel{};

    std::array<std::int32_t, 20> m_SampleParams{};
    float m_fRequestedRate = 10.0f;
    float m_fHardwareRate = 10.0f;
    std::int32_t m_nSampleMode = 2;
    std::int32_t m_nDecimation = 1;
    std::int32_t m_nDecimationPhase = 0;
    std::int32_t m_nDiscard = 0;
    std::int32_t m_nPacketStep = 1;
    std::int32_t m_nSamplesSinceStart = 0;
    std::int32_t m_bDiscardDone = 0;

    std::atomic<std::int32_t> m_bReceiving{0};
    std::atomic<std::int32_t> m_bAlive{1};
    std::atomic<std::int32_t> m_nSilenceLimitMs{5000};
    static constexpr int kIdleNapMs = 50; // the receive loop's look without a wake signal
    // Set when a run's receiving ends (and by a stop sent while receiving),
    // so that the receive loop's wait for bytes ends at once.
    platform::WakeSignal m_receiveWake;
    std::shared_ptr<SampleReadySignal> m_pSampleSignal;
    std::atomic<std::int32_t> m_bRelinkPending{0};
    std::shared_ptr<CLinkEvents> m_pLinkEvents;
    std::atomic<bool> m_bAnswered{false};
    std::atomic<std::int64_t> m_nAskedAtMs{0};
    std::int64_t m_nConnectedAtMs = 0;
    void SignalLinkEvent() {
        if (m_pLinkEvents)
            m_pLinkEvents->Signal();
    }
    std::atomic<bool> m_bInReceiveLoop{false};
    std::atomic<bool> m_bInStream{false}; // in ReceiveLoop proper
    // Quiet after which a stopped case has sent all: no byte came for this
    // long since the stop went out or since the last bytes after it.
    static constexpr int kStreamEndQuietMs = 100;
    std::atomic<bool> m_bStopSent{false};    // a stop went out while the stream goes on
    std::atomic<bool> m_bStreamEnded{false}; // the receive loop saw the quiet after it
    bool m_bFirstData = false;

    std::string m_strDataFolder, m_strDataName;
    std::uint8_t m_bOptionFlag = 0;
    std::int32_t m_nOptionValue = 0;
    // Read by the workers while the user switches it; on until told otherwise.
    std::atomic<std::int32_t> m_bDataSaving{1};
    std::atomic<std::int64_t> m_nSkippedSamples{0};
    std::map<int, FileSet> m_files; // by system module index
    // The samples gathered for the next write, in the batches they came in:
    // the files write each module's blocks straight from the batch's
    // storage, one write a file for many batches.
    struct GatheredPiece {
        CaseSampleQueue::Storage storage;
        std::array<const CaseSampleBlock*, 8> at{}; // by slot, null without a module
        int samples = 0;
    };
    std::deque<GatheredPiece> m_gathered;
    std::vector<CRawFile::Part> m_gatheredParts; // one file's parts of a write
    // The status records of the gathered samples: every module's file of the
    // case takes the same ones, so they are gathered once, not once a module.
    std::vector<SampleStatusRecord> m_stuGathered;
    // The label of the stored samples' second, made once a second.
    std::int64_t m_nLabelSecond = -1;
    char m_szLabel[20] = {};
    // Samples gathered in every file set for the next write, and since when (steady s).
    int m_nGatheredSamples = 0;
    double m_dGatheredSince = 0.0;
    // Steady seconds when the newest stored sample came (0: none stored yet),
    // and whether the next stored batch follows a relink's gap.
    double m_dLastStoredTime = 0.0;
    bool m_bGapPending = false;

    CaseLinkQueue m_rawQueue;
    CaseLinkQueue m_frameQueue;
    CaseSampleQueue m_sampleQueue;
    std::mutex m_csReceive; // guards the assembly buffer and the take from m_rawQueue
    std::vector<std::uint8_t> m_assembly;
    int m_nAssembly = 0;
    // The block parser's working lists, kept so that a parse allocates nothing
    // once the run's batches have been seen (under m_csReceive).
    std::vector<int> m_parseUnits, m_parseGroups;
    // The batch being decoded, module k's samples at k × the batch's
    // samples; handed to the sample queue with them, and taken back from its
    // spare storage.
    CaseSampleQueue::Storage m_parseBlocks;
    std::array<ModuleLinearStage, 8> m_linearStage{}; // by slot, for the batch being decoded
    std::mutex m_csFrames;                            // guards the take from m_frameQueue
    // The frame worker sleeps on this until a frame is queued during a run
    // or the worker stops.
    std::mutex m_frameWakeMutex; // orders the frame worker's look at its queue with the calls
    std::condition_variable m_frameWake;
    std::mutex m_csDispatch; // guards the sample state shared by the frame and block paths, and m_files

    std::map<int, double> m_LastCounterTime;   // module id -> when its last counter came (steady s)
    std::map<int, std::int32_t> m_LastCounter; // module id -> last packet counter
    std::mutex m_csStatus;                     // guards m_Latest
    // The latest sample of each slot that has one.
    struct LatestSamples {
        std::array<CaseSampleBlock, 8> blocks{};
        unsigned present = 0; // bit s: blocks[s] holds slot s's latest sample
        bool Has(int slot) const { return (present & (1u << slot)) != 0; }
        void Set(int slot, const CaseSampleBlock& block) {
            blocks[static_cast<std::size_t>(slot)] = block;
            present |= 1u << slot;
        }
    };
    LatestSamples m_Latest;
    std::array<std::vector<CaseSampleBlock>, 8> m_Averaging; // per slot, samples of the mean

    std::atomic<bool> m_bWorkersRun{false};
    std::thread m_frameWorker;
};
