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
constexpr double kStepsPerDegree = 10.0;
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

// The root below 0 degC as a function of the ratio q = r / r0, fitted over
// [kRatioAtMinus200, 1] by a degree-10 polynomial in u = (2q - (1 + kRatioAtMinus200)) /
// (1 - kRatioAtMinus200): Chebyshev interpolation of the equation's exact inverse,
// within 2.4e-10 degC of the root everywhere as summed below in double (checked against
// the inverse solved in 40-digit arithmetic at 4,001 points of the interval).
constexpr double kRootFit[] = {-102.45546957558419,    100.39903437202976,      2.408399014367433,
                               -0.4163213516658874,    0.04787698775796464,     0.017566157607820213,
                               -0.0008870143662667055, -0.00029033041911473195, 8.31386139448731e-05,
                               1.1152552987974857e-05, -2.5509214274306874e-06};
constexpr double kFitScale = 2.0 / (1.0 - kRatioAtMinus200);
constexpr double kFitOffset = -(1.0 + kRatioAtMinus200) / (1.0 - kRatioAtMinus200);

// The fit, summed in Estrin's form: its terms in pairs side by side rather than one
// long chain, since only its accuracy matters, not the order of its roundings.
double FittedRoot(double q) {
    const double u = q * kFitScale + kFitOffset;
    const double u2 = u * u;
    const double u4 = u2 * u2;
    const double u8 = u4 * u4;
    const double low = (kRootFit[0] + kRootFit[1] * u) + (kRootFit[2] + kRootFit[3] * u) * u2;
    const double mid = (kRootFit[4] + kRootFit[5] * u) + (kRootFit[6] + kRootFit[7] * u) * u2;
    const double high = (kRootFit[8] + kRootFit[9] * u) + kRootFit[10] * u2;
    return low + mid * u4 + high * u8;
}

// The root, from the fit alone: its error is far below the 1e-7 degC by which the search
// below widens its band around the estimate, so no step of Newton's method is needed.
double EstimateBelowZero(double r0, double r) {
    return std::clamp(FittedRoot(r / r0), kMinTemperature, 0.0);
}

// The difference between the resistance at t and the reading, where its value matters.
// root is the root to far better than kTemperatureTolerance, and the resistance rises
// at least kA * r0 a degC below 0 degC: at a t farther from root than `sure` the
// difference has root's side's sign and exceeds kResistanceTolerance, which is all the
// search asks of it, so it is not evaluated there.
struct BelowZeroDiff {
    double r0;
    double r;
    double root;
    double sure;

    double operator()(double t) const {
        if (t < root - sure)
            return -HUGE_VAL;
        if (t > root + sure)
            return HUGE_VAL;
        return ResistanceAt(r0, t) - r;
    }
};

// Halves [low, high] until a mid's difference is within the tolerance or the interval
// is narrower than kTemperatureTolerance, keeping the side on which the difference
// changes sign; each mid is the double (low + high) / 2.
//
// The endpoints are carried scaled by a power of two that doubles each halving, so that
// a mid needs only the add: scaled by 2s, the mid of two endpoints scaled by s is their
// sum, and the endpoint kept beside it is doubled off that chain. Scaling by a power of
// two is exact here (no value comes near overflow or the subnormals), so every mid,
// comparison and result is the same double as halving the plain values, in half the
// time of an add and a multiply a step.
double HalveToRoot(const BelowZeroDiff& diffAt, double low, double high) {
    const bool lowBelow = diffAt(low) < 0.0; // a mid with the same sign replaces low
    double lowScaled = low;
    double highScaled = high;
    double width = kTemperatureTolerance; // the tolerance, scaled as the endpoints
    double unscale = 0.5;                 // turns a scaled sum back into its mid
    double mid = (low + high) / 2.0;
    while (highScaled - lowScaled >= width) {
        const double sum = lowScaled + highScaled;
        mid = sum * unscale;
        const double midDiff = diffAt(mid);
        if (std::fabs(midDiff) < kResistanceTolerance)
            return mid;
        if ((midDiff < 0.0) == lowBelow) {
            lowScaled = sum;
            highScaled += highScaled;
        } else {
            highScaled = sum;
            lowScaled += lowScaled;
        }
        width += width;
        unscale *= 0.5;
    }
    return mid;
}

// The 0.1 degC steps from -200 degC are searched for the first whose start
// is within the tolerance of the reading or over which the resistance
// crosses it, and that step is halved. The resistance rises with the
// temperature, so every step that starts below the reading by more than the
// tolerance, and whose end is below it too, comes before that first step: the
// search starts at the step of the estimate, moved back until its start lies
// below the reading, and gives the same step, and root, as stepping all the way
// from -200. Only the few differences near the root are evaluated.
double TemperatureBelowZero(double r0, double r) {
    const double root = EstimateBelowZero(r0, r);
    const BelowZeroDiff diffAt{r0, r, root, 1.01 * kResistanceTolerance / (kA * r0) + 1e-7};
    const auto isBelow = [&](int i) {
        const double diff = diffAt(kMinTemperature + i * kStep);
        return diff < 0.0 && std::fabs(diff) >= kResistanceTolerance;
    };
    // Any first step at or before the crossing gives the same result, so a multiply will do.
    int first = std::clamp(static_cast<int>((root - kMinTemperature) * kStepsPerDegree), 0, kStepCount - 1);
    while (first > 0 && !isBelow(first))
        --first;
    for (int i = first; i < kStepCount; ++i) {
        const double t0 = kMinTemperature + i * kStep;
        const double t1 = kMinTemperature + (i + 1) * kStep;
        const double diff0 = diffAt(t0);
        if (std::fabs(diff0) < kResistanceTolerance)
            return t0;
        const double diff1 = diffAt(t1);
        if ((diff0 < 0.0) != (diff1 < 0.0))
            return HalveToRoot(diffAt, t0, t1);
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
