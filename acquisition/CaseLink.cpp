// Commands, replies and the sample stream of one network case.
#include "acquisition/CaseLink.h"
#include "acquisition/CaseFrame.h"

#include "platform/Profile.h"
#include "platform/Sync.h"
#include "platform/Time.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include <sys/socket.h>

std::atomic<std::int32_t> g_bLinkBusy{0};
std::atomic<std::int32_t> g_bStartGate{0};
std::atomic<double> g_fFirstDataTime{0.0};
platform::Mutex g_hCaseOpMutex;

namespace {

constexpr int kChannelInfoBytesPerModule = 1408;

std::string TimeStamp() {
    const platform::LocalDateTime t = platform::NowLocal();
    char text[40];
    std::snprintf(text, sizeof text, "%d-%02d-%02d %02d:%02d:%02d.%03d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second, t.millisecond);
    return text;
}

} // namespace

double CCaseLink::NowSeconds() {
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
    return static_cast<double>(ms / 1000) + static_cast<double>(ms % 1000) / 1000.0;
}

CCaseLink::CCaseLink(CCaseProtocol3* encoder, CaseLinkHost* host) : m_pEncoder(encoder), m_pHost(host) {
    for (auto& slot : m_ChannelCoef)
        slot.fill(1.0f);
    for (auto& channel : m_ModuleChannel)
        channel = 0;
}

CCaseLink::~CCaseLink() {
    StopReceiving();
    StopWorkers();
    // A start still inside its receive loop leaves it once woken.
    for (int i = 0; i < 300 && m_bInReceiveLoop.load(); ++i)
        platform::Sleep(10);
    CloseCaseFiles();
}

void CCaseLink::MakeBuffers() {
    std::call_once(m_buffersMade, [this] {
        std::lock_guard<std::mutex> lock(m_hMutex);
        m_reply.assign(kBufferSize, 0);
        m_scratch.assign(kBufferSize, 0);
    });
}

void CCaseLink::MakeAssembly() {
    std::call_once(m_assemblyMade, [this] {
        std::lock_guard<std::mutex> lock(m_csReceive);
        m_assembly.assign(kAssemblySize, 0);
    });
}

void CCaseLink::Attach(platform::TcpStream&& stream, const std::string& address) {
    m_socket = std::move(stream);
    m_socket.SetNonBlocking(true);
    m_strAddress = address;
    m_bPeerClosed = false;
    m_nConnectedAtMs = static_cast<std::int64_t>(SteadySeconds() * 1000.0);
}

void CCaseLink::ShutdownSocket() {
    // Shut down, not closed: the network thread or a run's worker may still
    // poll or read the descriptor, and a closed number is handed to the next
    // socket at once. Shutting down wakes them and ends the connection; the
    // descriptor closes with the link, once no thread holds it.
    std::lock_guard<std::mutex> lock(m_sendMutex);
    if (m_socket.IsOpen())
        m_socket.Shutdown(SHUT_RDWR);
    m_bPeerClosed = true;
}

int CCaseLink::LoadMapId() {
    const std::string path = m_pHost->GetProgramFolder() + "/MapCfg.ini";
    const std::string value = platform::GetPrivateProfileString(m_strAddress, "MapID", "", path);
    if (value.empty())
        return 0;
    // Only a case number the program can hold maps the case; anything else
    // (text, a number out of range) is logged and leaves the case unmapped.
    const bool digits = value.size() <= 3 &&
                        std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; });
    const int caseNo = digits ? std::atoi(value.c_str()) : -1;
    if (caseNo < 0 || caseNo > kMaxMappedCaseNo) {
        const std::string line = "MapCfg.ini: MapID=" + value + " 无效（应为0-" +
                                 std::to_string(kMaxMappedCaseNo) + "），机箱未映射";
        Trace(line);
        WriteLog(m_strAddress, line + "\n");
        return 0;
    }
    m_nCaseNo = caseNo;
    m_bHasMapId = 1;
    return 1;
}

void CCaseLink::Trace(const std::string& text) {
    m_pHost->WriteLogFile(m_strAddress, text);
}

void CCaseLink::TraceHex(const char* prefix, const std::uint8_t* bytes, int length) {
    std::string text = prefix;
    char hex[4];
    for (int i = 0; i < length; ++i) {
        std::snprintf(hex, sizeof hex, "%02x ", bytes[i]);
        text += hex;
    }
    Trace(text);
}

