// Starting an acquisition on the cases, the continuous run, the parameter
// download, and the per-unit data files the frame writes during a run.
#include "acquisition/SamplingControl.h"

#include "acquisition/CaseLink.h"
#include "acquisition/CommBase.h"
#include "acquisition/NetComm.h"
#include "acquisition/RunWriteError.h"
#include "datafiles/SampleFileFormat.h"
#include "model/CaseTables.h"
#include "model/RunFlags.h"
#include "platform/Files.h"
#include "platform/Time.h"

#include <algorithm>
#include <cstring>

using namespace sampling_msg;

int CSamplingControl::StartAcquisition(int mode) {
    SendText("启动采集......");
    Log("");
    Log("开始采样模式=" + std::to_string(mode));
    CCommBase* comm = m_pHost->GetComm();
    CProjectState& project = m_pHost->GetProject();
    if (!comm) {
        SendText("采集开始");
        return 0;
    }
    if (auto* net = dynamic_cast<CNetComm*>(comm))
        net->GetDriver().StartProcessingThread(); // delivers the sets; idempotent
    m_nLastStartedMode = mode;
    comm->SetSampleMode(mode);
    Log("设置采样参数");
    std::int32_t words[20];
    static_assert(sizeof words == sizeof(SampleSettings));
    std::memcpy(words, &project.m_SampleSettings, sizeof words);
    comm->SetSampleParams(words);
    comm->SetCaseDataFile(project.m_strProjectFolder, project.m_strProjectName);
    comm->SetCaseDataSaving(m_bSaveRealtimeData);
    const bool frameStores = project.m_SampleSettings.nSampleMode == SAMPLE_MODE_CONTINUOUS && m_bTriggerMode;
    comm->SetCaseOption(frameStores ? 0 : 1, project.m_bAppendData ? 1 : 0);
    if (m_nRunStartPhase.load() == kRunStopDeferred) {
        Log("采样已停止, 不发采样开始命令");
        SendText("采集停止");
        return 0;
    }
    Log("发采样开始命令");
    g_bLinkBusy = 1;
    const int result = comm->StartSampling();
    g_bLinkBusy = result;
    SendText("采集开始");
    return result;
}

CSamplingControl::RunStart CSamplingControl::StartRunAcquisition(int mode) {
    int result = 0;
    if (g_bSampling.load() && m_nRunStartPhase.load() == kRunStarting)
        result = StartAcquisition(mode);
    int phase = kRunStarting;
    if (m_nRunStartPhase.compare_exchange_strong(phase, kRunStarted) && g_bSampling.load())
        return result ? RunStart::Started : RunStart::Failed;
    // Stopped while starting: a Stop sent before the start went out would
    // leave the cases streaming into a run that has ended.
    Log("采样启动时已停止");
    if (result)
        StopAcquisition();
    return RunStart::Stopped;
}

int CSamplingControl::RunContinuous() {
    CProjectState& project = m_pHost->GetProject();
    const SampleSettings& settings = project.m_SampleSettings;
    if (settings.nSampleMode == SAMPLE_MODE_TIMED ||
        (settings.nSampleMode == SAMPLE_MODE_CONTINUOUS && !project.m_bAppendData)) {
        m_nBatchCounter = 0;
        m_AnnounceCounters[1] = 0;
    }
    m_nContinuousCount = 0;
    m_nEventReference = NowMs() - static_cast<std::int64_t>(settings.nSampleInterval) * 1000;
    m_nLastTimedTick = m_nEventReference;
    m_nLastStatus = std::numeric_limits<std::int64_t>::min() / 2;
    m_nStartMark = platform::QueryPerformanceCounter();
    if (StartRunAcquisition(settings.nSampleMode) == RunStart::Started) {
        // The cases' files (or the frame's, in trigger mode) failed to take
        // a write: the run stops here.
        while (g_bSampling.load() && g_nRunWriteError.load() == 0)
            platform::Sleep(100);
        if (g_nRunWriteError.load() != 0)
            StopAcquisition();
    }
    ResetRunFlags();
    platform::SendMessage(m_hFrame, kSampleComplete, 0, 0);
    SendStatus(settings.nSampleMode);
    return 1;
}

void CSamplingControl::StopAndFinish() {
    StopAcquisition();
    ResetRunFlags();
}

