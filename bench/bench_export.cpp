// Text export of a stored run of 1,000,000 samples of 64 channels (four
// units, one data file) against the fastest plain C++ loop that writes the
// same numbers in the same layout (std::to_chars with two decimals, padded
// to 15 characters and a tab a value, CRLF a row, written a megabyte at a
// time). Both report MB/s written ("bytes_per_second"); the export also
// reports how much its peak resident memory grew ("peak_rss_growth_MB"), which stays flat
// because the export streams the run chunk by chunk.
// The MATLAB export of the same run into one file (a 1,000,000 x 64 matrix
// written in pieces through libQVMat32.so) runs against a plain column
// writer that writes the same doubles channel after channel with fwrite;
// both report MB/s of values and the export its peak memory growth.
// QV_BENCH_EXPORT_SAMPLES sets another sample count for a quick run.
#include "datafiles/ExportSampleData.h"
#include "datafiles/MatExport.h"
#include "platform/DynamicLibrary.h"
#include "tests/datafiles/RunWriter.h"

#include <benchmark/benchmark.h>

#include <charconv>

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kUnits = 4;
constexpr int kChannels = kUnits * 16;

std::int64_t SampleCount() {
    const char* text = std::getenv("QV_BENCH_EXPORT_SAMPLES");
    return text ? std::max<std::int64_t>(1, std::atoll(text)) : 1000000;
}

// The run, written once for all benchmarks.
struct BenchRun {
    BenchRun() : spec(dir.Path(), "run", {0, 1, 2, 3}, SampleCount()), writer(spec), layout(writer.Layout()) {
        writer.Write();
        fs::create_directories(dir.Path() + "/out");
    }
    testrun::TempDir dir;
    testrun::RunSpec spec;
    testrun::RunWriter writer;
    OnlineLayout layout;
    testrun::HalfChannelTable table;
};

BenchRun& Run() {
    static BenchRun run;
    return run;
}

long MaxRssKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Arg 0: no time column, the system's time zone (TZ unset); 1: no time column,
// TZ=UTC; 2: the relative-time column, the system's time zone. Without a time
// column the time zone has nothing to do with the export's speed.
void SetTimeZone(bool utc) {
    if (utc)
        setenv("TZ", "UTC", 1);
    else
        unsetenv("TZ");
    tzset();
}

// The export context over the run, its file dialog answering out/export.<extension>.
ExportContext RunContext(BenchRun& run, const char* extension) {
    ExportContext context(run.layout, run.table);
    context.dataPath = run.writer.DataPath();
    context.statusPath = run.writer.StatusPath();
    context.askExportFileName = [&run, extension](int, std::string& folder, std::string& title,
                                                  std::string& ext) {
        folder = run.dir.Path() + "/out";
        title = "export";
        ext = extension;
        return 1;
    };
    return context;
}

// Every channel of the run, all in one file.
SaveDataOptions AllChannels() {
    SaveDataOptions options;
    options.nFileLayout = 1;
    for (int channel = 0; channel < kChannels; ++channel)
        options.nChannels[options.nChannelCount++] = channel;
    return options;
}

void BM_ExportSampleDataText(benchmark::State& state) {
    SetTimeZone(state.range(0) == 1);
    BenchRun& run = Run();
    const ExportContext context = RunContext(run, "txt");
    SaveDataOptions options = AllChannels();
    options.bRelativeTime = state.range(0) == 2 ? 1 : 0;
    const std::string output = run.dir.Path() + "/out/export.txt";
    const long rssBefore = MaxRssKb();
    std::int64_t bytes = 0;
    for (auto _ : state) {
        if (!ExportSampleData(context, 0, options, 0, int(run.spec.samples), 2))
            state.SkipWithError("export failed");
        bytes += std::int64_t(fs::file_size(output));
        fs::remove(output);
    }
    state.SetBytesProcessed(bytes);
    state.counters["peak_rss_growth_MB"] = double(MaxRssKb() - rssBefore) / 1024.0;
    SetTimeZone(false);
}
BENCHMARK(BM_ExportSampleDataText)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