// ---- Commands and replies -------------------------------------------------

int CCaseLink::SendCommand(int len, const std::uint8_t* bytes) {
    if (len <= 0 || bytes == nullptr)
        return 0;
    TraceHex((std::to_string(platform::GetTickCount()) + " Send: ").c_str(), bytes, len);
    bool sent;
    {
        std::lock_guard<std::mutex> lock(m_sendMutex);
        sent = m_socket.IsOpen() && m_socket.SendAll(bytes, static_cast<std::size_t>(len), 3000);
    }
    if (sent)
        m_bAlive = 1;
    else
        MarkNotAlive();
    return sent ? 1 : 0;
}

int CCaseLink::SendBuilt(int length) {
    if (length <= 0)
        return 0;
    // The buffer belongs to this thread, so copying is not needed before sending.
    return SendCommand(length, m_pEncoder->GetCommandBuffer());
}

void CCaseLink::ResetReceive() {
    std::lock_guard<std::mutex> lock(m_hMutex);
    m_nReplyBytes = 0;
    m_nTotalBytes = 0;
    m_nThirdCount = 0;
}

int CCaseLink::GetReplyBytes() {
    std::lock_guard<std::mutex> lock(m_hMutex);
    return m_nReplyBytes;
}

std::int64_t CCaseLink::GetTotalBytes() {
    std::lock_guard<std::mutex> lock(m_hMutex);
    return m_nTotalBytes;
}

void CCaseLink::AppendReply(const std::uint8_t* bytes, int length, bool trim) {
    MakeBuffers();
    std::lock_guard<std::mutex> lock(m_hMutex);
    m_nTotalBytes += length;
    // Bytes past the buffer's size are dropped: the held count never exceeds it.
    const int room = kBufferSize - m_nReplyBytes;
    const int copied = std::min(room, length);
    if (copied > 0) {
        std::memcpy(m_reply.data() + m_nReplyBytes, bytes, static_cast<std::size_t>(copied));
        m_nReplyBytes += copied;
    }
    if (trim)
        TrimReplyBuffer();
}

// Removes the 200-byte echo records a case sends back in front of a reply.
void CCaseLink::TrimReplyBuffer() {
    const int held = m_nReplyBytes;
    if (held < 200)
        return;
    const std::uint8_t* b = m_reply.data();
    int records = 0;
    for (int p = 0; p <= held - 200; ++p) {
        if (b[p] != 0x55 || b[p + 1] != 0xAA)
            continue;
        const int n = b[p + 7];
        if (n < 2 || p + n + 6 >= held)
            continue;
        bool counting = true;
        for (int i = 1; i <= n - 1 && counting; ++i)
            counting = b[p + 7 + i] == i;
        if (counting)
            ++records;
    }
    const int removed = std::min(held, records * 200);
    if (removed > 0) {
        std::memmove(m_reply.data(), m_reply.data() + removed, static_cast<std::size_t>(held - removed));
        m_nReplyBytes = held - removed;
    }
}

int CCaseLink::ReceiveAll() {
    MakeBuffers();
    for (;;) {
        const int n = m_socket.Receive(m_scratch.data(), m_scratch.size(), 0);
        if (n > 0) {
            AppendReply(m_scratch.data(), n, true);
            continue;
        }
        if (n == 0 || n == platform::kSocketError)
            m_bPeerClosed = true;
        return -1;
    }
}

void CCaseLink::Drain() {
    MakeBuffers();
    int n = 0;
    while ((n = m_socket.Receive(m_scratch.data(), m_scratch.size(), 0)) > 0) {
    }
    if (n == 0 || n == platform::kSocketError)
        m_bPeerClosed = true;
}

void CCaseLink::OnReceive(int err) {
    if (m_bReceiving.load() || g_bLinkBusy.load())
        return;
    // A command-reply operation owns the socket's incoming bytes.
    std::unique_lock<std::mutex> operation(m_operationMutex, std::try_to_lock);
    if (!operation.owns_lock() || m_bReceiving.load())
        return; // the start of a run took the socket meanwhile
    std::uint8_t bytes[4096];
    const int n = m_socket.Receive(bytes, sizeof bytes, 0);
    if (n > 0)
        m_bAlive = 1;
    else if (n == 0 || n == platform::kSocketError)
        m_bPeerClosed = true; // closed, or reset: the connection is gone
}

