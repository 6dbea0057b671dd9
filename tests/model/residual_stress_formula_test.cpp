// Residual-stress formula and the gauge readers of residual-stress and
// rosette groups.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "ChannelModelTestSupport.h"
#include "model/ResidualStressFormula.h"

namespace {

TEST(ResidualStressFormulaTest, PrincipalStressesOfAHole) {
    const ResidualStressInput in{-0.1f, -0.2f, 200.0f, 10.0f, -100.0f, -50.0f, -20.0f};
    ResidualStressResult out{};
    CalcResidualStress(in, out);
    const double e1 = -110, e2 = -60, e3 = -30, a = -0.1, b = -0.2;
    const double p = (e1 + e3) / (4 * a);
    const double r = std::sqrt(2.0) / (4 * b) * std::sqrt((e1 - e2) * (e1 - e2) + (e3 - e2) * (e3 - e2));
    const double hi = std::max(p + r, p - r) * 0.2, lo = std::min(p + r, p - r) * 0.2;
    EXPECT_FLOAT_EQ(out.fEps1, -110.0f);
    EXPECT_FLOAT_EQ(out.fEps2, -60.0f);
    EXPECT_FLOAT_EQ(out.fEps3, -30.0f);
    EXPECT_NEAR(out.fAngle, std::atan((e1 + e3 - 2 * e2) / (e1 - e3)) * 90.0 / M_PI, 1e-4);
    EXPECT_NEAR(out.fSigmaMax, hi, 1e-3);
    EXPECT_NEAR(out.fSigmaMin, lo, 1e-3);
    EXPECT_NEAR(out.fEquivalent, std::sqrt(hi * hi + lo * lo - hi * lo), 1e-3);
    EXPECT_NEAR(out.fSigmaGauge1, ((b - a) * e3 + (a + b) * e1) / (4 * a * b) * 0.2, 1e-3);
    EXPECT_NEAR(out.fSigmaGauge3, ((a + b) * e3 + (b - a) * e1) / (4 * a * b) * 0.2, 1e-3);
}

TEST(ResidualStressFormulaTest, EqualOuterGaugesGiveMarkersButGaugeStresses) {
    const ResidualStressInput in{-0.1f, -0.2f, 200.0f, 0.0f, -40.0f, -10.0f, -40.0f};
    ResidualStressResult out{};
    CalcResidualStress(in, out);
    EXPECT_EQ(out.fAngle, kUnbalancedValue);
    EXPECT_EQ(out.fSigmaMax, kUnbalancedValue);
    EXPECT_EQ(out.fSigmaMin, kUnbalancedValue);
    EXPECT_EQ(out.fEquivalent, kUnbalancedValue);
    EXPECT_NEAR(out.fSigmaGauge1, (-0.1 * -40 + -0.3 * -40) / (4 * 0.02) * 0.2, 1e-3);
    EXPECT_NEAR(out.fSigmaGauge3, out.fSigmaGauge1, 1e-4);
}

TEST(ResidualStressFormulaTest, ZeroCoefficientGivesMarkersInsteadOfDividing) {
    const ResidualStressInput in{0.0f, -0.2f, 200.0f, 0.0f, -40.0f, -10.0f, -20.0f};
    ResidualStressResult out{};
    CalcResidualStress(in, out);
    EXPECT_EQ(out.fSigmaMax, kUnbalancedValue);
    EXPECT_EQ(out.fSigmaGauge1, kUnbalancedValue);
    EXPECT_EQ(out.fSigmaGauge3, kUnbalancedValue);
}

class GaugeReadersTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetChannelModel();
        m_frame.resize(MAX_CASE_COUNT);
        // Voltage channels with divisor 0.001 read back their stored value.
        for (int id : {33, 34, 35, 36}) {
            g_ChannelParams[id].nMeasureType = MEASURE_VOLTAGE;
            g_ChannelParams[id].fScaleDivisor = 0.001f;
            g_ChannelParams[id].fElasticModulus = 200.0f;
            g_ChannelParams[id].fPoissonRatio = 0.3f;
            const float v = float(id * 10);
            std::memcpy(reinterpret_cast<char*>(&m_frame[2]) + 4 + (id % 16) * 4, &v, 4);
        }
        g_ChannelParams[34].nDisplayType = 1; // shown as stress
    }

    std::vector<CaseSampleBlock> m_frame;
};

TEST_F(GaugeReadersTest, ResidualStressGaugesComeBackAsStrain) {
    const std::int32_t channels[3] = {33, 34, 4096};
    ResidualStressInput in{};
    GetResidualStressGaugeStrains(in, -0.1f, -0.2f, 5.0f, channels, m_frame.data());
    EXPECT_EQ(in.fA, -0.1f);
    EXPECT_EQ(in.fB, -0.2f);
    EXPECT_EQ(in.fE0, 5.0f);
    EXPECT_EQ(in.fE, 200.0f);
    EXPECT_FLOAT_EQ(in.fE1, 330.0f);
    EXPECT_FLOAT_EQ(in.fE2, 340.0f * 1000.0f / 200.0f);
    EXPECT_EQ(in.fE3, kNoValue); // not a channel id
}

TEST_F(GaugeReadersTest, RosetteReadsTheGaugesOfItsKind) {
    const std::int32_t channels[4] = {33, 35, 36, -1};
    RosetteInput in{};
    in.fStrain[2] = -1.0f;
    EXPECT_EQ(GetRosetteGaugeStrains(in, 0, channels, m_frame.data()), 1);
    EXPECT_FLOAT_EQ(in.fPoissonRatio, 0.3f);
    EXPECT_FLOAT_EQ(in.fStrain[1], 350.0f);
    EXPECT_EQ(in.fStrain[2], -1.0f); // kind 0 uses two gauges
    EXPECT_EQ(GetRosetteGaugeStrains(in, 1, channels, m_frame.data()), 1);
    EXPECT_FLOAT_EQ(in.fStrain[2], 360.0f);
    RosetteInput unknown{};
    EXPECT_EQ(GetRosetteGaugeStrains(unknown, 5, channels, m_frame.data()), 1);
    EXPECT_EQ(unknown.fStrain[0], 0.0f);
}

} // namespace
