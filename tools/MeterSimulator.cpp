// The simulated digital-quantity meter.
#include "tools/MeterSimulator.h"

#include <chrono>
#include <cstdio>

CMeterSimulator::CMeterSimulator() = default;

CMeterSimulator::~CMeterSimulator() {
    Stop();
}

void CMeterSimulator::SetFields(const std::vector<std::string>& fields) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_fields = fields;
}

void CMeterSimulator::SetFaults(const Faults& faults) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_faults = faults;
}

bool CMeterSimulator::SendRaw(const std::string& bytes) {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_pty.Write(bytes.data(), bytes.size());
}

std::string CMeterSimulator::FrameText(std::int64_t n) const {
    std::vector<std::string> fields;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        fields = m_fields;
    }
    if (fields.empty())
        for (int c = 0; c < m_nChannels; ++c) {
            char text[32];
            std::snprintf(text, sizeof text, "%.2f", Value(c, n));
            fields.push_back(text);
        }
    std::string frame = "B";
    for (std::size_t i = 0; i < fields.size(); ++i)
        frame += (i ? "," : "") + fields[i];
    return frame + "E";
}

void CMeterSimulator::Run() {
    using clock = std::chrono::steady_clock;
    auto next = clock::now();
    bool first = true;
    while (!Stopping()) {
        const double rate = m_dRate;
        if (rate <= 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            next = clock::now();
            continue;
        }
        if (clock::now() < next) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            continue;
        }
        next += std::chrono::microseconds(static_cast<std::int64_t>(1e6 / rate));
        Faults faults;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            faults = m_faults;
        }
        const std::int64_t n = m_nFrames.load();
        std::string frame = FrameText(n);
        if (faults.overLong)
            frame = frame.substr(0, frame.size() - 1) + ",9,10,11,12" + std::string(64, ' ') + "E";
        if (faults.noise)
            frame = "\r\n#?x" + frame;
        if (faults.midFrame && first)
            frame = frame.substr(frame.size() / 2);
        first = false;
        if (faults.split) {
            const std::size_t half = frame.size() / 2;
            SendRaw(frame.substr(0, half));
            std::this_thread::sleep_for(std::chrono::milliseconds(60));
            SendRaw(frame.substr(half));
        } else {
            SendRaw(frame);
        }
        ++m_nFrames;
    }
}
