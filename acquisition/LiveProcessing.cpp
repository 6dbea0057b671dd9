// Live processing of the sample sets of a run: conversion into the frame's
// value buffer, storage in the per-unit files, the alarm check, forwarding,
// and the announcements to the views.
#include "acquisition/SamplingControl.h"

#include "acquisition/CommBase.h"
#include "acquisition/DdeServer.h"
#include "acquisition/RunWriteError.h"
#include "app/AppSettings.h"
#include "app/CaseTables.h"
#include "app/RunFlags.h"
#include "app/ValueConversion.h"
#include "app/VirtualChannelValueFiles.h"
#include "datafiles/AppTables.h"
#include "datafiles/SampleFileFormat.h"
#include "datafiles/VirtualChannels.h"
#include "platform/Files.h"
#include "platform/Time.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>

using namespace sampling_msg;

bool CSamplingControl::ConvertSampleSet(float* buffer, const CaseSampleBlock* set) {
    if (!buffer || !set)
        return false;
    for (int i = 0; i < g_nChannelCount && i < MAX_CHANNEL_COUNT; ++i) {
        const int id = g_ChannelList[i];
        if (!IsValidChannelId(id))
            continue;
        const int unit = id / 16;
        const int slot = g_CaseSlot[unit];
        const int position = slot * 16 + id % 16;
        if (slot < 0 || position >= MAX_CHANNEL_COUNT)
            continue;
        const float raw = set[unit].fValues[id % 16];
        // A marker stays the marker: the views show "未平衡", not a number made of it.
        if (IsSpecialValue(raw))
            buffer[position] = raw;
        else
            buffer[position] =
                std::isfinite(raw) ? static_cast<float>(ConvertBlockChannelValue(id, set[unit])) : 0.0f;
    }
    return true;
}

void CSamplingControl::FillChannelValues() {
    for (int i = 0; i < g_nChannelCount && i < MAX_CHANNEL_COUNT; ++i) {
        const int id = g_ChannelList[i];
        if (!IsValidChannelId(id))
            continue;
        const int position = g_CaseSlot[id / 16] * 16 + id % 16;
        if (position >= 0 && position < MAX_CHANNEL_COUNT)
            m_ChannelValues[static_cast<std::size_t>(id)] = m_ValueBuffer[static_cast<std::size_t>(position)];
    }
}

void CSamplingControl::AverageSamples(int n, CaseSampleBlock* const* perUnit) {
    if (n < 1 || !perUnit)
        return;
    for (int slot = 0; slot < g_nCaseCount && slot < MAX_CASE_COUNT; ++slot) {
        const int unit = g_CaseList[slot];
        if (unit < 0 || unit >= kSetBlocks || !perUnit[unit])
            continue;
        CaseSampleBlock& mean = m_AveragedSet[static_cast<std::size_t>(unit)];
        mean.nHeader = unit;
        for (int ch = 0; ch < 16; ++ch) {
            double sum = 0.0;
            for (int s = 0; s < n; ++s)
                sum += perUnit[unit][s].fValues[ch];
            mean.fValues[ch] = static_cast<float>(sum / n);
        }
    }
}

void CSamplingControl::CopySample(int index, CaseSampleBlock* const* perUnit) {
    for (int slot = 0; slot < g_nCaseCount && slot < MAX_CASE_COUNT; ++slot) {
        const int unit = g_CaseList[slot];
        if (unit < 0 || unit >= kSetBlocks || !perUnit[unit])
            continue;
        CaseSampleBlock& block = m_CurrentSet[static_cast<std::size_t>(unit)];
        block = perUnit[unit][index];
        block.nHeader = unit;
    }
}

namespace {
SampleStatusRecord MakeStatusRecord() {
    SampleStatusRecord status{};
    status.dtTime = platform::NowOleDate();
    const platform::LocalDateTime t = platform::NowLocal();
    std::snprintf(status.szLabel, sizeof status.szLabel, "%4d-%02d-%02d %02d:%02d:%02d", t.year, t.month,
                  t.day, t.hour, t.minute, t.second);
    return status;
}
} // namespace

void CSamplingControl::OpenVirtualChannels() {
    const std::vector<std::string> formulas = m_pHost->GetVirtualChannelFormulas();
    // Frames carry all sixteen channels of every online unit.
    std::vector<int> units(g_CaseList, g_CaseList + std::clamp(g_nCaseCount, 0, MAX_CASE_COUNT));
    const OnlineLayout layout = OnlineLayout::FromUnits(units, true);
    m_VirtualPrograms.assign(formulas.size(), FormulaProgram());
    for (std::size_t i = 0; i < formulas.size(); ++i)
        m_VirtualPrograms[i].Compile(formulas[i].c_str(), layout);
    m_VirtualResults.clear();
    m_VirtualFiles.Close();
    if (!formulas.empty() && m_bSaveRealtimeData)
        m_VirtualFiles.Open(m_pHost->GetProject());
}

