// Starting an acquisition on the cases, the continuous run, the parameter
// download, and the per-unit data files the frame writes during a run.
#include "acquisition/SamplingControl.h"

#include "acquisition/CaseLink.h"
#include "acquisition/CommBase.h"
#include "acquisition/NetComm.h"
#include "app/CaseTables.h"
#include "app/RunFlags.h"
#include "platform/Files.h"
#include "platform/Time.h"

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
    Log("发采样开始命令");
    g_bLinkBusy = 1;
    const int result = comm->StartSampling();
    g_bLinkBusy = result;
    SendText("采集开始");
    return result;
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
    if (StartAcquisition(settings.nSampleMode)) {
        while (g_bSampling.load())
            platform::Sleep(100);
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
std::FILE* OpenRunFile(const std::string& path, bool append) {
    const bool create = !append || !platform::FileExists(path);
    std::FILE* file = std::fopen(path.c_str(), create ? "wb" : "ab");
    if (!file)
        platform::DeleteFile(path);
    return file;
}
} // namespace

void CSamplingControl::OnOpenSampleFiles() {
    CloseUnitFiles();
    const bool append = m_pHost->GetProject().m_bAppendData;
    for (int slot = 0; slot < g_nCaseCount && slot < MAX_CASE_COUNT; ++slot) {
        const int unit = g_CaseList[slot];
        if (std::FILE* dat = OpenRunFile(UnitFileName(unit, ".dat"), append))
            m_UnitDat[unit] = dat;
        if (std::FILE* stu = OpenRunFile(UnitFileName(unit, ".stu"), append))
            m_UnitStu[unit] = stu;
        m_UnitSamples[unit] = 0;
    }
}

void CSamplingControl::CloseUnitFiles() {
    // Only the file objects go; the files stay on disk.
    for (auto& [unit, file] : m_UnitDat)
        std::fclose(file);
    for (auto& [unit, file] : m_UnitStu)
        std::fclose(file);
    m_UnitDat.clear();
    m_UnitStu.clear();
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
            if (std::FILE* file = std::fopen(path.c_str(), "wb"))
                std::fclose(file);
        }
    }
}

void CSamplingControl::GetMaxUnitSampleCount(std::int32_t& count) {
    for (auto& [unit, file] : m_UnitDat)
        std::fflush(file);
    for (int slot = 0; slot < g_nCaseCount && slot < MAX_CASE_COUNT; ++slot) {
        const std::int64_t size = platform::FileSize(UnitFileName(g_CaseList[slot], ".dat"));
        const auto samples =
            static_cast<std::int32_t>(size / static_cast<std::int64_t>(sizeof(CaseSampleBlock)));
        if (size > 0 && samples > count)
            count = samples;
    }
}

int CSamplingControl::PadPerUnitFiles() {
    const CProjectState& project = m_pHost->GetProject();
    if (!project.HasProjectPath())
        return 0;
    const std::int64_t target = project.m_nTotalDataCount;
    int result = 1;
    for (int slot = 0; slot < g_nCaseCount && slot < MAX_CASE_COUNT; ++slot) {
        const int unit = g_CaseList[slot];
        const std::string dat = UnitFileName(unit, ".dat");
        const std::string stu = UnitFileName(unit, ".stu");
        const std::int64_t blocks = std::max<std::int64_t>(0, platform::FileSize(dat)) / 68;
        const std::int64_t records = std::max<std::int64_t>(0, platform::FileSize(stu)) / 32;
        if (blocks < target) {
            CaseSampleBlock block;
            block.nHeader = unit;
            std::FILE* file = std::fopen(dat.c_str(), "ab");
            if (!file) {
                result = 0;
                continue;
            }
            for (std::int64_t i = blocks; i < target; ++i)
                std::fwrite(&block, sizeof block, 1, file);
            std::fclose(file);
        }
        if (records < target) {
            SampleStatusRecord status{};
            status.dtTime = platform::NowOleDate();
            const platform::LocalDateTime t = platform::NowLocal();
            std::snprintf(status.szLabel, sizeof status.szLabel, "%4d-%02d-%02d %02d:%02d:%02d", t.year,
                          t.month, t.day, t.hour, t.minute, t.second);
            std::FILE* file = std::fopen(stu.c_str(), "ab");
            if (!file) {
                result = 0;
                continue;
            }
            for (std::int64_t i = records; i < target; ++i)
                std::fwrite(&status, sizeof status, 1, file);
            std::fclose(file);
        }
    }
    return result;
}
