// The main frame's sampling side: run control and the sampling thread, the
// acquisition loops, the acquisition start and the run's files, the live
// processing of sample sets, balancing and its commands and files. One class
// split into files by topic; the frame forwards its commands and messages.
#pragma once

#include "acquisition/AlarmEvaluation.h"
#include "acquisition/DigitalInterface.h"
#include "acquisition/DigitalMeterPort.h"
#include "acquisition/DigitalParamFile.h"
#include "acquisition/LiveProcessingQueue.h"
#include "acquisition/SamplingHost.h"
#include "acquisition/SamplingMessages.h"
#include "acquisition/SetConversionPlan.h"
#include "datafiles/FormulaProgram.h"
#include "datafiles/SampleFileFormat.h"
#include "datafiles/VirtualChannelValueFiles.h"
#include "model/CaseSampleBlock.h"
#include "platform/Message.h"
#include "platform/RecordFile.h"
#include "platform/Sync.h"
#include "platform/Time.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// Status of a timed run (passed by pointer with the status message).
struct SampleProgressRecord {
    std::int32_t nSeconds = 0; // until the next set; -1 while taking one; -2 at the end
    char szText[64] = {};
};

// Clears the four run flags.
void ResetRunFlags();

// A case block queued in event sampling with its time (seconds since 1970),
// and the element of the per-position arrays WM_USER+1239 hands over:
// bytes 8 to 75 are the case's 68-byte block.
struct QueuedCaseBlock {
    double dTime = 0.0;
    std::int32_t nHeader = -1;
    float fValues[16] = {};
};
static_assert(sizeof(QueuedCaseBlock) == 80, "a queued case block is 80 bytes");

// Whether a case block's time falls in the hundredth of a second a
// load-control stamp names (whole seconds, nanoseconds).
bool DigitalStampMatchesCaseTime(double t, std::uint32_t time1, std::uint32_t time2);

// One load-control command: its code and stamp.
struct MoogCommand {
    int code = -1;
    std::uint32_t time1 = 0;
    std::uint32_t time2 = 0;
};

class CSamplingControl {
public:
    static constexpr int kSetBlocks = 512;
    static constexpr int kValueWords = 4096 + 8;

    CSamplingControl(SamplingHost* host, platform::HWND frame);
    ~CSamplingControl();
    CSamplingControl(const CSamplingControl&) = delete;
    CSamplingControl& operator=(const CSamplingControl&) = delete;

    // The frame's window procedure calls this first; true when handled.
    bool HandleMessage(platform::UINT message, platform::WPARAM wParam, platform::LPARAM lParam,
                       platform::LRESULT& result);

    // ---- Run control (commands of the Control menu) ----
    void OnStartSample();
    void OnPauseSample();
    void OnStopSample();
    bool CanStartSample(int onlineCaseCount) const;
    void OnSampleComplete();
    void OnSampleStatus(int kind, const SampleProgressRecord* record);

    // ---- Acquisition loops (sampling thread) ----
    bool WaitSampleData(CaseSampleBlock* destination, int timeoutMs);
    int StopAcquisition();
    int SampleSingle();
    int SampleTimed();
    int SampleEventWait();
    // Acquisitions driven by the calibrator link: a zero set (mode 6) and a
    // sampling run (mode 7), each on its own thread. Every set read is sent
    // to the frame with the given message; SetLinkSampleEvent asks for the
    // next set. False when a run or link acquisition is active.
    bool StartLinkZeroAcquisition();
    bool StartLinkSampling();
    void SetLinkSampleEvent() { m_hLinkSampleEvent.Set(); }
    void ResetLinkSampleEvent() { m_hLinkSampleEvent.Reset(); }
    bool IsLinkSamplingRunning() const { return m_bLinkSamplingRunning.load(); }
    bool IsLinkRunRunning() const { return m_bLinkSamplingRunning.load() || m_bLinkZeroRunning.load(); }
    void LinkAcquisitionLoop(int mode, platform::UINT message);
    CaseSampleBlock* GetLinkSet() { return m_LinkSet.data(); }

