// Text export of a stored run of 1,000,000 samples of 64 channels (four
// units, one data file) against the fastest plain C++ loop that writes the
// same numbers in the same layout (std::to_chars with two decimals, padded
// to 15 characters and a tab a value, CRLF a row, written a megabyte at a
// time). Both report MB/s written ("bytes_per_second"); the export also
// reports how much its peak resident memory grew ("peak_rss_growth_MB"), which stays flat
// because the export streams the run chunk by chunk.
// The MATLAB export of the same run into one file (a 1,000,000 x 64 matrix
// written in pieces through libQVMat32.so), from one data file (arg 0) and
// from one data file per unit (arg 1), runs against the fastest plain
// program doing the same work: it reads the same files with fread,
// halves each reading (the bench table's conversion) or makes a stored
// marker NaN, and writes each channel's piece of samples with fwrite at its
// place in the column-after-column matrix. The library alone, and a plain
// writer of the same doubles that reads no run, show what the file writing
// costs. All report MB/s of values and the export its peak memory growth.
// QV_BENCH_EXPORT_SAMPLES sets another sample count for a quick run.
#include "datafiles/ExportSampleData.h"
#include "datafiles/MatExport.h"
#include "platform/DynamicLibrary.h"
#include "tests/datafiles/RunWriter.h"

#include <benchmark/benchmark.h>

#include <bit>
#include <charconv>

#include <sys/resource.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <limits>
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

// The run, written once for all benchmarks: in one data file, or in one a unit.
struct BenchRun {
    explicit BenchRun(bool perUnit)
        : spec(dir.Path(), "run", {0, 1, 2, 3}, SampleCount(), perUnit), writer(spec),
          layout(writer.Layout()) {
        writer.Write();
        fs::create_directories(dir.Path() + "/out");
    }
    testrun::TempDir dir;
    testrun::RunSpec spec;
    testrun::RunWriter writer;
    OnlineLayout layout;
    testrun::HalfChannelTable table;
};

BenchRun& Run(bool perUnit = false) {
    if (perUnit) {
        static BenchRun run(true);
        return run;
    }
    static BenchRun run(false);
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
    BenchRun& run = Run(state.range(0) == 1);
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
BENCHMARK(BM_ExportMatlab)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// The plain conversion of a stored reading: half of it (the bench table's
// conversion), or NaN for a marker, chosen by a mask rather than a branch.
double PlainValue(float raw) {
    const auto bits = std::bit_cast<std::uint32_t>(raw);
    const auto value = std::bit_cast<std::uint64_t>(double(raw) * 0.5);
    const std::uint64_t marker =
        -std::uint64_t((bits == 0x4B000001u) | (bits == 0x4B000002u) | (bits == 0xCB000001u));
    return std::bit_cast<double>((value & ~marker) | (0x7FF8000000000000ull & marker));
}

// The plain program: pieces of 16,384 samples of every channel, each read
// with fread in chunks of 256 KB of blocks (so that a chunk is still in the
// cache while its 64 channels are taken from it), converted into the piece's
// columns and written with fwrite at each column's place in the file. The
// fastest of the plain forms tried: a whole piece read at once and taken
// channel by channel was 1.2 times slower from one file.
void BM_PlainRunToColumns(benchmark::State& state) {
    const bool perUnit = state.range(0) == 1;
    BenchRun& run = Run(perUnit);
    const std::int64_t samples = run.spec.samples;
    const std::int64_t piece = std::min<std::int64_t>(samples, 16384);
    // A record: one unit's block from a unit's file, all units' from the run's file.
    const std::size_t record = sizeof(CaseSampleBlock) * (perUnit ? 1 : kUnits);
    const std::size_t stride = perUnit ? 1 : kUnits;
    const std::int64_t chunk = std::int64_t((std::size_t(1) << 18) / record);
    std::vector<std::string> inputs;
    for (int unit = 0; unit < (perUnit ? kUnits : 1); ++unit)
        inputs.push_back(perUnit ? MakeCaseDataFileName(run.writer.DataPath(), unit, 0)
                                 : run.writer.DataPath());
    std::vector<CaseSampleBlock> blocks(std::size_t(chunk) * kUnits);
    std::vector<double> values(std::size_t(piece) * kChannels);
    const std::string output = run.dir.Path() + "/out/plain.bin";
    for (auto _ : state) {
        std::vector<std::FILE*> files;
        for (const std::string& input : inputs)
            files.push_back(std::fopen(input.c_str(), "rb"));
        std::FILE* file = std::fopen(output.c_str(), "wb");
        for (std::int64_t done = 0; done < samples; done += piece) {
            const std::int64_t rows = std::min(piece, samples - done);
            for (std::int64_t at = 0; at < rows; at += chunk) {
                const std::size_t n = std::size_t(std::min(chunk, rows - at));
                for (std::size_t f = 0; f < files.size(); ++f)
                    if (std::fread(blocks.data() + f * n, record, n, files[f]) != n)
                        state.SkipWithError("short run");
                for (int channel = 0; channel < kChannels; ++channel) {
                    const CaseSampleBlock* first =
                        blocks.data() + std::size_t(channel / 16) * (perUnit ? n : 1);
                    double* column = values.data() + channel * rows + at;
                    for (std::size_t i = 0; i < n; ++i)
                        column[i] = PlainValue(first[i * stride].fValues[channel % 16]);
                }
            }
            for (int channel = 0; channel < kChannels; ++channel) {
                fseeko(file, off_t((channel * samples + done) * 8), SEEK_SET);
                std::fwrite(values.data() + channel * rows, sizeof(double), std::size_t(rows), file);
            }
        }
        for (std::FILE* input : files)
            std::fclose(input);
        std::fclose(file);
        fs::remove(output);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * samples * kChannels * 8);
}
BENCHMARK(BM_PlainRunToColumns)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

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
