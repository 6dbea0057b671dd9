// A simulated digital-quantity meter on a pseudo-terminal: it sends its
// text frames "B v1,v2,...E" at a rate, with values that follow a fixed
// rule or that a test sets, and can send them split in two, after noise,
// over-long, or starting in the middle of a frame.
#pragma once

#include "tools/PtySimulator.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class CMeterSimulator : public CPtySimulator {
public:
    struct Faults {
        bool split = false;    // each frame in two writes, 60 ms apart
        bool noise = false;    // stray bytes before each frame
        bool overLong = false; // every frame carries 12 values and a long tail
        bool midFrame = false; // the first write starts inside a frame
    };

    CMeterSimulator();
    ~CMeterSimulator() override;

    // Frames a second; 0 sends none (tests then use SendRaw).
    void SetRate(double hz) { m_dRate = hz; }
    // Number of values a frame carries (the rule's values).
    void SetChannels(int channels) { m_nChannels = channels; }
    // Fixed field texts for every frame; empty goes back to the rule.
    void SetFields(const std::vector<std::string>& fields);
    void SetFaults(const Faults& faults);
    // Writes the bytes as they are.
    bool SendRaw(const std::string& bytes);

    // The rule's value of a channel in frame n.
    static float Value(int channel, std::int64_t n) { return float(channel + 1) + float(n % 100) * 0.25f; }
    // The text of frame n as sent (without faults).
    std::string FrameText(std::int64_t n) const;
    std::int64_t FramesSent() const { return m_nFrames.load(); }

private:
    void Run() override;

    std::atomic<double> m_dRate{10.0};
    std::atomic<int> m_nChannels{8};
    std::atomic<std::int64_t> m_nFrames{0};
    mutable std::mutex m_mutex; // guards m_fields, m_faults and writes to the pty
    std::vector<std::string> m_fields;
    Faults m_faults;
};
