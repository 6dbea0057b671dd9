// Evaluation of the piecewise thermocouple conversions and the bounded root search.
#include "libs/thermo/ThermoRangeTable.h"

#include <cmath>

namespace thermo {

namespace {

bool IsInRange(const ThermoRange& range, double x) {
    return x < range.fUpper || (range.bUpperIncluded && x == range.fUpper);
}

double EvaluateRange(const ThermoRange& range, double x) {
    if (range.pSearch != nullptr)
        return SearchRoot(*range.pSearch, x);
    double sum = EvaluatePolynomial(range.coeffs, x);
    if (range.pfnExtraTerm != nullptr)
        sum += range.pfnExtraTerm(x);
    return sum;
}

} // namespace

double EvaluatePolynomial(std::span<const double> coeffs, double x) {
    // Horner's rule: one multiply and add a term instead of a power.
    double sum = 0.0;
    for (size_t i = coeffs.size(); i-- > 0;)
        sum = sum * x + coeffs[i];
    return sum;
}

double EvaluateRangeTable(const ThermoRangeTable& table, double x) {
    if (std::isnan(x))
        return x;
    if (x < table.fLow || (table.bLowIncluded && x == table.fLow))
        return table.fLowValue;
    for (const ThermoRange& range : table.ranges) {
        if (IsInRange(range, x))
            return EvaluateRange(range, x);
    }
    return table.fHighValue;
}

double SearchRoot(const ThermoRootSearch& search, double target) {
    double low = search.dLow;
    double high = search.dHigh;
    double mid = (low + high) / 2.0;
    // Without a bound a target outside what the interval reaches (or a NaN) would halve
    // forever: the interval collapses onto one end and no mid ever meets the tolerance.
    for (int step = 0; step < kRootSearchMaxSteps; ++step) {
        const double value = EvaluateRangeTable(*search.pForward, mid);
        if (target - kRootSearchTolerance <= value && value <= target + kRootSearchTolerance)
            return mid;
        if (value > target)
            high = mid;
        else
            low = mid;
        mid = (low + high) / 2.0;
    }
    return mid;
}

} // namespace thermo
