// The spectrum arithmetic over FFTW. Plans are made once per size and kind
// and kept for the life of the process; FFTW's planner is not thread-safe,
// so every plan is made under one lock, while executing a ready plan on new
// arrays is safe from any thread.
#include "libs/spectrum/SpectrumMath.h"

#include <fftw3.h>

#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <utility>

namespace lurrow {

namespace {

struct FftwFree {
    void operator()(void* p) const { fftw_free(p); }
};
template <class T> using FftwBuffer = std::unique_ptr<T[], FftwFree>;

template <class T> FftwBuffer<T> AllocBuffer(int n) {
    return FftwBuffer<T>(static_cast<T*>(fftw_malloc(sizeof(T) * static_cast<std::size_t>(n))));
}

enum PlanKind { kForward, kInverse, kRealForward };

class PlanCache {
public:
    // The plan of one size and kind, made on first use. Plans are made on
    // buffers from fftw_malloc, so every execution on such buffers matches
    // their alignment.
    fftw_plan Get(int n, PlanKind kind) {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto it = m_plans.find({n, kind});
        if (it != m_plans.end())
            return it->second;
        fftw_plan plan = nullptr;
        if (kind == kRealForward) {
            auto in = AllocBuffer<double>(n);
            auto out = AllocBuffer<fftw_complex>(n / 2 + 1);
            plan = fftw_plan_dft_r2c_1d(n, in.get(), out.get(), FFTW_ESTIMATE);
        } else {
            auto in = AllocBuffer<fftw_complex>(n);
            auto out = AllocBuffer<fftw_complex>(n);
            plan = fftw_plan_dft_1d(n, in.get(), out.get(), kind == kForward ? FFTW_FORWARD : FFTW_BACKWARD,
                                    FFTW_ESTIMATE);
        }
        m_plans.emplace(std::make_pair(n, kind), plan);
        return plan;
    }

private:
    std::mutex m_mutex; // guards m_plans and every call of FFTW's planner
    std::map<std::pair<int, PlanKind>, fftw_plan> m_plans;
};

PlanCache& Plans() {
    static PlanCache* cache = new PlanCache; // lives to the end: workers may still transform
    return *cache;
}

bool IsPowerOfTwo(int n) {
    return n > 0 && (n & (n - 1)) == 0;
}

// Per-thread scratch buffers, grown to the largest size used.
struct Scratch {
    FftwBuffer<double> real;
    FftwBuffer<fftw_complex> a, b;
    int realSize = 0, complexSize = 0;
    double* Real(int n) {
        if (n > realSize) {
            real = AllocBuffer<double>(n);
            realSize = n;
        }
        return real.get();
    }
    void Complex(int n) {
        if (n > complexSize) {
            a = AllocBuffer<fftw_complex>(n);
            b = AllocBuffer<fftw_complex>(n);
            complexSize = n;
        }
    }
};
thread_local Scratch t_scratch;

// Four running sums, so that the additions do not wait on each other.
double Sum(const float* values, int count) {
    double partial[4] = {};
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        for (int k = 0; k < 4; ++k)
            partial[k] += values[i + k];
    }
    for (; i < count; ++i)
        partial[0] += values[i];
    return (partial[0] + partial[1]) + (partial[2] + partial[3]);
}

} // namespace

int SpectralLineCount(int n) {
    if (!IsSpectrumBlockSize(n))
        return 0;
    return static_cast<int>(n / 2.56 + 1);
}

bool IsSpectrumBlockSize(int n) {
    return IsPowerOfTwo(n) && n >= kMinBlockSize && n <= kMaxBlockSize;
}

float RemoveMean(int count, const float* in, float* out) {
    if (count < 1 || in == nullptr || out == nullptr)
        return 0.0f;
    const auto mean = static_cast<float>(Sum(in, count) / count);
    for (int i = 0; i < count; ++i)
        out[i] = in[i] - mean;
    return mean;
}

int ComputeFFT(const double* reIn, const double* imIn, int n, double* reOut, double* imOut, bool inverse) {
    if (!IsPowerOfTwo(n) || reIn == nullptr || imIn == nullptr || reOut == nullptr || imOut == nullptr)
        return 0;
    Scratch& s = t_scratch;
    s.Complex(n);
    for (int i = 0; i < n; ++i) {
        s.a[i][0] = reIn[i];
        s.a[i][1] = imIn[i];
    }
    fftw_execute_dft(Plans().Get(n, inverse ? kInverse : kForward), s.a.get(), s.b.get());
    const double scale = inverse ? 1.0 / n : 2.0 / n;
    for (int i = 0; i < n; ++i) {
        reOut[i] = s.b[i][0] * scale;
        imOut[i] = s.b[i][1] * scale;
    }
    return kFftDone;
}

int ComputeRealSpectrum(const float* in, int n, float* out) {
    if (!IsPowerOfTwo(n) || in == nullptr || out == nullptr)
        return 0;
    std::vector<double> re(in, in + n), im(static_cast<std::size_t>(n)), reOut(re.size()), imOut(re.size());
    const int result = ComputeFFT(re.data(), im.data(), n, reOut.data(), imOut.data(), false);
    for (int i = 0; i < n; ++i) {
        out[2 * i] = static_cast<float>(reOut[static_cast<std::size_t>(i)]);
        out[2 * i + 1] = static_cast<float>(imOut[static_cast<std::size_t>(i)]);
    }
    return result;
}

bool ComputeSpectrumLines(const float* in, int n, int lines, SpectrumValue* out) {
    if (!IsPowerOfTwo(n) || lines < 1 || lines > n / 2 + 1 || in == nullptr || out == nullptr)
        return false;
    Scratch& s = t_scratch;
    double* work = s.Real(n);
    s.Complex(n / 2 + 1);
    const auto mean = static_cast<float>(Sum(in, n) / n); // the mean RemoveMean takes off
    for (int i = 0; i < n; ++i)
        work[i] = static_cast<double>(in[i] - mean);
    fftw_execute_dft_r2c(Plans().Get(n, kRealForward), work, s.b.get());
    const double scale = 2.0 / n;
    for (int i = 0; i < lines; ++i)
        out[i] = SpectrumValue(static_cast<float>(s.b[i][0] * scale), static_cast<float>(s.b[i][1] * scale));
    return true;
}

void SpectrumToDisplay(const SpectrumValue* values, int count, float* out, int kind) {
    if (values == nullptr || out == nullptr)
        return;
    for (int i = 0; i < count; ++i) {
        const float re = values[i].real(), im = values[i].imag();
        switch (kind) {
        case 3:
            out[i] = re;
            break;
        case 4:
        case 6:
            out[i] = im;
            break;
        case 5:
            out[i] = static_cast<float>(std::atan2(static_cast<double>(im), static_cast<double>(re)) / M_PI *
                                        180.0);
            break;
        default:
            out[i] = std::sqrt(re * re + im * im);
            break;
        }
    }
}

} // namespace lurrow