    // ---- Acquisition start and the run's files ----
    int StartAcquisition(int mode);
    // The start of a run's loop: the acquisition is not started once the run
    // has been stopped, and is stopped again when the stop came while its
    // start went out.
    enum class RunStart { Started, Failed, Stopped };
    RunStart StartRunAcquisition(int mode);
    int RunContinuous();
    void StopAndFinish();
    int DownloadChannelParams(const std::vector<int>& channels);
    static bool IsOnlineStrainChannel(int channel);
    void OnOpenSampleFiles();
    void OnCloseSampleFiles();
    void EnsureSampleDataFiles();
    // Brings the per-unit files to equal length: padded up to the project's
    // count, or, after a write failed (no room to pad), cut back to the
    // whole samples that every unit holds. 0 when they could not be made equal.
    int PadPerUnitFiles();
    void GetMaxUnitSampleCount(std::int32_t& count);

    // ---- Live processing ----
    bool ConvertSampleSet(float* buffer, const CaseSampleBlock* set);
    void AverageSamples(int n, const CaseSampleBlock* const* perUnit);
    void ProcessSampleSet(bool announce);
    void OnStoreSampleSet(const SampleStatusRecord* status, const CaseSampleBlock* set);
    bool CheckTrigger(const float* channelValues);
    // Spectrum analysis of continuous runs: values gathered per online
    // channel and handed over once per analysis block.
    void AppendFftSamples();
    void FeedFftSpectrum();
    // The continuous run's processed sets the views have not taken yet, in
    // their order, then the batches' end (user-interface thread).
    void ShowLiveSets();
    // Asks the frame whether an open view draws every set of a continuous
    // run (user-interface thread); the sets' processing reads the answer.
    void UpdateLiveViewDemand();
    // Rows of the curve views a batch of announced samples first..last
    // touches within blocks of blockSize; false when there is nothing to mark.
    static bool BatchRows(int first, int last, int blockSize, int& from, int& to);
    // Compiles the virtual channels' formulas for the run and opens their
    // value files; closes them again.
    void OpenVirtualChannels();
    void CloseVirtualChannels();
    // At a run's end: the case driver may have stored samples the loop
    // never processed; their virtual-channel values come from the stored run.
    void CompleteVirtualChannelFiles();
    bool EvaluateVirtualChannels();
    void WriteVirtualChannelValues();
    const std::map<int, float>& GetVirtualResults() const { return m_VirtualResults; }

    // ---- Balancing ----
    void BuildBalanceChannelList(std::vector<int>& list);
    // False when no balance started (refused, cancelled or busy).
    bool OnBalance();
    void OnGndBalance();
    bool DoBalance(const std::vector<int>& list);
    bool CanBalance(int onlineCaseCount) const;
    // The update rule of the three zero-file commands.
    static bool CanUseZeroFiles(int onlineCaseCount);
    void BackupBalanceValues();
    void RestoreUnselectedZeros();
    // Every online channel back to its zero and zero-set value before the balance.
    void RestoreAllZeros();
    void ComputeZeroValues(CaseSampleBlock* zeroSet);
    void OnBalanceDataReady();
    void OnBalanceRequest(int value);
    // WM_USER+1241 after a balance: with the request flag of the bar's
    // single-channel balance set, every online channel but the requested one
    // takes back its zero and zero-set value from before the request; the
    // flag is cleared.
    void OnBalanceDone();
    void CompleteBalance();
    void OnExportZeros();
    void OnImportZeros();
    void OnImportGndZeros();
    void BuildZeroSampleSet();

