// Evaluation of the piecewise thermocouple conversions and the bounded root search.
#include "libs/thermo/ThermoRangeTable.h"

#include <cmath>
#include <utility>

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

// The standard's form: each coefficient times its power of x, summed in order. Kept out
// of line: the conversions need it so rarely that it must not crowd their own path.
[[gnu::noinline, gnu::cold]] double SumOfPowers(const ThermoRange& range, double x) {
    double sum = 0.0;
    for (std::size_t i = 0; i < range.coeffs.size(); ++i)
        sum += range.coeffs[i] * std::pow(x, static_cast<double>(i));
    if (range.pfnExtraTerm != nullptr)
        sum += range.pfnExtraTerm(x);
    return sum;
}

// Horner's rule over N coefficients, unrolled: the same multiplies and adds in the same
// order as the loop below, without its counter and exit branch between them, so that
// successive conversions overlap. The chain starts at the highest coefficient: for a
// finite x the loop's first step, 0 * x + c, gives c exactly, and a table only ever
// evaluates finite arguments (NaN and infinities never reach a range).
template <size_t N> double HornerUnrolled(const double* c, double x) {
    double sum = c[N - 1];
    [&]<size_t... I>(std::index_sequence<I...>) {
        ((sum = sum * x + c[N - 2 - I]), ...);
    }
    (std::make_index_sequence<N - 1>{});
    return sum;
}

} // namespace

double EvaluatePolynomial(std::span<const double> coeffs, double x) {
    // Horner's rule: one multiply and add a term instead of a power.
    switch (coeffs.size()) {
    case 1:
        return HornerUnrolled<1>(coeffs.data(), x);
    case 2:
        return HornerUnrolled<2>(coeffs.data(), x);
    case 3:
        return HornerUnrolled<3>(coeffs.data(), x);
    case 4:
        return HornerUnrolled<4>(coeffs.data(), x);
    case 5:
        return HornerUnrolled<5>(coeffs.data(), x);
    case 6:
        return HornerUnrolled<6>(coeffs.data(), x);
    case 7:
        return HornerUnrolled<7>(coeffs.data(), x);
    case 8:
        return HornerUnrolled<8>(coeffs.data(), x);
    case 9:
        return HornerUnrolled<9>(coeffs.data(), x);
    case 10:
        return HornerUnrolled<10>(coeffs.data(), x);
    case 11:
        return HornerUnrolled<11>(coeffs.data(), x);
    case 12:
        return HornerUnrolled<12>(coeffs.data(), x);
    case 13:
        return HornerUnrolled<13>(coeffs.data(), x);
    case 14:
        return HornerUnrolled<14>(coeffs.data(), x);
    case 15:
        return HornerUnrolled<15>(coeffs.data(), x);
    default:
        break;
    }
    double sum = 0.0;
    for (size_t i = coeffs.size(); i-- > 0;)
        sum = sum * x + coeffs[i];
    return sum;
}

namespace {

// The table's value at x, with the range that gave it (none outside the ranges).
double Evaluate(const ThermoRangeTable& table, double x, const ThermoRange*& range) {
    range = nullptr;
    if (std::isnan(x))
        return x;
    if (x < table.fLow || (table.bLowIncluded && x == table.fLow))
        return table.fLowValue;
    for (const ThermoRange& candidate : table.ranges) {
        if (IsInRange(candidate, x)) {
            range = &candidate;
            return EvaluateRange(candidate, x);
        }
    }
    return table.fHighValue;
}

// The forward value the root search compares, as the sum of powers would compare it:
// Horner's sum where it lies farther than its bound from every threshold.
double SearchValue(const ThermoRangeTable& table, double x, double target) {
    const ThermoRange* range = nullptr;
    const double value = Evaluate(table, x, range);
    if (range == nullptr || range->dSumBound == 0.0)
        return value;
    for (double threshold : {target - kRootSearchTolerance, target, target + kRootSearchTolerance}) {
        if (std::fabs(value - threshold) <= range->dSumBound)
            return SumOfPowers(*range, x);
    }
    return value;
}

} // namespace

double EvaluateRangeTable(const ThermoRangeTable& table, double x) {
    const ThermoRange* range = nullptr;
    return Evaluate(table, x, range);
}

namespace {

// The float of a range's value: Horner's, where every double within the range's bound
// of it rounds to the same float, and so the sum of powers does too; else the sum of
// powers' (a few readings in a hundred million).
float RangeValueAsFloat(const ThermoRange& range, double x) {
    const double value = EvaluateRange(range, x);
    const float rounded = static_cast<float>(value);
    const double bound = range.dSumBound;
    if (static_cast<float>(value - bound) == rounded && static_cast<float>(value + bound) == rounded)
        return rounded;
    return static_cast<float>(SumOfPowers(range, x));
}

} // namespace

float EvaluateRangeTableAsFloat(const ThermoRangeTable& table, double x) {
    if (std::isnan(x))
        return static_cast<float>(x);
    if (x < table.fLow || (table.bLowIncluded && x == table.fLow))
        return table.fLowValue;
    for (const ThermoRange& range : table.ranges) {
        if (IsInRange(range, x))
            return RangeValueAsFloat(range, x);
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
        const double value = SearchValue(*search.pForward, mid, target);
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