int CSamplingControl::DownloadChannelParams(const std::vector<int>& channels) {
    m_pHost->SetStatusText(0, "正在设置通道参数......");
    CCommBase* comm = m_pHost->GetComm();
    if (!comm)
        return 0;
    const int result = comm->SetChannelParams(channels);
    const int steps = comm->SetShortCircuitMode(static_cast<int>(channels.size()));
    const CCaseProtocol3* encoder = comm->GetProtocol();
    const bool shortCircuit = encoder && encoder->GetCommandMode() == 1;
    const char* title = shortCircuit       ? "正在设置测温短路模式......"
                        : m_bRestoreParams ? "正在恢复通道参数设置......"
                                           : "正在设置通道参数......";
    const char* closing = shortCircuit       ? "测温短路模式设置完成！"
                          : m_bRestoreParams ? "恢复通道参数设置完成！"
                                             : "通道参数设置结束！";
    // The progress window only for more than two steps of 120 ms.
    const bool window = steps > 2;
    for (int i = 0; i < steps; ++i) {
        if (window)
            m_pHost->ShowProgressStep(i + 1, title);
        platform::Sleep(120);
    }
    if (window) {
        m_pHost->ShowProgressStep(steps, closing);
        platform::Sleep(200);
        m_pHost->CloseProgress();
    }
    platform::SendMessage(m_hFrame, kParamsSet, 0, 0);
    m_pHost->SetStatusText(0, "通道参数设置完成");
    return result;
}

bool CSamplingControl::IsOnlineStrainChannel(int channel) {
    if (!IsValidChannelId(channel) || g_ChannelParams[channel].nMeasureType != MEASURE_STRAIN)
        return false;
    for (int i = 0; i < g_nChannelCount && i < MAX_CHANNEL_COUNT; ++i) {
        if (g_ChannelList[i] == channel)
            return true;
    }
    return false;
}

std::string CSamplingControl::UnitFileName(int unit, const char* extension) const {
    const CProjectState& project = m_pHost->GetProject();
    return project.m_strProjectFolder + "/" + project.m_strProjectName + "_" + std::to_string(unit) +
           extension;
}

namespace {
// Opens a run file: created (emptied) unless the run appends to an existing
// one; positioned at its end. A file that cannot be opened is removed again.
bool OpenRunFile(const std::string& path, bool append, std::map<int, platform::RecordFile>& files, int unit) {
    const bool create = !append || !platform::FileExists(path);
    platform::RecordFile file;
    if (!file.Open(path, create)) {
        platform::DeleteFile(path);
        return false;
    }
    files[unit] = std::move(file);
    return true;
}
} // namespace

void CSamplingControl::OnOpenSampleFiles() {
    CloseUnitFiles();
    const bool append = m_pHost->GetProject().m_bAppendData;
    for (int slot = 0; slot < g_nCaseCount && slot < MAX_CASE_COUNT; ++slot) {
        const int unit = g_CaseList[slot];
        OpenRunFile(UnitFileName(unit, ".dat"), append, m_UnitDat, unit);
        OpenRunFile(UnitFileName(unit, ".stu"), append, m_UnitStu, unit);
        m_UnitSamples[unit] = 0;
    }
}

void CSamplingControl::CloseUnitFiles() {
    // Only the file objects go; the files stay on disk.
    for (auto* files : {&m_UnitDat, &m_UnitStu}) {
        for (auto& [unit, file] : *files) {
            if (!file.Close())
                ReportRunWriteError(file.Error());
        }
        files->clear();
    }
}

void CSamplingControl::StopForWriteError(int error) {
    if (!ReportRunWriteError(error))
        return;
    Log("数据写入失败 " + RunWriteErrorText(error));
    // The loops notice the cleared flag and stop the cases (Stop does the same).
    g_bSampling = 0;
}

void CSamplingControl::OnCloseSampleFiles() {
    CloseUnitFiles();
}

void CSamplingControl::EnsureSampleDataFiles() {
    const CProjectState& project = m_pHost->GetProject();
    if (!project.HasProjectPath())
        return;
    for (const char* extension : {".dat", ".stu"}) {
        const std::string path = project.GetFilePath(extension);
        if (!platform::FileExists(path)) {
            platform::RecordFile file;
            file.Open(path, true);
        }
    }
}

