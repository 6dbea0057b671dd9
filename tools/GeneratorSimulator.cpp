// The simulated strain-signal generator.
#include "tools/GeneratorSimulator.h"

#include <cstdio>

using namespace strainsignal;

CGeneratorSimulator::CGeneratorSimulator() = default;

CGeneratorSimulator::~CGeneratorSimulator() {
    Stop();
}

void CGeneratorSimulator::SetId(int id) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_nId = id;
}

void CGeneratorSimulator::SetBattery(int state, int level) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_nBatteryState = state;
    m_nBatteryLevel = level;
}

void CGeneratorSimulator::SetFaults(const Faults& faults) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_faults = faults;
}

std::vector<CGeneratorSimulator::Output> CGeneratorSimulator::Outputs() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_outputs;
}

std::map<int, CGeneratorSimulator::Output> CGeneratorSimulator::CurrentOutputs() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::map<int, Output> current;
    for (const Output& o : m_outputs)
        current[o.channel] = o;
    return current;
}

std::vector<Frame> CGeneratorSimulator::Requests() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
}

int CGeneratorSimulator::CountRequests(FrameKind kind) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    int n = 0;
    for (const Frame& f : m_requests)
        n += f.kind == kind ? 1 : 0;
    return n;
}

void CGeneratorSimulator::SetOutputListener(std::function<void(const Output&)> listener) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_listener = std::move(listener);
}

void CGeneratorSimulator::SetOutputsFile(const std::string& path) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_strOutputsFile = path;
}

void CGeneratorSimulator::Run() {
    FrameScanner scanner(FrameScanner::Requests);
    std::uint8_t buffer[512];
    while (!Stopping()) {
        const int n = m_pty.Read(buffer, sizeof buffer, 10);
        if (n > 0) {
            scanner.Append(buffer, static_cast<std::size_t>(n));
            Frame request;
            while (scanner.Next(request)) {
                if (!request.checkOk) {
                    ++m_nBadRequests;
                    continue;
                }
                Answer(request);
            }
        }
        // Send the reply pieces that are due.
        std::vector<Bytes> due;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            const auto now = std::chrono::steady_clock::now();
            while (!m_pending.empty() && m_pending.front().due <= now) {
                due.push_back(std::move(m_pending.front().bytes));
                m_pending.pop_front();
            }
        }
        for (const Bytes& piece : due)
            m_pty.Write(piece.data(), piece.size());
    }
}

void CGeneratorSimulator::Answer(const Frame& request) {
    std::function<void(const Output&)> listener;
    Output output;
    bool newOutput = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_requests.push_back(request);
        if (m_faults.silent)
            return;
        Bytes reply;
        switch (request.kind) {
        case FrameKind::Presence:
            reply = PresenceReply(m_nId);
            break;
        case FrameKind::Battery:
            reply = BatteryReply(m_nBatteryState, m_nBatteryLevel);
            break;
        case FrameKind::SetValue: {
            const Bytes& f = request.bytes;
            output.channel = f[10];
            output.type = f[11];
            output.modeIndex = ModeIndexOfByte(f[12]);
            output.value = (f[13] << 16) | (f[14] << 8) | f[15];
            const bool done = output.modeIndex >= 0 && !m_faults.refuseValues;
            if (done) {
                m_outputs.push_back(output);
                newOutput = true;
                listener = m_listener;
            }
            reply = SetValueReply(done ? 1 : 0);
            break;
        }
        }
        if (m_faults.badCheck) {
            // Spoil the check byte: the last byte, or the pair a stuffed check left.
            if (reply.size() >= 2 && reply[reply.size() - 1] == 0x55 && reply[reply.size() - 2] == 0x55) {
                reply.pop_back();
                reply.back() = 0x56;
            } else {
                reply.back() ^= 0x01;
                if (reply.back() == 0x55)
                    reply.back() ^= 0x03;
            }
        }
        Bytes whole = m_faults.noise;
        whole.insert(whole.end(), reply.begin(), reply.end());
        auto due = std::chrono::steady_clock::now() + std::chrono::milliseconds(m_faults.replyDelayMs);
        const std::size_t piece = m_faults.splitBytes == 0 ? whole.size() : m_faults.splitBytes;
        for (std::size_t at = 0; at < whole.size(); at += piece) {
            const std::size_t end = std::min(whole.size(), at + piece);
            m_pending.push_back({due, Bytes(whole.begin() + at, whole.begin() + end)});
            due += std::chrono::milliseconds(m_faults.splitGapMs);
        }
    }
    if (newOutput) {
        WriteOutputsFile();
        if (listener)
            listener(output);
    }
}

void CGeneratorSimulator::WriteOutputsFile() {
    std::string path;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        path = m_strOutputsFile;
    }
    if (path.empty())
        return;
    const std::string temp = path + ".new";
    FILE* f = std::fopen(temp.c_str(), "w");
    if (!f)
        return;
    for (const auto& [channel, o] : CurrentOutputs())
        std::fprintf(f, "%d %d %d %d\n", o.channel, o.type, o.modeIndex, o.value);
    std::fclose(f);
    std::rename(temp.c_str(), path.c_str());
}
