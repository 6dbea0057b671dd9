// The simulated case: one thread that connects, serves commands and streams.
#include "CaseSimulator.h"

#include "acquisition/CaseFrame.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

std::int64_t NowUs() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

void Put24(std::vector<std::uint8_t>& out, std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    out.push_back(static_cast<std::uint8_t>(u >> 16));
    out.push_back(static_cast<std::uint8_t>(u >> 8));
    out.push_back(static_cast<std::uint8_t>(u));
}

std::vector<std::uint8_t> Framed(std::initializer_list<std::uint8_t> payload) {
    std::vector<std::uint8_t> out(payload.size() + kCaseFrameOverhead);
    WriteFramedCommand(out.data(), out.size(), 0, 0, 0, static_cast<std::uint8_t>(payload.size()),
                       payload.begin());
    return out;
}

constexpr int kChannelRecordSize = 88; // 1,408 bytes a module

} // namespace

CCaseSimulator::CCaseSimulator(CaseSimulatorOptions options)
    : m_options(std::move(options)), m_follower(m_options.follow) {
    // A controller at its own address: gateway 192.168.0.1, mask
    // 255.255.255.0, port 6000, the program at 192.168.0.100:5001, TCP client.
    m_netParams.assign(kNetParamSize, 0);
    const std::uint8_t fixed[][3] = {{0, 192, 168},   {2, 0, 1},        {4, 255, 255},    {6, 255, 0},
                                     {8, 0x00, 0x1A}, {10, 0x2B, 0x3C}, {12, 0x4D, 0x5E}, {18, 0x17, 0x70},
                                     {34, 192, 168},  {36, 0, 100},     {66, 0x13, 0x89}, {82, 1, 0}};
    for (const auto& f : fixed) {
        m_netParams[f[0]] = f[1];
        if (f[0] != 82)
            m_netParams[f[0] + 1u] = f[2];
    }
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (std::sscanf(m_options.localIp.c_str(), "%u.%u.%u.%u", &a, &b, &c, &d) == 4) {
        const unsigned octets[] = {a, b, c, d};
        for (int i = 0; i < 4; ++i)
            m_netParams[14 + i] = static_cast<std::uint8_t>(octets[i]);
    }
    if (m_options.modules < 0)
        m_options.modules = 0;
    if (m_options.modules > 8)
        m_options.modules = 8;
}

CCaseSimulator::~CCaseSimulator() {
    Stop();
}

bool CCaseSimulator::Start() {
    if (m_bRun.exchange(true))
        return false;
    m_thread = std::thread([this] { Run(); });
    return true;
}

void CCaseSimulator::Stop() {
    m_bRun = false;
    if (m_thread.joinable())
        m_thread.join();
}

void CCaseSimulator::InjectFault(Fault fault) {
    if (fault == Fault::Silent)
        m_bSilent = true;
    else
        m_nPendingFault = static_cast<int>(fault);
}

std::int32_t CCaseSimulator::Value(int caseNo, int slot, int channel, std::int64_t n) {
    const std::int32_t raw =
        static_cast<std::int32_t>(((n % 1024) * 8 + caseNo % 8) * 128 + slot * 16 + channel);
    return channel == 15 ? -raw : raw;
}

float CCaseSimulator::TestReading(int channel, int which) {
    if (which == 0)
        return 0.0f;
    return channel == 3 ? kHighReading : channel == 5 ? kLowReading : kTestReading;
}

std::vector<std::uint8_t> CCaseSimulator::BuildTestDataReply(int modules, std::uint8_t kind) {
    std::vector<std::uint8_t> out;
    for (int slot = 0; slot < modules; ++slot) {
        std::vector<std::uint8_t> frame(138, 0);
        frame[0] = 0x55;
        frame[1] = 0xAA;
        frame[2] = 7;
        frame[3] = kind;
        frame[7] = static_cast<std::uint8_t>(slot);
        for (int which = 0; which < 2; ++which) {
            for (int c = 0; c < 16; ++c) {
                const float value = TestReading(c, which);
                std::uint32_t word = 0;
                std::memcpy(&word, &value, 4);
                for (int b = 0; b < 4; ++b)
                    frame[std::size_t(10 + 64 * which + 4 * c + b)] =
                        static_cast<std::uint8_t>(word >> (24 - 8 * b));
            }
        }
        out.insert(out.end(), frame.begin(), frame.end());
    }
    return out;
}