    // ---- Digital channels (DigitalChannels.cpp) ----
    // At the frame's creation when digital channels are in use: the
    // library, or else the meter reader on the digital port.
    void InitDigitalInterface(int comPort, int baud);
    bool LoadDigitalInterfaceDll(const std::string& name);
    bool FreeDigitalInterfaceDll();
    bool IsDigitalLibraryLoaded() const { return m_digital.IsLoaded(); }
    CDigitalInterface& GetDigitalInterface() { return m_digital; }
    CDigitalMeterPort* GetDigitalMeter() { return m_pDigitalMeter.get(); }
    bool ShowDigitalStatus(int stage);
    int GetDigitalCount() const { return g_nDigitalChanCount; }
    const DigitalChannelTable& GetDigitalTable() const { return g_DigitalChanTable; }
    void SetDigitalChannels(int count, const DigitalChannelTable& table);
    const std::string& GetDigitalProgramFile() const { return m_strDigitalProgramFile; }
    // Closes the meter reader and opens it on the new port; 1 when it opened.
    int ReopenDigitalMeter(int comPort, int baud);
    // The frame's close: stop stages, the library freed, the table saved.
    void CloseDigitalChannels();
    void ClearDigitalQueues();
    bool StartDigitalChannels();
    void StopDigitalChannels();
    void WaitDigitalThreadDone();
    bool IsDigitalThreadRunning() const { return m_bDigitalThreadRunning.load(); }
    void ReadDigitalWords();
    void OpenDigitalDataFile();
    void WriteDigitalRecord(const float words[8]);
    void CloseDigitalDataFile();
    // Event sampling: the queues, the merge of a streamed batch, the
    // load-control commands and their stores.
    int CountDigitalRecords();
    int CountCaseBlocks();
    void DropDigitalRecords(int k);
    void DropCaseBlocks(int k);
    void TrimSampleQueues();
    void MergeDigitalSample(int n, const CaseSampleBlock* const* perUnit);
    void OnMoogCommand(int code, const std::uint32_t* words);
    void DigitalEventAcquisition(const MoogCommand& command);
    void StoreQueuedBatch(int n);
    void OnStoreMergedBlock(int n, QueuedCaseBlock* const* perPosition);
    platform::UINT GetDigitalMessage() const { return m_nDigitalMessage; }
    // The stamp of the run's first merged sample (sample i is this + i / f).
    double GetDigitalFirstTime() {
        std::lock_guard<platform::CriticalSection> lock(m_csDigitalQueues);
        return m_dDigitalFirstTime;
    }
    const float* GetRawBalance(int unit) const { return m_RawBalance[unit]; }

    // ---- State ----
    // Millisecond clock of the timed countdown and the event reference
    // (the C library's clock() in the original); tests give their own.
    void SetClock(std::function<std::int64_t()> clock) { m_clock = std::move(clock); }
    std::int64_t NowMs() const { return m_clock(); }
    bool IsThreadRunning() const { return m_bThreadRunning.load(); }
    bool IsBalanceRunning() const { return m_bBalanceRunning.load(); }
    // Waits up to the time for the worker threads to end (delivering the
    // queued messages when called on the user-interface thread).
    bool WaitThreadsDone(std::uint32_t milliseconds);

    CAlarmEvaluation& GetAlarms() { return m_alarms; }
    CaseSampleBlock* GetCurrentSet() { return m_CurrentSet.data(); }
    CaseSampleBlock* GetZeroSet() { return m_ZeroSet.data(); }
    const float* GetValueBuffer() const { return m_ValueBuffer.data(); }
    // False from a run's start until a set of it has reached the value
    // buffer: the buffer then holds nothing measured. Read under the data lock.
    bool HasMeasuredValues() const { return m_bValuesMeasured; }
    // The status record of the last stored set.
    const SampleStatusRecord& GetStatusRecord() const { return m_Status; }
    const float* GetChannelValues() const { return m_ChannelValues.data(); }
    int GetLastStartedMode() const { return m_nLastStartedMode; }
    const std::map<int, std::int32_t>& GetUnitSampleCounts() const { return m_UnitSamples; }

