// A piecewise conversion over consecutive ranges of its argument, the shape shared by the
// thermocouple reference functions and their inverses.
#pragma once

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
};

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

// sum of c_i * x^i, by Horner's rule in double: as a float it equals the term-by-term
// sum of powers with which the standard's tables are evaluated.
double EvaluatePolynomial(std::span<const double> coeffs, double x);

// The table's value at x; NaN for a NaN x.
double EvaluateRangeTable(const ThermoRangeTable& table, double x);

// x with search.pForward(x) within kRootSearchTolerance of target. A target the interval
// cannot reach gives the end nearest to it once kRootSearchMaxSteps halvings are spent.
double SearchRoot(const ThermoRootSearch& search, double target);

} // namespace thermo
