// The digital channels of the sampling side: the digital-interface library
// or, without it, the serial meter reader; the status stages; the digital
// words of each sample set and their ".dst" file; and, in event sampling,
// the queues of stamped case blocks and digital records from which the
// load-control system's commands pick what is stored.
#include "acquisition/SamplingControl.h"

#include "acquisition/BoundedWait.h"
#include "acquisition/CaseLink.h"
#include "acquisition/DigitalCommandBits.h"
#include "acquisition/RunWriteError.h"
#include "model/AppSettings.h"
#include "model/CaseTables.h"
#include "model/DebugLogFiles.h"
#include "model/RunFlags.h"
#include "model/TimeTexts.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "platform/Profile.h"
#include "platform/Text.h"
#include "platform/Time.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>

using namespace sampling_msg;

namespace {

SampleStatusRecord StatusRecordNow(const char* label) {
    SampleStatusRecord status{};
    status.dtTime = platform::NowOleDate();
    std::strncpy(status.szLabel, label, 19);
    return status;
}

} // namespace

bool DigitalStampMatchesCaseTime(double t, std::uint32_t time1, std::uint32_t time2) {
    // Whole hundredths of the block's time, robust to the representation of
    // a time like T + 0.57 (which lies just below it as a double).
    const auto hundredths = static_cast<std::int64_t>(std::floor(t * 100.0 + 1e-3));
    const std::int64_t key = static_cast<std::int64_t>(time1) * 100 + time2 / 10000000;
    return hundredths == key;
}

// ---- Library, meter reader and stages -------------------------------------

void CSamplingControl::InitDigitalInterface(int comPort, int baud) {
    m_nDigitalMessage = platform::RegisterWindowMessage(DIGITAL_COMMAND_MESSAGE);
    const std::string& folder = m_pHost->GetProject().m_strProgramFolder;
    m_strDigitalProgramFile = platform::JoinPath(folder, DIGITAL_PROGRAM_FILE);
    LoadDigitalParamFile(m_strDigitalProgramFile, g_nDigitalChanCount, g_DigitalChanTable);
    if (!LoadDigitalInterfaceDll(DigitalLibraryName())) {
        m_pDigitalMeter = std::make_unique<CDigitalMeterPort>();
        m_pDigitalMeter->SetPortParams(comPort, baud);
        m_pDigitalMeter->SetChannelCount(g_nDigitalChanCount);
        m_pDigitalMeter->OpenDigitalPort();
        return;
    }
    m_digital.SetDigitalParam(m_strDigitalProgramFile.c_str());
    m_digital.SetMessageWnd(m_hFrame, m_nDigitalMessage);
    ShowDigitalStatus(0);
    ShowDigitalStatus(2);
}

bool CSamplingControl::LoadDigitalInterfaceDll(const std::string& name) {
    return m_digital.LoadDigitalInterfaceDll(name.empty() ? DigitalLibraryName() : name);
}

bool CSamplingControl::FreeDigitalInterfaceDll() {
    // The library goes only after every thread that may call it has ended.
    WaitBounded([this] { return !m_bDigitalThreadRunning.load() && m_nCommandThreads.load() == 0; }, 10000);
    return m_digital.FreeDigitalInterfaceDll();
}

bool CSamplingControl::ShowDigitalStatus(int stage) {
    if (!m_digital.IsLoaded())
        return false;
    switch (stage) {
    case 0:
        SendText("数字量库加载...");
        m_digital.LoadDigitalDll();
        return true;
    case 1:
        SendText("数字量库释放...");
        m_digital.FreeDigitalDll();
        return true;
    case 2:
        SendText("启动数字量服务连接...");
        m_digital.StartSensorServer();
        return true;
    case 3:
        SendText("停止数字量服务连接...");
        m_digital.StopSensorServer();
        return true;
    case 4: {
        SendText("启动加载系统通道服务...");
        std::vector<const char*> names;
        for (int i = 0; i < g_nDigitalChanCount; ++i)
            names.push_back(g_DigitalChanTable[static_cast<std::size_t>(i)].szName);
        const bool ok = m_digital.StartLCSRunChannel(g_nDigitalChanCount, names.data());
        SendText(ok ? "启动加载系统通道服务...成功" : "启动加载系统通道服务...失败");
        return ok;
    }
    case 5:
        SendText("停止加载系统通道服务...");
        return m_digital.StopLoadControlSystem();
    default:
        return true;
    }
}

