// Life of one sampling run: the Start, Pause and Stop commands, the sampling
// thread, the completion handler, the status texts and the message dispatch.
#include "acquisition/SamplingControl.h"

#include "acquisition/BoundedWait.h"
#include "acquisition/CommBase.h"
#include "acquisition/NetCaseDriver.h"
#include "acquisition/RunWriteError.h"
#include "model/AppSettings.h"
#include "model/CaseTables.h"
#include "model/DebugLogFiles.h"
#include "model/RunFlags.h"
#include "platform/DebugLog.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "platform/Time.h"

#include <chrono>
#include <cstring>
#include <system_error>
#include <thread>

using namespace sampling_msg;

void ResetRunFlags() {
    g_bStopProcessing = 0;
    g_bNewSampleData = 0;
    g_bSamplePaused = 0;
    g_bSampling = 0;
}

namespace {
std::int64_t SteadyMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
} // namespace

CSamplingControl::CSamplingControl(SamplingHost* host, platform::HWND frame)
    : m_pHost(host), m_hFrame(frame), m_clock(SteadyMs), m_CurrentSet(kSetBlocks), m_AveragedSet(kSetBlocks),
      m_ZeroSet(kSetBlocks), m_LinkSet(kSetBlocks), m_ValueBuffer(kValueWords),
      m_ChannelValues(MAX_CHANNEL_COUNT), m_LiveValues(kValueWords), m_BackupZero(MAX_CHANNEL_COUNT),
      m_BackupValue(MAX_CHANNEL_COUNT) {}

CSamplingControl::~CSamplingControl() {
    g_bSampling = 0;
    m_bDigitalRun = 0;
    WaitThreadsDone(5000);
    WaitBounded([this] { return !m_bDigitalThreadRunning.load() && m_nCommandThreads.load() == 0; }, 5000);
    CloseUnitFiles();
    CloseDigitalDataFile();
}

bool CSamplingControl::WaitThreadsDone(std::uint32_t milliseconds) {
    return WaitBounded(
        [this] {
            return !m_bThreadRunning.load() && !m_bBalanceRunning.load() && !m_bLinkZeroRunning.load() &&
                   !m_bLinkSamplingRunning.load();
        },
        milliseconds);
}

bool CSamplingControl::StartThread(std::atomic<bool>& running, void (CSamplingControl::*body)()) {
    m_bUnattended = m_bRemoteRequest != 0;
    running = true;
    try {
        std::thread([this, &running, body] {
            (this->*body)();
            running = false;
        }).detach();
    } catch (const std::system_error&) {
        running = false;
        return false;
    }
    return true;
}

void CSamplingControl::Log(const std::string& text) {
    WriteLogFile("Sample", text + " " + platform::FormatLogTimeStamp());
}

void CSamplingControl::SendText(const std::string& text, int pane) {
    platform::SendMessage(m_hFrame, kStatusText, reinterpret_cast<platform::WPARAM>(&text), pane);
}

void CSamplingControl::SendStatus(int kind, const SampleProgressRecord* record) {
    platform::SendMessage(m_hFrame, kSampleStatus, static_cast<platform::WPARAM>(kind),
                          reinterpret_cast<platform::LPARAM>(record));
}

bool CSamplingControl::CanStartSample(int onlineCaseCount) const {
    return (!g_bSampling.load() || g_bSamplePaused.load()) && m_bCasesFound.load() &&
           m_bCanStartSample.load() && onlineCaseCount > 0;
}

