// Welding residual stress by hole drilling: release coefficients from the
// hole and gauge geometry, the eccentricity correction, and the workers that
// turn a stored run into one ".rsd" file per group (the group record, then
// nine result values per sample).
#pragma once

#include "datafiles/ResultCalcSource.h"
#include "model/ResidualStressFormula.h"
#include "model/ResultGroups.h"

struct ResidualStressCalcParam : ResultCalcSource {
    std::vector<ResidualStressGroupRecord> groups;
};

struct ResidualStressEccParam : ResultCalcSource {
    int nGroupIndex = 0; // 0-based; the file takes index + 1
    ResidualStressGroupRecord group{};
    double alpha[3] = {0, 0, 0}; // eccentricity angles, radians
};

struct EccentricityCoefficients {
    double A, B, E;
};

// A release coefficient of magnitude not above 1e-15 becomes 1.0.
double NonZeroCoefficient(double v);
// A and B of a hole of radius r0 and gauge grids at r1..r2, half width b and
// length l (mm), for Poisson's ratio mu. A coefficient not above 1e-15 in
// magnitude becomes 1.0.
void CalcReleaseCoefficients(double r0, double r1, double r2, double b, double l, double mu, double& A,
                             double& B);
// The three angles of a hole centre offset by (x, y) mm from a rosette whose
// gauges lie d mm from the hole centre.
void CalcEccentricityAngles(double x, double y, double d, double alpha[3]);
// Corrects one result record for the offset hole.
void ApplyEccentricityCorrection(const EccentricityCoefficients& c, double alpha1, double alpha2,
                                 double alpha3, float record[9]);

ResultStatus ResidualStressCalcThread(const ResidualStressCalcParam& param, const std::atomic<bool>& cancel);
ResultStatus ResidualStressEccCalcThread(const ResidualStressEccParam& param,
                                         const std::atomic<bool>& cancel);
bool StartResidualStressCalc(CResultWorker& worker, ResidualStressCalcParam param);
bool StartResidualStressEccCalc(CResultWorker& worker, ResidualStressEccParam param);