int CCaseLink::SendSampleParam(int a) {
    const int length = m_pEncoder->BuildSampleParamCmd(a);
    return length == 0 ? 1 : SendBuilt(length);
}

int CCaseLink::SendModuleChannelCmd(int a) {
    return SendBuilt(m_pEncoder->BuildModuleChannelCmd(a));
}
int CCaseLink::SendModuleSwitchCmd(int a) {
    return SendBuilt(m_pEncoder->BuildModuleSwitchCmd(a));
}
int CCaseLink::SendCmd37(int a) {
    return SendBuilt(m_pEncoder->BuildCmd37(a));
}
int CCaseLink::RequestLeadData() {
    return SendBuilt(m_pEncoder->BuildLeadDataRequest());
}
int CCaseLink::RequestSelfTestData() {
    return SendBuilt(m_pEncoder->BuildSelfTestRequest());
}

int CCaseLink::SendCorrectionCoef(int channel, int b1, int b2, std::int32_t value) {
    return SendBuilt(m_pEncoder->BuildCorrectionCoefCmd(channel, b1, b2, value));
}

int CCaseLink::SendModuleCommand(platform::HWND window, int length, int waitMs, int code) {
    std::lock_guard<std::mutex> operation(m_operationMutex);
    // A late answer to an earlier request must not pass for this one's.
    Drain();
    ResetReceive();
    if (!SendBuilt(length))
        return 0;
    platform::Sleep(static_cast<std::uint32_t>(waitMs));
    ReceiveAll();
    const int held = GetReplyBytes();
    // No reply is no exchange; a read needs the whole block. The sink only
    // ever sees this reply's bytes, never an earlier one's.
    if (held < 1 || (code == 0 && held < kModuleReplySize))
        return 0;
    if (held >= kModuleReplySize) {
        {
            std::lock_guard<std::mutex> lock(m_hMutex);
            std::memcpy(m_moduleReply, m_reply.data(), kModuleReplySize);
        }
        if (window)
            platform::SendMessage(window, 0x872, static_cast<platform::WPARAM>(code),
                                  reinterpret_cast<platform::LPARAM>(m_moduleReply));
    }
    return 1;
}

int CCaseLink::SendModuleCmdF0(platform::HWND window) {
    return SendModuleCommand(window, m_pEncoder->BuildModuleCmdF0(), 200, 0);
}
int CCaseLink::SendModuleCmdF1(platform::HWND window, const std::uint8_t block[21]) {
    return SendModuleCommand(window, m_pEncoder->BuildModuleCmdF1(block), 500, 1);
}
int CCaseLink::SendModuleCmdF2(platform::HWND window, const std::uint8_t block[13]) {
    return SendModuleCommand(window, m_pEncoder->BuildModuleCmdF2(block), 500, 2);
}

int CCaseLink::SendChannelParamCmd(const std::vector<int>& channels) {
    const int length = m_pEncoder->BuildChannelParamsCmd(channels, m_nCaseNo);
    if (length <= 0)
        return 0;
    const std::uint8_t* bytes = m_pEncoder->GetCommandBuffer();
    // Large commands go in two writes, as the case's receive buffer expects.
    if (m_nModules >= 7 && length >= 1453)
        return SendCommand(1452, bytes) && SendCommand(length - 1452, bytes + 1452) ? 1 : 0;
    return SendCommand(length, bytes);
}

int CCaseLink::SendSingleChannelParam(int channel) {
    return SendBuilt(m_pEncoder->BuildChannelParamCmd(channel));
}

// ---- Case and channel information ----------------------------------------

void CCaseLink::ClearModuleTables() {
    m_nModules = 0;
    m_ModulePresent.fill(0);
    m_ModuleVersion.fill(0);
    m_ModuleSlot.fill(0);
}

bool CCaseLink::ValidModuleIndex(int slot) const {
    return m_nCaseNo >= 0 && m_nCaseNo <= kMaxCaseNo && slot >= 0 && slot < 8;
}