void CSamplingControl::CloseVirtualChannels() {
    m_VirtualFiles.Close();
}

void CSamplingControl::CompleteVirtualChannelFiles() {
    const CProjectState& project = m_pHost->GetProject();
    const std::vector<std::string> formulas = m_pHost->GetVirtualChannelFormulas();
    const int stored = project.m_nTotalDataCount;
    if (formulas.empty() || !m_bSaveRealtimeData || stored <= 0)
        return;
    const int count = static_cast<int>(std::min<std::size_t>(formulas.size(), kMaxVirtualChannels));
    bool complete = true;
    for (int n = 1; n <= count && complete; ++n)
        complete = platform::FileSize(VirtualChannelValueFilePath(project, n)) >=
                   static_cast<std::int64_t>(stored) * static_cast<std::int64_t>(sizeof(float));
    if (complete)
        return;
    const OnlineLayout layout = OnlineLayoutFromCaseTables();
    const CAppChannelTable channels;
    const VirtualChannelRun run{layout, channels, project.GetFilePath(".dat"), stored, PROJECT_CONFIRMED};
    ComputeVirtualChannels(run, formulas, count);
}

bool CSamplingControl::EvaluateVirtualChannels() {
    m_VirtualResults.clear();
    for (std::size_t i = 0; i < m_VirtualPrograms.size(); ++i) {
        // A formula that does not compile is left out; the program gives
        // 0.0 for a result that is not a finite number.
        if (m_VirtualPrograms[i].IsValid())
            m_VirtualResults[static_cast<int>(i)] = m_VirtualPrograms[i].EvaluateLive(m_ChannelValues.data());
    }
    return !m_VirtualResults.empty();
}

void CSamplingControl::WriteVirtualChannelValues() {
    std::lock_guard<platform::CriticalSection> lock(m_pHost->GetDataLock());
    for (const auto& [index, value] : m_VirtualResults)
        m_VirtualFiles.Append(index, value);
}

void CSamplingControl::StoreCurrentSet() {
    if (g_nRunWriteError.load() != 0)
        return; // the run is stopping: nothing more is stored
    m_Status = MakeStatusRecord();
    platform::SendMessage(m_hFrame, kStoreSampleSet, reinterpret_cast<platform::WPARAM>(&m_Status),
                          reinterpret_cast<platform::LPARAM>(m_CurrentSet.data()));
    if (g_nRunWriteError.load() != 0)
        return;
    WriteVirtualChannelValues();
    if (g_bDigitalUsed)
        WriteDigitalRecord(m_DigitalWords);
    ++m_nRunStoredCount;
    ++m_nBatchCounter;
}

std::array<std::int32_t, 3> CSamplingControl::CountAnnouncedSet() {
    std::array<std::int32_t, 3> counters{};
    for (std::size_t i = 0; i < counters.size(); ++i)
        counters[i] = ++m_AnnounceCounters[i];
    return counters;
}

void CSamplingControl::ProcessSampleSet(bool announce) {
    {
        std::lock_guard<platform::CriticalSection> lock(m_pHost->GetDataLock());
        if (!ConvertSampleSet(m_ValueBuffer.data(), m_CurrentSet.data()))
            return;
        FillChannelValues();
        UpdateTagTable(m_ValueBuffer.data());
    }
    if (m_pHost->IsForwardingOn())
        m_pHost->QueueForwardValues(m_ValueBuffer.data(), g_nCaseCount);
    EvaluateVirtualChannels();
    platform::SendMessage(m_hFrame, kAlarmCheck, 0, reinterpret_cast<platform::LPARAM>(m_ValueBuffer.data()));
    if (m_bSaveRealtimeData)
        StoreCurrentSet();
    if (announce) {
        const auto counters = CountAnnouncedSet();
        g_bNewSampleData = 1;
        platform::SendMessage(m_hFrame, kNewSampleSet, 0, reinterpret_cast<platform::LPARAM>(counters.data()));
    }
    SendStatus(m_pHost->GetProject().m_SampleSettings.nSampleMode);
}