void BM_PlainLoopSameFormat(benchmark::State& state) {
    BenchRun& run = Run();
    const std::string output = run.dir.Path() + "/out/plain.txt";
    std::vector<char> buffer(1 << 20);
    constexpr std::size_t kRowMost = kChannels * 400 + 2; // the longest row to_chars could make
    std::int64_t bytes = 0;
    for (auto _ : state) {
        std::FILE* file = std::fopen(output.c_str(), "wb");
        char* end = buffer.data();
        for (std::int64_t sample = 0; sample < run.spec.samples; ++sample) {
            if (std::size_t(buffer.data() + buffer.size() - end) < kRowMost) {
                std::fwrite(buffer.data(), 1, std::size_t(end - buffer.data()), file);
                end = buffer.data();
            }
            for (int channel = 0; channel < kChannels; ++channel) {
                const double value = double(testrun::RawValue(channel / 16, channel % 16, sample)) * 0.5;
                char* start = end;
                end = std::to_chars(end, end + 400, value, std::chars_format::fixed, 2).ptr;
                while (end - start < 15)
                    *end++ = ' ';
                *end++ = '\t';
            }
            *end++ = '\r';
            *end++ = '\n';
        }
        std::fwrite(buffer.data(), 1, std::size_t(end - buffer.data()), file);
        std::fclose(file);
        bytes += std::int64_t(fs::file_size(output));
        fs::remove(output);
    }
    state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_PlainLoopSameFormat)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

void BM_ExportMatlab(benchmark::State& state) {
    BenchRun& run = Run();
    ExportContext context = RunContext(run, "mat");
    context.fSamplingFrequency = 100.0f;
    const SaveDataOptions options = AllChannels();
    const std::string output = run.dir.Path() + "/out/export.mat";
    const long rssBefore = MaxRssKb();
    for (auto _ : state) {
        if (!SaveMatFile(context, options, 0, int(run.spec.samples)))
            state.SkipWithError("export failed");
        fs::remove(output);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * run.spec.samples * kChannels * 8);
    state.counters["peak_rss_growth_MB"] = double(MaxRssKb() - rssBefore) / 1024.0;
}
BENCHMARK(BM_ExportMatlab)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

void BM_PlainColumnWriter(benchmark::State& state) {
    BenchRun& run = Run();
    const std::string output = run.dir.Path() + "/out/plain.bin";
    std::vector<double> column(std::size_t(run.spec.samples));
    for (auto _ : state) {
        std::FILE* file = std::fopen(output.c_str(), "wb");
        for (int channel = 0; channel < kChannels; ++channel) {
            for (std::int64_t sample = 0; sample < run.spec.samples; ++sample)
                column[std::size_t(sample)] =
                    double(testrun::RawValue(channel / 16, channel % 16, sample)) * 0.5;
            std::fwrite(column.data(), sizeof(double), column.size(), file);
        }
        std::fclose(file);
        fs::remove(output);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * run.spec.samples * kChannels * 8);
}
BENCHMARK(BM_PlainColumnWriter)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// The MATLAB library alone, called as the export calls it: the same doubles
// as BM_PlainColumnWriter's, handed over in pieces of 16,384 samples of
// every channel (no run to read), so that the two differ only by the file's
// layout and the library's work. MB/s of values and peak memory growth.
void BM_MatLibraryInPieces(benchmark::State& state) {
    BenchRun& run = Run();
    platform::DynamicLibrary library;
    const bool loaded = library.Load("libQVMat32.so");
    const auto create = library.Function<MatFileCreateFn>("MatFileCreate");
    const auto append = library.Function<MatFileAppendRowsFn>("MatFileAppendRows");
    const auto end = library.Function<MatFileEndFn>("MatFileEnd");
    if (!loaded || !create || !append || !end) {
        state.SkipWithError("libQVMat32.so is not beside the program");
        return;
    }
    constexpr std::int64_t kPiece = 16384;
    const std::int64_t samples = run.spec.samples;
    const std::string output = run.dir.Path() + "/out/library.mat";
    std::vector<double> piece(std::size_t(kPiece) * kChannels);
    const long rssBefore = MaxRssKb();
    for (auto _ : state) {
        void* file = create(output.c_str(), 100.0, int(samples), kChannels);
        bool written = file != nullptr;
        for (std::int64_t done = 0; written && done < samples; done += kPiece) {
            const std::int64_t rows = std::min(kPiece, samples - done);
            for (int channel = 0; channel < kChannels; ++channel)
                for (std::int64_t i = 0; i < rows; ++i)
                    piece[std::size_t(channel * rows + i)] =
                        double(testrun::RawValue(channel / 16, channel % 16, done + i)) * 0.5;
            written = append(file, piece.data(), int(rows)) != 0;
        }
        if (file != nullptr)
            written = end(file) != 0 && written;
        if (!written)
            state.SkipWithError("the library failed");
        fs::remove(output);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * samples * kChannels * 8);
    state.counters["peak_rss_growth_MB"] = double(MaxRssKb() - rssBefore) / 1024.0;
}
BENCHMARK(BM_MatLibraryInPieces)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