int CCaseLink::ReadCaseInfo() {
    std::lock_guard<std::mutex> operation(m_operationMutex);
    ClearModuleTables();
    const int length = m_pEncoder->BuildCaseInfoRequest();
    Drain();
    if (!m_bAnswered.load() && m_nAskedAtMs.load() == 0)
        m_nAskedAtMs = static_cast<std::int64_t>(SteadySeconds() * 1000.0);
    for (int attempt = 0; attempt < 3; ++attempt) {
        ResetReceive();
        if (!SendBuilt(length))
            return 0;
        platform::Sleep(300);
        ReceiveAll();
        std::lock_guard<std::mutex> lock(m_hMutex);
        // The acknowledgement of an earlier command that came after the drain
        // arrives in front of the entries: it is no entry (an entry begins
        // with its case number, a frame with 0x55), and alone it is no reply.
        const int acknowledged = LeadingFramesLength(m_reply.data(), m_nReplyBytes);
        const int held = m_nReplyBytes - acknowledged;
        if (held >= 1 && held <= kBufferSize)
            return ParseCaseInfoReply(m_reply.data() + acknowledged, held);
    }
    return 0;
}

int CCaseLink::ParseCaseInfoReply(const std::uint8_t* reply, int length) {
    // The trace shows the first 64 bytes: a reply can be far longer than a log line.
    TraceHex(("机箱信息" + std::to_string(length) + ": ").c_str(), reply, std::min(length, 64));
    if (m_nCaseNo < 0 || m_nCaseNo > kMaxCaseNo) {
        Trace("case number out of range: " + std::to_string(m_nCaseNo));
        return 0;
    }
    const int entries = std::min(length / 8, 8);
    int highest = 0;
    for (int i = 0; i < entries; ++i) {
        const std::uint8_t* entry = reply + 8 * i;
        const int slot = entry[6];
        if (slot > 7)
            return 0;
        const int index = m_nCaseNo * 8 + slot;
        if (m_ModulePresent[index] == 1)
            continue; // a slot reported twice would be decoded twice per sample
        m_ModuleSlot[m_nModules++] = slot;
        m_ModulePresent[index] = 1;
        m_ModuleVersion[index] = entry[2];
        highest = std::max(highest, static_cast<int>(entry[2]));
    }
    if (entries > 0) {
        m_nCaseVersion = highest;
        m_bAnswered = true;
        m_nAskedAtMs = 0;
    }
    m_bAlive = 1;
    return 1;
}

int CCaseLink::ReadChannelInfo() {
    std::lock_guard<std::mutex> operation(m_operationMutex);
    const int length = m_pEncoder->BuildChannelInfoRequest();
    Drain();
    ResetReceive();
    if (!SendBuilt(length))
        return 0;
    platform::Sleep(200);
    const int tries = std::max(1, m_pHost->GetDelayChanInfo() / 100);
    for (int i = 0; i < tries; ++i) {
        ReceiveAll();
        const int held = GetReplyBytes();
        if (held >= 1 && held >= m_nModules * kChannelInfoBytesPerModule) {
            platform::Sleep(50);
            ReceiveAll();
            break;
        }
        platform::Sleep(100);
    }
    g_hCaseOpMutex.Wait();
    int result;
    {
        std::lock_guard<std::mutex> lock(m_hMutex);
        result = ParseChannelInfoReply(m_reply.data(), m_nReplyBytes);
    }
    g_hCaseOpMutex.Release();
    return result;
}

int CCaseLink::ParseChannelInfoReply(const std::uint8_t* reply, int length) {
    if (m_nCaseNo < 0 || m_nCaseNo > kMaxCaseNo)
        return 0;
    m_pHost->SetCurrentInfoCase(m_nCaseNo);
    for (int k = 0; k < m_nModules; ++k) {
        const int slot = m_ModuleSlot[k];
        for (int c = 0; c < 16; ++c) {
            int p = 0;
            for (; p <= length - 6; ++p) {
                const std::uint8_t* b = reply + p;
                if (b[0] == 0x55 && b[1] == 0xAA && b[2] == 2 && b[3] == 1 && b[4] == slot && b[5] == c)
                    break;
            }
            if (p > length - 6)
                return 0;
            // The library reads whole 256-byte packets: a record cut short by
            // the end of the reply is padded with zeros, never read past it.
            std::uint8_t packet[256] = {};
            std::memcpy(packet, reply + p + 6, static_cast<std::size_t>(std::min(256, length - (p + 6))));
            m_pHost->ParseChannelInfo(m_nCaseNo * 128 + slot * 16 + c, packet);
        }
    }
    return 1;
}

int CCaseLink::ReadLeadData(CaseSampleBlock* first, CaseSampleBlock* second) {
    return ReadTestData(3, first, second);
}
int CCaseLink::ReadSelfTestData(CaseSampleBlock* first, CaseSampleBlock* second) {
    return ReadTestData(4, first, second);
}

