// Program start with posix_spawn and non-blocking reaping with waitpid.
#include "platform/Process.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace platform {

bool Process::Start(const std::string& program, const std::vector<std::string>& arguments,
                    const std::string& workingFolder) {
    if (program.empty() || (m_pid > 0 && !m_ended))
        return false;
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& a : arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!workingFolder.empty())
        posix_spawn_file_actions_addchdir_np(&actions, workingFolder.c_str());
    pid_t pid = -1;
    // glibc reports a program that cannot be run as an error here.
    const int rc = posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        return false;
    m_pid = pid;
    m_ended = false;
    m_exitCode = 0;
    return true;
}

bool Process::Reap() {
    if (m_pid <= 0)
        return false;
    if (m_ended)
        return true;
    int status = 0;
    pid_t r;
    while ((r = ::waitpid(m_pid, &status, WNOHANG)) < 0 && errno == EINTR) {
    }
    if (r == 0)
        return false;
    if (r < 0) { // not our child any more: nothing to wait for
        m_ended = true;
        m_exitCode = -1;
        return true;
    }
    m_ended = true;
    m_exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return true;
}

bool Process::IsRunning() {
    return m_pid > 0 && !Reap();
}

bool Process::Wait(int timeoutMs, int* exitCode) {
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + milliseconds(timeoutMs);
    // Short steps first so that a quick program is seen at once.
    auto step = microseconds(200);
    while (!Reap()) {
        if (m_pid <= 0 || steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(step);
        step = std::min(step * 2, duration_cast<microseconds>(milliseconds(20)));
    }
    if (exitCode)
        *exitCode = m_exitCode;
    return true;
}

} // namespace platform
