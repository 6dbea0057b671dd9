// A simulated module that plays back what the strain-signal generator puts
// out: channel c of the module reads the generator's output on channel c + 1
// through the channel's own gain, so that a calibration finds known errors.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <string>

struct GeneratorFollow {
    std::string outputsFile;        // the generator simulator's outputs file; empty: no following
    int slot = -1;                  // the module that follows
    std::array<double, 16> gains{}; // per channel; 0 is taken as 1
    double countsPerUnit = 1.0;     // raw counts of one unit of the generator's value
    std::int32_t offset = 0;        // raw counts at output 0 (the channels' zero)

    bool Active() const { return !outputsFile.empty() && slot >= 0; }
    double Gain(int channel) const;
};

class CGeneratorFollower {
public:
    explicit CGeneratorFollower(GeneratorFollow follow) : m_follow(std::move(follow)) {}

    bool Follows(int slot) const { return m_follow.Active() && slot == m_follow.slot; }
    // The raw readings of the module now: the latest outputs, read again
    // from the file at most every 20 ms.
    const std::array<std::int32_t, 16>& Values();
    // The readings for these inputs (generator channel 1..16 at 0..15).
    static std::array<std::int32_t, 16> ValuesFor(const GeneratorFollow& follow,
                                                  const std::array<std::int64_t, 16>& outputs);
    // Parses the outputs file's lines "channel type mode value" into the
    // module's inputs: strain outputs (type 0) reach it negated, as a bridge
    // gives them; false when the file is unreadable.
    static bool ReadOutputs(const std::string& path, std::array<std::int64_t, 16>& outputs);

private:
    GeneratorFollow m_follow;
    std::array<std::int64_t, 16> m_outputs{};
    std::array<std::int32_t, 16> m_values{};
    std::chrono::steady_clock::time_point m_lastRead{};
    bool m_bRead = false;
};