int CCaseLink::ReadTestData(std::uint8_t kind, CaseSampleBlock* first, CaseSampleBlock* second) {
    std::lock_guard<std::mutex> operation(m_operationMutex);
    ReceiveAll();
    std::lock_guard<std::mutex> lock(m_hMutex);
    if (m_nReplyBytes < 1 || m_nReplyBytes > kBufferSize - 1)
        return 0;
    return ParseTestDataReply(m_reply.data(), m_nReplyBytes, kind, first, second);
}

int CCaseLink::ParseTestDataReply(const std::uint8_t* reply, int length, std::uint8_t kind,
                                  CaseSampleBlock* first, CaseSampleBlock* second) {
    if (m_nCaseNo < 0 || m_nCaseNo > kMaxCaseNo || !first || !second)
        return 0;
    int p = 0;
    while (p + 138 <= length) {
        const std::uint8_t* b = reply + p;
        const int slot = b[7];
        if (b[0] == 0x55 && b[1] == 0xAA && b[2] == 7 && b[3] == kind && slot < 8 &&
            m_ModulePresent[m_nCaseNo * 8 + slot] == 1) {
            const int index = m_nCaseNo * 8 + slot;
            for (int i = 0; i < 16; ++i) {
                const std::uint8_t* v1 = b + 10 + 4 * i;
                const std::uint8_t* v2 = b + 74 + 4 * i;
                const std::uint32_t w1 = (v1[0] << 24u) | (v1[1] << 16) | (v1[2] << 8) | v1[3];
                const std::uint32_t w2 = (v2[0] << 24u) | (v2[1] << 16) | (v2[2] << 8) | v2[3];
                std::memcpy(&first[index].fValues[i], &w1, 4);
                std::memcpy(&second[index].fValues[i], &w2, 4);
            }
            p += 136;
        } else {
            ++p;
        }
    }
    return 1;
}

// ---- Module tables -------------------------------------------------------

void CCaseLink::SetModuleChannel(int id) {
    m_ModuleChannel[(id >> 4) & 7] = id & 15;
}

int CCaseLink::CopyModuleList(std::int32_t out[kMaxModules]) const {
    std::copy(m_ModuleSlot.begin(), m_ModuleSlot.end(), out);
    return m_nModules;
}

int CCaseLink::HasModule(int index) const {
    return index >= 0 && index < kMaxModules && m_ModulePresent[index] == 1;
}

int CCaseLink::FirstModuleVersion() const {
    for (int i = 0; i < kMaxModules; ++i) {
        if (m_ModulePresent[i] == 1)
            return m_ModuleVersion[i];
    }
    return 0;
}

// ---- Run control ---------------------------------------------------------

void CCaseLink::SetSampleParams(const std::int32_t params[20]) {
    std::copy(params, params + 20, m_SampleParams.begin());
    std::memcpy(&m_fRequestedRate, &params[12], sizeof(float)); // the sampling frequency word
}

void CCaseLink::SetCaseDataFile(const std::string& folder, const std::string& name) {
    m_strDataFolder = folder;
    m_strDataName = name;
}

void CCaseLink::SetCaseOption(std::uint8_t flag, std::int32_t value) {
    m_bOptionFlag = flag;
    m_nOptionValue = value;
}

void CCaseLink::SetReceiving(int flag) {
    if (flag) {
        m_bReceiving = flag;
        return;
    }
    StopReceiving();
    for (int waited = 0; waited < 3000 && m_bInReceiveLoop.load(); waited += 10)
        platform::Sleep(10);
}

void CCaseLink::StopReceiving() {
    m_bReceiving = 0;
    m_receiveWake.Set();
    // A set no longer waits for this link.
    NotifySampleReady();
}

void CCaseLink::MarkNotAlive() {
    if (m_bAlive.exchange(0) != 0)
        NotifySampleReady(); // a set no longer waits for this link
}

