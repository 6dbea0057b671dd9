// Tests of the thermocouple conversions against the NIST ITS-90 tables, their range
// ends, the bisected gaps of the inverse polynomials and the bounded search.
#include "libs/thermo/ThermoConversion.h"
#include "libs/thermo/ThermocoupleTables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

enum : int { K, E, T, J, B, S, R, N };

const char* TypeName(int type) {
    static const char* const names[] = {"K", "E", "T", "J", "B", "S", "R", "N"};
    return names[type];
}

struct TableValue {
    int type;
    float degC;
    float mV;     // NIST table value, rounded to 1 uV
    float degTol; // how closely the inverse returns degC from the rounded mV
};

// The tolerance of the inverse is the table's rounding over the Seebeck coefficient plus
// the stated error of the standard's inverse polynomial; for type B at 100 degC it is the
// 0.0005 mV tolerance of the search on a flat curve.
const TableValue kTableValues[] = {
    {K, -200, -5.891f, 0.1f},  {K, -100, -3.554f, 0.07f}, {K, 25, 1.000f, 0.08f},
    {K, 100, 4.096f, 0.08f},   {K, 500, 20.644f, 0.08f},  {K, 1000, 41.276f, 0.08f},
    {K, 1372, 54.886f, 0.08f}, {E, -200, -8.825f, 0.06f}, {E, -100, -5.237f, 0.05f},
    {E, 100, 6.319f, 0.04f},   {E, 500, 37.005f, 0.04f},  {E, 1000, 76.373f, 0.04f},
    {T, -200, -5.603f, 0.1f},  {T, -100, -3.379f, 0.06f}, {T, 100, 4.279f, 0.06f},
    {T, 200, 9.288f, 0.06f},   {T, 400, 20.872f, 0.06f},  {J, -100, -4.633f, 0.06f},
    {J, 100, 5.269f, 0.07f},   {J, 500, 27.393f, 0.07f},  {J, 760, 42.919f, 0.07f},
    {J, 1000, 57.953f, 0.07f}, {J, 1200, 69.553f, 0.07f}, {B, 100, 0.033f, 1.2f},
    {B, 500, 1.242f, 0.15f},   {B, 700, 2.431f, 0.1f},    {B, 1000, 4.834f, 0.1f},
    {B, 1500, 10.099f, 0.1f},  {B, 1820, 13.820f, 0.1f},  {S, 100, 0.646f, 0.1f},
    {S, 500, 4.233f, 0.1f},    {S, 1000, 9.587f, 0.1f},   {S, 1500, 15.582f, 0.1f},
    {R, 100, 0.647f, 0.1f},    {R, 500, 4.471f, 0.1f},    {R, 1000, 10.506f, 0.1f},
    {R, 1500, 17.451f, 0.1f},  {N, -200, -3.990f, 0.07f}, {N, -100, -2.407f, 0.07f},
    {N, 100, 2.774f, 0.07f},   {N, 500, 16.748f, 0.07f},  {N, 1000, 36.256f, 0.07f},
    {N, 1300, 47.513f, 0.07f},
};

TEST(Thermocouple, MatchesNistTableBothWays) {
    for (const TableValue& v : kTableValues) {
        SCOPED_TRACE(testing::Message() << "type " << TypeName(v.type) << " at " << v.degC << " degC");
        EXPECT_NEAR(ThermoTemperatureToVoltage(v.type, v.degC), v.mV, 0.0006);
        EXPECT_NEAR(ThermoVoltageToTemperature(v.type, v.mV), v.degC, v.degTol);
    }
}

struct InverseRange {
    int type;
    float fromDegC; // where the type's inverse polynomials start
    float toDegC;
    float maxError; // the standard's stated error of the inverse, plus float rounding
};

// Forward then back over every range catches a wrong coefficient in either direction,
// since the two polynomial sets are independent fits.
TEST(Thermocouple, InverseUndoesForwardOverEveryRange) {
    const InverseRange ranges[] = {{K, -200, 1372, 0.062f}, {E, -200, 1000, 0.032f}, {T, -200, 400, 0.042f},
                                   {J, -210, 1200, 0.052f}, {B, 250, 1820, 0.032f},  {S, -49, 1768, 0.025f},
                                   {R, -49, 1768, 0.025f},  {N, -200, 1300, 0.062f}};
    for (const InverseRange& r : ranges) {
        SCOPED_TRACE(TypeName(r.type));
        double worst = 0.0;
        float worstAt = 0.0f;
        // Start just inside: at the low end the voltage may fall below the inverse's range
        // (S and R reach -0.236 and -0.227 mV at -50 degC, their inverses start at -0.235 and -0.226).
        for (float t = r.fromDegC + 0.05f; t <= r.toDegC; t += 0.25f) {
            const double error =
                std::fabs(ThermoVoltageToTemperature(r.type, ThermoTemperatureToVoltage(r.type, t)) - t);
            if (error > worst) {
                worst = error;
                worstAt = t;
            }
        }
        EXPECT_LE(worst, r.maxError) << "at " << worstAt << " degC";
    }
}

