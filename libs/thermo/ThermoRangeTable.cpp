// Evaluation of the piecewise thermocouple conversions and the bounded root search.
#include "libs/thermo/ThermoRangeTable.h"

#include <array>
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

// Estrin's form over N coefficients: the terms in pairs, c(2i) + c(2i+1) * x, then the
// pairs as the coefficients of a polynomial in x * x, and so on. Its chain of dependent
// steps grows with log2(N) rather than N, so a conversion takes a few steps instead of
// a long Horner chain. Only the float of the sum is kept, and each range's bound on its
// difference from the standard's sum of powers covers this form's roundings too (at
// most three per halving, far fewer than the bound allows; see SumErrorBound).
template <size_t N> double EstrinUnrolled(const double* c, double x) {
    if constexpr (N == 1) {
        return c[0];
    } else {
        std::array<double, (N + 1) / 2> pairs;
        [&]<size_t... I>(std::index_sequence<I...>) {
            ((pairs[I] = c[2 * I] + c[2 * I + 1] * x), ...);
        }
        (std::make_index_sequence<N / 2>{});
        if constexpr (N % 2 == 1)
            pairs[N / 2] = c[N - 1];
        return EstrinUnrolled<(N + 1) / 2>(pairs.data(), x * x);
    }
}

} // namespace

double EvaluatePolynomial(std::span<const double> coeffs, double x) {
    // One multiply and add a term instead of a power, in a short chain.
    switch (coeffs.size()) {
    case 1:
        return EstrinUnrolled<1>(coeffs.data(), x);
    case 2:
        return EstrinUnrolled<2>(coeffs.data(), x);
    case 3:
        return EstrinUnrolled<3>(coeffs.data(), x);
    case 4:
        return EstrinUnrolled<4>(coeffs.data(), x);
    case 5:
        return EstrinUnrolled<5>(coeffs.data(), x);
    case 6:
        return EstrinUnrolled<6>(coeffs.data(), x);
    case 7:
        return EstrinUnrolled<7>(coeffs.data(), x);
    case 8:
        return EstrinUnrolled<8>(coeffs.data(), x);
    case 9:
        return EstrinUnrolled<9>(coeffs.data(), x);
    case 10:
        return EstrinUnrolled<10>(coeffs.data(), x);
    case 11:
        return EstrinUnrolled<11>(coeffs.data(), x);
    case 12:
        return EstrinUnrolled<12>(coeffs.data(), x);
    case 13:
        return EstrinUnrolled<13>(coeffs.data(), x);
    case 14:
        return EstrinUnrolled<14>(coeffs.data(), x);
    case 15:
        return EstrinUnrolled<15>(coeffs.data(), x);
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
// the library's sum where it lies farther than its bound from every threshold.
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

// The float of a range's value: the library's sum's, where every double within the
// range's bound of it rounds to the same float, and so the sum of powers does too; else
// the sum of powers' (a few readings in a hundred million).
float RangeValueAsFloat(const ThermoRange& range, double x) {
    const double value = EvaluateRange(range, x);
    const double bound = range.dSumBound;
    // Rounding never reverses an order, so when both ends round alike, value does too.
    if (static_cast<float>(value - bound) == static_cast<float>(value + bound))
        return static_cast<float>(value);
    return static_cast<float>(SumOfPowers(range, x));
}

} // namespace

float EvaluateRangeTableAsFloat(const ThermoRangeTable& table, float x) {
    if (std::isnan(x))
        return x;
    if (x < table.fLow || (table.bLowIncluded && x == table.fLow))
        return table.fLowValue;
    // One compare a range: for a float x, x < fFloatLimit is IsInRange.
    for (const ThermoRange& range : table.ranges) {
        if (x < range.fFloatLimit)
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
