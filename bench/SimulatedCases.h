// Simulated cases for the network benchmarks: one qv_case_sim process per
// case, each from its own loopback address and known to the program by
// MapCfg.ini, so that the CPU time a benchmark measures is the program's own.
#pragma once

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace bench {

// User and system CPU seconds of this process so far.
inline double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

inline double WallSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

inline std::string ProgramFolder() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path().string();
}

// The address of case i: 127.0.0.(i + 2).
inline std::string CaseAddress(int i) {
    return "127.0.0." + std::to_string(i + 2);
}

// Writes MapCfg.ini into the folder: case i at CaseAddress(i).
inline void WriteCaseMap(const std::string& folder, int cases) {
    std::filesystem::create_directories(folder);
    std::ofstream map(folder + "/MapCfg.ini");
    for (int i = 0; i < cases; ++i)
        map << "[" << CaseAddress(i) << "]\r\nMapID=" << i << "\r\n";
}

// Child processes of a benchmark, ended (SIGTERM) and waited for by Stop.
class SimulatedCases {
public:
    SimulatedCases() = default;
    SimulatedCases(const SimulatedCases&) = delete;
    SimulatedCases& operator=(const SimulatedCases&) = delete;
    ~SimulatedCases() { Stop(); }

    // Starts the cases against the program's case port; false when one
    // could not be started.
    bool Start(int cases, int modules, double rate, unsigned port) {
        const std::string simulator = ProgramFolder() + "/qv_case_sim";
        for (int i = 0; i < cases; ++i) {
            if (!Spawn({simulator, "--port", std::to_string(port), "--local", CaseAddress(i), "--case",
                        std::to_string(i), "--modules", std::to_string(modules), "--rate",
                        std::to_string(rate)}))
                return false;
        }
        return true;
    }
    // Runs a Python script in a process of its own (a network client).
    bool StartReader(const char* script) { return Spawn({"/usr/bin/python3", "-c", script}); }
    // Starts the program with its arguments, its output to /dev/null.
    bool Spawn(std::vector<std::string> args) {
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        pid_t pid = 0;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0)
            return false;
        m_children.push_back(pid);
        return true;
    }
    void Stop() {
        for (pid_t pid : m_children)
            kill(pid, SIGTERM);
        for (pid_t pid : m_children)
            waitpid(pid, nullptr, 0);
        m_children.clear();
    }

private:
    std::vector<pid_t> m_children;
};

} // namespace bench