void CSamplingControl::SetDigitalChannels(int count, const DigitalChannelTable& table) {
    g_nDigitalChanCount = std::clamp(count, 0, kMaxDigitalChannels);
    g_DigitalChanTable = table;
    if (m_pDigitalMeter)
        m_pDigitalMeter->SetChannelCount(g_nDigitalChanCount);
}

int CSamplingControl::ReopenDigitalMeter(int comPort, int baud) {
    if (!m_pDigitalMeter)
        return 1;
    m_pDigitalMeter->CloseDigitalPort();
    m_pDigitalMeter->SetPortParams(comPort, baud);
    return m_pDigitalMeter->OpenDigitalPort();
}

void CSamplingControl::CloseDigitalChannels() {
    if (m_digital.IsLoaded()) {
        ShowDigitalStatus(5);
        ShowDigitalStatus(3);
        ShowDigitalStatus(1);
    }
    m_bDigitalRun = 0;
    FreeDigitalInterfaceDll();
    if (m_pDigitalMeter) {
        m_pDigitalMeter->CloseDigitalPort();
        m_pDigitalMeter.reset();
    }
    if (!m_strDigitalProgramFile.empty())
        SaveDigitalParamFile(m_strDigitalProgramFile, g_nDigitalChanCount, g_DigitalChanTable);
}

// ---- Run start and stop ----------------------------------------------------

void CSamplingControl::ClearDigitalQueues() {
    std::lock_guard<platform::CriticalSection> lock(m_csDigitalQueues);
    for (auto& queue : m_CaseQueues)
        queue.clear();
    for (auto& queue : m_DigitalQueues)
        queue.clear();
    m_nMergedSamples = 0;
}

bool CSamplingControl::StartDigitalChannels() {
    const SampleSettings& settings = m_pHost->GetProject().m_SampleSettings;
    if (m_digital.IsLoaded()) {
        m_digital.SetDasFreq(settings.fSampleFreq);
        if (g_nDigitalChanCount > 0 && !ShowDigitalStatus(4))
            platform::MessageBox("启动数字量通道失败，请确认连接是否正常或重新建立连接。", g_strAppTitle,
                                 platform::MB_OK | platform::MB_ICONEXCLAMATION);
    }
    if (settings.nSampleMode == SAMPLE_MODE_EVENT)
        m_bSaveRealtimeData = 0;
    m_strCmdBitFile = platform::JoinPath(m_pHost->GetProject().m_strProgramFolder, "CmdBit.ini");
    {
        std::lock_guard<std::mutex> lock(m_commandMutex);
        m_MoogCommands.clear();
    }
    m_nMoogCode = -1;
    if (!m_bDigitalThreadRunning.load()) {
        m_bDigitalRun = 1;
        m_bDigitalPollActive = true;
        if (!StartThread(m_bDigitalThreadRunning, &CSamplingControl::DigitalPollThread)) {
            m_bDigitalRun = 0;
            m_bDigitalPollActive = false;
        }
    }
    return true;
}

void CSamplingControl::StopDigitalChannels() {
    if (m_digital.IsLoaded())
        ShowDigitalStatus(5);
    // The poll thread may be storing and sending to this thread: it is not
    // waited for here. It ends by itself, and the completion of the run
    // follows its last store (OnSampleComplete).
    m_bDigitalRun = 0;
    SendText("数字量通道停止......");
}

void CSamplingControl::WaitDigitalThreadDone() {
    WaitBounded([this] { return !m_bDigitalThreadRunning.load(); }, 30000);
}

// ---- The digital words of each sample set and the ".dst" file -------------

void CSamplingControl::ReadDigitalWords() {
    if (!g_bDigitalUsed)
        return;
    if (m_digital.IsLoaded()) {
        DigitalRecord records[8] = {};
        m_digital.GetDigitalChanCurData(g_nDigitalChanCount, records);
        for (int d = 0; d < 8; ++d)
            m_DigitalWords[d] = d < g_nDigitalChanCount ? records[d].fValue : 0.0f;
    } else if (m_pDigitalMeter) {
        m_pDigitalMeter->ReadDigitalValues(m_DigitalWords);
    }
    std::copy(m_DigitalWords, m_DigitalWords + 8, m_ValueBuffer.begin() + MAX_CHANNEL_COUNT);
}

