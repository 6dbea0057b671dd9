// A simulated strain-signal generator on a pseudo-terminal: the program's
// side opens the slave path as its COM port. It answers the presence,
// battery and set-value requests with a chosen id and battery state,
// records every output it is told to set, and can misbehave on demand:
// fall silent, answer late, split its replies, put noise before them or
// spoil their check byte.
#pragma once

#include "libs/serial/StrainSignalFrames.h"
#include "tools/PtySimulator.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class CGeneratorSimulator : public CPtySimulator {
public:
    // One output as set by a set-value request.
    struct Output {
        int channel = 0;   // first argument of the request
        int type = 0;      // second argument: 0 strain, 1 voltage
        int modeIndex = 0; // 0..5
        int value = 0;     // the magnitude carried
        // The signed value: modes 3 to 5 are negative.
        int SignedValue() const { return modeIndex >= 3 ? -value : value; }
    };
    struct Faults {
        bool silent = false;             // answers nothing
        int replyDelayMs = 0;            // before each reply
        std::size_t splitBytes = 0;      // replies go out in pieces of this size (0 whole)
        int splitGapMs = 150;            // between the pieces
        std::vector<std::uint8_t> noise; // sent before each reply
        bool badCheck = false;           // the check byte of each reply is spoiled
        bool refuseValues = false;       // set-value replies carry 0 (not done)
    };

    CGeneratorSimulator();
    ~CGeneratorSimulator() override;

    void SetId(int id);
    void SetBattery(int state, int level);
    void SetFaults(const Faults& faults);

    // Every output set, in order; the latest output of each channel.
    std::vector<Output> Outputs() const;
    std::map<int, Output> CurrentOutputs() const;
    // Every request received whole, unstuffed, with a good check.
    std::vector<strainsignal::Frame> Requests() const;
    int CountRequests(strainsignal::FrameKind kind) const;
    // Requests whose check byte was wrong (not answered).
    int BadRequests() const { return m_nBadRequests.load(); }

    // Publishes the outputs: called on the simulator's thread for each new
    // output; and, when a file is set, the latest output of every channel is
    // written there after each change, one line "channel type mode value".
    void SetOutputListener(std::function<void(const Output&)> listener);
    void SetOutputsFile(const std::string& path);

private:
    struct Pending {
        std::chrono::steady_clock::time_point due;
        strainsignal::Bytes bytes;
    };
    void Run() override;
    void Answer(const strainsignal::Frame& request);
    void WriteOutputsFile();

    std::atomic<int> m_nBadRequests{0};

    mutable std::mutex m_mutex; // guards every member below
    int m_nId = 5;
    int m_nBatteryState = 1;
    int m_nBatteryLevel = 80;
    Faults m_faults;
    std::vector<Output> m_outputs;
    std::vector<strainsignal::Frame> m_requests;
    std::deque<Pending> m_pending; // reply pieces waiting for their time
    std::function<void(const Output&)> m_listener;
    std::string m_strOutputsFile;
};