    std::atomic<std::int32_t> m_bCanStartSample{1};
    std::atomic<std::int32_t> m_bCasesFound{0};
    // Written by the commands and the load-control handler, read by the
    // digital poll thread.
    std::atomic<std::int32_t> m_bSaveRealtimeData{1};
    std::int32_t m_bSaveRealtimeDataAtStart = 1;
    std::int32_t m_bRemoteRequest = 0;
    std::int32_t m_bRemoteRun = 0; // the current run was started remotely
    std::int32_t m_nProjectStateAtStart = 0;
    std::atomic<std::int32_t> m_nRunSampleCount{0};
    // The run's counters: counted on the acquisition threads, shown and reset
    // (a stop) on the user-interface thread.
    std::atomic<std::int32_t> m_nContinuousCount{0};
    std::int32_t m_nShownDataCount = 0;
    std::atomic<std::int32_t> m_nRunStoredCount{0}; // the digital poll thread stores too
    std::int64_t m_nRunStartTime = 0;
    std::uint8_t m_bTriggerMode = 0;
    std::uint8_t m_bTriggerArmed = 1;
    std::int32_t m_nTriggerChannel = 0;
    float m_fTriggerLevel = 0.0f;
    std::int32_t m_bStoring = 1; // the trigger switches it in trigger mode
    std::atomic<std::int32_t> m_nBatchCounter{0};
    std::atomic<std::int32_t> m_AnnounceCounters[3]{};
    std::int64_t m_nEventReference = 0; // clock ms
    std::int64_t m_nStartMark = 0;      // high-resolution counter
    std::int64_t m_nLastTimedTick = 0;  // clock ms of the last timed step
    std::int64_t m_nLastRefresh = 0;    // clock ms of the last view refresh
    // Clock ms of the last status of a continuous run: the status panes
    // change four times a second, as often as a changing count can be
    // read, not at the sampling rate (each change repaints the status bar).
    std::int64_t m_nLastStatus = std::numeric_limits<std::int64_t>::min() / 2;
    static constexpr std::int64_t kStatusIntervalMs = 250;
    std::atomic<std::int32_t> m_bBalanceValid{0};
    std::atomic<std::uint8_t> m_bGndBalanceRequest{0};
    std::int32_t m_BalanceSelect[MAX_CHANNEL_COUNT] = {};
    std::string m_strBalanceTime;
    std::uint8_t m_bRestoreParams = 0; // the parameters are sent again to undo a temporary mode

private:
    // Counts one more announced set; the copy goes to the views with the message.
    std::array<std::int32_t, 3> CountAnnouncedSet();
    void SendStatus(int kind, const SampleProgressRecord* record = nullptr);
    // A progress text for the status bar's pane (0 unless told).
    void SendText(const std::string& text, int pane = 0);
    void Log(const std::string& text);
    void EndLoop(int kind, bool timedRecord);
    // A failure of a worker: logged and shown in the status bar, and, unless
    // nobody attends the run, in a box the worker does not wait for.
    void ReportLoopError(const char* text);
    void DigitalMerge();
    int CommandBit(int code) const;
    void SendCommandAction(std::uint32_t mask);
    void StartCommandThread(MoogCommand command);
    void MoogCommandThread(MoogCommand command);
    void CommandPulse(int code);
    void DigitalPollThread();
    void ServeDigitalCommands();
    // Finds the queued record and block of the command's stamp and drops
    // what lies before them; false when the run ended or the stamp is older
    // than everything queued.
    bool FindCommandStart(const MoogCommand& command);
    bool StartThread(std::atomic<bool>& running, void (CSamplingControl::*body)());
    void SampleThreadProc();
    void BalanceAcquisitionThread();
    void LinkZeroAcquisitionThread();
    void LinkSamplingThread();
    void StoreCurrentSet();
    // The status record of the set about to be stored: now.
    void StampStatusRecord();
    // Writes the set's virtual-channel results and digital values and counts it stored.
    void CountStoredSet(const std::map<int, float>& virtualResults);
    bool EvaluateVirtualChannels(std::map<int, float>& results);
    void WriteVirtualChannelValues(const std::map<int, float>& results);
    // The analysis block of every online channel, taken from the gathered values.
    LiveSpectrumBlock TakeFftBlock();
    // A notice to the frame from set processing: sent on the user-interface
    // thread, posted from any other, which never waits for the windows.
    void Notify(platform::UINT message, platform::WPARAM wParam, platform::LPARAM lParam);
    // The set in process for the windows: whole, or only the places given.
    LiveShownSet MakeShownSet(platform::UINT message, const std::array<std::int32_t, 3>& counters,
                              const CLiveViewDemand::Places& places = nullptr);
    void HandleSets(platform::UINT message, int n, const CaseSampleBlock* const* perUnit);
    void ProcessBatch(int n, const CaseSampleBlock* const* perUnit);
    // The checks, counts and stores of the batch's sets; false when the run
    // does not take sets now.
    bool ProcessBatchSets(int n, const CaseSampleBlock* const* perUnit);
    // Builds the batches' conversion plan when a run begins, and again when
    // it was built a while ago.
    void RefreshConversionPlan();
    void TimedStep(int n, const CaseSampleBlock* const* perUnit);
    void CopySample(int index, const CaseSampleBlock* const* perUnit);
    void FillChannelValues();
    void AfterZerosChanged();
    bool ReadZeroFile(const std::string& path, bool text);
    std::string ZerosFolder() const;
    std::string UnitFileName(int unit, const char* extension) const;
    void CloseUnitFiles();
    // Cuts every online unit's files to the whole samples all of them hold;
    // that count, or -1 when a file could not be cut.
    std::int64_t TrimUnitFilesToCommonCount();
    // A data write of the run failed: the run stops, the user is told at its end.
    void StopForWriteError(int error);
    // Appends one block and its status record to the unit's run files;
    // false (the run stopping) when either could not be written.
    bool StoreUnitRecord(int unit, const CaseSampleBlock& block, const SampleStatusRecord& status);