bool CSamplingControl::StoreUnitRecord(int unit, const CaseSampleBlock& block,
                                       const SampleStatusRecord& status) {
    // Each record goes straight to the kernel, so a crash loses no stored
    // set; a unit whose block went in but whose status record did not gets
    // its block taken back, so its two files keep equal counts.
    const auto dat = m_UnitDat.find(unit);
    const auto stu = m_UnitStu.find(unit);
    const bool hasDat = dat != m_UnitDat.end();
    if (hasDat && !dat->second.Append(&block, sizeof block)) {
        StopForWriteError(dat->second.Error());
        return false;
    }
    if (stu != m_UnitStu.end() && !stu->second.Append(&status, sizeof status)) {
        if (hasDat)
            dat->second.Truncate(dat->second.Size() - static_cast<std::int64_t>(sizeof block));
        StopForWriteError(stu->second.Error());
        return false;
    }
    return true;
}

void CSamplingControl::OnStoreSampleSet(const SampleStatusRecord* status, const CaseSampleBlock* set) {
    if (!status || !set || g_nRunWriteError.load() != 0)
        return;
    for (int slot = 0; slot < g_nCaseCount && slot < MAX_CASE_COUNT; ++slot) {
        const int unit = g_CaseList[slot];
        if (unit < 0 || unit >= kSetBlocks)
            continue;
        // A stored block is headed by its unit, whatever word the case's
        // polled sample carried: programs that read the files rely on it.
        CaseSampleBlock block = set[unit];
        block.nHeader = unit;
        if (!StoreUnitRecord(unit, block, *status))
            return;
        ++m_UnitSamples[unit];
    }
}

bool CSamplingControl::CheckTrigger(const float* channelValues) {
    if (!channelValues || !IsValidChannelId(m_nTriggerChannel))
        return m_bStoring != 0;
    if (channelValues[m_nTriggerChannel] < m_fTriggerLevel) {
        m_bTriggerArmed = 1;
        m_bStoring = 0;
    } else {
        m_bStoring = 1;
    }
    return m_bStoring != 0;
}

void CSamplingControl::AppendFftSamples() {
    for (int i = 0; i < g_nChannelCount && i < MAX_CHANNEL_COUNT; ++i) {
        const int id = g_ChannelList[i];
        if (IsValidChannelId(id))
            m_FftValues[id].push_back(m_ChannelValues[static_cast<std::size_t>(id)]);
    }
}

void CSamplingControl::FeedFftSpectrum() {
    if (!m_pHost->HasSpectrumGraph())
        return;
    const int blockSize = m_pHost->GetProject().m_SampleSettings.nAnalysisBlockSize;
    m_FftBuffers.resize(static_cast<std::size_t>(std::clamp(g_nChannelCount, 0, MAX_CHANNEL_COUNT)));
    for (std::size_t i = 0; i < m_FftBuffers.size(); ++i) {
        const std::vector<float>& values = m_FftValues[g_ChannelList[i]];
        const std::size_t n = std::min(values.size(), static_cast<std::size_t>(std::max(blockSize, 0)));
        m_FftBuffers[i].assign(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(n));
    }
    m_pHost->FeedSpectrum(blockSize, m_FftBuffers, m_bSaveRealtimeData != 0);
    for (auto& [id, values] : m_FftValues)
        values.clear();
}

bool CSamplingControl::BatchRows(int first, int last, int blockSize, int& from, int& to) {
    if (blockSize < 1 || first < 1 || last < 1)
        return false;
    const int s = (first - 1) % blockSize;
    const int e = (last - 1) % blockSize;
    if (s < 1 || e < 1)
        return false;
    const bool sameBlock = (first - 1) / blockSize == (last - 1) / blockSize;
    from = (sameBlock ? s : 1) - 1;
    to = e;
    return true;
}