void CCaseLink::CopyStateFrom(CCaseLink& old) {
    m_ModulePresent = old.m_ModulePresent;
    m_ModuleVersion = old.m_ModuleVersion;
    m_ModuleSlot = old.m_ModuleSlot;
    m_nModules = old.m_nModules;
    m_nCaseVersion = old.m_nCaseVersion;
    m_nCaseNo = old.m_nCaseNo;
    m_bHasMapId = old.m_bHasMapId;
    m_bAnswered = old.m_bAnswered.load();
    m_ChannelCoef = old.m_ChannelCoef;
    for (int i = 0; i < 8; ++i)
        m_ModuleChannel[i] = old.m_ModuleChannel[i].load();
    m_SampleParams = old.m_SampleParams;
    m_fRequestedRate = old.m_fRequestedRate;
    m_fHardwareRate = old.m_fHardwareRate;
    m_nSampleMode = old.m_nSampleMode;
    m_nDecimation = old.m_nDecimation;
    m_nDiscard = old.m_nDiscard;
    m_nPacketStep = old.m_nPacketStep;
    m_bReceiving = old.m_bReceiving.load();
    m_strDataFolder = old.m_strDataFolder;
    m_strDataName = old.m_strDataName;
    m_bOptionFlag = old.m_bOptionFlag;
    m_nOptionValue = old.m_nOptionValue;
    m_bDataSaving = old.m_bDataSaving.load();
    m_nDataMode = old.m_nDataMode.load();
    std::lock_guard<std::mutex> lock(old.m_csDispatch);
    m_LastCounter = old.m_LastCounter;
    m_LastCounterTime = old.m_LastCounterTime;
}

void CCaseLink::TakeRunFrom(CCaseLink& old) {
    // What the dropped link received before the drop is stored first.
    old.ProcessRawQueue();
    old.ProcessFrameQueue();
    std::scoped_lock lock(m_csDispatch, old.m_csDispatch);
    old.WriteGatheredLocked(); // before the gap this link's samples follow
    m_files = std::move(old.m_files);
    old.m_files.clear();
    m_dLastStoredTime = old.m_dLastStoredTime;
    m_bGapPending = m_bReceiving.load() != 0;
}

void CCaseLink::MarkRelink() {
    if (!m_bReceiving.load())
        return;
    m_bRelinkPending = 1;
    m_nOptionValue = 1;
}

void CCaseLink::ComputeChannelCoefs() {
    for (auto& slot : m_ChannelCoef)
        slot.fill(1.0f);
    for (int k = 0; k < m_nModules; ++k) {
        const int slot = m_ModuleSlot[k];
        for (int ch = 0; ch < 16; ++ch) {
            const int channel = ((slot + m_nCaseNo * 8) * 16) + ch;
            const float gain = m_pHost->GetChannelGainFactor(channel);
            m_ChannelCoef[slot][ch] = m_pHost->GetMeasureType(channel) == 0 ? -gain : gain;
        }
    }
}

void CCaseLink::ComputeSamplingRate() {
    m_fHardwareRate = std::max(m_fRequestedRate, 10.0f);
    if (m_nSampleMode == 4 || m_nSampleMode == 6) {
        const float top = m_pHost->GetFrequency(m_pHost->GetFrequencyLevelCount() - 1);
        m_fHardwareRate = m_fRequestedRate = top;
    }
    const int level = m_pHost->FindFrequencyLevel(m_fHardwareRate);
    m_nDiscard = m_nModules * m_pHost->GetDataThrow(level);
    const float step = m_fRequestedRate > 0.0f ? m_fHardwareRate / m_fRequestedRate : 1.0f;
    m_nPacketStep = std::max(1, static_cast<int>(step));
    // Below the cases' lowest rate they stream faster than asked: every
    // step-th sample is kept so that the stored time line is the one asked.
    m_nDecimation = m_nPacketStep;
}

void CCaseLink::PrepareRun() {
    MakeBuffers();
    MakeAssembly();
    ComputeChannelCoefs();
    ComputeSamplingRate();
    {
        std::lock_guard<std::mutex> lock(m_csDispatch);
        m_nSamplesSinceStart = 0;
        m_nSkippedSamples = 0;
        m_nDecimationPhase = 0;
        m_bDiscardDone = 0;
        m_LastCounter.clear();
        m_LastCounterTime.clear();
        for (auto& list : m_Averaging)
            list.clear();
    }
    m_bAlive = 1;
    m_bFirstData = false;
    ClearLatestSamples();
    {
        std::lock_guard<std::mutex> lock(m_hMutex);
        std::memset(m_reply.data(), 0, m_reply.size());
        m_nReplyBytes = 0;
        m_nTotalBytes = 0;
    }
    {
        std::lock_guard<std::mutex> lock(m_csReceive);
        std::memset(m_assembly.data(), 0, m_assembly.size());
        m_nAssembly = 0;
        m_rawQueue.RemoveAll();
    }
    m_sampleQueue.RemoveAll();
    m_frameQueue.RemoveAll();
}

