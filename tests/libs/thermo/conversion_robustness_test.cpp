// Hostile and boundary arguments for every conversion: each call returns, with a value
// inside the documented bounds, NaN for NaN, and no jump where two ranges meet.
#include "libs/thermo/ThermoConversion.h"
#include "libs/thermo/ThermocoupleTables.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <vector>

namespace {

const float kHostile[] = {NAN,   INFINITY, -INFINITY, FLT_MAX, -FLT_MAX, FLT_MIN, -FLT_MIN, FLT_TRUE_MIN,
                          -0.0f, 0.0f,     1e6f,      -1e6f,   1e-30f,   3e4f,    -3e4f};

TEST(ConversionRobustness, HostileArgumentsGiveBoundedResults) {
    for (int type = -1; type <= thermo::kTypeCount; ++type) {
        const bool known = type >= 0 && type < thermo::kTypeCount;
        for (float x : kHostile) {
            SCOPED_TRACE(testing::Message() << "type " << type << ", argument " << x);
            const float mV = ThermoTemperatureToVoltage(type, x);
            const float degC = ThermoVoltageToTemperature(type, x);
            if (!known) {
                EXPECT_EQ(mV, 0.0f);
                EXPECT_EQ(degC, 0.0f);
            } else if (std::isnan(x)) {
                EXPECT_TRUE(std::isnan(mV));
                EXPECT_TRUE(std::isnan(degC));
            } else {
                EXPECT_TRUE(mV >= -10.0f && mV <= 77.0f) << mV;
                EXPECT_TRUE(degC >= -270.0f && degC <= 1820.0f) << degC;
            }
        }
    }
    for (float r0 : {100.0f, 10.0f, 1000.0f, FLT_MIN, FLT_MAX}) {
        for (float r : kHostile) {
            const float degC = PtVoltageToTemperature(r0, r);
            if (std::isnan(r))
                EXPECT_TRUE(std::isnan(degC)) << "R0 " << r0;
            else
                EXPECT_TRUE(degC >= -200.0f && degC <= 850.0f) << "R0 " << r0 << ", R " << r << ": " << degC;
        }
    }
}

struct Direction {
    const char* name;
    const thermo::ThermoRangeTable* (*pfnTable)(int);
    float (*pfnConvert)(int, float);
    double maxStep; // what two neighbouring sets of coefficients may disagree by
};

// Where two coefficient sets meet, the values on either side agree to within the fits'
// errors: a set assigned to the wrong range, or a wrong boundary, shows up as a jump.
TEST(ConversionRobustness, NoJumpWhereRangesMeet) {
    const Direction directions[] = {{"forward", &thermo::ForwardTable, &ThermoTemperatureToVoltage, 0.001},
                                    {"inverse", &thermo::InverseTable, &ThermoVoltageToTemperature, 0.1}};
    for (const Direction& d : directions) {
        for (int type = 0; type < thermo::kTypeCount; ++type) {
            const auto ranges = d.pfnTable(type)->ranges;
            for (size_t i = 0; i + 1 < ranges.size(); ++i) {
                const float edge = ranges[i].fUpper;
                // A searched gap is only as close as its 0.0005 mV tolerance over the slope
                // there: about 0.2 degC for type B at 250 degC.
                const double maxStep = ranges[i].pSearch != nullptr ? 0.25 : d.maxStep;
                const float below = d.pfnConvert(type, std::nextafter(edge, -INFINITY));
                const float at = d.pfnConvert(type, edge);
                const float above = d.pfnConvert(type, std::nextafter(edge, INFINITY));
                SCOPED_TRACE(testing::Message() << d.name << " type " << type << " at " << edge);
                EXPECT_NEAR(below, at, maxStep);
                EXPECT_NEAR(at, above, maxStep);
            }
        }
    }
}

} // namespace