void CSamplingControl::ProcessBatch(int n, CaseSampleBlock* const* perUnit) {
    const int mode = m_pHost->GetProject().m_SampleSettings.nSampleMode;
    const int firstAnnounced = m_AnnounceCounters[0] + 1;
    if (m_bTriggerMode)
        SendText("正在等待触发......");
    {
        // The channel records change only on this thread, between batches.
        std::lock_guard<platform::CriticalSection> lock(m_pHost->GetDataLock());
        m_ConversionPlan.Build();
    }
    for (int i = 0; i < n; ++i) {
        CopySample(i, perUnit);
        if (!m_bTriggerMode)
            ReadDigitalWords();
        {
            std::lock_guard<platform::CriticalSection> lock(m_pHost->GetDataLock());
            m_ConversionPlan.Convert(m_CurrentSet.data(), m_ValueBuffer.data(), m_ChannelValues.data());
        }
        ++m_nContinuousCount;
        if (m_bTriggerMode) {
            CheckTrigger(m_ChannelValues.data());
            EvaluateVirtualChannels();
            if (m_bStoring && m_bTriggerArmed) {
                StoreCurrentSet();
                m_bTriggerArmed = 0;
                const auto counters = CountAnnouncedSet();
                platform::SendMessage(m_hFrame, kNewSampleSet, 0,
                                      reinterpret_cast<platform::LPARAM>(counters.data()));
                SendStatus(1);
            }
            continue;
        }
        if (m_pHost->IsForwardingOn())
            m_pHost->QueueForwardValues(m_ValueBuffer.data(), g_nCaseCount);
        EvaluateVirtualChannels();
        platform::SendMessage(m_hFrame, kAlarmCheck, 0,
                              reinterpret_cast<platform::LPARAM>(m_ValueBuffer.data()));
        if (m_bSaveRealtimeData && m_bTriggerArmed) {
            // The case driver writes the blocks; the frame counts them.
            m_Status = MakeStatusRecord();
            WriteVirtualChannelValues();
            if (g_bDigitalUsed)
                WriteDigitalRecord(m_DigitalWords);
            ++m_nRunStoredCount;
            ++m_nBatchCounter;
        }
        const auto counters = CountAnnouncedSet();
        platform::SendMessage(m_hFrame, kContinuousSample, reinterpret_cast<platform::WPARAM>(counters.data()),
                              1);
        const std::int64_t statusTime = NowMs();
        if (statusTime - m_nLastStatus >= kStatusIntervalMs) {
            SendStatus(mode);
            m_nLastStatus = statusTime;
        }
        const SampleSettings& settings = m_pHost->GetProject().m_SampleSettings;
        if (g_bSoftwareSpectrum && settings.nAnalysisMode == 1) {
            AppendFftSamples();
            if (settings.nAnalysisBlockSize > 0 && counters[0] % settings.nAnalysisBlockSize == 0)
                FeedFftSpectrum();
        }
    }
    int from = 0, to = 0;
    if (BatchRows(firstAnnounced, m_AnnounceCounters[0],
                  m_pHost->GetProject().m_SampleSettings.nAnalysisBlockSize, from, to))
        m_pHost->MarkCurveRows(from, to);
    const std::int64_t now = NowMs();
    if (now - m_nLastRefresh >= 500) {
        platform::SendMessage(m_hFrame, kViewRefresh, static_cast<platform::WPARAM>(m_AnnounceCounters[0]),
                              0);
        m_nLastRefresh = now;
    }
}

void CSamplingControl::TimedStep(int n, CaseSampleBlock* const* perUnit) {
    const SampleSettings& settings = m_pHost->GetProject().m_SampleSettings;
    const std::int64_t now = NowMs();
    const double elapsed = static_cast<double>(now - m_nLastTimedTick) * 0.001;
    if (elapsed != 0.0) {
        SampleProgressRecord record;
        record.nSeconds = static_cast<std::int32_t>(std::max(0.0, settings.nSampleInterval - elapsed));
        std::strcpy(record.szText, " ");
        SendStatus(SAMPLE_MODE_TIMED, &record);
    }
    if (elapsed < settings.nSampleInterval)
        return;
    m_nLastTimedTick = now;
    ++m_nRunSampleCount;
    if (settings.bSetTimerCount && m_nRunSampleCount >= settings.nTimerCount) {
        m_nRunSampleCount = settings.nTimerCount;
        StopAcquisition();
    }
    AverageSamples(n, perUnit);
    m_CurrentSet = m_AveragedSet;
    DigitalMerge();
    ProcessSampleSet(true);
    platform::SendMessage(m_hFrame, kBatchDone, 0, 0);
}

void CSamplingControl::HandleSets(platform::UINT message, int n, CaseSampleBlock* const* perUnit) {
    if (n < 1 || !perUnit || !g_bSampling.load())
        return;
    const bool paused = g_bSamplePaused.load() != 0;
    switch (message) {
    case kSampleAverageStop:
        AverageSamples(n, perUnit);
        StopAcquisition();
        break;
    case kSampleBatch:
        if (!paused) {
            ProcessBatch(n, perUnit);
            platform::SendMessage(m_hFrame, kBatchDone, 0, 0);
        }
        break;
    case kSampleSingle:
        AverageSamples(n, perUnit);
        m_CurrentSet = m_AveragedSet;
        DigitalMerge();
        ProcessSampleSet(true);
        StopAcquisition();
        break;
    case kSampleTimed:
        if (!paused)
            TimedStep(n, perUnit);
        break;
    case kSampleDigital:
        if (!paused)
            MergeDigitalSample(n, perUnit);
        break;
    default:
        break;
    }
}
