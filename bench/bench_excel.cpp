// The export with progress of 100,000 samples of 64 channels (a time column
// and a header row) against a plain libxlsxwriter loop writing the same
// cells, rounded as the export rounds them, with the same formats in the
// same constant-memory mode. Arg 0: the export without an application (no
// window); 1: with the progress window (offscreen), which lets the program
// handle its events once a sample. Each reports its peak resident memory
// growth ("peak_rss_growth_MB"); run one benchmark a process
// (--benchmark_filter) for a clean figure.
// QV_BENCH_EXCEL_SAMPLES sets another sample count for a quick run.
#include "libs/excelexport/Brisel_R.h"

#include <benchmark/benchmark.h>

#include <xlsxwriter.h>

#include <QApplication>

#include <sys/resource.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kChannels = 64;
constexpr int kUnitsPerGroup = 16;
constexpr int kTimePrecision = 1; // times with four decimals

int SampleCount() {
    const char* text = std::getenv("QV_BENCH_EXCEL_SAMPLES");
    return text ? std::max(1, std::atoi(text)) : 100000;
}

struct Table {
    Table() : samples(SampleCount()) {
        std::mt19937_64 random(11);
        std::normal_distribution<double> strain(0.0, 500.0);
        values.resize(static_cast<std::size_t>(samples) * kChannels);
        for (double& v : values) {
            v = strain(random);
        }
        for (int s = 0; s < samples; ++s) {
            times.push_back(0.1f * static_cast<float>(s));
        }
        for (int k = 0; k < kChannels; ++k) {
            channels.push_back(k);
        }
        std::string pattern = (std::filesystem::temp_directory_path() / "bench_excel_XXXXXX").string();
        folder = ::mkdtemp(pattern.data()) ? pattern : std::string(".");
    }
    ~Table() { std::filesystem::remove_all(folder); }
    int samples;
    std::vector<double> values; // channel-major
    std::vector<float> times;
    std::vector<int> channels;
    std::string folder;
};

Table& TheTable() {
    static Table table;
    return table;
}

long MaxRssKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

QApplication* Application() {
    static int argc = 1;
    static char name[] = "bench_excel";
    static char* argv[] = {name, nullptr};
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static QApplication* app = new QApplication(argc, argv);
    return app;
}

void BM_BriselEx(benchmark::State& state) {
    Table& t = TheTable();
    QApplication* app = state.range(0) ? Application() : nullptr;
    const std::string path = t.folder + "/export.xlsx";
    const long rssBefore = MaxRssKb();
    for (auto _ : state) {
        const int result =
            BriselEx(kUnitsPerGroup, "时间", 1, t.times.data(), kTimePrecision, 1, t.channels.data(),
                     t.values.data(), t.samples, kChannels, path.c_str(), app);
        if (result != 1) {
            state.SkipWithError("export failed");
            break;
        }
    }
    state.counters["peak_rss_growth_MB"] = double(MaxRssKb() - rssBefore) / 1024.0;
    state.counters["cells"] = double(t.samples + 1) * (kChannels + 1);
    std::filesystem::remove(path);
}
BENCHMARK(BM_BriselEx)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(3);

// The export stores every number rounded to the four decimals it shows (a
// shorter number to print); the plain loop rounds the same way.
double Rounded(double value) {
    return std::nearbyint(value * 1e4) / 1e4;
}

void BM_PlainLibxlsxwriter(benchmark::State& state) {
    Table& t = TheTable();
    const std::string path = t.folder + "/plain.xlsx";
    const long rssBefore = MaxRssKb();
    for (auto _ : state) {
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        options.use_zip64 = LXW_TRUE;
        lxw_workbook* workbook = workbook_new_opt(path.c_str(), &options);
        lxw_worksheet* sheet = workbook_add_worksheet(workbook, nullptr);
        lxw_format* fixed = workbook_add_format(workbook);
        format_set_num_format(fixed, "0.0000");
        worksheet_write_string(sheet, 0, 0, "时间", nullptr);
        for (int k = 0; k < kChannels; ++k) {
            const std::string name =
                std::to_string(k / kUnitsPerGroup + 1) + "_" + std::to_string(k % kUnitsPerGroup + 1);
            worksheet_write_string(sheet, 0, static_cast<lxw_col_t>(k + 1), name.c_str(), nullptr);
        }
        for (int s = 0; s < t.samples; ++s) {
            worksheet_write_number(sheet, static_cast<lxw_row_t>(s + 1), 0, Rounded(t.times[s]), fixed);
            for (int k = 0; k < kChannels; ++k) {
                worksheet_write_number(sheet, static_cast<lxw_row_t>(s + 1), static_cast<lxw_col_t>(k + 1),
                                       Rounded(t.values[s + static_cast<std::size_t>(k) * t.samples]), fixed);
            }
        }
        if (workbook_close(workbook) != LXW_NO_ERROR) {
            state.SkipWithError("write failed");
            break;
        }
    }
    state.counters["peak_rss_growth_MB"] = double(MaxRssKb() - rssBefore) / 1024.0;
    std::filesystem::remove(path);
}
BENCHMARK(BM_PlainLibxlsxwriter)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(3);

} // namespace

BENCHMARK_MAIN();