std::int32_t CCaseSimulator::SineValue(const SineWave& sine, std::int64_t n) {
    const double phase = 2.0 * M_PI * static_cast<double>(n % sine.period) / sine.period;
    return static_cast<std::int32_t>(std::lround(sine.amplitude * std::sin(phase)));
}

double CCaseSimulator::CommandedRate(const std::vector<std::uint8_t>& startPayload) {
    if (startPayload.size() < 9 || startPayload[7] == 0)
        return 0.0;
    return kBaseRate / startPayload[7];
}

std::vector<std::vector<std::uint8_t>> CCaseSimulator::GetCommands() {
    std::lock_guard<std::mutex> lock(m_commandMutex);
    return m_commands;
}

int CCaseSimulator::CountCommands(std::uint8_t op0, std::uint8_t op1) {
    std::lock_guard<std::mutex> lock(m_commandMutex);
    int count = 0;
    for (const auto& c : m_commands)
        count += c.size() >= 2 && c[0] == op0 && c[1] == op1;
    return count;
}

std::vector<std::uint8_t> CCaseSimulator::BuildCaseInfoReply(int caseNo, int modules, int version) {
    std::vector<std::uint8_t> out;
    for (int slot = 0; slot < modules; ++slot) {
        const std::uint8_t entry[8] = {
            static_cast<std::uint8_t>(caseNo), 0, static_cast<std::uint8_t>(version), 0, 0, 0,
            static_cast<std::uint8_t>(slot),   0};
        out.insert(out.end(), entry, entry + 8);
    }
    return out;
}

std::vector<std::uint8_t> CCaseSimulator::BuildChannelInfoReply(int modules) {
    std::vector<std::uint8_t> out;
    for (int slot = 0; slot < modules; ++slot) {
        for (int c = 0; c < 16; ++c) {
            std::vector<std::uint8_t> record(kChannelRecordSize, 0);
            const std::uint8_t header[6] = {
                0x55, 0xAA, 2, 1, static_cast<std::uint8_t>(slot), static_cast<std::uint8_t>(c)};
            std::memcpy(record.data(), header, 6);
            std::uint8_t* packet = record.data() + 6;
            packet[0] = 60; // amplifier block at 60, 4 bytes
            packet[1] = 4;
            packet[2] = 3; // acquisition type
            packet[3] = 1; // sub-version
            packet[12] = 1;
            // Code item: kind 0, one code (4); coefficient item: kind 0, 1.25 high byte first.
            const std::uint8_t items[] = {0, 1, 4, 1, 0, 1, 0x3F, 0xA0, 0x00, 0x00};
            std::memcpy(packet + 13, items, sizeof items);
            packet[61] = 1; // amplifier type
            out.insert(out.end(), record.begin(), record.end());
        }
    }
    return out;
}

void CCaseSimulator::AppendUnit(std::vector<std::uint8_t>& out, int caseNo, int slot, std::int64_t n,
                                int version, const SineWave& sine,
                                const std::array<std::int32_t, 16>* values) {
    out.insert(out.end(), {0x55, 0xAA, 0, 0});
    Put24(out, version >= 2 ? static_cast<std::int32_t>(n & 0x7FFFFF) : 0);
    out.push_back(static_cast<std::uint8_t>(slot));
    for (int ch = 0; ch < 16; ++ch)
        Put24(out, values != nullptr ? (*values)[std::size_t(ch)]
                   : sine.period > 0 ? SineValue(sine, n)
                                     : Value(caseNo, slot, ch, n));
}

void CCaseSimulator::AppendDataFrame(std::vector<std::uint8_t>& out, int caseNo, int modules,
                                     const int* moduleChannel, std::int64_t n, const SineWave& sine) {
    std::vector<std::uint8_t> payload{7, 1};
    for (int slot = 0; slot < modules; ++slot) {
        payload.push_back(static_cast<std::uint8_t>(slot));
        Put24(payload, sine.period > 0 ? SineValue(sine, n) : Value(caseNo, slot, moduleChannel[slot], n));
    }
    std::vector<std::uint8_t> frame(payload.size() + kCaseFrameOverhead);
    WriteFramedCommand(frame.data(), frame.size(), 0, 0, 0, static_cast<std::uint8_t>(payload.size()),
                       payload.data());
    out.insert(out.end(), frame.begin(), frame.end());
}

