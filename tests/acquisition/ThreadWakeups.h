// Counts the times the threads of this process went to sleep and were woken
// again (their voluntary context switches, from /proc), so that a test can
// show that a waiting worker sleeps in the kernel instead of waking on a timer.
#pragma once

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

// Voluntary context switches of every thread of the process, by thread id.
inline std::map<int, long> VoluntarySwitchesByThread() {
    std::map<int, long> switches;
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task", error)) {
        std::ifstream status(task.path() / "status");
        for (std::string line; std::getline(status, line);) {
            if (line.rfind("voluntary_ctxt_switches:", 0) == 0) {
                switches[std::stoi(task.path().filename().string())] = std::stol(line.substr(24));
                break;
            }
        }
    }
    return switches;
}

// Wake-ups since `before` of the threads that exist now, leaving out the
// threads of `ignored` (the test's own, and those that were there before it).
inline long WakeupsSince(const std::map<int, long>& before, const std::map<int, long>& ignored) {
    long total = 0;
    for (const auto& [thread, count] : VoluntarySwitchesByThread()) {
        if (ignored.count(thread) != 0)
            continue;
        const auto was = before.find(thread);
        total += count - (was != before.end() ? was->second : 0);
    }
    return total;
}
