// What the spectrum library's tests share: a scratch folder, a direct DFT
// to check the transforms against, and test signals.
#pragma once

#include "libs/spectrum/SpectrumMath.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

class SpectrumScratch {
public:
    SpectrumScratch() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qv_spectrum_XXXXXX").string();
        m_path = mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
    }
    ~SpectrumScratch() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    SpectrumScratch(const SpectrumScratch&) = delete;
    SpectrumScratch& operator=(const SpectrumScratch&) = delete;

    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

// Bin k of the scaled forward transform, summed directly.
inline std::complex<double> DirectBin(const std::vector<double>& x, int k) {
    const auto n = static_cast<int>(x.size());
    std::complex<double> sum;
    for (int i = 0; i < n; ++i)
        sum += x[static_cast<std::size_t>(i)] * std::polar(1.0, -2.0 * M_PI * k * i / n);
    return sum * (2.0 / n);
}

inline std::vector<float> RandomSamples(int n, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> values(-100.0f, 100.0f);
    std::vector<float> samples(static_cast<std::size_t>(n));
    for (float& v : samples)
        v = values(random);
    return samples;
}

// amplitude · sin(2π k i / n) + offset.
inline std::vector<float> SineOnBin(int n, int k, float amplitude, float offset = 0.0f) {
    std::vector<float> samples(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        samples[static_cast<std::size_t>(i)] =
            offset + amplitude * static_cast<float>(std::sin(2.0 * M_PI * k * i / n));
    return samples;
}
