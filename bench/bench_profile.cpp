// Cost of the INI profile cache: parsing a 1,000-key settings file once
// against reading all of its 1,000 keys from the cache. Reading every key
// 10,000 times costs 10,000 x "Read1000CachedKeys"; without the cache it
// would cost 10,000 x 1,000 x "ParseFileOnce". The counter
// "parses_per_1000_reads" gives the ratio directly (CPU time of both): a
// read is one hash lookup and one stat call, to see outside changes.
#include "platform/Profile.h"
#include "platform/Text.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <time.h>

namespace {

namespace fs = std::filesystem;

constexpr int kSections = 10;
constexpr int kKeysPerSection = 100;

struct KeyName {
    std::string section;
    std::string key;
};

std::string g_path;
std::vector<KeyName> g_keys;

// Settings-file shaped content: integers, floats and some Chinese text, so
// that the GBK conversion is part of the parse.
void CreateProfile(const std::string& folder) {
    g_path = folder + "/bench.ini";
    std::string text;
    for (int s = 0; s < kSections; ++s) {
        text += platform::Format("[ChannelType%03d]\r\n", s);
        for (int k = 0; k < kKeysPerSection; ++k) {
            const std::string key = platform::Format("m_nParam%d", k);
            text += key + (k % 3 == 0   ? platform::Format("=%d\r\n", k * 7)
                           : k % 3 == 1 ? platform::Format("=%.6f\r\n", k / 3.0)
                                        : platform::Format("=应变通道%d\r\n", k));
            g_keys.push_back({platform::Format("ChannelType%03d", s), key});
        }
    }
    std::ofstream(g_path, std::ios::binary) << platform::Utf8ToGbk(text);
}

// CPU seconds of this thread: a loaded machine stretches wall time by
// whatever else runs, differently from one measurement to the next.
double ThreadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double ParseOnceSeconds() {
    platform::FlushProfileCache();
    const double start = ThreadCpuSeconds();
    benchmark::DoNotOptimize(platform::GetPrivateProfileInt("ChannelType000", "m_nParam0", 0, g_path));
    return ThreadCpuSeconds() - start;
}

void ParseFileOnce(benchmark::State& state) {
    for (auto _ : state) {
        platform::FlushProfileCache();
        benchmark::DoNotOptimize(platform::GetPrivateProfileInt("ChannelType000", "m_nParam0", 0, g_path));
    }
}
BENCHMARK(ParseFileOnce);

void Read1000CachedKeys(benchmark::State& state) {
    // The median of a few parses, measured here so the ratio needs no
    // second run; both sides in CPU time.
    std::vector<double> parses;
    for (int i = 0; i < 9; ++i)
        parses.push_back(ParseOnceSeconds());
    std::nth_element(parses.begin(), parses.begin() + 4, parses.end());
    const double parseSeconds = parses[4];

    double readSeconds = 0;
    for (auto _ : state) {
        const double start = ThreadCpuSeconds();
        for (const KeyName& name : g_keys)
            benchmark::DoNotOptimize(platform::GetPrivateProfileString(name.section, name.key, "", g_path));
        readSeconds += ThreadCpuSeconds() - start;
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(g_keys.size()));
    state.counters["parses_per_1000_reads"] =
        readSeconds / static_cast<double>(state.iterations()) / parseSeconds;
}
BENCHMARK(Read1000CachedKeys);

void WriteOneKey(benchmark::State& state) {
    int value = 0;
    for (auto _ : state)
        platform::WritePrivateProfileString("ChannelType005", "m_nParam50", std::to_string(value++), g_path);
}
BENCHMARK(WriteOneKey);

} // namespace

int main(int argc, char** argv) {
    std::string pattern = (fs::temp_directory_path() / "bench_profile.XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        return 1;
    CreateProfile(pattern);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fs::remove_all(pattern);
    return 0;
}
