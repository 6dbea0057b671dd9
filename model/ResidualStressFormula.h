// The hole-drilling residual-stress formula and the readers that gather the
// gauge strains of a residual-stress or rosette group from one sample frame.
#pragma once

#include <cstdint>

#include "model/CaseSampleBlock.h"

struct ResidualStressInput {
    float fA;            // release coefficient A
    float fB;            // release coefficient B
    float fE;            // elastic modulus (GPa) of the first gauge channel
    float fE0;           // initial strain of the group
    float fE1, fE2, fE3; // gauge strains (microstrain)
};
static_assert(sizeof(ResidualStressInput) == 28);

struct ResidualStressResult {
    float fEps1, fEps2, fEps3; // gauge strains less the initial strain
    float fAngle;              // principal direction, degrees
    float fSigmaMax;           // MPa
    float fSigmaMin;
    float fSigmaGauge1; // stress along gauge 1
    float fSigmaGauge3; // stress along gauge 3
    float fEquivalent;  // equivalent stress
};
static_assert(sizeof(ResidualStressResult) == 36);

struct RosetteInput {
    std::int32_t nKind; // 0..4
    float fPoissonRatio;
    float fE;
    float fStrain[4];
};

constexpr int ROSETTE_KIND_COUNT = 5;

// Number of gauges a rosette kind uses (2, 3 or 4); 0 for an unknown kind.
int GetRosetteGaugeCount(int kind);

// frame: 512 case sample blocks indexed by unit number. Gauge channels that
// are not channel ids read as no value.
void GetResidualStressGaugeStrains(ResidualStressInput& input, float paramA, float paramB, float paramE0,
                                   const std::int32_t channels[3], const CaseSampleBlock* frame);
// A kind above 4 leaves the strains unset. Returns 1.
int GetRosetteGaugeStrains(RosetteInput& input, int kind, const std::int32_t channels[4],
                           const CaseSampleBlock* frame);

void CalcResidualStress(const ResidualStressInput& input, ResidualStressResult& result);
