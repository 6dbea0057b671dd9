// The loops of the sampling thread for single, timed and event sampling, the
// wait for one sample set, the stop of the acquisition, and the
// balance-acquisition thread.
#include "acquisition/SamplingControl.h"

#include "acquisition/CommBase.h"
#include "acquisition/RunWriteError.h"
#include "model/AppSettings.h"
#include "model/RunFlags.h"
#include "model/ValueConversion.h"
#include "platform/MessageBox.h"
#include "platform/Time.h"

#include <cmath>
#include <cstring>

using namespace sampling_msg;

bool CSamplingControl::WaitSampleData(CaseSampleBlock* destination, int timeoutMs) {
    CCommBase* comm = m_pHost->GetComm();
    if (!comm)
        return false;
    comm->RequestSampleData();
    const int limit = timeoutMs / 100;
    int polls = 0;
    while (g_bSampling.load()) {
        if (comm->PollSampleData(destination))
            return true;
        platform::Sleep(100);
        if (++polls >= limit)
            return false;
    }
    return false;
}

int CSamplingControl::StopAcquisition() {
    SendText("采集停止中......");
    Log("发采样停止命令");
    CCommBase* comm = m_pHost->GetComm();
    const int result = comm ? comm->StopSampling() : 0;
    g_bLinkBusy = 0;
    SendText("采集停止");
    return result;
}

void CSamplingControl::DigitalMerge() {
    ReadDigitalWords();
}

void CSamplingControl::ReportLoopError(const char* text) {
    Log(text);
    SendText(text, 3);
    // The worker goes on at once: a box never holds a run, and a run that
    // nobody attends shows none.
    if (!m_bUnattended.load())
        platform::PostMessageBox(text, g_strAppTitle, platform::MB_OK | platform::MB_ICONERROR);
}

void CSamplingControl::EndLoop(int kind, bool timedRecord) {
    if (g_bDigitalUsed && m_digital.IsLoaded())
        ShowDigitalStatus(5);
    m_bDigitalRun = 0;
    ResetRunFlags();
    platform::SendMessage(m_hFrame, kSampleComplete, 0, 0);
    SendStatus(kind);
    if (timedRecord) {
        SampleProgressRecord record;
        record.nSeconds = -2;
        SendStatus(kind, &record);
    }
}

int CSamplingControl::SampleSingle() {
    std::fill(m_CurrentSet.begin(), m_CurrentSet.end(), CaseSampleBlock{});
    SendStatus(SAMPLE_MODE_SINGLE);
    switch (StartRunAcquisition(m_pHost->GetProject().m_SampleSettings.nSampleMode)) {
    case RunStart::Failed:
        ReportLoopError("启动采集失败!");
        break;
    case RunStart::Stopped:
        break;
    case RunStart::Started:
        if (!WaitSampleData(m_CurrentSet.data(), g_nDelayDataGet)) {
            // A Stop (or a failed write) ends the wait too: no failure of the wait.
            if (g_bSampling.load())
                ReportLoopError("采集数据失败!");
            // The cases would go on streaming into a run that has ended.
            StopAcquisition();
        } else {
            DigitalMerge();
            ProcessSampleSet(true);
            StopAcquisition();
        }
        break;
    }
    EndLoop(SAMPLE_MODE_SINGLE, false);
    return 1;
}

int CSamplingControl::SampleTimed() {
    CProjectState& project = m_pHost->GetProject();
    const SampleSettings& settings = project.m_SampleSettings;
    if (!project.m_bAppendData) {
        m_nRunStoredCount = 0;
        m_nShownDataCount = 0;
    }
    m_nRunSampleCount = 0;
    const std::int64_t interval = settings.nSampleInterval;
    std::int64_t reference = NowMs() - interval * 1000;
    const RunStart start = StartRunAcquisition(settings.nSampleMode);
    if (start != RunStart::Started) {
        if (start == RunStart::Failed)
            ReportLoopError("启动采集失败!");
        EndLoop(SAMPLE_MODE_TIMED, true);
        return 1;
    }
    bool stopped = false;
    while (g_bSampling.load() && (!settings.bSetTimerCount || m_nRunSampleCount < settings.nTimerCount)) {
        while (g_bSampling.load() && g_bSamplePaused.load()) {
            SendStatus(SAMPLE_MODE_TIMED);
            platform::Sleep(200);
        }
        SampleProgressRecord record;
        std::int64_t now = 0;
        double shown = -1.0;
        double elapsed = 0.0;
        do {
            platform::Sleep(100);
            if (!g_bSampling.load()) {
                stopped = true;
                break;
            }
            now = NowMs();
            elapsed = static_cast<double>(now - reference) * 0.001;
            if (elapsed != shown) {
                shown = elapsed;
                record.nSeconds =
                    static_cast<std::int32_t>(std::max(0.0, static_cast<double>(interval) - elapsed));
                std::strcpy(record.szText, " ");
                SendStatus(SAMPLE_MODE_TIMED, &record);
            }
        } while (elapsed < static_cast<double>(interval));
        if (stopped || !g_bSampling.load())
            break;
        reference = now;
        record.nSeconds = -1;
        std::fill(m_CurrentSet.begin(), m_CurrentSet.end(), CaseSampleBlock{});
        if (!WaitSampleData(m_CurrentSet.data(), static_cast<int>(interval * 1000))) {
            std::strcpy(record.szText, "此次采样失败，请确认设备连接正常！");
            SendStatus(SAMPLE_MODE_TIMED, &record);
        } else {
            DigitalMerge();
            ProcessSampleSet(true);
            ++m_nRunSampleCount;
        }
    }
    // A failed write cleared the flag without the Stop command's stop.
    if (!stopped || g_nRunWriteError.load() != 0)
        StopAcquisition();
    EndLoop(SAMPLE_MODE_TIMED, true);
    return 1;
}