struct SearchGap {
    int type;
    float fromMv; // the gap of the inverse polynomials, [fromMv, toMv)
    float toMv;
    float lowDegC; // the interval searched
    float highDegC;
};

TEST(Thermocouple, GapsAreBisectedToTheForwardTolerance) {
    const SearchGap gaps[] = {{B, 0.0f, 0.291f, 44.0f, 250.0f}, {E, -9.83f, -8.825f, -267.68f, -200.0f}};
    for (const SearchGap& g : gaps) {
        SCOPED_TRACE(TypeName(g.type));
        const int steps = 500;
        for (int i = 0; i <= steps; ++i) {
            // Both ends included: the gap's low end and the largest float below its top.
            const float mV =
                i == steps ? std::nextafter(g.toMv, g.fromMv) : g.fromMv + (g.toMv - g.fromMv) * i / steps;
            const float degC = ThermoVoltageToTemperature(g.type, mV);
            ASSERT_GE(degC, g.lowDegC) << mV << " mV";
            ASSERT_LE(degC, g.highDegC) << mV << " mV";
            ASSERT_NEAR(ThermoTemperatureToVoltage(g.type, degC), mV, 0.0005 + 1e-6) << mV << " mV";
        }
    }
}

// A target the interval cannot reach used to halve forever; now the search stops at the
// end of the interval nearest to the target.
TEST(Thermocouple, SearchForUnreachableVoltageEndsAtNearestEnd) {
    const thermo::ThermoRootSearch search{thermo::ForwardTable(E), -267.68, -200.0};
    EXPECT_NEAR(thermo::SearchRoot(search, -9.9), -267.68, 1e-9);
    EXPECT_NEAR(thermo::SearchRoot(search, -8.0), -200.0, 1e-9);
    const double fromNan = thermo::SearchRoot(search, std::numeric_limits<double>::quiet_NaN());
    EXPECT_TRUE(fromNan >= -267.68 && fromNan <= -200.0);
}

struct FixedValue {
    int type;
    float in;
    float out;
};

// Range ends: outside its range each direction gives a fixed value, and a value exactly
// on an end belongs to the side the standard's table puts it.
TEST(Thermocouple, OutsideTheRangesGivesFixedValues) {
    const FixedValue forward[] = {
        {K, -270.1f, -5.891f}, {K, 1372.1f, 54.886f}, {E, -271, -8.825f}, {E, 1001, 76.373f},
        {T, -271, -5.603f},    {T, 401, 20.872f},     {J, -211, -8.095f}, {J, 1201, 69.553f},
        {B, -1, 0.291f},       {B, 1821, 13.82f},     {S, -50, -0.235f},  {S, 1768.1f, 18.693f},
        {R, -51, -0.226f},     {R, 1768.1f, 21.103f}, {N, -271, -3.99f},  {N, 1301, 47.513f},
        {K, 0, 0.0f},
    };
    for (const FixedValue& v : forward)
        EXPECT_EQ(ThermoTemperatureToVoltage(v.type, v.in), v.out)
            << TypeName(v.type) << " " << v.in << " degC";

    // K, R and N give the top of their range above it, as the other types do.
    const FixedValue inverse[] = {
        {K, -5.9f, -270}, {K, 60, 1372},    {E, -9.9f, -267.68f}, {E, 77, 1000},    {T, -5.7f, -200},
        {T, 21, 400},     {J, -8.1f, -210}, {J, 70, 1200},        {B, -0.1f, 44},   {B, 14, 1820},
        {S, -0.3f, -50},  {S, 19, 1768.1f}, {R, -0.3f, -50},      {R, 22, 1768.1f}, {N, -4, -200},
        {N, 48, 1300},    {K, 0, 0},
    };
    for (const FixedValue& v : inverse)
        EXPECT_EQ(ThermoVoltageToTemperature(v.type, v.in), v.out)
            << TypeName(v.type) << " " << v.in << " mV";

    // Inside the range ends the polynomials answer, not the fixed values.
    EXPECT_NEAR(ThermoTemperatureToVoltage(K, 1372), 54.886, 0.0005);
    EXPECT_NE(ThermoTemperatureToVoltage(K, 1372), 54.886f);
    EXPECT_NEAR(ThermoVoltageToTemperature(K, -5.891f), -200, 0.1);
    EXPECT_NEAR(ThermoTemperatureToVoltage(R, -50), -0.226, 0.0005);
    EXPECT_NE(ThermoTemperatureToVoltage(R, -50), -0.226f);
}

TEST(Thermocouple, UnknownTypeGivesZero) {
    for (int type : {-1, 8, 20, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()}) {
        EXPECT_EQ(ThermoTemperatureToVoltage(type, 100.0f), 0.0f) << type;
        EXPECT_EQ(ThermoVoltageToTemperature(type, 4.0f), 0.0f) << type;
    }
}

} // namespace
