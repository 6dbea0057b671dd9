// Cost of one conversion call on each path: plain polynomial, bisected gap, and the
// stepped search of the platinum RTD below 0 degC (the dearest, run on every read).
#include "libs/thermo/ThermoConversion.h"

#include <benchmark/benchmark.h>

namespace {

void BM_TypeKTemperatureToVoltage(benchmark::State& state) {
    float t = 20.0f;
    for (auto _ : state)
        benchmark::DoNotOptimize(ThermoTemperatureToVoltage(0, t));
}
BENCHMARK(BM_TypeKTemperatureToVoltage);

void BM_TypeKVoltageToTemperature(benchmark::State& state) {
    float mV = 41.276f;
    for (auto _ : state)
        benchmark::DoNotOptimize(ThermoVoltageToTemperature(0, mV));
}
BENCHMARK(BM_TypeKVoltageToTemperature);

void BM_TypeBSearchedGap(benchmark::State& state) {
    float mV = 0.1f;
    for (auto _ : state)
        benchmark::DoNotOptimize(ThermoVoltageToTemperature(4, mV));
}
BENCHMARK(BM_TypeBSearchedGap);

// The plain baseline of a conversion: the ten coefficients of type K's inverse over
// 0 ... 500 degC, summed by Horner's rule in double, with no range lookup.
void BM_BarePolynomialLoop(benchmark::State& state) {
    static const double coeffs[] = {0.0,           2.508355e+01, 7.860106e-02,  -2.503131e-01, 8.315270e-02,
                                    -1.228034e-02, 9.804036e-04, -4.413030e-05, 1.057734e-06,  -1.052755e-08};
    float mV = 20.644f;
    for (auto _ : state) {
        benchmark::DoNotOptimize(mV);
        double sum = 0.0;
        for (int i = 9; i >= 0; --i)
            sum = sum * mV + coeffs[i];
        benchmark::DoNotOptimize(static_cast<float>(sum));
    }
}
BENCHMARK(BM_BarePolynomialLoop);

void BM_TypeKVoltageToTemperatureMid(benchmark::State& state) {
    float mV = 20.644f;
    for (auto _ : state) {
        benchmark::DoNotOptimize(mV);
        benchmark::DoNotOptimize(ThermoVoltageToTemperature(0, mV));
    }
}
BENCHMARK(BM_TypeKVoltageToTemperatureMid);

// Arg: resistance of a Pt100 in ohms; 20 is near -195 degC, 99 near -2.5 degC (the most
// steps), 138 above 0 degC (closed form).
void BM_Pt100ToTemperature(benchmark::State& state) {
    const float r = static_cast<float>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(PtVoltageToTemperature(100.0f, r));
}
BENCHMARK(BM_Pt100ToTemperature)->Arg(20)->Arg(99)->Arg(138);

} // namespace

BENCHMARK_MAIN();