    std::map<int, std::vector<float>> m_FftValues; // channel id -> values since the last hand-over
    std::vector<FormulaProgram> m_VirtualPrograms;
    std::map<int, float> m_VirtualResults; // virtual channel index -> value of the last set
    CVirtualChannelValueFiles m_VirtualFiles;

    SamplingHost* m_pHost;
    platform::HWND m_hFrame;
    CAlarmEvaluation m_alarms;
    std::function<std::int64_t()> m_clock;

    std::vector<CaseSampleBlock> m_CurrentSet;
    std::vector<CaseSampleBlock> m_AveragedSet;
    std::vector<CaseSampleBlock> m_ZeroSet;
    std::vector<CaseSampleBlock> m_LinkSet;
    platform::Event m_hLinkSampleEvent{true, false}; // manual reset: stays set until a set is taken
    std::vector<float> m_ValueBuffer;                // 4096 values then 8 digital words
    bool m_bValuesMeasured = false;                  // see HasMeasuredValues; under the data lock
    std::vector<float> m_ChannelValues;
    // A continuous run's sets are processed on the case driver's thread,
    // which never waits for the windows; the windows take them afterwards.
    // The lock is held while a batch is processed: the run's end waits for it.
    std::mutex m_liveMutex;
    std::vector<float> m_LiveValues;        // the value buffer of the set in process
    std::map<int, float> m_LiveVirtual;     // its virtual-channel results
    std::vector<LiveShownSet> m_BatchShown; // the batch's sets for the views
    CLiveSetQueue m_liveSets;
    LiveShownSet m_ShowingSet;            // user-interface thread
    CSetConversionPlan m_ConversionPlan;  // the second stage of a batch's sets
    std::atomic<bool> m_bPlanStale{true}; // set at a run's start
    std::int64_t m_nPlanBuilt = 0;        // clock ms of the plan's last build
    static constexpr std::int64_t kPlanRecheckMs = 1000;
    CLiveViewDemand m_viewDemand;
    CLiveViewDemand::Places m_ShowingPlaces; // user-interface thread: the places last asked for
    SampleStatusRecord m_Status{};
    platform::LocalDateTime m_StatusLabelTime; // the second m_StatusLabel names
    char m_StatusLabel[sizeof SampleStatusRecord::szLabel] = {};
    int m_nLastStartedMode = -1;

