// Residual-stress formula and gauge readings.
#include "model/ResidualStressFormula.h"

#include <algorithm>
#include <cmath>

#include "model/ChannelRecords.h"
#include "model/ValueConversion.h"

namespace {

constexpr double EQUAL_STRAIN_LIMIT = 1e-15;

// A gauge's strain in microstrain: its engineering value, turned back from
// stress when the channel displays stress.
float GaugeStrain(int channel, const CaseSampleBlock* frame) {
    if (!IsValidChannelId(channel)) {
        return kNoValue;
    }
    const CaseSampleBlock& block = frame[channel / CHANNELS_PER_MODULE];
    const float reading = block.fValues[channel % CHANNELS_PER_MODULE];
    double value = ConvertRawToValue(channel, reading);
    const ChannelParamRecord& p = g_ChannelParams[channel];
    if (p.nDisplayType == 1) {
        value = p.fElasticModulus != 0.0f ? value * 1000.0 / p.fElasticModulus : kNoValue;
    }
    return static_cast<float>(value);
}

float ElasticModulusOf(int channel) {
    return IsValidChannelId(channel) ? g_ChannelParams[channel].fElasticModulus : 0.0f;
}

} // namespace

int GetRosetteGaugeCount(int kind) {
    switch (kind) {
    case 0:
        return 2;
    case 1:
    case 2:
        return 3;
    case 3:
    case 4:
        return 4;
    default:
        return 0;
    }
}

void GetResidualStressGaugeStrains(ResidualStressInput& input, float paramA, float paramB, float paramE0,
                                   const std::int32_t channels[3], const CaseSampleBlock* frame) {
    input.fA = paramA;
    input.fB = paramB;
    input.fE0 = paramE0;
    input.fE = ElasticModulusOf(channels[0]);
    input.fE1 = GaugeStrain(channels[0], frame);
    input.fE2 = GaugeStrain(channels[1], frame);
    input.fE3 = GaugeStrain(channels[2], frame);
}

int GetRosetteGaugeStrains(RosetteInput& input, int kind, const std::int32_t channels[4],
                           const CaseSampleBlock* frame) {
    input.nKind = kind;
    input.fPoissonRatio = IsValidChannelId(channels[0]) ? g_ChannelParams[channels[0]].fPoissonRatio : 0.0f;
    input.fE = ElasticModulusOf(channels[0]);
    const int gauges = kind >= 0 ? GetRosetteGaugeCount(kind) : 0;
    for (int i = 0; i < gauges; ++i) {
        input.fStrain[i] = GaugeStrain(channels[i], frame);
    }
    return 1;
}

void CalcResidualStress(const ResidualStressInput& in, ResidualStressResult& out) {
    out.fEps1 = in.fE1 - in.fE0;
    out.fEps2 = in.fE2 - in.fE0;
    out.fEps3 = in.fE3 - in.fE0;
    const double e1 = out.fEps1;
    const double e2 = out.fEps2;
    const double e3 = out.fEps3;
    const double a = in.fA;
    const double b = in.fB;
    const double modulus = in.fE * 0.001;
    if (std::fabs(e1 - e3) >= EQUAL_STRAIN_LIMIT && a != 0.0 && b != 0.0) {
        const double pi = 4.0 * std::atan(1.0);
        out.fAngle = static_cast<float>(std::atan((e1 + e3 - 2.0 * e2) / (e1 - e3)) * 90.0 / pi);
        const double p = (e1 + e3) / (4.0 * a);
        const double r =
            std::sqrt(2.0) / (4.0 * b) * std::sqrt((e1 - e2) * (e1 - e2) + (e3 - e2) * (e3 - e2));
        const double sigmaMax = std::max(p + r, p - r) * modulus;
        const double sigmaMin = std::min(p + r, p - r) * modulus;
        out.fSigmaMax = static_cast<float>(sigmaMax);
        out.fSigmaMin = static_cast<float>(sigmaMin);
        out.fEquivalent =
            static_cast<float>(std::sqrt(sigmaMax * sigmaMax + sigmaMin * sigmaMin - sigmaMax * sigmaMin));
    } else {
        out.fAngle = out.fSigmaMax = out.fSigmaMin = out.fEquivalent = kUnbalancedValue;
    }
    if (a != 0.0 && b != 0.0) {
        out.fSigmaGauge1 = static_cast<float>(((b - a) * e3 + (a + b) * e1) / (4.0 * a * b) * modulus);
        out.fSigmaGauge3 = static_cast<float>(((a + b) * e3 + (b - a) * e1) / (4.0 * a * b) * modulus);
    } else {
        out.fSigmaGauge1 = out.fSigmaGauge3 = kUnbalancedValue;
    }
}