void CSamplingControl::OpenDigitalDataFile() {
    CloseDigitalDataFile();
    const CProjectState& project = m_pHost->GetProject();
    if (!g_bDigitalUsed || !project.HasProjectPath())
        return;
    const std::string path = project.GetFilePath(".dst");
    std::lock_guard<std::mutex> lock(m_digitalFileMutex);
    if (project.m_bAppendData && platform::FileExists(path)) {
        m_pDigitalFile = std::fopen(path.c_str(), "r+b");
        if (m_pDigitalFile)
            std::fseek(m_pDigitalFile, static_cast<long>(std::max(project.m_nTotalDataCount, 0)) * 32,
                       SEEK_SET);
    } else {
        m_pDigitalFile = std::fopen(path.c_str(), "wb");
    }
}

void CSamplingControl::WriteDigitalRecord(const float words[8]) {
    std::lock_guard<std::mutex> lock(m_digitalFileMutex);
    if (m_pDigitalFile)
        std::fwrite(words, sizeof(float), 8, m_pDigitalFile);
}

void CSamplingControl::CloseDigitalDataFile() {
    std::lock_guard<std::mutex> lock(m_digitalFileMutex);
    if (m_pDigitalFile)
        std::fclose(m_pDigitalFile);
    m_pDigitalFile = nullptr;
}

// ---- Queues ----------------------------------------------------------------

int CSamplingControl::CountDigitalRecords() {
    std::lock_guard<platform::CriticalSection> lock(m_csDigitalQueues);
    return static_cast<int>(m_DigitalQueues[0].size());
}

int CSamplingControl::CountCaseBlocks() {
    std::lock_guard<platform::CriticalSection> lock(m_csDigitalQueues);
    return g_nCaseCount > 0 ? static_cast<int>(m_CaseQueues[static_cast<std::size_t>(g_CaseList[0])].size())
                            : 0;
}

void CSamplingControl::DropDigitalRecords(int k) {
    if (k <= 0)
        return;
    std::lock_guard<platform::CriticalSection> lock(m_csDigitalQueues);
    for (int d = 0; d < std::max(g_nDigitalChanCount, 1) && d < 8; ++d) {
        auto& queue = m_DigitalQueues[d];
        queue.erase(queue.begin(), queue.begin() + std::min<std::ptrdiff_t>(k, std::ssize(queue)));
    }
}

void CSamplingControl::DropCaseBlocks(int k) {
    if (k <= 0)
        return;
    std::lock_guard<platform::CriticalSection> lock(m_csDigitalQueues);
    for (int slot = 0; slot < g_nCaseCount && slot < MAX_CASE_COUNT; ++slot) {
        auto& queue = m_CaseQueues[static_cast<std::size_t>(g_CaseList[slot])];
        queue.erase(queue.begin(), queue.begin() + std::min<std::ptrdiff_t>(k, std::ssize(queue)));
    }
}

void CSamplingControl::TrimSampleQueues() {
    const auto limit =
        static_cast<std::ptrdiff_t>(std::max(1.0f, m_pHost->GetProject().m_SampleSettings.fSampleFreq) * 10);
    std::lock_guard<platform::CriticalSection> lock(m_csDigitalQueues);
    if (g_nCaseCount > 0) {
        const std::ptrdiff_t excess =
            std::ssize(m_CaseQueues[static_cast<std::size_t>(g_CaseList[0])]) - limit;
        if (excess > 0)
            for (int slot = 0; slot < g_nCaseCount && slot < MAX_CASE_COUNT; ++slot) {
                auto& queue = m_CaseQueues[static_cast<std::size_t>(g_CaseList[slot])];
                queue.erase(queue.begin(), queue.begin() + std::min(excess, std::ssize(queue)));
            }
    }
    const std::ptrdiff_t excess = std::ssize(m_DigitalQueues[0]) - limit;
    if (excess > 0)
        for (auto& queue : m_DigitalQueues)
            queue.erase(queue.begin(), queue.begin() + std::min(excess, std::ssize(queue)));
}

