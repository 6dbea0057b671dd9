// The conversions give, as floats, exactly what the reference forms give:
// the thermocouple polynomials summed power by power, and the platinum RTD
// below 0 degC stepped from -200 degC in 0.1 degC steps.
#include "libs/thermo/ThermoConversion.h"
#include "libs/thermo/ThermoRangeTable.h"
#include "libs/thermo/ThermocoupleTables.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

namespace {

using thermo::ThermoRangeTable;

double PowerForm(const ThermoRangeTable& table, double x);

double PowerFormSearch(const thermo::ThermoRootSearch& search, double target) {
    double low = search.dLow, high = search.dHigh, mid = (low + high) / 2.0;
    for (int step = 0; step < thermo::kRootSearchMaxSteps; ++step) {
        const double value = PowerForm(*search.pForward, mid);
        if (target - thermo::kRootSearchTolerance <= value && value <= target + thermo::kRootSearchTolerance)
            return mid;
        (value > target ? high : low) = mid;
        mid = (low + high) / 2.0;
    }
    return mid;
}

double PowerForm(const ThermoRangeTable& table, double x) {
    if (std::isnan(x))
        return x;
    if (x < table.fLow || (table.bLowIncluded && x == table.fLow))
        return table.fLowValue;
    for (const thermo::ThermoRange& range : table.ranges) {
        if (!(x < range.fUpper || (range.bUpperIncluded && x == range.fUpper)))
            continue;
        if (range.pSearch)
            return PowerFormSearch(*range.pSearch, x);
        double sum = 0.0;
        for (std::size_t i = 0; i < range.coeffs.size(); ++i)
            sum += range.coeffs[i] * std::pow(x, static_cast<double>(i));
        return range.pfnExtraTerm ? sum + range.pfnExtraTerm(x) : sum;
    }
    return table.fHighValue;
}

// Every range of both directions of every type, from below its table to
// above it, in 20,000 steps a range plus both ends of each range.
TEST(ReferenceForms, ThermocouplePolynomialsMatchThePowerForm) {
    for (int type = 0; type < thermo::kTypeCount; ++type) {
        for (bool forward : {true, false}) {
            const ThermoRangeTable& table =
                *(forward ? thermo::ForwardTable(type) : thermo::InverseTable(type));
            float low = table.fLow;
            int mismatches = 0;
            for (const thermo::ThermoRange& range : table.ranges) {
                const int steps = 20000;
                for (int i = -1; i <= steps + 1; ++i) {
                    const float x = i < 0 ? std::nextafter(low, -INFINITY)
                                          : low + (range.fUpper - low) * (float(i) / steps);
                    const float got =
                        forward ? ThermoTemperatureToVoltage(type, x) : ThermoVoltageToTemperature(type, x);
                    const float want = static_cast<float>(PowerForm(table, x));
                    if (got != want && ++mismatches <= 3)
                        ADD_FAILURE() << "type " << type << (forward ? " forward" : " inverse") << " at " << x
                                      << ": " << got << " against " << want;
                }
                low = range.fUpper;
            }
        }
    }
}

// Readings where Horner's sum and the sum of powers round to neighbouring floats (found
// by comparing every 97th float of every range): near-cancelling sums, tiny values.
TEST(ReferenceForms, ReadingsWhereHornerRoundsApartGiveThePowerForm) {
    const struct {
        int type;
        bool forward;
        float x;
    } cases[] = {
        {thermo::kTypeK, true, 6.76709622e-09f},  {thermo::kTypeK, true, 9.31763466e-09f},
        {thermo::kTypeK, true, 1.05144764e-08f},  {thermo::kTypeT, true, -253.818939f},
        {thermo::kTypeT, true, -251.736435f},     {thermo::kTypeB, true, 699.615967f},
        {thermo::kTypeT, false, 2.08348929e-15f}, {thermo::kTypeT, false, 2.39159753e-15f},
    };
    for (const auto& c : cases) {
        const ThermoRangeTable& table =
            *(c.forward ? thermo::ForwardTable(c.type) : thermo::InverseTable(c.type));
        const float got =
            c.forward ? ThermoTemperatureToVoltage(c.type, c.x) : ThermoVoltageToTemperature(c.type, c.x);
        EXPECT_EQ(got, static_cast<float>(PowerForm(table, c.x))) << "type " << c.type << " at " << c.x;
    }
}

// A range whose terms nearly cancel, (x - 1)^5 expanded: at these readings the library's
// own sum rounds to a float next to the sum of powers', so only the rounding check
// keeps the result exact.
TEST(ReferenceForms, ReadingsWhereTheFastSumRoundsApartTakeTheSumOfPowers) {
    static constexpr double kCoeffs[] = {-1.0, 5.0, -10.0, 10.0, -5.0, 1.0};
    static constexpr auto kRanges =
        thermo::WithSumBounds(0.0f, std::array{thermo::ThermoRange{2.0f, true, kCoeffs}});
    const ThermoRangeTable table{0.0f, false, 0.0f, kRanges, 0.0f};
    for (float x : {0.900009513f, 0.909020424f, 0.918159246f, 0.936649799f, 0.946019232f}) {
        const float want = static_cast<float>(PowerForm(table, x));
        ASSERT_NE(static_cast<float>(thermo::EvaluatePolynomial(kCoeffs, x)), want) << "no longer apart at " << x;
        EXPECT_EQ(thermo::EvaluateRangeTableAsFloat(table, x), want) << "at " << x;
    }
}

// The reference search below 0 degC, step by step from -200 degC.
double SteppedPt(double r0, double r) {
    constexpr double A = 3.9083e-3, B = -5.775e-7, C = -4.183e-12;
    const auto diff = [&](double t) {
        return r0 * (1.0 + A * t + B * t * t + C * (t - 100.0) * t * t * t) - r;
    };
    for (int i = 0; i < 2000; ++i) {
        const double t0 = -200.0 + i * 0.1, t1 = -200.0 + (i + 1) * 0.1;
        const double d0 = diff(t0);
        if (std::fabs(d0) < 1e-6)
            return t0;
        if ((d0 < 0.0) == (diff(t1) < 0.0))
            continue;
        double low = t0, high = t1, lowDiff = d0, mid = (low + high) / 2.0;
        while (high - low >= 1e-6) {
            mid = (low + high) / 2.0;
            const double midDiff = diff(mid);
            if (std::fabs(midDiff) < 1e-6)
                return mid;
            if ((midDiff < 0.0) == (lowDiff < 0.0)) {
                low = mid;
                lowDiff = midDiff;
            } else {
                high = mid;
            }
        }
        return mid;
    }
    return -200.0;
}

TEST(ReferenceForms, PlatinumBelowZeroMatchesTheSteppedSearch) {
    for (float r0 : {10.0f, 100.0f, 1000.0f}) {
        int mismatches = 0;
        const float low = r0 * 0.1852008f;
        const int steps = 30000;
        for (int i = 0; i <= steps; ++i) {
            float r = low + (r0 - low) * (float(i) / steps);
            if (i == steps)
                r = std::nextafter(r0, 0.0f);
            if (r >= r0 || r < r0 * 0.1852008)
                continue;
            const float got = PtVoltageToTemperature(r0, r);
            const float want = static_cast<float>(SteppedPt(r0, r));
            if (got != want && ++mismatches <= 3)
                ADD_FAILURE() << "R0 " << r0 << " R " << r << ": " << got << " against " << want;
        }
    }
    // Readings on the step boundaries, where the first step and the crossing meet.
    for (int i = 0; i <= 2000; ++i) {
        const double t = -200.0 + i * 0.1;
        const float r = static_cast<float>(
            100.0 * (1.0 + 3.9083e-3 * t - 5.775e-7 * t * t - 4.183e-12 * (t - 100.0) * t * t * t));
        if (r < 100.0f && r >= 100.0 * 0.1852008)
            EXPECT_EQ(PtVoltageToTemperature(100.0f, r), static_cast<float>(SteppedPt(100.0, r))) << t;
    }
}

} // namespace
