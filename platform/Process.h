// Starting another program without waiting for it, and looking after it:
// whether it still runs, and waiting for its end with a time limit.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace platform {

class Process {
public:
    Process() = default;
    // Does not stop the program; it runs on after us.
    ~Process() = default;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // Starts the program (searched on PATH when it has no '/') with the
    // arguments, in workingFolder when given. False when it cannot be started.
    bool Start(const std::string& program, const std::vector<std::string>& arguments,
               const std::string& workingFolder = "");
    pid_t Pid() const { return m_pid; }
    bool IsRunning();
    // True when the program ended within the time (0 polls); exitCode gets
    // its exit status, or 128 + the signal that ended it.
    bool Wait(int timeoutMs, int* exitCode = nullptr);

private:
    bool Reap(); // true once the program has ended

    pid_t m_pid = -1;
    bool m_ended = false;
    int m_exitCode = 0;
};

} // namespace platform