// ---- The merge of an event-sampling batch ---------------------------------

void CSamplingControl::MergeDigitalSample(int n, const CaseSampleBlock* const* perUnit) {
    if (n < 1 || !perUnit)
        return;
    const SampleSettings& settings = m_pHost->GetProject().m_SampleSettings;
    const double frequency = settings.fSampleFreq > 0 ? settings.fSampleFreq : 1.0;
    TrimSampleQueues();
    const bool library = g_bDigitalUsed && m_digital.IsLoaded();
    if (library) {
        DigitalRecord* buffers[8];
        for (int d = 0; d < 8; ++d) {
            m_DigitalBuffers[d].assign(static_cast<std::size_t>(n), DigitalRecord{});
            buffers[d] = m_DigitalBuffers[d].data();
        }
        m_digital.GetDigitalChanBatchData(n, buffers);
        std::lock_guard<platform::CriticalSection> lock(m_csDigitalQueues);
        for (int s = 0; s < n; ++s)
            for (int d = 0; d < g_nDigitalChanCount; ++d)
                m_DigitalQueues[d].push_back(m_DigitalBuffers[d][static_cast<std::size_t>(s)]);
    }
    const int firstAnnounced = m_AnnounceCounters[0] + 1;
    for (int s = 0; s < n; ++s) {
        {
            std::lock_guard<platform::CriticalSection> lock(m_csDigitalQueues);
            if (m_nMergedSamples == 0)
                m_dDigitalFirstTime = g_fFirstDataTime.load();
            // Sample i of the run is stamped first time + i / f.
            const double stamp = m_dDigitalFirstTime + static_cast<double>(m_nMergedSamples) / frequency;
            for (int slot = 0; slot < g_nCaseCount && slot < MAX_CASE_COUNT; ++slot) {
                const int unit = g_CaseList[slot];
                if (unit < 0 || unit >= kSetBlocks)
                    continue;
                CaseSampleBlock& block = m_CurrentSet[static_cast<std::size_t>(unit)];
                block.nHeader = unit;
                if (perUnit[unit])
                    std::memcpy(block.fValues, perUnit[unit][s].fValues, sizeof block.fValues);
                QueuedCaseBlock queued{};
                queued.dTime = stamp;
                queued.nHeader = unit;
                std::memcpy(queued.fValues, block.fValues, sizeof queued.fValues);
                m_CaseQueues[static_cast<std::size_t>(unit)].push_back(queued);
            }
            ++m_nMergedSamples;
        }
        if (g_bDigitalUsed) {
            if (library)
                for (int d = 0; d < 8; ++d)
                    m_DigitalWords[d] = m_DigitalBuffers[d][static_cast<std::size_t>(s)].fValue;
            else if (m_pDigitalMeter)
                m_pDigitalMeter->ReadDigitalValues(m_DigitalWords);
            std::copy(m_DigitalWords, m_DigitalWords + 8, m_ValueBuffer.begin() + MAX_CHANNEL_COUNT);
        }
        {
            std::lock_guard<platform::CriticalSection> lock(m_pHost->GetDataLock());
            if (!ConvertSampleSet(m_ValueBuffer.data(), m_CurrentSet.data()))
                break;
            m_bValuesMeasured = true;
            FillChannelValues();
        }
        m_Status = StatusRecordNow(settings.szSampleStatus);
        const auto counters = CountAnnouncedSet();
        platform::SendMessage(m_hFrame, kContinuousSample,
                              reinterpret_cast<platform::WPARAM>(counters.data()), 1);
        SendStatus(settings.nSampleMode);
    }
    int from = 0, to = 0;
    if (BatchRows(firstAnnounced, m_AnnounceCounters[0], settings.nAnalysisBlockSize, from, to))
        m_pHost->MarkCurveRows(from, to);
    const std::int64_t now = NowMs();
    if (now - m_nLastRefresh >= 500) {
        platform::SendMessage(m_hFrame, kViewRefresh, static_cast<platform::WPARAM>(m_AnnounceCounters[0]),
                              0);
        m_nLastRefresh = now;
    }
}