void CSamplingControl::OnStartSample() {
    if (g_bSampling.load() && !g_bSamplePaused.load())
        return;
    if (g_bSamplePaused.load()) {
        g_bSampling = 1;
        g_bSamplePaused = 0;
        return;
    }
    if (m_bThreadRunning.load() || m_bBalanceRunning.load())
        return; // the last run's thread is still finishing
    CProjectState& project = m_pHost->GetProject();
    Log("");
    Log("<启动采样");
    SampleSettings settings;
    if (!m_pHost->GetSampleSettings(settings))
        return;
    project.m_SampleSettings = settings;
    // A remote start asks nothing: the client asked for a run as the settings stand.
    if (!m_bSaveRealtimeData && !m_bRemoteRequest &&
        platform::MessageBox("实时采集数据处于不存盘状态，是否继续启动采集？", g_strAppTitle,
                             platform::MB_YESNO | platform::MB_ICONWARNING) != platform::IDYES)
        return;
    m_bSaveRealtimeDataAtStart = m_bSaveRealtimeData;
    Log("发停止采集命令");
    if (!StopAcquisition() && !m_bRemoteRequest)
        platform::MessageBox("启动采样出现异常，请检查设备网络连接状态。", g_strAppTitle,
                             platform::MB_OK | platform::MB_ICONWARNING);
    if (project.m_nProjectState == PROJECT_OPENED)
        project.m_nProjectState = PROJECT_NONE;
    m_pHost->PrepareViewsForSampling();
    if (!m_bRemoteRequest) {
        if (!m_pHost->ConfirmProjectForSampling())
            return;
    } else {
        const std::string root = project.m_strProgramFolder + "/Projects";
        project.m_strProjectRoot = root;
        project.SetProjectFolderAndName(root + "/NetCtrl", "NetCtrl");
        project.m_strProjectFile = project.GetFilePath(".dap");
        if (!m_pHost->PrepareProject(project.m_strProjectFile)) {
            // A run on a project that was not prepared would mix with what
            // the folder holds: the start ends and the client is told.
            Log("项目准备失败 " + project.m_strProjectFolder);
            return;
        }
        m_pHost->ResetAllViews();
        m_pHost->ResetDataCounters();
    }
    Log("项目路径名称 " + project.m_strProjectFolder + "/" + project.m_strProjectName);
    g_bPerCaseFiles = 1;

    m_bRemoteRun = m_bRemoteRequest;
    m_nProjectStateAtStart = project.m_nProjectState;
    m_pHost->SetProjectState(PROJECT_PREPARED);
    project.m_strProjectFile = project.GetFilePath(".dap");
    m_pHost->WriteProjectFile();
    m_pHost->WriteDeviceType();

    m_alarms.BuildAlarmChannelList();
    m_alarms.SetLogTarget(project.m_strProjectFolder, project.m_strProjectName, project.m_bAppendData,
                          &m_pHost->GetDataLock());

    g_nRunWriteError = 0;
    g_bSampling = 1;
    g_bSamplePaused = 0;
    m_nContinuousCount = 0;
    m_nRunStoredCount = 0;
    m_nRunSampleCount = 0;
    m_bTriggerArmed = 1;
    m_bStoring = 1;

    m_pHost->EnableSampleInputs(false);
    m_pHost->EnableChannelBar(false);
    {
        std::lock_guard<platform::CriticalSection> lock(m_pHost->GetDataLock());
        std::fill(m_ValueBuffer.begin(), m_ValueBuffer.end(), 0.0f);
        m_bValuesMeasured = false;
    }
    std::fill(m_LiveValues.begin(), m_LiveValues.end(), 0.0f);
    m_liveSets.Clear();
    UpdateLiveViewDemand();
    ClearDigitalQueues();
    m_pHost->EnsureRealtimeTableView();
    if (!project.m_bAppendData) {
        for (int kind = 1; kind <= 3; ++kind)
            m_pHost->ResetViewData(kind);
    }
    for (auto& record : g_ChannelParams) {
        record.fCorrectionSlope = 1.0f;
        record.fCorrectionOffset = 0.0f;
    }
    m_bPlanStale = true;

    const bool continuous = settings.nSampleMode == SAMPLE_MODE_CONTINUOUS;
    if (!continuous || m_bTriggerMode)
        platform::SendMessage(m_hFrame, kOpenSampleFiles, 0, 0);
    if (continuous && m_bTriggerMode)
        m_bSaveRealtimeData = 0;
    if (g_bDigitalUsed)
        OpenDigitalDataFile();
    OpenVirtualChannels();
    m_pHost->PassSpectrumRunParams();
    if (m_pHost->IsForwardingOn())
        m_pHost->StartForwardSender(g_nCaseCount);

    m_nRunStartTime = platform::NowTimeT();
    Log("启动采样线程");
    if (g_bDigitalUsed && m_digital.IsLoaded())
        StartDigitalChannels();
    m_bCanStartSample = 0;
    m_nRunStartPhase = kRunStarting;
    if (!StartThread(m_bThreadRunning, &CSamplingControl::SampleThreadProc)) {
        // Without a thread nothing would ever complete the run: undo the start.
        m_nRunStartPhase = kRunIdle;
        ResetRunFlags();
        m_bDigitalRun = 0;
        WaitDigitalThreadDone();
        OnCloseSampleFiles();
        CloseDigitalDataFile();
        CloseVirtualChannels();
        m_pHost->EnableSampleInputs(true);
        m_pHost->EnableChannelBar(true);
        m_pHost->SetProjectState(m_nProjectStateAtStart);
        m_bCanStartSample = 1;
        return;
    }
    if (m_bRemoteRequest && m_pHost->IsForwardingOn()) {
        m_pHost->BroadcastPacket(4, 1);
        m_bRemoteRequest = 0;
    }
}

void CSamplingControl::SampleThreadProc() {
    switch (m_pHost->GetProject().m_SampleSettings.nSampleMode) {
    case SAMPLE_MODE_TIMED:
        SampleTimed();
        break;
    case SAMPLE_MODE_SINGLE:
        SampleSingle();
        break;
    case SAMPLE_MODE_CONTINUOUS:
        RunContinuous();
        break;
    case SAMPLE_MODE_EVENT:
        SampleEventWait();
        break;
    default:
        break;
    }
    m_nRunStartPhase = kRunIdle;
    Log("采样线程结束/>");
}