int CCaseLink::SendSampleStartCmd(int firstStart) {
    if (m_nModules == 0)
        return 0;
    m_bInReceiveLoop = true;
    // The wake of an earlier run's end is spent; a stop from here on sets it again.
    m_receiveWake.Open();
    m_receiveWake.Reset();
    const bool relink = m_bRelinkPending.load() != 0;
    if (relink) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kRelinkPauseMs);
        while (m_bReceiving.load() && std::chrono::steady_clock::now() < end) {
            if (m_receiveWake.Handle() < 0)
                platform::Sleep(10);
            else
                m_receiveWake.Wait(kRelinkPauseMs / 10);
        }
        if (!m_bReceiving.load()) {
            m_bInReceiveLoop = false;
            return 0; // the run stopped while the case was away
        }
    }
    PrepareRun();
    // The workers run from a link's first run on: a connection that never
    // samples needs none.
    StartWorkers();
    Trace("<采样开始命令 " + TimeStamp());
    {
        // From here the run owns the socket's incoming bytes.
        std::lock_guard<std::mutex> operation(m_operationMutex);
        m_bReceiving = 1;
    }
    WakeFrameWorker(); // frames may wait from before the run

    const int length = m_pEncoder->BuildChannelSettingCmd(m_pHost->FindFrequencyLevel(m_fHardwareRate));
    while (g_bStartGate.load() != 1 && m_bReceiving.load())
        platform::Sleep(2);
    Drain();
    ResetReceive();
    if (!SendBuilt(length)) {
        m_bReceiving = 0;
        m_bInReceiveLoop = false;
        return 0;
    }
    const std::string line =
        (firstStart ? "SendSampleStartCmd " : "Relink SendSampleStartCmd ") + TimeStamp();
    Trace(line);
    WriteLog(m_strAddress, line + "\n");
    Trace("开始接收采样数据... " + TimeStamp());
    m_bRelinkPending = 0;
    if (relink)
        SignalLinkEvent(); // the case is back: the watchdog reports it at once
    ReceiveLoop();
    Trace("采样完成/>\n");
    m_bInReceiveLoop = false;
    return 1;
}

int CCaseLink::BatchBytes() const {
    const double bytesPerSecond = static_cast<double>(m_fHardwareRate) * std::max(1, m_nModules) * kUnitSize;
    if (!(bytesPerSecond > 0.0))
        return 1;
    return static_cast<int>(
        std::clamp(bytesPerSecond * kBatchPauseMs / 1000.0, 1.0, static_cast<double>(kMaxLowWaterBytes)));
}

int CCaseLink::ReceivePauseMs() const {
    const double bytesPerSecond = static_cast<double>(m_fHardwareRate) * std::max(1, m_nModules) * kUnitSize;
    if (!(bytesPerSecond > 0.0))
        return kBatchPauseMs;
    return static_cast<int>(
        std::clamp(1000.0 * kReceiveBatchBytes / bytesPerSecond, 1.0, static_cast<double>(kBatchPauseMs)));
}

