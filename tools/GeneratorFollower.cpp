// Playback of the generator's outputs by a simulated module.
#include "GeneratorFollower.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

namespace {
constexpr std::int64_t kRawLimit = 0x7FFFFF; // the case streams 24-bit signed values
constexpr auto kReadInterval = std::chrono::milliseconds(20);
} // namespace

double GeneratorFollow::Gain(int channel) const {
    const double gain = gains[static_cast<std::size_t>(channel)];
    return gain == 0.0 ? 1.0 : gain;
}

bool CGeneratorFollower::ReadOutputs(const std::string& path, std::array<std::int64_t, 16>& outputs) {
    std::ifstream file(path);
    if (!file)
        return false;
    std::string line;
    while (std::getline(file, line)) {
        std::istringstream fields(line);
        long long channel = 0, type = 0, mode = 0, value = 0;
        if (!(fields >> channel >> type >> mode >> value) || channel < 1 || channel > 16)
            continue;
        // Modes 3 to 5 put out the value negated; a strain channel's bridge
        // turns it round once more, as the instrument's strain channels read.
        const long long signedValue = mode >= 3 ? -value : value;
        outputs[static_cast<std::size_t>(channel - 1)] = type == 0 ? -signedValue : signedValue;
    }
    return true;
}

std::array<std::int32_t, 16> CGeneratorFollower::ValuesFor(const GeneratorFollow& follow,
                                                           const std::array<std::int64_t, 16>& outputs) {
    std::array<std::int32_t, 16> values{};
    for (int ch = 0; ch < 16; ++ch) {
        const double raw =
            static_cast<double>(follow.offset) +
            follow.Gain(ch) * follow.countsPerUnit * static_cast<double>(outputs[std::size_t(ch)]);
        const double bounded = std::clamp(std::round(raw), double(-kRawLimit), double(kRawLimit));
        values[std::size_t(ch)] = static_cast<std::int32_t>(bounded);
    }
    return values;
}

const std::array<std::int32_t, 16>& CGeneratorFollower::Values() {
    const auto now = std::chrono::steady_clock::now();
    if (!m_bRead || now - m_lastRead >= kReadInterval) {
        m_lastRead = now;
        std::array<std::int64_t, 16> outputs{};
        // A file not yet written is a generator putting out nothing.
        if (ReadOutputs(m_follow.outputsFile, outputs) || !m_bRead)
            m_outputs = outputs;
        m_values = ValuesFor(m_follow, m_outputs);
        m_bRead = true;
    }
    return m_values;
}
