// The spectrum arithmetic: line counts, the scaled transform against a
// direct DFT, the real spectrum of known signals, the inverse and the
// display conversion.
#include "SpectrumTestSupport.h"

#include "libs/spectrum/SpectrumMath.h"

#include <gtest/gtest.h>

using namespace lurrow;

namespace {

TEST(SpectrumMathTest, LineCountsOfTheBarsBlockSizes) {
    const struct {
        int n, lines;
    } cases[] = {{64, 26},    {128, 51},    {256, 101},   {512, 201},    {1024, 401},
                 {2048, 801}, {4096, 1601}, {8192, 3201}, {16384, 6401}, {32768, 12801},
                 {0, 0},      {-1024, 0},   {1000, 0},    {32, 0},       {65536, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(SpectralLineCount(c.n), c.lines) << "N = " << c.n;
        EXPECT_EQ(IsSpectrumBlockSize(c.n), c.lines != 0) << "N = " << c.n;
    }
}

TEST(SpectrumMathTest, ForwardTransformMatchesADirectDftAndLeavesItsInputs) {
    for (int n : {1, 2, 8, 64, 256}) {
        const std::vector<float> re = RandomSamples(n, 1u + static_cast<unsigned>(n));
        const std::vector<float> im = RandomSamples(n, 100u + static_cast<unsigned>(n));
        std::vector<double> reIn(re.begin(), re.end()), imIn(im.begin(), im.end());
        const std::vector<double> reKept = reIn, imKept = imIn;
        std::vector<double> reOut(static_cast<std::size_t>(n)), imOut(static_cast<std::size_t>(n));
        ASSERT_EQ(ComputeFFT(reIn.data(), imIn.data(), n, reOut.data(), imOut.data(), false), kFftDone);
        EXPECT_EQ(reIn, reKept);
        EXPECT_EQ(imIn, imKept);
        for (int k = 0; k < n; ++k) {
            std::complex<double> direct;
            for (int i = 0; i < n; ++i)
                direct += std::complex<double>(reIn[static_cast<std::size_t>(i)],
                                               imIn[static_cast<std::size_t>(i)]) *
                          std::polar(1.0, -2.0 * M_PI * k * i / n);
            direct *= 2.0 / n;
            EXPECT_NEAR(reOut[static_cast<std::size_t>(k)], direct.real(), 1e-9) << "N " << n << " bin " << k;
            EXPECT_NEAR(imOut[static_cast<std::size_t>(k)], direct.imag(), 1e-9) << "N " << n << " bin " << k;
        }
    }
}

TEST(SpectrumMathTest, InverseUndoesTheForwardScaledByTwo) {
    const int n = 512;
    const std::vector<float> samples = RandomSamples(n, 7);
    std::vector<double> re(samples.begin(), samples.end()), im(static_cast<std::size_t>(n));
    std::vector<double> fRe(re.size()), fIm(re.size()), bRe(re.size()), bIm(re.size());
    ASSERT_EQ(ComputeFFT(re.data(), im.data(), n, fRe.data(), fIm.data(), false), kFftDone);
    ASSERT_EQ(ComputeFFT(fRe.data(), fIm.data(), n, bRe.data(), bIm.data(), true), kFftDone);
    // Forward scales by 2/N and the inverse by 1/N, so the round trip gives 2/N.
    for (int i = 0; i < n; ++i) {
        EXPECT_NEAR(bRe[static_cast<std::size_t>(i)] * n / 2.0, re[static_cast<std::size_t>(i)], 1e-9);
        EXPECT_NEAR(bIm[static_cast<std::size_t>(i)], 0.0, 1e-9);
    }
}

TEST(SpectrumMathTest, SizesThatAreNotPowersOfTwoAreRefused) {
    std::vector<double> a(12), b(12);
    EXPECT_EQ(ComputeFFT(a.data(), a.data(), 12, b.data(), b.data(), false), 0);
    EXPECT_EQ(ComputeFFT(a.data(), a.data(), 0, b.data(), b.data(), false), 0);
    EXPECT_EQ(ComputeFFT(nullptr, a.data(), 8, b.data(), b.data(), false), 0);
    std::vector<SpectrumValue> lines(8);
    std::vector<float> samples(100);
    EXPECT_FALSE(ComputeSpectrumLines(samples.data(), 100, 8, lines.data()));
    EXPECT_FALSE(ComputeSpectrumLines(samples.data(), 64, 34, lines.data()));
}

// The worker's path and the full transform agree, bin for bin.
TEST(SpectrumMathTest, SpectrumLinesAreTheMeanRemovedRealSpectrum) {
    const int n = 1024, lines = SpectralLineCount(n);
    const std::vector<float> samples = RandomSamples(n, 3);
    std::vector<float> centred(samples.size());
    RemoveMean(n, samples.data(), centred.data());
    std::vector<float> full(2 * samples.size());
    ASSERT_EQ(ComputeRealSpectrum(centred.data(), n, full.data()), kFftDone);
    Spectrum kept(static_cast<std::size_t>(lines));
    ASSERT_TRUE(ComputeSpectrumLines(samples.data(), n, lines, kept.data()));
    const std::vector<double> direct(centred.begin(), centred.end());
    for (int k = 0; k < lines; ++k) {
        const std::complex<double> expected = DirectBin(direct, k);
        EXPECT_NEAR(kept[static_cast<std::size_t>(k)].real(), expected.real(), 1e-3) << "bin " << k;
        EXPECT_NEAR(kept[static_cast<std::size_t>(k)].imag(), expected.imag(), 1e-3) << "bin " << k;
        EXPECT_NEAR(full[2 * static_cast<std::size_t>(k)], expected.real(), 1e-3) << "bin " << k;
        EXPECT_NEAR(full[2 * static_cast<std::size_t>(k) + 1], expected.imag(), 1e-3) << "bin " << k;
    }
}

TEST(SpectrumMathTest, SineOnABinGivesItsAmplitudeThereAndAConstantGivesNothing) {
    const int n = 256, lines = SpectralLineCount(n);
    Spectrum spectrum(static_cast<std::size_t>(lines));
    std::vector<float> amplitude(spectrum.size());
    const std::vector<float> sine = SineOnBin(n, 17, 3.5f, 1000.0f);
    ASSERT_TRUE(ComputeSpectrumLines(sine.data(), n, lines, spectrum.data()));
    SpectrumToDisplay(spectrum.data(), lines, amplitude.data(), 0);
    for (int k = 0; k < lines; ++k)
        EXPECT_NEAR(amplitude[static_cast<std::size_t>(k)], k == 17 ? 3.5f : 0.0f, 2e-3) << "bin " << k;

    const std::vector<float> constant(static_cast<std::size_t>(n), 42.0f);
    std::vector<float> centred(constant.size());
    EXPECT_FLOAT_EQ(RemoveMean(n, constant.data(), centred.data()), 42.0f);
    ASSERT_TRUE(ComputeSpectrumLines(constant.data(), n, lines, spectrum.data()));
    SpectrumToDisplay(spectrum.data(), lines, amplitude.data(), 0);
    for (float a : amplitude)
        EXPECT_EQ(a, 0.0f);
}

TEST(SpectrumMathTest, DisplayKindsPickTheirPartOfEachValue) {
    const SpectrumValue value(3.0f, -4.0f);
    const struct {
        int kind;
        float expected;
    } cases[] = {{0, 5.0f},  {1, 5.0f},  {2, 5.0f},        {3, 3.0f},
                 {4, -4.0f}, {6, -4.0f}, {5, -53.130102f}, {9, 5.0f}};
    for (const auto& c : cases) {
        float out = 0.0f;
        SpectrumToDisplay(&value, 1, &out, c.kind);
        EXPECT_NEAR(out, c.expected, 1e-4) << "kind " << c.kind;
    }
}

} // namespace