void CSamplingControl::OnPauseSample() {
    const std::int32_t paused = g_bSamplePaused.load() ? 0 : 1;
    g_bSamplePaused = paused;
    m_bCanStartSample = paused;
    if (CCommBase* comm = m_pHost->GetComm())
        comm->PauseSampling(paused);
}

void CSamplingControl::OnStopSample() {
    if (!m_pHost->VerifyStopRights())
        return;
    CProjectState& project = m_pHost->GetProject();
    if (project.m_SampleSettings.nSampleMode == SAMPLE_MODE_TIMED) {
        const platform::LocalDateTime t = platform::NowLocal();
        char line[96];
        std::snprintf(line, sizeof line, "%d-%d-%d %02d:%02d:%02d : SampleTimerThread Stop!", t.year, t.month,
                      t.day, t.hour, t.minute, t.second);
        WriteLogFile("TimerDebug", line);
    }
    m_nContinuousCount = 0;
    m_AnnounceCounters[0] = 0;
    m_nBatchCounter = 0;
    SendText("正在停止采集，请稍候......");
    m_pHost->WriteProjectFile();
    // While the loop starts the acquisition, a stop sent from here could
    // overtake its start: the loop stops the cases once its start is out.
    int phase = kRunStarting;
    if (m_nRunStartPhase.compare_exchange_strong(phase, kRunStopDeferred))
        Log("采样启动中, 由采样线程停止采集");
    else
        StopAcquisition();
    ResetRunFlags();
    if (g_bDigitalUsed && m_digital.IsLoaded())
        StopDigitalChannels();
}

void CSamplingControl::OnSampleComplete() {
    CProjectState& project = m_pHost->GetProject();
    Log("采样完成处理");
    {
        // A batch still in process is finished first; the views then take
        // what they have not drawn yet, before the files close.
        std::lock_guard<std::mutex> live(m_liveMutex);
    }
    ShowLiveSets();
    SendText("正在采集完成处理...");
    // The digital poll thread's last stores land before the files close:
    // while it still runs, the completion waits for the message it posts
    // when it ends (never blocking this thread, which its stores need).
    m_bDigitalRun = 0;
    if (m_bDigitalPollActive.load()) {
        m_bCompletionDeferred = true;
        if (m_bDigitalPollActive.load() || !m_bCompletionDeferred.exchange(false))
            return;
    }
    GetMaxUnitSampleCount(project.m_nTotalDataCount);
    const bool continuous = project.m_SampleSettings.nSampleMode == SAMPLE_MODE_CONTINUOUS;
    if (!continuous || m_bTriggerMode)
        platform::SendMessage(m_hFrame, kCloseSampleFiles, 0, 0);
    CloseDigitalDataFile();
    CloseVirtualChannels();
    m_alarms.CloseLog();
    EnsureSampleDataFiles();
    PadPerUnitFiles();
    CompleteVirtualChannelFiles();
    m_pHost->WriteProjectFile();

    m_nShownDataCount = project.m_nTotalDataCount;
    m_pHost->SetProjectState(PROJECT_CONFIRMED);
    m_bCanStartSample = 1;
    m_bSaveRealtimeData = m_bSaveRealtimeDataAtStart;
    Log("刷新所有视图");
    m_pHost->EnableSampleInputs(true);
    m_pHost->ShowSampleSettings(project.m_SampleSettings);
    m_pHost->EnableChannelBar(true);
    if (m_nRunStoredCount >= 1 && m_nShownDataCount >= 1 && project.m_nTotalDataCount != 0)
        m_pHost->ReloadViewData(project.m_bAppendData);
    else if (m_nRunStoredCount == 0 && m_nShownDataCount >= 0)
        m_pHost->SetProjectState(m_nProjectStateAtStart);

    const bool singleWithoutSaving =
        project.m_SampleSettings.nSampleMode == SAMPLE_MODE_SINGLE && !m_bSaveRealtimeData;
    if (project.m_nTotalDataCount >= 0 && !singleWithoutSaving)
        m_pHost->StartResultWorkers(project.m_nTotalDataCount);
    m_pHost->RefreshSpectrumViews();
    // A run stopped because its data could not be written: the remote
    // client reads it in the end packet's value, the user in a message.
    const int writeError = g_nRunWriteError.load();
    if (writeError != 0) {
        Log("数据写入失败，保存的数据个数 " + std::to_string(project.m_nTotalDataCount));
        // Posted: the sampling thread waits for this handler.
        if (!m_bRemoteRun)
            platform::PostMessageBox(RunWriteErrorText(writeError), g_strAppTitle,
                                     platform::MB_OK | platform::MB_ICONERROR);
    }
    if (m_pHost->IsForwardingOn()) {
        m_pHost->StopForwardSender();
        if (m_bRemoteRun)
            m_pHost->BroadcastPacket(5, writeError != 0 ? kRunEndWriteFailed : 1);
    }
    m_bRemoteRequest = 0;
    m_bRemoteRun = 0;
    Log("采样完成处理结束");
    SendText("采集结束");
}

