// Tests of the platinum RTD conversion against the IEC 60751 table and the
// Callendar-Van Dusen equation, for Pt100, Pt10 and Pt1000.
#include "libs/thermo/ThermoConversion.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// The equation itself, forward, as the standard writes it (C only below 0 degC).
double CallendarVanDusen(double r0, double t) {
    const double a = 3.9083e-3, b = -5.775e-7, c = -4.183e-12;
    const double r = r0 * (1.0 + a * t + b * t * t);
    return t < 0.0 ? r + r0 * c * (t - 100.0) * t * t * t : r;
}

TEST(PlatinumResistance, MatchesIecTableForPt100) {
    // Resistances rounded to 0.01 ohm: up to 0.02 degC at the flat end of the curve.
    const struct {
        float degC;
        float ohm;
    } table[] = {{-200, 18.52f}, {-100, 60.26f}, {-50, 80.31f},  {0, 100.00f},   {50, 119.40f},
                 {100, 138.51f}, {200, 175.86f}, {300, 212.05f}, {400, 247.09f}, {500, 280.98f},
                 {600, 313.71f}, {700, 345.28f}, {800, 375.70f}, {850, 390.48f}};
    for (const auto& row : table)
        EXPECT_NEAR(PtVoltageToTemperature(100.0f, row.ohm), row.degC, 0.02) << row.ohm << " ohm";
    EXPECT_NEAR(PtVoltageToTemperature(100.0f, 138.5055f), 100.0, 0.001);
}

// Both branches (the quadratic above 0 degC and the stepped search below) and their meeting
// at R0, for every nominal resistance the caller uses.
TEST(PlatinumResistance, InvertsTheEquationAcrossTheRange) {
    for (float r0 : {100.0f, 10.0f, 1000.0f}) {
        double worst = 0.0;
        double worstAt = 0.0;
        for (double t = -199.95; t <= 849.9; t += 0.35) {
            const float r = static_cast<float>(CallendarVanDusen(r0, t));
            const double error = std::fabs(PtVoltageToTemperature(r0, r) - t);
            if (error > worst) {
                worst = error;
                worstAt = t;
            }
        }
        // Left: the float reading's rounding; the searches themselves stop within 1e-6.
        EXPECT_LE(worst, 0.001) << "R0 " << r0 << " at " << worstAt << " degC";
        EXPECT_NEAR(PtVoltageToTemperature(r0, r0), 0.0, 1e-4) << "R0 " << r0;
        EXPECT_NEAR(PtVoltageToTemperature(r0, std::nextafter(r0, 0.0f)), 0.0, 1e-3) << "R0 " << r0;
    }
}

TEST(PlatinumResistance, ClampsToTheRangeOfTheEquation) {
    const struct {
        float r0;
        float r;
        float degC;
    } cases[] = {
        {100, 18.0f, -200}, {100, 400, 850}, {10, 1.8f, -200}, {10, 40, 850},        {1000, 180, -200},
        {1000, 4000, 850},  {100, -5, -200}, {100, 0, -200},   {100, INFINITY, 850}, {100, -INFINITY, -200},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PtVoltageToTemperature(c.r0, c.r), c.degC) << "R0 " << c.r0 << ", R " << c.r;
    EXPECT_NEAR(PtVoltageToTemperature(100, 390.481125f), 850, 0.001);
    EXPECT_NEAR(PtVoltageToTemperature(100, 18.52008f), -200, 0.001);
}

TEST(PlatinumResistance, BadArgumentsGiveNan) {
    const struct {
        float r0;
        float r;
    } cases[] = {{100, NAN}, {NAN, 100}, {0, 100}, {0, 0}, {-100, 50}, {INFINITY, 100}, {-INFINITY, 100}};
    for (const auto& c : cases)
        EXPECT_TRUE(std::isnan(PtVoltageToTemperature(c.r0, c.r))) << "R0 " << c.r0 << ", R " << c.r;
}

} // namespace
