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

#include <sys/socket.h>

std::atomic<std::int32_t> g_bLinkBusy{0};
std::atomic<std::int32_t> g_bStartGate{0};
std::atomic<double> g_fFirstDataTime{0.0};
platform::Mutex g_hCaseOpMutex;

namespace {

constexpr int kChannelInfoBytesPerModule = 1408;
constexpr int kUnitSize = 56;
constexpr int kStatusRecordSize = 32;

#pragma pack(push, 1)
struct SampleStatusRecord {
    double fDate = 0.0;
    std::int32_t nStatus = 0;
    char szTime[20] = {};
};
#pragma pack(pop)
static_assert(sizeof(SampleStatusRecord) == kStatusRecordSize, "sample status record is 32 bytes");

double NowSeconds() {
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
    return static_cast<double>(ms / 1000) + static_cast<double>(ms % 1000) / 1000.0;
}

std::string TimeStamp() {
    const platform::LocalDateTime t = platform::NowLocal();
    char text[40];
    std::snprintf(text, sizeof text, "%d-%02d-%02d %02d:%02d:%02d.%03d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second, t.millisecond);
    return text;
}

// 24-bit two's complement, most significant byte first.
std::int32_t Signed24(const std::uint8_t* b) {
    std::int32_t v = (b[0] << 16) | (b[1] << 8) | b[2];
    return (v & 0x800000) ? v - 0x1000000 : v;
}

} // namespace

CCaseLink::CCaseLink(CCaseProtocol3* encoder, CaseLinkHost* host)
    : m_pEncoder(encoder), m_pHost(host ? host : &m_defaultHost), m_reply(kBufferSize),
      m_scratch(kBufferSize), m_assembly(kBufferSize) {
    for (auto& slot : m_ChannelCoef)
        slot.fill(1.0f);
    for (auto& channel : m_ModuleChannel)
        channel = 0;
}

CCaseLink::~CCaseLink() {
    m_bReceiving = 0;
    StopWorkers();
    // A start still inside its receive loop leaves it within one sleep.
    for (int i = 0; i < 300 && m_bInReceiveLoop.load(); ++i)
        platform::Sleep(10);
    CloseCaseFiles();
}

void CCaseLink::Attach(platform::TcpStream&& stream, const std::string& address) {
    m_socket = std::move(stream);
    m_socket.SetNonBlocking(true);
    m_strAddress = address;
    m_bPeerClosed = false;
}

void CCaseLink::ShutdownSocket() {
    std::lock_guard<std::mutex> lock(m_sendMutex);
    if (m_socket.IsOpen() && m_socket.Shutdown(SHUT_WR))
        m_socket.Close();
}

int CCaseLink::LoadMapId() {
    const std::string path = m_pHost->GetProgramFolder() + "/MapCfg.ini";
    const std::string value = platform::GetPrivateProfileString(m_strAddress, "MapID", "", path);
    if (value.empty())
        return 0;
    m_nCaseNo = std::atoi(value.c_str());
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
    m_bAlive = sent ? 1 : 0;
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
    m_nReplyBytes = m_nTotalBytes = m_nThirdCount = 0;
}

int CCaseLink::GetReplyBytes() {
    std::lock_guard<std::mutex> lock(m_hMutex);
    return m_nReplyBytes;
}

void CCaseLink::AppendReply(const std::uint8_t* bytes, int length, bool trim) {
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
    for (;;) {
        const int n = m_socket.Receive(m_scratch.data(), m_scratch.size(), 0);
        if (n > 0) {
            AppendReply(m_scratch.data(), n, true);
            continue;
        }
        if (n == 0)
            m_bPeerClosed = true;
        return -1;
    }
}

int CCaseLink::ReceiveWhileReceiving() {
    int n = -1;
    while (m_bReceiving.load()) {
        const int room = kBufferSize - GetReplyBytes();
        if (room <= 0)
            break; // the rest waits in the socket for the next round
        n = m_socket.Receive(m_scratch.data(), static_cast<std::size_t>(room), 0);
        if (n <= 0) {
            if (n == 0)
                m_bPeerClosed = true;
            break;
        }
        AppendReply(m_scratch.data(), n, false);
    }
    return n;
}

void CCaseLink::Drain() {
    while (m_socket.Receive(m_scratch.data(), m_scratch.size(), 0) > 0) {
    }
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
    else if (n == 0)
        m_bPeerClosed = true;
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
    ResetReceive();
    if (!SendBuilt(length))
        return 0;
    platform::Sleep(static_cast<std::uint32_t>(waitMs));
    ReceiveAll();
    const int held = GetReplyBytes();
    if (held >= 1 && held <= kModuleReplySize) {
        std::lock_guard<std::mutex> lock(m_hMutex);
        std::memcpy(m_moduleReply, m_reply.data(), static_cast<std::size_t>(held));
    }
    if (window)
        platform::SendMessage(window, 0x872, static_cast<platform::WPARAM>(code),
                              reinterpret_cast<platform::LPARAM>(m_moduleReply));
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
    for (int attempt = 0; attempt < 3; ++attempt) {
        ResetReceive();
        if (!SendBuilt(length))
            return 0;
        platform::Sleep(300);
        ReceiveAll();
        const int held = GetReplyBytes();
        if (held >= 1 && held <= kBufferSize) {
            std::lock_guard<std::mutex> lock(m_hMutex);
            return ParseCaseInfoReply(m_reply.data(), held);
        }
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
    if (entries > 0)
        m_nCaseVersion = highest;
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
    m_bReceiving = flag;
    if (flag)
        return;
    for (int waited = 0; waited < 3000 && m_bInReceiveLoop.load(); waited += 10)
        platform::Sleep(10);
}

void CCaseLink::CopyStateFrom(CCaseLink& old) {
    m_ModulePresent = old.m_ModulePresent;
    m_ModuleVersion = old.m_ModuleVersion;
    m_ModuleSlot = old.m_ModuleSlot;
    m_nModules = old.m_nModules;
    m_nCaseVersion = old.m_nCaseVersion;
    m_nCaseNo = old.m_nCaseNo;
    m_bHasMapId = old.m_bHasMapId;
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
    m_bDataSaving = old.m_bDataSaving;
    m_nDataMode = old.m_nDataMode.load();
    std::lock_guard<std::mutex> lock(old.m_csDispatch);
    m_LastCounter = old.m_LastCounter;
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
}

void CCaseLink::PrepareRun() {
    ComputeChannelCoefs();
    ComputeSamplingRate();
    {
        std::lock_guard<std::mutex> lock(m_csDispatch);
        m_nSamplesSinceStart = 0;
        m_nDecimationPhase = 0;
        m_bDiscardDone = 0;
        m_LastCounter.clear();
        for (auto& list : m_Averaging)
            list.clear();
    }
    m_bAlive = 1;
    m_nIdleRounds = 0;
    m_bFirstData = false;
    ClearLatestSamples();
    {
        std::lock_guard<std::mutex> lock(m_hMutex);
        std::fill(m_reply.begin(), m_reply.end(), 0);
        m_nReplyBytes = 0;
    }
    {
        std::lock_guard<std::mutex> lock(m_csReceive);
        std::fill(m_assembly.begin(), m_assembly.end(), 0);
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
    if (m_bRelinkPending.load())
        platform::Sleep(3000);
    PrepareRun();
    Trace("<采样开始命令 " + TimeStamp());
    {
        // From here the run owns the socket's incoming bytes.
        std::lock_guard<std::mutex> operation(m_operationMutex);
        m_bReceiving = 1;
    }

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
    ReceiveLoop();
    Trace("采样完成/>\n");
    m_bInReceiveLoop = false;
    return 1;
}

void CCaseLink::ReceiveLoop() {
    while (m_bReceiving.load()) {
        ResetReceive();
        ReceiveWhileReceiving();
        const int held = GetReplyBytes();
        if (held >= 1 && held <= kBufferSize - 1) {
            m_nIdleRounds = 0;
            m_bAlive = 1;
            if (!m_bFirstData) {
                m_bFirstData = true;
                g_fFirstDataTime = NowSeconds();
            }
            if (!m_pHost->IsSamplePaused()) {
                std::lock_guard<std::mutex> lock(m_hMutex);
                PushReceivedBytes(held, m_reply.data());
            }
            platform::Sleep(2);
        } else if (held == 0) {
            platform::Sleep(50);
            if (++m_nIdleRounds >= 100)
                m_bAlive = 0;
        } else {
            // A full buffer: hand it on and read the rest at once.
            std::lock_guard<std::mutex> lock(m_hMutex);
            PushReceivedBytes(held, m_reply.data());
        }
    }
}

int CCaseLink::SendSampleStopCmd() {
    Trace("<采样停止命令 " + TimeStamp());
    m_bReceiving = 0;
    Trace("BufCount=" + std::to_string(m_rawQueue.GetCount()));
    const int length = m_pEncoder->BuildSampleStopCmd();
    ResetReceive();
    const int result = SendBuilt(length);
    const std::string line = "SendSampleStopCmd " + TimeStamp();
    Trace(line);
    WriteLog(m_strAddress, line + "\n");
    Trace("停止完成/>\n");
    return result;
}

// ---- Receive path --------------------------------------------------------

void CCaseLink::PushReceivedBytes(int len, const std::uint8_t* bytes) {
    if (len <= 0 || len > kBufferSize)
        return;
    CaseLinkQueue::Packet packet;
    packet.fTime = NowSeconds();
    packet.data.assign(bytes, bytes + len);
    m_rawQueue.AddTail(std::move(packet), kRawQueueLimit);
}

void CCaseLink::AppendAssembly(const std::uint8_t* bytes, int length) {
    if (length > kBufferSize)
        return;
    if (m_nAssembly + length > kBufferSize)
        m_nAssembly = 0;
    std::memcpy(m_assembly.data() + m_nAssembly, bytes, static_cast<std::size_t>(length));
    m_nAssembly += length;
}

int CCaseLink::ProcessRawQueue() {
    int handled = 0;
    CaseLinkQueue::Packet packet;
    std::lock_guard<std::mutex> lock(m_csReceive);
    while (m_rawQueue.TakeHead(packet)) {
        AppendAssembly(packet.data.data(), static_cast<int>(packet.data.size()));
        if (m_nDataMode.load() == 2)
            SplitFrames();
        else
            ParseSampleBlock();
        ++handled;
    }
    return handled;
}

void CCaseLink::SplitFrames() {
    int start = 0, end = 0, keepFrom = 0;
    while (FindDataFrame(m_assembly.data(), m_nAssembly, start, end)) {
        CaseLinkQueue::Packet frame;
        frame.data.assign(m_assembly.begin() + start, m_assembly.begin() + end);
        m_frameQueue.AddTail(std::move(frame), kFrameQueueLimit);
        keepFrom = start = end;
    }
    m_nAssembly -= keepFrom;
    std::memmove(m_assembly.data(), m_assembly.data() + keepFrom, static_cast<std::size_t>(m_nAssembly));
}

int CCaseLink::ProcessFrameQueue() {
    int handled = 0;
    CaseLinkQueue::Packet frame;
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(m_csFrames);
            if (!m_frameQueue.TakeHead(frame))
                return handled;
        }
        const int length = static_cast<int>(frame.data.size());
        if (length >= 1 && length <= kBufferSize - 1)
            ParseDataFrame(frame.data.data(), length);
        ++handled;
    }
}

void CCaseLink::ParseDataFrame(const std::uint8_t* b, int length) {
    if (length < 10 || b[0] != 0x55 || b[1] != 0xAA || b[8] != 7 || b[9] != 1 || m_nModules == 0)
        return;
    float value[8] = {};
    for (int i = 0; i < m_nModules && 10 + 4 * i + 4 <= length; ++i) {
        const std::uint8_t* group = b + 10 + 4 * i;
        if (group[0] < 8)
            value[group[0]] = static_cast<float>(Signed24(group + 1));
    }
    std::vector<CaseSampleBlock> blocks(static_cast<std::size_t>(m_nModules));
    for (int k = 0; k < m_nModules; ++k) {
        const int slot = m_ModuleSlot[k];
        const int channel = m_ModuleChannel[slot].load();
        if (channel >= 0 && channel < 16) {
            blocks[k].nHeader = slot;
            blocks[k].fValues[channel] = value[slot];
        }
    }
    StoreSamples(blocks.data(), m_nModules * static_cast<int>(sizeof(CaseSampleBlock)));
}

void CCaseLink::StoreSamples(CaseSampleBlock* blocks, int bytes) {
    std::lock_guard<std::mutex> lock(m_csDispatch);
    const int samples = bytes / static_cast<int>(sizeof(CaseSampleBlock)) / m_nModules;
    const int firstKept = CountDiscarded(samples);
    std::vector<std::vector<CaseSampleBlock>> perSlot(8);
    for (int s = firstKept; s < samples; ++s) {
        for (int k = 0; k < m_nModules; ++k) {
            CaseSampleBlock block = blocks[s * m_nModules + k];
            const int slot = m_ModuleSlot[k];
            for (int ch = 0; ch < 16; ++ch)
                block.fValues[ch] *= m_ChannelCoef[slot][ch];
            perSlot[slot].push_back(block);
        }
    }
    DispatchSamples(perSlot, samples - firstKept);
}

// Counts samples of a new batch against the discard at the start of a run;
// returns how many of them are thrown away. The sample that makes the count
// pass the discard is the first one kept, in block and in frame mode alike.
int CCaseLink::CountDiscarded(int samples) {
    const int before = m_nSamplesSinceStart;
    m_nSamplesSinceStart += samples;
    if (m_bDiscardDone)
        return 0;
    const int thrown = std::clamp(m_nDiscard / m_nModules - before, 0, samples);
    if (thrown < samples) {
        m_bDiscardDone = 1;
        if (m_bAlive.load() && m_fRequestedRate > 0.0f)
            g_fFirstDataTime = g_fFirstDataTime.load() + (before + thrown + 1) / m_fRequestedRate;
    }
    return thrown;
}

void CCaseLink::DecodeUnit(const std::uint8_t* unit, std::vector<std::vector<CaseSampleBlock>>& perSlot) {
    const int slot = unit[7] & 0x3F;
    if (slot >= 8)
        return;
    CaseSampleBlock block;
    std::int32_t counter = 0;
    if (m_nCaseVersion >= 2)
        counter = std::max(0, Signed24(unit + 4));
    block.nHeader = m_nCaseVersion < 2 ? slot : slot * 16777216 + counter;
    if ((unit[7] & 0xC0) != 0xC0) {
        for (int ch = 0; ch < 16; ++ch)
            block.fValues[ch] = static_cast<float>(Signed24(unit + 8 + 3 * ch)) * m_ChannelCoef[slot][ch];
    }
    perSlot[slot].push_back(block);
}

void CCaseLink::ParseSampleBlock() {
    const std::uint8_t* b = m_assembly.data();
    const int n = m_nAssembly;
    std::vector<int> units;
    int p = 0;
    while (p + 1 < n) {
        if (b[p] == 0x55 && b[p + 1] == 0xAA) {
            if (p + kUnitSize > n)
                break; // an incomplete unit waits for the rest
            units.push_back(p);
            p += kUnitSize;
        } else {
            ++p;
        }
    }
    int keepFrom = (p + 1 == n && b[p] != 0x55) ? n : std::min(p, n);
    if (m_nModules == 0) {
        m_nAssembly = 0;
        return;
    }
    const int groups = static_cast<int>(units.size()) / m_nModules;
    const int decoded = groups * m_nModules;
    if (decoded < static_cast<int>(units.size()))
        keepFrom = units[decoded];

    if (groups > 0) {
        std::lock_guard<std::mutex> lock(m_csDispatch);
        const int firstKept = CountDiscarded(groups);
        const int kept = groups - firstKept;
        if (kept > 0) {
            std::vector<std::vector<CaseSampleBlock>> perSlot(8);
            for (int u = firstKept * m_nModules; u < decoded; ++u)
                DecodeUnit(b + units[u], perSlot);
            // A corrupt group may repeat one slot: never more samples than groups.
            for (auto& list : perSlot) {
                if (static_cast<int>(list.size()) > kept)
                    list.resize(static_cast<std::size_t>(kept));
            }
            DispatchSamples(perSlot, kept);
        }
    }
    m_nAssembly = n - keepFrom;
    std::memmove(m_assembly.data(), m_assembly.data() + keepFrom, static_cast<std::size_t>(m_nAssembly));
}

// ---- Dispatch of kept samples -------------------------------------------

void CCaseLink::DispatchSamples(std::vector<std::vector<CaseSampleBlock>>& perSlot, int samples) {
    if (m_nDecimation >= 2) {
        std::vector<int> keep;
        for (int s = 0; s < samples; ++s) {
            if (m_nDecimationPhase++ % m_nDecimation == 0)
                keep.push_back(s);
        }
        for (auto& list : perSlot) {
            std::vector<CaseSampleBlock> kept;
            for (int s : keep) {
                if (s < static_cast<int>(list.size()))
                    kept.push_back(list[static_cast<std::size_t>(s)]);
            }
            list.swap(kept);
        }
        samples = static_cast<int>(keep.size());
    }
    if (samples == 0)
        return;
    const int mode = m_nSampleMode;
    if (mode != 4 && mode != 6) {
        for (int slot = 0; slot < 8; ++slot) {
            if (!perSlot[slot].empty())
                m_pHost->ConvertSampleBlockInPlace(
                    perSlot[slot].data(), static_cast<int>(perSlot[slot].size()), m_nCaseNo * 8 + slot);
        }
    }
    if (mode == 2 || mode == 7) {
        if (m_bOptionFlag) {
            const auto& first = perSlot[m_ModuleSlot[0]];
            if (m_nCaseVersion >= 2 && !first.empty())
                FillLostPackets(first.front().nHeader);
            WriteSamplesToFile(perSlot, samples);
        }
        QueueSampleBlocks(perSlot, samples);
    } else if (mode == 3) {
        QueueSampleBlocks(perSlot, samples);
    }
    UpdateLatestSample(perSlot, samples);
    if (m_nCaseVersion >= 2) {
        for (const auto& list : perSlot) {
            if (!list.empty() && list.back().nHeader >= 0)
                m_LastCounter[(list.back().nHeader >> 24) & 0x7F] = list.back().nHeader & 0xFFFFFF;
        }
    }
}

void CCaseLink::QueueSampleBlocks(const std::vector<std::vector<CaseSampleBlock>>& perSlot, int samples) {
    if (m_sampleQueue.GetCount() >= kSampleQueueLimit)
        return;
    const CaseSampleBlock empty;
    for (int s = 0; s < samples; ++s) {
        CaseLinkQueue::Packet entry;
        entry.data.resize(static_cast<std::size_t>(m_nModules) * sizeof(CaseSampleBlock));
        for (int k = 0; k < m_nModules; ++k) {
            const auto& list = perSlot[m_ModuleSlot[k]];
            const CaseSampleBlock& block = s < static_cast<int>(list.size()) ? list[s] : empty;
            std::memcpy(entry.data.data() + k * sizeof(CaseSampleBlock), &block, sizeof block);
        }
        m_sampleQueue.AddTail(std::move(entry), kSampleQueueLimit * 2);
    }
}

void CCaseLink::UpdateLatestSample(const std::vector<std::vector<CaseSampleBlock>>& perSlot, int samples) {
    std::map<int, CaseSampleBlock> latest;
    const int mode = m_nSampleMode;
    if (mode != 4 && mode != 6 && mode != 7) {
        for (int slot = 0; slot < 8; ++slot) {
            if (!perSlot[slot].empty())
                latest[slot] = perSlot[slot].back();
        }
    } else {
        int n = m_pHost->GetAverageCount();
        if (mode == 4 && m_fRequestedRate < 10.0f)
            n = static_cast<int>(2.0f * m_fRequestedRate);
        n = std::max(1, n);
        for (int slot = 0; slot < 8; ++slot) {
            auto& list = m_Averaging[slot];
            for (const CaseSampleBlock& block : perSlot[slot]) {
                list.push_back(block);
                if (static_cast<int>(list.size()) < n)
                    continue;
                CaseSampleBlock mean = list.back();
                for (int ch = 0; ch < 16; ++ch) {
                    double sum = 0, high = list[0].fValues[ch], low = high;
                    for (const auto& b : list) {
                        sum += b.fValues[ch];
                        high = std::max<double>(high, b.fValues[ch]);
                        low = std::min<double>(low, b.fValues[ch]);
                    }
                    mean.fValues[ch] = n < 3 ? static_cast<float>(sum / n)
                                             : static_cast<float>((sum - high - low) / (n - 2));
                }
                latest[slot] = mean;
                list.clear();
            }
        }
    }
    if (latest.empty())
        return;
    std::lock_guard<std::mutex> lock(m_csStatus);
    for (auto& [slot, block] : latest)
        m_Latest[slot] = block;
}

int CCaseLink::GetLatestSample(CaseSampleBlock out[8]) {
    std::map<int, CaseSampleBlock> latest;
    {
        std::lock_guard<std::mutex> lock(m_csStatus);
        if (m_bAlive.load())
            latest.swap(m_Latest);
    }
    for (int k = 0; k < m_nModules; ++k) {
        const int slot = m_ModuleSlot[k];
        auto it = latest.find(slot);
        if (it != latest.end()) {
            out[slot] = it->second;
            continue;
        }
        out[slot].nHeader = slot;
        std::fill(std::begin(out[slot].fValues), std::end(out[slot].fValues), kNoValue);
    }
    return latest.empty() ? 0 : 1;
}

void CCaseLink::ClearLatestSamples() {
    std::lock_guard<std::mutex> lock(m_csStatus);
    m_Latest.clear();
}

int CCaseLink::PopSampleBlock(std::uint8_t* buffer, int size) {
    CaseLinkQueue::Packet entry;
    if (!m_sampleQueue.TakeHead(entry))
        return 0;
    const int length = static_cast<int>(entry.data.size());
    if (length == 1)
        return -2;
    if (length < 2 || length > size)
        return 0;
    std::memcpy(buffer, entry.data.data(), static_cast<std::size_t>(length));
    return length;
}

// ---- Per-case files ------------------------------------------------------

void CCaseLink::OpenCaseFiles() {
    std::lock_guard<std::mutex> lock(m_csDispatch);
    if (!m_bOptionFlag || m_strDataFolder.empty() || m_nCaseNo < 0 || m_nCaseNo > kMaxCaseNo)
        return;
    for (int k = 0; k < m_nModules; ++k) {
        const int index = m_nCaseNo * 8 + m_ModuleSlot[k];
        const std::string base = m_strDataFolder + "/" + m_strDataName + "_" + std::to_string(index);
        FileSet& files = m_files[index];
        files.dat.open(base + ".dat", std::ios::binary | std::ios::app);
        files.stu.open(base + ".stu", std::ios::binary | std::ios::app);
    }
}

void CCaseLink::CloseCaseFiles() {
    // A worker may still be writing the last samples of the run.
    std::lock_guard<std::mutex> lock(m_csDispatch);
    m_files.clear();
}

void CCaseLink::WriteSamplesToFile(const std::vector<std::vector<CaseSampleBlock>>& perSlot, int samples) {
    SampleStatusRecord status;
    status.fDate = platform::NowOleDate();
    const platform::LocalDateTime t = platform::NowLocal();
    std::snprintf(status.szTime, sizeof status.szTime, "%4d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    const CaseSampleBlock empty;
    for (int k = 0; k < m_nModules; ++k) {
        const int slot = m_ModuleSlot[k];
        auto it = m_files.find(m_nCaseNo * 8 + slot);
        if (it == m_files.end())
            continue;
        const auto& list = perSlot[slot];
        for (int s = 0; s < samples; ++s) {
            const CaseSampleBlock& block = s < static_cast<int>(list.size()) ? list[s] : empty;
            it->second.dat.write(reinterpret_cast<const char*>(&block), sizeof block);
            it->second.stu.write(reinterpret_cast<const char*>(&status), sizeof status);
        }
        it->second.dat.flush();
        it->second.stu.flush();
    }
}

void CCaseLink::FillLostPackets(std::int32_t header) {
    if (header < 0)
        return;
    const int id = (header >> 24) & 0x7F;
    const int counter = header & 0xFFFFFF;
    auto it = m_LastCounter.find(id);
    if (it == m_LastCounter.end())
        return;
    const int lost = (counter - it->second - 1) / std::max(1, m_nPacketStep);
    if (lost <= 1)
        return;
    char line[128];
    std::snprintf(line, sizeof line, "ModuleID:%d Current:%d - Last:%d - Lost:%d\n", m_nCaseNo, counter,
                  it->second, lost);
    WriteLog(m_strAddress, line);
    if (lost > kMaxLostFill)
        return; // a counter this far off is corrupt; filling would flood the files
    std::vector<std::vector<CaseSampleBlock>> empty(8);
    for (int k = 0; k < m_nModules; ++k)
        empty[m_ModuleSlot[k]].assign(1024, CaseSampleBlock{});
    for (int left = lost; left > 0; left -= 1024)
        WriteSamplesToFile(empty, std::min(left, 1024));
}

void CCaseLink::WriteLog(const std::string& name, const std::string& text) {
    std::error_code error;
    if (m_strDataFolder.empty() || !std::filesystem::is_directory(m_strDataFolder, error))
        return;
    std::ofstream file(m_strDataFolder + "/" + name + ".log", std::ios::app);
    file << text;
}

// ---- Workers -------------------------------------------------------------

bool CCaseLink::StartWorkers() {
    if (m_bWorkersRun.exchange(true))
        return false;
    m_rawWorker = std::thread([this] { RawWorker(); });
    m_frameWorker = std::thread([this] { FrameWorker(); });
    return true;
}

void CCaseLink::StopWorkers() {
    m_bWorkersRun = false;
    if (m_rawWorker.joinable())
        m_rawWorker.join();
    if (m_frameWorker.joinable())
        m_frameWorker.join();
}

void CCaseLink::RawWorker() {
    while (m_bWorkersRun.load()) {
        if (m_rawQueue.GetCount() == 0 || !m_bReceiving.load()) {
            platform::Sleep(20);
            continue;
        }
        platform::Sleep(ProcessRawQueue() > 0 ? 1 : 10);
    }
    m_rawQueue.RemoveAll();
}

void CCaseLink::FrameWorker() {
    while (m_bWorkersRun.load()) {
        if (m_frameQueue.GetCount() == 0 || !m_bReceiving.load()) {
            platform::Sleep(20);
            continue;
        }
        platform::Sleep(ProcessFrameQueue() > 0 ? 1 : 10);
    }
}
