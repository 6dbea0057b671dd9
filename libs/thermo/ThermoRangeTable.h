// A piecewise conversion over consecutive ranges of its argument, the shape shared by the
// thermocouple reference functions and their inverses.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>

namespace thermo {

struct ThermoRangeTable;

// Bisection on a forward function over [dLow, dHigh], for the voltage gaps that the
// standard's inverse polynomials leave uncovered. The forward function rises over the
// interval.
struct ThermoRootSearch {
    const ThermoRangeTable* pForward;
    double dLow;
    double dHigh;
};

struct ThermoRange {
    float fUpper;                               // upper end of the range
    bool bUpperIncluded;                        // false: a value on fUpper belongs to the next range
    std::span<const double> coeffs;             // c0 ... c(n-1), empty for a root-search gap
    double (*pfnExtraTerm)(double x) = nullptr; // added to the polynomial (type K)
    const ThermoRootSearch* pSearch = nullptr;  // set for a root-search gap
    // How far the library's sum over the range may lie from the sum of powers with
    // which the standard's tables are evaluated (see WithSumBounds).
    double dSumBound = 0.0;
    // A float x is in the range when x < fFloatLimit: fUpper, or the float after it
    // when fUpper is included (see WithSumBounds).
    float fFloatLimit = 0.0f;
};

// The float after a finite f.
constexpr float NextFloatUp(float f) {
    if (f == 0.0f)
        return std::bit_cast<float>(std::uint32_t{1});
    const auto bits = std::bit_cast<std::uint32_t>(f);
    return std::bit_cast<float>(f > 0.0f ? bits + 1 : bits - 1);
}

// The largest value of the only extra term, type K's (0.1185976 at 126.9686 degC).
inline constexpr double kExtraTermBound = 0.1186;

// Both sums of a polynomial of n terms pass each term through a chain of roundings,
// each off by at most 2^-53 of the sum of the terms' magnitudes, S = sum |c_i| m^i
// with m the range's largest |x|: the standard's form at most n + 1 (its power, product
// and the adds after it), Horner's rule 2n and Estrin's form fewer still (a multiply
// and an add a halving, plus the roundings of its power of x): together less than
// (3n + 4) such roundings; (4n + 8) of them bound the difference with room to spare.
// The extra term adds its own magnitude to S.
constexpr double SumErrorBound(const ThermoRange& range, double lower) {
    if (range.coeffs.empty())
        return 0.0;
    const double upper = range.fUpper;
    const double m = (lower < 0 ? -lower : lower) > (upper < 0 ? -upper : upper)
                         ? (lower < 0 ? -lower : lower)
                         : (upper < 0 ? -upper : upper);
    double sum = 0.0, power = 1.0;
    for (double c : range.coeffs) {
        sum += (c < 0 ? -c : c) * power;
        power *= m;
    }
    if (range.pfnExtraTerm != nullptr)
        sum += kExtraTermBound;
    const double n = static_cast<double>(range.coeffs.size());
    return (4.0 * n + 8.0) * 0x1p-53 * sum * 1.0000001;
}

// The ranges of a table whose arguments start at low, each with its bound and its
// float limit.
template <std::size_t N>
constexpr std::array<ThermoRange, N> WithSumBounds(float low, std::array<ThermoRange, N> ranges) {
    double lower = low;
    for (ThermoRange& range : ranges) {
        range.dSumBound = SumErrorBound(range, lower);
        range.fFloatLimit = range.bUpperIncluded ? NextFloatUp(range.fUpper) : range.fUpper;
        lower = range.fUpper;
    }
    return ranges;
}

struct ThermoRangeTable {
    float fLow;        // below this the table gives fLowValue
    bool bLowIncluded; // fLow itself gives fLowValue too
    float fLowValue;
    std::span<const ThermoRange> ranges; // consecutive, ascending; the first starts at fLow
    float fHighValue;                    // above the last range
};

// Tolerance of the root search on the forward function's value.
inline constexpr double kRootSearchTolerance = 0.0005;

// Halvings after which the search gives up: far more than double precision needs to
// shrink any of the intervals to a point, so a reachable value is always found first.
inline constexpr int kRootSearchMaxSteps = 64;

// sum of c_i * x^i in double, in Estrin's form (Horner's rule beyond 15 terms): within
// the range's dSumBound of the term-by-term sum of powers with which the standard's
// tables are evaluated.
double EvaluatePolynomial(std::span<const double> coeffs, double x);

// The table's value at x; NaN for a NaN x.
double EvaluateRangeTable(const ThermoRangeTable& table, double x);

// The table's value at x as a float: exactly the float of the standard's sum of powers.
// The library's sum gives it unless the sum of powers could round to another float, which
// happens for a few readings in a hundred million; those take the sum of powers.
float EvaluateRangeTableAsFloat(const ThermoRangeTable& table, float x);

// x with search.pForward(x) within kRootSearchTolerance of target. A target the interval
// cannot reach gives the end nearest to it once kRootSearchMaxSteps halvings are spent.
double SearchRoot(const ThermoRootSearch& search, double target);

} // namespace thermo