void CSamplingControl::GetMaxUnitSampleCount(std::int32_t& count) {
    for (int slot = 0; slot < g_nCaseCount && slot < MAX_CASE_COUNT; ++slot) {
        const std::int64_t size = platform::FileSize(UnitFileName(g_CaseList[slot], ".dat"));
        const auto samples =
            static_cast<std::int32_t>(size / static_cast<std::int64_t>(sizeof(CaseSampleBlock)));
        if (size > 0 && samples > count)
            count = samples;
    }
}

namespace {
// Appends copies of the record until the file holds target records; false
// when a write fails (the file then still ends on a whole record).
bool PadFile(const std::string& path, const void* record, std::int64_t size, std::int64_t target) {
    if (!platform::TrimToWholeRecords(path, size, -1))
        return false;
    const std::int64_t held = std::max<std::int64_t>(0, platform::FileSize(path)) / size;
    if (held >= target)
        return true;
    constexpr std::int64_t kChunk = 256;
    std::vector<char> chunk(static_cast<std::size_t>(size * kChunk));
    for (std::int64_t i = 0; i < kChunk; ++i)
        std::memcpy(chunk.data() + i * size, record, static_cast<std::size_t>(size));
    platform::RecordFile file;
    bool ok = file.Open(path, false);
    for (std::int64_t left = target - held; ok && left > 0; left -= kChunk)
        ok = file.Append(chunk.data(), static_cast<std::size_t>(std::min(left, kChunk) * size));
    ok = file.Close() && ok;
    if (!ok)
        ReportRunWriteError(file.Error());
    return ok;
}
} // namespace

std::int64_t CSamplingControl::TrimUnitFilesToCommonCount() {
    std::int64_t common = -1;
    for (int slot = 0; slot < g_nCaseCount && slot < MAX_CASE_COUNT; ++slot) {
        const int unit = g_CaseList[slot];
        const std::int64_t blocks =
            std::max<std::int64_t>(0, platform::FileSize(UnitFileName(unit, ".dat"))) / 68;
        const std::int64_t records =
            std::max<std::int64_t>(0, platform::FileSize(UnitFileName(unit, ".stu"))) / 32;
        const std::int64_t held = std::min(blocks, records);
        common = common < 0 ? held : std::min(common, held);
    }
    for (int slot = 0; slot < g_nCaseCount && slot < MAX_CASE_COUNT; ++slot) {
        const int unit = g_CaseList[slot];
        if (!platform::TrimToWholeRecords(UnitFileName(unit, ".dat"), 68, common) ||
            !platform::TrimToWholeRecords(UnitFileName(unit, ".stu"), 32, common))
            return -1;
    }
    return std::max<std::int64_t>(common, 0);
}

int CSamplingControl::PadPerUnitFiles() {
    CProjectState& project = m_pHost->GetProject();
    if (!project.HasProjectPath())
        return 0;
    const std::int64_t target = project.m_nTotalDataCount;
    bool padded = g_nRunWriteError.load() == 0;
    for (int slot = 0; slot < g_nCaseCount && slot < MAX_CASE_COUNT && padded; ++slot) {
        const int unit = g_CaseList[slot];
        // Samples a unit lacks were never measured: no value, and a status
        // whose time says no sample was taken then.
        const CaseSampleBlock block = MakeNoValueBlock(unit);
        SampleStatusRecord status{};
        status.dtTime = platform::NowOleDate();
        status.nStatus = 1;
        const platform::LocalDateTime t = platform::NowLocal();
        std::snprintf(status.szLabel, sizeof status.szLabel, "%4d-%02d-%02d %02d:%02d:%02d", t.year, t.month,
                      t.day, t.hour, t.minute, t.second);
        padded = PadFile(UnitFileName(unit, ".dat"), &block, sizeof block, target) &&
                 PadFile(UnitFileName(unit, ".stu"), &status, sizeof status, target);
    }
    if (padded)
        return 1;
    // No room to pad: the run keeps the samples that every unit holds whole.
    const std::int64_t common = TrimUnitFilesToCommonCount();
    if (common < 0)
        return 0;
    project.m_nTotalDataCount = static_cast<std::int32_t>(common);
    return 1;
}
