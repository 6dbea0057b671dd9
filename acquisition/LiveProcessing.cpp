// Live processing of the sample sets of a run: conversion into the frame's
// value buffer, storage in the per-unit files, the alarm check, forwarding,
// and the announcements to the views.
#include "acquisition/SamplingControl.h"

#include "acquisition/CommBase.h"
#include "acquisition/DdeServer.h"
#include "acquisition/RunWriteError.h"
#include "datafiles/AppTables.h"
#include "datafiles/SampleFileFormat.h"
#include "datafiles/VirtualChannelValueFiles.h"
#include "datafiles/VirtualChannels.h"
#include "model/AppSettings.h"
#include "model/CaseTables.h"
#include "model/RunFlags.h"
#include "model/ValueConversion.h"
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

void CSamplingControl::AverageSamples(int n, const CaseSampleBlock* const* perUnit) {
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

void CSamplingControl::CopySample(int index, const CaseSampleBlock* const* perUnit) {
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
bool SameSecond(const platform::LocalDateTime& a, const platform::LocalDateTime& b) {
    return a.second == b.second && a.minute == b.minute && a.hour == b.hour && a.day == b.day &&
           a.month == b.month && a.year == b.year;
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
    return EvaluateVirtualChannels(m_VirtualResults);
}

bool CSamplingControl::EvaluateVirtualChannels(std::map<int, float>& results) {
    results.clear();
    for (std::size_t i = 0; i < m_VirtualPrograms.size(); ++i) {
        // A formula that does not compile is left out; the program gives
        // 0.0 for a result that is not a finite number.
        if (m_VirtualPrograms[i].IsValid())
            results[static_cast<int>(i)] = m_VirtualPrograms[i].EvaluateLive(m_ChannelValues.data());
    }
    return !results.empty();
}

void CSamplingControl::WriteVirtualChannelValues() {
    WriteVirtualChannelValues(m_VirtualResults);
}

void CSamplingControl::WriteVirtualChannelValues(const std::map<int, float>& results) {
    std::lock_guard<platform::CriticalSection> lock(m_pHost->GetDataLock());
    for (const auto& [index, value] : results)
        m_VirtualFiles.Append(index, value);
}

void CSamplingControl::StampStatusRecord() {
    // One reading of the clock gives the date and the label; a continuous
    // run stamps thousands of sets a second, so the label is written only
    // when its second changes.
    const platform::LocalDateTime t = platform::NowLocal();
    double date = 0.0;
    platform::OleDateFromLocal(t, date);
    // The table views read the record under this lock.
    std::lock_guard<platform::CriticalSection> lock(m_pHost->GetDataLock());
    if (!SameSecond(t, m_StatusLabelTime)) {
        std::snprintf(m_StatusLabel, sizeof m_StatusLabel, "%4d-%02d-%02d %02d:%02d:%02d", t.year, t.month,
                      t.day, t.hour, t.minute, t.second);
        m_StatusLabelTime = t;
    }
    m_Status = SampleStatusRecord{};
    m_Status.dtTime = date;
    std::memcpy(m_Status.szLabel, m_StatusLabel, sizeof m_Status.szLabel);
}

void CSamplingControl::StoreCurrentSet() {
    if (g_nRunWriteError.load() != 0)
        return; // the run is stopping: nothing more is stored
    StampStatusRecord();
    platform::SendMessage(m_hFrame, kStoreSampleSet, reinterpret_cast<platform::WPARAM>(&m_Status),
                          reinterpret_cast<platform::LPARAM>(m_CurrentSet.data()));
    if (g_nRunWriteError.load() != 0)
        return;
    CountStoredSet(m_VirtualResults);
}

void CSamplingControl::CountStoredSet(const std::map<int, float>& virtualResults) {
    WriteVirtualChannelValues(virtualResults);
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
        m_bValuesMeasured = true;
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
        platform::SendMessage(m_hFrame, kNewSampleSet, 0,
                              reinterpret_cast<platform::LPARAM>(counters.data()));
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

LiveSpectrumBlock CSamplingControl::TakeFftBlock() {
    LiveSpectrumBlock block;
    block.nBlockSize = m_pHost->GetProject().m_SampleSettings.nAnalysisBlockSize;
    block.bSave = m_bSaveRealtimeData != 0;
    block.buffers.resize(static_cast<std::size_t>(std::clamp(g_nChannelCount, 0, MAX_CHANNEL_COUNT)));
    for (std::size_t i = 0; i < block.buffers.size(); ++i) {
        const std::vector<float>& values = m_FftValues[g_ChannelList[i]];
        const std::size_t n =
            std::min(values.size(), static_cast<std::size_t>(std::max(block.nBlockSize, 0)));
        block.buffers[i].assign(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(n));
    }
    for (auto& [id, values] : m_FftValues)
        values.clear();
    return block;
}

void CSamplingControl::FeedFftSpectrum() {
    if (!m_pHost->HasSpectrumGraph())
        return;
    const LiveSpectrumBlock block = TakeFftBlock();
    m_pHost->FeedSpectrum(block.nBlockSize, block.buffers, block.bSave);
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

void CSamplingControl::Notify(platform::UINT message, platform::WPARAM wParam, platform::LPARAM lParam) {
    if (platform::IsUiThread())
        platform::SendMessage(m_hFrame, message, wParam, lParam);
    else
        platform::PostMessage(m_hFrame, message, wParam, lParam);
}

LiveShownSet CSamplingControl::MakeShownSet(platform::UINT message,
                                            const std::array<std::int32_t, 3>& counters,
                                            const CLiveViewDemand::Places& places) {
    LiveShownSet set;
    set.nMessage = message;
    set.counters = counters;
    set.values = m_liveSets.TakeSpareValues();
    set.places = places;
    if (places == nullptr) {
        set.values.assign(m_LiveValues.begin(), m_LiveValues.end());
    } else {
        set.values.resize(places->size());
        for (std::size_t k = 0; k < places->size(); ++k)
            set.values[k] = m_LiveValues[static_cast<std::size_t>((*places)[k])];
    }
    set.virtualResults = m_LiveVirtual;
    return set;
}

void CSamplingControl::ProcessBatch(int n, const CaseSampleBlock* const* perUnit) {
    if (!ProcessBatchSets(n, perUnit))
        return;
    if (platform::IsUiThread())
        ShowLiveSets();
    else if (m_liveSets.RequestShow())
        platform::PostMessage(m_hFrame, kShowLiveSets, 0, 0);
    const std::int64_t now = NowMs();
    if (now - m_nLastRefresh >= 500) {
        Notify(kViewRefresh, static_cast<platform::WPARAM>(m_AnnounceCounters[0]), 0);
        m_nLastRefresh = now;
    }
}

bool CSamplingControl::ProcessBatchSets(int n, const CaseSampleBlock* const* perUnit) {
    // Every set is converted, checked, forwarded and counted here, on
    // whichever thread delivers the batch; nothing here waits for the
    // windows, which take the sets for drawing when they can.
    std::lock_guard<std::mutex> live(m_liveMutex);
    if (!g_bSampling.load() || g_bSamplePaused.load())
        return false;
    const SampleSettings& settings = m_pHost->GetProject().m_SampleSettings;
    const int mode = settings.nSampleMode;
    const int firstAnnounced = m_AnnounceCounters[0] + 1;
    static const std::string waitingForTrigger = "正在等待触发......";
    if (m_bTriggerMode)
        Notify(kStatusText, reinterpret_cast<platform::WPARAM>(&waitingForTrigger), 0);
    RefreshConversionPlan();
    // Without a view that draws every set the windows get the batch's last
    // one only: the tables, the bars and the alarm windows show the newest.
    // With one, the sets before the last carry the places those views read.
    const bool everySetShown = m_viewDemand.EverySet();
    const CLiveViewDemand::Places drawnPlaces = everySetShown ? m_viewDemand.GetPlaces() : nullptr;
    // The values by channel id are read by the virtual channels and the
    // spectrum at every set, otherwise only as the batch's last set left them.
    const bool softwareSpectrum = g_bSoftwareSpectrum && settings.nAnalysisMode == 1;
    const bool valuesByIdEachSet = !m_VirtualPrograms.empty() || softwareSpectrum;
    std::array<std::int32_t, 3> lastCounters{};
    bool announced = false;
    for (int i = 0; i < n; ++i) {
        {
            // The windows read the current set, the status record and the
            // digital words under this lock.
            std::lock_guard<platform::CriticalSection> lock(m_pHost->GetDataLock());
            if (m_bTriggerMode) {
                // A set the trigger stores is written from the current set.
                CopySample(i, perUnit);
                m_ConversionPlan.Convert(m_CurrentSet.data(), m_LiveValues.data(), m_ChannelValues.data());
            } else {
                ReadDigitalWords();
                m_ConversionPlan.Convert(perUnit, i, m_CurrentSet.data(), m_LiveValues.data(),
                                         valuesByIdEachSet || i + 1 == n ? m_ChannelValues.data() : nullptr);
            }
            std::copy(m_DigitalWords, m_DigitalWords + 8, m_LiveValues.begin() + MAX_CHANNEL_COUNT);
        }
        ++m_nContinuousCount;
        if (m_bTriggerMode) {
            CheckTrigger(m_ChannelValues.data());
            EvaluateVirtualChannels(m_LiveVirtual);
            if (m_bStoring && m_bTriggerArmed) {
                if (g_nRunWriteError.load() == 0) {
                    StampStatusRecord();
                    // The frame's files of a trigger run are written from here.
                    OnStoreSampleSet(&m_Status, m_CurrentSet.data());
                    if (g_nRunWriteError.load() == 0)
                        CountStoredSet(m_LiveVirtual);
                }
                m_bTriggerArmed = 0;
                m_BatchShown.push_back(MakeShownSet(kNewSampleSet, CountAnnouncedSet()));
                Notify(kSampleStatus, 1, 0);
            }
            continue;
        }
        if (m_pHost->IsForwardingOn())
            m_pHost->QueueForwardValues(m_LiveValues.data(), g_nCaseCount);
        EvaluateVirtualChannels(m_LiveVirtual);
        m_alarms.CheckBatchSet(m_LiveValues.data());
        if (m_bSaveRealtimeData && m_bTriggerArmed) {
            // The case driver writes the blocks; the frame counts them.
            StampStatusRecord();
            CountStoredSet(m_LiveVirtual);
        }
        const auto counters = CountAnnouncedSet();
        lastCounters = counters;
        announced = true;
        if (everySetShown)
            m_BatchShown.push_back(
                MakeShownSet(kContinuousSample, counters, i + 1 < n ? drawnPlaces : nullptr));
        const std::int64_t statusTime = NowMs();
        if (statusTime - m_nLastStatus >= kStatusIntervalMs) {
            Notify(kSampleStatus, static_cast<platform::WPARAM>(mode), 0);
            m_nLastStatus = statusTime;
        }
        if (softwareSpectrum) {
            AppendFftSamples();
            if (settings.nAnalysisBlockSize > 0 && counters[0] % settings.nAnalysisBlockSize == 0)
                m_liveSets.PushSpectrum(TakeFftBlock());
        }
    }
    if (!m_bTriggerMode && n > 0) {
        // The current set is the batch's last, as the windows read it.
        std::lock_guard<platform::CriticalSection> lock(m_pHost->GetDataLock());
        CopySample(n - 1, perUnit);
    }
    if (announced && !everySetShown)
        m_BatchShown.push_back(MakeShownSet(kContinuousSample, lastCounters));
    // The batch's alarm lines are in the log before the next batch comes.
    m_alarms.WriteLog();
    int from = 0, to = 0;
    if (!m_BatchShown.empty() &&
        BatchRows(firstAnnounced, m_AnnounceCounters[0], settings.nAnalysisBlockSize, from, to)) {
        m_BatchShown.back().bMarkRows = true;
        m_BatchShown.back().nRowFrom = from;
        m_BatchShown.back().nRowTo = to;
    }
    m_liveSets.PushSets(m_BatchShown);
    return true;
}

void CSamplingControl::RefreshConversionPlan() {
    // The channel records hold still during a run (the channel bar is
    // disabled): the plan is built at the run's first batch and looked at
    // again once a second, not read from the 4,096 records at every batch.
    const std::int64_t now = NowMs();
    if (!m_bPlanStale.exchange(false) && now - m_nPlanBuilt < kPlanRecheckMs)
        return;
    std::lock_guard<platform::CriticalSection> lock(m_pHost->GetDataLock());
    m_ConversionPlan.Build();
    m_nPlanBuilt = now;
}

void CSamplingControl::ShowLiveSets() {
    m_liveSets.BeginShow();
    UpdateLiveViewDemand();
    LiveShownSet& set = m_ShowingSet;
    bool shown = false;
    while (m_liveSets.PopSet(set)) {
        // A set made for views that have changed since lacks places they
        // read now: it is passed over, as a set the views fell behind with.
        if (set.places != nullptr && set.places != m_ShowingPlaces)
            continue;
        shown = true;
        {
            // The views read the value buffer and the virtual results under this lock.
            std::lock_guard<platform::CriticalSection> lock(m_pHost->GetDataLock());
            if (set.places == nullptr) {
                std::copy(set.values.begin(), set.values.end(), m_ValueBuffer.begin());
            } else {
                const std::vector<int>& places = *set.places;
                for (std::size_t k = 0; k < places.size(); ++k)
                    m_ValueBuffer[static_cast<std::size_t>(places[k])] = set.values[k];
            }
            m_VirtualResults = set.virtualResults;
            m_bValuesMeasured = true;
        }
        if (set.nMessage == kContinuousSample)
            platform::SendMessage(m_hFrame, kContinuousSample,
                                  reinterpret_cast<platform::WPARAM>(set.counters.data()), 1);
        else
            platform::SendMessage(m_hFrame, set.nMessage, 0,
                                  reinterpret_cast<platform::LPARAM>(set.counters.data()));
        if (set.bMarkRows)
            m_pHost->MarkCurveRows(set.nRowFrom, set.nRowTo);
    }
    LiveSpectrumBlock block;
    while (m_liveSets.PopSpectrum(block)) {
        if (m_pHost->HasSpectrumGraph())
            m_pHost->FeedSpectrum(block.nBlockSize, block.buffers, block.bSave);
    }
    // Once for the batches taken here, however many the windows fell behind with.
    if (shown)
        platform::SendMessage(m_hFrame, kBatchDone, 0, 0);
}

void CSamplingControl::UpdateLiveViewDemand() {
    const bool everySet = m_pHost->ViewsDrawEverySet();
    m_viewDemand.Update(everySet, everySet ? m_pHost->EverySetPlaces() : std::vector<int>{}, kValueWords);
    m_ShowingPlaces = m_viewDemand.GetPlaces();
}

void CSamplingControl::TimedStep(int n, const CaseSampleBlock* const* perUnit) {
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

void CSamplingControl::HandleSets(platform::UINT message, int n, const CaseSampleBlock* const* perUnit) {
    if (n < 1 || !perUnit || !g_bSampling.load())
        return;
    const bool paused = g_bSamplePaused.load() != 0;
    switch (message) {
    case kSampleAverageStop:
        AverageSamples(n, perUnit);
        StopAcquisition();
        break;
    case kSampleBatch:
        if (!paused)
            ProcessBatch(n, perUnit);
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