void CSamplingControl::OnSampleStatus(int kind, const SampleProgressRecord* record) {
    const CProjectState& project = m_pHost->GetProject();
    std::string pane0;
    int count = m_nShownDataCount;
    if (g_bSampling.load()) {
        switch (kind) {
        case 0:
            if (record) {
                char text[96];
                std::snprintf(text, sizeof text, "系统当前正处于定时采样中......%d S", record->nSeconds);
                pane0 = text;
                m_pHost->SetStatusText(3, record->szText);
            }
            count = m_nRunSampleCount;
            break;
        case 1:
            pane0 = "单次采样中......";
            break;
        case 2:
            pane0 = "连续采样中......";
            count = m_nContinuousCount;
            if (CCommBase* comm = m_pHost->GetComm()) {
                // Sets the live processing could not keep up with are shown, never lost unseen.
                if (const std::int64_t skipped = comm->GetSkippedSets(); skipped > 0) {
                    char text[64];
                    std::snprintf(text, sizeof text, "  实时处理跳过%lld组", static_cast<long long>(skipped));
                    pane0 += text;
                }
            }
            break;
        case 3:
            pane0 = "事件采样中......   ";
            break;
        case 4:
            pane0 = "平衡采样中......";
            break;
        default:
            break;
        }
    } else if (kind == 0) {
        if (record)
            m_pHost->SetStatusText(3, record->szText);
    } else {
        pane0 = "采样停止";
    }
    if (g_bSamplePaused.load())
        pane0 = "采样暂停";
    m_pHost->SetStatusText(0, pane0);
    m_pHost->ShowDataCount(count, project.m_nTotalDataCount, g_bSampling.load() != 0);
}

bool CSamplingControl::HandleMessage(platform::UINT message, platform::WPARAM wParam, platform::LPARAM lParam,
                                     platform::LRESULT& result) {
    result = 0;
    if (m_nDigitalMessage != 0 && message == m_nDigitalMessage) {
        OnMoogCommand(static_cast<int>(wParam), reinterpret_cast<const std::uint32_t*>(lParam));
        return true;
    }
    switch (message) {
    case kStoreMergedBlock:
        OnStoreMergedBlock(static_cast<int>(wParam), reinterpret_cast<QueuedCaseBlock* const*>(lParam));
        return true;
    case kSampleStatus:
        OnSampleStatus(static_cast<int>(wParam), reinterpret_cast<const SampleProgressRecord*>(lParam));
        return true;
    case kSampleComplete:
        OnSampleComplete();
        return true;
    case kStatusText:
        if (wParam)
            m_pHost->SetStatusText(static_cast<int>(lParam), *reinterpret_cast<const std::string*>(wParam));
        return true;
    case kOpenSampleFiles:
        OnOpenSampleFiles();
        return true;
    case kCloseSampleFiles:
        OnCloseSampleFiles();
        return true;
    case kStoreSampleSet:
        OnStoreSampleSet(reinterpret_cast<const SampleStatusRecord*>(wParam),
                         reinterpret_cast<const CaseSampleBlock*>(lParam));
        return true;
    case kSampleAverageStop:
    case kSampleBatch:
    case kSampleSingle:
    case kSampleTimed:
    case kSampleDigital:
        HandleSets(message, static_cast<int>(wParam),
                   reinterpret_cast<const CaseSampleBlock* const*>(lParam));
        return true;
    case kDownloadParams:
        if (wParam)
            result = DownloadChannelParams(*reinterpret_cast<const std::vector<int>*>(wParam));
        return true;
    case kClearChannelZero:
        if (IsValidChannelId(static_cast<int>(wParam)))
            g_ChannelParams[wParam].nZero = 0;
        return true;
    case kResendChannelParams:
        m_pHost->SendChannelParams();
        return true;
    case kBalanceDataReady:
        OnBalanceDataReady();
        return true;
    case kBalanceDone:
        OnBalanceDone();
        return true;
    case kBalanceFinished:
        m_pHost->ShowBalanceTableView();
        CompleteBalance();
        return true;
    case kBalanceRequest:
        OnBalanceRequest(static_cast<int>(wParam));
        return true;
    case kShowLiveSets:
        ShowLiveSets();
        return true;
    case kAlarmCheck:
        result = m_alarms.OnAlarmCheck(reinterpret_cast<const float*>(lParam));
        return true;
    default:
        return false;
    }
}
