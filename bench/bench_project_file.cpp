// Cost of writing and reading a whole project file (about 600 keys: the
// sampling settings, 64 cases, the 512-entry case table of the system
// settings). The writer defers the profile writes, so the file is replaced
// once a project write, not once a key.
#include "model/CaseTables.h"
#include "model/ProjectState.h"
#include "project/ProjectFile.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

struct BenchProject {
    BenchProject() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qv_bench_project_XXXXXX").string();
        folder = mkdtemp(pattern.data()) ? pattern : std::string();
        path = folder + "/B.dap";
        g_nCaseCount = 64;
        for (int i = 0; i < 64; ++i) {
            g_CaseList[i] = i;
        }
    }
    ~BenchProject() {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
    std::string folder;
    std::string path;
    CProjectState state;
};

void WriteWholeProjectFile(benchmark::State& bench) {
    BenchProject project;
    for (auto _ : bench) {
        project.state.m_nTotalDataCount++;
        WriteProjectFile(project.state, project.path);
    }
}
BENCHMARK(WriteWholeProjectFile)->Unit(benchmark::kMillisecond);

void ReadWholeProjectFile(benchmark::State& bench) {
    BenchProject project;
    WriteProjectFile(project.state, project.path);
    for (auto _ : bench) {
        benchmark::DoNotOptimize(ReadProjectFile(project.state, project.path));
    }
}
BENCHMARK(ReadWholeProjectFile)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
