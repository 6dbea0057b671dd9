// The spectrum library's arithmetic: the spectral line count of a block
// size, the mean removal, the scaled FFT (FFTW underneath) and the
// conversion of complex bins into the values a graph line shows.
#pragma once

#include <complex>
#include <vector>

#define LURROW_API __attribute__((visibility("default")))

namespace lurrow {

using SpectrumValue = std::complex<float>;
using Spectrum = std::vector<SpectrumValue>;

// Block sizes the sampling-parameter bar offers: the powers of two in this range.
constexpr int kMinBlockSize = 64;
constexpr int kMaxBlockSize = 32768;
constexpr int kFftDone = 100;

// L = (int)(N / 2.56 + 1); 0 for a block size the bar does not offer.
LURROW_API int SpectralLineCount(int n);
LURROW_API bool IsSpectrumBlockSize(int n);

// out[i] = in[i] - mean over count values; returns the mean.
LURROW_API float RemoveMean(int count, const float* in, float* out);

// Complex FFT of n points (a power of two): forward scaled by 2/n, inverse
// divided by n. The inputs are left alone. Returns 100; 0 when n is not a
// power of two or a pointer is missing.
LURROW_API int ComputeFFT(const double* reIn, const double* imIn, int n, double* reOut, double* imOut,
                          bool inverse);

// Forward spectrum of n real samples: out[2i] real, out[2i+1] imaginary part
// of bin i, i < n. Returns ComputeFFT's result.
LURROW_API int ComputeRealSpectrum(const float* in, int n, float* out);

// The first `lines` bins of the mean-removed, scaled spectrum of n samples
// (the worker's path: a real-input transform, only the kept bins scaled).
// False when n is not a power of two or lines is out of 1 .. n/2 + 1.
LURROW_API bool ComputeSpectrumLines(const float* in, int n, int lines, SpectrumValue* out);

// Display kinds: 3 real part, 4 and 6 imaginary part, 5 phase in degrees,
// any other kind the amplitude.
LURROW_API void SpectrumToDisplay(const SpectrumValue* values, int count, float* out, int kind);

} // namespace lurrow