void CCaseSimulator::Run() {
    while (m_bRun.load()) {
        if (!Connect()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            continue;
        }
        Serve();
        m_stream.Close();
        m_bConnected = false;
        m_bStreaming = false;
        for (int waited = 0; waited < m_options.reconnectDelayMs && m_bRun.load(); waited += 10)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

bool CCaseSimulator::Connect() {
    platform::TcpStream stream;
    if (!stream.Connect(m_options.serverIp, m_options.port, 500, m_options.localIp))
        return false;
    m_stream = std::move(stream);
    m_inbox.clear();
    m_nDataMode = 1;
    m_bConnected = true;
    ++m_nConnects;
    return true;
}

void CCaseSimulator::Serve() {
    std::uint8_t buffer[65536];
    while (m_bRun.load()) {
        const int fault = m_nPendingFault.exchange(0);
        if (fault == static_cast<int>(Fault::Drop))
            return;
        if (fault == static_cast<int>(Fault::CounterJump) && m_bStreaming.load()) {
            // The stream goes on from far ahead, at its own rate.
            m_nNextSample += kCounterJump;
            m_nStreamStartUs -=
                static_cast<std::int64_t>(static_cast<double>(kCounterJump) / m_dStreamRate.load() * 1e6);
        } else if (fault != 0 && m_bStreaming.load())
            SendFaultSample(static_cast<Fault>(fault));

        const int n = m_stream.Receive(buffer, sizeof buffer, 2);
        if (n == 0 || n == platform::kSocketError)
            return;
        if (n > 0 && !m_bSilent.load()) {
            m_inbox.insert(m_inbox.end(), buffer, buffer + n);
            HandleCommands();
        }
        if (m_bStreaming.load() && !m_bSilent.load())
            StreamDueSamples();
    }
}

void CCaseSimulator::HandleCommands() {
    std::size_t p = 0;
    while (m_inbox.size() - p >= kCaseFrameOverhead) {
        if (m_inbox[p] != 0x55 || m_inbox[p + 1] != 0xAA) {
            ++p; // not a frame start: skip a byte
            continue;
        }
        // Short frames carry 0 at offset 5, so one rule reads both lengths.
        const std::size_t n = m_inbox[p + 5] * 256u + m_inbox[p + 7];
        if (m_inbox.size() - p < n + kCaseFrameOverhead)
            break;
        HandleCommand(std::vector<std::uint8_t>(m_inbox.begin() + p + 8, m_inbox.begin() + p + 8 + n));
        p += n + kCaseFrameOverhead;
    }
    m_inbox.erase(m_inbox.begin(), m_inbox.begin() + static_cast<std::ptrdiff_t>(p));
}

void CCaseSimulator::HandleCommand(const std::vector<std::uint8_t>& payload) {
    {
        std::lock_guard<std::mutex> lock(m_commandMutex);
        m_commands.push_back(payload);
    }
    if (payload.size() < 2)
        return;
    const std::uint8_t op0 = payload[0], op1 = payload[1];
    if (op0 == 2 && op1 == 11) {
        SendReply(BuildCaseInfoReply(m_options.caseNo, m_options.modules, m_options.version));
    } else if (op0 == 2 && op1 == 3) {
        SendReply(BuildChannelInfoReply(m_options.modules));
    } else if (op0 == 8 && (op1 == 0 || op1 == 5)) {
        // Lead-wire or self-test readings, read back after the wait.
        SendReply(BuildTestDataReply(m_options.modules, op1 == 0 ? 3 : 4));
    } else if (op0 == 8 && op1 == 3) {
        // Start: the data stream is the answer.
        const double commanded = m_options.followCommandedRate ? CommandedRate(payload) : 0.0;
        m_dStreamRate = commanded > 0.0 ? commanded : m_options.rate;
        m_nNextSample = 0;
        m_nStreamStartUs = NowUs();
        m_bStreaming = true;
    } else if (op0 == 11 && op1 == 1) {
        m_bStreaming = false;
        SendAck(op0, op1);
    } else if (op0 == 6 && op1 == 5 && payload.size() >= 3) {
        m_nDataMode = payload[2];
    } else if (op0 == 6 && op1 == 3 && payload.size() >= 4) {
        m_moduleChannel[payload[2] & 7] = payload[3] & 15;
    } else if (op0 == 2 && (op1 == 0xF0 || op1 == 0xF1 || op1 == 0xF2)) {
        ServeNetParams(payload);
    } else if (op0 == 16 || op0 == 3) {
        SendAck(op0, op1);
    }
}

std::vector<std::uint8_t> CCaseSimulator::GetNetParams() {
    std::lock_guard<std::mutex> lock(m_commandMutex);
    return m_netParams;
}

void CCaseSimulator::ServeNetParams(const std::vector<std::uint8_t>& p) {
    std::vector<std::uint8_t> reply;
    {
        std::lock_guard<std::mutex> lock(m_commandMutex);
        // Write blocks: bytes 0-1 carry the command, the rest as the program built them.
        const auto copy = [&](std::size_t from, std::size_t count, std::size_t to) {
            for (std::size_t i = 0; i < count && from + i < p.size(); ++i)
                m_netParams[to + i] = p[from + i];
        };
        if (p[1] == 0xF1) {
            copy(3, 4, 0);   // gateway
            copy(7, 4, 4);   // subnet mask
            copy(11, 6, 8);  // MAC
            copy(17, 4, 14); // address
        } else if (p[1] == 0xF2) {
            copy(4, 2, 18);  // port
            copy(6, 4, 34);  // destination address
            copy(10, 2, 66); // destination port
            copy(12, 1, 82); // work mode
        }
        const int length = std::min(m_nNetReplyLength.load(), kNetParamSize);
        reply.assign(m_netParams.begin(), m_netParams.begin() + std::max(length, 0));
    }
    SendReply(reply);
}

void CCaseSimulator::SendReply(const std::vector<std::uint8_t>& bytes) {
    if (!bytes.empty())
        m_stream.SendAll(bytes.data(), bytes.size(), 3000);
}

void CCaseSimulator::SendAck(std::uint8_t op0, std::uint8_t op1) {
    SendReply(Framed({op0, op1}));
}

void CCaseSimulator::StreamDueSamples() {
    const double elapsed = static_cast<double>(NowUs() - m_nStreamStartUs) / 1e6;
    const auto due = static_cast<std::int64_t>(elapsed * m_dStreamRate.load()) + 1;
    if (due <= m_nNextSample)
        return;
    std::vector<std::uint8_t> out;
    for (; m_nNextSample < due; ++m_nNextSample) {
        if (m_nDataMode == 2) {
            AppendDataFrame(out, m_options.caseNo, m_options.modules, m_moduleChannel, m_nNextSample,
                            m_options.sine);
        } else {
            for (int slot = 0; slot < m_options.modules; ++slot)
                AppendUnit(out, m_options.caseNo, slot, m_nNextSample, m_options.version, m_options.sine,
                           m_follower.Follows(slot) ? &m_follower.Values() : nullptr);
        }
    }
    if (m_stream.SendAll(out.data(), out.size(), 3000))
        m_nSamplesSent = m_nNextSample;
}

void CCaseSimulator::SendFaultSample(Fault fault) {
    std::vector<std::uint8_t> out;
    if (fault == Fault::Malformed) {
        // A group whose units carry slot 63, stray bytes and a wrong frame.
        for (int slot = 0; slot < m_options.modules; ++slot) {
            AppendUnit(out, m_options.caseNo, slot, m_nNextSample, m_options.version, m_options.sine);
            out[out.size() - 49] = 63;
        }
        out.insert(out.end(), {0x13, 0x37, 0x55});
        const auto bad = Framed({7, 2, 0, 1, 2, 3});
        out.insert(out.end(), bad.begin(), bad.end());
    } else if (fault == Fault::Truncated) {
        AppendUnit(out, m_options.caseNo, 0, m_nNextSample, m_options.version, m_options.sine);
        out.resize(30);
    }
    m_stream.SendAll(out.data(), out.size(), 3000);
}
