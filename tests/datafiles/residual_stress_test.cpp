// Hole-drilling residual stress: release coefficients, eccentricity
// correction and the result files, against values worked out by hand.
#include "RunWriter.h"
#include "datafiles/ResidualStressCalc.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>

using namespace testrun;

namespace {

// A = -0.1, B = -0.2, E = 200, strains -100, -40, 20 (direction 0):
// P = 200, Q = -150, so 70 and 10 MPa; along the gauges 70 and 10 MPa.
const float kPlain[9] = {-100, -40, 20, 0, 70, 10, 70, 10, 65.574385f};

void ExpectRecord(const float* got, const float* expected) {
    for (int i = 0; i < 9; ++i)
        EXPECT_NEAR(got[i], expected[i], 1e-4 * std::max(1.0f, std::fabs(expected[i]))) << i;
}

ResidualStressGroupRecord Group() {
    ResidualStressGroupRecord group{};
    std::strcpy(group.Name, "weld");
    group.type = 1;
    group.Channel[0] = 1, group.Channel[1] = 2, group.Channel[2] = 3;
    group.ParamA = -0.1f;
    group.ParamB = -0.2f;
    return group;
}

} // namespace

TEST(ResidualStress, ReleaseCoefficientsFromTheGeometry) {
    double A, B;
    // r0 1, r1 2, r2 4, b 1, l 2, mu 0.3.
    CalcReleaseCoefficients(1, 2, 4, 1, 2, 0.3, A, B);
    EXPECT_NEAR(A, -0.08653125, 1e-9);
    EXPECT_NEAR(B, -0.16209126, 1e-7);
    // A hole of radius 0 relieves nothing: both coefficients become 1.0.
    CalcReleaseCoefficients(0, 2, 4, 1, 2, 0.3, A, B);
    EXPECT_EQ(A, 1.0);
    EXPECT_EQ(B, 1.0);
}

TEST(ResidualStress, EccentricityCorrection) {
    double alpha[3];
    CalcEccentricityAngles(0, 0, 2.5, alpha);
    for (double a : alpha)
        EXPECT_NEAR(a, 0.0, 1e-15);
    // Centred hole, direction 0: K1 = A + B, K2 = A, K3+ = A - B, K3- = A + B,
    // D = -0.1; the stresses are 320 and 40 without the factor E / 1000.
    float record[9];
    std::memcpy(record, kPlain, sizeof record);
    ApplyEccentricityCorrection({-0.1, -0.2, 200.0}, 0, 0, 0, record);
    const float corrected[9] = {-100, -40, 20, 0, 320, 40, 70, 10, 301.99338f};
    ExpectRecord(record, corrected);
    // An offset hole projects the strains on the gauge directions.
    CalcEccentricityAngles(0.1, 0.2, 2.0, alpha);
    EXPECT_NEAR(alpha[0], std::atan(0.2 / 2.1), 1e-12);
    EXPECT_NEAR(alpha[2], std::atan(0.1 / 2.2), 1e-12);
    std::memcpy(record, kPlain, sizeof record);
    ApplyEccentricityCorrection({-0.1, -0.2, 200.0}, alpha[0], alpha[1], alpha[2], record);
    EXPECT_NEAR(record[0], -100 * std::cos(alpha[0]), 1e-4);
    EXPECT_NEAR(record[3], -alpha[0] * 180 / M_PI, 1e-5);
}

TEST(ResidualStress, ResultFilesWithMarkersAndEqualStrains) {
    for (bool perCase : {false, true}) {
        SCOPED_TRACE(perCase);
        TempDir dir;
        RunSpec spec(dir.Path(), "weld", {0}, 1030, perCase);
        spec.constantRaw = {{1, -200.0f}, {2, -80.0f}, {3, 40.0f}}; // halves: -100, -40, 20
        spec.overrides[{0, 1024}] = {{2, kNotBalanced}};
        spec.overrides[{0, 1025}] = {{3, -200.0f}}; // gauge 3 equals gauge 1
        RunWriter run(spec);
        run.Write();
        HalfChannelTable table;
        ResidualStressCalcParam param;
        param.strProjectFolder = dir.Path();
        param.strProjectName = "weld";
        param.nSampleCount = 1030;
        param.layout = run.Layout();
        param.channels = &table;
        param.groups = {Group()};
        std::atomic<bool> cancel{false};
        ASSERT_EQ(ResidualStressCalcThread(param, cancel), ResultStatus::Done);
        const std::vector<char> file = ReadBytes(dir.Path() + "/weld1.rsd");
        ASSERT_EQ(file.size(), 76u + 1030u * 36u);
        EXPECT_EQ(std::memcmp(file.data(), &param.groups[0], 76), 0);
        const auto record = [&](int k) {
            return reinterpret_cast<const float*>(&file[76 + 36 * std::size_t(k)]);
        };
        ExpectRecord(record(0), kPlain);
        ExpectRecord(record(1029), kPlain);
        for (int i = 0; i < 9; ++i)
            EXPECT_EQ(record(1024)[i], kNoResult);
        // Equal strains on gauges 1 and 3: no direction, stresses along the
        // gauges still computed: ((A+B) + (B-A)) * -100 / (4AB) * 0.2 = 100 each.
        const float* equal = record(1025);
        for (int i : {3, 4, 5, 8})
            EXPECT_EQ(equal[i], kNoResult);
        EXPECT_NEAR(equal[6], 100.0f, 1e-4);
        EXPECT_NEAR(equal[7], 100.0f, 1e-4);

        ResidualStressEccParam ecc;
        static_cast<ResultCalcSource&>(ecc) = param;
        ecc.nGroupIndex = 4;
        ecc.group = Group();
        ASSERT_EQ(ResidualStressEccCalcThread(ecc, cancel), ResultStatus::Done);
        const std::vector<char> eccFile = ReadBytes(dir.Path() + "/weld5.rsd");
        ASSERT_EQ(eccFile.size(), 76u + 1030u * 36u);
        EXPECT_NEAR(reinterpret_cast<const float*>(&eccFile[76])[4], 320.0f, 1e-3);
    }
}
