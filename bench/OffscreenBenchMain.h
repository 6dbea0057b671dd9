// The main function of a benchmark program that paints widgets: the
// benchmarks run inside an application on the offscreen platform.
#pragma once

#include <QApplication>

#include <benchmark/benchmark.h>

#define QV_OFFSCREEN_BENCHMARK_MAIN()                                                                  \
    int main(int argc, char** argv) {                                                                  \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                                            \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                                   \
        QApplication app(argc, argv);                                                                  \
        benchmark::Initialize(&argc, argv);                                                            \
        benchmark::RunSpecifiedBenchmarks();                                                           \
        benchmark::Shutdown();                                                                         \
        return 0;                                                                                      \
    }