    // Backups of a balance: zeros and zero-set values by channel id.
    std::vector<std::int32_t> m_BackupZero;
    std::vector<float> m_BackupValue;
    std::vector<std::int32_t> m_RequestZeros;
    std::vector<CaseSampleBlock> m_RequestZeroSet;
    std::int32_t m_nRequestValue = -1;
    std::atomic<std::uint8_t> m_bRequestPending{0}; // written by the balance thread too
    std::uint8_t m_bCommandModeChanged = 0;
    std::vector<std::int32_t> m_OldZeros;

    // Per-unit files of the frame's own storage; user-interface thread only.
    std::map<int, platform::RecordFile> m_UnitDat;
    std::map<int, platform::RecordFile> m_UnitStu;
    std::map<int, std::int32_t> m_UnitSamples;

    // Digital channels.
    CDigitalInterface m_digital;
    std::unique_ptr<CDigitalMeterPort> m_pDigitalMeter;
    std::string m_strDigitalProgramFile;
    std::string m_strCmdBitFile;
    platform::UINT m_nDigitalMessage = 0;
    float m_DigitalWords[8] = {};
    std::vector<DigitalRecord> m_DigitalBuffers[8];
    std::vector<CaseSampleBlock> m_EventSet = std::vector<CaseSampleBlock>(512); // poll thread only
    std::atomic<int> m_nMoogCode{-1};
    std::mutex m_commandMutex; // guards m_MoogCommands, the commands waiting for the poll thread
    std::deque<MoogCommand> m_MoogCommands;
    std::atomic<std::uint8_t> m_bDigitalRun{0};
    std::atomic<bool> m_bDigitalThreadRunning{false};
    std::atomic<bool> m_bDigitalPollActive{false};  // cleared by the poll thread as its last act
    std::atomic<bool> m_bCompletionDeferred{false}; // the run's completion waits for the poll thread
    std::atomic<int> m_nCommandThreads{0};
    float m_RawBalance[256][16] = {};
    // Guards the 512 case queues, the 8 digital queues, the merged-sample
    // count and the run's first stamp.
    platform::CriticalSection m_csDigitalQueues;
    std::vector<std::deque<QueuedCaseBlock>> m_CaseQueues = std::vector<std::deque<QueuedCaseBlock>>(512);
    std::deque<DigitalRecord> m_DigitalQueues[8];
    std::int64_t m_nMergedSamples = 0;
    double m_dDigitalFirstTime = 0.0;
    std::mutex m_digitalFileMutex; // guards m_pDigitalFile (the run's ".dst")
    std::FILE* m_pDigitalFile = nullptr;

    // Where the run's loop is with its start: a Stop during the start leaves
    // the instrument to the loop (kRunStopDeferred), which alone knows
    // whether its start has gone out.
    static constexpr int kRunIdle = 0, kRunStarting = 1, kRunStarted = 2, kRunStopDeferred = 3;
    std::atomic<int> m_nRunStartPhase{kRunIdle};
    // The worker threads of a remote request: their failures show no box.
    std::atomic<bool> m_bUnattended{false};

    // The sampling and balance threads run detached: they may be blocked in
    // a send to the user-interface thread, which must never join them.
    std::atomic<bool> m_bThreadRunning{false};
    std::atomic<bool> m_bBalanceRunning{false};
    std::atomic<bool> m_bLinkZeroRunning{false};
    std::atomic<bool> m_bLinkSamplingRunning{false};
};