// ---- Load-control commands -------------------------------------------------

int CSamplingControl::CommandBit(int code) const {
    const std::string section = platform::Format("DAStoLCS%d", code);
    const std::string text = platform::GetPrivateProfileString(section, "Bit", "", m_strCmdBitFile);
    const int bit = CommandBitFromText(text);
    if (bit == 0 && !text.empty() && text != "0")
        WriteLogFile("Sample", section + ": Bit=" + text + " 不是 1 到 31 的位");
    return bit;
}

void CSamplingControl::SendCommandAction(std::uint32_t mask) {
    if (m_digital.IsLoaded())
        m_digital.StartLCSExecuteAction(mask);
}

void CSamplingControl::OnMoogCommand(int code, const std::uint32_t* words) {
    MoogCommand command{code, words ? words[0] : 0u, words ? words[1] : 0u};
    m_nMoogCode = code;
    switch (code) {
    case 0:
        SendText("Moog平衡命令......");
        std::memset(m_RawBalance, 0, sizeof m_RawBalance);
        StartCommandThread(command);
        break;
    case 1: {
        SendText("Moog事件命令......");
        {
            std::lock_guard<std::mutex> lock(m_commandMutex);
            m_MoogCommands.push_back(command);
        }
        StartCommandThread(command);
        break;
    }
    case 2: {
        SendText("Moog连续命令......");
        {
            std::lock_guard<std::mutex> lock(m_commandMutex);
            m_MoogCommands.push_back(command);
        }
        m_bSaveRealtimeData = 1;
        const std::uint32_t mask = ContinuousCommandMask(CommandBit(2));
        if (mask != 0)
            SendCommandAction(mask);
        break;
    }
    case 3:
        SendText("Moog连续结束......");
        m_bSaveRealtimeData = 0;
        SendCommandAction(0);
        break;
    default:
        break;
    }
}

void CSamplingControl::StartCommandThread(MoogCommand command) {
    ++m_nCommandThreads;
    try {
        std::thread([this, command] {
            MoogCommandThread(command);
            --m_nCommandThreads;
        }).detach();
    } catch (const std::system_error&) {
        --m_nCommandThreads;
    }
}

void CSamplingControl::MoogCommandThread(MoogCommand command) {
    if (command.code == 0) {
        std::vector<CaseSampleBlock> zero(kSetBlocks);
        if (!WaitSampleData(zero.data(), 2000))
            return;
        for (int slot = 0; slot < g_nCaseCount && slot < MAX_CASE_COUNT; ++slot) {
            const int unit = g_CaseList[slot];
            if (unit >= 0 && unit < 256)
                std::memcpy(m_RawBalance[unit], zero[static_cast<std::size_t>(unit)].fValues,
                            sizeof m_RawBalance[unit]);
        }
    } else if (command.code != 1) {
        return;
    }
    CommandPulse(command.code);
}

void CSamplingControl::CommandPulse(int code) {
    const std::vector<std::uint32_t> masks = CommandPulseMasks(CommandBit(code));
    // 2,000 ms after the first mask, 500 ms after the second.
    const std::uint32_t pauses[] = {2000, 500};
    for (std::size_t i = 0; i < masks.size(); ++i) {
        SendCommandAction(masks[i]);
        if (i + 1 < masks.size())
            platform::Sleep(pauses[i]);
    }
}

// ---- The poll thread and the stores ---------------------------------------

void CSamplingControl::DigitalPollThread() {
    ServeDigitalCommands();
    m_bDigitalPollActive = false;
    if (m_bCompletionDeferred.exchange(false))
        platform::PostMessage(m_hFrame, kSampleComplete, 0, 0);
}

void CSamplingControl::ServeDigitalCommands() {
    for (;;) {
        MoogCommand command{};
        bool have = false;
        {
            std::lock_guard<std::mutex> lock(m_commandMutex);
            if (!m_MoogCommands.empty()) {
                command = m_MoogCommands.front();
                m_MoogCommands.pop_front();
                have = true;
            }
        }
        if (have) {
            DigitalEventAcquisition(command);
            continue;
        }
        if (!m_bDigitalRun.load())
            return;
        platform::Sleep(20);
    }
}