void CCaseLink::ReceiveLoop() {
    // The loop sleeps in the kernel until bytes come (while the stream flows,
    // until a batch's bytes wait: the socket's low-water mark), the silence
    // limit is reached or the run ends; while the stream flows it reads at
    // least every one and a half kBatchPauseMs, so that a tail below the mark
    // waits no longer. What it reads it parses at once.
    using Clock = std::chrono::steady_clock;
    const auto elapsedMs = [](Clock::time_point from) {
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - from).count();
    };
    // The mark is a batch while the stream flows, and a byte otherwise, so
    // that a quiet case's first bytes are read as they come.
    bool lowWater = false;
    const auto markBatches = [&](bool on) {
        if (on != lowWater && m_socket.SetReceiveLowWater(on ? BatchBytes() : 1))
            lowWater = on;
    };
    bool dropped = false;
    bool stopSeen = false;
    Clock::time_point lastData = Clock::now();
    Clock::time_point stopSeenAt = lastData;
    m_bStreamEnded = false;
    m_bStopSent = false;
    m_bInStream = true;
    while (m_bReceiving.load()) {
        if (!stopSeen && m_bStopSent.load()) {
            // Woken by the stop as it went out: the quiet is counted from now.
            stopSeen = true;
            stopSeenAt = Clock::now();
            markBatches(false); // the stream's tail is read as it comes
        }
        if (stopSeen && dropped)
            m_bStreamEnded = true; // a closed connection brings nothing more
        const Clock::time_point quietFrom = std::max(stopSeenAt, lastData);
        // Until the silence limit while the link counts as live; once it
        // does not, only bytes or the end of the run can change anything.
        constexpr long long kNoLimit = -1;
        const auto within = [](long long wait, long long limit) {
            return wait == kNoLimit ? limit : std::min(wait, limit);
        };
        long long waitMs = m_bAlive.load()
                               ? std::max<long long>(m_nSilenceLimitMs.load() - elapsedMs(lastData), 0)
                               : kNoLimit;
        if (stopSeen && !m_bStreamEnded.load())
            waitMs = within(waitMs, std::max<long long>(kStreamEndQuietMs - elapsedMs(quietFrom), 0));
        if (lowWater)
            waitMs = within(waitMs, kBatchPauseMs * 3 / 2); // the mark, not the time, paces a steady stream
        int ready;
        if (m_receiveWake.Handle() < 0) {
            // No wake signal could be made: the loop naps and looks.
            platform::Sleep(kIdleNapMs);
            ready = dropped ? 0 : 1;
        } else if (dropped) {
            // A closed connection reads as ready for ever: only the end of
            // the run is waited for.
            ready = m_receiveWake.Wait(static_cast<int>(kNoLimit)) ? platform::kSocketWoken : 0;
        } else {
            ready = m_socket.WaitReadable(static_cast<int>(waitMs), m_receiveWake);
        }
        if (ready == platform::kSocketWoken) {
            if (m_bReceiving.load())
                m_receiveWake.Reset(); // a stop sent while the stream goes on: look again
            continue;
        }
        // Below the low-water mark bytes may wait when the time is up.
        const int held = ready != 0 || (lowWater && !dropped) ? ReceiveRunBytes() : 0;
        markBatches(held > 0 && !dropped && !stopSeen);
        if (held == 0 && m_bPeerClosed.load() && !dropped) {
            // The connection is gone, not silent: the case is reported at
            // once, and its return (a relink) picks the run up again.
            dropped = true;
            MarkNotAlive();
            const std::string line = "Link lost " + TimeStamp();
            Trace(line);
            WriteLog(m_strAddress, line + "\n");
            SignalLinkEvent();
        }
        if (held >= 1) {
            lastData = Clock::now();
            m_bAlive = 1;
            if (!m_bFirstData) {
                m_bFirstData = true;
                g_fFirstDataTime = NowSeconds();
            }
            // Without a low-water mark the next read waits for a batch, and
            // after a stop for the stream's end.
            if (!lowWater && !stopSeen)
                m_receiveWake.Wait(ReceivePauseMs());
            continue;
        }
        if (dropped)
            continue;
        if (elapsedMs(lastData) >= m_nSilenceLimitMs.load())
            MarkNotAlive();
        if (stopSeen && elapsedMs(quietFrom) >= kStreamEndQuietMs)
            m_bStreamEnded = true;
    }
    // Replies to commands are read as they come again.
    markBatches(false);
    m_bInStream = false;
}

int CCaseLink::SendSampleStopCmd() {
    Trace("<采样停止命令 " + TimeStamp());
    StopReceiving();
    Trace("BufCount=" + std::to_string(m_rawQueue.GetCount()));
    ResetReceive();
    return SendStopCommand();
}

bool CCaseLink::SendStopWhileReceiving() {
    if (!m_bInStream.load())
        return false;
    Trace("<采样停止命令 " + TimeStamp());
    SendStopCommand();
    // The quiet that ends the stream is counted from here, by the receive
    // loop, which is woken to count it.
    m_bStopSent = true;
    m_receiveWake.Set();
    return true;
}

void CCaseLink::WaitStreamEnd(std::chrono::steady_clock::time_point deadline) {
    while (m_bInStream.load() && !m_bStreamEnded.load() && std::chrono::steady_clock::now() < deadline)
        platform::Sleep(5);
}

int CCaseLink::SendStopCommand() {
    const int length = m_pEncoder->BuildSampleStopCmd();
    const int result = SendBuilt(length);
    const std::string line = "SendSampleStopCmd " + TimeStamp();
    Trace(line);
    WriteLog(m_strAddress, line + "\n");
    Trace("停止完成/>\n");
    return result;
}