int CSamplingControl::SampleEventWait() {
    const SampleSettings& settings = m_pHost->GetProject().m_SampleSettings;
    m_nEventReference = NowMs() - static_cast<std::int64_t>(settings.nSampleInterval) * 1000;
    m_nStartMark = platform::QueryPerformanceCounter();
    const RunStart start = StartRunAcquisition(settings.nSampleMode);
    if (start == RunStart::Failed) {
        ReportLoopError("启动采集失败!");
    } else if (start == RunStart::Started) {
        while (g_bSampling.load())
            platform::Sleep(100);
        if (g_nRunWriteError.load() != 0)
            StopAcquisition();
    }
    EndLoop(SAMPLE_MODE_EVENT, false);
    return 1;
}

void CSamplingControl::BalanceAcquisitionThread() {
    g_bSampling = 1;
    CCommBase* comm = m_pHost->GetComm();
    CCaseProtocol3* encoder = comm ? comm->GetProtocol() : nullptr;
    const int strain = CountChannelsOfType(MEASURE_STRAIN);
    const int temperature = CountChannelsOfType(MEASURE_THERMOCOUPLE) + CountChannelsOfType(MEASURE_RTD) +
                            CountChannelsOfType(MEASURE_RESISTANCE);
    m_bCommandModeChanged = 0;
    if (encoder && temperature >= 1) {
        encoder->SetCommandMode(1);
        m_bCommandModeChanged = 1;
    } else if (encoder && strain >= 1 && m_bGndBalanceRequest.load()) {
        encoder->SetCommandMode(4);
        m_bCommandModeChanged = 1;
    }
    if (m_bCommandModeChanged)
        platform::SendMessage(m_hFrame, kResendChannelParams, 0, 0);

    BackupBalanceValues();
    for (int i = 0; i < g_nChannelCount && i < MAX_CHANNEL_COUNT; ++i) {
        if (IsValidChannelId(g_ChannelList[i]))
            g_ChannelParams[g_ChannelList[i]].nZero = 0;
    }
    std::fill(m_ZeroSet.begin(), m_ZeroSet.end(), CaseSampleBlock{});
    SendStatus(4);

    bool ok = true;
    if (!StartAcquisition(4)) {
        ok = false;
        m_bBalanceValid = 0;
        m_bRequestPending = 0;
        ReportLoopError("启动平衡采集失败!");
    }
    platform::Sleep(1000);
    if (!WaitSampleData(m_ZeroSet.data(), 2 * g_nDelayDataGet)) {
        ok = false;
        StopAcquisition();
        ReportLoopError("获取平衡数据失败!");
    } else {
        StopAcquisition();
    }
    g_bSampling = 0;
    if (m_bCommandModeChanged && encoder) {
        encoder->SetCommandMode(0);
        platform::SendMessage(m_hFrame, kResendChannelParams, 0, 0);
        m_bCommandModeChanged = 0;
    }
    if (ok) {
        m_bBalanceValid = 1;
        platform::SendMessage(m_hFrame, kBalanceDataReady, 0, 0);
    } else {
        // No zeros from an empty set: the channels keep the zeros they had.
        RestoreAllZeros();
        SendStatus(4);
    }
    m_bGndBalanceRequest = 0;
}

bool CSamplingControl::StartLinkZeroAcquisition() {
    if (IsRunActive() || m_bLinkZeroRunning.load() || m_bLinkSamplingRunning.load() ||
        m_bBalanceRunning.load())
        return false;
    return StartThread(m_bLinkZeroRunning, &CSamplingControl::LinkZeroAcquisitionThread);
}

bool CSamplingControl::StartLinkSampling() {
    if (IsRunActive() || m_bLinkZeroRunning.load() || m_bLinkSamplingRunning.load() ||
        m_bBalanceRunning.load())
        return false;
    return StartThread(m_bLinkSamplingRunning, &CSamplingControl::LinkSamplingThread);
}

void CSamplingControl::LinkZeroAcquisitionThread() {
    std::fill(m_ZeroSet.begin(), m_ZeroSet.end(), CaseSampleBlock{});
    g_bSampling = 1;
    LinkAcquisitionLoop(6, kLinkZeroSet);
    m_bBalanceValid = 1;
    g_bSampling = 0;
}

void CSamplingControl::LinkSamplingThread() {
    g_bSampling = 1;
    LinkAcquisitionLoop(7, kLinkSampleSet);
    g_bSampling = 0;
    platform::SendMessage(m_hFrame, kSampleComplete, 0, 0);
}

void CSamplingControl::LinkAcquisitionLoop(int mode, platform::UINT message) {
    SendText("启动采样......");
    if (!StartAcquisition(mode)) {
        SendText("启动采样失败！");
        return;
    }
    while (g_bSampling.load()) {
        SendText("采样进行中......");
        if (m_hLinkSampleEvent.Wait(200) != platform::WAIT_OBJECT_0 || !g_bSampling.load())
            continue;
        SendText("获取采样数据......");
        WaitSampleData(m_LinkSet.data(), g_nDelayDataGet);
        // A handler that did not take the set leaves the event set: the
        // next pass reads again.
        if (platform::SendMessage(m_hFrame, message, 0, 0) == 1)
            m_hLinkSampleEvent.Reset();
    }
    StopAcquisition();
    SendText("采样结束！");
    platform::SendMessage(m_hFrame, kLinkRunEnded, message, 0);
}