bool CSamplingControl::FindCommandStart(const MoogCommand& command) {
    // Each side is searched in place under the lock (no send happens
    // there): a copy would cost the whole queue, and what is dropped after
    // a miss is then exactly what was searched.
    enum Found { kMissed, kFound, kTooOld };
    const std::uint64_t stamp = (std::uint64_t(command.time1) << 32) | command.time2;
    const auto digitalSide = [&]() {
        std::lock_guard<platform::CriticalSection> lock(m_csDigitalQueues);
        const auto& first = m_DigitalQueues[0];
        const auto it = std::find_if(first.begin(), first.end(), [&](const DigitalRecord& r) {
            return r.nTime1 == command.time1 && r.nTime2 == command.time2;
        });
        const auto k = static_cast<int>(it - first.begin());
        if (g_nDigitalChanCount > 0 && it != first.end()) {
            DropDigitalRecords(k);
            return kFound;
        }
        if (!first.empty() && stamp < ((std::uint64_t(first.front().nTime1) << 32) | first.front().nTime2))
            return kTooOld;
        DropDigitalRecords(k);
        return kMissed;
    };
    const auto caseSide = [&]() {
        std::lock_guard<platform::CriticalSection> lock(m_csDigitalQueues);
        const auto& first = m_CaseQueues[static_cast<std::size_t>(g_CaseList[0])];
        const auto it = std::find_if(first.begin(), first.end(), [&](const QueuedCaseBlock& b) {
            return DigitalStampMatchesCaseTime(b.dTime, command.time1, command.time2);
        });
        const auto k = static_cast<int>(it - first.begin());
        if (it != first.end()) {
            DropCaseBlocks(k);
            return kFound;
        }
        if (!first.empty() &&
            static_cast<double>(command.time1) + command.time2 * 1e-9 < first.front().dTime - 0.01)
            return kTooOld;
        DropCaseBlocks(k);
        return kMissed;
    };
    for (const auto& side : {std::function<Found()>(digitalSide), std::function<Found()>(caseSide)}) {
        for (;;) {
            if (!g_bSampling.load() || g_nCaseCount < 1)
                return false;
            const Found found = side();
            if (found == kFound)
                break;
            if (found == kTooOld) {
                SendText("加载系统命令的时间早于缓存的数据，此命令不存储数据");
                return false;
            }
            platform::Sleep(200);
        }
    }
    return true;
}

void CSamplingControl::DigitalEventAcquisition(const MoogCommand& command) {
    if (command.code != 1 && command.code != 2)
        return;
    if (!FindCommandStart(command))
        return;
    const std::string label(m_pHost->GetProject().m_SampleSettings.szSampleStatus,
                            strnlen(m_pHost->GetProject().m_SampleSettings.szSampleStatus, 19));
    if (command.code == 1) {
        // The event set: empty blocks (header -1, values 0) but the online cases'.
        std::vector<CaseSampleBlock>& set = m_EventSet;
        set.assign(kSetBlocks, CaseSampleBlock{});
        float words[8] = {};
        SampleStatusRecord status = StatusRecordNow(label.c_str());
        {
            std::lock_guard<platform::CriticalSection> lock(m_csDigitalQueues);
            for (int d = 0; d < g_nDigitalChanCount && d < 8; ++d)
                if (!m_DigitalQueues[d].empty())
                    words[d] = m_DigitalQueues[d].front().fValue;
            double lastTime = -1.0; // the last online case in list order gives the date
            for (int slot = 0; slot < g_nCaseCount && slot < MAX_CASE_COUNT; ++slot) {
                const int unit = g_CaseList[slot];
                const auto& queue = m_CaseQueues[static_cast<std::size_t>(unit)];
                if (queue.empty())
                    continue;
                CaseSampleBlock& block = set[static_cast<std::size_t>(unit)];
                block.nHeader = queue.front().nHeader;
                std::memcpy(block.fValues, queue.front().fValues, sizeof block.fValues);
                lastTime = queue.front().dTime;
            }
            if (lastTime >= 0.0)
                status.dtTime = CTimeToOleDateTime(static_cast<std::int64_t>(lastTime)).dDate;
        }
        platform::SendMessage(m_hFrame, kStoreSampleSet, reinterpret_cast<platform::WPARAM>(&status),
                              reinterpret_cast<platform::LPARAM>(set.data()));
        WriteDigitalRecord(words);
        ++m_nRunStoredCount;
        return;
    }
    const int batch = std::max(1, static_cast<int>(m_pHost->GetProject().m_SampleSettings.fSampleFreq * 3));
    // Stores while the switch is on and the run goes on; then the rest.
    while (m_bSaveRealtimeData.load() && g_bSampling.load()) {
        if (CountDigitalRecords() >= batch)
            StoreQueuedBatch(batch);
        else
            platform::Sleep(200);
    }
    const int rest = g_nDigitalChanCount > 0 ? CountDigitalRecords() : CountCaseBlocks();
    if (rest > 0)
        StoreQueuedBatch(rest);
}

