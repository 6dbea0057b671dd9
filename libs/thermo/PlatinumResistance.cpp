// Platinum RTD resistance -> temperature by the Callendar-Van Dusen equation with the
// IEC 60751 coefficients.
#include "libs/thermo/ThermoConversion.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kA = 3.9083e-3;
constexpr double kB = -5.775e-7;
constexpr double kC = -4.183e-12;

// Above 0 degC the equation is quadratic and solved directly, with these rounded
// constants for A^2, 4B and 1/(2B).
constexpr double kASquared = 1.527480889e-5;
constexpr double kFourB = -2.31e-6;
constexpr double kInverseTwoB = -865800.8658008658;

constexpr double kRatioAt850 = 3.90481125;
constexpr double kRatioAtMinus200 = 0.1852008;
constexpr double kMaxTemperature = 850.0;
constexpr double kMinTemperature = -200.0;

// Below 0 degC the quartic's root is the first 0.1 degC step from -200 degC over which
// the resistance crosses the reading, halved.
constexpr double kStep = 0.1;
constexpr int kStepCount = 2000; // -200 ... 0 degC
constexpr double kResistanceTolerance = 1e-6;
constexpr double kTemperatureTolerance = 1e-6;

double ResistanceAt(double r0, double t) {
    return r0 * (1.0 + kA * t + kB * t * t + kC * (t - 100.0) * t * t * t);
}

double TemperatureAboveZero(double r0, double r) {
    const double t = (std::sqrt(std::fabs(kASquared - kFourB * (1.0 - r / r0))) - kA) * kInverseTwoB;
    return t > kMaxTemperature ? kMaxTemperature : t;
}

// The halving of a 0.1 degC step down to kTemperatureTolerance. root is the root to
// far better than that tolerance: the resistance rises at least kA * r0 a degC below
// 0 degC, so a mid farther from it than `sure` lies on root's side of it and misses the
// reading by more than kResistanceTolerance. Only the mids within `sure` of the root
// (the last few) are evaluated; the halving, and its result, stay the same.
double HalveToRoot(double r0, double r, double low, double high, double lowDiff, double root) {
    const bool lowBelow = lowDiff < 0.0;
    const double sure = 1.01 * kResistanceTolerance / (kA * r0) + 1e-9;
    double mid = (low + high) / 2.0;
    while (high - low >= kTemperatureTolerance) {
        mid = (low + high) / 2.0;
        bool midBelow = mid < root;
        if (std::fabs(mid - root) <= sure) {
            const double midDiff = ResistanceAt(r0, mid) - r;
            if (std::fabs(midDiff) < kResistanceTolerance)
                return mid;
            midBelow = midDiff < 0.0;
        }
        if (midBelow == lowBelow)
            low = mid;
        else
            high = mid;
    }
    return mid;
}

// The slope of ResistanceAt over r0.
double SlopeAt(double t) {
    return kA + 2.0 * kB * t + kC * (4.0 * t - 300.0) * t * t;
}

// The root, by Newton's method from the quadratic's root: the resistance rises
// steadily and bends little below 0 degC, so the quadratic's root is within a few
// degC and each step squares the error (times about 5e-4 / degC): after three the
// error is at the level of the rounding.
double EstimateBelowZero(double r0, double r) {
    double t = std::clamp(TemperatureAboveZero(r0, r), kMinTemperature, 0.0);
    for (int i = 0; i < 3; ++i)
        t = std::clamp(t - (ResistanceAt(r0, t) - r) / (r0 * SlopeAt(t)), kMinTemperature, 0.0);
    return t;
}

// The 0.1 degC steps from -200 degC are searched for the first whose start
// is within the tolerance of the reading or over which the resistance
// crosses it. The resistance rises with the temperature, so every step
// that starts below the reading by more than the tolerance, and whose end
// is below it too, comes before that first step: the search starts at the
// step of the estimate, moved back until its start lies below the reading,
// and gives the same step, and root, as stepping all the way from -200.
double TemperatureBelowZero(double r0, double r) {
    const auto isBelow = [&](int i) {
        const double diff = ResistanceAt(r0, kMinTemperature + i * kStep) - r;
        return diff < 0.0 && std::fabs(diff) >= kResistanceTolerance;
    };
    const double root = EstimateBelowZero(r0, r);
    int first = std::clamp(static_cast<int>((root - kMinTemperature) / kStep) - 1, 0, kStepCount - 1);
    while (first > 0 && !isBelow(first))
        --first;
    for (int i = first; i < kStepCount; ++i) {
        const double t0 = kMinTemperature + i * kStep;
        const double t1 = kMinTemperature + (i + 1) * kStep;
        const double diff0 = ResistanceAt(r0, t0) - r;
        if (std::fabs(diff0) < kResistanceTolerance)
            return t0;
        const double diff1 = ResistanceAt(r0, t1) - r;
        if ((diff0 < 0.0) != (diff1 < 0.0))
            return HalveToRoot(r0, r, t0, t1, diff0, root);
    }
    // No crossing: rounding put the resistance at -200 degC just above the reading.
    return kMinTemperature;
}

} // namespace

float PtVoltageToTemperature(float R0, float R) {
    const double r0 = R0;
    const double r = R;
    if (std::isnan(r) || !std::isfinite(r0) || r0 <= 0.0)
        return NAN;
    if (r > r0 * kRatioAt850)
        return static_cast<float>(kMaxTemperature);
    if (r < r0 * kRatioAtMinus200)
        return static_cast<float>(kMinTemperature);
    if (r >= r0)
        return static_cast<float>(TemperatureAboveZero(r0, r));
    return static_cast<float>(TemperatureBelowZero(r0, r));
}