void CSamplingControl::StoreQueuedBatch(int n) {
    std::vector<std::vector<DigitalRecord>> digital(8);
    std::vector<std::vector<QueuedCaseBlock>> cases;
    std::vector<QueuedCaseBlock*> perPosition;
    int m = 0;
    {
        std::lock_guard<platform::CriticalSection> lock(m_csDigitalQueues);
        for (int d = 0; d < g_nDigitalChanCount && d < 8; ++d) {
            auto& queue = m_DigitalQueues[d];
            const auto take = std::min<std::ptrdiff_t>(n, std::ssize(queue));
            digital[static_cast<std::size_t>(d)].assign(queue.begin(), queue.begin() + take);
            queue.erase(queue.begin(), queue.begin() + take);
        }
        if (g_nCaseCount > 0)
            m = static_cast<int>(std::min<std::size_t>(
                static_cast<std::size_t>(n), m_CaseQueues[static_cast<std::size_t>(g_CaseList[0])].size()));
        for (int slot = 0; slot < g_nCaseCount && slot < MAX_CASE_COUNT; ++slot) {
            auto& queue = m_CaseQueues[static_cast<std::size_t>(g_CaseList[slot])];
            const auto take = std::min<std::ptrdiff_t>(m, std::ssize(queue));
            std::vector<QueuedCaseBlock> blocks(static_cast<std::size_t>(m), QueuedCaseBlock{0.0, -1, {}});
            std::copy(queue.begin(), queue.begin() + take, blocks.begin());
            queue.erase(queue.begin(), queue.begin() + take);
            cases.push_back(std::move(blocks));
        }
    }
    for (int s = 0; s < n; ++s) {
        float words[8] = {};
        for (int d = 0; d < g_nDigitalChanCount && d < 8; ++d)
            if (static_cast<std::size_t>(s) < digital[static_cast<std::size_t>(d)].size())
                words[d] = digital[static_cast<std::size_t>(d)][static_cast<std::size_t>(s)].fValue;
        WriteDigitalRecord(words);
    }
    for (auto& blocks : cases)
        perPosition.push_back(blocks.data());
    if (m > 0)
        platform::SendMessage(m_hFrame, kStoreMergedBlock, static_cast<platform::WPARAM>(m),
                              reinterpret_cast<platform::LPARAM>(perPosition.data()));
    m_nRunStoredCount += m;
}

void CSamplingControl::OnStoreMergedBlock(int n, QueuedCaseBlock* const* perPosition) {
    if (n < 1 || !perPosition || g_nRunWriteError.load() != 0)
        return;
    const std::string label(m_pHost->GetProject().m_SampleSettings.szSampleStatus,
                            strnlen(m_pHost->GetProject().m_SampleSettings.szSampleStatus, 19));
    const SampleStatusRecord status = StatusRecordNow(label.c_str());
    for (int slot = 0; slot < g_nCaseCount && slot < MAX_CASE_COUNT; ++slot) {
        const int unit = g_CaseList[slot];
        const QueuedCaseBlock* blocks = perPosition[slot];
        if (!blocks)
            continue;
        for (int s = 0; s < n; ++s) {
            CaseSampleBlock block;
            block.nHeader = blocks[s].nHeader;
            std::memcpy(block.fValues, blocks[s].fValues, sizeof block.fValues);
            if (!StoreUnitRecord(unit, block, status))
                return;
            ++m_UnitSamples[unit];
        }
    }
}
